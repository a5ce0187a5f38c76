// The soldier tables: base soldier values ("HStat.txt"), soldier kinds
// ("Units.txt"), their skills ("HSkills.txt") and the modifiers per
// experience level ("ExMods.txt").
#pragma once

#include <cstdint>

#include "shell/stats/stats_names.h"
#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

struct StatsNameEntry;

// One line of "HStat.txt" (18 columns).
struct BaseHumanStats {
  char Name[kStatsNameSize];
  std::uint16_t Values[6];  // columns 2, 3, 4, 6, 5, 7 in that order
  float Distance8;          // cm
  std::uint16_t Value9;
  float Floats10To13[4];
  std::uint16_t Value14;
  float Float15;
  std::uint16_t Value16;
  float Float17;
  std::uint32_t Duration18;  // ms
};

// One line of "Units.txt" (14 columns), one soldier kind.
struct HumanStats {
  std::uint32_t Kind;  // always 1 (HUMAN)
  char* Name;
  char ModelName[kStatsNameSize];        // column 3; empty for "-1"
  char SecondModelName[kStatsNameSize];  // column 4
  char TextureName[kStatsNameSize];      // always empty
  void* Model;
  void* SecondModel;
  void* Texture;
  const StatsNameEntry* FirstName;  // column 7; null for "-1"
  const StatsNameEntry* Surname;    // column 8
  const BaseHumanStats* Base;       // column 5
  std::uint32_t CharacterType;      // column 2
  std::uint16_t Value9;
  std::uint32_t ExperienceLevel;  // column 10
  std::uint16_t InterfaceId;      // column 6; 0xFFFF none
  std::uint32_t SkillMask;        // from "HSkills.txt"
  std::uint32_t DefaultSkillMask;
  std::uint8_t SkillLevels[kSkillCount];
  std::uint8_t DefaultSkillLevels[kSkillCount];
  std::uint8_t ItemSlotCount;  // column 14, at most 25
  const void* Items[kStatsItemSlots];  // item or weapon records, from "UnitWpns.txt"
  std::int32_t ItemCounts[kStatsItemSlots];
  char Text11[kStatsNameSize];
  std::uint8_t SoldierRole;  // column 12; 255 none
  std::uint32_t Hash13;      // column 13; 0 for "-1"
};

// The modifiers of one experience level: the level's starting points (as a
// float), then the 16 floats of its line.
struct ExperienceModifiers {
  float Values[17];
};

bool loadBaseHumanStats(const char* text, std::uint32_t length);
bool loadHumanStats(const char* text, std::uint32_t length);
bool loadHumanSkills(const char* text, std::uint32_t length);
bool loadExperienceModifiers(const char* text, std::uint32_t length);

const StatsTable<BaseHumanStats>& BaseHumanStatsTable();
const StatsTable<HumanStats>& HumanStatsTable();
// Base soldier values of that exact name; null when none.
const BaseHumanStats* FindBaseHumanStats(const char* name);
HumanStats* FindHumanStatsByHash(std::uint32_t hash);
// The first soldier kind of a role; null when none.
HumanStats* FindFirstHumanOfRole(int role);
// The modifiers of a level 0-14; null out of range.
const ExperienceModifiers* GetExperienceModifiers(int level);
// The highest level 0-9 whose starting points the given points reach, in
// level order (below level 1's value: 0; at or above level 9's: 9).
int ExperienceLevelFromPoints(float points);
// ExperienceLevelFromPoints plus one, at most 9.
int NextExperienceLevel(float points);

void FreeSoldierStats();
