#include "world/dynamics/collision_model.h"

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_space.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/util/me_math.h"
#include "world/dynamics/physics_state.h"

CCollisionModel::CCollisionModel() {
  MeMatrix4TMMakeIdentity(Transform);
  MeMatrix4TMMakeIdentity(RelativeStorage);
}

bool CCollisionModel::Finish(McdGeometry* geometry, int kind, MdtBodyID body, int material) {
  Destroy();
  if (!geometry) return false;
  McdModel* model = McdModelCreate(geometry);
  if (!model) {
    McdGeometryDestroy(geometry);
    return false;
  }
  Kind = kind;
  Geometry = geometry;
  Model = model;
  if (body) McdModelSetBody(model, body);
  else McdModelSetTransformPtr(model, Transform);
  McdModelSetMaterial(model, material);
  McdModelSetUserData(model, 0);
  return true;
}

bool CCollisionModel::CreateSphere(MdtBodyID body, int material, float radius) {
  return Finish(McdSphereCreate(radius), COLLISION_SPHERE, body, material);
}

bool CCollisionModel::CreateBox(MdtBodyID body, int material, float x, float y, float z) {
  return Finish(McdBoxCreate(x, y, z), COLLISION_BOX, body, material);
}

bool CCollisionModel::CreateCylinder(MdtBodyID body, int material, float radius, float height) {
  return Finish(McdCylinderCreate(radius, height), COLLISION_CYLINDER, body, material);
}

bool CCollisionModel::CreatePlane(MdtBodyID body, int material) {
  return Finish(McdPlaneCreate(), COLLISION_PLANE, body, material);
}

bool CCollisionModel::CreateTriangleList(MdtBodyID body, int material, float x, float y, float z,
                                         McdUserTriangle* buffer, int capacity, McdTriangleListGenerator generator) {
  McdGeometryID g = McdTriangleListCreate(x, y, z, generator);
  if (g) McdTriangleListSetTriangles(g, buffer, capacity);
  return Finish(g, COLLISION_TRIANGLE_LIST, body, material);
}

void CCollisionModel::SetTransform(const float* position) {
  MeMatrix4TMMakeIdentity(Transform);
  Transform[12] = position[0];
  Transform[13] = position[1];
  Transform[14] = position[2];
  if (!Model) return;
  if (MdtBodyID body = McdModelGetBody(Model))
    McdModelSetRelativeTransformPtrs(Model, Transform, MdtBodyGetTransformPtr(body), RelativeStorage);
  else
    McdModelSetTransformPtr(Model, Transform);
}

void CCollisionModel::AddToSpace(McdSpace* space) {
  if (!Model || InSpace || !space) return;
  McdSpaceInsertModel(space, Model);
  McdSpaceUpdateModel(Model);
  InSpace = 1;
}

void CCollisionModel::RemoveFromSpace() {
  if (!Model || !InSpace) return;
  McdSpaceRemoveModel(Model);
  InSpace = 0;
}

void CCollisionModel::SetInSpace(McdSpace* space, int on) {
  if (on == 1) AddToSpace(space);
  else RemoveFromSpace();
}

void CCollisionModel::UpdateInSpace() {
  if (Model && InSpace) McdSpaceUpdateModel(Model);
}

void CCollisionModel::SetFrozen(int frozen) {
  if (!Model || !InSpace) return;
  if (frozen) McdSpaceFreezeModel(Model);
  else McdSpaceUnfreezeModel(Model);
}

void CCollisionModel::DisablePairWith(CCollisionModel* other) {
  if (Model && other && other->Model && InSpace && other->InSpace) McdSpaceDisablePair(Model, other->Model);
}

void CCollisionModel::SetUserData(CollisionUserData* data) {
  if (Model) McdModelSetUserData(Model, reinterpret_cast<MeUserWord>(data));
}

CollisionUserData* CCollisionModel::GetUserData() const {
  return Model ? reinterpret_cast<CollisionUserData*>(McdModelGetUserData(Model)) : nullptr;
}

void CCollisionModel::Destroy() {
  if (Model && InSpace) {
    RemoveFromSpace();
    // Let the bridge end the model's pairs (and free their contacts) while
    // the model still exists.
    if (g_Physics.Bridge && g_Physics.Space) McdDtBridgeUpdatePairs(g_Physics.Bridge, g_Physics.Space);
  }
  if (Model) McdModelSetBody(Model, nullptr);
  if (Geometry) McdGeometryDestroy(Geometry);
  if (Model) McdModelDestroy(Model);
  Geometry = nullptr;
  Model = nullptr;
}
