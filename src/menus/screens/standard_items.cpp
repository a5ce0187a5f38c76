#include "menus/screens/standard_items.h"

#include <algorithm>
#include <cstring>

#include "menus/draw_quad_2d.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

// What every standard look starts with: the item, whether it is the
// menu's selection, and the value part after the label.
struct ItemPlace {
  CMenuItem* item = nullptr;
  bool highlighted = false;
  float x = 0, width = 0, y = 0, height = 0;
};

// Draws the label part when the item has one and the value part's
// background; false when the screen has no menu or the item is not found.
bool Begin(CMenuScreen* screen, std::uint16_t id, int x, int y, ItemPlace* place) {
  CScreenMenu* menu = screen != nullptr ? screen->Menu : nullptr;
  if (menu == nullptr) return false;
  CMenuItem* item = menu->FindItem(id);
  if (item == nullptr) return false;
  place->item = item;
  place->highlighted = item == menu->SelectedItem();
  const float sx = InterfaceScaleX();
  const float w = menu->ItemWidth, h = menu->ItemHeight;
  place->y = static_cast<float>(y);
  place->height = h;
  place->x = static_cast<float>(x);
  place->width = w;
  if (item->LabelId != 0) {
    const float right = static_cast<float>(x) + w / 2.0f - sx * 24.0f * 0.5f;
    DrawBarB(static_cast<float>(x), static_cast<float>(y), right);
    CFont* font = menu->Font;
    const char* label = CMenu::TextOf(item->LabelId);
    if (font != nullptr && font->Sprites != nullptr && label != nullptr) {
      CSpriteRender* glyphs = font->Sprites;
      const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
      font->SetColour(place->highlighted ? menu->HighlightColour : menu->TextColour);
      const float o = GetFontTextOffset(font);
      const int ty = static_cast<int>(o + (h - o) * 0.5f + static_cast<float>(y));
      const float lw = static_cast<float>(font->GetStringWidth(label));
      font->DrawString(label, static_cast<int>(static_cast<float>(x) + (right - static_cast<float>(x) - lw) / 2.0f),
                       ty, 0);
      glyphs->Colour = savedColour;
      glyphs->DrawColour = savedDraw;
    }
    const int valueX = static_cast<int>(sx * 24.0f + right);
    place->width = static_cast<float>(static_cast<int>(w + static_cast<float>(x) - static_cast<float>(valueX)));
    place->x = static_cast<float>(valueX);
  }
  DrawItemBackground(place->x, place->y, place->width, place->highlighted ? 1 : 0, 0);
  return true;
}

ScreenRect ValueRect(const ItemPlace& p) { return {p.x, p.y, p.x + p.width, p.y + p.height}; }

// The text colour of an item by its state, and the pulsing text is not used here.
std::uint32_t ItemColour(const CMenu* menu, const ItemPlace& p) {
  return p.item->IsDisabled() ? menu->DisabledColour : p.highlighted ? menu->HighlightColour : menu->TextColour;
}

// The choice's two arrows in the value part: bright when it can move that way.
void ChoiceArrows(const ItemPlace& p, const CMenuChoiceItem* choice) {
  if (g_PanelSprites == nullptr) return;
  const float w0 = g_InterfaceSprites != nullptr ? g_InterfaceSprites->GetScaledWidth(0) : 0.0f;
  const float y = p.y + p.height / 2.0f;
  g_PanelSprites->SetAlpha(p.highlighted && choice->Current > 0 ? 255 : 127);
  DrawArrow(p.x + 1.5f * w0, y, 3);
  g_PanelSprites->SetAlpha(p.highlighted && choice->Current + 1 < choice->Count ? 255 : 127);
  DrawArrow(p.x + p.width - 1.5f * w0, y, 1);
  g_PanelSprites->SetAlpha(255);
}

// A string in a colour at (x, baseline y), the font's colour put back.
void DrawIn(CFont* font, const char* text, int x, int y, std::uint32_t colour, int cursor) {
  if (font == nullptr || font->Sprites == nullptr || text == nullptr) return;
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
  font->SetColour(colour);
  if (cursor >= 0)
    font->DrawStringWithCursor(text, cursor, x, y);
  else
    font->DrawString(text, x, y, 0);
  glyphs->Colour = savedColour;
  glyphs->DrawColour = savedDraw;
}

int TextBaseline(const CFont* font, const ItemPlace& p) {
  const float o = GetFontTextOffset(font);
  return static_cast<int>(o + (p.height - o) * 0.5f + p.y);
}

CMenuScreen* Screen(void* owner) { return static_cast<CMenuScreen*>(owner); }

}  // namespace

void DrawButtonItem(CMenuScreen* screen, std::uint16_t id, int x, int y) {
  ItemPlace p;
  if (!Begin(screen, id, x, y, &p)) return;
  screen->DrawItemText(p.item, ValueRect(p), screen->Menu->Font, p.highlighted ? 1 : 0);
}

void DrawSliderItem(CMenuScreen* screen, std::uint16_t id, int x, int y) {
  ItemPlace p;
  if (!Begin(screen, id, x, y, &p) || p.item->Kind != MENU_ITEM_SLIDER) return;
  const auto* slider = static_cast<const CMenuSliderItem*>(p.item);
  CFont* large = g_LargeFont;
  const float g = large != nullptr ? static_cast<float>(std::max(large->GetStringWidth("+"), large->GetStringWidth("-")))
                                   : 0.0f;
  const int b = static_cast<int>(InterfaceScaleY() * 16.0f);
  const int barX1 = static_cast<int>(p.x + 3.0f * g), barX2 = static_cast<int>(p.x + p.width - 3.0f * g);
  const int barY = static_cast<int>(p.y + (p.height - static_cast<float>(b)) / 2.0f);
  const int barW = std::max(0, barX2 - barX1);
  const int filled = slider->SliderMax > 0 ? barW * slider->SliderValue / slider->SliderMax : 0;
  DrawQuad2D(barX1, barY, filled, b, 255, 255, 0, 255, 1, 0);
  DrawQuad2D(barX1 + filled, barY, barW - filled, b, 255, 255, 0, 63, 1, 0);
  if (large == nullptr) return;
  const float baseline = static_cast<float>(large->GetBaselineOffset());
  const float sy = InterfaceScaleY();
  const int minusY = static_cast<int>(static_cast<float>(barY) + baseline + static_cast<float>(b) / 2.0f) -
                     static_cast<int>(sy * 18.0f);
  const int plusY = static_cast<int>(static_cast<float>(barY) + baseline + static_cast<float>(b) / 2.0f) -
                    static_cast<int>(sy * 16.0f);
  const float minusW = static_cast<float>(large->GetStringWidth("-"));
  const float plusW = static_cast<float>(large->GetStringWidth("+"));
  DrawIn(large, "-", static_cast<int>(p.x + g + (g - minusW) / 2.0f), minusY, screen->Menu->TextColour, -1);
  DrawIn(large, "+", static_cast<int>(p.x + p.width - 2.0f * g + (g - plusW) / 2.0f), plusY, screen->Menu->TextColour,
         -1);
}

void DrawChoiceItem(CMenuScreen* screen, std::uint16_t id, int x, int y) {
  ItemPlace p;
  if (!Begin(screen, id, x, y, &p) || p.item->Kind != MENU_ITEM_CHOICE) return;
  screen->DrawItemText(p.item, ValueRect(p), screen->Menu->Font, p.highlighted ? 1 : 0);
  ChoiceArrows(p, static_cast<const CMenuChoiceItem*>(p.item));
}

void DrawChoiceItemString(CMenuScreen* screen, std::uint16_t id, int x, int y, const char* text) {
  ItemPlace p;
  if (!Begin(screen, id, x, y, &p) || p.item->Kind != MENU_ITEM_CHOICE) return;
  CFont* font = g_MainFont;
  if (text != nullptr && font != nullptr) {
    char shown[256];
    std::strncpy(shown, text, sizeof shown - 1);
    shown[sizeof shown - 1] = '\0';
    std::size_t length = std::strlen(shown);
    while (length > 0 && static_cast<float>(font->GetStringWidth(shown)) > p.width - 64.0f) shown[--length] = '\0';
    const float w = static_cast<float>(font->GetStringWidth(shown));
    DrawIn(font, shown, static_cast<int>(p.x + (p.width - w) / 2.0f), TextBaseline(font, p),
           ItemColour(screen->Menu, p), -1);
  }
  ChoiceArrows(p, static_cast<const CMenuChoiceItem*>(p.item));
}

void DrawEditItem(CMenuScreen* screen, std::uint16_t id, int x, int y) {
  ItemPlace p;
  if (!Begin(screen, id, x, y, &p) || p.item->Kind != MENU_ITEM_EDIT) return;
  const auto* edit = static_cast<const CMenuEditItem*>(p.item);
  CFont* font = screen->Menu->Font;
  if (edit->Buffer == nullptr || font == nullptr) return;
  const float inset = static_cast<float>(static_cast<int>(InterfaceScaleX() * 40.0f));
  const float left = p.x + inset, right = p.x + p.width - inset;
  const float w = static_cast<float>(font->GetStringWidth(edit->Buffer));
  float tx = left;
  if (edit->Flags & MENU_ITEM_CENTRED)
    tx = left + (right - left - w) / 2.0f;
  else if (edit->Flags & MENU_ITEM_RIGHT)
    tx = right - w;
  DrawIn(font, edit->Buffer, static_cast<int>(tx), TextBaseline(font, p), screen->Menu->HighlightColour,
         p.highlighted ? edit->Cursor : -1);
}

void ButtonItemCallback(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  DrawButtonItem(Screen(owner), id, x, y);
}
void SliderItemCallback(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  DrawSliderItem(Screen(owner), id, x, y);
}
void ChoiceItemCallback(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  DrawChoiceItem(Screen(owner), id, x, y);
}
void EditItemCallback(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  DrawEditItem(Screen(owner), id, x, y);
}
