#include "menus/screens/success_menu.h"

#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/pause_menu.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/shell_state.h"
#include "shell/program/sound_mode.h"
#include "world/effects/explosions.h"

namespace {

enum : std::uint16_t { kContinueRow = 3052, kQuitMissionRow = 3053, kQuitRow = 3054 };
// The mission's question whether the next level starts without the awards.
constexpr std::uint32_t kEventSkipAwards = 83;

bool MissionSkipsAwards() { return MissionPluginBound() && RaiseMissionEvent(kEventSkipAwards, nullptr, 0) != 0; }

}  // namespace

bool CSuccessMenu::Create() { return MakePlainItems(this, 4); }

void CSuccessMenu::Populate() {
  EndScreenListSetUp(this, AcceptPressed);
  int row = 0;
  AddButtonRow(this, row++, kContinueRow, ScreenId == 19 ? kTextQuitMission : kTextContinue, kRowFlags);
  if (MissionSkipsAwards() && MissionRecordId() != 18)
    AddButtonRow(this, row++, kQuitMissionRow, kTextQuitMission, kRowFlags);
  if (ScreenId == 19) AddButtonRow(this, row++, kQuitRow, kTextQuitGame, kRowFlags);
  PlaceMenu(kTextSuccessTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

void CSuccessMenu::OnEnter() {
  SetGamePaused(1, 2);
  Populate();
}

int CSuccessMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    SetScreen(28);
    return 0;
  }
  switch (Menu->Process()) {
    case kContinueRow:
      if (ReturnToFrontEnd != 0) {
        SetScreen(1);
        SetPendingLevelName("FrontEnd.dll");
        SetSoundMode(0);
        return SCREEN_RESULT_LEVEL_CHANGE;
      }
      if (ScreenId == 19) {
        SetScreen(14);
        SetPendingLevelName(MissionRecordNextLevel());
        MissionRecordReset();
        return SCREEN_RESULT_LEVEL_CHANGE;
      }
      SetScreen(MissionSkipsAwards() ? 28 : 59);
      NotBuiltYet("night-vision indicators switched off at the awards");
      return 0;
    case kQuitMissionRow: SetScreen(25); break;
    case kQuitRow: SetScreen(24); break;
    default: break;
  }
  return 0;
}

void CSuccessMenu::Draw() { DrawStandardScreen(this, kTextSuccessTitle); }

int UpdateAwardCeremony() {
  NotBuiltYet("award sequence");
  // Until the award sequence is built the ceremony is over at once.
  SetScreen(16);
  return 0;
}
