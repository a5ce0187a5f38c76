// The training screen (ScreenId 62): three training levels; choosing one
// starts its level change.  Back to single player.
#pragma once

#include "menus/screens/menu_screen.h"

class CTrainingMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
};
