#include "menus/screens/saved_games_link.h"

#include <cstring>

#include "foundation/system/not_built_yet.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_ids.h"

namespace {

SaveGameFn g_save = nullptr;
LoadGameFn g_load = nullptr;
char g_selected[256] = "";

}  // namespace

bool SaveGameToFile(const char* fileName, int flag) {
  if (g_save != nullptr) return g_save(fileName, flag);
  NotBuiltYet("saved games: writing a game");
  return false;
}

bool LoadGameFromFile(const char* fileName) {
  bool loaded = false;
  if (g_load != nullptr)
    loaded = g_load(fileName);
  else
    NotBuiltYet("saved games: reading a game");
  // The reader's failure shows the load-failed screen.
  if (!loaded) SetScreen(SCREEN_LOAD_FAILED);
  return loaded;
}

void SetSavedGameFunctions(SaveGameFn save, LoadGameFn load) {
  g_save = save;
  g_load = load;
}

const char* SelectedSaveName() { return g_selected; }

void SetSelectedSaveName(const char* fileName) {
  if (fileName == nullptr) fileName = "";
  std::strncpy(g_selected, fileName, sizeof g_selected - 1);
  g_selected[sizeof g_selected - 1] = '\0';
}
