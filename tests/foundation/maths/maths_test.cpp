#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "foundation/maths/angles.h"
#include "foundation/maths/fast_trig.h"
#include "foundation/maths/float_compare.h"
#include "foundation/maths/packed_direction.h"
#include "foundation/maths/plane.h"
#include "foundation/memory/point_array.h"
#include "foundation/maths/quadratic.h"
#include "foundation/maths/random15.h"
#include "foundation/maths/random_tables.h"
#include "foundation/maths/spline.h"

namespace {

constexpr float kPi = 3.14159265f;

TEST(Random15, FollowsTheLinearCongruentialSequence) {
  // seed = seed * 214013 + 2531011, result = (seed >> 16) & 0x7FFF, worked
  // by hand for the first steps from seed 1.
  SRand15(1);
  std::uint32_t s = 1;
  for (int i = 0; i < 100; ++i) {
    s = s * 214013u + 2531011u;
    EXPECT_EQ(Rand15(), static_cast<int>((s >> 16) & 0x7FFF));
  }
  SRand15(1);
  EXPECT_EQ(Rand15(), 41);
  EXPECT_EQ(Rand15(), 18467);
  EXPECT_EQ(Rand15(), 6334);
}

TEST(RandomTables, RepeatFromASeedAndStayInRange) {
  SeedRandomTables(7);
  std::vector<float> first;
  for (int i = 0; i < 10; ++i) first.push_back(RandomFloat(1.0f));
  SeedRandomTables(7);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(RandomFloat(1.0f), first[i]);
  ResetRandomFloatIndex();
  EXPECT_EQ(RandomFloat(2.0f), first[0] * 2.0f);
  // The float table is the generator's sequence / 32767, the integer table
  // the numbers after the first 2048.
  SRand15(7);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(first[i], static_cast<float>(Rand15()) * 3.051851e-5f);
  for (int i = 10; i < kRandomTableSize; ++i) Rand15();
  int ints[5];
  for (int& n : ints) n = Rand15();
  SeedRandomTables(7);
  for (int n : ints) EXPECT_EQ(RandomInt(), n);
  for (int i = 0; i < 5000; ++i) {
    float f = RandomFloatRange(-2.0f, 3.0f);
    ASSERT_GE(f, -2.0f);
    ASSERT_LE(f, 3.0f);
    int n = RandomInt();
    ASSERT_GE(n, 0);
    ASSERT_LE(n, 32767);
  }
}

TEST(RandomTables, IntegerRangesIncludingEmptyOnes) {
  SeedRandomTables(1);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(RandomIntRange(5, 6), 5);
    int v = RandomIntRange(-3, 4);
    EXPECT_GE(v, -3);
    EXPECT_LT(v, 4);
    EXPECT_LT(RandomIntBelow(10), 10);
  }
  EXPECT_EQ(RandomIntBelow(0), 0);
  EXPECT_EQ(RandomIntRange(4, 4), 4);
  EXPECT_EQ(RandomIntRange(9, 2), 9);
}

TEST(RandomTables, UnitDirectionsHaveUnitLength) {
  for (int i = 0; i < 200; ++i) {
    Vector3 d;
    RandomUnitDirection(&d);
    EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.0f, 2e-3f);
  }
}

TEST(Angles, AddDifferenceTurnAndMove) {
  EXPECT_EQ(AddAngles(350, 20), 10);
  EXPECT_EQ(AddAngles(-10, 5), 355);
  EXPECT_EQ(AddAngles(100, 260), 360);
  EXPECT_EQ(AngleDifference(350, 10), 20);
  EXPECT_EQ(AngleDifference(10, 350), -20);
  EXPECT_EQ(AngleDifference(0, 180), 180);
  struct Turn {
    float current, target, step, tolerance;
    bool wrap;
    float want;
  };
  const Turn turns[] = {
      {10, 10.5f, 5, 1, false, 10},   // within tolerance
      {10, 13, 5, 1, false, 13},      // closer than a step
      {10, 30, 5, 1, false, 15},
      {5, 350, 10, 1, false, -5},     // the short way round
      {5, 350, 10, 1, true, 355},
      {355, 20, 10, 1, true, 5},
  };
  for (const Turn& t : turns)
    EXPECT_FLOAT_EQ(TurnAngleTowards(t.current, t.target, t.step, t.tolerance, t.wrap), t.want);
  EXPECT_EQ(MoveValueTowards(0, 10, 3), 3);
  EXPECT_EQ(MoveValueTowards(9, 10, 3), 10);
  EXPECT_EQ(MoveValueTowards(10, 0, 4), 6);
  EXPECT_EQ(MoveValueTowards(2, 0, 4), 0);
}

TEST(Angles, DirectionsToPitchAndYaw) {
  struct Case {
    Vector3 dir;
    float pitch, yaw;
  };
  const Case cases[] = {
      {{0, 0, 1}, 0, 0},
      {{1, 0, 0}, 0, 90},
      {{-1, 0, 0}, 0, 270},
      {{0, 1, 0}, 270, 0},   // up is pitch -90
      {{0, -1, 1}, 45, 0},
  };
  for (const Case& c : cases) {
    Vector3 out;
    DirectionToAngles(c.dir, &out);
    EXPECT_NEAR(out.x, c.pitch, 1e-4f);
    EXPECT_NEAR(out.y, c.yaw, 1e-4f);
    EXPECT_EQ(out.z, 0.0f);
  }
  Vector3 out;
  AnglesBetweenPoints(Vector3{5, 0, 0}, Vector3{4, 0, 0}, &out);
  EXPECT_NEAR(out.y, 90.0f, 1e-4f);
  // AddDirection walks along the same angles.
  Vector3 v{0, 0, 0};
  AddDirection(&v, 0, 90, 2);
  EXPECT_NEAR(v.x, 2, 1e-5f);
  EXPECT_NEAR(v.z, 0, 1e-5f);
  Vector3 up{0, 0, 0};
  AddDirection(&up, -90, 0, 1);
  EXPECT_NEAR(up.y, 1, 1e-5f);
}

TEST(Angles, PlaneAnglesOfThreePointsTiltTheUpVectorOntoThePlane) {
  struct Case {
    const char* name;
    Vector3 a, b, c;
    float x, z;
  };
  const Case cases[] = {
      {"level", {0, 5, 0}, {1, 5, 0}, {0, 5, 1}, 0.0f, 0.0f},
      {"level, other winding", {0, 5, 0}, {0, 5, 1}, {1, 5, 0}, 0.0f, 0.0f},
      // Rising towards +z at 45 degrees: the normal leans to -z.
      {"rising along z", {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, -45.0f, 0.0f},
      // Rising towards +x at 30 degrees: the normal leans to -x.
      {"rising along x", {0, 0, 0}, {0, 0, 1}, {1, std::tan(30.0f * kPi / 180.0f), 0}, 0.0f, 30.0f},
      {"three points on a line", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    float x = 99.0f, z = 99.0f;
    PlaneAnglesFromPoints(c.a, c.b, c.c, &x, &z);
    EXPECT_NEAR(x, c.x, 1e-3f);
    EXPECT_NEAR(z, c.z, 1e-3f);
  }
}

TEST(Angles, RotatePointsAndSegmentAngles) {
  Vector2 in[2] = {{1, 0}, {0, 1}};
  Vector2 out[2];
  Vector2 offset{10, 20};
  RotatePoints2D(in, out, &offset, 90, 2);
  EXPECT_NEAR(out[0].x, 10, 1e-5f);
  EXPECT_NEAR(out[0].y, 19, 1e-5f);
  EXPECT_NEAR(out[1].x, 11, 1e-5f);
  EXPECT_NEAR(out[1].y, 20, 1e-5f);
  float elevation = 0, tilt = 0;
  SegmentAngles(Vector3{0, 5, 5}, Vector3{0, 0, 0}, Vector3{0, 0, 10}, &elevation, &tilt);
  EXPECT_NEAR(elevation, 0, 1e-4f);
  EXPECT_NEAR(tilt, -90, 1e-4f);
  SegmentAngles(Vector3{0, 0, 0}, Vector3{0, 0, 0}, Vector3{0, 0, 0}, &elevation, &tilt);
  EXPECT_FALSE(std::isnan(elevation));
}

TEST(FastTrig, TableSizeAndExactQuarterTurns) {
  ASSERT_EQ(FastTrig(kFastTrigDefaultResolution), 1);
  const std::uint32_t n = FastTrigTableSize();
  EXPECT_EQ(n, 7920u);
  EXPECT_EQ(FastSin(-kPi / 2), FastTrigEntry(3 * n / 4));
  EXPECT_EQ(FastSin(-kPi / 2), -1.0f);
  EXPECT_EQ(FastCos(0), 1.0f);
  EXPECT_EQ(FastSin(0), 0.0f);
  for (float a = -20.0f; a < 20.0f; a += 0.37f) {
    EXPECT_NEAR(FastSin(a), std::sin(a), 1e-3f) << a;
    EXPECT_NEAR(FastCos(a), std::cos(a), 1e-3f) << a;
  }
  // Far-out and non-finite angles still read an entry of the table.
  EXPECT_LE(std::fabs(FastSin(1e12f)), 1.0f);
  EXPECT_LE(std::fabs(FastSin(NAN)), 1.0f);
  EXPECT_EQ(FastTrig(0x10001), 0);
  EXPECT_EQ(FastTrigTableSize(), 7920u);
  ASSERT_EQ(FastTrig(1440 * 2), 1);
  EXPECT_EQ(FastTrigTableSize(), 720u);
  FastTrigRelease();
  EXPECT_EQ(FastTrigTableSize(), 7920u);  // rebuilt on demand
}

TEST(Comparisons, ToleranceAndSign) {
  EXPECT_TRUE(FloatsEqual(1.0f, 1.0f + 7e-6f));
  EXPECT_FALSE(FloatsEqual(1.0f, 1.0f + 1e-5f));
  EXPECT_TRUE(DoublesEqual(2.0, 2.0 + 7.5e-6));
  EXPECT_FALSE(DoublesEqual(2.0, 2.0 + 7.7e-6));
  EXPECT_EQ(Sign(1e-6f), 0);
  EXPECT_EQ(Sign(-1e-5f), -1);
  EXPECT_EQ(Sign(1e-5), 1);
  EXPECT_EQ(SignWithTolerance(0.5f, 1.0f), 0);
  EXPECT_TRUE(EqualWithin(1.0f, 1.4f, 0.5f));
}

TEST(Quadratic, RootsAndRefusals) {
  float r1 = 0, r2 = 0;
  ASSERT_EQ(SolveQuadratic(1, -3, 2, &r1, &r2), 1);
  EXPECT_FLOAT_EQ(r1, 1);
  EXPECT_FLOAT_EQ(r2, 2);
  EXPECT_EQ(SolveQuadratic(1, 2, 1, &r1, &r2), 0);  // double root
  EXPECT_EQ(SolveQuadratic(1, 0, 1, &r1, &r2), 0);  // no real root
  EXPECT_EQ(SolveQuadratic(0, 2, 1, &r1, &r2), 0);  // not a quadratic
}

TEST(Plane, ConstructionAndDominantAxis) {
  CPlane p;
  p.FromPoints(Vector3{0, 0, 0}, Vector3{0, 0, 1}, Vector3{1, 0, 0});
  EXPECT_FLOAT_EQ(p.n.y, 1);
  EXPECT_FLOAT_EQ(p.d, 0);
  EXPECT_FLOAT_EQ(p.Distance(Vector3{3, 2, 1}), 2);
  CPlane degenerate;
  degenerate.FromPoints(Vector3{1, 1, 1}, Vector3{1, 1, 1}, Vector3{2, 2, 2});
  EXPECT_EQ(degenerate.n.x, 0);
  EXPECT_EQ(degenerate.n.y, 0);
  CPlane q;
  q.FromNormalAndPoint(Vector3{0, 0, 2}, Vector3{0, 0, 3});
  EXPECT_FLOAT_EQ(q.n.z, 2);
  EXPECT_FLOAT_EQ(q.d, -6);
  struct Axis {
    Vector3 n;
    int want;
  };
  const Axis axes[] = {{{0, 0, 1}, 0}, {{0, 1, 0}, 1}, {{1, 0, 0}, 2}, {{1, 0, 1}, 2}, {{0, 1, 1}, 1}};
  for (const Axis& a : axes) {
    CPlane t;
    t.n = a.n;
    EXPECT_EQ(t.DominantAxis(), a.want);
  }
}

TEST(Plane, RaysLinesAndSegments) {
  CPlane floor;
  floor.FromNormalAndPoint(Vector3{0, 1, 0}, Vector3{0, 0, 0});
  Vector3 hit;
  float t = -1;
  EXPECT_EQ(floor.IntersectRayFront(Vector3{0, 5, 0}, Vector3{0, -1, 0}, &hit, &t), 1);
  EXPECT_FLOAT_EQ(t, 5);
  EXPECT_EQ(floor.IntersectRayFront(Vector3{0, -5, 0}, Vector3{0, 1, 0}, &hit, &t), 0);
  EXPECT_EQ(floor.IntersectRay(Vector3{0, -5, 0}, Vector3{0, 1, 0}, &hit, &t), 1);
  EXPECT_FLOAT_EQ(t, 5);
  EXPECT_EQ(floor.IntersectRay(Vector3{0, 5, 0}, Vector3{1, 0, 0}, &hit, &t), 0);
  EXPECT_EQ(floor.IntersectLine(Vector3{0, 2, 0}, Vector3{0, 4, 0}, &hit, &t), 1);
  EXPECT_FLOAT_EQ(t, -1);  // lines have no range
  struct Seg {
    Vector3 a, b;
    int front, any;
    float t;
  };
  const Seg segs[] = {
      {{0, 1, 0}, {0, -1, 0}, 1, 1, 0.5f},
      {{0, 0, 0}, {0, -1, 0}, 1, 1, 0.0f},  // starts on the plane
      {{0, -1, 0}, {0, 1, 0}, 0, 1, 0.5f},  // crosses from behind
      {{0, 3, 0}, {0, 1, 0}, 0, 0, 0.0f},   // stops short
      {{0, 1, 0}, {2, 1, 0}, 0, 0, 0.0f},   // parallel
  };
  for (const Seg& s : segs) {
    float tf = -1;
    Vector3 pf{};
    EXPECT_EQ(floor.IntersectSegmentFront(s.a, s.b, &pf, &tf), s.front);
    if (s.front) {
      EXPECT_FLOAT_EQ(tf, s.t);
      EXPECT_NEAR(pf.y, 0, 1e-6f);
    }
    float ta = -1;
    EXPECT_EQ(floor.IntersectSegment(s.a, s.b, nullptr, &ta), s.any);
    if (s.any) {
      EXPECT_FLOAT_EQ(ta, s.t);
    }
  }
  Vector3 start{0, 0, 0};
  EXPECT_EQ(floor.IntersectSegmentFront(start, Vector3{1, -1, 0}, &hit, &t), 1);
  EXPECT_EQ(hit.x, 0);
  EXPECT_EQ(t, 0);
}

TEST(Plane, ClipKeepsThePartInFront) {
  CPlane floor;
  floor.FromNormalAndPoint(Vector3{0, 1, 0}, Vector3{0, 0, 0});
  Vector3 a{0, 2, 0}, b{0, -2, 0};
  EXPECT_EQ(floor.ClipSegmentToFront(&a, &b), 1);
  EXPECT_FLOAT_EQ(a.y, 2);
  EXPECT_NEAR(b.y, 0, 1e-6f);
  Vector3 c{0, -2, 0}, d{0, 2, 0};
  EXPECT_EQ(floor.ClipSegmentToFront(&c, &d), 1);
  EXPECT_NEAR(c.y, 0, 1e-6f);
  EXPECT_FLOAT_EQ(d.y, 2);
  Vector3 on{0, 0, 0}, e{0, 1, 0};
  EXPECT_EQ(floor.ClipSegmentToFront(&on, &e), 0);
  Vector3 f{0, 1, 0}, g{0, 3, 0};
  EXPECT_EQ(floor.ClipSegmentToFront(&f, &g), 0);
  EXPECT_EQ(g.y, 3);
}

TEST(Plane, DoublePrecisionFamily) {
  CPlaneD p;
  p.FromPoints(Vector3D{0, 0, 0}, Vector3D{0, 0, 1}, Vector3D{1, 0, 0});
  double t = 0;
  Vector3D hit;
  EXPECT_EQ(p.IntersectSegmentFront(Vector3D{0, 4, 0}, Vector3D{0, -4, 0}, &hit, &t), 1);
  EXPECT_DOUBLE_EQ(t, 0.5);
}

TEST(Polygon, SquareIsConvexBowTieIsNot) {
  const Vector3 square[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
  const Vector3 bowTie[] = {{0, 0, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
  const Vector3 bent[] = {{0, 0, 0}, {1, 0, 0}, {1, 0.5f, 1}, {0, 0, 1}};
  EXPECT_TRUE(IsPlanarConvex(square, 4));
  EXPECT_FALSE(IsPlanarConvex(bowTie, 4));
  EXPECT_FALSE(IsPlanarConvex(bent, 4));
  EXPECT_TRUE(IsPlanarConvex(square, 0));
  const Vector3D squareD[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
  EXPECT_TRUE(IsPlanarConvex(squareD, 4));
}

TEST(Spline, CatmullRomEndsAndMiddle) {
  Vector3 p0{0, 0, 0}, p1{1, 1, 0}, p2{2, 3, 0}, p3{3, 3, 0};
  Vector3 out;
  CatmullRomInterpolate(p0, p1, p2, p3, 0, &out);
  EXPECT_EQ(out.y, 1);
  CatmullRomInterpolate(p0, p1, p2, p3, 1, &out);
  EXPECT_EQ(out.y, 3);
  CatmullRomInterpolate(p0, p1, p2, p3, 0.5f, &out);
  EXPECT_FLOAT_EQ(out.x, 1.5f);
  // weights at 0.5: -0.0625, 0.5625, 0.5625, -0.0625
  EXPECT_FLOAT_EQ(out.y, -0.0625f * 0 + 0.5625f * 1 + 0.5625f * 3 - 0.0625f * 3);
}

TEST(Spring, StepMovesTowardTheTarget) {
  Vector3 pos{0, 0, 0}, vel{0, 0, 0}, acc{};
  SpringStep3D(0.1f, Vector3{10, 0, 0}, &pos, &acc, &vel, 2.0f, 0.5f);
  EXPECT_FLOAT_EQ(acc.x, 20);
  EXPECT_FLOAT_EQ(vel.x, 2);
  EXPECT_FLOAT_EQ(pos.x, 0.2f);
  Vector2 p2{0, 0}, v2{1, 0}, a2{};
  SpringStep2D(1.0f, Vector2{0, 4}, &p2, &a2, &v2, 1.0f, 1.0f);
  EXPECT_FLOAT_EQ(a2.x, -1);
  EXPECT_FLOAT_EQ(a2.y, 4);
  EXPECT_FLOAT_EQ(p2.y, 4);
}

TEST(PackedDirection, BytesAndRoundTrip) {
  EXPECT_EQ(PackDirection(1, 0, -1), 0x0081007Fu);
  EXPECT_EQ(PackDirection(0.5f, -0.5f, 0) & 0xFFFFu, 0xC13Fu);
  Vector3 v = UnpackDirection(PackDirection(0.6f, 0.8f, 0));
  EXPECT_NEAR(v.x, 0.6f, 0.01f);
  EXPECT_NEAR(v.y, 0.8f, 0.01f);
  EXPECT_EQ(PackDirection(2.0f, -3.0f, NAN), PackDirection(1, -1, -1));
}

TEST(PointArray, OwnsTrackedPoints) {
  Vectors points(3);
  EXPECT_EQ(points.Count(), 3u);
  points[2] = Vector3{1, 2, 3};
  EXPECT_EQ(points.Points()[2].z, 3);
}

}  // namespace
