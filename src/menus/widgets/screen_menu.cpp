#include "menus/widgets/screen_menu.h"

#include "menus/widgets/icon_menu.h"
#include "render/2d/sprite_render.h"

void CScreenMenu::OnItemAdded(CMenuItem* item) {
  CMenu::OnItemAdded(item);
  SizeItemsAsIcons(this);
}

void CScreenMenu::DrawItem(CMenuItem* item, int x, int y) {
  if (item->DrawCallback != nullptr) item->DrawCallback(item->Id, x, y, Width, Height, item->Flags, Owner);
}

void CScreenMenu::Draw() {
  CMenu::Draw();
  const bool sliding = Orientation == MENU_HORIZONTAL ? SlideX != 0 : SlideY != 0;
  if (ArrowCell < 1 || Sprites == nullptr || sliding) return;
  const ScrollArrows a = GetScrollArrows();
  const int saved = static_cast<int>(Sprites->DrawColour >> 24);
  const bool always = AlwaysArrows != 0;
  if (always || (Wrap == 0 && FirstVisible != 0)) {
    Sprites->SetAlpha(FirstVisible < 1 ? 127 : 255);
    Sprites->DrawRotated(ArrowCell, static_cast<int>(a.previousX), static_cast<int>(a.previousY), 180.0f);
  }
  if (always || (Wrap == 0 && FirstVisible + VisibleRows < Count)) {
    Sprites->SetAlpha(FirstVisible + VisibleRows < Count ? 255 : 127);
    Sprites->Draw(ArrowCell, static_cast<int>(a.nextX), static_cast<int>(a.nextY));
  }
  Sprites->SetAlpha(saved);
}
