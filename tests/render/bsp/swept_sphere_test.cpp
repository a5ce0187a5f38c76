#include "render/bsp/swept_sphere.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/bsp_fixture.h"
#include "render/geometry/closest_point.h"
#include "render/bsp/point_in_polygon.h"

using bsp_fixture::MakeSweep;

namespace {

TEST(SweptSphere, SphereAgainstSphere) {
  struct Case {
    const char* name;
    CVector3 start;
    CVector3 motion;
    CVector3 target;
    bool hit;
    float distance;
  };
  const Case cases[] = {
      {"head on", {0, 0, 0}, {10, 0, 0}, {5, 0, 0}, true, 3},
      {"already touching", {0, 0, 0}, {10, 0, 0}, {2, 0, 0}, false, 0},
      {"too short", {0, 0, 0}, {2, 0, 0}, {5, 0, 0}, false, 0},
      {"passes beside", {0, 0, 0}, {10, 0, 0}, {5, 2.5f, 0}, false, 0},
      {"moving away", {0, 0, 0}, {-10, 0, 0}, {5, 0, 0}, false, 0},
      {"no motion", {0, 0, 0}, {0, 0, 0}, {5, 0, 0}, false, 0},
  };
  for (const Case& c : cases) {
    CSweptSphere r = MakeSweep(c.start, 1, c.motion);
    CSphere target;
    target.Set(c.target, 1);
    EXPECT_EQ(SweptSphereVsSphere(r.Sphere, &r, target, 0), c.hit ? 1 : 0) << c.name;
    EXPECT_EQ(r.Hit, c.hit ? 1u : 0u) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(r.HitDistance, c.distance, 1e-5f) << c.name;
    EXPECT_EQ(r.HitKind, static_cast<std::uint32_t>(SWEPT_HIT_SPHERE));
    EXPECT_NEAR(r.ContactPoint.x, 4.0f, 1e-5f) << c.name;
    EXPECT_NEAR(r.ContactAtStart.x, 1.0f, 1e-5f) << c.name;
  }
}

TEST(SweptSphere, KeepNearestRefusesAFartherSphere) {
  CSweptSphere r = MakeSweep({0, 0, 0}, 1, {20, 0, 0});
  CSphere near_target, far_target;
  near_target.Set({5, 0, 0}, 1);
  far_target.Set({12, 0, 0}, 1);
  ASSERT_EQ(SweptSphereVsSphere(r.Sphere, &r, near_target, 1), 1);
  EXPECT_EQ(SweptSphereVsSphere(r.Sphere, &r, far_target, 1), 0);
  EXPECT_NEAR(r.HitDistance, 3.0f, 1e-5f);
  EXPECT_EQ(SweptSphereVsSphere(r.Sphere, &r, far_target, 0), 1);  // without keep nearest it replaces
  EXPECT_NEAR(r.HitDistance, 10.0f, 1e-5f);
}

TEST(SweptSphere, BoxFacesAndThinBoxes) {
  struct Case {
    const char* name;
    float box[6];
    CVector3 start, motion;
    bool hit;
    float distance;
    float contact_x;
  };
  const Case cases[] = {
      {"into the -x face", {-2, -2, -2, 2, 2, 2}, {-6, 0, 0}, {10, 0, 0}, true, 3, -2},
      {"into the -x face off centre", {-2, -2, -2, 2, 2, 2}, {-6, 1.5f, -1.5f}, {10, 0, 0}, true, 3, -2},
      {"misses above", {-2, -2, -2, 2, 2, 2}, {-6, 3.5f, 0}, {10, 0, 0}, false, 0, 0},
      {"stops short", {-2, -2, -2, 2, 2, 2}, {-6, 0, 0}, {2, 0, 0}, false, 0, 0},
      // A flat box (min x = max x = 0) has half extent 1 on x: its faces are at -1 and +1.
      {"flat box is two units thick", {0, -2, -2, 0, 2, 2}, {-6, 0, 0}, {10, 0, 0}, true, 4, -1},
  };
  for (const Case& c : cases) {
    CSweptSphere r = MakeSweep(c.start, 1, c.motion);
    EXPECT_EQ(SweptSphereVsBox(r.Sphere, &r, c.box, 0), c.hit ? 1 : 0) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(r.HitDistance, c.distance, 1e-4f) << c.name;
    EXPECT_NEAR(r.ContactPoint.x, c.contact_x, 1e-4f) << c.name;
    EXPECT_EQ(r.HitKind, static_cast<std::uint32_t>(SWEPT_HIT_BOX_FACE)) << c.name;
  }
}

TEST(SweptSphere, EdgeContactAndPlaneRules) {
  // A unit square in y = 0 facing +y; the sphere comes down beside it and
  // catches its edge: the plane contact lies outside, so the closest edge point decides.
  std::vector<std::uint8_t> bytes = bsp_fixture::QuadRecord({0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0});
  auto* square = reinterpret_cast<BspPolygon*>(bytes.data());
  const float plane[4] = {0, 1, 0, 0};

  CSweptSphere r = MakeSweep({1.6f, 5, 0.5f}, 1, {0, -10, 0});
  ASSERT_EQ(SweptSphereVsPolygon(r.Sphere, &r, plane, square, 0), 1);
  // The edge x = 1 is touched when the centre is 0.8 above it: travel 5 - 0.8.
  EXPECT_NEAR(r.HitDistance, 4.2f, 1e-4f);
  EXPECT_NEAR(r.ContactPoint.x, 1.0f, 1e-5f);
  EXPECT_EQ(r.StartedInside, 0u);

  CSweptSphere wide = MakeSweep({2.1f, 5, 0.5f}, 1, {0, -10, 0});
  EXPECT_EQ(SweptSphereVsPolygon(wide.Sphere, &wide, plane, square, 0), 0);
  EXPECT_EQ(wide.Hit, 0u);

  // Moving parallel to or away from the plane never hits it.
  CSweptSphere up = MakeSweep({0.5f, 5, 0.5f}, 1, {0, 10, 0});
  EXPECT_EQ(SweptSphereVsPlane(up.Sphere, &up, plane, 0), 0);
  CSweptSphere side = MakeSweep({0.5f, 0.5f, 0.5f}, 1, {10, 0, 0});
  EXPECT_EQ(SweptSphereVsPlane(side.Sphere, &side, plane, 0), 0);
}

TEST(SweptSphere, BigPolygonIsNotCulledForASmallSphereAtItsCorner) {
  // A 200-unit square; a sphere of radius 1 comes in almost level, along the
  // diagonal, from 40 units beyond a corner and catches the corner.  Bounds
  // compared by their squared radii alone would drop the polygon here:
  // 22.2² + 1.25 x 141.4² < 160.2².
  std::vector<std::uint8_t> bytes = bsp_fixture::QuadRecord({-100, 0, -100, -100, 0, 100, 100, 0, 100, 100, 0, -100});
  auto* square = reinterpret_cast<BspPolygon*>(bytes.data());
  const float plane[4] = {0, 1, 0, 0};
  CSweptSphere r = MakeSweep({128.28f, 0.5f, 128.28f}, 1, {-30, -0.5f, -30});
  ASSERT_EQ(SweptSphereVsPolygon(r.Sphere, &r, plane, square, 0), 1);
  EXPECT_NEAR(r.ContactPoint.x, 100.0f, 1e-3f);
  EXPECT_NEAR(r.ContactPoint.z, 100.0f, 1e-3f);
  EXPECT_GT(r.HitDistance, 38.0f);
  EXPECT_LT(r.HitDistance, 40.0f);
}

TEST(SweptSphere, QuadraticAndDistanceBack) {
  float r1 = 0, r2 = 0;
  ASSERT_EQ(SolveSweepQuadratic(1, -5, 6, &r1, &r2), 1);
  EXPECT_FLOAT_EQ(r1, 3);
  EXPECT_FLOAT_EQ(r2, 2);
  EXPECT_EQ(SolveSweepQuadratic(1, 0, 1, &r1, &r2), 0);

  CSphere s;
  s.Set({0, 0, 0}, 2);
  float d = 0;
  ASSERT_EQ(DistanceBackToSphere(s, {10, 0, 0}, {-1, 0, 0}, &d), 1);
  EXPECT_FLOAT_EQ(d, 8);
  ASSERT_EQ(DistanceBackToSphere(s, {10, 2, 0}, {-1, 0, 0}, &d), 1);  // grazing
  EXPECT_NEAR(d, 10, 1e-3f);
  EXPECT_EQ(DistanceBackToSphere(s, {10, 2.1f, 0}, {-1, 0, 0}, &d), 0);
}

TEST(PointInPolygonRules, EdgeCrossesRay) {
  struct Case {
    float x1, y1, x2, y2, px, py;
    int crosses;
  };
  const Case cases[] = {
      {0, 0, 0, 2, 1, 1, 1},   // vertical edge left of the point
      {2, 0, 2, 2, 1, 1, 0},   // right of the point
      {0, 1, 2, 1, 1, 1, 0},   // horizontal edge through the point's line
      {0, 2, 0, 3, 1, 1, 0},   // does not span py
      {0, 0, 2, 2, 1.5f, 1, 1},  // slanted, crossing at x = 1 < 1.5
      {0, 0, 2, 2, 0.5f, 1, 0},  // slanted, crossing at x = 1 > 0.5
      {2, 2, 0, 0, 1.5f, 1, 1},  // same edge reversed
  };
  for (const Case& c : cases) EXPECT_EQ(EdgeCrossesRay(c.x1, c.y1, c.x2, c.y2, c.px, c.py), c.crosses);
}

TEST(PointInPolygonRules, ProjectionFollowsThePlane) {
  // A unit square in the plane x = 3 (normal along x): tested on y and z.
  std::vector<std::uint8_t> bytes = bsp_fixture::QuadRecord({3, 0, 0, 3, 1, 0, 3, 1, 1, 3, 0, 1});
  auto* square = reinterpret_cast<BspPolygon*>(bytes.data());
  const float plane[4] = {1, 0, 0, -3};
  EXPECT_TRUE(PointInPolygon(plane, {3, 0.5f, 0.5f}, square));
  EXPECT_FALSE(PointInPolygon(plane, {3, 1.5f, 0.5f}, square));
  EXPECT_FALSE(PointInPolygonXZ({3, 0.5f, 0.5f}, square));  // seen from above it is a line
  const float tri[9] = {3, 0, 0, 3, 1, 0, 3, 0, 1};
  EXPECT_TRUE(PointInTriangle(plane, {3, 0.2f, 0.2f}, tri));
  EXPECT_FALSE(PointInTriangle(plane, {3, 0.8f, 0.8f}, tri));
  EXPECT_EQ(FindPolygonContaining(plane, square, {3, 0.5f, 0.5f}), square);
  const CVector3 positions[4] = {{3, 0, 0}, {3, 1, 0}, {3, 1, 1}, {3, 0, 1}};
  EXPECT_TRUE(PointInPlanarPolygon({3, 0.5f, 0.5f}, plane, 4, positions));
  EXPECT_FALSE(PointInPlanarPolygon({3, -0.5f, 0.5f}, plane, 4, positions));

  CVector3 out;
  ClosestPointOnPolygonEdge(&out, square, {3, 2, 0.5f});
  EXPECT_FLOAT_EQ(out.y, 1);
  EXPECT_FLOAT_EQ(out.z, 0.5f);
  ClosestPointOnSegment(&out, {0, 0, 0}, {0, 0, 0}, {5, 5, 5});
  EXPECT_FLOAT_EQ(out.x, 0);
  ClosestPointOnSegment(&out, {0, 0, 0}, {4, 0, 0}, {9, 1, 0});
  EXPECT_FLOAT_EQ(out.x, 4);
}

}  // namespace
