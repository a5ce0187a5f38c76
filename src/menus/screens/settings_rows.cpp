#include "menus/screens/settings_rows.h"

#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "shell/program/game_objects.h"

bool MakeSettingsItems(CMenuScreen* screen, const SettingsRowKind* kinds, int count) {
  screen->Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!screen->Menu->AllocateItems(count)) return false;
  for (int i = 0; i < count; ++i) {
    CMenuItem* item = nullptr;
    switch (kinds[i]) {
      case SETTINGS_PLAIN: item = new CMenuItem; break;
      case SETTINGS_SLIDER: item = new CMenuSliderItem; break;
      case SETTINGS_CHOICE: item = new CMenuChoiceItem; break;
    }
    if (!screen->Menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void AddSliderRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t labelId, int max, int value) {
  CMenuItem* item = screen->Menu->Items[index];
  item->Set(id, kMenuNoText, kRowFlags, labelId, 0, SliderItemCallback, nullptr);
  auto* slider = static_cast<CMenuSliderItem*>(item);
  slider->SliderMax = static_cast<std::uint16_t>(max);
  slider->SliderValue = static_cast<std::uint16_t>(value < 0 ? 0 : (value > max ? max : value));
  screen->Menu->OnItemAdded(item);
}

void AddOffOnRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t textId, std::uint32_t labelId,
                 int on) {
  CMenuItem* item = screen->Menu->Items[index];
  item->Set(id, textId, kRowFlags, labelId, 0, ChoiceItemCallback, nullptr);
  auto* choice = static_cast<CMenuChoiceItem*>(item);
  choice->SetChoices(kTextOff, kTextOn);
  choice->Current = on != 0 ? 1 : 0;
  screen->Menu->OnItemAdded(item);
}

int RowValue(CMenuScreen* screen, std::uint16_t id) {
  CMenuItem* item = screen->Menu->FindItem(id);
  if (item == nullptr) return 0;
  if (item->Kind == MENU_ITEM_SLIDER) return static_cast<CMenuSliderItem*>(item)->SliderValue;
  if (item->Kind == MENU_ITEM_CHOICE) return static_cast<CMenuChoiceItem*>(item)->Current;
  return 0;
}

void DrawSettingsScreen(CMenuScreen* screen, std::uint32_t titleId) {
  screen->DrawPanelFrame(6, 0);
  screen->Menu->Draw();
  screen->DrawTitle(titleId, 1);
}
