// Line-segment queries of the geometry types: the first point where the
// segment from `start` to `end` (world) meets the model's shape.  Each
// answers 1 on a hit and fills the hit's position, normal (outward, unit)
// and distance from the start; 0 otherwise (the hit is left alone).  The
// triangle list has none.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

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
