// The lock table: each entry pairs a key item with up to two lockable objects
// (doors).  The mission script fills it during a level; the player's context
// action uses it to tell locked doors and to unlock them.  One table for the
// program, emptied at every level start and before a saved game is restored.
// Main thread only.
#pragma once

#include <cstdint>

class CHLO;

class CLockTable {
 public:
  static constexpr int kEntries = 10;
  struct Entry {
    std::int32_t key = -1;
    std::int32_t objectA = -1;
    std::int32_t objectB = -1;  // -1: none
  };

  CLockTable() { Clear(); }

  // Every entry removed and the count 0.
  void Clear();
  // Adds {key, A, B}: into a removed entry when there is one, else after the
  // entries used; false, adding nothing, when all ten are in use.
  bool Add(std::int32_t key, std::int32_t objectA, std::int32_t objectB);
  // An entry has that key and the object as A or B.
  bool IsKeyFor(std::int32_t key, std::int32_t object) const;
  // An entry has the object as A or B.
  bool IsLocked(std::int32_t object) const;
  // The key of the first entry with the object as A or B, or -1.
  std::int32_t GetKeyFor(std::int32_t object) const;
  // Every entry with that key and the object becomes {-1, -1, -1}.
  void Remove(std::int32_t key, std::int32_t object);
  // For each entry with that key and the object: the doors A and B (among the
  // doors of all four sides) get object flag 8 and their state update.
  void Unlock(std::int32_t key, std::int32_t object);

  int Count() const { return count_; }
  const Entry& GetEntry(int i) const { return entries_[i]; }

 private:
  bool Matches(const Entry& e, std::int32_t object) const {
    return object != -1 && (e.objectA == object || e.objectB == object);
  }
  Entry entries_[kEntries];
  std::int32_t count_ = 0;
};

// The object flag the unlock sets on a door.
inline constexpr std::uint32_t kDoorUnlockedFlag = 0x8;

// The door's state update, run after it is unlocked; the units install it.
// Until they do, an unlock reports the update as not built yet.
using DoorStateUpdate = void (*)(CHLO* door);
void SetDoorStateUpdate(DoorStateUpdate update);

// The program's lock table.
extern CLockTable g_LockTable;
