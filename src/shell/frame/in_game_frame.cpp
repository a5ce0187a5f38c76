// The frame dispatch and the in-game frame in its fixed order.
#include <cstdio>
#include <string>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "control/player_camera.h"
#include "control/players/local_player_table.h"
#include "foundation/files/catalog.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/frame_rate_meter.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "menus/screens/menu_driver.h"
#include "menus/screens/screen_manager.h"
#include "net/mp/mp_queues.h"
#include "shell/multiplayer/session_run_options.h"
#include "net/mp_layer.h"
#include "platform/win32/window.h"
#include "shell/cheats/cheat_registry.h"
#include "shell/frame/debug_counters.h"
#include "shell/frame/frame_trace.h"
#include "shell/frame/mission_queries.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/level/loading_screens.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission.h"
#include "shell/program/command_line.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "sound/sound_manager.h"
#include "world/cameras/movie_camera.h"
#include "world/dynamics/dynamics_world.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_world.h"
#include "world/effects/explosions.h"
#include "world/effects/sphere_events.h"
#include "world/effects/tracer_batteries.h"
#include "world/effects/trails.h"
#include "render/geometry/camera.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"
#include "world/objects/chlo_manager.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/sky/sky.h"
#include "world/switches/switch_table.h"
#include "world/text/terminal.h"
#include "world/text/world_text.h"
#include "world/timing/timed_callback_list.h"
#include "units/base/hlo_scheduler.h"

int RenderingOn = 1;
float ReflectionAngle = 0.0f;
float FrameFogDistance = 0.0f;

namespace {

constexpr int kPlayScreen = 14;
constexpr int kAltF4Screen = 24;
constexpr int kAltKey = 56;
constexpr int kF4Key = 62;
constexpr std::uint32_t kEventEndMission = 17;
constexpr std::uint32_t kAutoEndAfterMs = 5000;
constexpr int kFromMissionNumberScreen = 20;
constexpr int kTopLevelMenuScreen = 16;

int g_lastScreen = -1;
CFrameRateMeter g_frameRate;

void Step(const char* step) { FrameStep(step); }

// 2. A change of screen: the sound follows the game clock only in play.
void ScreenChangeStep() {
  if (ScreenId == g_lastScreen) return;
  if (g_SoundManager != nullptr) {
    if (ScreenId == kPlayScreen && g_SoundManager->GetFollowsGameTime() == 0) g_SoundManager->SetFollowsGameTime(1);
    if (g_lastScreen == kPlayScreen && ScreenId != kPlayScreen && g_SoundManager->GetFollowsGameTime() == 1)
      g_SoundManager->SetFollowsGameTime(0);
  }
  g_lastScreen = ScreenId;
}

// The radius of the scheduler's count of enemies near the player's soldier,
// and the music-intensity kinds that count raises (one enemy or more; more
// than three).
constexpr float kEnemiesNearRadius = 7000.0f;
constexpr int kEnemyNearIntensity = 8;
constexpr int kEnemiesCloseIntensity = 9;

// 12. The world, only while the game clock runs.
void WorldSteps() {
  const float frameTime = g_GameClock->GetFrameTime();
  if (g_Switches != nullptr) g_Switches->Update();
  Step("12.1 switches");
  if (g_Glazier != nullptr) g_Glazier->Update(frameTime);
  Step("12.2 glass");
  // The effect pool's hits see soldiers and vehicles only during this step;
  // there are none until the units exist.
  if (g_EffectPool != nullptr) g_EffectPool->Update();
  Step("12.3 projectile hits");
  Step("12.4 corpses");
  Step("12.5 near misses");
  if (MPIsNetworkGame() && MPGetSessionState() == MPS_PLAYING) {
    MPUpdateInterfaceQueues();
    Step("12.6 interface queues");
  }
  if (g_DynamicsWorld != nullptr) g_DynamicsWorld->Step();
  Step("12.7 physics");
  if (g_HLOManager != nullptr) g_HLOManager->UpdatePass();
  if (g_WorldText != nullptr) g_WorldText->WorldTextUpdate();
  if (g_SphereEvents != nullptr) g_SphereEvents->Update();
  if (g_Trails != nullptr) g_Trails->Update();
  if (g_Explosions != nullptr) g_Explosions->Update();
  if (g_HLOScheduler != nullptr) g_HLOScheduler->Update();
  if (g_EffectPool != nullptr) g_EffectPool->RunCallbacks();
  ShrubberyUpdateSway(frameTime);
  if (g_Environment != nullptr) g_Environment->UpdateAnimated();
  Step("12.8 objects, effects, shrubbery and animated objects");
}

// 18, result 3: the level change and the screen it starts on.
void LevelChangeRequested() {
  FlushInput();
  FrameMode = FRAME_LEVEL_CHANGE;
  CloseCatalog();
  OpenCatalog(0, nullptr, 0, 0);
  if (ReturnToFrontEnd != 0) {
    SetScreen(1);
    ReturnToFrontEnd = 0;
  } else if (ScreenId != kTopLevelMenuScreen) {
    // A valid mission number (not all ones) of the campaign, or any in a
    // session, starts on the briefing.
    const std::int32_t id = CurrentMissionId();
    const bool briefing = id != -1 && (MPIsSessionRunning() || id <= 14);
    SetScreen(briefing ? kFromMissionNumberScreen : kPlayScreen);
  }
}

}  // namespace

void RunFrame() {
  ApplyOffscreenFrameLimit();
  SessionRunOptionsStep();
  switch (FrameMode) {
    case FRAME_IN_GAME:
      InGameFrame();
      break;
    case FRAME_LEVEL_CHANGE:
      saveLoadUpdate();
      break;
    case FRAME_SPLASH:
      RunSplashStep();
      break;
    default:
      break;
  }
}

void InGameFrame() {
  const bool render = InGameFrameUpdate();
  // 22. The render.
  if (render) {
    RenderFrame(RenderingOn);
    Step("22 render");
  }
  // 23. The frame rate.
  g_frameRate.Update();
  Step("23 frame rate");
}

bool InGameFrameUpdate() {
  // 1. The reflection transform of menu levels.
  const bool menuLevel = MissionQueryMode() != 0;
  if (menuLevel && g_GameClock != nullptr) ReflectionAngle += 5.0f * g_GameClock->GetFrameTime();
  Step("1 reflection transform");
  // 2. The screen change.
  ScreenChangeStep();
  Step("2 screen change");
  // 3. The clocks.
  g_GameClock->Update();
  g_RealClock->Update();
  Step("3 clocks");
  // 4. The fog distance.
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) {
    const CSky* sky = g_Environment->Sky;
    FrameFogDistance = sky->GetFogStop() - 500.0f - (sky->IsFogAtDefault() && sky->GetFogStop() <= 0.0f ? 1000.0f : 0.0f);
  }
  Step("4 fog distance");
  // 5. The statistics.
  DebugStatisticsStep();
  Step("5 debug statistics");
  // 6. Input and the cheat watcher.
  UpdateInput();
  WatchUnlockSequences();
  Step("6 input");
  // 7. The network.
  MPUpdate();
  Step("7 network update");
  // 8. The mission's per-frame update.
  // A cut-scene stops the game clock without pausing the world: the mission
  // still runs each frame then (it watches for the skip and steps its
  // sequences); the menus' pause leaves it out.
  const bool worldRuns = g_GameClock->IsRunning();
  if (MissionPluginBound() && g_MissionEndFlag == 0 && !IsGamePaused()) {
    const bool call = !MPIsSessionRunning() || (!menuLevel && MPGetSessionState() == MPS_PLAYING);
    if (call) {
      MissionPerFrameUpdate();
      Step("8 mission update");
    }
  }
  // 9. The HUD.
  NotBuiltYet("HUD");
  Step("9 HUD");
  // 10. Controls: the local players and the key map.
  // While cheat words are typed the keys go to the cheat registry alone.
  if (g_CheatRegistry != nullptr && g_CheatRegistry->IsTyping()) {
    g_CheatRegistry->KeyStep();
  } else {
    g_LocalPlayers.UpdateAll();
    ProcessKeyMap(0);
  }
  Step("10 controls");
  // 11. The timed callbacks.
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->Update();
  Step("11 timed callbacks");
  // 12. The world.
  if (worldRuns) WorldSteps();
  // 13. The network's post-frame step.
  MPPostFrame();
  Step("13 network post-frame");
  // 14. Terminals and overlays.
  if (g_MainTerminal != nullptr) g_MainTerminal->TerminalUpdate();
  if (g_Screen2D != nullptr) g_Screen2D->Update();
  for (CScreen2D* overlay : g_ViewScreens2D)
    if (overlay != nullptr) overlay->Update();
  Step("14 terminals and overlays");
  // 15. Alt+F4 in play.
  if (IsKeyDown(kAltKey) && WasKeyPressed(kF4Key) && ScreenId == kPlayScreen) SetScreen(kAltF4Screen);
  Step("15 Alt+F4");
  // 16. Letter U ends the mission after five seconds of play.
  if (IsCommandSwitchSet('u') == 1 && g_GameClock->GetGameTime() > kAutoEndAfterMs &&
      CurrentMissionResult() == MISSION_RUNNING) {
    RaiseMissionEvent(kEventEndMission, nullptr, 0);
    Step("16 end mission raised");
  }
  // 17. The mission's end check.
  if (g_Mission != nullptr) g_Mission->EndTest();
  Step("17 mission end check");
  // 18. The menu driver.
  const int menu = UpdateCurrentScreen();
  Step("18 menu driver");
  if (menu == SCREEN_RESULT_CLOSE) {
    if (menuLevel) ShowPromoPicture();
    QuitGame();
  } else if (menu == SCREEN_RESULT_SPLASH) {
    FrameMode = FRAME_SPLASH;
  } else if (menu == SCREEN_RESULT_LEVEL_CHANGE) {
    LevelChangeRequested();
  }
  // 19. Sound: the enemies near the player's soldier raise the music's
  // intensity; each local viewport's camera is a listener.
  if (g_HLOScheduler != nullptr) {
    g_HLOScheduler->nearRadius = kEnemiesNearRadius;
    if (g_SoundManager != nullptr && g_HLOScheduler->enemiesNearPlayer >= 1) {
      g_SoundManager->MusicIntensity().AddEvent(kEnemyNearIntensity);
      if (g_HLOScheduler->enemiesNearPlayer > 3) g_SoundManager->MusicIntensity().AddEvent(kEnemiesCloseIntensity);
    }
  }
  if (g_SoundManager != nullptr) {
    if (g_MainCamera != nullptr) {
      g_SoundManager->SetListenerCount(1);
      g_SoundManager->SetListenerFromCamera(0, *g_MainCamera);
    }
    g_SoundManager->Update();
    g_SoundManager->UpdateMusic();
  }
  Step("19 sound");
  // 20. The viewport cameras: each local view's player camera.
  for (int i = 0; i < kPlayerCameraSlots && i < g_LocalPlayers.Count(); ++i)
    if (g_PlayerCameras[i] != nullptr) g_PlayerCameras[i]->Update();
  Step("20 viewport cameras");
  // 21. Movie cameras, environment, sky.
  if (g_MovieCamera != nullptr) g_MovieCamera->Update();
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) g_Environment->Sky->Step();
  Step("21 movie camera, environment and sky");
  return menu != SCREEN_RESULT_CLOSE;
}
