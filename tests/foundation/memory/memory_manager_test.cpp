#include "foundation/memory/memory_manager.h"

#include "foundation/memory/memory_category.h"
#include "foundation/maths/random15.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path TempFolder(const char* name) {
  fs::path dir = fs::temp_directory_path() / ("halberd_mem_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + name);
  fs::create_directories(dir);
  return dir;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
    lines.push_back(text.substr(start, pos - start));
  return lines;
}

MemAllocUnitInfo UnitOf(const void* p) {
  MemAllocUnitInfo info{};
  EXPECT_TRUE(MemFindUnit(p, &info));
  return info;
}

TEST(MemoryManager, AZeroByteRequestIsADistinctBlockOfSizeOne) {
  void* a = MEM_MALLOC(0);
  void* b = MEM_MALLOC(0);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(UnitOf(a).reportedSize, 1u);
  EXPECT_EQ(UnitOf(a).actualSize, 1u);
  EXPECT_EQ(UnitOf(a).allocationType, MEM_ALLOC_MALLOC);
  MEM_FREE(a);
  MEM_FREE(b);
  EXPECT_FALSE(MemIsValidAddress(a));
}

TEST(MemoryManager, OwnerSiteIsRecordedStrippedCutAndThenReset) {
  struct Case {
    const char* file;
    int line;
    const char* func;
    const char* wantFile;
    const char* wantFunc;
  };
  const std::string longName(60, 'x');
  const std::string longCut(39, 'x');
  const Case cases[] = {
      {"C:\\GAMELIB\\Core\\MemBuffers.cpp", 42, "??", "MemBuffers.cpp", "??"},
      {"/src/foundation/ring_buffer.cpp", 7, "Alloc", "ring_buffer.cpp", "Alloc"},
      {"plain.cpp", 1, "f", "plain.cpp", "f"},
      {longName.c_str(), 3, longName.c_str(), longCut.c_str(), longCut.c_str()},
  };
  for (const Case& c : cases) {
    MemSetOwner(c.file, c.line, c.func);
    char* p = new char[8];
    char* q = new char[8];  // no owner set in between
    MemAllocUnitInfo a = UnitOf(p);
    MemAllocUnitInfo b = UnitOf(q);
    EXPECT_STREQ(a.sourceFile, c.wantFile);
    EXPECT_STREQ(a.sourceFunc, c.wantFunc);
    EXPECT_EQ(a.sourceLine, static_cast<std::uint32_t>(c.line));
    EXPECT_EQ(a.allocationType, MEM_ALLOC_NEW_ARRAY);
    EXPECT_STREQ(b.sourceFile, "??");
    EXPECT_STREQ(b.sourceFunc, "??");
    EXPECT_EQ(b.sourceLine, 0u);
    EXPECT_EQ(b.allocationNumber, a.allocationNumber + 1);
    delete[] p;
    delete[] q;
  }
}

TEST(MemoryManager, CategoryAndSiteOperatorsRecordTheirKind) {
  int* one = MEM_NEW(MEMCAT_GAME) int(5);
  int* many = MEM_NEW(MEMCAT_GAME) int[4];
  int* sited = new (__FILE__, 77) int(3);
  EXPECT_EQ(*one, 5);
  EXPECT_EQ(UnitOf(one).allocationType, MEM_ALLOC_NEW);
  EXPECT_EQ(UnitOf(many).allocationType, MEM_ALLOC_NEW_ARRAY);
  EXPECT_STREQ(UnitOf(one).sourceFile, "memory_manager_test.cpp");
  EXPECT_EQ(UnitOf(sited).sourceLine, 77u);
  EXPECT_STREQ(UnitOf(sited).sourceFunc, "??");
  MEM_DELETE one;
  MEM_DELETE_ARRAY many;
  delete sited;
  EXPECT_FALSE(MemIsValidAddress(one));
}

TEST(MemoryManager, NewBlocksAreWipedAndReleasedBlocksAreOverwritten) {
  ASSERT_TRUE(*MemAlwaysWipeAll());
  auto* p = static_cast<unsigned char*>(MEM_MALLOC(11));
  for (int w = 0; w < 2; ++w) {
    std::uint32_t word;
    std::memcpy(&word, p + w * 4, 4);
    EXPECT_EQ(word, kMemUnusedPattern);
  }
  // The last three bytes hold the pattern's low bytes in order.
  EXPECT_EQ(p[8], 0xCE);
  EXPECT_EQ(p[9], 0xFA);
  EXPECT_EQ(p[10], 0xED);

  // The observer runs inside the allocator: it must not allocate.
  struct Seen {
    unsigned char bytes[16];
    std::size_t size;
  } seen{};
  MemSetReleaseObserver(
      [](const void* block, std::size_t size, void* ctx) {
        auto* s = static_cast<Seen*>(ctx);
        const auto* b = static_cast<const unsigned char*>(block);
        s->size = size < sizeof s->bytes ? size : sizeof s->bytes;
        std::memcpy(s->bytes, b, s->size);
      },
      &seen);
  MEM_FREE(p);
  MemSetReleaseObserver(nullptr, nullptr);
  const unsigned char dead[] = {0xEF, 0xBE, 0xAD, 0xDE, 0xEF, 0xBE, 0xAD, 0xDE, 0xEF, 0xBE, 0xAD};
  ASSERT_EQ(seen.size, 11u);
  EXPECT_EQ(0, std::memcmp(seen.bytes, dead, 11));

  auto* z = static_cast<unsigned char*>(MEM_CALLOC(3, 5));
  for (int i = 0; i < 15; ++i) EXPECT_EQ(z[i], 0) << i;
  EXPECT_EQ(UnitOf(z).allocationType, MEM_ALLOC_CALLOC);
  MEM_FREE(z);
}

TEST(MemoryManager, ReleasingNullCountsTheCallAndChangesNothingElse) {
  MemStatistics before{};
  MemGetStatistics(&before);
  std::uint32_t releases = MemReleaseCallCount();
  std::uint32_t allocs = MemAllocCallCount();
  void* volatile nothing = nullptr;
  ::operator delete(nothing);
  MemStatistics after{};
  MemGetStatistics(&after);
  EXPECT_EQ(MemReleaseCallCount(), releases + 1);
  EXPECT_EQ(MemAllocCallCount(), allocs);
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
}

TEST(MemoryManager, StatisticsFollowAllocationsAndReleases) {
  MemStatistics s0{};
  MemGetStatistics(&s0);
  void* a = MEM_MALLOC(100);
  void* b = MEM_MALLOC(50);
  MemStatistics s1{};
  MemGetStatistics(&s1);
  EXPECT_EQ(s1.totalReportedMemory, s0.totalReportedMemory + 150);
  EXPECT_EQ(s1.totalActualMemory, s0.totalActualMemory + 150);
  EXPECT_EQ(s1.totalAllocUnitCount, s0.totalAllocUnitCount + 2);
  EXPECT_EQ(s1.accumulatedAllocUnitCount, s0.accumulatedAllocUnitCount + 2);
  EXPECT_GE(s1.peakReportedMemory, s1.totalReportedMemory);
  MEM_FREE(a);
  MEM_FREE(b);
  MemStatistics s2{};
  MemGetStatistics(&s2);
  EXPECT_EQ(s2.totalReportedMemory, s0.totalReportedMemory);
  EXPECT_EQ(s2.totalAllocUnitCount, s0.totalAllocUnitCount);
  EXPECT_EQ(s2.accumulatedReportedMemory, s0.accumulatedReportedMemory + 150);
  EXPECT_EQ(MemValidateAllUnits(), 0);
}

TEST(MemoryManager, PoolIsStampedIntoNewBlocks) {
  MemSetPool(MMGR_POOLID_LEVEL);
  void* level = MEM_MALLOC(4);
  MemSetPool(MMGR_POOLID_GAME);
  void* game = MEM_MALLOC(4);
  EXPECT_EQ(UnitOf(level).poolId, MMGR_POOLID_LEVEL);
  EXPECT_EQ(UnitOf(game).poolId, MMGR_POOLID_GAME);
  MEM_FREE(level);
  MEM_FREE(game);
}

TEST(MemoryManager, ReallocateMovesTheRecordAndWipesTheGrownPart) {
  auto* p = static_cast<unsigned char*>(MEM_MALLOC(4));
  std::memset(p, 7, 4);
  auto* q = static_cast<unsigned char*>(MEM_REALLOC(p, 4096));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q[0], 7);
  EXPECT_EQ(q[3], 7);
  std::uint32_t word;
  std::memcpy(&word, q + 8, 4);
  EXPECT_EQ(word, kMemUnusedPattern);
  EXPECT_EQ(UnitOf(q).reportedSize, 4096u);
  EXPECT_EQ(UnitOf(q).allocationType, MEM_ALLOC_REALLOC);
  if (q != p) {
    EXPECT_FALSE(MemIsValidAddress(p));
  }
  MEM_FREE(q);
  void* fresh = MEM_REALLOC(nullptr, 8);
  EXPECT_TRUE(MemIsValidAddress(fresh));
  MEM_FREE(fresh);
}

TEST(MemoryManager, NumbersAndSizesAreWrittenWithSeparators) {
  struct Case {
    std::uint32_t value;
    const char* commas;
    const char* size;
  };
  const Case cases[] = {
      {0, "0", "         0 bytes     "},
      {999, "999", "       999 bytes     "},
      {1024, "1,024", "     1,024 bytes     "},
      {1025, "1,025", "     1,025 (   1.00K)"},
      {0x100000, "1,048,576", " 1,048,576 (1024.00K)"},
      {0x100001, "1,048,577", " 1,048,577 (   1.00M)"},
      {1234567, "1,234,567", " 1,234,567 (   1.18M)"},
      {4294967295u, "4,294,967,295", "4,294,967,295 (4096.00M)"},
  };
  for (const Case& c : cases) {
    char a[32];
    char b[64];
    EXPECT_STREQ(MemInsertCommas(c.value, a), c.commas);
    EXPECT_STREQ(MemSizeString(c.value, b), c.size);
  }
}

TEST(MemoryManager, LogRecordsRequestsAndErrors) {
  fs::path dir = TempFolder("log");
  fs::path log = dir / "memory.log";
  MemSetLogFileName(log.c_str());
  *MemAlwaysLogAll() = true;
  MemSetOwner("C:\\Game\\Thing.cpp", 12, "??");
  void* p = MemAllocate("C:\\Game\\Thing.cpp", 12, "??", MEM_ALLOC_MALLOC, 1025);
  MemAllocUnitInfo info = UnitOf(p);
  MemRelease("Other.cpp", 3, "Fn", MEM_ALLOC_FREE, p);
  *MemAlwaysLogAll() = false;
  int local = 0;
  MemRelease("x.cpp", 1, "??", MEM_ALLOC_FREE, &local);
  EXPECT_EQ(MemReallocate("x.cpp", 1, "??", MEM_ALLOC_REALLOC, 8, &local), nullptr);
  MemSetLogFileName(nullptr);

  std::vector<std::string> lines = SplitCrLf(ReadAll(log));
  ASSERT_EQ(lines.size(), 5u);
  char want[256];
  std::snprintf(want, sizeof want, "%05u %-40s %8s            : %s", info.allocationNumber, "Thing.cpp(00012)::??",
                "malloc", "     1,025 (   1.00K)");
  EXPECT_EQ(lines[0], want);
  EXPECT_EQ(lines[1].substr(0, 69), std::string(65, ' ') + "OK: ");
  EXPECT_NE(lines[1].find("(hash: "), std::string::npos);
  std::snprintf(want, sizeof want, "      %-40s %8s(", "Other.cpp(00003)::Fn", "free");
  EXPECT_EQ(lines[2].substr(0, std::strlen(want)), want);
  EXPECT_EQ(lines[3], "Request to deallocate RAM that was never allocated");
  EXPECT_EQ(lines[4], "Request to reallocate RAM that was never allocated");
  fs::remove_all(dir);
}

TEST(MemoryManager, ReportListsTheFilteredPool) {
  fs::path dir = TempFolder("report");
  fs::path report = dir / "report.txt";
  MemSetPool(MMGR_POOLID_LEVEL);
  void* level = MemAllocate("Level.cpp", 5, "??", MEM_ALLOC_MALLOC, 2000);
  MemSetPool(MMGR_POOLID_GAME);
  void* game = MemAllocate("Game.cpp", 6, "??", MEM_ALLOC_NEW, 16);

  struct Case {
    std::uint32_t filter;
    const char* poolLine;
    bool hasLevel;
    bool hasGame;
  };
  const Case cases[] = {
      {MMGR_POOLID_ALL, nullptr, true, true},
      {MMGR_POOLID_GAME, "Game Pool : MMGR_POOLID_GAME", false, true},
      {MMGR_POOLID_LEVEL, "Game Pool : MMGR_POOLID_LEVEL", true, false},
  };
  for (const Case& c : cases) {
    MemSetReportPoolFilter(c.filter);
    ASSERT_TRUE(MemDumpMemoryReport(report.c_str(), true));
    std::string text = ReadAll(report);
    std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_GT(lines.size(), 30u);
    EXPECT_EQ(lines[0], " " + std::string(130, '-') + " ");
    EXPECT_EQ(lines[1].size(), 132u);
    EXPECT_EQ(lines[1].substr(0, 65), "|" + std::string(45, ' ') + "Memory report for: ");
    EXPECT_EQ(lines[6], "|" + std::string(59, ' ') + "T O T A L S" + std::string(60, ' ') + "|");
    EXPECT_EQ(lines[8].substr(0, 37), "              Allocation unit count: ");
    EXPECT_EQ(text.find("Game Pool") != std::string::npos, c.poolLine != nullptr);
    if (c.poolLine) {
      EXPECT_NE(text.find(std::string(c.poolLine) + "\r\n\r\n"), std::string::npos);
    }
    EXPECT_NE(text.find(std::string("|") + std::string(54, ' ') + "A C C U M U L A T E D"), std::string::npos);
    EXPECT_NE(text.find("    Memory allocated but not in use: "), std::string::npos);
    std::string heading = "Number            Reported   Reported    Actual     Actual     Unused    Method  Dealloc "
                          "Realloc Allocated by";
    EXPECT_NE(text.find(heading + std::string(110 - heading.size(), ' ') + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("------ --------- ---------- "), std::string::npos);
    EXPECT_EQ(text.find("Level.cpp(00005)::??") != std::string::npos, c.hasLevel);
    EXPECT_EQ(text.find("Game.cpp(00006)::??") != std::string::npos, c.hasGame);
    // Blocks of the test framework were made without an owner site.
    if (c.filter == MMGR_POOLID_ALL) {
      EXPECT_NE(text.find("    ?\?(00000)::?\?\r\n"), std::string::npos);
    }
  }
  MemSetReportPoolFilter(MMGR_POOLID_ALL);
  // A fresh block is all unused: its line shows 2000 unused bytes (0x7D0).
  MemSetReportPoolFilter(MMGR_POOLID_LEVEL);
  ASSERT_TRUE(MemDumpMemoryReport(report.c_str(), true));
  std::string text = ReadAll(report);
  EXPECT_NE(text.find("0x000007D0 malloc      N       N    Level.cpp(00005)::??"), std::string::npos);
  MemSetReportPoolFilter(MMGR_POOLID_ALL);
  MemRelease("Level.cpp", 5, "??", MEM_ALLOC_FREE, level);
  MemRelease("Game.cpp", 6, "??", MEM_ALLOC_DELETE, game);
  fs::remove_all(dir);
}

TEST(MemoryManager, BreakFlagsBelongToTheBlock) {
  void* p = MEM_MALLOC(8);
  ASSERT_NE(MemBreakOnDealloc(p), nullptr);
  *MemBreakOnDealloc(p) = true;
  EXPECT_TRUE(UnitOf(p).breakOnDealloc);
  EXPECT_FALSE(UnitOf(p).breakOnRealloc);
  int local = 0;
  EXPECT_EQ(MemBreakOnRealloc(&local), nullptr);
  MEM_FREE(p);
}

TEST(MemoryManager, RandomWipeUsesFourDrawsOfTheGenerator) {
  *MemRandomWipe() = true;
  SRand15(5);
  std::uint32_t want = 0;
  for (int i = 0; i < 4; ++i) want = (want << 8) | static_cast<std::uint32_t>(Rand15() & 0xFF);
  SRand15(5);
  auto* p = static_cast<unsigned char*>(MEM_MALLOC(12));
  *MemRandomWipe() = false;
  for (int w = 0; w < 3; ++w) {
    std::uint32_t word;
    std::memcpy(&word, p + w * 4, 4);
    EXPECT_EQ(word, want);
  }
  MEM_FREE(p);
}

TEST(MemoryManager, UnusedBytesCountWholeWordsAndAPartialLastWord) {
  fs::path dir = TempFolder("unused");
  fs::path report = dir / "report.txt";
  MemSetPool(MMGR_POOLID_LEVEL);
  auto* p = static_cast<unsigned char*>(MemAllocate("Unused.cpp", 9, "??", MEM_ALLOC_MALLOC, 13));
  MemSetPool(MMGR_POOLID_GAME);
  p[0] = 1;  // the first word is in use now
  MemSetReportPoolFilter(MMGR_POOLID_LEVEL);
  ASSERT_TRUE(MemDumpMemoryReport(report.c_str(), true));
  MemSetReportPoolFilter(MMGR_POOLID_ALL);
  // Words 2 and 3 and the one-byte tail still hold the pattern: 12 bytes.
  EXPECT_NE(ReadAll(report).find("0x0000000C malloc      N       N    Unused.cpp(00009)::??"), std::string::npos);
  MemRelease("Unused.cpp", 9, "??", MEM_ALLOC_FREE, p);
  fs::remove_all(dir);
}

TEST(MemoryManager, UnitDumpWritesTheRecordToTheLog) {
  fs::path dir = TempFolder("dump");
  fs::path log = dir / "memory.log";
  MemSetLogFileName(log.c_str());
  void* p = MemAllocate("Dump.cpp", 21, "Fn", MEM_ALLOC_CALLOC, 2000);
  MemAllocUnitInfo info = UnitOf(p);
  MemDumpAllocUnit(p, "> ");
  MemSetLogFileName(nullptr);
  std::vector<std::string> lines = SplitCrLf(ReadAll(log));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0].substr(0, 22), "> Address (reported): ");
  EXPECT_EQ(lines[2], "> Size (reported)   : 0x000007D0 (     2,000 (   1.95K))");
  EXPECT_EQ(lines[4], "> Owner             : Dump.cpp(21)::Fn");
  EXPECT_EQ(lines[5], "> Allocation type   : calloc");
  EXPECT_EQ(lines[6], "> Allocation number : " + std::to_string(info.allocationNumber));
  EXPECT_EQ(lines[7], "> Pool ID           : 0");
  MEM_FREE(p);
  fs::remove_all(dir);
}

TEST(MemoryManager, AlwaysValidateFindsNoFaultInAHealthyTable) {
  fs::path dir = TempFolder("validate");
  fs::path log = dir / "memory.log";
  MemSetLogFileName(log.c_str());
  *MemAlwaysValidateAll() = true;
  void* p = MEM_MALLOC(10);
  MEM_FREE(p);
  *MemAlwaysValidateAll() = false;
  EXPECT_EQ(MemValidateAllUnits(), 0);
  MemSetLogFileName(nullptr);
  EXPECT_FALSE(fs::exists(log));  // nothing to report
  fs::remove_all(dir);
}

TEST(MemoryCategories, AccountingTable) {
  ClearMemoryCategoryUsage();
  SetMemoryCategory(MEMCAT_TEXTURE);
  EXPECT_EQ(GetMemoryCategory(), MEMCAT_TEXTURE);
  ClearMemoryCategory();
  EXPECT_EQ(GetMemoryCategory(), MEMCAT_NONE);
  AddMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, 1000);
  AddMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, 24);
  SubtractMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, 500);
  EXPECT_EQ(GetMemoryCategoryCount(MEMCAT_VERTEX_BUFFER), 2u);
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_VERTEX_BUFFER), 524u);
  SubtractMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, 5000);
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_VERTEX_BUFFER), 0u);
  AddMemoryCategoryUsage(44, 10);  // out of range: ignored
  AddMemoryCategoryUsage(-1, 10);
  EXPECT_EQ(GetMemoryCategoryCount(44), 0u);
  ClearMemoryCategoryUsage();
  EXPECT_EQ(GetMemoryCategoryCount(MEMCAT_VERTEX_BUFFER), 0u);
}

// Run only as a child of the test below: leaks one block on purpose.
TEST(MemoryManager, DISABLED_LeakOnPurpose) {
  [[maybe_unused]] static volatile std::uintptr_t sink;
  int* leaked = new int[64];
  sink = ~reinterpret_cast<std::uintptr_t>(leaked);
}

TEST(MemoryManager, ALeakedBlockIsStillReportedByTheLeakChecker) {
#if defined(__SANITIZE_ADDRESS__)
  std::string self = fs::read_symlink("/proc/self/exe").string();
  fs::path dir = TempFolder("leak");
  fs::path out = dir / "child.txt";
  std::string command = "'" + self +
                        "' --gtest_also_run_disabled_tests --gtest_filter=MemoryManager.DISABLED_LeakOnPurpose > '" +
                        out.string() + "' 2>&1";
  int status = std::system(command.c_str());
  std::string text = ReadAll(out);
  EXPECT_NE(status, 0);
  EXPECT_NE(text.find("detected memory leaks"), std::string::npos) << text;
  fs::remove_all(dir);
#else
  GTEST_SKIP() << "needs the leak checker";
#endif
}

}  // namespace
