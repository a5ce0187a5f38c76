// Collision models: a geometry placed in the world by a transform, with
// optional velocities, a contact margin, a material and a user word.  Models
// come from the framework's fixed pool.
#pragma once

#include "physics/collision/mcd_types.h"

using McdModelUpdateFn = int (*)(McdModel* model);

struct McdModel {
  McdGeometry* geometry;
  MeReal* transform;        // caller's 4x4
  MeReal* linearVelocity;   // caller's 3, or null
  MeReal* angularVelocity;  // caller's 3, or null
  MeReal padding;           // contact margin
  MeUserWord userData;
  McdSpace* space;          // written by the space
  MeI32 spaceIndex;         // slot in that space, -1 when none
  McdModelUpdateFn updateFn;
  MeReal* relativeTransform;
  MeReal* parentTransform;
  void* body;               // the dynamics body bound by the bridge
  MeReal density;
  MeI32 material;
  MeUserWord auxData;
};

// A model for the geometry; null when the pool is exhausted.
McdModelID McdModelCreate(McdGeometryID geometry);
// Returns the record to the pool; removes it from its space first if the
// caller did not.
void McdModelDestroy(McdModelID model);

void McdModelSetGeometry(McdModelID model, McdGeometryID geometry);
McdGeometryID McdModelGetGeometry(McdModelID model);
void McdModelSetTransformPtr(McdModelID model, MeReal* transform);
MeReal* McdModelGetTransformPtr(McdModelID model);
void McdModelSetLinearVelocityPtr(McdModelID model, MeReal* velocity);
MeReal* McdModelGetLinearVelocityPtr(McdModelID model);
void McdModelSetAngularVelocityPtr(McdModelID model, MeReal* velocity);
MeReal* McdModelGetAngularVelocityPtr(McdModelID model);
void McdModelSetUserData(McdModelID model, MeUserWord data);
MeUserWord McdModelGetUserData(McdModelID model);
void McdModelSetMaterial(McdModelID model, int material);
int McdModelGetMaterial(McdModelID model);
void McdModelSetDensity(McdModelID model, MeReal density);
MeReal McdModelGetDensity(McdModelID model);
void McdModelSetPadding(McdModelID model, MeReal padding);
MeReal McdModelGetPadding(McdModelID model);
void McdModelSetUpdateCallback(McdModelID model, McdModelUpdateFn fn);
McdModelUpdateFn McdModelGetUpdateCallback(McdModelID model);
void McdModelSetBodyPtr(McdModelID model, void* body);
void* McdModelGetBodyPtr(McdModelID model);
void McdModelSetAuxData(McdModelID model, MeUserWord data);
MeUserWord McdModelGetAuxData(McdModelID model);

// The model's transform becomes `result`, kept as relative × parent (row
// vectors: relative first) by the update function when relative is set.
void McdModelSetRelativeTransformPtrs(McdModelID model, MeReal* relative, MeReal* parent,
                                      MeReal* result);
void McdModelGetRelativeTransformPtrs(McdModelID model, MeReal** relative, MeReal** parent);
// Runs the update function; answers its result (0 when none).
int McdModelUpdate(McdModelID model);

// World box of the model (after its update function).
void McdModelGetAABB(McdModelID model, MeReal* min, MeReal* max);
// The box widened to cover the transform predicted `step` seconds ahead;
// the plain box when a velocity pointer is missing.
void McdModelGetSweptAABB(McdModelID model, MeReal* min, MeReal* max, MeReal step);
// Bounding sphere in world coordinates; nothing without a geometry.
void McdModelGetBSphere(McdModelID model, MeReal* centre, MeReal* radius);
