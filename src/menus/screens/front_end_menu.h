// The front screen (ScreenId 1): single player, multiplayer (not offered),
// options and quit, over the menu backdrop.
#pragma once

#include "menus/screens/menu_screen.h"

class CFrontEndMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  bool ZoomsOut(int nextId) override { return nextId != 1; }
  std::uint32_t GetRightHintTextId() override { return 0; }
};
