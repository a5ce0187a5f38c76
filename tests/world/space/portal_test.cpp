#include "world/space/portal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "foundation/text/hash.h"
#include "world/space/octree.h"
#include "world/space/zone_record.h"

namespace {

// A portal polygon in the plane z = z0 facing +z (vertices counter-clockwise seen from +z).
PortalPolygon Square(float half, float z0 = 0, float cx = 0, float cy = 0) {
  PortalPolygon p{};
  p.Plane[0] = 0, p.Plane[1] = 0, p.Plane[2] = 1, p.Plane[3] = -z0;
  p.VertexCount = 4;
  p.Vertices[0] = {cx - half, cy - half, z0};
  p.Vertices[1] = {cx + half, cy - half, z0};
  p.Vertices[2] = {cx + half, cy + half, z0};
  p.Vertices[3] = {cx - half, cy + half, z0};
  return p;
}

std::unique_ptr<Portal> Make(const PortalPolygon& block, int number = 0, bool expand = false) {
  auto p = std::make_unique<Portal>();
  p->Init();
  p->Build(block, nullptr, nullptr, "P", number, expand);
  return p;
}

}  // namespace

TEST(Portal, InitIsBlank) {
  Portal p;
  p.Init();
  EXPECT_STREQ(p.Name, "BlankPortal");
  EXPECT_EQ(p.Number, -1);
  EXPECT_EQ(p.OwnerZone, nullptr);
  EXPECT_EQ(p.Closed, 0u);
}

TEST(Portal, BuildComputesCentreRadiusAndExpansion) {
  auto p = Make(Square(1));
  EXPECT_FLOAT_EQ(p->Radius, std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(p->Centre.x, 0);
  EXPECT_FLOAT_EQ(p->VisibilitySphere.Radius, std::sqrt(2.0f));

  auto e = Make(Square(10, 5, 30, 0), 0, true);
  EXPECT_FLOAT_EQ(e->Radius, std::sqrt(200.0f) + 100);
  // Each corner moved 100 further out along its direction from the centre.
  EXPECT_NEAR(e->Polygon.Vertices[2].x, 30 + 10 + 100 / std::sqrt(2.0f), 1e-3);
  EXPECT_NEAR(e->Polygon.Vertices[2].y, 10 + 100 / std::sqrt(2.0f), 1e-3);
  EXPECT_FLOAT_EQ(e->Polygon.Vertices[2].z, 5);

  PortalPolygon too_many = Square(1);
  too_many.VertexCount = 1000;
  EXPECT_EQ(Make(too_many)->Polygon.VertexCount, 32u);
}

TEST(Portal, NegativeNumberTakesTheNextFreeNumberOfAllZones) {
  ZoneRecord a, b;
  auto p7 = Make(Square(1), 7);
  auto p3 = Make(Square(1), 3);
  a.Portals = p3.get();
  b.Portals = p7.get();
  EXPECT_EQ(NextPortalNumber(), 8);
  auto fresh = Make(Square(1), -1);
  EXPECT_EQ(fresh->Number, 8);
  a.Portals = b.Portals = nullptr;
}

TEST(Portal, VisibilityHonoursClosedDistanceAndSide) {
  auto p = Make(Square(50));
  struct Case {
    CVector3 eye;
    std::uint32_t closed, limited;
    float scale;
    bool visible;
  } cases[] = {
      {{0, 0, 100}, 0, 0, 1, true},     {{0, 0, -100}, 0, 0, 1, false},  // behind the plane
      {{0, 0, 100}, 1, 0, 1, false},                                     // closed hides whatever the position
      {{0, 0, 60}, 0, 1, 1, true},      {{0, 0, 80}, 0, 1, 1, false},    // range = radius 70.7
      {{0, 0, 80}, 0, 1, 2, true},      {{0, 0, 80}, 0, 1, 0.5f, false}, // scale below 1 counts as 1
  };
  for (const Case& c : cases) {
    p->Closed = c.closed;
    p->DistanceLimited = c.limited;
    EXPECT_EQ(p->IsVisible(c.eye, c.scale), c.visible) << c.eye.z << " closed " << c.closed << " scale " << c.scale;
  }
}

TEST(Portal, PrismContainsPointsOverThePolygonOnly) {
  for (bool reversed : {false, true}) {
    PortalPolygon block = Square(10, 0, 100, 0);
    if (reversed) std::swap(block.Vertices[1], block.Vertices[3]);  // clockwise: the test must not depend on winding
    auto p = Make(block);
    EXPECT_TRUE(p->ContainsPoint({100, 0, 0}));
    EXPECT_TRUE(p->ContainsPoint({109, 9, 5}));     // in the prism, off the plane but inside the sphere
    EXPECT_FALSE(p->ContainsPoint({111, 0, 0}));    // beyond an edge
    EXPECT_FALSE(p->ContainsPoint({100, 0, 15}));   // outside the sphere (radius 14.1)
    EXPECT_TRUE(p->ContainsPoint({110, 10, 0}));    // a corner
  }
}

TEST(Portal, SegmentsCrossFromTheFrontInsideThePolygon) {
  auto p = Make(Square(10));
  struct Case {
    CVector3 a, b;
    bool crossed;
    float t;
  } cases[] = {
      {{0, 0, 10}, {0, 0, -10}, true, 0.5f},   {{0, 0, -10}, {0, 0, 10}, false, 0},  // from behind
      {{20, 0, 10}, {20, 0, -10}, false, 0},   {{0, 0, 0}, {0, 0, -10}, true, 0.0f}, // starting on the plane
      {{0, 0, 10}, {0, 0, 5}, false, 0},       {{-5, 5, 0}, {5, 5, 0}, false, 0},    // short; lying in the plane
  };
  for (const Case& c : cases) {
    float t = -1;
    EXPECT_EQ(p->IsCrossedBy(c.a, c.b, &t), c.crossed) << c.a.x << "," << c.a.z << " -> " << c.b.z;
    if (c.crossed) {
      EXPECT_NEAR(t, c.t, 1e-6);
    }
  }
  p->Polygon.VertexCount = 2;
  EXPECT_FALSE(p->IsCrossedBy({0, 0, 10}, {0, 0, -10}, nullptr));
}

TEST(Portal, TwinHasTheReversedOutlineAndLeadsBack) {
  int a_tag = 0, b_tag = 0;
  auto* zone_a = reinterpret_cast<CEnvInstance*>(&a_tag);
  auto* zone_b = reinterpret_cast<CEnvInstance*>(&b_tag);
  PortalPolygon front = Square(10);
  PortalPolygon back = front;
  for (int i = 0; i < 4; ++i) back.Vertices[i] = front.Vertices[3 - i];
  back.Plane[2] = -1;
  Portal p, twin, wrong_target;
  p.Init(), twin.Init(), wrong_target.Init();
  p.Build(front, zone_a, zone_b, "a", 0, false);
  twin.Build(back, zone_b, zone_a, "b", 1, false);
  wrong_target.Build(back, zone_b, zone_b, "c", 2, false);
  ZoneRecord b;
  b.Portals = &wrong_target;
  wrong_target.Next = &twin;
  EXPECT_EQ(p.FindTwin(b), &twin);
  twin.Polygon.Vertices[0].x += 0.5f;
  EXPECT_EQ(p.FindTwin(b), nullptr);
  b.Portals = nullptr;
}

TEST(Portal, ProjectionSnapsTinyCoordinates) {
  auto p = Make(Square(10, 3));
  CVector3 out;
  p->ProjectOntoPlane({0.00005f, 2, 40}, &out);
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_FLOAT_EQ(out.y, 2);
  EXPECT_FLOAT_EQ(out.z, 3);
}

TEST(Portal, NameFilterMatchesListedNamesOnly) {
  EXPECT_FALSE(IsPortalNameFiltered(123));
  const char* names[] = {"DoorA", "Hatch", nullptr};
  SetPortalNameFilter(names);
  EXPECT_TRUE(IsPortalNameFiltered(HashStringNoCase("hatch")));
  EXPECT_FALSE(IsPortalNameFiltered(HashStringNoCase("DoorB")));
  SetPortalNameFilter(nullptr);
  EXPECT_FALSE(IsPortalNameFiltered(HashStringNoCase("hatch")));
}

TEST(ZoneRecord, FindsThePortalAtAPointAndTheZoneASegmentEnters) {
  int tags[2] = {0, 0};
  auto* room_b = reinterpret_cast<CEnvInstance*>(&tags[0]);
  auto* room_c = reinterpret_cast<CEnvInstance*>(&tags[1]);
  ZoneRecord zone;
  Portal to_b, to_c;
  to_b.Init(), to_c.Init();
  to_b.Build(Square(10, 0, 0, 0), nullptr, room_b, "b", 0, false);
  to_c.Build(Square(10, 0, 100, 0), nullptr, room_c, "c", 1, false);
  to_c.Next = &to_b;
  zone.Portals = &to_c;
  EXPECT_EQ(zone.FindPortalAt({2, 2, 1}), &to_b);
  EXPECT_EQ(zone.FindPortalAt({50, 0, 0}), nullptr);
  EXPECT_EQ(zone.FindZoneCrossed({100, 0, 5}, {100, 0, -5}), room_c);
  EXPECT_EQ(zone.FindZoneCrossed({0, 0, 5}, {0, 0, -5}), room_b);
  EXPECT_EQ(zone.FindZoneCrossed({0, 0, -5}, {0, 0, 5}), nullptr);
  zone.Portals = nullptr;

  zone.Box[0] = -10, zone.Box[3] = 30, zone.Box[4] = 8;
  CVector3 c;
  zone.GetCentre(&c);
  EXPECT_FLOAT_EQ(c.x, 10);
  EXPECT_FLOAT_EQ(c.y, 4);
  EXPECT_FLOAT_EQ(zone.GetHalfSize(), 20);
  EXPECT_EQ(zone.Root(), nullptr);
  ASSERT_NE(zone.CreateOctreeRoot(), nullptr);
  zone.Root()->HalfSize = 800;
  zone.Root()->Centre = {100, 800, -50};
  zone.SetOctree(zone.Octree);
  const float root_cube[6] = {-700, 0, -850, 900, 1600, 750};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(zone.Box[k], root_cube[k]) << k;
  zone.AllocateNodes(0);
  EXPECT_EQ(zone.Root(), nullptr);
}
