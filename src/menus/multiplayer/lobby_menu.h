// The lobby (ScreenId 50): scores, team and character, the chat line over
// the received chat lines, and ready (a host starts the game from here).
// The chat line and its text are shared with the round-over menu.
// Main thread only.
#pragma once

#include <cstdint>

class CMenu;

// Fills the lobby menu's four items (text, text, text entry, text); false
// when one cannot be made.
bool CreateLobbyMenuItems(CMenu* menu);
// Lays out and fills the lobby menu (called before the lobby is shown).
void BuildLobbyMenu();
void UpdateLobby(std::uint16_t itemId);
void DrawLobby();
void DrawLobbyItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                   void* owner);
void DrawChatLine(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                  void* owner);
int HitTestLobbyReadyItem(CMenu* menu, std::uint16_t itemId);
int HitTestChatLine(CMenu* menu, std::uint16_t itemId);

// What the lobby and the round-over menu share: the standard placement with
// all five checks in the lower part of the screen, and sending the chat line.
void PlaceLowerMenu(CMenu* menu, int rows);
void SendChatLine(CMenu* menu, std::uint16_t chatId);
// The chat box (five rows high, `rowsDown` rows below the menu's top) with
// the terminal's lines in it and the label beside the chat line.
void DrawChatBox(CMenu* menu, int rowsDown, std::uint16_t chatId);
