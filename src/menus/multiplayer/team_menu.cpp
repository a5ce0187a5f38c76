#include "menus/multiplayer/team_menu.h"

#include <cmath>

#include "foundation/time/timer.h"
#include "menus/drawing/text_boxes.h"
#include "menus/multiplayer/lobby_menu.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

enum : std::uint16_t { kAttackers = 3801, kDefenders = 3802, kCharacter = 3803, kName = 3804, kTeam = 3805 };
constexpr std::uint32_t kLabels[5] = {mptext::kAttackers, mptext::kDefenders, mptext::kCharacter, mptext::kName,
                                      mptext::kTeam};
// Game mode 5 has no teams to choose.
constexpr int kModeWithoutTeams = 5;

CMenuChoiceItem* Choice(std::uint16_t id) {
  CMenu* menu = MPMenus().team;
  CMenuItem* item = menu != nullptr ? menu->FindItem(id) : nullptr;
  return item != nullptr && item->Kind == MENU_ITEM_CHOICE ? static_cast<CMenuChoiceItem*>(item) : nullptr;
}

const MPPlayerRecord& Local() { return *MPGetPlayerRecord(MPGetLocalPlayerSlot() & 7); }

// The pulsing alpha of a selected value: (sin(phase) + 1) x 127 over an
// 1800 ms cycle mapped onto 0-180 degrees.
std::uint32_t Pulse(std::uint32_t colour) {
  const float degrees = static_cast<float>(RealNowMs() % 1800) * 180.0f / 1800.0f;
  const int alpha = static_cast<int>((std::sin(degrees * 3.14159265f / 180.0f) + 1.0f) * 127.0f);
  return (colour & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha & 0xFF) << 24);
}

// Moves `other` one step away from `moved` when they are equal: up, or down
// from the last value.
int Apart(int moved, int other, int count) {
  if (moved != other) return other;
  return other + 1 < count ? other + 1 : other - 1;
}

}  // namespace

std::uint32_t TeamSideTextId(int team) {
  const MPSettings* s = MPGetPlayerSettings(-1);
  const int side = s == nullptr ? team : (team == 0 ? s->attackers : s->defenders);
  return mptext::kSides[side & 3];
}

bool CreateTeamMenuItems(CMenu* menu) {
  for (int i = 0; i < 5; ++i) {
    CMenuItem* item = i == 3 ? new CMenuItem : static_cast<CMenuItem*>(new CMenuChoiceItem);
    if (!menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void BuildTeamMenu() {
  CMenu* menu = MPMenus().team;
  if (menu == nullptr || menu->Allocated < 5) return;
  PlaceLowerMenu(menu, 5);
  const bool host = MPIsHost();
  const MPSettings* s = MPGetPlayerSettings(-1);
  const MPPlayerRecord& local = Local();
  const bool noTeams = MPGetGameMode() == kModeWithoutTeams;
  const std::uint16_t sideFlags = host ? 0x24 : 0x26;
  const std::uint16_t ids[5] = {kAttackers, kDefenders, kCharacter, kName, kTeam};
  const std::uint16_t flags[5] = {sideFlags, sideFlags, 0x24, 0x24,
                                  static_cast<std::uint16_t>(noTeams ? 0x26 : 0x24)};
  for (int i = 0; i < 5; ++i) {
    CMenuItem* item = menu->Items[i];
    item->Set(ids[i], i == 3 ? kMenuNoText : mptext::kChoice, flags[i], kLabels[i], 0,
              i == 3 ? DrawPlayerNameItem : DrawTeamChoiceItem, nullptr);
    menu->OnItemAdded(item);
  }
  auto* attackers = static_cast<CMenuChoiceItem*>(menu->Items[0]);
  auto* defenders = static_cast<CMenuChoiceItem*>(menu->Items[1]);
  auto* character = static_cast<CMenuChoiceItem*>(menu->Items[2]);
  auto* team = static_cast<CMenuChoiceItem*>(menu->Items[4]);
  for (CMenuChoiceItem* c : {attackers, defenders})
    c->SetChoices(mptext::kSides[0], mptext::kSides[1], mptext::kSides[2], mptext::kSides[3]);
  character->SetChoices(mptext::kCharacters[0], mptext::kCharacters[1], mptext::kCharacters[2],
                        mptext::kCharacters[3]);
  team->SetChoices(mptext::kTeams[0], mptext::kTeams[1]);
  attackers->Current = s != nullptr ? s->attackers & 3 : 0;
  defenders->Current = s != nullptr ? s->defenders & 3 : 1;
  character->Current = local.character <= 3 ? local.character : 0;
  team->Current = noTeams ? 0 : (local.team <= 1 ? local.team : 0);
  menu->SelectFirstEnabled();
}

void UpdateTeamScreen(std::uint16_t itemId) {
  CMultiplayer* layer = MPCurrent();
  switch (itemId) {
    case kAttackers:
    case kDefenders: {
      CMenuChoiceItem* a = Choice(kAttackers);
      CMenuChoiceItem* d = Choice(kDefenders);
      if (a == nullptr || d == nullptr || !MPIsHost() || MPGetSessionState() == MPS_PLAYING) return;
      if (itemId == kAttackers)
        d->Current = static_cast<std::uint8_t>(Apart(a->Current, d->Current, d->Count));
      else
        a->Current = static_cast<std::uint8_t>(Apart(d->Current, a->Current, a->Count));
      layer->SetSides(a->Current, d->Current);
      return;
    }
    case kCharacter:
      if (CMenuChoiceItem* c = Choice(kCharacter)) layer->SetCharacter(c->Current);
      MPMenus().teamChanged = 1;
      return;
    case kName: SetScreen(45); return;
    case kTeam:
      if (MPGetGameMode() != kModeWithoutTeams)
        if (CMenuChoiceItem* t = Choice(kTeam)) layer->SetTeam(t->Current);
      MPMenus().teamChanged = 1;
      return;
    default: break;
  }
  if (BackPressed(0) != 0) SetScreen(MPMenus().teamReturnId);
}

void DrawTeamScreen() {
  CMenu* menu = MPMenus().team;
  if (menu == nullptr) return;
  const bool locked = MPGetSessionState() == MPS_PLAYING || !MPIsHost();
  for (std::uint16_t id : {kAttackers, kDefenders}) {
    const std::uint16_t f = menu->GetItemFlags(id);
    menu->SetItemFlags(id, static_cast<std::uint16_t>(locked ? (f | MENU_ITEM_DISABLED) : (f & ~MENU_ITEM_DISABLED)));
  }
  DrawFramedBox(menu->X - 10, menu->Y - 10, menu->Width + 20, 5 * menu->ItemHeight + 20, 1, 6);
  for (int r = 0; r < menu->RowsShown(); ++r) {
    int index = 0, x = 0, y = 0;
    if (!menu->RowPosition(r, &index, &x, &y)) continue;
    const CMenuItem* item = menu->Items[index];
    DrawMenuItemText(menu, item->Id, CMenu::TextOf(item->LabelId), x + 8,
                     y + (menu->ItemHeight + (menu->Font != nullptr ? menu->Font->GetLineHeight() : 0)) / 2);
  }
}

void DrawTeamChoiceItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner) {
  (void)menuHeight;
  (void)owner;
  CMenu* menu = MPMenus().team;
  CMenuChoiceItem* c = Choice(itemId);
  if (menu == nullptr || c == nullptr) return;
  const bool selected = menu->SelectedId == itemId;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(menuWidth), selected, 0);
  const bool disabled = (flags & MENU_ITEM_DISABLED) != 0;
  const char* text = CMenu::TextOf(c->CurrentTextId());
  CFont* font = menu->Font;
  const int cx = x + static_cast<int>(0.75f * static_cast<float>(menuWidth));
  const int cy = y + menu->ItemHeight / 2;
  if (text != nullptr && font != nullptr) {
    font->SetColour(disabled ? menu->DisabledColour : selected ? Pulse(menu->HighlightColour) : menu->TextColour);
    font->DrawString(text, cx - font->GetStringWidth(text) / 2, cy + font->GetStringHeight(text) / 2, 0);
    font->SetColour(0xFFFFFFFF);
  }
  if (disabled || menu->Sprites == nullptr) return;
  const int half = menuWidth / 4 - 16;
  menu->Sprites->SetAlpha(c->Current > 0 ? 255 : 127);
  menu->Sprites->Draw(15, cx - half, cy);
  menu->Sprites->SetAlpha(c->Current + 1 < c->Count ? 255 : 127);
  menu->Sprites->Draw(16, cx + half, cy);
  menu->Sprites->SetAlpha(255);
}

void DrawPlayerNameItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                        void* owner) {
  (void)menuHeight;
  (void)flags;
  (void)owner;
  CMenu* menu = MPMenus().team;
  if (menu == nullptr) return;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(menuWidth),
                     menu->SelectedId == itemId, 0);
  if (itemId != kName || menu->Font == nullptr) return;
  char name[21];
  CopyClipped(name, sizeof name, Local().name);
  const int cx = x + static_cast<int>(0.75f * static_cast<float>(menuWidth));
  menu->Font->DrawString(name, cx - menu->Font->GetStringWidth(name) / 2,
                         y + (menu->ItemHeight + menu->Font->GetStringHeight(name)) / 2, 0);
}
