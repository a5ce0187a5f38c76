// The triangle list: a geometry whose triangles are not stored here.  An
// application generator fills the list's triangle array, on demand, with the
// triangles near a query sphere; the triangle-list pair tests call it.
#pragma once

#include "physics/collision/mcd_geometry.h"

// One triangle as the generator hands it over (coordinates in the list's
// frame; the vertex and normal arrays belong to the application).
struct McdUserTriangle {
  MeReal* vertices[3];
  MeReal* normal;  // unit
  MeUserWord element1;
  MeUserWord element2;
};

// Fills the list's triangle array (McdTriangleListSetTriangles) with the
// triangles near `centre` (list frame) within `radius`, and answers how many
// it wrote.
using McdTriangleListGenerator = int (*)(McdModelPair* pair, const MeReal* centre, MeReal radius);

struct McdTriangleList {
  McdGeometry header;
  MeVector3 radii;  // half-extents of the box the triangles lie in
  MeReal radius;
  McdUserTriangle* triangles;
  MeI32 triangleCount;
  MeI32 triangleCapacity;
  MeUserWord userData;
  McdTriangleListGenerator generator;
};

// A list bounded by the full side lengths x, y, z; null when the generator
// is null or allocation fails.
McdGeometryID McdTriangleListCreate(MeReal x, MeReal y, MeReal z,
                                    McdTriangleListGenerator generator);
void McdTriangleListSetDimensions(McdGeometryID geometry, MeReal x, MeReal y, MeReal z);
void McdTriangleListGetDimensions(McdGeometryID geometry, MeReal* x, MeReal* y, MeReal* z);
MeReal McdTriangleListGetBoundingRadius(McdGeometryID geometry);
MeReal* McdTriangleListGetHalfExtents(McdGeometryID geometry);
void McdTriangleListSetUserData(McdGeometryID geometry, MeUserWord data);
MeUserWord McdTriangleListGetUserData(McdGeometryID geometry);
// Lends the array the generator fills and its capacity (records).
void McdTriangleListSetTriangles(McdGeometryID geometry, McdUserTriangle* triangles, int capacity);
int McdTriangleListGetTypeId();
// Registers the type ("McdTriangleList"); answers its id.
int McdTriangleListRegisterType();

// Type functions.
void McdTriangleListDestroy(McdGeometryID geometry);
void McdTriangleListGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min,
                            MeReal* max);
void McdTriangleListGetXYAABB(McdGeometryID geometry, const MeReal* transform, MeReal* bounds);
void McdTriangleListGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdTriangleListMaximumPoint(McdGeometryID geometry, const MeReal* transform,
                                 const MeReal* direction, MeReal* point);
MeI16 McdTriangleListGetMassProperties(McdGeometryID geometry, MeReal* relTransform,
                                       MeReal* inertia, MeReal* volume);
