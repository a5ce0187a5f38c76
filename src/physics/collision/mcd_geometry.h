// Geometry types: every geometry record begins with McdGeometry, and each
// kind registers itself as a numbered type with five functions.  The
// framework dispatches through this registry by the record's type id.
#pragma once

#include "physics/collision/mcd_types.h"

struct McdGeometry {
  MeI16 type;
  MeReal aabb[6];  // cached box: x min, x max, y min, y max, z min, z max
};

using McdGeometryDestroyFn = void (*)(McdGeometryID geometry);
// World box of the geometry placed by `transform` (4x4); writes the cache.
using McdGeometryGetAABBFn = void (*)(McdGeometryID geometry, const MeReal* transform,
                                      MeReal* min, MeReal* max);
// Bounding sphere in the geometry's own frame.
using McdGeometryGetBSphereFn = void (*)(McdGeometryID geometry, MeReal* centre, MeReal* radius);
// World point farthest along the world direction.
using McdGeometryGetMaxPointFn = void (*)(McdGeometryID geometry, const MeReal* transform,
                                          const MeReal* direction, MeReal* point);
// Mass frame (4x4, relative to the geometry), inertia (3x3) and volume;
// answers 0 on success.
using McdGeometryGetMassPropertiesFn = MeI16 (*)(McdGeometryID geometry, MeReal* relTransform,
                                                 MeReal* inertia, MeReal* volume);

// Registers a type; answers its id (registration order from 0).  More types
// than McdInit allowed is error 21 (fatal); should the fatal handler return,
// nothing is stored and -1 is answered.
MeI16 McdGeometryRegisterType(const char* name, McdGeometryDestroyFn destroy,
                              McdGeometryGetAABBFn aabb, McdGeometryGetBSphereFn bsphere,
                              McdGeometryGetMaxPointFn maxPoint,
                              McdGeometryGetMassPropertiesFn mass);
MeI16 McdGeometryGetTypeCount();
// True when 0 <= id < registered count.
bool McdGeometryTypeIsValid(int id);
// Forgets the registered types (the tables keep their contents).
void McdGeometryResetTypes();

// Writes the type id and zeroes the cached box; answers 0.
int McdGeometryInit(McdGeometryID geometry, int type);
// Address of the cached box.
MeReal* McdGeometryGetAABBCache(McdGeometryID geometry);
MeI16 McdGeometryGetType(const McdGeometry* geometry);

// Dispatch by the geometry's type.  A geometry of an unregistered type is
// refused: nothing is called (the box and sphere are left as they were and
// the mass status is -1).
void McdGeometryDestroy(McdGeometryID geometry);
void McdGeometryGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max);
void McdGeometryGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius);
void McdGeometryGetMaxPoint(McdGeometryID geometry, const MeReal* transform,
                            const MeReal* direction, MeReal* point);
MeI16 McdGeometryGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                                   MeReal* volume);
