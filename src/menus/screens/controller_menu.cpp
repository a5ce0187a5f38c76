#include "menus/screens/controller_menu.h"

#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/settings_rows.h"

bool CControllerMenu::Create() {
  const SettingsRowKind kinds[] = {SETTINGS_PLAIN, SETTINGS_PLAIN};
  return MakeSettingsItems(this, kinds, 2);
}

void CControllerMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  AddButtonRow(this, 0, kKeyBindingsRow, kTextKeyBindingsRow, kRowFlags);
  AddButtonRow(this, 1, kMouseRow, kTextMouseRow, kRowFlags);
  PlaceMenu(kTextControlsTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

int CControllerMenu::Update() {
  switch (Menu->Process()) {
    case kKeyBindingsRow: SetScreen(33); break;
    case kMouseRow: SetScreen(32); break;
    default: break;
  }
  if (BackPressed(0) != 0) SetScreen(4);
  return 0;
}

void CControllerMenu::Draw() { DrawSettingsScreen(this, kTextControlsTitle); }
