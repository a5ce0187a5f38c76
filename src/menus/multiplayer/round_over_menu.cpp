#include "menus/multiplayer/round_over_menu.h"

#include <cstdio>

#include "menus/multiplayer/lobby_menu.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/text_menu.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

enum : std::uint16_t { kPlayAgain = 3901, kSetup = 3902, kOptions = 3903, kChat = 3904 };

// The round reset comes this long after the host asks for it.
constexpr std::int32_t kRoundResetDelayMs = 5000;

}  // namespace

void BuildRoundOverMenu() {
  CMenu* menu = MPMenus().roundOver;
  if (menu == nullptr || menu->Allocated < 4) return;
  PlaceLowerMenu(menu, 4);
  const std::uint16_t hostFlags = MPIsHost() ? 0x24 : 0x26;
  menu->Items[0]->Set(kPlayAgain, mptext::kPlayAgain, hostFlags, 0, 0, DrawRoundOverItem, nullptr);
  menu->Items[1]->Set(kSetup, mptext::kChangeSetup, hostFlags, 0, 0, DrawRoundOverItem, nullptr);
  menu->Items[2]->Set(kOptions, mptext::kOptions, 0x24, 0, 0, DrawRoundOverItem, nullptr);
  menu->Items[3]->Set(kChat, kMenuNoText, 0x20, 0, 0, DrawChatLine, HitTestChatLine);
  for (int i = 0; i < 4; ++i) menu->OnItemAdded(menu->Items[i]);
  auto* chat = static_cast<CMenuEditItem*>(menu->Items[3]);
  MPChatText[0] = '\0';
  chat->SetBuffer(MPChatText, kMPChatSize, 300);
  chat->Filter = MENU_EDIT_ANY;
  menu->SelectFirstEnabled();
}

void UpdateRoundOverMenu(std::uint16_t itemId) {
  CMultiplayer* layer = MPCurrent();
  switch (itemId) {
    case kPlayAgain:
      if (MPIsHost()) layer->SendRoundReset(static_cast<std::uint32_t>(MPGetSessionTime() + kRoundResetDelayMs));
      return;
    case kSetup:
      if (MPIsHost()) SetScreen(48);
      return;
    case kOptions: SetScreen(49); return;
    case kChat: SendChatLine(MPMenus().roundOver, kChat); return;
    default: break;
  }
  if (BackPressed(0) == 0) return;
  if (MPIsHost())
    MPSendSessionState(11, 3);
  else
    MPSetSessionState(11);
}

void RoundResultText(char* out, int capacity) {
  out[0] = '\0';
  if (MPGetGameMode() == 1) return;
  const int winner = MPWinningTeam;
  if (winner == 0 || winner == 1) {
    const int army = MPCurrent()->GetTeamArmy(winner);
    const char* format = CMenu::TextOf(mptext::kTeamWins);
    const char* name = CMenu::TextOf(mptext::kArmies[army & 3]);
    if (format != nullptr) std::snprintf(out, static_cast<std::size_t>(capacity), format, name != nullptr ? name : "");
    return;
  }
  const char* none = CMenu::TextOf(mptext::kNoWinner);
  CopyClipped(out, capacity, none);
}

void DrawRoundOverMenu() {
  CMenu* menu = MPMenus().roundOver;
  if (menu == nullptr) return;
  char result[128];
  RoundResultText(result, sizeof result);
  if (result[0] != '\0' && g_LargeFont != nullptr)
    g_LargeFont->DrawString(result, (ScreenWidth() - g_LargeFont->GetStringWidth(result)) / 2,
                            menu->Y - menu->ItemHeight, 0);
  DrawChatBox(menu, 3, kChat);
}

void DrawRoundOverItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                       void* owner) {
  (void)menuHeight;
  (void)flags;
  (void)owner;
  CMenu* menu = MPMenus().roundOver;
  if (menu == nullptr) return;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(menuWidth),
                     menu->SelectedId == itemId, 0);
}
