// A sphere or a box against one triangle: the separation, normal and feature
// code of the nearest features, and (for the box) the contact points.  Used
// by the triangle-list pair tests.
#pragma once

#include "physics/util/me_types.h"

// A triangle as the tests read it: vertices, unit normal (counter-clockwise
// vertex order seen from the normal's side) and edges edge[i] = vertex[next]
// - vertex[i] with next = 1, 2, 0.
struct McdTriangle {
  MeVector3 vertex[3];
  MeVector3 normal;
  MeVector3 edge[3];
};

// Fills the edges and, when `normal` is null, the unit normal of v0 v1 v2.
void McdTriangleMake(McdTriangle* tri, const MeReal* v0, const MeReal* v1, const MeReal* v2,
                     const MeReal* normal);

// Outcome of a triangle test.  The normal points from the triangle toward
// the other shape.
struct McdTriangleHit {
  MeReal separation;
  MeVector3 normal;
  MeVector3 position;   // sphere test: the contact point relative to the centre
  MeReal planeOffset;   // box test: contact separation = point . normal - offset
  MeU16 dims;           // low byte the other shape's feature, high byte the triangle's
};

// The sphere (centre at the origin: `tri` holds the vertices relative to the
// centre) against the triangle.  Answers 1 when the separation is at most
// the margin, filling `hit`; 0 otherwise, and for a triangle whose normal is
// zero (no area).
int McdSphereTriangleIntersect(const McdTriangle* tri, MeReal radius, MeReal margin,
                               McdTriangleHit* hit);

// Most points the box test writes: three clipped triangle edges (two points
// each) and twelve box edges crossing the triangle.
inline constexpr int McdBoxTriangleMaxPoints = 18;

// The box |x_i| <= h_i against the triangle, both in the box's frame:
// separating-axis test over the triangle normal, the box axes and the nine
// edge products.  When no axis separates them by more than the margin,
// writes up to McdBoxTriangleMaxPoints contact points (box frame) through
// `cursor` and fills `hit`.  Answers 1 when any point was written; 0 for a
// triangle whose normal is zero.
int McdBoxTriangleIntersect(const MeReal* h, const McdTriangle* tri, MeReal margin,
                            McdTriangleHit* hit, MeReal** cursor);
