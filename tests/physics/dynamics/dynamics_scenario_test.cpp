// Whole scenes through the bridge and the world step, with measured
// outcomes: resting height and sleep, bounce height, a stack kept awake, a
// pyramid, and a box sliding to a stop under box friction.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <vector>

#include "physics/collision/mcd_space.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "scene_fixture.h"

using namespace mdt_test;

namespace {

float Height(McdModel* m) { return McdModelGetBody(m)->transform[13]; }

}  // namespace

TEST(DynamicsScenario, BoxDroppedOnAPlaneRestsAndSleeps) {
  Scene s;
  s.Ground();
  McdModel* box = s.Box(1, 1, 1, 1, 0, 2, 0);
  MdtBody* b = McdModelGetBody(box);
  int sleptAt = -1;
  for (int i = 0; i < 240 && sleptAt < 0; ++i) {
    s.Step(1.0f / 60);
    if (!MdtBodyIsEnabled(b)) sleptAt = i;
  }
  ASSERT_GE(sleptAt, 0) << "the box never went to sleep";
  EXPECT_NEAR(Height(box), 0.5f, 0.01f);
  EXPECT_TRUE(McdSpaceModelIsFrozen(box));
  // Sleeping costs nothing and moves nothing.
  const float h = Height(box);
  for (int i = 0; i < 30; ++i) s.Step(1.0f / 60);
  EXPECT_EQ(Height(box), h);
  // A push wakes it (the enabled callback unfreezes its model).
  MdtBodyEnable(b);
  EXPECT_FALSE(McdSpaceModelIsFrozen(box));
}

TEST(DynamicsScenario, SphereBouncesToTheHeightItsRestitutionPredicts) {
  struct Case {
    float restitution;
  } cases[] = {{0.5f}, {0.8f}};
  for (const Case& k : cases) {
    Scene s(200, 500, 4, false);
    // The contact's error correction adds gamma * penetration / h to the
    // bounce; at impact the penetration is about v h / 2, so the extra is
    // gamma v / 2 whatever the step.  A small gamma keeps it out of the
    // measurement.
    MdtWorldSetGamma(s.world, 0.01f);
    MdtContactParams* p = s.Params();
    MdtContactParamsSetRestitution(p, k.restitution);
    s.Ground();
    const float r = 0.25f, drop = 2.0f;
    McdModel* ball = s.Sphere(r, 1, 0, r + drop, 0);
    MdtBody* b = McdModelGetBody(ball);
    bool bounced = false;
    float peak = 0;
    for (int i = 0; i < 600; ++i) {
      s.Step(1.0f / 240);
      const float v = b->state.vel[1];
      if (!bounced && v > 0.5f) bounced = true;
      if (bounced) {
        peak = std::max(peak, Height(ball) - r);
        if (v < 0) break;
      }
    }
    const float expected = k.restitution * k.restitution * drop;
    EXPECT_NEAR(peak, expected, 0.06f * expected) << k.restitution;
  }
}

// Stacks and pyramids run awake (no automatic disabling, which would hide a
// slow collapse behind sleep) at the game's epsilon and error reduction.
TEST(DynamicsScenario, StackOfTenBoxesStandsForTwentySecondsAwake) {
  Scene s(200, 500, 4, false);
  ASSERT_FLOAT_EQ(MdtWorldGetGamma(s.world), 0.2f);
  s.Ground();
  std::vector<McdModel*> boxes;
  for (int i = 0; i < 10; ++i) boxes.push_back(s.Box(1, 1, 1, 1, 0, 0.5f + i * 1.0f, 0));
  const float cos3 = std::cos(3 * 3.14159265f / 180);
  float worstOverlap = 0, worstTilt = 1;
  for (int i = 0; i < 20 * 60; ++i) {
    s.Step(1.0f / 60);
    if (i < 60) continue;
    float below = 0;  // the ground's top
    for (McdModel* m : boxes) {
      const MdtBody* b = McdModelGetBody(m);
      worstOverlap = std::max(worstOverlap, below - (b->transform[13] - 0.5f));
      worstTilt = std::min(worstTilt, b->transform[5]);
      below = b->transform[13] + 0.5f;
    }
  }
  const MdtBody* top = McdModelGetBody(boxes.back());
  const float drift = std::sqrt(top->transform[12] * top->transform[12] +
                                (top->transform[13] - 9.5f) * (top->transform[13] - 9.5f) +
                                top->transform[14] * top->transform[14]);
  EXPECT_LT(drift, 0.02f);
  EXPECT_GT(worstTilt, cos3);
  EXPECT_LT(worstOverlap, 0.01f);
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(s.world), 10u);
}

TEST(DynamicsScenario, PyramidOfFiftyFiveBoxesSettles) {
  Scene s(200, 500);
  s.Ground();
  std::vector<McdModel*> boxes;
  for (int level = 0; level < 10; ++level)
    for (int i = 0; i < 10 - level; ++i)
      boxes.push_back(s.Box(1, 1, 1, 1, (i - (9 - level) * 0.5f) * 1.1f, 0.5f + level, 0));
  ASSERT_EQ(boxes.size(), 55u);
  for (int i = 0; i < 180; ++i) s.Step(1.0f / 60);
  float worst = 0, fastest = 0;
  size_t k = 0;
  for (int level = 0; level < 10; ++level)
    for (int i = 0; i < 10 - level; ++i, ++k) {
      MdtBody* b = McdModelGetBody(boxes[k]);
      worst = std::max(worst, std::fabs(b->transform[13] - (0.5f + level)));
      fastest = std::max(fastest, std::sqrt(b->state.vel[0] * b->state.vel[0] + b->state.vel[1] * b->state.vel[1] +
                                            b->state.vel[2] * b->state.vel[2]));
    }
  EXPECT_LT(worst, 0.05f);
  EXPECT_LT(fastest, 0.05f);
}

// The same pyramid kept awake for 5 s: every box stays within 5 cm of its
// rest place all the time (boxes of equal depth share edges, so their face
// contacts must not come and go with rounding).
TEST(DynamicsScenario, PyramidOfFiftyFiveBoxesStandsForFiveSecondsAwake) {
  Scene s(200, 500, 4, false);
  s.Ground();
  std::vector<McdModel*> boxes;
  std::vector<std::array<float, 2>> rest;
  for (int level = 0; level < 10; ++level)
    for (int i = 0; i < 10 - level; ++i) {
      rest.push_back({(i - (9 - level) * 0.5f) * 1.1f, 0.5f + level});
      boxes.push_back(s.Box(1, 1, 1, 1, rest.back()[0], rest.back()[1], 0));
    }
  float worst = 0;
  for (int i = 0; i < 5 * 60; ++i) {
    s.Step(1.0f / 60);
    for (size_t k = 0; k < boxes.size(); ++k) {
      const MdtBody* b = McdModelGetBody(boxes[k]);
      worst = std::max(worst, std::hypot(b->transform[12] - rest[k][0], b->transform[13] - rest[k][1],
                                         b->transform[14]));
    }
  }
  EXPECT_LT(worst, 0.05f);
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(s.world), 55u);
}

// Box friction: each of the four face contacts has two friction rows bounded
// by mu m g / 4, so the box slows at mu g along each friction direction of
// the contacts ((0, 0, 1) and (1, 0, 0) for a +y normal).  Launched along
// one of them it stops after v^2 / (2 mu g); launched along the diagonal both
// rows saturate and it slows at sqrt(2) mu g, stopping after
// v^2 / (2 sqrt(2) mu g).  Either way it does not turn.
TEST(DynamicsScenario, SlidingBoxStopsAtTheCoulombDistance) {
  const float mu = 0.5f, g = 9.81f, v = 5, m = 1;
  struct Case {
    const char* name;
    float dx, dz;
    float distance;
  } cases[] = {
      {"along x", 1, 0, v * v / (2 * mu * g)},
      {"along z", 0, 1, v * v / (2 * mu * g)},
      {"diagonal", std::sqrt(0.5f), std::sqrt(0.5f), v * v / (2 * std::sqrt(2.0f) * mu * g)},
  };
  for (const Case& k : cases) {
    Scene s(200, 500, 4, false);
    MdtContactParamsSetFriction(s.Params(), mu * m * g / 4);
    s.Ground();
    McdModel* box = s.Box(1, 1, 1, m, 0, 0.5f, 0);
    MdtBody* b = McdModelGetBody(box);
    for (int i = 0; i < 10; ++i) s.Step(1.0f / 60);  // let it settle on its contacts
    const float x0 = b->transform[12], z0 = b->transform[14];
    MdtBodySetLinearVelocity(b, v * k.dx, 0, v * k.dz);
    int steps = 0;
    for (; steps < 240; ++steps) {
      s.Step(1.0f / 60);
      if (std::hypot(b->state.vel[0], b->state.vel[2]) < 1e-3f) break;
    }
    EXPECT_LT(steps, 240) << k.name << ": still sliding";
    const float dx = b->transform[12] - x0, dz = b->transform[14] - z0;
    EXPECT_NEAR(std::hypot(dx, dz), k.distance, 0.03f * k.distance) << k.name;
    // Straight along the launch direction, and not turned about y.
    EXPECT_LT(std::fabs(dx * k.dz - dz * k.dx), 0.01f) << k.name;
    EXPECT_GT(b->transform[0], std::cos(1 * 3.14159265f / 180)) << k.name;
  }
}
