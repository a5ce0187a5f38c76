// make_level: a level's files from its text description (see
// level_description.h), into one folder.
//
//   make_level <description.txt> <output folder> [<data folder>]
//   make_level --sky <description.txt> <file.sky>
//
// The data folder holds what other tools made for the level to take in (the
// animation aliases of "anims" lines).  The second form writes a script's sky
// record: only the description's "sky", "skylayer" and "skycolour" lines
// count, written through the engine's sky-section writer (the text a level's
// sky section holds).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "make_level/level_description.h"
#include "make_level/level_maker.h"
#include "world/sky/sky_section.h"

namespace {

int MakeSkyFile(const char* description, const char* output) {
  // The description is read as the one include of a nameless level, so its
  // messages name its own lines.
  const std::filesystem::path path(description);
  LevelDescription level;
  std::string error;
  if (!ReadLevelDescriptionText("level SKY\ninclude \"" + path.filename().string() + "\"\n", "sky",
                                path.parent_path().string(), &level, &error)) {
    std::fprintf(stderr, "make_level: %s\n", error.c_str());
    return 1;
  }
  if (!level.SkyGiven) {
    std::fprintf(stderr, "make_level: %s describes no sky\n", description);
    return 1;
  }
  const std::string text = WriteSkySection(level.Sky);
  std::ofstream out(output, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_level: cannot write %s\n", output);
    return 1;
  }
  std::printf("make_level: sky of %s in %s\n", description, output);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--sky") return MakeSkyFile(argv[2], argv[3]);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_level <description.txt> <output folder> [<data folder>]\n"
                         "       make_level --sky <description.txt> <file.sky>\n");
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
