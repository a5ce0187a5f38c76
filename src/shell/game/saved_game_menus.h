// Connects the menus' save, load and confirmation screens to the game
// record: saving writes the running game as a ".sav" at once; loading
// reads one, hands the menus the level it belongs to and the mission's
// words, and the level change restores it.  Game initialise installs it.
#pragma once

void InstallSavedGameFunctions();
