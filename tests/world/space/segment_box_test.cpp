// The four-box screen of the zone line tests never refuses a box the exact
// slab test keeps, and does refuse boxes plainly clear of the segment.
#include "world/space/segment_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "render/geometry/geometry_ops.h"

using geom::operator+;
using geom::operator-;

namespace {

constexpr float kPad = 1.0f;

// The gathering's own test: the box padded by 1, the widened bounds, then the slab test.
bool ExactKeeps(const CVector3& a, const CVector3& b, const CVector3& lo, const CVector3& hi) {
  const CVector3 d = b - a, pad{kPad, kPad, kPad};
  const SegmentBounds bounds(a, d);
  float entry;
  return !bounds.Clear(lo - pad, hi + pad) && SegmentEntersBox(a, d, lo - pad, hi + pad, &entry);
}

// The screen's answer for the box placed in the given lane of a group whose
// other lanes hold boxes far from everything.
bool ScreenKeeps(const CVector3& a, const CVector3& b, const CVector3& lo, const CVector3& hi, int lane) {
  SegmentBoxScreen screen;
  EXPECT_TRUE(screen.Set(a, b - a, kPad));
  float group[24];
  for (int i = 0; i < 4; ++i) {
    const float l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
    for (int k = 0; k < 3; ++k) {
      group[4 * k + i] = i == lane ? l[k] : 3e7f;
      group[12 + 4 * k + i] = i == lane ? h[k] : 3e7f + 1;
    }
  }
  const unsigned mask = screen.MayMeetFour(group);
  EXPECT_EQ(mask & ~(1u << lane), 0u);  // the far boxes are refused
  return (mask >> lane) & 1u;
}

}  // namespace

TEST(SegmentBoxScreen, KeepsEveryHardBoxTheExactTestKeeps) {
  // Box [0, 10]³ padded to [-1, 11]³ unless given otherwise.
  const CVector3 lo{0, 0, 0}, hi{10, 10, 10};
  struct Case {
    const char* name;
    CVector3 a, b, lo, hi;
    bool exact;  // what the exact test answers
  };
  const Case cases[] = {
      {"touches the padded top face", {-5, 11, 5}, {15, 11, 5}, lo, hi, true},
      {"just above the padded top face", {-5, 11.001f, 5}, {15, 11.001f, 5}, lo, hi, false},
      {"grazes a padded edge", {-5, 11, 11}, {15, 11, 11}, lo, hi, true},
      {"grazes a padded corner diagonally", {-1, 11, 13}, {1, 11, 9}, lo, hi, true},
      {"ends on the padded face", {-20, 5, 5}, {-1, 5, 5}, lo, hi, true},
      {"ends short of the padded face", {-20, 5, 5}, {-1.01f, 5, 5}, lo, hi, false},
      {"starts on the padded face going away", {11, 5, 5}, {30, 5, 5}, lo, hi, true},
      {"vertical through a face", {5, -50, 5}, {5, 50, 5}, lo, hi, true},
      {"vertical on a padded side", {-1, -50, 5}, {-1, 50, 5}, lo, hi, true},
      {"vertical beside it", {-1.01f, -50, 5}, {-1.01f, 50, 5}, lo, hi, false},
      {"a point inside", {5, 5, 5}, {5, 5, 5}, lo, hi, true},
      {"a point on a padded corner", {11, 11, 11}, {11, 11, 11}, lo, hi, true},
      {"a point outside", {12, 5, 5}, {12, 5, 5}, lo, hi, false},
      {"flat box, crossed", {5, -3, 5}, {5, 3, 5}, {0, 0, 0}, {10, 0, 10}, true},
      {"flat box, along its plane", {-5, 1, 5}, {15, 1, 5}, {0, 0, 0}, {10, 0, 10}, true},
      {"point box on the segment's padded reach", {-5, 1, 1}, {5, 1, 1}, {0, 0, 0}, {0, 0, 0}, true},
      {"tiny direction along one axis", {-5, 5, 5}, {15, 5 + 1e-35f, 5}, lo, hi, true},
      {"far out, touching", {99990, 100011, 100005}, {100020, 100011, 100005}, {1e5f, 1e5f, 1e5f},
       {100010, 100010, 100010}, true},
      {"far out, negative direction", {100030, 100005, 100005}, {100011, 100005, 100005}, {1e5f, 1e5f, 1e5f},
       {100010, 100010, 100010}, true},
      {"a long way clear", {100, 100, 100}, {200, 300, 100}, lo, hi, false},
      {"beyond the end", {-100, 5, 5}, {-20, 5, 5}, lo, hi, false},
  };
  int lane = 0;
  for (const Case& c : cases) {
    ASSERT_EQ(ExactKeeps(c.a, c.b, c.lo, c.hi), c.exact) << c.name;
    if (c.exact) {
      EXPECT_TRUE(ScreenKeeps(c.a, c.b, c.lo, c.hi, lane)) << c.name;
    }
    lane = (lane + 1) % 4;
  }
  // Plainly clear boxes are refused.
  EXPECT_FALSE(ScreenKeeps({100, 100, 100}, {200, 300, 100}, lo, hi, 2));
  EXPECT_FALSE(ScreenKeeps({-100, 5, 5}, {-20, 5, 5}, lo, hi, 1));
  EXPECT_FALSE(ScreenKeeps({-2, -50, 5}, {-2, 50, 5}, lo, hi, 3));
}

TEST(SegmentBoxScreen, KeepsWhatTheExactTestKeepsOnGridAlignedCases) {
  // Ends and box faces on a coarse grid (plus offsets far from the origin),
  // so that many segments touch, graze or run along padded faces exactly.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> cell(-4, 4);
  const float offsets[] = {0.0f, 2500.0f, -60000.0f};
  int kept = 0, refused = 0;
  for (int q = 0; q < 200000; ++q) {
    const float o = offsets[q % 3];
    auto grid = [&] { return o + 0.5f * static_cast<float>(cell(rng)); };
    CVector3 a{grid(), grid(), grid()}, b{grid(), grid(), grid()};
    if (q % 5 == 0) b.y = a.y;  // level
    if (q % 7 == 0) b.x = a.x, b.z = a.z;  // vertical
    CVector3 lo{grid(), grid(), grid()}, hi{grid(), grid(), grid()};
    if (lo.x > hi.x) std::swap(lo.x, hi.x);
    if (lo.y > hi.y) std::swap(lo.y, hi.y);
    if (lo.z > hi.z) std::swap(lo.z, hi.z);
    const bool exact = ExactKeeps(a, b, lo, hi);
    const bool screen = ScreenKeeps(a, b, lo, hi, q % 4);
    if (exact) {
      ASSERT_TRUE(screen) << "case " << q;
    }
    kept += exact;
    refused += !screen;
  }
  EXPECT_GT(kept, 10000);
  EXPECT_GT(refused, 10000);
}

TEST(SegmentBoxScreen, KeepsABoxOfNaNsAndRefusesNothingForASegmentNotFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SegmentBoxScreen screen;
  ASSERT_TRUE(screen.Set({0, 0, 0}, {10, 0, 0}, kPad));
  float group[24];
  for (float& f : group) f = 1e6f;  // lanes far away
  for (int k = 0; k < 3; ++k) group[4 * k + 2] = group[12 + 4 * k + 2] = nan;
  EXPECT_EQ(screen.MayMeetFour(group), 1u << 2);
  EXPECT_FALSE(screen.Set({0, 0, 0}, {std::numeric_limits<float>::infinity(), 0, 0}, kPad));
  EXPECT_FALSE(screen.Set({nan, 0, 0}, {1, 0, 0}, kPad));
}
