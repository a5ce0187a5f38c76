// The system cursor and mouse capture of the game window.  The cursor position
// is the last one the window system reported for a window (a mouse event, or
// a move by SetCursorPos); screen coordinates are the window's position plus
// its client coordinates.  Moving the cursor warps the real pointer, except on
// the offscreen driver where there is none.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

// The cursor in screen coordinates; FALSE for a null argument.
BOOL GetCursorPos(POINT* point);
// Moves the cursor to a screen point (over the window it was last seen in, or
// the first window); FALSE when no window exists.
BOOL SetCursorPos(int x, int y);
// Screen to client coordinates of a window and back; FALSE for an unknown
// handle or a null point.
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);

// Mouse capture: the window keeps receiving the mouse while a button is held
// outside it.  SetCapture answers the window that had the capture before
// (null for none); ReleaseCapture answers FALSE when no window had it.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
