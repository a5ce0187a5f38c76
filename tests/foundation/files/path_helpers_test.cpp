#include "foundation/files/path_helpers.h"

#include <gtest/gtest.h>

TEST(PathHelpers, SplitDriveFolderNameAndExtension) {
  struct Case {
    const char* path;
    const char* folder;
    const char* drive;
    const char* base;
    const char* extension;
    const char* file;
    const char* noDrive;
  } cases[] = {
      {"C:\\data\\maps\\Mission1.env", "C:\\data\\maps\\", "C:", "Mission1", ".env", "Mission1.env", "\\data\\maps\\Mission1.env"},
      {"data/stats/Weaps.txt", "data/stats/", "", "Weaps", ".txt", "Weaps.txt", "data/stats/Weaps.txt"},
      {"noext", "", "", "noext", "", "noext", "noext"},
      {"a.b\\c", "a.b\\", "", "c", "", "c", "a.b\\c"},
      {"x.tar.gz", "", "", "x.tar", ".gz", "x.tar.gz", "x.tar.gz"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(GetPathFolder(c.path), c.folder) << c.path;
    EXPECT_STREQ(GetPathDrive(c.path), c.drive) << c.path;
    EXPECT_STREQ(GetPathBaseName(c.path), c.base) << c.path;
    EXPECT_STREQ(GetPathExtension(c.path), c.extension) << c.path;
    EXPECT_STREQ(GetPathFileName(c.path), c.file) << c.path;
    EXPECT_STREQ(GetPathWithoutDrive(c.path), c.noDrive) << c.path;
  }
}

TEST(PathHelpers, ChangeExtensionRewritesInPlaceWithinTheBuffer) {
  char path[32] = "C:\\tex\\Wall.bmp";
  ChangePathExtension(path, sizeof path, ".dds");
  EXPECT_STREQ(path, "C:\\tex\\Wall.dds");
  char small[8] = "abc.txt";
  ChangePathExtension(small, sizeof small, ".longer");
  EXPECT_STREQ(small, "abc.lon");
}
