// The menu's frame: slides, the mouse, selection moves, value steps, typed
// text and accepts.
#include <cstdint>

#include "control/input/input.h"
#include "menus/widgets/menu.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/menu_index_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "render/2d/sprite_render.h"
#include "foundation/time/timer.h"
#include "world/engine.h"

namespace {

bool Fires(MenuInputCheck check, std::uint32_t arg) { return check != nullptr && check(arg) != 0; }

bool ButtonPressed() { return g_Input != nullptr && g_Input->WasMouseButtonPressed(0); }
bool ButtonHeld() { return g_Input != nullptr && g_Input->IsMouseButtonDown(0); }
int MouseX() { return g_Input != nullptr ? g_Input->GetCursorX() : 0; }
int MouseY() { return g_Input != nullptr ? g_Input->GetCursorY() : 0; }

// Text entry on (the typed queue emptied) or off.
void TextEntry(bool on) {
  if (g_Input == nullptr) return;
  if (on)
    g_Input->FlushTextInput();
  else
    g_Input->StopTextInput();
}

MenuBox NoBox() { return MenuBox{0, 0, -1, -1}; }

}  // namespace

void CMenu::SlideStep() {
  const std::uint32_t now = g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0;
  const std::uint64_t elapsed = now - SlideStart;
  // A slide of no duration ends at once.
  if (SlideDuration <= 0) {
    SlideX = SlideY = 0;
  } else {
    const std::uint64_t duration = static_cast<std::uint64_t>(SlideDuration);
    auto travel = [&](std::int16_t offset, std::int16_t extent) -> std::int16_t {
      if (offset <= 0 || extent <= 0) return 0;
      const std::uint64_t done = elapsed * static_cast<std::uint64_t>(extent) / duration;
      return done >= static_cast<std::uint64_t>(extent) ? 0 : static_cast<std::int16_t>(extent - done);
    };
    SlideX = travel(SlideX, Width);
    SlideY = travel(SlideY, Height);
  }
  if (SlideX == 0 && SlideY == 0) {
    State = MENU_STATE_ACTIVE;
    const CMenuItem* item = SelectedItem();
    if (item != nullptr && item->Kind == MENU_ITEM_EDIT) TextEntry(true);
  }
}

bool CMenu::MouseOverRow(int index, int x, int y) const {
  const CMenuItem* item = Items[index];
  if (item != nullptr && item->HitCheck != nullptr)
    return item->HitCheck(const_cast<CMenu*>(this), item->Id) != 0;
  const int mx = MouseX(), my = MouseY();
  return mx >= x && mx <= x + ItemWidth && my >= y && my <= y + ItemHeight;
}

bool CMenu::Hover() {
  const int mx = MouseX(), my = MouseY();
  if (mx == LastMouseX && my == LastMouseY) return false;
  LastMouseX = mx;
  LastMouseY = my;
  const int rows = RowsShown();
  for (int r = 0; r < rows; ++r) {
    int index = 0, x = 0, y = 0;
    if (!RowPosition(r, &index, &x, &y) || !MouseOverRow(index, x, y)) continue;
    if (index == Selection || Items[index] == nullptr || Items[index]->IsDisabled()) return false;
    Selection = static_cast<std::int16_t>(index);
    return true;
  }
  return false;
}

bool CMenu::IsMouseOverSelection() const {
  const int rows = RowsShown();
  for (int r = 0; r < rows; ++r) {
    int index = 0, x = 0, y = 0;
    if (RowPosition(r, &index, &x, &y) && index == Selection) return MouseOverRow(index, x, y);
  }
  return false;
}

void CMenu::PlaceArrowBoxes() {
  for (int i = 0; i < Count; ++i) {
    if (Items[i] == nullptr) continue;
    if (Items[i]->Kind == MENU_ITEM_CHOICE) {
      auto* c = static_cast<CMenuChoiceItem*>(Items[i]);
      c->LeftBox = c->RightBox = NoBox();
    } else if (Items[i]->Kind == MENU_ITEM_SLIDER) {
      auto* s = static_cast<CMenuSliderItem*>(Items[i]);
      s->LeftBox = s->RightBox = NoBox();
    }
  }
  // Each box stands on the row its item is drawn in.
  const int rows = RowsShown();
  for (int r = 0; r < rows; ++r) {
    int index = 0, x = 0, y = 0;
    if (!RowPosition(r, &index, &x, &y) || Items[index] == nullptr) continue;
    CMenuItem* item = Items[index];
    MenuBox *left = nullptr, *right = nullptr;
    const MenuArrowBox* box = nullptr;
    if (item->Kind == MENU_ITEM_CHOICE) {
      left = &static_cast<CMenuChoiceItem*>(item)->LeftBox;
      right = &static_cast<CMenuChoiceItem*>(item)->RightBox;
      box = &ChoiceBox;
    } else if (item->Kind == MENU_ITEM_SLIDER) {
      left = &static_cast<CMenuSliderItem*>(item)->LeftBox;
      right = &static_cast<CMenuSliderItem*>(item)->RightBox;
      box = &SliderBox;
    } else {
      continue;
    }
    left->x1 = x + box->x;
    // With a label the value (and its left arrow) starts at the item's middle.
    if (item->LabelId != 0)
      left->x1 = static_cast<int>(ScaleX() * 12.0f + static_cast<float>(ItemWidth) * 0.5f + static_cast<float>(x) +
                                  static_cast<float>(box->x));
    left->x2 = left->x1 + box->w;
    right->x2 = x + ItemWidth - box->x;
    right->x1 = right->x2 - box->w;
    left->y1 = right->y1 = y + box->y;
    left->y2 = right->y2 = y + box->y + box->h;
  }
}

void CMenu::StepValueItem(CMenuItem* item, std::uint16_t* result) {
  const bool mouse = MouseEnabled != 0;
  const int mx = MouseX(), my = MouseY();
  switch (item->Kind) {
    case MENU_ITEM_CHOICE: {
      auto* c = static_cast<CMenuChoiceItem*>(item);
      const std::uint8_t before = c->Current;
      if (Fires(DecreaseCheck, DecreaseArg) || (mouse && ButtonPressed() && c->LeftBox.Contains(mx, my)))
        *result = c->Step(false);
      else if (Fires(IncreaseCheck, IncreaseArg) || (mouse && ButtonPressed() && c->RightBox.Contains(mx, my)))
        *result = c->Step(true);
      if (c->Current != before) PlayMoveSound();
      break;
    }
    case MENU_ITEM_SLIDER: {
      // Held, not pressed: the slider steps every frame the button stays on its arrow.
      auto* s = static_cast<CMenuSliderItem*>(item);
      const std::uint16_t before = s->SliderValue;
      if (Fires(DecreaseCheck, DecreaseArg) || (mouse && ButtonHeld() && s->LeftBox.Contains(mx, my)))
        *result = s->Step(false);
      else if (Fires(IncreaseCheck, IncreaseArg) || (mouse && ButtonHeld() && s->RightBox.Contains(mx, my)))
        *result = s->Step(true);
      if (s->SliderValue != before) PlayMoveSound();
      break;
    }
    case MENU_ITEM_INDEX: {
      auto* n = static_cast<CMenuIndexItem*>(item);
      const std::uint16_t before = n->IndexValue;
      if (Fires(DecreaseCheck, DecreaseArg))
        *result = n->Step(false);
      else if (Fires(IncreaseCheck, IncreaseArg))
        *result = n->Step(true);
      if (n->IndexValue != before) PlayMoveSound();
      break;
    }
    default: break;
  }
}

void CMenu::TakeTypedText(CMenuItem* item) {
  if (item->Kind != MENU_ITEM_EDIT || g_Input == nullptr) return;
  auto* edit = static_cast<CMenuEditItem*>(item);
  // Enter ends text entry; the rest of this frame's queue is still taken.
  for (std::uint32_t code = g_Input->PopTypedChar(); code != 0; code = g_Input->PopTypedChar())
    if (edit->TypeCode(code, Font)) g_Input->StopTextInput();
}

void CMenu::ScrollWithArrows() {
  if (MouseEnabled == 0 || !ButtonHeld() || ArrowCell < 0 || Sprites == nullptr) return;
  const ScrollArrows a = GetScrollArrows();
  if (!a.shown) return;
  const float w = Sprites->GetScaledWidth(ArrowCell), h = Sprites->GetScaledHeight(ArrowCell);
  const float hx = Sprites->GetScaledHotX(ArrowCell), hy = Sprites->GetScaledHotY(ArrowCell);
  const float mx = static_cast<float>(MouseX()), my = static_cast<float>(MouseY());
  auto over = [&](float x, float y) { return mx >= x + hx && mx <= x + hx + w && my >= y + hy && my <= y + hy + h; };
  if (over(a.nextX, a.nextY)) {
    if (FirstVisible + VisibleRows < Count) ++FirstVisible;
  } else if (over(a.previousX, a.previousY - h)) {
    if (FirstVisible > 0) --FirstVisible;
  }
}

std::uint16_t CMenu::Process() {
  if (State == MENU_STATE_INACTIVE || State > MENU_STATE_SLIDING_ICONS) return 0;
  if (State == MENU_STATE_SLIDING || State == MENU_STATE_SLIDING_ICONS) {
    SlideStep();
    return 0;
  }
  if (Count <= 0 || Items == nullptr) return kMenuEmpty;

  bool moved = MouseEnabled != 0 && Hover();
  const int before = Selection;
  if (Fires(PreviousCheck, PreviousArg))
    SelectPrevious();
  else if (Fires(NextCheck, NextArg))
    SelectNext();
  if (Selection != before) {
    moved = true;
    PlayMoveSound();
  }
  CMenuItem* item = SelectedItem();
  if (item == nullptr) return 0;
  if (moved) TextEntry(item->Kind == MENU_ITEM_EDIT);
  SelectedId = item->Id;
  PlaceArrowBoxes();

  std::uint16_t result = 0;
  if (!item->IsDisabled()) {
    StepValueItem(item, &result);
    TakeTypedText(item);
  }
  ScrollWithArrows();
  if (item->IsDisabled()) return 0;

  if (AcceptCheck != nullptr) {
    const bool accepted =
        Fires(AcceptCheck, AcceptArg) || (MouseEnabled != 0 && ButtonPressed() && IsMouseOverSelection());
    if (accepted) {
      State = KeepActive == 1 ? MENU_STATE_ACTIVE : MENU_STATE_INACTIVE;
      PlayMoveSound();
      return SelectedId;
    }
  } else if (moved) {
    return SelectedId;
  }
  return result;
}
