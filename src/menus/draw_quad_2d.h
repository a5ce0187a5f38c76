// A filled screen-space rectangle of one colour, for bars and frames drawn
// over the picture by the menus and the bitmap font.
#pragma once

#include <cstdint>

// Draws the rectangle (x, y, width, height in pixels) in the colour with fog
// off and no texture; nothing when the width or height is 0.  blend non-zero
// blends by the alpha; the last value is not used.
void DrawQuad2D(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha, int blend, int unused);
