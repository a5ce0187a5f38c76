#include "menus/draw_line_2d.h"

#include "menus/draw_quad_2d.h"
#include "menus/screen_draw_state.h"

void DrawLine2D(int x0, int y0, int x1, int y1, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha) {
  if (g_Render == nullptr) return;
  ScreenDrawState state(g_Render, alpha < 255 ? 2 : 1);
  state.Untextured();
  state.NoDepthCheck();
  const std::uint32_t colour = PackColour(red, green, blue, alpha);
  const ScreenVertex line[2] = {{static_cast<float>(x0), static_cast<float>(y0), 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                {static_cast<float>(x1), static_cast<float>(y1), 0.0f, 1.0f, colour, 0.0f, 0.0f}};
  g_Render->DrawLineStrip(1, line, sizeof(ScreenVertex));
}
