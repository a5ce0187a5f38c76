#include "foundation/files/catalog.h"

#include <zlib.h>

#include <cctype>
#include <cstring>

#include "foundation/file_test_fixture.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/load_file.h"
#include "foundation/byte_reader.h"
#include "foundation/text/hash.h"

namespace {

struct CatalogFile {
  std::string name;
  std::string bytes;
};

std::uint32_t UpperHash(const std::string& name) {
  std::string up(name);
  for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return HashString(up.c_str());
}

// A catalog image laid out independently of the reader under test.
std::string CatalogImage(const std::vector<CatalogFile>& files) {
  ByteWriter dir, data;
  std::uint32_t offset = kCatalogDataStart;
  for (const CatalogFile& f : files) {
    dir.U32(UpperHash(f.name));
    dir.U32(offset);
    dir.U32(static_cast<std::uint32_t>(f.bytes.size()));
    data.Bytes(f.bytes.data(), f.bytes.size());
    offset += static_cast<std::uint32_t>(f.bytes.size());
  }
  while (dir.Size() < kCatalogDirectoryBytes) dir.U8(0);
  std::string out(reinterpret_cast<const char*>(dir.Data().data()), dir.Size());
  out += out.substr(0, kCatalogBlockBytes);
  out.append(reinterpret_cast<const char*>(data.Data().data()), data.Size());
  return out;
}

void WriteGz(const std::string& path, const std::string& bytes) {
  gzFile gz = gzopen(path.c_str(), "wb");
  ASSERT_NE(gz, nullptr);
  ASSERT_EQ(gzwrite(gz, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
  gzclose(gz);
}

class CatalogTest : public FileTest {
 protected:
  std::vector<CatalogFile> files_ = {
      {"Weaps.txt", Pattern(100, 1)}, {"Big.bin", Pattern(40000, 2)}, {"Empty.dat", ""}, {"Tail.txt", Pattern(33, 3)}};
};

}  // namespace

TEST_F(CatalogTest, BuildingAppendsEveryFileReadFromTheDisk) {
  for (const CatalogFile& f : files_) Write("data/" + f.name, f.bytes);
  Start("c");
  ASSERT_EQ(OpenCatalog(0, "built.cat", 0, 0), 1);
  for (const CatalogFile& f : files_) {
    BufferedFile* h = FileOpen(("data\\" + f.name).c_str(), "rb");
    ASSERT_NE(h, nullptr) << f.name;
    char first[10];
    FileRead(first, 1, sizeof first, h);  // partly read: closing reads the rest into the catalog
    FileClose(h);
  }
  EXPECT_EQ(CloseCatalog(), 0);
  EXPECT_BYTES_EQ(Read("built.cat"), CatalogImage(files_));
}

TEST_F(CatalogTest, ReadingFromAPlainOrCompressedCatalogGivesTheFilesBack) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "gzip" : "plain");
    if (compressed)
      WriteGz("game.cat", CatalogImage(files_));
    else
      Write("game.cat", CatalogImage(files_));
    Start("d");
    ASSERT_EQ(OpenCatalog(0, "game.cat", 0, 0), 1);
    // Any case and any folders find the same entry; reading out of order works.
    const char* names[] = {"c:\\data\\TAIL.TXT", "weaps.txt", "x/y/Big.BIN", "EMPTY.DAT", "Big.bin"};
    const std::string expected[] = {files_[3].bytes, files_[0].bytes, files_[1].bytes, "", files_[1].bytes};
    for (int i = 0; i < 5; ++i) {
      BufferedFile* h = FileOpen(names[i], "rb");
      ASSERT_NE(h, nullptr) << names[i];
      EXPECT_EQ(FileGetSize(h), expected[i].size());
      EXPECT_BYTES_EQ(ReadAll(h), expected[i]);
      FileClose(h);
    }
    EXPECT_EQ(FileOpen("missing.txt", "rb"), nullptr);
    CloseCatalog();
    CatalogShutdown();
    std::filesystem::remove("game.cat");
  }
}

TEST_F(CatalogTest, ACompressedCatalogIsFoundUnderItsNameWithGz) {
  WriteGz("mission.dat.gz", CatalogImage(files_));
  Start("d");
  ASSERT_EQ(OpenCatalog(1, nullptr, 0, 0), 1);
  EXPECT_EQ(GetCurrentCatalogId(), 1);
  EXPECT_TRUE(IsFileInCatalog("WEAPS.TXT"));
  EXPECT_FALSE(IsFileInCatalog("other.txt"));
}

TEST_F(CatalogTest, AMissingCatalogFailsAndEveryOpenFails) {
  Start("d");
  EXPECT_EQ(OpenCatalog(0, "absent.cat", 0, 0), 0);
  EXPECT_TRUE(IsCatalogOpen());
  Write("Weaps.txt", "on disk only");
  EXPECT_EQ(FileOpen("Weaps.txt", "rb"), nullptr);
}

TEST_F(CatalogTest, FilesReadInDirectoryOrderAreFoundAtTheFirstComparison) {
  Write("game.cat", CatalogImage(files_));
  Start("d");
  ASSERT_EQ(OpenCatalog(0, "game.cat", 0, 0), 1);
  const CCatalog* c = GetCatalog(0);
  for (std::size_t i = 0; i < files_.size(); ++i) {
    BufferedFile* h = FileOpen(files_[i].name.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(c->lastHit, &c->directory[i + 1]);
    FileClose(h);
  }
  // A look-up from past the last entry wraps to the first.
  BufferedFile* h = FileOpen(files_[0].name.c_str(), "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(c->lastHit, &c->directory[1]);
  FileClose(h);
}

TEST_F(CatalogTest, ANullBufferSkipsAndASecondOpenIsRefused) {
  Write("big.bin", files_[1].bytes);
  Start();
  BufferedFile* h = FileOpen("BIG.BIN", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(FileOpen("big.bin", "rb"), nullptr);
  EXPECT_EQ(FileRead(nullptr, 1, 35000, h), 35000u);
  char four[4];
  EXPECT_EQ(FileRead(four, 2, 2, h), 2u);
  EXPECT_EQ(std::string(four, 4), files_[1].bytes.substr(35000, 4));
  EXPECT_EQ(FileRead(four, 0, 2, h), 0u);
  // Items are whole: with 3 bytes left an item of 4 is not read.
  EXPECT_EQ(FileRead(nullptr, 1, 4993, h), 4993u);
  EXPECT_EQ(FileRead(four, 4, 1, h), 0u);
  EXPECT_EQ(FileClose(h), 0);
  EXPECT_NE(FileOpen("big.bin", "rb"), nullptr);
}

TEST_F(CatalogTest, AskingTheSizeInTheMiddleOfADiskReadDoesNotMoveIt) {
  Write("big.bin", files_[1].bytes);
  Start();
  BufferedFile* h = FileOpen("big.bin", "rb");
  ASSERT_NE(h, nullptr);
  std::string head(10, '\0');
  FileRead(head.data(), 1, 10, h);
  EXPECT_EQ(FileGetSize(h), 40000u);
  EXPECT_BYTES_EQ(head + ReadAll(h), files_[1].bytes);
}

TEST_F(CatalogTest, SwitchesSetTheModeAndEAfterDReadsFromTheDisk) {
  struct Case {
    const char* switches;
    std::uint32_t mode;
  } cases[] = {{"", 0}, {"d", 0x01}, {"de", 0x00}, {"acl", 0x0E}, {"D", 0x01}};
  for (const Case& c : cases) {
    SetCatalogMode(0);
    ClearAllCommandSwitches();
    Start(c.switches);
    EXPECT_EQ(GetCatalogMode(), c.mode) << c.switches;
    CatalogShutdown();
  }
}

TEST_F(CatalogTest, SuspendingReadsFromTheDiskUntilRestored) {
  Write("game.cat", CatalogImage(files_));
  Write("Loose.txt", "loose");
  Start("d");
  ASSERT_EQ(OpenCatalog(0, "game.cat", 0, 0), 1);
  EXPECT_EQ(FileOpen("Loose.txt", "rb"), nullptr);
  SuspendCatalogs();
  EXPECT_EQ(GetCatalogMode(), 0x10u);
  BufferedFile* h = FileOpen("Loose.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ReadAll(h), "loose");
  FileClose(h);
  RestoreCatalogMode();
  EXPECT_EQ(GetCatalogMode(), 0x01u);
}

TEST_F(CatalogTest, AReopenedCatalogReadsAgainAfterItWasClosed) {
  WriteGz("game.cat", CatalogImage(files_));
  Start("d");
  ASSERT_EQ(OpenCatalog(0, "game.cat", 0, 0), 1);
  EXPECT_EQ(CloseCatalog(), 0);
  EXPECT_EQ(GetCurrentCatalogId(), -1);
  EXPECT_EQ(ReopenCatalog(0), 1);
  BufferedFile* h = FileOpen("Big.bin", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_BYTES_EQ(ReadAll(h), files_[1].bytes);
}

TEST_F(CatalogTest, DirectoryEntriesOutsideTheCatalogAreRefused) {
  // Entry 0 points into the directory; entry 1 claims more bytes than the
  // catalog holds (a little, or gigabytes); the last file ends exactly at the
  // catalog's end and is read whole.
  struct Case {
    const char* what;
    std::uint32_t bigSize;
  } cases[] = {{"one byte too many", 40000 + 33 + 1}, {"gigabytes", 0xFFFFFF00u}};
  for (const Case& k : cases) {
    for (bool compressed : {false, true}) {
      SCOPED_TRACE(std::string(k.what) + (compressed ? ", gzip" : ", plain"));
      std::string image = CatalogImage(files_);
      ByteWriter w;
      w.U32(100);
      w.U32(k.bigSize);
      std::memcpy(&image[4], w.Data().data(), 4);
      std::memcpy(&image[12 + 8], w.Data().data() + 4, 4);
      if (compressed)
        WriteGz("bad.cat", image);
      else
        Write("bad.cat", image);
      Start("d");
      ASSERT_EQ(OpenCatalog(0, "bad.cat", 0, 0), 1);
      EXPECT_EQ(FileOpen("Weaps.txt", "rb"), nullptr);
      EXPECT_EQ(FileOpen("Big.bin", "rb"), nullptr);
      // Loading it whole answers an error instead of asking for the size claimed.
      char* data = nullptr;
      std::uint32_t size = 0;
      EXPECT_EQ(LoadFile("Big.bin", &data, &size, nullptr, 0), 0);
      EXPECT_EQ(data, nullptr);
      BufferedFile* h = FileOpen("Tail.txt", "rb");
      ASSERT_NE(h, nullptr);
      EXPECT_BYTES_EQ(ReadAll(h), files_[3].bytes);
      FileClose(h);
      CloseCatalog();
      CatalogShutdown();
    }
  }
}

TEST_F(CatalogTest, AGzipTrailerThatMisstatesTheLengthNeitherLosesFilesNorOverreads) {
  // A catalog compressed as two gzip members: the file's trailer states only
  // the second member's length, yet every entry lies inside the whole stream.
  // A single member whose trailer states more than the stream holds: an entry
  // past the real end is not read beyond it, and loading it whole fails.
  const std::string image = CatalogImage(files_);
  auto Gz = [](const std::string& bytes) {
    WriteGz("part.gz", bytes);
    return Read("part.gz");
  };
  const std::size_t split = kCatalogDataStart + 50;
  Write("members.cat", Gz(image.substr(0, split)) + Gz(image.substr(split)));
  Start("d");
  ASSERT_EQ(OpenCatalog(0, "members.cat", 0, 0), 1);
  for (int i : {3, 1, 0}) {
    BufferedFile* h = FileOpen(files_[i].name.c_str(), "rb");
    ASSERT_NE(h, nullptr) << files_[i].name;
    EXPECT_BYTES_EQ(ReadAll(h), files_[i].bytes);
    FileClose(h);
  }
  CloseCatalog();
  CatalogShutdown();

  // The last file claims 1000 bytes more than there are, and the trailer
  // the same 1000 bytes more.  (The file is larger than zlib's read-ahead, so
  // the bad trailer is not met while the directory is read.)
  const std::vector<CatalogFile> two = {{"Head.txt", Pattern(100, 4)}, {"Last.bin", Pattern(400000, 5)}};
  std::string longer = CatalogImage(two);
  ByteWriter w;
  w.U32(400000 + 1000);
  w.U32(static_cast<std::uint32_t>(longer.size() + 1000));
  std::memcpy(&longer[12 + 8], w.Data().data(), 4);
  std::string gz = Gz(longer);
  std::memcpy(&gz[gz.size() - 4], w.Data().data() + 4, 4);
  Write("lying.cat", gz);
  Start("d");
  ASSERT_EQ(OpenCatalog(0, "lying.cat", 0, 0), 1);
  char* data = nullptr;
  std::uint32_t size = 0;
  EXPECT_EQ(LoadFile("Last.bin", &data, &size, nullptr, 0), 0);
  EXPECT_EQ(data, nullptr);
  // Opened on the trailer's word, or refused: never read past the stream.
  if (BufferedFile* h = FileOpen("Last.bin", "rb")) {
    std::string got = ReadAll(h);
    EXPECT_LE(got.size(), 400000u);
    EXPECT_BYTES_EQ(got.substr(0, 1000), two[1].bytes.substr(0, 1000));
    FileClose(h);
  }
  BufferedFile* h = FileOpen("Head.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_BYTES_EQ(ReadAll(h), two[0].bytes);
  FileClose(h);
  CloseCatalog();
  CatalogShutdown();
}

TEST_F(CatalogTest, AFileLeftOpenReadsNothingOnceItsCatalogIsClosed) {
  // Two catalogs with the same names at the same offsets, different bytes.
  std::vector<CatalogFile> other = files_;
  for (CatalogFile& f : other) f.bytes = Pattern(f.bytes.size(), 9);
  enum How { kClose, kOpenOverIt };
  for (How how : {kClose, kOpenOverIt}) {
    for (bool compressed : {false, true}) {
      SCOPED_TRACE(std::string(how == kClose ? "closed" : "opened over") + (compressed ? ", gzip" : ", plain"));
      if (compressed) {
        WriteGz("one.cat", CatalogImage(files_));
        WriteGz("two.cat", CatalogImage(other));
      } else {
        Write("one.cat", CatalogImage(files_));
        Write("two.cat", CatalogImage(other));
      }
      Start("d");
      ASSERT_EQ(OpenCatalog(0, "one.cat", 0, 0), 1);
      BufferedFile* h = FileOpen("Big.bin", "rb");
      ASSERT_NE(h, nullptr);
      char head[10];
      ASSERT_EQ(FileRead(head, 1, sizeof head, h), sizeof head);
      EXPECT_EQ(std::string(head, sizeof head), files_[1].bytes.substr(0, sizeof head));

      if (how == kClose) {
        EXPECT_EQ(CloseCatalog(), 0);
      }
      ASSERT_EQ(OpenCatalog(0, "two.cat", 0, 0), 1);
      // The stale handle gives nothing, neither from the closed catalog nor
      // from the one that took its place, and closes cleanly.
      char buf[1000];
      EXPECT_EQ(FileRead(buf, 1, sizeof buf, h), 0u);
      EXPECT_EQ(FileClose(h), 0);
      EXPECT_EQ(FileRead(buf, 1, sizeof buf, h), 0u);
      // The handle then serves the new catalog as usual.
      h = FileOpen("Big.bin", "rb");
      ASSERT_NE(h, nullptr);
      EXPECT_BYTES_EQ(ReadAll(h), other[1].bytes);
      FileClose(h);
      CloseCatalog();
      CatalogShutdown();
    }
  }
}

TEST_F(CatalogTest, ExtractionCopiesEachFileUnderLeveldataAndNeverOutsideIt) {
  Write("Data/Maps/M1/Foo.txt", files_[1].bytes);
  Write("Other/Bar.txt", "bar");
  Start("a");
  // Folders after "\data\" are kept; a name without it keeps all its folders.
  for (const char* name : {".\\Data\\Maps\\M1\\Foo.txt", "Other\\..\\Other\\Bar.txt"}) {
    BufferedFile* h = FileOpen(name, "rb");
    ASSERT_NE(h, nullptr) << name;
    ReadAll(h);
    FileClose(h);
  }
  EXPECT_BYTES_EQ(Read("leveldata/Maps/M1/Foo.txt"), files_[1].bytes);
  EXPECT_EQ(Read("leveldata/Other/Other/Bar.txt"), "bar");
}

TEST_F(CatalogTest, LoggingWritesOneLinePerCatalogAndFileOpened) {
  Write("data/stats/Weaps.txt", "12345");
  Start("l");
  OpenCatalog(2, "chars.cat", 0, 0);
  BufferedFile* h = FileOpen("data\\stats\\Weaps.txt", "rb");
  ASSERT_NE(h, nullptr);
  FileClose(h);
  char line[200];
  std::snprintf(line, sizeof line, "file:[WEAPS.TXT] source:[DATA\\STATS\\] use:[unknown_use] size:[5] hash:[%x]\n",
                HashString("WEAPS.TXT"));
  EXPECT_EQ(Read("cata.log"), std::string("opened catalog [chars.cat] id=2 reopen=0\n") + line);
}

TEST_F(CatalogTest, ExtendingACatalogReusesEntriesItAlreadyHas) {
  Write("one.txt", "first");
  Write("two.txt", "second");
  Start("c");
  ASSERT_EQ(OpenCatalog(0, "ext.cat", 0, 0), 1);
  BufferedFile* h = FileOpen("one.txt", "rb");
  FileClose(h);
  CloseCatalog();
  SetCatalogPath(0, "ext.cat");
  ASSERT_EQ(OpenCatalog(0, nullptr, 1, 1), 1);
  EXPECT_EQ(GetCatalog(0)->entryCount, 1u);
  for (const char* name : {"one.txt", "two.txt"}) {
    h = FileOpen(name, "rb");
    ASSERT_NE(h, nullptr);
    FileClose(h);
  }
  CloseCatalog();
  EXPECT_BYTES_EQ(Read("ext.cat"), CatalogImage({{"one.txt", "first"}, {"two.txt", "second"}}));
}

TEST_F(CatalogTest, ADamagedCatalogIsNotExtendedAndAMissingOneIsStartedAfresh) {
  Write("one.txt", "first");
  Write("short.cat", "too short to hold a directory");
  Start("c");
  SetCatalogPath(0, "short.cat");
  EXPECT_EQ(OpenCatalog(0, nullptr, 1, 0), 0);
  BufferedFile* h = FileOpen("one.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ReadAll(h), "first");
  FileClose(h);
  CloseCatalog();
  EXPECT_EQ(Read("short.cat"), "too short to hold a directory");

  SetCatalogPath(1, "fresh.cat");
  EXPECT_EQ(OpenCatalog(1, "fresh.cat", 0, 0), 1);
  CloseCatalog();
  SetCatalogPath(1, "new.cat");
  EXPECT_EQ(OpenCatalog(1, nullptr, 1, 0), 1);
  h = FileOpen("one.txt", "rb");
  FileClose(h);
  CloseCatalog();
  EXPECT_BYTES_EQ(Read("new.cat"), CatalogImage({{"one.txt", "first"}}));
}

TEST_F(CatalogTest, AFullDirectoryTakesNoMoreFiles) {
  std::vector<CatalogFile> many;
  for (std::uint32_t i = 0; i < kCatalogEntryCount; ++i) many.push_back({"F" + std::to_string(i), "x"});
  const std::string image = CatalogImage(many);
  Write("full.cat", image);
  Write("extra.txt", "extra");
  Start("c");
  SetCatalogPath(0, "full.cat");
  ASSERT_EQ(OpenCatalog(0, nullptr, 1, 0), 1);
  EXPECT_EQ(GetCatalog(0)->entryCount, kCatalogEntryCount);
  BufferedFile* h = FileOpen("extra.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ReadAll(h), "extra");
  FileClose(h);
  CloseCatalog();
  EXPECT_BYTES_EQ(Read("full.cat"), image);
}
