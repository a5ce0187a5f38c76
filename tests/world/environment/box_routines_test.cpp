// Sphere and point tests against axis-aligned boxes.
#include "world/environment/box_routines.h"

#include <gtest/gtest.h>

namespace {
const CVector3 kMin{0, 0, 0};
const CVector3 kMax{2, 4, 6};
}  // namespace

TEST(BoxRoutines, NearestCornerSearchStartsAtTheLimit) {
  CVector3 corner{};
  float d = -1;
  ASSERT_TRUE(BoxNearestCorner(kMin, kMax, {2.5f, 3, 7}, &corner, &d));
  EXPECT_EQ(corner.x, 2);
  EXPECT_EQ(corner.y, 4);
  EXPECT_EQ(corner.z, 6);
  EXPECT_FLOAT_EQ(d, 0.25f + 1 + 1);
  // Every corner beyond 1e8 (squared): nothing found, outputs untouched.
  EXPECT_FALSE(BoxNearestCorner(kMin, kMax, {20000, 0, 0}, &corner, &d));
  EXPECT_FLOAT_EQ(d, 2.25f);
}

TEST(BoxRoutines, SphereInsideAndTouching) {
  struct Case {
    CSphere s;
    bool inside, touches;
  } cases[] = {
      {{{1, 2, 3}, 1.0f}, true, true},
      {{{1, 2, 3}, 1.5f}, false, true},    // pokes out of x
      {{{3, 2, 3}, 1.0f}, false, true},    // touches the x = 2 face
      {{{3, 5, 3}, 1.0f}, false, false},   // beyond the edge: sqrt(2) > 1
      {{{-1, -1, -1}, 1.8f}, false, true}, // reaches the corner: sqrt(3) < 1.8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SphereInsideBox(c.s, kMin, kMax), c.inside) << c.s.Centre.x << " " << c.s.Radius;
    EXPECT_EQ(SphereTouchesBox(c.s, kMin, kMax), c.touches) << c.s.Centre.x << " " << c.s.Radius;
  }
}

TEST(BoxRoutines, ContactNamesInsideFaceEdgeAndCorner) {
  struct Case {
    CSphere s;
    int kind;
    CVector3 point;
  } cases[] = {
      {{{1, 1, 1}, 0.1f}, BOXCONTACT_INSIDE, {1, 1, 1}},
      {{{2.5f, 1, 1}, 1.0f}, BOXCONTACT_FACE, {2, 1, 1}},
      {{{2.5f, 4.5f, 1}, 1.0f}, BOXCONTACT_EDGE, {2, 4, 1}},
      {{{-0.5f, -0.5f, -0.5f}, 1.0f}, BOXCONTACT_CORNER, {0, 0, 0}},
      {{{4, 1, 1}, 1.0f}, BOXCONTACT_NONE, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    const BoxContact contact = SphereBoxContact(c.s, kMin, kMax);
    EXPECT_EQ(contact.Kind, c.kind) << c.s.Centre.x;
    if (c.kind == BOXCONTACT_NONE) {
      EXPECT_FLOAT_EQ(contact.Distance, 9999999.0f);
      continue;
    }
    EXPECT_FLOAT_EQ(contact.Point.x, c.point.x);
    EXPECT_FLOAT_EQ(contact.Point.y, c.point.y);
    EXPECT_FLOAT_EQ(contact.Point.z, c.point.z);
  }
}
