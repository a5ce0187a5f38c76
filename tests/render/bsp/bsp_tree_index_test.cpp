#include "render/bsp/bsp_tree_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "render/bsp/bsp_query.h"
#include "render/bsp/point_in_polygon.h"
#include "render/bsp_fixture.h"

using namespace bsp_fixture;

namespace {

// Surface records: 2 has query bit 0x10, 3 has flag 2 and factor 0.
bool Lookup(std::uint32_t id, BspSurfaceFields* out) {
  if (id == 2) *out = {0, 0x10, 1.0f};
  else if (id == 3) *out = {0x2, 0, 0.0f};
  else return false;
  return true;
}

class BspTreeIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { SetBspSurfaceLookup(&Lookup); }
  void TearDown() override { SetBspSurfaceLookup(nullptr); }
};

// A tree made by MakeBspTree (walked over its index) and the same block held
// elsewhere (walked without one).
struct Twin {
  BspTreePtr indexed;
  std::vector<std::uint32_t> plain;  // 4-byte words, as the records need
  const BspNode* Plain() const { return reinterpret_cast<const BspNode*>(plain.data()); }
};
Twin MakeTwin(const std::vector<std::uint8_t>& block) {
  Twin t;
  t.indexed = MakeBspTree(block.data(), block.size());
  t.plain.resize(block.size() / 4);
  std::memcpy(t.plain.data(), block.data(), block.size());
  return t;
}

// A bumpy height field of up-facing triangles, n x n cells over [-h, h]².
Soup HeightField(int n, float h, std::uint16_t surface) {
  Soup soup;
  auto at = [&](int i, int j) {
    float x = -h + 2 * h * i / n, z = -h + 2 * h * j / n;
    return V3{x, 3 * std::sin(x * 0.4f) * std::cos(z * 0.3f) + std::sin((x + z) * 0.9f), z};
  };
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      BspSourcePolygon a{{at(i, j), at(i, j + 1), at(i + 1, j + 1)}, surface};
      BspSourcePolygon b{{at(i, j), at(i + 1, j + 1), at(i + 1, j)}, static_cast<std::uint16_t>(surface + (i + j) % 3)};
      soup.push_back(a);
      soup.push_back(b);
    }
  return soup;
}

struct Answer {
  long polygon;  // offset from the tree's root, -1 for none
  BspSegmentResult result;
};
Answer Query(const BspNode* root, const CVector3& a, const CVector3& b, std::uint32_t filter) {
  const BspPolygon* p = BspSegmentQuery(root, a, b, filter);
  return {p ? reinterpret_cast<const char*>(p) - reinterpret_cast<const char*>(root) : -1L, GetBspSegmentResult()};
}

bool SameBits(const Answer& x, const Answer& y) {
  auto bits = [](const BspSegmentResult& r) {
    std::vector<float> v{r.Point.x, r.Point.y, r.Point.z, r.Factor, r.Plane[0], r.Plane[1], r.Plane[2], r.Plane[3]};
    return v;
  };
  std::vector<float> a = bits(x.result), b = bits(y.result);
  return x.polygon == y.polygon && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Segments of every kind the walks treat specially: random ones, short
// ones, ones along an axis, ones lying in a polygon's plane, ones ending or
// starting on a polygon, and points.
// Random points lie within half of centre.
std::vector<std::pair<CVector3, CVector3>> Segments(std::mt19937& rng, const BspNode* root, float half, int count,
                                                    CVector3 centre = {0, 0, 0}) {
  std::vector<FlatPolygon> flat = Flatten(root);
  std::uniform_real_distribution<float> pos(-half, half), unit(0, 1);
  std::vector<std::pair<CVector3, CVector3>> out;
  for (int q = 0; q < count; ++q) {
    CVector3 a{centre.x + pos(rng), centre.y + pos(rng), centre.z + pos(rng)};
    CVector3 b{centre.x + pos(rng), centre.y + pos(rng), centre.z + pos(rng)};
    const FlatPolygon& f = flat[static_cast<std::size_t>(rng() % flat.size())];
    CVector3 on{f.polygon->Centre[0], f.polygon->Centre[1], f.polygon->Centre[2]};
    switch (q % 8) {
      case 1: b = {a.x + 0.3f * (b.x - a.x) * unit(rng), a.y, a.z}; break;          // short, along x
      case 2: b = {a.x, b.y, a.z}; break;                                           // vertical
      case 3: b = on; break;                                                        // ends on a polygon
      case 4: a = on; break;                                                        // starts on one
      case 5: {                                                                     // in its plane
        const float* n = f.node_plane;
        auto onto = [&](CVector3 p) {
          float d = n[0] * p.x + n[1] * p.y + n[2] * p.z + n[3];
          return CVector3{p.x - d * n[0], p.y - d * n[1], p.z - d * n[2]};
        };
        a = onto(a);
        b = onto(b);
        break;
      }
      case 6: b = a; break;                                                         // a point
      default: break;
    }
    out.push_back({a, b});
  }
  return out;
}

const std::uint32_t kFilters[] = {0, BSPF_BOTH_SIDES, BSPF_SKIP_QUERY_10, BSPF_SKIP_FLAG_2_ZERO | BSPF_BOTH_SIDES};

// Checks the indexed walk against the plain one, and the any-hit query
// against both, over the segments; answers the number of hits.
int CompareWalks(const Twin& twin, const std::vector<std::pair<CVector3, CVector3>>& segments, const std::string& name) {
  int hits = 0;
  for (std::size_t q = 0; q < segments.size(); ++q) {
    const auto& [a, b] = segments[q];
    for (std::uint32_t filter : kFilters) {
      Answer plain = Query(twin.Plain(), a, b, filter);
      Answer indexed = Query(twin.indexed.get(), a, b, filter);
      EXPECT_TRUE(SameBits(plain, indexed)) << name << " segment " << q << " filter " << filter;
      hits += plain.polygon >= 0;
      // Any hit: found exactly when the walk finds one, and a real crossing.
      const BspPolygon* any = BspSegmentQueryAny(twin.indexed.get(), a, b, filter);
      const BspSegmentResult r = GetBspSegmentResult();
      EXPECT_EQ(any != nullptr, plain.polygon >= 0) << name << " segment " << q << " filter " << filter;
      if (!any) continue;
      EXPECT_EQ(r.Polygon, any);
      const bool finite = std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z) && std::isfinite(b.x) &&
                          std::isfinite(b.y) && std::isfinite(b.z);
      if (!finite) continue;  // (the walks then agree, but the crossing is no number)
      EXPECT_TRUE(PointInPolygon(r.Plane, r.Point, any)) << name << " segment " << q;
      EXPECT_NEAR(r.Point.x, a.x + (b.x - a.x) * r.Factor, 1e-3f);
      EXPECT_NEAR(r.Point.y, a.y + (b.y - a.y) * r.Factor, 1e-3f);
      if (!(filter & BSPF_BOTH_SIDES)) {
        EXPECT_GE(r.Plane[0] * a.x + r.Plane[1] * a.y + r.Plane[2] * a.z + r.Plane[3], -1e-4f) << "faces the start";
      }
      BspSurfaceFields s;
      if ((filter & BSPF_SKIP_QUERY_10) && Lookup(any->SurfaceId, &s)) {
        EXPECT_FALSE(s.QueryBits & 0x10);
      }
    }
  }
  return hits;
}

// The sphere walk's calls, as offsets from the walked root and plane bits.
struct SphereWalk {
  const BspNode* root = nullptr;
  std::vector<std::vector<float>> calls;
};
SphereWalk g_SphereWalk;
void RecordSphereCall(const BspPolygon* p, float a, float b, float c, float d, float, float, float, float) {
  const auto offset = static_cast<float>(reinterpret_cast<const char*>(p) -
                                         reinterpret_cast<const char*>(g_SphereWalk.root));
  g_SphereWalk.calls.push_back({offset, a, b, c, d});
}

std::vector<std::vector<float>> SphereCalls(const BspNode* root, const float* sphere, std::uint32_t filter,
                                            std::uint32_t* hit) {
  g_SphereWalk = {root, {}};
  *hit = 0;
  BspSphereQuery(root, sphere, hit, filter);
  return g_SphereWalk.calls;
}

bool SameSweep(const CSweptSphere& x, const BspNode* rx, const CSweptSphere& y, const BspNode* ry) {
  auto offset = [](const BspPolygon* p, const BspNode* r) {
    return p ? reinterpret_cast<const char*>(p) - reinterpret_cast<const char*>(r) : -1L;
  };
  CSweptSphere a = x, b = y;
  const bool same_polygon = offset(a.HitPolygon, rx) == offset(b.HitPolygon, ry);
  a.HitPolygon = b.HitPolygon = nullptr;
  return same_polygon && std::memcmp(&a, &b, sizeof a) == 0;
}

// Checks the indexed sphere and sweep walks against the plain ones: the same
// polygons handed over in the same order, the same sweep record.  Answers
// the number of sweeps that hit.
int CompareSphereWalks(const Twin& twin, std::mt19937& rng, float half, CVector3 centre, const std::string& name) {
  std::uniform_real_distribution<float> pos(-half, half), radius(0.05f, half * 0.3f), move(-half * 0.5f, half * 0.5f);
  SetBspPolygonCallback(&RecordSphereCall);
  int hits = 0;
  for (int q = 0; q < 600; ++q) {
    const float sphere[4] = {centre.x + pos(rng), centre.y + pos(rng), centre.z + pos(rng), q % 9 == 0 ? 0.0f : radius(rng)};
    for (std::uint32_t filter : {0u, static_cast<std::uint32_t>(BSPF_SKIP_QUERY_10)}) {
      std::uint32_t hit_plain, hit_indexed;
      auto plain = SphereCalls(twin.Plain(), sphere, filter, &hit_plain);
      auto indexed = SphereCalls(twin.indexed.get(), sphere, filter, &hit_indexed);
      EXPECT_EQ(plain, indexed) << name << " sphere " << q;
      EXPECT_EQ(hit_plain, hit_indexed);
    }
    CVector3 motion{move(rng), move(rng), move(rng)};
    if (q % 7 == 0) motion = {0, 0, 0};
    CSweptSphere plain = MakeSweep({sphere[0], sphere[1], sphere[2]}, sphere[3] + 0.1f, motion), indexed = plain;
    BspSweepQuery(twin.Plain(), &plain, 0);
    BspSweepQuery(twin.indexed.get(), &indexed, 0);
    EXPECT_TRUE(SameSweep(plain, twin.Plain(), indexed, twin.indexed.get())) << name << " sweep " << q;
    hits += plain.Hit != 0;
  }
  SetBspPolygonCallback(nullptr);
  return hits;
}

}  // namespace

TEST_F(BspTreeIndexTest, IndexedWalksAnswerBitForBitAsThePlainWalks) {
  std::mt19937 rng(31);
  struct Case {
    const char* name;
    Soup soup;
    float half;
    CVector3 centre;
  };
  Soup room_and_stair = Room(12, 1);
  for (const auto& p : Stair(6, 1, 1)) room_and_stair.push_back(p);
  const Case cases[] = {
      {"dense convex soup", RandomConvex(rng, 500, 20, 0.5f, 4, 4), 24, {0, 0, 0}},
      {"room and stair", room_and_stair, 14, {0, 0, 0}},
      {"height field", HeightField(14, 30, 1), 34, {0, 0, 0}},
      {"large far soup", [&] {
         Soup s = RandomConvex(rng, 200, 50, 5, 40, 4);
         for (auto& p : s)
           for (auto& v : p.Vertices) v = {v.x + 9000, v.y - 4000, v.z + 12000};
         return s;
       }(), 60, {9000, -4000, 12000}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> block = CompileBlock(c.soup);
    Twin twin = MakeTwin(block);
    ASSERT_NE(FindBspTreeIndex(twin.indexed.get()), nullptr);
    ASSERT_EQ(FindBspTreeIndex(twin.Plain()), nullptr);
    auto segments = Segments(rng, twin.indexed.get(), c.half, 1500, c.centre);
    EXPECT_GT(CompareWalks(twin, segments, c.name), 300) << c.name;
    EXPECT_GT(CompareSphereWalks(twin, rng, c.half, c.centre, c.name), 50) << c.name;
  }
}

TEST_F(BspTreeIndexTest, OddBlocksTheLoaderAcceptsAreWalkedAlike) {
  // Blocks no compiler of ours writes but the loader accepts: planes whose
  // normal is not of unit length, polygons lying off their node's plane,
  // vertices that are not numbers, and coordinates near the float range.
  std::mt19937 rng(32);
  std::vector<std::uint8_t> block = CompileBlock(RandomConvex(rng, 300, 20, 1, 5, 4));
  auto* root = reinterpret_cast<BspNode*>(block.data());
  std::vector<BspNode*> nodes{root};
  for (std::size_t i = 0; i < nodes.size(); ++i)
    for (std::uint32_t link : {nodes[i]->Front, nodes[i]->Back})
      if (link) nodes.push_back(reinterpret_cast<BspNode*>(block.data() + link));
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    BspNode* n = nodes[i];
    if (i % 5 == 1)
      for (float& c : n->Plane) c *= 3.0f;
    for (std::uint32_t link : {n->PositiveList, n->NegativeList}) {
      if (!link) continue;
      auto* p = reinterpret_cast<BspPolygon*>(block.data() + link);
      if (i % 7 == 2) p->Vertex(0)[1] += 2.5f;
      if (i % 11 == 3) p->Vertex(1)[0] = std::numeric_limits<float>::quiet_NaN();
      if (i % 13 == 4) p->Vertex(2)[2] = 3e38f;
      // Bounding spheres that are not numbers, or whose squared radius is negative.
      if (i % 17 == 5) p->RadiusSq = std::numeric_limits<float>::quiet_NaN();
      if (i % 19 == 6) p->RadiusSq = -4.0f;
      if (i % 23 == 7) p->Centre[1] = std::numeric_limits<float>::infinity();
    }
  }
  Twin twin = MakeTwin(block);
  ASSERT_NE(twin.indexed, nullptr);
  auto segments = Segments(rng, twin.Plain(), 24, 2000);
  segments.push_back({{0, 0, 0}, {std::numeric_limits<float>::infinity(), 1, 1}});
  segments.push_back({{std::numeric_limits<float>::quiet_NaN(), 0, 0}, {1, 1, 1}});
  segments.push_back({{-3e38f, 0, 0}, {3e38f, 1, 1}});
  EXPECT_GT(CompareWalks(twin, segments, "odd block"), 100);
  EXPECT_GT(CompareSphereWalks(twin, rng, 24, {0, 0, 0}, "odd block"), 50);
}

TEST_F(BspTreeIndexTest, AnIndexLivesAsLongAsItsTree) {
  std::vector<std::uint8_t> block = CompileBlock(Room(5));
  BspTreePtr tree = MakeBspTree(block.data(), block.size());
  const BspNode* root = tree.get();
  const BspTreeIndex* index = FindBspTreeIndex(root);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->Lists.size(), 6u);
  EXPECT_EQ(FindBspTreeIndex(root), index);  // found again (through the table of recent trees)
  EXPECT_EQ(FindBspTreeIndex(nullptr), nullptr);
  tree.reset();
  EXPECT_EQ(FindBspTreeIndex(root), nullptr);
  // A tree made again, wherever it lands, gets an index of its own.
  BspTreePtr again = MakeBspTree(block.data(), block.size());
  EXPECT_NE(FindBspTreeIndex(again.get()), nullptr);
  EXPECT_NE(BspSegmentQuery(again.get(), {0, 0, 0}, {0, -9, 0}, 0), nullptr);
}

TEST_F(BspTreeIndexTest, ManyTreesKeepTheirOwnIndexesThroughFreesInAnyOrder) {
  // Enough trees to grow the table several times; then every other one, and
  // later the rest, freed in a shuffled order: each live tree still finds
  // its own index (the one built for it, by its list count) and a freed one
  // none, whatever became of the slots around it.
  std::vector<std::uint8_t> small = CompileBlock(Room(5)), large = CompileBlock(HeightField(3, 5, 1));
  std::vector<BspTreePtr> trees;
  std::vector<const BspNode*> roots;
  std::vector<std::size_t> lists;
  for (int k = 0; k < 3000; ++k) {
    const std::vector<std::uint8_t>& block = k % 3 == 0 ? large : small;
    trees.push_back(MakeBspTree(block.data(), block.size()));
    roots.push_back(trees.back().get());
    const BspTreeIndex* index = FindBspTreeIndex(trees.back().get());
    ASSERT_NE(index, nullptr);
    lists.push_back(index->Lists.size());
  }
  ASSERT_NE(lists[0], lists[1]);  // the two kinds are told apart
  std::vector<std::size_t> order(trees.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::mt19937 rng(12);
  std::shuffle(order.begin(), order.end(), rng);
  auto check = [&](const char* stage) {
    for (std::size_t k = 0; k < trees.size(); ++k) {
      if (!trees[k]) continue;
      const BspTreeIndex* index = FindBspTreeIndex(trees[k].get());
      ASSERT_NE(index, nullptr) << stage << " tree " << k;
      EXPECT_EQ(index->Lists.size(), lists[k]) << stage << " tree " << k;
    }
  };
  // (A freed block's address may be handed to a later tree; none is made
  // after the first free here.)
  for (std::size_t n = 0; n < order.size() / 2; ++n) trees[order[n]].reset();
  check("half freed");
  for (std::size_t n = 0; n < order.size() / 2; ++n) EXPECT_EQ(FindBspTreeIndex(roots[order[n]]), nullptr);
  for (std::size_t n = order.size() / 2; n < order.size(); ++n) {
    trees[order[n]].reset();
    if (n % 97 == 0) check("freeing");
  }
  for (const BspNode* root : roots) EXPECT_EQ(FindBspTreeIndex(root), nullptr);
}

TEST_F(BspTreeIndexTest, ProbeKeepsEveryBoxTheSegmentMeetsAndRefusesClearOnes) {
  // Boxes against segments by brute force: a box is met when some point of
  // the segment, sampled finely, lies in it; a box clear of the whole
  // segment by a unit is refused.
  std::mt19937 rng(33);
  std::uniform_real_distribution<float> pos(-10, 10), corner(-12, 4), size(2, 12);
  int met = 0, refused = 0;
  for (int q = 0; q < 4000; ++q) {
    CVector3 a{pos(rng), pos(rng), pos(rng)}, b{pos(rng), pos(rng), pos(rng)};
    if (q % 4 == 1) b.y = a.y;
    if (q % 4 == 2) b.x = a.x, b.z = a.z;
    BspTreeIndex::Box box;
    for (int k = 0; k < 3; ++k) {
      box.Min[k] = corner(rng);
      box.Max[k] = box.Min[k] + size(rng);
    }
    BspTreeIndex::Probe probe;
    ASSERT_TRUE(probe.Set(a, b));
    bool inside = false;
    float nearest = 1e30f;
    for (int i = 0; i <= 2000; ++i) {
      float t = i / 2000.0f;
      float p[3] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
      float gap = 0;
      for (int k = 0; k < 3; ++k) gap = std::max({gap, box.Min[k] - p[k], p[k] - box.Max[k]});
      inside |= gap <= 0;
      nearest = std::min(nearest, gap);
    }
    BspTreeIndex::Volume v{};
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 4; ++i) v.Min[k][i] = box.Min[k], v.Max[k][i] = box.Max[k];
    const bool may = probe.MayMeet(box);
    EXPECT_EQ(probe.MeetMask(v), may ? 15u : 0u);
    if (inside) {
      EXPECT_TRUE(may) << q;
      ++met;
    }
    if (nearest > 1.0f) {
      EXPECT_FALSE(may) << q;
      ++refused;
    }
  }
  EXPECT_GT(met, 300);
  EXPECT_GT(refused, 500);
  BspTreeIndex::Probe probe;
  EXPECT_FALSE(probe.Set({0, 0, 0}, {std::numeric_limits<float>::infinity(), 0, 0}));
}
