// A unit's movement state: its one or two collision spheres, velocity,
// movement and facing vectors, surface binding and contact list, and the
// sphere move through the world.  The units decide how to steer; this keeps
// the data and answers the queries.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"

class CEnvInstance;
class CSurface;
class CSurfaces;
struct BspPolygon;
struct WorldHit;

inline constexpr int kMoveContacts = 16;

// v moved toward 0 by |s|, stopping at 0.
float ApproachZero(float v, float s);

struct MoveContact {
  std::uint32_t Id = 0;
  std::uint32_t Value = 0;
  CVector3 Point{0, 0, 0};
};

// The surface a unit stands on: an instance, a node of its template, one of
// the node's polygons and that polygon's plane (node space).
struct SurfaceBinding {
  CEnvInstance* Instance = nullptr;
  int Node = -1;
  const BspPolygon* Polygon = nullptr;
  float Plane[4] = {0, 0, 0, 0};
};

class CMoveController {
 public:
  CMoveController();

  void SetState(std::uint32_t state);
  void SetMode(std::uint32_t mode) { Mode = mode; }
  void SetGravity(float gravity) { Gravity = gravity; }
  void SetSphereCount(std::uint32_t count) { SphereCount = count; }
  // Sphere i (0 or 1): offset from the position and radius.
  void SetSphere(int i, const CVector3& offset, float radius);
  // The lift target: x and z always; the height only while no lift is
  // pending (the stored height is 0.0).  The ground step consumes it.
  void SetTarget(const CVector3& point);
  // On the ground (the contact word set) with no lift pending.
  bool IsOnGroundIdle() const { return GroundWord != 0 && Target.y == 0.0f; }
  // Time stamp = the game clock's time.
  void StampFrame();
  // The whole vector while the vertical speed is 0, else only x and z.
  void SetVelocity(const CVector3& velocity);
  bool IsGrounded() const { return GroundWord != 0 && Velocity.y == 0.0f; }
  void ApplyFriction(CVector3* velocity, float step) const;
  CVector3 GetMoveDirection() const;
  CVector3 GetFacingDirection() const;
  float GetMoveSpeed() const;
  // Sphere i, centred at the position plus its offset, moved by point minus
  // its offset through the world with the instance hidden meanwhile.
  // Answers the zone after the move; *movedOut (may be null) gets the moved
  // sphere.
  CEnvInstance* MoveSphere(CEnvInstance* leaveOut, int i, const CVector3& point, CSphere* movedOut);
  // The height of the bound surface below the point; 0 when unbound or the
  // point is outside the polygon (the binding is kept).
  int GetSurfaceHeight(const CVector3& point, float* height) const;
  // Appends a contact; a full list (16) keeps what it has and answers 0.
  int AddContact(std::uint32_t id, std::uint32_t value, const CVector3* point);
  // The surface of the last contact's id while on the ground, else null.
  CSurface* GetLastContactObject(const CSurfaces* surfaces) const;
  void Stop(bool clearAll, bool stopMoving);
  bool IsStopped() const { return StopWord != 0 || ReleaseWord == 0; }
  // Developer overlay: each collision sphere at the position plus its offset.
  void DebugDraw() const;

  std::uint32_t SphereCount = 1;
  struct {
    CVector3 Offset{0, 0, 0};
    float Radius = 0;
  } Spheres[2];
  CVector3 Position{0, 0, 0};
  // The zone handed to the environment's sphere move.
  CEnvInstance* CollisionObject = nullptr;
  SurfaceBinding Surface;
  std::uint32_t ContactCount = 0;
  MoveContact Contacts[kMoveContacts];
  float TimeStamp = -1.0f;
  std::uint32_t GroundWord = 0;
  float Gravity = 0;
  std::uint32_t State = 1;
  std::uint32_t Mode = 0;
  std::uint32_t StateChanged = 1;
  std::uint32_t StopWord = 1;
  std::uint32_t ReleaseWord = 1;
  CVector3 MoveVector{0, 0, 0};
  CVector3 SecondDirection{0, 0, 0};
  CVector3 Velocity{0, 0, 0};
  std::uint32_t Moving = 0;
  CVector3 Target{0, 0, 0};
  // Raised whenever the spheres change; the ground step takes it down.
  std::uint32_t ShapeChanged = 0;
};

// Height of a bound object's surface below a point (a unit standing on a
// vehicle or a moving platform).  Probes take turns: each skips one frame in
// a cycle as long as the number of probes made so far.
class CGroundProbe {
 public:
  CGroundProbe();
  void Clear() { Surface.Polygon = nullptr; }
  void SetSurfaceObject(CEnvInstance* instance, int node, const BspPolygon* polygon, const float* plane);
  bool IsBound() const { return Surface.Polygon != nullptr; }
  // 1 with *height set, 0 when unbound, skipped this frame or off the
  // polygon (which unbinds the probe).
  int GetHeightBelow(const CVector3& point, float* height);
  // The segment from -> to against the bound surface; 1 with *hit (world)
  // set, else the probe unbinds and answers 0.
  int RayTest(const CVector3& from, const CVector3& to, CVector3* hit);
  int TestSegment(const CVector3& from, const CVector3& to, CVector3* hit) { return RayTest(from, to, hit); }
  // Binds the probe to the polygon a line query hit (nothing bound when the
  // hit names no polygon).
  void SetSurfaceFromHit(const WorldHit& hit);

  std::uint32_t Serial = 0;
  SurfaceBinding Surface;
};

// Probes constructed so far.
extern std::uint32_t g_GroundProbeCount;

// The height of the bound surface straight below the point (node space ray
// (0, -1, 0)); false when the point lies outside the polygon seen from above.
bool SurfaceHeightBelow(const SurfaceBinding& surface, const CVector3& point, float* height, bool* outside);
