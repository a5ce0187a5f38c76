#include "control/layout/hud_layout.h"

#include "render/device/render.h"

// Columns: one view, two stacked, two side by side, layout 3 (no record names it).
const HudAnchor HudLayoutTable[kHudLayouts][HUD_ELEMENT_COUNT] = {
    {{0.055f, 0.79f}, {0.79375f, 0.83f}, {0.79375f, 0.35f}, {0.79375f, 0.35f}, {0.79375f, 0.4f},
     {0.88f, 0.18f}, {0.1f, 0.4f}, {0.95f, 0.8f}, {0.0f, 0.08f}},
    {{0.01f, 0.58f}, {0.69f, 0.615f}, {0.67f, 0.07f}, {0.67f, 0.07f}, {0.55f, 0.5f},
     {0.07f, 0.15f}, {0.1f, 0.4f}, {0.85f, 0.6f}, {0.02f, 0.06f}},
    {{0.02f, 0.715f}, {0.51f, 0.735f}, {0.5f, 0.31f}, {0.5f, 0.31f}, {0.5f, 0.04f},
     {0.142f, 0.075f}, {0.1f, 0.4f}, {0.84f, 0.72f}, {0.02f, 0.34f}},
    {{0.02f, 0.58f}, {0.51f, 0.62f}, {0.5f, 0.18f}, {0.5f, 0.18f}, {0.5f, 0.08f},
     {0.14f, 0.15f}, {0.1f, 0.4f}, {0.84f, 0.6f}, {0.02f, 0.2f}},
};

bool ComputeHudPosition(const CViewportConfig& config, int player, int element, const D3DVIEWPORT8& view,
                        const D3DVIEWPORT8& view0, float screenWidth, float screenHeight, float* x, float* y) {
  *x = *y = 0.0f;
  if (player < 0 || player >= 4 || element < 0 || element >= HUD_ELEMENT_COUNT) return false;
  int layout = 0;
  int shiftOf = 0;
  const D3DVIEWPORT8* record = &view;
  if (config.SplitScreen != 0) {
    layout = config.Layout().HudLayout[player];
    shiftOf = player;
  }
  if (layout < 0 || layout >= kHudLayouts) {
    // A player without a view: layout 0's anchor in view 0 rather than a
    // row past the table.
    layout = 0;
    shiftOf = 0;
    record = &view0;
  }
  const HudAnchor& anchor = HudLayoutTable[layout][element];
  float shiftX = 0.0f, shiftY = 0.0f;
  config.GetHudOffset(shiftOf, &shiftX, &shiftY);
  *x = static_cast<float>(record->X) + static_cast<float>(record->Width) * anchor.X + screenWidth * shiftX;
  *y = static_cast<float>(record->Y) + static_cast<float>(record->Height) * anchor.Y + screenHeight * shiftY;
  return true;
}

bool GetHudPosition(int player, int element, float* x, float* y) {
  float dx = 0.0f, dy = 0.0f;
  if (x == nullptr) x = &dx;
  if (y == nullptr) y = &dy;
  *x = *y = 0.0f;
  if (g_Render == nullptr || player < 0 || player >= 4) return false;
  const D3DVIEWPORT8* view = g_Render->GetViewportRecord(static_cast<DWORD>(player));
  const D3DVIEWPORT8* view0 = g_Render->GetViewportRecord(0);
  if (view == nullptr || view0 == nullptr) return false;
  return ComputeHudPosition(g_ViewportConfig, player, element, *view, *view0,
                            static_cast<float>(g_Render->GetModeWidth()),
                            static_cast<float>(g_Render->GetModeHeight()), x, y);
}

bool ViewportPixels(const ViewportLayout& layout, int view, unsigned screenWidth, unsigned screenHeight,
                    D3DVIEWPORT8* out) {
  if (view < 0 || view >= 4 || layout.View[view].Flag != 1) return false;
  const ViewportRect& r = layout.View[view];
  const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
  const unsigned x0 = static_cast<unsigned>(r.X * w + 0.5f), y0 = static_cast<unsigned>(r.Y * h + 0.5f);
  const unsigned x1 = static_cast<unsigned>((r.X + r.Width) * w + 0.5f);
  const unsigned y1 = static_cast<unsigned>((r.Y + r.Height) * h + 0.5f);
  MakeViewport(out, x0, y0, x1 > x0 ? x1 - x0 : 0, y1 > y0 ? y1 - y0 : 0, 0.0f, 1.0f);
  return true;
}
