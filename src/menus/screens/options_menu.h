// The options screen (ScreenId 4): the cheat screen's row (only when cheat
// mode was on when the screens were made), the effects and music volume
// sliders, and the controls row.  Back returns to the screen the options
// were entered from (OptionsReturnScreen: the front screen or the pause
// screen).  The selection is remembered when a row leads elsewhere and
// restored on the way back; back forgets it.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class COptionsMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kCheatsRow = 2032, kEffectsRow = 2033, kMusicRow = 2034, kControlsRow = 2039 };

  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
  std::uint32_t GetLeftHintTextId() override;

  // Whether the cheat row was made; the remembered selection (-1 none).
  bool HasCheatRow() const { return cheatRow_; }
  std::int32_t RememberedRow = -1;

 private:
  bool cheatRow_ = false;
};

// The volume slider's position for a volume (0..1 in twentieths), and back.
int VolumeToSlider(float volume);
float SliderToVolume(int value);
