// The result record of the world's line and sphere queries.  Cleared to zero
// before each query; Flags says which fields are valid.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CEnvObject;
struct BspPolygon;

// Flag bits of WorldHit::Flags.
enum WorldHitFlags : std::uint32_t {
  WHF_BOUNDS = 0x1,          // a bounds hit was recorded (with 0x4)
  WHF_POINT = 0x2,           // a point is recorded
  WHF_BOUNDS_2 = 0x4,
  WHF_SURFACE_COPIED = 0x20, // surface data copied for a bounds-only result
  WHF_SURFACE = 0x40,        // surface data present
  WHF_POLYGON = 0x80,        // a polygon hit was recorded (with 0x200: the point is valid)
  WHF_POLYGON_POINT = 0x200,
  WHF_OWNER = 0x400,         // the owner field is valid
  WHF_SURFACE_HIT = 0x800,   // a polygon or glass hit
  WHF_GLASS = 0x4000,        // a glass hit (with 0x8000)
  WHF_GLASS_2 = 0x8000,
  WHF_GLASS_FRONT = 0x10000, // the pane was hit from its front side
};
inline constexpr std::uint32_t kZoneWalkHitFlags = 0xA83;
inline constexpr std::uint32_t kFlatHitFlags = 0x287;
inline constexpr std::uint32_t kGlassHitFlags = 0xC800;

struct WorldHit {
  std::uint32_t Hit;            // 1 when something was hit
  std::uint32_t ContactWord;    // sphere sweeps: OR of what the walks report
  std::uint32_t ContactKind;    // sphere sweeps: kind of the nearest contact (2 to 5)
  std::uint32_t Flags;
  CVector3 Point;               // in the hit node's local space (LocalToWorld converts it)
  CVector3 EntryPoint;          // where the segment entered the hit instance's bounds
  CVector3 SurfaceData;
  CVector3 BoundsEntry;
  CEnvInstance* Instance;
  const CEnvObject* Node;
  const BspPolygon* Polygon;
  float Plane[4];               // local plane of the hit polygon or glass pane
  std::uint32_t Reserved;
  std::uint32_t Owner;
  float Distance;               // 0 at the segment start, 1 at its end (smaller is nearer)
  std::int32_t Pane;
  CVector3 GlassPoint;
  // Sweeps: the contact point in world space and the world normal of the
  // surface met, and the travel along the sweep direction to the contact.
  CVector3 WorldPoint;
  CVector3 WorldNormal;
  std::uint32_t StartedInside;
};
