// make_level: a level's files from its text description (see
// level_description.h), into one folder.
//
//   make_level <description.txt> <output folder> [<data folder>]
//   make_level --sky <description.txt> <file.sky>
//   make_level --map <level folder> <level name> <ax> <az> <bx> <bz> <width> <height> <picture.img>
//
// The data folder holds what other tools made for the level to take in (the
// animation aliases of "anims" lines).  The second form writes a script's sky
// record: only the description's "sky", "skylayer" and "skycolour" lines
// count, written through the engine's sky-section writer (the text a level's
// sky section holds).  The third draws a built level from above over the
// world box from corner a (maximum x, z) to corner b (minimum) as cell 0 of a
// sprite file, its page beside it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "make_level/level_description.h"
#include "make_level/level_maker.h"
#include "make_level/level_map.h"
#include "make_sprites/sprite_sheet.h"
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

int MakeMap(char** argv) {
  LevelMapBox box;
  int width = 0, height = 0;
  try {
    box.maxX = std::stof(argv[4]);
    box.maxZ = std::stof(argv[5]);
    box.minX = std::stof(argv[6]);
    box.minZ = std::stof(argv[7]);
    width = std::stoi(argv[8]);
    height = std::stoi(argv[9]);
  } catch (...) {
    std::fprintf(stderr, "make_level: the map box and size are numbers\n");
    return 2;
  }
  // Checked before the picture is allocated: it must fit one sprite page.
  if (width < 1 || height < 1 || width > SpriteSheet::kPageSize || height > SpriteSheet::kPageSize) {
    std::fprintf(stderr, "make_level: the map picture must be 1 to %d pixels each way\n", SpriteSheet::kPageSize);
    return 2;
  }
  if (!(box.maxX > box.minX) || !(box.maxZ > box.minZ)) {
    std::fprintf(stderr, "make_level: corner a must lie beyond corner b in x and z\n");
    return 2;
  }
  std::vector<LevelMapShape> shapes;
  std::string error;
  if (!GatherLevelShapes(argv[2], argv[3], &shapes, &error) ||
      !WriteLevelMap(DrawLevelMap(shapes, box, width, height), argv[10], &error)) {
    std::fprintf(stderr, "make_level: %s\n", error.c_str());
    return 1;
  }
  std::printf("make_level: map of %s (%zu pieces) in %s\n", argv[3], shapes.size(), argv[10]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--sky") return MakeSkyFile(argv[2], argv[3]);
  if (argc == 11 && std::string(argv[1]) == "--map") return MakeMap(argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_level <description.txt> <output folder> [<data folder>]\n"
                         "       make_level --sky <description.txt> <file.sky>\n"
                         "       make_level --map <level folder> <name> <ax> <az> <bx> <bz> <width> <height> "
                         "<picture.img>\n");
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
