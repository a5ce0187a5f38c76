// The box, centred on the model's position, sides along the local axes.
#pragma once

#include "physics/collision/mcd_geometry.h"

struct McdBox {
  McdGeometry header;
  MeVector3 radii;  // half-extents along local x, y, z
  MeReal radius;    // length of the half-extent vector
};

// A box with the full side lengths x, y, z; null when allocation fails.
McdGeometryID McdBoxCreate(MeReal x, MeReal y, MeReal z);
void McdBoxSetDimensions(McdGeometryID geometry, MeReal x, MeReal y, MeReal z);
// The full side lengths.
void McdBoxGetDimensions(McdGeometryID geometry, MeReal* x, MeReal* y, MeReal* z);
// The three half-extents.
MeReal* McdBoxGetRadii(McdGeometryID geometry);
// The bounding radius.
MeReal McdBoxGetRadius(McdGeometryID geometry);
int McdBoxGetTypeId();
// Registers the type ("McdBox"); answers its id.
int McdBoxRegisterType();

// Type functions.
void McdBoxDestroy(McdGeometryID geometry);
void McdBoxGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
// x min, x max, y min, y max only; the cached box is not touched.
void McdBoxGetXYAABB(McdGeometryID geometry, const MeReal* transform, MeReal* bounds);
void McdBoxGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdBoxMaximumPoint(McdGeometryID geometry, const MeReal* transform, const MeReal* direction,
                        MeReal* point);
// The support point for a direction in the box's own frame.
void McdBoxMaximumPointLocal(McdGeometryID geometry, const MeReal* direction, MeReal* point);
MeI16 McdBoxGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                              MeReal* volume);
