// A cylinder against one triangle, in the cylinder's own frame (axis z,
// centre the origin, caps at z = -h and z = +h).  Outputs take the form of
// the box-triangle test's; no pair test uses it.
#pragma once

#include "physics/util/me_types.h"

// Triangle in the cylinder's frame: vertices, unit normal, edges
// edge i = vertex next(i) - vertex i (next: 0 -> 1, 1 -> 2, 2 -> 0).
struct McdCylinderTriangle {
  const MeReal* vertex[3];
  MeVector3 normal;
  MeVector3 edge[3];
};

// Room the caller leaves after the cursor: 6 points from the lines and 2
// from each of the three edges.
inline constexpr int McdCylinderTriangleMaxPoints = 12;

// Separating-axis test over the triangle normal, the cylinder axis and the
// axis crossed with each edge, then the contact points.  Always writes the
// best separation; when it is at most the margin also writes the normal
// (from the triangle toward the cylinder), the contact-plane offset (a point
// p has separation p . normal - offset) and the feature code (low byte the
// cylinder's, high byte the triangle's), and appends points through the
// cursor.  Answers 1 when a point was appended, else 0.
int McdCylinderTriangleIntersect(MeReal* separation, MeReal* normal, MeReal* offset,
                                 MeReal** cursor, MeU16* dims, const MeReal& margin,
                                 const MeReal& radius, const MeReal& halfHeight,
                                 const McdCylinderTriangle* triangle);
// Points where the four side lines (through +-R u and +-R w) cross the
// triangle within the cylinder's height, and where the two cap diameters
// along u cross it within the radius.  cross holds V0 x V1, V1 x V2, V2 x V0;
// d = n . V0.  Appends 0 to 6 points.
void McdCylinderTriangleLines(MeReal** cursor, const MeReal& radius, const MeReal& halfHeight,
                              const MeReal* u, const MeReal* w,
                              const McdCylinderTriangle* triangle, const MeReal* cross,
                              const MeReal& d);
// The segment p + t e over [t0, t1] clipped by the cylinder: appends the
// clipped start, and the clipped end when it moved.  Appends 0 to 2 points.
void McdCylinderClipTriangleEdge(MeReal** cursor, const MeReal* p, const MeReal* e,
                                 const MeReal& radius, const MeReal& halfHeight, const MeReal& t0,
                                 const MeReal& t1);
