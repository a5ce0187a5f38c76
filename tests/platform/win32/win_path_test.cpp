#include "platform/win32/win_path.h"

#include <gtest/gtest.h>

#include "platform/win32/win_stdio.h"
#include "scratch_folder.h"

TEST(WinPath, TranslatesSeparatorsAndDropsTheDrive) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"data\\maps\\a.env", "data/maps/a.env"},
      {"C:\\games\\x.dat", "/games/x.dat"},
      {"d:rel\\y", "rel/y"},
      {"mixed/sep\\z", "mixed/sep/z"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateWindowsPath(c.in), c.out) << c.in;
}

TEST(WinPath, ResolvesEachComponentIgnoringLetterCase) {
  ScratchFolder dir;
  dir.Write("Data/Maps/Mission1/Mission1.ENV", "x");
  const std::string root = dir.Str();
  const std::string real = root + "/Data/Maps/Mission1/Mission1.ENV";
  for (const char* written : {"\\data\\maps\\mission1\\mission1.env", "\\DATA\\MAPS\\MISSION1\\MISSION1.ENV",
                              "/Data/maps/MISSION1/Mission1.env"}) {
    std::string p = root + written;
    EXPECT_EQ(ResolveWindowsPath(p.c_str()), real) << written;
  }
}

TEST(WinPath, KeepsComponentsThatDoNotExistYetAsWritten) {
  ScratchFolder dir;
  dir.Write("LevelData/keep", "");
  std::string p = dir.Str() + "\\leveldata\\New\\File.TXT";
  EXPECT_EQ(ResolveWindowsPath(p.c_str()), dir.Str() + "/LevelData/New/File.TXT");
}

TEST(WinStdio, OpensAWindowsPathInAnyLetterCaseAndFailsForAMissingFile) {
  ScratchFolder dir;
  dir.Write("Stats/Weaps.txt", "abc");
  std::string p = dir.Str() + "\\stats\\WEAPS.TXT";
  std::FILE* f = WinFopen(p.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[4] = {};
  EXPECT_EQ(std::fread(buf, 1, 3, f), 3u);
  EXPECT_STREQ(buf, "abc");
  std::fclose(f);
  std::string missing = dir.Str() + "\\stats\\none.txt";
  EXPECT_EQ(WinFopen(missing.c_str(), "rb"), nullptr);
  EXPECT_EQ(WinRemove(p.c_str()), 0);
  EXPECT_EQ(WinFopen(p.c_str(), "rb"), nullptr);
}
