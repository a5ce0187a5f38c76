#include "scene/mesh/stripifier.h"

#include "scene/mesh/triangle_meshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Tri = std::array<int, 3>;
using test_meshes::AddTri;
using test_meshes::Fan;
using test_meshes::Grid;
using test_meshes::Mesh;
using test_meshes::Shuffled;
using test_meshes::Sphere;

bool Degenerate(const Tri& t) { return t[0] == t[1] || t[1] == t[2] || t[2] == t[0]; }

// The same triangle with the same winding gives the same key.
Tri Canonical(Tri t) {
  std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
  return t;
}

// What the groups draw: strips by the usual alternating rule, lists by
// threes; triangles with a repeated index draw nothing and are left out.
std::vector<Tri> Drawn(const StripGroup* groups, int count) {
  std::vector<Tri> out;
  for (int g = 0; g < count; ++g) {
    const StripGroup& group = groups[g];
    if (group.kind == kStripGroupList) {
      EXPECT_EQ(group.indexCount % 3, 0u);
      for (std::uint32_t i = 0; i + 2 < group.indexCount; i += 3) {
        Tri t{group.indices[i], group.indices[i + 1], group.indices[i + 2]};
        if (!Degenerate(t)) out.push_back(t);
      }
    } else {
      for (std::uint32_t i = 2; i < group.indexCount; ++i) {
        Tri t = (i % 2 == 0) ? Tri{group.indices[i - 2], group.indices[i - 1], group.indices[i]}
                             : Tri{group.indices[i - 1], group.indices[i - 2], group.indices[i]};
        if (!Degenerate(t)) out.push_back(t);
      }
    }
  }
  return out;
}

// Every drawable input triangle, once each (a triangle given again in the
// same cyclic order is the same triangle).
std::map<Tri, int> Expected(const Mesh& mesh) {
  std::map<Tri, int> out;
  for (std::size_t i = 0; i + 2 < mesh.size(); i += 3) {
    Tri t{mesh[i], mesh[i + 1], mesh[i + 2]};
    if (!Degenerate(t)) out[Canonical(t)] = 1;
  }
  return out;
}

std::map<Tri, int> Count(const std::vector<Tri>& tris) {
  std::map<Tri, int> out;
  for (const Tri& t : tris) ++out[Canonical(t)];
  return out;
}

// A grid with faults: repeated triangles (also rotated), triangles with a
// repeated index, a sliver on three distinct vertices, three and four
// triangles on one edge, and flipped triangles among consistent ones.
Mesh Damaged() {
  Mesh m = Grid(6, 5);
  AddTri(&m, m[3], m[4], m[5]);          // repeat of the second triangle
  AddTri(&m, m[7], m[8], m[6]);          // rotated repeat of the third
  AddTri(&m, 2, 2, 9);                   // repeated index
  AddTri(&m, 4, 4, 4);                   // a point
  AddTri(&m, 0, 1, 2);                   // sliver along the bottom row
  AddTri(&m, 8, 9, 60);                  // third and fourth faces on edge 8-9
  AddTri(&m, 9, 8, 61);
  AddTri(&m, m[13], m[12], m[14]);       // the same triangle wound the other way
  for (int i = 0; i < 3; ++i) AddTri(&m, 50 + i, 51 + i, 55 + i);  // a loose patch
  AddTri(&m, 50, 51, 70);                // flipped against its neighbour
  return m;
}

Mesh Isolated(int n) {
  Mesh m;
  for (int i = 0; i < n; ++i) AddTri(&m, 3 * i, 3 * i + 1, 3 * i + 2);
  return m;
}

struct Settings {
  const char* name;
  int cache;
  bool stitch;
  int minSize;
  bool listsOnly;
};

class StripifierTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetStripSettings(); }

  void Apply(const Settings& s) {
    SetStripCacheSize(s.cache);
    SetStripStitching(s.stitch);
    SetStripMinSize(s.minSize);
    SetStripListsOnly(s.listsOnly);
  }
};

const Settings kSettings[] = {
    {"defaults", 16, true, 0, false},  {"unstitched", 16, false, 0, false}, {"leftovers", 16, true, 4, false},
    {"unstitched+leftovers", 24, false, 3, false}, {"lists only", 16, true, 0, true}, {"tiny cache", 4, true, 0, false},
};

TEST_F(StripifierTest, EveryTriangleIsDrawnOnceWithItsWinding) {
  const std::vector<std::pair<std::string, Mesh>> meshes = {
      {"quad", Grid(1, 1)},
      {"grid", Grid(17, 11)},
      {"fan", Fan(23)},
      {"sphere", Sphere(12, 16)},
      {"shuffled grid", Shuffled(Grid(20, 20), 7)},
      {"shuffled sphere", Shuffled(Sphere(9, 13), 11)},
      {"damaged", Damaged()},
      {"shuffled damaged", Shuffled(Damaged(), 3)},
      {"isolated", Isolated(9)},
      {"single", Isolated(1)},
  };
  testing::internal::CaptureStdout();  // damaged meshes report on the console
  for (const Settings& s : kSettings) {
    Apply(s);
    for (const auto& [name, mesh] : meshes) {
      StripGroup* groups = nullptr;
      std::uint16_t count = 0;
      ASSERT_TRUE(BuildStrips(mesh.data(), static_cast<std::uint32_t>(mesh.size()), &groups, &count))
          << s.name << " " << name;
      const int maxIndex = *std::max_element(mesh.begin(), mesh.end());
      for (int g = 0; g < count; ++g)
        for (std::uint32_t i = 0; i < groups[g].indexCount; ++i) ASSERT_LE(groups[g].indices[i], maxIndex);
      EXPECT_EQ(Count(Drawn(groups, count)), Expected(mesh)) << s.name << " " << name;
      if (s.listsOnly) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(groups[0].kind, kStripGroupList);
      }
      if (s.stitch && !s.listsOnly && s.minSize == 0) {
        EXPECT_EQ(count, 1) << s.name << " " << name;
        EXPECT_EQ(groups[0].kind, kStripGroupStrip);
      }
      FreeStripGroups(groups);
    }
  }
  testing::internal::GetCapturedStdout();
}

TEST_F(StripifierTest, UnstitchedStripsFitTheCacheAndLeftoversAreShortOnes) {
  struct Case {
    int cache;
    int minSize;
    std::size_t longest;  // faces a strip may hold: the cache less 6, at least 1
  };
  const Case cases[] = {{16, 0, 10}, {24, 0, 18}, {7, 0, 1}, {3, 0, 1}, {16, 5, 10}};
  const Mesh mesh = Shuffled(Sphere(10, 14), 5);
  for (const Case& c : cases) {
    SetStripCacheSize(c.cache);
    SetStripStitching(false);
    SetStripMinSize(c.minSize);
    StripGroup* groups = nullptr;
    std::uint16_t count = 0;
    ASSERT_TRUE(BuildStrips(mesh.data(), static_cast<std::uint32_t>(mesh.size()), &groups, &count));
    std::size_t strips = 0;
    for (int g = 0; g < count; ++g) {
      const std::size_t faces = Drawn(&groups[g], 1).size();
      if (groups[g].kind == kStripGroupStrip) {
        ++strips;
        EXPECT_LE(faces, c.longest) << c.cache;
        EXPECT_GE(faces, static_cast<std::size_t>(std::max(c.minSize, 1))) << c.cache;
      } else {
        EXPECT_EQ(g, count - 1) << "the list group comes last";
      }
    }
    EXPECT_GT(strips, 0u);
    FreeStripGroups(groups);
  }
}

TEST_F(StripifierTest, StitchedStripsOfAGridReuseTheCache) {
  // A strip over a long grid row draws about one new vertex per triangle; a
  // good order keeps the miss ratio well below that of an unordered list.
  const Mesh mesh = Grid(30, 30);
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  ASSERT_TRUE(BuildStrips(mesh.data(), static_cast<std::uint32_t>(mesh.size()), &groups, &count));
  ASSERT_EQ(count, 1);
  std::vector<int> fifo;
  int misses = 0;
  for (std::uint32_t i = 0; i < groups[0].indexCount; ++i) {
    const int v = groups[0].indices[i];
    if (std::find(fifo.begin(), fifo.end(), v) != fifo.end()) continue;
    ++misses;
    fifo.insert(fifo.begin(), v);
    if (fifo.size() > 16) fifo.pop_back();
  }
  const double perTriangle = static_cast<double>(misses) / (mesh.size() / 3);
  EXPECT_LT(perTriangle, 0.85);
  FreeStripGroups(groups);
}

TEST_F(StripifierTest, AQuadGivesOneStripAndNoList) {
  const Mesh quad = {0, 1, 2, 2, 1, 3};
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  ASSERT_TRUE(BuildStrips(quad.data(), 6, &groups, &count));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(groups[0].kind, kStripGroupStrip);
  EXPECT_EQ(Count(Drawn(groups, 1)), Expected(quad));
  EXPECT_LE(groups[0].indexCount, 5u);
  FreeStripGroups(groups);
}

TEST_F(StripifierTest, ATriangleOnAnEdgeWithTwoOthersIsReported) {
  const Mesh mesh = {0, 1, 2, 1, 0, 3, 0, 1, 4};
  testing::internal::CaptureStdout();
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  ASSERT_TRUE(BuildStrips(mesh.data(), 9, &groups, &count));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences\n"), std::string::npos);
  EXPECT_EQ(Count(Drawn(groups, count)), Expected(mesh));
  FreeStripGroups(groups);
}

TEST_F(StripifierTest, BadInputIsRefused) {
  const std::uint16_t some[] = {0, 1, 2, 3};
  struct Case {
    const std::uint16_t* indices;
    std::uint32_t count;
  };
  const Case cases[] = {{some, 0}, {some, 4}, {some, 2}, {nullptr, 3}};
  for (const Case& c : cases) {
    StripGroup* groups = reinterpret_cast<StripGroup*>(1);
    std::uint16_t count = 9;
    EXPECT_FALSE(BuildStrips(c.indices, c.count, &groups, &count)) << c.count;
    EXPECT_EQ(groups, nullptr);
    EXPECT_EQ(count, 0);
  }
}

TEST_F(StripifierTest, RemapNumbersVerticesInOrderOfFirstUse) {
  StripGroup in[2];
  const std::uint16_t first[] = {5, 9, 5, 2};
  const std::uint16_t second[] = {7, 2, 9};
  in[0].kind = kStripGroupStrip;
  in[0].indexCount = 4;
  in[0].indices = new std::uint16_t[4];
  std::copy(first, first + 4, in[0].indices);
  in[1].kind = kStripGroupList;
  in[1].indexCount = 3;
  in[1].indices = new std::uint16_t[3];
  std::copy(second, second + 3, in[1].indices);

  StripGroup* out = nullptr;
  ASSERT_TRUE(RemapStripIndices(in, 2, 10, &out));
  EXPECT_EQ(std::vector<int>(out[0].indices, out[0].indices + 4), (std::vector<int>{0, 1, 0, 2}));
  EXPECT_EQ(std::vector<int>(out[1].indices, out[1].indices + 3), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(out[1].kind, kStripGroupList);
  FreeStripGroups(out);

  // An index beyond the vertex count is refused.
  StripGroup* bad = reinterpret_cast<StripGroup*>(1);
  EXPECT_FALSE(RemapStripIndices(in, 2, 9, &bad));
  EXPECT_EQ(bad, nullptr);
}

TEST_F(StripifierTest, RemappedVerticesDrawTheSameTriangles) {
  // Vertices carry their own old number as data; after moving them as the
  // remap says, the remapped strip must draw the same triangles.
  const Mesh mesh = Shuffled(Grid(9, 7), 21);
  const int vertexCount = 10 * 8;
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  ASSERT_TRUE(BuildStrips(mesh.data(), static_cast<std::uint32_t>(mesh.size()), &groups, &count));
  StripGroup* remapped = nullptr;
  ASSERT_TRUE(RemapStripIndices(groups, count, vertexCount, &remapped));
  std::vector<int> moved(vertexCount, -1);
  for (int g = 0; g < count; ++g)
    for (std::uint32_t i = 0; i < groups[g].indexCount; ++i) moved[remapped[g].indices[i]] = groups[g].indices[i];
  std::vector<Tri> drawn = Drawn(remapped, count);
  for (Tri& t : drawn)
    for (int& v : t) v = moved[static_cast<std::size_t>(v)];
  EXPECT_EQ(Count(drawn), Expected(mesh));
  // New numbers are dense: 0 .. used - 1.
  int used = 0;
  for (int v : moved) used += v >= 0;
  for (int g = 0; g < count; ++g)
    for (std::uint32_t i = 0; i < remapped[g].indexCount; ++i) EXPECT_LT(remapped[g].indices[i], used);
  FreeStripGroups(groups);
  FreeStripGroups(remapped);
}

}  // namespace
