#include "menus/screens/cheat_menu.h"

#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/settings_rows.h"
#include "shell/cheats/cheat_settings.h"

namespace {

constexpr int kSkillBonusMax = 9;

}  // namespace

bool CCheatMenu::Create() {
  const SettingsRowKind kinds[] = {SETTINGS_SLIDER, SETTINGS_CHOICE, SETTINGS_PLAIN};
  return MakeSettingsItems(this, kinds, 3);
}

void CCheatMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, true);
  AddSliderRow(this, 0, kSkillBonusRow, kTextSkillBonus, kSkillBonusMax, GetPlayerSkillBonus());
  AddOffOnRow(this, 1, kEnemySkillRow, kTextEnemySkillZero, 0, GetEnemySkillZero() != 0 ? 1 : 0);
  AddButtonRow(this, 2, kMissionListRow, kTextMissionListRow, kRowFlags);
  PlaceMenu(kTextCheatsTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
  SetStandardArrowBoxes(this);
}

int CCheatMenu::Update() {
  const std::uint16_t id = Menu->Process();
  switch (id) {
    case kSkillBonusRow: SetPlayerSkillBonus(static_cast<std::uint16_t>(RowValue(this, id))); break;
    case kEnemySkillRow: SetEnemySkillZero(RowValue(this, id) >= 1 ? 1 : 0); break;
    case kMissionListRow: SetScreen(8); break;
    default: break;
  }
  if (BackPressed(0) != 0) SetScreen(4);
  return 0;
}

void CCheatMenu::Draw() { DrawSettingsScreen(this, kTextCheatsTitle); }

std::uint32_t CCheatMenu::GetLeftHintTextId() {
  if (Menu != nullptr && Menu->SelectedId == kMissionListRow) return CMenuScreen::GetLeftHintTextId();
  return 0;
}
