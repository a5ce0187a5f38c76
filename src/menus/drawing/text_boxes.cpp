#include "menus/drawing/text_boxes.h"

#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

void DrawTextBox(const char* text, int x, int y, int width, int large) {
  CFont* font = large != 0 ? g_LargeFont : g_MainFont;
  if (text == nullptr || font == nullptr || font->Sprites == nullptr) return;
  const float sy = InterfaceScaleY();
  const int line = large != 0 ? static_cast<int>(sy * 50.0f + 0.5f) : static_cast<int>(sy * 18.0f + 0.5f);
  const int d = large != 0 ? line : 2 * line;
  const FontRect rect = {x, y + d, x + width, y + d + 10 * line};
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  font->SetColour(0xFFFFFFFF);
  font->DrawStringInRect(text, &rect, 1, 1, 1);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}

void DrawLocaleText(std::uint32_t textId, int x, int y, int width, int large) {
  DrawTextBox(CMenu::TextOf(textId), x, y, width, large);
}

void DrawFramedBox(int x, int y, int width, int height, int style, int fadeStep) {
  if (g_PanelSprites == nullptr) return;
  g_PanelSprites->SetAlpha(fadeStep * 25);
  const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
  const float x2 = static_cast<float>(x + width), y2 = static_cast<float>(y + height);
  if (style != 0)
    DrawFrameA(x1, y1, x2, y2);
  else
    DrawFrameB(x1, y1, x2, y2);
  g_PanelSprites->SetAlpha(255);
}

void DrawFramedPanel(int x, int y, int width, int height, int divider) {
  if (g_PanelSprites == nullptr) return;
  g_PanelSprites->SetAlpha(153);
  DrawFrameF(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
             static_cast<float>(y + height), divider);
  g_PanelSprites->SetAlpha(255);
}

void DrawMenuItemText(CMenu* menu, std::uint16_t id, const char* text, int x, int y) {
  if (menu == nullptr || menu->Font == nullptr || menu->Font->Sprites == nullptr || text == nullptr) return;
  CSpriteRender* glyphs = menu->Font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  menu->Font->SetColour(id == menu->SelectedId ? menu->HighlightColour : menu->TextColour);
  menu->Font->DrawString(text, x, y, 0);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}
