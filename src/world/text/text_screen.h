// What the text facilities need of the screen they draw on: its size in
// pixels (the current viewport of a render device; 800 x 600 without one)
// and the height of a row of the font.
#pragma once

class CFont;
class CRender;

struct TextScreenSize {
  int Width = 800;
  int Height = 600;
};

// The viewport of the device (800 x 600 for null).
TextScreenSize GetTextScreenSize(const CRender* render);
// The font's line height at its current scale, in pixels; 0 without a font.
float TextRowHeight(const CFont* font);
