#include "shell/level/anim_slots.h"

#include "platform/win32/clocks.h"
#include "platform/win32/message_box.h"
#include "units/base/anim_slot_ids.h"
#include "world/animation/anim_set.h"

std::uint32_t AnimLoadTime = 0;

namespace {

// A plain box: the file name as its text, the message as its caption.
void Tell(const char* fileName, const char* caption) {
  MessageBoxA(nullptr, fileName != nullptr ? fileName : "", caption, MB_OK);
}

// Steps 4 and 5 of a load, for a known slot.
int LoadInto(int slot, const char* fileName, DWORD start) {
  if (GetAnimSlot(slot) != nullptr) {
    Tell(fileName, "Attempt to load anim twice!");
    return 1;
  }
  AnimSet* set = fileName != nullptr && fileName[0] != '\0' ? g_AnimSetManager.GetAnimSet(fileName) : nullptr;
  SetAnimSlot(slot, set);
  if (set == nullptr) Tell(fileName, "bad anim");
  AnimLoadTime += GetTickCount() - start;
  return set != nullptr ? 1 : 0;
}

}  // namespace

int AnimSlotLoad(const char* slotName, const char* fileName) {
  const DWORD start = GetTickCount();
  const int slot = slotName != nullptr ? FindAnimSlot(slotName) : -1;
  if (slot < 0) {
    Tell(fileName, "Anim slot name not defined in code!");
    return 0;
  }
  return LoadInto(slot, fileName, start);
}

int AnimSlotLoadIndex(int slot, const char* fileName) {
  const DWORD start = GetTickCount();
  if (slot < 0 || slot >= ANIM_SLOT_COUNT) {
    Tell(fileName, "Anim slot index out of range!");
    return 0;
  }
  return LoadInto(slot, fileName, start);
}

void AnimSlotClearAll() { ClearAnimSlots(); }
