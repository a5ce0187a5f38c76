// Portals: flat convex polygons through which one zone sees into another.
// Drawing and line queries start in one zone and follow the portals of that
// zone into the next; a closed portal is never seen or walked through.
// World units, y up; a plane is normal x, y, z and distance d (n·p + d = 0),
// its front side the side the normal points to.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"

class CEnvInstance;
class CFrustum;
struct ZoneRecord;

inline constexpr int kPortalMaxVertices = 32;
// Allocation category of portal records.
inline constexpr int kPortalMemoryCategory = 15;

// The 101-word polygon block a portal is built from: plane, vertex count and
// 32 vertex slots.
struct PortalPolygon {
  float Plane[4];
  std::uint32_t VertexCount;   // at most 32
  CVector3 Vertices[kPortalMaxVertices];
};

struct Portal {
  std::int32_t Number;          // unique in the level; -1 before it is given
  Portal* Next;                 // next portal of the same zone
  char Name[64];                // "BlankPortal", or "%s:%d" of the owner's id text and a running count
  std::uint32_t VisitFrame;     // draw pass that last followed the portal
  std::uint32_t VisitCount;     // how often it was followed in that pass
  void* Links[2];               // left null
  PortalPolygon Polygon;
  std::uint32_t ClosedOneWay;
  std::uint32_t DistanceLimited;   // seen only within a range of its sphere
  std::uint32_t DuplicatePoints;   // the outline repeats a point
  CVector3 Centre;              // mean of the vertices
  float Radius;                 // largest vertex distance from the centre
  CSphere VisibilitySphere;     // used by the distance check of IsVisible
  CEnvInstance* OwnerZone;      // the zone root whose list holds the portal
  CEnvInstance* TargetZone;     // the zone root it leads into
  std::uint32_t Closed;         // 1: never seen or walked through
  std::uint32_t QueryStamp;     // line query that last entered it

  // Name "BlankPortal", number -1, flags, zones, visit state and spheres cleared.
  void Init();
  // Copies the block (a count above 32 is cut to 32), stores the zones and
  // name, takes NextPortalNumber() for a negative number; centre = vertex
  // mean, radius = farthest vertex.  With expand every vertex is pushed 100
  // units away from the centre (a vertex on the centre stays) and the radius
  // grows by 100.  The portal starts open with its own sphere as visibility sphere.
  void Build(const PortalPolygon& block, CEnvInstance* owner, CEnvInstance* target, const char* name, int number,
             bool expand);
  // False when closed, when distance-limited and the eye is farther from the
  // visibility sphere's centre than its radius times max(base scale, 1), or
  // when the eye is behind the plane.
  bool IsVisible(const CVector3& eye, float baseVisibilityScale) const;
  // Whether the point lies in the portal's prism: within its sphere (squared
  // distance at most radius² + 0.0001) and on the inner side of every edge
  // plane (the plane through an edge along the portal normal).
  bool ContainsPoint(const CVector3& point) const;
  // Whether the segment meets the plane from the front (or starts on it) at a
  // point inside the polygon; the crossing factor in *t (may be null).
  bool IsCrossedBy(const CVector3& start, const CVector3& end, float* t) const;
  // The portal of the zone whose target is this portal's owner and whose
  // vertices are this one's in reverse order, within 0.01 per coordinate.
  Portal* FindTwin(const ZoneRecord& zone) const;
  // The point moved onto the plane, coordinates within 0.0001 of 0 set to 0.
  void ProjectOntoPlane(const CVector3& point, CVector3* out) const;
  // Draws the target zone (DrawZone) through the frustum that the portal's
  // outline leaves of `frustum`, seen from the current camera: planes through
  // the eye and each edge, the portal plane and the camera's near plane.
  // Nothing without a target zone, with fewer than 3 vertices or without a
  // current camera.
  void Traverse(const CFrustum& frustum, std::uint32_t pass);
  // Draws the polygon translucent (red closed one-way, magenta duplicate
  // points, white otherwise) with lines to the owner's and target's spheres.
  void DrawDebug() const;
};

// The largest number of any portal of any live zone, plus 1 (0 with none).
std::int32_t NextPortalNumber();

// A list of names whose portals are left out, ended by a null; null clears it.
void SetPortalNameFilter(const char* const* names);
// Whether the hash is one of the filter's names (false without a filter).
bool IsPortalNameFiltered(std::uint32_t nameHash);
