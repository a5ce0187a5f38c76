// Connects the menus' save, load and confirmation screens to the game
// record: saving writes the running game as a ".sav" at once; loading
// reads one (the mission record then names its level for the menus), and
// the level change restores it.  Game initialise installs it.
#pragma once

void InstallSavedGameFunctions();
