#include "menus/screens/front_end_menu.h"

#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "shell/program/game_objects.h"

namespace {

enum : std::uint16_t { kSinglePlayer = 1021, kMultiplayer = 1022, kOptions = 1023, kQuit = 1024 };

}  // namespace

bool CFrontEndMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(4)) return false;
  for (int i = 0; i < 4; ++i)
    if (!Menu->AddItem(new CMenuItem)) return false;
  return true;
}

void CFrontEndMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  AddButtonRow(this, 0, kSinglePlayer, kTextSinglePlayer, kRowFlags);
  AddButtonRow(this, 1, kMultiplayer, kTextMultiplayer, kRowFlagsDisabled);
  AddButtonRow(this, 2, kOptions, kTextOptions, kRowFlags);
  AddButtonRow(this, 3, kQuit, kTextQuit, kRowFlags);
  PlaceMenu(kMenuNoText, 1, nullptr, 32767);
}

void CFrontEndMenu::OnEnter() {
  EnableKeyMap(0);
  Populate();
}

int CFrontEndMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    SetScreen(2);
    return 0;
  }
  switch (Menu->Process()) {
    case kSinglePlayer: SetScreen(2); break;
    case kMultiplayer: SetScreen(3); break;
    case kOptions:
      OptionsInGame = 0;
      SetScreen(4);
      OptionsReturnScreen = 1;
      break;
    case kQuit: SetScreen(24); break;
    default: break;
  }
  return 0;
}

void CFrontEndMenu::Draw() {
  EnableKeyMap(0);
  ShowMenuBackdrop();
  DrawPanelFrame(6, 0);
  Menu->Draw();
}
