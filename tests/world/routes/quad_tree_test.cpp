#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/file_test_fixture.h"
#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_world_fixture.h"
#include "world/routes/router.h"

using route_fixture::kCell;
using route_fixture::Maze;

namespace {

void Leaves(CQuadTreeNode* node, std::vector<CQuadTreeNode*>* out) {
  if (node->Children) {
    for (int i = 0; i < 4; ++i) Leaves(&node->Children[i], out);
    return;
  }
  out->push_back(node);
}

std::vector<std::uint8_t> TreeBytes(const CQuadTree& tree) {
  ByteWriter out;
  WriteQuadTree(tree, out);
  return out.Data();
}

// Length of the segment (x, z) inside the square, 0 when it misses.
float LengthInside(float ax, float az, float bx, float bz, const CQuadTreeNode& leaf) {
  float t0 = 0, t1 = 1;
  const float d[2] = {bx - ax, bz - az}, p[2] = {ax, az};
  const float lo[2] = {leaf.CentreX - leaf.Half, leaf.CentreZ - leaf.Half};
  const float hi[2] = {leaf.CentreX + leaf.Half, leaf.CentreZ + leaf.Half};
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0) {
      if (p[k] < lo[k] || p[k] > hi[k]) return 0;
      continue;
    }
    float ta = (lo[k] - p[k]) / d[k], tb = (hi[k] - p[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
  }
  if (t1 <= t0) return 0;
  return (t1 - t0) * std::sqrt(d[0] * d[0] + d[1] * d[1]);
}

}  // namespace

// Root sizes: 125 doubled until it covers the larger half extent.
TEST(QuadTreeBuild, RootHalfSizeFollowsTheWiderSide) {
  struct Case {
    float width, depth, half;
  } cases[] = {{1000, 300, 500}, {250, 250, 125}, {200, 1200, 1000}, {4001, 10, 4000}};
  auto maze = route_fixture::MakeGridWorld({"..", ".."});
  CEnvironment& env = *maze->env;
  for (const Case& c : cases) {
    env.WorldBounds[0] = -300;
    env.WorldBounds[2] = 50;
    env.WorldBounds[3] = -300 + c.width;
    env.WorldBounds[5] = 50 + c.depth;
    BuildQuadTree(env);
    ASSERT_NE(g_QuadTree, nullptr);
    EXPECT_EQ(g_QuadTree->Root->Half, c.half) << c.width << " x " << c.depth;
    EXPECT_FLOAT_EQ(g_QuadTree->Root->CentreX, -300 + c.width / 2);
    EXPECT_FLOAT_EQ(g_QuadTree->MinX, -300 + c.width / 2 - c.half);
  }
}

// Every open leaf is a free cell with floor under it; every free cell of the
// maze lies in an open leaf; the markers link exactly the neighbouring free
// cells.
TEST(QuadTreeBuild, MazeLeavesAndMarkersMatchTheGrid) {
  route_fixture::MazeOptions o;
  o.halfCells = 5;
  o.seed = 7;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  ASSERT_NE(g_QuadTree, nullptr);
  ASSERT_NE(g_RouteMarkerList, nullptr);
  std::vector<CQuadTreeNode*> leaves;
  Leaves(g_QuadTree->Root, &leaves);
  std::uint32_t open = 0, closed = 0;
  for (CQuadTreeNode* leaf : leaves) {
    if (!leaf->IsOpen()) {
      ++closed;
      continue;
    }
    ++open;
    // An open leaf covers only free cells of the floor.
    for (float x = leaf->CentreX - leaf->Half + 1; x < leaf->CentreX + leaf->Half; x += kCell)
      for (float z = leaf->CentreZ - leaf->Half + 1; z < leaf->CentreZ + leaf->Half; z += kCell)
        EXPECT_FALSE(maze->IsWall(static_cast<int>(std::floor(x / kCell)), static_cast<int>(std::floor(z / kCell))));
  }
  EXPECT_EQ(open, g_QuadTree->OpenLeaves);
  EXPECT_EQ(closed, g_QuadTree->ClosedLeaves);
  EXPECT_EQ(g_RouteMarkerList->Count, open);
  std::uint32_t freeCells = 0;
  for (int z = 0; z < maze->grid; ++z) {
    for (int x = 0; x < maze->grid; ++x) {
      if (maze->IsWall(x, z)) continue;
      ++freeCells;
      const CVector3 c = Maze::Centre(x, z);
      const CQuadTreeNode* leaf = g_QuadTree->FindLeaf(c);
      ASSERT_NE(leaf, nullptr);
      EXPECT_TRUE(leaf->IsOpen()) << x << "," << z;
      const CRouteMarker* m = g_RouteMarkerList->GetMarker(leaf->MarkerIndex);
      EXPECT_TRUE(m->IsLeafMarker());
      // Markers stand 51 above the floor.
      EXPECT_FLOAT_EQ(m->Position.y, 51.0f);
      const int dirs[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
      for (auto& d : dirs) {
        if (maze->IsWall(x + d[0], z + d[1])) continue;
        const CQuadTreeNode* n = g_QuadTree->FindLeaf(Maze::Centre(x + d[0], z + d[1]));
        if (n == leaf) continue;
        EXPECT_TRUE(m->HasLink(n->MarkerIndex)) << x << "," << z;
      }
      for (std::uint16_t link : m->Links) {
        if (link == kNoLink) continue;
        const CVector3& p = g_RouteMarkerList->GetMarker(link)->Position;
        const CQuadTreeNode* n = g_QuadTree->FindLeaf(p);
        // Linked leaves touch along an edge.
        const float gap = std::max(std::fabs(n->CentreX - leaf->CentreX) - n->Half - leaf->Half,
                                   std::fabs(n->CentreZ - leaf->CentreZ) - n->Half - leaf->Half);
        EXPECT_NEAR(gap, 0.0f, 0.01f);
      }
    }
  }
  EXPECT_LE(open, freeCells);  // big open leaves may hold several cells
  // A perfect maze loosened by openings is one component.
  for (std::uint32_t i = 0; i < g_RouteMarkerList->Count; ++i)
    EXPECT_EQ(g_RouteMarkerList->GetMarker(i)->Component, 1);
  // Closed leaves point at a marker near them.
  for (CQuadTreeNode* leaf : leaves) {
    if (!leaf->IsOpen()) {
      EXPECT_LT(leaf->MarkerIndex, g_RouteMarkerList->Count);
    }
  }
}

TEST(QuadTreeBuild, FourClosedChildrenCollapseIntoOneLeaf) {
  // The left half all wall: its quadrants split down and collapse back.
  auto maze = route_fixture::MakeGridWorld({"##..", "##..", "##..", "##.."});
  BuildQuadTree(*maze->env);
  std::vector<CQuadTreeNode*> leaves;
  Leaves(g_QuadTree->Root, &leaves);
  std::uint32_t closed = 0;
  for (CQuadTreeNode* l : leaves) closed += l->IsOpen() ? 0 : 1;
  EXPECT_EQ(closed, g_QuadTree->ClosedLeaves);
  // The root splits; no node has four closed leaf children.
  ASSERT_NE(g_QuadTree->Root->Children, nullptr);
  std::vector<CQuadTreeNode*> stack{g_QuadTree->Root};
  while (!stack.empty()) {
    CQuadTreeNode* n = stack.back();
    stack.pop_back();
    if (!n->Children) continue;
    bool allClosedLeaves = true;
    for (int i = 0; i < 4; ++i) {
      allClosedLeaves &= !n->Children[i].Children && !n->Children[i].IsOpen();
      stack.push_back(&n->Children[i]);
    }
    EXPECT_FALSE(allClosedLeaves);
  }
  EXPECT_EQ(g_QuadTree->NodeBytes, g_QuadTree->CountNodes() * kQuadNodeBytes);
}

TEST(QuadTreeQueries, SplitLinePointsGoToTheLowerChild) {
  auto maze = route_fixture::MakeGridWorld({"....", "....", "....", ".#.."});
  BuildQuadTree(*maze->env);
  CQuadTreeNode* root = g_QuadTree->Root;
  ASSERT_NE(root->Children, nullptr);
  const float cx = root->CentreX, cz = root->CentreZ;
  EXPECT_EQ(g_QuadTree->FindLeafXZ(root, cx, cz), g_QuadTree->FindLeafXZ(root, cx - 1, cz - 1));
  EXPECT_EQ(g_QuadTree->FindLeafXZ(root, cx + 0.01f, cz), g_QuadTree->FindLeafXZ(root, cx + 1, cz - 1));
  // Bounds are inclusive; beyond them there is no leaf.
  EXPECT_NE(g_QuadTree->FindLeafXZ(root, g_QuadTree->MaxX, g_QuadTree->MaxZ), nullptr);
  EXPECT_EQ(g_QuadTree->FindLeafXZ(root, g_QuadTree->MaxX + 0.5f, cz), nullptr);
  EXPECT_EQ(g_QuadTree->FindLeafXZ(root, NAN, cz), nullptr);
  EXPECT_FALSE(QuadTreeIsOpen({g_QuadTree->MinX - 1, 0, cz}));
  EXPECT_FALSE(QuadTreeContains({g_QuadTree->MinX - 1, 0, cz}));
  EXPECT_TRUE(QuadTreeContains({g_QuadTree->MinX, 0, cz}));
}

TEST(QuadTreeQueries, RaycastWithinOneLeafOutsideAndThroughWalls) {
  auto maze = route_fixture::MakeGridWorld({"......", "......", "..##..", "......", "......", "......"});
  BuildRouteData(*maze->env);
  const CVector3 a = Maze::Centre(0, 2), b = Maze::Centre(5, 2), c = Maze::Centre(0, 0), d = Maze::Centre(5, 0);
  EXPECT_EQ(QuadTreeRaycastPoints(a, b), 0);  // through the wall
  EXPECT_EQ(QuadTreeRaycastPoints(c, d), 1);
  const CQuadTreeNode* leaf = g_QuadTree->FindLeaf(c);
  EXPECT_EQ(QuadTreeRaycast(c.x - 10, c.z, c.x + 10, c.z + 5), 1) << "one open leaf";
  const CVector3 w = Maze::Centre(2, 2);
  EXPECT_EQ(QuadTreeRaycast(w.x - 10, w.z, w.x + 10, w.z), 0) << "one closed leaf";
  EXPECT_EQ(QuadTreeRaycast(c.x, c.z, g_QuadTree->MaxX + 100, c.z), 0) << "leaves the tree";
  EXPECT_EQ(QuadTreeRaycast(c.x, c.z, c.x, c.z), leaf->IsOpen() ? 1 : 0);
}

// The walk agrees with a test of every leaf the segment crosses, except
// where it only clips a closed leaf's corner by less than the probe step.
TEST(QuadTreeQueries, RaycastAgreesWithBruteForceOverLeaves) {
  route_fixture::MazeOptions o;
  o.halfCells = 6;
  o.seed = 3;
  o.extraOpenings = 30;
  auto maze = route_fixture::MakeMaze(o);
  BuildRouteData(*maze->env);
  std::vector<CQuadTreeNode*> leaves;
  Leaves(g_QuadTree->Root, &leaves);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> at(g_QuadTree->MinX - 100, g_QuadTree->MaxX + 100);
  int checked = 0, clear = 0, ambiguous = 0;
  for (int k = 0; k < 1500; ++k) {
    const float ax = at(rng), az = at(rng);
    float bx = at(rng), bz = at(rng);
    if (k % 3 == 0) {  // short segments too
      bx = ax + (bx - ax) * 0.1f;
      bz = az + (bz - az) * 0.1f;
    }
    const bool inside = g_QuadTree->FindLeafXZ(g_QuadTree->Root, ax, az) &&
                        g_QuadTree->FindLeafXZ(g_QuadTree->Root, bx, bz);
    bool expected = inside, unsure = false;
    for (CQuadTreeNode* leaf : leaves) {
      if (leaf->IsOpen()) continue;
      const float len = LengthInside(ax, az, bx, bz, *leaf);
      if (len <= 0) continue;
      if (len < 2 * kQuadProbe) unsure = true;
      else expected = false;
    }
    const int got = QuadTreeRaycast(ax, az, bx, bz);
    if (unsure && expected) {
      ++ambiguous;
      continue;
    }
    ++checked;
    clear += expected ? 1 : 0;
    EXPECT_EQ(got, expected ? 1 : 0) << ax << "," << az << " -> " << bx << "," << bz;
  }
  EXPECT_GT(clear, 50);
  EXPECT_LT(ambiguous, checked / 5);
}

TEST(QuadTreeQueries, SnapToMarkerMovesOnlyFromClosedLeaves) {
  auto maze = route_fixture::MakeGridWorld({"....", ".##.", "....", "...."});
  BuildRouteData(*maze->env);
  CVector3 p = Maze::Centre(0, 0);
  CRouteMarker* m = nullptr;
  CQuadTreeNode* leaf = QuadTreeSnapToMarker(&p, &m);
  ASSERT_NE(leaf, nullptr);
  EXPECT_TRUE(leaf->IsOpen());
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(p.x, Maze::Centre(0, 0).x);
  CVector3 w = Maze::Centre(1, 1);
  leaf = QuadTreeSnapToMarker(&w, &m);
  ASSERT_NE(leaf, nullptr);
  EXPECT_FALSE(leaf->IsOpen());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(w.x, m->Position.x);
  EXPECT_EQ(QuadTreeGetLeafComponent(g_QuadTree->FindLeaf(Maze::Centre(0, 0))), 1u);
  CVector3 outside{-5000, 0, 0};
  EXPECT_EQ(QuadTreeSnapToMarker(&outside, &m), nullptr);
}

// A level without a single open leaf has no markers: closed leaves name
// marker 0 of an empty list, which the snap must not read.
TEST(QuadTreeQueries, SnapOnALevelWithoutMarkers) {
  auto maze = route_fixture::MakeGridWorld({"##", "##"});
  BuildRouteData(*maze->env);
  ASSERT_EQ(g_RouteMarkerList->Count, 0u);
  CVector3 p = Maze::Centre(0, 0);
  CRouteMarker* m = nullptr;
  EXPECT_NE(QuadTreeSnapToMarker(&p, &m), nullptr);
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(QuadTreeGetLeafComponent(g_QuadTree->FindLeaf(p)), 0u);
}

class QuadTreeFiles : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
};

TEST_F(QuadTreeFiles, WrittenAndReadBackIsByteIdentical) {
  route_fixture::MazeOptions o;
  o.halfCells = 5;
  auto maze = route_fixture::MakeMaze(o);
  BuildQuadTree(*maze->env);
  const std::vector<std::uint8_t> first = TreeBytes(*g_QuadTree);
  ASSERT_EQ(first.size(), 4 + 20 * g_QuadTree->CountNodes() + 8);
  const std::string path = "maze.qtd";
  ASSERT_EQ(SaveQuadTree(path.c_str()), 1);
  CQuadTree* built = g_QuadTree;
  const std::uint32_t open = built->OpenLeaves, closed = built->ClosedLeaves;
  const float minX = built->MinX, maxZ = built->MaxZ;
  ASSERT_EQ(LoadQuadTree(path.c_str()), 1);
  ASSERT_NE(g_QuadTree, built);
  EXPECT_EQ(g_QuadTree->ArrayForm, 1u);
  EXPECT_EQ(g_QuadTree->OpenLeaves, open);
  EXPECT_EQ(g_QuadTree->ClosedLeaves, closed);
  EXPECT_EQ(g_QuadTree->MinX, minX);
  EXPECT_EQ(g_QuadTree->MaxZ, maxZ);
  EXPECT_EQ(TreeBytes(*g_QuadTree), first);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<std::uint8_t> disk(first.size() + 1);
  EXPECT_EQ(std::fread(disk.data(), 1, disk.size(), f), first.size());
  std::fclose(f);
  disk.resize(first.size());
  EXPECT_EQ(disk, first);
}

TEST(QuadTreeFile, DamagedFilesAreRefused) {
  auto maze = route_fixture::MakeGridWorld({"....", ".#..", "....", "...."});
  BuildQuadTree(*maze->env);
  const std::vector<std::uint8_t> good = TreeBytes(*g_QuadTree);
  const std::uint32_t n = g_QuadTree->CountNodes();
  ASSERT_GE(n, 5u);
  auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  auto putF = [&](std::vector<std::uint8_t>& b, std::size_t at, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    put32(b, at, v);
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"no nodes", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}});
  {
    auto b = good;
    b.resize(b.size() - 3);
    cases.push_back({"short counts", b});
  }
  {
    auto b = good;
    put32(b, 0, n + 1);
    cases.push_back({"count past the end", b});
  }
  {
    auto b = good;
    put32(b, 0, 0xFFFFFFFFu);
    cases.push_back({"huge count", b});
  }
  {
    auto b = good;
    put32(b, 4 + 4, 21);
    cases.push_back({"offset off a record", b});
  }
  {
    auto b = good;
    put32(b, 4 + 4, 20 * (n - 3));
    cases.push_back({"children past the end", b});
  }
  {
    // The first child points back at the root: a loop.
    auto b = good;
    ASSERT_NE(b[4 + 20 + 4] | b[4 + 20 + 5], 0);  // record 1 has children
    put32(b, 4 + 20 + 4, 0);
    put32(b, 4 + 20 + 4, 20 * 0 + 0 + 20);  // record 1's children at record 1: itself
    cases.push_back({"child offset to itself", b});
  }
  {
    // Records 1 and 2 both claim the same four children.
    auto b = good;
    for (int k = 0; k < 4; ++k) b[4 + 40 + 4 + k] = b[4 + 20 + 4 + k];
    cases.push_back({"children shared by two nodes", b});
  }
  {
    auto b = good;
    putF(b, 4 + 16, 0.0f);
    cases.push_back({"root of no size", b});
  }
  {
    auto b = good;
    putF(b, 4 + 8, NAN);
    cases.push_back({"centre not a number", b});
  }
  for (const Case& c : cases) {
    ByteReader in(c.bytes.data(), c.bytes.size());
    std::string error;
    EXPECT_EQ(ReadQuadTree(in, &error), nullptr) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
  ByteReader in(good.data(), good.size());
  EXPECT_NE(ReadQuadTree(in, nullptr), nullptr);
}
