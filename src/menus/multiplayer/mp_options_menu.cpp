#include "menus/multiplayer/mp_options_menu.h"

#include <cstdio>

#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_setup_menu.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_choice_item.h"
#include "net/mp_layer.h"
#include "shell/program/game_objects.h"

void TimeOptionText(int value, char* out, int capacity) {
  const int minutes = (value + 1) * 5;
  const char* text = CMenu::TextOf(minutes == 25 ? mptext::kNoTimeLimit : mptext::kMinutes);
  if (minutes == 25)
    std::snprintf(out, static_cast<std::size_t>(capacity), "%s", text != nullptr ? text : "");
  else
    std::snprintf(out, static_cast<std::size_t>(capacity), "%d %s", minutes, text != nullptr ? text : "");
}

bool CMPOptionsMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(5)) return false;
  for (int i = 0; i < 5; ++i) {
    auto* item = new CMenuChoiceItem;
    if (!Menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void CMPOptionsMenu::OnEnter() {
  ReturnToRoundOver = PreviousScreenId == 58 ? 1 : 0;
  Populate();
}

void CMPOptionsMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, true);
  const MPSettings* s = MPGetPlayerSettings(-1);
  const std::uint16_t flags = MPIsHost() ? kRowFlags : kRowFlagsDisabled;
  const std::uint16_t ids[5] = {kTimeRow, kCacheRow, kSupportRow, kRespawnRow, kFireRow};
  const std::uint32_t labels[5] = {mptext::kTimeLimit, mptext::kWeaponCache, mptext::kOTSupport, mptext::kRespawn,
                                   mptext::kFriendlyFire};
  const int values[5] = {s != nullptr ? s->timeOption : 1, s != nullptr ? s->weaponCache : 1,
                         s != nullptr ? s->otSupport : 0, s != nullptr ? s->respawn : 1,
                         s != nullptr ? s->friendlyFire : 1};
  for (int i = 0; i < 5; ++i) {
    auto* c = static_cast<CMenuChoiceItem*>(Menu->Items[i]);
    c->Set(ids[i], kMenuNoText, flags, labels[i], 0, ChoiceItemCallback, nullptr);
    if (i == 0) {
      c->SetCount(5);
      c->Current = static_cast<std::uint8_t>(values[0] >= 0 && values[0] <= 4 ? values[0] : 1);
    } else {
      c->SetChoices(mptext::kNo, mptext::kYes);
      c->Current = values[i] != 0 ? 1 : 0;
    }
    Menu->OnItemAdded(c);
  }
  PlaceMenu(mptext::kOptions, 0, nullptr, 32767);
  SetStandardArrowBoxes(this);
  Menu->SelectFirstEnabled();
}

int CMPOptionsMenu::Update() {
  const std::uint16_t id = Menu->Process();
  CMultiplayer* layer = MPCurrent();
  if (id >= kTimeRow && id <= kFireRow) {
    if (!MPIsHost()) return 0;
    CMenuItem* item = Menu->FindItem(id);
    const int value = item != nullptr ? static_cast<CMenuChoiceItem*>(item)->Current : 0;
    switch (id) {
      case kTimeRow: layer->SetTimeLimit(value); break;
      case kCacheRow: layer->SetOptionWCache(value); break;
      case kSupportRow: layer->SetOptionOTSupport(value); break;
      case kRespawnRow: layer->SetOptionRespawn(value); break;
      default: layer->SetOptionFFire(value); break;
    }
    layer->SendPlayerSettings();
    return 0;
  }
  if (BackPressed(0) != 0) {
    if (ReturnToRoundOver != 0) {
      ReturnToRoundOver = 0;
      SetScreen(58);
    } else {
      SetScreen(48);
    }
  }
  return 0;
}

void CMPOptionsMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  DrawTitle(mptext::kOptions, 1);
}

std::uint32_t CMPOptionsMenu::GetLeftHintTextId() { return mptext::kHintChange; }

void CMPOptionsMenu::DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted) {
  if (item->Id != kTimeRow || item->Kind != MENU_ITEM_CHOICE) {
    CMenuScreen::DrawItemText(item, rect, font, highlighted);
    return;
  }
  char text[64];
  TimeOptionText(static_cast<CMenuChoiceItem*>(item)->Current, text, sizeof text);
  DrawMPValueText(this, item, rect, font, highlighted, text);
}
