// Walks of a zone's octree: point lookup, segment, box, planes and view.
#include <algorithm>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

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

#if defined(__SSE2__)
// The eight children of a node against the segment four at a time, with the
// very operations of MayTouch and ClipToCube lane by lane (so the answers are
// bit for bit theirs): bit i of the result set when child i is touched, its
// entry factor in t[i].
static_assert(offsetof(OctreeNode, Centre) == offsetof(OctreeNode, HalfSize) + sizeof(float));
unsigned TouchedChildren(const OctreeNode* children, const ClipSegment& s, float* t) {
  unsigned touched = 0;
  for (int group = 0; group < 2; ++group) {
    const OctreeNode* c = children + 4 * group;
    // Rows (half size, centre x, y, z) of four children, turned into columns.
    __m128 h = _mm_loadu_ps(&c[0].HalfSize), x = _mm_loadu_ps(&c[1].HalfSize), y = _mm_loadu_ps(&c[2].HalfSize),
           z = _mm_loadu_ps(&c[3].HalfSize);
    _MM_TRANSPOSE4_PS(h, x, y, z);
    const __m128 centre[3] = {x, y, z};
    __m128 lo = _mm_setzero_ps(), hi = _mm_set1_ps(1.0f);
    __m128 inside = _mm_castsi128_ps(_mm_set1_epi32(-1));  // all lanes true
    __m128 clear = _mm_setzero_ps();                       // MayTouch's refusals
    for (int a = 0; a < 3; ++a) {
      const __m128 min = _mm_sub_ps(centre[a], h), max = _mm_add_ps(centre[a], h);
      clear = _mm_or_ps(clear, _mm_or_ps(_mm_cmplt_ps(_mm_set1_ps(s.hi[a]), min), _mm_cmpgt_ps(_mm_set1_ps(s.lo[a]), max)));
      const __m128 p = _mm_set1_ps(s.p[a]);
      if (s.d[a] == 0.0f) {
        inside = _mm_andnot_ps(_mm_or_ps(_mm_cmplt_ps(p, min), _mm_cmpgt_ps(p, max)), inside);
        continue;
      }
      const __m128 inverse = _mm_set1_ps(s.inverse[a]);
      const __m128 ta = _mm_mul_ps(_mm_sub_ps(min, p), inverse), tb = _mm_mul_ps(_mm_sub_ps(max, p), inverse);
      // near = ta > tb ? tb : ta, far = ta > tb ? ta : tb, lo = max(lo, near), hi = min(hi, far).
      lo = _mm_max_ps(_mm_min_ps(tb, ta), lo);
      hi = _mm_min_ps(_mm_max_ps(ta, tb), hi);
    }
    const __m128 met = _mm_andnot_ps(_mm_or_ps(clear, _mm_cmpgt_ps(lo, hi)), inside);
    touched |= static_cast<unsigned>(_mm_movemask_ps(met)) << (4 * group);
    _mm_storeu_ps(t + 4 * group, lo);
  }
  return touched;
}
#else
unsigned TouchedChildren(const OctreeNode* children, const ClipSegment& s, float* t) {
  unsigned touched = 0;
  for (int i = 0; i < 8; ++i) {
    float t1;
    if (MayTouch(children[i], s) && ClipToCube(children[i], s, &t[i], &t1)) touched |= 1u << i;
  }
  return touched;
}
#endif

// Hands the leaves the segment touches to the callback, in order along it.
void WalkSegment(OctreeNode* node, const ClipSegment& s, OctreeLeafCallback callback, void* context) {
  if (!node->Children) {
    callback(node, context);
    return;
  }
  // Children the segment touches, nearest entry first (equal entries in
  // child order).
  struct Entry {
    float t;
    OctreeNode* child;
  } entries[8];
  int n = 0;
  float t[8];
  unsigned touched = TouchedChildren(node->Children, s, t);
  while (touched) {
    const int i = __builtin_ctz(touched);
    touched &= touched - 1;
    Entry e{t[i], &node->Children[i]};
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
