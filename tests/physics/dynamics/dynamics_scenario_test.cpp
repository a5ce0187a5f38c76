// Whole scenes through the bridge and the world step, with measured
// outcomes: resting height and sleep, bounce height, stacks and a pyramid.
#include <gtest/gtest.h>

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

TEST(DynamicsScenario, StackOfTenBoxesStandsForTwentySeconds) {
  Scene s;
  s.Ground();
  std::vector<McdModel*> boxes;
  for (int i = 0; i < 10; ++i) boxes.push_back(s.Box(1, 1, 1, 1, 0, 0.5f + i * 1.0f, 0));
  for (int i = 0; i < 20 * 60; ++i) s.Step(1.0f / 60);
  for (int i = 0; i < 10; ++i) {
    MdtBody* b = McdModelGetBody(boxes[i]);
    EXPECT_NEAR(b->transform[13], 0.5f + i, 0.02f) << i;
    EXPECT_LT(std::hypot(b->transform[12], b->transform[14]), 0.05f) << i;
    EXPECT_GT(b->transform[5], 0.999f) << i;  // still upright
  }
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
