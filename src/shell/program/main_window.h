// The game window: its class, its creation (hidden, 800 x 600 client area)
// and its window procedure.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

inline constexpr const char* kWindowClassName = "VantorHalberd";
inline constexpr const char* kWindowTitle = "Brindle Games Ltd";
// The style the window is created with: caption, system menu, minimise and
// maximise boxes, no sizing frame.
inline constexpr DWORD kCreateWindowStyle = 0x00CB0000;
inline constexpr int kCreateClientWidth = 800;
inline constexpr int kCreateClientHeight = 600;
inline constexpr int kIconResource = 101;
inline constexpr int kCursorResource = 104;

// Registers the class (double clicks, icon 101, cursor 104 into GameCursor,
// the black brush, no menu) and creates MainWindow with the given show
// command (WinMain passes 0: hidden).  1, or 0 when the class or the window
// cannot be made.
int CreateMainWindow(HINSTANCE instance, int showCommand);

// The window procedure: keyboard and mouse messages to input (except those
// whose wParam is 255), activation, the cursor clip, painting, and the
// level and game shut-down at WM_DESTROY.
LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Posts WM_CLOSE to MainWindow: the program closes through its shut-down.
void QuitGame();
