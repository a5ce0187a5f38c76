#include "menus/screens/options_menu.h"

#include <cmath>

#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/settings_rows.h"
#include "shell/program/command_line.h"
#include "sound/sound_manager.h"

namespace {

constexpr int kVolumeSteps = 20;

}  // namespace

// Rounded rather than truncated, so that a volume set from a position reads
// back as the same position whatever the float rounding of 0.05 steps.
int VolumeToSlider(float volume) { return static_cast<int>(std::lround(volume * kVolumeSteps)); }

float SliderToVolume(int value) { return static_cast<float>(value) * 0.05f; }

bool COptionsMenu::Create() {
  cheatRow_ = CheatMode != 0;
  const SettingsRowKind withCheat[] = {SETTINGS_PLAIN, SETTINGS_SLIDER, SETTINGS_SLIDER, SETTINGS_PLAIN};
  const SettingsRowKind withoutCheat[] = {SETTINGS_SLIDER, SETTINGS_SLIDER, SETTINGS_PLAIN};
  return cheatRow_ ? MakeSettingsItems(this, withCheat, 4) : MakeSettingsItems(this, withoutCheat, 3);
}

void COptionsMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, true);
  const float effects = g_SoundManager != nullptr ? g_SoundManager->GetEffectsVolume() : 1.0f;
  const float music = g_SoundManager != nullptr ? g_SoundManager->GetMusicVolume() : 0.75f;
  int index = 0;
  if (cheatRow_) AddButtonRow(this, index++, kCheatsRow, kTextCheatsRow, kRowFlags);
  AddSliderRow(this, index++, kEffectsRow, kTextEffectsVolume, kVolumeSteps, VolumeToSlider(effects));
  AddSliderRow(this, index++, kMusicRow, kTextMusicVolume, kVolumeSteps, VolumeToSlider(music));
  AddButtonRow(this, index++, kControlsRow, kTextControlsRow, kRowFlags);
  PlaceMenu(kTextOptionsTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
  SetStandardArrowBoxes(this);
  if (RememberedRow != -1) Menu->SelectIndex(RememberedRow);
}

int COptionsMenu::Update() {
  const std::uint16_t id = Menu->Process();
  if (id >= 2031 && id <= 2039) RememberedRow = Menu->Selection;
  switch (id) {
    case kCheatsRow: SetScreen(7); break;
    case kEffectsRow:
      if (g_SoundManager != nullptr) g_SoundManager->SetEffectsVolume(SliderToVolume(RowValue(this, id)));
      break;
    case kMusicRow:
      if (g_SoundManager != nullptr) g_SoundManager->SetMusicVolume(SliderToVolume(RowValue(this, id)));
      break;
    case kControlsRow: SetScreen(31); break;
    default: break;
  }
  if (BackPressed(0) != 0) {
    SetScreen(OptionsReturnScreen);
    RememberedRow = -1;
  }
  return 0;
}

void COptionsMenu::Draw() { DrawSettingsScreen(this, kTextOptionsTitle); }

std::uint32_t COptionsMenu::GetLeftHintTextId() {
  const std::uint16_t selected = Menu != nullptr ? Menu->SelectedId : 0;
  if (selected == kEffectsRow || selected == kMusicRow) return 0;
  return CMenuScreen::GetLeftHintTextId();
}
