#include "units/units_loader_fixture.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/files/file_locator.h"
#include "render/textures/texture_manager.h"
#include "shell/level_load.h"
#include "shell/level_pools.h"
#include "shell/stats/stats_tables.h"
#include "units/base/anim_slot_ids.h"
#include "units/base/hlo_scheduler.h"
#include "units/base/state_rule_tables.h"
#include "units/base/units_level.h"
#include "units/factory/hlo_factory.h"
#include "world/animation/anim_set.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

#ifndef UNITS_DATA_DIR
#define UNITS_DATA_DIR "data/"
#endif

namespace {

// The ANIM lines of the load list: each slot takes its file (until the shell
// reads load lists itself).
int FillSlotsFromLoadList(const std::string& path) {
  std::ifstream in(path);
  int filled = 0;
  for (std::string word; in >> word;) {
    if (word != "ANIM") continue;
    std::string slot, file;
    in >> slot >> file;
    const int index = FindAnimSlot(slot.c_str());
    AnimSet* set = g_AnimSetManager.GetAnimSet(file.c_str());
    if (index >= 0 && set != nullptr) {
      SetAnimSlot(index, set);
      ++filled;
    }
  }
  return filled;
}

// Made hidden, the level's active world objects now take their places.
void ActivateLevelObjects() {
  std::vector<CHLO*> active;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
      for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr; o = o->Next) active.push_back(o);
  for (CHLO* o : active) g_HLOManager->ActivateObject(o);
}

std::string g_folders[3];
const char* g_search[4] = {};

}  // namespace

const char* UnitsDataFolder() { return UNITS_DATA_DIR; }

const std::string& UnitsLevelFolder() {
  static const std::string folder = std::string(UNITS_DATA_DIR) + "levels/Units";
  return folder;
}

bool LoadUnitsLevel(UnitsLevelLoad* out, MessageBoxHook hook, void* context, std::string* error) {
  *out = UnitsLevelLoad{};
  SetupHLOCallbacks();
  SetMessageBoxEcho(false);
  SetMessageBoxHook(hook, context);
  const std::string data = UNITS_DATA_DIR;
  g_folders[0] = UnitsLevelFolder();
  g_folders[1] = data + "stats";
  g_folders[2] = data.substr(0, data.size() - 1);  // without its last '/'
  for (int i = 0; i < 3; ++i) g_search[i] = g_folders[i].c_str();
  g_search[3] = nullptr;
  SetSearchFolders(g_search);
  // The stats load through the game's own search folders ("@\data\stats"
  // ...), from the folder that holds the data folder.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(g_folders[2]).parent_path());
  const bool statsLoaded = LoadAllStats();
  std::filesystem::current_path(before);
  SetWorkDirectory();
  SetSearchFolders(g_search);
  if (!statsLoaded) return *error = "the stats tables did not load", false;
  if (!LoadStateRuleTables()) return *error = "the state-rule files did not load", false;
  g_LocalPlayers.RemoveAll();
  g_LocalPlayers.Add();
  if (!CreateLevelPools()) return *error = "the level pools could not be made", false;

  UnitsLevelBeforeObjects();
  out->slotsFilled = FillSlotsFromLoadList(UnitsLevelFolder() + "/Units.loa");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(UnitsLevelFolder());
  SetWorkDirectory();
  SetSearchFolders(g_search);
  LevelLoadReport report;
  out->loaded = LoadLevelEnvironment(g_Environment, "Units.env", CreateObjectFromRecord, &report);
  out->levelBoxes = report.messageBoxes;
  SetMessageBoxHook(hook, context);  // the load put its own back
  std::filesystem::current_path(previous);
  SetWorkDirectory();
  if (!out->loaded) return *error = "Units.env did not load", false;
  if (!UnitsLevelMakeScheduler(1)) return *error = "the scheduler could not be made", false;
  ActivateLevelObjects();
  UnitsLevelStatsSteps();
  UnitsLevelSwitchAIOn();
  if (g_LevelTextures != nullptr) g_LevelTextures->LoadTextures(nullptr);
  return true;
}

void UnloadUnitsLevel() {
  UnitsLevelShutdown();
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  FreeLevelPools();
  ClearAnimSlots();
  FreeStateRuleTables();
  FreeAllStats();
  g_LocalPlayers.RemoveAll();
  SetSearchFolders(nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
}
