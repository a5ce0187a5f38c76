#include "control/keymap/lock_table.h"

#include "foundation/system/not_built_yet.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

CLockTable g_LockTable;

namespace {

DoorStateUpdate gDoorUpdate = nullptr;

// The door of that id among the doors of the four sides, or null.
CHLO* FindDoor(std::int32_t id) {
  if (id == -1 || !g_HLOManager) return nullptr;
  for (int side = 0; side < 4; ++side)
    if (CHLO* door = g_HLOManager->FindByIdIn(id, side, HLO_DOOR)) return door;
  return nullptr;
}

void OpenDoor(std::int32_t id) {
  CHLO* door = FindDoor(id);
  if (!door) return;
  door->Flags |= kDoorUnlockedFlag;
  if (gDoorUpdate)
    gDoorUpdate(door);
  else
    NotBuiltYet("door state update");
}

}  // namespace

void SetDoorStateUpdate(DoorStateUpdate update) { gDoorUpdate = update; }

void CLockTable::Clear() {
  for (Entry& e : entries_) e = Entry{};
  count_ = 0;
}

bool CLockTable::Add(std::int32_t key, std::int32_t objectA, std::int32_t objectB) {
  // A removed entry is used again before the table grows.
  for (int i = 0; i < count_; ++i) {
    Entry& e = entries_[i];
    if (e.key == -1 && e.objectA == -1 && e.objectB == -1) {
      e = Entry{key, objectA, objectB};
      return true;
    }
  }
  if (count_ >= kEntries) return false;
  entries_[count_++] = Entry{key, objectA, objectB};
  return true;
}

bool CLockTable::IsKeyFor(std::int32_t key, std::int32_t object) const {
  for (int i = 0; i < count_; ++i)
    if (entries_[i].key == key && Matches(entries_[i], object)) return true;
  return false;
}

bool CLockTable::IsLocked(std::int32_t object) const {
  for (int i = 0; i < count_; ++i)
    if (Matches(entries_[i], object)) return true;
  return false;
}

std::int32_t CLockTable::GetKeyFor(std::int32_t object) const {
  for (int i = 0; i < count_; ++i)
    if (Matches(entries_[i], object)) return entries_[i].key;
  return -1;
}

void CLockTable::Remove(std::int32_t key, std::int32_t object) {
  for (int i = 0; i < count_; ++i)
    if (entries_[i].key == key && Matches(entries_[i], object)) entries_[i] = Entry{};
}

void CLockTable::Unlock(std::int32_t key, std::int32_t object) {
  for (int i = 0; i < count_; ++i) {
    const Entry e = entries_[i];
    if (e.key != key || !Matches(e, object)) continue;
    OpenDoor(e.objectA);
    OpenDoor(e.objectB);
  }
}
