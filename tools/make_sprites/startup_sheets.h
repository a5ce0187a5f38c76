// The sprite sets the game loads at start-up, drawn from the recipes of
// "sheets.txt" (see sheet_recipes.h) with the demo font's glyph list and the
// particle sheet: the font set (two fonts over one set), the interface cells,
// the two panel frame sets, the effects set, the title sheet of menu levels
// and the menu backdrop.  Their pages are packed with a bleed frame around
// every cell (turned draws of the frames and bars read one texel past a cell).
#pragma once

#include <string>
#include <vector>

#include "make_sprites/sprite_sheet.h"

// Cells of one start-up sprite set, in sprite order.
struct StartupSheet {
  std::string name;  // the sprite file, e.g. "VHBFont.img"
  std::string page;  // its page picture, e.g. "VHBFont.tga"
  std::vector<SheetCell> cells;
};

// Sprites of the font set: 256 cells.  Cell c (c < 128) is the glyph of
// character code c in the small font (lower case drawn as upper case);
// cell 128 + c - 32 (c in 33..126) the glyph of code c in the large font;
// every other cell is blank.
inline constexpr int kFontSetCells = 256;
// Cells of the interface set (HUD pieces, digits at 0-9 and 73-82, "/" at 19).
inline constexpr int kInterfaceCells = 107;
// Cells of each panel frame set (corners, edges, bars and arrows).
inline constexpr int kPanelCells = 22;
// Cells of the effects set: the particle frames from 0, then the moon at 81
// and the mouse cursor at 82.
inline constexpr int kEffectsCells = 83;
inline constexpr int kEffectsMoonCell = 81;
inline constexpr int kEffectsCursorCell = 82;
// Cells of the title sheet of menu levels ("NewLogo.img").
inline constexpr int kLogoCells = 13;

// Builds the sets of the recipe text.  False with a message in error when a
// source is malformed, a set the game loads is missing or has too few cells,
// the particle frames reach the moon's cell, or a set does not fit its page.
bool MakeStartupSheets(const std::string& recipes, const std::string& glyphs, const std::string& particles,
                       std::vector<StartupSheet>* sheets, std::string* error);
