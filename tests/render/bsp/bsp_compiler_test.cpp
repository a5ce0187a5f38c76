#include "render/bsp/bsp_compiler.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/bsp/bsp_query.h"
#include "render/bsp_fixture.h"

using namespace bsp_fixture;

namespace {

double Distance(const float* plane, const float* v) {
  return static_cast<double>(plane[0]) * v[0] + static_cast<double>(plane[1]) * v[1] +
         static_cast<double>(plane[2]) * v[2] + plane[3];
}

// Area of a planar polygon: half the length of its Newell normal.
double Area(const std::vector<std::array<double, 3>>& v) {
  double n[3] = {0, 0, 0};
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto& a = v[i];
    const auto& b = v[(i + 1) % v.size()];
    n[0] += (a[1] - b[1]) * (a[2] + b[2]);
    n[1] += (a[2] - b[2]) * (a[0] + b[0]);
    n[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  return 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
}
double AreaOf(const BspPolygon* p) {
  std::vector<std::array<double, 3>> v;
  for (unsigned k = 0; k < p->VertexCount; ++k) v.push_back({p->Vertex(k)[0], p->Vertex(k)[1], p->Vertex(k)[2]});
  return Area(v);
}
// A source polygon's area as the sum of its fan of triangles (which is also
// what a bent polygon amounts to once stored).
double AreaOf(const BspSourcePolygon& p) {
  double sum = 0;
  auto at = [&](std::size_t i) { return std::array<double, 3>{p.Vertices[i].x, p.Vertices[i].y, p.Vertices[i].z}; };
  for (std::size_t k = 1; k + 1 < p.Vertices.size(); ++k) sum += Area({at(0), at(k), at(k + 1)});
  return sum;
}

// What a walk of the whole tree found wrong, and the stored area per surface.
struct TreeCheck {
  std::vector<std::string> faults;
  std::map<int, double> area;
  int polygons = 0;
};

// Checks the invariants the walks rely on: every listed polygon lies in its
// node's plane and faces the way its list says; everything under the back
// link lies on the negative side of every ancestor plane that sent it there,
// everything under the front link on the positive side.
void Walk(const BspNode* root, const BspNode* node, std::vector<std::pair<const float*, int>>& ancestors,
          TreeCheck* check) {
  const float tolerance = 2 * kBspOnPlane;
  for (int side = 0; side < 2; ++side) {
    const BspPolygon* p = BspListAt(root, side == 0 ? node->PositiveList : node->NegativeList);
    for (; p; p = NextBspPolygon(p)) {
      ++check->polygons;
      check->area[p->SurfaceId] += AreaOf(p);
      double n[3] = {0, 0, 0};
      for (unsigned k = 0; k < p->VertexCount; ++k) {
        const float* a = p->Vertex(k);
        const float* b = p->Vertex((k + 1) % p->VertexCount);
        n[0] += (static_cast<double>(a[1]) - b[1]) * (static_cast<double>(a[2]) + b[2]);
        n[1] += (static_cast<double>(a[2]) - b[2]) * (static_cast<double>(a[0]) + b[0]);
        n[2] += (static_cast<double>(a[0]) - b[0]) * (static_cast<double>(a[1]) + b[1]);
        if (std::fabs(Distance(node->Plane, a)) > tolerance) check->faults.push_back("polygon off its node's plane");
      }
      double facing = n[0] * node->Plane[0] + n[1] * node->Plane[1] + n[2] * node->Plane[2];
      if ((side == 0) != (facing > 0)) check->faults.push_back("polygon in the list of the other facing");
      for (auto [plane, sign] : ancestors)
        for (unsigned k = 0; k < p->VertexCount; ++k)
          if (sign * Distance(plane, p->Vertex(k)) < -tolerance) check->faults.push_back("polygon on the wrong side");
    }
  }
  for (auto [link, sign] : {std::pair{node->Back, -1}, std::pair{node->Front, 1}}) {
    if (!link) continue;
    ancestors.push_back({node->Plane, sign});
    Walk(root, BspNodeAt(root, link), ancestors, check);
    ancestors.pop_back();
  }
}

TreeCheck CheckTree(const BspNode* root) {
  TreeCheck check;
  std::vector<std::pair<const float*, int>> ancestors;
  Walk(root, root, ancestors, &check);
  return check;
}

// A prism of `sides` wall quads around the y axis (radius 100, height 1), every
// wall facing out: each wall's plane has all the others behind it.
Soup Prism(int sides) {
  Soup s;
  for (int i = 0; i < sides; ++i) {
    float a0 = 6.2831853f * static_cast<float>(i) / static_cast<float>(sides);
    float a1 = 6.2831853f * static_cast<float>(i + 1) / static_cast<float>(sides);
    CVector3 p0{100 * std::cos(a0), 0, 100 * std::sin(a0)}, p1{100 * std::cos(a1), 0, 100 * std::sin(a1)};
    s.push_back({{p0, {p0.x, 1, p0.z}, {p1.x, 1, p1.z}, p1}, static_cast<std::uint16_t>(i % 3)});
  }
  return s;
}

TEST(BspCompiler, TreesKeepEveryPolygonInItsPlaneAndOnItsSide) {
  std::mt19937 rng(5);
  Soup opposed{{{{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, 1},    // facing -y
               {{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}}, 2},    // facing +y, same plane
               {{{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}, 3}};
  // A quad bent along its diagonal (no one plane holds it).
  Soup bent{{{{0, 0, 0}, {0, 0, 10}, {10, 3, 10}, {10, 0, 0}}, 4}};
  struct Case {
    const char* name;
    Soup soup;
    int cuts_at_least;
  };
  std::vector<Case> cases{{"room", Room(50), 0},
                          {"stair", Stair(8, 20, 30), 0},
                          {"opposed faces", opposed, 0},
                          {"bent quad", bent, 0},
                          {"random", RandomConvex(rng, 600, 200, 5, 60, 5), 1},
                          {"far from the origin", [] {
                             Soup s = Room(30);
                             for (auto& p : s)
                               for (auto& v : p.Vertices) v = {v.x + 4000, v.y - 250, v.z + 1700};
                             return s;
                           }(), 0}};
  for (const Case& c : cases) {
    BspCompileReport report;
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(CompileBspBlock(c.soup, &block, &report)) << c.name << ": " << report.Error;
    BspTreePtr tree = MakeBspTree(block.data(), block.size());
    ASSERT_NE(tree, nullptr) << c.name;
    TreeCheck check = CheckTree(tree.get());
    EXPECT_TRUE(check.faults.empty()) << c.name << ": " << check.faults.size() << " faults, first "
                                      << (check.faults.empty() ? "" : check.faults[0]);
    BspStatistics stats;
    GetBspStatistics(tree.get(), &stats);
    EXPECT_EQ(stats.Nodes, report.Nodes) << c.name;
    EXPECT_EQ(stats.Polygons, report.Polygons) << c.name;
    EXPECT_EQ(check.polygons, report.Polygons) << c.name;
    EXPECT_GE(report.Cuts, c.cuts_at_least) << c.name;
    EXPECT_GE(report.Polygons, static_cast<int>(c.soup.size())) << c.name;
    // Cutting and fanning neither lose nor add surface.
    std::map<int, double> expected;
    for (const auto& p : c.soup) expected[p.SurfaceId] += AreaOf(p);
    for (auto [surface, area] : expected)
      EXPECT_NEAR(check.area[surface], area, 1e-4 * area + 1e-3) << c.name << " surface " << surface;
  }
}

TEST(BspCompiler, BentQuadIsStoredAsTwoFlatTriangles) {
  Soup bent{{{{0, 0, 0}, {0, 0, 10}, {10, 3, 10}, {10, 0, 0}}, 4}};
  BspCompileReport report;
  BspTreePtr tree = CompileBspTree(bent, &report);
  ASSERT_NE(tree, nullptr) << report.Error;
  EXPECT_EQ(report.Triangulated, 1);
  EXPECT_EQ(report.Polygons, 2);
  // A drop onto either half hits that half, as the bent surface would.
  for (CVector3 at : {CVector3{2, 5, 7}, CVector3{7, 5, 2}}) {
    const BspPolygon* hit = BspSegmentQuery(tree.get(), at, {at.x, -5, at.z}, 0);
    ASSERT_NE(hit, nullptr) << at.x;
    EXPECT_EQ(hit->VertexCount, 3);
    EXPECT_EQ(hit->SurfaceId, 4);
  }
}

TEST(BspCompiler, DegeneratePolygonsAreLeftOutAndCounted) {
  Soup soup{{{{0, 0, 0}, {1, 0, 0}}, 1},                             // two vertices
            {{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, 1},                  // a line
            {{{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}}, 1},       // two points, repeated
            {{{0, 0, 0}, {0, 0, 1}, {0, 0, 1}, {1, 0, 0}}, 2}};      // a triangle with a repeated vertex
  BspCompileReport report;
  BspTreePtr tree = CompileBspTree(soup, &report);
  ASSERT_NE(tree, nullptr) << report.Error;
  EXPECT_EQ(report.Dropped, 3);
  EXPECT_EQ(report.Polygons, 1);
  const BspPolygon* kept = BspListAt(tree.get(), tree->PositiveList ? tree->PositiveList : tree->NegativeList);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->VertexCount, 3);  // the repeat is gone
  EXPECT_EQ(kept->SurfaceId, 2);

  // Nothing left at all: a lone node, as for an empty soup.
  for (const Soup& nothing : {Soup{}, Soup{soup[0], soup[1]}}) {
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(CompileBspBlock(nothing, &block, &report));
    EXPECT_EQ(block, std::vector<std::uint8_t>(32, 0));
    EXPECT_NE(MakeBspTree(block.data(), block.size()), nullptr);
  }
}

TEST(BspCompiler, RefusesWhatNoTreeCanHold) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  Soup huge(1);
  huge[0].Vertices.resize(70000);
  for (std::size_t i = 0; i < huge[0].Vertices.size(); ++i) {
    float a = 6.2831853f * static_cast<float>(i) / 70000.0f;
    huge[0].Vertices[i] = {std::cos(a), 0, std::sin(a)};
  }
  struct Case {
    const char* name;
    Soup soup;
    const char* says;
  };
  std::vector<Case> cases{
      {"not a number", {Room(1)[0], {{{0, 0, 0}, {1, nan, 0}, {0, 0, 1}}, 0}}, "polygon 1 has a coordinate"},
      {"infinite", {{{{inf, 0, 0}, {1, 0, 0}, {0, 0, 1}}, 0}}, "polygon 0 has a coordinate"},
      {"too many vertices", huge, "at most 65535"},
  };
  for (const Case& c : cases) {
    BspCompileReport report;
    std::vector<std::uint8_t> block{1, 2, 3};
    EXPECT_FALSE(CompileBspBlock(c.soup, &block, &report)) << c.name;
    EXPECT_TRUE(block.empty()) << c.name;
    EXPECT_NE(report.Error.find(c.says), std::string::npos) << c.name << ": " << report.Error;
    ByteWriter out;
    EXPECT_FALSE(WriteBspSection(c.soup, out)) << c.name;
    EXPECT_EQ(out.Size(), 0u) << c.name;
    EXPECT_EQ(CompileBspTree(c.soup), nullptr) << c.name;
  }
}

TEST(BspCompiler, RefusesTreesDeeperThanTheLoaderTakes) {
  // Every wall of a convex prism leaves all others on one side: one level per wall.
  BspCompileReport report;
  std::vector<std::uint8_t> block;
  EXPECT_FALSE(CompileBspBlock(Prism(static_cast<int>(kBspMaxDepth) + 20), &block, &report));
  EXPECT_TRUE(block.empty());
  EXPECT_NE(report.Error.find("deeper than 1024"), std::string::npos) << report.Error;
  // Just under the limit still compiles.
  BspTreePtr deep = CompileBspTree(Prism(static_cast<int>(kBspMaxDepth) - 24), &report);
  ASSERT_NE(deep, nullptr) << report.Error;
  EXPECT_GT(report.Depth, 900);
}

TEST(BspCompiler, SectionIsTheTagTheSizeAndTheBlock) {
  Soup soup = Stair(3, 10, 20);
  std::vector<std::uint8_t> block;
  ASSERT_TRUE(CompileBspBlock(soup, &block));
  ByteWriter out;
  out.U8(0x5A);  // the section is appended to what is there
  ASSERT_TRUE(WriteBspSection(soup, out));
  ByteReader in(out.Data().data(), out.Size());
  EXPECT_EQ(in.U8(), 0x5A);
  BspTreePtr tree = LoadBspTree(in);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(GetBspTreeSize(tree.get()), block.size());
  EXPECT_EQ(std::memcmp(tree.get(), block.data(), block.size()), 0);
}

}  // namespace
