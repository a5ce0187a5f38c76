// The start-up sprite sets drawn from their recipes: the cell counts and the
// cells the game names, the recipe words, and malformed recipes refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "make_sprites/sheet_recipes.h"
#include "make_sprites/startup_sheets.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::string kGlyphs = "A 0E 11 11 1F 11 11 11\n1 04 0C 04 04 04 04 0E\n/ 01 02 02 04 08 08 10\n";
const std::string kParticles = "size 8\nframes 0 2 glow FFFFFF\n";

// The smallest recipes the game accepts.
const std::string kRecipes =
    "sheet VHBFont.img VHBFont.tga 256\nfont small FFFFFFFF\nfont large FFFFFFFF\n"
    "sheet GWInt.img GWInt.tga 107\ndigits 0 small FFFFFFFF\ndigits 73 large FFFFFFFF\nglyph 19 small / FFFFFFFF\n"
    "sheet 8060.img 8060.tga 22\nbox 0-21 16 16 FF102030\n"
    "sheet 6448.img 6448.tga 22\nbox 0-21 12 12 FF102030\n"
    "sheet Effects.img Effects.tga 83\nparticles 0\ndisc 81 32 FFF0F0E0\ncursor 82\n"
    "sheet NewLogo.img NewLogo.tga 13\nbox 0-12 48 48 FF203040 FFE0E0D0\n";

TEST(StartupSheets, EachSetHasTheCellsTheGameUses) {
  std::vector<StartupSheet> sheets;
  std::string error;
  ASSERT_TRUE(MakeStartupSheets(kRecipes, kGlyphs, kParticles, &sheets, &error)) << error;
  ASSERT_EQ(sheets.size(), 6u);
  EXPECT_EQ(sheets[5].name, "NewLogo.img");
  EXPECT_EQ(sheets[5].cells.size(), static_cast<std::size_t>(kLogoCells));
  const StartupSheet& font = sheets[0];
  EXPECT_EQ(font.name, "VHBFont.img");
  ASSERT_EQ(font.cells.size(), static_cast<std::size_t>(kFontSetCells));
  // 'A' and 'a' in the small font (10 x 14), 'A' in the large one at 128 + 'A' - 32 (15 x 21).
  EXPECT_EQ(font.cells['A'].width, 10);
  EXPECT_EQ(font.cells['a'].width, 10);
  EXPECT_EQ(font.cells[128 + 'A' - 32].width, 15);
  EXPECT_EQ(font.cells['A'].hotY, -14);  // glyphs hang from the baseline
  EXPECT_EQ(font.cells['B'].width, 1);   // no glyph: a blank cell
  for (int i = 0; i < kFontSetCells; ++i) EXPECT_EQ(font.cells[static_cast<std::size_t>(i)].value, i);
  EXPECT_EQ(sheets[1].cells.size(), static_cast<std::size_t>(kInterfaceCells));
  EXPECT_EQ(sheets[1].cells[1].width, 10);   // the digit 1
  EXPECT_EQ(sheets[1].cells[1].hotY, 0);     // interface digits are placed by their top left
  EXPECT_EQ(sheets[1].cells[74].width, 15);  // the large digit 1
  EXPECT_EQ(sheets[1].cells[19].width, 10);  // "/"
  EXPECT_EQ(sheets[2].name, "8060.img");
  EXPECT_EQ(sheets[2].cells.size(), static_cast<std::size_t>(kPanelCells));
  EXPECT_EQ(sheets[3].name, "6448.img");
  EXPECT_EQ(sheets[3].cells[12].height, 12);
  EXPECT_EQ(sheets[2].cells[12].height, 16);
  const StartupSheet& effects = sheets[4];
  ASSERT_EQ(effects.cells.size(), static_cast<std::size_t>(kEffectsCells));
  EXPECT_EQ(effects.cells[0].width, 8);  // particle frame 0
  EXPECT_EQ(effects.cells[kEffectsMoonCell].width, 32);
  EXPECT_EQ(effects.cells[kEffectsCursorCell].hotX, 0);
  EXPECT_EQ(effects.cells[kEffectsCursorCell].hotY, 0);
}

TEST(StartupSheets, TheRepositorysSourcesMakeEverySet) {
  const std::string folder = std::string(CATALOG_MANIFESTS) + "/../";
  const std::string recipes = Read(folder + "sheets.txt");
  std::vector<StartupSheet> sheets;
  std::string error;
  ASSERT_TRUE(MakeStartupSheets(recipes, Read(folder + "glyphs.txt"), Read(folder + "particles.txt"), &sheets,
                                &error))
      << error;
  ASSERT_GE(sheets.size(), 7u);
  EXPECT_EQ(sheets[4].cells.size(), static_cast<std::size_t>(kEffectsCells));
  // Every frame and bar cell of both panel sets is drawn, in a colour of its own.
  for (const char* panel : {"8060.img", "6448.img"}) {
    std::vector<std::uint32_t> seen;
    for (int cell = 0; cell < kPanelCells; ++cell) {
      std::uint32_t colour = 0;
      ASSERT_TRUE(RecipeCellColour(recipes, panel, cell, &colour)) << panel << " " << cell;
      EXPECT_EQ(std::count(seen.begin(), seen.end(), colour), 0) << panel << " " << cell;
      seen.push_back(colour);
    }
  }
  // A particle sheet whose frames reach the moon's cell is refused.
  EXPECT_FALSE(MakeStartupSheets(recipes, Read(folder + "glyphs.txt"), "size 4\nframes 0 81 glow FFFFFF\n", &sheets,
                                 &error));
}

TEST(SheetRecipes, EachRecipeDrawsItsShape) {
  const std::string recipes =
      "sheet T.img T.tga 8\n"
      "box 0 4 3 FF112233 FF445566\n"
      "corner 1 4 4 FF000001 FF000002\n"
      "edge 2 4 4 FF000003 FF000004\n"
      "barend 3 8 8 FF000005 FF000006\n"
      "arrow 4 8 8 FF000007 left\n"
      "glyph 5 large A FF00FF00\n"
      "disc 6 10 FF000008\n"
      "hot 0-1 2 -3\n";
  std::vector<RecipeSheet> sheets;
  std::string error;
  ASSERT_TRUE(ReadSheetRecipes(recipes, kGlyphs, kParticles, &sheets, &error)) << error;
  ASSERT_EQ(sheets.size(), 1u);
  const std::vector<SheetCell>& c = sheets[0].cells;
  auto at = [&](int cell, int x, int y) { return c[cell].pixels[static_cast<std::size_t>(y * c[cell].width + x)]; };
  EXPECT_EQ(at(0, 0, 0), 0xFF445566u);  // the border
  EXPECT_EQ(at(0, 1, 1), 0xFF112233u);  // the fill
  EXPECT_EQ(c[0].hotX, 2);
  EXPECT_EQ(c[1].hotY, -3);
  EXPECT_EQ(at(1, 0, 3), 0xFF000002u);  // the corner's rim runs down its left side
  EXPECT_EQ(at(1, 3, 3), 0xFF000001u);
  EXPECT_EQ(at(2, 0, 3), 0xFF000003u);  // the edge's only along its top
  EXPECT_EQ(at(2, 3, 0), 0xFF000004u);
  EXPECT_EQ(at(3, 0, 0), 0u);           // the bar end's corner is cut round
  EXPECT_EQ(at(3, 7, 7), 0xFF000005u);
  EXPECT_EQ(at(4, 1, 4), 0xFF000007u);  // a left arrow's tip on the left
  EXPECT_EQ(at(4, 7, 0), 0xFF000007u);  // its base on the right, full height
  EXPECT_EQ(at(4, 1, 0), 0u);
  EXPECT_EQ(c[5].width, 15);            // a large glyph, tinted
  EXPECT_EQ(at(5, 5, 0), 0xFF00FF00u);
  EXPECT_EQ(c[6].hotX, 5);
  EXPECT_EQ(c[7].width, 1);             // an undrawn cell stays blank
  std::uint32_t colour = 0;
  EXPECT_TRUE(RecipeCellColour(recipes, "T.img", 4, &colour));
  EXPECT_EQ(colour, 0xFF000007u);
  EXPECT_FALSE(RecipeCellColour(recipes, "T.img", 7, &colour));
  EXPECT_FALSE(RecipeCellColour(recipes, "U.img", 0, &colour));
}

TEST(SheetRecipes, MalformedLinesAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"box 0 4 4 FF000000\n", "line 1: a cell before any sheet"},
      {"sheet T.img T.tga 2\nbox 2 4 4 FF000000\n", "line 2: cell 2 outside the set"},
      {"sheet T.img T.tga 2\nbox 0 4 FF000000\n", "line 2: expected box"},
      {"sheet T.img T.tga 2\n\n# note\ncorner 0 4 4 FF000000\n", "line 4: expected corner"},
      {"sheet T.img T.tga 2\narrow 0 4 4 FF000000 sideways\n", "line 2: expected arrow"},
      {"sheet T.img T.tga 2\narrow 0 65535 65535 FF000000 up\n", "line 2: expected arrow"},  // cells stay small
      {"sheet T.img T.tga 2\nbox 0 257 4 FF000000\n", "line 2: expected box"},
      {"sheet T.img T.tga 2\nbox 0 4 4 GG000000\n", "line 2: expected box"},
      {"sheet T.img T.tga 2\nglyph 0 medium A FFFFFFFF\n", "line 2: expected glyph"},
      {"sheet T.img T.tga 2\nsparkle 0\n", "line 2: unknown recipe \"sparkle\""},
      {"sheet T.img T.tga 0\n", "line 1: expected sheet"},
  };
  for (const Case& c : cases) {
    std::vector<RecipeSheet> sheets;
    std::string error;
    EXPECT_FALSE(ReadSheetRecipes(c.text, kGlyphs, kParticles, &sheets, &error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  // A set the game loads that is missing is named.
  std::vector<StartupSheet> startup;
  std::string error;
  EXPECT_FALSE(MakeStartupSheets("sheet VHBFont.img VHBFont.tga 256\n", kGlyphs, kParticles, &startup, &error));
  EXPECT_NE(error.find("GWInt.img"), std::string::npos) << error;
}

}  // namespace
