// The start-up sprite sets: their cell counts and the cells the game names.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "make_sprites/startup_sheets.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(StartupSheets, EachSetHasTheCellsTheGameUses) {
  std::vector<StartupSheet> sheets;
  std::string error;
  const std::string glyphs = "A 0E 11 11 1F 11 11 11\n1 04 0C 04 04 04 04 0E\n/ 01 02 02 04 08 08 10\n";
  const std::string particles = "size 8\nframes 0 2 glow FFFFFF\n";
  ASSERT_TRUE(MakeStartupSheets(glyphs, particles, &sheets, &error)) << error;
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
  EXPECT_EQ(font.cells['B'].width, 1);  // no glyph: a blank cell
  for (int i = 0; i < kFontSetCells; ++i) EXPECT_EQ(font.cells[static_cast<std::size_t>(i)].value, i);
  EXPECT_EQ(sheets[1].cells.size(), static_cast<std::size_t>(kInterfaceCells));
  EXPECT_EQ(sheets[1].cells[1].width, 10);   // the digit 1
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
  std::vector<StartupSheet> sheets;
  std::string error;
  ASSERT_TRUE(MakeStartupSheets(Read(folder + "glyphs.txt"), Read(folder + "particles.txt"), &sheets, &error)) << error;
  EXPECT_EQ(sheets[4].cells.size(), static_cast<std::size_t>(kEffectsCells));
  // A particle sheet whose frames reach the moon's cell is refused.
  EXPECT_FALSE(MakeStartupSheets(Read(folder + "glyphs.txt"), "size 4\nframes 0 81 glow FFFFFF\n", &sheets, &error));
}

}  // namespace
