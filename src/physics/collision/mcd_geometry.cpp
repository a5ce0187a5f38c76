#include "physics/collision/mcd_geometry.h"

#include <cstring>

#include "physics/collision/mcd_error.h"
#include "physics/collision/mcd_internal.h"
#include "physics/util/me_memory.h"

namespace {

struct TypeFunctions {
  McdGeometryDestroyFn destroy;
  McdGeometryGetAABBFn aabb;
  McdGeometryGetBSphereFn bsphere;
  McdGeometryGetMaxPointFn maxPoint;
  McdGeometryGetMassPropertiesFn mass;
};

int g_maxTypes = 0;
MeI16 g_typeCount = 0;
TypeFunctions* g_types = nullptr;

// The functions of a registered type, or null for an id outside the registry.
const TypeFunctions* Lookup(const McdGeometry* geometry) {
  if (!geometry || !g_types) return nullptr;
  int id = geometry->type;
  if (id < 0 || id >= g_typeCount || id >= g_maxTypes) return nullptr;
  return &g_types[id];
}

}  // namespace

bool McdGeometryRegistryCreate(int maxTypes) {
  McdGeometryRegistryDestroy();
  if (maxTypes < 0) maxTypes = 0;
  if (maxTypes > 0) {
    g_types = static_cast<TypeFunctions*>(MeAllocZeroed(sizeof(TypeFunctions) * maxTypes));
    if (!g_types) return false;
  }
  g_maxTypes = maxTypes;
  g_typeCount = 0;
  return true;
}

void McdGeometryRegistryDestroy() {
  MeFree(g_types);
  g_types = nullptr;
  g_maxTypes = 0;
  g_typeCount = 0;
}

int McdGeometryGetMaxTypeCount() { return g_maxTypes; }

MeI16 McdGeometryRegisterType(const char*, McdGeometryDestroyFn destroy, McdGeometryGetAABBFn aabb,
                              McdGeometryGetBSphereFn bsphere, McdGeometryGetMaxPointFn maxPoint,
                              McdGeometryGetMassPropertiesFn mass) {
  MeI16 id = g_typeCount;
  if (id + 1 > g_maxTypes) {
    // Fatal: the program ends here.  Should the handler return, nothing is
    // stored beyond the tables.
    McdReportError(McdErrorTable, 21, " in McdGeometryRegisterType.");
    return -1;
  }
  g_typeCount = static_cast<MeI16>(id + 1);
  g_types[id] = TypeFunctions{destroy, aabb, bsphere, maxPoint, mass};
  return id;
}

MeI16 McdGeometryGetTypeCount() { return g_typeCount; }
bool McdGeometryTypeIsValid(int id) { return id >= 0 && id < g_typeCount; }
void McdGeometryResetTypes() { g_typeCount = 0; }

int McdGeometryInit(McdGeometryID geometry, int type) {
  geometry->type = static_cast<MeI16>(type);
  std::memset(geometry->aabb, 0, sizeof geometry->aabb);
  return 0;
}

MeReal* McdGeometryGetAABBCache(McdGeometryID geometry) { return geometry->aabb; }
MeI16 McdGeometryGetType(const McdGeometry* geometry) { return geometry->type; }

void McdGeometryDestroy(McdGeometryID geometry) {
  const TypeFunctions* t = Lookup(geometry);
  if (t && t->destroy) t->destroy(geometry);
}

void McdGeometryGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max) {
  const TypeFunctions* t = Lookup(geometry);
  if (t && t->aabb) t->aabb(geometry, transform, min, max);
}

void McdGeometryGetBSphere(McdGeometryID geometry, MeReal* centre, MeReal* radius) {
  const TypeFunctions* t = Lookup(geometry);
  if (t && t->bsphere) t->bsphere(geometry, centre, radius);
}

void McdGeometryGetMaxPoint(McdGeometryID geometry, const MeReal* transform,
                            const MeReal* direction, MeReal* point) {
  const TypeFunctions* t = Lookup(geometry);
  if (t && t->maxPoint) t->maxPoint(geometry, transform, direction, point);
}

MeI16 McdGeometryGetMassProperties(McdGeometryID geometry, MeReal* relTransform, MeReal* inertia,
                                   MeReal* volume) {
  const TypeFunctions* t = Lookup(geometry);
  if (!t || !t->mass) return -1;
  return t->mass(geometry, relTransform, inertia, volume);
}
