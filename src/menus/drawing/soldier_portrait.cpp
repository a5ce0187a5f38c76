#include "menus/drawing/soldier_portrait.h"

#include <cstdio>

#include "menus/draw_quad_2d.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

void DrawSoldierPortrait(const SoldierLook& soldier, int x, int y, int alpha) {
  const int px = x + RefX(5), py = y + RefY(5);
  if (soldier.faceTexture != nullptr) {
    const std::uint32_t colour = (static_cast<std::uint32_t>(alpha & 0xFF) << 24) | 0xFFFFFFu;
    DrawTexturedQuad2D(px, py, static_cast<int>(40.0f * InterfaceScaleX()), static_cast<int>(40.0f * InterfaceScaleY()),
                       colour, soldier.faceTexture, 0.0f, 0.0f, 0.625f, 0.625f);
    return;
  }
  if (g_InterfaceSprites != nullptr && soldier.portraitCell >= 0) g_InterfaceSprites->Draw(soldier.portraitCell, px, py);
}

void DrawSoldierLevel(const CMenu* menu, const SoldierLook& soldier, int x, int y) {
  if (menu == nullptr || menu->Font == nullptr || menu->Font->Sprites == nullptr) return;
  char text[16];
  std::snprintf(text, sizeof text, "(%d)", soldier.experienceLevel % 10);
  CSpriteRender* glyphs = menu->Font->Sprites;
  const std::uint32_t colour = glyphs->Colour, drawColour = glyphs->DrawColour;
  menu->Font->SetColour(0xFFFFFFFF);
  menu->Font->DrawString(text, x, y, 0);
  glyphs->Colour = colour;
  glyphs->DrawColour = drawColour;
}
