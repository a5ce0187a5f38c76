// The multiplayer set-up screen (ScreenId 48): players, mission type and
// mission (host only), on to the options and to the lobby.  Back ends the
// session, or between rounds ends it for every player.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

// Set on entering 48 or 49 from the round-over menu (58).
extern int ReturnToRoundOver;

class CMPSetupMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kPlayersRow = 3501, kTypeRow = 3502, kLevelRow = 3503, kOptionsRow = 3504, kLobbyRow = 3505 };
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetLeftHintTextId() override;
  void DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted) override;
};

// Draws a value text of a choice row as the settings screens do (placement
// by the flags, colour by state, the selected one pulsing).
void DrawMPValueText(CMenuScreen* screen, CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted,
                     const char* text);
