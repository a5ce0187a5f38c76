// The game shell's level load of the environment, as far as the engine that
// exists goes: world objects bound to the environment (g_Environment), the
// modules' section readers installed, the pool-size file, the level's switch
// types ("Switches.txt" when the level has one), the environment file through
// the level loader (game objects through the spawn callback; lights,
// waypoints, regions, switches, emitters, tracer batteries and glass panes
// into their modules), the movie-camera section read from the same text, the
// octree file built or read by the command-line letters, the static list, the
// level's render-effects file, the route data (the level's stored ".qtd" and
// ".rmd", else built from the environment), and the pool-size file written
// at the end.
// Main thread.
#pragma once

#include "world/environment/env_file.h"

class CEnvironment;

struct LevelLoadReport {
  bool textRead = false;      // the environment file was found and read
  bool wholeFile = false;     // every list and section read whole
  bool cameras = false;       // the movie-camera section read whole
  bool octrees = false;       // the octree file built or read
  bool renderEffects = false; // the level's own render-effects file (".rfx") read
  bool storedRoutes = false;  // the level's stored route data was used (not built at load)
  EnvFileLoadReport file;     // what the loader reported
  int instances = 0;          // instances in the environment afterwards
  int zones = 0;              // top-level instances with a zone
  int portals = 0;            // portals on those zones
  int templates = 0;          // templates loaded
  int staticInstances = 0;    // entries of the static list
  int glassPanes = 0;         // panes of the level's glass set
  int messageBoxes = 0;       // boxes shown during the load
  // What the modules' section readers took in (0 for a module that does not exist).
  int lights = 0;             // lights in the light table
  int waypoints = 0;          // waypoints of the waypoint list
  int regions = 0;            // regions of the region list
  int switches = 0;           // switches of the switch table
  int emitters = 0;           // the level's particle emitters
  int tracerBatteries = 0;    // tracer batteries
  int movieCameras = 0;       // movie cameras in use
  int objects = 0;            // world objects in the object manager
};

// Loads the level whose environment file is `levelPath` (found through the
// search path) into the environment.  False when the file cannot be read or
// does not load whole; the report says how far it came.
bool LoadLevelEnvironment(CEnvironment* environment, const char* levelPath, HLOSpawnCallback spawn,
                          LevelLoadReport* report);
// Prints the report, one line per item.
void PrintLevelLoadReport(const char* levelPath, const LevelLoadReport& report);

// The folder the demo level is loaded from: the one tools/make_level writes
// it into (under the demo data folder) unless another was set.
const char* DemoLevelFolder();
// Loads the demo level from a copy of its folder elsewhere (null: the
// build's folder again); the demo data folder stays the search folder after it.
void SetDemoLevelFolder(const char* folder);
// Loads the demo level "DEMO.env" into the environment: the level folder is
// the working directory while it loads (the octree and pool-size files are
// written there), and stays with the demo data folder in the search folders
// afterwards so that what the level names later (textures, animations) is
// found.  False when the level is missing or does not load whole.
bool LoadDemoLevel(CEnvironment* environment, HLOSpawnCallback spawn, LevelLoadReport* report);
