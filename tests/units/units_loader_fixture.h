// Loading the units demo level the way the program loads a level, for the
// level tests and the soldiers' benchmark: with the engine and the game's
// modules started, the game's object factory is installed, the stats tables
// and the state-rule files the tools made are loaded, the level's animation
// slots are filled from the ANIM lines of its load list "Units.loa", the
// environment "Units.env" is loaded through the level loader (its objects
// made by the factory and activated), and the units' level steps run.
#pragma once

#include <string>

#include "platform/win32/message_box.h"

// The demo data folder the tools write (ends with '/').
const char* UnitsDataFolder();
// The level's folder in it.
const std::string& UnitsLevelFolder();

struct UnitsLevelLoad {
  bool loaded = false;    // the environment loaded
  int levelBoxes = 0;     // message boxes shown while it loaded
  int slotsFilled = 0;    // animation slots the load list filled
};

// Loads the level; `hook` (with `context`) takes the message boxes from the
// start and again after the level loader, which puts its own in place while
// it runs.  False with the reason when a step fails.
bool LoadUnitsLevel(UnitsLevelLoad* out, MessageBoxHook hook, void* context, std::string* error);
// The level's steps undone, in reverse order (the engine stays).
void UnloadUnitsLevel();
