#include "shell/stats/unit_items.h"

#include "foundation/text/hash.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"

namespace {

// The first free slot among the first count; -1 when all are taken.
template <typename Pointer>
int FreeSlot(const Pointer* slots, int count) {
  for (int i = 0; i < count && i < kStatsItemSlots; ++i)
    if (slots[i] == nullptr) return i;
  return -1;
}

}  // namespace

bool loadUnitItems(const char* text, std::uint32_t length, UnitItemsMode mode) {
  const bool soldier = mode == UNIT_ITEMS_SOLDIER;
  StatsLineReader r(soldier ? "UnitWpns.txt" : "VehWpns.txt", text, length);
  while (r.NextRecord()) {
    char kind[kStatsNameSize], item[kStatsNameSize], type[64];
    std::int64_t quantity = 0;
    r.Text(kind, sizeof(kind));
    r.Text(item, sizeof(item));
    r.Text(type, sizeof(type));
    r.Int(&quantity);
    if (r.Failed()) {
      r.ShowFault(kind);
      return false;
    }
    const StatsKind itemKind = StatsKindFromName(type);
    if (itemKind == STATS_INVALID) {
      StatsError(r, "loadUnitItems:Invalid unit type");
      return false;
    }
    HumanStats* human = nullptr;
    VehicleStats* vehicle = nullptr;
    if (soldier) {
      human = FindHumanStatsByHash(HashString(kind));
      if (human == nullptr) {
        StatsError(r, "loadUnitItems:Invalid Human Stat %s", kind);
        return false;
      }
    } else {
      vehicle = FindVehicleStatsByHash(HashString(kind));
      if (vehicle == nullptr) {
        StatsError(r, "loadUnitItems:Invalid Vehicle Stat %s", kind);
        return false;
      }
    }
    const std::uint32_t hash = HashString(item);
    WeaponStats* weapon = itemKind == STATS_WEAPON ? FindWeaponStatsByHash(hash) : nullptr;
    const void* record = itemKind == STATS_WEAPON ? static_cast<const void*>(weapon)
                                                  : static_cast<const void*>(FindInventoryStatsByHash(hash));
    if (record == nullptr) {
      StatsError(r, "loadUnitItems:Invalid Item Stat %s", item);
      return false;
    }
    if (!soldier && weapon == nullptr) {
      StatsError(r, "loadUnitItems:Trying to assign non-weapon to vehicle %s", kind);
      return false;
    }
    if (soldier) {
      const int slot = FreeSlot(human->Items, human->ItemSlotCount);
      if (slot < 0) {
        StatsError(r, "loadUnitItems:Trying to allocate too many Items for Human %s", kind);
        return false;
      }
      human->Items[slot] = record;
      human->ItemCounts[slot] = static_cast<std::int32_t>(quantity);
    } else {
      const int slot = FreeSlot(vehicle->Weapons, vehicle->WeaponSlotCount);
      if (slot < 0) {
        StatsError(r, "loadUnitItems:Trying to allocate too many Weapons for Vehicle %s", kind);
        return false;
      }
      vehicle->Weapons[slot] = weapon;
      vehicle->WeaponCounts[slot] = static_cast<std::int32_t>(quantity);
    }
  }
  return true;
}
