#include "world/space/octree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "world/overlay_fixture.h"

namespace {

// The core of the octree never looks inside an instance, so these tests name
// instances by addresses into a plain array.
struct Items {
  std::vector<unsigned char> storage;
  std::vector<OctreeItem> items;
  std::vector<CEnvInstance*> table;

  explicit Items(std::size_t n) : storage(n ? n : 1) {}
  CEnvInstance* Instance(std::size_t i) { return reinterpret_cast<CEnvInstance*>(&storage[i]); }
  void Add(float x0, float y0, float z0, float x1, float y1, float z1) {
    std::uint32_t n = static_cast<std::uint32_t>(items.size());
    items.push_back({Instance(n), n, {x0, y0, z0, x1, y1, z1}});
    table.push_back(Instance(n));
  }
};

std::unique_ptr<OctreeArray> Build(const Items& w) { return std::unique_ptr<OctreeArray>(OctreeBuild(w.items)); }

std::vector<std::uint8_t> Write(const OctreeArray& tree, const Items& w) {
  ByteWriter out;
  OctreeWrite(tree, w.items, out);
  return out.Data();
}

std::vector<const OctreeNode*> Leaves(const OctreeArray& tree) {
  std::vector<const OctreeNode*> out;
  for (std::uint32_t i = 0; i < tree.Count(); ++i)
    if (!tree.Nodes()[i].Children) out.push_back(&tree.Nodes()[i]);
  return out;
}

Items RandomWorld(std::mt19937& rng, int count, float span) {
  Items w(static_cast<std::size_t>(count));
  std::uniform_real_distribution<float> pos(-span, span), size(20.0f, 900.0f);
  for (int i = 0; i < count; ++i) {
    float x = pos(rng), y = pos(rng) * 0.2f, z = pos(rng);
    w.Add(x, y, z, x + size(rng), y + size(rng) * 0.5f, z + size(rng));
  }
  return w;
}

}  // namespace

TEST(OctreeBuild, RootHalfSizeIsTheSmallestDoublingOf800CoveringTheWidestAxis) {
  struct Case {
    float span;
    float half;
  } cases[] = {{1000, 800}, {1600, 800}, {1601, 1600}, {2000, 1600}, {7000, 6400}};
  for (const Case& c : cases) {
    Items w(1);
    w.Add(-100, 50, 10, -100 + c.span, 60, 20);
    auto tree = Build(w);
    ASSERT_EQ(tree->Count(), 1u) << c.span;
    EXPECT_FLOAT_EQ(tree->Root()->HalfSize, c.half) << c.span;
    // Centred in x and z, standing on the lowest point in y.
    EXPECT_FLOAT_EQ(tree->Root()->Centre.x, -100 + c.span / 2);
    EXPECT_FLOAT_EQ(tree->Root()->Centre.y, 50 + c.half);
    EXPECT_FLOAT_EQ(tree->Root()->Centre.z, 15);
  }
}

TEST(OctreeBuild, SplitsOnlyWithFourOverlappingInstancesAndAHalfSizeOf800) {
  Items three(3);
  for (int i = 0; i < 3; ++i) three.Add(0, 0, 0, 12000, 10, 12000);
  EXPECT_EQ(Build(three)->Count(), 1u);

  // Ten instances under a root of half size 800: one split into children of
  // 400, which never split again.
  Items ten(10);
  for (int i = 0; i < 10; ++i) ten.Add(i * 100.0f, 0, 0, i * 100.0f + 50, 10, 50);
  auto tree = Build(ten);
  ASSERT_EQ(tree->Count(), 9u);
  EXPECT_FLOAT_EQ(tree->Root()->HalfSize, 800);
  ASSERT_EQ(tree->Root()->Children, tree->Nodes() + 1);
  for (int i = 0; i < 8; ++i) {
    const OctreeNode& child = tree->Root()->Children[i];
    EXPECT_FLOAT_EQ(child.HalfSize, 400);
    EXPECT_EQ(child.Children, nullptr);
    EXPECT_FLOAT_EQ(child.Centre.x, tree->Root()->Centre.x + ((i & 1) ? 400 : -400));
    EXPECT_FLOAT_EQ(child.Centre.y, tree->Root()->Centre.y + ((i & 2) ? 400 : -400));
    EXPECT_FLOAT_EQ(child.Centre.z, tree->Root()->Centre.z + ((i & 4) ? 400 : -400));
  }
  EXPECT_EQ(GetOctreeBuildStatistics().Nodes, 9u);
  // Every node lists exactly the instances whose boxes overlap its cube, in item order.
  for (std::uint32_t n = 0; n < tree->Count(); ++n) {
    const OctreeNode& node = tree->Nodes()[n];
    std::vector<CEnvInstance*> expect;
    for (const OctreeItem& item : ten.items)
      if (OctreeCubeOverlapsBox(&node, item.Box)) expect.push_back(item.Instance);
    std::vector<CEnvInstance*> got;
    if (node.List) got.assign(node.List->Instances, node.List->Instances + node.List->Count);
    EXPECT_EQ(got, expect) << n;
  }
}

TEST(OctreeBuild, ChildBlocksAreTakenDepthFirst) {
  // A deep corner: many instances near one corner make child 0 split again.
  Items w(40);
  for (int i = 0; i < 36; ++i) w.Add(0, 0, 0, 100, 10, 100);
  w.Add(0, 0, 0, 6000, 3000, 6000);
  auto tree = Build(w);
  ASSERT_GT(tree->Count(), 9u);
  const OctreeNode* root = tree->Root();
  ASSERT_EQ(root->Children, tree->Nodes() + 1);
  // Child 0 of the root is flattened first, so its block follows the root's.
  ASSERT_NE(root->Children[0].Children, nullptr);
  EXPECT_EQ(root->Children[0].Children, tree->Nodes() + 9);
}

TEST(OctreeLookup, PointOnACentrePlaneGoesToTheLowerChild) {
  Items ten(10);
  for (int i = 0; i < 10; ++i) ten.Add(i * 100.0f, 0, 0, i * 100.0f + 50, 10, 50);
  auto tree = Build(ten);
  OctreeNode* root = tree->Root();
  g_OctreeRecursions = 0;
  EXPECT_EQ(OctreeFindLeaf(root, root->Centre), &root->Children[0]);
  CVector3 p{root->Centre.x + 1, root->Centre.y, root->Centre.z + 1};
  EXPECT_EQ(OctreeFindLeaf(root, p), &root->Children[5]);
  EXPECT_EQ(g_OctreeRecursions, 4u);  // two calls, one level each
  EXPECT_EQ(OctreeFindLeaf(nullptr, p), nullptr);
  EXPECT_TRUE(OctreeIsPointInNode(&root->Children[5], p));
  EXPECT_FALSE(OctreeIsPointInNode(&root->Children[4], p));
}

TEST(OctreeFile, StoredFormHasZeroListWordsAndCountsForEveryNode) {
  Items ten(10);
  for (int i = 0; i < 10; ++i) ten.Add(i * 100.0f, 0, 0, i * 100.0f + 50, 10, 50);
  auto tree = Build(ten);
  std::vector<std::uint8_t> bytes = Write(*tree, ten);
  ByteReader in(bytes.data(), bytes.size());
  ASSERT_EQ(in.U32(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(in.U32(), 0u) << "list word of node " << i;
    EXPECT_EQ(in.U32(), i == 0 ? 24u : 0u) << "children offset of node " << i;
    in.Skip(16);
  }
  // Root lists all ten; the children on the +y side overlap nothing.
  EXPECT_EQ(in.U32(), 10u);
  in.Skip(40);
  for (int i = 0; i < 8; ++i) {
    std::uint32_t n = in.U32();
    if (i & 2) {
      EXPECT_EQ(n, 0u) << i;
    }
    in.Skip(4 * n);
  }
  EXPECT_TRUE(in.Ok());
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(OctreeFile, BuildWriteReadWriteIsByteIdentical) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4; ++round) {
    Items w = RandomWorld(rng, 60 + 80 * round, 6000);
    auto built = Build(w);
    std::vector<std::uint8_t> first = Write(*built, w);
    ByteReader in(first.data(), first.size());
    std::string error;
    std::unique_ptr<OctreeArray> read(OctreeRead(in, w.table, &error));
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(Write(*read, w), first) << round;
    // The lists point at the same instances as the built tree's.
    for (std::uint32_t n = 0; n < built->Count(); ++n) {
      const OctreeInstanceList* a = built->Nodes()[n].List;
      const OctreeInstanceList* b = read->Nodes()[n].List;
      ASSERT_EQ(a == nullptr, b == nullptr);
      if (a) {
        EXPECT_TRUE(std::equal(a->Instances, a->Instances + a->Count, b->Instances, b->Instances + b->Count));
      }
    }
  }
}

TEST(OctreeFile, DamagedDataIsRefused) {
  Items ten(10);
  for (int i = 0; i < 10; ++i) ten.Add(i * 100.0f, 0, 0, i * 100.0f + 50, 10, 50);
  auto tree = Build(ten);
  const std::vector<std::uint8_t> good = Write(*tree, ten);
  auto put = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  const std::size_t lists = 4 + 9 * 24;
  struct Case {
    const char* name;
    std::size_t at;  // byte to patch (SIZE_MAX: cut the file at `value` bytes)
    std::uint32_t value;
  } cases[] = {
      {"count past the end", 0, 1000},
      {"count zero", 0, 0},
      {"count overflowing 24 x N", 0, 0xFFFFFFFF},
      {"offset not a multiple of 24", 8, 25},
      {"child block past the array", 8, 48},
      {"child block holding its own parent", 8 + 24, 24},
      {"child block shared with the root's", 8 + 24 * 3, 24},
      {"half size zero", 12, 0},
      {"half size NaN", 12, 0x7FC00000},
      {"centre infinite", 16, 0x7F800000},
      {"instance number past the table", lists + 4, 10},
      {"list count past the end", lists, 0x10000000},
      {"cut inside the nodes", SIZE_MAX, 100},
      {"cut inside the lists", SIZE_MAX, static_cast<std::uint32_t>(lists + 10)},
      {"cut at the lists", SIZE_MAX, static_cast<std::uint32_t>(lists)},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bad = good;
    if (c.at == SIZE_MAX) {
      bad.resize(c.value);
    } else {
      put(bad, c.at, c.value);
    }
    ByteReader in(bad.data(), bad.size());
    std::string error;
    std::unique_ptr<OctreeArray> read(OctreeRead(in, ten.table, &error));
    EXPECT_EQ(read, nullptr) << c.name;
    EXPECT_NE(error.find("octree data damaged at byte"), std::string::npos) << c.name;
  }
  ByteReader in(good.data(), good.size());
  std::unique_ptr<OctreeArray> read(OctreeRead(in, ten.table, nullptr));
  EXPECT_NE(read, nullptr);
}

TEST(OctreeWalks, SegmentBoxAndPlaneWalksMatchBruteForce) {
  std::mt19937 rng(11);
  Items w = RandomWorld(rng, 400, 12000);
  auto tree = Build(w);
  ASSERT_GT(tree->Count(), 200u);
  std::vector<const OctreeNode*> leaves = Leaves(*tree);
  std::uniform_real_distribution<float> pos(-14000, 14000), unit(-1, 1);

  struct Visit {
    std::vector<const OctreeNode*> order;
    std::vector<std::uint32_t> straddles;
  };
  auto record = [](OctreeNode* leaf, void* ctx) {
    auto* v = static_cast<Visit*>(ctx);
    v->order.push_back(leaf);
    v->straddles.push_back(g_OctreeLeafStraddles);
  };

  for (int q = 0; q < 2000; ++q) {
    CVector3 a{pos(rng), pos(rng) * 0.3f, pos(rng)}, b{pos(rng), pos(rng) * 0.3f, pos(rng)};
    if (q % 10 == 0) b = a;  // a point
    Visit v;
    OctreeWalkSegment(tree->Root(), a, b, record, &v);
    // Brute force: every leaf whose cube the segment touches, by the slab test per leaf.
    std::set<const OctreeNode*> expect;
    for (const OctreeNode* leaf : leaves) {
      float lo = 0, hi = 1;
      const float p[3] = {a.x, a.y, a.z}, d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
      const float c[3] = {leaf->Centre.x, leaf->Centre.y, leaf->Centre.z};
      bool hit = true;
      for (int k = 0; k < 3 && hit; ++k) {
        float mn = c[k] - leaf->HalfSize, mx = c[k] + leaf->HalfSize;
        if (d[k] == 0) {
          hit = p[k] >= mn && p[k] <= mx;
          continue;
        }
        float t0 = (mn - p[k]) / d[k], t1 = (mx - p[k]) / d[k];
        if (t0 > t1) std::swap(t0, t1);
        lo = std::max(lo, t0), hi = std::min(hi, t1);
        hit = lo <= hi;
      }
      if (hit) expect.insert(leaf);
    }
    std::set<const OctreeNode*> got(v.order.begin(), v.order.end());
    ASSERT_EQ(got.size(), v.order.size()) << "a leaf was visited twice";
    ASSERT_EQ(got, expect) << q;
    // In order along the segment: the entry points never go backwards.
    CVector3 dir{b.x - a.x, b.y - a.y, b.z - a.z};
    float last = -1e30f;
    for (const OctreeNode* leaf : v.order) {
      float h = leaf->HalfSize, t_in = 0;
      const float p[3] = {a.x, a.y, a.z}, d[3] = {dir.x, dir.y, dir.z};
      const float c[3] = {leaf->Centre.x, leaf->Centre.y, leaf->Centre.z};
      for (int k = 0; k < 3; ++k)
        if (d[k] != 0) t_in = std::max(t_in, std::min((c[k] - h - p[k]) / d[k], (c[k] + h - p[k]) / d[k]));
      EXPECT_GE(t_in, last - 1e-4f);
      last = t_in;
    }
    // Every instance whose box the segment crosses is listed in a visited leaf.
    std::set<CEnvInstance*> gathered;
    for (const OctreeNode* leaf : v.order)
      if (leaf->List) gathered.insert(leaf->List->Instances, leaf->List->Instances + leaf->List->Count);
    for (const OctreeItem& item : w.items) {
      float lo = 0, hi = 1;
      const float p[3] = {a.x, a.y, a.z}, d[3] = {dir.x, dir.y, dir.z};
      bool hit = true;
      for (int k = 0; k < 3 && hit; ++k) {
        if (d[k] == 0) {
          hit = p[k] >= item.Box[k] && p[k] <= item.Box[k + 3];
          continue;
        }
        float t0 = (item.Box[k] - p[k]) / d[k], t1 = (item.Box[k + 3] - p[k]) / d[k];
        if (t0 > t1) std::swap(t0, t1);
        lo = std::max(lo, t0), hi = std::min(hi, t1);
        hit = lo <= hi;
      }
      const OctreeNode* root = tree->Root();
      bool in_root = std::fabs(a.x - root->Centre.x) <= root->HalfSize && std::fabs(b.x - root->Centre.x) <= root->HalfSize &&
                     std::fabs(a.y - root->Centre.y) <= root->HalfSize && std::fabs(b.y - root->Centre.y) <= root->HalfSize &&
                     std::fabs(a.z - root->Centre.z) <= root->HalfSize && std::fabs(b.z - root->Centre.z) <= root->HalfSize;
      if (hit && in_root) {
        EXPECT_TRUE(gathered.count(item.Instance)) << q;
      }
    }

    // Box walk: the leaves overlapping a random box, in child order.
    float box[6] = {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z),
                    std::min(a.x, b.x) + 3000 * std::fabs(unit(rng)), std::min(a.y, b.y) + 500,
                    std::min(a.z, b.z) + 3000 * std::fabs(unit(rng))};
    Visit vb;
    OctreeWalkBox(tree->Root(), box, record, &vb);
    std::vector<const OctreeNode*> expect_box;
    for (const OctreeNode* leaf : leaves)
      if (OctreeCubeOverlapsBox(leaf, box)) expect_box.push_back(leaf);
    std::vector<const OctreeNode*> got_box = vb.order;
    std::sort(got_box.begin(), got_box.end());
    std::sort(expect_box.begin(), expect_box.end());
    EXPECT_EQ(got_box, expect_box) << q;

    // Plane walk: two random planes.
    float planes[2][4];
    for (auto& pl : planes) {
      CVector3 n{unit(rng), unit(rng), unit(rng)};
      float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      pl[0] = n.x / l, pl[1] = n.y / l, pl[2] = n.z / l, pl[3] = pos(rng) * 0.5f;
    }
    Visit vp;
    OctreeWalkPlanes(tree->Root(), OctreePlaneSet{2, planes}, record, &vp);
    std::vector<const OctreeNode*> expect_planes;
    std::vector<std::uint32_t> expect_straddle;
    for (const OctreeNode* leaf : leaves) {
      float r = leaf->HalfSize * 1.7320508f;
      bool out = false;
      std::uint32_t straddle = 0;
      for (auto& pl : planes) {
        float d = pl[0] * leaf->Centre.x + pl[1] * leaf->Centre.y + pl[2] * leaf->Centre.z + pl[3];
        out |= d < -r;
        straddle |= std::fabs(d) <= r;
      }
      if (!out) expect_planes.push_back(leaf), expect_straddle.push_back(straddle);
    }
    // Leaves in array order match child order 0 to 7 within each block, so
    // compare as sets with their straddle flags.
    std::vector<std::pair<const OctreeNode*, std::uint32_t>> gp, ep;
    for (std::size_t i = 0; i < vp.order.size(); ++i) gp.emplace_back(vp.order[i], vp.straddles[i]);
    for (std::size_t i = 0; i < expect_planes.size(); ++i) ep.emplace_back(expect_planes[i], expect_straddle[i]);
    std::sort(gp.begin(), gp.end());
    std::sort(ep.begin(), ep.end());
    EXPECT_EQ(gp, ep) << q;
  }
}

namespace {

// The segment walk written out plainly, one child at a time: a child is
// entered when the segment's widened box reaches its cube and the slab test
// (by the reciprocals of the direction) keeps a range in it; children in
// order of entry, equal entries in child order.
struct PlainSegmentWalk {
  float p[3], d[3], inverse[3], lo[3], hi[3];
  std::vector<const OctreeNode*> order;

  PlainSegmentWalk(const CVector3& a, const CVector3& b) {
    const float s[3] = {a.x, a.y, a.z}, e[3] = {b.x, b.y, b.z};
    for (int k = 0; k < 3; ++k) {
      p[k] = s[k];
      d[k] = e[k] - s[k];
      inverse[k] = d[k] == 0.0f ? 0.0f : 1.0f / d[k];
      const float q = p[k] + d[k], margin = 1e-5f * (std::fabs(p[k]) + std::fabs(d[k]));
      lo[k] = std::min(p[k], q) - margin;
      hi[k] = std::max(p[k], q) + margin;
    }
  }
  bool Clip(const OctreeNode& n, float* entry) const {
    const float c[3] = {n.Centre.x, n.Centre.y, n.Centre.z};
    float t0 = 0, t1 = 1;
    bool inside = true;
    for (int k = 0; k < 3; ++k) {
      const float mn = c[k] - n.HalfSize, mx = c[k] + n.HalfSize;
      if (hi[k] < mn || lo[k] > mx) return false;
      if (d[k] == 0) {
        inside = inside && !(p[k] < mn) && !(p[k] > mx);
        continue;
      }
      const float ta = (mn - p[k]) * inverse[k], tb = (mx - p[k]) * inverse[k];
      t0 = std::max(t0, ta > tb ? tb : ta);
      t1 = std::min(t1, ta > tb ? ta : tb);
    }
    *entry = t0;
    return inside && !(t0 > t1);
  }
  void Walk(const OctreeNode* n) {
    if (!n->Children) {
      order.push_back(n);
      return;
    }
    std::vector<std::pair<float, int>> met;
    for (int i = 0; i < 8; ++i) {
      float t;
      if (Clip(n->Children[i], &t)) met.emplace_back(t, i);
    }
    std::stable_sort(met.begin(), met.end(), [](auto& x, auto& y) { return x.first < y.first; });
    for (auto& m : met) Walk(&n->Children[m.second]);
  }
};

}  // namespace

TEST(OctreeWalks, SegmentWalkVisitsTheLeavesOfThePlainWalkInItsOrder) {
  // The hard segments: along the cubes' faces and edges (on the 800-unit
  // grid), parallel to one or two axes, points, reversed, and random ones.
  std::mt19937 rng(5);
  Items w = RandomWorld(rng, 500, 9000);
  auto tree = Build(w);
  const OctreeNode* root = tree->Root();
  ASSERT_GT(tree->Count(), 200u);
  std::uniform_int_distribution<int> cell(-12, 12);
  std::uniform_real_distribution<float> pos(-11000, 11000), unit(0, 1);
  auto grid = [&](float centre) { return centre + 800.0f * static_cast<float>(cell(rng)); };
  auto record = [](OctreeNode* leaf, void* ctx) { static_cast<std::vector<const OctreeNode*>*>(ctx)->push_back(leaf); };
  int visits = 0;
  for (int q = 0; q < 6000; ++q) {
    CVector3 a{pos(rng), root->Centre.y - root->HalfSize + 2000 * unit(rng), pos(rng)};
    CVector3 b{pos(rng), root->Centre.y - root->HalfSize + 2000 * unit(rng), pos(rng)};
    switch (q % 6) {
      case 0: a.x = b.x = grid(root->Centre.x); break;                            // in a face plane
      case 1: a.x = b.x = grid(root->Centre.x), a.z = b.z = grid(root->Centre.z); break;  // along an edge line
      case 2: a.y = b.y, a.z = b.z = grid(root->Centre.z); break;                  // parallel to x
      case 3: a.x = grid(root->Centre.x), b.x = grid(root->Centre.x), a.z = grid(root->Centre.z); break;
      case 4: b = a; break;                                                        // a point
      default: break;
    }
    if (q % 7 == 0) std::swap(a, b);
    std::vector<const OctreeNode*> got;
    OctreeWalkSegment(tree->Root(), a, b, record, &got);
    PlainSegmentWalk plain(a, b);
    float t;
    if (plain.Clip(*root, &t)) plain.Walk(root);
    ASSERT_EQ(got, plain.order) << q << ": (" << a.x << ", " << a.y << ", " << a.z << ") to (" << b.x << ", " << b.y
                                << ", " << b.z << ")";
    visits += static_cast<int>(got.size());
  }
  EXPECT_GT(visits, 6000);  // the segments do reach the tree
}

TEST(OctreeWalks, NullTreeAndMissingSegmentVisitNothing) {
  int calls = 0;
  auto count = [](OctreeNode*, void* ctx) { ++*static_cast<int*>(ctx); };
  OctreeWalkSegment(nullptr, {0, 0, 0}, {1, 1, 1}, count, &calls);
  float box[6] = {0, 0, 0, 1, 1, 1};
  OctreeWalkBox(nullptr, box, count, &calls);
  Items one(1);
  one.Add(0, 0, 0, 10, 10, 10);
  auto tree = Build(one);
  OctreeWalkSegment(tree->Root(), {5000, 0, 0}, {6000, 0, 0}, count, &calls);
  EXPECT_EQ(calls, 0);
  OctreeWalkSegment(tree->Root(), {-5000, 10, 5}, {6000, 10, 5}, count, &calls);
  EXPECT_EQ(calls, 1);
}

TEST(OctreeNudge, PointsNearAGridLineAreMovedOffIt) {
  Items one(1);
  one.Add(0, 0, 0, 10, 10, 10);
  auto tree = Build(one);
  const OctreeNode* root = tree->Root();
  struct Case {
    float dx, dz;
    bool moved_x, moved_z;
  } cases[] = {{50, 400, true, false}, {100, 400, false, false}, {-50, 850, true, true},
               {400, 0, false, true},  {880, 720, false, false}};
  for (const Case& c : cases) {
    CVector3 p{root->Centre.x + c.dx, 3, root->Centre.z + c.dz};
    CVector3 before = p;
    EXPECT_EQ(OctreeNudgeOffGridLines(root, &p), c.moved_x || c.moved_z) << c.dx << "," << c.dz;
    EXPECT_FLOAT_EQ(p.x, before.x + (c.moved_x ? 0.1f : 0));
    EXPECT_FLOAT_EQ(p.z, before.z + (c.moved_z ? 0.1f : 0));
    EXPECT_EQ(p.y, before.y);
  }
}

// The debug view on the device.
class OctreeDebugView : public overlay_test::OverlayDeviceTest {};

TEST_F(OctreeDebugView, DrawsEveryLeafCubeInWhite) {
  OctreeArray tree(9);
  OctreeNode& root = tree.Nodes()[0];
  root.HalfSize = 100;
  root.Centre = {0, 0, 500};
  root.Children = &tree.Nodes()[1];
  for (int i = 0; i < 8; ++i) {
    root.Children[i].HalfSize = 50;
    root.Children[i].Centre = {(i & 1) ? 50.0f : -50.0f, (i & 2) ? 50.0f : -50.0f, (i & 4) ? 550.0f : 450.0f};
  }
  Record();
  OctreeDrawVisible(&root);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 24u);  // eight leaves, twelve edges in three batches each
  for (std::size_t k = 0; k < draws.size(); ++k) {
    const OctreeNode& leaf = root.Children[k / 3];
    ASSERT_FALSE(draws[k].vertices.empty()) << k;
    for (const DebugVertex& v : draws[k].vertices) {
      EXPECT_EQ(v.Colour, 0xFFFFFFFFu);
      EXPECT_NEAR(std::fabs(v.x - leaf.Centre.x), 50.0f, 1e-4f);
      EXPECT_NEAR(std::fabs(v.z - leaf.Centre.z), 50.0f, 1e-4f);
    }
  }
}
