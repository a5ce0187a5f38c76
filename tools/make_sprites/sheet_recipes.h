// Sprite sets drawn from recipes: a text that names each set (its sprite
// file, its page picture and its cell count) and tells how each cell is
// drawn: flat boxes, frame corners and edges, bar ends and bands, arrows,
// glyphs and digits of the demo font, particle frames, the moon and the mouse
// cursor.  Colours are flat and given in the text, so that what a program
// draws with a cell can be recognised by its colour.
//
// Text (blank lines and lines starting with '#' are skipped; colours are
// eight hexadecimal digits AARRGGBB; <cells> is one cell "n" or a range "a-b"):
//   sheet <sprite file> <page picture> <cell count>   starts a set
//   box <cells> <w> <h> <fill> [<border>]             a box with a one-pixel border
//   corner <cells> <w> <h> <fill> <rim>               rim two pixels wide along the top and left sides
//   edge <cells> <w> <h> <fill> <rim>                 rim two pixels wide along the top side
//   barend <cells> <w> <h> <fill> <rim>               a quarter disc about the bottom-right corner, rimmed
//   arrow <cells> <w> <h> <colour> left|right|up|down a triangle pointing that way
//   glyph <cell> small|large <character> <colour>     a glyph of the glyph list, hot spot at its top left
//   digits <first cell> small|large <colour>          the ten digits 0-9 as glyphs from the first cell on
//   font small|large <colour>                         the font cells: small c at cell c (c < 128, lower
//                                                     case drawn as upper case), large c at 128 + c - 32
//                                                     (c in 33..126); glyphs hang from the baseline
//   particles <first cell>                            the frames of the particle sheet
//   disc <cell> <size> <colour>                       a round disc, hot spot at its centre
//   cursor <cell>                                     the mouse pointer, hot spot at its tip
//   hot <cells> <x> <y>                               the hot spot of cells already drawn
// Cells no line draws are blank (one transparent pixel).  The small font is
// the glyph list at scale 2, the large one at scale 3.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make_sprites/sprite_sheet.h"

struct RecipeSheet {
  std::string name;  // the sprite file, e.g. "GWInt.img"
  std::string page;  // its page picture, e.g. "GWInt.tga"
  std::vector<SheetCell> cells;
};

// Draws every set of the recipe text with the glyph list and the particle
// sheet.  False with a message naming the line in error for a malformed
// line, a cell outside its set, or sources that cannot be read.
bool ReadSheetRecipes(const std::string& recipes, const std::string& glyphs, const std::string& particles,
                      std::vector<RecipeSheet>* sheets, std::string* error);

// The fill colour a recipe gives a cell of a set (the colour of boxes,
// corners, edges, bar ends, arrows and glyphs); false when the set or the
// cell has no flat colour.  For readers that recognise cells by colour.
bool RecipeCellColour(const std::string& recipes, const std::string& sheet, int cell, std::uint32_t* colour);
