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

// The segment p + t·d, t in [0, 1], as the walk clips it: the reciprocals of
// d, and its box widened by a margin well beyond the rounding of p + d.
struct ClipSegment {
  float p[3], d[3], inverse[3];
  float lo[3], hi[3];

  ClipSegment(const CVector3& start, const CVector3& end) {
    const float s[3] = {start.x, start.y, start.z}, e[3] = {end.x, end.y, end.z};
    for (int a = 0; a < 3; ++a) {
      p[a] = s[a];
      d[a] = e[a] - s[a];
      inverse[a] = d[a] == 0.0f ? 0.0f : 1.0f / d[a];
      const float q = p[a] + d[a], margin = 1e-5f * (std::fabs(p[a]) + std::fabs(d[a]));
      lo[a] = std::min(p[a], q) - margin;
      hi[a] = std::max(p[a], q) + margin;
    }
  }
};

// Whether the cube may meet the segment: false when it is clear of the
// segment's widened box, where the slabs below could not meet it either (the
// margin exceeds their rounding).  Bitwise ands: every comparison is made,
// with no branch to mispredict.
inline bool MayTouch(const OctreeNode& node, const ClipSegment& s) {
  const float h = node.HalfSize;
  return !(s.hi[0] < node.Centre.x - h) & !(s.lo[0] > node.Centre.x + h) & !(s.hi[1] < node.Centre.y - h) &
         !(s.lo[1] > node.Centre.y + h) & !(s.hi[2] < node.Centre.z - h) & !(s.lo[2] > node.Centre.z + h);
}

// Parameter range [t0, t1] ⊂ [0, 1] of the segment inside the cube (faces
// included), by the slab method; false when they do not meet.
bool ClipToCube(const OctreeNode& node, const ClipSegment& s, float* t0, float* t1) {
  const float c[3] = {node.Centre.x, node.Centre.y, node.Centre.z};
  float min[3], max[3];
  for (int a = 0; a < 3; ++a) {
    min[a] = c[a] - node.HalfSize;
    max[a] = c[a] + node.HalfSize;
  }
  // The range only narrows, so one comparison at the end decides (no
  // branch per axis to mispredict).
  float lo = 0.0f, hi = 1.0f;
  bool inside = true;
  for (int a = 0; a < 3; ++a) {
    if (s.d[a] == 0.0f) {
      inside &= !(s.p[a] < min[a]) & !(s.p[a] > max[a]);
      continue;
    }
    const float ta = (min[a] - s.p[a]) * s.inverse[a], tb = (max[a] - s.p[a]) * s.inverse[a];
    const float near = ta > tb ? tb : ta, far = ta > tb ? ta : tb;
    lo = std::max(lo, near);
    hi = std::min(hi, far);
  }
  *t0 = lo;
  *t1 = hi;
  return inside && !(lo > hi);
}

// Hands the leaves the segment touches to the callback, in order along it.
void WalkSegment(OctreeNode* node, const ClipSegment& s, OctreeLeafCallback callback, void* context) {
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
  unsigned candidates = 0;
  for (int i = 0; i < 8; ++i) candidates |= static_cast<unsigned>(MayTouch(node->Children[i], s)) << i;
  while (candidates) {
    const int i = __builtin_ctz(candidates);
    candidates &= candidates - 1;
    float t0, t1;
    if (!ClipToCube(node->Children[i], s, &t0, &t1)) continue;
    Entry e{t0, &node->Children[i]};
    int k = n++;
    for (; k > 0 && entries[k - 1].t > e.t; --k) entries[k] = entries[k - 1];
    entries[k] = e;
  }
  for (int k = 0; k < n; ++k) WalkSegment(entries[k].child, s, callback, context);
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
  const ClipSegment s(start, end);
  float t0, t1;
  if (!ClipToCube(*root, s, &t0, &t1)) return;
  WalkSegment(root, s, callback, context);
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
