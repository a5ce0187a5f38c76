// The cone: axis along local z, apex at 0.75 h above the origin (its centre
// of mass), base circle 0.25 h below.
#pragma once

#include "physics/collision/mcd_geometry.h"

struct McdCone {
  McdGeometry header;
  MeReal apexDistance;
  MeReal baseDistance;
  MeReal radius;
  MeUserWord spare;
  MeReal sinHalfAngle;  // radius / slant length; 1 for a flat cone
};

// A cone of the height and base radius; null when allocation fails or the
// height is not above 0.
McdGeometryID McdConeCreate(MeReal height, MeReal radius, MeUserWord spare);
McdGeometryID McdConeCreateSimple(MeReal height, MeReal radius);
MeReal McdConeGetApexDistance(McdGeometryID geometry);
MeReal McdConeGetBaseDistance(McdGeometryID geometry);
MeReal McdConeGetHeight(McdGeometryID geometry);
MeReal McdConeGetQuarterHeight(McdGeometryID geometry);
MeReal McdConeGetRadius(McdGeometryID geometry);
int McdConeGetTypeId();
// Registers the type ("McdCone"); answers its id.
int McdConeRegisterType();

// Type functions.
void McdConeDestroy(McdGeometryID geometry);
void McdConeGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
void McdConeGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdConeMaximumPoint(McdGeometryID geometry, const MeReal* transform, const MeReal* direction,
                         MeReal* point);
MeI16 McdConeGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                               MeReal* volume);
