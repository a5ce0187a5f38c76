#include "menus/widgets/icon_menu.h"

#include "menus/draw_quad_2d.h"
#include "render/2d/sprite_render.h"

void SizeItemsAsIcons(CMenu* menu) {
  if (menu->FrameCell >= 0 || menu->ItemWidth != 0) return;
  const float sx = menu->Sprites != nullptr ? menu->Sprites->XScale : 1.0f;
  const float sy = menu->Sprites != nullptr ? menu->Sprites->YScale : 1.0f;
  menu->SetItemWidth(static_cast<int>(50.0f * sx));
  menu->SetItemHeight(static_cast<int>(50.0f * sy));
  menu->CentringOffset = static_cast<std::int16_t>(
      menu->Height - menu->Count * menu->PitchY > 0 ? (menu->Height - menu->Count * menu->PitchY) / 2 : 0);
  // Rows as the frame-cell sizing gives them: (pitch / 2 + extent) / pitch.
  if (menu->Orientation == MENU_HORIZONTAL) {
    if (menu->PitchX != 0) menu->VisibleRows = static_cast<std::int16_t>((menu->PitchX / 2 + menu->Width) / menu->PitchX);
  } else if (menu->PitchY != 0) {
    menu->VisibleRows = static_cast<std::int16_t>((menu->PitchY / 2 + menu->Height) / menu->PitchY);
  }
}

void CIconMenu::OnItemAdded(CMenuItem* item) {
  CMenu::OnItemAdded(item);
  SizeItemsAsIcons(this);
}

void CIconMenu::DrawCentredSprite(int cell, int x, int y) {
  if (Sprites == nullptr) return;
  if (FrameCell >= 0) Sprites->Draw(FrameCell, x, y);
  const float w = Sprites->GetScaledWidth(cell), h = Sprites->GetScaledHeight(cell);
  Sprites->Draw(cell, x + static_cast<int>((static_cast<float>(ItemWidth) - w) * 0.5f),
                y + static_cast<int>((static_cast<float>(ItemHeight) - h) * 0.5f));
}

void CIconMenu::DrawItem(CMenuItem* item, int x, int y) {
  const bool selected = item == SelectedItem();
  const float sx = Sprites != nullptr ? Sprites->XScale : 1.0f, sy = Sprites != nullptr ? Sprites->YScale : 1.0f;
  if (FrameCell < 0 && !selected) {
    // Fainter towards the top of the menu.
    const int alpha = Height > 0 ? (y * 153) / Height : 153;
    DrawQuad2D(x, y, static_cast<int>(50.0f * sx), static_cast<int>(50.0f * sy), 89, 102, 87,
               static_cast<std::uint8_t>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha), 1, 0);
  }
  if (selected && State == MENU_STATE_ACTIVE) {
    if (HighlightCell >= 0 && Sprites != nullptr)
      Sprites->Draw(HighlightCell, x, y);
    else
      DrawQuad2D(x, y, ItemWidth, ItemHeight, 191, 191, 191, 255, 1, 0);
  }
  DrawCentredSprite(static_cast<int>(item->TextId), x, y);
}

void CIconMenu::Draw() {
  if (!(Orientation == MENU_HORIZONTAL && State == MENU_STATE_SLIDING_ICONS)) {
    CMenu::Draw();
    return;
  }
  // Sliding sideways: the rows move with the slide, and the items beside the
  // rows shown come into view at either end.
  if (SlideX >= 1 && FirstVisible > 0 && Items[FirstVisible - 1] != nullptr)
    DrawItem(Items[FirstVisible - 1], X + SlideX - GetItemTextWidth(FirstVisible - 1), Y);
  const int rows = RowsShown();
  int lastX = X, lastIndex = -1;
  for (int r = 0; r < rows; ++r) {
    int index = 0, x = 0, y = 0;
    if (!RowPosition(r, &index, &x, &y) || Items[index] == nullptr) continue;
    DrawItem(Items[index], x + SlideX, y);
    lastX = x + SlideX;
    lastIndex = index;
  }
  if (SlideX < 0 && lastIndex >= 0 && lastIndex + 1 < Count && Items[lastIndex + 1] != nullptr)
    DrawItem(Items[lastIndex + 1], lastX + PitchX, Y);
}
