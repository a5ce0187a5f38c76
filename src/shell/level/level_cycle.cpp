#include "shell/level/level_cycle.h"

#include <strings.h>

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "control/input/input.h"
#include "control/keymap/lock_table.h"
#include "control/players/local_player_table.h"
#include "control/player_camera.h"
#include "control/viewport_config.h"
#include "foundation/files/catalog.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "menus/screens/briefing_menu.h"
#include "menus/screens/menu_driver.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/slide_show.h"
#include "net/mp_layer.h"
#include "platform/win32/clocks.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win_find_file.h"
#include "render/2d/font.h"
#include "render/2d/full_screen_image.h"
#include "render/device/render.h"
#include "render/textures/surfaces.h"
#include "render/textures/texture_manager.h"
#include "scene/decals/decals.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/effects/game_effects.h"
#include "shell/endlevel/end_of_level.h"
#include "shell/frame/mission_queries.h"
#include "shell/game/game.h"
#include "shell/global_heap.h"
#include "shell/level/anim_slots.h"
#include "shell/level/load_environment.h"
#include "shell/level/load_list.h"
#include "shell/script/script_state.h"
#include "shell/level/loading_screens.h"
#include "shell/level/mission_plugin.h"
#include "shell/level_pool_sizes.h"
#include "shell/mission/mission.h"
#include "shell/level_pools.h"
#include "shell/program/command_line.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_initialise.h"
#include "shell/program/game_objects.h"
#include "shell/program/game_setup_dialog.h"
#include "shell/program/localisation.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"
#include "sound/sound_manager.h"
#include "world/animation/anim_set.h"
#include "world/cameras/movie_camera.h"
#include "world/cameras/movie_camera_record.h"
#include "world/effects/effects_world.h"
#include "world/effects/particle_pool.h"
#include "world/engine.h"
#include "world/timing/timed_callback_list.h"
#include "world/environment/env_file.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/render_effects/render_effects_file.h"
#include "world/routes/quad_tree.h"
#include "world/shrubbery/shrubbery.h"
#include "world/sky/difficulty.h"
#include "world/text/message_list.h"
#include "world/text/screen_text.h"
#include "world/text/terminal.h"
#include "world/text/world_text.h"
#include "units/base/units_level.h"

std::uint32_t FirstLoad = 1;
std::uint32_t SplashActive = 0;
std::uint32_t LevelLoaded = 0;
std::uint32_t LevelStartTime = 0;
std::uint32_t SplitDrawing = 0;
std::uint32_t NoMission = 0;

namespace {

constexpr int kMaxLevelFiles = 260;
constexpr int kSuccessScreen = 18;
constexpr float kNightVisionInner = 10.0f;
constexpr float kNightVisionOuter = 90.0f;
constexpr float kNightVisionAttenuation[3] = {1.0f, 0.0f, 4.0f};
constexpr float kNightVisionRange = 1.0f;
constexpr float kDifficultyFactors[3] = {0.2f, 0.7f, 1.3f};
constexpr int kPlayerCameraMode = 1;
constexpr int kHeapMark = 0;

// A level's names.
struct LevelNames {
  std::string level;     // N, "FrontEnd.dll"
  std::string base;      // B, N without its last four characters
  std::string catalog;   // B + ".dat"
  std::string cache;     // N with ".sch"
  std::string music;     // B + "Music.sbk"
};

LevelNames NamesOf(const char* name) {
  LevelNames n;
  n.level = name;
  n.base = n.level.size() > 4 ? n.level.substr(0, n.level.size() - 4) : n.level;
  n.catalog = n.base + ".dat";
  const std::size_t dot = n.level.rfind('.');
  n.cache = (dot == std::string::npos ? n.level : n.level.substr(0, dot)) + ".sch";
  n.music = n.base + "Music.sbk";
  return n;
}

bool StartsWithNoCase(const std::string& text, const char* prefix, std::size_t n) {
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

void Step(const std::string& step) { TraceStep("level " + step); }

void Later(const char* what) {
  NotBuiltYet(what);
  Step(std::string("(") + what + ": not built yet)");
}

bool g_levelRunning = false;

// The two black frames of the first load (one for each buffer).
void BlackFrames() {
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->SetFogEnable(0);
    g_Render->BeginScene();
    g_Render->SetClearColour(0xFF000000u);
    g_Render->Clear(1);
    g_Render->EndScene();
    g_Render->Present();
  }
}

// "Default.spl" into the Global Heap, read by the surfaces, then "Default.sdl".
bool LoadSurfaces() {
  CLinearBuffer* heap = g_GlobalHeap;
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile("Default.spl", &text, &size, heap, 0)) return false;
  const char* cursor = text;
  const int read = g_Surfaces != nullptr ? g_Surfaces->ReadPropertyList(&cursor) : 0;
  if (heap == nullptr) FreeLoadedFile(text);
  if (g_Surfaces != nullptr) g_Surfaces->LoadTextureTable("Default.sdl", g_LevelTextures, 0, heap);
  return read == 1;
}

void MakePlayerCameras() {
  for (int i = 0; i < kPlayerCameraSlots; ++i) {
    if (g_PlayerCameras[i] != nullptr) continue;
    int camera = g_MovieCamera != nullptr ? g_MovieCamera->GetViewportCamera(i) : -1;
    if (camera < 0 && g_MovieCamera != nullptr && i > 0 && i < g_LocalPlayers.Count()) {
      // A further local view starts on its own view camera, where view 0's stands.
      camera = g_MovieCamera->GetViewCamera(i);
      const MovieCameraRecord* first = g_MovieCamera->GetCameraRecord(g_MovieCamera->GetViewportCamera(0));
      if (camera >= 0 && first != nullptr) {
        g_MovieCamera->SetPosition(camera, first->Position);
        g_MovieCamera->SetAngles(camera, first->Angles);
        g_MovieCamera->StartCamera(i, camera);
      }
    }
    g_PlayerCameras[i] = MEM_NEW(MEMCAT_GAME) CPlayerCamera(g_MovieCamera, i, camera);
    if (g_PlayerCameras[i] != nullptr && i < g_LocalPlayers.Count()) g_PlayerCameras[i]->SetMode(kPlayerCameraMode);
  }
}

void FreePlayerCameras() {
  for (CPlayerCamera*& camera : g_PlayerCameras) {
    if (camera == nullptr) continue;
    MEM_DELETE camera;
    camera = nullptr;
  }
}

}  // namespace

bool LevelRunning() { return g_levelRunning; }

const char* ChooseLevel() {
  // Every plug-in and load list in the working directory, in name order
  // within each kind.
  std::vector<std::string> names;
  for (const char* pattern : {"*.dll", "*.loa"}) {
    std::vector<std::string> kind;
    WIN32_FIND_DATAA found;
    HANDLE scan = FindFirstFileA(pattern, &found);
    if (scan == INVALID_HANDLE_VALUE) continue;
    do {
      if (std::strlen(found.cFileName) <= kMaxLevelFiles) kind.emplace_back(found.cFileName);
    } while (FindNextFileA(scan, &found));
    FindClose(scan);
    std::sort(kind.begin(), kind.end());
    names.insert(names.end(), kind.begin(), kind.end());
  }
  DebugTrace("ChooseLevel: %d levels to offer\n", static_cast<int>(names.size()));
  if (!DialogsCanBeAnswered()) {
    DebugTrace("ChooseLevel: no display and no scripted answer, nothing chosen\n");
    return LevelName;
  }
  constexpr int kEntrySize = kMaxLevelFiles + 1;
  std::vector<char> entries(names.size() * kEntrySize, '\0');
  for (std::size_t i = 0; i < names.size(); ++i) std::memcpy(&entries[i * kEntrySize], names[i].c_str(), names[i].size());
  GameSetupDialog dialog(static_cast<int>(names.size()), kEntrySize, entries.data());
  if (!dialog.Open(MainWindow)) return LevelName;
  static std::string chosen;
  chosen = names[static_cast<std::size_t>(dialog.GetChoice())];
  DirectStart = 1;
  SetPlayerNation(IsCommandSwitchSet('s') == 1 ? 1 : 0);
  return chosen.c_str();
}

int saveLoadUpdate() {
  Step("saveLoadUpdate");
  if (g_Render != nullptr) g_Render->CheckDevice();
  const char* chosen = LevelName[0] == '\0' ? ChooseLevel() : LevelName;
  const std::string name = chosen != nullptr ? chosen : "";
  DebugTrace("saveLoadUpdate ....  [%s] [%s] [%s]\n", name.c_str(), LevelName, name.c_str());
  if (name.empty()) {
    // Nothing chosen: the running level goes on; with none running the
    // program cannot go on either.
    Step("no level chosen");
    if (g_levelRunning) {
      FrameMode = FRAME_IN_GAME;
      return 1;
    }
    QuitGame();
    return 0;
  }
  LevelShutdown();
  LevelLoaded = 0;
  if (FirstLoad == 1)
    BlackFrames();
  else
    ShowLoadingScreen(nullptr);
  MemSetPool(MMGR_POOLID_GAME);
  EngineReset();
  MemSetPool(MMGR_POOLID_LEVEL);
  Step("engine reset into the level pool");
  if (g_Render->m_ShrubLevelSwitch != 0 && g_Environment != nullptr && g_Environment->Shrubbery != nullptr)
    g_Environment->Shrubbery->SetDensity(kShrubReducedDensity);
  g_GameClock->Reset();
  g_RealClock->Reset();
  if (g_ViewportConfig.SplitScreen != 0 &&
      (StartsWithNoCase(name, "outro", 5) || StartsWithNoCase(name, "frontend", 7)))
    g_ViewportConfig.SplitScreen = 0;
  g_LocalPlayers.RemoveAll();
  g_LocalPlayers.Add();
  if (g_ViewportConfig.SplitScreen != 0)
    while (g_LocalPlayers.Count() < (g_ViewportConfig.PlayerCount < 2 ? 2 : g_ViewportConfig.PlayerCount) &&
           g_LocalPlayers.Add() != nullptr) {
    }
  Step("local players: " + std::to_string(g_LocalPlayers.Count()));
  if (levelInitialise(name.c_str())) {
    FrameMode = FRAME_IN_GAME;
    return 1;
  }
  Step("level failed");
  // A show started by the failed load stops where it is.
  g_SlideShow.Abandon();
  QuitGame();
  return 0;
}

int levelInitialise(const char* levelName) {
  const LevelNames n = NamesOf(levelName);
  // 1-2. The HUD, the splash, the cursor.
  Later("HUD level word");
  SplashActive = strcasecmp(levelName, "frontend.dll") == 0 && (FirstLoad == 1 || IsCommandSwitchSet('c') == 1) ? 1 : 0;
  SplitDrawing = 1;
  ShowGameCursor(0);
  NoMission = 0;
  ReleaseCursorClip();
  Step("2 splash " + std::to_string(SplashActive));
  // 3. The strings.
  LoadLocalisation();
  // 4. The level's catalog and pool sizes.
  CloseCatalog();
  OpenCatalog(1, n.catalog.c_str(), 0, 0);
  LevelStartPoolSizes(levelName);
  Step("4 catalog " + n.catalog);
  // 5. The scratch heap.
  if (g_GlobalHeap != nullptr) g_GlobalHeap->Reset();
  DebugTrace("START : levelInitialise\n");
  ResetScriptState(static_cast<int>(g_Render->GetModeWidth()), static_cast<int>(g_Render->GetModeHeight()));
  Step("5 script state");
  // 6. Decals, surfaces, templates.
  DebugTrace("Start : LoadEnvironment\n");
  g_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  g_Render->SetRenderStateCached(D3DRS_ALPHATESTENABLE, 1);
  for (const char* decal : {"TestDecal.png", "LeftPrintDecal.png", "RightPrintDecal.png"})
    g_LevelTextures->GetTexture(decal, 0);
  if (!LoadSurfaces()) {
    Step("6 surfaces failed");
    return 0;
  }
  for (const char* name : kLevelTemplates) EnvFileLoadObjectByKind(g_Environment, -1, name);
  LoadGibletModels();
  Step("6 decals, surfaces and templates");
  // 7. The catalog in read mode again.
  const DWORD start = GetTickCount();
  ReopenCatalog(1);
  // 8. The splash slide show.
  if (SplashActive) {
    g_SlideShow.LoadPictures(kSplashPictures, 3);
    g_SlideShow.Start();
    Step("8 splash pictures " + std::to_string(g_SlideShow.Count()));
  }
  // 9-10. Sounds, clocks, pools of the objects.
  if (g_SoundManager != nullptr) {
    g_SoundManager->LoadCache(n.cache.c_str());
    g_SoundManager->LoadBank(n.music.c_str(), 1);
  }
  LoadEffectBanks();
  Step("9 sounds " + n.cache + " " + n.music);
  g_GameClock->SetRunning(1);
  g_RealClock->SetRunning(1);
  if (g_DepthSortQueue != nullptr) g_DepthSortQueue->BucketCount = 16;
  // 11. Training levels are played as the US side.
  if (PlayerNation != 1 && StartsWithNoCase(n.level, "training", 8)) SetPlayerNation(1);
  // 12. The mission.  The record's per-mission part is reset for the new
  // level (not behind the success screen, whose level keeps the result);
  // the units' level words are reset before its objects are made.
  if (g_Mission != nullptr && ScreenId != kSuccessScreen) g_Mission->Reset();
  ResetLoadingProgress();
  UnitsLevelBeforeObjects();
  const bool plugin = EndsWithNoCase(n.level, "dll");
  const int bound = plugin ? LoadMissionPlugin(levelName) : ReadLoadList(g_LoadListContext, levelName);
  Step(std::string("12 ") + (plugin ? "plug-in " : "load list ") + (bound ? "bound" : "failed"));
  if (!bound) return 0;
  // 13. The logo of menu levels; the mission record.
  const bool menuLevel = MissionQueryMode() != 0;
  MakeLoadingLogo(menuLevel);
  if (g_Mission != nullptr) {
    if (!MissionPluginBound()) g_Mission->MissionId = kNoPluginMissionId;
    g_Mission->Start(n.level.c_str());
    // The new mission's briefing has not been seen yet.
    g_BriefingSeen = 0;
    Step("13 mission " + std::to_string(g_Mission->MissionId) + " started");
  }
  LevelName[0] = '\0';
  // 14. The terminals and text lists take the main font.
  Later("corpse list");
  g_Environment->SetParticleSystem(g_ParticlePool);
  for (CTerminal* t : {g_MainTerminal, g_SecondTerminal})
    if (t != nullptr) t->TerminalSetup(g_Render, g_GameClock, g_RealClock, g_MainFont, g_Screen2D);
  if (g_WorldText != nullptr) g_WorldText->WorldTextSetFont(g_MainFont);
  for (CTerminal* t : {g_MainTerminal, g_SecondTerminal})
    if (t != nullptr) t->TerminalClear();
  // 15-16. The scheduler, the per-kind callbacks, the switch handler.
  // The enemy AI starts as the cheat word says.
  if (!UnitsLevelMakeScheduler(static_cast<int>(GetEnemyAI()))) {
    ErrorBox("Out of memory: the update scheduler could not be made");
    return 0;
  }
  Step("15 update scheduler");
  if (!MissionPluginBound()) NoMission = 1;
  // 17. The octree.
  const char* environment = LevelEnvironmentName();
  if (!g_Environment->BuildOrLoadOctrees(environment)) {
    Step("17 octree missing");
    return 0;
  }
  g_Environment->BuildStaticList();
  Step("17 octree");
  // 18. Routes, lights, objects.
  {
    std::string routes = environment;
    const std::size_t dot = routes.rfind('.');
    if (dot != std::string::npos) routes.resize(dot);
    StartRouteData(*g_Environment, routes.c_str(), nullptr);
  }
  if (g_Lights != nullptr)
    g_Lights->SetNightVision(kNightVisionInner, kNightVisionOuter, kNightVisionAttenuation, kNightVisionRange);
  if (g_HLOManager != nullptr) {
    std::vector<CHLO*> active;
    for (int side = 0; side < g_HLOManager->Sides(); ++side)
      for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
        for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr; o = o->Next) active.push_back(o);
    for (CHLO* o : active) g_HLOManager->ActivateObject(o);
  }
  UnitsLevelStatsSteps();
  Step("18 stats level steps");
  MPLevelStart();
  Step("18 routes, lights and objects");
  // 19. Render effects.
  ReopenCatalog(1);
  LoadRenderEffectsFile(g_Environment, "Vehicles.rfx", nullptr, 0, nullptr);
  if (!menuLevel) LoadRenderEffectsFile(g_Environment, "RenderEffects.rfx", nullptr, 0, nullptr);
  LoadLevelRenderEffects(g_Environment, environment);
  g_LevelTextures->GetTexture("GlossMapNorm", 0);
  Step("19 render effects");
  // 20. The textures.
  if (NoTexturePreload == 0) {
    const DWORD t0 = GetTickCount();
    g_LevelTextures->LoadTextures(nullptr);
    DebugTrace("Textures took %.2f seconds to load\n", static_cast<double>(GetTickCount() - t0) / 1000.0);
    Step("20 textures");
  }
  // 21. The player cameras and the screens.
  MakePlayerCameras();
  // Each local player takes its camera and the first free member of the squad.
  for (int i = 0; i < g_LocalPlayers.Count(); ++i) g_LocalPlayers.Get(i)->AttachToFirstSquadMember();
  ResetScreenTransitions();
  if (menuLevel)
    PopulateFrontEndScreens();
  else
    PopulateGameScreens();
  // 22-23. The splash ends.
  if (menuLevel && FirstLoad == 0) {
    DebugTrace("Level took %.2f seconds to load\n", static_cast<double>(GetTickCount() - start) / 1000.0);
    if (g_GlobalHeap != nullptr) g_GlobalHeap->Reset();
  }
  if (SplashActive) {
    g_SlideShow.Finish();
    FirstLoad = 0;
  }
  // 24-25. The environment finished, the key table, the overlays.
  g_GameClock->Reset();
  // The level's key table: the lock table starts empty for each level.
  g_LockTable.Clear();
  for (CScreen2D* overlay : g_ViewScreens2D)
    if (overlay != nullptr) overlay->SetTransition(1);
  // 26. Difficulty.
  for (int level = 0; level < 3; ++level) g_Difficulty.SetDamageFactor(level, kDifficultyFactors[level]);
  g_Difficulty.SetGlobalFactor(1.0f);
  g_Difficulty.SetEnabled(true);
  // 27. The game record's counts, the clocks' words.
  if (g_Game != nullptr) g_Game->LevelStart();
  UnitsLevelSwitchAIOn();
  if (g_GlobalHeap != nullptr) g_GlobalHeap->Reset();
  // 28. The per-level pools.
  if (!CreateLevelPools()) {
    ErrorBox("The level's pools could not be made");
    return 0;
  }
  for (CScreen2D* overlay : g_ViewScreens2D)
    if (overlay != nullptr) overlay->Reset();
  Step("28 level pools");
  // 29. A saved game to restore: the players' soldiers, then the world.
  if (g_Game != nullptr && g_Game->LoadPending != 0) g_Game->ApplyPlayerViews();
  if (g_Game != nullptr && g_Game->RestorePending != 0) {
    const bool restored = g_Game->Restore();
    Step(std::string("29 saved game ") + (restored ? "restored" : "restored in part"));
  }
  // 31. Ready: the pool sizes, the key prompt.
  LevelEndPoolSizes(levelName);
  if (PressKeyPending != 0 && MissionQuerySkipPrompt() == 0 && !menuLevel && IsCommandSwitchSet('u') != 1) {
    ShowMessageScreen("", 0xFF000000u);
    WaitForAnyInput(0);
    Step("31 key prompt");
  }
  PressKeyPending = 0;
  UpdateInput();
  // 32. Done.
  ClearCurrentEnvironmentName();
  DebugTrace("Level took %.2f seconds to load\n", static_cast<double>(GetTickCount() - start) / 1000.0);
  DebugTrace("DONE : levelInitialise\n");
  SetMenuLayerVisible(1);
  LevelLoaded = 1;
  LevelStartTime = g_GameClock->GetGameTime();
  g_levelRunning = true;
  Step("32 done");
  return 1;
}

void LevelShutdown() {
  if (!g_levelRunning && !MissionPluginBound() && LevelEnvironmentName()[0] == '\0') return;
  TraceStep("level shut-down");
  CLightTable::ClearActive();
  MPLevelEnd();
  if (g_Decals != nullptr) g_Decals->Clear();
  DebugTrace("You can't stop the music\n");
  if (g_SoundManager != nullptr) g_SoundManager->StopMusic();
  DebugTrace("nobody can stop the music\n");
  FreeScriptState();
  // Entries a level posted never run in the next one, and a plug-in's
  // entries hold addresses in the library freed below.
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->Reset();
  FreeMissionPlugin();
  if (IsCatalogOpen()) CloseCatalog();
  ReopenCatalog(0);
  if (g_ParticlePool != nullptr) g_ParticlePool->ResetAll();
  if (g_WorldText != nullptr) g_WorldText->WorldTextClear();
  if (g_MovieCamera != nullptr) g_MovieCamera->Reset();
  MakeLoadingLogo(false);
  g_LockTable.Clear();
  FreePlayerCameras();
  g_LocalPlayers.RemoveAll();
  UnitsLevelShutdown();
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  AnimSlotClearAll();
  if (g_SoundManager != nullptr) g_SoundManager->ReleaseLevel();
  ForgetEffectLevelState();
  EndOfLevelReset();
  FreeLevelPools();
  if (g_GlobalHeap != nullptr) g_GlobalHeap->Reset();
  ClearLevelEnvironmentName();
  ClearCurrentEnvironmentName();
  LevelLoaded = 0;
  g_levelRunning = false;
  TraceStep("level shut-down done");
}
