#include "menus/drawing/name_editor_rows.h"

#include "foundation/system/not_built_yet.h"
#include "menus/drawing/soldier_portrait.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/screen_menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

constexpr int kRowCell = 61;

void DrawText(CFont* font, const char* text, int x, int y, std::uint32_t colour, int cursor) {
  if (font == nullptr || font->Sprites == nullptr || text == nullptr) return;
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t saved = glyphs->Colour, savedDraw = glyphs->DrawColour;
  font->SetColour(colour);
  if (cursor >= 0)
    font->DrawStringWithCursor(text, cursor, x, y);
  else
    font->DrawString(text, x, y, 0);
  glyphs->Colour = saved;
  glyphs->DrawColour = savedDraw;
}

// The soldier a row stands for, as the portrait needs it (the units' soldier
// records come with their issue; until then rows show no portrait).
SoldierLook LookOfRow(std::uint32_t /*soldier*/) {
  NotBuiltYet("soldier portraits of the squad-name editor");
  return SoldierLook{};
}

}  // namespace

void DrawNameEditorRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void*) {
  CScreenMenu* menu = SquadNameMenu(0);
  if (menu == nullptr || g_InterfaceSprites == nullptr) return;
  auto* item = static_cast<CMenuEditItem*>(menu->FindItem(id));
  if (item == nullptr) return;
  const bool selected = item == menu->SelectedItem();
  const bool lit = selected && (ScreenId == 11 || ScreenId == 12);
  const std::uint32_t colour = g_InterfaceSprites->Colour, drawColour = g_InterfaceSprites->DrawColour;
  g_InterfaceSprites->SetAlpha(lit ? 178 : 127);
  g_InterfaceSprites->Draw(kRowCell, x, y);
  g_InterfaceSprites->Colour = colour;
  g_InterfaceSprites->DrawColour = drawColour;
  DrawSoldierPortrait(LookOfRow(item->Value), x, y, 255);
  CFont* font = menu->Font;
  if (font == nullptr || item->Buffer == nullptr) return;
  const int textX = x + static_cast<int>(InterfaceScaleY() * 18.0f + 0.5f) +
                    static_cast<int>(g_InterfaceSprites->GetScaledWidth(kRowCell));
  const int rowH = static_cast<int>(g_InterfaceSprites->GetScaledHeight(kRowCell));
  const int textY = y + (rowH + font->GetStringHeight(item->Buffer)) / 2;
  const bool editing = selected && ScreenId == 11;
  DrawText(font, item->Buffer, textX, textY, editing ? menu->HighlightColour : menu->TextColour,
           editing ? item->Cursor : -1);
}

void DrawSecondNameRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void*) {
  CScreenMenu* menu = SquadNameMenu(1);
  if (menu == nullptr || menu->Font == nullptr) return;
  auto* item = static_cast<CMenuEditItem*>(menu->FindItem(id));
  if (item == nullptr || item->Buffer == nullptr) return;
  CFont* font = menu->Font;
  int h = font->GetStringHeight(item->Buffer);
  if (h == 0) h = font->GetLineHeight();
  const int rowH = g_InterfaceSprites != nullptr ? static_cast<int>(g_InterfaceSprites->GetScaledHeight(kRowCell)) : 0;
  const bool editing = item == menu->SelectedItem() && ScreenId == 12;
  DrawText(font, item->Buffer, x, y + rowH - h, editing ? menu->HighlightColour : menu->TextColour,
           editing ? item->Cursor : -1);
}
