#include "menus/widgets/menu_slider_item.h"

CMenuSliderItem::CMenuSliderItem() : CMenuItem(MENU_ITEM_SLIDER) {}

std::uint16_t CMenuSliderItem::Step(bool up) {
  int v = SliderValue;
  if (up) {
    ++v;
    Raised = 1;
  } else {
    --v;
    Lowered = 1;
  }
  SliderValue = static_cast<std::uint16_t>(v < 0 ? 0 : v > SliderMax ? SliderMax : v);
  return Id;
}
