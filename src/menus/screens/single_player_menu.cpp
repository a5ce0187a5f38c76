#include "menus/screens/single_player_menu.h"

#include "foundation/system/command_switches.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "shell/program/game_objects.h"

namespace {

enum : std::uint16_t { kTrainingRow = 2021, kCampaignRow = 2022, kLoadRow = 2023 };

}  // namespace

bool MakePlainItems(CMenuScreen* screen, int n) {
  screen->Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!screen->Menu->AllocateItems(n)) return false;
  for (int i = 0; i < n; ++i)
    if (!screen->Menu->AddItem(new CMenuItem)) return false;
  return true;
}

void DrawStandardScreen(CMenuScreen* screen, std::uint32_t titleId) {
  screen->DrawPanelFrame(6, 0);
  screen->Menu->Draw();
  screen->DrawTitle(titleId, 1);
}

bool CSinglePlayerMenu::Create() { return MakePlainItems(this, 3); }

void CSinglePlayerMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  AddButtonRow(this, 0, kTrainingRow, kTextTraining, kRowFlagsDisabled);
  AddButtonRow(this, 1, kCampaignRow, kTextNewCampaign, kRowFlags);
  AddButtonRow(this, 2, kLoadRow, kTextLoadGame, kRowFlagsDisabled);
  PlaceMenu(kTextSinglePlayer, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

int CSinglePlayerMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    SetScreen(62);
    return 0;
  }
  switch (Menu->Process()) {
    case kTrainingRow: SetScreen(62); break;
    case kCampaignRow:
      SetPendingLevelName(MissionRecordNextLevel());
      SetScreen(5);
      break;
    case kLoadRow: SetScreen(9); break;
    default: break;
  }
  if (BackPressed(0) != 0) SetScreen(1);
  return 0;
}

void CSinglePlayerMenu::Draw() { DrawStandardScreen(this, kTextSinglePlayer); }
