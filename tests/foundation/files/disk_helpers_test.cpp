#include "foundation/files/disk_helpers.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <string>

#include "foundation/file_test_fixture.h"

namespace {

struct Found {
  std::vector<std::string> paths;
  std::string stopAt;
};

int Collect(const char* path, void* context) {
  auto* f = static_cast<Found*>(context);
  f->paths.push_back(path);
  return !f->stopAt.empty() && std::string(path).find(f->stopAt) != std::string::npos ? 1 : 0;
}

}  // namespace

using DiskHelpersTest = FileTest;

TEST_F(DiskHelpersTest, ScanDirectoryPassesMatchingFilesAndRecursesIntoFolders) {
  Write("root/a.sav", "");
  Write("root/.hidden.sav", "");
  Write("root/b.txt", "");
  Write("root/Sub/c.SAV", "");
  Write("root/Sub/Deeper/d.sav", "");
  Found flat;
  EXPECT_EQ(ScanDirectory(0, "root", "", "*.sav", Collect, &flat), 0);
  EXPECT_EQ(flat.paths, (std::vector<std::string>{"root\\a.sav"}));
  Found deep;
  EXPECT_EQ(ScanDirectory(1, "root", "", "*.sav", Collect, &deep), 0);
  std::set<std::string> all(deep.paths.begin(), deep.paths.end());
  EXPECT_EQ(all, (std::set<std::string>{"root\\a.sav", "root\\Sub\\c.SAV", "root\\Sub\\Deeper\\d.sav"}));
  Found stop;
  stop.stopAt = "c.SAV";
  EXPECT_EQ(ScanDirectory(1, "root", "", "*.sav", Collect, &stop), 1);
  EXPECT_EQ(stop.paths.back(), "root\\Sub\\c.SAV");
  EXPECT_EQ(std::count(stop.paths.begin(), stop.paths.end(), "root\\Sub\\Deeper\\d.sav"), 0);
}

TEST_F(DiskHelpersTest, ExistenceWritabilityDatesAndAge) {
  Write("old.txt", "o");
  Write("new.txt", "n");
  auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::last_write_time("old.txt", now - std::chrono::hours(48));
  std::filesystem::last_write_time("new.txt", now);
  std::filesystem::permissions("old.txt", std::filesystem::perms::owner_read, std::filesystem::perm_options::replace);
  EXPECT_EQ(FileExistsOnDisk("OLD.TXT"), 1);
  EXPECT_EQ(FileExistsOnDisk("gone.txt"), 0);
  int writable = -1;
  EXPECT_EQ(IsFileWritable("old.txt", &writable), 1);
  EXPECT_EQ(writable, 0);
  EXPECT_EQ(IsFileWritable("new.txt", &writable), 1);
  EXPECT_EQ(writable, 1);
  EXPECT_EQ(IsFileWritable("gone.txt", &writable), 0);
  EXPECT_EQ(IsFileNewer("new.txt", "old.txt"), 1);
  EXPECT_EQ(IsFileNewer("old.txt", "new.txt"), 0);
  EXPECT_EQ(IsFileNewer("new.txt", "gone.txt"), 0);
  int y = 0, m = 0, d = 0;
  EXPECT_EQ(GetFileDate("new.txt", &y, &m, &d), 1);
  std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc = *std::gmtime(&t);
  EXPECT_EQ(y, utc.tm_year + 1900);
  EXPECT_EQ(m, utc.tm_mon + 1);
  EXPECT_GE(d, 1);
  SYSTEMTIME local{};
  EXPECT_EQ(GetFileLocalTime("new.txt", &local), 1);
  EXPECT_EQ(GetFileLocalTime("gone.txt", &local), 0);
}

namespace {

struct Timed {
  std::vector<std::pair<std::string, std::uint64_t>> found;
};

int CollectTimed(const char* path, std::uint64_t lastWrite, void* context) {
  static_cast<Timed*>(context)->found.emplace_back(path, lastWrite);
  return 0;
}

}  // namespace

TEST_F(DiskHelpersTest, TheTimedScanGivesEachFilesTimeAsTheSingleLookUpReadsIt) {
  Write("root/a.sav", "");
  Write("root/b.SAV", "");
  Write("root/c.txt", "");
  const auto now = std::filesystem::file_time_type::clock::now();
  // Whole seconds apart, and one with a fraction of a second.
  std::filesystem::last_write_time("root/a.sav", now - std::chrono::hours(3));
  std::filesystem::last_write_time("root/b.SAV", now - std::chrono::milliseconds(1234567));
  Timed timed;
  EXPECT_EQ(ScanDirectoryWithTimes("root", "*.sav", CollectTimed, &timed), 0);
  ASSERT_EQ(timed.found.size(), 2u);
  for (const auto& [path, ticks] : timed.found) {
    std::uint64_t single = 0;
    ASSERT_TRUE(GetFileWriteTicks(path.c_str(), &single)) << path;
    EXPECT_EQ(single, ticks) << path;
    std::string plain = path;
    std::replace(plain.begin(), plain.end(), '\\', '/');
    ASSERT_TRUE(GetFileWriteTicks(plain.c_str(), &single)) << plain;
    EXPECT_EQ(single, ticks) << plain;
  }
  // Three hours and about 20 minutes apart, in 100 ns ticks.
  const std::uint64_t a = timed.found[0].second, b = timed.found[1].second;
  EXPECT_EQ(b - a, (3ull * 3600 * 1000 - 1234567ull) * 10000ull);
  std::uint64_t ignored = 0;
  EXPECT_FALSE(GetFileWriteTicks("root/gone.sav", &ignored));
  EXPECT_FALSE(GetFileWriteTicks("", &ignored));
}
