// The game shell's part in sizing a level's record pools: the loading bar's
// progress count, and the pool-size file read before a level's environment
// loads and written once the whole level has loaded.  Main thread.
#pragma once

// The loading-screen callback handed to the environment loader: (caption,
// total, unused).  Every call adds 1 to the progress count.
void LoadProgressCallback(const char* caption, int total, int unused);
// Calls of LoadProgressCallback since the count was last cleared.
int GetLoadProgressCount();
void ClearLoadProgressCount();

// Level start, before the environment loads: reads the pool-size file named
// after the file-name part of the level's path (no folder, no extension),
// which sizes the pools.  Answers the progress total it found (-1: none).
int LevelStartPoolSizes(const char* levelPath);
// Level start, after the whole level has loaded: unless the command-line
// switch 'c' or 'd' is set, writes the pool-size file with the progress
// count; then clears the count in every case.  Answers whether a file was
// written.
bool LevelEndPoolSizes(const char* levelPath);
