// The program.  Until the game shell exists it runs the start-up that is
// built — the catalog start-up and the file locator over the data root —
// says what it found, then runs the engine over the demo level.
#include <cstdio>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/disk_helpers.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/game_search_folders.h"
#include "shell/engine_frame_loop.h"

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
  // The engine (it starts the catalogs again), the demo level loaded into it
  // and the frame loop: until the window is closed, or for "--frames N" frames.
  return RunEngineFrames(nullptr, FrameCountFromArguments(argc, argv), ScreenshotFromArguments(argc, argv));
}
