// Window-system input made on demand: each call pushes the SDL event that a
// real keyboard, mouse or focus change would have produced, so that it goes
// through the window stand-in's pump and translation like real input.  Used
// by tests and by the recorded input script.  Keys are named by SDL's key
// names ("A", "Space", "Left", "Keypad Enter", "Left Ctrl" ...).  Each call
// answers false when the key or window is unknown or the event cannot be
// queued.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

// A key going down (or, with repeat, an auto-repeat) or up.  The modifier
// state of later events follows the Ctrl, Shift and Alt keys injected here.
bool Win32InjectKey(HWND window, const char* sdlKeyName, bool down, bool repeat = false);
// The same by SDL scan code (SDL_Scancode value).
bool Win32InjectScancode(HWND window, int sdlScancode, bool down, bool repeat = false);
// Typed text (UTF-8), as the system's text input delivers it.
bool Win32InjectText(HWND window, const char* utf8);
// The pointer moved by (dx, dy) to client point (x, y).
bool Win32InjectMouseMotion(HWND window, int x, int y, int dx, int dy);
// Mouse button 0 left, 1 right, 2 middle went down or up at the last point.
bool Win32InjectMouseButton(HWND window, int button, bool down);
// The wheel turned by whole notches (positive away from the user).
bool Win32InjectMouseWheel(HWND window, int notches);
// The window gained or lost the keyboard focus.
bool Win32InjectFocus(HWND window, bool gained);
// Forgets the injected modifier keys.
void Win32ResetInjectedModifiers();
