#include "physics/dynamics/mcd_dt_bridge.h"

#include <cstring>

#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/dynamics/mdt_world.h"
#include "physics/util/me_math.h"
#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"

namespace {

constexpr unsigned kListSize = 50;
constexpr unsigned kContactCapacity = 50;

McdDtBridgeMaterialPair* record(McdDtBridge* b, unsigned a, unsigned c) {
  const unsigned n = b->materialCount;
  if (a >= n || c >= n) return nullptr;
  const unsigned lo = a < c ? a : c, hi = a < c ? c : a;
  return &b->table[hi - lo * (lo + 1) / 2 + n * lo];
}

MdtContact* head(McdModelPair* p) { return reinterpret_cast<MdtContact*>(p->auxData); }
void setHead(McdModelPair* p, MdtContact* c) { p->auxData = reinterpret_cast<MeUserWord>(c); }

void destroyList(MdtContact* c) {
  while (c) {
    MdtContact* next = c->nextContact;
    c->pair = nullptr;
    c->nextContact = nullptr;
    MdtConstraintDestroy(c);
    c = next;
  }
}

bool makeList(McdDtBridge* b, unsigned capacity) {
  auto** array = static_cast<McdModelPair**>(MeAllocZeroed(sizeof(McdModelPair*) * capacity));
  if (!array) return false;
  MeFree(b->pairArray);
  b->pairArray = array;
  McdSpacePairListInit(&b->pairList, array, static_cast<int>(capacity));
  return true;
}

void goodbyeHello(McdDtBridgePairList* list) {
  for (int i = 0; i < list->goodbyeEnd; ++i) {
    McdModelPair* p = list->array[i];
    destroyList(head(p));
    setHead(p, nullptr);
    McdGoodbye(p);
  }
  for (int i = list->helloStart; i < list->middle; ++i) {
    McdModelPair* p = list->array[i];
    setHead(p, nullptr);
    McdHello(p);
  }
}

void contactPass(McdDtBridge* br, MdtWorld* world) {
  McdDtBridgePairList* list = &br->pairList;
  for (int i = list->helloStart; i < list->stayingEnd; ++i) {
    McdModelPair* pair = list->array[i];
    McdModel* m0 = pair->model1;
    McdModel* m1 = pair->model2;
    if (McdSpaceModelIsFrozen(m0) && McdSpaceModelIsFrozen(m1)) continue;
    McdDtBridgeMaterialPair* rec = record(br, static_cast<unsigned>(McdModelGetMaterial(m0)),
                                          static_cast<unsigned>(McdModelGetMaterial(m1)));
    // A material outside the table reads the default material's record.
    if (!rec) rec = &br->table[0];
    McdIntersectResult result{};
    result.pair = pair;
    result.contacts = br->contacts;
    result.contactMaxCount = static_cast<MeI32>(br->contactCapacity);
    McdIntersect(pair, &result);
    if (result.touch && rec->touchCallback) rec->touchCallback(&result);

    MdtBody* b0 = static_cast<MdtBody*>(m0->body);
    MdtBody* b1 = static_cast<MdtBody*>(m1->body);
    MdtContact* prev = nullptr;   // last kept contact
    MdtContact* cur = head(pair);  // next contact to fill
    const int count = result.contactCount < result.contactMaxCount ? result.contactCount : result.contactMaxCount;
    for (int k = 0; k < count && (b0 || b1); ++k) {
      McdContact* cc = &br->contacts[k];
      if (!cur) {
        cur = MdtContactCreate(world);
        if (!cur) {
          if (!br->warnedPoolEmpty)
            MeWarning(0, "McdDtBridgeStep: the constraint pool is exhausted; pairs keep the contacts they have.\n");
          br->warnedPoolEmpty = 1;
          break;
        }
        if (prev) prev->nextContact = cur;
        else setHead(pair, cur);
        cur->pair = pair;
        if (b0) MdtConstraintSetBodies(cur, b0, b1);
        else MdtConstraintSetBodies(cur, b1, nullptr);
        MdtConstraintEnable(cur);
      }
      const MeReal s = b0 ? 1.0f : -1.0f;
      MdtContactSetNormal(cur, s * cc->normal[0], s * cc->normal[1], s * cc->normal[2]);
      MdtContactSetPosition(cur, cc->position[0], cc->position[1], cc->position[2]);
      MdtContactSetPenetration(cur, -cc->separation);
      MdtContactSetParams(cur, &rec->params);
      if (!rec->contactCallback || rec->contactCallback(&result, cc, cur)) {
        prev = cur;
        cur = cur->nextContact;
      }
    }
    // Contacts beyond the last kept one are left over from earlier steps.
    if (prev) prev->nextContact = nullptr;
    else setHead(pair, nullptr);
    destroyList(cur);
    if (rec->pairCallback && !rec->pairCallback(&result, head(pair))) {
      destroyList(head(pair));
      setHead(pair, nullptr);
    }
  }
}

void run(McdDtBridge* br, McdSpaceID space, MdtWorld* world, bool contacts) {
  McdSpaceEndChanges(space);
  McdSpacePairIterator it;
  McdSpacePairIteratorBegin(space, &it);
  int more = 1;
  while (more) {
    McdSpacePairListReset(&br->pairList);
    more = McdSpaceGetPairs(space, &it, &br->pairList);
    goodbyeHello(&br->pairList);
    if (contacts) contactPass(br, world);
  }
  McdSpaceBeginChanges(space);
}

void onDisabled(MdtBody* b) {
  if (b->model) McdSpaceFreezeModel(b->model);
}
void onEnabled(MdtBody* b) {
  if (b->model) McdSpaceUnfreezeModel(b->model);
}

}  // namespace

McdDtBridgeID McdDtBridgeCreate(unsigned n) {
  if (n == 0) return nullptr;
  auto* b = static_cast<McdDtBridge*>(MeAllocZeroed(sizeof(McdDtBridge)));
  if (!b) return nullptr;
  b->materialCount = n;
  b->nextMaterial = 1;
  const size_t records = static_cast<size_t>(n + 1) * n / 2;
  b->table = static_cast<McdDtBridgeMaterialPair*>(MeAllocZeroed(sizeof(McdDtBridgeMaterialPair) * records));
  b->contacts = static_cast<McdContact*>(MeAllocZeroed(sizeof(McdContact) * kContactCapacity));
  b->contactCapacity = kContactCapacity;
  if (!b->table || !b->contacts || !makeList(b, kListSize)) {
    McdDtBridgeDestroy(b);
    return nullptr;
  }
  for (size_t i = 0; i < records; ++i) MdtContactParamsReset(&b->table[i].params);
  return b;
}

void McdDtBridgeDestroy(McdDtBridgeID b) {
  if (!b) return;
  MeFree(b->pairArray);
  MeFree(b->contacts);
  MeFree(b->table);
  MeFree(b);
}

int McdDtBridgeNewMaterial(McdDtBridgeID b) {
  if (b->nextMaterial >= b->materialCount) {
    MeWarning(0, "McdDtBridgeNewMaterial: all %u materials are taken.\n", b->materialCount);
    return -1;
  }
  return static_cast<int>(b->nextMaterial++);
}

MdtContactParams* McdDtBridgeGetContactParams(McdDtBridgeID b, unsigned a, unsigned c) {
  McdDtBridgeMaterialPair* r = record(b, a, c);
  return r ? &r->params : nullptr;
}

void McdDtBridgeSetContactCallback(McdDtBridgeID b, unsigned a, unsigned c, McdDtBridgeContactCallback fn) {
  if (McdDtBridgeMaterialPair* r = record(b, a, c)) r->contactCallback = fn;
}
void McdDtBridgeSetPairCallback(McdDtBridgeID b, unsigned a, unsigned c, McdDtBridgePairCallback fn) {
  if (McdDtBridgeMaterialPair* r = record(b, a, c)) r->pairCallback = fn;
}
McdDtBridgeContactCallback McdDtBridgeGetContactCallback(McdDtBridgeID b, unsigned a, unsigned c) {
  McdDtBridgeMaterialPair* r = record(b, a, c);
  return r ? r->contactCallback : nullptr;
}
McdDtBridgePairCallback McdDtBridgeGetPairCallback(McdDtBridgeID b, unsigned a, unsigned c) {
  McdDtBridgeMaterialPair* r = record(b, a, c);
  return r ? r->pairCallback : nullptr;
}
McdDtBridgeTouchCallback McdDtBridgeGetTouchCallback(McdDtBridgeID b, unsigned a, unsigned c) {
  McdDtBridgeMaterialPair* r = record(b, a, c);
  return r ? r->touchCallback : nullptr;
}

int McdDtBridgeSetPairListSize(McdDtBridgeID b, unsigned capacity) {
  if (capacity < 2) {
    MeWarning(0, "McdDtBridgeSetPairListSize: a pair list needs room for 2 pairs at least.\n");
    return 0;
  }
  return makeList(b, capacity) ? 1 : 0;
}

void McdDtBridgeInstallWorldCallbacks(MdtWorldID w) {
  MdtWorldSetBodyDisabledCallback(w, onDisabled);
  MdtWorldSetBodyEnabledCallback(w, onEnabled);
}

void McdDtBridgeUpdatePairs(McdDtBridgeID b, McdSpaceID space) { run(b, space, nullptr, false); }
void McdDtBridgeStep(McdDtBridgeID b, McdSpaceID space, MdtWorldID w) { run(b, space, w, true); }

void McdModelSetBody(McdModel* m, MdtBodyID b) {
  if (b) {
    b->model = m;
    m->transform = b->transform;
    m->linearVelocity = b->state.vel;
    m->angularVelocity = b->state.velrot;
    m->body = b;
    return;
  }
  auto* old = static_cast<MdtBody*>(m->body);
  if (old) {
    if (m->transform == old->transform) m->transform = nullptr;
    if (m->linearVelocity == old->state.vel) m->linearVelocity = nullptr;
    if (m->angularVelocity == old->state.velrot) m->angularVelocity = nullptr;
    // The body must not keep freezing or unfreezing a model it has left.
    if (old->model == m) old->model = nullptr;
  }
  m->body = nullptr;
}

MdtBodyID McdModelGetBody(McdModel* m) { return static_cast<MdtBody*>(m->body); }

void McdModelResetDynamics(McdModel* m) {
  MdtBody* b = McdModelGetBody(m);
  if (!b) {
    MeWarning(0, "Resetting dynamics on McdModel with no dynamics.\n");
    return;
  }
  MdtBodySetPosition(b, 0, 0, 0);
  MdtBodySetQuaternion(b, 1, 0, 0, 0);
  MdtBodySetLinearVelocity(b, 0, 0, 0);
  MdtBodySetAngularVelocity(b, 0, 0, 0);
}

McdDtBridgeFramework* McdDtBridgeFrameworkCreate(unsigned maxBodies, unsigned maxConstraints, unsigned geometryTypes,
                                                 unsigned maxModels, unsigned maxPairs, unsigned materials) {
  auto* f = static_cast<McdDtBridgeFramework*>(MeAllocZeroed(sizeof(McdDtBridgeFramework)));
  if (!f) return nullptr;
  *f = McdDtBridgeFramework{maxBodies, maxConstraints, geometryTypes, maxModels, maxPairs, materials,
                            nullptr, nullptr, nullptr};
  f->world = MdtWorldCreate(maxBodies, maxConstraints);
  if (f->world) MdtWorldSetAutoDisable(f->world, 1);
  McdInit(static_cast<int>(geometryTypes), static_cast<int>(maxModels));
  McdPrimitivesRegisterTypes();
  // Without the pair tests nothing in this framework would ever collide.
  McdPrimitivesRegisterInteractions();
  f->space = McdAxisSortCreate(McdAllAxes, static_cast<int>(maxModels), static_cast<int>(maxPairs));
  f->bridge = McdDtBridgeCreate(materials);
  if (!f->world || !f->space || !f->bridge || !McdDtBridgeSetPairListSize(f->bridge, maxPairs)) {
    McdDtBridgeFrameworkDestroy(f);
    return nullptr;
  }
  McdDtBridgeInstallWorldCallbacks(f->world);
  return f;
}

void McdDtBridgeFrameworkDestroy(McdDtBridgeFramework* f) {
  if (!f) return;
  if (f->world) MdtWorldDestroy(f->world);
  if (f->space) McdSpaceDestroy(f->space);
  McdTerm();
  McdDtBridgeDestroy(f->bridge);
  MeFree(f);
}

McdModel* McdDtBridgeCreateDynamicModel(McdDtBridgeFramework* f, McdGeometryID g, MeReal density) {
  MeReal rel[16], inertia[9], volume = 0, centre[3], radius = 0;
  McdGeometryGetMassProperties(g, rel, inertia, &volume);
  McdGeometryGetBSphere(g, centre, &radius);
  if (!(volume > 0) || !(radius < MeInfinity)) {
    MeWarning(0, "McdDtBridgeCreateDynamicModel: the geometry has no finite volume and cannot move.\n");
    return nullptr;
  }
  McdModel* m = McdModelCreate(g);
  if (!m) return nullptr;
  MdtBody* b = MdtBodyCreate(f->world);
  if (!b) {
    McdModelDestroy(m);
    return nullptr;
  }
  MdtBodyEnable(b);
  McdModelSetDensity(m, density);
  const MeReal mass = volume * density;
  MeReal tensor[9];
  MdtMakeSphereInertiaTensor(mass, radius, tensor);
  MdtBodySetMass(b, mass);
  MdtBodySetInertiaTensor(b, tensor);
  McdModelSetBody(m, b);
  McdSpaceInsertModel(f->space, m);
  return m;
}

void McdDtBridgeDestroyDynamicModel(McdModel* m) {
  if (MdtBody* b = McdModelGetBody(m)) {
    McdModelSetBody(m, nullptr);
    MdtBodyDisable(b);
    MdtBodyDestroy(b);
  }
  McdSpaceRemoveModel(m);
  McdModelDestroy(m);
}

McdModel* McdDtBridgeCreateStaticModel(McdDtBridgeFramework* f, McdGeometryID g, MeReal* transform) {
  McdModel* m = McdModelCreate(g);
  if (!m) return nullptr;
  McdModelSetTransformPtr(m, transform);
  McdSpaceInsertModel(f->space, m);
  McdSpaceUpdateModel(m);
  McdSpaceFreezeModel(m);
  return m;
}

void McdDtBridgeDestroyStaticModel(McdModel* m) {
  McdSpaceRemoveModel(m);
  McdModelDestroy(m);
}

void McdIntersectResultPrint(const McdIntersectResult* r) {
  MeInfo(0, "Intersect Result: %d Contacts\n", r->contactCount);
  for (int i = 0; i < r->contactCount && i < r->contactMaxCount; ++i) {
    const McdContact& c = r->contacts[i];
    MeInfo(0, "Contact %d:\n", i);
    MeInfo(0, "  pos: % f % f % f\n", c.position[0], c.position[1], c.position[2]);
    MeInfo(0, "  nor: % f % f % f\n", c.normal[0], c.normal[1], c.normal[2]);
    MeInfo(0, "  sep: % f\n", c.separation);
  }
  MeInfo(0, "max contact count: %d\n", r->contactMaxCount);
  MeInfo(0, "touch: %d\n", r->touch);
}

int McdDtBridgeIntersectPairs(McdDtBridgePairList* list, int* cursor, McdIntersectResult* results, int maxResults,
                              int* resultCount, McdContact* buffer, int capacity, int* used) {
  *resultCount = 0;
  *used = 0;
  while (*cursor >= list->helloStart && *cursor < list->stayingEnd) {
    if (*resultCount >= maxResults) return 1;
    McdModelPair* p = list->array[*cursor];
    int want = p->request ? p->request->contactMaxCount : capacity;
    if (want > capacity) want = capacity;  // a request larger than the buffer could never run
    if (want > capacity - *used) return 1;
    McdIntersectResult* r = &results[(*resultCount)++];
    *r = McdIntersectResult{};
    r->pair = p;
    r->contacts = buffer + *used;
    r->contactMaxCount = capacity - *used;
    McdIntersect(p, r);
    *used += r->contactCount < r->contactMaxCount ? r->contactCount : r->contactMaxCount;
    *cursor -= 1;
  }
  return 0;
}

void McdDtBridgeForgetContact(MdtContactID c) {
  auto* pair = static_cast<McdModelPair*>(c->pair);
  if (!pair) return;
  MdtContact* prev = nullptr;
  for (MdtContact* k = head(pair); k; prev = k, k = k->nextContact) {
    if (k != c) continue;
    if (prev) prev->nextContact = k->nextContact;
    else setHead(pair, k->nextContact);
    break;
  }
  c->pair = nullptr;
  c->nextContact = nullptr;
}

MdtContactID McdDtBridgeGetPairContacts(McdModelPair* p) { return head(p); }
