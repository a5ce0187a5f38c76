#include "units/units_level_fixture.h"


#include "foundation/files/file_locator.h"
#include "foundation/time/timer.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "shell/engine_life_cycle.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "units/base/hlo_scheduler.h"
#include "units/soldier/grunt.h"
#include "units/units_loader_fixture.h"
#include "world/engine.h"
#include "world/objects/chlo_manager.h"

namespace {

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string>* g_levelBoxes = nullptr;
int CaptureLevelBox(HWND, const char* text, const char* caption, UINT, void*) {
  if (g_levelBoxes != nullptr) g_levelBoxes->push_back(std::string(caption != nullptr ? caption : "") + ": " + (text ? text : ""));
  return IDOK;
}

}  // namespace

void UnitsLevelTest::SetUp() {
  RegistryFolderTest::SetUp();
  SetWorkDirectory();
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = "HalberdUnitsLevelTest";
  RegisterClassA(&wc);
  window_ = CreateWindowExA(0, "HalberdUnitsLevelTest", "units level", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                            480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window_, nullptr);
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  ASSERT_TRUE(StartGameModules());
  g_levelBoxes = &boxes_;
  UnitsLevelLoad load;
  std::string error;
  const bool ok = LoadUnitsLevel(&load, CaptureLevelBox, nullptr, &error);
  loaded_ = load.loaded;
  levelBoxes_ = load.levelBoxes;
  slotsFilled_ = load.slotsFilled;
  ASSERT_TRUE(ok) << error << (boxes_.empty() ? std::string() : ": " + boxes_.back());
  for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
  EngineRunClocks(1);
}

void UnitsLevelTest::TearDown() {
  UnloadUnitsLevel();
  g_levelBoxes = nullptr;
  StopGameModules();
  EngineShutdown();
  if (window_ != nullptr) DestroyWindow(window_);
  RegistryFolderTest::TearDown();
}

void UnitsLevelTest::RunFrames(int frames) {
  for (int f = 0; f < frames; ++f) {
    EngineFrameStep();
    if (g_HLOScheduler != nullptr) g_HLOScheduler->Update();
  }
}

std::vector<CHLOGrunt*> UnitsLevelTest::Soldiers(int side) const {
  std::vector<CHLOGrunt*> out;
  if (g_HLOManager == nullptr) return out;
  for (int s = 0; s < g_HLOManager->Sides(); ++s) {
    if (side >= 0 && s != side) continue;
    for (CHLO* list : {g_HLOManager->FirstActive(s, HLO_GRUNT), g_HLOManager->FirstInactive(s, HLO_GRUNT)})
      for (CHLO* o = list; o != nullptr; o = o->Next) out.push_back(static_cast<CHLOGrunt*>(o));
  }
  return out;
}
