#include "menus/widgets/menu_item.h"

CMenuItem::CMenuItem() : CMenuItem(MENU_ITEM_PLAIN) {}

CMenuItem::CMenuItem(MenuItemKind kind) : Kind(kind) { Reset(); }

void CMenuItem::Reset() {
  Id = kMenuNoId;
  TextId = kMenuNoText;
  Flags = 0;
  Value = 0;
  DrawCallback = nullptr;
  HitCheck = nullptr;
}

void CMenuItem::Set(std::uint16_t id, std::uint32_t textId, std::uint16_t flags, std::uint32_t labelId,
                    std::uint32_t value, MenuItemDrawCallback draw, MenuItemHitCheck hitCheck) {
  Id = id;
  TextId = textId;
  Flags = flags;
  LabelId = labelId;
  Value = value;
  DrawCallback = draw;
  HitCheck = hitCheck;
}
