// The input object's life, window messages, key states and typed text.
#include "control/input/input.h"

#include <cstdio>
#include <cstring>

#include "control/input/input_joystick.h"
#include "foundation/system/message_box.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/window.h"
#include "world/engine.h"

CInput* g_Input = nullptr;

namespace {

// A message's key code: bits 16..24 of its second parameter.
int KeyCodeOf(LPARAM lParam) { return static_cast<int>((static_cast<std::uint64_t>(lParam) >> 16) & 0x1FF); }

// How many times a key message repeats: the low 16 bits of its second
// parameter, at most one queue's worth (the queue drops the rest anyway).
unsigned RepeatCountOf(LPARAM lParam) {
  const unsigned count = static_cast<unsigned>(lParam & 0xFFFF);
  return count > 511 ? 511 : count;
}

// The typed-queue entry of an editing key's virtual key, or 0.
std::uint32_t EditingEntry(WPARAM vk) {
  switch (vk) {
    case VK_PRIOR: return TYPED_PAGE_UP;
    case VK_NEXT: return TYPED_PAGE_DOWN;
    case VK_END: return TYPED_END;
    case VK_HOME: return TYPED_HOME;
    case VK_LEFT: return TYPED_LEFT;
    case VK_UP: return TYPED_UP;
    case VK_RIGHT: return TYPED_RIGHT;
    case VK_DOWN: return TYPED_DOWN;
    case VK_INSERT: return TYPED_INSERT;
    case VK_DELETE: return TYPED_DELETE;
    default: return 0;
  }
}

// Key rules shared by keys and mouse buttons.
void GoDown(std::int32_t& state) {
  if (state == KEY_STATE_UP || state == KEY_STATE_RELEASED || state == KEY_STATE_TAPPED) state = KEY_STATE_PRESSED;
}
void GoUp(std::int32_t& state) {
  if (state == KEY_STATE_PRESSED) state = KEY_STATE_TAPPED;
  else if (state == KEY_STATE_HELD) state = KEY_STATE_RELEASED;
}
bool IsDown(std::int32_t state) { return state != KEY_STATE_UP; }
bool IsPressed(std::int32_t state) { return state == KEY_STATE_PRESSED || state == KEY_STATE_TAPPED; }
bool IsReleased(std::int32_t state) { return state == KEY_STATE_RELEASED || state == KEY_STATE_TAPPED; }

}  // namespace

CInput::CInput() : joysticks_(new Joystick[kMaxJoysticks]) { ResetMouseSmoothing(); }

CInput::~CInput() {
  ShutdownInput();
  delete[] joysticks_;
}

void CInput::SetClocks(CTimer* game, CTimer* real) {
  gameClock_ = game;
  realClock_ = real;
}

CTimer* CInput::GameClock() const { return gameClock_ ? gameClock_ : g_GameClock; }
CTimer* CInput::RealClock() const { return realClock_ ? realClock_ : g_RealClock; }

bool CInput::InitInput(HINSTANCE instance, HWND window) {
  ShutdownInput();
  window_ = window;
  void* created = nullptr;
  const HRESULT hr = DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8, &created, nullptr);
  if (FAILED(hr) || !created) {
    ErrorBox("DirectInput8Create : Failed");
  } else {
    directInput_ = static_cast<IDirectInput8A*>(created);
    CreateKeyboard();
    CreateMouse();
    EnumerateJoysticks();
  }
  std::memset(mouseButtons_, 0, sizeof mouseButtons_);
  std::memset(keys_, 0, sizeof keys_);
  typedRead_ = typedWrite_ = 0;
  textInputOn_ = 0;
  if (window_) SetCapture(window_);
  return directInput_ != nullptr;
}

void CInput::ShutdownInput() {
  if (keyboard_) {
    keyboard_->Unacquire();
    keyboard_->Release();
    keyboard_ = nullptr;
  }
  ReleaseMouse();
  for (int slot = 0; slot < kMaxJoysticks; ++slot) ReleaseJoystick(slot);
  if (directInput_) {
    directInput_->Release();
    directInput_ = nullptr;
  }
  if (window_ && GetCapture() == window_) ReleaseCapture();
  window_ = nullptr;
}

bool CInput::CreateKeyboard() {
  IDirectInputDevice8A* device = nullptr;
  if (FAILED(directInput_->CreateDevice(GUID_SysKeyboard, &device, nullptr)) || !device) return false;
  if (FAILED(device->SetDataFormat(&c_dfDIKeyboard)) ||
      FAILED(device->SetCooperativeLevel(window_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_NOWINKEY))) {
    device->Release();
    return false;
  }
  // The keys themselves come from window messages; holding the device keeps
  // the Windows keys from leaving the game.  It is acquired again each frame.
  device->Acquire();
  keyboard_ = device;
  return true;
}

void CInput::SetInputActive(bool active) {
  active_ = active ? 1 : 0;
  if (active) {
    AcquireMouse();
    return;
  }
  if (mouse_) mouse_->Unacquire();
  // Key-up messages are not sent to a window in the background: whatever is
  // down now is released, so that nothing stays held after the switch.
  ReleaseAllKeys();
}

void CInput::AcquireMouse() {
  // A foreground device cannot be had while the window is in the background.
  if (mouse_ && active_) mouse_->Acquire();
}

void CInput::ReleaseAllKeys() {
  for (std::int32_t& state : keys_) GoUp(state);
  for (std::int32_t& state : mouseButtons_) GoUp(state);
}

void CInput::HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (message == WM_KEYDOWN) {
        const std::uint32_t entry = EditingEntry(wParam);
        if (entry != 0) PushTyped(entry, RepeatCountOf(lParam));
      }
      GoDown(keys_[KeyCodeOf(lParam)]);
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      GoUp(keys_[KeyCodeOf(lParam)]);
      break;
    case WM_CHAR:
      if (wParam != 0) PushTyped(static_cast<std::uint32_t>(wParam & 0xFFFF), RepeatCountOf(lParam));
      break;
    case WM_LBUTTONDOWN: GoDown(mouseButtons_[0]); break;
    case WM_LBUTTONUP: GoUp(mouseButtons_[0]); break;
    case WM_RBUTTONDOWN: GoDown(mouseButtons_[1]); break;
    case WM_RBUTTONUP: GoUp(mouseButtons_[1]); break;
    case WM_MBUTTONDOWN: GoDown(mouseButtons_[2]); break;
    case WM_MBUTTONUP: GoUp(mouseButtons_[2]); break;
    default:
      break;
  }
}

void CInput::AdvanceKeyStates() {
  if (keyboard_) keyboard_->Acquire();
  anyKeyPressed_ = 0;
  auto advance = [this](std::int32_t& state) {
    // A key tapped within the frame went down too.
    if (state == KEY_STATE_PRESSED || state == KEY_STATE_TAPPED) anyKeyPressed_ = 1;
    if (state == KEY_STATE_PRESSED) state = KEY_STATE_HELD;
    else if (state == KEY_STATE_RELEASED || state == KEY_STATE_TAPPED) state = KEY_STATE_UP;
  };
  for (std::int32_t& state : keys_) advance(state);
  for (std::int32_t& state : mouseButtons_) advance(state);
}

void CInput::FlushInput() {
  std::memset(keys_, 0, sizeof keys_);
  std::memset(mouseButtons_, 0, sizeof mouseButtons_);
  typedRead_ = typedWrite_ = 0;
}

void CInput::UpdateInput() {
  PollJoysticks();
  PollMouse();
  StepWaitForInput();
  StepIdleClock();
}

KeyState CInput::GetKeyState(int code) const {
  if (code < 0 || code >= kKeySlots) return KEY_STATE_UP;
  return static_cast<KeyState>(keys_[code]);
}

bool CInput::IsKeyDown(int code) const {
  if (!Querying() || code == KEY_NONE || code < 0 || code >= kKeySlots) return false;
  return IsDown(keys_[code]);
}

bool CInput::WasKeyPressed(int code) const {
  if (!Querying() || code == KEY_NONE || code < 0 || code >= kKeySlots) return false;
  return IsPressed(keys_[code]);
}

bool CInput::WasKeyReleased(int code) const {
  if (!Querying()) return false;
  if (code == KEY_NONE) return true;
  if (code < 0 || code >= kKeySlots) return false;
  return IsReleased(keys_[code]);
}

bool CInput::IsMouseButtonDown(int button) const {
  return Querying() && button >= 0 && button < kMouseButtons && IsDown(mouseButtons_[button]);
}

bool CInput::WasMouseButtonPressed(int button) const {
  return Querying() && button >= 0 && button < kMouseButtons && IsPressed(mouseButtons_[button]);
}

bool CInput::WasMouseButtonReleased(int button) const {
  return Querying() && button >= 0 && button < kMouseButtons && IsReleased(mouseButtons_[button]);
}

void CInput::ClearMouseButton(int button) {
  if (button >= 0 && button < kMouseButtons) mouseButtons_[button] = KEY_STATE_UP;
}

void CInput::GetKeyName(int code, char* buffer, int length) {
  if (!buffer || length <= 0) return;
  if (code < 0 || code >= kKeySlots) {
    std::snprintf(buffer, static_cast<std::size_t>(length), "???");
    return;
  }
  if (GetKeyNameTextA(static_cast<LONG>(code) << 16, buffer, length) == 0) buffer[0] = 0;
}

bool CInput::IsCharacterKey(int code) {
  static constexpr int kNotCharacters[] = {1,   14,  15,  28,  29,  42,  54,  56,  58,  69,  70, 285,
                                           312, 327, 328, 329, 331, 333, 335, 336, 337, 338, 339};
  for (int c : kNotCharacters)
    if (c == code) return false;
  return true;
}

void CInput::FlushTextInput() {
  textInputOn_ = 1;
  typedRead_ = typedWrite_ = 0;
}

void CInput::PushTyped(std::uint32_t entry, unsigned count) {
  if (!textInputOn_) return;
  for (unsigned i = 0; i < count; ++i) {
    const int next = (typedWrite_ + 1) % kTypedRing;
    if (next == typedRead_) return;  // full: the rest is dropped
    typed_[typedWrite_] = entry;
    typedWrite_ = next;
  }
}

std::uint32_t CInput::PopTypedChar() {
  if (typedRead_ == typedWrite_) return 0;
  const std::uint32_t entry = typed_[typedRead_];
  typedRead_ = (typedRead_ + 1) % kTypedRing;
  return entry;
}

// ---- The module's operations on the program's input object ----------------

bool InitInput(HINSTANCE instance, HWND window) {
  if (!g_Input) g_Input = new CInput();
  return g_Input->InitInput(instance, window);
}

void ShutdownInput() {
  if (!g_Input) return;
  g_Input->ShutdownInput();
  delete g_Input;
  g_Input = nullptr;
}

void SetInputActive(bool active) {
  if (g_Input) g_Input->SetInputActive(active);
}
void AcquireMouse() {
  if (g_Input) g_Input->AcquireMouse();
}
void HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_Input) g_Input->HandleInputMessage(message, wParam, lParam);
}
void AdvanceKeyStates() {
  if (g_Input) g_Input->AdvanceKeyStates();
}
void UpdateInput() {
  if (g_Input) g_Input->UpdateInput();
}
bool IsKeyDown(int code) { return g_Input && g_Input->IsKeyDown(code); }
bool WasKeyPressed(int code) { return g_Input && g_Input->WasKeyPressed(code); }
bool WasKeyReleased(int code) { return g_Input && g_Input->WasKeyReleased(code); }
bool IsMouseButtonDown(int button) { return g_Input && g_Input->IsMouseButtonDown(button); }
bool IsCharacterKey(int code) { return CInput::IsCharacterKey(code); }
void FlushInput() {
  if (g_Input) g_Input->FlushInput();
}
void FlushTextInput() {
  if (g_Input) g_Input->FlushTextInput();
}
void WaitForAnyInput(std::uint32_t timeoutMs) {
  if (g_Input) g_Input->WaitForAnyInput(timeoutMs);
}
void SetHalfAxisThresholds(float x, float y, float z, float rz) {
  if (g_Input) g_Input->SetHalfAxisThresholds(x, y, z, rz);
}
