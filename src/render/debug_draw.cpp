#include "render/debug_draw.h"

#include "render/render.h"

namespace {
// Blend mode of debug drawing: plain alpha blending.
constexpr int kDebugBlendMode = 2;

bool CanDraw() { return g_Render != nullptr && g_Render->GetDevice() != nullptr; }

ScreenVertex Screen(float x, float y, std::uint32_t colour) { return {x, y, 0.0f, 1.0f, colour, 0.0f, 0.0f}; }
}  // namespace

void DrawDebugLine2D(const float* p0, const float* p1, std::uint32_t colour0, std::uint32_t colour1) {
  if (!CanDraw()) return;
  const ScreenVertex line[2] = {Screen(p0[0], p0[1], colour0), Screen(p1[0], p1[1], colour1)};
  const DWORD oldLighting = g_Render->SetLighting(0);
  const int oldBlend = g_Render->SetBlendMode(kDebugBlendMode);
  g_Render->ClearTexture(0);
  g_Render->SetVertexFormat(kFvfScreen);
  g_Render->DrawLinesUP(1, line, sizeof(ScreenVertex));
  g_Render->SetBlendMode(oldBlend);
  g_Render->SetLighting(oldLighting);
}
