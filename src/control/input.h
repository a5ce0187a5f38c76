// The input module: the keyboard and mouse of the game window turned into
// per-frame key states that the game polls.  Keys arrive as window messages
// (the window procedure passes them on) and are kept by key code: the scan
// code of bits 16..23 of the message's lParam, plus 256 for an extended key
// (bit 24).  One object for the whole program.  Main thread only.
//
// This is the part of the input module that start-up, the window procedure
// and the frame need; joysticks, mouse motion, typed text and the waits come
// with the input module's own work.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"

// The no-key code of bindings; never looked up in the key table.
inline constexpr int KEY_NONE = 4422;
inline constexpr int kKeySlots = 512;
inline constexpr int kMouseButtons = 3;

// A key's state in the current frame.
enum KeyState : std::uint32_t {
  KEY_STATE_UP = 0,
  KEY_STATE_PRESSED = 1,   // went down this frame
  KEY_STATE_HELD = 2,
  KEY_STATE_RELEASED = 3,  // came up this frame
  KEY_STATE_TAPPED = 4     // pressed and released within this frame
};

class CInput {
 public:
  KeyState Keys[kKeySlots] = {};
  KeyState MouseButtons[kMouseButtons] = {};
  int Active = 0;        // the game window is active
  int Started = 0;       // between InitInput and ShutdownInput
  int Acquisitions = 0;  // times the mouse was acquired
  float HalfAxisThresholds[4] = {};
};

// The program's input object.
extern CInput g_Input;

// Starts input for the game window: clears the key table and mouse buttons.
// Answers 1.
int InitInput(HINSTANCE instance, HWND window);
// Stops input; the key table is cleared.
void ShutdownInput();
// The window's activation: 1 active, 0 inactive.
void SetInputActive(int active);
// Acquires the mouse again after the window became active.
void AcquireMouse();
// A keyboard (0x0100-0x0108) or mouse (0x0200-0x0209) message of the game
// window; other messages are ignored.
void HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
// After each frame: pressed keys become held, released and tapped ones up.
void AdvanceKeyStates();
// Before each frame's game update (devices polled by the input module).
void UpdateInput();
// Every key and button back to up (a level change, a menu).
void FlushInput();
// The joystick half-axis thresholds (x, y, z, rz).
void SetHalfAxisThresholds(float x, float y, float z, float rz);

// Down: any state but up.  Pressed: pressed or tapped.  Released: released
// or tapped.  KEY_NONE is never down or pressed, and always released; a code
// outside the table is neither.
bool IsKeyDown(int code);
bool WasKeyPressed(int code);
bool WasKeyReleased(int code);
bool IsMouseButtonDown(int button);
