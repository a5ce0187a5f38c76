// A menu item showing one of up to eight texts, stepped left and right by
// the decrease and increase checks or by clicks on its arrow boxes.
#pragma once

#include "menus/widgets/menu_item.h"

inline constexpr int kMenuChoiceMax = 8;

class CMenuChoiceItem : public CMenuItem {
 public:
  // Index 0 of 2 texts, all texts -1.
  CMenuChoiceItem();

  // Count = n, at most 8.
  void SetCount(int n);
  // t0 and t1 always (count 2); each further id that is not -1 is stored in
  // its slot and raises the count by one (callers give them in order).
  void SetChoices(std::uint32_t t0, std::uint32_t t1, std::uint32_t t2 = kMenuNoText,
                  std::uint32_t t3 = kMenuNoText, std::uint32_t t4 = kMenuNoText, std::uint32_t t5 = kMenuNoText,
                  std::uint32_t t6 = kMenuNoText, std::uint32_t t7 = kMenuNoText);
  // One text on (up) or back, without wrapping; answers the item's id.
  std::uint16_t Step(bool up);
  // The text id of the current choice (-1 when none).
  std::uint32_t CurrentTextId() const { return Current < kMenuChoiceMax ? Texts[Current] : kMenuNoText; }

  std::uint8_t Current = 0;
  std::uint8_t Count = 2;
  std::uint32_t Texts[kMenuChoiceMax];
  MenuBox RightBox;
  MenuBox LeftBox;
};
