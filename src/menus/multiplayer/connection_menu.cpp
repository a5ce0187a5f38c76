#include "menus/multiplayer/connection_menu.h"

#include "menus/drawing/text_boxes.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/multi_player_menu.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

bool CConnectionMenu::Create() { return MakePlainScreenMenu(this, 4); }

void CConnectionMenu::Populate() {
  const bool host = MPGetRole() == 1;
  MPStandardPlacement(this, false);
  const std::uint16_t hostOnly = host ? kRowFlags : kRowFlagsDisabled;
  AddButtonRow(this, 0, kSessionRow, mptext::kSessionName, hostOnly);
  AddButtonRow(this, 1, kPortRow, mptext::kPort, hostOnly);
  AddButtonRow(this, 2, kAddressRow, mptext::kConnectAddress, kRowFlags);
  AddButtonRow(this, 3, kSearchRow, mptext::kSearchLocal, kRowFlags);
  const PlaceExtra sessionBox{0.0f, static_cast<float>(Menu->ItemHeight), 0.0f, static_cast<float>(Menu->ItemHeight)};
  const PlaceExtra none{0.0f, 0.0f, 0.0f, 0.0f};
  PlaceMenu(0xFFFFFFFF, 0, host ? &sessionBox : &none, 32767);
  Menu->SelectFirstEnabled();
}

int CConnectionMenu::Update() {
  const std::uint16_t id = Menu->Process();
  const bool host = MPGetRole() == 1;
  switch (id) {
    case kSessionRow:
      if (host) SetScreen(44);
      break;
    case kPortRow:
      if (host) SetScreen(51);
      break;
    case kAddressRow:
      MPSetConnectionKind(2);
      StartConnection();
      break;
    case kSearchRow:
      MPSetConnectionKind(1);
      StartConnection();
      break;
    default:
      if (BackPressed(0) != 0) SetScreen(3);
      break;
  }
  return 0;
}

void CConnectionMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  if (MPGetRole() != 1) return;
  const MPSettings* local = MPGetPlayerSettings(-1);
  if (local == nullptr || g_LargeFont == nullptr) return;
  char name[21];
  CopyClipped(name, sizeof name, local->sessionName);
  const int inset = RefX(40);
  const int x = Menu->X + inset, w = Menu->Width - 2 * inset;
  const int y = Menu->Y - Menu->ItemHeight;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), 1, 0);
  g_LargeFont->DrawString(name, x + (w - g_LargeFont->GetStringWidth(name)) / 2,
                          y + (Menu->ItemHeight + g_LargeFont->GetStringHeight(name)) / 2, 0);
}
