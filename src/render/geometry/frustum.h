// A view frustum: up to 32 planes whose positive sides bound the volume, and
// the eight corners it was built from (0-3 the near quad, 4-7 the far quad,
// corner k+4 behind corner k).  Built from a camera, a box, an oriented box or
// a swept rectangle; tests points, spheres, planes and polygons.  A point is
// inside a plane when its signed distance is not below -7.6e-6.
#pragma once

#include "foundation/maths/plane.h"
#include "render/geometry/vector3.h"

class CBoundingBox;
class CCamera;
class CMatrix;
class COrientedBox;
class CSphere;
struct BspPolygon;
struct PositionClipPolygon;

inline constexpr int kMaxFrustumPlanes = 32;

class CFrustum {
 public:
  int PlaneCount = 0;
  int CornerCount = 0;
  int NearPlane = 4;
  int FarPlane = 5;
  CPlane Planes[kMaxFrustumPlanes]{};
  CVector3 Corners[8]{};

  // The camera's view volume: the side planes through the eye and the corners
  // of the quad one unit ahead, the near plane through the eye facing forward,
  // the far plane at the far distance facing back.
  void BuildFromCamera(const CCamera& camera);
  // The box's eight corners (c0-c3 at max z, c4-c7 at min z), moved by the
  // matrix when one is given, then BuildPlanes.
  void BuildFromBox(const CVector3& min, const CVector3& max, const CMatrix* matrix);
  // The oriented box's corners, then BuildPlanes.
  void BuildFromOrientedBox(const COrientedBox& box);
  // Corners of the rectangle of half size s on axes u, v about origin, swept
  // by length along dir; side planes as BuildPlanes, near plane through c0
  // and far plane through c7, both facing into the volume.
  void BuildFromSweep(const CVector3& origin, const CVector3& dir, const CVector3& u, const CVector3& v, float s,
                      float length);
  // The same corners only; plane count 0 until BuildPlanes is called.
  void SetSweepCorners(const CVector3& origin, const CVector3& dir, const CVector3& u, const CVector3& v, float s,
                       float length);
  // Six planes from the eight corners (near index 4, far index 5).
  void BuildPlanes();
  // Moves the corners by the matrix (planes are not rebuilt).
  void TransformCorners(const CMatrix& matrix);

  // 1 when the point is inside every plane (also when there are no planes), else 0.
  int ContainsPoint(const CVector3& point) const;
  // 0 when the sphere lies wholly outside a plane, else 1; the straddle flag
  // (may be null) tells whether it crosses at least one plane.
  int TestSphere(const CSphere& sphere, bool* straddles) const;
  // Box visibility is not culled by the frustum: 1 for every box, so that a
  // walk over boxes (the octree's debug walk) visits them all.
  int TestBox(const CBoundingBox& box) const;
  // 1 when all corners are in front of the plane, -1 when all are behind, else 0.
  int ClassifyPlane(const CPlane& plane) const;
  // Whether at least 3 vertices of the polygon survive clipping by all planes
  // (false also when clipping would pass the 32-vertex limit).
  bool IsPolygonVisible(const PositionClipPolygon& polygon) const;
  // The same for a BSP polygon; false for one of more than 32 vertices.
  bool IsBspPolygonVisible(const BspPolygon* polygon) const;
  // Draws the twelve edges on the screen through the current camera: near
  // edges blue, far edges green, side edges shaded between.  Depth test and
  // fog are off during the draw and restored.  Nothing without a camera or
  // device; an edge with an end behind the eye is left out.
  void DebugDraw() const;
};
