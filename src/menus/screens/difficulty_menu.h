// The difficulty screen (ScreenId 5): easy, medium or hard, then the
// uniform screen; back to single player.  Entering keeps the rows as the
// last populate left them (the front end's set populates it once).
#pragma once

#include "menus/screens/menu_screen.h"

class CDifficultyMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
};
