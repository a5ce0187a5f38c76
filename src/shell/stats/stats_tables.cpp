#include "shell/stats/stats_tables.h"

#include <cstdio>

#include "foundation/files/file_locator.h"
#include "foundation/files/game_search_folders.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_category.h"
#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/global_heap.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/unit_items.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "shell/stats/world_object_stats.h"
#include "world/switches/switch_stats.h"

namespace {

// The tag the switch table is read with: its stats kind.
constexpr std::uint32_t kSwitchStatsTag = 19;

// The 39 files, in load order; the sixteen skin files (8-23) go nationality
// by nationality, roles R, S, H, C within each.
const char* const kFiles[kStatsFileCount] = {
    "Weaps.txt",         "Inven.txt",        "Props.txt",        "HStat.txt",        "VStat.txt",
    "fNames.txt",        "sNames.txt",       "intIDs.txt",       "CSkins_SAS_R.txt", "CSkins_SAS_S.txt",
    "CSkins_SAS_H.txt",  "CSkins_SAS_C.txt", "CSkins_US_R.txt",  "CSkins_US_S.txt",  "CSkins_US_H.txt",
    "CSkins_US_C.txt",   "CSkins_RU_R.txt",  "CSkins_RU_S.txt",  "CSkins_RU_H.txt",  "CSkins_RU_C.txt",
    "CSkins_IR_R.txt",   "CSkins_IR_S.txt",  "CSkins_IR_H.txt",  "CSkins_IR_C.txt",  "ConnObjs.txt",
    "Units.txt",         "Vehicle.txt",      "featStat.txt",     "Structs.txt",      "Feats.txt",
    "Doors.txt",         "Targets.txt",      "Switches.txt",     "UnitWpns.txt",     "HSkills.txt",
    "VehWpns.txt",       "ExMods.txt",       "MPSkins.txt",      "MPSkinItems.txt",
};

constexpr int kFirstSkinFile = 8;

void* FindByHash(std::uint32_t hash, std::uint32_t kind) {
  switch (kind) {
    case STATS_HUMAN:
      return FindHumanStatsByHash(hash);
    case STATS_MACHINE:
      return FindVehicleStatsByHash(hash);
    case STATS_BUILDING:
      return FindStructureStatsByHash(hash);
    case STATS_FEATURE:
      return FindFeatureStatsByHash(hash);
    case STATS_WEAPON:
      return FindWeaponStatsByHash(hash);
    case STATS_DOOR:
      return FindDoorStatsByHash(hash);
    case STATS_SWITCH:
      for (int i = 0; i < SwitchStatsCount(); ++i) {
        const SwitchStats* s = SwitchStatsGet(i);
        if (HashString(s->Name) == hash) return const_cast<SwitchStats*>(s);
      }
      return nullptr;
    case STATS_TARGET:
      return FindTargetStatsByHash(hash);
    default:
      return IsItemStatsKind(kind) ? FindInventoryStatsByHash(hash) : nullptr;
  }
}

}  // namespace

const char* StatsFileName(int index) { return index >= 0 && index < kStatsFileCount ? kFiles[index] : ""; }

bool LoadStatsFile(int index, const char* text, std::uint32_t length) {
  if (index >= kFirstSkinFile && index < kFirstSkinFile + 16) {
    const int skin = index - kFirstSkinFile;
    return loadCharSkinStats(text, length, skin / 4, skin % 4);
  }
  switch (index) {
    case 0: return loadWeaponStats(text, length);
    case 1: return loadInventoryStats(text, length);
    case 2: return loadPropulsionStats(text, length);
    case 3: return loadBaseHumanStats(text, length);
    case 4: return loadBaseVehicleStats(text, length);
    case 5: return loadFirstNames(text, length);
    case 6: return loadSurames(text, length);
    case 7: return loadInterfaceIDs(text, length);
    case 24: return loadConnectorObjectsStats(text, length);
    case 25: return loadHumanStats(text, length);
    case 26: return loadVehicleStats(text, length);
    case 27: return loadObjectStats(text, length);
    case 28: return loadStructureStats(text, length);
    case 29: return loadFeatureStats(text, length);
    case 30: return loadDoorStats(text, length);
    case 31: return loadTargetStats(text, length);
    case 32: return SwitchStatsRead(text, length, kSwitchStatsTag) != 0;
    case 33: return loadUnitItems(text, length, UNIT_ITEMS_SOLDIER);
    case 34: return loadHumanSkills(text, length);
    case 35: return loadUnitItems(text, length, UNIT_ITEMS_VEHICLE);
    case 36: return loadExperienceModifiers(text, length);
    case 37: return loadMPCharStats(text, length);
    case 38: return loadMPCharItems(text, length);
    default: return false;
  }
}

int StatsFileRecordCount(int index) {
  if (index >= kFirstSkinFile && index < kFirstSkinFile + 16) {
    const int skin = index - kFirstSkinFile;
    return CharSkinTable(skin / 4, skin % 4).Count;
  }
  switch (index) {
    case 0: return WeaponStatsTable().Count;
    case 1: return InventoryStatsTable().Count;
    case 2: return PropulsionStatsTable().Count;
    case 3: return BaseHumanStatsTable().Count;
    case 4: return BaseVehicleStatsTable().Count;
    case 5: return FirstNameTable().Count;
    case 6: return SurnameTable().Count;
    case 7: return InterfaceIdTable().Count;
    case 24: {
      int n = 0;
      for (int nation = 0; nation < kNationalityCount; ++nation)
        for (int role = 0; role < kSoldierRoleCount; ++role)
          for (int i = 0; i < kConnectorObjectsPerPair; ++i) n += ConnectorObjects(nation, role)[i].ConnectorHash != 0;
      return n;
    }
    case 25: return HumanStatsTable().Count;
    case 26: return VehicleStatsTable().Count;
    case 27: return ObjectStatsTable().Count;
    case 28: return StructureStatsTable().Count;
    case 29: return FeatureStatsTable().Count;
    case 30: return DoorStatsTable().Count;
    case 31: return TargetStatsTable().Count;
    case 32: return SwitchStatsCount();
    case 37: return FindMPCharStats(0) != nullptr ? kMPCharCount : 0;
    default: return 0;
  }
}

bool LoadAllStats() {
  SetWorkDirectory();
  SetSearchFolders(kGameSearchFolders);
  FreeAllStats();
  CLinearBuffer* heap = g_GlobalHeap;
  if (heap != nullptr) heap->SetMark(0);
  bool ok = true;
  for (int i = 0; i < kStatsFileCount && ok; ++i) {
    char* text = nullptr;
    std::uint32_t size = 0;
    // A file that cannot be read has shown its message; its table stays empty.
    if (!LoadFile(kFiles[i], &text, &size, heap, MEMCAT_GAME)) continue;
    ok = LoadStatsFile(i, text, size);
    if (heap == nullptr) FreeLoadedFile(text);
  }
  if (heap != nullptr) heap->RestoreMark(0);
  return ok;
}

void FreeAllStats() {
  FreeWeaponStats();
  FreeInventoryStats();
  FreeSoldierStats();
  FreeVehicleStats();
  FreeWorldObjectStats();
  FreeCharacterStats();
  SwitchStatsFree();
}

void* FindStats(const char* name, std::uint32_t kind) { return FindByHash(HashString(name ? name : ""), kind); }

void* FindStatsByHash(std::uint32_t hash, std::uint32_t kind) { return FindByHash(hash, kind); }

bool getStatsDetails(std::uint32_t kind, void** first, int* count, std::size_t* size) {
  void* records = nullptr;
  int n = 0;
  std::size_t bytes = 0;
  if (kind == STATS_HUMAN) {
    records = HumanStatsTable().Records;
    n = HumanStatsTable().Count;
    bytes = sizeof(HumanStats);
  } else if (kind == STATS_WEAPON) {
    records = WeaponStatsTable().Records;
    n = WeaponStatsTable().Count;
    bytes = sizeof(WeaponStats);
  } else if (IsItemStatsKind(kind)) {
    records = InventoryStatsTable().Records;
    n = InventoryStatsTable().Count;
    bytes = sizeof(InventoryStats);
  } else {
    ErrorBox("getStatsDetails : Invalid component type");
    return false;
  }
  if (first) *first = records;
  if (count) *count = n;
  if (size) *size = bytes;
  return true;
}

void PrintStatsTables() {
  std::printf("stats tables loaded:");
  for (int i = 0; i < kStatsFileCount; ++i) {
    // The files that add to other tables have no records of their own.
    if (i == 24 || (i >= 33 && i != 37)) continue;
    std::printf("%s %s %d", i == 0 ? "" : ",", kFiles[i], StatsFileRecordCount(i));
  }
  std::printf("\n");
}
