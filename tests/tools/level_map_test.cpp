// The level tool's map picture: footprints drawn from above the way the
// objective map reads its picture (minimum x at the left, maximum z at the
// top), the demo level drawn from its built files, and the sprite file and
// page written for it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "make_level/level_map.h"

namespace {

// The pixel of a world point.
std::uint32_t PixelAt(const LevelMapPicture& p, const LevelMapBox& box, float x, float z) {
  return p.At(static_cast<int>(LevelMapColumn(box, p.width, x)), static_cast<int>(LevelMapRow(box, p.height, z)));
}

bool IsStructure(std::uint32_t c) { return c != kMapBackground && c != kMapGround; }

TEST(LevelMap, FootprintsLieWhereTheObjectiveMapLooksForThem) {
  // A 1000 x 1000 box, 100 x 100 pixels: a tower in the north-west corner,
  // a low wall in the south-east, a ground tile under everything in the
  // west half, and a tall block given before a low one that overlaps it.
  const LevelMapBox box{1000.0f, 1000.0f, 0.0f, 0.0f};
  const std::vector<LevelMapShape> shapes = {
      {0, 0, 500, 1000, 5, 5, true},            // ground, west half
      {50, 850, 150, 950, 1200, 1200, false},   // tower, north-west
      {800, 50, 950, 100, 300, 300, false},     // wall, south-east
      {400, 400, 600, 600, 900, 900, false},    // tall block
      {550, 550, 700, 700, 200, 200, false},    // low block overlapping it
      {300, 300, 200, 200, 100, 100, false},    // inverted: nothing
  };
  const LevelMapPicture p = DrawLevelMap(shapes, box, 100, 100);
  ASSERT_EQ(p.pixels.size(), 10000u);
  struct Probe {
    float x, z;
    const char* what;
    int kind;  // 0 background, 1 ground, 2 structure
  };
  const Probe probes[] = {
      {100, 900, "tower (top left)", 2},  {100, 100, "ground (bottom left)", 1},
      {900, 900, "nothing (top right)", 0}, {875, 75, "wall (bottom right)", 2},
      {250, 250, "ground under the inverted box", 1},
  };
  for (const Probe& pr : probes) {
    const std::uint32_t c = PixelAt(p, box, pr.x, pr.z);
    const int kind = c == kMapBackground ? 0 : c == kMapGround ? 1 : 2;
    EXPECT_EQ(kind, pr.kind) << pr.what;
  }
  // The top row is the north edge: the tower's pixels start at row 5.
  EXPECT_TRUE(IsStructure(p.At(10, 5)));
  EXPECT_FALSE(IsStructure(p.At(10, 4)));
  // Drawn by their tops: where they overlap the taller block shows, and the
  // taller is the lighter.
  const std::uint32_t tall = PixelAt(p, box, 450, 450), low = PixelAt(p, box, 650, 650);
  EXPECT_TRUE(IsStructure(tall) && IsStructure(low));
  EXPECT_EQ(PixelAt(p, box, 580, 580), tall);
  EXPECT_GT(tall & 0xFF, low & 0xFF);
}

TEST(LevelMap, TheDemoLevelIsDrawnFromItsBuiltFiles) {
  std::vector<LevelMapShape> shapes;
  std::string error;
  ASSERT_TRUE(GatherLevelShapes(std::string(HALBERD_DEMO_DATA_DIR) + "/levels/DEMO", "DEMO", &shapes, &error))
      << error;
  EXPECT_GT(shapes.size(), 10u);
  // North of the rooms lies more map than south, so a picture upside down
  // would put other things under the probes.
  const LevelMapBox box{1800.0f, 2600.0f, -1800.0f, -1000.0f};
  const LevelMapPicture p = DrawLevelMap(shapes, box, 128, 128);
  EXPECT_TRUE(IsStructure(PixelAt(p, box, -450, 300))) << "the west room";
  EXPECT_TRUE(IsStructure(PixelAt(p, box, 450, 520))) << "the east room's north end";
  EXPECT_EQ(PixelAt(p, box, 0, 300), kMapGround) << "between the rooms";
  EXPECT_EQ(PixelAt(p, box, -450, 700), kMapGround) << "north of the west room";
  EXPECT_EQ(PixelAt(p, box, 0, 2400), kMapBackground) << "beyond the landscape tile";

  // Written as cell 0 of a sprite file with its page beside it.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "halberd_level_map";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteLevelMap(p, (folder / "GWDemo.img").string(), &error)) << error;
  std::ifstream page(folder / "GWDemo.tga", std::ios::binary);
  const std::string tga((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  ASSERT_EQ(tga.size(), 18u + 256u * 256u * 4u);
  // Rows top first: the page's pixel (x, y) is the picture's.
  auto pagePixel = [&](int x, int y) {
    const std::size_t at = 18 + (static_cast<std::size_t>(y) * 256 + x) * 4;
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(tga[at + i])) << (8 * i);
    return v;
  };
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{40, 60}, std::pair{127, 127}})
    EXPECT_EQ(pagePixel(x, y), p.At(x, y)) << x << ", " << y;
  std::ifstream sprite(folder / "GWDemo.img", std::ios::binary);
  const std::string img((std::istreambuf_iterator<char>(sprite)), std::istreambuf_iterator<char>());
  EXPECT_NE(img.find("GWDemo.tga"), std::string::npos) << "the sprite file names its page";
  std::filesystem::remove_all(folder);
}

TEST(LevelMap, RefusesWhatItCannotDrawOrWrite) {
  std::vector<LevelMapShape> shapes;
  std::string error;
  EXPECT_FALSE(GatherLevelShapes("/nonexistent/level/folder", "NONE", &shapes, &error));
  EXPECT_NE(error.find("cannot enter"), std::string::npos) << error;
  const LevelMapBox box{100.0f, 100.0f, 0.0f, 0.0f};
  EXPECT_FALSE(WriteLevelMap(DrawLevelMap({}, box, 300, 100), "too_wide.img", &error));
  EXPECT_FALSE(WriteLevelMap(DrawLevelMap({}, box, 10, 10), "AVeryLongMapName.img", &error));
  EXPECT_NE(error.find("longer than 15"), std::string::npos) << error;
}

}  // namespace
