#include "menus/screens/test_screen_fixture.h"

#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "shell/program/game_objects.h"

bool CTestScreen::Create() {
  calls.push_back("create");
  title = kTextSquadNames;
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(5)) return false;
  for (int i = 0; i < 3; ++i) Menu->AddItem(new CMenuItem);
  Menu->AddItem(slider = new CMenuSliderItem);
  Menu->AddItem(edit = new CMenuEditItem);
  return true;
}

void CTestScreen::SetChecks(MenuInputCheck accept, MenuInputCheck previous, MenuInputCheck next,
                            MenuInputCheck decrease, MenuInputCheck increase) {
  checks_[0] = accept;
  checks_[1] = previous;
  checks_[2] = next;
  checks_[3] = decrease;
  checks_[4] = increase;
}

void CTestScreen::Populate() {
  calls.push_back("populate");
  Menu->Reset();
  Menu->SetLayout(orientation_, 1);
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(checks_[0], checks_[1], checks_[2], checks_[3], checks_[4], 0, 0, 0, 0, 0);
  const int width = orientation_ == MENU_HORIZONTAL ? static_cast<int>(InterfaceScaleX() * 620.0f + 0.5f) / 4
                                                    : static_cast<int>(InterfaceScaleX() * 620.0f + 0.5f);
  Menu->SetItemWidth(width);
  Menu->SetItemHeight(GetMenuItemHeight());
  Menu->MoveSound = kMenuMoveSound;
  Menu->Owner = this;
  const std::uint32_t texts[3] = {kTextHintSelect, kTextHintBack, kTextPaused};
  for (int i = 0; i < 3; ++i) {
    Menu->Items[i]->Set(static_cast<std::uint16_t>(101 + i), texts[i], MENU_ITEM_CENTRED, 0, 0, ButtonItemCallback,
                        nullptr);
    Menu->OnItemAdded(Menu->Items[i]);
  }
  slider->Set(104, kMenuNoText, 0, 0, 0, SliderItemCallback, nullptr);
  slider->SliderMax = 10;
  slider->SliderValue = 5;
  Menu->OnItemAdded(slider);
  if (withEdit) {
    edit->Set(105, kMenuNoText, 0, 0, 0, EditItemCallback, nullptr);
    edit->SetBuffer(text, sizeof text, 0);
    Menu->OnItemAdded(edit);
  }
  PlaceMenu(title, largeMargin, nullptr, 8);
  // The slider's arrow boxes lie on its "-" and "+" slots.
  Menu->SetArrowBoxes({}, {8, 0, 40, Menu->ItemHeight});
  Menu->SelectFirstEnabled();
}

int CTestScreen::Update() {
  calls.push_back("update");
  lastId = Menu->Process();
  return updateResult;
}

void CTestScreen::Draw() {
  DrawPanelFrame(fadeStep, 0);
  DrawTitle(TitleTextId, LargeTitle);
  Menu->Draw();
}
