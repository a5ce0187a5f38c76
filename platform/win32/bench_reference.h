// What the input benchmark measures against: SDL's own event queue carrying a
// burst of input events, pushed and taken out again with no translation.
#pragma once

#include "platform/win32/win_types.h"

// Pushes `count` input events for the window (key presses and releases,
// typed text, mouse motion and buttons, in a fixed mix) through SDL's queue.
// Answers how many were queued.
int Win32BenchPushInputBurst(HWND window, int count);
// Takes every event out of SDL's queue (SDL_PeepEvents); answers how many.
int Win32BenchDrainSdlQueue();
