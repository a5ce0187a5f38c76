// Screen-space rectangles in one colour, as filled quads or one-pixel
// outlines, and textured rectangles: what the menus, the HUD, the bitmap
// font's strike-through bars and the world's text boxes draw over the picture.
// Each call draws through the render object's state cache with pre-transformed
// vertices (x, y, depth 0, reciprocal w 1, ARGB, u, v) and puts back every
// state it changed (texturing, fog, blend mode, lighting).  Nothing happens
// without a render object.  Main thread only.
#pragma once

#include <cstdint>

class CTexture;

// Colour bytes packed as the device wants them: alpha << 24 | red << 16 | green << 8 | blue.
constexpr std::uint32_t PackColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
  return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(red) << 16) |
         (static_cast<std::uint32_t>(green) << 8) | blue;
}

// The rectangle (x, y)-(x + width, y + height) in one colour with texturing
// off.  filled non-zero: two triangles as a fan; zero: the outline as a
// closed strip of four lines.  Additive (blend mode 4) when `additive` is
// non-zero; otherwise blended by the colour's alpha (opaque at 255).
// Nothing when the width or the height is 0.
void DrawQuad2D(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha, int filled, int additive);

// The same given as a rectangle (left, top, right, bottom).
struct QuadRect {
  int left, top, right, bottom;
};
void DrawQuad2D(const QuadRect& rect, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha,
                int filled, int additive);

// A textured rectangle through the same path: the texture's rows u1..u2 and
// v1..v2 stretched over (x, y)-(x + width, y + height), modulated by the ARGB
// colour (its alpha blends too).  Nothing when the size is 0 or the texture has no
// device texture.
void DrawTexturedQuad2D(int x, int y, int width, int height, std::uint32_t colour, CTexture* texture, float u1,
                        float v1, float u2, float v2);
