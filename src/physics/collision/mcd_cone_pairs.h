// Pair tests of the cone, and the support-mapping distance iteration that
// serves its pairs with boxes, cones and cylinders.  Model 1 is the cone;
// normals point from model 2 toward model 1.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

// At most one contact: the sphere's point nearest the cone's profile (base
// 0x0302, side 0x0303, rim 0x0301, apex 0x0300).  Answers 1 when touching
// (count 0 when the result has no room).
int McdConeSphereIntersect(McdModelPair* pair, McdIntersectResult* result);
// One contact at the lowest point (apex 0x0200, rim 0x0201), two when the
// side lies flat (rim point and apex), three 120 degrees apart on the base
// rim when the base lies flat (0x0202); never more than the result's
// capacity.  Answers 1 when touching.
int McdConePlaneIntersect(McdModelPair* pair, McdIntersectResult* result);
// Count 0; answers 1 when the convex distance iteration finds the models
// touching or closer than the margin.
int McdConeConvexTouch(McdModelPair* pair, McdIntersectResult* result);

// Distance iteration between the convex models' geometries through their
// support functions (at most 40 iterations).  Writes the closest points of
// each shape (either may be null) and, when `distance2` is given, the
// squared distance (0.0001 for overlapping shapes).  Without `distance2` it
// stops as soon as a separating direction is found.  Answers 1 when the
// shapes touch (closer than 0.01, overlapping, or not resolved within the
// iterations), 0 when they are apart.
int McdConvexDistance(McdModel* model1, McdModel* model2, MeReal* point1, MeReal* point2,
                      MeReal* distance2);
// The closest points of the last McdConvexDistance call.
void McdConvexDistanceGetLastPoints(MeReal* point1, MeReal* point2);
