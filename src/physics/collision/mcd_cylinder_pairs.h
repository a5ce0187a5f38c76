// Pair tests of the cylinder against a sphere, a plane, a box and another
// cylinder, with their safe-time functions.
//
// Model 1 and model 2 stand in the order the test is registered (cylinder,
// sphere; cylinder, plane; box, cylinder; cylinder, cylinder).  Normals point
// from model 2 toward model 1, a negative separation is a penetration, and a
// separation equal to the margin (the two paddings) still touches.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

// Own requests of the multi-contact cylinder tests, used when a pair has none.
inline constexpr McdIntersectRequest McdCylinderPlaneDefaultRequest = {4, 0};
inline constexpr McdIntersectRequest McdBoxCylinderDefaultRequest = {4, 0};
inline constexpr McdIntersectRequest McdCylinderCylinderDefaultRequest = {4, 0};

// One contact on the sphere toward the cylinder: cap 0x0302 (axial normal),
// side 0x0303 (radial normal) or rim 0x0301.  Answers 1 when touching (count
// 0 when the result has no room).
int McdCylinderSphereIntersect(McdModelPair* pair, McdIntersectResult* result);
// Side-line ends and cap-diameter crossings below the plane, reduced to the
// budget; a single lowest point when none.  Answers 1 when a contact remains.
int McdCylinderPlaneIntersect(McdModelPair* pair, McdIntersectResult* result);
// Separating-direction search (box faces, cylinder axis, box edges across the
// axis, the radial direction toward the box), then cylinder lines clipped by
// the box and box edges clipped by the cylinder, reduced to the budget.
// Answers 1 when a contact remains.
int McdBoxCylinderIntersect(McdModelPair* pair, McdIntersectResult* result);
// Separating-direction search over both axes, the common perpendicular, the
// rim-to-side and the rim-to-rim directions (found numerically), then side
// lines and rims of each cylinder clipped by the other, reduced to the
// budget.  Answers 1 when a contact remains.
int McdCylinderCylinderIntersect(McdModelPair* pair, McdIntersectResult* result);

// Linear sweeps with each cylinder replaced by a box of half-extents
// (kR, kR, h) and a sphere by a cube of half-extent kr, k = 2 / (sqrt 2 + 1).
// Rotation is not taken into account.  Answer 1 with the entry time when the
// boxes meet within maxTime, else 0 with maxTime.
int McdCylinderSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
int McdBoxCylinderSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
int McdCylinderCylinderSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);

// The rim-to-rim search: the angles theta (rim 1) and phi (rim 2) that
// minimise the squared distance between the rim points
//   c1 + r1 (cos theta u1 + sin theta v1)  and  c2 + r2 (cos phi u2 + sin phi v2).
// The coefficients are kept in library-wide variables for the minimiser's
// function and gradient.  Starts from the best point of a coarse grid and
// refines by conjugate gradients with golden-ratio bracketing and Brent line
// searches.  Answers the squared distance at the minimum.
MeReal McdCylinderRimRimMinimise(const MeReal* c1, const MeReal* u1, const MeReal* v1, MeReal r1,
                                 const MeReal* c2, const MeReal* u2, const MeReal* v2, MeReal r2,
                                 MeReal* theta, MeReal* phi);
