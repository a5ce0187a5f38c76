// Portal records: building, visibility, the prism test and twins.
#include "world/space/portal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/text/hash.h"
#include "render/geometry/geometry_ops.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

void Portal::Init() {
  *this = Portal{};
  Number = -1;
  std::strcpy(Name, "BlankPortal");
  VisitFrame = 0xFFFFFFFFu;
}

void Portal::Build(const PortalPolygon& block, CEnvInstance* owner, CEnvInstance* target, const char* name,
                   int number, bool expand) {
  if (name) {
    std::strncpy(Name, name, sizeof Name - 1);
    Name[sizeof Name - 1] = 0;
  }
  Polygon = block;
  Polygon.VertexCount = std::min<std::uint32_t>(block.VertexCount, kPortalMaxVertices);
  OwnerZone = owner;
  TargetZone = target;
  ClosedOneWay = DistanceLimited = DuplicatePoints = 0;
  Number = number < 0 ? NextPortalNumber() : number;

  const std::uint32_t n = Polygon.VertexCount;
  CVector3 centre{0, 0, 0};
  for (std::uint32_t i = 0; i < n; ++i) centre = centre + Polygon.Vertices[i];
  if (n) centre = centre * (1.0f / static_cast<float>(n));
  float radius = 0;
  for (std::uint32_t i = 0; i < n; ++i) radius = std::max(radius, geom::Length(Polygon.Vertices[i] - centre));
  if (expand) {
    for (std::uint32_t i = 0; i < n; ++i) {
      CVector3 out = Polygon.Vertices[i] - centre;
      if (geom::LengthSq(out) > 0) Polygon.Vertices[i] = Polygon.Vertices[i] + geom::Unit(out) * 100.0f;
    }
    radius += 100.0f;
  }
  Centre = centre;
  Radius = radius;
  Closed = 0;
  VisibilitySphere.Centre = centre;
  VisibilitySphere.Radius = radius;
}

bool Portal::IsVisible(const CVector3& eye, float baseVisibilityScale) const {
  if (Closed == 1) return false;
  if (DistanceLimited) {
    float range = VisibilitySphere.Radius * std::max(baseVisibilityScale, 1.0f);
    if (geom::LengthSq(eye - VisibilitySphere.Centre) > range * range) return false;
  }
  return geom::Distance(Polygon.Plane, eye) >= 0.0f;
}

bool Portal::ContainsPoint(const CVector3& point) const {
  if (geom::LengthSq(point - Centre) > Radius * Radius + 0.0001f) return false;
  const std::uint32_t n = Polygon.VertexCount;
  if (n < 3) return false;
  const CVector3 normal = geom::Normal(Polygon.Plane);
  for (std::uint32_t i = 0; i < n; ++i) {
    const CVector3& a = Polygon.Vertices[i];
    const CVector3& b = Polygon.Vertices[(i + 1) % n];
    // The edge plane holds the edge and the portal normal; its inner side is
    // the side of the centre, whatever the winding.
    CVector3 edge_normal = geom::Cross(b - a, normal);
    float inner = geom::Dot(edge_normal, Centre - a);
    float side = geom::Dot(edge_normal, point - a);
    if (inner >= 0 ? side < -1e-4f * geom::Length(edge_normal) : side > 1e-4f * geom::Length(edge_normal))
      return false;
  }
  return true;
}

bool Portal::IsCrossedBy(const CVector3& start, const CVector3& end, float* t) const {
  if (Polygon.VertexCount < 3) return false;
  float ds = geom::Distance(Polygon.Plane, start);
  float de = geom::Distance(Polygon.Plane, end);
  // From the front, or starting on the plane; the end on or behind it.
  if (ds < -geom::kTolerance || de > geom::kTolerance) return false;
  if (ds <= geom::kTolerance && de >= -geom::kTolerance && std::fabs(ds - de) <= geom::kTolerance) {
    return false;  // lying in the plane: no crossing
  }
  float f = ds <= geom::kTolerance ? 0.0f : ds / (ds - de);
  CVector3 at = start + (end - start) * f;
  if (!ContainsPoint(at)) return false;
  if (t) *t = f;
  return true;
}

Portal* Portal::FindTwin(const ZoneRecord& zone) const {
  const std::uint32_t n = Polygon.VertexCount;
  for (Portal* other = zone.Portals; other; other = other->Next) {
    if (other->TargetZone != OwnerZone || other->Polygon.VertexCount != n) continue;
    bool same = true;
    for (std::uint32_t i = 0; i < n && same; ++i) {
      const CVector3& a = Polygon.Vertices[i];
      const CVector3& b = other->Polygon.Vertices[n - 1 - i];
      same = std::fabs(a.x - b.x) <= 0.01f && std::fabs(a.y - b.y) <= 0.01f && std::fabs(a.z - b.z) <= 0.01f;
    }
    if (same) return other;
  }
  return nullptr;
}

void Portal::ProjectOntoPlane(const CVector3& point, CVector3* out) const {
  float d = geom::Distance(Polygon.Plane, point);
  CVector3 p = point - geom::Normal(Polygon.Plane) * d;
  auto snap = [](float v) { return std::fabs(v) <= 0.0001f ? 0.0f : v; };
  *out = {snap(p.x), snap(p.y), snap(p.z)};
}

std::int32_t NextPortalNumber() {
  std::int32_t largest = -1;
  for (ZoneRecord* zone = FirstLiveZone(); zone; zone = zone->NextLive)
    for (Portal* p = zone->Portals; p; p = p->Next) largest = std::max(largest, p->Number);
  return largest + 1;
}

namespace {
std::vector<std::uint32_t> g_FilterHashes;
bool g_FilterSet = false;
}  // namespace

void SetPortalNameFilter(const char* const* names) {
  g_FilterHashes.clear();
  g_FilterSet = names != nullptr;
  if (names)
    for (; *names; ++names) g_FilterHashes.push_back(HashStringNoCase(*names));
}

bool IsPortalNameFiltered(std::uint32_t nameHash) {
  return g_FilterSet && std::find(g_FilterHashes.begin(), g_FilterHashes.end(), nameHash) != g_FilterHashes.end();
}
