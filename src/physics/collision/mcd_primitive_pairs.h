// Pair tests between the primitive types sphere, plane and box, their
// safe-time functions, and the box-box separating-axis test and linear sweep
// that other box pairs reuse.
//
// Model 1 and model 2 stand in the order the test was registered (sphere,
// sphere; sphere, plane; box, sphere; box, plane; box, box).  The margin is
// the two paddings; a separation equal to it still touches.  Normals point
// from model 2 toward model 1.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

// One contact (dims 0x0303) at the point dividing the centres by the radii.
// Coincident centres get the normal (0, 0, 1).  Answers 1 when touching.
int McdSphereSphereIntersect(McdModelPair* pair, McdIntersectResult* result);
// One contact (dims 0x0203) at the sphere's lowest point along the normal.
int McdSpherePlaneIntersect(McdModelPair* pair, McdIntersectResult* result);
// One contact on the sphere toward the box (dims 0x03nn: box face 2, edge 1,
// vertex 0); a centre inside the box takes the nearest face (0x0302).
int McdBoxSphereIntersect(McdModelPair* pair, McdIntersectResult* result);
// Box corners and edge crossings in the contact region below the plane,
// reduced to the budget.  Answers 1 when the box is within the margin and
// at least one contact point was found.
int McdBoxPlaneIntersect(McdModelPair* pair, McdIntersectResult* result);
// Separating-axis test over 15 axes, then both boxes' edges clipped against
// the other box (at most 48 candidates), reduced to the budget; boxes apart
// by no more than the margin get contacts at their separation.  Answers 1
// when at least one contact remains (0 with a capacity of 0).
int McdBoxBoxIntersect(McdModelPair* pair, McdIntersectResult* result);

// Safe times: the result gets the pair and a time that starts at maxTime.
// Each answers 1 when it computed a time, 0 when the models do not approach
// (the time is then maxTime).  A time is never negative: models that already
// touch get 0.
int McdSphereSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
int McdSpherePlaneSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
// The sphere is stood in for by a cube and swept against the box.
int McdBoxSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
int McdBoxPlaneSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
// Linear sweeps over steps short enough that neither box turns more than
// 0.2 radians; needs both models' linear and angular velocities.
int McdBoxBoxSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);

// The axis of least separation between two boxes.
struct McdBoxBoxAxis {
  MeReal separation;   // negative: penetration depth along the normal
  MeReal planeOffset;  // box 2's supporting plane along the normal: normal . x = offset
  MeVector3 normal;    // box 1's frame, from box 2 toward box 1
  MeU16 dims;
};
// Box 2 (half-extents b) given in box 1's frame by `relative` (its axes as
// rows 0-2, its centre as row 3); box 1 has half-extents a.  Answers 0 as
// soon as an axis separates them by more than the margin, else 1 with `axis`
// filled.  Nearly parallel edge pairs (|L|^2 <= margin^2) never give the axis.
int McdBoxBoxSeparatingAxis(const MeReal* a, const MeReal* b, const MeReal* relative,
                            MeReal margin, McdBoxBoxAxis* axis);

// Two boxes (half-extents, world transforms, linear velocities or null) moving
// without turning over `span` seconds.  Answers 0 when some axis keeps them
// apart for the whole span, else 1 with `time` the latest entry time over
// the axes (0 when they overlap at the start).
int McdBoxSweep(const MeReal* a, const MeReal* transform1, const MeReal* velocity1,
                const MeReal* b, const MeReal* transform2, const MeReal* velocity2, MeReal span,
                MeReal* time);
// Safe time of a pair whose shapes stand in as boxes of half-extents a
// (model 1) and b (model 2) at the models' transforms, moving with their
// velocities: the result's time is the boxes' entry time and 1 is answered
// when they may meet within maxTime; otherwise the time is maxTime and 0.
int McdStandInSafeTime(McdModelPair* pair, const MeReal* a, const MeReal* b, MeReal maxTime,
                       McdSafeTimeResult* result);
