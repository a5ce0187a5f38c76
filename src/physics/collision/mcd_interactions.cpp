#include "physics/collision/mcd_interactions.h"

#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_internal.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/util/me_memory.h"

namespace {

int g_n = 0;
McdInteractionsEntry* g_table = nullptr;  // entry (a, b) at row b, column a
McdLineSegIntersectFn* g_segments = nullptr;

bool InRange(int type) { return type >= 0 && type < g_n; }

}  // namespace

bool McdInteractionTableCreate(int maxTypes) {
  McdInteractionTableDestroy();
  if (maxTypes <= 0) return true;
  size_t n = static_cast<size_t>(maxTypes);
  g_table = static_cast<McdInteractionsEntry*>(MeAllocZeroed(sizeof(McdInteractionsEntry) * n * n));
  g_segments = static_cast<McdLineSegIntersectFn*>(MeAllocZeroed(sizeof(McdLineSegIntersectFn) * n));
  if (!g_table || !g_segments) {
    McdInteractionTableDestroy();
    return false;
  }
  g_n = maxTypes;
  return true;
}

void McdInteractionTableDestroy() {
  MeFree(g_table);
  MeFree(g_segments);
  g_table = nullptr;
  g_segments = nullptr;
  g_n = 0;
}

McdInteractionsEntry* McdInteractionsGetEntry(int typeA, int typeB) {
  if (!InRange(typeA) || !InRange(typeB)) return nullptr;
  return &g_table[static_cast<size_t>(typeB) * g_n + typeA];
}

void McdInteractionsSet(int typeA, int typeB, const McdInteractions* record,
                        McdInteractionsEntryFn entryFn) {
  McdInteractionsEntry* ab = McdInteractionsGetEntry(typeA, typeB);
  McdInteractionsEntry* ba = McdInteractionsGetEntry(typeB, typeA);
  if (!ab || !ba) return;
  *ab = McdInteractionsEntry{0, *record, entryFn};
  if (typeA != typeB) *ba = McdInteractionsEntry{1, *record, entryFn};
}

McdInteractions* McdInteractionsGet(McdModelPair* pair, int* mirrored) {
  *mirrored = 0;
  McdInteractionsEntry* e =
      McdInteractionsGetEntry(pair->model1->geometry->type, pair->model2->geometry->type);
  if (!e) return nullptr;
  *mirrored = e->mirrored;
  if (e->entryFn) return e->entryFn(pair);
  return &e->interactions;
}

void McdLineSegIntersectRegister(int type, McdLineSegIntersectFn fn) {
  if (InRange(type)) g_segments[type] = fn;
}

McdLineSegIntersectFn* McdLineSegIntersectGetSlot(int type) {
  return InRange(type) ? &g_segments[type] : nullptr;
}
