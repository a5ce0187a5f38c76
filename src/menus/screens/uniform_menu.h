// The uniform screen (ScreenId 6): one choice between the two uniforms,
// shown as two cells of the title sheet above the list with a cross-fade
// when the choice changes (250 ms out, 250 ms in).  Accept, or a click on
// the picture, starts the campaign's level.  Back to difficulty.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMenuChoiceItem;

class CUniformMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  bool ZoomsOut(int nextId) override { return nextId == 5; }

  // The picture box of the last update (left, top, right, bottom).
  ScreenRect PictureBox() const { return box_; }

  std::uint32_t ShownUniform = 0;  // the picture drawn at full strength
  std::uint32_t FadeStart = 0;     // game-clock ms; 0 when no fade runs

 private:
  void ComputePictureBox();
  CMenuChoiceItem* choice_ = nullptr;
  ScreenRect box_{};
};
