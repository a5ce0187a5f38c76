// Line-segment queries of each geometry type against a brute-force march
// along the segment, the listed edge cases, and the space's nearest hit.
#include <cmath>
#include <random>

#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_space.h"
#include "physics/util/me_math.h"
#include "shape_fixture.h"

namespace {

constexpr int kSteps = 4000;

// What a march along the segment finds: the first parameter where the
// segment enters the shape (or, from inside, leaves it), or -1.
struct March {
  bool startsInside = false;
  float first = -1.0f;    // parameter in [0, 1]
  float lowest = 1e9f;    // smallest signed distance seen
  float endpoints = 1e9f; // smaller |signed distance| of the two ends
};

March MarchAlong(const ShapeRef& s, const float* a, const float* b) {
  March m;
  float p[3];
  for (int k = 0; k <= kSteps; ++k) {
    const float t = float(k) / kSteps;
    for (int i = 0; i < 3; ++i) p[i] = a[i] + t * (b[i] - a[i]);
    const float d = SignedDistance(s, p);
    m.lowest = std::min(m.lowest, d);
    if (k == 0 || k == kSteps) m.endpoints = std::min(m.endpoints, std::fabs(d));
    if (k == 0) {
      m.startsInside = d < 0.0f;
      continue;
    }
    if (m.first < 0.0f && ((!m.startsInside && d <= 0.0f) || (m.startsInside && d > 0.0f))) m.first = t;
  }
  return m;
}

class SegmentTest : public ShapePairTest {
 protected:
  // Random segments near the model; each hit is checked against the march.
  void CheckRandomSegments(McdModel* model, int (*fn)(McdModel*, const MeReal*, const MeReal*, McdLineSegHit*),
                           bool boxInside) {
    const ShapeRef ref = Ref(model);
    std::mt19937 rng(21);
    std::uniform_real_distribution<float> u(-2.5f, 2.5f);
    int hits = 0, misses = 0, insides = 0;
    for (int trial = 0; trial < 300; ++trial) {
      const float a[3] = {u(rng), u(rng), u(rng)}, b[3] = {u(rng), u(rng), u(rng)};
      float d[3];
      MeVector3Subtract(d, b, a);
      const float L = Length(d);
      const March m = MarchAlong(ref, a, b);
      // Grazing the surface, or an end on it: either answer is right.
      if (std::fabs(m.lowest) < 2e-3f || m.endpoints < 2e-3f) continue;
      McdLineSegHit hit{};
      const int got = fn(model, a, b, &hit);
      SCOPED_TRACE(trial);
      if (m.startsInside && boxInside) {
        ++insides;
        ASSERT_EQ(got, 1);
        EXPECT_EQ(hit.distance, 0.0f);
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(hit.position[i], a[i]);
        EXPECT_NEAR(Dot(hit.normal, d), -L, 1e-4f) << "opposite the segment's direction";
        continue;
      }
      EXPECT_EQ(got, m.first >= 0.0f ? 1 : 0);
      if (!got || m.first < 0.0f) {
        ++misses;
        continue;
      }
      ++hits;
      if (m.startsInside) ++insides;
      const float step = L / kSteps;
      EXPECT_NEAR(hit.distance, m.first * L, step + 1e-4f);
      float expected[3];
      for (int i = 0; i < 3; ++i) expected[i] = a[i] + hit.distance / L * d[i];
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(hit.position[i], expected[i], 1e-4f);
      EXPECT_NEAR(SignedDistance(ref, hit.position), 0.0f, 1e-4f) << "on the surface";
      // A unit outward normal: a little along it is outside.
      EXPECT_NEAR(Length(hit.normal), 1.0f, 1e-4f);
      float out[3];
      for (int i = 0; i < 3; ++i) out[i] = hit.position[i] + 1e-3f * hit.normal[i];
      EXPECT_GT(SignedDistance(ref, out), 0.0f);
      if (m.startsInside) {
        EXPECT_GE(Dot(hit.normal, d), 0.0f) << "leaving: along the segment";
      } else {
        EXPECT_LE(Dot(hit.normal, d), 0.0f) << "entering: against the segment";
      }
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(misses, 20);
    EXPECT_GT(insides, 3);
  }
};

TEST_F(SegmentTest, SphereAgreesWithTheMarch) {
  CheckRandomSegments(AddSphere(1.1f, MakeTransform({0.2f, -0.1f, 0.3f})), McdSphereLineSegment, false);
}

TEST_F(SegmentTest, BoxAgreesWithTheMarch) {
  CheckRandomSegments(AddBox({1.0f, 0.6f, 0.8f}, MakeTransform({0.1f, 0.2f, 0}, {1, 2, 3}, 0.7f)),
                      McdBoxLineSegment, true);
}

TEST_F(SegmentTest, CylinderAgreesWithTheMarch) {
  CheckRandomSegments(AddCylinder(0.9f, 1.8f, MakeTransform({0, 0.1f, -0.2f}, {1, 1, 0}, 0.9f)),
                      McdCylinderLineSegment, false);
}

TEST_F(SegmentTest, ConeAgreesWithTheMarch) {
  CheckRandomSegments(AddCone(2.4f, 1.2f, MakeTransform({0.1f, 0, 0}, {0, 1, 1}, 2.0f)),
                      McdConeLineSegment, false);
}

TEST_F(SegmentTest, PlaneCrossingsFromEitherSide) {
  McdModel* plane = AddPlane(MakeTransform({0, 0, 1}, {1, 0, 0}, 0.3f));
  const float* n = TransformOf(plane).data() + 8;
  struct Case {
    const char* label;
    Vec3 start, end;
    int hit;
  } cases[] = {
      {"down through it", {0, 0, 3}, {0, 0, -1}, 1},
      {"up through it from behind", {0.5f, 0, -1}, {0.5f, 0, 3}, 1},
      {"stopping short", {0, 0, 3}, {0, 0, 2}, 0},
      {"wholly behind", {0, 0, -3}, {1, 0, -2}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    McdLineSegHit hit{};
    ASSERT_EQ(McdPlaneLineSegment(plane, c.start.data(), c.end.data(), &hit), c.hit);
    if (!c.hit) continue;
    float rel[3];
    MeVector3Subtract(rel, hit.position, TransformOf(plane).data() + 12);
    EXPECT_NEAR(Dot(rel, n), 0.0f, 1e-5f);
    float along[3];
    MeVector3Subtract(along, hit.position, c.start.data());
    EXPECT_NEAR(hit.distance, Length(along), 1e-5f) << "measured forward from either side";
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(hit.normal[i], n[i]);
  }
  // Parallel to the plane: never a hit, even lying in it.
  const float a[3] = {0, -1, 1}, b[3] = {1, -1, 1};
  McdModel* flat = AddPlane(MakeTransform({0, 0, 1}));
  McdLineSegHit hit{};
  EXPECT_EQ(McdPlaneLineSegment(flat, a, b, &hit), 0);
}

TEST_F(SegmentTest, EdgeCases) {
  McdModel* sphere = AddSphere(1.0f, MakeTransform({0, 0, 0}));
  McdModel* box = AddBox({1, 1, 1}, MakeTransform({5, 0, 0}));
  McdLineSegHit hit{};
  const float inside[3] = {0.2f, 0, 0}, out[3] = {3, 0, 0};
  ASSERT_EQ(McdSphereLineSegment(sphere, inside, out, &hit), 1);
  EXPECT_NEAR(hit.position[0], 1.0f, 1e-6f) << "the exit point";
  EXPECT_NEAR(hit.distance, 0.8f, 1e-6f);
  const float a[3] = {-3, 0, 0}, shortEnd[3] = {-1.5f, 0, 0}, tiny[3] = {-3 + 1e-7f, 0, 0};
  EXPECT_EQ(McdSphereLineSegment(sphere, a, shortEnd, &hit), 0);
  EXPECT_EQ(McdSphereLineSegment(sphere, a, tiny, &hit), 0);
  const float away[3] = {-6, 0, 0};
  EXPECT_EQ(McdSphereLineSegment(sphere, a, away, &hit), 0);
  const float inBox[3] = {5.2f, 0.1f, 0}, past[3] = {9, 0, 0};
  ASSERT_EQ(McdBoxLineSegment(box, inBox, past, &hit), 1);
  EXPECT_EQ(hit.distance, 0.0f);
  EXPECT_FLOAT_EQ(hit.position[0], 5.2f);
  const float boxShort[3] = {3.5f, 0, 0};
  EXPECT_EQ(McdBoxLineSegment(box, out, boxShort, &hit), 0);
  // A segment entering the cylinder through its cap hits the cap, not the
  // side it leaves through.
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 5, 0}));
  const float above[3] = {0.5f, 5, 2}, sideways[3] = {1.5f, 5, -0.5f};
  ASSERT_EQ(McdCylinderLineSegment(cyl, above, sideways, &hit), 1);
  EXPECT_NEAR(hit.position[2], 1.0f, 1e-5f);
  EXPECT_NEAR(hit.normal[2], 1.0f, 1e-6f);
}

TEST_F(SegmentTest, SpaceNearestHitIgnoresAPlaneBehindTheStart) {
  McdSpaceID space = McdAxisSortCreate(McdAllAxes, 16, 16);
  McdModel* farBox = AddBox({0.5f, 0.5f, 0.5f}, MakeTransform({8, 0, 0}));
  McdModel* nearCone = AddCone(1.0f, 0.5f, MakeTransform({4, 0, 0}));
  McdModel* cyl = AddCylinder(0.5f, 1.0f, MakeTransform({6, 0, 0}));
  // The plane x = 5 faces +x: the segment starts behind it.
  McdModel* plane = AddPlane(MakeTransform({5, 0, 0}, {0, 1, 0}, 1.5707963f));
  Terrain terrain;
  terrain.AddTriangle({-10, -10, 0}, {10, -10, 0}, {0, 10, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  for (McdModel* m : {farBox, nearCone, cyl, plane, list}) ASSERT_EQ(McdSpaceInsertModel(space, m), 1);
  const float start[3] = {0, 0, 0}, end[3] = {10, 0, 0};
  McdLineSegHit hit{};
  // The plane is crossed 5 along the segment, from behind: measured
  // forward, it does not beat the cone.
  ASSERT_EQ(McdSpaceGetLineSegFirstIntersection(space, start, end, &hit), 1);
  EXPECT_EQ(hit.model, nearCone);
  EXPECT_NEAR(hit.distance, 4.0f - 0.375f, 1e-4f);  // the side's radius at the centre's height
  McdLineSegHit all[8];
  ASSERT_EQ(McdSpaceGetLineSegIntersections(space, start, end, all, 8), 4)
      << "box, cone, cylinder and plane; the triangle list has no segment function";
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(all[i].model, list);
    if (all[i].model == plane) {
      EXPECT_NEAR(all[i].distance, 5.0f, 1e-5f);
    }
  }
  for (McdModel* m : {farBox, nearCone, cyl, plane, list}) McdSpaceRemoveModel(m);
  McdSpaceDestroy(space);
}

}  // namespace
