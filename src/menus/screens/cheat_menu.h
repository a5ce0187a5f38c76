// The cheat screen (ScreenId 7): the skill bonus of the player's units
// (0 .. 9), whether computer-side units count skill 0, and the mission list
// row.  Back to the options.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CCheatMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kSkillBonusRow = 2061, kEnemySkillRow = 2062, kMissionListRow = 2063 };

  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
  std::uint32_t GetLeftHintTextId() override;
};
