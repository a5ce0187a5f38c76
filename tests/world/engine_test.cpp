// Engine start-up and shut-down over the Direct3D stand-in, with the game's
// device callback taking the stored device settings from the registry.
#include "world/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "render/geometry/camera.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"
#include "shell/game_device_callback.h"

namespace {

namespace fs = std::filesystem;

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
  EXPECT_EQ(g_Render, nullptr);
  EXPECT_EQ(g_VertexShaders, nullptr);
  EXPECT_EQ(g_PixelShaders, nullptr);
  EXPECT_EQ(g_MainCamera, nullptr);
  EXPECT_EQ(CCamera::GetCurrentCamera(), nullptr);
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
  EXPECT_EQ(g_Render, nullptr);
  EXPECT_EQ(g_VertexShaders, nullptr);
  EXPECT_EQ(g_MainCamera, nullptr);
}

}  // namespace
