#include "menus/widgets/menu_index_item.h"

CMenuIndexItem::CMenuIndexItem() : CMenuItem(MENU_ITEM_INDEX) {}

void CMenuIndexItem::SetCount(int n) { IndexCount = static_cast<std::uint16_t>(n < 0 ? 0 : n > 0xFFFF ? 0xFFFF : n); }

std::uint16_t CMenuIndexItem::Step(bool up) {
  const int last = IndexCount > 0 ? IndexCount - 1 : 0;
  int v = IndexValue + (up ? 1 : -1);
  IndexValue = static_cast<std::uint16_t>(v < 0 ? 0 : v > last ? last : v);
  return Id;
}
