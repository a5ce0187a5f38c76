#include "render/geometry/frustum.h"

#include <cmath>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/camera.h"
#include "render/debug/debug_draw.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/matrix.h"
#include "render/volumes/oriented_box.h"
#include "render/geometry/polygon_clip.h"
#include "render/device/render.h"
#include "render/volumes/sphere.h"

namespace {
constexpr float kTolerance = 7.6e-6f;

using geom::operator+;
using geom::operator-;
using geom::operator*;

CPlane PlaneFromPoints(const CVector3& a, const CVector3& b, const CVector3& c) {
  CPlane p;
  p.FromPoints(a, b, c);
  return p;
}

CPlane PlaneFromNormalAndPoint(const CVector3& n, const CVector3& p) {
  CPlane plane;
  plane.FromNormalAndPoint(n, p);
  return plane;
}

int SideOf(float distance) { return distance < -kTolerance ? -1 : (distance > kTolerance ? 1 : 0); }
}  // namespace

void CFrustum::BuildFromCamera(const CCamera& camera) {
  // The quad one unit ahead of the eye spans tan(fov/2) up and down and
  // tan(fov/2)·width/height to the sides (the field of view is vertical).
  const float t = std::tan(camera.GetFieldOfView() * (1.0f / 360.0f) * 2.0f * 3.14159265f * 0.5f);
  const float width = camera.GetViewportWidth(), height = camera.GetViewportHeight();
  const float hw = height > 0.0f ? t * width / height : t;
  const float hh = t;
  const CVector3 eye = camera.GetPosition();
  const CVector3 forward = camera.GetForward(), right = camera.GetRight(), up = camera.GetUp();
  const CVector3 n = eye + forward;
  const CVector3 f = eye + forward * camera.GetFarClip();
  Corners[0] = n - right * hw - up * hh;
  Corners[1] = n + right * hw - up * hh;
  Corners[2] = n + right * hw + up * hh;
  Corners[3] = n - right * hw + up * hh;
  Planes[0] = PlaneFromPoints(Corners[1], eye, Corners[0]);
  Planes[1] = PlaneFromPoints(Corners[2], eye, Corners[1]);
  Planes[2] = PlaneFromPoints(Corners[3], eye, Corners[2]);
  Planes[3] = PlaneFromPoints(Corners[0], eye, Corners[3]);
  Planes[4] = PlaneFromNormalAndPoint(forward, eye);
  Planes[5] = PlaneFromNormalAndPoint(geom::operator-(forward), f);
  PlaneCount = 6;
  NearPlane = 4;
  FarPlane = 5;
  for (int k = 0; k < 4; ++k) {
    Vector3 hit;
    float tHit = 0.0f;
    if (Planes[5].IntersectLine(eye, Corners[k], &hit, &tHit))
      Corners[k + 4] = hit;
    else
      Corners[k + 4] = Corners[k];
  }
  CornerCount = 8;
}

void CFrustum::BuildPlanes() {
  Planes[0] = PlaneFromPoints(Corners[1], Corners[4], Corners[0]);
  Planes[1] = PlaneFromPoints(Corners[2], Corners[5], Corners[1]);
  Planes[2] = PlaneFromPoints(Corners[3], Corners[6], Corners[2]);
  Planes[3] = PlaneFromPoints(Corners[0], Corners[7], Corners[3]);
  Planes[4] = PlaneFromPoints(Corners[0], Corners[2], Corners[1]);
  Planes[5] = PlaneFromPoints(Corners[4], Corners[5], Corners[6]);
  NearPlane = 4;
  FarPlane = 5;
  PlaneCount = 6;
}

void CFrustum::BuildFromBox(const CVector3& min, const CVector3& max, const CMatrix* matrix) {
  Corners[0] = {min.x, min.y, max.z};
  Corners[1] = {max.x, min.y, max.z};
  Corners[2] = {max.x, max.y, max.z};
  Corners[3] = {min.x, max.y, max.z};
  Corners[4] = {min.x, min.y, min.z};
  Corners[5] = {max.x, min.y, min.z};
  Corners[6] = {max.x, max.y, min.z};
  Corners[7] = {min.x, max.y, min.z};
  CornerCount = 8;
  if (matrix != nullptr) TransformCorners(*matrix);
  BuildPlanes();
}

void CFrustum::BuildFromOrientedBox(const COrientedBox& box) {
  const CVector3 a = box.Axis[0] * box.Extent[0];
  const CVector3 b = box.Axis[1] * box.Extent[1];
  const CVector3 c = box.Axis[2] * box.Extent[2];
  const CVector3 centre = box.Centre;
  Corners[0] = centre - a - b + c;
  Corners[1] = centre + a - b + c;
  Corners[2] = centre + a + b + c;
  Corners[3] = centre - a + b + c;
  Corners[4] = centre - a - b - c;
  Corners[5] = centre + a - b - c;
  Corners[6] = centre + a + b - c;
  Corners[7] = centre - a + b - c;
  CornerCount = 8;
  BuildPlanes();
}

void CFrustum::SetSweepCorners(const CVector3& origin, const CVector3& dir, const CVector3& u, const CVector3& v,
                               float s, float length) {
  const CVector3 su = u * s, sv = v * s, sweep = dir * length;
  Corners[0] = origin - su - sv;
  Corners[1] = origin + su - sv;
  Corners[2] = origin + su + sv;
  Corners[3] = origin - su + sv;
  for (int k = 0; k < 4; ++k) Corners[k + 4] = Corners[k] + sweep;
  CornerCount = 8;
  PlaneCount = 0;
}

void CFrustum::BuildFromSweep(const CVector3& origin, const CVector3& dir, const CVector3& u, const CVector3& v,
                              float s, float length) {
  SetSweepCorners(origin, dir, u, v, s, length);
  BuildPlanes();
  // Near and far planes face into the swept volume, like the side planes:
  // along dir through the start rectangle, against it through the end one.
  Planes[4] = PlaneFromNormalAndPoint(dir, Corners[0]);
  Planes[5] = PlaneFromNormalAndPoint(geom::operator-(dir), Corners[7]);
}

void CFrustum::TransformCorners(const CMatrix& matrix) {
  CVector3 moved[8];
  matrix.TransformPoints(8, Corners, moved);
  for (int k = 0; k < 8; ++k) Corners[k] = moved[k];
}

int CFrustum::ContainsPoint(const CVector3& point) const {
  if (PlaneCount < 1) return 1;
  const Vector3 p = point;
  for (int i = 0; i < PlaneCount; ++i)
    if (Planes[i].Distance(p) < -kTolerance) return 0;
  return 1;
}

int CFrustum::TestSphere(const CSphere& sphere, bool* straddles) const {
  if (straddles != nullptr) *straddles = false;
  if (PlaneCount < 1) return 1;
  const Vector3 centre = sphere.Centre;
  for (int i = 0; i < PlaneCount; ++i) {
    const float d = Planes[i].Distance(centre);
    const float distance = std::fabs(d);
    if (distance > sphere.Radius && SideOf(d) == -1) return 0;
    if (distance < sphere.Radius && straddles != nullptr) *straddles = true;
  }
  return 1;
}

int CFrustum::ClassifyPlane(const CPlane& plane) const {
  if (CornerCount < 2) return 0;
  const int side = SideOf(plane.Distance(Corners[0]));
  for (int k = 1; k < CornerCount && k < 8; ++k)
    if (SideOf(plane.Distance(Corners[k])) != side) return 0;
  return side;
}

bool CFrustum::IsPolygonVisible(const PositionClipPolygon& polygon) const {
  static PositionClipPolygon s_Result;
  return ClipPositionsByPlanes(polygon, &s_Result, Planes, PlaneCount) >= 3;
}

bool CFrustum::IsBspPolygonVisible(const BspPolygon* polygon) const {
  static PositionClipPolygon s_Copy;
  if (polygon == nullptr || polygon->VertexCount > kMaxClipPositions) return false;
  s_Copy.Count = polygon->VertexCount;
  for (unsigned k = 0; k < polygon->VertexCount; ++k) s_Copy.Positions[k] = geom::V(polygon->Vertex(k));
  return IsPolygonVisible(s_Copy);
}

void CFrustum::DebugDraw() const {
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (camera == nullptr || g_Render == nullptr || CornerCount < 8) return;
  CVector3 screen[8];
  bool inFront[8];
  for (int k = 0; k < 8; ++k) inFront[k] = camera->ProjectToScreen(&Corners[k], &screen[k], 1) == 1;

  constexpr DWORD kNear = 0xFF0000FF, kFar = 0xFF00FF00;
  const DWORD oldZ = g_Render->SetZEnable(0);
  const DWORD oldFog = g_Render->SetFogEnable(0);
  auto edge = [&](int a, int b, DWORD ca, DWORD cb) {
    if (!inFront[a] || !inFront[b]) return;
    const float p0[2] = {screen[a].x, screen[a].y};
    const float p1[2] = {screen[b].x, screen[b].y};
    DrawDebugLine2D(p0, p1, ca, cb);
  };
  for (int k = 0; k < 4; ++k) edge(k, (k + 1) % 4, kNear, kNear);
  for (int k = 0; k < 4; ++k) edge(k, k + 4, kNear, kFar);
  for (int k = 0; k < 4; ++k) edge(4 + k, 4 + (k + 1) % 4, kFar, kFar);
  g_Render->SetZEnable(oldZ);
  g_Render->SetFogEnable(oldFog);
}

int CFrustum::TestBox(const CBoundingBox&) const { return 1; }
