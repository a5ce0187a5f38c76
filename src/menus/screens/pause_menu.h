// The pause screen (ScreenId 15): options, or leave the mission (through its
// confirmation).  Entering pauses the world and the sound's ordinary
// channels; leaving for the game resumes them.
#pragma once

#include "menus/screens/menu_screen.h"

class CPauseMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  void OnLeave(int nextId) override;
  std::uint32_t GetRightHintTextId() override;
};

// The standard set-up of the end-of-mission lists: vertical from the first
// row, no sprites, the whole screen, kept active, accept, up and down.
void EndScreenListSetUp(CMenuScreen* screen, MenuInputCheck accept);
