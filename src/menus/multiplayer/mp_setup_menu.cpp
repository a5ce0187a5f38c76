#include "menus/multiplayer/mp_setup_menu.h"

#include <cmath>
#include <cstdio>

#include "menus/multiplayer/lobby_menu.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_choice_item.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

int ReturnToRoundOver = 0;

void DrawMPValueText(CMenuScreen* screen, CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted,
                     const char* text) {
  if (font == nullptr || text == nullptr) return;
  CMenu* menu = screen->Menu;
  const int width = font->GetStringWidth(text);
  float x = rect.x1 + 6.0f;
  if (item->Flags & MENU_ITEM_CENTRED)
    x = (rect.x1 + rect.x2 - static_cast<float>(width)) / 2.0f;
  else if (item->Flags & MENU_ITEM_RIGHT)
    x = rect.x2 - 6.0f - static_cast<float>(width);
  const float y = (rect.y1 + rect.y2 + static_cast<float>(font->GetLineHeight())) / 2.0f;
  std::uint32_t colour = menu->TextColour;
  if (item->IsDisabled()) {
    colour = menu->DisabledColour;
  } else if (highlighted != 0) {
    const float degrees = static_cast<float>(RealNowMs() % 1800) * 180.0f / 1800.0f;
    const int alpha = static_cast<int>((std::sin(degrees * 3.14159265f / 180.0f) + 1.0f) * 127.0f);
    colour = (menu->HighlightColour & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha & 0xFF) << 24);
  }
  font->SetColour(colour);
  font->DrawString(text, static_cast<int>(x), static_cast<int>(y), 0);
  font->SetColour(0xFFFFFFFF);
}

bool CMPSetupMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(5)) return false;
  for (int i = 0; i < 5; ++i) {
    CMenuItem* item = i < 3 ? static_cast<CMenuItem*>(new CMenuChoiceItem) : new CMenuItem;
    if (!Menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void CMPSetupMenu::OnEnter() {
  ReturnToRoundOver = PreviousScreenId == 58 ? 1 : 0;
  Populate();
}

void CMPSetupMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, true);
  const MPPlayerRecord* local = MPGetPlayerRecord(MPGetLocalPlayerSlot());
  if (local != nullptr && local->team == MPPlayerRecord::kNoTeam && MPCurrent()->session_ != nullptr)
    MPCurrent()->SetTeam(0);
  const MPSettings* s = MPGetPlayerSettings(-1);
  const std::uint16_t flags = MPIsHost() ? kRowFlags : kRowFlagsDisabled;
  auto* players = static_cast<CMenuChoiceItem*>(Menu->Items[0]);
  auto* type = static_cast<CMenuChoiceItem*>(Menu->Items[1]);
  auto* level = static_cast<CMenuChoiceItem*>(Menu->Items[2]);
  players->Set(kPlayersRow, kMenuNoText, flags, 0, 0, ChoiceItemCallback, nullptr);
  players->SetCount(7);
  players->Current = static_cast<std::uint8_t>(s != nullptr && s->maxPlayers >= 2 ? s->maxPlayers - 2 : 6);
  if (players->Current > 6) players->Current = 6;
  type->Set(kTypeRow, kMenuNoText, flags, 0, 0, ChoiceItemCallback, nullptr);
  type->SetChoices(mptext::kMissionTypes[0], mptext::kMissionTypes[1], mptext::kMissionTypes[2],
                   mptext::kMissionTypes[3], mptext::kMissionTypes[4]);
  type->Current = static_cast<std::uint8_t>(s != nullptr && s->missionType < 5 ? s->missionType : 0);
  level->Set(kLevelRow, kMenuNoText, flags, 0, 0, ChoiceItemCallback, nullptr);
  level->SetChoices(mptext::kLevels[0], mptext::kLevels[1], mptext::kLevels[2], mptext::kLevels[3],
                    mptext::kLevels[4], mptext::kLevels[5]);
  level->Current = static_cast<std::uint8_t>(s != nullptr && s->levelIndex < 6 ? s->levelIndex : 5);
  for (int i = 0; i < 3; ++i) Menu->OnItemAdded(Menu->Items[i]);
  AddButtonRow(this, 3, kOptionsRow, mptext::kOptions, kRowFlags);
  AddButtonRow(this, 4, kLobbyRow, mptext::kToLobby, kRowFlags);
  PlaceMenu(mptext::kSetupTitle, 0, nullptr, 32767);
  SetStandardArrowBoxes(this);
  Menu->SelectFirstEnabled();
}

int CMPSetupMenu::Update() {
  const std::uint16_t id = Menu->Process();
  CMultiplayer* layer = MPCurrent();
  auto value = [this](std::uint16_t row) {
    CMenuItem* item = Menu->FindItem(row);
    return item != nullptr && item->Kind == MENU_ITEM_CHOICE ? static_cast<CMenuChoiceItem*>(item)->Current : 0;
  };
  switch (id) {
    case kPlayersRow:
      if (!MPIsHost()) break;
      layer->SetMaxPlayers(value(id) + 2);
      layer->SendPlayerSettings();
      break;
    case kTypeRow:
      if (!MPIsHost()) break;
      layer->SetMissionType(value(id));
      layer->SendPlayerSettings();
      break;
    case kLevelRow:
      if (!MPIsHost()) break;
      layer->SetLevel(value(id));
      layer->SendPlayerSettings();
      break;
    case kOptionsRow: SetScreen(49); break;
    case kLobbyRow:
      LoadMultiplayerRegistry(MPIsHost() ? 1 : 0);
      BuildLobbyMenu();
      SetScreen(50);
      break;
    default:
      if (BackPressed(0) == 0) break;
      if (ReturnToRoundOver != 0) {
        ReturnToRoundOver = 0;
        MPSendSessionState(11, 3);
      } else {
        MPLeave();
        SetScreen(46);
      }
      break;
  }
  return 0;
}

void CMPSetupMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  DrawTitle(mptext::kSetupTitle, 1);
}

std::uint32_t CMPSetupMenu::GetLeftHintTextId() {
  const std::uint16_t selected = Menu != nullptr ? Menu->SelectedId : 0;
  if (selected >= kPlayersRow && selected <= kLevelRow) return mptext::kHintChange;
  return CMenuScreen::GetLeftHintTextId();
}

void CMPSetupMenu::DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted) {
  if (item->Id != kPlayersRow || item->Kind != MENU_ITEM_CHOICE) {
    CMenuScreen::DrawItemText(item, rect, font, highlighted);
    return;
  }
  char text[64];
  const char* players = CMenu::TextOf(mptext::kPlayers);
  std::snprintf(text, sizeof text, "%d %s", static_cast<CMenuChoiceItem*>(item)->Current + 2,
                players != nullptr ? players : "");
  DrawMPValueText(this, item, rect, font, highlighted, text);
}
