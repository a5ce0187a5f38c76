// Line-segment queries of the geometry types: the first point where the
// segment from `start` to `end` (world) meets the model's shape.  Each
// answers 1 on a hit and fills the hit's position, normal (outward, unit)
// and distance from the start; 0 otherwise (the hit is left alone).  The
// triangle list has none.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"
#include "physics/util/me_math.h"

// Segments shorter than this never hit a box or a sphere.
inline constexpr MeReal McdLineSegmentMinLength = 0.000001f;

// Slab test; a start inside the box hits at the start (distance 0) with the
// normal opposite to the segment's direction.
int McdBoxLineSegment(McdModel* model, const MeReal* start, const MeReal* end, McdLineSegHit* hit);
// Entry point, or the exit point for a start inside the sphere.
int McdSphereLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                         McdLineSegHit* hit);
// The crossing of the plane z = 0 of the model's frame (a segment touching
// it counts); the normal is the plane's z axis and the distance is measured
// from the start whichever side it lies on.
int McdPlaneLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                        McdLineSegHit* hit);
// The first crossing of the side or a cap (the exit for a start inside);
// radial normal on the side, axial on a cap.
int McdCylinderLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                           McdLineSegHit* hit);
// The first crossing of the side or the base (the exit for a start inside);
// the side's outward normal, or -z of the cone's frame on the base.
int McdConeLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                       McdLineSegHit* hit);

// The segment from `start` to `end` in the frame of transform m: p + t d,
// t in [0, 1]; worldD is end - start.  Used by the curved shapes' tests.
struct McdLocalSegment {
  MeReal p[3], d[3], worldD[3];
};
inline McdLocalSegment McdSegmentToLocal(const MeReal* m, const MeReal* start, const MeReal* end) {
  McdLocalSegment s;
  MeReal rel[3];
  MeVector3Subtract(rel, start, m + 12);
  MeVector3Subtract(s.worldD, end, start);
  MeMatrix4TMInverseRotate(s.p, m, rel);
  MeMatrix4TMInverseRotate(s.d, m, s.worldD);
  return s;
}
// Fills the hit at parameter t with the local normal, both taken to the
// world by m, and the distance t |worldD|; answers 1.
inline int McdSegmentHit(const MeReal* m, const McdLocalSegment& s, MeReal t, const MeReal* normal,
                         McdLineSegHit* hit) {
  MeReal local[3];
  for (int i = 0; i < 3; ++i) local[i] = s.p[i] + t * s.d[i];
  MeMatrix4TMTransform(hit->position, m, local);
  MeMatrix4TMRotate(hit->normal, m, normal);
  hit->distance = t * MeVector3Magnitude(s.worldD);
  return 1;
}
