// The mouse cursor: its display count, the cursor shown over the game
// window, built-in cursor and icon resources, and the clip rectangle that
// confines the cursor (SDL's mouse confinement of the window under it).
// Main thread only.
#pragma once

#include "platform/win32/win_types.h"

// A resource named by number (LoadCursorA, LoadIconA).
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
// The system arrow.
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// Raises (show TRUE) or lowers the display count and answers the new count;
// the system cursor is visible while the count is 0 or more (0 at start).
int ShowCursor(BOOL show);
// Makes `cursor` the one shown over the game window; answers the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// A cursor of the program's resources (any number gives the built-in arrow)
// or a system cursor (IDC_ARROW); null only for a null name.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// An icon of the program's resources (any number gives the built-in icon);
// null only for a null name.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Frees a cursor LoadCursorA made; FALSE for a null or unknown handle.
BOOL DestroyCursor(HCURSOR cursor);

// Confines the cursor to a rectangle in screen coordinates (the part of it
// that lies over a window of the program); null frees it.  Answers TRUE.
BOOL ClipCursor(const RECT* rect);
// The rectangle the cursor is confined to; with no clip, a very large one.
BOOL GetClipCursor(RECT* rect);

// For tests: whether a clip is set now, and how many cursors LoadCursorA
// made that are not destroyed yet.
bool Win32CursorIsClipped();
int Win32LiveCursorCount();
