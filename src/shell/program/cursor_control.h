// The game cursor: the system cursor shown or hidden over the game window,
// the cursor sprite the render frame draws instead while menus want one, and
// the clip that keeps the cursor inside the window.  Main thread only.
#pragma once

#include <cstdint>

// Pixels the clip rectangle is narrowed by on the left, right and bottom
// edges of the window rectangle (the top edge stays).
inline constexpr int kCursorClipInset = 4;

// 0: lowers the system's display count until it is negative (hidden) and
// clears CursorShown; non-zero: raises it until it is 0 or more, shows
// GameCursor and sets CursorShown.  Both store the argument in CursorWanted.
void ShowGameCursor(std::uint32_t show);
// Stores CursorWanted = value and CursorShown = (value != 0) without touching
// the system cursor (the render frame then draws the cursor sprite).
void SetMenuMode(std::uint32_t value);
// Clips the cursor to MainWindow's rectangle narrowed by the inset on the
// left, right and bottom; the rectangle is kept in ClipRect.
void ClipCursorToWindow();
// Frees the cursor clip.
void ReleaseCursorClip();
