#include "menus/drawing/paused_banner.h"

#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

void DrawPausedBanner(int flag) {
  CFont* font = g_LargeFont;
  const char* text = CMenu::TextOf(flag != 0 ? kTextPausedNetwork : kTextPaused);
  if (font == nullptr || font->Sprites == nullptr || text == nullptr) return;
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  glyphs->SetScale(200.0f);
  font->SetColour(0xA0C00000);
  // Centred across and down the band: the text's lines measured first.
  const FontRect band = {0, 150, ScreenWidth(), ScreenHeight() - 150};
  const float used = font->DrawStringInRect(text, &band, 1, 1, 0);
  const int top = 150 + (band.y2 - band.y1 - static_cast<int>(used)) / 2;
  const FontRect rect = {0, top, ScreenWidth(), band.y2};
  font->DrawStringInRect(text, &rect, 1, 1, 1);
  glyphs->SetScale(100.0f);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}
