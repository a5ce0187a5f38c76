#include "menus/drawing/sprite_digits.h"

#include <algorithm>

#include "menus/screens/screen_size.h"
#include "net/mp_layer.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

int GetDigitCell(int digit, int large) {
  const int d = ((digit % 10) + 10) % 10;
  if (large != 0) return d == 0 ? 73 : 73 + d;
  return d;
}

void DrawMissionClock(std::uint32_t milliseconds, int x, int y) {
  CSpriteRender* set = g_InterfaceSprites;
  if (set == nullptr) return;
  // Ten hours or more would need a second hour digit: the clock stops at 9:59:59.
  const std::uint32_t ms = std::min(milliseconds, kMissionClockMaxMs);
  const int hours = static_cast<int>(ms / 3600000u);
  const int minutes = static_cast<int>(ms / 60000u % 60u), seconds = static_cast<int>(ms / 1000u % 60u);
  const int digits[5] = {hours, minutes / 10, minutes % 10, seconds / 10, seconds % 10};
  const float g = static_cast<float>(static_cast<int>(2.0f * set->XScale + 0.5f));
  const int digitStep = static_cast<int>(set->GetScaledWidth(73) + g);
  const int colonStep = static_cast<int>(set->GetScaledWidth(kClockColonCell) + g);
  const int colonDrop = static_cast<int>(set->GetScaledHeight(73) / 4.0f);
  set->SetColour(0xFF000000, 0);
  set->SetBlendMode(11);
  int pen = x;
  for (int i = 0; i < 5; ++i) {
    set->Draw(GetDigitCell(digits[i], 1), pen, y);
    pen += digitStep;
    if (i == 0 || i == 2) {
      set->Draw(kClockColonCell, pen, y + colonDrop);
      pen += colonStep;
    }
  }
  set->SetColour(0xFFFFFFFF, 0);
  set->SetBlendMode(3);
}

void DrawNetworkClock() {
  if (!MPIsNetworkGame() || g_InterfaceSprites == nullptr) return;
  const int x = RefX(40), y = RefY(40);
  g_InterfaceSprites->Draw(kClockFrameCell, x, y);
  const std::int32_t elapsed = MPGetSessionTime();
  DrawMissionClock(elapsed > 0 ? static_cast<std::uint32_t>(elapsed) : 0u,
                   x + static_cast<int>(19.0f * InterfaceScaleX()), y + static_cast<int>(7.0f * InterfaceScaleY()));
}
