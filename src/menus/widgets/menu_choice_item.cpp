#include "menus/widgets/menu_choice_item.h"

CMenuChoiceItem::CMenuChoiceItem() : CMenuItem(MENU_ITEM_CHOICE) {
  for (std::uint32_t& t : Texts) t = kMenuNoText;
}

void CMenuChoiceItem::SetCount(int n) {
  Count = static_cast<std::uint8_t>(n < 0 ? 0 : n > kMenuChoiceMax ? kMenuChoiceMax : n);
  if (Count > 0 && Current >= Count) Current = static_cast<std::uint8_t>(Count - 1);
}

void CMenuChoiceItem::SetChoices(std::uint32_t t0, std::uint32_t t1, std::uint32_t t2, std::uint32_t t3,
                                 std::uint32_t t4, std::uint32_t t5, std::uint32_t t6, std::uint32_t t7) {
  const std::uint32_t more[6] = {t2, t3, t4, t5, t6, t7};
  Texts[0] = t0;
  Texts[1] = t1;
  Count = 2;
  for (int i = 0; i < 6; ++i)
    if (more[i] != kMenuNoText) {
      Texts[2 + i] = more[i];
      ++Count;
    }
}

std::uint16_t CMenuChoiceItem::Step(bool up) {
  if (up && Current + 1 < Count) ++Current;
  if (!up && Current > 0) --Current;
  return Id;
}
