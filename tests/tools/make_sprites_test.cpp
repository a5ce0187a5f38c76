// The sprite-sheet tool: glyph lists and pixel-art sheets into cells, cells
// packed on a page, and the sprite file it writes read back by the engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "make_sprites/sprite_sheet.h"
#include "render/2d/sprite_render.h"

TEST(MakeSprites, GlyphListGivesScaledWhiteGlyphs) {
  std::vector<SheetCell> cells;
  std::string error;
  ASSERT_TRUE(ReadGlyphList("# comment\n\nA 0E 11 11 1F 11 11 11\n- 00 00 00 1F 00 00 00\r\n", 2, &cells, &error)) << error;
  ASSERT_EQ(cells.size(), 2u);
  const SheetCell& a = cells[0];
  EXPECT_EQ(a.value, 'A');
  EXPECT_EQ(a.width, 10);
  EXPECT_EQ(a.height, 14);
  EXPECT_EQ(a.hotY, -14);
  EXPECT_EQ(a.pixels[0], 0u);                // row 0 is .###.
  EXPECT_EQ(a.pixels[2], 0xFFFFFFFFu);
  EXPECT_EQ(a.pixels[3], 0xFFFFFFFFu);       // one glyph pixel is 2 x 2
  EXPECT_EQ(a.pixels[6 * 10 + 0], 0xFFFFFFFFu);  // row 3 is #####
  EXPECT_EQ(cells[1].pixels[6 * 10 + 0], 0xFFFFFFFFu);
  EXPECT_EQ(cells[1].pixels[0], 0u);

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {{"A 0E 11\n", "glyph list line 1: expected a character and seven hex rows"},
                     {"\nAB 0 0 0 0 0 0 0\n", "glyph list line 2: expected a character and seven hex rows"}};
  for (const Bad& b : bad) {
    std::vector<SheetCell> none;
    EXPECT_FALSE(ReadGlyphList(b.text, 1, &none, &error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

TEST(MakeSprites, PixelSheets) {
  std::vector<SheetCell> cells;
  std::string error;
  ASSERT_TRUE(ReadPixelSheet("scale 2\ncolour R FF0000\nsprite 5\nR.\n.R\nend\n", &cells, &error)) << error;
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0].value, 5);
  EXPECT_EQ(cells[0].width, 4);
  EXPECT_EQ(cells[0].pixels[0], 0xFFFF0000u);
  EXPECT_EQ(cells[0].pixels[1], 0xFFFF0000u);
  EXPECT_EQ(cells[0].pixels[2], 0u);
  EXPECT_EQ(cells[0].pixels[15], 0xFFFF0000u);

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {{"sprite 1\nX\nend\n", "sheet line 3: unknown colour 'X'"},
                     {"colour R FF0000\nsprite 1\nRR\nR\nend\n", "sheet line 4: rows of different lengths"},
                     {"sprite 1\n..\n", "sheet line 2: sprite without end"},
                     {"scale 0\n", "sheet line 1: bad scale"},
                     {"banana\n", "sheet line 1: unknown word 'banana'"}};
  for (const Bad& b : bad) {
    std::vector<SheetCell> none;
    EXPECT_FALSE(ReadPixelSheet(b.text, &none, &error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

TEST(MakeSprites, PackedSheetReadsBackAsASpriteFile) {
  SpriteSheet sheet;
  SheetCell wide{1, 230, 10, 0, 0, std::vector<std::uint32_t>(2300, 0xFF00FF00)};
  SheetCell small{2, 30, 20, -3, -4, std::vector<std::uint32_t>(600, 0xFF0000FF)};
  ASSERT_TRUE(sheet.Add(wide));
  ASSERT_TRUE(sheet.Add(small));  // no room beside the wide one: next row
  SheetCell tall{3, 10, 250, 0, 0, std::vector<std::uint32_t>(2500, 0)};
  EXPECT_FALSE(sheet.Add(tall));  // beyond the page
  const auto folder = std::filesystem::temp_directory_path() / "halberd_make_sprites_test";
  std::filesystem::create_directories(folder);
  const auto spr = (folder / "set.spr").string();
  ASSERT_TRUE(sheet.WriteSpriteFile(spr, "page.tga"));
  ASSERT_TRUE(sheet.WritePage((folder / "page.tga").string()));
  std::ifstream in(spr, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::filesystem::file_size(folder / "page.tga"), 18u + 256 * 256 * 4);
  std::filesystem::remove_all(folder);

  ByteReader reader(bytes.data(), bytes.size());
  SpriteFileData data;
  ASSERT_TRUE(ParseSpriteFile(reader, &data));
  EXPECT_EQ(reader.Remaining(), 0u);
  ASSERT_EQ(data.Header.SpriteCount, 2);
  EXPECT_EQ(data.Header.PageCount, 1);
  EXPECT_STREQ(data.Header.PageNames[0], "page.tga");
  EXPECT_EQ(data.Sprites[1].Value, 2);
  EXPECT_EQ(data.Sprites[1].X, 0);
  EXPECT_EQ(data.Sprites[1].Y, 11);
  EXPECT_EQ(data.Sprites[1].Width, 30);
  EXPECT_EQ(data.Sprites[1].HotX, -3);
  EXPECT_EQ(data.Sprites[1].HotY, -4);
  MEM_DELETE_ARRAY data.Sprites;
}

TEST(MakeSprites, ParticleSheetGivesCentredSoftFramesInOrder) {
  std::vector<SheetCell> cells;
  std::string error;
  ASSERT_TRUE(ReadParticleSheet("size 16\nframes 0 1 glow FFFFFF\n# fire\nframes 2 5 fire FFFF00 FF0000\n", &cells,
                                &error))
      << error;
  ASSERT_EQ(cells.size(), 6u);
  auto alpha = [](const SheetCell& c, int x, int y) { return c.pixels[static_cast<std::size_t>(y * c.width + x)] >> 24; };
  for (std::size_t f = 0; f < cells.size(); ++f) {
    const SheetCell& c = cells[f];
    EXPECT_EQ(c.value, f);
    EXPECT_EQ(c.width, 16);
    EXPECT_EQ(c.hotX, -8) << "centred on the particle's position";
    EXPECT_EQ(c.hotY, -8);
    EXPECT_EQ(alpha(c, 0, 0), 0u) << "corners are clear, so no square edge shows";
    EXPECT_GT(alpha(c, 8, 8), 0u) << "the middle is not";
  }
  EXPECT_GT(alpha(cells[0], 8, 8), alpha(cells[0], 12, 8)) << "a glow fades outwards";
  // The fireball's frames fade from its first to its last.
  int first = 0, last = 0;
  for (std::uint32_t p : cells[2].pixels) first += static_cast<int>(p >> 24);
  for (std::uint32_t p : cells[5].pixels) last += static_cast<int>(p >> 24);
  EXPECT_LT(last, first);

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {{"frames 0 0 glow FFFFFF\n", "particle sheet line 1: frames before the size"},
                     {"size 16\nframes 0 0 mist FFFFFF\n", "particle sheet line 2: unknown look 'mist'"},
                     {"size 16\nframes 0 1 glow FFFFFF\nframes 1 2 glow FFFFFF\n", "particle sheet line 3: frame 1 given twice"},
                     {"size 16\nframes 1 1 glow FFFFFF\n", "particle sheet: frame 0 is missing"},
                     {"size 99\n", "particle sheet line 1: bad size"}};
  for (const Bad& b : bad) {
    std::vector<SheetCell> none;
    EXPECT_FALSE(ReadParticleSheet(b.text, &none, &error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

TEST(MakeSprites, ABleedFrameRepeatsEachCellsEdgesAroundIt) {
  SpriteSheet sheet(true);
  // A 2 x 2 cell: red, green / blue, white.
  SheetCell cell{1, 2, 2, 0, 0, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}};
  ASSERT_TRUE(sheet.Add(cell));
  ASSERT_TRUE(sheet.Add(cell));
  const auto folder = std::filesystem::temp_directory_path() / "halberd_make_sprites_bleed_test";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(sheet.WritePage((folder / "page.tga").string()));
  ASSERT_TRUE(sheet.WriteSpriteFile((folder / "set.spr").string(), "page.tga"));
  std::ifstream in((folder / "page.tga").string(), std::ios::binary);
  const std::vector<std::uint8_t> page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ifstream sprIn((folder / "set.spr").string(), std::ios::binary);
  const std::vector<std::uint8_t> spr((std::istreambuf_iterator<char>(sprIn)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(folder);
  auto at = [&](int x, int y) {
    const std::size_t o = 18 + (static_cast<std::size_t>(y) * 256 + static_cast<std::size_t>(x)) * 4;
    return static_cast<std::uint32_t>(page[o] | page[o + 1] << 8 | page[o + 2] << 16 | page[o + 3] << 24);
  };
  // The first cell sits at (1, 1) inside its frame; the second right after
  // the first's frame, at (5, 1).
  ByteReader reader(spr.data(), spr.size());
  SpriteFileData data;
  ASSERT_TRUE(ParseSpriteFile(reader, &data));
  EXPECT_EQ(data.Sprites[0].X, 1);
  EXPECT_EQ(data.Sprites[0].Y, 1);
  EXPECT_EQ(data.Sprites[1].X, 5);
  MEM_DELETE_ARRAY data.Sprites;
  EXPECT_EQ(at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(at(0, 0), 0xFFFF0000u);  // the corner repeats the corner pixel
  EXPECT_EQ(at(3, 0), 0xFF00FF00u);  // the top-right frame pixel
  EXPECT_EQ(at(0, 3), 0xFF0000FFu);
  EXPECT_EQ(at(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(at(4, 1), 0xFFFF0000u);  // the second cell's own frame
}
