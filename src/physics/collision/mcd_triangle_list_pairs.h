// Pair tests of the triangle list: a sphere or a box against the triangles
// the list's generator supplies near it.  Model 1 is the sphere or box,
// model 2 the triangle list; normals point from the list toward model 1.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

inline constexpr McdIntersectRequest McdSphereTriangleListDefaultRequest = {4, 1};
inline constexpr McdIntersectRequest McdBoxTriangleListDefaultRequest = {8, 1};
// Local candidate buffers.
inline constexpr int McdSphereTriangleListMaxCandidates = 200;
inline constexpr int McdBoxTriangleListMaxCandidates = 400;

// One contact per touching triangle (its sphere-triangle feature), carrying
// the triangle's user words; a centre sunk behind a face is pushed back out
// through the front (separation -2r - d).  Reduced to the budget, face
// contacts first by default.  The result normal is the normalised sum of the
// triangles' normals (the deepest contact's when the sum vanishes).  Answers
// 1 when a contact remains.
int McdSphereTriangleListIntersect(McdModelPair* pair, McdIntersectResult* result);
// The box-triangle test for each triangle the generator gives; contacts as
// above with separation = point . normal - offset.  Answers 1 when a contact
// remains.
int McdBoxTriangleListIntersect(McdModelPair* pair, McdIntersectResult* result);
