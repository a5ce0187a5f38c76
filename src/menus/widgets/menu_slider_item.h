// A menu item holding a value from 0 to a maximum, stepped by the decrease
// and increase checks or while the mouse button is held on its arrow boxes.
#pragma once

#include "menus/widgets/menu_item.h"

class CMenuSliderItem : public CMenuItem {
 public:
  CMenuSliderItem();

  // Value + 1 (raised flag set) or - 1 (lowered flag set), kept inside
  // 0..max; answers the item's id.
  std::uint16_t Step(bool up);

  std::uint16_t SliderMax = 0;
  std::uint16_t SliderValue = 0;
  // Set by a step up or down; a text menu clears both when it draws the item.
  std::uint8_t Raised = 0;
  std::uint8_t Lowered = 0;
  MenuBox RightBox;
  MenuBox LeftBox;
};
