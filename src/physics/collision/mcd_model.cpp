#include "physics/collision/mcd_model.h"

#include <cstring>

#include "physics/collision/mcd_framework_state.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_space.h"
#include "physics/util/me_math.h"

McdModelID McdModelCreate(McdGeometryID geometry) {
  if (!g_mcdFramework) return nullptr;
  McdModel* m = static_cast<McdModel*>(MeBlockPoolTake(&g_mcdFramework->modelPool));
  if (!m) return nullptr;
  std::memset(m, 0, sizeof *m);
  m->geometry = geometry;
  m->padding = g_mcdFramework->defaultPadding;
  m->density = 1.0f;
  m->spaceIndex = -1;
  return m;
}

void McdModelDestroy(McdModelID model) {
  if (!model || !g_mcdFramework) return;
  if (model->space) McdSpaceRemoveModel(model);
  MeBlockPoolGive(&g_mcdFramework->modelPool, model);
}

void McdModelSetGeometry(McdModelID m, McdGeometryID g) { m->geometry = g; }
McdGeometryID McdModelGetGeometry(McdModelID m) { return m->geometry; }
void McdModelSetTransformPtr(McdModelID m, MeReal* t) { m->transform = t; }
MeReal* McdModelGetTransformPtr(McdModelID m) { return m->transform; }
void McdModelSetLinearVelocityPtr(McdModelID m, MeReal* v) { m->linearVelocity = v; }
MeReal* McdModelGetLinearVelocityPtr(McdModelID m) { return m->linearVelocity; }
void McdModelSetAngularVelocityPtr(McdModelID m, MeReal* v) { m->angularVelocity = v; }
MeReal* McdModelGetAngularVelocityPtr(McdModelID m) { return m->angularVelocity; }
void McdModelSetUserData(McdModelID m, MeUserWord d) { m->userData = d; }
MeUserWord McdModelGetUserData(McdModelID m) { return m->userData; }
void McdModelSetMaterial(McdModelID m, int material) { m->material = material; }
int McdModelGetMaterial(McdModelID m) { return m->material; }
void McdModelSetDensity(McdModelID m, MeReal d) { m->density = d; }
MeReal McdModelGetDensity(McdModelID m) { return m->density; }
void McdModelSetPadding(McdModelID m, MeReal p) { m->padding = p; }
MeReal McdModelGetPadding(McdModelID m) { return m->padding; }
void McdModelSetUpdateCallback(McdModelID m, McdModelUpdateFn fn) { m->updateFn = fn; }
McdModelUpdateFn McdModelGetUpdateCallback(McdModelID m) { return m->updateFn; }
void McdModelSetBodyPtr(McdModelID m, void* body) { m->body = body; }
void* McdModelGetBodyPtr(McdModelID m) { return m->body; }
void McdModelSetAuxData(McdModelID m, MeUserWord d) { m->auxData = d; }
MeUserWord McdModelGetAuxData(McdModelID m) { return m->auxData; }

namespace {

// transform = relative × parent (row vectors: relative applied first).
int RelativeTransformUpdate(McdModel* m) {
  if (m->relativeTransform && m->parentTransform && m->transform)
    MeMatrix4MultiplyRigid(m->transform, m->relativeTransform, m->parentTransform);
  return 0;
}

}  // namespace

void McdModelSetRelativeTransformPtrs(McdModelID m, MeReal* relative, MeReal* parent,
                                      MeReal* result) {
  m->relativeTransform = relative;
  m->parentTransform = parent;
  m->transform = result;
  m->updateFn = relative ? RelativeTransformUpdate : nullptr;
}

void McdModelGetRelativeTransformPtrs(McdModelID m, MeReal** relative, MeReal** parent) {
  *relative = m->relativeTransform;
  *parent = m->parentTransform;
}

int McdModelUpdate(McdModelID m) { return m->updateFn ? m->updateFn(m) : 0; }

void McdModelGetAABB(McdModelID m, MeReal* min, MeReal* max) {
  if (m->updateFn) m->updateFn(m);
  McdGeometryGetAABB(m->geometry, m->transform, min, max);
}

void McdModelGetSweptAABB(McdModelID m, MeReal* min, MeReal* max, MeReal step) {
  McdModelGetAABB(m, min, max);
  if (!m->linearVelocity || !m->angularVelocity || !m->transform) return;
  // Box at the transform predicted one step ahead, merged with the current.
  MeMatrix4 predicted;
  MeMatrix4Integrate(predicted, 0.0001f, step, m->linearVelocity, m->angularVelocity,
                     m->transform);
  MeVector3 min2, max2;
  McdGeometryGetAABB(m->geometry, predicted, min2, max2);
  for (int k = 0; k < 3; ++k) {
    if (min2[k] < min[k]) min[k] = min2[k];
    if (max2[k] > max[k]) max[k] = max2[k];
  }
}

void McdModelGetBSphere(McdModelID m, MeReal* centre, MeReal* radius) {
  if (!m->geometry) return;
  McdGeometryGetBSphere(m->geometry, centre, radius);
  if (m->transform) {
    centre[0] += m->transform[12];
    centre[1] += m->transform[13];
    centre[2] += m->transform[14];
  }
}
