#include "foundation/files/file_locator.h"

#include <cstring>

#include "foundation/file_test_fixture.h"
#include "foundation/files/file_database.h"
#include "foundation/files/game_search_folders.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/files/load_file.h"

namespace {

const char* const kFolders[] = {"@\\data\\sound", "@", "@\\data\\stats", "#", "elsewhere", nullptr};

}  // namespace

using FileLocatorTest = FileTest;

TEST_F(FileLocatorTest, FindsANameInTheFoldersAndTriesTheLastHitFolderFirst) {
  Write("data/stats/Weaps.txt", "w");
  Write("data/sound/Weaps.txt", "s");
  Write("data/stats/Other.txt", "o");
  Start();
  SetSearchFolders(kFolders);
  const char* p = LocateFile("Other.txt", 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p), std::string(GetWorkDirectory()) + "data\\stats\\Other.txt");
  // The stats folder hit last, so it wins over the sound folder listed before it.
  p = LocateFile("weaps.txt", 0);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(LocatedPathContains("stats"));
  SetSearchFolders(kFolders);  // forgets the last hit
  p = LocateFile("weaps.txt", 0);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(LocatedPathContains("sound"));
  EXPECT_EQ(LocateFile("nowhere.txt", 0), nullptr);
}

TEST_F(FileLocatorTest, ProbesAreClosedSoManyLookUpsNeverRunOutOfFiles) {
  Write("elsewhere/Deep.env", "x");
  Start();
  const char* const folders[] = {"elsewhere", nullptr};
  SetSearchFolders(folders);
  // More hits than a process may hold open files: a probe left open would
  // make the look-ups fail before the end.
  for (int i = 0; i < 21000; ++i) ASSERT_NE(LocateFile("deep.env", LOCATE_SKIP_NAME_AS_GIVEN), nullptr) << i;
}

TEST_F(FileLocatorTest, FlagsSkipTheNameAsGivenOrTheWholeSearch) {
  Write("Here.txt", "top");
  Write("elsewhere/Here.txt", "below");
  Start();
  const char* const folders[] = {"elsewhere", nullptr};
  SetSearchFolders(folders);
  EXPECT_STREQ(LocateFile("Here.txt", 0), "Here.txt");
  EXPECT_STREQ(LocateFile("Here.txt", LOCATE_SKIP_NAME_AS_GIVEN), "elsewhere\\Here.txt");
  EXPECT_STREQ(LocateFile("Absent.txt", LOCATE_NO_SEARCH), "Absent.txt");
  SetSearchEnabled(0);
  EXPECT_STREQ(LocateFile("Absent.txt", 0), "Absent.txt");
  SetSearchEnabled(1);
  SetSearchFolders(nullptr);
  EXPECT_EQ(LocateFile("Absent.txt", 0), nullptr);
}

TEST_F(FileLocatorTest, TheFileDatabaseAnswersBareNamesButNotNamesWithADrive) {
  Write("deep/stats/Weaps.txt", "db");
  Write("Data/Loose.txt", "loose");
  Start();
  {
    CFileDatabase db;
    db.Add("deep\\stats\\", "Weaps.txt");
    ASSERT_EQ(db.Write("files.db"), 1);
  }
  ASSERT_EQ(LoadFileDatabase("files.db"), 1);
  EXPECT_STREQ(LocateFile("c:\\x\\WEAPS.TXT", 0), nullptr);
  EXPECT_STREQ(LocateFile("WEAPS.TXT", 0), "deep\\stats\\Weaps.txt");
  EXPECT_STREQ(LocateFile("Loose.txt", 0), "Data\\Loose.txt");
  EXPECT_EQ(LocateFile("Nothing.txt", 0), nullptr);
}

TEST_F(FileLocatorTest, AFileDatabaseThatCannotBeReadIsReported) {
  Start();
  Write("broken.db", std::string("\xFF\xFF\xFF\x7F", 4));
  EXPECT_EQ(LoadFileDatabase("broken.db"), 0);
  EXPECT_EQ(GetFileDatabase(), nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Failed to load file database \"broken.db\"");
  EXPECT_EQ(boxes_[0].caption, "Error");
}

TEST_F(FileLocatorTest, LoadFileReadsWholeFilesWithATrailingNul) {
  Write("data/stats/Empty.txt", "");
  Write("data/stats/Text.txt", "hello");
  Start();
  SetSearchFolders(kGameSearchFolders);
  for (const char* name : {"Empty.txt", "text.TXT"}) {
    char* data = nullptr;
    std::uint32_t size = 99;
    ASSERT_EQ(LoadFile(name, &data, &size, nullptr, 6), 1) << name;
    std::string expected = std::strcmp(name, "Empty.txt") == 0 ? "" : "hello";
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(std::string(data, size), expected);
    EXPECT_EQ(data[size], '\0');
    FreeLoadedFile(data);
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(FileLocatorTest, LoadFileReportsAMissingOrShortFile) {
  Start();
  char* data = reinterpret_cast<char*>(1);
  std::uint32_t size = 5;
  EXPECT_EQ(LoadFile("missing.txt", &data, &size, nullptr, 6), 0);
  EXPECT_EQ(data, nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Couldn't open missing.txt");
  EXPECT_EQ(boxes_[0].type & MB_TYPEMASK, static_cast<unsigned>(MB_ABORTRETRYIGNORE));
}

TEST_F(FileLocatorTest, LoadFileTakesMemoryFromALinearBufferWhenGiven) {
  Write("small.txt", "12345");
  Write("large.txt", std::string(40, 'x'));
  Start();
  CLinearBuffer buffer(16, "load");
  char* data = nullptr;
  std::uint32_t size = 0;
  ASSERT_EQ(LoadFile("small.txt", &data, &size, &buffer, 6), 1);
  EXPECT_EQ(std::string(data), "12345");
  EXPECT_GE(data, static_cast<char*>(buffer.GetMemory()));
  EXPECT_LT(data, static_cast<char*>(buffer.GetMemory()) + 16);
  EXPECT_EQ(LoadFile("large.txt", &data, &size, &buffer, 6), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Out of memory");
  EXPECT_NE(FileOpen("large.txt", "rb"), nullptr);  // the handle was closed again
}

TEST_F(FileLocatorTest, FileExistsClosesWhatItOpened) {
  Write("a.txt", "x");
  Start();
  EXPECT_EQ(FileExists("a.txt"), 1);
  EXPECT_EQ(FileExists("b.txt"), 0);
  BufferedFile* h = FileOpen("a.txt", "rb");
  EXPECT_NE(h, nullptr);
}

TEST(GameSearchFolders, HoldsTheFiftyEightFoldersInOrder) {
  ASSERT_EQ(kGameSearchFolderCount, 58);
  EXPECT_STREQ(kGameSearchFolders[0], "@\\data\\sound");
  EXPECT_STREQ(kGameSearchFolders[1], "@");
  EXPECT_STREQ(kGameSearchFolders[29], "@\\data\\maps\\mission1");
  EXPECT_STREQ(kGameSearchFolders[40], "@\\data\\maps\\mission12");
  EXPECT_STREQ(kGameSearchFolders[43], "@\\data\\maps\\mp_mission1");
  EXPECT_STREQ(kGameSearchFolders[57], "@\\shaders");
  EXPECT_EQ(kGameSearchFolders[58], nullptr);
}

TEST(WorkDirectory, IsTheCurrentFolderWithABackslash) {
  SetWorkDirectory();
  EXPECT_EQ(std::string(GetWorkDirectory()), std::filesystem::current_path().string() + "\\");
}
