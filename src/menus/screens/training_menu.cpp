#include "menus/screens/training_menu.h"

#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "shell/program/sound_mode.h"

namespace {

constexpr std::uint16_t kFirstRow = 4011;
constexpr const char* kTrainingLevels[3] = {"Training1.dll", "Training2.dll", "Training3.dll"};

}  // namespace

bool CTrainingMenu::Create() { return MakePlainItems(this, 3); }

void CTrainingMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  const std::uint32_t texts[3] = {kTextTraining1, kTextTraining2, kTextTraining3};
  for (int i = 0; i < 3; ++i) AddButtonRow(this, i, static_cast<std::uint16_t>(kFirstRow + i), texts[i], kRowFlags);
  PlaceMenu(kTextTraining, 0, nullptr, 32767);
}

int CTrainingMenu::Update() {
  int result = 0;
  if (IsCommandSwitchSet('u') != 0) {
    SetPendingLevelName(kTrainingLevels[0]);
    MissionRecordReset();
    EnableKeyMap(1);
    result = SCREEN_RESULT_LEVEL_CHANGE;
  } else {
    const std::uint16_t id = Menu->Process();
    if (id >= kFirstRow && id < kFirstRow + 3) {
      SetPendingLevelName(kTrainingLevels[id - kFirstRow]);
      SetSoundMode(1);
      MissionRecordReset();
      EnableKeyMap(1);
      result = SCREEN_RESULT_LEVEL_CHANGE;
    }
  }
  if (BackPressed(0) != 0) SetScreen(2);
  return result;
}

void CTrainingMenu::Draw() { DrawStandardScreen(this, kTextTraining); }
