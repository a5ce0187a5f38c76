// The cylinder: axis along the local z axis, caps at z = -h and z = +h.
#pragma once

#include "physics/collision/mcd_geometry.h"

struct McdCylinder {
  McdGeometry header;
  MeReal radius;
  MeReal halfHeight;
  MeReal boundingRadius;  // sqrt(r² + h²)
};

// A cylinder of the radius and full height; null when allocation fails.
McdGeometryID McdCylinderCreate(MeReal radius, MeReal height);
void McdCylinderSetDimensions(McdGeometryID geometry, MeReal radius, MeReal height);
MeReal McdCylinderGetRadius(McdGeometryID geometry);
MeReal McdCylinderGetHeight(McdGeometryID geometry);
MeReal McdCylinderGetHalfHeight(McdGeometryID geometry);
MeReal McdCylinderGetBoundingRadius(McdGeometryID geometry);
// Set one field (and refresh the bounding radius).
void McdCylinderSetRadius(McdGeometryID geometry, MeReal radius);
void McdCylinderSetHeight(McdGeometryID geometry, MeReal height);
int McdCylinderGetTypeId();
// Registers the type ("McdCylinder"); answers its id.
int McdCylinderRegisterType();

// Type functions.
void McdCylinderDestroy(McdGeometryID geometry);
void McdCylinderGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
void McdCylinderGetXYAABB(McdGeometryID geometry, const MeReal* transform, MeReal* bounds);
void McdCylinderGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdCylinderMaximumPoint(McdGeometryID geometry, const MeReal* transform,
                             const MeReal* direction, MeReal* point);
// The support point for a direction in the cylinder's own frame.
void McdCylinderMaximumPointLocal(McdGeometryID geometry, const MeReal* direction, MeReal* point);
MeI16 McdCylinderGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                                   MeReal* volume);
