#include "menus/multiplayer/mp_info_menu.h"

#include <cstdio>

#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "net/mp_layer.h"
#include "shell/program/game_objects.h"

std::uint32_t MPInfoTextId(int id) {
  switch (id) {
    case 34: return mptext::kWaitHost;
    case 35: return mptext::kJoinFailed;
    case 36: return mptext::kJoinRefused;
    case 38: return mptext::kWaitForPlayers;
    case 39: return mptext::kWaitLoading;
    case 40: return mptext::kHostFailed;
    case 41: return mptext::kSessionEnded;
    case 42: return mptext::kWatching;
    default: return 0;
  }
}

void MPWatchingLine(char* out, int capacity) {
  // The player whose soldier the view follows; nobody without a soldier.
  const char* name = "";
  const int watched = MPCurrent()->watchedSlot_;
  if (watched >= 0 && MPGetObjectByIndex(watched, 1) != nullptr) {
    const MPPlayerRecord* r = MPGetPlayerRecord(watched);
    if (r != nullptr) name = r->name;
  }
  char clipped[21];
  CopyClipped(clipped, sizeof clipped, name);
  const char* text = CMenu::TextOf(mptext::kWatching);
  std::snprintf(out, static_cast<std::size_t>(capacity), "%s : %s", text != nullptr ? text : "", clipped);
}

bool CMPInfoMenu::Create() {
  Menu = new CScreenMenu(g_LargeFont, g_InterfaceSprites, 1);
  return true;
}

void CMPInfoMenu::OnEnter() {
  TitleTextId = MPInfoTextId(ScreenId);
  // The message box: 600 layout units wide, centred between 40 units from
  // the top and 60 from the bottom.
  const float w = static_cast<float>(RefX(600));
  const float left = (static_cast<float>(ScreenWidth()) - w) / 2.0f;
  const float top = static_cast<float>(RefY(40)), bottom = static_cast<float>(ScreenHeight() - RefY(60));
  const float h = GetTitleHeight(w) + 25.0f * InterfaceScaleY();
  PanelLeft = left;
  PanelRight = left + w;
  PanelTop = top + (bottom - top - h) / 2.0f;
  PanelBottom = PanelTop + h;
}

int CMPInfoMenu::Update() {
  if (BackPressed(0) == 0) return 0;
  switch (ScreenId) {
    case 34:
      MPCurrent()->SendNotReady(-1);
      SetScreen(48);
      break;
    case 35:
    case 36: SetScreen(47); break;
    case 38:
    case 39:
      MPCurrent()->SetPlayerState(0);
      MPSetSessionState(11);
      break;
    case 40: SetScreen(1); break;
    case 41: MPSetSessionState(11); break;
    case 42: SetScreen(15); break;
    default: break;
  }
  return 0;
}

void CMPInfoMenu::Draw() {
  OnEnter();
  DrawPanelFrame(6, 0);
  if (ScreenId == 42) {
    char line[128];
    MPWatchingLine(line, sizeof line);
    DrawTitleString(line, 1);
  } else {
    DrawTitle(TitleTextId, 1);
  }
}
