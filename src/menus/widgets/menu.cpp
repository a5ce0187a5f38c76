// The menu's set-up, layout, lookups and rows.
#include "menus/widgets/menu.h"

#include <algorithm>

#include "foundation/memory/memory_manager.h"
#include "foundation/text/locale_table.h"
#include "menus/widgets/menu_choice_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "sound/sound_manager.h"
#include "foundation/time/timer.h"
#include "world/engine.h"

CMenu::CMenu(CFont* font, CSpriteRender* sprites, int mouseEnabled)
    : Font(font), Sprites(sprites), MouseEnabled(mouseEnabled) {}

float CMenu::ScaleX() const { return Sprites != nullptr ? Sprites->XScale : 1.0f; }
float CMenu::ScaleY() const { return Sprites != nullptr ? Sprites->YScale : 1.0f; }

bool CMenu::AllocateItems(int n) {
  if (n < 1 || n > 32767 || Items != nullptr) return false;
  Items = MEM_NEW(MEMCAT_GAME) CMenuItem*[static_cast<std::size_t>(n)];
  if (Items == nullptr) return false;
  std::fill(Items, Items + n, nullptr);
  Allocated = static_cast<std::int16_t>(n);
  Capacity = 0;
  return true;
}

bool CMenu::AddItem(CMenuItem* item) {
  if (Items == nullptr || Capacity >= Allocated) return false;
  Items[Capacity++] = item;
  return true;
}

void CMenu::FreeItems() {
  if (Items == nullptr) return;
  for (int i = 0; i < Capacity; ++i) MEM_DELETE Items[i];
  MEM_DELETE_ARRAY Items;
  Items = nullptr;
  Capacity = Count = Allocated = 0;
}

void CMenu::OnItemAdded(CMenuItem* /*item*/) {
  if (Count < Capacity) ++Count;
}

void CMenu::Reset() {
  FrameCell = HighlightCell = -1;
  ItemWidth = ItemHeight = 0;
  VisibleRows = 0;
  Clear();
}

void CMenu::Clear() {
  Count = 0;
  SelectedId = 0;
  Selection = 0;
  FirstVisible = 0;
}

void CMenu::SetLayout(int orientation, int scrollFromFirst) {
  Orientation = orientation;
  ScrollFromFirst = scrollFromFirst;
}

// Rounded visible rows: (pitch / 2 + extent) / pitch along the orientation.
void CMenu::UpdateVisibleRows() {
  if (Orientation == MENU_HORIZONTAL) {
    if (PitchX != 0) VisibleRows = static_cast<std::int16_t>((PitchX / 2 + Width) / PitchX);
  } else if (PitchY != 0) {
    VisibleRows = static_cast<std::int16_t>((PitchY / 2 + Height) / PitchY);
  }
}

void CMenu::UpdateCentringOffset() {
  CentringOffset = static_cast<std::int16_t>(std::max(0, (Height - Count * PitchY) / 2));
}

void CMenu::SetItemSprites(int frameCell, int highlightCell) {
  if (frameCell < 0) return;
  FrameCell = static_cast<std::int16_t>(frameCell);
  HighlightCell = static_cast<std::int16_t>(highlightCell);
  const float w = Sprites != nullptr ? Sprites->GetScaledWidth(frameCell) : 0.0f;
  const float h = Sprites != nullptr ? Sprites->GetScaledHeight(frameCell) : 0.0f;
  ItemWidth = static_cast<std::int16_t>(static_cast<int>(w));
  ItemHeight = static_cast<std::int16_t>(static_cast<int>(h));
  PitchX = static_cast<std::int16_t>(static_cast<int>(ScaleX() * 7.0f + ItemWidth));
  PitchY = static_cast<std::int16_t>(static_cast<int>(ScaleY() * 7.0f + ItemHeight));
  UpdateCentringOffset();
  UpdateVisibleRows();
}

void CMenu::SetItemWidth(int w) {
  ItemWidth = static_cast<std::int16_t>(w);
  PitchX = static_cast<std::int16_t>(static_cast<int>(ScaleX() * 7.0f + static_cast<float>(w)));
  if (Orientation == MENU_HORIZONTAL) UpdateVisibleRows();
}

void CMenu::SetItemHeight(int h) {
  ItemHeight = static_cast<std::int16_t>(h);
  PitchY = static_cast<std::int16_t>(static_cast<int>(ScaleY() * 7.0f + static_cast<float>(h)));
  if (Orientation != MENU_HORIZONTAL) UpdateVisibleRows();
}

void CMenu::SetRect(int x, int y, int width, int height) {
  X = static_cast<std::int16_t>(x);
  Y = static_cast<std::int16_t>(y);
  Width = static_cast<std::int16_t>(width);
  Height = static_cast<std::int16_t>(height);
  if (Orientation == MENU_HORIZONTAL) {
    if (PitchX != 0) VisibleRows = static_cast<std::int16_t>((PitchX / 2 + Width) / PitchX);
  } else if (PitchY != 0) {
    VisibleRows = static_cast<std::int16_t>(Height / PitchY);  // truncated, not rounded
  }
}

void CMenu::SetInputHandlers(MenuInputCheck accept, MenuInputCheck previous, MenuInputCheck next,
                             MenuInputCheck decrease, MenuInputCheck increase, std::uint32_t acceptArg,
                             std::uint32_t previousArg, std::uint32_t nextArg, std::uint32_t decreaseArg,
                             std::uint32_t increaseArg) {
  AcceptCheck = accept;
  PreviousCheck = previous;
  NextCheck = next;
  DecreaseCheck = decrease;
  IncreaseCheck = increase;
  AcceptArg = acceptArg;
  PreviousArg = previousArg;
  NextArg = nextArg;
  DecreaseArg = decreaseArg;
  IncreaseArg = increaseArg;
}

void CMenu::SetTextColours(std::uint32_t normal, std::uint32_t highlight) {
  TextColour = normal;
  HighlightColour = highlight;
}

void CMenu::StartSlide() {
  if (Orientation == MENU_HORIZONTAL)
    SlideX = SlideDuration;
  else
    SlideY = Height;
  SlideStart = g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0;
}

void CMenu::StopSlide() {
  if (Orientation == MENU_HORIZONTAL)
    SlideX = 0;
  else
    SlideY = 0;
}

void CMenu::SetArrowBoxes(const MenuArrowBox& choiceBox, const MenuArrowBox& sliderBox) {
  ChoiceBox = choiceBox;
  SliderBox = sliderBox;
  PlaceArrowBoxes();
}

void CMenu::ScrollToSelection() {
  if (Selection < FirstVisible) FirstVisible = Selection;
  if (VisibleRows > 0 && Selection >= FirstVisible + VisibleRows)
    FirstVisible = static_cast<std::int16_t>(Selection - VisibleRows + 1);
}

void CMenu::SelectFirstEnabled() {
  for (int i = 0; i < Count; ++i)
    if (Items[i] != nullptr && !Items[i]->IsDisabled()) {
      Selection = static_cast<std::int16_t>(i);
      SelectedId = Items[i]->Id;
      ScrollToSelection();
      return;
    }
}

bool CMenu::SelectIndex(int index) {
  if (index < 0 || index >= Count) return false;
  Selection = static_cast<std::int16_t>(index);
  SelectedId = Items[index]->Id;
  ScrollToSelection();
  return true;
}

void CMenu::SelectPrevious() {
  if (Count <= 0 || (Wrap == 0 && Selection == 0)) return;
  int i = Selection;
  for (int walked = 1; walked < Count; ++walked) {
    if (i == 0) {
      if (Wrap == 0) return;
      i = Count - 1;
    } else {
      --i;
    }
    if (Items[i] == nullptr || Items[i]->IsDisabled()) continue;
    Selection = static_cast<std::int16_t>(i);
    if (i < FirstVisible) {
      FirstVisible = static_cast<std::int16_t>(i);
    } else if (i > FirstVisible + VisibleRows - 1) {
      // The wrap to the end: the rows turn back one.
      FirstVisible = static_cast<std::int16_t>(FirstVisible - 1 < 0 ? Count - 1 : FirstVisible - 1);
    }
    return;
  }
}

void CMenu::SelectNext() {
  if (Count <= 0 || (Wrap == 0 && Selection == Count - 1)) return;
  int i = Selection;
  for (int walked = 1; walked < Count; ++walked) {
    if (i == Count - 1) {
      if (Wrap == 0) return;
      i = 0;
    } else {
      ++i;
    }
    if (Items[i] == nullptr || Items[i]->IsDisabled()) continue;
    Selection = static_cast<std::int16_t>(i);
    if (i > FirstVisible + VisibleRows - 1) {
      FirstVisible = static_cast<std::int16_t>(i - VisibleRows + 1);
    } else if (i < FirstVisible) {
      // The wrap to the start: the rows move on one.
      FirstVisible = static_cast<std::int16_t>(FirstVisible + 1 > Count - 1 ? 0 : FirstVisible + 1);
    }
    return;
  }
}

CMenuItem* CMenu::FindItem(std::uint16_t id) const {
  for (int i = 0; i < Count; ++i)
    if (Items[i] != nullptr && Items[i]->Id == id) return Items[i];
  return nullptr;
}

std::uint16_t CMenu::GetItemFlags(std::uint16_t id) const {
  const CMenuItem* item = FindItem(id);
  return item != nullptr ? item->Flags : 0;
}

void CMenu::SetItemFlags(std::uint16_t id, std::uint16_t flags) {
  if (CMenuItem* item = FindItem(id)) item->Flags = flags;
}

std::uint32_t CMenu::GetItemValue(std::uint16_t id) const {
  const CMenuItem* item = FindItem(id);
  return item != nullptr ? item->Value : 0;
}

void CMenu::SetItemValue(std::uint16_t id, std::uint32_t value) {
  if (CMenuItem* item = FindItem(id)) item->Value = value;
}

std::uint32_t CMenu::GetItemTextId(std::uint16_t id) const {
  const CMenuItem* item = FindItem(id);
  return item != nullptr ? item->TextId : kMenuNoText;
}

namespace {
CMenu::TextObserver g_textObserver = nullptr;
}

void CMenu::SetTextObserver(TextObserver observer) { g_textObserver = observer; }

const char* CMenu::TextOf(std::uint32_t textId) {
  if (textId != kMenuNoText && g_textObserver != nullptr) g_textObserver(textId);
  if (textId == kMenuNoText || g_Locale == nullptr) return nullptr;
  return g_Locale->GetString(textId);
}

int CMenu::GetItemTextWidth(int index) const {
  if (index < 0 || index >= Count || Items[index] == nullptr) return ItemWidth;
  std::uint32_t id = Items[index]->TextId;
  if (Items[index]->Kind == MENU_ITEM_CHOICE) id = static_cast<const CMenuChoiceItem*>(Items[index])->CurrentTextId();
  const char* text = TextOf(id);
  if (text == nullptr || Font == nullptr) return ItemWidth;
  return Font->GetStringWidth(text);
}

CMenuItem* CMenu::SelectedItem() const {
  if (Items == nullptr || Selection < 0 || Selection >= Count) return nullptr;
  return Items[Selection];
}

int CMenu::RowStart() const {
  return State != MENU_STATE_INACTIVE && ScrollFromFirst != 0 ? FirstVisible : Selection;
}

int CMenu::RowsShown() const {
  if (Count <= 0) return 0;
  if (State == MENU_STATE_INACTIVE) return 1;
  return std::min<int>(Count, VisibleRows);
}

bool CMenu::RowPosition(int r, int* index, int* x, int* y) const {
  if (Count <= 0 || r < 0 || r >= RowsShown()) return false;
  *index = ((RowStart() + r) % Count + Count) % Count;
  switch (Orientation) {
    case MENU_HORIZONTAL:
      *x = X + r * PitchX;
      *y = Y;
      return *x >= X && *x < X + Width - ItemWidth - SlideX;
    case MENU_VERTICAL:
      *x = X;
      *y = Y + r * PitchY;
      return *y >= Y && *y < Y + Height - ItemHeight - SlideY;
    default:
      *x = X;
      *y = Y + Height - (r + 1) * PitchY;
      return *y >= Y && *y < Y + Height - ItemHeight - SlideY;
  }
}

void CMenu::Draw() {
  const int rows = RowsShown();
  for (int r = 0; r < rows; ++r) {
    int index = 0, x = 0, y = 0;
    if (!RowPosition(r, &index, &x, &y)) continue;
    if (Items[index] != nullptr) DrawItem(Items[index], x, y);
    if (State == MENU_STATE_INACTIVE) break;
  }
}

void CMenu::PlayMoveSound() const {
  if (SoundBank == nullptr || MoveSound == kMenuNoSound || g_SoundManager == nullptr) return;
  g_SoundManager->PlayEventSingle(SoundBank, MoveSound);
}

CMenu::ScrollArrows CMenu::GetScrollArrows() const {
  ScrollArrows a{false, 0, 0, 0, 0};
  if (ArrowCell < 0 || Sprites == nullptr) return a;
  a.shown = AlwaysArrows != 0 || Count > VisibleRows;
  const float w = Sprites->GetScaledWidth(ArrowCell), h = Sprites->GetScaledHeight(ArrowCell);
  const float x = X, y = Y, width = Width, height = Height;
  if (SideArrows != 0) {
    if (Orientation == MENU_HORIZONTAL) {
      a.nextX = x - w, a.nextY = y + 0.5f * height;
      a.previousX = x + width + w, a.previousY = y + 0.5f * height;
    } else {
      a.nextX = x + width + w, a.nextY = y + 0.75f * height;
      a.previousX = x + width + w, a.previousY = y + 0.25f * height;
    }
  } else if (Orientation == MENU_HORIZONTAL) {
    a.nextX = x + 0.25f * width, a.nextY = y + height + h;
    a.previousX = x + 0.75f * width, a.previousY = y + height + h;
  } else {
    a.nextX = x + 0.5f * width, a.nextY = y + height + h;
    a.previousX = x + 0.5f * width, a.previousY = y - h;
  }
  return a;
}
