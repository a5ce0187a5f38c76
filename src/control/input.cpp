#include "control/input.h"

#include "platform/win32/window.h"

CInput g_Input;

namespace {

// The key code a key message carries: scan code plus 256 when extended.
int KeyCode(LPARAM lParam) { return static_cast<int>((static_cast<std::uint64_t>(lParam) >> 16) & 0x1FF); }

void Down(KeyState& state) {
  if (state == KEY_STATE_UP || state == KEY_STATE_RELEASED || state == KEY_STATE_TAPPED) state = KEY_STATE_PRESSED;
}

void Up(KeyState& state) {
  if (state == KEY_STATE_PRESSED)
    state = KEY_STATE_TAPPED;
  else if (state == KEY_STATE_HELD)
    state = KEY_STATE_RELEASED;
}

void Advance(KeyState& state) {
  if (state == KEY_STATE_PRESSED)
    state = KEY_STATE_HELD;
  else if (state == KEY_STATE_RELEASED || state == KEY_STATE_TAPPED)
    state = KEY_STATE_UP;
}

const KeyState* Slot(int code) { return code >= 0 && code < kKeySlots ? &g_Input.Keys[code] : nullptr; }

}  // namespace

int InitInput(HINSTANCE, HWND) {
  FlushInput();
  g_Input.Started = 1;
  return 1;
}

void ShutdownInput() {
  FlushInput();
  g_Input.Started = 0;
  g_Input.Active = 0;
}

void SetInputActive(int active) { g_Input.Active = active != 0; }

void AcquireMouse() {
  if (g_Input.Active) ++g_Input.Acquisitions;
}

void HandleInputMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Down(g_Input.Keys[KeyCode(lParam)]);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      Up(g_Input.Keys[KeyCode(lParam)]);
      break;
    case WM_LBUTTONDOWN: Down(g_Input.MouseButtons[0]); break;
    case WM_LBUTTONUP: Up(g_Input.MouseButtons[0]); break;
    case WM_RBUTTONDOWN: Down(g_Input.MouseButtons[1]); break;
    case WM_RBUTTONUP: Up(g_Input.MouseButtons[1]); break;
    case WM_MBUTTONDOWN: Down(g_Input.MouseButtons[2]); break;
    case WM_MBUTTONUP: Up(g_Input.MouseButtons[2]); break;
    default: break;
  }
}

void AdvanceKeyStates() {
  for (KeyState& k : g_Input.Keys) Advance(k);
  for (KeyState& b : g_Input.MouseButtons) Advance(b);
}

void UpdateInput() {}

void FlushInput() {
  for (KeyState& k : g_Input.Keys) k = KEY_STATE_UP;
  for (KeyState& b : g_Input.MouseButtons) b = KEY_STATE_UP;
}

void SetHalfAxisThresholds(float x, float y, float z, float rz) {
  g_Input.HalfAxisThresholds[0] = x;
  g_Input.HalfAxisThresholds[1] = y;
  g_Input.HalfAxisThresholds[2] = z;
  g_Input.HalfAxisThresholds[3] = rz;
}

bool IsKeyDown(int code) {
  const KeyState* s = Slot(code);
  return s != nullptr && *s != KEY_STATE_UP;
}

bool WasKeyPressed(int code) {
  const KeyState* s = Slot(code);
  return s != nullptr && (*s == KEY_STATE_PRESSED || *s == KEY_STATE_TAPPED);
}

bool WasKeyReleased(int code) {
  if (code == KEY_NONE) return true;
  const KeyState* s = Slot(code);
  return s != nullptr && (*s == KEY_STATE_RELEASED || *s == KEY_STATE_TAPPED);
}

bool IsMouseButtonDown(int button) {
  return button >= 0 && button < kMouseButtons && g_Input.MouseButtons[button] != KEY_STATE_UP;
}
