// The on/off indicator of a local player's view (night vision and similar
// view modes), one for each of the four views.  While a view is drawn the
// world reads the indicator of that view: any on word other than 0 draws lens
// flares at twice their size and gives the sky the view's own clear and fog
// colours; an on word of 1 also turns the sky's and the flares' colours grey.
// Main thread only.
#pragma once

#include <cstdint>

// Views of a shared screen.
constexpr int kLocalViews = 4;

// Plays one event of a sound bank (the sound manager's single-event play);
// installed by the sound subsystem.  Without one, switching plays nothing.
using HudToggleSoundHook = void (*)(int bank, int event, int argument);
void SetHudToggleSoundHook(HudToggleSoundHook hook);

class CHudToggle {
 public:
  // on = 1: on word 1, colour word 0xFF001900 (A8R8G8B8) and the bank's on
  // event; on = 0: on word 0 and the off event.
  void Set(int on, int bank, int onEvent, int offEvent, int argument);
  std::uint32_t GetOn() const { return On; }
  std::uint32_t GetColour() const { return Colour; }

  std::uint32_t On = 0;
  std::uint32_t Colour = 0;
};

// The indicators of the four views.
extern CHudToggle g_HudToggles[kLocalViews];
// The view being drawn (0 to 3), set by the game's view loop.
extern int g_CurrentView;
// The indicator of the view being drawn; view 0's for an index out of range.
CHudToggle& CurrentHudToggle();
