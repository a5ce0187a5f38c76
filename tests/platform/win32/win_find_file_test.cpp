#include "platform/win32/win_find_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win32/win_directory.h"
#include "platform/win32/win_file_attributes.h"
#include "scratch_folder.h"

TEST(WinFindFile, WildcardsMatchIgnoringCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.dll", "Mission1.DLL", true}, {"*.dll", "Mission1.dllx", false}, {"*.*", "noext", true},
      {"?ission*.sav", "mission01.sav", true}, {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false},
      {"*", "", true}, {"x?", "x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(WinFindFile, ScansAFolderByPatternWithAttributesAndSizes) {
  ScratchFolder dir;
  dir.Write("Saves/one.SAV", "12345");
  dir.Write("Saves/two.sav", "");
  dir.Write("Saves/other.txt", "x");
  dir.Write("Saves/Sub/three.sav", "x");
  std::string pattern = dir.Str() + "\\saves\\*.sav";
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(pattern.c_str(), &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::set<std::string> names;
  do {
    names.insert(d.cFileName);
    EXPECT_EQ(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    if (std::string(d.cFileName) == "one.SAV") {
      EXPECT_EQ(d.nFileSizeLow, 5u);
    }
  } while (FindNextFileA(h, &d));
  EXPECT_TRUE(FindClose(h));
  EXPECT_EQ(names, (std::set<std::string>{"one.SAV", "two.sav"}));

  std::string all = dir.Str() + "\\saves\\*.*";
  h = FindFirstFileA(all.c_str(), &d);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  bool sawSub = false;
  do {
    if (std::string(d.cFileName) == "Sub") sawSub = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  } while (FindNextFileA(h, &d));
  FindClose(h);
  EXPECT_TRUE(sawSub);
}

TEST(WinFindFile, FailsForAMissingFolderOrNoMatch) {
  ScratchFolder dir;
  WIN32_FIND_DATAA d;
  std::string missing = dir.Str() + "\\nowhere\\*.*";
  EXPECT_EQ(FindFirstFileA(missing.c_str(), &d), INVALID_HANDLE_VALUE);
  std::string none = dir.Str() + "\\*.dll";
  EXPECT_EQ(FindFirstFileA(none.c_str(), &d), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(WinFileAttributes, TellsFoldersFilesReadOnlyAndMissing) {
  ScratchFolder dir;
  std::string file = dir.Write("f.txt", "x");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
  EXPECT_EQ(GetFileAttributesA(dir.Str().c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA((dir.Str() + "\\F.TXT").c_str()) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(GetFileAttributesA((dir.Str() + "\\none").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WinDirectory, CreatesOneFolderAndRefusesAnExistingOne) {
  ScratchFolder dir;
  std::string p = dir.Str() + "\\NewFolder";
  EXPECT_TRUE(CreateDirectoryA(p.c_str(), nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "NewFolder"));
  EXPECT_FALSE(CreateDirectoryA(p.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((dir.Str() + "\\a\\b").c_str(), nullptr));
}

TEST(WinDirectory, CurrentDirectoryAnswersTheNeededSizeWhenTheBufferIsSmall) {
  char small[2];
  DWORD need = GetCurrentDirectoryA(sizeof small, small);
  ASSERT_GT(need, 2u);
  std::string buf(need, '\0');
  EXPECT_EQ(GetCurrentDirectoryA(need, buf.data()), need - 1);
  EXPECT_EQ(std::string(buf.c_str()), std::filesystem::current_path().string());
}
