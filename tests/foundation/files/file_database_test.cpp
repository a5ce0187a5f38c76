#include "foundation/files/file_database.h"

#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/text/hash.h"

TEST(FileDatabase, AnEmptyDatabaseFindsNothingWithoutSorting) {
  CFileDatabase db;
  EXPECT_EQ(db.Find("weaps.txt"), -1);
  EXPECT_EQ(db.sorted, 0u);
}

TEST(FileDatabase, DatabasesOfOneToSevenEntriesFindEachEntryInAnyCase) {
  const char* names[] = {"Weaps.txt", "Mission1.env", "GenStrs.loc", "Default.spl", "a.bmp", "b.bmp", "sky.dds"};
  for (int n = 1; n <= 7; ++n) {
    CFileDatabase db;
    db.Reserve(2);  // grows past its reservation
    for (int i = 0; i < n; ++i) db.Add("folder\\", names[i]);
    ASSERT_EQ(db.GetCount(), n);
    for (int i = 0; i < n; ++i) {
      std::string upper(names[i]);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      int at = db.Find(upper.c_str());
      ASSERT_GE(at, 0) << n << " " << names[i];
      EXPECT_STREQ(db.GetEntry(at)->name, names[i]);
      EXPECT_EQ(db.Find(names[i]), at);
    }
    EXPECT_EQ(db.Find("absent.txt"), -1);
  }
}

TEST(FileDatabase, WritingAndReadingKeepsEntriesAndOrder) {
  std::string path = (std::filesystem::temp_directory_path() / "halberd_filedb_roundtrip.db").string();
  CFileDatabase db;
  db.Add("@\\data\\stats\\", "Weaps.txt");
  db.Add("@\\data\\", "Alpha.txt");
  db.Add("x\\", "");
  ASSERT_EQ(db.Write(path.c_str()), 1);
  CFileDatabase back;
  ASSERT_EQ(back.Read(path.c_str()), 1);
  ASSERT_EQ(back.GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(back.GetEntry(i)->hash, db.GetEntry(i)->hash);
    EXPECT_STREQ(back.GetEntry(i)->folder, db.GetEntry(i)->folder);
    EXPECT_STREQ(back.GetEntry(i)->name, db.GetEntry(i)->name);
  }
  EXPECT_EQ(back.GetEntry(0)->hash, HashStringNoCase("weaps.txt"));
  std::filesystem::remove(path);
}

TEST(FileDatabase, DamagedFilesAreRefusedAndLeaveItEmpty) {
  std::string path = (std::filesystem::temp_directory_path() / "halberd_filedb_damaged.db").string();
  auto record = [](ByteWriter& w, std::uint32_t folderLen, const std::string& folder, std::uint32_t nameLen,
                   const std::string& name) {
    w.U32(1);
    w.U32(folderLen);
    w.Bytes(folder.data(), folder.size());
    w.U32(nameLen);
    w.Bytes(name.data(), name.size());
  };
  std::vector<ByteWriter> files(5);
  files[0].U32(2);  // two records announced, none present
  files[1].U32(1);
  record(files[1], 0xFFFFFFFF, "ab", 1, "c");  // length wraps
  files[2].U32(1);
  record(files[2], 2, "ab", 50, "c");  // name past the end
  files[3].U16(1);                     // count cut short
  files[4].U32(0);                     // valid and empty
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(files[i].Data().data(), 1, files[i].Size(), f);
    std::fclose(f);
    CFileDatabase db;
    db.Add("keep\\", "old.txt");
    EXPECT_EQ(db.Read(path.c_str()), i == 4 ? 1 : 0) << i;
    EXPECT_EQ(db.GetCount(), 0) << i;
  }
  CFileDatabase db;
  EXPECT_EQ(db.Read("/nonexistent/halberd.db"), 0);
  std::filesystem::remove(path);
}

TEST(FileDatabase, DuplicatesAreReportedAndNamesSharingAHashAreToldApart) {
  CFileDatabase db;
  testing::internal::CaptureStdout();
  db.Add("one\\", "Same.txt");
  db.Add("two\\", "SAME.TXT");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Error : Duplicate Hash ID\n"), std::string::npos);
  EXPECT_NE(out.find(" : two\\ : SAME.TXT\n  =\n"), std::string::npos);
  EXPECT_EQ(db.GetCount(), 2);
  // Force two different names onto one hash: only the right name is found.
  db.Add("three\\", "Other.txt");
  db.entries[0].hash = db.entries[1].hash = HashStringNoCase("other.txt");
  db.sorted = 0;
  int at = db.Find("other.txt");
  ASSERT_GE(at, 0);
  EXPECT_STREQ(db.GetEntry(at)->folder, "three\\");
}
