// Text and boxes the screens, the pop-up menus and the HUD share: white text
// wrapped in a rectangle, framed boxes, the framed panel, and a menu item's
// text in its menu's colours.  Positions are screen pixels.  Main thread only.
#pragma once

#include <cstdint>

class CMenu;

// White text centred and wrapped in the rectangle from (x, y + d) to
// (x + width, y + d + 10 lines): with the large interface font d and the line
// height are int(sy x 50 + 0.5); with the interface font d = 2 x int(sy x 18 +
// 0.5) and the line height int(sy x 18 + 0.5).  Nothing for a null text or a
// missing string.
void DrawLocaleText(std::uint32_t textId, int x, int y, int width, int large);
void DrawTextBox(const char* text, int x, int y, int width, int large);
// A framed box at a fade step (alpha step x 25): style non-zero frame A, else B.
void DrawFramedBox(int x, int y, int width, int height, int style, int fadeStep);
// A framed panel (frame F, alpha 153) with or without its divider.
void DrawFramedPanel(int x, int y, int width, int height, int divider);
// A text in the menu's highlight colour when id is its selected id, else in
// its text colour (the font's colour is put back).
void DrawMenuItemText(CMenu* menu, std::uint16_t id, const char* text, int x, int y);
