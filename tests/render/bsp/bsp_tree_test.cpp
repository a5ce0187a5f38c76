#include "render/bsp/bsp_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/file_test_fixture.h"
#include "foundation/text/keyword_readers.h"
#include "render/bsp_fixture.h"

using namespace bsp_fixture;

namespace {

void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t GetU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(b.at(at + i)) << (8 * i);
  return v;
}
std::vector<std::uint8_t> Section(const std::vector<std::uint8_t>& block, std::uint32_t stated) {
  ByteWriter w;
  w.Tag("BSPT");
  w.U32(stated);
  w.Bytes(block.data(), block.size());
  return w.Data();
}
BspTreePtr LoadBlock(const std::vector<std::uint8_t>& block) {
  std::vector<std::uint8_t> section = Section(block, static_cast<std::uint32_t>(block.size()));
  ByteReader in(section.data(), section.size());
  return LoadBspTree(in);
}

TEST(BspTreeLayout, SizesAndStatisticsFollowTheRecordLayout) {
  struct Case {
    const char* name;
    Soup soup;
    BspStatistics expected;
  };
  Soup triangle{{{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, 3}};
  std::vector<Case> cases{
      {"lone node", {}, {1, 0, 0, 32}},
      // node 32 + one triangle: (20 + 36 + 19) rounded down to 16 = 64
      {"one triangle", triangle, {1, 1, 3, 96}},
      // six walls, three planes pairs: each wall its own node (32) and a list of 20 + 48 + 4 -> 80
      {"room", Room(4), {6, 6, 24, 6 * (32 + 80)}},
  };
  for (const Case& c : cases) {
    BspTreePtr tree = CompileTree(c.soup);
    ASSERT_NE(tree, nullptr) << c.name;
    BspStatistics stats{-1, -1, -1, -1};
    EXPECT_EQ(GetBspStatistics(tree.get(), &stats), c.expected.BlockSize) << c.name;
    EXPECT_EQ(stats.Nodes, c.expected.Nodes) << c.name;
    EXPECT_EQ(stats.Polygons, c.expected.Polygons) << c.name;
    EXPECT_EQ(stats.Vertices, c.expected.Vertices) << c.name;
    EXPECT_EQ(stats.BlockSize, c.expected.BlockSize) << c.name;
    EXPECT_EQ(GetBspTreeSize(tree.get()), static_cast<std::uint32_t>(c.expected.BlockSize)) << c.name;
  }
}

TEST(BspTreeLayout, ListSizeRoundsRecordsAndTerminatorUpTo16) {
  // Record sizes 20 + 12n: one triangle 56 -> 64, a quad 68 -> 80, two triangles 112 -> 128.
  struct Case {
    std::vector<int> counts;
    std::uint32_t size;
  };
  for (const Case& c : std::vector<Case>{{{3}, 64}, {{4}, 80}, {{3, 3}, 128}, {{9}, 144}, {{8}, 128}}) {
    std::vector<std::uint8_t> list;
    for (int n : c.counts) {
      std::size_t at = list.size();
      list.resize(at + 20 + 12 * n, 0);
      list[at] = static_cast<std::uint8_t>(n);
    }
    list.resize(list.size() + 4, 0);
    auto* first = reinterpret_cast<const BspPolygon*>(list.data());
    EXPECT_EQ(GetBspListSize(first), c.size);
    EXPECT_EQ(CountBspPolygons(first), static_cast<int>(c.counts.size()));
  }
  EXPECT_EQ(GetBspListSize(nullptr), 0u);
  EXPECT_EQ(CountBspPolygons(nullptr), 0);
  EXPECT_EQ(CountBspVertices(nullptr), 0);
}

TEST(BspTreeLayout, PolygonBoundsAreVertexMeanAndPaddedRadius) {
  alignas(4) std::uint8_t bytes[20 + 36] = {};
  auto* p = reinterpret_cast<BspPolygon*>(bytes);
  p->VertexCount = 3;
  const float v[9] = {0, 0, 0, 3, 0, 0, 0, 3, 0};
  std::memcpy(p->Vertex(0), v, sizeof v);
  ComputeBspPolygonBounds(p);
  EXPECT_FLOAT_EQ(p->Centre[0], 1.0f);
  EXPECT_FLOAT_EQ(p->Centre[1], 1.0f);
  EXPECT_FLOAT_EQ(p->Centre[2], 0.0f);
  EXPECT_FLOAT_EQ(p->RadiusSq, 1.25f * 5.0f);  // farthest vertex (3,0,0) or (0,3,0): 4 + 1
}

TEST(BspTreeSection, LoadThenWriteIsByteIdentical) {
  std::mt19937 rng(7);
  struct Case {
    const char* name;
    Soup soup;
  };
  std::vector<Case> cases{{"room", Room(10)}, {"stair", Stair(6, 0.5f, 0.8f)},
                          {"random", RandomConvex(rng, 300, 20, 0.5f, 4)}};
  for (const Case& c : cases) {
    std::vector<std::uint8_t> section = CompileSection(c.soup);
    ByteReader in(section.data(), section.size());
    BspTreePtr tree = LoadBspTree(in);
    ASSERT_NE(tree, nullptr) << c.name;
    EXPECT_EQ(in.Position(), section.size()) << c.name;
    ByteWriter out;
    WriteBspTree(tree.get(), out);
    EXPECT_EQ(out.Data(), section) << c.name;
    BspStatistics stats;
    GetBspStatistics(tree.get(), &stats);
    EXPECT_GE(stats.Polygons, static_cast<int>(c.soup.size())) << c.name;  // cuts only add polygons
    EXPECT_EQ(static_cast<std::size_t>(stats.Polygons), Flatten(tree.get()).size()) << c.name;
  }
}

TEST(BspTreeSection, NullRootWritesNothing) {
  ByteWriter out;
  WriteBspTree(nullptr, out);
  EXPECT_EQ(out.Size(), 0u);
  BspStatistics stats{5, 5, 5, 5};
  EXPECT_EQ(GetBspStatistics(nullptr, &stats), 0);
  EXPECT_EQ(stats.Nodes + stats.Polygons + stats.Vertices + stats.BlockSize, 0);
}

TEST(BspTreeSection, SkipMovesPastTheBlockAndRefusesShortSections) {
  std::vector<std::uint8_t> section = CompileSection(Room(2));
  section.push_back(0xAB);  // what follows the section
  ByteReader in(section.data(), section.size());
  ASSERT_TRUE(SkipBspTree(in));
  EXPECT_EQ(in.U8(), 0xAB);

  section.resize(section.size() - 20);
  ByteReader short_in(section.data(), section.size());
  EXPECT_FALSE(SkipBspTree(short_in));
  ByteReader load_in(section.data(), section.size());
  EXPECT_EQ(LoadBspTree(load_in), nullptr);
}

// A damaged block is refused before any link is followed.
TEST(BspTreeSection, DamagedBlocksAreRefused) {
  const std::vector<std::uint8_t> good = CompileBlock(Room(3));
  ASSERT_NE(LoadBlock(good), nullptr);
  // The room compiles to a chain of nodes; find the root's lists and children.
  const std::uint32_t root_pos = GetU32(good, 16);
  const std::uint32_t size = static_cast<std::uint32_t>(good.size());
  std::uint32_t child_field = GetU32(good, 24) ? 24 : 28;
  std::uint32_t child = GetU32(good, child_field);
  ASSERT_NE(root_pos, 0u);
  ASSERT_NE(child, 0u);

  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  };
  std::vector<Case> cases{
      {"child past the end", [&](auto& b) { PutU32(b, child_field, size); }},
      {"child whose node runs past the end", [&](auto& b) { PutU32(b, child_field, size - 16); }},
      {"child far outside", [&](auto& b) { PutU32(b, child_field, 0xFFFFFFF0u); }},
      {"misaligned child", [&](auto& b) { PutU32(b, child_field, child + 2); }},
      {"list past the end", [&](auto& b) { PutU32(b, 16, size + 64); }},
      {"child links back to itself", [&](auto& b) { PutU32(b, child + child_field, child); }},
      {"both children share a node", [&](auto& b) {
         PutU32(b, 24, child);
         PutU32(b, 28, child);
       }},
      {"child is the root's list", [&](auto& b) { PutU32(b, child_field, root_pos); }},
      {"vertex count past the end", [&](auto& b) {
         b[root_pos] = 0xFF;
         b[root_pos + 1] = 0xFF;
       }},
      {"list without terminator", [&](auto& b) {
         // Make the root's quad claim the terminator and padding as a fifth vertex.
         b[root_pos] = 5;
       }},
      {"unreached bytes", [&](auto& b) { b.resize(b.size() + 32, 0); }},
      {"lists dropped", [&](auto& b) { PutU32(b, 16, 0); }},
      {"too short for a node", [&](auto& b) { b.resize(16); }},
      {"empty", [&](auto& b) { b.clear(); }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bad = good;
    c.damage(bad);
    EXPECT_EQ(LoadBlock(bad), nullptr) << c.name;
  }
}

TEST(BspTreeSection, ListOfNoPolygonsIsRefused) {
  // A node whose positive-side list is a bare terminator: the sizes tile the
  // block (32 + 16), but a list must hold a polygon, as the walks read one.
  std::vector<std::uint8_t> block(48, 0);
  PutU32(block, 16, 32);
  EXPECT_EQ(LoadBlock(block), nullptr);
}

TEST(BspTreeSection, StatedSizeMustMatchTheData) {
  const std::vector<std::uint8_t> block = CompileBlock(Stair(3, 1, 1));
  const std::uint32_t s = static_cast<std::uint32_t>(block.size());
  for (std::uint32_t stated : {s + 16, s - 16, 0xFFFFFFFFu, 0u}) {
    std::vector<std::uint8_t> section = Section(block, stated);
    ByteReader in(section.data(), section.size());
    EXPECT_EQ(LoadBspTree(in), nullptr) << stated;
  }
}

using BspTreeFile = FileTest;

TEST_F(BspTreeFile, LoadAndSkipThroughTheFileHandle) {
  std::vector<std::uint8_t> section = CompileSection(Stair(4, 1, 1));
  std::vector<std::uint8_t> file = section;
  file.insert(file.end(), section.begin(), section.end());
  file.insert(file.end(), {0x78, 0x56, 0x34, 0x12});
  std::ofstream("level.bsp", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  std::vector<std::uint8_t> cut(section.begin(), section.end() - 8);
  std::ofstream("short.bsp", std::ios::binary).write(reinterpret_cast<const char*>(cut.data()), cut.size());
  Start();

  BufferedFile* h = FileOpen("level.bsp", "rb");
  ASSERT_NE(h, nullptr);
  BspTreePtr tree = LoadBspTree(h);
  ASSERT_NE(tree, nullptr);
  ByteWriter out;
  WriteBspTree(tree.get(), out);
  EXPECT_EQ(out.Data(), section);
  EXPECT_TRUE(SkipBspTree(h));
  std::uint32_t after = 0;
  EXPECT_EQ(FileReadU32(&after, h), 1);
  EXPECT_EQ(after, 0x12345678u);
  FileClose(h);

  h = FileOpen("short.bsp", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadBspTree(h), nullptr);
  FileClose(h);
  h = FileOpen("short.bsp", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(SkipBspTree(h));
  FileClose(h);
}

TEST(BspTreeSection, DepthIsBounded) {
  // A chain of front children, each node empty: depth n.
  auto chain = [](std::uint32_t n) {
    std::vector<std::uint8_t> b(32 * n, 0);
    for (std::uint32_t i = 0; i + 1 < n; ++i) PutU32(b, 32 * i + 28, 32 * (i + 1));
    return b;
  };
  EXPECT_NE(LoadBlock(chain(kBspMaxDepth)), nullptr);
  EXPECT_EQ(LoadBlock(chain(kBspMaxDepth + 1)), nullptr);
}

}  // namespace
