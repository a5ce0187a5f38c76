// The success screen (ScreenIds 18 and 19): on 18 continue goes on to the
// award ceremony (or straight to the next level when the mission asks); on
// 19, after the review, continue starts the next level, and quit is offered.
// Entering pauses the world.
#pragma once

#include "menus/screens/menu_screen.h"

class CSuccessMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetRightHintTextId() override { return 0; }
};

// The pseudo screen 59: the award ceremony's per-frame step.
int UpdateAwardCeremony();
