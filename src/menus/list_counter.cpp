#include "menus/list_counter.h"

#include <algorithm>
#include <cstdio>

#include "menus/draw_quad_2d.h"
#include "menus/screen_2d.h"
#include "render/2d/font.h"
#include "render/device/render.h"

namespace {

ListCounterRecord g_bar{0, 0, 0, 0, 0, nullptr};

// Space between the bar's right end and its caption.
constexpr int kCaptionGap = 6;

}  // namespace

void SetUpListCounter(int x, int y, int rowStep, int width, int height, CFont* font) {
  g_bar = {x, y, rowStep, width, height, font};
}

const ListCounterRecord& GetListCounter() { return g_bar; }

void DrawListCounter(int total, int current, const char* caption) {
  const int k = std::min(current, total);
  const int filled = total > 0 && k > 0 ? static_cast<int>(static_cast<float>(k) / static_cast<float>(total) *
                                                            static_cast<float>(g_bar.Width))
                                        : 0;
  // The filled part green with a lighter rim, then the whole bar's white outline.
  CScreen2D::DrawQuadPair(g_bar.X, g_bar.Y, filled, g_bar.Height, 40, 160, 40, 255, 120, 220, 120, 255, 0);
  DrawQuad2D(g_bar.X, g_bar.Y, g_bar.Width, g_bar.Height, 255, 255, 255, 255, 0, 0);
  if (caption != nullptr && g_bar.Font != nullptr) {
    char text[256];
    std::snprintf(text, sizeof text, "%s [%d/%d]", caption, k, total);
    const DWORD bilinear = g_Render != nullptr ? g_Render->SetBilinearFilter(1) : 0;
    const int textY = g_bar.Y + (g_bar.Height - g_bar.Font->GetStringHeight(text)) / 2;
    g_bar.Font->DrawString(text, g_bar.X + g_bar.Width + kCaptionGap, textY, 0);
    if (g_Render != nullptr) g_Render->SetBilinearFilter(bilinear);
  }
  g_bar.Y += g_bar.RowStep;
}

void DrawFractionBar(int x, int y, int width, int height, float fraction) {
  const float f = std::clamp(fraction, 0.0f, 1.0f);
  const int filled = static_cast<int>(f * static_cast<float>(width));
  DrawQuad2D(x, y, filled, height, 255, 255, 255, 255, 1, 0);
  DrawQuad2D(x + filled - 1, y - 2, 3, height + 4, 255, 255, 255, 192, 1, 0);
}
