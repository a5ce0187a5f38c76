// The program's entry and its outermost loop: the window, the command line,
// game initialise, then one frame whenever the window is active and the
// render device can draw, until the quit message arrives.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

// The entry.  The command line it is given is not read (see command_line.h).
// Answers 0 on every failure or early stop, else the quit message's wParam.
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The message loop of WinMain: a waiting message is dispatched (WM_QUIT ends
// the loop); else an inactive window waits for the next message; else, when
// the render device can draw, the window takes the game's style once (and
// the cursor is hidden), one frame runs, the cursor is clipped and the input
// states advance; a lost device frees the clip and sleeps 100 ms.  Answers
// the quit message's wParam, or 0 when QuitRequested is set (or nothing can
// ever arrive while the window is inactive).
int RunMessageLoop();

// Test hook: runs instead of RunFrame in the loop (null restores RunFrame).
using LoopFrameHook = void (*)(void* context);
void SetLoopFrameHook(LoopFrameHook hook, void* context);

// The pause of a pass while the render device is lost.
inline constexpr DWORD kLostDeviceSleepMs = 100;
