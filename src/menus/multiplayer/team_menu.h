// The team screen (ScreenId 52): the two sides (host only, not during a
// round), the character, the player name and the team.  Main thread only.
#pragma once

#include <cstdint>

class CMenu;

// Fills the team menu's five items (choice, choice, choice, text, choice).
bool CreateTeamMenuItems(CMenu* menu);
// Lays out the team menu and sets its values from the settings and the local record.
void BuildTeamMenu();
void UpdateTeamScreen(std::uint16_t itemId);
void DrawTeamScreen();
void DrawTeamChoiceItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner);
void DrawPlayerNameItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner);
// The side text the team menu shows for team 0 (attackers) or 1 (defenders).
std::uint32_t TeamSideTextId(int team);
