// The inventory item table ("Inven.txt"): items and ammunition.
#pragma once

#include <cstdint>

#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

struct WeaponStats;

// One line of "Inven.txt" (14 columns).
struct InventoryStats {
  std::uint32_t Kind;  // the item type (a StatsKind), column 2
  char* Name;          // column 1
  char ModelName[kStatsNameSize];        // column 3 (required)
  char SecondModelName[kStatsNameSize];  // column 4
  char TextureName[kStatsNameSize];      // column 5
  void* Model;
  void* SecondModel;
  void* Texture;
  std::uint32_t NameHashNoCase;
  std::uint16_t InterfaceId;  // column 6; 0xFFFF none
  std::uint8_t Flag12;
  float Duration11;  // whole milliseconds
  float Float14;
  // For BINOCULARS and LASER DESIGNATOR the smallest field of view.
  std::uint16_t damage;  // column 10
  // For BINOCULARS and LASER DESIGNATOR the largest field of view.
  std::uint16_t roundsPerPack;  // column 9
  std::uint32_t Hash7;          // upper-cased column 7
  const WeaponStats* AmmoWeapon;  // column 8; null for none
  char SoundBank[kStatsFileNameSize];  // column 13 + ".sbk"
};

// Reads "Inven.txt" (after the weapons, which ammunition names).
bool loadInventoryStats(const char* text, std::uint32_t length);

const StatsTable<InventoryStats>& InventoryStatsTable();
InventoryStats* FindInventoryStatsByHash(std::uint32_t hash);
// The item of that name hash, else the weapon of it; null when neither.
void* FindItemOrWeaponByHash(std::uint32_t hash);
void FreeInventoryStats();
