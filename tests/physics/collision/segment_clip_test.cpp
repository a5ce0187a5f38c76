// Segment clipping against a half-space, a box and a cylinder; the box-edge
// driver; the closest point of a segment.  Intervals are checked against
// point-membership sampling along random segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>

#include "pair_fixture.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_segment_clip.h"

namespace {

TEST(SegmentClip, HalfSpaceCases) {
  struct Case {
    Vec3 p, d;
    bool accepted;
    float t0, t1;
  };
  const Case cases[] = {
      {{0, 0, 0}, {1, 0, 0}, true, -1, 1},        // lying in z = 0: unchanged
      {{0, 0, 0.1f}, {1, 0, 0}, false, 0, 0},     // parallel above
      {{0, 0, -0.1f}, {1, 0, 0}, true, -1, 1},    // parallel below
      {{0, 0, 0}, {0, 0, 2}, true, -1, 0},        // upward through the plane
      {{0, 0, 0.5f}, {0, 0, -1}, true, 0.5f, 1},  // downward through it
      {{0, 0, 3}, {0, 0, 1}, false, 0, 0},        // wholly above
  };
  for (const Case& c : cases) {
    float t0 = -1, t1 = 1;
    float inv = c.d[2] != 0 ? 1 / c.d[2] : 0;
    bool ok = McdClipSegmentHalfSpace(c.p.data(), c.d.data(), inv, &t0, &t1);
    EXPECT_EQ(ok, c.accepted) << c.p[2];
    if (ok && c.accepted) {
      EXPECT_FLOAT_EQ(t0, c.t0);
      EXPECT_FLOAT_EQ(t1, c.t1);
    }
  }
}

TEST(SegmentClip, HalfSpaceAppendersWriteCrossingsOrBothEnds) {
  float pts[12];
  float* cursor = pts;
  const float p[3] = {1, 2, 0.5f}, d[3] = {0, 0, 1};  // from z = -0.5 to 1.5
  EXPECT_EQ(McdClipHalfSpaceMoved(p, d, &cursor), 1);
  EXPECT_EQ(cursor, pts + 3);
  EXPECT_FLOAT_EQ(pts[2], 0.0f);
  EXPECT_EQ(McdClipHalfSpaceBothEnds(p, d, &cursor), 2);
  EXPECT_FLOAT_EQ(pts[5], -0.5f);
  EXPECT_FLOAT_EQ(pts[8], 0.0f);
  const float below[3] = {0, 0, -3};
  EXPECT_EQ(McdClipHalfSpaceMoved(below, d, &cursor), 0);  // nothing moved
  EXPECT_EQ(cursor, pts + 9);
}

bool InsideBox(const float* x, const float* h, float eps) {
  for (int i = 0; i < 3; ++i)
    if (std::fabs(x[i]) > h[i] + eps) return false;
  return true;
}

bool InsideCylinder(const float* x, float r, float h, float eps) {
  return x[0] * x[0] + x[1] * x[1] <= (r + eps) * (r + eps) && std::fabs(x[2]) <= h + eps;
}

// Every sampled t in [-1, 1] is inside the shape exactly when it lies in the
// clipped interval (up to a small tolerance at the ends).
template <typename Clip, typename Inside>
void CheckAgainstSampling(Clip clip, Inside inside, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-2.5f, 2.5f);
  for (int trial = 0; trial < 400; ++trial) {
    float p[3] = {u(rng), u(rng), u(rng)}, d[3] = {u(rng), u(rng), u(rng)};
    if (trial % 5 == 0) d[trial % 3] = 0.0f;  // axis-parallel segments too
    float t0 = -1, t1 = 1;
    bool ok = clip(p, d, &t0, &t1);
    for (int k = 0; k <= 200; ++k) {
      float t = -1 + k * 0.01f;
      float x[3] = {p[0] + t * d[0], p[1] + t * d[1], p[2] + t * d[2]};
      bool in = ok && t >= t0 - 1e-4f && t <= t1 + 1e-4f;
      bool outside = !ok || t < t0 - 0.02f || t > t1 + 0.02f;
      if (inside(x, -1e-3f) && !in) ADD_FAILURE() << "inside point cut off, trial " << trial;
      if (!inside(x, 1e-2f) && !outside && in) ADD_FAILURE() << "outside point kept, trial " << trial;
    }
  }
}

TEST(SegmentClip, BoxIntervalMatchesSampling) {
  const float h[3] = {1, 0.5f, 1.5f};
  CheckAgainstSampling(
      [&](const float* p, const float* d, float* t0, float* t1) {
        float inv[3];
        for (int i = 0; i < 3; ++i) inv[i] = std::fabs(d[i]) > 1e-6f ? 1 / d[i] : 0;
        return McdClipSegmentBox(p, d, inv, h, t0, t1);
      },
      [&](const float* x, float eps) { return InsideBox(x, h, eps); }, 7);
}

TEST(SegmentClip, CylinderIntervalMatchesSampling) {
  CheckAgainstSampling(
      [&](const float* p, const float* d, float* t0, float* t1) {
        return McdClipSegmentCylinder(p, d, 1.2f, 0.8f, t0, t1);
      },
      [&](const float* x, float eps) { return InsideCylinder(x, 1.2f, 0.8f, eps); }, 11);
}

TEST(SegmentClip, ParallelToABoxFaceIsAllOrNothing) {
  const float h[3] = {1, 1, 1};
  const float d[3] = {1, 0, 0}, inv[3] = {1, 0, 0};
  for (float z : {1.0001f, 1.5f, 100.0f, -1.001f}) {
    const float p[3] = {0, 0, z};
    float t0 = -1, t1 = 1;
    EXPECT_FALSE(McdClipSegmentBox(p, d, inv, h, &t0, &t1)) << z;
  }
  for (float z : {1.0f, 0.3f, -1.0f}) {
    const float p[3] = {0, 0, z};
    float t0 = -1, t1 = 1;
    ASSERT_TRUE(McdClipSegmentBox(p, d, inv, h, &t0, &t1)) << z;
    EXPECT_FLOAT_EQ(t0, -1.0f);
    EXPECT_FLOAT_EQ(t1, 1.0f);
  }
}

TEST(SegmentClip, CylinderSpecialDirections) {
  struct Case {
    Vec3 p, d;
    bool accepted;
    float t0, t1;
  };
  const Case cases[] = {
      {{0, 0, 0}, {2, 0, 0}, true, -0.5f, 0.5f},       // across the axis
      {{0.5f, 0, 0}, {0, 0, 2}, true, -0.5f, 0.5f},    // along the axis, inside
      {{2, 0, 0}, {0, 0, 2}, false, 0, 0},             // along the axis, outside
      {{0, 0, 2}, {1, 0, 0}, false, 0, 0},             // parallel to the caps, above
      {{0, 0, 0.5f}, {0.5f, 0, 0}, true, -1, 1},       // parallel to the caps, short
      {{0, 5, 0}, {1, 0, 0}, false, 0, 0},             // misses the side
      {{0, 0, 0}, {0, 0, 0}, true, -1, 1},             // a point inside
  };
  for (const Case& c : cases) {
    float t0 = -1, t1 = 1;
    bool ok = McdClipSegmentCylinder(c.p.data(), c.d.data(), 1, 1, &t0, &t1);
    EXPECT_EQ(ok, c.accepted) << c.p[0] << " " << c.p[1] << " " << c.p[2];
    if (ok && c.accepted) {
      EXPECT_NEAR(t0, c.t0, 1e-6f);
      EXPECT_NEAR(t1, c.t1, 1e-6f);
    }
  }
}

TEST(SegmentClip, StartAndMovedEnd) {
  const float h[3] = {1, 1, 1};
  float pts[6];
  float* cursor = pts;
  const float start[3] = {0, 0, 0}, out[3] = {4, 0, 0}, inv[3] = {0.25f, 0, 0};
  EXPECT_EQ(McdClipBoxStartMovedEnd(start, out, inv, h, &cursor), 2);
  EXPECT_FLOAT_EQ(pts[0], 0.0f);
  EXPECT_FLOAT_EQ(pts[3], 1.0f);
  cursor = pts;
  const float in[3] = {0.5f, 0, 0}, inv2[3] = {2, 0, 0};
  EXPECT_EQ(McdClipBoxStartMovedEnd(start, in, inv2, h, &cursor), 1);
  const float outsideStart[3] = {-3, 0, 0}, across[3] = {5, 0, 0}, inv3[3] = {0.2f, 0, 0};
  cursor = pts;
  EXPECT_EQ(McdClipBoxStartMovedEnd(outsideStart, across, inv3, h, &cursor), 2);
  EXPECT_FLOAT_EQ(pts[0], -1.0f);
  EXPECT_FLOAT_EQ(pts[3], 1.0f);
}

TEST(SegmentClip, CoincidentBoxesGiveTheirEightVerticesOnce) {
  const float h[3] = {1, 2, 3};
  float rel[16];
  auto id = MakeTransform({0, 0, 0});
  std::copy(id.begin(), id.end(), rel);
  float pts[McdBoxEdgesMaxPoints * 3];
  float* cursor = pts;
  int n = McdClipBoxEdgesAgainstBox(h, rel, h, &cursor);
  ASSERT_EQ(n, 8);
  std::set<std::tuple<float, float, float>> seen;
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(std::fabs(pts[3 * i + k]), h[k]);
    seen.insert({pts[3 * i], pts[3 * i + 1], pts[3 * i + 2]});
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST(SegmentClip, TurnedBoxEdgesGiveInsideVerticesAndFaceCrossings) {
  // B: a cube of half-extent 1 turned 45 degrees about z, centred at (0, 0, 1.5)
  // over A: half-extents (2, 2, 2).  Four of B's vertices are inside A (its
  // lower ones), and its four vertical edges cross A's top face z = 2.
  const float ha[3] = {2, 2, 2}, hb[3] = {1, 1, 1};
  auto t = MakeTransform({0, 0, 1.5f}, {0, 0, 1}, 0.785398f);
  float pts[McdBoxEdgesMaxPoints * 3];
  float* cursor = pts;
  int n = McdClipBoxEdgesAgainstBox(ha, t.data(), hb, &cursor);
  ASSERT_EQ(n, 8);
  int onTop = 0, atBottom = 0;
  for (int i = 0; i < n; ++i) {
    const float* x = pts + 3 * i;
    EXPECT_TRUE(InsideBox(x, ha, 1e-5f));
    EXPECT_LE(DistanceToBox(x, t.data(), hb), 1e-5f);
    onTop += std::fabs(x[2] - 2.0f) < 1e-5f;
    atBottom += std::fabs(x[2] - 0.5f) < 1e-5f;
  }
  EXPECT_EQ(onTop, 4);
  EXPECT_EQ(atBottom, 4);
}

TEST(SegmentClip, ClosestPointOnSegment) {
  struct Case {
    Vec3 q;
    int feature;
    Vec3 point;
  };
  const float a[3] = {1, 1, 0}, e[3] = {2, 0, 0};
  const Case cases[] = {
      {{-1, 3, 0}, 0, {1, 1, 0}},   // before the start
      {{1, 2, 0}, 1, {2, 1, 0}},    // over the middle
      {{5, -1, 0}, 0, {3, 1, 0}},   // past the end
      {{2, 0, 0}, 0, {3, 1, 0}},    // exactly at the end: u = |E|^2
  };
  for (const Case& c : cases) {
    float point[3];
    EXPECT_EQ(McdSegmentClosestPoint(a, e, c.q.data(), point), c.feature);
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(point[k], c.point[k]);
  }
}

}  // namespace
