// The program.  Until the game shell exists it runs the start-up that is
// built — the catalog start-up and the file locator over the data root, the
// demo level's load — and says what it found.
#include <cstdio>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/disk_helpers.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/game_search_folders.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "shell/engine_frame_loop.h"
#include "shell/level_load.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"

namespace {

const char* const kCatalogNames[kCatalogCount] = {"catalog.dat", "mission.dat", "chardata.dat"};

// Reports each catalog file in the working directory and how many files it holds.
void ReportCatalogs() {
  for (int id = 0; id < kCatalogCount; ++id) {
    std::string plain = kCatalogNames[id], packed = plain + ".gz";
    const char* found = FileExistsOnDisk(plain.c_str()) ? plain.c_str() : FileExistsOnDisk(packed.c_str()) ? packed.c_str() : nullptr;
    if (!found) {
      std::printf("  catalog %d (%s): not found\n", id, plain.c_str());
      continue;
    }
    std::uint32_t mode = GetCatalogMode();
    SetCatalogMode(mode | CATALOG_MODE_READ);
    int ok = OpenCatalog(id, nullptr, 0, 0);
    std::uint32_t files = 0;
    for (const CatalogEntry& e : GetCatalog(id)->directory) files += e.hash != 0 ? 1 : 0;
    CloseCatalog();
    SetCatalogMode(mode);
    if (ok)
      std::printf("  catalog %d (%s): found, %u files\n", id, found, files);
    else
      std::printf("  catalog %d (%s): found but unreadable\n", id, found);
  }
}

// Reports which of the game's search folders exist under the data root.
void ReportSearchFolders() {
  SetSearchFolders(kGameSearchFolders);
  int present = 0;
  for (int i = 0; i < kGameSearchFolderCount; ++i) {
    std::string folder = kGameSearchFolders[i];
    std::string path = std::string(GetWorkDirectory()) + (folder.size() > 2 ? folder.substr(2) : "");
    if (path.back() == '\\') path.pop_back();
    present += FileExistsOnDisk(path.c_str());
  }
  std::printf("  search folders present: %d of %d\n", present, kGameSearchFolderCount);
  const char* strings = LocateFile("GenStrs.loc", 0);
  std::printf("  base string table GenStrs.loc: %s\n", strings ? strings : "not found");
}

// Loads the demo level into an environment of its own and reports what it holds.
void ReportDemoLevel() {
  if (!CatalogStartup()) return;
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  auto* environment = new CEnvironment(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  LevelLoadReport report;
  LoadDemoLevel(environment, CreateObjectFromRecord, &report);
  if (report.textRead) {
    PrintLevelLoadReport("DEMO.env", report);
    std::printf("    %d waypoints\n", waypoints.Count());
  } else {
    std::printf("  demo level: not found in %s\n", DemoLevelFolder());
  }
  delete environment;
  g_EnvWaypoints = nullptr;
  CatalogShutdown();
}

}  // namespace

int main(int argc, char** argv) {
  SetWorkDirectory();
  if (!CatalogStartup()) {
    std::printf("halberd: the file handle could not be created\n");
    return 1;
  }
  std::printf("halberd: data root %s\n", GetWorkDirectory());
  ReportCatalogs();
  ReportSearchFolders();
  CatalogShutdown();
  ReportDemoLevel();
  // The engine (it starts the catalogs again) and the frame loop: until the
  // window is closed, or for "--frames N" frames.
  return RunEngineFrames(nullptr, FrameCountFromArguments(argc, argv), ScreenshotFromArguments(argc, argv));
}
