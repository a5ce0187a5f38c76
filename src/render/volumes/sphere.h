// A sphere bound: environment and instance bounds, explosion and particle
// hits, zone and vehicle contact tests.  All tests are pure functions of their
// arguments.  Planes are four floats a, b, c, d.
#pragma once

#include "render/bsp/bsp_tree.h"
#include "render/geometry/vector3.h"

class CSphere {
 public:
  CVector3 Centre;
  float Radius;

  void Set(const CVector3& centre, float radius);
  // Centre at the vertex mean, radius to the farthest vertex.
  void FromTriangle(const CVector3& a, const CVector3& b, const CVector3& c);

  // centre + unit(direction) x radius; a zero direction gives the centre.
  CVector3 PointOnSurface(const CVector3& direction) const;
  // A random point inside the sphere, from the engine's random tables.
  CVector3 RandomPoint() const;

  // Whether segment a-b passes strictly inside the sphere.
  bool SegmentTouches(const CVector3& a, const CVector3& b) const;
  // Whether the sphere touches the triangle (three points, nine floats) lying in the plane.
  bool TouchesTriangle(const float* triangle, const float* plane) const;
  bool TouchesTriangleVerts(const CVector3& a, const CVector3& b, const CVector3& c, const float* plane) const;
  // Whether the sphere touches the BSP polygon lying in the plane.
  bool TouchesPolygon(const float* plane, const BspPolygon* polygon) const;
  // Where the line from origin through target enters the sphere (the whole
  // line, either side of the origin); false when it misses.
  bool RayHit(const CVector3& origin, const CVector3& target, CVector3* point) const;
};

// Replaces a with a sphere enclosing both a and b.
void MergeSpheres(CSphere* a, const CSphere& b);
// A sphere enclosing both a and b, into out (which may be a or b).
void MergeSpheresInto(const CSphere& a, const CSphere& b, CSphere* out);
