#include "shell/program/shell_state.h"

HWND MainWindow = nullptr;
HINSTANCE AppInstance = nullptr;
HCURSOR GameCursor = nullptr;
std::uint32_t QuitRequested = 0;
std::uint32_t WindowActive = 0;
std::uint32_t CursorWanted = 0;
std::uint32_t CursorShown = 0;
RECT ClipRect = {};
char LevelName[kLevelNameSize] = "mission1.dll";
std::uint32_t DirectStart = 0;
std::uint32_t ReturnToFrontEnd = 0;
std::uint8_t FrameMode = FRAME_LEVEL_CHANGE;
