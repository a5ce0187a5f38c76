#include "menus/multiplayer/lobby_menu.h"

#include <cstring>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "foundation/text/locale_table.h"
#include "menus/drawing/text_boxes.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/score_table.h"
#include "menus/multiplayer/team_menu.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/text_menu.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"
#include "world/text/terminal.h"

namespace {

enum : std::uint16_t { kScores = 3551, kTeam = 3552, kChat = 3553, kReady = 3554 };

int Margin() {
  const int width = ScreenWidth() < 800 ? 800 : ScreenWidth();
  return width * 20 / 800;
}

std::uint32_t ItemColour(CMenu* menu, std::uint16_t id) {
  CMenuItem* item = menu->FindItem(id);
  if (item != nullptr && item->IsDisabled()) return menu->DisabledColour;
  return menu->SelectedId == id ? menu->HighlightColour : menu->TextColour;
}

}  // namespace

bool CreateLobbyMenuItems(CMenu* menu) {
  for (int i = 0; i < 4; ++i) {
    CMenuItem* item = i == 2 ? static_cast<CMenuItem*>(new CMenuEditItem) : new CMenuItem;
    if (!menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void PlaceLowerMenu(CMenu* menu, int rows) {
  menu->Reset();
  menu->SetLayout(MENU_VERTICAL, 1);
  menu->SetItemSprites(-1, -1);
  const int itemHeight = GetMenuItemHeight();
  const int width = static_cast<int>(620.0f * InterfaceScaleX() + 0.5f);
  // The rows plus the chat box below them.
  const int height = (rows + 5) * itemHeight;
  const int y = ScreenHeight() - Margin() * 3 - height;
  menu->SetRect((ScreenWidth() - width) / 2, y < 0 ? 0 : y, width, height);
  menu->SetState(MENU_STATE_ACTIVE);
  menu->SetKeepActive(1);
  menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, LeftPressed, RightPressed, 0, 0, 0, 0, 0);
  menu->SetItemWidth(width);
  menu->SetItemHeight(itemHeight);
  menu->SoundBank = InterfaceSoundBank();
  menu->MoveSound = kMenuMoveSound;
}

void BuildLobbyMenu() {
  CMenu* menu = MPMenus().lobby;
  if (menu == nullptr || menu->Allocated < 4) return;
  PlaceLowerMenu(menu, 4);
  menu->Items[0]->Set(kScores, mptext::kScores, 0x24, 0, 0, DrawLobbyItem, nullptr);
  menu->Items[1]->Set(kTeam, mptext::kTeamAndCharacter, 0x24, 0, 0, DrawLobbyItem, nullptr);
  menu->Items[2]->Set(kChat, kMenuNoText, 0x20, 0, 0, DrawChatLine, HitTestChatLine);
  menu->Items[3]->Set(kReady, kMenuNoText, 0x24, 0, 0, DrawLobbyItem, HitTestLobbyReadyItem);
  for (int i = 0; i < 4; ++i) menu->OnItemAdded(menu->Items[i]);
  auto* chat = static_cast<CMenuEditItem*>(menu->Items[2]);
  MPChatText[0] = '\0';
  chat->SetBuffer(MPChatText, kMPChatSize, 300);
  chat->Filter = MENU_EDIT_ANY;
  menu->SelectFirstEnabled();
}

void SendChatLine(CMenu* menu, std::uint16_t chatId) {
  // Sent as it stands, also when empty.
  MPCurrent()->SendText(MPChatText, MPGetLocalPlayerSlot());
  if (g_Input != nullptr) g_Input->FlushTextInput();
  if (CMenuItem* item = menu->FindItem(chatId); item != nullptr && item->Kind == MENU_ITEM_EDIT)
    static_cast<CMenuEditItem*>(item)->Clear();
  MPChatText[0] = '\0';
}

void UpdateLobby(std::uint16_t itemId) {
  CMenu* menu = MPMenus().lobby;
  switch (itemId) {
    case kScores:
      SetScreen(53);
      BuildScoreMenu();
      return;
    case kTeam:
      BuildTeamMenu();
      SetScreen(52);
      MPMenus().teamReturnId = 50;
      return;
    case kChat: SendChatLine(menu, kChat); return;
    case kReady: {
      CMultiplayer* layer = MPCurrent();
      layer->SaveSettings();
      if (MPIsHost()) {
        layer->SendPlayerSettings();
        MPSendSessionState(4, 3);
        EnableKeyMap(1);
        return;
      }
      layer->SetPlayerState(2);
      if (MPGetPlayerSettings(-1) != nullptr && MPGetPlayerSettings(-1)->requestedState == 2) {
        SetScreen(34);
        if (BackPressed(0) != 0) SetScreen(48);
      } else {
        EnableKeyMap(1);
        MPSetSessionState(3);
      }
      return;
    }
    default: break;
  }
  if (BackPressed(0) != 0) SetScreen(48);
}

void DrawChatBox(CMenu* menu, int rowsDown, std::uint16_t chatId) {
  const int row = menu->ItemHeight;
  const int top = menu->Y + rowsDown * row;
  DrawFramedBox(menu->X, top, menu->Width, 5 * row, 1, 6);
  if (g_MainTerminal != nullptr) {
    // The received lines fill the box above the chat line.
    g_MainTerminal->X = menu->X + 8;
    g_MainTerminal->Y = top + 4;
    g_MainTerminal->Width = menu->Width - 16;
  }
  DrawMenuItemText(menu, chatId, CMenu::TextOf(mptext::kChat), menu->X - RefX(4) -
                       (menu->Font != nullptr ? menu->Font->GetStringWidth(CMenu::TextOf(mptext::kChat)) : 0),
                   top + 4 * row + row / 2);
}

void DrawLobby() {
  CMenu* menu = MPMenus().lobby;
  if (menu == nullptr) return;
  DrawChatBox(menu, 2, kChat);
}

void DrawLobbyItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                   void* owner) {
  (void)menuHeight;
  (void)owner;
  CMenu* menu = MPMenus().lobby;
  if (menu == nullptr) return;
  const bool selected = menu->SelectedId == itemId;
  if (itemId != kReady) {
    // The menu draws the text over the background.
    DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(menuWidth), selected, 0);
    return;
  }
  const int drawnY = y + 4 * menu->ItemHeight + 7;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(drawnY), static_cast<float>(menuWidth), selected, 0);
  std::uint32_t textId = mptext::kStartGame;
  if (!MPIsHost()) {
    const MPSettings* local = MPGetPlayerSettings(-1);
    const std::uint32_t requested = local != nullptr ? local->requestedState : 0;
    textId = requested == 2 || requested == 8 ? mptext::kReady : mptext::kJoinGame;
  }
  const char* text = CMenu::TextOf(textId);
  CFont* font = menu->Font;
  if (text == nullptr || font == nullptr) return;
  (void)flags;
  const std::uint32_t colour = ItemColour(menu, itemId);
  font->SetColour(colour);
  font->DrawString(text, x + (menuWidth - font->GetStringWidth(text)) / 2,
                   drawnY + (menu->ItemHeight + font->GetStringHeight(text)) / 2, 0);
  font->SetColour(0xFFFFFFFF);
}

int HitTestLobbyReadyItem(CMenu* menu, std::uint16_t itemId) {
  const int index = [&] {
    for (int i = 0; i < menu->Count; ++i)
      if (menu->Items[i]->Id == itemId) return i;
    return -1;
  }();
  if (index < 0 || g_Input == nullptr) return 0;
  const int mx = g_Input->GetCursorX(), my = g_Input->GetCursorY();
  const int x = menu->X;
  const int y = menu->Y + index * menu->ItemHeight + 4 * menu->ItemHeight + 7;
  return mx >= x && mx < x + menu->Width && my >= y && my < y + menu->ItemHeight ? 1 : 0;
}

int HitTestChatLine(CMenu* menu, std::uint16_t itemId) {
  if (g_Input == nullptr) return 0;
  const int rows = itemId == 3904 ? 3 : 2;
  const int top = menu->Y + rows * menu->ItemHeight;
  const int mx = g_Input->GetCursorX(), my = g_Input->GetCursorY();
  return mx >= menu->X && mx < menu->X + menu->Width && my >= top && my < top + 5 * menu->ItemHeight ? 1 : 0;
}

void DrawChatLine(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                  void* owner) {
  (void)x;
  (void)y;
  (void)menuWidth;
  (void)menuHeight;
  (void)flags;
  (void)owner;
  if (ScreenId != 50 && ScreenId != 58) {
    if (g_MainTerminal != nullptr) g_MainTerminal->TerminalDraw();
    return;
  }
  CMenu* menu = ScreenId == 50 ? MPMenus().lobby : MPMenus().roundOver;
  if (menu == nullptr || menu->Font == nullptr) return;
  const int rows = ScreenId == 50 ? 7 : 8;
  const int base = menu->Y + rows * menu->ItemHeight - static_cast<int>(18.0f * InterfaceScaleY());
  const bool selected = menu->SelectedId == itemId;
  menu->Font->SetColour(selected ? menu->HighlightColour : menu->TextColour);
  if (g_MainTerminal != nullptr) g_MainTerminal->TerminalDraw();
  if (selected) {
    CMenuItem* item = menu->FindItem(itemId);
    if (item != nullptr && item->Kind == MENU_ITEM_EDIT) {
      auto* edit = static_cast<CMenuEditItem*>(item);
      menu->Font->DrawStringWithCursor(edit->Buffer != nullptr ? edit->Buffer : "", edit->Cursor, menu->X + 8, base);
    }
  }
  menu->Font->SetColour(0xFFFFFFFF);
}
