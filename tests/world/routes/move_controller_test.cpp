#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/bsp/bsp_compiler.h"
#include "render/bsp/bsp_tree.h"
#include "render/textures/surfaces.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/routes/move_controller.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_path.h"
#include "world/routes/route_world_fixture.h"
#include "world/routes/router.h"

using route_fixture::kCell;
using route_fixture::Maze;

TEST(MoveController, ConstructionDefaults) {
  CMoveController c;
  EXPECT_EQ(c.SphereCount, 1u);
  EXPECT_EQ(c.Spheres[0].Radius, 30.0f);
  EXPECT_EQ(c.State, 1u);
  EXPECT_EQ(c.StateChanged, 1u);
  EXPECT_EQ(c.TimeStamp, -1.0f);
  EXPECT_TRUE(c.IsStopped());
  c.StateChanged = 0;
  c.SetState(1);
  EXPECT_EQ(c.StateChanged, 0u);
  c.SetState(4);
  EXPECT_EQ(c.StateChanged, 1u);
}

TEST(MoveController, ALiftTargetIsTakenOnlyWhileNoneIsPending) {
  CMoveController c;
  EXPECT_FALSE(c.IsOnGroundIdle()) << "no contact yet";
  c.GroundWord = 1;
  EXPECT_TRUE(c.IsOnGroundIdle());
  c.SetTarget({1.0f, 400.0f, 2.0f});
  EXPECT_EQ(c.Target.y, 400.0f);
  EXPECT_FALSE(c.IsOnGroundIdle()) << "a lift is pending";
  c.SetTarget({3.0f, 250.0f, 4.0f});
  EXPECT_EQ(c.Target.x, 3.0f);
  EXPECT_EQ(c.Target.z, 4.0f);
  EXPECT_EQ(c.Target.y, 400.0f) << "the pending height is kept";
  c.Target.y = 0.0f;
  c.SetTarget({0.0f, 250.0f, 0.0f});
  EXPECT_EQ(c.Target.y, 250.0f);
}

TEST(MoveController, ApproachZeroTable) {
  struct Case {
    float v, s, out;
  } cases[] = {{0.3f, -0.5f, 0}, {0.3f, 0.1f, 0.2f}, {-0.3f, 0.1f, -0.2f}, {-0.3f, -0.5f, 0}, {0, 5, 0},
               {2, 2, 0}, {-2, -2, 0}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(ApproachZero(c.v, c.s), c.out) << c.v << " " << c.s;
}

TEST(MoveController, VelocityFrictionAndStop) {
  CMoveController c;
  c.GroundWord = 1;
  EXPECT_TRUE(c.IsGrounded());
  c.SetVelocity({0, 400, 0});
  EXPECT_EQ(c.Velocity.y, 400);
  EXPECT_FALSE(c.IsGrounded()) << "airborne";
  c.SetVelocity({10, 0, 20});
  EXPECT_EQ(c.Velocity.x, 10);
  EXPECT_EQ(c.Velocity.y, 400) << "only x and z while the vertical speed is not 0";
  EXPECT_EQ(c.Moving, 1u);

  // Friction: in the air only y; on the ground x and z by twice their share.
  CVector3 v{3, 5, 4};
  c.ApplyFriction(&v, 1);
  EXPECT_EQ(v.x, 3);
  EXPECT_EQ(v.y, 4);
  c.Velocity.y = 0;
  v = {3, 5, 4};
  c.ApplyFriction(&v, 1);
  EXPECT_FLOAT_EQ(v.x, 3 - 2 * 0.6f);
  EXPECT_FLOAT_EQ(v.z, 4 - 2 * 0.8f);
  EXPECT_FLOAT_EQ(v.y, 4);

  c.MoveVector = {0, 0, -5};
  c.SecondDirection = {0, 0, 0};
  EXPECT_FLOAT_EQ(c.GetMoveDirection().z, -1);
  EXPECT_EQ(c.GetFacingDirection().x, 0);
  EXPECT_FLOAT_EQ(c.GetMoveSpeed(), 5);

  c.Stop(false, true);
  EXPECT_EQ(c.Moving, 0u);
  EXPECT_EQ(c.Velocity.x, 10);
  EXPECT_TRUE(c.IsStopped());
  c.Stop(true, true);
  EXPECT_EQ(c.Velocity.x, 0);
  EXPECT_EQ(c.MoveVector.z, 0);
  EXPECT_EQ(c.StopWord, 0u);
  EXPECT_EQ(c.ReleaseWord, 0u);
  EXPECT_TRUE(c.IsStopped()) << "release word clear";
}

TEST(MoveController, ContactsStopAtSixteen) {
  CMoveController c;
  const CVector3 p{1, 2, 3};
  for (int i = 0; i < kMoveContacts; ++i) EXPECT_EQ(c.AddContact(static_cast<std::uint32_t>(i), 7, i % 2 ? &p : nullptr), 1);
  EXPECT_EQ(c.AddContact(99, 7, &p), 0);
  EXPECT_EQ(c.ContactCount, 16u);
  EXPECT_EQ(c.Contacts[15].Id, 15u);
  EXPECT_EQ(c.Contacts[14].Point.y, 0);
  EXPECT_EQ(c.Contacts[15].Point.y, 2);
  CSurfaces surfaces;
  EXPECT_EQ(c.GetLastContactObject(&surfaces), nullptr) << "not on the ground";
}

namespace {

// A tilted plate of one polygon, placed turned and raised, and the world
// height of its plane at (x, z).
struct Plate {
  std::unique_ptr<Maze> world;
  CEnvInstance* instance = nullptr;
  const BspPolygon* polygon = nullptr;
  float plane[4];
};

Plate MakePlate() {
  Plate p;
  p.world = route_fixture::MakeGridWorld({"....", "....", "....", "...."});
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  // y = 0.25 x over x, z in [-100, 100], facing up.
  std::vector<CVector3> quad{{-100, -25, -100}, {-100, -25, 100}, {100, 25, 100}, {100, 25, -100}};
  t->Bsp = CompileBspTree(BspSource{{quad, 0}}).release();
  t->Bounds.Min = {-100, -25, -100};
  t->Bounds.Max = {100, 25, 100};
  p.world->env->AddObject(t);
  p.instance = p.world->env->CreateInstance("Plate", t, {500, 300, 500}, {0, 30, 0}, nullptr, 0, 0);
  const BspNode* root = t->Bsp;
  const bool positive = root->PositiveList != 0;
  p.polygon = BspListAt(root, positive ? root->PositiveList : root->NegativeList);
  for (int k = 0; k < 4; ++k) p.plane[k] = positive ? root->Plane[k] : -root->Plane[k];
  return p;
}

float PlateHeight(const Plate& p, float x, float z) {
  CVector3 local;
  p.instance->WorldToLocal(-1, {x, 0, z}, &local);
  CVector3 onPlate{local.x, 0.25f * local.x, local.z}, world;
  p.instance->LocalToWorld(-1, onPlate, &world);
  return world.y;
}

}  // namespace

TEST(GroundProbe, HeightOfTheBoundSurfaceAndUnbindingOffIt) {
  Plate plate = MakePlate();
  ASSERT_NE(plate.polygon, nullptr);
  CTimer real;
  SetRouteClocks(nullptr, &real);
  CGroundProbe probe;
  EXPECT_EQ(probe.Serial + 1, g_GroundProbeCount);
  CGroundProbe other;
  EXPECT_EQ(other.Serial, probe.Serial + 1);
  float h = 0;
  EXPECT_EQ(probe.GetHeightBelow({500, 400, 500}, &h), 0) << "unbound";
  probe.SetSurfaceObject(plate.instance, -1, plate.polygon, plate.plane);
  // A frame this probe does not skip.
  CTimer::State s;
  real.SaveState(&s);
  s.frameCounter = 0;
  while (s.frameCounter % g_GroundProbeCount == 2 * probe.Serial) ++s.frameCounter;
  real.RestoreState(s);
  for (CVector3 q : {CVector3{500, 400, 500}, CVector3{550, 400, 470}, CVector3{440, 900, 530}}) {
    ASSERT_EQ(probe.GetHeightBelow(q, &h), 1) << q.x << "," << q.z;
    EXPECT_NEAR(h, PlateHeight(plate, q.x, q.z), 0.01f);
  }
  // The controller's own binding answers the same and is never skipped.
  CMoveController c;
  c.Surface = probe.Surface;
  ASSERT_EQ(c.GetSurfaceHeight({550, 400, 470}, &h), 1);
  EXPECT_NEAR(h, PlateHeight(plate, 550, 470), 0.01f);
  EXPECT_EQ(c.GetSurfaceHeight({900, 400, 900}, &h), 0);
  EXPECT_NE(c.Surface.Polygon, nullptr) << "kept";
  // A segment through the plate hits it; one beside it unbinds.
  CVector3 hit;
  ASSERT_EQ(probe.RayTest({510, 600, 505}, {510, 0, 505}, &hit), 1);
  EXPECT_NEAR(hit.y, PlateHeight(plate, 510, 505), 0.01f);
  EXPECT_EQ(probe.RayTest({510, 600, 505}, {510, 400, 505}, &hit), 0) << "stops short";
  EXPECT_FALSE(probe.IsBound());
  probe.SetSurfaceObject(plate.instance, -1, plate.polygon, plate.plane);
  EXPECT_EQ(probe.GetHeightBelow({900, 400, 900}, &h), 0);
  EXPECT_FALSE(probe.IsBound()) << "off the polygon";
  // The skipped frame.
  probe.SetSurfaceObject(plate.instance, -1, plate.polygon, plate.plane);
  if (2 * probe.Serial < g_GroundProbeCount) {
    s.frameCounter = 2 * probe.Serial;
    real.RestoreState(s);
    EXPECT_EQ(probe.GetHeightBelow({500, 400, 500}, &h), 0);
    EXPECT_TRUE(probe.IsBound());
  }
  SetRouteClocks(nullptr, nullptr);
}

// A controller walking a route path through a maze reaches its goal, and
// its sphere never enters a wall.
TEST(MoveController, FollowsARouteThroughAMazeWithoutEnteringWalls) {
  CTimer clock;
  route_fixture::SetClock(&clock, 100, 1.0f / 30);
  SetRouteClocks(&clock, &clock);
  route_fixture::MazeOptions o;
  o.halfCells = 5;
  o.seed = 4;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  const int last = 2 * o.halfCells - 1;
  for (int trip = 0; trip < 3; ++trip) {
    const int sx = trip == 1 ? last : 1, sz = 1, gx = trip == 1 ? 1 : last, gz = trip == 2 ? 1 : last;
    CVector3 start = Maze::Centre(sx, sz), goal = Maze::Centre(gx, gz);
    start.y = goal.y = 40;
    const std::uint32_t s = g_QuadTree->FindLeaf(start)->MarkerIndex, g = g_QuadTree->FindLeaf(goal)->MarkerIndex;
    route_fixture::SetClock(&clock, 200 + trip, 1.0f / 30);
    ASSERT_EQ(g_Router->FindRoute(s, g, 1), ROUTE_FOUND);
    CRoutePath path;
    path.BuildFromRoute(start, goal, RPF_START_POINT | RPF_NO_COST);
    CMoveController c;
    c.Position = start;
    c.CollisionObject = maze->zone;
    float deepest = 0;
    int steps = 0;
    while (path.State == 1 && steps < 4000) {
      ++steps;
      const CVector3* next = path.GetNextPoint();
      if (!next) break;
      CVector3 to{next->x - c.Position.x, 0, next->z - c.Position.z};
      const float d = std::hypot(to.x, to.z);
      if (d < 10) {
        path.Advance(false);
        continue;
      }
      const float step = std::min(d, 20.0f);
      CSphere moved;
      c.MoveSphere(nullptr, 0, {to.x / d * step, 0, to.z / d * step}, &moved);
      const float progress = std::hypot(moved.Centre.x - c.Position.x, moved.Centre.z - c.Position.z);
      c.Position = moved.Centre;
      // Pressed against a wall short of an off-centre point: on to the next.
      if (progress < 0.5f) path.Advance(false);
      // Distance from the sphere's centre to the nearest wall cell.
      const int cx = static_cast<int>(std::floor(c.Position.x / kCell)), cz = static_cast<int>(std::floor(c.Position.z / kCell));
      for (int x = cx - 1; x <= cx + 1; ++x)
        for (int z = cz - 1; z <= cz + 1; ++z) {
          if (!maze->IsWall(x, z)) continue;
          const float nx = std::clamp(c.Position.x, x * kCell, (x + 1) * kCell);
          const float nz = std::clamp(c.Position.z, z * kCell, (z + 1) * kCell);
          deepest = std::max(deepest, 30.0f - std::hypot(c.Position.x - nx, c.Position.z - nz));
        }
    }
    EXPECT_LT(std::hypot(c.Position.x - goal.x, c.Position.z - goal.z), 15.0f) << "trip " << trip;
    EXPECT_LT(deepest, 0.5f) << "trip " << trip;
    EXPECT_NEAR(c.Position.y, 40, 0.5f);
  }
  FreeRouteData();
  SetRouteClocks(nullptr, nullptr);
}
