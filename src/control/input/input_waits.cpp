// Waiting for input: the capture machine of the key-binding screen, the
// blocking wait of the splash screens, and the idle clock.
#include <cfloat>

#include "control/input/input.h"
#include "control/input/input_joystick.h"
#include "foundation/time/timer.h"
#include "platform/win32/clocks.h"
#include "platform/win32/window.h"

void CInput::StartWaitForInput(std::uint32_t mask) {
  waitState_ = 1;
  waitMask_ = mask;
  seen_[0] = seen_[1] = seen_[2] = 0;
  for (std::uint16_t& c : captured_) c = kNoCapture;
}

void CInput::StepWaitForInput() {
  if (waitState_ == 0) return;
  // Keys and mouse buttons are seen while held or released (state bit 1);
  // in state 2 the last one seen is captured.  The joysticks were looked at
  // by their poll.
  if (waitMask_ & WAIT_KEYBOARD) {
    seen_[0] = 0;
    for (int code = 0; code < kKeySlots; ++code) {
      if (keys_[code] & 2) {
        seen_[0] = 1;
        if (waitState_ == 2) captured_[0] = static_cast<std::uint16_t>(code);
      }
    }
  }
  if (waitMask_ & WAIT_MOUSE) {
    seen_[2] = 0;
    for (int button = 0; button < kMouseButtons; ++button) {
      if (mouseButtons_[button] & 2) {
        seen_[2] = 1;
        if (waitState_ == 2) captured_[3] = static_cast<std::uint16_t>(button);
      }
    }
  }
  const bool seen = ((waitMask_ & WAIT_KEYBOARD) && seen_[0]) || ((waitMask_ & WAIT_JOYSTICK) && seen_[1]) ||
                    ((waitMask_ & WAIT_MOUSE) && seen_[2]);
  // 1: wait for everything to be let go; 2: wait for something; 3: wait for
  // it to be let go again.
  if (waitState_ == 1 && !seen) waitState_ = 2;
  else if (waitState_ == 2 && seen) waitState_ = 3;
  else if (waitState_ == 3 && !seen) waitState_ = 0;
}

void CInput::WaitForAnyInput(std::uint32_t timeoutMs) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYDOWN, 264, PM_REMOVE)) {
  }
  while (PeekMessageA(&msg, nullptr, 512, 521, PM_REMOVE)) {
  }
  CTimer* real = RealClock();
  if (real) real->Update();
  const std::uint32_t start = real ? real->GetElapsedTime() : timeGetTime();
  for (;;) {
    const std::uint32_t now = real ? real->GetElapsedTime() : timeGetTime();
    if (timeoutMs != 0 && now - start > timeoutMs) break;
    PollJoysticks();
    if (joystickButtonPressed_) break;
    if (PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, 521, PM_REMOVE)) break;
    if (PeekMessageA(&msg, nullptr, WM_KEYDOWN, 264, PM_REMOVE)) break;
    Sleep(10);
    if (real) real->Update();
  }
  Sleep(20);
}

void CInput::StepIdleClock() {
  const CTimer* clock = GameClock();
  const float now = clock ? static_cast<float>(clock->GetGameTime()) / 1000.0f : 0.0f;
  if (now - idleLast_ < 0.0f) idleLast_ = now;
  if (joystickButtonPressed_ || anyKeyPressed_) {
    idleOffset_ = 0.0f;
    idleLast_ = now;
  }
}

float CInput::GetIdleTime() const {
  const CTimer* clock = GameClock();
  const float now = clock ? static_cast<float>(clock->GetGameTime()) / 1000.0f : 0.0f;
  return now - idleLast_ + idleOffset_;
}

void CInput::SetIdleOffsetToNow() {
  const CTimer* clock = GameClock();
  idleOffset_ = -(clock ? static_cast<float>(clock->GetGameTime()) / 1000.0f : 0.0f);
}

void CInput::SetIdleOffsetToMax() { idleOffset_ = FLT_MAX; }
