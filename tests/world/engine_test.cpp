// Engine start-up and shut-down over the Direct3D stand-in, with the game's
// device callback taking the stored device settings from the registry.
#include "world/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/memory/memory_manager.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "platform/win32/registry.h"
#include "render/2d/sprite_render.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/manager/scene_manager.h"
#include "scene/decals/decals.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/dynamics/dynamics_world.h"
#include "world/cameras/movie_camera.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_table.h"
#include "platform/win32/window.h"
#include "render/geometry/camera.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"
#include "shell/game_device_callback.h"

namespace {

namespace fs = std::filesystem;

// The module log from `from` on, as "+name" / "-name" / "0name" texts.
std::vector<std::string> Events(int from = 0) {
  std::vector<std::string> out;
  for (int i = from; i < EngineModuleEventCount(); ++i)
    out.push_back(std::string(1, EngineModuleEvents()[i].action) + EngineModuleEvents()[i].name);
  return out;
}

std::uint32_t LiveBlocks() {
  MemStatistics s{};
  MemGetStatistics(&s);
  return s.totalAllocUnitCount;
}

// Every global the engine owns is null.
void ExpectAllModulesGone() {
  EXPECT_EQ(g_Render, nullptr);
  EXPECT_EQ(g_VertexShaders, nullptr);
  EXPECT_EQ(g_PixelShaders, nullptr);
  EXPECT_EQ(g_MainCamera, nullptr);
  EXPECT_EQ(g_LevelTextures, nullptr);
  EXPECT_EQ(g_PersistentTextures, nullptr);
  EXPECT_EQ(g_LevelMaterials, nullptr);
  EXPECT_EQ(g_PersistentMaterials, nullptr);
  EXPECT_EQ(g_DefaultMaterial, nullptr);
  EXPECT_EQ(g_BlackMaterial, nullptr);
  EXPECT_EQ(g_SceneManager, nullptr);
  EXPECT_EQ(g_Surfaces, nullptr);
  EXPECT_EQ(g_StepTimer, nullptr);
  EXPECT_EQ(g_GameClock, nullptr);
  EXPECT_EQ(g_RealClock, nullptr);
  EXPECT_EQ(g_TransparentBuffer, nullptr);
  EXPECT_EQ(g_Regions, nullptr);
  EXPECT_EQ(g_Switches, nullptr);
  EXPECT_EQ(g_Environment, nullptr);
  EXPECT_EQ(g_MovieCamera, nullptr);
  EXPECT_EQ(g_Decals, nullptr);
  EXPECT_EQ(g_DynamicsWorld, nullptr);
  EXPECT_EQ(g_Lights, nullptr);
  EXPECT_EQ(g_DepthSortQueue, nullptr);
}

// Start-up order of the modules (the render device first).
const std::vector<std::string> kStartUpOrder = {
    "+render device", "+vertex shaders", "+pixel shaders", "+camera", "+level textures", "+persistent textures",
    "+level materials", "+persistent materials", "+scene manager", "+surfaces", "+step timer", "+game clock",
    "+real clock", "+movie cameras", "+lights", "+transparent buffer", "+transparent queue", "+decals", "+regions",
    "+switches", "+environment", "+dynamics world"};
// Shut-down order.
const std::vector<std::string> kShutDownOrder = {
    "-switches", "-regions", "-decals", "-transparent queue", "-transparent buffer", "-lights", "-environment",
    "-dynamics world", "-scene manager", "-level materials",
    "-level textures", "-persistent textures", "-persistent materials", "-surfaces", "-movie cameras", "-step timer", "-game clock",
    "-real clock", "-camera", "-vertex shaders", "-pixel shaders", "-render device"};

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              (std::string("halberd_engine_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    SetRegistryFolder(folder_.c_str());
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "HalberdEngineTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalberdEngineTest", "engine test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                              480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    SetRegistryFolder(nullptr);
    fs::remove_all(folder_);
  }
  void Store(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDeviceSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
  }

  fs::path folder_;
  HWND window_ = nullptr;
};

TEST_F(Engine, StartsEverythingAndShutsItAllDown) {
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  ASSERT_NE(g_Render, nullptr);
  EXPECT_TRUE(g_Render->IsDeviceReady());
  ASSERT_NE(g_VertexShaders, nullptr);
  ASSERT_NE(g_PixelShaders, nullptr);
  ASSERT_NE(g_MainCamera, nullptr);
  EXPECT_EQ(CCamera::GetCurrentCamera(), g_MainCamera);
  EXPECT_EQ(g_MainCamera->GetFarClip(), 10000.0f);
  EXPECT_EQ(g_MainCamera->GetFarClipSquared(), 1e8f);
  // Without stored settings the enumerated choice stands: 800 x 600, and the
  // window's client area is given that size.
  EXPECT_EQ(g_Render->GetModeWidth(), 800u);
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 600);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), WS_POPUP | WS_VISIBLE | WS_BORDER);

  EngineShutdown();
  ExpectAllModulesGone();
  EXPECT_EQ(CCamera::GetCurrentCamera(), nullptr);
}

TEST_F(Engine, CreatesEveryModuleInOrderAndFreesThemAll) {
  // One round first, so that what the device and the catalogs keep for the
  // process (driver state, first-use tables) is not counted.
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  EngineShutdown();
  const std::uint32_t before = LiveBlocks();
  EngineClearModuleEvents();
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  EXPECT_EQ(Events(), kStartUpOrder);
  // The modules are wired to each other as the start-up says.
  ASSERT_NE(g_Environment, nullptr);
  EXPECT_EQ(g_Environment->Render, g_Render);
  EXPECT_EQ(g_Environment->Textures, g_LevelTextures);
  EXPECT_EQ(g_Environment->Materials, g_LevelMaterials);
  EXPECT_EQ(g_Environment->FrameBlock, g_TransparentBuffer);
  EXPECT_EQ(g_Environment->Queue, g_DepthSortQueue);
  EXPECT_EQ(g_Environment->LightTable, g_Lights);
  EXPECT_EQ(g_Lights->Capacity, 254);
  EXPECT_EQ(g_Environment->GameClock, g_GameClock);
  EXPECT_EQ(g_Environment->RealClock, g_RealClock);
  EXPECT_EQ(g_Environment->GetRenderFlags(), 129u);
  EXPECT_EQ(g_Switches->GetClock(), g_GameClock);
  // The camera manager has the game clock from the start, and viewport 0
  // shows a started camera with a 70-degree field of view.
  ASSERT_NE(g_MovieCamera, nullptr);
  EXPECT_EQ(g_MovieCamera->GetClock(), g_GameClock);
  const int first = g_MovieCamera->GetViewportCamera(0);
  ASSERT_GE(first, 0);
  EXPECT_EQ(g_MovieCamera->GetViewCamera(0), first);
  EXPECT_EQ(g_MovieCamera->GetFieldOfView(first), 70.0f);
  EXPECT_NE(g_MovieCamera->GetCameraRecord(first)->FlagsA & CAMA_MARKED, 0u);
  EXPECT_FALSE(g_GameClock->IsRunning());
  EXPECT_FALSE(g_RealClock->IsRunning());
  EXPECT_EQ(g_DefaultMaterial, g_LevelMaterials->GetByIndex(0));
  ASSERT_NE(g_BlackMaterial, nullptr);
  EXPECT_NE(g_BlackMaterial, g_DefaultMaterial);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(g_BlackMaterial->Diffuse[k], 0.0f);
    EXPECT_EQ(g_BlackMaterial->Specular[k], 0.0f);
    EXPECT_EQ(g_BlackMaterial->Emissive[k], 0.0f);
  }

  const int mark = EngineModuleEventCount();
  EngineShutdown();
  EXPECT_EQ(Events(mark), kShutDownOrder);
  ExpectAllModulesGone();
  // The memory tracker holds no block of the engine any more.
  EXPECT_EQ(LiveBlocks(), before);
}

TEST_F(Engine, AFailedModuleAllocationFailsStartUpAndFreesWhatWasMade) {
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  EngineShutdown();
  const std::uint32_t before = LiveBlocks();
  // Refuse each module in turn: the first, one in the middle, the last.
  for (int refused : {1, 2, 9, 15, static_cast<int>(kStartUpOrder.size())}) {
    EngineClearModuleEvents();
    EngineFailModuleAllocation(refused);
    const int started = EngineInitialise(nullptr, window_, GameDeviceCallback, 1);
    // Counted before any expectation, whose messages allocate.
    const std::uint32_t left = LiveBlocks();
    EXPECT_EQ(started, 0) << "refused module " << refused;
    EXPECT_EQ(left, before) << "refused module " << refused;
    ExpectAllModulesGone();
    // Exactly the modules before the refused one were made, and each was freed.
    int made = 0, freed = 0;
    for (const std::string& e : Events()) {
      made += e[0] == '+';
      freed += e[0] == '-';
    }
    EXPECT_EQ(made, refused - 1) << "refused module " << refused;
    EXPECT_EQ(freed, refused - 1) << "refused module " << refused;
  }
  EngineFailModuleAllocation(0);
  // A shut-down after the failed start-up has nothing left to free.
  EngineShutdown();
  ExpectAllModulesGone();
}

TEST_F(Engine, ResetRenewsExactlyTheLevelBoundModules) {
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  g_PersistentTextures->GetTexture("kept", 0);
  g_LevelTextures->GetTexture("dropped", 0);
  static const float kRed[4] = {1, 0, 0, 1}, kZero[4] = {};
  g_PersistentMaterials->FindOrAdd(kRed, kZero, 1.0f, kZero);
  const int persistentMaterials = g_PersistentMaterials->Count;
  const int levelTextures = g_LevelTextures->Count;
  g_Regions->Add(CRegion{});
  CTextureManager* persistent = g_PersistentTextures;
  CTimer* clock = g_GameClock;
  CCamera* camera = g_MainCamera;
  CRender* render = g_Render;
  g_MainCamera->SetFarClip(50.0f);
  g_MovieCamera->CreateCamera("level camera");
  CMovieCamera* cameras = g_MovieCamera;
  // The 2D overlay left on by the old level.
  CScreen2D overlay;
  overlay.ToggleTransition();
  ASSERT_EQ(overlay.GetTransitionState(), CScreen2D::TRANSITION_RISING);
  g_Screen2D = &overlay;

  const int mark = EngineModuleEventCount();
  ASSERT_EQ(EngineReset(), 1);
  g_Screen2D = nullptr;
  const std::vector<std::string> expected = {
      "-regions", "-switches", "0decals", "0transparent queue", "0transparent buffer", "0lights", "-environment",
      "-dynamics world", "-scene manager", "0animation sets", "-surfaces", "-level textures", "-level materials",
      "+level textures", "+level materials", "+scene manager", "+surfaces", "+regions", "+switches",
      "0movie cameras", "+environment", "02D overlay", "+dynamics world"};
  EXPECT_EQ(Events(mark), expected);
  EXPECT_EQ(overlay.GetTransitionState(), CScreen2D::TRANSITION_OFF);
  // Kept: the device, the camera, the clocks and the persistent libraries with what they held.
  EXPECT_EQ(g_Render, render);
  EXPECT_EQ(g_MovieCamera, cameras);
  EXPECT_EQ(g_MainCamera, camera);
  EXPECT_EQ(g_GameClock, clock);
  EXPECT_EQ(g_PersistentTextures, persistent);
  EXPECT_NE(g_PersistentTextures->FindByName("kept"), nullptr);
  EXPECT_EQ(g_PersistentMaterials->Count, persistentMaterials);
  // Renewed: empty level libraries and lists, a fresh environment on the kept modules.
  EXPECT_EQ(g_LevelTextures->FindByName("dropped"), nullptr);
  EXPECT_LT(g_LevelTextures->Count, levelTextures);
  EXPECT_EQ(g_Regions->GetCount(), 0);
  EXPECT_EQ(g_Switches->GetCount(), 0);
  EXPECT_EQ(g_Environment->Textures, g_LevelTextures);
  EXPECT_EQ(g_Environment->Queue, g_DepthSortQueue);
  EXPECT_EQ(g_Environment->LightTable, g_Lights);
  EXPECT_EQ(CLightTable::Current(), g_Lights) << "the engine's table is the one the drawers use";
  EXPECT_EQ(g_Environment->GameClock, g_GameClock);
  EXPECT_EQ(g_DefaultMaterial, g_LevelMaterials->GetByIndex(0));
  EXPECT_NE(g_BlackMaterial, nullptr);
  EXPECT_EQ(g_MainCamera->GetFarClip(), 10000.0f);
  // The camera manager is kept, with only a fresh camera in viewport 0.
  EXPECT_EQ(g_MovieCamera->GetClock(), g_GameClock);
  const int fresh = g_MovieCamera->GetViewportCamera(0);
  ASSERT_GE(fresh, 0);
  EXPECT_EQ(g_MovieCamera->GetFieldOfView(fresh), 70.0f);
  int used = 0;
  for (int n = 0; n < kMaxMovieCameras; ++n) used += g_MovieCamera->IsUsed(n);
  EXPECT_EQ(used, 1);
  EngineShutdown();
  ExpectAllModulesGone();
}

TEST_F(Engine, SpriteLoadsAfterAResetGoToTheRenewedLevelLibrary) {
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  // Sets made over the persistent library, then one over the level library
  // (a menu level's logo): later loads go where the last set was made.
  CSpriteRender persistentSet(g_Render, g_MainCamera, g_PersistentTextures);
  {
    CSpriteRender levelSet(g_Render, g_MainCamera, g_LevelTextures);
    ASSERT_EQ(CSpriteRender::s_Textures, g_LevelTextures);
  }
  ASSERT_EQ(EngineReset(), 1);
  // A page looked up after the level change (a mission's map picture) lands
  // in the renewed library, not in the freed one.
  ASSERT_EQ(CSpriteRender::s_Textures, g_LevelTextures);
  EXPECT_NE(CSpriteRender::s_Textures->GetTexture("after_reset", 0), nullptr);
  EXPECT_NE(g_LevelTextures->FindByName("after_reset"), nullptr);
  // A set over the persistent library keeps it through a reset.
  CSpriteRender again(g_Render, g_MainCamera, g_PersistentTextures);
  ASSERT_EQ(EngineReset(), 1);
  EXPECT_EQ(CSpriteRender::s_Textures, g_PersistentTextures);
  EngineShutdown();
  ExpectAllModulesGone();
}

TEST_F(Engine, StoredDeviceSettingsReachTheRenderObject) {
  Store("Shadows", 0);
  Store("DetailTextures", 0);
  Store("Decals", 0);
  Store("EnvironmentMaps", 0);
  Store("DrawDistance", 1);
  Store("ShrubLevel", 0);
  Store("TextureResolution", 2);
  Store("ResolutionIndex", 0);  // the first mode of the list
  Store("AdapterIndex", 99);    // out of range: the enumerated adapter stays
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  EXPECT_EQ(g_Render->GetStencilBits(), 0u);
  EXPECT_EQ(g_Render->GetRenderOptions() & RENDER_OPTION_STENCIL, 0u);
  EXPECT_EQ(g_Render->GetFeatureFlags() & (DFF_MULTITEXTURE | DFF_ZBIAS | DFF_CUBE_MAPS), 0u);
  EXPECT_NE(g_Render->GetFeatureFlags() & DFF_ALPHA_BLEND, 0u);
  EXPECT_EQ(g_Render->GetRenderOptions() & (RENDER_OPTION_0 | RENDER_OPTION_1 | RENDER_OPTION_2), 0u);
  EXPECT_EQ(g_Render->m_DrawDistanceSwitch, 1);
  EXPECT_EQ(g_Render->m_ShrubLevelSwitch, 0);
  EXPECT_EQ(g_Render->m_TextureResolution, 2u);
  EXPECT_EQ(g_Render->m_CurrentAdapter, 0u);
  const AdapterInfo& adapter = g_Render->m_Adapters[0];
  EXPECT_EQ(adapter.Devices[0].CurrentMode, 0u);
  EXPECT_EQ(g_Render->GetModeWidth(), adapter.Devices[0].Modes[0].Width);
  EngineShutdown();
}

TEST_F(Engine, VetoedStartUpLeavesNothingBehind) {
  auto veto = [](CRender*, HINSTANCE, HWND, int) { return 0; };
  EXPECT_EQ(EngineInitialise(nullptr, window_, veto, 1), 0);
  ExpectAllModulesGone();
}

}  // namespace
