// The tables of the world objects that are not units: damage values shared
// by features and structures ("featStat.txt"), structures ("Structs.txt"),
// features ("Feats.txt"), doors ("Doors.txt") and targets ("Targets.txt").
#pragma once

#include <cstdint>

#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

// One line of "featStat.txt".
struct ObjectStats {
  char Name[kStatsNameSize];
  std::uint16_t Value2;
  std::uint16_t Value3;
  float Distance4;  // cm
  std::int32_t Value5;
};

// The head that the structure, feature, door and target records share.
struct WorldObjectStatsHead {
  std::uint32_t Kind;
  char* Name;
  char ModelName[kStatsNameSize];  // required
  char SecondModelName[kStatsNameSize];
  char TextureName[kStatsNameSize];
  void* Model;
  void* SecondModel;
  void* Texture;
};

// One line of "Structs.txt" (7 columns).
struct StructureStats {
  WorldObjectStatsHead Head;  // kind 3 (BUILDING)
  const ObjectStats* Damage;  // column 5
  std::uint16_t Value7;
  StatsAsset FurtherModel;  // column 6
};

// One line of "Feats.txt" (9 columns).
struct FeatureStats {
  WorldObjectStatsHead Head;  // kind 4 (FEATURE)
  const ObjectStats* Damage;  // column 5
  std::uint16_t Value7;
  std::uint32_t FeatureType;  // column 6
  std::uint8_t Byte9;
  StatsAsset FurtherModel;  // column 8
};

// One line of "Doors.txt" (16 columns).
struct DoorStats {
  WorldObjectStatsHead Head;  // kind 15 (DOOR)
  float Floats6To11[6];
  std::int32_t Values12To13[2];
  float Distances14To16[3];            // cm
  char SoundBank[kStatsFileNameSize];  // column 5 + ".sbk"
};

// One line of "Targets.txt" (14 columns).
struct TargetStats {
  WorldObjectStatsHead Head;  // kind 21 (TARGET); no texture
  float Floats4To9[6];
  std::int32_t Values10To11[2];
  float Floats12To14[3];
};

bool loadObjectStats(const char* text, std::uint32_t length);
bool loadStructureStats(const char* text, std::uint32_t length);
bool loadFeatureStats(const char* text, std::uint32_t length);
bool loadDoorStats(const char* text, std::uint32_t length);
bool loadTargetStats(const char* text, std::uint32_t length);

const StatsTable<ObjectStats>& ObjectStatsTable();
const StatsTable<StructureStats>& StructureStatsTable();
const StatsTable<FeatureStats>& FeatureStatsTable();
const StatsTable<DoorStats>& DoorStatsTable();
const StatsTable<TargetStats>& TargetStatsTable();
// The object stats of that exact name; null when none.
const ObjectStats* FindObjectStats(const char* name);
StructureStats* FindStructureStatsByHash(std::uint32_t hash);
FeatureStats* FindFeatureStatsByHash(std::uint32_t hash);
DoorStats* FindDoorStatsByHash(std::uint32_t hash);
TargetStats* FindTargetStatsByHash(std::uint32_t hash);
// The first feature whose type is BIRD; null when none.
FeatureStats* FindBirdFeature();

void FreeWorldObjectStats();
