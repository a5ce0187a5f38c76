// The slot handles, until the units' own table lands beside the slot names.
#include "units/base/anim_slot_ids.h"

#include "world/animation/anim_set.h"

namespace {
AnimSet* g_slots[ANIM_SLOT_COUNT] = {};
}  // namespace

AnimSet* GetAnimSlot(int slot) { return slot >= 0 && slot < ANIM_SLOT_COUNT ? g_slots[slot] : nullptr; }

void SetAnimSlot(int slot, AnimSet* set) {
  if (slot >= 0 && slot < ANIM_SLOT_COUNT) g_slots[slot] = set;
}

void ClearAnimSlots() {
  for (AnimSet*& s : g_slots) s = nullptr;
}
