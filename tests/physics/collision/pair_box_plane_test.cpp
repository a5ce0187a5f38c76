// Box-plane pair test: face, edge and vertex down, resting within the
// margin, tilted planes, budgets and requests.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

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

namespace {

class BoxPlaneRandom : public PairFixture {};

// Random poses sunk into a tilted plane: every contact is a box corner
// between s (the box's lowest height) and 0.01 s, and the budget holds.  (The
// reduction keeps the hull of the corners seen along the normal, so a lowest
// corner whose three neighbours are also under the plane is not among them.)
TEST_F(BoxPlaneRandom, ContactsAreSunkCornersWithinBudget) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> u(-1, 1);
  auto pt = MakeTransform({0.5f, -1, 2}, {1, 1, 0}, 0.4f);
  const float* n = pt.data() + 8;
  for (int trial = 0; trial < 200; ++trial) {
    Vec3 sides = {1 + std::fabs(u(rng)), 1 + std::fabs(u(rng)), 1 + std::fabs(u(rng))};
    float height = 0.6f * u(rng);
    auto bt = MakeTransform({0.5f + u(rng) + height * n[0], -1 + u(rng) + height * n[1], 2 + height * n[2]},
                            {u(rng), u(rng), u(rng) + 0.1f}, 3 * u(rng));
    McdModel* box = AddBox(sides, bt);
    McdModel* plane = AddPlane(pt);
    McdModelPair* pair = Open(box, plane);
    McdIntersectRequest request = {trial % 2 ? 8 : 4, 0};
    pair->request = &request;
    // The lowest point of the box along n.
    const float* h = McdBoxGetRadii(box->geometry);
    float d[3] = {bt[12] - pt[12], bt[13] - pt[13], bt[14] - pt[14]};
    float s = Dot(d, n);
    for (int k = 0; k < 3; ++k) s -= std::fabs(Dot(bt.data() + 4 * k, n)) * h[k];
    if (!Intersect(pair)) {
      EXPECT_GT(s, 0.0f) << trial;
      continue;
    }
    ASSERT_GE(result_.contactCount, 1) << trial;
    ASSERT_LE(result_.contactCount, request.contactMaxCount);
    float lowest = 1e30f;
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& k = contacts_[i];
      lowest = std::fmin(lowest, k.separation);
      EXPECT_LT(k.separation, 0.01f * s + 1e-5f) << trial;
      EXPECT_GT(k.separation, s - 1e-4f) << trial;
      // A corner: outside or on every face plane pair at full extent.
      float l[3], rel[3] = {k.position[0] - bt[12], k.position[1] - bt[13], k.position[2] - bt[14]};
      for (int q = 0; q < 3; ++q) l[q] = Dot(rel, bt.data() + 4 * q);
      for (int q = 0; q < 3; ++q) EXPECT_NEAR(std::fabs(l[q]), h[q], 1e-4f) << trial;
    }
    EXPECT_LT(lowest, 0.0f) << trial;
  }
}

}  // namespace
