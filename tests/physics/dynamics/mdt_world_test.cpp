// The dynamics world: creation, parameters, partitioning, automatic
// disabling, free fall and the solver scratch memory.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../util/message_recorder.h"
#include "dynamics_fixture.h"
#include "physics/dynamics/mdt_contact.h"

using namespace mdt_test;

namespace {

std::vector<MdtBody*> g_woken;
void RecordEnabled(MdtBody* b) { g_woken.push_back(b); }

}  // namespace

TEST(MdtWorld, CreationAndDefaults) {
  EXPECT_EQ(MdtWorldCreate(0, 10), nullptr);
  WorldPtr w(MdtWorldCreate(200, 500));
  ASSERT_NE(w, nullptr);
  EXPECT_FLOAT_EQ(MdtWorldGetEpsilon(w.get()), 0.01f);
  EXPECT_FLOAT_EQ(MdtWorldGetGamma(w.get()), 0.2f);
  EXPECT_EQ(MdtWorldGetAutoDisable(w.get()), 0u);
  EXPECT_FLOAT_EQ(MdtWorldGetAutoDisableVelocityThreshold(w.get()), 0.02f);
  EXPECT_FLOAT_EQ(MdtWorldGetAutoDisableAngularVelocityThreshold(w.get()), 0.001f);
  EXPECT_FLOAT_EQ(MdtWorldGetAutoDisableAccelerationThreshold(w.get()), 0.5f);
  EXPECT_FLOAT_EQ(MdtWorldGetAutoDisableAngularAccelerationThreshold(w.get()), 0.002f);
  EXPECT_EQ(MdtWorldGetAutoDisableAliveSteps(w.get()), 10u);
  EXPECT_EQ(MdtWorldGetMaxBodies(w.get()), 200u);
  EXPECT_EQ(MdtWorldGetMaxConstraints(w.get()), 500u);
  EXPECT_EQ(w->rowCapacity % 12, 0);
  EXPECT_GE(w->rowCapacity, 5000);
  MdtWorldSetGammaFromSpring(w.get(), 2, 8, 3);
  EXPECT_FLOAT_EQ(MdtWorldGetGamma(w.get()), 0.75f);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(w->packedStates) % 64, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(w->packedTransforms) % 64, 0u);
}

TEST(MdtWorld, FreeFallMatchesSemiImplicitEuler) {
  WorldPtr w = EngineWorld(4, 4, false);
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodySetPosition(b, 0, 10, 0);
  MdtBodySetLinearVelocity(b, 1, 2, 0);
  MdtBodyEnable(b);
  double x = 0, y = 10, vy = 2;
  const float h = 1.0f / 60;
  for (int i = 0; i < 120; ++i) {
    MdtWorldStep(w.get(), h);
    vy += -9.81f * h;
    y += vy * h;
    x += 1.0 * h;
  }
  MeReal p[3];
  MdtBodyGetPosition(b, p);
  EXPECT_NEAR(p[1], y, 1e-4 * std::fabs(y) + 1e-5);
  EXPECT_NEAR(p[0], x, 1e-5);
  MeReal f[3];
  MdtBodyGetForce(b, f);
  EXPECT_EQ(f[1], 0.0f);  // accumulators cleared at the end of the step
}

TEST(MdtWorld, PartitionsFollowConstraintsAndWakeDisabledBodies) {
  WorldPtr w(MdtWorldCreate(8, 8));
  g_woken.clear();
  MdtWorldSetBodyEnabledCallback(w.get(), RecordEnabled);
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBody* lone = MdtBodyCreate(w.get());
  MdtBody* sleeper = MdtBodyCreate(w.get());
  MdtBodyEnable(a);
  MdtBodyEnable(b);
  MdtBodyEnable(lone);
  MdtContact* ab = MdtContactCreate(w.get());
  MdtContact* bs = MdtContactCreate(w.get());
  MdtConstraintSetBodies(ab, a, b);
  MdtConstraintSetBodies(bs, b, sleeper);
  MdtConstraintEnable(ab);
  MdtConstraintEnable(bs);
  g_woken.clear();
  MdtPartitionOutput* out = &w->partitions;
  MdtPartition(w.get(), out, nullptr);
  ASSERT_EQ(out->partitionCount, 2);
  EXPECT_EQ(out->totalBodies, 4);
  EXPECT_EQ(out->totalConstraints, 2);
  // The sleeper was reached through a constraint: woken, callback run.
  ASSERT_EQ(g_woken.size(), 1u);
  EXPECT_EQ(g_woken[0], sleeper);
  EXPECT_TRUE(MdtBodyIsEnabled(sleeper));
  EXPECT_EQ(a->partition, b->partition);
  EXPECT_EQ(sleeper->partition, a->partition);
  EXPECT_NE(lone->partition, a->partition);
  const int lp = lone->partition;
  EXPECT_EQ(out->bodyCount[lp], 1);
  EXPECT_EQ(out->constraintCount[lp], 0);
  // Flags are cleared for the next step.
  for (MdtBody* x : {a, b, lone, sleeper}) EXPECT_EQ(x->visited, 0u);
  EXPECT_EQ(ab->visited, 0u);
  MdtBodySetSafeTime(b, 0.25f);
  EXPECT_FLOAT_EQ(MdtPartitionGetSafeTime(out, a->partition), 0.25f);
  EXPECT_EQ(MdtPartitionGetSafeTime(out, lp), MeInfinity);
  EXPECT_EQ(MdtPartitionGetSafeTime(out, 7), MeInfinity);
}

TEST(MdtWorld, RestingBodyIsDisabledOnTheStepItsCounterReachesTheAliveSteps) {
  WorldPtr w = EngineWorld(4, 4);
  MdtWorldSetGravity(w.get(), 0, 0, 0);
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodyEnable(b);
  MdtBodySetLinearVelocity(b, 0.1f, 0, 0);  // squared speed 0.01, below 0.02
  for (int step = 1; step <= 10; ++step) {
    MdtWorldStep(w.get(), 0.1f);
    ASSERT_TRUE(MdtBodyIsEnabled(b)) << step;
    EXPECT_EQ(MdtBodyGetEnabledSteps(b), static_cast<MeU32>(step));
  }
  MeReal before[3], after[3];
  MdtBodyGetPosition(b, before);
  EXPECT_NEAR(before[0], 0.1f, 1e-5);
  MdtWorldStep(w.get(), 0.1f);
  EXPECT_FALSE(MdtBodyIsEnabled(b));
  MdtBodyGetPosition(b, after);
  EXPECT_EQ(after[0], before[0]);  // neither solved nor integrated
  EXPECT_EQ(w->partitions.partitionCount, 0);

  // A moving body never sleeps.
  MdtBody* fast = MdtBodyCreate(w.get());
  MdtBodyEnable(fast);
  MdtBodySetLinearVelocity(fast, 1, 0, 0);
  for (int i = 0; i < 30; ++i) MdtWorldStep(w.get(), 0.1f);
  EXPECT_TRUE(MdtBodyIsEnabled(fast));
}

TEST(MdtWorld, ConstraintPoolExhaustionAnswersNull) {
  WorldPtr w(MdtWorldCreate(2, 3));
  std::vector<MdtContact*> got;
  for (int i = 0; i < 3; ++i) got.push_back(MdtContactCreate(w.get()));
  for (MdtContact* c : got) EXPECT_NE(c, nullptr);
  EXPECT_EQ(MdtContactCreate(w.get()), nullptr);
  EXPECT_EQ(MdtWorldGetConstraintCount(w.get()), 3u);
  MdtConstraintDestroy(got[1]);
  EXPECT_EQ(MdtWorldGetConstraintCount(w.get()), 2u);
  EXPECT_EQ(got[1]->type, MdtTypeDestroyed);
  EXPECT_EQ(MdtContactCreate(w.get()), got[1]);
}

TEST(MdtWorld, TooSmallCallerChunkIsAFatalErrorNotACrash) {
  MessageRecorder rec;
  WorldPtr w = EngineWorld(4, 4, false);
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodyEnable(b);
  alignas(64) static unsigned char tiny[128];
  MdtWorldSetChunkMemory(w.get(), tiny, sizeof(tiny));
  EXPECT_THROW(MdtWorldStep(w.get(), 0.01f), MeFatalErrorThrown);
  EXPECT_NE(MessageRecorder::Joined(rec.fatals).find("scratch memory"), std::string::npos);
}

TEST(MdtWorld, OwnedChunkGrowsToTheLargestSolve) {
  WorldPtr w = EngineWorld(8, 16, false);
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodyEnable(a);
  MdtBodyEnable(b);
  MdtContact* c = MdtContactCreate(w.get());
  MdtConstraintSetBodies(c, a, b);
  MdtConstraintEnable(c);
  MdtWorldStep(w.get(), 0.01f);
  EXPECT_GT(MdtWorldGetChunkMaxUsed(w.get()), 1024u);
}

// The third automatic-disabling threshold is the squared linear
// acceleration: a body held still but pushed at a squared acceleration of
// 0.1 goes to sleep under the creation value 0.5 and stays awake under 0.05.
TEST(MdtWorld, ThirdAutoDisableThresholdIsTheLinearAcceleration) {
  struct Case {
    float threshold;
    bool sleeps;
  } cases[] = {{0.5f, true}, {0.05f, false}};
  for (const Case& k : cases) {
    WorldPtr w = EngineWorld(4, 4);
    MdtWorldSetGravity(w.get(), 0, 0, 0);
    MdtWorldSetAutoDisableThreshold3(w.get(), k.threshold);
    EXPECT_FLOAT_EQ(MdtWorldGetAutoDisableAccelerationThreshold(w.get()), k.threshold);
    MdtBody* b = MdtBodyCreate(w.get());
    MdtBodyEnable(b);
    for (int i = 0; i < 20; ++i) {
      MdtBodySetLinearVelocity(b, 0, 0, 0);
      MdtBodyAddForce(b, std::sqrt(0.1f), 0, 0);  // mass 1
      MdtWorldStep(w.get(), 0.1f);
    }
    EXPECT_EQ(!MdtBodyIsEnabled(b), k.sleeps) << k.threshold;
  }
}
