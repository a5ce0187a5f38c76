#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/maths/random_tables.h"
#include "render/volumes/bounding_box.h"
#include "render/volumes/circle.h"
#include "render/volumes/oriented_box.h"
#include "render/volumes/rect_2d.h"
#include "render/volumes/sphere.h"

namespace {

TEST(BoundingBox, BoxRuleAndOverlap) {
  CBoundingBox a({0, 0, 0}, {0, 0, 0});
  EXPECT_FLOAT_EQ(a.Half.x, 1);
  EXPECT_FLOAT_EQ(a.Half.y, 1);
  EXPECT_FLOAT_EQ(a.Half.z, 1);
  CBoundingBox b({2, 0, 0}, {2, 0, 0});
  EXPECT_TRUE(a.Overlaps(b));  // thin boxes overlap as if 2 units thick
  CBoundingBox c({2.1f, 0, 0}, {2.1f, 0, 0});
  EXPECT_FALSE(a.Overlaps(c));
  // Point tests still use min and max.
  EXPECT_TRUE(a.ContainsPoint({0, 0, 0}, 0));
  EXPECT_FALSE(a.ContainsPoint({0.5f, 0, 0}, 0));

  CBoundingBox box({-1, -2, -3}, {1, 2, 3});
  EXPECT_TRUE(box.ContainsPoint({1, 2, 3}, 0));  // on a face counts
  EXPECT_FALSE(box.ContainsPoint({1.01f, 0, 0}, 0));
  EXPECT_TRUE(box.ContainsPoint({1.01f, 0, 0}, 0.02f));
  // Every face plane faces into the box.
  for (const CPlane& p : box.Planes) EXPECT_GT(p.Distance({0, 0, 0}), 0);

  box.Merge(CBoundingBox({5, 0, 0}, {6, 1, 1}));
  EXPECT_FLOAT_EQ(box.Max.x, 6);
  EXPECT_FLOAT_EQ(box.Min.z, -3);
  EXPECT_FLOAT_EQ(box.Centre.x, 2.5f);
}

TEST(BoundingBox, RaysAndSegments) {
  CBoundingBox box({-1, -1, -1}, {1, 1, 1});
  float d = -1;
  EXPECT_TRUE(box.RayEntry({0, 0, 1.00005f}, {0, 0, 1}, &d));  // inside within 0.0001
  EXPECT_FLOAT_EQ(d, 0);
  EXPECT_TRUE(box.RayEntry({-5, 0, 0}, {1, 0, 0}, &d));
  EXPECT_FLOAT_EQ(d, 4);
  EXPECT_FALSE(box.RayEntry({5, 0, 0}, {1, 0, 0}, &d)) << "a box behind the ray is not entered";
  EXPECT_FALSE(box.RayEntry({-5, 3, 0}, {1, 0, 0}, &d));

  CVector3 p;
  float t;
  ASSERT_TRUE(box.SegmentHit({-5, 0, 0}, {5, 0, 0}, &p, &t));
  EXPECT_FLOAT_EQ(p.x, -1);
  EXPECT_FLOAT_EQ(t, 0.4f);
  EXPECT_FALSE(box.SegmentHit({-5, 0, 0}, {-3, 0, 0}, &p, &t));

  CVector3 n;
  ASSERT_TRUE(box.SegmentHitFace({0, 5, 1.005f}, {0, -5, 1.005f}, &p, &n)) << "0.01 allowance outside a face";
  EXPECT_FALSE(box.SegmentHitFace({0, 5, 1.02f}, {0, -5, 1.02f}, &p, &n));

  CVector3 a{-5, 0, 0}, b{0, 0, 0};
  EXPECT_TRUE(box.ClipSegment(&a, &b));
  EXPECT_FLOAT_EQ(a.x, -1);
  EXPECT_FLOAT_EQ(b.x, 0);
}

TEST(BoundingBox, SphereTouchAndOrientedBoxes) {
  CBoundingBox box({0, 0, 0}, {4, 4, 4});
  CSphere s;
  s.Set({5.5f, 2, 2}, 2);
  EXPECT_TRUE(box.TouchesSphere(s));
  s.Set({6.5f, 2, 2}, 2);
  EXPECT_FALSE(box.TouchesSphere(s));

  COrientedBox turned({-2, -1, -1}, {2, 1, 1}, {10, 0, 0}, {0, 90, 0});
  CBoundingBox around;
  around.SetFromOrientedBox(turned);
  EXPECT_NEAR(around.Min.x, 9, 1e-4f);  // the long axis now lies along z
  EXPECT_NEAR(around.Max.z, 2, 1e-4f);
  CMatrix m;
  around.SetLocalFromOrientedBox(turned, &m);
  EXPECT_FLOAT_EQ(around.Max.x, 2);
  EXPECT_FLOAT_EQ(m.m[3][0], 10);
}

TEST(OrientedBox, SeparatingAxes) {
  COrientedBox a({-1, -1, -1}, {1, 1, 1}, {0, 0, 0}, {0, 0, 0});
  struct Case {
    const char* name;
    CVector3 position, angles;
    bool overlaps;
  };
  const Case cases[] = {
      {"face to face", {2, 0, 0}, {0, 0, 0}, true},
      {"apart", {2.01f, 0, 0}, {0, 0, 0}, false},
      {"turned 45 corner in", {2.3f, 0, 0}, {0, 45, 0}, true},
      {"turned 45 clear", {2.5f, 0, 0}, {0, 45, 0}, false},
  };
  for (const Case& c : cases) {
    COrientedBox b({-1, -1, -1}, {1, 1, 1}, c.position, c.angles);
    EXPECT_EQ(a.Overlaps(b), c.overlaps) << c.name;
    EXPECT_EQ(b.Overlaps(a), c.overlaps) << c.name;
  }
  // Only an edge-by-edge axis separates this pair: b turned 45 degrees about z, then 45 about x.
  const float h = 0.70710678f;
  COrientedBox b = a;
  b.Axis[0] = {h, 0.5f, 0.5f};
  b.Axis[1] = {-h, 0.5f, 0.5f};
  b.Axis[2] = {0, -h, h};
  b.Centre = {2.2f, 2.2f, 0};
  EXPECT_FALSE(a.Overlaps(b));
  EXPECT_FALSE(b.Overlaps(a));
  b.Centre = {1.5f, 1.5f, 0};
  EXPECT_TRUE(a.Overlaps(b));

  EXPECT_TRUE(a.ContainsPoint({1.00005f, 0, 0}));
  EXPECT_FALSE(a.ContainsPoint({1.001f, 0, 0}));
  CSphere s;
  s.Set({2.5f, 0, 0}, 1.5f);
  EXPECT_TRUE(a.TouchesSphere(s));
  CVector3 corner = a.LocalToWorld(1, -1, 1);
  EXPECT_FLOAT_EQ(corner.y, -1);
}

TEST(Sphere, MergeAndTests) {
  CSphere a, b, m;
  a.Set({0, 0, 0}, 1);
  b.Set({4, 0, 0}, 1);
  MergeSpheresInto(a, b, &m);
  EXPECT_FLOAT_EQ(m.Centre.x, 2);
  EXPECT_FLOAT_EQ(m.Radius, 3);
  // A sphere inside another merges to the larger one, in either order.
  CSphere big, small;
  big.Set({0, 0, 0}, 5);
  small.Set({1, 0, 0}, 1);
  MergeSpheresInto(big, small, &m);
  EXPECT_FLOAT_EQ(m.Radius, 5);
  MergeSpheresInto(small, big, &m);
  EXPECT_FLOAT_EQ(m.Radius, 5);
  MergeSpheres(&small, small);  // concentric: not shrunk to nothing
  EXPECT_FLOAT_EQ(small.Radius, 1);

  CSphere s;
  s.FromTriangle({0, 0, 0}, {3, 0, 0}, {0, 3, 0});
  EXPECT_NEAR(s.Centre.x, 1, 1e-5f);
  EXPECT_NEAR(s.Radius, std::sqrt(5.0f), 1e-5f);

  s.Set({0, 0, 0}, 1);
  EXPECT_TRUE(s.SegmentTouches({-2, 0.5f, 0}, {2, 0.5f, 0}));
  EXPECT_FALSE(s.SegmentTouches({-2, 1, 0}, {2, 1, 0}));  // tangent: not strictly inside
  EXPECT_FALSE(s.SegmentTouches({2, 0, 0}, {4, 0, 0}));
  CVector3 hit;
  ASSERT_TRUE(s.RayHit({-5, 0, 0}, {0, 0, 0}, &hit));
  EXPECT_FLOAT_EQ(hit.x, -1);
  EXPECT_FALSE(s.RayHit({-5, 2, 0}, {0, 2, 0}, &hit));
  CVector3 top = s.PointOnSurface({0, 7, 0});
  EXPECT_FLOAT_EQ(top.y, 1);

  const float plane[4] = {0, 1, 0, 0};
  const float tri[9] = {-5, 0, -5, 5, 0, -5, 0, 0, 5};
  s.Set({0, 0.5f, 0}, 1);
  EXPECT_TRUE(s.TouchesTriangle(tri, plane));  // above the middle, no corner or edge inside
  s.Set({0, 1.5f, 0}, 1);
  EXPECT_FALSE(s.TouchesTriangle(tri, plane));
  s.Set({20, 0.5f, 0}, 1);
  EXPECT_FALSE(s.TouchesTriangle(tri, plane));
}

TEST(RandomPoints, StayInsideAndFollowTheTables) {
  COrientedBox box({-1, -2, -3}, {1, 2, 3}, {5, 0, 0}, {30, 60, 10});
  CSphere s;
  s.Set({1, 2, 3}, 4);
  SeedRandomTables(7);
  std::vector<CVector3> first;
  for (int i = 0; i < 200; ++i) {
    CVector3 p = box.RandomPoint();
    EXPECT_TRUE(box.ContainsPoint(p));
    CVector3 q = s.RandomPoint();
    float dx = q.x - 1, dy = q.y - 2, dz = q.z - 3;
    EXPECT_LE(dx * dx + dy * dy + dz * dz, 16.0f * 1.0001f);
    first.push_back(q);
  }
  // Reseeding repeats the run.
  SeedRandomTables(7);
  box.RandomPoint();
  EXPECT_FLOAT_EQ(s.RandomPoint().x, first[0].x);
}

TEST(Rect2DAndCircle, Rules) {
  CRect2D a(0, 0, 0, 0);
  EXPECT_FLOAT_EQ(a.HalfWidth, 1);
  CRect2D b(2, 0, 2, 0);
  EXPECT_TRUE(a.Overlaps(b));
  CRect2D c(2.5f, 0, 3, 0);
  EXPECT_FALSE(a.Overlaps(c));
  CRect2D r(0, 0, 4, 2);
  EXPECT_TRUE(r.ContainsPoint(4, 2));
  EXPECT_FALSE(r.ContainsPoint(4.1f, 1));
  CCircle circle;
  circle.Set(5, 1, 1);
  EXPECT_TRUE(r.TouchesCircle(circle));
  circle.Set(5.5f, 1, 1);
  EXPECT_FALSE(r.TouchesCircle(circle));
  CRect2D merged;
  r.MergeInto(CRect2D(-3, 1, -2, 5), &merged);
  EXPECT_FLOAT_EQ(merged.MinX, -3);
  EXPECT_FLOAT_EQ(merged.MaxY, 5);
  EXPECT_FLOAT_EQ(merged.CentreX, 0.5f);

  CCircle p, q;
  p.Set(0, 0, 1);
  q.Set(2, 0, 1);
  EXPECT_TRUE(p.Overlaps(q));  // touching overlaps
  EXPECT_FALSE(p.ContainsPoint(1, 0));  // on the circle is outside
  EXPECT_TRUE(p.ContainsPoint(0.99f, 0));
  p.Merge(q);
  EXPECT_FLOAT_EQ(p.X, 1);
  EXPECT_FLOAT_EQ(p.Radius, 2);
}

}  // namespace
