#include "menus/screens/save_slot_menu.h"

#include <cstdio>
#include <cstring>

#include "foundation/files/disk_helpers.h"
#include "menus/drawing/text_boxes.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "shell/frame/mission_queries.h"
#include "world/effects/explosions.h"

SaveSlotTable g_SaveSlots;

namespace {

constexpr std::uint32_t kTextNameColumn = 0xF3B39A8C;
constexpr std::uint32_t kTextDateColumn = 0x85683B98;
constexpr float kOuterWidth = 700.0f;

}  // namespace

const char* SaveFileBaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  return base;
}

int CSaveSlotMenu::OnFileFound(const char* path, void*) {
  std::uint64_t time = 0;
  const bool hasTime = GetFileWriteTicks(SaveFileBaseName(path), &time);
  InsertSave(path, time, hasTime);
  return 0;
}

int CSaveSlotMenu::OnFileFoundWithTime(const char* path, std::uint64_t lastWrite, void*) {
  InsertSave(path, lastWrite, true);
  return 0;
}

void CSaveSlotMenu::InsertSave(const char* path, std::uint64_t time, bool hasTime) {
  SaveSlotTable& t = g_SaveSlots;
  const char* name = SaveFileBaseName(path);
  // A name that leaves no room for its terminator is skipped.
  const std::size_t length = std::strlen(name);
  if (length >= static_cast<std::size_t>(kSaveSlotBytes)) return;
  const int n = t.Count;
  // The first slot holding an older file takes it; the slots from there
  // move one down (the last one falls off a full table).
  int at = -1;
  if (hasTime) {
    for (int i = 1; i < n; ++i) {
      if (t.HasTime[i] && time > t.Times[i]) {
        at = i;
        break;
      }
    }
  }
  if (at >= 0) {
    for (int j = (n < kSaveSlots ? n : kSaveSlots - 1) - 1; j >= at; --j) {
      std::memcpy(t.Names[j + 1], t.Names[j], std::strlen(t.Names[j]) + 1);
      t.Times[j + 1] = t.Times[j];
      t.HasTime[j + 1] = t.HasTime[j];
    }
  } else if (n < kSaveSlots) {
    at = n;
  }
  if (at >= 0) {
    std::memcpy(t.Names[at], name, length + 1);
    t.Times[at] = time;
    t.HasTime[at] = hasTime;
  }
  if (t.Count < kSaveSlots) ++t.Count;
}

void CSaveSlotMenu::ScanSaves() {
  g_SaveSlots = SaveSlotTable{};
  // Each file's time as the scan read it: one look at each file per visit.
  ScanDirectoryWithTimes(".", "*.sav", &CSaveSlotMenu::OnFileFoundWithTime, nullptr);
}

void CSaveSlotMenu::OnEnter() {
  if (!MPIsNetworkGame() && MissionQueryMode() == 0) SetGamePaused(1, 6);
  Populate();
}

float CSaveSlotMenu::OuterLeft() const {
  return (static_cast<float>(ScreenWidth()) - kOuterWidth * InterfaceScaleX()) * 0.5f;
}

float CSaveSlotMenu::OuterTop(float outerHeight) const {
  return (static_cast<float>(ScreenHeight()) - outerHeight * InterfaceScaleY()) * 0.5f;
}

void CSaveSlotMenu::SetUpList() {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  Menu->Reset();
  Menu->SetLayout(MENU_VERTICAL, 1);
  Menu->SetItemSprites(-1, -1);
  // The rows start below the list panel's header.
  const int x = static_cast<int>(OuterLeft() + 20.0f * sx + 56.0f * sx);
  const int y = static_cast<int>(OuterTop(400.0f) + 70.0f * sy + 60.0f * sy);
  Menu->SetRect(x, y, static_cast<int>(548.0f * sx), static_cast<int>(220.0f * sy));
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  Menu->ArrowCell = 14;
  Menu->SideArrows = 1;
  Menu->AlwaysArrows = 1;
  Menu->SetItemWidth(static_cast<int>(548.0f * sx));
  Menu->SetItemHeight(static_cast<int>(20.0f * sy));
  Menu->SoundBank = InterfaceSoundBank();
  Menu->MoveSound = kMenuMoveSound;
  Menu->Owner = this;
  Menu->FirstVisible = 0;
}

void CSaveSlotMenu::DrawPanels(float outerHeight, std::uint32_t titleId) {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const int x = static_cast<int>(OuterLeft()), y = static_cast<int>(OuterTop(outerHeight));
  const int w = static_cast<int>(kOuterWidth * sx), h = static_cast<int>(outerHeight * sy);
  DrawFramedBox(x, y, w, h, 1, 6);
  const int ix = x + static_cast<int>(20.0f * sx), iy = y + static_cast<int>(70.0f * sy);
  const int iw = static_cast<int>((kOuterWidth - 40.0f) * sx), ih = static_cast<int>((400.0f - 90.0f) * sy);
  DrawFramedBox(ix, iy, iw, ih, 0, 6);
  DrawFramedPanel(ix, iy + static_cast<int>(30.0f * sy), iw, static_cast<int>(24.0f * sy), 0);
  if (Menu->Font != nullptr) {
    const std::uint32_t colour = Menu->TextColour;
    Menu->Font->SetColour(colour);
    if (const char* name = CMenu::TextOf(kTextNameColumn))
      Menu->Font->DrawString(name, Menu->X + static_cast<int>(10.0f * sx), iy + static_cast<int>(34.0f * sy), 0);
    if (const char* date = CMenu::TextOf(kTextDateColumn))
      Menu->Font->DrawString(date, Menu->X + static_cast<int>(Menu->ItemWidth * 0.65f), iy + static_cast<int>(34.0f * sy),
                             0);
  }
  Menu->Draw();
  DrawLocaleText(titleId, x, y, w, 1);
}

bool FormatSaveDate(const char* fileName, char* out, int size) {
  SYSTEMTIME t{};
  if (GetFileLocalTime(fileName, &t) == 0) return false;
  std::snprintf(out, static_cast<std::size_t>(size), "%02d-%02d-%4d  %02d:%02d", t.wDay, t.wMonth, t.wYear, t.wHour,
                t.wMinute);
  return true;
}

void CSaveSlotMenu::DrawRow(std::uint16_t id, int x, int y, const char* fileName, const char* shown) {
  CFont* font = Menu->Font;
  if (font == nullptr || fileName == nullptr) return;
  const int dateColumn = static_cast<int>(Menu->ItemWidth * 0.65f);
  char name[kSaveSlotBytes];
  std::snprintf(name, sizeof name, "%s", shown != nullptr ? shown : fileName);
  if (shown == nullptr)
    if (char* dot = std::strrchr(name, '.')) *dot = '\0';
  // Cut from the end until the name fits its column less 10 pixels.
  for (std::size_t n = std::strlen(name); n > 0 && font->GetStringWidth(name) > dateColumn - 10; --n) name[n - 1] = '\0';
  if (id == Menu->SelectedId)
    DrawBarC(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + Menu->ItemWidth),
             static_cast<float>(y + Menu->ItemHeight));
  const int textY = y + static_cast<int>(InterfaceScaleY() * 2.0f);
  DrawMenuItemText(Menu, id, name, x + static_cast<int>(10.0f * InterfaceScaleX()), textY);
  char date[64];
  if (FormatSaveDate(fileName, date, sizeof date)) DrawMenuItemText(Menu, id, date, x + dateColumn, textY);
}
