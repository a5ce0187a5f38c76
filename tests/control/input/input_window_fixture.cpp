#include "control/input/input_window_fixture.h"

#include "platform/dinput8/dinput8_test_hooks.h"
#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/clocks.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/window.h"

namespace {

LONGLONG gNowNs = 1000000000LL;

LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= 0x0100 && message <= 0x0108) || (message >= 0x0200 && message <= 0x0209)) {
    if (wParam != 255) HandleInputMessage(message, wParam, lParam);
    return 0;
  }
  if (message == WM_ACTIVATE) {
    SetInputActive(wParam != 0);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void InputWindowTest::SetUp() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &GameWindowProc;
    cls.lpszClassName = "InputFixtureWindow";
    ASSERT_NE(RegisterClassA(&cls), 0);
    registered = true;
  }
  SetFakeClock([](void*) { return gNowNs; }, nullptr);
  SetSleepHook([](DWORD ms, void*) { Advance(ms); }, nullptr);
  window_ = CreateWindowExA(0, "InputFixtureWindow", "game", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                            nullptr);
  ASSERT_NE(window_, nullptr);
  Win32ResetInjectedModifiers();
  gameClock_ = std::make_unique<CTimer>();
  realClock_ = std::make_unique<CTimer>();
  ASSERT_TRUE(InitInput(nullptr, window_));
  g_Input->SetClocks(gameClock_.get(), realClock_.get());
  g_Input->SetHalfAxisThresholds(0.3f, 0.0f, 0.0f, 0.0f);
  SetInputActive(true);
  Pump();
}

void InputWindowTest::TearDown() {
  ShutdownInput();
  DetachAllVirtualControllers();
  DInputClearFailures();
  DestroyWindow(window_);
  Pump();
  SetSleepHook(nullptr, nullptr);
  SetFakeClock(nullptr, nullptr);
}

void InputWindowTest::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void InputWindowTest::BeginFrame(unsigned ms) {
  Pump();
  Advance(ms);
  gameClock_->Update();
  realClock_->Update();
  UpdateInput();
}

void InputWindowTest::EndFrame() { AdvanceKeyStates(); }

void InputWindowTest::Advance(unsigned ms) { gNowNs += static_cast<LONGLONG>(ms) * 1000000LL; }

unsigned InputWindowTest::NowMs() { return static_cast<unsigned>(gNowNs / 1000000LL); }
