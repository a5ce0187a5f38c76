// make_level: a level's files from its text description (see
// level_description.h), into one folder.
//
//   make_level <description.txt> <output folder> [<data folder>]
//
// The data folder holds what other tools made for the level to take in (the
// animation aliases of "anims" lines).
#include <cstdio>
#include <string>

#include "make_level/level_description.h"
#include "make_level/level_maker.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_level <description.txt> <output folder> [<data folder>]\n");
    return 2;
  }
  LevelDescription level;
  std::string error;
  if (!ReadLevelDescription(argv[1], &level, &error)) {
    std::fprintf(stderr, "make_level: %s\n", error.c_str());
    return 1;
  }
  LevelMakeReport report;
  if (!MakeLevel(level, argv[2], &report, &error, argc == 4 ? argv[3] : "")) {
    std::fprintf(stderr, "make_level: %s\n", error.c_str());
    return 1;
  }
  std::printf("make_level: %s: %d instances, %d game objects, %d portals, %d object files, %d textures, %d "
              "dynamics files, %d route markers, %d files in %s.dat\n",
              level.Name.c_str(), report.instances, report.objectRecords, report.portals, report.objectFiles,
              report.textures, report.dynamicsFiles, report.routeMarkers, report.catalogFiles, level.Name.c_str());
  return 0;
}
