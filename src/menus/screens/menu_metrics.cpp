#include "menus/screens/menu_metrics.h"

#include "render/2d/sprite_render.h"

namespace {
int g_itemHeight = 0;
int g_smallItemHeight = 0;

constexpr int kStandardCell = 12;
constexpr int kSmallCell = 0;

int TwiceHeight(const CSpriteRender* frames, int cell) {
  if (frames == nullptr || cell >= frames->GetSpriteCount()) return 0;
  return static_cast<int>(2.0f * frames->GetScaledHeight(cell));
}
}  // namespace

void ComputeMenuItemHeights(const CSpriteRender* frames) {
  g_itemHeight = TwiceHeight(frames, kStandardCell);
  g_smallItemHeight = TwiceHeight(frames, kSmallCell);
}

int GetMenuItemHeight() { return g_itemHeight; }

int GetSmallMenuItemHeight() { return g_smallItemHeight; }
