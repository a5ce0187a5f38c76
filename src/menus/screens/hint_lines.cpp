// The two hint lines at the foot of a menu screen.
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

void DrawHintLines(std::uint32_t left, std::uint32_t right) {
  CFont* font = g_MainFont;
  if (font == nullptr || font->Sprites == nullptr) return;
  // The rectangle from (50, 550) to (750, 550 + 10 lines) of the reference screen.
  const int line = static_cast<int>(InterfaceScaleY() * 18.0f + 0.5f);
  const int top = RefY(550);
  const FontRect rect = {RefX(50), top, RefX(750), top + 10 * line};
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  font->SetColour(0xFFFFFFFF);
  if (const char* text = left != 0 ? CMenu::TextOf(left) : nullptr) font->DrawStringInRect(text, &rect, 0, 1, 1);
  if (const char* text = right != 0 ? CMenu::TextOf(right) : nullptr) font->DrawStringInRect(text, &rect, 2, 1, 1);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}
