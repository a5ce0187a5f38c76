#include "scene_fixture.h"

#include <cmath>
#include <cstring>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/util/me_math.h"

namespace mdt_test {

Scene::Scene(unsigned maxBodies, unsigned maxConstraints, unsigned materials, bool autoDisable) {
  // The game's 400 models, or room for every body and a few static models.
  const int models = maxBodies + 32 > 400 ? static_cast<int>(maxBodies) + 32 : 400;
  McdInit(7, models);
  McdPrimitivesRegisterTypes();
  McdPrimitivesRegisterInteractions();
  McdSetDefaultRequestPtr(&request_);
  space = McdAxisSortCreate(McdAllAxes, models, 400);
  bridge = McdDtBridgeCreate(materials);
  world = MdtWorldCreate(maxBodies, maxConstraints);
  MdtWorldSetGravity(world, 0, -9.81f, 0);
  MdtWorldSetEpsilon(world, 0.0001f);
  MdtWorldSetAutoDisable(world, autoDisable ? 1 : 0);
  MdtWorldSetAutoDisableAliveSteps(world, 10);
  MdtWorldSetAutoDisableVelocityThreshold(world, 0.02f);
  MdtWorldSetAutoDisableAngularVelocityThreshold(world, 0.001f);
  MdtWorldSetAutoDisableAccelerationThreshold(world, 0.05f);
  MdtWorldSetAutoDisableAngularAccelerationThreshold(world, 0.002f);
  McdDtBridgeInstallWorldCallbacks(world);
  for (unsigned a = 0; a < materials; ++a)
    for (unsigned b = a; b < materials; ++b) {
      MdtContactParams* p = McdDtBridgeGetContactParams(bridge, a, b);
      MdtContactParamsSetType(p, 2);
      MdtContactParamsSetFriction(p, 40);
    }
}

Scene::~Scene() {
  for (McdModel* m : models_) {
    if (MdtBody* b = McdModelGetBody(m)) {
      McdModelSetBody(m, nullptr);
      MdtBodyDestroy(b);
    }
    McdSpaceRemoveModel(m);
  }
  // Let the space report the goodbyes so that the bridge frees the pairs'
  // contacts, then drop everything.
  McdDtBridgeStep(bridge, space, world);
  for (McdModel* m : models_) McdModelDestroy(m);
  for (McdGeometryID g : geometries_) McdGeometryDestroy(g);
  McdSpaceDestroy(space);
  McdDtBridgeDestroy(bridge);
  MdtWorldDestroy(world);
  McdSetDefaultRequestPtr(nullptr);
  McdTerm();
}

MdtContactParams* Scene::Params(unsigned a, unsigned b) { return McdDtBridgeGetContactParams(bridge, a, b); }

McdModel* Scene::Ground(float height) {
  McdGeometryID g = McdPlaneCreate();
  geometries_.push_back(g);
  transforms_.emplace_back(new float[16]);
  float* t = transforms_.back().get();
  // The plane's normal is its z axis: rows x, -z, y.
  const float m[16] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, height, 0, 1};
  std::memcpy(t, m, sizeof(m));
  McdModel* model = McdModelCreate(g);
  McdModelSetTransformPtr(model, t);
  McdSpaceInsertModel(space, model);
  McdSpaceUpdateModel(model);
  McdSpaceFreezeModel(model);
  models_.push_back(model);
  return model;
}

McdModel* Scene::StaticBox(float sx, float sy, float sz, float x, float y, float z, float angle) {
  McdGeometryID g = McdBoxCreate(sx, sy, sz);
  geometries_.push_back(g);
  transforms_.emplace_back(new float[16]);
  float* t = transforms_.back().get();
  MeMatrix4TMMakeIdentity(t);
  const float c = std::cos(angle), s = std::sin(angle);
  t[0] = c;
  t[1] = s;
  t[4] = -s;
  t[5] = c;
  t[12] = x;
  t[13] = y;
  t[14] = z;
  return Static(g, t);
}

McdModel* Scene::Static(McdGeometryID g, float* transform) {
  McdModel* model = McdModelCreate(g);
  McdModelSetTransformPtr(model, transform);
  McdSpaceInsertModel(space, model);
  McdSpaceUpdateModel(model);
  McdSpaceFreezeModel(model);
  models_.push_back(model);
  return model;
}

McdModel* Scene::Attach(McdGeometryID g, MdtBody* body) {
  McdModel* model = McdModelCreate(g);
  McdModelSetBody(model, body);
  McdSpaceInsertModel(space, model);
  models_.push_back(model);
  return model;
}

McdModel* Scene::Box(float sx, float sy, float sz, float mass, float x, float y, float z) {
  McdGeometryID g = McdBoxCreate(sx, sy, sz);
  geometries_.push_back(g);
  MdtBody* b = MdtBodyCreate(world);
  MdtBodySetMass(b, mass);
  float I[9];
  MdtMakeBoxInertiaTensor(mass, sx, sy, sz, I);
  MdtBodySetInertiaTensor(b, I);
  MdtBodySetPosition(b, x, y, z);
  MdtBodyEnable(b);
  return Attach(g, b);
}

McdModel* Scene::Sphere(float radius, float mass, float x, float y, float z) {
  McdGeometryID g = McdSphereCreate(radius);
  geometries_.push_back(g);
  MdtBody* b = MdtBodyCreate(world);
  MdtBodySetMass(b, mass);
  float I[9];
  MdtMakeSphereInertiaTensor(mass, radius, I);
  MdtBodySetInertiaTensor(b, I);
  MdtBodySetPosition(b, x, y, z);
  MdtBodyEnable(b);
  return Attach(g, b);
}

void Scene::Step(float h) {
  McdSpaceUpdate(space);
  McdDtBridgeStep(bridge, space, world);
  MdtWorldStep(world, h);
}

}  // namespace mdt_test
