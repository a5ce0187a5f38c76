#include "shell/game/saved_game_menus.h"

#include <cstdio>
#include <cstring>

#include "menus/screens/mission_record_link.h"
#include "menus/screens/save_game_menu.h"
#include "menus/screens/saved_games_link.h"
#include "shell/game/game.h"
#include "shell/mission/mission.h"

namespace {

// The menus' view of the mission record, from the record.
void CopyMissionToMenus() {
  if (g_Mission == nullptr) return;
  g_MenuMission.Result = g_Mission->MissionResult;
  g_MenuMission.MissionId = g_Mission->MissionId;
  g_MenuMission.SavesUsed = g_Mission->SavesMade;
  std::snprintf(g_MenuMission.LevelName, sizeof g_MenuMission.LevelName, "%s", g_Mission->GetLevelName());
  std::snprintf(g_MenuMission.NextLevel, sizeof g_MenuMission.NextLevel, "%s", g_Mission->GetNextLevel());
}

bool SaveGame(const char* fileName, int flag) {
  if (g_Game == nullptr) return false;
  return g_Game->SaveToFile(fileName, flag);
}

bool LoadGame(const char* fileName) {
  if (g_Game == nullptr || !g_Game->LoadFromFile(fileName)) return false;
  CopyMissionToMenus();
  return true;
}

bool DefaultSaveName(char* out, int size) {
  return g_Mission != nullptr && size > 0 && g_Mission->MakeDefaultSaveName(out, static_cast<std::size_t>(size));
}

}  // namespace

void InstallSavedGameFunctions() {
  SetSavedGameFunctions(&SaveGame, &LoadGame);
  SetDefaultSaveNameFunction(&DefaultSaveName);
}
