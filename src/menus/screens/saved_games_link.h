// What the save, load and confirmation screens call of the saved games:
// writing the running game into a ".sav" and reading one back.  The game
// record's own writer and reader come with their issue; until then each
// call reports "not built yet" and fails, and a test can put its own in.
// Main thread only.
#pragma once

// Writes the game under a file name; true when the file was written.
bool SaveGameToFile(const char* fileName, int flag);
// Reads the game from a file; true when it was loaded.  A failed load
// switches to the load-failed screen itself.
bool LoadGameFromFile(const char* fileName);

using SaveGameFn = bool (*)(const char* fileName, int flag);
using LoadGameFn = bool (*)(const char* fileName);
// Test hooks: the writer and reader to call (null: the "not built yet" ones).
void SetSavedGameFunctions(SaveGameFn save, LoadGameFn load);

// The file name of the save screen's selected row (with ".sav"), which the
// overwrite confirmation saves under.
const char* SelectedSaveName();
void SetSelectedSaveName(const char* fileName);
