#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_path.h"
#include "world/routes/route_world_fixture.h"
#include "world/routes/router.h"

using route_fixture::Maze;

namespace {

class RoutePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    route_fixture::SetClock(&clock_, 10, 1.0f / 30);
    SetRouteClocks(&clock_, &clock_);
  }
  void TearDown() override {
    SetRouteClocks(nullptr, nullptr);
    FreeRouteData();
  }
  void NextFrame() { route_fixture::SetClock(&clock_, now_ += 33, 1.0f / 30); }
  // A current list of markers at the points, with a router for it.
  void MakeMarkers(const std::vector<CVector3>& points) {
    auto* list = new CRouteMarkerList;
    list->Init(static_cast<std::uint32_t>(points.size()));
    SetRouteMarkerList(list);
    for (std::size_t i = 0; i < points.size(); ++i) list->SetPosition(static_cast<std::uint32_t>(i), points[i]);
    delete g_Router;
    g_Router = new CRouter(list->Count);
  }
  CTimer clock_;
  std::uint32_t now_ = 10;
};

}  // namespace

TEST_F(RoutePaths, IdleBeginAndAdvance) {
  CRoutePath path;
  EXPECT_EQ(path.State, 0u);
  EXPECT_EQ(path.GetNextPoint(), nullptr);
  EXPECT_EQ(path.GetNextMarker(), -1);
  EXPECT_EQ(path.GetNextMarkerWord(), 65535);
  EXPECT_EQ(path.GetCurrentMarker(), -1);
  EXPECT_TRUE(path.IsAtEnd());
  path.Begin({5, 0, 7});
  EXPECT_EQ(path.Count, 1u);
  EXPECT_TRUE(path.IsOnLastLeg());
  EXPECT_EQ(path.Destination.z, 7);
  EXPECT_EQ(path.Advance(false), 1);
  EXPECT_EQ(path.State, 0u);
  EXPECT_EQ(path.Count, 0u);
  // Idle with current at count - 1 is not on its last leg.
  path.Count = 1;
  path.Current = 0;
  path.State = 0;
  EXPECT_FALSE(path.IsOnLastLeg());
  EXPECT_TRUE(path.IsAtEnd());
}

// Along a route: the start point, each marker moved off-centre by the same
// fraction of its leaf, weights raised by 0.25, then the target; two paths
// over the same markers draw their own fractions.
TEST_F(RoutePaths, BuildFromRouteOffsetsLeafPointsAndRaisesWeights) {
  route_fixture::MazeOptions o;
  o.halfCells = 5;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  const std::uint32_t s = g_QuadTree->FindLeaf(Maze::Centre(1, 1))->MarkerIndex;
  const std::uint32_t g = g_QuadTree->FindLeaf(Maze::Centre(9, 9))->MarkerIndex;
  ASSERT_EQ(g_Router->FindRoute(s, g, 1), ROUTE_FOUND);
  std::vector<std::uint32_t> route;
  for (const RouteSearchNode* n = g_Router->GetResult(); n; n = n->Parent) route.push_back(n->Marker);
  ASSERT_GE(route.size(), 3u);
  std::vector<float> before;
  for (std::uint32_t m : route) before.push_back(g_RouteMarkerList->GetMarker(m)->Weight);
  const CVector3 start{300, 0, 310}, target{2380, 0, 2370};
  CRoutePath a, b;
  a.BuildFromRoute(start, target, RPF_START_POINT);
  b.BuildFromRoute(start, target, RPF_START_POINT | RPF_NO_COST);
  ASSERT_EQ(a.Count, route.size() + 2);
  EXPECT_EQ(a.State, 1u);
  EXPECT_EQ(a.Current, 0u);
  EXPECT_EQ(a.Points[0].x, start.x);
  EXPECT_EQ(a.PointMarkers[0], -1);
  EXPECT_EQ(a.Points[a.Count - 1].z, target.z);
  EXPECT_EQ(a.PointMarkers[a.Count - 1], -1);
  EXPECT_EQ(a.Destination.x, target.x);
  float fa[2] = {0, 0}, fb[2] = {0, 0};
  for (std::size_t i = 0; i < route.size(); ++i) {
    const CRouteMarker* m = g_RouteMarkerList->GetMarker(route[i]);
    EXPECT_FLOAT_EQ(m->Weight, before[i] + 0.25f) << "once, for path a only";
    EXPECT_EQ(a.PointMarkers[i + 1], static_cast<std::int32_t>(route[i]));
    const float j = 0.9f * g_QuadTree->FindLeaf(m->Position)->Half;
    const float ax = (a.Points[i + 1].x - m->Position.x) / j, az = (a.Points[i + 1].z - m->Position.z) / j;
    const float bx = (b.Points[i + 1].x - m->Position.x) / j, bz = (b.Points[i + 1].z - m->Position.z) / j;
    EXPECT_EQ(a.Points[i + 1].y, m->Position.y);
    if (i == 0) {
      fa[0] = ax, fa[1] = az, fb[0] = bx, fb[1] = bz;
      EXPECT_LE(std::fabs(ax), 1.0f);
      EXPECT_LE(std::fabs(az), 1.0f);
    }
    EXPECT_NEAR(ax, fa[0], 1e-4f);
    EXPECT_NEAR(az, fa[1], 1e-4f);
    EXPECT_NEAR(bx, fb[0], 1e-4f);
    EXPECT_NEAR(bz, fb[1], 1e-4f);
  }
  EXPECT_TRUE(fa[0] != fb[0] || fa[1] != fb[1]) << "each path draws its own fraction";

  // Flag 4: no target, the destination is the last marker.
  CRoutePath c;
  c.BuildFromRoute(start, target, RPF_END_AT_MARKER | RPF_NO_COST);
  ASSERT_EQ(c.Count, route.size());
  EXPECT_EQ(c.Destination.x, g_RouteMarkerList->GetMarker(route.back())->Position.x);
  // Following: markers come out in order.
  EXPECT_EQ(c.GetNextMarker(), static_cast<std::int32_t>(route[1]));
  EXPECT_EQ(c.FindMarkerAfter(static_cast<std::int32_t>(route[1])), route[2]);
  EXPECT_EQ(c.FindMarkerAfter(static_cast<std::int32_t>(route.back())), 65535);
  EXPECT_EQ(c.Advance(true), 0);
  EXPECT_EQ(c.LastPassed, static_cast<std::int32_t>(route[0]));
  EXPECT_EQ(c.GetRemaining(), c.Count - 1);
  CRoutePath copy;
  EXPECT_EQ(copy.CopyFrom(c), c.Count);
  EXPECT_EQ(copy.Current, 0u);
  EXPECT_EQ(copy.PointMarkers[copy.Count], -1);
}

// A route longer than a path holds keeps its first points and the target.
TEST_F(RoutePaths, LongRoutesAreCutAtFiveHundredPoints) {
  std::vector<CVector3> zigzag;
  for (int i = 0; i < 600; ++i) zigzag.push_back({10.0f * i, 0, (i % 2) * 10.0f});
  MakeMarkers(zigzag);
  for (std::uint32_t i = 0; i + 1 < 600; ++i) g_RouteMarkerList->GetMarker(i)->AddLink(i + 1);
  ASSERT_EQ(g_Router->FindRoute(0, 599, 1), ROUTE_FOUND);
  ASSERT_EQ(g_Router->CountResult(), 600u);
  CRoutePath path;
  const CVector3 target{7000, 0, 0};
  path.BuildFromRoute({-10, 0, 0}, target, RPF_START_POINT);
  EXPECT_EQ(path.Count, kRoutePathPoints);
  EXPECT_EQ(path.Points[kRoutePathPoints - 1].x, target.x);
  EXPECT_EQ(path.PointMarkers[kRoutePathPoints - 2], 497);
  EXPECT_EQ(path.Dropped, 102u);
  path.BuildStraightened({-10, 0, 0}, target, RPF_START_POINT);
  EXPECT_LE(path.Count, kRoutePathPoints);
}

// Straightening over the quadtree: points it can see past are skipped, and
// every point names its own marker (or -1), never one from an earlier path.
TEST_F(RoutePaths, BuildStraightenedSkipsVisiblePoints) {
  auto maze = route_fixture::MakeGridWorld({"........", "........", "..####..", "..#.....", "..#.....", "........",
                                            "........", "........"});
  BuildRouteData(*maze->env);
  const CVector3 from = Maze::Centre(3, 3), to = Maze::Centre(3, 1);
  const std::uint32_t s = g_QuadTree->FindLeaf(from)->MarkerIndex, g = g_QuadTree->FindLeaf(to)->MarkerIndex;
  ASSERT_EQ(g_Router->FindRoute(s, g, 1), ROUTE_FOUND);
  const std::uint32_t nodes = g_Router->CountResult();
  CRoutePath path;
  for (std::int32_t& m : path.PointMarkers) m = 12345;  // left from an earlier path
  path.BuildStraightened(from, to, RPF_START_POINT);
  ASSERT_GE(path.Count, 3u);
  EXPECT_EQ(path.Count, nodes + 2);
  EXPECT_EQ(path.Points[0].y, 0.0f);
  EXPECT_EQ(path.Points[path.Count - 1].x, to.x);
  for (std::uint32_t i = 0; i < path.Count; ++i) EXPECT_NE(path.PointMarkers[i], 12345) << i;
  // Each kept point is seen from the one before it.
  for (std::uint32_t i = 0; i + 1 < path.Count; ++i)
    if (path.Points[i].x != path.Points[i + 1].x || path.Points[i].z != path.Points[i + 1].z) {
      EXPECT_EQ(QuadTreeRaycastPoints(path.Points[i], path.Points[i + 1]), 1) << i;
    }
  // The walk goes round the corner of the wall, not through it, and once it
  // holds the last point it repeats it.
  EXPECT_EQ(path.Points[path.Count - 1].x, path.Points[path.Count - 2].x);
}

// --- nearest-marker search of the path ends ---------------------------------------------------

TEST_F(RoutePaths, EndSearchOverAnEmptyTableFinishesAtOnce) {
  MakeMarkers({});
  CRoutePath path;
  EXPECT_EQ(path.SearchEnd(nullptr, {0, 0, 0}, 10, 0), 1);
  EXPECT_EQ(path.GetEndMarker(0, 0), -1);
  EXPECT_EQ(path.GetEndMarker(0, 1), -1);
  EXPECT_EQ(path.SearchEnd(nullptr, {0, 0, 0}, 10, 2), 0);
  EXPECT_EQ(path.GetEndMarker(2, 0), -1);
  EXPECT_FALSE(path.IsNearEnd(3, nullptr));
  EXPECT_EQ(path.SearchEnd(nullptr, {0, 0, 0}, 10, 1), 0) << "end 1 needs the path's own instance";
}

TEST_F(RoutePaths, EndSearchFindsNearestAndVisibleMarkers) {
  // A wall row across the world at z = 1.
  auto maze = route_fixture::MakeGridWorld({"......", "######", "......", "......", "......", "......"});
  CEnvInstance* self = maze->floor;
  const CVector3 here = Maze::Centre(2, 0);
  // 0 behind the wall and nearest; 1 in sight, farther; 2 isolated; 3 at 1600 in sight.
  MakeMarkers({Maze::Centre(2, 2), Maze::Centre(5, 0), Maze::Centre(2, 0), {here.x + 1600, 0, here.z}});
  for (std::uint32_t i = 0; i < 4; ++i) g_RouteMarkerList->GetMarker(i)->Position.y = 51;
  g_RouteMarkerList->GetMarker(2)->SetIsolated(true);
  CRoutePath path;
  // A budget of 0 does nothing; then one marker at a time.
  EXPECT_EQ(path.SearchEnd(self, here, 0, 0), 0);
  int calls = 0;
  while (!path.SearchEnd(self, here, 1, 0) && calls < 20) ++calls;
  EXPECT_EQ(path.GetEndMarker(0, 0), 0);
  EXPECT_EQ(path.GetEndMarker(0, 1), 1);
  EXPECT_TRUE(path.IsNearEnd(0, nullptr));
  // Two line tests (markers 0 and 1); none for 3 beyond 1500 units.
  EXPECT_EQ(g_RouteMarkerList->LineTestsThisFrame, 2u);
  // Moving 40 units keeps the result; 60 starts again.
  EXPECT_EQ(path.SearchEnd(self, {here.x + 40, 0, here.z}, 1, 0), 1);
  EXPECT_EQ(path.GetEndMarker(0, 1), 1);
  EXPECT_TRUE(path.IsNearEnd(0, &here));
  const CVector3 far{here.x + 60, 0, here.z};
  EXPECT_FALSE(path.IsNearEnd(0, &far));
  EXPECT_EQ(path.SearchEnd(self, far, 1, 0), 0);
  EXPECT_EQ(path.GetEndMarker(0, 1), -1);

  // Nothing in sight: the visible marker is the nearest one.
  g_RouteMarkerList->GetMarker(1)->SetIsolated(true);
  g_RouteMarkerList->LineTestsThisFrame = 0;
  CRoutePath blind;
  EXPECT_EQ(blind.SearchEnd(self, here, 10, 0), 0) << "stops after its line test";
  while (!blind.SearchEnd(self, here, 10, 0)) {
  }
  EXPECT_EQ(blind.GetEndMarker(0, 1), 0);
  EXPECT_EQ(blind.GetEndMarker(0, 0), 0);

  // A marker 1600 units away can be the nearest but is never tested for sight.
  g_RouteMarkerList->GetMarker(0)->SetIsolated(true);
  g_RouteMarkerList->LineTestsThisFrame = 0;
  CRoutePath lone;
  EXPECT_EQ(lone.SearchEnd(self, here, 10, 0), 1);
  EXPECT_EQ(lone.GetEndMarker(0, 0), 3);
  EXPECT_EQ(g_RouteMarkerList->LineTestsThisFrame, 0u);
}

// Three line tests a frame for every search together; the next frame's
// marker-list update renews them.
TEST_F(RoutePaths, EndSearchesShareThreeLineTestsAFrame) {
  auto maze = route_fixture::MakeGridWorld({"....", "....", "....", "...."});
  std::vector<CVector3> points;
  for (int i = 0; i < 8; ++i) points.push_back({100.0f * i, 51, 300});
  MakeMarkers(points);
  CRoutePath paths[4];
  int done = 0;
  for (int frame = 0; frame < 20 && done < 4; ++frame) {
    for (CRoutePath& p : paths) p.SearchEnd(maze->floor, {0, 0, 300}, 8, 0);
    EXPECT_LE(g_RouteMarkerList->LineTestsThisFrame, 3u);
    done = 0;
    for (CRoutePath& p : paths) done += p.IsNearEnd(0, nullptr) ? 1 : 0;
    g_RouteMarkerList->Update();
  }
  EXPECT_EQ(done, 4);
  for (CRoutePath& p : paths) EXPECT_EQ(p.GetEndMarker(0, 1), 0);
}

TEST_F(RoutePaths, InitEndsSetsTheScanMode) {
  auto maze = route_fixture::MakeGridWorld({"....", "....", "....", "...."});
  CRoutePath path;
  path.Ends[0].Done = 1;
  path.InitEnds({100, 50, 100}, 7, kRouteMarkerUnset);
  EXPECT_EQ(path.ScanMode, 2u);
  EXPECT_EQ(path.Ends[0].Done, 1) << "a set first marker keeps end 0";
  EXPECT_EQ(path.Ends[1].Ground, maze->zone) << "the top ancestor of the floor";
  path.InitEnds({100, 50, 100}, kRouteMarkerUnset, 3);
  EXPECT_EQ(path.ScanMode, 1u);
  EXPECT_EQ(path.Ends[0].Done, 0);
  path.Reset();
  EXPECT_EQ(path.ScanMode, 0u);
  EXPECT_EQ(path.LastPassed, -1);
}
