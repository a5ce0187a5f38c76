#include "menus/multiplayer/multi_player_menu.h"

#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/standard_items.h"
#include "net/mp_layer.h"
#include "shell/program/game_objects.h"

void MPStandardPlacement(CMenuScreen* screen, bool sideChecks) { StandardListSetUp(screen, AcceptPressed, sideChecks); }

bool MakePlainScreenMenu(CMenuScreen* screen, int n) {
  screen->Menu = new CScreenMenu(g_LargeFont, g_InterfaceSprites, 1);
  if (!screen->Menu->AllocateItems(n)) return false;
  for (int i = 0; i < n; ++i) {
    auto* item = new CMenuItem;
    if (!screen->Menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

bool CMultiPlayerMenu::Create() { return MakePlainScreenMenu(this, 2); }

void CMultiPlayerMenu::Populate() {
  MPStandardPlacement(this, false);
  AddButtonRow(this, 0, kHostRow, mptext::kHostGame, kRowFlags);
  AddButtonRow(this, 1, kJoinRow, mptext::kJoinGame, kRowFlags);
  PlaceMenu(mptext::kTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

int CMultiPlayerMenu::Update() {
  const std::uint16_t id = Menu->Process();
  if (id == kHostRow || id == kJoinRow) {
    // Multiplayer starts here: the network session (a running one stays).
    if (!MPCurrent()->IsSessionRunning() && MPCurrent()->session_ == nullptr) MPStart();
    const int host = id == kHostRow ? 1 : 0;
    LoadMultiplayerRegistry(host);
    MPSetRole(host);
    SetScreen(46);
  } else if (BackPressed(0) != 0) {
    SetScreen(1);
  }
  return 0;
}

void CMultiPlayerMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  DrawTitle(mptext::kTitle, 1);
}
