// The sphere, centred on the model's position.
#pragma once

#include "physics/collision/mcd_geometry.h"

struct McdSphere {
  McdGeometry header;
  MeReal radius;
};

// A new sphere; null when allocation fails.
McdGeometryID McdSphereCreate(MeReal radius);
void McdSphereSetRadius(McdGeometryID geometry, MeReal radius);
MeReal McdSphereGetRadius(McdGeometryID geometry);
int McdSphereGetTypeId();
// Registers the type ("McdSphere"); answers its id.
int McdSphereRegisterType();

// Type functions.
void McdSphereDestroy(McdGeometryID geometry);
void McdSphereGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
void McdSphereGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdSphereMaximumPoint(McdGeometryID geometry, const MeReal* transform,
                           const MeReal* direction, MeReal* point);
MeI16 McdSphereGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                                 MeReal* volume);
