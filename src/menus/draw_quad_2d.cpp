#include "menus/draw_quad_2d.h"

#include "menus/screen_draw_state.h"
#include "render/textures/texture.h"

namespace {

// Blends by the colour's alpha (texture x vertex alpha; with texturing off the
// texture reads as opaque white): an opaque colour covers, a translucent one
// shows what is under it.
constexpr int kColourMode = 3;
constexpr int kAdditiveMode = 4;

// A screen vertex at (x, y) on the near plane with reciprocal w 1.
ScreenVertex At(float x, float y, std::uint32_t colour, float u, float v) { return {x, y, 0.0f, 1.0f, colour, u, v}; }

}  // namespace

void DrawQuad2D(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha, int filled, int additive) {
  if (width == 0 || height == 0 || g_Render == nullptr) return;
  ScreenDrawState state(g_Render, additive != 0 ? kAdditiveMode : kColourMode);
  state.Untextured();
  const std::uint32_t colour = PackColour(red, green, blue, alpha);
  const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
  const float x2 = static_cast<float>(x + width), y2 = static_cast<float>(y + height);
  if (filled != 0) {
    // Corners clockwise from the top left: two triangles of one fan.
    const ScreenVertex quad[4] = {At(x1, y1, colour, 0, 0), At(x2, y1, colour, 1, 0), At(x2, y2, colour, 1, 1),
                                  At(x1, y2, colour, 0, 1)};
    g_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  } else {
    // The same corners, closed back on the first: four lines of one strip.
    const ScreenVertex strip[5] = {At(x1, y1, colour, 0, 0), At(x2, y1, colour, 0, 0), At(x2, y2, colour, 0, 0),
                                   At(x1, y2, colour, 0, 0), At(x1, y1, colour, 0, 0)};
    g_Render->DrawLineStrip(4, strip, sizeof(ScreenVertex));
  }
}

void DrawQuad2D(const QuadRect& rect, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha,
                int filled, int additive) {
  DrawQuad2D(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, red, green, blue, alpha, filled,
             additive);
}

void DrawTexturedQuad2D(int x, int y, int width, int height, std::uint32_t colour, CTexture* texture, float u1,
                        float v1, float u2, float v2) {
  if (width == 0 || height == 0 || g_Render == nullptr || texture == nullptr || texture->DeviceTexture == nullptr)
    return;
  ScreenDrawState state(g_Render, kColourMode);
  state.Textured(texture->DeviceTexture);
  const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
  const float x2 = static_cast<float>(x + width), y2 = static_cast<float>(y + height);
  const ScreenVertex quad[4] = {At(x1, y1, colour, u1, v1), At(x2, y1, colour, u2, v1), At(x2, y2, colour, u2, v2),
                                At(x1, y2, colour, u1, v2)};
  g_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
}
