// Building a zone's octree: a tree of separately made nodes is grown by the
// split rule, then flattened into the zone's one array and given its lists.
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <new>
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

// The items a node's children may overlap: those of `from` (numbers into
// items, in item order) that overlap the node's cube widened by a margin.  A
// child cube lying within the widened cube (as a built tree's children do)
// can only overlap items of this subset; a child found outside it (a tree
// read from a file need not nest) is given every item instead.
struct Widened {
  float lo[3], hi[3];

  Widened(const CVector3& c, float h) {
    const float centre[3] = {c.x, c.y, c.z};
    const float margin = 1e-4f * (h + std::max({std::fabs(c.x), std::fabs(c.y), std::fabs(c.z)}));
    for (int a = 0; a < 3; ++a) {
      lo[a] = (centre[a] - h) - margin;
      hi[a] = (centre[a] + h) + margin;
    }
  }
  bool Overlaps(const float* box) const {
    return box[0] <= hi[0] && box[3] >= lo[0] && box[1] <= hi[1] && box[4] >= lo[1] && box[2] <= hi[2] &&
           box[5] >= lo[2];
  }
  // Whether the cube (centre ± half, as CubeOverlapsBox forms it) lies within.
  bool Holds(const CVector3& c, float h) const {
    return c.x - h >= lo[0] && c.x + h <= hi[0] && c.y - h >= lo[1] && c.y + h <= hi[1] && c.z - h >= lo[2] &&
           c.z + h <= hi[2];
  }
};

// Per depth, the subset handed to a node's children (kept from build to
// build; a deque, so that growing it leaves the shallower subsets in place).
std::vector<std::uint32_t>& Subset(std::uint32_t depth) {
  static std::deque<std::vector<std::uint32_t>> by_depth;
  while (by_depth.size() <= depth) by_depth.emplace_back();
  return by_depth[depth];
}

void Narrow(const Widened& cube, std::span<const OctreeItem> items, const std::vector<std::uint32_t>& from,
            std::vector<std::uint32_t>* out) {
  out->clear();
  for (std::uint32_t k : from)
    if (cube.Overlaps(items[k].Box)) out->push_back(k);
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

// `candidates` holds every item that may overlap the node (all of them at the root).
void Grow(std::vector<BuildNode>& pool, std::uint32_t index, std::span<const OctreeItem> items,
          const std::vector<std::uint32_t>& candidates, const std::vector<std::uint32_t>& all, std::uint32_t depth) {
  g_Statistics.Depth = std::max(g_Statistics.Depth, depth);
  const CVector3 centre = pool[index].centre;
  const float half = pool[index].half;
  int overlapping = 0;
  for (std::uint32_t k : candidates) {
    if (CubeOverlapsBox(centre, half, items[k].Box) && ++overlapping >= kOctreeSplitCount) break;
  }
  if (overlapping < kOctreeSplitCount || half < kOctreeCellHalfSize) {
    ++g_Statistics.Leaves;
    return;
  }
  const auto first = static_cast<std::uint32_t>(pool.size());
  pool[index].children = first;
  g_Statistics.Nodes += 8;
  for (int i = 0; i < 8; ++i) pool.push_back({ChildCentre(centre, half, i), 0.5f * half, 0});
  const Widened cube(centre, half);
  std::vector<std::uint32_t>& subset = Subset(depth);
  Narrow(cube, items, candidates, &subset);
  for (std::uint32_t i = 0; i < 8; ++i) {
    const bool nested = cube.Holds(pool[first + i].centre, pool[first + i].half);
    Grow(pool, first + i, items, nested ? subset : all, all, depth + 1);
  }
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

// `candidates` holds every item that may overlap the node, in item order.
void FillNode(OctreeNode& node, std::span<const OctreeItem> items, const std::vector<std::uint32_t>& candidates,
              const std::vector<std::uint32_t>& all, std::uint32_t depth, bool allocate) {
  if (node.Children) {
    const Widened cube(node.Centre, node.HalfSize);
    std::vector<std::uint32_t>& subset = Subset(depth);
    Narrow(cube, items, candidates, &subset);
    for (int i = 0; i < 8; ++i) {
      const bool nested = cube.Holds(node.Children[i].Centre, node.Children[i].HalfSize);
      FillNode(node.Children[i], items, nested ? subset : all, all, depth + 1, allocate);
    }
  }
  std::int32_t count = 0;
  for (std::uint32_t k : candidates) count += CubeOverlapsBox(node.Centre, node.HalfSize, items[k].Box);
  if (node.List && (allocate || node.List->Count != count)) {
    OctreeFreeList(node.List);
    node.List = nullptr;
  }
  if (count == 0) return;
  if (!node.List) node.List = OctreeNewList(count);
  std::int32_t at = 0;
  for (std::uint32_t k : candidates)
    if (CubeOverlapsBox(node.Centre, node.HalfSize, items[k].Box)) node.List->Instances[at++] = items[k].Instance;
  g_Statistics.ListEntries += static_cast<std::uint32_t>(count);
}

}  // namespace

OctreeInstanceList* OctreeNewList(std::int32_t count) {
  const std::size_t entries = count > 0 ? static_cast<std::size_t>(count) : 0;
  const std::size_t boxFloats = (entries + 3) / 4 * kOctreeBoxGroupFloats;
  // The box copies (tested first) right after the count on a 16-byte
  // boundary of the block, the entries after them.
  constexpr std::size_t kBoxesAt = (sizeof(OctreeInstanceList) + 15) & ~std::size_t{15};
  const std::size_t entriesAt = kBoxesAt + boxFloats * sizeof(float);
  auto* block = new (SpatialCategory()) unsigned char[entriesAt + entries * sizeof(CEnvInstance*)];
  static_assert(kBoxesAt % alignof(float) == 0 && kOctreeBoxGroupFloats * sizeof(float) % alignof(CEnvInstance*) == 0);
  auto* boxes = reinterpret_cast<float*>(block + kBoxesAt);
  std::fill(boxes, boxes + boxFloats, std::numeric_limits<float>::quiet_NaN());
  return new (block) OctreeInstanceList{count, reinterpret_cast<CEnvInstance**>(block + entriesAt), boxes};
}

void OctreeFreeList(OctreeInstanceList* list) {
  if (list) delete[] reinterpret_cast<unsigned char*>(list);
}

OctreeArray::OctreeArray(std::uint32_t count) : count_(count), nodes_(nullptr) {
  if (count_) nodes_ = new (SpatialCategory()) OctreeNode[count_]{};
}

OctreeArray::~OctreeArray() {
  FreeLists();
  delete[] nodes_;
}

void OctreeArray::FreeLists() {
  ForgetBoxCopies();
  for (std::uint32_t i = 0; i < count_; ++i) {
    OctreeFreeList(nodes_[i].List);
    nodes_[i].List = nullptr;
  }
}

const OctreeBuildStatistics& GetOctreeBuildStatistics() { return g_Statistics; }

OctreeArray* OctreeBuild(std::span<const OctreeItem> items) {
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
  std::vector<std::uint32_t> all(items.size());
  for (std::uint32_t k = 0; k < all.size(); ++k) all[k] = k;
  Grow(pool, 0, items, all, all, 0);

  auto* tree = new (SpatialCategory()) OctreeArray(g_Statistics.Nodes);
  std::uint32_t next = 1;
  Flatten(pool, 0, tree->Nodes(), 0, &next);
  OctreeFillLists(*tree, items, true);
  return tree;
}

void OctreeFillLists(OctreeArray& tree, std::span<const OctreeItem> items, bool allocate) {
  g_Statistics.ListEntries = 0;
  tree.ForgetBoxCopies();
  std::vector<std::uint32_t> all(items.size());
  for (std::uint32_t k = 0; k < all.size(); ++k) all[k] = k;
  if (OctreeNode* root = tree.Root()) FillNode(*root, items, all, all, 0, allocate);
}

bool OctreeCubeOverlapsBox(const OctreeNode* node, const float* box) {
  return CubeOverlapsBox(node->Centre, node->HalfSize, box);
}
