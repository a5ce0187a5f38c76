#include "shell/game/saved_game_menus.h"

#include "menus/screens/save_game_menu.h"
#include "menus/screens/saved_games_link.h"
#include "shell/game/game.h"
#include "shell/mission/mission.h"

namespace {

bool SaveGame(const char* fileName, int flag) {
  if (g_Game == nullptr) return false;
  return g_Game->SaveToFile(fileName, flag);
}

// The menus read the loaded mission record's level names themselves.
bool LoadGame(const char* fileName) { return g_Game != nullptr && g_Game->LoadFromFile(fileName); }

bool DefaultSaveName(char* out, int size) {
  return g_Mission != nullptr && size > 0 && g_Mission->MakeDefaultSaveName(out, static_cast<std::size_t>(size));
}

}  // namespace

void InstallSavedGameFunctions() {
  SetSavedGameFunctions(&SaveGame, &LoadGame);
  SetDefaultSaveNameFunction(&DefaultSaveName);
}
