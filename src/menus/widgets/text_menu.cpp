#include "menus/widgets/text_menu.h"

#include <algorithm>
#include <cmath>

#include "menus/draw_quad_2d.h"
#include "menus/screen_2d.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "foundation/time/timer.h"
#include "world/engine.h"

void CTextMenu::OnItemAdded(CMenuItem* item) {
  CMenu::OnItemAdded(item);
  if (FrameCell < 0) UpdateVisibleRows();
}

int CTextMenu::PulseAlpha() {
  const float phase = g_RealClock != nullptr ? static_cast<float>(g_RealClock->GetCyclePhase(1000, 200)) : 0.0f;
  const int alpha = static_cast<int>(std::sin(phase * 0.005f * 6.2831855f) * 96.0f + 160.0f);
  return std::min(alpha, 255);
}

void CTextMenu::DrawItem(CMenuItem* item, int x, int y) {
  const bool selected = item == SelectedItem();
  // The text: a plain item's, or a choice's current one.
  std::uint32_t textId = kMenuNoText;
  if (item->Kind == MENU_ITEM_PLAIN) textId = item->TextId;
  if (item->Kind == MENU_ITEM_CHOICE) textId = static_cast<CMenuChoiceItem*>(item)->CurrentTextId();
  const char* text = TextOf(textId);

  // The background.
  if (FrameCell >= 0 && Sprites != nullptr)
    Sprites->Draw(FrameCell, x, y);
  else if (item->DrawCallback != nullptr)
    item->DrawCallback(item->Id, x, y, Width, Height, item->Flags, Owner);
  else if (!selected && (item->Flags & MENU_ITEM_NO_BOX) == 0)
    DrawQuad2D(x, y, ItemWidth, ItemHeight, 89, 102, 87, 255, 1, 0);

  // The highlight of an active menu's enabled selection.
  bool highlighted = false;
  if (selected && State == MENU_STATE_ACTIVE && !item->IsDisabled()) {
    if (HighlightCell >= 0 && Sprites != nullptr)
      Sprites->Draw(HighlightCell, x, y - ItemHeight / 2);
    else if (FrameCell < 0 && (item->Flags & MENU_ITEM_NO_BOX) == 0)
      CScreen2D::DrawQuadPair(x, y, ItemWidth, ItemHeight, 89, 102, 87, 255, 191, 191, 191, 255, 0);
    else
      highlighted = true;
  }

  if (item->Kind == MENU_ITEM_SLIDER) {
    auto* slider = static_cast<CMenuSliderItem*>(item);
    slider->Raised = slider->Lowered = 0;
    return;
  }
  if (text == nullptr || Font == nullptr || Font->Sprites == nullptr) return;
  const int width = Font->GetStringWidth(text), height = Font->GetStringHeight(text);
  int offset = 2;
  if (item->Flags & MENU_ITEM_CENTRED)
    offset = (ItemWidth - width) / 2;
  else if (item->Flags & MENU_ITEM_RIGHT)
    offset = ItemWidth - width;
  std::uint32_t colour = item->IsDisabled() ? DisabledColour : highlighted ? HighlightColour : TextColour;
  if (highlighted && !item->IsDisabled())
    colour = (colour & 0x00FFFFFFu) | (static_cast<std::uint32_t>(PulseAlpha()) << 24);
  CSpriteRender* glyphs = Font->Sprites;
  const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
  Font->SetColour(colour);
  Font->DrawString(text, x + offset, y + (ItemHeight + height) / 2, 0);
  glyphs->Colour = savedColour;
  glyphs->DrawColour = savedDraw;
}
