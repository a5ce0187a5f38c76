#include "menus/multiplayer/session_browser.h"

#include <cstdio>
#include <cstring>

#include "foundation/time/timer.h"
#include "menus/drawing/text_boxes.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp/mp_records.h"
#include "net/mp_layer.h"
#include "platform/win32/window.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"
#include "world/engine.h"

namespace {

constexpr std::uint16_t kFirstRow = 3301;
constexpr float kColumns[4] = {0.02f, 0.55f, 0.77f, 0.92f};

// The list's rectangle: 700 scaled units wide less 40 on each side, from
// the top margin down to above the hint lines.
struct ListPlace {
  int x, y, w, h;
};
ListPlace Place() {
  const int width = ScreenWidth() < 800 ? 800 : ScreenWidth();
  const int margin = width * 20 / 800;
  const int w = static_cast<int>(700.0f * InterfaceScaleX()) - 2 * static_cast<int>(40.0f * InterfaceScaleX());
  const int x = (ScreenWidth() - w) / 2;
  const int y = margin + 3 * GetMenuItemHeight();
  return {x, y, w, ScreenHeight() - y - 4 * margin - 2 * GetMenuItemHeight()};
}

// Handles the window's events while the join wait blocks the frame, so that
// the window stays alive (the quit message is left for the frame loop).
void PumpWindow() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, WM_QUIT - 1, PM_REMOVE)) DispatchMessageA(&msg);
  while (PeekMessageA(&msg, nullptr, WM_QUIT + 1, 0xFFFFFFFFu, PM_REMOVE)) DispatchMessageA(&msg);
}

std::uint32_t WaitNow() {
  if (g_RealClock == nullptr) return CTimer::ReadMilliseconds();
  g_RealClock->Update();
  return g_RealClock->GetGameTime();
}

}  // namespace

void LayoutSessionList() {
  CScreenMenu* menu = MPMenus().sessionList;
  if (menu == nullptr) return;
  const ListPlace p = Place();
  menu->Reset();
  menu->SetLayout(MENU_VERTICAL, 1);
  menu->SetItemSprites(-1, -1);
  menu->SetRect(p.x, p.y, p.w, p.h);
  menu->SetState(MENU_STATE_ACTIVE);
  menu->SetKeepActive(1);
  menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  menu->SetItemWidth(p.w);
  menu->SetItemHeight(static_cast<int>(24.0f * InterfaceScaleY() + 0.5f));
  menu->SoundBank = InterfaceSoundBank();
  menu->MoveSound = kMenuMoveSound;
}

void RefreshSessionList() {
  CScreenMenu* menu = MPMenus().sessionList;
  if (menu == nullptr) return;
  menu->Clear();
  const int count = BrowserSource().hostCount();
  MPMenus().sessionListCount = count;
  const int rows = count < 0 ? 0 : (count > kMPSessionListRows ? kMPSessionListRows : count);
  for (int i = 0; i < rows; ++i) {
    CMenuItem* item = menu->Items[i];
    item->Set(static_cast<std::uint16_t>(kFirstRow + i), kMenuNoText, 0, 0, static_cast<std::uint32_t>(i),
              DrawSessionRow, nullptr);
    menu->OnItemAdded(item);
  }
  menu->SelectFirstEnabled();
}

int MPGetHostIndex(int row) {
  if (row < 0 || row >= kMPSessionListRows) return -1;
  const int count = BrowserSource().hostCount();
  if (row >= count || BrowserSource().hostRecord(row) == nullptr) return -1;
  return row;
}

bool SessionRowTextsOf(int row, SessionRowTexts* out) {
  const int index = MPGetHostIndex(row);
  if (index < 0) return false;
  const MPSettings* r = BrowserSource().hostRecord(index);
  // The name came from the network: clipped and terminated here whatever
  // the record holds.
  CopyClipped(out->name, sizeof out->name, r->sessionName);
  switch (r->requestedState) {
    case 2: case 8: out->stateText = mptext::kStateOpen; break;
    case 4: case 5: case 7: out->stateText = mptext::kStatePlaying; break;
    case 11: out->stateText = mptext::kStateClosing; break;
    default: out->stateText = 0; break;
  }
  int ping = BrowserSource().hostLatency(index);
  if (ping < 0) ping = 0;
  std::snprintf(out->ping, sizeof out->ping, "%dmS", ping);
  std::snprintf(out->players, sizeof out->players, "%d/%d", r->playerCount, r->maxPlayers);
  return true;
}

void UpdateSessionBrowser(std::uint16_t itemId) {
  // A host came or went: the list is rebuilt and this frame's choice dropped.
  if (BrowserSource().hostCount() != MPMenus().sessionListCount) {
    RefreshSessionList();
    return;
  }
  if (itemId >= kFirstRow && itemId < kFirstRow + kMPSessionListRows) {
    const int index = MPGetHostIndex(itemId - kFirstRow);
    if (index < 0) {
      SetScreen(35);
      return;
    }
    const int result = BrowserSource().join(index);
    if (result == -2) {
      SetScreen(36);
      return;
    }
    if (result < 0) {
      SetScreen(35);
      return;
    }
    const std::uint32_t start = WaitNow();
    bool connected = false;
    for (;;) {
      const std::uint32_t now = WaitNow();
      PumpWindow();
      MPUpdate();
      BrowserSource().waitPass();
      if (BrowserSource().connected()) {
        connected = true;
        break;
      }
      if (now - start >= kMPJoinWaitMs) break;
    }
    if (!connected) {
      SetScreen(35);
      MPLeave();
      return;
    }
    LoadMultiplayerRegistry(MPIsHost() ? 1 : 0);
    MPCurrent()->SendPlayerRecord();
    SetScreen(48);
    return;
  }
  if (BackPressed(0) != 0) SetScreen(46);
}

void DrawSessionBrowser() {
  CScreenMenu* menu = MPMenus().sessionList;
  if (menu == nullptr) return;
  const int top = menu->Y - 2 * GetMenuItemHeight();
  DrawFramedPanel(menu->X - 10, top, menu->Width + 20, menu->Height + 2 * GetMenuItemHeight() + 10, 1);
  CFont* font = g_MainFont;
  if (font == nullptr) return;
  if (RealNowMs() % 1000 >= 500) {
    const char* searching = CMenu::TextOf(mptext::kSearching);
    if (searching != nullptr)
      font->DrawString(searching, menu->X + (menu->Width - font->GetStringWidth(searching)) / 2,
                       top + static_cast<int>(24.0f * InterfaceScaleY()), 0);
  }
  const std::uint32_t heads[4] = {mptext::kHeadSession, mptext::kHeadState, mptext::kHeadPing, mptext::kPlayers};
  const int headY = menu->Y - GetMenuItemHeight() + static_cast<int>(18.0f * InterfaceScaleY() + 0.5f);
  for (int i = 0; i < 4; ++i) {
    const char* text = CMenu::TextOf(heads[i]);
    if (text == nullptr) continue;
    int x = menu->X + static_cast<int>(kColumns[i] * static_cast<float>(menu->Width));
    if (i >= 2) x -= font->GetStringWidth(text) / 2;
    font->DrawString(text, x, headY, 0);
  }
}

void DrawSessionRow(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                    void* owner) {
  (void)menuHeight;
  (void)flags;
  (void)owner;
  CScreenMenu* menu = MPMenus().sessionList;
  SessionRowTexts texts{};
  if (menu == nullptr || !SessionRowTextsOf(itemId - kFirstRow, &texts)) return;
  if (menu->SelectedId == itemId) DrawItemBackground(static_cast<float>(x), static_cast<float>(y),
                                                     static_cast<float>(menuWidth), 1, 0);
  CFont* font = menu->Font != nullptr ? menu->Font : g_MainFont;
  if (font == nullptr) return;
  const int base = y + static_cast<int>(18.0f * InterfaceScaleY() + 0.5f);
  const char* state = texts.stateText != 0 ? CMenu::TextOf(texts.stateText) : nullptr;
  const char* columns[4] = {texts.name, state, texts.ping, texts.players};
  for (int i = 0; i < 4; ++i)
    if (columns[i] != nullptr)
      font->DrawString(columns[i], x + static_cast<int>(kColumns[i] * static_cast<float>(menuWidth)), base, 0);
}
