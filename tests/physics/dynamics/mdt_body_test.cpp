// Dynamics bodies: defaults, frames with a centre-of-mass offset, forces and
// impulses, enabling, degenerate inputs and destruction with attachments.
#include <gtest/gtest.h>

#include <cmath>

#include "../util/message_recorder.h"
#include "dynamics_fixture.h"
#include "physics/dynamics/mdt_contact.h"
#include "physics/util/me_math.h"

using namespace mdt_test;

namespace {

int g_enabledCalls = 0, g_disabledCalls = 0;
void CountEnabled(MdtBody*) { ++g_enabledCalls; }
void CountDisabled(MdtBody*) { ++g_disabledCalls; }

}  // namespace

TEST(MdtBody, CreatedBodyHoldsTheDefaults) {
  WorldPtr w(MdtWorldCreate(4, 4));
  MdtBody* b = MdtBodyCreate(w.get());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->state.tag, 100u);
  EXPECT_EQ(b->state.size, 240u);
  EXPECT_FLOAT_EQ(MdtBodyGetMass(b), 1.0f);
  EXPECT_FLOAT_EQ(b->state.invMass, 1.0f);
  MeReal I[9];
  MdtBodyGetInertiaTensor(b, I);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(I[3 * r + c], r == c ? 0.4f : 0.0f);
  EXPECT_FLOAT_EQ(b->state.invI[0], 2.5f);
  MeReal q[4], axis[3];
  MdtBodyGetQuaternion(b, q);
  EXPECT_EQ(q[0], 1.0f);
  EXPECT_EQ(q[1] + q[2] + q[3], 0.0f);
  MdtBodyGetFastRotationAxis(b, axis);
  EXPECT_EQ(axis[1], 1.0f);
  EXPECT_EQ(MdtBodyGetSafeTime(b), MeInfinity);
  EXPECT_FALSE(MdtBodyIsEnabled(b));
  EXPECT_EQ(MdtWorldGetNumBodies(w.get()), 1u);
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(w.get()), 0u);
}

TEST(MdtBody, CentreOfMassOffsetFollowsTheRotatedReferenceFrame) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MeReal offset[16];
  MeMatrix4TMMakeIdentity(offset);
  offset[13] = 1;  // (0, 1, 0)
  MdtBodySetCenterOfMassRelativeTransform(b, offset);
  const MeReal s = std::sqrt(0.5f);
  MdtBodySetQuaternion(b, s, 0, 0, s);  // 90 degrees about z
  MdtBodySetPosition(b, 0, 0, 0);
  MeReal com[3];
  MdtBodyGetCenterOfMassPosition(b, com);
  EXPECT_NEAR(com[0], -1, 1e-6);
  EXPECT_NEAR(com[1], 0, 1e-6);
  EXPECT_NEAR(com[2], 0, 1e-6);
  MeReal back[16];
  MdtBodyGetCenterOfMassRelativeTransform(b, back);
  EXPECT_NEAR(back[13], 1, 1e-6);
  // After a step the reference frame is rebuilt from the moved centre of mass.
  MdtBodyEnable(b);
  MdtBodySetLinearVelocity(b, 1, 0, 0);
  MdtWorldStep(w.get(), 0.5f);
  MeReal pos[3];
  MdtBodyGetPosition(b, pos);
  EXPECT_NEAR(pos[0], 0.5f, 1e-5);
  EXPECT_NEAR(pos[1], 0, 1e-5);
}

TEST(MdtBody, OffsetIsIgnoredWhileAConstraintIsAttached) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MdtContact* c = MdtContactCreate(w.get());
  MdtConstraintSetBodies(c, b, nullptr);
  MdtConstraintEnable(c);
  MeReal offset[16];
  MeMatrix4TMMakeIdentity(offset);
  offset[12] = 3;
  MdtBodySetCenterOfMassRelativeTransform(b, offset);
  MeReal com[3];
  MdtBodyGetCenterOfMassPosition(b, com);
  EXPECT_EQ(com[0], 0.0f);
  EXPECT_EQ(b->comOffsetSet, 0u);
}

TEST(MdtBody, ImpulseBecomesAForceForOneStep) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodyAddImpulse(b, 2, 0, 0);
  MdtBodyPreStep(b, 0.02f);
  MeReal f[3];
  MdtBodyGetForce(b, f);
  EXPECT_FLOAT_EQ(f[0], 100.0f);
  EXPECT_EQ(b->impulsePending, 0u);
  EXPECT_EQ(b->impulseLinear[0], 0.0f);
  // Stepped for real: the velocity change equals the impulse over the mass.
  MdtBodySetMass(b, 4);
  MdtBodyEnable(b);
  MdtBodyAddImpulseAtPosition(b, 0, 0, 8, 1, 0, 0);
  MdtWorldStep(w.get(), 0.02f);
  MeReal v[3], wv[3];
  MdtBodyGetLinearVelocity(b, v);
  MdtBodyGetAngularVelocity(b, wv);
  EXPECT_NEAR(v[2], 2.0f, 1e-4);
  // Torque r x I = (1,0,0) x (0,0,8) = (0,-8,0); inverse inertia 2.5.
  EXPECT_NEAR(wv[1], -20.0f, 1e-3);
}

TEST(MdtBody, ForceAtPositionAddsTheLeverTorque) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodySetPosition(b, 1, 1, 1);
  MdtBodyAddForceAtPosition(b, 0, 10, 0, 2, 1, 1);
  MeReal t[3];
  MdtBodyGetTorque(b, t);
  EXPECT_FLOAT_EQ(t[2], 10.0f);
  EXPECT_FLOAT_EQ(t[0], 0.0f);
  MeReal v[3], p[3] = {1, 2, 1};
  MdtBodySetAngularVelocity(b, 0, 0, 1);
  MdtBodyGetVelocityAtPoint(b, p, v);
  EXPECT_FLOAT_EQ(v[0], -1.0f);
}

TEST(MdtBody, EnablingIsIdempotentAndIsEnabledIsABoolean) {
  WorldPtr w(MdtWorldCreate(2, 2));
  g_enabledCalls = g_disabledCalls = 0;
  MdtWorldSetBodyEnabledCallback(w.get(), CountEnabled);
  MdtWorldSetBodyDisabledCallback(w.get(), CountDisabled);
  MdtBody* b = MdtBodyCreate(w.get());
  EXPECT_FALSE(MdtBodyIsEnabled(b));
  MdtBodyEnable(b);
  // Right after enabling the step counter is 0; the body still counts as enabled.
  EXPECT_TRUE(MdtBodyIsEnabled(b));
  EXPECT_EQ(MdtBodyGetEnabledSteps(b), 0u);
  MdtBodyEnable(b);
  EXPECT_EQ(g_enabledCalls, 1);
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(w.get()), 1u);
  MdtBodyDisable(b);
  MdtBodyDisable(b);
  EXPECT_EQ(g_disabledCalls, 1);
  EXPECT_FALSE(MdtBodyIsEnabled(b));
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(w.get()), 0u);
}

TEST(MdtBody, DegenerateMassAndQuaternionAreRefused) {
  MessageRecorder rec;
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodySetMass(b, 2);
  for (MeReal bad : {0.0f, -1.0f, NAN}) {
    MdtBodySetMass(b, bad);
    EXPECT_FLOAT_EQ(MdtBodyGetMass(b), 2.0f);
    EXPECT_FLOAT_EQ(b->state.invMass, 0.5f);
  }
  EXPECT_EQ(rec.warnings.size() / 2, 3u);

  struct Case {
    MeReal q[4];
    MeReal expect[4];
  } cases[] = {
      {{0, 0, 0, 0}, {1, 0, 0, 0}},
      {{0.01f, 0, 0, 0}, {1, 0, 0, 0}},
      {{2, 0, 0, 0}, {1, 0, 0, 0}},
      {{0, 0, 3, 0}, {0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    MdtBodySetQuaternion(b, c.q[0], c.q[1], c.q[2], c.q[3]);
    MeReal q[4];
    MdtBodyGetQuaternion(b, q);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(std::fabs(q[k]), c.expect[k], 1e-6) << k;
    MeReal m[9];
    MdtBodyGetOrientation(b, m);
    EXPECT_NEAR(m[0] * m[0] + m[1] * m[1] + m[2] * m[2], 1.0f, 1e-5);
  }
}

TEST(MdtBody, FastRotationAxisIsNormalisedAndZeroGivesX) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MeReal a[3];
  MdtBodySetFastRotationAxis(b, 0, 0, 5);
  MdtBodyGetFastRotationAxis(b, a);
  EXPECT_FLOAT_EQ(a[2], 1.0f);
  EXPECT_TRUE(b->state.flags & keaBodyFlagFastRotation);
  MdtBodySetFastRotationAxis(b, 0, 0, 0);
  MdtBodyGetFastRotationAxis(b, a);
  EXPECT_FLOAT_EQ(a[0], 1.0f);
  MdtBodyClearFastRotationAxis(b);
  EXPECT_FALSE(b->state.flags & keaBodyFlagFastRotation);
}

TEST(MdtBody, CopyFailsWithoutTakingABody) {
  MessageRecorder rec;
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* src = MdtBodyCreate(w.get());
  EXPECT_THROW(MdtBodyCopy(src, w.get()), MeFatalErrorThrown);
  EXPECT_NE(MessageRecorder::Joined(rec.fatals).find("MdtBodyCopy: NOT YET IMPLEMENTED."), std::string::npos);
  EXPECT_EQ(MdtWorldGetNumBodies(w.get()), 1u);
  EXPECT_EQ(MeBlockPoolUsedCount(&w->bodyPool), 1);
}

TEST(MdtBody, PoolExhaustionAnswersNullAndDestroyGivesTheRecordBack) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(MdtBodyCreate(w.get()), nullptr);
  MdtBodyEnable(a);
  MdtBodyDestroy(a);
  EXPECT_EQ(a->state.tag, keaBodyTagDestroyed);
  EXPECT_EQ(MdtWorldGetNumBodies(w.get()), 1u);
  EXPECT_EQ(MdtWorldGetNumEnabledBodies(w.get()), 0u);
  EXPECT_EQ(MdtBodyCreate(w.get()), a);
}

TEST(MdtBody, DestroyTakesItsConstraintsAlong) {
  WorldPtr w(MdtWorldCreate(3, 4));
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  MdtContact* ab = MdtContactCreate(w.get());
  MdtContact* aw = MdtContactCreate(w.get());
  MdtConstraintSetBodies(ab, a, b);
  MdtConstraintSetBodies(aw, a, nullptr);
  MdtConstraintEnable(ab);
  MdtConstraintEnable(aw);
  EXPECT_EQ(MeBlockPoolUsedCount(&w->linkPool), 3);
  MdtBodyDestroy(a);
  // The record goes back to the pool: nothing may still point at it.
  EXPECT_EQ(MdtWorldGetConstraintCount(w.get()), 0u);
  EXPECT_EQ(MeBlockPoolUsedCount(&w->linkPool), 0);
  EXPECT_EQ(b->constraints, nullptr);
  MdtBody* again = MdtBodyCreate(w.get());
  EXPECT_EQ(again, a);
  EXPECT_EQ(again->constraints, nullptr);
}

TEST(MdtBody, InertiaHelpersAndKineticEnergy) {
  MeReal m[9];
  MdtMakeBoxInertiaTensor(12, 1, 2, 3, m);
  EXPECT_NEAR(m[0], 13.0f, 1e-5);
  EXPECT_NEAR(m[4], 10.0f, 1e-5);
  EXPECT_NEAR(m[8], 5.0f, 1e-5);
  EXPECT_EQ(m[1], 0.0f);
  MdtMakeSphereInertiaTensor(2, 3, m);
  EXPECT_NEAR(m[0], 7.2f, 1e-5);
  EXPECT_NEAR(m[8], 7.2f, 1e-5);

  WorldPtr w(MdtWorldCreate(2, 2));
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodySetMass(b, 2);
  MdtBodySetInertiaTensor(b, m);
  MdtBodySetLinearVelocity(b, 3, 0, 0);
  MdtBodySetAngularVelocity(b, 0, 1, 0);
  EXPECT_NEAR(MdtBodyGetKineticEnergy(b), 0.5f * (2 * 9 + 7.2f), 1e-4);
  EXPECT_NEAR(b->state.invI[5], 1 / 7.2f, 1e-6);
}

TEST(MdtBody, DampingAndGravityEnterTheForceInThePreStep) {
  WorldPtr w(MdtWorldCreate(2, 2));
  MdtWorldSetGravity(w.get(), 0, -10, 0);
  MdtBody* b = MdtBodyCreate(w.get());
  MdtBodySetMass(b, 3);
  MdtBodySetLinearVelocity(b, 2, 0, 0);
  MdtBodySetAngularVelocity(b, 0, 0, 4);
  MdtBodySetLinearVelocityDamping(b, 0.5f);
  MdtBodySetAngularVelocityDamping(b, 0.25f);
  MdtBodyEnable(b);
  MdtBodyPreStep(b, 0.01f);
  MeReal f[3], t[3];
  MdtBodyGetForce(b, f);
  MdtBodyGetTorque(b, t);
  EXPECT_FLOAT_EQ(f[0], -1.0f);
  EXPECT_FLOAT_EQ(f[1], -30.0f);
  EXPECT_FLOAT_EQ(t[2], -1.0f);
  EXPECT_EQ(MdtBodyGetEnabledSteps(b), 1u);
}
