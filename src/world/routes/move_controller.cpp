#include "world/routes/move_controller.h"

#include <cmath>

#include "render/bsp/point_in_polygon.h"
#include "render/textures/surfaces.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/routes/route_clock.h"
#include "world/space/world_hit.h"
#include "world/environment/env_object.h"

std::uint32_t g_GroundProbeCount = 0;

float ApproachZero(float v, float s) {
  const float a = std::fabs(s);
  if (v > 0) return v - a > 0 ? v - a : 0.0f;
  if (v < 0) return v + a < 0 ? v + a : 0.0f;
  return 0.0f;
}

namespace {
CVector3 Normalised(const CVector3& v) {
  const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (l == 0) return {0, 0, 0};
  return {v.x / l, v.y / l, v.z / l};
}
}  // namespace

CMoveController::CMoveController() { Spheres[0].Radius = 30.0f; }

void CMoveController::SetState(std::uint32_t state) {
  if (state != State) StateChanged = 1;
  State = state;
}

void CMoveController::SetSphere(int i, const CVector3& offset, float radius) {
  if (i != 0 && i != 1) return;
  Spheres[i].Offset = offset;
  Spheres[i].Radius = radius;
}

void CMoveController::SetTarget(const CVector3& point) {
  Target.x = point.x;
  Target.z = point.z;
  if (Target.y == 0.0f) Target.y = point.y;
}

void CMoveController::StampFrame() { TimeStamp = static_cast<float>(RouteGameTime()); }

void CMoveController::SetVelocity(const CVector3& velocity) {
  if (Velocity.y == 0.0f) {
    Velocity = velocity;
  } else {
    Velocity.x = velocity.x;
    Velocity.z = velocity.z;
  }
  Moving = 1;
}

void CMoveController::ApplyFriction(CVector3* velocity, float step) const {
  float dx = velocity->x, dz = velocity->z;
  if (dx != 0 || dz != 0) {
    const float l = std::sqrt(dx * dx + dz * dz);
    dx /= l;
    dz /= l;
  }
  if (IsGrounded()) {
    velocity->x = ApproachZero(velocity->x, 2.0f * std::fabs(dx * step));
    velocity->z = ApproachZero(velocity->z, 2.0f * std::fabs(dz * step));
  }
  velocity->y = ApproachZero(velocity->y, step);
}

CVector3 CMoveController::GetMoveDirection() const { return Normalised(MoveVector); }

CVector3 CMoveController::GetFacingDirection() const { return Normalised(SecondDirection); }

float CMoveController::GetMoveSpeed() const {
  return std::sqrt(MoveVector.x * MoveVector.x + MoveVector.y * MoveVector.y + MoveVector.z * MoveVector.z);
}

CEnvInstance* CMoveController::MoveSphere(CEnvInstance* leaveOut, int i, const CVector3& point, CSphere* movedOut) {
  if (i != 0 && i != 1) return nullptr;
  bool wasVisible = true;
  if (leaveOut) wasVisible = leaveOut->SetVisible(false, false);
  const CVector3& offset = Spheres[i].Offset;
  CSphere sphere;
  sphere.Set({Position.x + offset.x, Position.y + offset.y, Position.z + offset.z}, Spheres[i].Radius);
  const CVector3 move{point.x - offset.x, point.y - offset.y, point.z - offset.z};
  CEnvInstance* zone = nullptr;
  if (g_Environment) zone = g_Environment->MoveSphere(CollisionObject, &sphere, move, 0, nullptr);
  if (leaveOut) leaveOut->SetVisible(wasVisible, false);
  if (movedOut) *movedOut = sphere;
  return zone;
}

int CMoveController::GetSurfaceHeight(const CVector3& point, float* height) const {
  if (!Surface.Polygon) return 0;
  bool outside = false;
  return SurfaceHeightBelow(Surface, point, height, &outside) ? 1 : 0;
}

int CMoveController::AddContact(std::uint32_t id, std::uint32_t value, const CVector3* point) {
  // The list is a fixed array: a full one keeps what it has.
  if (ContactCount >= static_cast<std::uint32_t>(kMoveContacts)) return 0;
  MoveContact& c = Contacts[ContactCount++];
  c.Id = id;
  c.Value = value;
  c.Point = point ? *point : CVector3{0, 0, 0};
  return 1;
}

CSurface* CMoveController::GetLastContactObject(const CSurfaces* surfaces) const {
  if (GroundWord == 0 || ContactCount == 0 || !surfaces) return nullptr;
  return surfaces->GetSurface(Contacts[ContactCount - 1].Id);
}

void CMoveController::Stop(bool clearAll, bool stopMoving) {
  if (clearAll && stopMoving) {
    Velocity = MoveVector = SecondDirection = {0, 0, 0};
    Moving = 0;
  } else if (stopMoving) {
    Moving = 0;
  }
  StopWord = ReleaseWord = clearAll ? 0 : 1;
}

// --- ground probes ----------------------------------------------------------------------------

bool SurfaceHeightBelow(const SurfaceBinding& s, const CVector3& point, float* height, bool* outside) {
  *outside = false;
  if (!s.Instance || !s.Polygon) return false;
  CVector3 local, below;
  s.Instance->WorldToLocal(s.Node, point, &local);
  if (!PointInPolygonXZ(local, s.Polygon)) {
    *outside = true;
    return false;
  }
  s.Instance->WorldToLocal(s.Node, {point.x, point.y - 1.0f, point.z}, &below);
  const CVector3 d{below.x - local.x, below.y - local.y, below.z - local.z};
  const float denom = s.Plane[0] * d.x + s.Plane[1] * d.y + s.Plane[2] * d.z;
  if (denom == 0) return false;
  const float t = -(s.Plane[0] * local.x + s.Plane[1] * local.y + s.Plane[2] * local.z + s.Plane[3]) / denom;
  CVector3 world;
  s.Instance->LocalToWorld(s.Node, {local.x + d.x * t, local.y + d.y * t, local.z + d.z * t}, &world);
  *height = world.y;
  return true;
}

CGroundProbe::CGroundProbe() { Serial = g_GroundProbeCount++; }

void CGroundProbe::SetSurfaceObject(CEnvInstance* instance, int node, const BspPolygon* polygon, const float* plane) {
  Surface.Instance = instance;
  Surface.Node = node;
  Surface.Polygon = polygon;
  for (int k = 0; k < 4; ++k) Surface.Plane[k] = plane ? plane[k] : 0.0f;
}

void CGroundProbe::SetSurfaceFromHit(const WorldHit& hit) {
  if (hit.Instance == nullptr || hit.Polygon == nullptr) {
    Clear();
    return;
  }
  SetSurfaceObject(hit.Instance, hit.Node != nullptr ? hit.Node->NodeIndex : -1, hit.Polygon, hit.Plane);
}

int CGroundProbe::GetHeightBelow(const CVector3& point, float* height) {
  if (!Surface.Polygon) return 0;
  if (g_GroundProbeCount != 0 && RouteRealFrameCount() % g_GroundProbeCount == 2 * Serial) return 0;
  bool outside = false;
  if (SurfaceHeightBelow(Surface, point, height, &outside)) return 1;
  if (outside) Clear();
  return 0;
}

int CGroundProbe::RayTest(const CVector3& from, const CVector3& to, CVector3* hit) {
  if (!Surface.Polygon || !Surface.Instance) return 0;
  CVector3 a, b;
  Surface.Instance->WorldToLocal(Surface.Node, from, &a);
  Surface.Instance->WorldToLocal(Surface.Node, to, &b);
  const float* p = Surface.Plane;
  const float da = p[0] * a.x + p[1] * a.y + p[2] * a.z + p[3];
  const float db = p[0] * b.x + p[1] * b.y + p[2] * b.z + p[3];
  if (da == db || (da > 0 && db > 0) || (da < 0 && db < 0)) {
    Clear();
    return 0;
  }
  const float t = da / (da - db);
  const CVector3 local{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
  if (!PointInPolygon(p, local, Surface.Polygon)) {
    Clear();
    return 0;
  }
  Surface.Instance->LocalToWorld(Surface.Node, local, hit);
  return 1;
}
