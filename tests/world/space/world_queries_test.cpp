#include "world/space/world_queries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <map>
#include <set>
#include <string>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"
#include "world/space/zone_visibility.h"
#include "world/space_world_fixture.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;
using space_fixture::World;

namespace {

class WorldQueries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world_ = space_fixture::MakeWorld({}).release(); }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }
  static World* world_;

  // The queries of the level's environment.
  CWorldQueries& Q() { return queries_; }
  CEnvironment& Env() { return *world_->env; }
  CWorldQueries queries_;

  // A random point outdoors (above the terrain, outside the room box), in room A or in room B.
  CVector3 Point(std::mt19937& rng, int where) {
    std::uniform_real_distribution<float> u(0, 1);
    for (;;) {
      CVector3 p;
      if (where == 1) p = {20 + 360 * u(rng), 20 + 260 * u(rng), 20 + 360 * u(rng)};
      else if (where == 2) p = {420 + 360 * u(rng), 20 + 260 * u(rng), 20 + 360 * u(rng)};
      else {
        p = {-2600 + 5200 * u(rng), 0, -2600 + 5200 * u(rng)};
        p.y = space_fixture::TerrainHeight(p.x, p.z) + 30 + 500 * u(rng);
        if (p.x > -20 && p.x < 820 && p.z > -20 && p.z < 420 && p.y < 320) continue;
      }
      return p;
    }
  }
  CEnvInstance* ZoneOf(int where) {
    return where == 1 ? world_->roomA : where == 2 ? world_->roomB : world_->land;
  }
};
World* WorldQueries::world_ = nullptr;

}  // namespace

TEST_F(WorldQueries, LineOfSightMatchesBruteForceWithAndWithoutPortals) {
  std::mt19937 rng(5);
  int checked = 0, blocked = 0, through_door = 0;
  for (int q = 0; q < 3000; ++q) {
    int from = q % 3, to = (q / 3) % 3;
    CVector3 a = Point(rng, from), b = Point(rng, to);
    if (q % 7 == 0 && from != 0) {
      // Aim through the doorway now and then.
      std::uniform_real_distribution<float> u(0, 1);
      b = {from == 1 ? 500 + 250 * u(rng) : 300 - 250 * u(rng), 20 + 150 * u(rng), 160 + 80 * u(rng)};
      a.y = std::min(a.y, 180.0f);
    }
    bool ambiguous;
    float nearest;
    bool expect = space_fixture::SegmentBlocked(world_->polygons, a, b, 0.05f, &ambiguous, &nearest);
    if (ambiguous) continue;
    ++checked;
    blocked += expect;
    through_door += !expect && space_fixture::RoomOf(a) && space_fixture::RoomOf(b) &&
                    space_fixture::RoomOf(a) != space_fixture::RoomOf(b);
    for (std::uint32_t zones : {1u, 0u}) {
      Env().UseZones = zones;
      CVector3 point{1e9f, 0, 0};
      WorldHit* hit = nullptr;
      int clear = Q().LineOfSight(ZoneOf(from), a, b, &point, &hit, 0, nullptr);
      ASSERT_EQ(clear, expect ? 0 : 1) << "zones " << zones << " case " << q << " from " << from << " to " << to;
      if (!expect) {
        EXPECT_EQ(point.x, 1e9f);  // a clear line leaves the point alone
        continue;
      }
      ASSERT_NE(hit, nullptr);
      // The point is the nearest crossing.
      CVector3 want = a + (b - a) * nearest;
      EXPECT_LT(geom::Length(point - want), 0.5f) << "zones " << zones << " case " << q;
      EXPECT_EQ(hit->Flags & (zones ? 0xA83u : 0x287u), zones ? 0xA83u : 0x287u);
    }
  }
  Env().UseZones = 1;
  EXPECT_GT(checked, 2500);
  EXPECT_GT(blocked, 500);
  EXPECT_GT(through_door, 20);
}

TEST_F(WorldQueries, LineOfSightWithoutOutputsAgreesWithTheNearestHitWalk) {
  // Without a record, point or zone asked for, the walk stops at the first
  // surface it finds; whether the line is clear must not change.  Cases mix
  // zones, the doorway (open and closed), surface filter bits, a disabled
  // instance and segments that end on or graze surfaces.
  std::mt19937 rng(15);
  std::uniform_real_distribution<float> u(0, 1);
  CEnvInstance* disabled = nullptr;
  for (CEnvInstance* i = Env().InstanceList; i && !disabled; i = i->EnvLink)
    if (i->GetRoot() == world_->land && i->Template && i->Template->Bounds.Max.y < 200) disabled = i;
  ASSERT_NE(disabled, nullptr);
  int blocked = 0, checked = 0;
  for (int q = 0; q < 3000; ++q) {
    int from = q % 3, to = (q / 3) % 3;
    CVector3 a = Point(rng, from), b = Point(rng, to);
    switch (q % 6) {
      case 1: b = {from == 1 ? 500 + 250 * u(rng) : 300 - 250 * u(rng), 20 + 150 * u(rng), 160 + 80 * u(rng)}; break;
      case 2: b.y = space_fixture::TerrainHeight(b.x, b.z) - 5; break;  // ends below the ground
      case 3: b = a + (b - a) * 0.05f; break;                         // short
      case 4: b = {a.x, a.y - 400, a.z}; break;                       // straight down
      default: break;
    }
    const std::uint32_t flags = q % 5 == 0 ? 0x80u | 0x400u : 0u;
    world_->doorAB->Closed = q % 7 == 0 ? 1 : 0;
    if (q % 11 == 0) disabled->Disable();
    WorldHit* hit = nullptr;
    CVector3 point{0, 0, 0};
    CEnvInstance* zone = nullptr;
    const int nearest = Q().LineOfSight(ZoneOf(from), a, b, &point, &hit, flags, &zone);
    const int any = Q().LineOfSight(ZoneOf(from), a, b, nullptr, nullptr, flags, nullptr);
    ASSERT_EQ(any, nearest) << "case " << q;
    if (!any) {
      // The record names a blocking surface of a real instance, on the segment.
      const WorldHit& h = CWorldQueries::StaticHit();
      ASSERT_NE(h.Instance, nullptr);
      EXPECT_NE(h.Polygon, nullptr);
      EXPECT_FALSE(h.Instance->Flags & INSTF_DISABLED);
      EXPECT_LE(h.Distance, 1.0f);
      EXPECT_GE(h.Distance, 0.0f);
      CVector3 on = a + (b - a) * h.Distance;
      EXPECT_LT(geom::Length(on - h.WorldPoint), 0.5f) << "case " << q;
    }
    disabled->Enable();
    blocked += !any;
    ++checked;
  }
  world_->doorAB->Closed = 0;
  EXPECT_GT(blocked, 600);
  EXPECT_GT(checked - blocked, 600);
}

TEST_F(WorldQueries, FlatSegmentTestReportsTheNearestInstanceOfBruteForce) {
  std::mt19937 rng(8);
  for (int q = 0; q < 2000; ++q) {
    CVector3 a = Point(rng, 0), b = Point(rng, 0);
    bool ambiguous;
    float nearest;
    bool expect = space_fixture::SegmentBlocked(world_->polygons, a, b, 0.05f, &ambiguous, &nearest);
    if (ambiguous) continue;
    WorldHit hit;
    ASSERT_EQ(Q().LineTestFlat(a, b, &hit, 0), expect ? 1 : 0) << q;
    if (!expect) continue;
    EXPECT_NEAR(hit.Distance, nearest, 1e-3f);
    // The reported instance owns a polygon through the hit point.
    CVector3 at = a + (b - a) * nearest;
    bool owns = false;
    for (const auto& p : world_->polygons)
      if (p.instance == hit.Instance && space_fixture::DistanceToPolygon(p, at) < 0.1f) owns = true;
    EXPECT_TRUE(owns) << q;
  }
}

TEST_F(WorldQueries, FindGroundReportsTheSurfaceNearestThePointsHeight) {
  std::mt19937 rng(9);
  const float top = Env().WorldBounds[4], bottom = Env().WorldBounds[1];
  for (int q = 0; q < 2000; ++q) {
    CVector3 p = Point(rng, q % 3);
    // Brute force: up-facing surfaces on the vertical, nearest to p.y.
    float best = 1e30f, second = 1e30f, best_y = 0;
    for (const auto& poly : world_->polygons) {
      if (poly.normal.y <= 0.05f) continue;
      float y = -(poly.normal.x * p.x + poly.normal.z * p.z + poly.d) / poly.normal.y;
      CVector3 at{p.x, y, p.z};
      if (space_fixture::DistanceToPolygon(poly, at) > 0.01f || y >= top || y <= bottom) continue;
      float diff = std::fabs(y - p.y);
      if (diff < best) second = best, best = diff, best_y = y;
      else second = std::min(second, diff);
    }
    if (best > 1e29f || second - best < 1.0f) continue;  // nothing, or two surfaces too close to call
    CVector3 ground;
    ASSERT_NE(Q().FindGround(p, &ground), nullptr) << q;
    EXPECT_NEAR(ground.y, best_y, 0.2f) << q << " at " << p.x << "," << p.y << "," << p.z;
  }
}

TEST_F(WorldQueries, MoveSphereNeverEndsInsideGeometryOrPassesThroughIt) {
  std::mt19937 rng(10);
  std::uniform_real_distribution<float> u(-1, 1);
  int moved_far = 0, tested = 0;
  for (int q = 0; q < 1500; ++q) {
    int where = q % 3;
    CSphere s;
    s.Set(Point(rng, where), 10 + 15 * std::fabs(u(rng)));
    float clearance = 1e30f;
    for (const auto& p : world_->polygons) clearance = std::min(clearance, space_fixture::DistanceToPolygon(p, s.Centre));
    if (clearance < s.Radius + 1) continue;
    ++tested;
    CVector3 v{u(rng) * 400, u(rng) * 300 - 100, u(rng) * 400};
    CVector3 start = s.Centre;
    int moved = -1;
    Q().MoveSphere(ZoneOf(where), &s, v, 0, &moved);
    float after = 1e30f;
    for (const auto& p : world_->polygons) after = std::min(after, space_fixture::DistanceToPolygon(p, s.Centre));
    ASSERT_GE(after, s.Radius - 0.05f) << q << " moved " << geom::Length(s.Centre - start);
    // It stays on its side of the ground and the walls: outdoors above the
    // terrain, indoors within the rooms.
    if (where == 0) {
      EXPECT_GT(s.Centre.y, space_fixture::TerrainHeight(s.Centre.x, s.Centre.z)) << q;
      EXPECT_EQ(space_fixture::RoomOf(s.Centre), 0) << q;
    } else {
      EXPECT_NE(space_fixture::RoomOf(s.Centre), 0) << q << " at " << s.Centre.x << "," << s.Centre.y << "," << s.Centre.z << " from " << start.x << "," << start.y << "," << start.z;
    }
    // It never moves farther than asked.
    EXPECT_LE(geom::Length(s.Centre - start), geom::Length(v) + 0.2f);
    moved_far += geom::Length(s.Centre - start) > 0.5f * geom::Length(v);
  }
  EXPECT_GT(tested, 1000);
  EXPECT_GT(moved_far, tested / 3);
}

TEST_F(WorldQueries, MoveSphereWithATinyVelocityStaysPut) {
  CSphere s;
  s.Set({200, 100, 200}, 10);
  int moved = -1;
  EXPECT_EQ(Q().MoveSphere(world_->roomA, &s, {0.05f, 0.05f, 0}, 0, &moved), world_->roomA);
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(s.Centre.x, 200);
  EXPECT_EQ(s.Centre.y, 100);
}

// A sphere resting 5 units into room A's floor is left exactly where it is
// by every velocity below 0.1 units; a real move pushes it out.
TEST_F(WorldQueries, MoveSphereBelowTheSmallestVelocityLeavesAnOverlappingSphereAlone) {
  const CVector3 velocities[] = {{0, 0, 0}, {0.05f, 0.05f, 0}, {0, -0.09f, 0.04f}, {-0.07f, 0, -0.07f}};
  for (const CVector3& v : velocities) {
    SCOPED_TRACE(testing::Message() << v.x << " " << v.y << " " << v.z);
    CSphere s;
    s.Set({200, 5, 200}, 10);
    int moved = -1;
    EXPECT_EQ(Q().MoveSphere(world_->roomA, &s, v, 0, &moved), world_->roomA);
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(s.Centre.x, 200.0f);
    EXPECT_EQ(s.Centre.y, 5.0f);
    EXPECT_EQ(s.Centre.z, 200.0f);
    EXPECT_EQ(s.Radius, 10.0f);
  }
  CSphere s;
  s.Set({200, 5, 200}, 10);
  Q().MoveSphere(world_->roomA, &s, {0, -1, 0}, 0, nullptr);
  EXPECT_GE(s.Centre.y, 10.0f - 0.05f) << "a real move into the floor ends on its surface";
}

// Broken scenery (a disabled instance) blocks no query: each query meets
// the crate in room B while it stands and passes through where it stood once
// it is disabled.
TEST_F(WorldQueries, EveryQueryPassesThroughADisabledInstance) {
  CEnvInstance* crate = world_->crateInB;
  ASSERT_NE(crate, nullptr);
  crate->UpdateBoundingSphere();
  const CVector3 centre = crate->GetWorldSphere().Centre;
  const float top = crate->WorldBoxMax.y;
  ASSERT_GT(top, 20.0f);
  const CVector3 above{centre.x, top + 40, centre.z}, nearFloor{centre.x, 1, centre.z};
  const CVector3 onTop{centre.x, top, centre.z};
  struct Query {
    const char* name;
    bool (*meets)(CWorldQueries& q, CEnvInstance* crate, const CVector3& above, const CVector3& nearFloor,
                  const CVector3& centre);
  } queries[] = {
      {"flat line test",
       [](CWorldQueries& q, CEnvInstance* c, const CVector3& a, const CVector3& f, const CVector3&) {
         WorldHit hit;
         return q.LineTestFlat(a, f, &hit, 0) != 0 && hit.Instance == c;
       }},
      {"zone line test",
       [](CWorldQueries& q, CEnvInstance* c, const CVector3& a, const CVector3& f, const CVector3&) {
         WorldHit hit;
         return q.LineTestInstances(world_->roomB, a, f, &hit, 0, nullptr) != 0 && hit.Instance == c;
       }},
      {"line of sight",
       [](CWorldQueries& q, CEnvInstance*, const CVector3& a, const CVector3& f, const CVector3&) {
         return q.LineOfSight(world_->roomB, a, f, nullptr, nullptr, 0, nullptr) == 0;
       }},
      {"ground",
       [](CWorldQueries& q, CEnvInstance*, const CVector3& a, const CVector3&, const CVector3&) {
         CVector3 ground{};
         return q.FindGround(a, &ground) != nullptr && ground.y > 10.0f;
       }},
      {"sphere sweep",
       [](CWorldQueries& q, CEnvInstance* c, const CVector3& a, const CVector3& f, const CVector3&) {
         CSphere s;
         s.Set(a, 5);
         WorldHit hit;
         return q.SweepSphere(world_->roomB, s, f - a, &hit, 0) != 0 && hit.Instance == c;
       }},
      {"sphere test",
       [](CWorldQueries& q, CEnvInstance*, const CVector3&, const CVector3&, const CVector3& m) {
         CSphere s;
         s.Set(m, 4);
         std::uint32_t blocked = 0;
         return q.SphereTestInstances(s, 0, &blocked) != 0;
       }},
      {"polygons in a sphere",
       [](CWorldQueries& q, CEnvInstance* c, const CVector3&, const CVector3&, const CVector3& m) {
         struct Seen {
           CEnvInstance* crate;
           int polygons = 0;
         } seen{c};
         PolygonQuery query;
         query.Context = &seen;
         query.Callback = [](PolygonQuery* pq, const BspPolygon*, const float*) {
           auto* st = static_cast<Seen*>(pq->Context);
           if (pq->Instance == st->crate) ++st->polygons;
         };
         CSphere s;
         s.Set(m, 15);
         q.ForEachPolygonInSphere(world_->roomB, s, &query);
         return seen.polygons > 0;
       }},
  };
  // The sphere queries are centred on the middle of the crate's top face.
  for (const Query& query : queries) {
    SCOPED_TRACE(query.name);
    EXPECT_TRUE(query.meets(Q(), crate, above, nearFloor, onTop)) << "the crate standing";
    crate->Disable();
    const bool met = query.meets(Q(), crate, above, nearFloor, onTop);
    crate->Enable();
    EXPECT_FALSE(met) << "the crate broken";
  }
}

TEST_F(WorldQueries, SphereSlidesAlongAWallAndStopsInACorner) {
  // In room A, pushed diagonally into the wall z = 400: it slides along +x.
  CSphere s;
  s.Set({100, 100, 350}, 20);
  Q().MoveSphere(world_->roomA, &s, {100, 0, 100}, 0, nullptr);
  EXPECT_NEAR(s.Centre.z, 380, 0.5f);
  EXPECT_GT(s.Centre.x, 180);
  EXPECT_NEAR(s.Centre.y, 100, 0.01f);
  // Into the corner of x = 0 and z = 0 and down onto the floor: three walls stop it.
  s.Set({60, 60, 60}, 20);
  Q().MoveSphere(world_->roomA, &s, {-200, -200, -200}, 0, nullptr);
  EXPECT_GE(s.Centre.x, 20 - 0.05f);
  EXPECT_GE(s.Centre.y, 20 - 0.05f);
  EXPECT_GE(s.Centre.z, 20 - 0.05f);
  EXPECT_LT(s.Centre.x + s.Centre.y + s.Centre.z, 100);
}

TEST_F(WorldQueries, SphereInTheCreaseOfFloorAndWallSlidesAlongIt) {
  // Pushed down and into the wall x = 0 while moving along z: the crease of
  // floor and wall leaves only the motion along z.
  CSphere s;
  s.Set({25, 25, 100}, 20);
  Q().MoveSphere(world_->roomA, &s, {-50, -50, 150}, 0, nullptr);
  EXPECT_NEAR(s.Centre.x, 20, 0.5f);
  EXPECT_NEAR(s.Centre.y, 20, 0.5f);
  EXPECT_GT(s.Centre.z, 150);
}

TEST_F(WorldQueries, FlagOneKeepsNoUpwardMotion) {
  CSphere s;
  s.Set({100, 21, 100}, 20);
  // Moving into the wall x = 0 and upwards: with flag 1 the slide loses its rise after the contact.
  Q().MoveSphere(world_->roomA, &s, {-100, 0, 50}, MSF_NO_UP, nullptr);
  EXPECT_NEAR(s.Centre.y, 21, 0.01f);
}

TEST_F(WorldQueries, PolygonsInASphereIncludeEveryPolygonItTouches) {
  std::mt19937 rng(12);
  struct Seen {
    std::vector<space_fixture::WorldPolygon> polys;
  };
  for (int q = 0; q < 800; ++q) {
    int where = q % 3;
    CSphere s;
    s.Set(Point(rng, where), 30 + 200 * (q % 5) / 4.0f);
    s.Centre.y -= 40;  // closer to the ground
    Seen seen;
    PolygonQuery query;
    query.Context = &seen;
    query.Callback = [](PolygonQuery* pq, const BspPolygon* polygon, const float*) {
      space_fixture::WorldPolygon wp;
      for (unsigned k = 0; k < polygon->VertexCount; ++k) {
        const float* v = polygon->Vertex(k);
        CVector3 o;
        pq->Instance->LocalToWorld(-1, {v[0], v[1], v[2]}, &o);
        wp.vertices.push_back(o);
      }
      wp.normal = geom::Unit(geom::Cross(wp.vertices[1] - wp.vertices[0], wp.vertices[2] - wp.vertices[0]));
      wp.d = -geom::Dot(wp.normal, wp.vertices[0]);
      wp.instance = pq->Instance;
      static_cast<Seen*>(pq->Context)->polys.push_back(wp);
    };
    Q().ForEachPolygonInSphere(ZoneOf(where), s, &query);
    for (const auto& p : world_->polygons) {
      if (space_fixture::DistanceToPolygon(p, s.Centre) > s.Radius - 0.1f) continue;
      // Only polygons of the zones walked: the outer zone and the sphere's own.
      if (p.instance->GetRoot() != ZoneOf(where)) continue;
      bool found = false;
      for (const auto& r : seen.polys)
        found |= r.instance == p.instance && geom::Dot(r.normal, p.normal) > 0.999f &&
                 std::fabs(geom::Dot(p.normal, r.vertices[0]) + p.d) < 0.5f &&
                 space_fixture::DistanceToPolygon(r, s.Centre) <= s.Radius + 0.5f;
      EXPECT_TRUE(found) << q;
    }
  }
}

TEST(WorldQueriesLarge, ASphereOverTheWholeWorldMeetsEveryPolygonOnce) {
  // Several hundred instances, most of them listed in several octree leaves:
  // each must be gathered exactly once.
  space_fixture::Options o;
  o.terrainTiles = 14;
  o.cellsPerTile = 2;
  o.outdoorCrates = 250;
  o.trees = 20;
  auto world = space_fixture::MakeWorld(o);
  std::map<const CEnvInstance*, int> expect, got;
  // Each instance once: every polygon of its tree (the compiler may have cut some).
  for (const auto& p : world->polygons) {
    if (p.instance->GetRoot() != world->land || expect.count(p.instance)) continue;
    BspStatistics stats;
    GetBspStatistics(p.instance->Template->Bsp, &stats);
    expect[p.instance] = stats.Polygons;
  }
  ASSERT_GT(expect.size(), 400u);
  CSphere s;
  s.Set({0, 0, 0}, 20000);
  PolygonQuery query;
  query.Context = &got;
  query.Callback = [](PolygonQuery* pq, const BspPolygon*, const float*) {
    ++(*static_cast<std::map<const CEnvInstance*, int>*>(pq->Context))[pq->Instance];
  };
  CWorldQueries().ForEachPolygonInSphere(world->land, s, &query);
  EXPECT_EQ(got, expect);
}

TEST_F(WorldQueries, ZoneAfterMoveFollowsTheDoorwayOnly) {
  std::mt19937 rng(13);
  std::uniform_real_distribution<float> u(0, 1);
  int entered = 0;
  for (int q = 0; q < 3000; ++q) {
    CVector3 a = Point(rng, 1), b = Point(rng, 2);
    // Brute force: the segment crosses x = 400 inside the doorway.
    float t = (400 - a.x) / (b.x - a.x);
    CVector3 at = a + (b - a) * t;
    bool through = at.z > 150 && at.z < 250 && at.y > 0 && at.y < 200;
    bool edge = std::fabs(at.z - 150) < 0.01f || std::fabs(at.z - 250) < 0.01f || std::fabs(at.y - 200) < 0.01f;
    if (edge) continue;
    entered += through;
    EXPECT_EQ(Q().ZoneAfterMove(world_->roomA, a, b), through ? world_->roomB : world_->roomA) << q;
    // And back again from B: the twin portal.
    EXPECT_EQ(Q().ZoneAfterMove(world_->roomB, b, a), through ? world_->roomA : world_->roomB) << q;
    // Moving away from the door never changes zone.
    EXPECT_EQ(Q().ZoneAfterMove(world_->roomA, b, a), world_->roomA);
  }
  EXPECT_GT(entered, 100);
}

TEST_F(WorldQueries, AnInstanceInTheOtherRoomIsSeenOnlyThroughTheDoorway) {
  struct Seen {
    std::set<CEnvInstance*> instances;
  };
  auto visit = [](CEnvInstance* i, void* ctx) { static_cast<Seen*>(ctx)->instances.insert(i); };
  CEnvInstance* target = world_->crateInB;
  target->UpdateBoundingSphere();
  const CVector3 goal = target->GetWorldSphere().Centre;
  std::mt19937 rng(14);
  int seen_count = 0, portal_in_view = 0;
  for (int q = 0; q < 400; ++q) {
    CVector3 eye = Point(rng, 1);
    // A narrow view cone (four planes through the eye) about a random direction,
    // half the time aimed at the target.
    std::uniform_real_distribution<float> u(-1, 1);
    CVector3 dir = q % 2 ? geom::Unit(goal - eye) : geom::Unit(CVector3{u(rng), u(rng) * 0.3f, u(rng)});
    CVector3 side = geom::Unit(geom::Cross(dir, {0, 1, 0}));
    CVector3 up = geom::Cross(side, dir);
    const float spread = 0.35f;
    ZoneViewVolume volume;
    for (CVector3 edge : {side, side * -1.0f, up, up * -1.0f}) {
      CVector3 n = geom::Unit(dir * spread - edge);  // leans inwards from each side
      volume.Planes.push_back({n.x, n.y, n.z, -geom::Dot(n, eye)});
    }
    Seen seen;
    WalkVisibleZones(world_->roomA, eye, volume, static_cast<std::uint32_t>(q + 1), 1.0f, visit, &seen);
    // Brute force for "the doorway is in view": some point of the doorway
    // rectangle lies inside every plane, seen from the front.
    bool door_in_view = false;
    if (eye.x < 400) {
      for (int i = 0; i <= 20 && !door_in_view; ++i)
        for (int j = 0; j <= 20 && !door_in_view; ++j) {
          CVector3 p{400, 200.0f * i / 20, 150 + 100.0f * j / 20};
          bool inside = true;
          for (const auto& pl : volume.Planes) inside &= pl[0] * p.x + pl[1] * p.y + pl[2] * p.z + pl[3] >= 0;
          door_in_view = inside;
        }
    }
    portal_in_view += door_in_view;
    bool seen_target = seen.instances.count(target) != 0;
    seen_count += seen_target;
    if (seen_target) {
      EXPECT_TRUE(door_in_view) << q;
    }
  }
  EXPECT_GT(seen_count, 10);
  EXPECT_GT(portal_in_view, seen_count);
}

TEST_F(WorldQueries, ClosedDoorwayHidesTheOtherRoomAndBlocksNothingElse) {
  CVector3 a{200, 100, 200}, b{600, 100, 200};
  EXPECT_EQ(Q().LineOfSight(world_->roomA, a, b, nullptr, nullptr, 0, nullptr), 1);
  world_->doorAB->Closed = 1;
  // Closed: the walk does not enter room B, so only room A's walls count (the
  // line passes the doorway); nothing in room B is considered.
  CEnvInstance* zone = nullptr;
  WorldHit hit;
  Q().LineTestInstances(world_->roomA, a, b, &hit, 0, &zone);
  EXPECT_EQ(zone, world_->roomA);
  EXPECT_FALSE(world_->doorAB->IsVisible(a, 1));
  world_->doorAB->Closed = 0;
  Q().LineTestInstances(world_->roomA, a, b, &hit, 0, &zone);
  EXPECT_EQ(zone, world_->roomB);
}

TEST_F(WorldQueries, SweepSpheresAnswersTheNearestSphere) {
  CSphere spheres[3];
  spheres[0].Set({100, 100, 100}, 10);
  spheres[1].Set({100, 100, 300}, 10);
  spheres[2].Set({300, 100, 200}, 10);
  WorldHit hit;
  EXPECT_EQ(Q().SweepSpheres(world_->roomA, spheres, 0, {0, 0, 500}, &hit, 0), -1);
  EXPECT_EQ(Q().SweepSpheres(world_->roomA, spheres, 3, {0, 0, 500}, &hit, 0), 1);
  EXPECT_NEAR(hit.Distance, 400 - 300 - 10, 0.5f);
}

TEST_F(WorldQueries, AGroupOfSpheresMovesRigidlyAndStopsAtTheFirstContact) {
  // Two spheres side by side in room A moving towards the wall x = 0: the
  // nearer one's contact stops both, and they keep their spacing.
  CSphere group[2];
  group[0].Set({100, 100, 100}, 20);
  group[1].Set({60, 100, 300}, 20);
  int moved = -1;
  CEnvInstance* zone = Q().MoveSpheres(world_->roomA, group, 2, {-200, 0, 0}, MSF_ONE_PASS, &moved);
  EXPECT_EQ(zone, world_->roomA);
  EXPECT_NEAR(group[1].Centre.x, 20, 0.2f);
  EXPECT_NEAR(group[0].Centre.x - group[1].Centre.x, 40, 1e-3f);
  EXPECT_FLOAT_EQ(group[0].Centre.z, 100);
  // Moved through the doorway without collision, the zone follows.
  CSphere s;
  s.Set({300, 100, 200}, 10);
  EXPECT_EQ(Q().TranslateSphere(world_->roomA, &s, {200, 0, 0}), world_->roomB);
  EXPECT_FLOAT_EQ(s.Centre.x, 500);
}

TEST_F(WorldQueries, SphereTestFindsTouchedInstancesOnly) {
  std::uint32_t blocked = 7;
  CSphere far_away;
  far_away.Set({200, 150, 200}, 10);  // the middle of room A, clear of its crates
  bool clear = true;
  for (const auto& p : world_->polygons) clear &= space_fixture::DistanceToPolygon(p, far_away.Centre) > 12;
  ASSERT_TRUE(clear);
  EXPECT_EQ(Q().SphereTestInstances(far_away, 0, &blocked), 0);
  EXPECT_EQ(blocked, 0u);
  CSphere on_floor;
  on_floor.Set({200, 5, 200}, 10);
  EXPECT_EQ(Q().SphereTestInstances(on_floor, 0, &blocked), 1);
}

TEST_F(WorldQueries, PortalsOfAZoneRootAreNamedByCountNewestFirst) {
  CEnvInstance* room = world_->roomA;
  ASSERT_EQ(room->Zone->Portals, world_->doorAB);
  EXPECT_EQ(std::string(world_->doorAB->Name), std::string(room->GetIdString()) + ":0");
  const int size_before = room->SizeAccounting;
  PortalPolygon block = world_->doorAB->Polygon;
  CSphere sphere;
  sphere.Set({1, 2, 3}, 4);
  Portal* second = room->AddPortal(world_->roomB, block, &sphere, 1, -1, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(std::string(second->Name), std::string(room->GetIdString()) + ":1");
  EXPECT_EQ(room->Zone->Portals, second);
  EXPECT_EQ(second->Next, world_->doorAB);
  EXPECT_EQ(room->SizeAccounting, size_before + 548);
  EXPECT_EQ(second->Number, std::max(world_->doorAB->Number, world_->doorBA->Number) + 1);
  EXPECT_EQ(second->DistanceLimited, 1u);
  EXPECT_FLOAT_EQ(second->VisibilitySphere.Radius, 4);
  // Taken off again so the shared world keeps its one doorway.
  room->Zone->Portals = second->Next;
  --room->Zone->PortalCount;
  room->SizeAccounting = size_before;
  delete second;
}

TEST_F(WorldQueries, VerticalProbesFindTheFirstOrTheMiddleSurface) {
  // Above room A: the roof at 300 and the floor at 0 lie on the vertical.
  WorldHit hit;
  ASSERT_EQ(Q().ProbeDown(200, 200, &hit), 1);
  EXPECT_NEAR(hit.Point.y, 300, 0.01f);
  // From 340 down to -40: the first surface is the roof; the one nearest the
  // middle (150) is the floor at 0 (the ceiling faces down and is not met).
  ASSERT_EQ(Q().ProbeVertical({200, 150, 200}, 190, &hit, false), 1);
  EXPECT_NEAR(hit.Point.y, 300, 0.01f);
  ASSERT_EQ(Q().ProbeVertical({200, 150 - 110, 200}, 190, &hit, true), 1);
  EXPECT_NEAR(hit.Point.y, 0, 0.01f);
  EXPECT_EQ(Q().ProbeVertical({200, 150, 200}, 100, &hit, true), 0);  // 50..250 inside the room: nothing
}
