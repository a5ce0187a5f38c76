// The file of a skin texture: the first of the ".dds", ".png" and ".bmp"
// files of its name that the search folders hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "shell/stats/stats_assets.h"

namespace {

TEST(SkinTextureFileTest, TheFirstOfItsThreeKindsThatExistsIsTaken) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("halberd_skin_files_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  for (const char* name : {"Both.png", "Both.bmp", "First.dds", "First.png", "Last.bmp"})
    std::ofstream(folder / name) << "x";
  static std::string path;
  path = folder.string();
  const char* const folders[] = {path.c_str(), nullptr};
  ASSERT_EQ(CatalogStartup(), 1) << "the shared file handle";
  SetWorkDirectory();
  SetSearchFolders(folders);
  const struct {
    const char* name;
    const char* file;  // null: none
  } cases[] = {{"Both", "Both.png"}, {"First", "First.dds"}, {"Last", "Last.bmp"}, {"None", nullptr}, {"", nullptr}};
  for (const auto& c : cases) {
    std::string file = "unchanged";
    EXPECT_EQ(FindSkinTextureFile(c.name, &file), c.file != nullptr) << c.name;
    EXPECT_EQ(file, c.file != nullptr ? c.file : "unchanged") << c.name;
  }
  EXPECT_FALSE(FindSkinTextureFile(nullptr, nullptr));
  SetSearchFolders(nullptr);
  CatalogShutdown();
  fs::remove_all(folder);
}

}  // namespace
