// Makes a level's files from its description, into one folder (the loose-file
// layout): the object files it places and their textures (through the object
// tool's builder and the engine's object-file writer), the environment file
// (version 72), the level's other data files and ".dyn" files, then — by
// loading the level through the engine's own loader — the octree file (the
// engine's builder over the instances the loader made, the visuals of the
// level's game objects among them, as the game's load makes them), the pool-size file,
// the route data ("<NAME>.qtd", "<NAME>.rmd", the engine's route builder over
// the loaded level), and the level catalog
// "<NAME>.dat" made by the catalog build mode while the level loads again.
#pragma once

#include <string>

#include "make_level/level_description.h"
#include "world/environment/env_file_sections.h"
#include "world/switches/switch_table.h"

class CEnvironment;
class CHLOManager;
class CEnvironmentHLOWorld;

// While it lives, the level's game objects are made as the game's load makes
// them, each a plain world object whose visual joins the environment's
// instance list (the octree file numbers instances by their place in that
// list, so the tool's load must make the instances the game's does); pass
// `CreateObjectFromRecord` to the loader.  Deleting it deletes the objects.
class PlainLevelObjects {
 public:
  explicit PlainLevelObjects(CEnvironment* environment);
  ~PlainLevelObjects();
  PlainLevelObjects(const PlainLevelObjects&) = delete;
  PlainLevelObjects& operator=(const PlainLevelObjects&) = delete;

 private:
  CHLOManager* objects_;
  CEnvironmentHLOWorld* world_;
};

struct LevelMakeReport {
  // Instances the loader made (the crawl blocker, the objects' visuals and
  // the switches' models included).
  int instances = 0;
  int objectRecords = 0; // game-object records read
  int portals = 0;       // portal records read
  int objectFiles = 0;   // object files written
  int textures = 0;      // textures written
  int catalogFiles = 0;  // files in the catalog
  int dynamicsFiles = 0; // ".dyn" files written
  int routeMarkers = 0;  // route markers of the route data written
};

// False with the reason in `error` when an object description is damaged, the
// level places an object no description holds, a file cannot be written, or
// the level does not load whole without a message box.
// `dataFolder` is where the other tools made the files the level takes in
// (the animation aliases of "anims" lines); empty: the level has none.
bool MakeLevel(const LevelDescription& level, const std::string& folder, LevelMakeReport* report,
               std::string* error, const std::string& dataFolder = "");

// While one lives, a level file's switch section is read as the game reads
// it: each switch makes the instances of its type's models (the newest of the
// instance list), with the types of "Switches.txt" in the working folder (the
// game's switch types name the same models).  A load then has the game's
// instance list, which the octree file numbers.  The section's reader and the
// types are restored and freed at its end; one at a time.
class GameSwitchSection {
 public:
  GameSwitchSection();
  ~GameSwitchSection();
  GameSwitchSection(const GameSwitchSection&) = delete;
  GameSwitchSection& operator=(const GameSwitchSection&) = delete;
  int SwitchCount() const { return table_.GetCount(); }

 private:
  CSwitchTable table_{nullptr};
  EnvSectionReader previous_ = nullptr;
};
