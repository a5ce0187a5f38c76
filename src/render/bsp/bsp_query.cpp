#include "render/bsp/bsp_query.h"

#include <algorithm>
#include <cmath>

#include "render/geometry/geometry_ops.h"
#include "render/bsp/bsp_tree_index.h"
#include "render/bsp/point_in_polygon.h"

using namespace geom;

namespace {

BspSurfaceLookup g_SurfaceLookup = nullptr;
BspPolygonCallback g_PolygonCallback = nullptr;
BspSegmentResult g_SegmentResult{};

// True when the filter mask skips the polygon; a surface id without a record passes.
bool Skipped(const BspPolygon* polygon, std::uint32_t filter, bool segment_query) {
  if (!g_SurfaceLookup || (filter & ~static_cast<std::uint32_t>(BSPF_BOTH_SIDES)) == 0) return false;
  BspSurfaceFields s;
  if (!g_SurfaceLookup(polygon->SurfaceId, &s)) return false;
  if ((filter & BSPF_SKIP_ZERO_FACTOR) && s.Factor == 0) return true;
  if ((filter & BSPF_SKIP_FLAG_2) && (s.Flags & 0x2)) return true;
  if ((filter & BSPF_SKIP_QUERY_10) && (s.QueryBits & 0x10)) return true;
  if ((filter & BSPF_SKIP_QUERY_20) && (s.QueryBits & 0x20)) return true;
  if ((filter & BSPF_SKIP_QUERY_40) && (s.QueryBits & 0x40)) return true;
  if (segment_query && (filter & BSPF_SKIP_FLAG_2_ZERO) && (s.Flags & 0x2) && s.Factor == 0) return true;
  return false;
}

// Whether two bounding spheres (radius and radius squared) reach each other,
// with the classification allowance.
bool BoundsReach(const CVector3& c, float r, const BspPolygon* polygon) {
  float reach = r + std::sqrt(polygon->RadiusSq);
  return reach * reach + kBspEpsilon >= LengthSq(c - V(polygon->Centre));
}

void Negate(const float* plane, float* out) {
  for (int i = 0; i < 4; ++i) out[i] = -plane[i];
}

// Walks the tree for a sphere.  A sphere clear of the node plane by more than
// radius + 0.0001 goes to one side only; one that straddles it has the node's
// positive list tested against the node plane and its negative list against
// the negated plane (visitor.TestList(list, plane)), then the front subtree
// (recursively), then the back subtree (in the loop).
template <typename Visitor>
void WalkSphere(const BspNode* root, const BspNode* node, const CVector3& centre, const float& radius,
                Visitor& visitor) {
  while (node) {
    float d = Distance(node->Plane, centre);
    float reach = radius + kBspEpsilon;
    if (d > reach) {
      node = BspNodeAt(root, node->Front);
      continue;
    }
    if (d < -reach) {
      node = BspNodeAt(root, node->Back);
      continue;
    }
    float negated[4];
    Negate(node->Plane, negated);
    visitor.TestList(BspListAt(root, node->PositiveList), node->Plane);
    visitor.TestList(BspListAt(root, node->NegativeList), negated);
    WalkSphere(root, BspNodeAt(root, node->Front), centre, radius, visitor);
    node = BspNodeAt(root, node->Back);
  }
}

// The same walk over a tree's index: a subtree or list whose polygons' bounding
// spheres the sphere cannot reach is passed over, as its polygons would each be
// culled by the visitor (by that same bounding-sphere test) with no effect.
template <typename Visitor>
void WalkSphereIndexed(const BspNode* root, const BspTreeIndex& index, std::uint32_t number,
                       const CVector3& centre, const float& radius, const BspTreeIndex::SphereProbe& probe,
                       Visitor& visitor) {
  while (number != BspTreeIndex::kNone) {
    const BspTreeIndex::Node& node = index.Nodes[number];
    if (!probe.MayReach(node.Spheres)) return;
    float d = Distance(node.Plane, centre);
    float reach = radius + kBspEpsilon;
    if (d > reach) {
      number = node.Front;
      continue;
    }
    if (d < -reach) {
      number = node.Back;
      continue;
    }
    float negated[4];
    Negate(node.Plane, negated);
    for (int k = 0; k < 2; ++k) {
      const std::uint32_t l = node.Lists[k];
      if (l == BspTreeIndex::kNone || !probe.MayReach(index.ListSpheres[l])) continue;
      visitor.TestList(BspListAt(root, index.Lists[l].Offset), k == 0 ? node.Plane : negated);
    }
    WalkSphereIndexed(root, index, node.Front, centre, radius, probe, visitor);
    number = node.Back;
  }
}

// Walks the tree for a sphere over its index when it has one.
template <typename Visitor>
void WalkSphereFromRoot(const BspNode* root, const CVector3& centre, const float& radius, Visitor& visitor) {
  BspTreeIndex::SphereProbe probe;
  const BspTreeIndex* index = FindBspTreeIndex(root);
  if (index && probe.Set(centre, radius)) {
    WalkSphereIndexed(root, *index, 0, centre, radius, probe, visitor);
    return;
  }
  WalkSphere(root, root, centre, radius, visitor);
}

// --- Sphere walk -----------------------------------------------------------

struct SphereWalk {
  const BspNode* root;
  CVector3 centre;
  float radius;
  const float* sphere;
  std::uint32_t* hit;
  std::uint32_t filter;

  void TestList(const BspPolygon* list, const float* plane) {
    for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) {
      if (Skipped(p, filter, false) || !BoundsReach(centre, radius, p)) continue;
      g_PolygonCallback(p, plane[0], plane[1], plane[2], plane[3], sphere[0], sphere[1], sphere[2], sphere[3]);
      *hit = 1;
    }
  }

  void Walk() { WalkSphereFromRoot(root, centre, radius, *this); }
};

// --- Sweep walk ------------------------------------------------------------

struct SweepWalk {
  const BspNode* root;
  CSweptSphere* record;
  std::uint32_t filter;

  void TestList(const BspPolygon* list, const float* plane) {
    for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) {
      if (Skipped(p, filter, false)) continue;
      SweptSphereVsPolygon(record->Sphere, record, plane, p, 1);
    }
  }

  // Classified by the sphere that encloses the whole sweep.
  void Walk() { WalkSphereFromRoot(root, record->Bounds.Centre, record->Bounds.Radius, *this); }
};

// --- Segment walk ----------------------------------------------------------

// The segment walks' answer for the first polygon the segment crosses: a
// filtered one clears the hit (false), an accepted one is recorded with the
// crossing point, its factor along the segment and the plane (true).
bool RecordSegmentHit(const BspPolygon* polygon, std::uint32_t filter, const float* plane, const CVector3& point,
                      float factor) {
  if (Skipped(polygon, filter, true)) {
    g_SegmentResult.Polygon = nullptr;
    return false;
  }
  g_SegmentResult.Point = point;
  g_SegmentResult.Factor = factor;
  for (int i = 0; i < 4; ++i) g_SegmentResult.Plane[i] = plane[i];
  g_SegmentResult.Polygon = polygon;
  return true;
}

struct SegmentWalk {
  const BspNode* root;
  CVector3 start, end;
  std::uint32_t filter;

  // Tests one list against the segment: the crossing with the plane used, the
  // first polygon of the list that contains it, then the filter.  A filtered
  // polygon clears the hit; an accepted one records it.
  bool TryList(const BspPolygon* list, const float* plane) {
    if (!list) return false;
    CVector3 point;
    float factor;
    if (!IntersectSegment(plane, start, end, &point, &factor)) return false;
    const BspPolygon* polygon = FindPolygonContaining(plane, list, point);
    if (!polygon) return false;
    return RecordSegmentHit(polygon, filter, plane, point, factor);
  }

  // Near side first, then the node's own polygons, then the far side, so the
  // first accepted polygon is the first along the segment.
  void Walk(const BspNode* node) {
    while (node && !g_SegmentResult.Polygon) {
      int side = ClassifySegment(start, end, node->Plane);
      if (side == 1) {
        node = BspNodeAt(root, node->Front);
        continue;
      }
      if (side == -1) {
        node = BspNodeAt(root, node->Back);
        continue;
      }
      bool start_front = Distance(node->Plane, start) > kBspEpsilon;
      const BspNode* near_child = BspNodeAt(root, start_front ? node->Front : node->Back);
      const BspNode* far_child = BspNodeAt(root, start_front ? node->Back : node->Front);
      Walk(near_child);
      if (g_SegmentResult.Polygon) return;

      float negated[4];
      Negate(node->Plane, negated);
      const BspPolygon* positive = BspListAt(root, node->PositiveList);
      const BspPolygon* negative = BspListAt(root, node->NegativeList);
      if (start_front) {
        if (TryList(positive, node->Plane)) return;
        if ((filter & BSPF_BOTH_SIDES) && TryList(negative, negated)) return;
      } else {
        if (TryList(negative, negated)) return;
        if ((filter & BSPF_BOTH_SIDES) && TryList(positive, node->Plane)) return;
      }
      node = far_child;
    }
  }
};

// --- Segment walk over an index ---------------------------------------------

// The segment walk of SegmentWalk, node for node in the same order with the
// same tests, over a tree's index: a subtree without marked nodes, a list
// whose box the segment cannot meet and a polygon whose extent does not hold
// the crossing point are passed over, as they could accept nothing.
struct IndexedSegmentWalk {
  const BspNode* root;
  const BspTreeIndex* index;
  CVector3 start, end;
  std::uint32_t filter;
  BspTreeIndex::Probe probe;

  bool TryList(std::uint32_t number, const float* plane) {
    if (number == BspTreeIndex::kNone) return false;
    const BspTreeIndex::List& list = index->Lists[number];
    if (!probe.MayMeet(list.Reach)) return false;
    CVector3 point;
    float factor;
    if (!IntersectSegment(plane, start, end, &point, &factor)) return false;
    const float at[3] = {point.x, point.y, point.z};
    const float u = at[list.U], v = at[list.V];
    const BspPolygon* polygon = nullptr;
    const BspTreeIndex::Polygon* entries = index->Polygons.data() + list.First;
    for (std::uint32_t i = 0; i < list.Count; ++i) {
      const BspTreeIndex::Polygon& e = entries[i];
      if (u < e.UMin || u > e.UMax || v < e.VMin || v > e.VMax) continue;
      const BspPolygon* candidate = BspListAt(root, e.Offset);
      if (PointInPolygon(plane, point, candidate)) {
        polygon = candidate;
        break;
      }
    }
    if (!polygon) return false;
    return RecordSegmentHit(polygon, filter, plane, point, factor);
  }

  void Walk(std::uint32_t number) {
    while (number != BspTreeIndex::kNone && !g_SegmentResult.Polygon) {
      const BspTreeIndex::Node& node = index->Nodes[number];
      if (!index->Marked(number)) return;  // nothing below can be hit
      const float ds = Distance(node.Plane, start), de = Distance(node.Plane, end);
      if (ds > kBspEpsilon && de > kBspEpsilon) {
        number = node.Front;
        continue;
      }
      if (ds < -kBspEpsilon && de < -kBspEpsilon) {
        number = node.Back;
        continue;
      }
      const bool start_front = ds > kBspEpsilon;
      Walk(start_front ? node.Front : node.Back);
      if (g_SegmentResult.Polygon) return;
      float negated[4];
      Negate(node.Plane, negated);
      if (start_front) {
        if (TryList(node.Lists[0], node.Plane)) return;
        if ((filter & BSPF_BOTH_SIDES) && TryList(node.Lists[1], negated)) return;
      } else {
        if (TryList(node.Lists[1], negated)) return;
        if ((filter & BSPF_BOTH_SIDES) && TryList(node.Lists[0], node.Plane)) return;
      }
      number = start_front ? node.Back : node.Front;
    }
  }

  // Whether the walk, reaching the node of the list, accepts one of the
  // node's lists (the result is then recorded): it tests them only when the
  // segment crosses the node plane, the list facing the start first.  The
  // node's plane and lists are read from the list's own record.
  bool NodeAccepts(std::uint32_t listNumber) {
    const BspTreeIndex::List& list = index->Lists[listNumber];
    const float ds = Distance(list.Plane, start), de = Distance(list.Plane, end);
    if ((ds > kBspEpsilon && de > kBspEpsilon) || (ds < -kBspEpsilon && de < -kBspEpsilon)) return false;
    const std::uint32_t positive = list.Side == 0 ? listNumber : list.Sibling;
    const std::uint32_t negative = list.Side == 0 ? list.Sibling : listNumber;
    float negated[4];
    Negate(list.Plane, negated);
    if (ds > kBspEpsilon)
      return TryList(positive, list.Plane) || ((filter & BSPF_BOTH_SIDES) && TryList(negative, negated));
    return TryList(negative, negated) || ((filter & BSPF_BOTH_SIDES) && TryList(positive, list.Plane));
  }

  // Whether the walk reaches the node: no ancestor has the segment wholly on
  // the side away from it.
  bool Reached(std::uint32_t number) const {
    for (std::uint32_t parent = index->Nodes[number].Parent; parent != BspTreeIndex::kNone;
         number = parent, parent = index->Nodes[parent].Parent) {
      const BspTreeIndex::Node& p = index->Nodes[parent];
      const float ds = Distance(p.Plane, start), de = Distance(p.Plane, end);
      if (ds > kBspEpsilon && de > kBspEpsilon && p.Front != number) return false;
      if (ds < -kBspEpsilon && de < -kBspEpsilon && p.Back != number) return false;
    }
    return true;
  }

  // Some polygon the walk could accept, found from the lists whose boxes the
  // segment meets: a node holding one accepts as the walk would and is
  // reached by it.  Answers whether one was found (the result is recorded).
  bool FindAny() {
    // A node is judged once: the marks note the nodes judged, needed only
    // where both of a node's lists could be met (marking starts then).
    bool marking = false;
    return index->ForEachListMet(probe, [&](std::uint32_t list) {
      const BspTreeIndex::List& l = index->Lists[list];
      const std::uint32_t number = l.Node;
      if (l.Sibling != BspTreeIndex::kNone) {
        if (!marking) index->ClearMarks();
        marking = true;
        if (!index->MarkOnce(number)) return false;
      }
      // The node's record, which Reached reads first, loads meanwhile.
      __builtin_prefetch(&index->Nodes[number]);
      if (!NodeAccepts(list)) return false;
      if (Reached(number)) return true;
      g_SegmentResult = BspSegmentResult{};
      return false;
    });
  }
};

}  // namespace

void SetBspSurfaceLookup(BspSurfaceLookup lookup) { g_SurfaceLookup = lookup; }

void SetBspPolygonCallback(BspPolygonCallback callback) { g_PolygonCallback = callback; }

void BspSphereQuery(const BspNode* root, const float* sphere, std::uint32_t* hit, std::uint32_t filter) {
  if (!root || !g_PolygonCallback) return;
  SphereWalk walk{root, {sphere[0], sphere[1], sphere[2]}, sphere[3], sphere, hit, filter};
  walk.Walk();
}

void BspSweepQuery(const BspNode* root, CSweptSphere* record, std::uint32_t filter) {
  if (!root) return;
  SweepWalk walk{root, record, filter};
  walk.Walk();
}

const BspPolygon* BspSegmentQuery(const BspNode* root, const CVector3& start, const CVector3& end,
                                  std::uint32_t filter) {
  g_SegmentResult = BspSegmentResult{};
  if (!root) return nullptr;
  if (const BspTreeIndex* index = FindBspTreeIndex(root)) {
    IndexedSegmentWalk walk{root, index, start, end, filter, {}};
    if (walk.probe.Set(start, end)) {
      if (index->Mark(walk.probe)) walk.Walk(0);
      return g_SegmentResult.Polygon;
    }
  }
  SegmentWalk walk{root, start, end, filter};
  walk.Walk(root);
  return g_SegmentResult.Polygon;
}

const BspPolygon* BspSegmentQueryAny(const BspNode* root, const CVector3& start, const CVector3& end,
                                     std::uint32_t filter) {
  g_SegmentResult = BspSegmentResult{};
  if (!root) return nullptr;
  if (const BspTreeIndex* index = FindBspTreeIndex(root)) {
    IndexedSegmentWalk walk{root, index, start, end, filter, {}};
    if (walk.probe.Set(start, end)) {
      walk.FindAny();
      return g_SegmentResult.Polygon;
    }
  }
  SegmentWalk walk{root, start, end, filter};
  walk.Walk(root);
  return g_SegmentResult.Polygon;
}

const BspSegmentResult& GetBspSegmentResult() { return g_SegmentResult; }

void PrefetchBspSegmentQuery(const BspNode* root) { PrefetchBspTreeIndex(root); }

int ClassifySegment(const CVector3& start, const CVector3& end, const float* plane) {
  float ds = Distance(plane, start), de = Distance(plane, end);
  if (ds > kBspEpsilon && de > kBspEpsilon) return 1;
  if (ds < -kBspEpsilon && de < -kBspEpsilon) return -1;
  return 0;
}

int SegmentCrossesPlane(const CVector3& a, const CVector3& b, const float* plane, SegmentCrossing* crossing) {
  crossing->Count = 0;
  float da = Distance(plane, a);
  int side_a = da < -kTolerance ? -1 : (da > kTolerance ? 1 : 0);
  if (side_a == 0) return 0;
  float db = Distance(plane, b);
  if (std::fabs(db) <= kTolerance) {
    *crossing = {1, 1.0f, b};
    return side_a;
  }
  if ((db > 0) == (side_a > 0)) return 0;
  float t = -da / Dot(Normal(plane), b - a);
  *crossing = {1, t, a + (b - a) * t};
  return side_a;
}

void BspClearHit() { g_SegmentResult = BspSegmentResult{}; }
