// The program's window and frame loop over the engine: opens the 800 x 600
// main window, starts the engine through the game's device callback, and
// draws and presents frames until the window is closed.
#pragma once

#include "platform/win32/win_types.h"

// Runs the window and the frame loop.  `frames` above 0 stops after that many
// presented frames (for scripts); 0 runs until the window is closed.  Answers
// the process exit code: 0, or 1 when the window or the engine cannot start.
// With a screenshot name, the last frame of a counted run is also saved there as a BMP.
int RunEngineFrames(HINSTANCE instance, int frames, const char* screenshot = nullptr);

// The frame count asked for on the command line ("--frames N" or "-frames N");
// 0 when none is given or the number is not positive.
int FrameCountFromArguments(int argc, char** argv);
// The file named on the command line by "--screenshot FILE"; null when none.
const char* ScreenshotFromArguments(int argc, char** argv);
