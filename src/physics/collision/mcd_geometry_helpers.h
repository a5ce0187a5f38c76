// Small geometry routines kept beside the narrow phase.
#pragma once

#include "physics/util/me_types.h"

// 1 when the spheres (centre x, y, z and radius each) overlap: the squared
// distance between the centres is below the squared sum of the radii.
// Spheres that exactly touch do not overlap.
int McdSpheresOverlap(const MeReal* a, const MeReal* b);
// The point of the line through a along d nearest to a + q:
// a + ((q . d) / (d . d)) d.  d must not be the zero vector.
void McdProjectOnLine(MeReal* out, const MeReal* a, const MeReal* d, const MeReal* q);
// The point of the line (a, d1) nearest to the line (b, d2); a when the lines
// are parallel.
void McdLineLineClosestPoint(MeReal* out, const MeReal* a, const MeReal* d1, const MeReal* b,
                             const MeReal* d2);
