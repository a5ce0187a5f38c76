// The name, skin and character tables: first names ("fNames.txt"),
// surnames ("sNames.txt"), interface image ids ("intIDs.txt"), the sixteen
// character skin tables, the connector objects ("ConnObjs.txt") and the
// multiplayer characters ("MPSkins.txt", "MPSkinItems.txt").
#pragma once

#include <cstdint>

#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

// A first name or a surname, found by the hash of its name.
struct StatsNameEntry {
  char Name[kStatsNameSize];
  std::uint32_t Hash;
};

// One line of a character skin table.
struct CharSkinStats {
  std::uint32_t Hash;  // of the skin name, column 1
  char Texture[kStatsNameSize];
  char Texture2[kStatsNameSize];
  const StatsNameEntry* FirstName;  // null for "-1"
  const StatsNameEntry* Surname;
};

// An object hung on a model connector.
struct ConnectorObjectStats {
  std::uint32_t ConnectorHash;  // 0: a free entry
  char Object[kStatsNameSize];
};
inline constexpr int kConnectorObjectsPerPair = 6;

// A multiplayer character, one per role.
struct MPCharStats {
  char Text[40];
  const void* Items[4][kStatsItemSlots];  // item or weapon records, per nationality
  std::int32_t Counts[4][kStatsItemSlots];
};
inline constexpr int kMPCharCount = 4;

bool loadFirstNames(const char* text, std::uint32_t length);
bool loadSurames(const char* text, std::uint32_t length);
bool loadInterfaceIDs(const char* text, std::uint32_t length);
// One skin table, of the nationality (0-3) and role (0-3) its file names.
bool loadCharSkinStats(const char* text, std::uint32_t length, int nationality, int role);
bool loadConnectorObjectsStats(const char* text, std::uint32_t length);
bool loadMPCharStats(const char* text, std::uint32_t length);
bool loadMPCharItems(const char* text, std::uint32_t length);

// The skin file name "CSkins_" + "SAS_"/"US_"/"RU_"/"IR_" + "R"/"S"/"H"/"C" + ".txt".
const char* CharSkinFileName(int nationality, int role);

const StatsTable<StatsNameEntry>& FirstNameTable();
const StatsTable<StatsNameEntry>& SurnameTable();
// First-name and surname entries by name hash; null when none.
const StatsNameEntry* FindFirstName(std::uint32_t hash);
const StatsNameEntry* FindSurname(std::uint32_t hash);
// The interface image ids of "intIDs.txt" in line order.
const StatsTable<std::uint16_t>& InterfaceIdTable();
const StatsTable<CharSkinStats>& CharSkinTable(int nationality, int role);
// The skin of (hash, nationality, role); null for hash 0, a role of none or
// no such skin.
const CharSkinStats* FindCharSkin(std::uint32_t hash, int nationality, int role);
// The six connector-object entries of (nationality, role); null out of range.
const ConnectorObjectStats* ConnectorObjects(int nationality, int role);
// The multiplayer character of a role; null out of range or not loaded.
const MPCharStats* FindMPCharStats(int role);

// Frees every table of this file and clears the connector objects.
void FreeCharacterStats();
