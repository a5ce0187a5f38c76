#include "physics/collision/mcd_space.h"

#include "physics/collision/mcd_axis_sort_space.h"
#include "physics/collision/mcd_error.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_model.h"
#include "physics/util/me_profile.h"

namespace {

McdAxisSortSpace* AsSort(McdSpaceID space) { return static_cast<McdAxisSortSpace*>(space); }

void DefaultAABB(McdModel* model, MeReal* min, MeReal* max, MeReal) {
  McdModelGetAABB(model, min, max);
}
void SweptAABB(McdModel* model, MeReal* min, MeReal* max, MeReal step) {
  McdModelGetSweptAABB(model, min, max, step);
}

// Updates belong inside a change phase; outside one they would change the
// lists the caller is reading.
bool CheckChanging(McdSpaceID space, const char* function) {
  if (space->IsChanging()) return true;
  McdReportError(McdErrorTable, 36, function);
  return false;
}

}  // namespace

void McdSpacePairListInit(McdSpacePairList* list, McdModelPair** array, int size) {
  list->array = array;
  list->size = size;
  McdSpacePairListReset(list);
}

void McdSpacePairListReset(McdSpacePairList* list) {
  list->middle = list->size / 2;
  list->goodbyeEnd = 0;
  list->helloStart = list->middle;
  list->stayingEnd = list->middle;
}

McdSpaceID McdAxisSortCreate(int axes, int maxModels, int maxPairs) {
  int mask = axes & 0xFF;
  if (mask == 0 || mask > 7 || maxModels < 1 || maxPairs < 1) return nullptr;
  if (maxModels > McdSpaceMaxModels) return nullptr;
  McdAxisSortSpace* space = McdAxisSortSpace::Create(mask, maxModels, maxPairs);
  if (!space) return nullptr;
  space->SetAABBFn(DefaultAABB);
  space->SetBSphereFn(McdModelGetBSphere);
  space->BeginChanges();
  return space;
}

void McdSpaceDestroy(McdSpaceID space) { delete space; }
void McdSpaceBuild(McdSpaceID) {}
void McdSpaceSetAABBFn(McdSpaceID space, McdSpaceAABBFn fn) { space->SetAABBFn(fn); }
void McdSpaceSetUserData(McdSpaceID space, MeUserWord data) { space->SetUserWord(data); }
MeUserWord McdSpaceGetUserData(McdSpaceID space) { return space->GetUserWord(); }
bool McdSpaceIsChanging(McdSpaceID space) { return space->IsChanging(); }

int McdSpaceInsertModel(McdSpaceID space, McdModelID model) {
  if (model->space) return model->space == space ? 1 : 0;
  int slot = space->InsertModel(model);
  if (slot < 0) return 0;
  model->space = space;
  model->spaceIndex = slot;
  return 1;
}

int McdSpaceRemoveModel(McdModelID model) {
  McdSpace* space = model->space;
  if (!space) return 0;
  space->RemoveModel(model->spaceIndex);
  model->space = nullptr;
  model->spaceIndex = -1;
  return 1;
}

int McdSpaceFreezeModel(McdModelID model) {
  return model->space ? model->space->SetModelActive(model->spaceIndex, false) : 0;
}

int McdSpaceUnfreezeModel(McdModelID model) {
  return model->space ? model->space->SetModelActive(model->spaceIndex, true) : 0;
}

int McdSpaceModelIsFrozen(McdModelID model) {
  return model->space ? !model->space->ModelIsActive(model->spaceIndex) : 0;
}

int McdSpaceUpdateModel(McdModelID model) {
  McdSpace* space = model->space;
  if (!space || !CheckChanging(space, "McdSpaceUpdateModel")) return 0;
  if (!space->ModelIsActive(model->spaceIndex)) return 0;
  return space->UpdateModel(model->spaceIndex, 0) ? 1 : 0;
}

int McdSpaceUpdate(McdSpaceID space) {
  if (!CheckChanging(space, "McdSpaceUpdate")) return 0;
  return space->UpdateAll(0) ? 1 : 0;
}

int McdSpacePathUpdate(McdSpaceID space, MeReal step) {
  if (!CheckChanging(space, "McdSpacePathUpdate")) return 0;
  MeProfileStartSection("McdSpacePathUpdate", 0);
  McdAxisSortSpace* s = AsSort(space);
  McdSpaceAABBFn old = s->GetAABBFn();
  s->SetAABBFn(SweptAABB);
  bool ok = s->UpdateAll(step);
  s->SetAABBFn(old == SweptAABB || !old ? DefaultAABB : old);
  MeProfileEndSectionFn("McdSpacePathUpdate");
  return ok ? 1 : 0;
}

void McdSpaceModelIteratorBegin(McdSpaceID, McdSpaceModelIterator* it) {
  it->nextSlot = 0;
  it->count = 0;
}

int McdSpaceGetNextModel(McdSpaceID space, McdSpaceModelIterator* it, McdModelID* model) {
  while (it->nextSlot < space->Capacity()) {
    McdModel* m = space->ModelAt(it->nextSlot++);
    if (m) {
      ++it->count;
      *model = m;
      return 1;
    }
  }
  *model = nullptr;
  return 0;
}

int McdSpaceGetModelCount(McdSpaceID space) {
  return space->Capacity() - space->FreeSlotCount() - AsSort(space)->PendingRemovalCount();
}

void McdSpaceBeginChanges(McdSpaceID space) { space->BeginChanges(); }
void McdSpaceEndChanges(McdSpaceID space) { space->EndChanges(); }

void McdSpacePairIteratorBegin(McdSpaceID space, McdSpacePairIterator* it) {
  it->hello = static_cast<McdAxisSortSpace::PairNode*>(space->HelloHead())->listNext;
  it->staying = static_cast<McdAxisSortSpace::PairNode*>(space->StayingHead())->listNext;
  it->goodbye = static_cast<McdAxisSortSpace::PairNode*>(space->GoodbyeHead())->listNext;
}

int McdSpaceGetPairs(McdSpaceID space, McdSpacePairIterator* it, McdSpacePairList* list) {
  return AsSort(space)->GetPairs(it, list, true, -1);
}

int McdSpaceGetTransitions(McdSpaceID space, McdSpacePairIterator* it, McdSpacePairList* list) {
  return AsSort(space)->GetPairs(it, list, false, 1);
}

namespace {

bool SameSpace(McdModelID a, McdModelID b) { return a->space && a->space == b->space; }

}  // namespace

bool McdSpaceEnablePair(McdModelID a, McdModelID b) {
  return SameSpace(a, b) && a->space->SetPairEnabled(a->spaceIndex, b->spaceIndex, true);
}

bool McdSpaceDisablePair(McdModelID a, McdModelID b) {
  return SameSpace(a, b) && a->space->SetPairEnabled(a->spaceIndex, b->spaceIndex, false);
}

bool McdSpacePairIsEnabled(McdModelID a, McdModelID b) {
  return SameSpace(a, b) && a->space->PairIsEnabled(a->spaceIndex, b->spaceIndex);
}

namespace {

// Visits the models of the space in slot order with their segment function.
template <typename Visit>
void ForEachSegmentModel(McdSpaceID space, Visit visit) {
  int remaining = McdSpaceGetModelCount(space);
  for (int slot = 0; slot < space->Capacity() && remaining > 0; ++slot) {
    McdModel* m = space->ModelAt(slot);
    if (!m) continue;
    --remaining;
    if (m->space != space || !m->geometry) continue;
    McdLineSegIntersectFn* fn = McdLineSegIntersectGetSlot(m->geometry->type);
    if (!fn || !*fn) continue;
    if (!visit(m, *fn)) return;
  }
}

int Nearest(McdSpaceID space, const MeReal* start, const MeReal* end,
            McdSpaceModelFilterFn filter, MeUserWord userData, McdLineSegHit* hit) {
  McdLineSegHit best{};
  best.distance = 1e25f;
  bool found = false;
  ForEachSegmentModel(space, [&](McdModel* m, McdLineSegIntersectFn fn) {
    if (filter && !filter(m, userData)) return true;
    McdLineSegHit h{};
    if (fn(m, start, end, &h) && h.distance < best.distance) {
      best = h;
      best.model = m;
      found = true;
    }
    return true;
  });
  if (found) *hit = best;
  return found ? 1 : 0;
}

}  // namespace

int McdSpaceGetLineSegIntersections(McdSpaceID space, const MeReal* start, const MeReal* end,
                                    McdLineSegHit* hits, int maxHits) {
  if (maxHits < 1) return 0;
  int count = 0;
  ForEachSegmentModel(space, [&](McdModel* m, McdLineSegIntersectFn fn) {
    McdLineSegHit h{};
    if (fn(m, start, end, &h)) {
      h.model = m;
      hits[count++] = h;
    }
    return count < maxHits;
  });
  return count;
}

int McdSpaceGetLineSegFirstIntersection(McdSpaceID space, const MeReal* start, const MeReal* end,
                                        McdLineSegHit* hit) {
  return Nearest(space, start, end, nullptr, 0, hit);
}

int McdSpaceGetLineSegFirstFilteredIntersection(McdSpaceID space, const MeReal* start,
                                                const MeReal* end, McdSpaceModelFilterFn filter,
                                                MeUserWord userData, McdLineSegHit* hit) {
  return Nearest(space, start, end, filter, userData, hit);
}
