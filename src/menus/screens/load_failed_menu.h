// The load-failed screen (ScreenId 60): a message that the saved game could
// not be loaded; back returns to the load screen.
#pragma once

#include "menus/screens/menu_screen.h"

class CLoadFailedMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  void OnLeave(int nextId) override;
};
