// One screen-space line in one colour (map grids, scope posts, radar marks).
// Main thread only.
#pragma once

#include <cstdint>

// The line from (x0, y0) to (x1, y1) with texturing and the depth check off;
// blend mode 2 (the vertex alpha blends) when alpha is below 255, else mode 1.
// Every state changed is put back.  Nothing without a render object.
void DrawLine2D(int x0, int y0, int x1, int y1, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha);
