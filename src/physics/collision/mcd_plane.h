// The plane: the half-space below the plane through the model's position
// whose normal is the transform's z row.  Its box and support are infinite
// except along an axis-aligned normal.
#pragma once

#include "physics/collision/mcd_geometry.h"

struct McdPlane {
  McdGeometry header;
};

// A new plane; null when allocation fails.
McdGeometryID McdPlaneCreate();
int McdPlaneGetTypeId();
// Registers the type ("McdPlane"); answers its id.
int McdPlaneRegisterType();
// Row 2 of the transform, or (0, 0, 1) for a null transform.
void McdPlaneGetNormal(McdGeometryID geometry, const MeReal* transform, MeReal* normal);
// Signed distance of the point above the plane.
MeReal McdPlaneGetDistance(McdGeometryID geometry, const MeReal* transform, const MeReal* point);

// Type functions.
void McdPlaneDestroy(McdGeometryID geometry);
void McdPlaneGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
void McdPlaneGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdPlaneMaximumPoint(McdGeometryID geometry, const MeReal* transform, const MeReal* direction,
                          MeReal* point);
MeI16 McdPlaneGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                                MeReal* volume);
