// Menu chrome built from cells of the panel (frame) sprite set: nine-part
// framed boxes in six styles, rounded bars in four, the arrow, and the
// background of a menu item.  Coordinates are floats in screen pixels; the
// first corner is rounded down and the second up.  Bilinear filtering is off
// while drawing and put back after.  Nothing is drawn without the set.
// Main thread only.
#pragma once

// A nine-part box: corner cell c in the four corners (turned 0, 1, 2 and 3
// quarter turns clockwise from the top left), edge cell e along the four
// sides, and fill cell f (-1 none) over the inside.
void DrawFrame(float x1, float y1, float x2, float y2, int corner, int edge, int fill);
void DrawFrameA(float x1, float y1, float x2, float y2);  // the panel frame: 5, 6, 4
void DrawFrameB(float x1, float y1, float x2, float y2);  // 2, 3, 1
void DrawFrameC(float x1, float y1, float x2, float y2);  // 9, 11, 10
void DrawFrameD(float x1, float y1, float x2, float y2);  // 18, 19, no fill
// 20, 21, no fill, on the box grown on every side by the height of cell 21.
void DrawFrameE(float x1, float y1, float x2, float y2);
// 16, 17, no fill; with the divider flag a vertical bar of cell 17 near the right side.
void DrawFrameF(float x1, float y1, float x2, float y2, int divider);

// A rounded bar: end cell a at the four ends, middle cell b across the middle
// in two halves.  y2 of 0 means y1 + twice the height of cell a.
void DrawBar(float x1, float y1, float x2, float y2, int end, int middle);
void DrawBarA(float x1, float y1, float x2, float y2 = 0);  // the item background: 12, 14
void DrawBarB(float x1, float y1, float x2, float y2 = 0);  // a label or plain background: 7, 8
// The highlight over an item background: 13, 15, drawn inside the bar A of
// the same span by the size difference of cells 12 and 13.
void DrawBarC(float x1, float y1, float x2, float y2 = 0);
void DrawBarD(float x1, float y1, float x2, float y2 = 0);  // 18, 19

// Cell 0 centred at (x, y), turned (code + 1) mod 4 quarter turns: 1 points
// right, 3 left (2 down, 0 up).
void DrawArrow(float x, float y, int code);

// An item's background: plain, bar B; otherwise bar A, with bar C over it
// when highlighted.
void DrawItemBackground(float x, float y, float width, int highlighted, int plain);
