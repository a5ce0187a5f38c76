// The mouse: relative motion from DirectInput with its smoothing ring, and
// the cursor in client pixels.
#include "control/input/input.h"
#include "control/input/input_joystick.h"
#include "foundation/time/timer.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/window.h"
#include "render/device/render.h"

bool CInput::CreateMouse() {
  IDirectInputDevice8A* device = nullptr;
  if (FAILED(directInput_->CreateDevice(GUID_SysMouse, &device, nullptr)) || !device) return false;
  DIPROPDWORD mode{};
  mode.diph = DIPROPHEADER{sizeof mode, sizeof mode.diph, 0, DIPH_DEVICE};
  mode.dwData = DIPROPAXISMODE_REL;
  if (FAILED(device->SetDataFormat(&c_dfDIMouse)) || FAILED(device->SetProperty(DIPROP_AXISMODE, &mode.diph)) ||
      FAILED(device->SetCooperativeLevel(window_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND))) {
    device->Release();
    return false;
  }
  mouse_ = device;
  ResetMouseSmoothing();
  return true;
}

void CInput::ReleaseMouse() {
  if (!mouse_) return;
  mouse_->Unacquire();
  mouse_->Release();
  mouse_ = nullptr;
}

void CInput::ResetMouseSmoothing() {
  smoothCount_ = 1;
  smoothNewest_ = 0;
  for (SmoothEntry& e : smooth_) e = SmoothEntry{};
  smooth_[0] = SmoothEntry{0.0f, 0.0f, 2.0f};
}

void CInput::PollMouse() {
  DIMOUSESTATE state{};
  if (mouse_) {
    HRESULT hr = mouse_->GetDeviceState(sizeof state, &state);
    if (hr == DIERR_INPUTLOST && SUCCEEDED(mouse_->Acquire())) hr = mouse_->GetDeviceState(sizeof state, &state);
    // A device that cannot be read this frame gives no motion.
    if (FAILED(hr)) state = DIMOUSESTATE{};
  }
  mouseDelta_[0] = state.lX;
  mouseDelta_[1] = state.lY;
  mouseDelta_[2] = state.lZ;
  const CTimer* clock = GameClock();
  PushMouse(static_cast<float>(state.lX), static_cast<float>(state.lY), clock ? clock->GetFrameTime() : 0.0f);

  // The system cursor in the window's client area, kept on the back buffer.
  POINT p{0, 0};
  if (!window_ || !GetCursorPos(&p) || !ScreenToClient(window_, &p)) return;
  int width = 0, height = 0;
  if (g_Render) {
    width = static_cast<int>(g_Render->GetModeWidth());
    height = static_cast<int>(g_Render->GetModeHeight());
  } else {
    RECT client{};
    GetClientRect(window_, &client);
    width = client.right;
    height = client.bottom;
  }
  if (p.x > width - 1) p.x = width - 1;
  if (p.y > height - 1) p.y = height - 1;
  if (p.x < 0) p.x = 0;
  if (p.y < 0) p.y = 0;
  cursor_[0] = p.x;
  cursor_[1] = p.y;
}

void CInput::PushMouse(float dx, float dy, float frameSeconds) {
  smoothNewest_ = (smoothNewest_ + 1) % kSmoothCapacity;
  if (smoothCount_ < kSmoothCapacity) ++smoothCount_;
  smooth_[smoothNewest_] = SmoothEntry{dx, dy, frameSeconds * smoothRate_};
}

void CInput::GetSmoothedMouse(float* dx, float* dy) const {
  float sx = 0.0f, sy = 0.0f;
  const SmoothEntry& newest = smooth_[smoothNewest_];
  if (newest.weight > 1.0f) {
    sx = smoothScale_ / newest.weight * newest.dx;
    sy = smoothScale_ / newest.weight * newest.dy;
  } else {
    // Walk back from the newest entry, each weighted so that the weights add
    // up to at most 1.  Entries with no weight (a frame in which no time
    // passed) carry no rate and are left out.
    float total = 0.0f;
    int index = smoothNewest_;
    for (int i = 0; i < smoothCount_ && total < 1.0f; ++i) {
      const SmoothEntry& e = smooth_[index];
      float w = e.weight;
      if (total + w > 1.0f) w = 1.0f - total;
      if (w > 0.0f) {
        sx += e.dx / w;
        sy += e.dy / w;
        total += w;
      }
      index = index == 0 ? kSmoothCapacity - 1 : index - 1;
    }
    sx *= smoothScale_;
    sy *= smoothScale_;
  }
  if (dx) *dx = sx;
  if (dy) *dy = sy;
}
