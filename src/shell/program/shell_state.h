// The program-wide state of the game's main file: the window, the cursor,
// the level to load next and what a frame does.  One instance each.
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"

// What a frame does (RunFrame).
enum FrameModeValue : std::uint8_t {
  FRAME_IN_GAME = 0,
  FRAME_LEVEL_CHANGE = 1,
  FRAME_SPLASH = 3,
};

// Capacity of LevelName: 255 characters and the terminating NUL.
inline constexpr int kLevelNameSize = 256;

extern HWND MainWindow;           // the game window; null until created
extern HINSTANCE AppInstance;     // the instance WinMain was given
extern HCURSOR GameCursor;        // cursor resource 104, also the class cursor
extern std::uint32_t QuitRequested;
extern std::uint32_t WindowActive;
extern std::uint32_t CursorWanted;
extern std::uint32_t CursorShown;
extern RECT ClipRect;
extern char LevelName[kLevelNameSize];
extern std::uint32_t DirectStart;
extern std::uint32_t ReturnToFrontEnd;
extern std::uint8_t FrameMode;
