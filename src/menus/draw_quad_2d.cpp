#include "menus/draw_quad_2d.h"

#include "render/device/render.h"

void DrawQuad2D(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                std::uint8_t alpha, int blend, int /*unused*/) {
  if (width == 0 || height == 0 || g_Render == nullptr) return;
  CRender* r = g_Render;
  const DWORD fog = r->SetFogEnable(0);
  const int mode = r->SetBlendMode(blend ? 3 : 1);
  const DWORD texturing = r->GetTexturing();
  r->SetTexture(0, nullptr);
  r->SetVertexFormat(kFvfScreen);
  const DWORD colour = (static_cast<DWORD>(alpha) << 24) | (static_cast<DWORD>(red) << 16) |
                       (static_cast<DWORD>(green) << 8) | blue;
  const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
  const float x2 = static_cast<float>(x + width), y2 = static_cast<float>(y + height);
  const ScreenVertex quad[4] = {{x1, y1, 0.0f, 0.5f, colour, 0.0f, 0.0f},
                                {x2, y1, 0.0f, 0.5f, colour, 1.0f, 0.0f},
                                {x2, y2, 0.0f, 0.5f, colour, 1.0f, 1.0f},
                                {x1, y2, 0.0f, 0.5f, colour, 0.0f, 1.0f}};
  r->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  r->SetTexturing(texturing);
  r->SetBlendMode(mode);
  r->SetFogEnable(fog);
}
