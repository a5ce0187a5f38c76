// What the window stand-in shares with the other stand-ins of platform/ (the
// cursor functions, the input devices, event injection).  Not for game code.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"

// The cursor as last reported: the window it was over (null: none yet) and
// its client point.
HWND Win32CursorWindow();
POINT Win32CursorClientPoint();
// Records a cursor move made by the program (SetCursorPos).
void Win32SetCursorClientPoint(HWND window, POINT client);
// The window holding the mouse capture (null: none), and setting it.
HWND Win32CaptureWindow();
void Win32SetCaptureWindow(HWND window);
// The first window created that still exists, or null.
HWND Win32FirstWindow();
// The SDL window id of a window (0 for an unknown handle).
std::uint32_t Win32SdlWindowId(HWND window);

// Pointer warps: a warp to client point (x, y) of a window makes the window
// system report a motion to that point, which is no movement of the mouse.
// Win32NoteWarp records the warp before it is made; Win32TakeWarpEcho answers
// true (once) for the motion event that lands on the recorded point.
void Win32NoteWarp(std::uint32_t sdlWindowId, int x, int y);
bool Win32TakeWarpEcho(std::uint32_t sdlWindowId, int x, int y);
