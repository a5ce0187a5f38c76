// The collision space: holds models and keeps, incrementally from frame to
// frame, the pairs whose boxes overlap (sweep and prune over up to three
// axes).  Changes (insert, move, remove, enable/disable pairs) are batched
// between McdSpaceBeginChanges and McdSpaceEndChanges; afterwards the caller
// reads the new (hello), continuing (staying) and ended (goodbye) pairs.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

enum { McdXAxis = 1, McdYAxis = 2, McdZAxis = 4, McdAllAxes = 7 };

// The largest model count a space accepts: pair keys hold 16 bits per slot.
inline constexpr int McdSpaceMaxModels = 65536;

// The box function the space asks for each model's box.
using McdSpaceAABBFn = void (*)(McdModel* model, MeReal* min, MeReal* max, MeReal step);
using McdSpaceBSphereFn = void (*)(McdModel* model, MeReal* centre, MeReal* radius);
// Line-segment query filter: nonzero to consider the model.
using McdSpaceModelFilterFn = int (*)(McdModel* model, MeUserWord userData);

// Cursors into the hello, staying and goodbye lists.
struct McdSpacePairIterator {
  void* hello;
  void* staying;
  void* goodbye;
};

struct McdSpaceModelIterator {
  MeI32 nextSlot;
  MeI32 count;
};

// The caller's pair list: goodbye pairs fill [0, goodbyeEnd), hello pairs
// [helloStart, middle), staying pairs [middle, stayingEnd).
struct McdSpacePairList {
  McdModelPair** array;
  MeI32 size;
  MeI32 goodbyeEnd;
  MeI32 helloStart;
  MeI32 middle;
  MeI32 stayingEnd;
};

// Points the list at `array` of `size` entries and empties it.
void McdSpacePairListInit(McdSpacePairList* list, McdModelPair** array, int size);
// Empties the list.
void McdSpacePairListReset(McdSpacePairList* list);

// A space over the axes of `axes` for up to maxModels models and maxPairs
// pairs (the pair pool grows by that many when needed).  Null when the mask
// is 0 or above 7, a count is below 1 or maxModels exceeds
// McdSpaceMaxModels, or allocation fails.  The space starts in a change
// phase.
McdSpaceID McdAxisSortCreate(int axes, int maxModels, int maxPairs);
void McdSpaceDestroy(McdSpaceID space);
// Does nothing (kept for callers that build before use).
void McdSpaceBuild(McdSpaceID space);
void McdSpaceSetAABBFn(McdSpaceID space, McdSpaceAABBFn fn);
void McdSpaceSetUserData(McdSpaceID space, MeUserWord data);
MeUserWord McdSpaceGetUserData(McdSpaceID space);
bool McdSpaceIsChanging(McdSpaceID space);

// Inserts the model (its box is taken at the next update).  1 on success or
// when it already is in this space; 0 when the space is full or the model is
// in another space.
int McdSpaceInsertModel(McdSpaceID space, McdModelID model);
// Removes the model from its space; its pairs are reported as goodbye (lower
// slot -1) after the next McdSpaceEndChanges.  Outside a change phase (from a
// callback while pairs are being read) the model leaves at once, its pairs
// are no longer delivered, and the space finishes the removal at the next
// McdSpaceBeginChanges.  1 when removed, 0 when the model was in no space.
int McdSpaceRemoveModel(McdModelID model);
// A frozen model keeps its place; pairs between two frozen models are
// neither made nor ended nor delivered.
int McdSpaceFreezeModel(McdModelID model);
int McdSpaceUnfreezeModel(McdModelID model);
int McdSpaceModelIsFrozen(McdModelID model);
// Re-sorts one active model by its current box.  Updates belong inside a
// change phase: outside one they report error 36 and do nothing (answer 0).
int McdSpaceUpdateModel(McdModelID model);
// Re-sorts every active model (inside a change phase).
int McdSpaceUpdate(McdSpaceID space);
// Re-sorts every active model by its box swept over `step` seconds.
int McdSpacePathUpdate(McdSpaceID space, MeReal step);

void McdSpaceModelIteratorBegin(McdSpaceID space, McdSpaceModelIterator* it);
// 1 with the next model in slot order, 0 (model null) at the end.
int McdSpaceGetNextModel(McdSpaceID space, McdSpaceModelIterator* it, McdModelID* model);
int McdSpaceGetModelCount(McdSpaceID space);

// Opens a change phase: hello pairs become staying, goodbye pairs are freed.
void McdSpaceBeginChanges(McdSpaceID space);
// Closes a change phase: the hello, staying and goodbye lists are final.
void McdSpaceEndChanges(McdSpaceID space);

void McdSpacePairIteratorBegin(McdSpaceID space, McdSpacePairIterator* it);
// Delivers goodbye, staying (unless both models are frozen) and hello pairs
// into the list; 1 when some did not fit (empty the list and call again), 0
// when all were delivered.  A list smaller than 2 entries cannot progress:
// nothing is delivered and 0 is answered (with a warning).
int McdSpaceGetPairs(McdSpaceID space, McdSpacePairIterator* it, McdSpacePairList* list);
// As McdSpaceGetPairs without staying pairs and at most one goodbye pair.
int McdSpaceGetTransitions(McdSpaceID space, McdSpacePairIterator* it, McdSpacePairList* list);

// Enable or disable the pair of two models of the same space; false when
// they are not in one space, are the same model, or the pair is already in
// transition outside a change phase.
bool McdSpaceEnablePair(McdModelID model1, McdModelID model2);
bool McdSpaceDisablePair(McdModelID model1, McdModelID model2);
bool McdSpacePairIsEnabled(McdModelID model1, McdModelID model2);

// Every hit of the segment, up to maxHits; answers the number.
int McdSpaceGetLineSegIntersections(McdSpaceID space, const MeReal* start, const MeReal* end,
                                    McdLineSegHit* hits, int maxHits);
// The nearest hit; 1 when there is one.
int McdSpaceGetLineSegFirstIntersection(McdSpaceID space, const MeReal* start, const MeReal* end,
                                        McdLineSegHit* hit);
// The nearest hit among the models the filter accepts.
int McdSpaceGetLineSegFirstFilteredIntersection(McdSpaceID space, const MeReal* start,
                                                const MeReal* end, McdSpaceModelFilterFn filter,
                                                MeUserWord userData, McdLineSegHit* hit);
