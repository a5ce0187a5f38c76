// Drawing through zones and portals.
//
// Frame: world units, y up.  A clipping frustum seen through a portal is
// bounded by one plane through the eye and each edge of the portal's
// outline (facing the outline's centre), by the portal plane (facing away
// from the eye, so that only what lies beyond the portal remains), by the
// camera's near plane and by the other planes of the frustum the portal was
// seen through.  A point p is inside a plane (n, d) when n·p + d >= 0.
#include "world/space/zone_draw.h"

#include "render/geometry/camera.h"
#include "render/geometry/frustum.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/polygon_clip.h"
#include "render/volumes/sphere.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/space/octree.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

std::uint32_t g_ZoneDrawPass = 0;

struct LeafDraw {
  const CFrustum* frustum;
  std::uint32_t pass;
};

// Each instance of a leaf once per pass (an instance may be filed in
// several leaves); the instance's own draw culls by the frustum.  It is
// stamped once drawn (or when it is not to be drawn at all): a zone seen
// through two portals shows through the second what the first one's
// frustum left out.
void DrawLeaf(OctreeNode* leaf, void* context) {
  const auto* st = static_cast<const LeafDraw*>(context);
  const OctreeInstanceList* list = leaf->List;
  if (!list) return;
  for (std::int32_t k = 0; k < list->Count; ++k) {
    CEnvInstance* i = list->Instances[k];
    if (i->PassStamp == st->pass) continue;
    if (i->Flags & (INSTF_DISABLED | INSTF_HIDDEN)) {
      i->PassStamp = st->pass;
      continue;
    }
    i->Draw(st->frustum);
    if (!i->IsDrawnThisFrame()) i->PassStamp = st->pass;
  }
}

// Whether some of the portal's outline is left inside the frustum: the
// outline clipped by the frustum's planes must keep an area of at least
// kPortalSeenArea square units.  An outline that only touches a bounding
// plane (a doorway seen edge-on through another) shows nothing, so cycles of
// portals die out at once.
constexpr float kPortalSeenArea = 1.0f;
static_assert(kPortalMaxVertices <= kMaxClipPositions);

bool OutlineInFrustum(const Portal& portal, const CFrustum& frustum) {
  static PositionClipPolygon s_Outline, s_Clipped;
  const std::uint32_t n = portal.Polygon.VertexCount < kPortalMaxVertices ? portal.Polygon.VertexCount
                                                                           : kPortalMaxVertices;
  s_Outline.Count = n;
  for (std::uint32_t k = 0; k < n; ++k) s_Outline.Positions[k] = portal.Polygon.Vertices[k];
  const int left = ClipPositionsByPlanes(s_Outline, &s_Clipped, frustum.Planes, frustum.PlaneCount);
  if (left < 3) return false;
  // Twice the area: the length of the sum of the fan's cross products.
  const CVector3* p = s_Clipped.Positions;
  CVector3 twice{0, 0, 0};
  for (int k = 1; k + 1 < left; ++k) twice = twice + geom::Cross(p[k] - p[0], p[k + 1] - p[0]);
  return geom::LengthSq(twice) >= 4.0f * kPortalSeenArea * kPortalSeenArea;
}

void SetPlane(CPlane* plane, const CVector3& n, float d) {
  plane->n = n;
  plane->d = d;
}

}  // namespace

void ZoneRecord::DrawRegistered(const CFrustum* frustum) {
  for (CEnvInstance* i = RegisteredInstances; i; i = i->ZoneLink) {
    if (i->Flags & (INSTF_DISABLED | INSTF_HIDDEN)) continue;
    // A parent-relative instance is placed by its parent's matrix: the parent goes first.
    if ((i->TransformMode == TRANSFORMMODE_PARENTRELATIVE || i->TransformMode == TRANSFORMMODE_CONNECTORRELATIVE) && i->Parent &&
        !(i->Parent->Flags & (INSTF_DISABLED | INSTF_HIDDEN)))
      i->Parent->Draw(frustum);
    i->Draw(frustum);
  }
}

void Portal::Traverse(const CFrustum& frustum, std::uint32_t pass) {
  if (!TargetZone || !TargetZone->Zone) return;
  const std::uint32_t n = Polygon.VertexCount < kPortalMaxVertices ? Polygon.VertexCount : kPortalMaxVertices;
  if (n < 3) return;
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (!camera) return;
  const CVector3 eye = camera->GetPosition();

  CFrustum clip;
  clip.PlaneCount = 0;
  clip.CornerCount = 0;
  // The portal plane, facing into the target zone (away from the eye).
  CVector3 pn{Polygon.Plane[0], Polygon.Plane[1], Polygon.Plane[2]};
  float pd = Polygon.Plane[3];
  if (geom::Dot(pn, eye) + pd > 0) pn = pn * -1.0f, pd = -pd;
  SetPlane(&clip.Planes[clip.PlaneCount++], pn, pd);
  // The camera's near plane, when the frustum given has one.
  const bool hasNear = frustum.NearPlane >= 0 && frustum.PlaneCount > frustum.NearPlane;
  if (hasNear) clip.Planes[clip.PlaneCount++] = frustum.Planes[frustum.NearPlane];
  // One plane through the eye and each edge; an edge seen end-on gives none.
  for (std::uint32_t k = 0; k < n && clip.PlaneCount < kMaxFrustumPlanes; ++k) {
    const CVector3& a = Polygon.Vertices[k];
    const CVector3& b = Polygon.Vertices[(k + 1) % n];
    CVector3 normal = geom::Cross(a - eye, b - eye);
    if (geom::LengthSq(normal) <= 1e-12f) continue;
    normal = geom::Unit(normal);
    float d = -geom::Dot(normal, eye);
    if (geom::Dot(normal, Centre) + d < 0) normal = normal * -1.0f, d = -d;
    SetPlane(&clip.Planes[clip.PlaneCount++], normal, d);
  }
  // What the portal lets through is seen only inside the frustum it was
  // reached through: that frustum's other planes bound the clip too, so
  // nothing out of view beyond a portal is drawn (nor casts a shadow).
  for (int k = 0; k < frustum.PlaneCount && clip.PlaneCount < kMaxFrustumPlanes; ++k)
    if (k != frustum.NearPlane) clip.Planes[clip.PlaneCount++] = frustum.Planes[k];
  // The portal plane bounds the far side; the near plane is the camera's.
  clip.NearPlane = hasNear ? 1 : 0;
  clip.FarPlane = 0;
  DrawZone(TargetZone, clip, pass);
}

void DrawZone(CEnvInstance* zoneRoot, const CFrustum& frustum, std::uint32_t pass, bool followPortals) {
  if (!zoneRoot || !zoneRoot->Zone) return;
  ZoneRecord& zone = *zoneRoot->Zone;
  const CCamera* camera = CCamera::GetCurrentCamera();
  for (Portal* p = followPortals ? zone.Portals : nullptr; p; p = p->Next) {
    if (p->VisitFrame != pass) p->VisitFrame = pass, p->VisitCount = 0;
    if (++p->VisitCount > kPortalVisitsPerPass) continue;
    if (!camera || !p->IsVisible(camera->GetPosition(), EnvGetBaseVisibilityScale())) continue;
    // A portal wholly outside the frustum shows nothing of the zone beyond.
    CSphere bounds;
    bounds.Set(p->Centre, p->Radius);
    if (!frustum.TestSphere(bounds, nullptr)) continue;
    if (!OutlineInFrustum(*p, frustum)) continue;
    p->Traverse(frustum, pass);
  }
  float planes[kMaxFrustumPlanes][4];
  const std::uint32_t count = static_cast<std::uint32_t>(frustum.PlaneCount);
  for (std::uint32_t k = 0; k < count; ++k) {
    const CPlane& pl = frustum.Planes[k];
    planes[k][0] = pl.n.x, planes[k][1] = pl.n.y, planes[k][2] = pl.n.z, planes[k][3] = pl.d;
  }
  LeafDraw st{&frustum, pass};
  OctreeWalkPlanes(zone.Root(), OctreePlaneSet{count, planes}, &DrawLeaf, &st);
  zone.DrawRegistered(&frustum);
}

std::uint32_t DrawZonesFromCamera(CEnvInstance* viewZone, CEnvInstance* worldRoot, bool followViewPortals) {
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (!camera) return 0;
  // Pass 0 means "never drawn": skip it when the counter wraps.
  if (++g_ZoneDrawPass == 0) ++g_ZoneDrawPass;
  const CFrustum& frustum = *camera->GetFrustum();
  if (viewZone && viewZone != worldRoot) DrawZone(viewZone, frustum, g_ZoneDrawPass, followViewPortals);
  DrawZone(worldRoot, frustum, g_ZoneDrawPass, true);
  // The pass ends with the dynamic instances that stand in a doorway and
  // belong to no one zone: seen from either side, they are culled by the
  // camera's own frustum.
  for (CEnvInstance* i = g_GlobalDynamicInstances; i; i = i->ZoneLink) {
    if (i->PassStamp == g_ZoneDrawPass) continue;
    i->PassStamp = g_ZoneDrawPass;
    if (i->Flags & (INSTF_DISABLED | INSTF_HIDDEN)) continue;
    i->Draw(&frustum);
  }
  return g_ZoneDrawPass;
}
