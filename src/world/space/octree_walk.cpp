// Walks of a zone's octree: point lookup, segment, box, planes and view.
#include <algorithm>
#include <cmath>

#include "render/debug/debug_draw.h"
#include "world/space/octree.h"

std::uint32_t g_OctreeLeafStraddles = 0;

namespace {

float g_ViewBox[6] = {0, 0, 0, 0, 0, 0};
OctreeLeafCallback g_LeafDraw = nullptr;
void* g_LeafDrawContext = nullptr;

// Parameter range [t0, t1] ⊂ [0, 1] of the segment p + t·d inside the cube
// (faces included), by the slab method; false when they do not meet.
bool ClipToCube(const OctreeNode& node, const float* p, const float* d, float* t0, float* t1) {
  const float c[3] = {node.Centre.x, node.Centre.y, node.Centre.z};
  float lo = 0.0f, hi = 1.0f;
  for (int a = 0; a < 3; ++a) {
    float min = c[a] - node.HalfSize, max = c[a] + node.HalfSize;
    if (d[a] == 0.0f) {
      if (p[a] < min || p[a] > max) return false;
      continue;
    }
    float inv = 1.0f / d[a];
    float ta = (min - p[a]) * inv, tb = (max - p[a]) * inv;
    if (ta > tb) std::swap(ta, tb);
    lo = std::max(lo, ta);
    hi = std::min(hi, tb);
    if (lo > hi) return false;
  }
  *t0 = lo;
  *t1 = hi;
  return true;
}

void WalkSegment(OctreeNode* node, const float* p, const float* d, OctreeLeafCallback callback, void* context) {
  if (!node->Children) {
    callback(node, context);
    return;
  }
  // Children the segment touches, nearest entry first.
  struct Entry {
    float t;
    OctreeNode* child;
  } entries[8];
  int n = 0;
  for (int i = 0; i < 8; ++i) {
    float t0, t1;
    if (!ClipToCube(node->Children[i], p, d, &t0, &t1)) continue;
    Entry e{t0, &node->Children[i]};
    int k = n++;
    for (; k > 0 && entries[k - 1].t > e.t; --k) entries[k] = entries[k - 1];
    entries[k] = e;
  }
  for (int k = 0; k < n; ++k) WalkSegment(entries[k].child, p, d, callback, context);
}

}  // namespace

OctreeNode* OctreeFindLeaf(OctreeNode* root, const CVector3& point) {
  ++g_OctreeRecursions;
  OctreeNode* node = root;
  while (node && node->Children) {
    int i = (point.x > node->Centre.x ? 1 : 0) | (point.y > node->Centre.y ? 2 : 0) |
            (point.z > node->Centre.z ? 4 : 0);
    node = &node->Children[i];
    ++g_OctreeRecursions;
  }
  return node;
}

void OctreeWalkSegment(OctreeNode* root, const CVector3& start, const CVector3& end, OctreeLeafCallback callback,
                       void* context) {
  if (!root || !callback) return;
  const float p[3] = {start.x, start.y, start.z};
  const float d[3] = {end.x - start.x, end.y - start.y, end.z - start.z};
  float t0, t1;
  if (!ClipToCube(*root, p, d, &t0, &t1)) return;
  WalkSegment(root, p, d, callback, context);
}

void OctreeWalkBox(OctreeNode* node, const float* box, OctreeLeafCallback callback, void* context) {
  if (!node || !callback || !OctreeCubeOverlapsBox(node, box)) return;
  if (!node->Children) {
    callback(node, context);
    return;
  }
  for (int i = 0; i < 8; ++i) OctreeWalkBox(&node->Children[i], box, callback, context);
}

namespace {

// The plane walk: each node's bounding sphere (radius half size x √3)
// against every plane; d = n·c + distance.
void WalkPlanes(OctreeNode* node, const OctreePlaneSet& planes, OctreeLeafCallback callback, void* context) {
  float r = node->HalfSize * 1.7320508f;
  std::uint32_t straddles = 0;
  for (std::uint32_t k = 0; k < planes.Count; ++k) {
    const float* pl = planes.Planes[k];
    float d = pl[0] * node->Centre.x + pl[1] * node->Centre.y + pl[2] * node->Centre.z + pl[3];
    if (d < 0.0f && -d > r) return;
    if (std::fabs(d) <= r) straddles = 1;
  }
  if (!node->Children) {
    g_OctreeLeafStraddles = straddles;
    callback(node, context);
    return;
  }
  for (int i = 0; i < 8; ++i) WalkPlanes(&node->Children[i], planes, callback, context);
}

}  // namespace

void OctreeWalkPlanes(OctreeNode* node, const OctreePlaneSet& planes, OctreeLeafCallback callback, void* context) {
  if (!node || !callback) return;
  WalkPlanes(node, planes, callback, context);
}

void OctreeSetViewBox(const float* box) { std::copy(box, box + 6, g_ViewBox); }

void OctreeSetLeafDrawRoutine(OctreeLeafCallback routine, void* context) {
  g_LeafDraw = routine;
  g_LeafDrawContext = context;
}

void OctreeWalkView(OctreeNode* node) {
  if (!node || !OctreeCubeOverlapsBox(node, g_ViewBox)) return;
  if (!node->Children) {
    if (g_LeafDraw) g_LeafDraw(node, g_LeafDrawContext);
    return;
  }
  for (int i = 0; i < 8; ++i) OctreeWalkView(&node->Children[i]);
}

void OctreeDrawVisible(OctreeNode* root) {
  if (!root) return;
  if (root->Children) {
    for (int i = 0; i < 8; ++i) OctreeDrawVisible(&root->Children[i]);
    return;
  }
  float h = root->HalfSize;
  CVector3 min{root->Centre.x - h, root->Centre.y - h, root->Centre.z - h};
  CVector3 max{root->Centre.x + h, root->Centre.y + h, root->Centre.z + h};
  DrawDebugBox(min, max, 0xFFFFFFFFu, false);
}

bool OctreeNudgeOffGridLines(const OctreeNode* node, CVector3* point) {
  if (!node) return false;
  // Offsets in cells of the 800-unit grid (1 / 800 = 0.00125).
  auto near_line = [](float offset) {
    float cells = offset * 0.00125f;
    return std::fabs(cells - std::trunc(cells)) < 0.1f;
  };
  bool moved = false;
  if (near_line(point->x - node->Centre.x)) point->x += 0.1f, moved = true;
  if (near_line(point->z - node->Centre.z)) point->z += 0.1f, moved = true;
  return moved;
}

bool OctreeIsPointInNode(const OctreeNode* node, const CVector3& point) {
  if (!node) return false;
  float h = node->HalfSize;
  return std::fabs(point.x - node->Centre.x) <= h && std::fabs(point.y - node->Centre.y) <= h &&
         std::fabs(point.z - node->Centre.z) <= h;
}
