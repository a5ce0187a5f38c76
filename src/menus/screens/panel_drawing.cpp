#include "menus/screens/panel_drawing.h"

#include <cmath>
#include <utility>

#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "shell/program/game_objects.h"

namespace {

// Bilinear filtering off for the duration of one piece of chrome.
class PointFiltered {
 public:
  PointFiltered() : previous_(g_Render != nullptr ? g_Render->SetBilinearFilter(0) : 0) {}
  ~PointFiltered() {
    if (g_Render != nullptr) g_Render->SetBilinearFilter(previous_);
  }

 private:
  DWORD previous_;
};

float W(int cell) { return g_PanelSprites->GetScaledWidth(cell); }
float H(int cell) { return g_PanelSprites->GetScaledHeight(cell); }

// Corners and ends turn; edges, fills and bands are drawn with the mirrored forms.
void Turned(int cell, float x1, float y1, float x2, float y2, int quarters) {
  g_PanelSprites->DrawToRectRotated(cell, x1, y1, x2, y2, quarters);
}
void Flipped(int cell, float x1, float y1, float x2, float y2, int mode) {
  g_PanelSprites->DrawToRectMirrored(cell, x1, y1, x2, y2, mode);
}

}  // namespace

void DrawFrame(float x1, float y1, float x2, float y2, int corner, int edge, int fill) {
  if (g_PanelSprites == nullptr) return;
  PointFiltered filter;
  x1 = std::floor(x1);
  y1 = std::floor(y1);
  x2 = std::ceil(x2);
  y2 = std::ceil(y2);
  const float wc = W(corner), hc = H(corner), he = H(edge);
  Turned(corner, x1, y1, x1 + wc, y1 + hc, 0);
  Turned(corner, x2 - wc, y1, x2, y1 + hc, 1);
  Turned(corner, x2 - wc, y2 - hc, x2, y2, 2);
  Turned(corner, x1, y2 - hc, x1 + wc, y2, 3);
  Flipped(edge, x1 + wc, y1, x2 - wc, y1 + he, 0);
  Flipped(edge, x1 + wc, y2 - he, x2 - wc, y2, 2);
  Flipped(edge, x1, y1 + hc, x1 + he, y2 - hc, 3);
  Flipped(edge, x2 - he, y1 + hc, x2, y2 - hc, 1);
  if (fill == -1) return;
  Flipped(fill, x1 + wc, y1 + he, x2 - wc, y2 - he, 0);
  Flipped(fill, x1 + he, y1 + hc, x1 + wc, y2 - hc, 0);
  Flipped(fill, x2 - wc, y1 + hc, x2 - he, y2 - hc, 0);
}

void DrawFrameA(float x1, float y1, float x2, float y2) { DrawFrame(x1, y1, x2, y2, 5, 6, 4); }
void DrawFrameB(float x1, float y1, float x2, float y2) { DrawFrame(x1, y1, x2, y2, 2, 3, 1); }
void DrawFrameC(float x1, float y1, float x2, float y2) { DrawFrame(x1, y1, x2, y2, 9, 11, 10); }
void DrawFrameD(float x1, float y1, float x2, float y2) { DrawFrame(x1, y1, x2, y2, 18, 19, -1); }

void DrawFrameE(float x1, float y1, float x2, float y2) {
  if (g_PanelSprites == nullptr) return;
  const float grow = H(21);
  DrawFrame(x1 - grow, y1 - grow, x2 + grow, y2 + grow, 20, 21, -1);
}

void DrawFrameF(float x1, float y1, float x2, float y2, int divider) {
  DrawFrame(x1, y1, x2, y2, 16, 17, -1);
  if (divider == 0 || g_PanelSprites == nullptr) return;
  PointFiltered filter;
  const float h0 = H(0), h17 = H(17);
  const float x = x2 - 2.0f * h0;
  Flipped(17, x, y1 + h17 / 2.0f, x + h17, y2 - h17 / 2.0f, 1);
}

void DrawBar(float x1, float y1, float x2, float y2, int end, int middle) {
  if (g_PanelSprites == nullptr) return;
  PointFiltered filter;
  const float wa = W(end), ha = H(end), hb = H(middle);
  if (y2 == 0.0f) y2 = y1 + 2.0f * ha;
  x1 = std::floor(x1);
  y1 = std::floor(y1);
  x2 = std::ceil(x2);
  y2 = std::ceil(y2);
  const float mid = (y1 + y2) / 2.0f;
  Turned(end, x1, y1, x1 + wa, mid, 0);
  Turned(end, x2 - wa, y1, x2, mid, 1);
  Turned(end, x2 - wa, mid, x2, y2, 2);
  Turned(end, x1, mid, x1 + wa, y2, 3);
  // The band's two halves reach from the edges as far as the ends do.
  const float k = ha != 0.0f ? (mid - y1) / ha : 0.0f;
  Flipped(middle, x1 + wa, y1, x2 - wa, y1 + hb * k, 0);
  Flipped(middle, x1 + wa, y2 - hb * k, x2 - wa, y2, 2);
}

void DrawBarA(float x1, float y1, float x2, float y2) { DrawBar(x1, y1, x2, y2, 12, 14); }
void DrawBarB(float x1, float y1, float x2, float y2) { DrawBar(x1, y1, x2, y2, 7, 8); }
void DrawBarD(float x1, float y1, float x2, float y2) { DrawBar(x1, y1, x2, y2, 18, 19); }

void DrawBarC(float x1, float y1, float x2, float y2) {
  if (g_PanelSprites == nullptr) return;
  const float dw = W(12) - W(13), dh = H(12) - H(13);
  DrawBar(x1 + dw, y1 + dh, x2 - dw, y2, 13, 15);
}

void DrawArrow(float x, float y, int code) {
  if (g_PanelSprites == nullptr) return;
  PointFiltered filter;
  float hw = W(0) / 2.0f, hh = H(0) / 2.0f;
  if (code % 2 == 0) std::swap(hw, hh);
  Turned(0, x - hw, y - hh, x + hw, y + hh, ((code + 1) % 4 + 4) % 4);
}

void DrawItemBackground(float x, float y, float width, int highlighted, int plain) {
  if (plain != 0) {
    DrawBarB(x, y, x + width);
    return;
  }
  DrawBarA(x, y, x + width);
  if (highlighted != 0) DrawBarC(x, y, x + width);
}
