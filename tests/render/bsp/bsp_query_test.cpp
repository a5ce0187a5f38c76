#include "render/bsp/bsp_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "render/bsp_fixture.h"
#include "render/bsp/point_in_polygon.h"
#include "render/volumes/sphere.h"

using namespace bsp_fixture;

namespace {

float DistanceTo(const float* plane, const CVector3& p) { return plane[0] * p.x + plane[1] * p.y + plane[2] * p.z + plane[3]; }

// Surface records of the tests: id -> fields; ids without an entry have no record.
struct SurfaceTable {
  static inline std::vector<std::pair<std::uint32_t, BspSurfaceFields>> entries;
  static bool Lookup(std::uint32_t id, BspSurfaceFields* out) {
    for (auto& e : entries)
      if (e.first == id) {
        *out = e.second;
        return true;
      }
    return false;
  }
};

// Polygons handed to the sphere query callback, with the plane and sphere it was given.
std::vector<const BspPolygon*> g_Reported;
std::vector<std::array<float, 8>> g_ReportedArgs;
void Collect(const BspPolygon* p, float a, float b, float c, float d, float x, float y, float z, float r) {
  g_Reported.push_back(p);
  g_ReportedArgs.push_back({a, b, c, d, x, y, z, r});
}

class BspQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SurfaceTable::entries.clear();
    SetBspSurfaceLookup(&SurfaceTable::Lookup);
    SetBspPolygonCallback(&Collect);
    g_Reported.clear();
  }
  void TearDown() override {
    SetBspSurfaceLookup(nullptr);
    SetBspPolygonCallback(nullptr);
  }
};

// ---------------------------------------------------------------------------
// Random soups against brute force over the same polygons.

struct Scene {
  BspTreePtr tree;
  std::vector<FlatPolygon> flat;
};
Scene RandomScene(std::mt19937& rng, int polygons) {
  Scene s;
  s.tree = CompileTree(RandomConvex(rng, polygons, 20, 0.5f, 4, 4));
  s.flat = Flatten(s.tree.get());
  return s;
}

TEST_F(BspQueryTest, SphereQueryReportsEveryPolygonTheSphereTouches) {
  std::mt19937 rng(11);
  Scene scene = RandomScene(rng, 400);
  std::uniform_real_distribution<float> pos(-22, 22), rad(0.1f, 3);
  int touched_total = 0;
  for (int q = 0; q < 3000; ++q) {
    float sphere[4] = {pos(rng), pos(rng), pos(rng), rad(rng)};
    CSphere s;
    s.Set({sphere[0], sphere[1], sphere[2]}, sphere[3]);
    g_Reported.clear();
    g_ReportedArgs.clear();
    std::uint32_t hit = 0;
    BspSphereQuery(scene.tree.get(), sphere, &hit, 0);
    std::set<const BspPolygon*> reported(g_Reported.begin(), g_Reported.end());
    ASSERT_EQ(reported.size(), g_Reported.size()) << "a polygon was reported twice";
    EXPECT_EQ(hit, g_Reported.empty() ? 0u : 1u);
    for (const FlatPolygon& f : scene.flat) {
      auto at = std::find(g_Reported.begin(), g_Reported.end(), f.polygon);
      if (at != g_Reported.end()) {
        // The callback gets the plane as used at the node and the query sphere.
        const std::array<float, 8>& args = g_ReportedArgs[at - g_Reported.begin()];
        for (int i = 0; i < 4; ++i) EXPECT_EQ(args[i], f.plane_used[i]);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(args[4 + i], sphere[i]);
      }
      if (!s.TouchesPolygon(f.plane_used, f.polygon)) continue;
      ++touched_total;
      EXPECT_TRUE(reported.count(f.polygon)) << "query " << q << " missed a touched polygon";
    }
  }
  EXPECT_GT(touched_total, 500);  // the soup is dense enough for the check to mean something
}

TEST_F(BspQueryTest, SweepQueryFindsTheNearestHitOfBruteForce) {
  std::mt19937 rng(12);
  Scene scene = RandomScene(rng, 400);
  std::uniform_real_distribution<float> pos(-22, 22), rad(0.1f, 2), move(-15, 15);
  int hits = 0;
  for (int q = 0; q < 3000; ++q) {
    CSweptSphere tree = MakeSweep({pos(rng), pos(rng), pos(rng)}, rad(rng), {move(rng), move(rng), move(rng)});
    CSweptSphere brute = tree;
    BspSweepQuery(scene.tree.get(), &tree, 0);
    for (const FlatPolygon& f : scene.flat) SweptSphereVsPolygon(brute.Sphere, &brute, f.plane_used, f.polygon, 1);
    ASSERT_EQ(tree.Hit, brute.Hit) << "query " << q;
    if (!brute.Hit) continue;
    ++hits;
    EXPECT_NEAR(tree.HitDistance, brute.HitDistance, 1e-3f) << "query " << q;
    EXPECT_EQ(tree.HitKind, static_cast<std::uint32_t>(SWEPT_HIT_POLYGON));
    EXPECT_GE(tree.HitDistance, -tree.Sphere.Radius);
    EXPECT_LE(tree.HitDistance, tree.Length);
  }
  EXPECT_GT(hits, 300);
}

// The brute-force segment answer: the nearest crossing, over every polygon
// facing the start (or both sides), that lies inside its polygon.
struct BruteSegment {
  const BspPolygon* polygon = nullptr;
  float factor = 2;
};
BruteSegment BruteForceSegment(const Scene& scene, const CVector3& a, const CVector3& b, bool both_sides,
                               std::uint32_t filter) {
  BruteSegment best;
  for (const FlatPolygon& f : scene.flat) {
    if (ClassifySegment(a, b, f.node_plane) != 0) continue;
    bool start_front = DistanceTo(f.node_plane, a) > 0.0001f;
    if (!both_sides && start_front != f.positive) continue;
    // The same crossing the walk computes.
    float nd = f.plane_used[0] * (b.x - a.x) + f.plane_used[1] * (b.y - a.y) + f.plane_used[2] * (b.z - a.z);
    if (nd == 0) continue;
    float t = -DistanceTo(f.plane_used, a) / nd;
    if (t < -7.6e-6f || t > 1.0000076f) continue;
    t = std::clamp(t, 0.0f, 1.0f);
    CVector3 p{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
    if (!PointInPolygon(f.plane_used, p, f.polygon)) continue;
    BspSurfaceFields s;
    if ((filter & BSPF_SKIP_QUERY_10) && SurfaceTable::Lookup(f.polygon->SurfaceId, &s) && (s.QueryBits & 0x10))
      continue;
    if (t < best.factor) best = {f.polygon, t};
  }
  return best;
}

TEST_F(BspQueryTest, SegmentQueryFindsTheFirstHitOfBruteForce) {
  std::mt19937 rng(13);
  Scene scene = RandomScene(rng, 400);
  SurfaceTable::entries = {{2, {0, 0x10, 1.0f}}};  // surface 2 is skipped by BSPF_SKIP_QUERY_10
  std::uniform_real_distribution<float> pos(-24, 24);
  struct Mode {
    std::uint32_t filter;
    bool both_sides;
  };
  for (Mode mode : {Mode{0, false}, Mode{BSPF_BOTH_SIDES, true}, Mode{BSPF_SKIP_QUERY_10, false}}) {
    int hits = 0;
    for (int q = 0; q < 2000; ++q) {
      CVector3 a{pos(rng), pos(rng), pos(rng)}, b{pos(rng), pos(rng), pos(rng)};
      const BspPolygon* got = BspSegmentQuery(scene.tree.get(), a, b, mode.filter);
      BruteSegment want = BruteForceSegment(scene, a, b, mode.both_sides, mode.filter);
      ASSERT_EQ(got != nullptr, want.polygon != nullptr) << "mode " << mode.filter << " query " << q;
      if (!got) continue;
      ++hits;
      const BspSegmentResult& r = GetBspSegmentResult();
      EXPECT_EQ(r.Polygon, got);
      EXPECT_NEAR(r.Factor, want.factor, 1e-4f) << "mode " << mode.filter << " query " << q;
      EXPECT_NEAR(r.Point.x, a.x + (b.x - a.x) * r.Factor, 1e-3f);
      EXPECT_NEAR(DistanceTo(r.Plane, r.Point), 0.0f, 1e-3f);
      if (!mode.both_sides) {
        EXPECT_GE(DistanceTo(r.Plane, a), -0.0001f) << "the hit plane faces the start";
      }
    }
    EXPECT_GT(hits, 300) << "mode " << mode.filter;
  }
}

// ---------------------------------------------------------------------------
// Small fixtures for the exact rules.

TEST_F(BspQueryTest, SegmentWithoutBothSidesNeverReportsABackFace) {
  BspTreePtr room = CompileTree(Room(10));
  // From below the floor up through the room: the floor is seen from its back.
  CVector3 below{1, -15, 2}, above{1, 15, 2};
  const BspPolygon* one_side = BspSegmentQuery(room.get(), below, above, 0);
  ASSERT_NE(one_side, nullptr);
  EXPECT_NEAR(GetBspSegmentResult().Point.y, 10.0f, 1e-4f) << "the ceiling, which faces the start";
  EXPECT_GT(DistanceTo(GetBspSegmentResult().Plane, below), 0.0f);

  const BspPolygon* both = BspSegmentQuery(room.get(), below, above, BSPF_BOTH_SIDES);
  ASSERT_NE(both, nullptr);
  EXPECT_NEAR(GetBspSegmentResult().Point.y, -10.0f, 1e-4f) << "the floor from behind";
  EXPECT_NEAR(GetBspSegmentResult().Factor, 5.0f / 30.0f, 1e-5f);
  // The floor lies in its node's positive-side list, so its plane is the node plane, facing away.
  EXPECT_FLOAT_EQ(GetBspSegmentResult().Plane[1], 1.0f);
  EXPECT_LT(DistanceTo(GetBspSegmentResult().Plane, below), 0.0f);

  EXPECT_EQ(BspSegmentQuery(room.get(), {1, -15, 2}, {1, -12, 2}, BSPF_BOTH_SIDES), nullptr);
  EXPECT_EQ(GetBspSegmentResult().Polygon, nullptr);
}

TEST_F(BspQueryTest, SegmentLyingInANodePlaneCountsAsCrossingIt) {
  // The segment stays within 0.0001 of the first tread's plane (y = 1) at both
  // ends, so the tread's node treats it as crossing and tests its polygons.
  BspTreePtr stair = CompileTree(Stair(3, 1, 1));
  const CVector3 a{0.5f, 1.00005f, 0.2f}, b{0.5f, 0.99995f, 0.8f};
  const BspPolygon* hit = BspSegmentQuery(stair.get(), a, b, BSPF_BOTH_SIDES);
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->SurfaceId, 2);  // a tread
  EXPECT_NEAR(GetBspSegmentResult().Point.z, 0.5f, 1e-3f);
  // Starting less than 0.0001 above, the start is not "in front", so the tread is seen from behind only.
  EXPECT_EQ(BspSegmentQuery(stair.get(), a, b, 0), nullptr);
}

TEST_F(BspQueryTest, EachFilterBitSkipsItsSurfaces) {
  // The floor of the room carries surface 1; the segment goes down onto it and would otherwise end there.
  Soup room = Room(10);
  room[0].SurfaceId = 1;
  BspTreePtr tree = CompileTree(room);
  struct Case {
    std::uint32_t filter;
    BspSurfaceFields fields;
    bool skipped;
  };
  const Case cases[] = {
      {BSPF_SKIP_ZERO_FACTOR, {0, 0, 0.0f}, true},     {BSPF_SKIP_ZERO_FACTOR, {0, 0, 0.5f}, false},
      {BSPF_SKIP_FLAG_2, {0x2, 0, 1}, true},           {BSPF_SKIP_FLAG_2, {0x4, 0, 1}, false},
      {BSPF_SKIP_QUERY_10, {0, 0x10, 1}, true},        {BSPF_SKIP_QUERY_10, {0, 0x20, 1}, false},
      {BSPF_SKIP_QUERY_20, {0, 0x20, 1}, true},        {BSPF_SKIP_QUERY_20, {0, 0x40, 1}, false},
      {BSPF_SKIP_QUERY_40, {0, 0x40, 1}, true},        {BSPF_SKIP_QUERY_40, {0, 0x10, 1}, false},
      {BSPF_SKIP_FLAG_2_ZERO, {0x2, 0, 0.0f}, true},   {BSPF_SKIP_FLAG_2_ZERO, {0x2, 0, 1.0f}, false},
      {BSPF_SKIP_FLAG_2_ZERO, {0x0, 0, 0.0f}, false},  {0, {0x2, 0x70, 0.0f}, false},
  };
  for (const Case& c : cases) {
    SurfaceTable::entries = {{1, c.fields}};
    const BspPolygon* hit = BspSegmentQuery(tree.get(), {0, 0, 0}, {0, -20, 0}, c.filter);
    EXPECT_EQ(hit == nullptr, c.skipped) << "segment, filter " << c.filter;

    // The sphere walk applies the same bits except the segment-only ones.
    bool segment_only = c.filter == BSPF_SKIP_FLAG_2_ZERO;
    g_Reported.clear();
    float sphere[4] = {0, -9.5f, 0, 1};
    std::uint32_t reported = 0;
    BspSphereQuery(tree.get(), sphere, &reported, c.filter);
    bool floor_reported = std::any_of(g_Reported.begin(), g_Reported.end(),
                                      [](const BspPolygon* p) { return p->SurfaceId == 1; });
    EXPECT_EQ(floor_reported, !(c.skipped && !segment_only)) << "sphere, filter " << c.filter;
  }
  // A surface id without a record always passes.
  SurfaceTable::entries = {{7, {0x2, 0x70, 0.0f}}};
  EXPECT_NE(BspSegmentQuery(tree.get(), {0, 0, 0}, {0, -20, 0}, 0x5F), nullptr);
}

TEST_F(BspQueryTest, SphereWalkClassifiesWithTheAllowance) {
  // One floor polygon at y = 0, large enough that its bounds always reach the sphere.
  Soup floor{{{{-50, 0, -50}, {-50, 0, 50}, {50, 0, 50}, {50, 0, -50}}, 0}};
  BspTreePtr tree = CompileTree(floor);
  struct Case {
    float y;
    bool tested;
  };
  for (Case c : {Case{1.0002f, false}, Case{1.00005f, true}, Case{-1.00005f, true}, Case{-1.0002f, false}}) {
    g_Reported.clear();
    std::uint32_t hit = 0;
    float sphere[4] = {3, c.y, 4, 1};
    BspSphereQuery(tree.get(), sphere, &hit, 0);
    EXPECT_EQ(hit, c.tested ? 1u : 0u) << c.y;
    EXPECT_EQ(g_Reported.size(), c.tested ? 1u : 0u) << c.y;
  }
}

TEST_F(BspQueryTest, SphereWalkKeepsPolygonsWhoseBoundsJustReach) {
  // A small triangle far along the floor plane: its bounding sphere (radius R)
  // and the query sphere (radius r) are |c - C| apart, reaching when
  // (r + R)² + 0.0001 >= |c - C|².
  Soup tri{{{{0, 0, 0}, {2, 0, 0}, {0, 0, 2}}, 0}};
  BspTreePtr tree = CompileTree(tri);
  const BspPolygon* p = Flatten(tree.get()).at(0).polygon;
  float reach = 1.0f + std::sqrt(p->RadiusSq);
  struct Case {
    float extra_sq;
    bool kept;
  };
  for (Case c : {Case{0.00005f, true}, Case{-0.5f, true}, Case{0.002f, false}}) {
    float gap = std::sqrt(reach * reach + c.extra_sq);
    float sphere[4] = {p->Centre[0] + gap, p->Centre[1], p->Centre[2], 1};
    g_Reported.clear();
    std::uint32_t hit = 0;
    BspSphereQuery(tree.get(), sphere, &hit, 0);
    EXPECT_EQ(g_Reported.size(), c.kept ? 1u : 0u) << c.extra_sq;
  }
}

TEST_F(BspQueryTest, SweepStopsAtTheWallAndReportsStartingInside) {
  BspTreePtr room = CompileTree(Room(10));
  struct Case {
    float start_y, travel;
    bool hit;
    float distance;
    bool inside;
  };
  const Case cases[] = {
      {0, 20, true, 9, false},          // falls onto the floor after 9
      {0, 8, false, 0, false},          // stops short
      {-9.5f, 5, true, -0.5f, true},    // already overlaps the floor by 0.5
  };
  for (const Case& c : cases) {
    CSweptSphere r = MakeSweep({1, c.start_y, 2}, 1, {0, -c.travel, 0});
    BspSweepQuery(room.get(), &r, 0);
    ASSERT_EQ(r.Hit != 0, c.hit) << c.start_y;
    if (!c.hit) continue;
    EXPECT_NEAR(r.HitDistance, c.distance, 1e-5f);
    EXPECT_EQ(r.StartedInside != 0, c.inside);
    EXPECT_EQ(r.HitKind, static_cast<std::uint32_t>(SWEPT_HIT_POLYGON));
    EXPECT_NEAR(r.ContactPoint.y, -10.0f, 1e-5f);
    EXPECT_NEAR(r.ContactAtStart.y, -10.0f + c.distance, 1e-5f);
    EXPECT_NEAR(r.HitPolygon->Centre[1], -10.0f, 1e-5f);
  }
}

TEST_F(BspQueryTest, WalksSurviveTheDeepestAcceptedTree) {
  // Chains of empty nodes with the zero plane: every walk straddles every node
  // and so recurses once per level, along front children and along back children.
  for (std::uint32_t field : {24u, 28u}) {
    std::vector<std::uint8_t> block(32 * kBspMaxDepth, 0);
    for (std::uint32_t i = 0; i + 1 < kBspMaxDepth; ++i) {
      std::uint32_t next = 32 * (i + 1);
      for (int k = 0; k < 4; ++k) block[32 * i + field + k] = static_cast<std::uint8_t>(next >> (8 * k));
    }
    BspTreePtr tree = MakeBspTree(block.data(), block.size());
    ASSERT_NE(tree, nullptr);
    BspStatistics stats;
    EXPECT_EQ(GetBspStatistics(tree.get(), &stats), static_cast<std::int32_t>(block.size()));
    EXPECT_EQ(stats.Nodes, static_cast<std::int32_t>(kBspMaxDepth));
    float sphere[4] = {0, 0, 0, 1};
    std::uint32_t hit = 0;
    BspSphereQuery(tree.get(), sphere, &hit, 0);
    EXPECT_EQ(hit, 0u);
    CSweptSphere sweep = MakeSweep({0, 0, 0}, 1, {5, 0, 0});
    BspSweepQuery(tree.get(), &sweep, 0);
    EXPECT_EQ(sweep.Hit, 0u);
    EXPECT_EQ(BspSegmentQuery(tree.get(), {0, 0, 0}, {1, 1, 1}, BSPF_BOTH_SIDES), nullptr);
  }
}

TEST(BspSegmentPlane, ClassifyAndCrossing) {
  const float plane[4] = {0, 1, 0, -2};  // y = 2
  struct Case {
    CVector3 a, b;
    int classify;
    int side;
    int count;
    float factor;
  };
  const Case cases[] = {
      {{0, 3, 0}, {0, 5, 0}, 1, 0, 0, 0},         // both in front
      {{0, 1, 0}, {0, 0, 0}, -1, 0, 0, 0},        // both behind
      {{0, 3, 0}, {0, 1, 0}, 0, 1, 1, 0.5f},      // crosses from the front
      {{0, 0, 0}, {0, 4, 0}, 0, -1, 1, 0.5f},     // crosses from behind
      {{0, 2, 0}, {0, 4, 0}, 0, 0, 0, 0},         // starts on the plane
      {{0, 4, 0}, {0, 2, 0}, 0, 1, 1, 1.0f},      // ends on the plane
      {{0, 2.00005f, 0}, {5, 1.99995f, 0}, 0, 1, 1, 0.5f},  // within 0.0001 at both ends
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifySegment(c.a, c.b, plane), c.classify);
    SegmentCrossing x{9, 9, {9, 9, 9}};
    EXPECT_EQ(SegmentCrossesPlane(c.a, c.b, plane, &x), c.side);
    EXPECT_EQ(x.Count, c.count);
    if (c.count) {
      EXPECT_NEAR(x.Factor, c.factor, 1e-3f);
      EXPECT_NEAR(x.Point.y, 2.0f, 1e-4f);
    }
  }
}

}  // namespace
