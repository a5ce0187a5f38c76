// The mission review (ScreenId 16), shown after a mission's end screens: the
// statistics pages of the soldier local player 0 controls, a name bar with
// arrows that step local player 0 through the living squad members (the
// soldier chosen is shown and played next), and back on to the success
// screen 19 or, for mission 14, straight to the next level.
#pragma once

#include "menus/screens/menu_screen.h"
#include "menus/screens/statistics_menu.h"

class CMissionMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  void OnEnter() override;
  int Update() override;
  void Draw() override;
  std::uint32_t GetLeftHintTextId() override { return 0x8EABF5BD; }
  std::uint32_t GetRightHintTextId() override { return 0x94194683; }

  CStatisticsMenu& Statistics() { return statistics_; }
  // The arrow boxes as last drawn (left, right, top, bottom each).
  const float* LeftArrowBox() const { return leftArrow_; }
  const float* RightArrowBox() const { return rightArrow_; }

 private:
  // Local player 0 takes the next (backwards: previous) living squad member.
  void StepSoldier(bool backwards);
  void DrawNameBar(int x, int y);

  CStatisticsMenu statistics_;
  float leftArrow_[4] = {};
  float rightArrow_[4] = {};
};
