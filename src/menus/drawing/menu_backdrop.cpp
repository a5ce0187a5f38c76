#include "menus/drawing/menu_backdrop.h"

#include <algorithm>

#include "foundation/time/timer.h"
#include "menus/screens/screen_size.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "world/engine.h"

CSpriteRender* g_BackdropSprites = nullptr;
CSpriteRender* g_ScriptSprites = nullptr;

namespace {

int g_alpha = 0;
bool g_shown = false;

// The cells of the backdrop set.
constexpr int kTopBand = 0, kBottomBand = 1, kEmblem = 2;

// The arrangement on the 800-wide reference: a band along the top and one
// along the bottom edge, tiled across the screen, and the emblem at the top
// left under the band.
void DrawArrangement(CSpriteRender* set) {
  const int width = ScreenWidth(), height = ScreenHeight();
  const float bandW = set->GetScaledWidth(kTopBand), bandH = set->GetScaledHeight(kTopBand);
  if (bandW >= 1.0f) {
    for (float x = 0; x < static_cast<float>(width); x += bandW) {
      set->DrawToRectMirrored(kTopBand, x, 0.0f, x + bandW, bandH, 0);
      set->DrawToRectMirrored(kBottomBand, x, static_cast<float>(height) - bandH, x + bandW,
                              static_cast<float>(height), 2);
    }
  }
  set->Draw(kEmblem, RefX(16), static_cast<int>(bandH) + RefY(8));
}

}  // namespace

void ShowMenuBackdrop(int shown) { g_shown = shown != 0; }
int MenuBackdropAlpha() { return g_alpha; }
bool MenuBackdropShown() { return g_shown; }

void ResetMenuBackdrop() {
  g_alpha = 0;
  g_shown = false;
}

void DrawMenuBackdrop() {
  const int frameMs = g_RealClock != nullptr ? static_cast<int>(g_RealClock->GetFrameTimeMs()) : 0;
  const int step = frameMs * 255 / 330;
  g_alpha = g_shown ? std::min(255, g_alpha + step) : g_alpha - step;
  if (g_alpha < 0) {
    g_alpha = 0;
    g_shown = false;
  }
  if (g_alpha <= 0 || g_BackdropSprites == nullptr || g_Render == nullptr) return;
  // Drawn unscaled and unfaded by a running transition; its scales come back after.
  const float scale = g_Render->Get2DScale(), rotation = g_Render->Get2DRotation();
  const float red = g_Render->Get2DRedScale(), green = g_Render->Get2DGreenScale();
  const float blue = g_Render->Get2DBlueScale(), alpha = g_Render->Get2DAlphaScale();
  g_Render->Set2DScale(1.0f);
  g_Render->Set2DRotation(0.0f);
  g_Render->Set2DRedScale(1.0f);
  g_Render->Set2DGreenScale(1.0f);
  g_Render->Set2DBlueScale(1.0f);
  g_Render->Set2DAlphaScale(1.0f);
  const std::uint32_t colour = g_BackdropSprites->Colour, drawColour = g_BackdropSprites->DrawColour;
  g_BackdropSprites->SetAlpha(g_alpha);
  DrawArrangement(g_BackdropSprites);
  g_BackdropSprites->Colour = colour;
  g_BackdropSprites->DrawColour = drawColour;
  g_Render->Set2DScale(scale);
  g_Render->Set2DRotation(rotation);
  g_Render->Set2DRedScale(red);
  g_Render->Set2DGreenScale(green);
  g_Render->Set2DBlueScale(blue);
  g_Render->Set2DAlphaScale(alpha);
}
