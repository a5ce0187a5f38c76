#include "physics/collision/mcd_axis_sort_space.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "physics/collision/mcd_error.h"
#include "physics/collision/mcd_model.h"
#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"

// Sweep and prune.  On every used axis the box endpoints of all models sit in
// one list sorted by (value, kind) with minima before maxima of equal value,
// between a low and a high sentinel.  Moving an endpoint walks it to its new
// place by neighbour swaps; each time a minimum and a maximum of two slots
// change order the pair's overlap count on that axis changes by one, and the
// pair exists exactly while the count equals the number of axes.  Sorting
// minima first makes boxes whose faces touch overlap, whatever the history.

void* McdSpace::operator new(size_t size) {
  void* p = MeAlloc(size);
  if (!p) throw std::bad_alloc();
  return p;
}

void McdSpace::operator delete(void* p) { MeFree(p); }

McdAxisSortSpace* McdAxisSortSpace::Create(int axes, int maxModels, int maxPairs) {
  McdAxisSortSpace* space = nullptr;
  try {
    space = new McdAxisSortSpace();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!space->Build(axes, maxModels, maxPairs)) {
    delete space;
    return nullptr;
  }
  return space;
}

bool McdAxisSortSpace::Build(int axes, int maxModels, int maxPairs) {
  axisMask_ = static_cast<uint8_t>(axes & 7);
  axisCount_ = static_cast<uint8_t>((axes & 1) + ((axes >> 1) & 1) + ((axes >> 2) & 1));
  capacity_ = maxModels;
  growthStep_ = maxModels;
  maxPairs_ = maxPairs;
  size_t n = static_cast<size_t>(maxModels);
  slots_ = static_cast<Slot*>(MeAllocZeroed(sizeof(Slot) * n));
  activeBits_ = static_cast<uint32_t*>(MeAllocZeroed(sizeof(uint32_t) * ((n + 31) / 32)));
  freeStack_ = static_cast<int*>(MeAlloc(sizeof(int) * n));
  pendingRemovals_ = static_cast<int*>(MeAlloc(sizeof(int) * n));
  // N(N − 1)/2 entries of 4 bits, two per byte.
  size_t entries = n * (n - 1) / 2;
  states_ = static_cast<uint8_t*>(MeAllocZeroed(entries / 2 + 1));
  uint32_t buckets = 1;
  while (buckets < static_cast<uint32_t>(maxPairs)) buckets <<= 1;
  bucketMask_ = buckets - 1;
  buckets_ = static_cast<PairNode**>(MeAllocZeroed(sizeof(PairNode*) * buckets));
  if (!slots_ || !activeBits_ || !freeStack_ || !pendingRemovals_ || !states_ || !buckets_)
    return false;
  for (int i = 0; i < maxModels; ++i) {
    slots_[i].index = -1;
    for (int k = 0; k < 6; ++k) {
      slots_[i].ends[k].slot = i;
      slots_[i].ends[k].kind = static_cast<uint8_t>(k & 1);
    }
  }
  // Slots are handed out from 0 upward.
  freeCount_ = maxModels;
  for (int i = 0; i < maxModels; ++i) freeStack_[i] = maxModels - 1 - i;
  for (int axis = 0; axis < 3; ++axis) {
    Endpoint* lo = &sentinels_[axis][0];
    Endpoint* hi = &sentinels_[axis][1];
    lo->value = -MeInfinity;
    hi->value = MeInfinity;
    lo->kind = hi->kind = 0xFF;
    lo->next = hi;
    lo->prev = hi;
    hi->next = lo;
    hi->prev = lo;
  }
  for (PairNode& head : lists_) ListInit(&head);
  chunkSize_ = maxPairs >= 1 ? maxPairs : 100;
  if (!GrowPool()) return false;
  aabbFn_ = nullptr;
  changing_ = true;
  return true;
}

McdAxisSortSpace::~McdAxisSortSpace() {
  for (int i = 0; i < chunkCount_; ++i) MeFree(chunks_[i]);
  MeFree(chunks_);
  MeFree(freeNodes_);
  MeFree(buckets_);
  MeFree(states_);
  MeFree(pendingRemovals_);
  MeFree(freeStack_);
  MeFree(activeBits_);
  if (slots_) {
    // Models still inside leave the space with it.
    for (int i = 0; i < capacity_; ++i)
      if (slots_[i].index >= 0 && !slots_[i].pendingRemoval && slots_[i].model &&
          slots_[i].model->space == this) {
        slots_[i].model->space = nullptr;
        slots_[i].model->spaceIndex = -1;
      }
  }
  MeFree(slots_);
}

bool McdAxisSortSpace::SetGrowthStep(int step) {
  if (step < 1) return false;
  growthStep_ = step;
  return true;
}

bool McdAxisSortSpace::SlotIsValid(int slot) const {
  return slot >= 0 && slot < capacity_ && slots_[slot].index == slot;
}

bool McdAxisSortSpace::SlotPendingRemoval(int slot) const {
  return SlotIsValid(slot) && slots_[slot].pendingRemoval;
}

McdModel* McdAxisSortSpace::ModelAt(int slot) const {
  return SlotIsValid(slot) && !slots_[slot].pendingRemoval ? slots_[slot].model : nullptr;
}

bool McdAxisSortSpace::ModelIsActive(int slot) const {
  return SlotIsValid(slot) && slots_[slot].active;
}

bool McdAxisSortSpace::SetModelActive(int slot, bool active) {
  if (!SlotIsValid(slot) || slots_[slot].pendingRemoval) return false;
  slots_[slot].active = active ? 1 : 0;
  uint32_t bit = 1u << (slot % 32);
  if (active)
    activeBits_[slot / 32] |= bit;
  else
    activeBits_[slot / 32] &= ~bit;
  return true;
}

int McdAxisSortSpace::InsertModel(McdModel* model) {
  if (freeCount_ == 0) return -1;
  int slot = freeStack_[--freeCount_];
  Slot& s = slots_[slot];
  s.index = slot;
  s.model = model;
  s.pendingRemoval = 0;
  // New endpoints go at the top of each list; the first update brings them
  // down to the model's box.
  for (int axis = 0; axis < 3; ++axis) {
    Endpoint* hi = &sentinels_[axis][1];
    for (int k = 0; k < 2; ++k) {
      Endpoint* e = &s.ends[2 * axis + k];
      e->value = MeInfinity;
      e->prev = hi->prev;
      e->next = hi;
      hi->prev->next = e;
      hi->prev = e;
    }
  }
  SetModelActive(slot, true);
  return slot;
}

// Inside a change phase the removal is done at once; outside one (from a
// callback while the caller reads the pair lists) it waits for the next
// McdSpaceBeginChanges, so that no list the caller walks is changed.
bool McdAxisSortSpace::RemoveModel(int slot) {
  if (!SlotIsValid(slot) || slots_[slot].pendingRemoval) return true;
  if (changing_) {
    RemoveNow(slot);
    return true;
  }
  SetModelActive(slot, false);
  slots_[slot].pendingRemoval = 1;
  pendingRemovals_[pendingRemovalCount_++] = slot;
  return true;
}

void McdAxisSortSpace::RemoveNow(int slot) {
  Slot& s = slots_[slot];
  s.active = 0;
  activeBits_[slot / 32] &= ~(1u << (slot % 32));
  for (Endpoint& e : s.ends) {
    e.prev->next = e.next;
    e.next->prev = e.prev;
    e.next = e.prev = nullptr;
  }
  for (int t = 0; t < capacity_; ++t) {
    if (t == slot) continue;
    SetState(t, slot, 0);
    if (PairNode* node = Find(t, slot)) {
      HashRemove(node);
      if (node->pendingGoodbye) node->pendingGoodbye = 0;  // dropped from the chain below
      ListUnlink(node);
      ListAppend(&lists_[kRemoved], node);
    }
  }
  // Drop nodes of this slot from the pending-goodbye chain.
  PairNode** link = &pendingGoodbyes_;
  while (*link) {
    if (!(*link)->pendingGoodbye)
      *link = (*link)->pendingNext;
    else
      link = &(*link)->pendingNext;
  }
  s.index = -1;
  s.model = nullptr;
  s.pendingRemoval = 0;
  freeStack_[freeCount_++] = slot;
}

// ---- pair state table ----------------------------------------------------

namespace {
inline uint64_t StateIndex(int i, int j, int n) {
  // Row-major upper triangle without the diagonal, i < j.
  uint64_t ii = static_cast<uint64_t>(i);
  return ii * static_cast<uint64_t>(n) - (ii + 1) * (ii + 2) / 2 + static_cast<uint64_t>(j);
}
}  // namespace

uint8_t McdAxisSortSpace::State(int a, int b) const {
  int i = a < b ? a : b, j = a < b ? b : a;
  uint64_t k = StateIndex(i, j, capacity_);
  uint8_t byte = states_[k / 2];
  return (k & 1) ? static_cast<uint8_t>(byte >> 4) : static_cast<uint8_t>(byte & 15);
}

void McdAxisSortSpace::SetState(int a, int b, uint8_t value) {
  int i = a < b ? a : b, j = a < b ? b : a;
  uint64_t k = StateIndex(i, j, capacity_);
  uint8_t& byte = states_[k / 2];
  if (k & 1)
    byte = static_cast<uint8_t>((byte & 0x0F) | (value << 4));
  else
    byte = static_cast<uint8_t>((byte & 0xF0) | (value & 15));
}

bool McdAxisSortSpace::Live(int a, int b, uint8_t state) const {
  auto active = [this](int s) { return (activeBits_[s / 32] >> (s % 32)) & 1u; };
  return !(state & kDisabled) && (active(a) || active(b));
}

// ---- pair pool -----------------------------------------------------------

uint32_t McdAxisSortSpace::Bucket(uint32_t key) const { return ((key >> 16) ^ key) & bucketMask_; }

namespace {
inline uint32_t PairKey(int a, int b) {
  uint32_t lo = static_cast<uint32_t>(a < b ? a : b), hi = static_cast<uint32_t>(a < b ? b : a);
  return (lo << 16) | (hi & 0xFFFF);
}
}  // namespace

bool McdAxisSortSpace::GrowPool() {
  PairNode* chunk = static_cast<PairNode*>(MeAllocZeroed(sizeof(PairNode) * chunkSize_));
  if (!chunk) return false;
  PairNode** chunks = static_cast<PairNode**>(MeRealloc(chunks_, sizeof(PairNode*) * (chunkCount_ + 1)));
  if (!chunks) {
    MeFree(chunk);
    return false;
  }
  chunks_ = chunks;
  PairNode** freeNodes =
      static_cast<PairNode**>(MeRealloc(freeNodes_, sizeof(PairNode*) * (totalNodes_ + chunkSize_)));
  if (!freeNodes) {
    MeFree(chunk);
    return false;
  }
  freeNodes_ = freeNodes;
  chunks_[chunkCount_++] = chunk;
  totalNodes_ += chunkSize_;
  for (int i = chunkSize_ - 1; i >= 0; --i) freeNodes_[freeNodeCount_++] = &chunk[i];
  return true;
}

McdAxisSortSpace::PairNode* McdAxisSortSpace::NewNode(int a, int b, McdModel* model1,
                                                      McdModel* model2) {
  if (freeNodeCount_ == 0 && !GrowPool()) {
    McdReportError(McdErrorTable, 24, "");
    return nullptr;  // only reached when the fatal handler returns
  }
  PairNode* node = freeNodes_[--freeNodeCount_];
  std::memset(node, 0, sizeof *node);
  node->key = PairKey(a, b);
  node->lowerSlot = a < b ? a : b;
  node->higherSlot = a < b ? b : a;
  McdModelPairReset(&node->pair, model1, model2);
  HashInsert(node);
  return node;
}

void McdAxisSortSpace::ReleaseNode(PairNode* node) { freeNodes_[freeNodeCount_++] = node; }

void McdAxisSortSpace::HashInsert(PairNode* node) {
  PairNode*& head = buckets_[Bucket(node->key)];
  node->hashPrev = nullptr;
  node->hashNext = head;
  if (head) head->hashPrev = node;
  head = node;
}

void McdAxisSortSpace::HashRemove(PairNode* node) {
  PairNode*& head = buckets_[Bucket(node->key)];
  if (node->hashPrev)
    node->hashPrev->hashNext = node->hashNext;
  else if (head == node)
    head = node->hashNext;
  if (node->hashNext) node->hashNext->hashPrev = node->hashPrev;
  node->hashNext = node->hashPrev = nullptr;
}

// Looks the pair up and moves it to the front of its bucket.
McdAxisSortSpace::PairNode* McdAxisSortSpace::Find(int a, int b) {
  uint32_t key = PairKey(a, b);
  PairNode*& head = buckets_[Bucket(key)];
  for (PairNode* n = head; n; n = n->hashNext) {
    if (n->key != key) continue;
    if (n != head) {
      HashRemove(n);
      HashInsert(n);
    }
    return n;
  }
  return nullptr;
}

void McdAxisSortSpace::ListInit(PairNode* head) { head->listNext = head->listPrev = head; }

void McdAxisSortSpace::ListUnlink(PairNode* node) {
  if (!node->listNext) return;
  node->listPrev->listNext = node->listNext;
  node->listNext->listPrev = node->listPrev;
  node->listNext = node->listPrev = nullptr;
}

void McdAxisSortSpace::ListAppend(PairNode* head, PairNode* node) {
  node->listPrev = head->listPrev;
  node->listNext = head;
  head->listPrev->listNext = node;
  head->listPrev = node;
}

// ---- overlap changes -----------------------------------------------------

void McdAxisSortSpace::OverlapChange(int a, int b, int delta) {
  if (a == b) return;
  ApplyCount(a, b, ((State(a, b) & kCountMask) + delta) & 3);
}

// Sets the overlap count of slots a and b to c2, making, ending or
// restoring their pair where the count reaches or leaves K.
void McdAxisSortSpace::ApplyCount(int a, int b, int c2) {
  uint8_t state = State(a, b);
  int k = axisCount_;
  int c = state & kCountMask;
  uint8_t flags = state & static_cast<uint8_t>(kDisabled | kInTransition);
  bool live = Live(a, b, state);
  if (c == k && live) {
    // The boxes stop overlapping.
    if (PairNode* node = Find(a, b)) {
      if (flags & kInTransition) {
        // Made in this phase and never reported: forget it.
        HashRemove(node);
        ListUnlink(node);
        ReleaseNode(node);
        flags &= static_cast<uint8_t>(~kInTransition);
      } else {
        ListUnlink(node);
        ListAppend(&lists_[kGoodbye], node);
        flags |= kInTransition;
      }
    }
  } else if (c2 == k && live) {
    // The boxes start overlapping.
    if (flags & kInTransition) {
      if (PairNode* node = Find(a, b)) {
        ListUnlink(node);
        ListAppend(&lists_[kStaying], node);
      }
      flags &= static_cast<uint8_t>(~kInTransition);
    } else if (!Find(a, b)) {
      if (PairNode* node = NewNode(a, b, slots_[a].model, slots_[b].model)) {
        ListAppend(&lists_[kHello], node);
        flags |= kInTransition;
      }
    }
  }
  SetState(a, b, static_cast<uint8_t>(c2 | flags));
}

// A crossing that changes a count which neither was nor becomes K only
// updates the nibble; the rest goes to OverlapChange.
inline void McdAxisSortSpace::Cross(int a, int b, int delta) {
  if (a == b) return;
  int i = a < b ? a : b, j = a < b ? b : a;
  uint64_t index = StateIndex(i, j, capacity_);
  uint8_t& byte = states_[index / 2];
  const int shift = (index & 1) ? 4 : 0;
  int c = (byte >> shift) & kCountMask;
  int c2 = (c + delta) & 3;
  if (c != axisCount_ && c2 != axisCount_) {
    byte = static_cast<uint8_t>((byte & ~(3 << shift)) | (c2 << shift));
    return;
  }
  OverlapChange(a, b, delta);
}

// Walks the endpoint to value v.  The order key is (value, kind), minima
// before maxima: a minimum and a maximum of two slots that change order
// report the overlap change (+1 when the minimum comes to lie before the
// maximum, −1 when after).
void McdAxisSortSpace::MoveEndpoint(Endpoint* e, MeReal v) {
  const int self = e->slot;
  const bool isMin = e->kind == 0;
  if (v > e->value || (v == e->value && !isMin)) {
    // Forward: pass endpoints whose key is below (v, kind).
    Endpoint* n = e->next;
    while (n->kind != 0xFF && (n->value < v || (n->value == v && !isMin && n->kind == 0))) {
      if (n->kind != e->kind) Cross(self, n->slot, isMin ? -1 : +1);
      n = n->next;
    }
    if (n != e->next) {
      e->prev->next = e->next;
      e->next->prev = e->prev;
      e->next = n;
      e->prev = n->prev;
      n->prev->next = e;
      n->prev = e;
    }
  } else if (v < e->value || isMin) {
    // Backward: pass endpoints whose key is above (v, kind).
    Endpoint* p = e->prev;
    while (p->kind != 0xFF && (p->value > v || (p->value == v && isMin && p->kind == 1))) {
      if (p->kind != e->kind) Cross(self, p->slot, isMin ? +1 : -1);
      p = p->prev;
    }
    if (p != e->prev) {
      e->prev->next = e->next;
      e->next->prev = e->prev;
      e->prev = p;
      e->next = p->next;
      p->next->prev = e;
      p->next = e;
    }
  }
  e->value = v;
}

bool McdAxisSortSpace::UpdateModel(int slot, MeReal step) {
  if (!SlotIsValid(slot) || !slots_[slot].active || !aabbFn_) return true;
  MeVector3 min, max;
  aabbFn_(slots_[slot].model, min, max, step);
  MeReal lo[3], hi[3];
  for (int axis = 0; axis < 3; ++axis) {
    // NaN bounds would break the ordering: treat them as infinite.
    lo[axis] = min[axis] == min[axis] ? min[axis] : -MeInfinity;
    hi[axis] = max[axis] == max[axis] ? max[axis] : MeInfinity;
    if (hi[axis] < lo[axis]) hi[axis] = lo[axis];
  }
  if (IsLongMove(slot, lo, hi)) {
    Relocate(slot, lo, hi);
    return true;
  }
  for (int axis = 0; axis < 3; ++axis) {
    if (!(axisMask_ & (1 << axis))) continue;
    // Move the leading end first, so that the minimum never passes its own
    // maximum and every intermediate count is a true overlap count.
    Endpoint* minEnd = &slots_[slot].ends[2 * axis];
    Endpoint* maxEnd = &slots_[slot].ends[2 * axis + 1];
    if (lo[axis] > minEnd->value) {
      MoveEndpoint(maxEnd, hi[axis]);
      MoveEndpoint(minEnd, lo[axis]);
    } else {
      MoveEndpoint(minEnd, lo[axis]);
      MoveEndpoint(maxEnd, hi[axis]);
    }
  }
  return true;
}

namespace {
inline bool Finite(MeReal v) { return v > -MeInfinity && v < MeInfinity; }
}  // namespace

// A move much longer than the box (a teleport) would walk past most of the
// list, one state update per crossing.  Such a box is taken out and put
// back instead (Relocate).  Only boxes with finite bounds before and after
// qualify: within the finite part of the lists the order is exactly the
// order of (value, kind), so overlaps can be read from the values.
bool McdAxisSortSpace::IsLongMove(int slot, const MeReal* lo, const MeReal* hi) const {
  if (capacity_ < 64) return false;
  const Slot& s = slots_[slot];
  bool longMove = false;
  for (int axis = 0; axis < 3; ++axis) {
    if (!(axisMask_ & (1 << axis))) continue;
    MeReal oldLo = s.ends[2 * axis].value, oldHi = s.ends[2 * axis + 1].value;
    if (!Finite(oldLo) || !Finite(oldHi) || !Finite(lo[axis]) || !Finite(hi[axis])) return false;
    MeReal size = oldHi - oldLo;
    MeReal reach = 8 * (size > hi[axis] - lo[axis] ? size : hi[axis] - lo[axis]);
    if (lo[axis] - oldLo > reach || oldLo - lo[axis] > reach) longMove = true;
  }
  return longMove;
}

void McdAxisSortSpace::Relocate(int slot, const MeReal* lo, const MeReal* hi) {
  Slot& s = slots_[slot];
  MeReal oldLo[3], oldHi[3];
  for (int axis = 0; axis < 3; ++axis) {
    oldLo[axis] = s.ends[2 * axis].value;
    oldHi[axis] = s.ends[2 * axis + 1].value;
  }
  // Unlink the endpoints on the used axes.
  for (int axis = 0; axis < 3; ++axis) {
    if (!(axisMask_ & (1 << axis))) continue;
    for (int e = 0; e < 2; ++e) {
      Endpoint* ep = &s.ends[2 * axis + e];
      ep->prev->next = ep->next;
      ep->next->prev = ep->prev;
    }
  }
  // One pass over the other slots: the overlap counts before and after, and
  // for each new endpoint the endpoint of greatest key below its own.
  auto below = [](const Endpoint* x, MeReal v, uint8_t kind) {
    return x->value < v || (x->value == v && x->kind < kind);
  };
  auto above = [](const Endpoint* x, const Endpoint* y) {  // key(x) > key(y)
    return x->value > y->value || (x->value == y->value && x->kind > y->kind);
  };
  Endpoint* pred[6] = {};
  for (int t = 0; t < capacity_; ++t) {
    const Slot& o = slots_[t];
    if (t == slot || o.index != t) continue;
    int before = 0, after = 0;
    for (int axis = 0; axis < 3; ++axis) {
      if (!(axisMask_ & (1 << axis))) continue;
      const Endpoint* tMin = &o.ends[2 * axis];
      const Endpoint* tMax = &o.ends[2 * axis + 1];
      before += oldLo[axis] <= tMax->value && tMin->value <= oldHi[axis];
      after += lo[axis] <= tMax->value && tMin->value <= hi[axis];
      for (int e = 0; e < 2; ++e) {
        MeReal v = e ? hi[axis] : lo[axis];
        uint8_t kind = static_cast<uint8_t>(e);
        Endpoint*& p = pred[2 * axis + e];
        for (const Endpoint* x : {tMin, tMax})
          if (below(x, v, kind) && (!p || above(x, p))) p = const_cast<Endpoint*>(x);
      }
    }
    if (before != after) ApplyCount(slot, t, after & 3);
  }
  // Link each endpoint after its predecessor, passing any endpoints of equal
  // key that follow it.
  for (int axis = 0; axis < 3; ++axis) {
    if (!(axisMask_ & (1 << axis))) continue;
    for (int e = 0; e < 2; ++e) {
      Endpoint* ep = &s.ends[2 * axis + e];
      ep->value = e ? hi[axis] : lo[axis];
      Endpoint* p = pred[2 * axis + e] ? pred[2 * axis + e] : &sentinels_[axis][0];
      if (e == 1 && !above(p, &s.ends[2 * axis])) p = &s.ends[2 * axis];
      while (p->next->kind != 0xFF && below(p->next, ep->value, ep->kind)) p = p->next;
      ep->prev = p;
      ep->next = p->next;
      p->next->prev = ep;
      p->next = ep;
    }
  }
}

bool McdAxisSortSpace::UpdateAll(MeReal step) {
  for (int i = 0; i < capacity_; ++i)
    if (slots_[i].index == i && slots_[i].active) UpdateModel(i, step);
  return true;
}

bool McdAxisSortSpace::UpdateModelNow(int slot, MeReal step) {
  if (!aabbFn_) return false;
  BeginChanges();
  UpdateModel(slot, step);
  EndChanges();
  return true;
}

// ---- change phases -------------------------------------------------------

bool McdAxisSortSpace::BeginChanges() {
  PairNode* hello = &lists_[kHello];
  PairNode* staying = &lists_[kStaying];
  PairNode* goodbye = &lists_[kGoodbye];
  // 1. Hello pairs were reported as new: they stay.
  while (hello->listNext != hello) {
    PairNode* n = hello->listNext;
    ListUnlink(n);
    ListAppend(staying, n);
  }
  // 2. Goodbye pairs are done with.
  while (goodbye->listNext != goodbye) {
    PairNode* n = goodbye->listNext;
    ListUnlink(n);
    if (n->lowerSlot != -1) HashRemove(n);
    ReleaseNode(n);
  }
  // 3. Pairs disabled outside the phase end now.
  for (PairNode* n = pendingGoodbyes_; n;) {
    PairNode* next = n->pendingNext;
    if (n->pendingGoodbye) {
      n->pendingGoodbye = 0;
      ListUnlink(n);
      ListAppend(goodbye, n);
    }
    n->pendingNext = nullptr;
    n = next;
  }
  pendingGoodbyes_ = nullptr;
  // 4. Pairs enabled outside the phase begin now (still in transition until
  // they are reported).
  PairNode* pendingHello = &lists_[kPendingHello];
  while (pendingHello->listNext != pendingHello) {
    PairNode* n = pendingHello->listNext;
    ListUnlink(n);
    ListAppend(hello, n);
  }
  changing_ = true;
  // Removals asked for outside the phase.
  for (int i = 0; i < pendingRemovalCount_; ++i) RemoveNow(pendingRemovals_[i]);
  pendingRemovalCount_ = 0;
  return true;
}

bool McdAxisSortSpace::EndChanges() {
  PairNode* hello = &lists_[kHello];
  PairNode* goodbye = &lists_[kGoodbye];
  PairNode* removed = &lists_[kRemoved];
  for (PairNode* n = hello->listNext; n != hello; n = n->listNext)
    SetState(n->lowerSlot, n->higherSlot,
             static_cast<uint8_t>(State(n->lowerSlot, n->higherSlot) & ~kInTransition));
  for (PairNode* n = goodbye->listNext; n != goodbye; n = n->listNext)
    if (n->lowerSlot != -1)
      SetState(n->lowerSlot, n->higherSlot,
               static_cast<uint8_t>(State(n->lowerSlot, n->higherSlot) & ~kInTransition));
  // Pairs of removed models go to the front of the goodbye list.
  if (removed->listNext != removed) {
    for (PairNode* n = removed->listNext; n != removed; n = n->listNext) n->lowerSlot = -1;
    PairNode* first = removed->listNext;
    PairNode* last = removed->listPrev;
    first->listPrev = goodbye;
    last->listNext = goodbye->listNext;
    goodbye->listNext->listPrev = last;
    goodbye->listNext = first;
    ListInit(removed);
  }
  changing_ = false;
  return true;
}

// ---- enabling and disabling pairs ----------------------------------------

bool McdAxisSortSpace::SetPairEnabled(int a, int b, bool enabled) {
  if (a == b || !SlotIsValid(a) || !SlotIsValid(b)) return false;
  uint8_t state = State(a, b);
  bool disabled = state & kDisabled;
  if ((state & kCountMask) != axisCount_) {
    SetState(a, b, enabled ? static_cast<uint8_t>(state & ~kDisabled)
                           : static_cast<uint8_t>(state | kDisabled));
    return true;
  }
  int lower = a < b ? a : b, higher = a < b ? b : a;
  if (changing_) {
    if (!enabled) {
      if (disabled) return true;
      state |= kDisabled;
      if (PairNode* node = Find(a, b)) {
        if (state & kInTransition) {
          HashRemove(node);
          ListUnlink(node);
          ReleaseNode(node);
          state &= static_cast<uint8_t>(~kInTransition);
        } else {
          ListUnlink(node);
          ListAppend(&lists_[kGoodbye], node);
          state |= kInTransition;
        }
      }
      // No node (both models frozen since before they met): the bit is all.
    } else {
      if (!disabled) return true;
      if (state & kInTransition) {
        if (PairNode* node = Find(a, b)) {
          ListUnlink(node);
          ListAppend(&lists_[kStaying], node);
        }
        state &= static_cast<uint8_t>(~(kDisabled | kInTransition));
      } else {
        PairNode* node = NewNode(lower, higher, slots_[lower].model, slots_[higher].model);
        if (!node) return false;
        ListAppend(&lists_[kHello], node);
        state = static_cast<uint8_t>((state & ~kDisabled) | kInTransition);
      }
    }
  } else {
    if (state & kInTransition) return false;
    if (!enabled) {
      if (disabled) return true;
      state |= kDisabled;
      if (PairNode* node = Find(a, b)) {
        // The node stays where the caller may be reading it and moves to the
        // goodbye list at the next phase.
        node->pendingGoodbye = 1;
        node->pendingNext = pendingGoodbyes_;
        pendingGoodbyes_ = node;
        state |= kInTransition;
      }
    } else {
      if (!disabled) return true;
      PairNode* node = NewNode(lower, higher, slots_[lower].model, slots_[higher].model);
      if (!node) return false;
      ListAppend(&lists_[kPendingHello], node);
      state = static_cast<uint8_t>((state & ~kDisabled) | kInTransition);
    }
  }
  SetState(a, b, state);
  return true;
}

bool McdAxisSortSpace::PairIsEnabled(int a, int b) const {
  if (a == b || !SlotIsValid(a) || !SlotIsValid(b)) return false;
  return !(State(a, b) & kDisabled);
}

bool McdAxisSortSpace::BoxesOverlap(int a, int b) const {
  if (a == b || !SlotIsValid(a) || !SlotIsValid(b)) return false;
  return (State(a, b) & kCountMask) == axisCount_;
}

// ---- delivering pairs ----------------------------------------------------

int McdAxisSortSpace::GetPairs(McdSpacePairIterator* it, McdSpacePairList* list, bool withStaying,
                               int maxGoodbyes) {
  if (list->size < 2) {
    MeWarning(0, "McdSpaceGetPairs: a pair list needs room for at least 2 pairs.\n");
    return 0;
  }
  PairNode* goodbyeHead = &lists_[kGoodbye];
  PairNode* stayingHead = &lists_[kStaying];
  PairNode* helloHead = &lists_[kHello];
  auto cursor = [](void*& c) -> PairNode*& { return reinterpret_cast<PairNode*&>(c); };
  auto gone = [this](const PairNode* n) {
    return n->pendingGoodbye || SlotPendingRemoval(n->lowerSlot) ||
           SlotPendingRemoval(n->higherSlot);
  };

  int goodbyes = 0;
  PairNode*& g = cursor(it->goodbye);
  while (g != goodbyeHead && list->goodbyeEnd < list->helloStart &&
         (maxGoodbyes < 0 || goodbyes < maxGoodbyes)) {
    list->array[list->goodbyeEnd++] = &g->pair;
    ++goodbyes;
    g = g->listNext;
  }
  PairNode*& s = cursor(it->staying);
  if (withStaying) {
    while (s != stayingHead && list->stayingEnd < list->size) {
      bool frozen = !slots_[s->lowerSlot].active && !slots_[s->higherSlot].active;
      if (!frozen && !gone(s)) list->array[list->stayingEnd++] = &s->pair;
      s = s->listNext;
    }
  }
  PairNode*& h = cursor(it->hello);
  while (h != helloHead && list->helloStart > list->goodbyeEnd) {
    if (!gone(h)) list->array[--list->helloStart] = &h->pair;
    h = h->listNext;
  }
  bool more = g != goodbyeHead || h != helloHead || (withStaying && s != stayingHead);
  return more ? 1 : 0;
}
