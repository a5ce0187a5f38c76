#include "menus/screens/load_failed_menu.h"

#include <algorithm>

#include "control/player_camera.h"
#include "menus/drawing/text_boxes.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/screen_text_ids.h"
#include "net/mp_layer.h"
#include "shell/frame/mission_queries.h"
#include "shell/program/game_objects.h"
#include "world/effects/explosions.h"

namespace {

float Reference(float v, float scale) {
  const float m = static_cast<float>(std::max(ScreenWidth(), 800));
  return static_cast<float>(static_cast<int>(m * v / 800.0f)) * scale;
}

}  // namespace

bool CLoadFailedMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  return true;
}

void CLoadFailedMenu::Populate() {
  TitleTextId = kTextLoadFailed;
  LargeTitle = 1;
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const int w = static_cast<std::int16_t>(static_cast<int>(420.0f * sx));
  const int h = std::max(static_cast<int>(GetTitleHeight(static_cast<float>(w)) + 10.0f * sy),
                         static_cast<int>(120.0f * sy));
  Menu->Reset();
  Menu->SetLayout(MENU_VERTICAL, 1);
  Menu->SetItemSprites(-1, -1);
  Menu->SetRect(static_cast<int>(Reference(200, sx)), static_cast<int>(Reference(200, sy)), w, h);
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0);
  Menu->SoundBank = InterfaceSoundBank();
  Menu->MoveSound = kMenuMoveSound;
  Menu->Owner = this;
  Menu->Wrap = 0;
}

void CLoadFailedMenu::OnEnter() {
  if (!MPIsNetworkGame() && MissionQueryMode() == 0) SetGamePaused(1, 6);
  // No screen set populates this screen: it lays its box out on entry.
  Populate();
}

void CLoadFailedMenu::OnLeave(int) {
  if (MPIsNetworkGame()) return;
  SetGamePaused(0, 0);
  for (CPlayerCamera* camera : g_PlayerCameras)
    if (camera != nullptr) camera->SetOptionWord(0);
}

int CLoadFailedMenu::Update() {
  if (BackPressed(0) != 0) SetScreen(9);
  return 0;
}

void CLoadFailedMenu::Draw() {
  DrawFramedBox(Menu->X, Menu->Y, Menu->Width, Menu->Height, 1, 6);
  DrawLocaleText(kTextLoadFailed, static_cast<int>(Reference(200, InterfaceScaleX())),
                 static_cast<int>(Reference(200, InterfaceScaleY())), static_cast<int>(420.0f * InterfaceScaleX()), 1);
}
