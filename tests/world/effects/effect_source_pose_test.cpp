// Where an effect leaves its source: connectors, offsets and turned directions.
#include <gtest/gtest.h>

#include <cmath>

#include "world/effects/effect_pool.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"

namespace {

struct Gun : CEnvInstance {
  Gun(CEnvObject* t, CVector3 at, float yaw) {
    Construct(nullptr, {}, 0);
    Setup(0, t, nullptr, {0, yaw, 0}, at, 0x77);
  }
};

float Dot(const CVector3& a, const CVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(EffectSourcePose, AConnectorAndOffsetCarriedByTheInstance) {
  CEnvObject t;
  t.TemplateKind = OTYPE_ENV;
  t.ConnectorCount = 1;
  t.ConnectorSlots[2] = 0;
  t.ConnectorPositions[0] = {0, 0, 10};  // the muzzle, 10 ahead
  for (float yaw : {0.0f, 90.0f, 200.0f}) {
    SCOPED_TRACE(yaw);
    Gun gun(&t, {100, 5, -40}, yaw);
    CVector3 at, dir;
    ASSERT_TRUE(CEffectInstance::GetSourcePose(&gun, 2, {0, 0, 0}, 0, 0, &at, &dir));
    EXPECT_NEAR(std::sqrt(Dot(dir, dir)), 1.0f, 1e-5f);
    // The muzzle lies 10 along the instance's forward from its origin.
    EXPECT_NEAR(at.x, 100 + dir.x * 10, 1e-3f);
    EXPECT_NEAR(at.y, 5.0f, 1e-3f);
    EXPECT_NEAR(at.z, -40 + dir.z * 10, 1e-3f);
    // An offset of 3 up and 10 more forward.
    CVector3 moved;
    ASSERT_TRUE(CEffectInstance::GetSourcePose(&gun, 2, {0, 3, 10}, 0, 0, &moved, nullptr));
    EXPECT_NEAR(moved.x, 100 + dir.x * 20, 1e-3f);
    EXPECT_NEAR(moved.y, 8.0f, 1e-3f);
    // Heading 90 turns the direction square to it in the ground plane; pitch 90 points up.
    CVector3 side, up;
    ASSERT_TRUE(CEffectInstance::GetSourcePose(&gun, -1, {0, 0, 0}, 90, 0, nullptr, &side));
    EXPECT_NEAR(Dot(side, dir), 0.0f, 1e-5f);
    EXPECT_NEAR(side.y, 0.0f, 1e-5f);
    ASSERT_TRUE(CEffectInstance::GetSourcePose(&gun, -1, {0, 0, 0}, 0, 90, &at, &up));
    EXPECT_NEAR(up.y, 1.0f, 1e-5f);
    EXPECT_NEAR(at.x, 100.0f, 1e-3f) << "slot -1: the instance's origin";
  }
}

TEST(EffectSourcePose, NoInstanceOrNoSuchConnectorIsRefused) {
  CEnvObject t;
  t.TemplateKind = OTYPE_ENV;
  Gun gun(&t, {1, 2, 3}, 0);
  CVector3 at{9, 9, 9}, dir{9, 9, 9};
  EXPECT_FALSE(CEffectInstance::GetSourcePose(&gun, 2, {0, 0, 0}, 0, 0, &at, &dir));
  EXPECT_EQ(at.x, 0.0f);
  EXPECT_EQ(dir.z, 1.0f);
  EXPECT_FALSE(CEffectInstance::GetSourcePose(nullptr, -1, {0, 0, 0}, 0, 0, &at, &dir));
}

}  // namespace
