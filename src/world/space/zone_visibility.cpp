// Zone visibility through portals.
#include "world/space/zone_visibility.h"

#include <algorithm>
#include <cmath>

#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/space/octree.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

constexpr std::uint32_t kMaxPortalVisits = 8;

struct WalkState {
  const ZoneViewVolume* volume;
  std::uint32_t pass;
  ZoneInstanceVisitor visitor;
  void* context;
  std::vector<CEnvInstance*>* seen;
};

bool SphereInVolume(const ZoneViewVolume& v, const CSphere& s) {
  for (const auto& p : v.Planes)
    if (p[0] * s.Centre.x + p[1] * s.Centre.y + p[2] * s.Centre.z + p[3] < -s.Radius) return false;
  return true;
}

void VisitLeaf(OctreeNode* leaf, void* context) {
  auto* st = static_cast<WalkState*>(context);
  const OctreeInstanceList* list = leaf->List;
  if (!list) return;
  for (std::int32_t k = 0; k < list->Count; ++k) {
    CEnvInstance* i = list->Instances[k];
    if (i->Flags & (INSTF_DISABLED | INSTF_HIDDEN)) continue;
    if (std::find(st->seen->begin(), st->seen->end(), i) != st->seen->end()) continue;
    i->UpdateBoundingSphere();
    if (!SphereInVolume(*st->volume, i->GetWorldSphere())) continue;
    st->seen->push_back(i);
    st->visitor(i, st->context);
  }
}

// Whether some part of the polygon may lie in the volume: no plane has every
// vertex outside it.
bool PolygonInVolume(const ZoneViewVolume& v, const Portal& p) {
  for (const auto& pl : v.Planes) {
    bool any_inside = false;
    for (std::uint32_t k = 0; k < p.Polygon.VertexCount && !any_inside; ++k) {
      const CVector3& q = p.Polygon.Vertices[k];
      any_inside = pl[0] * q.x + pl[1] * q.y + pl[2] * q.z + pl[3] >= -1e-3f;
    }
    if (!any_inside) return false;
  }
  return true;
}

// The volume seen through a portal from the eye: the current planes, a plane
// through the eye and each edge facing the portal's centre, and the portal
// plane facing away from the eye.
ZoneViewVolume Narrow(const ZoneViewVolume& v, const Portal& p, const CVector3& eye) {
  ZoneViewVolume out = v;
  const std::uint32_t n = p.Polygon.VertexCount;
  for (std::uint32_t k = 0; k < n; ++k) {
    const CVector3& a = p.Polygon.Vertices[k];
    const CVector3& b = p.Polygon.Vertices[(k + 1) % n];
    CVector3 normal = geom::Unit(geom::Cross(a - eye, b - eye));
    float d = -geom::Dot(normal, eye);
    if (geom::Dot(normal, p.Centre) + d < 0) normal = normal * -1.0f, d = -d;
    if (geom::LengthSq(normal) > 0) out.Planes.push_back({normal.x, normal.y, normal.z, d});
  }
  out.Planes.push_back({-p.Polygon.Plane[0], -p.Polygon.Plane[1], -p.Polygon.Plane[2], -p.Polygon.Plane[3]});
  return out;
}

void WalkZone(CEnvInstance* zoneRoot, const CVector3& eye, const ZoneViewVolume& volume, std::uint32_t pass,
              float scale, ZoneInstanceVisitor visitor, void* context, std::vector<CEnvInstance*>* seen) {
  if (!zoneRoot || !zoneRoot->Zone) return;
  ZoneRecord& zone = *zoneRoot->Zone;
  std::vector<std::array<float, 4>> planes = volume.Planes;
  float raw[64][4];
  std::uint32_t count = static_cast<std::uint32_t>(std::min<std::size_t>(planes.size(), 64));
  for (std::uint32_t k = 0; k < count; ++k)
    for (int j = 0; j < 4; ++j) raw[k][j] = planes[k][static_cast<std::size_t>(j)];
  WalkState st{&volume, pass, visitor, context, seen};
  OctreeWalkPlanes(zone.Root(), OctreePlaneSet{count, raw}, &VisitLeaf, &st);
  for (CEnvInstance* i = zone.RegisteredInstances; i; i = i->ZoneLink) {
    if (std::find(seen->begin(), seen->end(), i) != seen->end()) continue;
    i->UpdateBoundingSphere();
    if (!SphereInVolume(volume, i->GetWorldSphere())) continue;
    seen->push_back(i);
    visitor(i, context);
  }
  for (Portal* p = zone.Portals; p; p = p->Next) {
    if (!p->TargetZone || p->Polygon.VertexCount < 3) continue;
    if (p->VisitFrame != pass) p->VisitFrame = pass, p->VisitCount = 0;
    if (++p->VisitCount > kMaxPortalVisits) continue;
    if (!p->IsVisible(eye, scale) || !PolygonInVolume(volume, *p)) continue;
    WalkZone(p->TargetZone, eye, Narrow(volume, *p, eye), pass, scale, visitor, context, seen);
  }
}

}  // namespace

void WalkVisibleZones(CEnvInstance* zoneRoot, const CVector3& eye, const ZoneViewVolume& volume, std::uint32_t pass,
                      float baseVisibilityScale, ZoneInstanceVisitor visitor, void* context) {
  if (!visitor) return;
  std::vector<CEnvInstance*> seen;
  WalkZone(zoneRoot, eye, volume, pass, baseVisibilityScale, visitor, context, &seen);
}
