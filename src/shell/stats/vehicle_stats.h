// The vehicle tables: propulsion kinds ("Props.txt"), base vehicle values
// ("VStat.txt") and vehicle kinds ("Vehicle.txt").
#pragma once

#include <cstdint>

#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

struct WeaponStats;

// One line of "Props.txt".
struct PropulsionStats {
  char Name[kStatsNameSize];
  std::uint32_t Type;  // a PropulsionType
  char Text3[kStatsNameSize];
};

// Most seats of a vehicle.
inline constexpr int kVehicleSeats = 8;

// One line of "VStat.txt" (27 columns).
struct BaseVehicleStats {
  char Name[kStatsNameSize];
  std::uint16_t Values2To6[5];
  float Distance7;  // cm
  std::uint16_t Value8;
  float Distance9;  // cm
  std::uint8_t Flag10;
  std::uint16_t Value11;
  std::uint8_t CrewSize;  // at most 8
  const PropulsionStats* Propulsion;  // column 13; null for none
  float Floats14To16[3];
  std::uint16_t Values17To20[4];
  float Distances21To27[7];  // cm
};

// One line of "Vehicle.txt" (27 columns), one vehicle kind.
struct VehicleStats {
  std::uint32_t Kind;  // always 2 (MACHINE)
  char* Name;
  char ModelName[kStatsNameSize];  // required
  char SecondModelName[kStatsNameSize];
  char TextureName[kStatsNameSize];
  void* Model;
  void* SecondModel;
  void* Texture;
  const BaseVehicleStats* Base;  // column 5
  std::uint16_t Value6;
  std::uint8_t WeaponSlotCount;  // column 26, at most 25
  const WeaponStats* Weapons[kStatsItemSlots];  // filled by "VehWpns.txt"
  std::int32_t WeaponCounts[kStatsItemSlots];
  std::uint32_t SeatNameHashes[kVehicleSeats];   // upper-cased columns 7-14; 0 for "-1"
  std::uint32_t SeatNameHashes2[kVehicleSeats];  // upper-cased columns 15-22
  StatsAsset FurtherModel;  // column 23
  float Distance27;         // cm
  std::uint32_t Hash24;     // case-insensitive hash of column 24; 0 for "-1"
  std::uint32_t Hash25;
};

bool loadPropulsionStats(const char* text, std::uint32_t length);
bool loadBaseVehicleStats(const char* text, std::uint32_t length);
bool loadVehicleStats(const char* text, std::uint32_t length);

const StatsTable<PropulsionStats>& PropulsionStatsTable();
const StatsTable<BaseVehicleStats>& BaseVehicleStatsTable();
const StatsTable<VehicleStats>& VehicleStatsTable();
PropulsionStats* FindPropulsionStatsByHash(std::uint32_t hash);
// Base vehicle values of that exact name; null when none.
const BaseVehicleStats* FindBaseVehicleStats(const char* name);
VehicleStats* FindVehicleStatsByHash(std::uint32_t hash);

void FreeVehicleStats();
