// Box-plane pair test: face, edge and vertex down, resting within the
// margin, tilted planes, budgets and requests.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_fixture.h"
#include "physics/collision/mcd_box.h"

namespace {

class BoxPlanePair : public PairFixture {
 protected:
  // Every contact: on the box's surface, at its reported height above the
  // plane, with the plane's normal and the expected feature code.
  void CheckContacts(McdModel* box, const std::array<float, 16>& bt, const float* planePoint,
                     const float* n, MeU16 dims, float separation) {
    const float* h = McdBoxGetRadii(box->geometry);
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& k = contacts_[i];
      EXPECT_EQ(k.dims, dims);
      EXPECT_NEAR(k.separation, separation, 2e-5f);
      float d[3];
      for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(k.normal[j], n[j], 1e-6f);
        d[j] = k.position[j] - planePoint[j];
      }
      EXPECT_NEAR(Dot(d, n), k.separation, 2e-5f);
      EXPECT_NEAR(DistanceToBox(k.position, bt.data(), h), 0.0f, 2e-5f);
      EXPECT_NEAR(DepthInBox(k.position, bt.data(), h), 0.0f, 2e-5f);
    }
  }
};

TEST_F(BoxPlanePair, PlacementTable) {
  const float r2 = std::sqrt(2.0f), r3 = std::sqrt(3.0f);
  const float up[3] = {0, 0, 1}, origin[3] = {0, 0, 0};
  struct Case {
    const char* name;
    std::array<float, 16> box;
    float padding;
    int touch, count;
    MeU16 dims;
    float separation;
  };
  const Case cases[] = {
      {"face down, sunk", MakeTransform({0, 0, 0.9f}), 0, 1, 4, 0x0202, -0.1f},
      {"edge down", MakeTransform({0, 0, r2 - 0.1f}, {1, 0, 0}, 0.785398f), 0, 1, 2, 0x0201, -0.1f},
      {"vertex down", MakeTransform2({0, 0, r3 - 0.1f}, {1, 0, 0}, 0.785398f, {0, 1, 0}, 0.615480f), 0, 1, 1,
       0x0200, -0.1f},
      {"exactly on the plane", MakeTransform({3, -2, 1}), 0, 1, 4, 0x0202, 0.0f},
      {"resting within the margin", MakeTransform({0, 0, 1.002f}), 0.005f, 1, 4, 0x0202, 0.002f},
      {"above the margin", MakeTransform({0, 0, 1.02f}), 0.005f, 0, 0, 0, 0},
      {"deep", MakeTransform({0, 0, -0.5f}), 0, 1, 4, 0x0202, -1.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    McdModel* box = AddBox({2, 2, 2}, c.box, c.padding);
    McdModel* plane = AddPlane(MakeTransform({0, 0, 0}), c.padding);
    McdModelPair* pair = Open(plane, box);
    ASSERT_EQ(pair->model1, box);
    ASSERT_EQ(Intersect(pair), c.touch);
    EXPECT_EQ(result_.contactCount, c.count);
    for (int j = 0; j < 3; ++j) EXPECT_FLOAT_EQ(result_.normal[j], up[j]);
    CheckContacts(box, c.box, origin, up, c.dims, c.separation);
  }
}

TEST_F(BoxPlanePair, TiltedPlaneAndPlaneWithoutTransform) {
  // A plane turned 30 degrees about y, the box lying on it (same turn), sunk 0.05.
  auto pt = MakeTransform({1, 2, 3}, {0, 1, 0}, 0.523599f);
  const float* n = pt.data() + 8;
  auto bt = MakeTransform({1 + 0.95f * n[0], 2 + 0.95f * n[1], 3 + 0.95f * n[2]}, {0, 1, 0}, 0.523599f);
  McdModel* box = AddBox({2, 2, 2}, bt);
  McdModel* plane = AddPlane(pt);
  ASSERT_EQ(Intersect(Open(box, plane)), 1);
  EXPECT_EQ(result_.contactCount, 4);
  CheckContacts(box, bt, pt.data() + 12, n, 0x0202, -0.05f);

  auto bt2 = MakeTransform({5, 5, 0.75f});
  McdModel* box2 = AddBox({2, 2, 2}, bt2);
  McdModel* world = AddPlane(MakeTransform({0, 0, 0}), 0, true);
  ASSERT_EQ(Intersect(Open(box2, world)), 1);
  const float up[3] = {0, 0, 1}, origin[3] = {0, 0, 0};
  EXPECT_EQ(result_.contactCount, 4);
  CheckContacts(box2, bt2, origin, up, 0x0202, -0.25f);
}

TEST_F(BoxPlanePair, BudgetIsTheSmallerOfCapacityAndRequest) {
  // A box turned a little about z and x sits with many candidate points;
  // a flat box gives 4 corners, which budgets then cut.
  auto bt = MakeTransform({0, 0, 0.5f});
  McdModel* box = AddBox({2, 2, 2}, bt);
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  McdModelPair* pair = Open(box, plane);
  McdIntersectRequest many = {10, 1}, two = {2, 0};
  struct Case { McdIntersectRequest* request; int capacity, count; };
  for (Case c : {Case{nullptr, 16, 4}, Case{&many, 16, 4}, Case{&many, 3, 3}, Case{&two, 16, 2},
                 Case{&many, 1, 1}, Case{&many, 0, 0}}) {
    pair->request = c.request;
    EXPECT_EQ(Intersect(pair, c.capacity), 1) << c.capacity;
    EXPECT_EQ(result_.contactCount, c.count) << c.capacity;
  }
}

}  // namespace
