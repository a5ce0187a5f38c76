#include "shell/program/game_initialise.h"

#include <cstdio>
#include <string>

#include "control/players/soldier_camera_reader.h"
#include "control/bindings/control_mapper.h"
#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "control/players/local_player_table.h"
#include "control/player_camera.h"
#include "control/viewport_config.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/game_search_folders.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "shell/multiplayer/mp_game_services.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/pixel_shader.h"
#include "render/device/render.h"
#include "render/device/vertex_shader.h"
#include "render/geometry/camera.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_effects_hooks.h"
#include "scene/lights/light_table.h"
#include "scene/shadows/shadow_hooks.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/transparent/queue_effects_hooks.h"
#include "shell/cheats/cheat_registry.h"
#include "shell/devkeys/developer_key_actions.h"
#include "shell/endlevel/end_of_level.h"
#include "shell/game/game.h"
#include "shell/game/saved_game_menus.h"
#include "shell/global_heap.h"
#include "shell/mission/mission.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_objects.h"
#include "shell/program/select_device.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"
#include "shell/program/system_settings.h"
#include "shell/stats/stats_tables.h"
#include "sound/sound_effects_hooks.h"
#include "sound/sound_manager.h"
#include "units/base/state_rule_tables.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_world.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/particle_types.h"
#include "world/effects/sphere_events.h"
#include "world/effects/tracer_batteries.h"
#include "world/effects/trails.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/routes/repulsion.h"
#include "world/shrubbery/shrubbery.h"
#include "world/sky/difficulty.h"
#include "world/text/message_list.h"
#include "world/text/screen_text.h"
#include "world/text/terminal.h"
#include "world/text/world_text.h"
#include "world/timing/timed_callback_list.h"
#include "shell/mission/mission.h"
#include "units/factory/hlo_factory.h"

CSpriteRender* g_FontSprites = nullptr;
CFont* g_MainFont = nullptr;
CFont* g_LargeFont = nullptr;
CSpriteRender* g_InterfaceSprites = nullptr;
CSpriteRender* g_PanelSprites = nullptr;
CSpriteRender* g_EffectsSprites = nullptr;
LoadListContext* g_LoadListContext = nullptr;
std::uint32_t PlayerNation = 0;
std::uint32_t StartupCancelled = 0;

namespace {

constexpr int kObjectSides = 4;
constexpr int kObjectKinds = 10;
constexpr int kMainTerminalLines = 10;
constexpr int kSecondTerminalLines = 12;
constexpr int kSecondTerminalLinesSmall = 9;
constexpr std::uint32_t kOverlaySetUp = 33;
constexpr float kCameraFieldOfView = 70.0f;
constexpr float kCameraNear = 8.0f;
constexpr float kCameraFar = 6400.0f;
constexpr int kTrailFrame = 27;
constexpr std::uint32_t kVoiceSetUK = 0;
constexpr std::uint32_t kVoiceSetUS = 6;

// What start-up made that is no plain global: the shut-down frees these.
struct Made {
  bool input = false;
  bool engine = false;
  bool effectHooks = false;
  bool statsTables = false;
  bool difficulty = false;
  bool stateRules = false;
} g_made;

int g_failAllocation = 0;


bool RefuseThisAllocation() { return g_failAllocation > 0 && --g_failAllocation == 0; }

// Makes a long-lived object into its global.  A failed allocation ends
// start-up with a message rather than leaving the global null.
template <class T, class... Args>
bool Make(T*& global, const char* name, Args&&... args) {
  if (!RefuseThisAllocation()) {
    MEM_OWNER();
    global = MEM_NEW(MEMCAT_GAME) T(static_cast<Args&&>(args)...);
  }
  if (global == nullptr) {
    ErrorBox("Out of memory: the %s could not be made", name);
    return false;
  }
  TraceStep(std::string("+") + name);
  return true;
}

template <class T>
void Free(T*& global, const char* name) {
  if (global == nullptr) return;
  MEM_DELETE global;
  global = nullptr;
  TraceStep(std::string("-") + name);
}

// A step whose object or call comes with a later piece of work: traced, and
// reported once as not built yet.
void Later(const char* what) {
  NotBuiltYet(what);
  TraceStep(std::string("(") + what + ": not built yet)");
}

// The sprite set of a file, its device textures made later (step 24).
bool LoadSprites(CSpriteRender*& global, const char* name, const char* file, std::uint32_t flags,
                 std::uint32_t width = 0, std::uint32_t height = 0, std::uint32_t format = 0) {
  if (!Make(global, name, g_Render, g_MainCamera, g_PersistentTextures)) return false;
  global->Load(file, flags, width, height, format);
  return true;
}

void FreeSprites(CSpriteRender*& global, const char* name) {
  if (global != nullptr) global->Free();
  Free(global, name);
}

struct GlyphMaps {
  std::uint16_t a[256];
  std::uint16_t b[256];
  GlyphMaps() {
    for (int c = 0; c < 256; ++c) {
      a[c] = static_cast<std::uint16_t>(c);
      b[c] = c >= 33 && c <= 126 ? static_cast<std::uint16_t>(128 + c - 32) : kNoGlyph;
    }
  }
};

const GlyphMaps& Maps() {
  static const GlyphMaps maps;
  return maps;
}

bool ScreenIs640Wide() { return g_Render != nullptr && g_Render->GetModeWidth() == 640; }

// The timed callback list's 200 entries, in a linear buffer of their own
// that lives as long as the list; the list runs on the game and real clocks
// and the effects post through it.
CLinearBuffer* g_timedCallbackStorage = nullptr;

bool GiveTimedCallbacksStorage() {
  {
    MEM_OWNER();
    g_timedCallbackStorage = MEM_NEW(MEMCAT_GAME) CLinearBuffer(
        static_cast<std::uint32_t>(sizeof(TimedCallbackEntry) * CTimedCallbackList::kDefaultCapacity + 64),
        "timed callback entries");
  }
  if (g_timedCallbackStorage == nullptr || !g_TimedCallbacks->CreateEntries(g_timedCallbackStorage)) {
    ErrorBox("Out of memory: the %s could not be made", "timed callback entries");
    return false;
  }
  g_TimedCallbacks->SetClocks(g_GameClock, g_RealClock);
  g_EffectsHooks.TimedCallbacks = g_TimedCallbacks;
  return true;
}

void FreeTimedCallbacksStorage() {
  if (g_EffectsHooks.TimedCallbacks == g_TimedCallbacks) g_EffectsHooks.TimedCallbacks = nullptr;
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->ForgetEntries();
  if (g_timedCallbackStorage != nullptr) MEM_DELETE g_timedCallbackStorage;
  g_timedCallbackStorage = nullptr;
}

// Steps 12 and 17 of the effect modules, each its own object.
bool MakeEffectObjects() {
  return Make(g_SphereEvents, "event spheres") && Make(g_Explosions, "explosions") && Make(g_Trails, "trails") &&
         Make(g_EffectPool, "effect pool", CEffectPool::kDefaultCapacity, CEffectPool::kDefaultGravity) &&
         Make(g_ParticlePool, "particle pool", g_ParticleTypes, kGameParticleBytes,
              static_cast<const CTimer*>(g_GameClock)) &&
         Make(g_TimedCallbacks, "timed callback list", CTimedCallbackList::kDefaultCapacity) &&
         GiveTimedCallbacksStorage() &&
         Make(g_ImpactPieces, "impact pieces", 15, 8);
}

}  // namespace

const std::uint16_t* GlyphMapA() { return Maps().a; }
const std::uint16_t* GlyphMapB() { return Maps().b; }

void GameFailObjectAllocation(int n) { g_failAllocation = n > 0 ? n : 0; }

void SetPlayerNation(std::uint32_t nation) {
  PlayerNation = nation;
  const bool overridden = g_Locale != nullptr && g_Locale->OverrideWord != 0;
  if (!overridden && g_SoundManager != nullptr)
    g_SoundManager->SetVoiceSet(static_cast<int>(nation == 1 ? kVoiceSetUS : kVoiceSetUK));
}

int GameInitialise() {
  // 1. The system settings.
  SaveAndDisableSystemSettings();
  TraceStep("1 system settings saved and switched off");
  // 2. The scratch heap.
  if (!Make(g_GlobalHeap, "Global Heap", kGlobalHeapSize, "Global Heap")) return 0;
  // 3. The random tables.
  SeedRandomTables(1);
  TraceStep("3 random tables seeded");
  // 4. Input.
  InitInput(AppInstance, MainWindow);
  g_made.input = true;
  SetHalfAxisThresholds(0.3f, 0.0f, 0.0f, 0.0f);
  TraceStep("4 input started");
  // 5. The working directory and the search folders.
  SetWorkDirectory();
  SetSearchFolders(kGameSearchFolders);
  TraceStep("5 work directory and search folders");
  // 6. The locale table.
  if (!Make(g_Locale, "locale table")) return 0;
  // 7. The engine, with the device chosen by SelectDevice.
  StartupCancelled = 0;
  if (!EngineInitialise(AppInstance, MainWindow, SelectDeviceCallback, 1)) {
    ShutdownInput();
    g_made.input = false;
    TraceStep("7 engine failed");
    if (StartupCancelled == 0) ErrorBox("Failed to initialise Tarn");
    return 0;
  }
  g_made.engine = true;
  TraceStep("7 engine started");
  // 8. Low detail: sparser shrubbery.
  if (g_Render->m_ShrubLevelSwitch != 0 && g_Environment != nullptr && g_Environment->Shrubbery != nullptr)
    g_Environment->Shrubbery->SetDensity(kShrubReducedDensity);
  // 9. The control mapper.
  if (!CreateControlMapper()) {
    ErrorBox("Out of memory: the control mapper could not be made");
    return 0;
  }
  TraceStep("+control mapper");
  // 10. The cursor clip, the working directory again, the player cameras.
  ClipCursorToWindow();
  SetWorkDirectory();
  for (CPlayerCamera*& camera : g_PlayerCameras) camera = nullptr;
  TraceStep("10 cursor clipped, player camera slots cleared");
  // 11. The game's records and the sound manager.
  if (!Make(g_Game, "game record")) return 0;
  g_Difficulty = CDifficulty();
  g_made.difficulty = true;
  TraceStep("+difficulty record");
  if (!Make(g_CheatRegistry, "cheat registry")) return 0;
  if (!Make(g_LoadListContext, "load-list context")) return 0;
  Later("combat statistics record");
  if (!Make(g_SoundManager, "sound manager")) return 0;
  if (!g_SoundManager->Initialise(MainWindow, kSoundChannels, true)) ErrorBox("Failed to initialise SoundManager!");
  ConnectSoundToEffects(g_SoundManager);
  // 12. The world's effect objects.
  if (!Make(g_RepulsionPool, "repulsion pool", 225u)) return 0;
  Later("strike list");
  if (!Make(g_LadderTable, "object table and repulsion controller")) return 0;
  if (!Make(g_WorldText, "world text", 16) || !Make(g_ScreenText, "screen text", 24) ||
      !Make(g_MessageList, "message list", 48) || !MakeEffectObjects())
    return 0;
  g_EffectsHooks.GameClock = g_GameClock;
  g_EffectsHooks.RealClock = g_RealClock;
  ResetSideHostility();
  // 13. Callback codes and the switch handler.
  InstallSaveCodeConverters();
  TraceStep("13 callback-code converters");
  Later("switch handler");
  // 14. The camera.
  g_MainCamera->SetProjection(kCameraFieldOfView, kCameraNear, kCameraFar);
  g_MainCamera->SetDefaultFieldOfView(kCameraFieldOfView);
  g_MainCamera->SetFarClip(kCameraFar);
  TraceStep("14 camera projection 70, 8, 6400");
  // 15. The 2D overlays and the terminals.
  if (!Make(g_Screen2D, "main overlay")) return 0;
  g_Screen2D->SetUp(kOverlaySetUp);
  for (int i = 0; i < kScreen2DViews; ++i) {
    if (!Make(g_ViewScreens2D[i], "player overlay")) return 0;
    g_ViewScreens2D[i]->SetUp(kOverlaySetUp);
  }
  const int secondLines = g_Render->GetModeHeight() < 600 ? kSecondTerminalLinesSmall : kSecondTerminalLines;
  if (!Make(g_MainTerminal, "main terminal", g_Render, g_GameClock, g_RealClock, static_cast<CFont*>(nullptr),
            g_Screen2D, kMainTerminalLines) ||
      !Make(g_SecondTerminal, "second terminal", g_Render, g_GameClock, g_RealClock, static_cast<CFont*>(nullptr),
            g_Screen2D, secondLines))
    return 0;
  // 16. The local players.
  g_LocalPlayers.RemoveAll();
  g_LocalPlayers.Add();
  if (g_ViewportConfig.SplitScreen != 0) g_LocalPlayers.Add();
  g_ViewportConfig.SetCounts(g_LocalPlayers.Count());
  TraceStep("16 local players: " + std::to_string(g_LocalPlayers.Count()));
  // 17. The object manager, emitters and the second trail list.
  if (!Make(g_EnvWaypoints, "waypoint list") ||
      !Make(g_HLOManager, "object manager", static_cast<std::uint8_t>(kObjectSides),
            static_cast<std::uint8_t>(kObjectKinds)) ||
      !Make(g_ParticleEmitters, "emitter list", CParticleEmitterList::kDefaultCount) ||
      !Make(g_TracerBatteries, "trail list"))
    return 0;
  Later("world-text renderers");
  if (!Make(g_EndOfLevel, "end-of-level object")) return 0;
  // The engine's hooks into the effects, lights and transparent queue.
  InstallEffectsEngineHooks();
  InstallLightEffectsHooks(g_Lights);
  InstallShadowQueueHook(g_DepthSortQueue);
  g_made.effectHooks = true;
  // 18. The key-action list, with the developer keys under switch M.
  InstallDeveloperKeyActions();
  CreateKeyMap();
  TraceStep("18 key map: " + std::to_string(CountKeyMappings()) + " developer keys");
  // 19. The working directory and search folders again.
  SetWorkDirectory();
  SetSearchFolders(kGameSearchFolders);
  Later("default render-effects name");
  // 20. The state-rule tables.
  if (!LoadStateRuleTables()) {
    TraceStep("20 state-rule tables failed");
    return 0;
  }
  g_made.stateRules = true;
  TraceStep("+state-rule tables");
  // 21. The fonts and sprite sets.
  if (!LoadSprites(g_FontSprites, "font sprite set", "VHBFont.img", TEXF_32BIT | TEXF_ALPHA)) return 0;
  if (!Make(g_MainFont, "main font", GlyphMapA(), static_cast<std::uint16_t>(256)) ||
      !Make(g_LargeFont, "large font", GlyphMapB(), static_cast<std::uint16_t>(256)))
    return 0;
  g_MainFont->Init(g_FontSprites, 0, 255, 8, 17);
  g_LargeFont->Init(g_FontSprites, 0, 255, 12, 0);
  if (!LoadSprites(g_InterfaceSprites, "interface sprite set", "GWInt.img", TEXF_32BIT | TEXF_ALPHA)) return 0;
  const char* panel = ScreenIs640Wide() ? "6448.img" : "8060.img";
  if (!LoadSprites(g_PanelSprites, "panel sprite set", panel, TEXF_32BIT | TEXF_ALPHA)) return 0;
  TraceStep(std::string("21 panel sprites ") + panel);
  if (IsCommandSwitchSet('c') == 1) {
    // Building the catalog: the other panel set enters it too.
    CSpriteRender other(g_Render, g_MainCamera, g_PersistentTextures);
    other.Load(ScreenIs640Wide() ? "8060.img" : "6448.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0);
    other.Free();
  }
  ComputeMenuItemHeights(g_PanelSprites);
  if (!LoadSprites(g_EffectsSprites, "effects sprite set", "Effects.img", 6, 0, 255, 255)) return 0;
  // 22. The shader lists.
  g_PixelShaders->LoadStandard();
  g_VertexShaders->LoadStandard();
  TraceStep("22 shader lists");
  // 23. The object pools.
  g_EnvInstancePool.ClearCounters();
  g_EnvObjectPool.ClearCounters();
  TraceStep("23 object pools reset");
  // 24. The device textures of everything loaded so far.
  g_PersistentTextures->LoadTextures(nullptr);
  for (CSpriteRender* sprites : {g_FontSprites, g_InterfaceSprites, g_PanelSprites, g_EffectsSprites})
    sprites->RecomputeUVs();
  TraceStep("24 device textures");
  // 25. The menu screens, the multiplayer screens, the object factory.
  if (!CreateScreens() || !CreateMultiplayerScreens()) {
    ErrorBox("The menu screens could not be made");
    return 0;
  }
  TraceStep("25 menu screens and multiplayer screens");
  SetupHLOCallbacks();
  InstallSoldierCameraReader();
  InstallSavedGameFunctions();
  TraceStep("25 object factory callbacks");
  // 26. The mission record; the movie camera's field of view.
  if (!Make(g_Mission, "mission record")) return 0;
  g_MovieCamera->SetFieldOfView(0, kCameraFieldOfView);
  // 27. The cheat words.
  RegisterStartupCheatWords(g_CheatRegistry);
  TraceStep("27 cheat words plum and crimson");
  // 28. The stats tables.
  if (!LoadAllStats()) {
    TraceStep("28 stats tables failed");
    return 0;
  }
  g_made.statsTables = true;
  PrintStatsTables();
  TraceStep("28 stats tables");
  // 29. The environment, the particle pool, the clocks, the terminal.
  Later("environment game-started word");
  g_Environment->SetParticleSystem(g_ParticlePool);
  g_GameClock->SetRunning(1);
  g_RealClock->SetRunning(1);
  g_MainTerminal->TerminalClear();
  TraceStep("29 clocks started");
  // 30. The multiplayer layer.
  InstallMultiplayerServices();
  MPLayerStart();
  TraceStep("30 multiplayer layer started");
  // 31. The player's nation.
  SetPlayerNation(IsCommandSwitchSet('s') == 1 ? 1u : 0u);
  TraceStep("31 nation " + std::to_string(PlayerNation));
  // 32. The trails' particle frame.
  InstallQueueEffectsHooks(g_DepthSortQueue, g_EffectsSprites, kTrailFrame);
  TraceStep("32 trail frame 27");
  return 1;
}

void GameShutdown() {
  if (g_made.statsTables) {
    FreeAllStats();
    g_made.statsTables = false;
    TraceStep("-stats tables");
  }
  if (MPLayerStarted()) {
    MPLayerStop();
    TraceStep("-multiplayer layer");
  }
  if (ScreensMade()) {
    DestroyScreens();
    TraceStep("-menu screens");
  }
  if (MultiplayerScreensMade()) {
    DestroyMultiplayerScreens();
    TraceStep("-multiplayer screens");
  }
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  Free(g_HLOManager, "object manager");
  Free(g_Mission, "mission record");
  ConnectSoundToEffects(nullptr);
  if (g_SoundManager != nullptr) g_SoundManager->Free();
  Free(g_SoundManager, "sound manager");
  Free(g_LadderTable, "object table and repulsion controller");
  Free(g_MainTerminal, "main terminal");
  Free(g_SecondTerminal, "second terminal");
  FreeTimedCallbacksStorage();
  Free(g_TimedCallbacks, "timed callback list");
  EndOfLevelReset();
  Free(g_EndOfLevel, "end-of-level object");
  Free(g_WorldText, "world text");
  if (g_made.effectHooks) {
    InstallQueueEffectsHooks(nullptr, nullptr, -1);
    RemoveShadowQueueHook(g_DepthSortQueue);
    InstallLightEffectsHooks(nullptr);
    if (g_DepthSortQueue != nullptr) g_DepthSortQueue->ParticleSprites = nullptr;
    g_made.effectHooks = false;
  }
  Free(g_EffectPool, "effect pool");
  Free(g_Screen2D, "main overlay");
  for (CScreen2D*& overlay : g_ViewScreens2D) Free(overlay, "player overlay");
  Free(g_ParticlePool, "particle pool");
  Free(g_SphereEvents, "event spheres");
  Free(g_Explosions, "explosions");
  Free(g_Trails, "trails");
  Free(g_RepulsionPool, "repulsion pool");
  if (g_made.stateRules) {
    FreeStateRuleTables();
    g_made.stateRules = false;
    TraceStep("-state-rule tables");
  }
  if (g_made.difficulty) {
    g_Difficulty = CDifficulty();
    g_made.difficulty = false;
    TraceStep("-difficulty record");
  }
  Free(g_Locale, "locale table");
  Free(g_CheatRegistry, "cheat registry");
  Free(g_ParticleEmitters, "emitter list");
  Free(g_TracerBatteries, "trail list");
  Free(g_ImpactPieces, "impact pieces");
  FreeInstanceDamageRecords();
  Free(g_ScreenText, "screen text");
  Free(g_MessageList, "message list");
  Free(g_EnvWaypoints, "waypoint list");
  Free(g_LoadListContext, "load-list context");
  RemoveAllKeyMappings();
  FreeSprites(g_InterfaceSprites, "interface sprite set");
  FreeSprites(g_PanelSprites, "panel sprite set");
  Free(g_MainFont, "main font");
  Free(g_LargeFont, "large font");
  FreeSprites(g_FontSprites, "font sprite set");
  FreeSprites(g_EffectsSprites, "effects sprite set");
  if (g_ControlMapper != nullptr) {
    // The bindings go back to "current.key".
    DestroyControlMapper();
    TraceStep("-control mapper");
  }
  if (g_made.engine) {
    EngineShutdown();
    g_made.engine = false;
    TraceStep("-engine");
  }
  if (g_made.input) {
    ShutdownInput();
    g_made.input = false;
    TraceStep("-input");
  }
  Free(g_Game, "game record");
  Free(g_GlobalHeap, "Global Heap");
  if (SystemSettingsSaved()) {
    RestoreSystemSettings();
    TraceStep("system settings restored");
  }
}
