#include "menus/drawing/squad_cache.h"

#include <cstring>

namespace {

SquadCache g_cache;

struct Pair {
  const void* object;
  std::uint32_t value;
};
Pair g_pairs[4] = {};

// The slot of the unit, taking a free one when it is not there; -1 when full.
int SlotFor(std::uint32_t unitId) {
  if (unitId == 0) return -1;
  const int found = FindSquadCacheSlot(unitId);
  if (found >= 0) return found;
  for (int i = 0; i < kSquadCacheSlots; ++i)
    if (g_cache.unitIds[i] == 0) {
      g_cache.unitIds[i] = unitId;
      return i;
    }
  return -1;
}

}  // namespace

void ResetSquadCache() {
  for (int i = 0; i < kSquadCacheSlots; ++i) {
    g_cache.unitIds[i] = 0;
    g_cache.counter[i] = 0;
    g_cache.byteField[i] = 12;
    g_cache.experience[i] = 15;
  }
  std::memset(g_cache.skills, 0, sizeof g_cache.skills);
}

int FindSquadCacheSlot(std::uint32_t unitId) {
  if (unitId == 0) return -1;
  for (int i = 0; i < kSquadCacheSlots; ++i)
    if (g_cache.unitIds[i] == unitId) return i;
  return -1;
}

void CacheSoldierLevel(std::uint32_t unitId, std::uint8_t level) {
  if (const int s = SlotFor(unitId); s >= 0) g_cache.experience[s] = level;
}

void CacheSoldierByte(std::uint32_t unitId, std::uint8_t value) {
  if (const int s = SlotFor(unitId); s >= 0) g_cache.byteField[s] = value;
}

void CacheSoldierCounter(std::uint32_t unitId, std::uint32_t value) {
  if (const int s = SlotFor(unitId); s >= 0) g_cache.counter[s] = value;
}

void CacheSoldierSkills(std::uint32_t unitId, const std::uint8_t skills[kSquadCacheSkills]) {
  if (const int s = SlotFor(unitId); s >= 0 && skills != nullptr) std::memcpy(g_cache.skills[s], skills, kSquadCacheSkills);
}

const SquadCache& GetSquadCache() { return g_cache; }

bool PairAdd(const void* object, std::uint32_t value) {
  if (object == nullptr) return false;
  if (PairContains(object)) return true;
  for (Pair& p : g_pairs)
    if (p.object == nullptr) {
      p = {object, value};
      return true;
    }
  return false;
}

void PairRemove(const void* object) {
  for (Pair& p : g_pairs)
    if (object != nullptr && p.object == object) p = {nullptr, 0};
}

bool PairContains(const void* object) {
  for (const Pair& p : g_pairs)
    if (object != nullptr && p.object == object) return true;
  return false;
}

std::uint32_t PairGetValue(const void* object) {
  for (const Pair& p : g_pairs)
    if (object != nullptr && p.object == object) return p.value;
  return 0;
}

void PairClear() {
  for (Pair& p : g_pairs) p = {nullptr, 0};
}
