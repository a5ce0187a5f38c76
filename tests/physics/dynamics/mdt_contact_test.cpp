// Constraints and contacts: life cycle, frames, and the contact rows.
#include <gtest/gtest.h>

#include <cmath>

#include "../util/message_recorder.h"
#include "dynamics_fixture.h"
#include "physics/dynamics/mdt_contact.h"
#include "physics/dynamics/mdt_contact_params.h"

using namespace mdt_test;

namespace {

struct Two {
  WorldPtr w{MdtWorldCreate(4, 8)};
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
};

void ExpectVec(const float* v, float x, float y, float z, float tol = 1e-6f) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

}  // namespace

TEST(MdtConstraint, EnableDisableAndBodiesRules) {
  Two t;
  MdtContact* c = MdtContactCreate(t.w.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->type, MdtTypeContact);
  EXPECT_EQ(MdtConstraintDCastContact(c), c);
  // Without bodies enabling does nothing.
  MdtConstraintEnable(c);
  EXPECT_FALSE(MdtConstraintIsEnabled(c));
  MdtConstraintSetBodies(c, t.a, t.b);
  MdtConstraintEnable(c);
  EXPECT_TRUE(MdtConstraintIsEnabled(c));
  EXPECT_EQ(t.a->constraints->constraint, c);
  EXPECT_EQ(t.b->constraints->constraint, c);
  EXPECT_EQ(t.w->constraints, c);
  // Setting bodies while enabled is refused.
  MdtConstraintSetBodies(c, t.b, nullptr);
  EXPECT_EQ(MdtConstraintGetBody(c, 0), t.a);
  EXPECT_EQ(MdtConstraintGetBody(c, 1), t.b);
  MdtConstraintEnable(c);  // twice: still one link each
  EXPECT_EQ(MeBlockPoolUsedCount(&t.w->linkPool), 2);
  MdtConstraintDisable(c);
  EXPECT_EQ(t.a->constraints, nullptr);
  EXPECT_EQ(MeBlockPoolUsedCount(&t.w->linkPool), 0);
  EXPECT_EQ(t.w->constraints, nullptr);
  MdtConstraintSetBodies(c, t.b, nullptr);
  EXPECT_EQ(MdtConstraintGetBody(c, 0), t.b);
}

TEST(MdtConstraint, FramesFollowTheBodies) {
  Two t;
  MdtBodySetPosition(t.a, 1, 0, 0);
  const float s = std::sqrt(0.5f);
  MdtBodySetQuaternion(t.a, s, 0, 0, s);  // 90 degrees about z
  MdtContact* c = MdtContactCreate(t.w.get());
  MdtConstraintSetBodies(c, t.a, nullptr);
  MdtConstraintSetPosition(c, 1, 2, 0);
  float v[3];
  MdtConstraintGetLocalPosition(c, 0, v);
  ExpectVec(v, 2, 0, 0, 1e-5f);  // world +y is the body's +x
  MdtConstraintGetLocalPosition(c, 1, v);
  ExpectVec(v, 1, 2, 0);  // the world's frame
  MdtConstraintGetPosition(c, v);
  ExpectVec(v, 1, 2, 0, 1e-5f);

  MdtConstraintSetAxis(c, 0, 0, 2);
  float p[3], q[3];
  MdtConstraintGetAxes(c, p, q);
  ExpectVec(p, 0, 0, 1, 1e-6f);
  // |a.y| >= |a.x| (both 0): second = (0, -a.z, a.y) normalised.
  ExpectVec(q, 0, -1, 0, 1e-6f);
  MdtConstraintSetAxis(c, 3, 1, 0);
  MdtConstraintGetAxes(c, p, q);
  EXPECT_NEAR(p[0] * q[0] + p[1] * q[1] + p[2] * q[2], 0, 1e-6);
  MdtConstraintSetBothAxes(c, 0, 0, 0, 0, 5, 0);
  MdtConstraintGetLocalAxes(c, 1, p, q);
  ExpectVec(p, 1, 0, 0);
  ExpectVec(q, 0, 1, 0);
  EXPECT_NEAR(c->frame1[10], 1, 1e-6);  // third = primary x second
}

TEST(MdtContactRows, FrictionDirections) {
  Two t;
  MdtContact* c = MdtContactCreate(t.w.get());
  MdtConstraintSetBodies(c, t.a, nullptr);
  MdtContactSetNormal(c, 0, 0, 1);
  MdtContactParamsSetType(&c->params, 2);
  BuiltRows r = BuildRows(c);
  ASSERT_EQ(r.rows, 3);
  ExpectVec(&r.j0[0], 0, 0, 1);
  ExpectVec(&r.j0[6], 0, -1, 0);
  ExpectVec(&r.j0[12], 1, 0, 0);
  EXPECT_EQ(r.body0, 0);
  EXPECT_EQ(r.body1, -1);
  for (float v : r.j1) EXPECT_EQ(v, 0.0f);  // no body block for the world
  EXPECT_EQ(r.lo[0], 0.0f);
  EXPECT_EQ(r.hi[0], MeInfinity);
  EXPECT_EQ(r.lo[1], -MeInfinity);

  // With a primary direction: t2 = d x n, t1 = n x t2.
  MdtContactSetPrimaryDirection(c, 0, 1, 0);
  r = BuildRows(c);
  ExpectVec(&r.j0[12], 1, 0, 0);
  ExpectVec(&r.j0[6], 0, 1, 0);

  // One friction direction: the primary direction less its normal part.
  MdtContactParamsSetType(&c->params, 1);
  MdtContactSetPrimaryDirection(c, 3, 0, 4);
  r = BuildRows(c);
  ASSERT_EQ(r.rows, 2);
  ExpectVec(&r.j0[6], 1, 0, 0);
  MdtContactSetPrimaryDirection(c, 0, 0, 4);  // along the normal: (1, 0, 0)
  r = BuildRows(c);
  ExpectVec(&r.j0[6], 1, 0, 0);
  MdtContactParamsSetType(&c->params, 0);
  EXPECT_EQ(BuildRows(c).rows, 1);
}

TEST(MdtContactRows, LeverArmsAndTheSecondBody) {
  Two t;
  MdtBodySetPosition(t.a, 0, 1, 0);
  MdtBodySetPosition(t.b, 0, -1, 0);
  MdtContact* c = MdtContactCreate(t.w.get());
  MdtConstraintSetBodies(c, t.a, t.b);
  MdtContactSetPosition(c, 1, 0, 0);
  MdtContactSetNormal(c, 0, 1, 0);
  MdtContactSetPenetration(c, 0.05f);
  BuiltRows r = BuildRows(c);
  ASSERT_EQ(r.rows, 1);
  EXPECT_EQ(r.body1, 1);
  // r0 = (1,-1,0): r0 x n = (0,0,1); r1 = (1,1,0): -(r1 x n) = (0,0,-1).
  ExpectVec(&r.j0[0], 0, 1, 0);
  ExpectVec(&r.j0[3], 0, 0, 1);
  ExpectVec(&r.j1[0], 0, -1, 0);
  ExpectVec(&r.j1[3], 0, 0, -1);
  EXPECT_FLOAT_EQ(r.xi[0], -0.05f);
}

TEST(MdtContactRows, OptionsFillTheirRows) {
  Two t;
  MdtContact* c = MdtContactCreate(t.w.get());
  MdtConstraintSetBodies(c, t.a, t.b);
  MdtContactParams* p = MdtContactGetParams(c);
  MdtContactParamsSetType(p, 2);
  MdtContactParamsSetSoftness(p, 0.1f);
  MdtContactParamsSetMaxAdhesiveForce(p, 7);
  MdtContactParamsSetPrimaryFriction(p, 3);
  MdtContactParamsSetSecondaryFriction(p, 4);
  MdtContactParamsSetPrimarySlip(p, 0.2f);
  MdtContactParamsSetSecondarySlip(p, 0.3f);
  MdtContactParamsSetPrimarySlide(p, 1.5f);
  MdtContactParamsSetSecondarySlide(p, 2.5f);
  BuiltRows r = BuildRows(c);
  ASSERT_EQ(r.rows, 3);
  EXPECT_FLOAT_EQ(r.softness[0], 0.1f);
  EXPECT_FLOAT_EQ(r.lo[0], -7.0f);
  EXPECT_FLOAT_EQ(r.lo[1], -3.0f);
  EXPECT_FLOAT_EQ(r.hi[1], 3.0f);
  EXPECT_FLOAT_EQ(r.hi[2], 4.0f);
  EXPECT_FLOAT_EQ(r.softness[1], 0.2f);
  EXPECT_FLOAT_EQ(r.softness[2], 0.3f);
  EXPECT_FLOAT_EQ(r.c[1], 1.5f);
  EXPECT_FLOAT_EQ(r.c[2], 2.5f);
}

TEST(MdtContactRows, RestitutionTargetsTheBounceSpeed) {
  struct Case {
    float approach, restitution, threshold, target;
  } cases[] = {
      {2.0f, 0.5f, 0.001f, 1.0f},
      {0.0005f, 0.5f, 0.001f, 0.0f},  // below the threshold: no bounce
      {-1.0f, 0.5f, 0.001f, 0.0f},    // separating
      {3.0f, 1.0f, 0.001f, 3.0f},
  };
  for (const Case& k : cases) {
    Two t;
    MdtContact* c = MdtContactCreate(t.w.get());
    MdtConstraintSetBodies(c, t.a, nullptr);
    MdtContactSetNormal(c, 0, 1, 0);
    MdtBodySetLinearVelocity(t.a, 0, -k.approach, 0);
    MdtContactParamsSetRestitution(&c->params, k.restitution);
    MdtContactParamsSetRestitutionThreshold(&c->params, k.threshold);
    BuiltRows r = BuildRows(c);
    EXPECT_NEAR(r.c[0], k.target, 1e-6) << k.approach;
  }
}

TEST(MdtContactParams, DefaultsSettersAndUnknownValues) {
  MessageRecorder rec;
  MeSetWarningLevel(12);
  MdtContactParams p;
  MdtContactParamsReset(&p);
  EXPECT_EQ(p.type, 0u);
  EXPECT_EQ(p.options, 0u);
  EXPECT_FLOAT_EQ(p.restitutionThreshold, 0.001f);
  EXPECT_EQ(MdtContactParamsGetPrimaryFriction(&p), MeInfinity);
  EXPECT_EQ(MdtContactParamsGetSecondaryFriction(&p), MeInfinity);
  MdtContactParamsSetType(&p, 7);
  EXPECT_EQ(p.type, 0u);
  EXPECT_NE(MessageRecorder::Joined(rec.warnings).find("Unknown Contact Type, defaulting to zero friction."),
            std::string::npos);
  MdtContactParamsSetPrimaryFrictionModel(&p, 3);
  EXPECT_EQ(p.primaryModel, 0u);
  EXPECT_NE(MessageRecorder::Joined(rec.warnings).find("Unknown Friction Model, defaulting to box friction."),
            std::string::npos);
  MdtContactParamsSetFriction(&p, 2);
  EXPECT_EQ(MdtContactParamsGetPrimaryFriction(&p), 2.0f);
  EXPECT_EQ(MdtContactParamsGetSecondaryFriction(&p), 2.0f);
  EXPECT_EQ(p.options, 0u);
  MdtContactParamsSetRestitution(&p, 0.3f);
  MdtContactParamsSetSecondarySlide(&p, 1);
  EXPECT_EQ(p.options, unsigned(MdtBclContactOptionBounce | MdtBclContactOptionSlide2));
}

TEST(MdtContactScenario, HandMadeContactHoldsARestingSphere) {
  WorldPtr w = EngineWorld(2, 4, false);
  MdtBody* s = MdtBodyCreate(w.get());
  const float radius = 0.5f;
  MdtBodySetPosition(s, 0, radius, 0);
  MdtBodyEnable(s);
  MdtContact* c = MdtContactCreate(w.get());
  MdtConstraintSetBodies(c, s, nullptr);
  MdtConstraintEnable(c);
  float worst = 0;
  for (int i = 0; i < 1000; ++i) {
    float p[3];
    MdtBodyGetPosition(s, p);
    MdtContactSetPosition(c, p[0], 0, p[2]);
    MdtContactSetPenetration(c, radius - p[1]);
    MdtWorldStep(w.get(), 1.0f / 60);
    MdtBodyGetPosition(s, p);
    worst = std::max(worst, radius - p[1]);
  }
  EXPECT_LT(worst, 0.005f);
  float f[3];
  MdtConstraintGetForce(c, 0, f);
  EXPECT_NEAR(f[1], 9.81f, 0.1f);  // the contact carries the weight
}
