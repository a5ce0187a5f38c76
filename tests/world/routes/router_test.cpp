#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_path.h"
#include "world/routes/route_reference.h"
#include "world/routes/route_world_fixture.h"
#include "world/routes/router.h"

using route_fixture::Maze;

namespace {

// A current list of markers at the given points; links added afterwards.
CRouteMarkerList* MakeList(const std::vector<CVector3>& points) {
  auto* list = new CRouteMarkerList;
  list->Init(static_cast<std::uint32_t>(points.size()));
  SetRouteMarkerList(list);
  for (std::size_t i = 0; i < points.size(); ++i) list->SetPosition(static_cast<std::uint32_t>(i), points[i]);
  return list;
}

void Link(std::uint32_t a, std::uint32_t b, bool both = true) {
  g_RouteMarkerList->GetMarker(a)->AddLink(b);
  if (both) g_RouteMarkerList->GetMarker(b)->AddLink(a);
}

std::vector<std::uint32_t> PathMarkers(const CRouter& router) {
  std::vector<std::uint32_t> out;
  for (const RouteSearchNode* n = router.GetResult(); n && out.size() < 100000; n = n->Parent)
    out.push_back(n->Marker);
  return out;
}

class RouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    route_fixture::SetClock(&clock_, 1000, 1.0f / 30);
    SetRouteClocks(&clock_, &clock_);
  }
  void TearDown() override {
    SetRouteClocks(nullptr, nullptr);
    FreeRouteData();
  }
  // A new frame of the game clock.
  void NextFrame() {
    now_ += 33;
    route_fixture::SetClock(&clock_, now_, 1.0f / 30);
  }
  CTimer clock_;
  std::uint32_t now_ = 1000;
};

}  // namespace

// A chain along x that turns along z: the middle of the straight run goes.
TEST_F(RouterTest, StraighteningKeepsOnlyTheCorners) {
  MakeList({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}, {200, 0, 100}});
  Link(0, 1);
  Link(1, 2);
  Link(2, 3);
  CRouter router(4);
  ASSERT_EQ(router.FindRoute(0, 3, 1), ROUTE_FOUND);
  EXPECT_EQ(PathMarkers(router), (std::vector<std::uint32_t>{0, 2, 3}));
  EXPECT_EQ(router.CountResult(), 3u);
  NextFrame();
  // Mode 0 leaves the start marker out; the first kept node is its link.
  ASSERT_EQ(router.FindRoute(0, 3, 0), ROUTE_FOUND);
  EXPECT_EQ(PathMarkers(router), (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST_F(RouterTest, AnswersAndTheirConditions) {
  // 0-1-2 connected; 3 linked from nothing and linking nothing; 4 links to 0 only.
  MakeList({{0, 0, 0}, {100, 0, 0}, {200, 0, 50}, {900, 0, 900}, {-100, 0, 0}});
  Link(0, 1);
  Link(1, 2);
  Link(4, 0, false);
  CRouter router(5);
  struct Case {
    std::uint32_t start, goal, mode;
    RouteResult result;
    std::vector<std::uint32_t> path;
  } cases[] = {
      {0, 2, 1, ROUTE_FOUND, {0, 1, 2}},
      {2, 2, 1, ROUTE_FOUND, {2}},        // start = goal: one node
      {2, 2, 0, ROUTE_FOUND, {2}},
      {3, 0, 0, ROUTE_NONE, {}},          // mode 0, no links
      {3, 0, 1, ROUTE_PARTIAL, {3}},      // only the start expanded: nearest is itself
      {0, 3, 1, ROUTE_PARTIAL, {0, 2}},   // 2 is the expanded node nearest 3 (1 straightened away? no: z differs)
      {0, 4, 1, ROUTE_PARTIAL, {0}},      // nothing links to 4 from 0's side
      {4, 2, 1, ROUTE_FOUND, {4, 1, 2}},  // 4 -> 0 -> 1 share z: 0 dropped
      {7, 0, 1, ROUTE_NONE, {}},          // no such marker
  };
  for (const Case& c : cases) {
    NextFrame();
    EXPECT_EQ(router.FindRoute(c.start, c.goal, c.mode), c.result) << c.start << "->" << c.goal << " mode " << c.mode;
    EXPECT_EQ(router.GetLastResult(), c.result);
    if (c.result != ROUTE_NONE) {
      std::vector<std::uint32_t> got = PathMarkers(router);
      // The partial path ends at the expanded node with the least h.
      if (c.start == 0 && c.goal == 3) {
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back(), 2u);
      } else {
        EXPECT_EQ(got, c.path) << c.start << "->" << c.goal;
      }
    } else {
      EXPECT_EQ(router.GetResult(), nullptr);
    }
  }
}

// Three searches a frame for all callers together; the fourth is refused and
// leaves the last path readable; a paused clock renews nothing.
TEST_F(RouterTest, BudgetOfThreeSearchesPerFrame) {
  MakeList({{0, 0, 0}, {100, 0, 0}, {100, 0, 100}});
  Link(0, 1);
  Link(1, 2);
  CRouter router(3);
  EXPECT_EQ(router.FindRoute(0, 2, 1), ROUTE_FOUND);
  EXPECT_EQ(router.FindRoute(2, 2, 1), ROUTE_FOUND);  // counts as a search
  EXPECT_EQ(router.FindRoute(0, 1, 1), ROUTE_FOUND);
  const std::vector<std::uint32_t> last = PathMarkers(router);
  EXPECT_FALSE(router.CanSearch());
  EXPECT_EQ(router.FindRoute(0, 2, 1), ROUTE_OVER_BUDGET);
  EXPECT_EQ(router.GetLastResult(), ROUTE_OVER_BUDGET);
  EXPECT_EQ(PathMarkers(router), last);
  // The clock stands still: nothing renews, however often it is asked.
  for (int k = 0; k < 10; ++k) EXPECT_EQ(router.FindRoute(0, 2, 1), ROUTE_OVER_BUDGET);
  NextFrame();
  EXPECT_TRUE(router.CanSearch());
  EXPECT_EQ(router.FindRoute(0, 2, 1), ROUTE_FOUND);
  EXPECT_EQ(router.GetSearchesThisFrame(), 1u);
}

// With two routes of equal length, a raised weight on one sends the search
// along the other; route paths raise the weights of what they take.
TEST_F(RouterTest, RaisedWeightDivertsTheRoute) {
  // 0 -> 1 -> 3 and 0 -> 2 -> 3, a diamond.
  MakeList({{0, 0, 0}, {100, 0, 100}, {100, 0, -100}, {200, 0, 0}});
  Link(0, 1);
  Link(1, 3);
  Link(0, 2);
  Link(2, 3);
  CRouter router(4);
  ASSERT_EQ(router.FindRoute(0, 3, 1), ROUTE_FOUND);
  const std::uint32_t first = PathMarkers(router)[1];
  g_RouteMarkerList->GetMarker(first)->AddCost(0.25f);
  NextFrame();
  ASSERT_EQ(router.FindRoute(0, 3, 1), ROUTE_FOUND);
  EXPECT_NE(PathMarkers(router)[1], first);
}

// On generated mazes every FOUND route costs what the shortest way over the
// same markers and links costs, for both start modes and raised weights;
// PARTIAL comes only for goals out of reach.
TEST_F(RouterTest, FoundRoutesAreShortestOnMazes) {
  for (unsigned seed : {1u, 2u, 3u}) {
    route_fixture::MazeOptions o;
    o.halfCells = 7;
    o.seed = seed;
    o.extraOpenings = 25;
    o.sealedPocket = seed == 2;
    auto maze = route_fixture::MakeMaze(o);
    BuildRouteData(*maze->env);
    ASSERT_NE(g_Router, nullptr);
    CRouteMarkerList& list = *g_RouteMarkerList;
    ASSERT_GT(list.Count, 40u);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::uint32_t> pick(0, list.Count - 1);
    std::uniform_real_distribution<float> weight(1.0f, 3.0f);
    int found = 0, partial = 0;
    for (int k = 0; k < 60; ++k) {
      // Weights raised at random; the goal's own weight stays 1 so that the
      // estimate never exceeds the cost left.
      for (std::uint32_t i = 0; i < list.Count; ++i) list.GetMarker(i)->Weight = k % 2 ? weight(rng) : 1.0f;
      const std::uint32_t start = pick(rng), goal = pick(rng);
      list.GetMarker(goal)->Weight = 1.0f;
      const std::uint32_t mode = k % 3 == 0 ? 0 : 1;
      NextFrame();
      const RouteResult r = g_Router->FindRoute(start, goal, mode);
      const double best = route_reference::ShortestCost(start, goal, mode);
      if (best < 0) {
        EXPECT_EQ(r, list.GetMarker(start)->CountLinks() == 0 && mode == 0 ? ROUTE_NONE : ROUTE_PARTIAL);
        ++partial;
        continue;
      }
      ASSERT_EQ(r, ROUTE_FOUND) << start << "->" << goal;
      ++found;
      const std::vector<std::uint32_t> path = PathMarkers(*g_Router);
      ASSERT_FALSE(path.empty());
      EXPECT_EQ(path.back(), goal);
      if (mode == 1) {
        EXPECT_EQ(path.front(), start);
      }
      const RouteSearchNode* end = g_Router->GetNode(goal);
      EXPECT_NEAR(end->G, best, 1e-4 * best + 1e-3) << start << "->" << goal << " mode " << mode;
    }
    EXPECT_GT(found, 40);
    if (o.sealedPocket) {
      // The walled-in cell is a component of its own: PARTIAL toward it.
      const CQuadTreeNode* leaf = g_QuadTree->FindLeaf(Maze::Centre(maze->pocketX, maze->pocketZ));
      ASSERT_NE(leaf, nullptr);
      ASSERT_TRUE(leaf->IsOpen());
      for (std::uint32_t i = 0; i < list.Count; ++i) list.GetMarker(i)->Weight = 1.0f;
      const std::uint32_t start = g_QuadTree->FindLeaf(Maze::Centre(1, 1))->MarkerIndex;
      NextFrame();
      EXPECT_EQ(g_Router->FindRoute(start, leaf->MarkerIndex, 1), ROUTE_PARTIAL);
      EXPECT_NE(list.GetMarker(start)->Component, list.GetMarker(leaf->MarkerIndex)->Component);
      // The path ends at the expanded marker nearest to the goal.
      const std::vector<std::uint32_t> path = PathMarkers(*g_Router);
      const CVector3& g = list.GetMarker(leaf->MarkerIndex)->Position;
      const CVector3& e = list.GetMarker(path.back())->Position;
      const float reached = std::hypot(e.x - g.x, e.z - g.z);
      for (std::uint32_t i = 0; i < list.Count; ++i) {
        if (list.GetMarker(i)->Component != list.GetMarker(start)->Component) continue;
        const CVector3& p = list.GetMarker(i)->Position;
        EXPECT_GE(std::hypot(p.x - g.x, p.z - g.z) + 1e-3f, reached);
      }
    }
  }
}

// Straightened route paths keep to open leaves: each leg either passed the
// quadtree ray test or joins two markers the router put next to each other,
// and no leg runs through a closed leaf.
TEST_F(RouterTest, StraightenedPathsNeverCrossClosedLeaves) {
  route_fixture::MazeOptions o;
  o.halfCells = 7;
  o.seed = 5;
  o.extraOpenings = 40;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  std::vector<const CQuadTreeNode*> closed;
  std::vector<const CQuadTreeNode*> stack{g_QuadTree->Root};
  while (!stack.empty()) {
    const CQuadTreeNode* n = stack.back();
    stack.pop_back();
    if (n->Children) {
      for (int i = 0; i < 4; ++i) stack.push_back(&n->Children[i]);
    } else if (!n->IsOpen()) {
      closed.push_back(n);
    }
  }
  std::mt19937 rng(9);
  std::uniform_int_distribution<std::uint32_t> pick(0, g_RouteMarkerList->Count - 1);
  CRoutePath path;
  int legs = 0;
  for (int k = 0; k < 40; ++k) {
    const std::uint32_t s = pick(rng), g = pick(rng);
    NextFrame();
    if (g_Router->FindRoute(s, g, 1) != ROUTE_FOUND) continue;
    const CVector3 start = g_RouteMarkerList->GetMarker(s)->Position, target = g_RouteMarkerList->GetMarker(g)->Position;
    path.BuildStraightened(start, target, RPF_START_POINT);
    ASSERT_GE(path.Count, 2u);
    for (std::uint32_t i = 0; i + 1 < path.Count; ++i) {
      const CVector3 a = path.Points[i], b = path.Points[i + 1];
      ++legs;
      for (const CQuadTreeNode* leaf : closed) {
        // The length of the leg inside the closed square.
        float t0 = 0, t1 = 1;
        const float p[2] = {a.x, a.z}, d[2] = {b.x - a.x, b.z - a.z};
        const float lo[2] = {leaf->CentreX - leaf->Half, leaf->CentreZ - leaf->Half};
        const float hi[2] = {leaf->CentreX + leaf->Half, leaf->CentreZ + leaf->Half};
        bool miss = false;
        for (int ax = 0; ax < 2 && !miss; ++ax) {
          if (d[ax] == 0) {
            miss = p[ax] <= lo[ax] || p[ax] >= hi[ax];
            continue;
          }
          float ta = (lo[ax] - p[ax]) / d[ax], tb = (hi[ax] - p[ax]) / d[ax];
          if (ta > tb) std::swap(ta, tb);
          t0 = std::max(t0, ta);
          t1 = std::min(t1, tb);
        }
        if (miss || t1 <= t0) continue;
        const float inside = (t1 - t0) * std::hypot(d[0], d[1]);
        EXPECT_LT(inside, 2 * kQuadProbe) << "leg " << i << " of path " << k << " crosses a closed leaf";
      }
    }
  }
  EXPECT_GT(legs, 40);
}

// Ten units asking every frame: no frame runs more than three searches, the
// refused keep asking, and all are served within four frames.
TEST_F(RouterTest, ManyUnitsShareTheBudget) {
  route_fixture::MazeOptions o;
  o.halfCells = 5;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  const std::uint32_t count = g_RouteMarkerList->Count;
  std::vector<bool> served(10, false);
  int frames = 0;
  while (std::count(served.begin(), served.end(), false) > 0 && frames < 10) {
    NextFrame();
    ++frames;
    int searched = 0;
    for (std::size_t u = 0; u < served.size(); ++u) {
      if (served[u]) continue;
      const RouteResult r = g_Router->FindRoute(static_cast<std::uint32_t>(u) % count,
                                                static_cast<std::uint32_t>(u * 7 + 3) % count, 1);
      if (r == ROUTE_OVER_BUDGET) continue;
      ++searched;
      EXPECT_EQ(r, ROUTE_FOUND);
      served[u] = true;
    }
    EXPECT_LE(searched, 3);
    EXPECT_EQ(g_Router->GetSearchesThisFrame(), static_cast<std::uint32_t>(searched));
  }
  EXPECT_EQ(frames, 4);
}
