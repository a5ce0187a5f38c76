// Model pairs: two models reported near by the space, with the functions of
// their interaction, and the events dispatched on them.
#pragma once

#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_types.h"

struct McdModelPair {
  McdModel* model1;
  McdModel* model2;
  McdIntersectRequest* request;  // null: the pair test's own default
  MeUserWord userData;
  McdIntersectFn intersectFn;
  McdSafeTimeFn safetimeFn;
  McdGoodbyeFn goodbyeFn;
  MeUserWord auxData;
};

// Sets the models, the default request and clears the rest.
void McdModelPairReset(McdModelPair* pair, McdModel* model1, McdModel* model2);
// A pair allocated from the library's memory; null on failure.
McdModelPairID McdModelPairCreate(McdModelID model1, McdModelID model2);
void McdModelPairDestroy(McdModelPairID pair);
void McdModelPairGetModels(McdModelPairID pair, McdModelID* model1, McdModelID* model2);
void McdModelPairSetRequestPtr(McdModelPairID pair, McdIntersectRequest* request);
McdIntersectRequest* McdModelPairGetRequestPtr(McdModelPairID pair);
void McdModelPairSetUserData(McdModelPairID pair, MeUserWord data);
MeUserWord McdModelPairGetUserData(McdModelPairID pair);
void McdModelPairSetAuxData(McdModelPairID pair, MeUserWord data);
MeUserWord McdModelPairGetAuxData(McdModelPairID pair);
// True when both models' boxes overlap on all three axes (touching counts).
bool McdModelPairAABBsOverlap(McdModelPairID pair);

// Pair open: calls the hello hook, takes the functions of the interaction
// for the models' types (exchanging the models when the entry is mirrored)
// and calls the interaction's open function.
void McdHello(McdModelPairID pair);
// Pair close: calls the pair's close function.
void McdGoodbye(McdModelPairID pair);
// Runs the pair's intersect function; answers 1 when there is one (touch =
// its answer), 0 with touch and count 0 when there is none.
int McdIntersect(McdModelPairID pair, McdIntersectResult* result);
// Runs the pair's safe-time function when both models have velocities and
// answers its status; otherwise writes maxTime and answers 1 when a function
// exists, 0 when not.
int McdSafeTime(McdModelPairID pair, MeReal maxTime, McdSafeTimeResult* result);
