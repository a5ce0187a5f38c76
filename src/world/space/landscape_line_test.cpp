// The ground test through zones: the zone walk from each zone near the
// segment's start, keeping the surface whose position along the segment is
// nearest to a target position (so that a unit between two floors finds the
// floor at its own height, not the topmost one).
//
// Frame: world units, y up, row vectors.  A node's segment is the world
// segment carried through the node's inverse matrix, so a position measured
// along the local segment is the position along the world segment too.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "render/bsp/bsp_query.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/octree.h"
#include "world/space/portal.h"
#include "world/space/world_queries.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

// Zones whose centre lies within this many half sizes of the start are walked.
constexpr float kZoneReach = 1.4122f;
// Mesh flag of templates the ground test leaves out with WQF_SKIP_BIT29.
constexpr std::uint32_t kMeshFlagNoGround = 0x100;
// Past each surface the next ray test starts this far on.
constexpr float kStepPast = 0.1f;
// Portal walks nest at most this deep (a chain of rooms longer than any level's).
constexpr int kMaxDepth = 64;

const BspNode* NodeTree(const CEnvObject* node) {
  return node->CollisionBsp ? node->CollisionBsp : node->Bsp;
}

// The BSP filter bits from the query flags: 0x80, 0x100, 0x400 ... 0x4000
// become 1, 2, 4 ... 64.
std::uint32_t FilterBits(std::uint32_t flags) {
  static const std::uint32_t from[7] = {0x80, 0x100, 0x400, 0x800, 0x1000, 0x2000, 0x4000};
  std::uint32_t bits = 0;
  for (int i = 0; i < 7; ++i)
    if (flags & from[i]) bits |= 1u << i;
  return bits;
}

struct Walk {
  CVector3 start, end;   // the whole query segment
  float target;
  std::uint32_t flags;
  std::uint32_t filter;
  std::uint32_t stamp;   // portals entered by this query carry it
  WorldHit* hit;
  std::vector<CEnvInstance*> gathered;
};

void CollectLeaf(OctreeNode* leaf, void* context) {
  auto* out = static_cast<std::vector<CEnvInstance*>*>(context);
  if (const OctreeInstanceList* list = leaf->List) out->insert(out->end(), list->Instances, list->Instances + list->Count);
}

void Record(Walk& w, CEnvInstance* instance, const CEnvObject* node, const CMatrix& toWorld, float diff) {
  const BspSegmentResult& r = GetBspSegmentResult();
  WorldHit* hit = w.hit;
  hit->Hit = 1;
  hit->Point = r.Point;
  hit->Instance = instance;
  hit->Node = node;
  hit->Polygon = r.Polygon;
  std::memcpy(hit->Plane, r.Plane, sizeof hit->Plane);
  hit->Distance = diff;
  hit->Flags |= kZoneWalkHitFlags;
  if (instance->Flags & 0x1) {
    hit->Flags |= WHF_OWNER;
    hit->Owner = 1;
  } else {
    hit->Flags &= ~static_cast<std::uint32_t>(WHF_OWNER);
    hit->Owner = 0;
  }
  toWorld.TransformPoint(r.Point, &hit->WorldPoint);
}

// The nearest-to-target rule on one node: ray-test again past each surface
// found until the surfaces move away from the target or none is left.
void TestNode(Walk& w, CEnvInstance* instance, const CEnvObject* node, const CMatrix& toWorld,
              const CMatrix& toLocal) {
  const BspNode* tree = NodeTree(node);
  if (!tree) return;
  if ((w.flags & WQF_SKIP_BIT29) && (node->Flags & kMeshFlagNoGround)) return;
  CVector3 ls, le;
  toLocal.TransformPoint(w.start, &ls);
  toLocal.TransformPoint(w.end, &le);
  const float whole = geom::Length(le - ls);
  if (whole <= 0) return;
  const CVector3 dir = (le - ls) * (1.0f / whole);
  CVector3 from = ls;
  float previous = 1e30f;
  for (int guard = 0; guard < 256; ++guard) {
    if (!BspSegmentQuery(tree, from, le, w.filter)) break;
    const CVector3 p = GetBspSegmentResult().Point;
    const float f = geom::Length(p - ls) / whole;
    const float diff = std::fabs(f - w.target);
    if (diff < w.hit->Distance) {
      Record(w, instance, node, toWorld, diff);
    } else if (previous < diff) {
      break;  // the surfaces now lead away from the target
    }
    previous = diff;
    from = p + dir * kStepPast;
    if (geom::Dot(le - from, dir) <= 0) break;
  }
}

void TestInstance(Walk& w, CEnvInstance* instance) {
  if (instance->Flags & INSTF_DISABLED) return;
  if ((w.flags & WQF_SKIP_FLAG64) && (instance->Flags & 64)) return;
  const CEnvObject* t = instance->Template;
  if (!t) return;
  if (t->TemplateKind == OTYPE_TRANSFORMANIM) {
    for (const CEnvObject* node = t; node; node = node->NextNode) {
      if (node->Flags & EOF_CONNECTOR) continue;
      const CMatrix* m = instance->GetNodeWorldMatrix(node->NodeIndex);
      const CMatrix toWorld = m ? *m : instance->GetWorldMatrix();
      CMatrix toLocal;
      if (!toWorld.Invert(&toLocal, nullptr)) continue;
      TestNode(w, instance, node, toWorld, toLocal);
    }
    return;
  }
  TestNode(w, instance, t, instance->GetWorldMatrix(), instance->GetInverseWorldMatrix());
}

// One zone: its instances on the segment, then the open portals the
// segment crosses from the front inside the polygon, each once a query.
void WalkZone(Walk& w, CEnvInstance* zoneRoot, const CVector3& a, int depth) {
  if (!zoneRoot || !zoneRoot->Zone || depth > kMaxDepth) return;
  const ZoneRecord& zone = *zoneRoot->Zone;
  std::vector<CEnvInstance*> instances;
  OctreeWalkSegment(zone.Root(), a, w.end, &CollectLeaf, &instances);
  for (CEnvInstance* i = zone.RegisteredInstances; i; i = i->ZoneLink) instances.push_back(i);
  for (CEnvInstance* i : instances) {
    // An instance filed in several leaves, or met through another zone, is tested once.
    if (std::find(w.gathered.begin(), w.gathered.end(), i) != w.gathered.end()) continue;
    w.gathered.push_back(i);
    TestInstance(w, i);
  }
  for (Portal* p = zone.Portals; p; p = p->Next) {
    if (p->Closed == 1 || p->QueryStamp == w.stamp) continue;
    CPlane plane = geom::AsPlane(p->Polygon.Plane);
    Vector3 cross;
    float f;
    if (!plane.IntersectSegmentFront(a, w.end, &cross, &f)) continue;
    if (!p->ContainsPoint(cross)) continue;
    p->QueryStamp = w.stamp;
    if (p->TargetZone == zoneRoot) continue;
    // On from the crossing, pulled 0.1 back along the portal normal.
    const CVector3 n{p->Polygon.Plane[0], p->Polygon.Plane[1], p->Polygon.Plane[2]};
    WalkZone(w, p->TargetZone, CVector3{cross.x, cross.y, cross.z} + n * kStepPast, depth + 1);
  }
}

}  // namespace

int CWorldQueries::LineTestLandscape(const CVector3& start, const CVector3& end, float target, WorldHit* hit,
                                     std::uint32_t flags) {
  *hit = WorldHit{};
  hit->Distance = 1e8f;  // here: the best |position - target|
  if (!g_Environment) return 0;
  CEnvironment& env = *g_Environment;
  Walk w{start, end, target, flags, FilterBits(flags), AdvanceQueryStamp(), hit, {}};
  for (std::uint32_t k = 0; k < env.StaticCount; ++k) {
    CEnvInstance* root = env.StaticArray[k];
    if (!root || !root->Zone) continue;
    CVector3 centre;
    root->Zone->GetCentre(&centre);
    const float reach = kZoneReach * root->Zone->GetHalfSize();
    const float dx = centre.x - start.x, dz = centre.z - start.z;
    if (dx * dx + dz * dz > reach * reach) continue;
    WalkZone(w, root, start, 0);
  }
  return static_cast<int>(hit->Hit);
}

Portal* CWorldQueries::FindPortalCrossed(CEnvInstance* zone, const CVector3& start, const CVector3& end) {
  CEnvInstance* root = zone ? zone->GetRoot() : nullptr;
  if (!root || !root->Zone) return nullptr;
  return root->Zone->FindPortalCrossed(start, end);
}
