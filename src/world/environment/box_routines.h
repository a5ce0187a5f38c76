// Sphere and point tests against axis-aligned boxes, used when collision
// candidates are gathered.  Boxes are given by their minimum and maximum
// corners, in whatever frame the caller's points are in.
#pragma once

#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"

// The corner of the box nearest to the point and its squared distance.
// The search starts from a squared distance of 1e8: a box whose every corner
// lies farther yields false and leaves the outputs alone.
bool BoxNearestCorner(const CVector3& min, const CVector3& max, const CVector3& point, CVector3* corner,
                      float* distanceSquared);

// Whether the whole sphere lies inside the box.
bool SphereInsideBox(const CSphere& sphere, const CVector3& min, const CVector3& max);

// Whether the sphere reaches the box (touching counts).
bool SphereTouchesBox(const CSphere& sphere, const CVector3& min, const CVector3& max);

// Contact of a sphere with a box.
enum BoxContactKind : int {
  BOXCONTACT_NONE = 0,
  BOXCONTACT_INSIDE = 1,  // the centre lies inside the box; the point is the centre
  BOXCONTACT_FACE = 2,
  BOXCONTACT_EDGE = 3,
  BOXCONTACT_CORNER = 4,
};
struct BoxContact {
  int Kind;
  CVector3 Point;   // nearest point of the box surface (the centre when inside)
  float Distance;   // from the centre to the point; 9999999 when none was found
};
// The nearest face, edge or corner of the box within the sphere's radius.
BoxContact SphereBoxContact(const CSphere& sphere, const CVector3& min, const CVector3& max);
