// The narrow phase's pair table: which tests serve which type pairs, in
// which model order, and what unregistered pairs do.
#include <gtest/gtest.h>

#include "pair_fixture.h"
#include "physics/collision/mcd_primitive_pairs.h"

namespace {

class PairTable : public PairFixture {};

TEST_F(PairTable, RegisteredPairsOpenInRegisteredOrder) {
  auto t = MakeTransform({0, 0, 0});
  McdModel* sphere = AddSphere(1, t);
  McdModel* box = AddBox({1, 1, 1}, t);
  McdModel* plane = AddPlane(t);
  struct Case {
    McdModel *first, *second, *model1;
    McdIntersectFn intersect;
    McdSafeTimeFn safeTime;
  };
  const Case cases[] = {
      {sphere, sphere, sphere, McdSphereSphereIntersect, McdSphereSphereSafeTime},
      {box, box, box, McdBoxBoxIntersect, McdBoxBoxSafeTime},
      {box, plane, box, McdBoxPlaneIntersect, McdBoxPlaneSafeTime},
      {plane, box, box, McdBoxPlaneIntersect, McdBoxPlaneSafeTime},
      {box, sphere, box, McdBoxSphereIntersect, McdBoxSphereSafeTime},
      {sphere, box, box, McdBoxSphereIntersect, McdBoxSphereSafeTime},
      {sphere, plane, sphere, McdSpherePlaneIntersect, McdSpherePlaneSafeTime},
      {plane, sphere, sphere, McdSpherePlaneIntersect, McdSpherePlaneSafeTime},
  };
  for (const Case& c : cases) {
    McdModelPair* pair = Open(c.first, c.second);
    EXPECT_EQ(pair->model1, c.model1);
    EXPECT_EQ(pair->intersectFn, c.intersect);
    EXPECT_EQ(pair->safetimeFn, c.safeTime);
    EXPECT_EQ(pair->goodbyeFn, nullptr);
  }
}

TEST_F(PairTable, PlanePlaneNeverTouches) {
  McdModel* a = AddPlane(MakeTransform({0, 0, 0}));
  McdModel* b = AddPlane(MakeTransform({0, 0, 0}));
  McdModelPair* pair = Open(a, b);
  EXPECT_EQ(pair->intersectFn, nullptr);
  EXPECT_EQ(McdIntersect(pair, &result_), 0);
  EXPECT_EQ(result_.touch, 0);
  EXPECT_EQ(result_.contactCount, 0);
}

}  // namespace
