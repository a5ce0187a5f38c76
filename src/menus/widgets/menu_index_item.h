// A menu item holding a position 0..count-1, stepped by the decrease and
// increase checks only (it has no arrow boxes).
#pragma once

#include "menus/widgets/menu_item.h"

class CMenuIndexItem : public CMenuItem {
 public:
  CMenuIndexItem();

  void SetCount(int n);
  // Value + 1 or - 1, kept inside 0..count-1; answers the item's id.
  std::uint16_t Step(bool up);

  std::uint16_t IndexValue = 0;
  std::uint16_t IndexCount = 2;
};
