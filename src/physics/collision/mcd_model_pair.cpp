#include "physics/collision/mcd_model_pair.h"

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_model.h"
#include "physics/util/me_memory.h"

void McdModelPairReset(McdModelPair* pair, McdModel* model1, McdModel* model2) {
  *pair = McdModelPair{};
  pair->model1 = model1;
  pair->model2 = model2;
  pair->request = McdGetDefaultRequestPtr();
}

McdModelPairID McdModelPairCreate(McdModelID model1, McdModelID model2) {
  McdModelPair* pair = static_cast<McdModelPair*>(MeAlloc(sizeof(McdModelPair)));
  if (pair) McdModelPairReset(pair, model1, model2);
  return pair;
}

void McdModelPairDestroy(McdModelPairID pair) { MeFree(pair); }

void McdModelPairGetModels(McdModelPairID p, McdModelID* m1, McdModelID* m2) {
  *m1 = p->model1;
  *m2 = p->model2;
}
void McdModelPairSetRequestPtr(McdModelPairID p, McdIntersectRequest* r) { p->request = r; }
McdIntersectRequest* McdModelPairGetRequestPtr(McdModelPairID p) { return p->request; }
void McdModelPairSetUserData(McdModelPairID p, MeUserWord d) { p->userData = d; }
MeUserWord McdModelPairGetUserData(McdModelPairID p) { return p->userData; }
void McdModelPairSetAuxData(McdModelPairID p, MeUserWord d) { p->auxData = d; }
MeUserWord McdModelPairGetAuxData(McdModelPairID p) { return p->auxData; }

bool McdModelPairAABBsOverlap(McdModelPairID p) {
  MeVector3 min1, max1, min2, max2;
  McdModelGetAABB(p->model1, min1, max1);
  McdModelGetAABB(p->model2, min2, max2);
  for (int k = 0; k < 3; ++k)
    if (!(max1[k] >= min2[k] && min1[k] <= max2[k])) return false;
  return true;
}

void McdHello(McdModelPairID pair) {
  if (McdHelloCallbackFn hook = McdGetHelloCallback()) hook(pair);
  int mirrored = 0;
  McdInteractions* in = McdInteractionsGet(pair, &mirrored);
  if (!in) {
    pair->intersectFn = nullptr;
    pair->safetimeFn = nullptr;
    pair->goodbyeFn = nullptr;
    return;
  }
  pair->intersectFn = in->intersectFn;
  pair->safetimeFn = in->safetimeFn;
  pair->goodbyeFn = in->goodbyeFn;
  // Put the models in the order the functions were registered for.
  if (mirrored) {
    McdModel* t = pair->model1;
    pair->model1 = pair->model2;
    pair->model2 = t;
  }
  if (in->helloFn) in->helloFn(pair);
}

void McdGoodbye(McdModelPairID pair) {
  if (pair->goodbyeFn) pair->goodbyeFn(pair);
}

int McdIntersect(McdModelPairID pair, McdIntersectResult* result) {
  result->pair = pair;
  if (pair->intersectFn) {
    result->touch = pair->intersectFn(pair, result);
    return 1;
  }
  result->touch = 0;
  result->contactCount = 0;
  return 0;
}

int McdSafeTime(McdModelPairID pair, MeReal maxTime, McdSafeTimeResult* result) {
  result->pair = pair;
  McdModel* m1 = pair->model1;
  McdModel* m2 = pair->model2;
  bool moving = m1->linearVelocity && m1->angularVelocity && m2->linearVelocity &&
                m2->angularVelocity;
  if (pair->safetimeFn && moving) {
    result->time = maxTime;
    // Forward the function's own status: 0 means it computed no time, and a
    // negative time (a separating pair) is no limit at all.
    int status = pair->safetimeFn(pair, maxTime, result);
    if (!(result->time >= 0) || result->time > maxTime) result->time = maxTime;
    return status;
  }
  result->time = maxTime;
  return pair->safetimeFn ? 1 : 0;
}
