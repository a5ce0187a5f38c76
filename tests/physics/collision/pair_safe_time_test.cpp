// Safe times of the sphere, plane and box pairs against the analytic time of
// first contact, through the framework's McdSafeTime.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_fixture.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"

namespace {

class SafeTime : public PairFixture {
 protected:
  // Runs McdSafeTime; answers the status and leaves the time in time_.
  int Run(McdModelPair* pair, float maxTime) {
    McdSafeTimeResult r{};
    int status = McdSafeTime(pair, maxTime, &r);
    time_ = r.time;
    EXPECT_EQ(r.pair, pair);
    return status;
  }
  float time_ = -1;
};

TEST_F(SafeTime, SphereSphere) {
  struct Case {
    const char* name;
    Vec3 v1, v2;
    float maxTime;
    int status;
    float time;
  };
  // Unit spheres at x = 0 and x = 5: gap 3.
  const Case cases[] = {
      {"head-on", {1, 0, 0}, {-1, 0, 0}, 10, 1, 1.5f},
      {"one moving", {0, 0, 0}, {-3, 0, 0}, 10, 1, 1.0f},
      {"separating", {-1, 0, 0}, {1, 0, 0}, 10, 0, 10},
      {"too slow for the span", {0, 0, 0}, {-0.00005f, 0, 0}, 10, 0, 10},
      {"sideways", {0, 0, 0}, {0, 2, 0}, 4, 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    McdModel* a = AddSphere(1, MakeTransform({0, 0, 0}));
    McdModel* b = AddSphere(1, MakeTransform({5, 0, 0}));
    SetVelocity(a, c.v1);
    SetVelocity(b, c.v2);
    EXPECT_EQ(Run(Open(a, b), c.maxTime), c.status);
    EXPECT_NEAR(time_, c.time, 1e-5f);
  }
}

TEST_F(SafeTime, OverlappingSpheresApproachingAreNotSafeAtAll) {
  McdModel* a = AddSphere(1, MakeTransform({0, 0, 0}));
  McdModel* b = AddSphere(1, MakeTransform({1.5f, 0, 0}));
  SetVelocity(a, {1, 0, 0});
  SetVelocity(b, {0, 0, 0});
  EXPECT_EQ(Run(Open(a, b), 5), 1);
  EXPECT_EQ(time_, 0.0f);
}

TEST_F(SafeTime, SpherePlane) {
  struct Case {
    Vec3 v;
    int status;
    float time;
  };
  // Unit sphere at height 3: gap 2 to the plane z = 0.
  const Case cases[] = {
      {{0, 0, -2}, 1, 1.0f},
      {{5, 0, -2}, 1, 1.0f},       // sliding does not matter
      {{0, 0, 0.00001f}, 0, 8.0f}, // too slow for the span
  };
  for (const Case& c : cases) {
    McdModel* s = AddSphere(1, MakeTransform({1, 2, 3}));
    McdModel* p = AddPlane(MakeTransform({0, 0, 0}));
    SetVelocity(s, c.v);
    SetVelocity(p, {0, 0, 0});
    EXPECT_EQ(Run(Open(p, s), 8), c.status);
    EXPECT_NEAR(time_, c.time, 1e-5f);
  }
}

TEST_F(SafeTime, BoxPlane) {
  const float r2 = std::sqrt(2.0f);
  struct Case {
    const char* name;
    std::array<float, 16> box;
    Vec3 v;
    int status;
    float time;
  };
  // Cube of side 2 at height 3: lowest point 2 above the plane.
  const Case cases[] = {
      {"falling", MakeTransform({0, 0, 3}), {0, 0, -4}, 1, 0.5f},
      {"falling and sliding", MakeTransform({0, 0, 3}), {7, 1, -4}, 1, 0.5f},
      {"edge down", MakeTransform({0, 0, 3}, {1, 0, 0}, 0.785398f), {0, 0, -1}, 1, 3 - r2},
      {"sliding along the plane", MakeTransform({0, 0, 3}), {3, 0, 0}, 0, 10},
      {"rising", MakeTransform({0, 0, 3}), {0, 0, 1}, 0, 10},
      {"at rest", MakeTransform({0, 0, 3}), {0, 0, 0}, 0, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    McdModel* b = AddBox({2, 2, 2}, c.box);
    McdModel* p = AddPlane(MakeTransform({0, 0, 0}));
    SetVelocity(b, c.v);
    SetVelocity(p, {0, 0, 0});
    EXPECT_EQ(Run(Open(b, p), 10), c.status);
    EXPECT_NEAR(time_, c.time, 1e-5f);
    EXPECT_TRUE(std::isfinite(time_));
  }
}

TEST_F(SafeTime, BoxBoxWithoutTurningIsOneSweep) {
  // Cubes of side 2 at x = 0 and x = 5 (gap 3) closing at 3 per second.
  McdModel* a = AddBox({2, 2, 2}, MakeTransform({0, 0, 0}));
  McdModel* b = AddBox({2, 2, 2}, MakeTransform({5, 0.5f, 0}));
  SetVelocity(a, {1, 0, 0});
  SetVelocity(b, {-2, 0, 0});
  EXPECT_EQ(Run(Open(a, b), 4), 1);
  EXPECT_NEAR(time_, 1.0f, 1e-5f);
}

TEST_F(SafeTime, BoxBoxTurningStaysWithinOneStepOfTheTrueTime) {
  // Box 2 spins about z while closing: the true first contact is found by
  // fine stepping with exact rotation and the separating-axis overlap test.
  const float spin = 3.0f, speed = -1.5f, T = 2.0f;
  McdModel* a = AddBox({2, 1, 1}, MakeTransform({0, 0, 0}));
  McdModel* b = AddBox({2, 1, 1}, MakeTransform({4, 0, 0}));
  SetVelocity(a, {0, 0, 0});
  SetVelocity(b, {speed, 0, 0}, {0, 0, spin});
  ASSERT_EQ(Run(Open(a, b), T), 1);

  const float ha[3] = {1, 0.5f, 0.5f};
  float truth = T;
  for (int i = 0; i <= 20000; ++i) {
    float t = T * i / 20000;
    auto pose = MakeTransform({4 + speed * t, 0, 0}, {0, 0, 1}, spin * t);
    auto id = MakeTransform({0, 0, 0});
    float rel[16];
    McdRelativeTransform(rel, id.data(), pose.data());
    McdBoxBoxAxis axis;
    if (McdBoxBoxSeparatingAxis(ha, ha, rel, 0.0f, &axis)) {
      truth = t;
      break;
    }
  }
  const int steps = static_cast<int>(std::floor(spin * T / 0.2f)) + 1;
  EXPECT_LT(truth, T);
  EXPECT_NEAR(time_, truth, T / steps);
}

TEST_F(SafeTime, BoxSphereSweepsTheStandInCube) {
  // Cube of side 2 at the origin, unit sphere at x = 5 closing at 1: the
  // sphere's stand-in cube has half-extent 2 / (sqrt 2 + 1).
  McdModel* b = AddBox({2, 2, 2}, MakeTransform({0, 0, 0}));
  McdModel* s = AddSphere(1, MakeTransform({5, 0, 0}));
  SetVelocity(b, {0, 0, 0});
  SetVelocity(s, {-1, 0, 0});
  EXPECT_EQ(Run(Open(s, b), 10), 1);
  EXPECT_NEAR(time_, 5 - 1 - 2 / (std::sqrt(2.0f) + 1), 1e-5f);
  // Moving away: the sweep never meets.
  SetVelocity(s, {1, 0, 0});
  EXPECT_EQ(Run(Open(s, b), 10), 0);
  EXPECT_EQ(time_, 10.0f);
}

TEST(BoxSweep, EntryTimesAndMisses) {
  const float h[3] = {1, 1, 1};
  auto t1 = MakeTransform({0, 0, 0});
  struct Case {
    const char* name;
    Vec3 p2, v2;
    int hit;
    float time;
  };
  const Case cases[] = {
      {"passing through", {5, 0, 0}, {-10, 0, 0}, 1, 0.3f},
      {"stopping short", {5, 0, 0}, {-2, 0, 0}, 0, 0},
      {"moving away", {5, 0, 0}, {10, 0, 0}, 0, 0},
      {"overlapping at the start", {1.5f, 0, 0}, {10, 0, 0}, 1, 0},
      {"passing beside", {5, 3, 0}, {-10, 0, 0}, 0, 0},
      {"diagonal", {5, 5, 0}, {-10, -10, 0}, 1, 0.3f},
  };
  for (const Case& c : cases) {
    auto t2 = MakeTransform(c.p2);
    float time = -1;
    EXPECT_EQ(McdBoxSweep(h, t1.data(), nullptr, h, t2.data(), c.v2.data(), 1.0f, &time), c.hit)
        << c.name;
    if (c.hit) {
      EXPECT_NEAR(time, c.time, 1e-5f) << c.name;
    }
  }
}

}  // namespace
