#include "control/hud_toggle.h"

CHudToggle g_HudToggles[kLocalViews];
int g_CurrentView = 0;

namespace {
HudToggleSoundHook g_SoundHook = nullptr;
}  // namespace

void SetHudToggleSoundHook(HudToggleSoundHook hook) { g_SoundHook = hook; }

void CHudToggle::Set(int on, int bank, int onEvent, int offEvent, int argument) {
  if (on == 1) {
    On = 1;
    Colour = 0xFF001900;
    if (g_SoundHook != nullptr) g_SoundHook(bank, onEvent, argument);
  } else if (on == 0) {
    On = 0;
    if (g_SoundHook != nullptr) g_SoundHook(bank, offEvent, argument);
  }
}

CHudToggle& CurrentHudToggle() {
  const int view = g_CurrentView >= 0 && g_CurrentView < kLocalViews ? g_CurrentView : 0;
  return g_HudToggles[view];
}
