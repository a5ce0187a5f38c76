// The engine's frame step and view over a started engine.
#include "shell/engine_life_cycle.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/time/timer.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "render/geometry/camera.h"
#include "shell/game_device_callback.h"
#include "world/cameras/movie_camera.h"
#include "world/dynamics/dynamics_world.h"
#include "world/engine.h"
#include "world/switches/switch_table.h"

namespace {

LRESULT LifeCycleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class LifeCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / "halberd_life_cycle_registry";
    std::filesystem::create_directories(folder_);
    SetRegistryFolder(folder_.c_str());
    WNDCLASSA wc{};
    wc.lpfnWndProc = LifeCycleWindowProc;
    wc.lpszClassName = "HalberdLifeCycleTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalberdLifeCycleTest", "life cycle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                              480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  }
  void TearDown() override {
    EngineShutdown();
    if (window_ != nullptr) DestroyWindow(window_);
    SetRegistryFolder(nullptr);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
  HWND window_ = nullptr;
};

TEST_F(LifeCycle, TheViewFollowsTheMovieCameraOfTheViewport) {
  const int n = g_MovieCamera->CreateCamera("look");
  g_MovieCamera->SetWorldCollision(n, false);
  g_MovieCamera->SetPosition(n, {100, 200, 300});
  g_MovieCamera->SetAngles(n, {10, 45, 0});
  g_MovieCamera->SetFieldOfView(n, 50.0f);
  g_MovieCamera->StartCamera(1, n);
  ASSERT_TRUE(EngineApplyView(1));
  const CVector3 p = g_MainCamera->GetPosition();
  EXPECT_EQ(p.x, 100.0f);
  EXPECT_EQ(p.z, 300.0f);
  EXPECT_EQ(g_MainCamera->GetAngles().y, 45.0f);
  EXPECT_EQ(g_MainCamera->GetFieldOfView(), 50.0f);
  EXPECT_FALSE(EngineApplyView(2)) << "nothing shown there";
}

TEST_F(LifeCycle, SwitchesMoveOnlyWhileTheGameClockRuns) {
  CSwitch lever;
  lever.TravelTime = 0;
  const int i = g_Switches->Add(&lever);
  ASSERT_TRUE(g_Switches->GetSwitch(i)->SetState(0));
  EngineFrameStep();
  EXPECT_TRUE(g_Switches->GetSwitch(i)->IsMoving()) << "the clocks are stopped at start-up";
  EngineRunClocks(1);
  EXPECT_TRUE(g_GameClock->IsRunning());
  EXPECT_TRUE(g_RealClock->IsRunning());
  EngineFrameStep();
  EXPECT_FALSE(g_Switches->GetSwitch(i)->IsMoving());
  EngineRunClocks(0);
  EXPECT_FALSE(g_GameClock->IsRunning());
}

TEST_F(LifeCycle, ThePhysicsWorldStepsOnlyWhileTheGameClockRuns) {
  g_GameClock->SetFixedFrameTime(33);
  EngineFrameStep();
  EXPECT_FALSE(g_DynamicsWorld->HasStepped()) << "the clocks are stopped at start-up";
  EngineRunClocks(1);
  EngineFrameStep();
  EXPECT_TRUE(g_DynamicsWorld->HasStepped());
  EXPECT_NEAR(g_DynamicsWorld->GetLastStepLength(), 0.05f, 1e-6f) << "the first step's length";
  EngineFrameStep();
  EXPECT_NEAR(g_DynamicsWorld->GetLastStepLength(), 0.033f, 1e-6f) << "one frame of the game clock";
}

}  // namespace
