#include "menus/multiplayer/score_table.h"

#include <cstdio>

#include "foundation/system/not_built_yet.h"
#include "menus/drawing/text_boxes.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/round_over_menu.h"
#include "menus/multiplayer/team_menu.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

constexpr std::uint16_t kFirstRow = 3301;
enum : std::uint16_t { kTeamItem = 3701, kResume = 3702 };

int Margin() {
  const int width = ScreenWidth() < 800 ? 800 : ScreenWidth();
  return width * 20 / 800;
}

int Col(float v) { return static_cast<int>(v * InterfaceScaleX() * (ScreenWidth() < 800 ? 800 : ScreenWidth()) / 800.0f); }

int Baseline(int y) { return y + static_cast<int>(18.0f * InterfaceScaleY() + 0.5f); }

void Text(CFont* font, std::uint32_t id, int x, int y, bool centred) {
  const char* text = CMenu::TextOf(id);
  if (text == nullptr || font == nullptr) return;
  font->DrawString(text, centred ? x - font->GetStringWidth(text) / 2 : x, y, 0);
}

}  // namespace

void LayoutScoreTable(int screen) {
  CScreenMenu* menu = MPMenus().scoreTable;
  if (menu == nullptr) return;
  const int margin = Margin();
  const int rowHeight = static_cast<int>(24.0f * InterfaceScaleY() + 0.5f);
  const int w = ScreenWidth() - 2 * margin * 3;
  int y = margin * 4;
  if (screen == 55) y = margin * 6;
  if (screen == 54) y = margin * 5;
  menu->Reset();
  menu->SetLayout(MENU_VERTICAL, 1);
  menu->SetItemSprites(-1, -1);
  menu->SetRect(margin * 3, y, w, rowHeight * 8);
  menu->SetState(MENU_STATE_ACTIVE);
  menu->SetKeepActive(1);
  menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  menu->SetItemWidth(w);
  menu->SetItemHeight(rowHeight);
  menu->Owner = nullptr;
  for (int i = 0; i < 8; ++i) {
    CMenuItem* item = menu->Items[i];
    item->Set(static_cast<std::uint16_t>(kFirstRow + i), kMenuNoText, 0x20, 0, static_cast<std::uint32_t>(i),
              DrawScoreRow, nullptr);
    menu->OnItemAdded(item);
  }
}

void BuildScoreMenu() { LayoutScoreTable(ScreenId); }

ScoreRowFacts ScoreRowFactsOf(int slot) {
  const MPPlayerRecord* r = MPGetPlayerRecord(slot);
  if (r == nullptr || r->state == 0) return {false, false, false};
  const bool ready = r->state == 2;
  bool leader = false;
  if (ready) {
    std::uint32_t best = 0;
    for (int s = 0; s < 8; ++s) {
      const MPPlayerRecord* o = MPGetPlayerRecord(s);
      if (o != nullptr && o->state != 0 && o->score > best) best = o->score;
    }
    leader = best > 0 && r->score == best;
  }
  return {true, leader, ready};
}

void DrawScoreScreen() {
  MultiplayerMenus& m = MPMenus();
  if (ScreenId == 53 || ScreenId == 54 || ScreenId == 55) m.scoreTableMode = ScreenId;
  CScreenMenu* menu = m.scoreTable;
  if (menu == nullptr) return;
  const int mode = m.scoreTableMode;
  CFont* font = menu->Font != nullptr ? menu->Font : g_MainFont;
  const int headerY = menu->Y - menu->ItemHeight;
  if (mode == 53) {
    DrawLocaleText(mptext::kScoreTitle, menu->X, headerY - 3 * menu->ItemHeight, menu->Width, 1);
  } else {
    const int gameMode = MPGetGameMode();
    if (gameMode >= 0 && gameMode <= 5) {
      const char* name = CMenu::TextOf(mptext::kGameModes[gameMode]);
      if (name != nullptr && g_LargeFont != nullptr)
        g_LargeFont->DrawString(name, menu->X + (menu->Width - g_LargeFont->GetStringWidth(name)) / 2,
                                headerY - menu->ItemHeight, 0);
    }
  }
  DrawFramedPanel(menu->X - 8, headerY - 4, menu->Width + 16, menu->Height + menu->ItemHeight + 12, 1);
  const int base = Baseline(headerY);
  Text(font, mptext::kHeadName, menu->X + Col(16), base, false);
  Text(font, mptext::kHeadTeam, menu->X + Col(148), base, false);
  Text(font, mptext::kHeadCharacter, menu->X + Col(264), base, false);
  if (mode == 53) {
    Text(font, mptext::kReady, menu->X + Col(496), base, false);
    if (RealNowMs() % 1000 >= 500)
      Text(font, mptext::kWaitForPlayers, ScreenWidth() / 2, menu->Y + menu->Height + 2 * menu->ItemHeight, true);
  } else {
    Text(font, mptext::kHeadScore, menu->X + Col(450), base, false);
    Text(font, mptext::kHeadDeaths, menu->X + Col(530), base, false);
  }
}

void DrawScoreRow(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                  void* owner) {
  (void)menuWidth;
  (void)menuHeight;
  (void)flags;
  (void)owner;
  CScreenMenu* menu = MPMenus().scoreTable;
  const int slot = itemId - kFirstRow;
  const ScoreRowFacts facts = ScoreRowFactsOf(slot);
  if (menu == nullptr || !facts.shown) return;
  const MPPlayerRecord& r = *MPGetPlayerRecord(slot);
  CFont* font = menu->Font != nullptr ? menu->Font : g_MainFont;
  if (font == nullptr) return;
  std::uint32_t colour = facts.ready ? menu->HighlightColour : menu->TextColour;
  const int gameMode = MPGetGameMode();
  if ((gameMode == 4 || gameMode == 5) && MPGetObjectByIndex(slot, 1) != nullptr) {
    NotBuiltYet("score row: the soldier's game-mode marker word");
  }
  font->SetColour(colour);
  char name[21];
  CopyClipped(name, sizeof name, r.name);
  const char* side = CMenu::TextOf(TeamSideTextId(r.team == 1 ? 1 : 0));
  const char* character = CMenu::TextOf(mptext::kCharacters[r.character <= 3 ? r.character : 0]);
  const int base = Baseline(y);
  const char* columns[3] = {name, r.team <= 1 ? side : nullptr, character};
  const int at[3] = {16, 148, 264};
  for (int i = 0; i < 3; ++i) {
    if (columns[i] == nullptr) continue;
    if (facts.leader)
      font->DrawStringPulsing(columns[i], x + Col(at[i]), base, colour);
    else
      font->DrawString(columns[i], x + Col(at[i]), base, 0);
  }
  const int mode = MPMenus().scoreTableMode;
  if (mode == 53) {
    if (facts.ready) Text(font, mptext::kYes, x + Col(496), base, false);
  } else {
    char number[16];
    const int headerWidth = 0;
    (void)headerWidth;
    std::snprintf(number, sizeof number, "%u", r.score);
    font->DrawString(number, x + Col(470) - font->GetStringWidth(number) / 2, base, 0);
    std::snprintf(number, sizeof number, "%u", r.deaths);
    font->DrawString(number, x + Col(555) - font->GetStringWidth(number) / 2, base, 0);
  }
  font->SetColour(0xFFFFFFFF);
}

void UpdateScoreScreen(std::uint16_t itemId) {
  (void)itemId;
  if (BackPressed(0) == 0) return;
  if (PreviousScreenId == 50) {
    SetScreen(50);
    return;
  }
  BuildRoundOverMenu();
  SetScreen(58);
}

void LayoutInGameMPMenu() {
  CScreenMenu* menu = MPMenus().inGame;
  if (menu == nullptr) return;
  const int margin = Margin();
  const int w = static_cast<int>(620.0f * InterfaceScaleX() + 0.5f);
  const int h = GetMenuItemHeight();
  menu->Reset();
  menu->SetLayout(MENU_VERTICAL, 1);
  menu->SetItemSprites(-1, -1);
  menu->SetRect((ScreenWidth() - w) / 2, ScreenHeight() - margin * 3 - 2 * h, w, 2 * h);
  menu->SetState(MENU_STATE_ACTIVE);
  menu->SetKeepActive(1);
  menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  menu->SetItemWidth(w);
  menu->SetItemHeight(h);
  menu->SoundBank = InterfaceSoundBank();
  menu->MoveSound = kMenuMoveSound;
  menu->Items[0]->Set(kTeamItem, mptext::kTeamAndCharacter, 0x24, 0, 0, DrawInGameMPMenuItem, nullptr);
  menu->Items[1]->Set(kResume, kMenuNoText, 0x24, 0, 0, DrawInGameMPMenuItem, nullptr);
  menu->OnItemAdded(menu->Items[0]);
  menu->OnItemAdded(menu->Items[1]);
  menu->SelectFirstEnabled();
}

void UpdateInGameMPMenu(std::uint16_t itemId) {
  switch (itemId) {
    case kTeamItem:
      BuildTeamMenu();
      SetScreen(52);
      MPMenus().teamReturnId = 55;
      break;
    case kResume:
      SetScreen(14);
      if (MPMenus().teamChanged == 1) NotBuiltYet("timed HUD text (team change notice)");
      break;
    default: break;
  }
}

void DrawInGameMPMenuItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                          void* owner) {
  (void)menuHeight;
  (void)flags;
  (void)owner;
  CScreenMenu* menu = MPMenus().inGame;
  if (menu == nullptr) return;
  const bool selected = menu->SelectedId == itemId;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(menuWidth), selected, 0);
  std::uint32_t id = mptext::kTeamAndCharacter;
  if (itemId == kResume) id = MPGetSessionState() == 1 ? mptext::kJoinGame : mptext::kReturnToGame;
  const char* text = CMenu::TextOf(id);
  if (text == nullptr || menu->Font == nullptr) return;
  menu->Font->SetColour(selected ? menu->HighlightColour : menu->TextColour);
  menu->Font->DrawString(text, x + (menuWidth - menu->Font->GetStringWidth(text)) / 2,
                         y + (menu->ItemHeight + menu->Font->GetStringHeight(text)) / 2, 0);
  menu->Font->SetColour(0xFFFFFFFF);
}

void UpdateWaitScreen() {
  if (BackPressed(0) != 0) SetScreen(14);
}

void DrawWaitScreen() {
  const int w = RefX(600);
  DrawFramedBox((ScreenWidth() - w) / 2, RefY(200), w, RefY(120), 1, 6);
  DrawLocaleText(mptext::kWaitForPlayers, (ScreenWidth() - w) / 2, RefY(200), w, 1);
}
