// The failed screen (ScreenId 17): retry the level, or quit (through the
// quit confirmation).  Entering pauses the world.
#pragma once

#include "menus/screens/menu_screen.h"

class CFailedMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetRightHintTextId() override { return 0; }
};
