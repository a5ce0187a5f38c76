// Values of up to four soldiers taken before a mission ends, which the
// success and statistics screens compare with the values after it; and a
// four-slot table pairing objects with a value word.  Main thread only.
#pragma once

#include <cstdint>

inline constexpr int kSquadCacheSlots = 4;
inline constexpr int kSquadCacheSkills = 11;

struct SquadCache {
  std::uint32_t unitIds[kSquadCacheSlots];  // 0 = free
  std::uint8_t experience[kSquadCacheSlots];
  std::uint8_t byteField[kSquadCacheSlots];
  std::uint32_t counter[kSquadCacheSlots];
  std::uint8_t skills[kSquadCacheSlots][kSquadCacheSkills];
};

// Ids and counters 0, byte fields 12, experience levels 15, skills cleared.
void ResetSquadCache();
// Each stores a value of the soldier of that unit id in its slot (taken
// when absent; nothing when all four slots hold other soldiers).
void CacheSoldierLevel(std::uint32_t unitId, std::uint8_t level);
void CacheSoldierByte(std::uint32_t unitId, std::uint8_t value);
void CacheSoldierCounter(std::uint32_t unitId, std::uint32_t value);
void CacheSoldierSkills(std::uint32_t unitId, const std::uint8_t skills[kSquadCacheSkills]);
// The slot of a unit id, -1 when it is not cached.
int FindSquadCacheSlot(std::uint32_t unitId);
const SquadCache& GetSquadCache();

// The pairing table: true when the object is there or was added to a free
// slot (a present object keeps its value); false when all four are taken.
// Objects are non-null pointers.
bool PairAdd(const void* object, std::uint32_t value);
void PairRemove(const void* object);
bool PairContains(const void* object);
std::uint32_t PairGetValue(const void* object);  // 0 when absent
void PairClear();
