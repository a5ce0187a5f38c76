#include "menus/screens/failed_menu.h"

#include "foundation/system/command_switches.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/pause_menu.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "world/effects/explosions.h"

namespace {

enum : std::uint16_t { kRetryRow = 1091, kQuitRow = 1094 };

// The running level again.
void RestartLevel() {
  SetPendingLevelName(MissionRecordLevelName());
  MissionRecordReset();
}

}  // namespace

bool CFailedMenu::Create() { return MakePlainItems(this, 4); }

void CFailedMenu::Populate() {
  EndScreenListSetUp(this, AcceptPressed);
  AddButtonRow(this, 0, kRetryRow, kTextRetry, kRowFlags);
  AddButtonRow(this, 1, kQuitRow, kTextQuitGame, kRowFlags);
  PlaceMenu(kTextFailedTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

void CFailedMenu::OnEnter() {
  Populate();
  SetGamePaused(1, 2);
}

int CFailedMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    RestartLevel();
    return SCREEN_RESULT_LEVEL_CHANGE;
  }
  switch (Menu->Process()) {
    case kRetryRow:
      RestartLevel();
      MissionRecordSetRetry();
      return SCREEN_RESULT_LEVEL_CHANGE;
    case kQuitRow: SetScreen(24); break;
    default: break;
  }
  return 0;
}

void CFailedMenu::Draw() { DrawStandardScreen(this, kTextFailedTitle); }
