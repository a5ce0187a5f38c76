// Building a zone's octree: a tree of separately made nodes is grown by the
// split rule, then flattened into the zone's one array and given its lists.
#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/memory/memory_manager.h"
#include "world/space/octree.h"

std::uint32_t g_OctreeRecursions = 0;

namespace {

OctreeBuildStatistics g_Statistics{};

MemoryCategory SpatialCategory() { return static_cast<MemoryCategory>(kOctreeMemoryCategory); }

// Cube (centre ± half size) against box; touching faces count as overlap.
bool CubeOverlapsBox(const CVector3& c, float h, const float* box) {
  return box[0] <= c.x + h && box[3] >= c.x - h && box[1] <= c.y + h && box[4] >= c.y - h && box[2] <= c.z + h &&
         box[5] >= c.z - h;
}

// A node of the tree while it is grown; children are 8 consecutive entries
// of the build's node pool, from index `children` (0: a leaf).
struct BuildNode {
  CVector3 centre;
  float half;
  std::uint32_t children;
};

// Centre of child i of a node: ±0.5 x half size along each axis by the bits of i.
CVector3 ChildCentre(const CVector3& c, float h, int i) {
  float q = 0.5f * h;
  return {c.x + ((i & 1) ? q : -q), c.y + ((i & 2) ? q : -q), c.z + ((i & 4) ? q : -q)};
}

void Grow(std::vector<BuildNode>& pool, std::uint32_t index, std::span<const OctreeItem> items,
          std::uint32_t depth) {
  g_Statistics.Depth = std::max(g_Statistics.Depth, depth);
  const CVector3 centre = pool[index].centre;
  const float half = pool[index].half;
  int overlapping = 0;
  for (const OctreeItem& item : items) {
    if (CubeOverlapsBox(centre, half, item.Box) && ++overlapping >= kOctreeSplitCount) break;
  }
  if (overlapping < kOctreeSplitCount || half < kOctreeCellHalfSize) {
    ++g_Statistics.Leaves;
    return;
  }
  const auto first = static_cast<std::uint32_t>(pool.size());
  pool[index].children = first;
  g_Statistics.Nodes += 8;
  for (int i = 0; i < 8; ++i) pool.push_back({ChildCentre(centre, half, i), 0.5f * half, 0});
  for (std::uint32_t i = 0; i < 8; ++i) Grow(pool, first + i, items, depth + 1);
}

// Depth first: the node goes to `index`; a block of 8 free entries is taken
// for its children before they are flattened, in order 0 to 7.
void Flatten(const std::vector<BuildNode>& pool, std::uint32_t from, OctreeNode* nodes, std::uint32_t index,
             std::uint32_t* next) {
  const BuildNode& node = pool[from];
  OctreeNode& out = nodes[index];
  out.HalfSize = node.half;
  out.Centre = node.centre;
  if (!node.children) return;
  std::uint32_t block = *next;
  *next += 8;
  out.Children = nodes + block;
  for (std::uint32_t i = 0; i < 8; ++i) Flatten(pool, node.children + i, nodes, block + i, next);
}

void FillNode(OctreeNode& node, std::span<const OctreeItem> items, bool allocate) {
  if (node.Children)
    for (int i = 0; i < 8; ++i) FillNode(node.Children[i], items, allocate);
  std::int32_t count = 0;
  for (const OctreeItem& item : items) count += CubeOverlapsBox(node.Centre, node.HalfSize, item.Box);
  if (node.List && (allocate || node.List->Count != count)) {
    delete[] node.List->Instances;
    delete node.List;
    node.List = nullptr;
  }
  if (count == 0) return;
  if (!node.List) {
    node.List = new (SpatialCategory()) OctreeInstanceList{count, new (SpatialCategory()) CEnvInstance*[count]};
  }
  std::int32_t k = 0;
  for (const OctreeItem& item : items)
    if (CubeOverlapsBox(node.Centre, node.HalfSize, item.Box)) node.List->Instances[k++] = item.Instance;
  g_Statistics.ListEntries += static_cast<std::uint32_t>(count);
}

}  // namespace

OctreeArray::OctreeArray(std::uint32_t count) : count_(count), nodes_(nullptr) {
  if (count_) nodes_ = new (SpatialCategory()) OctreeNode[count_]{};
}

OctreeArray::~OctreeArray() {
  FreeLists();
  delete[] nodes_;
}

void OctreeArray::FreeLists() {
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (!nodes_[i].List) continue;
    delete[] nodes_[i].List->Instances;
    delete nodes_[i].List;
    nodes_[i].List = nullptr;
  }
}

const OctreeBuildStatistics& GetOctreeBuildStatistics() { return g_Statistics; }

OctreeArray* OctreeBuildFromItems(std::span<const OctreeItem> items) {
  g_Statistics = {};
  float lo[3] = {1e7f, 1e7f, 1e7f}, hi[3] = {-1e7f, -1e7f, -1e7f};
  for (const OctreeItem& item : items) {
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], item.Box[a]);
      hi[a] = std::max(hi[a], item.Box[a + 3]);
    }
  }
  // Root half size: 800 x 2^k, the smallest not below the largest half extent.
  float largest = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}) * 0.5f;
  float half = kOctreeCellHalfSize;
  while (half < largest) half *= 2.0f;

  // The root cube stands on the lowest point of the box.
  std::vector<BuildNode> pool{{{(lo[0] + hi[0]) * 0.5f, lo[1] + half, (lo[2] + hi[2]) * 0.5f}, half, 0}};
  g_Statistics.Nodes = 1;
  Grow(pool, 0, items, 0);

  auto* tree = new (SpatialCategory()) OctreeArray(g_Statistics.Nodes);
  std::uint32_t next = 1;
  Flatten(pool, 0, tree->Nodes(), 0, &next);
  OctreeFillLists(*tree, items, true);
  return tree;
}

void OctreeFillLists(OctreeArray& tree, std::span<const OctreeItem> items, bool allocate) {
  g_Statistics.ListEntries = 0;
  if (OctreeNode* root = tree.Root()) FillNode(*root, items, allocate);
}

bool OctreeCubeOverlapsBox(const OctreeNode* node, const float* box) {
  return CubeOverlapsBox(node->Centre, node->HalfSize, box);
}
