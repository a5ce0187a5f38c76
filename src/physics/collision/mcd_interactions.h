// The interaction table: for each ordered pair of geometry types, the
// functions that open, close, intersect and time a pair of models of those
// types; and the per-type line-segment functions.
#pragma once

#include "physics/collision/mcd_types.h"

using McdHelloFn = void (*)(McdModelPair* pair);
using McdGoodbyeFn = void (*)(McdModelPair* pair);
// Fills the result; answers nonzero when the models touch.
using McdIntersectFn = int (*)(McdModelPair* pair, McdIntersectResult* result);
// Fills the result's time (starting from maxTime); answers nonzero when a
// time was computed.
using McdSafeTimeFn = int (*)(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result);
// Answers nonzero on a hit and fills all of the hit but its model.
using McdLineSegIntersectFn = int (*)(McdModel* model, const MeReal* start, const MeReal* end,
                                      McdLineSegHit* hit);

struct McdInteractions {
  McdHelloFn helloFn;
  McdGoodbyeFn goodbyeFn;
  McdIntersectFn intersectFn;
  McdSafeTimeFn safetimeFn;
};

// Chooses the record per pair, in place of the entry's own record.
using McdInteractionsEntryFn = McdInteractions* (*)(McdModelPair* pair);

struct McdInteractionsEntry {
  MeI32 mirrored;  // 1 when filled as the mirror of a registration
  McdInteractions interactions;
  McdInteractionsEntryFn entryFn;
};

// Stores the record's functions for (a, b), and mirrored for (b, a) when
// a != b.  Ignored when a type id is not below McdInit's type count.
void McdInteractionsSet(int typeA, int typeB, const McdInteractions* record,
                        McdInteractionsEntryFn entryFn);
// The record for the pair's model types (the entry function's answer when
// the entry has one); writes the mirrored flag.  Null (mirrored 0) when a
// model's type id is out of range.
McdInteractions* McdInteractionsGet(McdModelPair* pair, int* mirrored);
// The entry for (a, b); null when out of range.
McdInteractionsEntry* McdInteractionsGetEntry(int typeA, int typeB);

// Stores a type's line-segment function (ignored for an out-of-range id).
void McdLineSegIntersectRegister(int type, McdLineSegIntersectFn fn);
// Address of the type's slot; null for an out-of-range id.
McdLineSegIntersectFn* McdLineSegIntersectGetSlot(int type);
