// The level's key table (made by level initialise, freed by level shut-down)
// and the blocking wait for a key that level start uses for its prompt.
// Main thread only.
#pragma once

#include <cstdint>

// The key table of the running level: the lock table's key and door pairs.
class CKeyMap {
 public:
  static constexpr int kEntries = 10;
  // Adds a key-door pair; false when the table is full.
  bool Add(std::int32_t keyId, std::int32_t objectA, std::int32_t objectB);
  int Count() const { return count_; }

 private:
  std::int32_t entries_[kEntries][3] = {};
  int count_ = 0;
};

// The level's table; null between levels.
extern CKeyMap* g_LevelKeyMap;
// Makes an empty table for the level (freeing one left over); false when it
// cannot be allocated.
bool MakeLevelKeyMap();
void FreeLevelKeyMap();

// Waits until a key or mouse button message arrives for the game window (it
// is taken from the queue), or `timeoutMs` has passed (0: no limit), sleeping
// 10 ms a pass.  Messages already queued are dropped first.  Answers true
// when an input arrived.
bool WaitForAnyInput(std::uint32_t timeoutMs);
