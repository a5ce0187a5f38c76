// The multiplayer entry screen (ScreenId 3): host a game or join one.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMultiPlayerMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kHostRow = 3011, kJoinRow = 3012 };
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
};

// The standard placement of the multiplayer screens' menus: the standard
// list set-up with the accept check (and the left and right ones when asked).
void MPStandardPlacement(CMenuScreen* screen, bool sideChecks);
// A screen menu of n plain items; false when it cannot be made.
bool MakePlainScreenMenu(CMenuScreen* screen, int n);
