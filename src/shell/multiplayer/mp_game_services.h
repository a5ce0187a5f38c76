// What the multiplayer layer asks of the game, installed by the game's
// start-up: screens, the level change to and from the multiplayer level,
// the mission plug-in's events, texts, the message area, sound banks, and
// the local players' input messages.  The soldier, vehicle and item
// operations stay "not built yet" until the units install theirs.
#pragma once

// Installs the game's operations into the multiplayer layer's hooks.
void InstallMultiplayerServices();
