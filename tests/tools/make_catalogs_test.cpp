// The catalog tool: manifests, the limits a catalog has, the catalog built
// through the engine's build mode and read back, and the loose tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/files/catalog.h"
#include "make_catalogs/catalog_manifest.h"

namespace fs = std::filesystem;

namespace {

class Catalogs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("halberd_catalogs_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "data" / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  fs::path dir_;
};

TEST_F(Catalogs, ManifestLinesNameTheCatalogAndEachFilesLooseFolder) {
  CatalogManifest m;
  std::string error;
  ASSERT_TRUE(ReadManifest("# files\ncatalog catalog.dat\n\nstrings/GenStrs.loc data\r\nWeaps.txt data\\stats\n", &m,
                           &error))
      << error;
  EXPECT_EQ(m.catalog, "catalog.dat");
  ASSERT_EQ(m.entries.size(), 2u);
  EXPECT_EQ(m.entries[1].source, "Weaps.txt");
  EXPECT_EQ(m.entries[1].folder, "data\\stats");
  EXPECT_EQ(m.entries[1].line, 5);
  const struct {
    const char* text;
    const char* error;
  } bad[] = {{"a.txt data\n", "the manifest names no catalog"},
             {"catalog c.dat\na.txt\n", "manifest line 2: expected \"<file> <loose folder>\""},
             {"catalog c.dat\n../a.txt data\n", "manifest line 2: paths must stay inside the data folder"},
             {"catalog c.dat\ncatalog d.dat\n", "manifest line 2: a second catalog name"}};
  for (const auto& b : bad) {
    CatalogManifest none;
    EXPECT_FALSE(ReadManifest(b.text, &none, &error)) << b.text;
    EXPECT_EQ(error, b.error);
  }
}

TEST_F(Catalogs, MoreFilesThanADirectoryHoldsOrTwoNamesWithOneKeyAreRefused) {
  CatalogManifest m;
  m.catalog = "c.dat";
  for (std::uint32_t i = 0; i < kCatalogEntryCount; ++i) m.entries.push_back({"f" + std::to_string(i) + ".txt", "data", 0});
  std::string error;
  EXPECT_TRUE(CheckManifest(m, &error)) << error;
  m.entries.push_back({"one_too_many.txt", "data", 0});
  EXPECT_FALSE(CheckManifest(m, &error));
  EXPECT_EQ(error, "c.dat: 1505 files, more than the 1504 a catalog holds");
  // Keys ignore folders and letter case.
  CatalogManifest twins{"c.dat", "", {{"a/Weaps.txt", "data", 3}, {"b/WEAPS.TXT", "data", 9}}};
  EXPECT_FALSE(CheckManifest(twins, &error));
  EXPECT_EQ(error, "c.dat: a/Weaps.txt (line 3) and b/WEAPS.TXT (line 9) have the same catalog key");
}

TEST_F(Catalogs, TheBuiltCatalogHoldsEveryFileAndTheLooseTreeACopy) {
  Write(dir_ / "data" / "one.txt", "first file\n");
  Write(dir_ / "data" / "sub" / "Two.bin", std::string("\x00\x01\x02 second", 10));
  CatalogManifest m{"test.dat", "", {{"one.txt", "data\\stats", 1}, {"sub/Two.bin", ".", 2}}};
  std::string error;
  ASSERT_TRUE(BuildCatalog(m, (dir_ / "data").string(), (dir_ / "root" / "test.dat").string(), &error)) << error;
  ASSERT_TRUE(InstallLooseTree(m, (dir_ / "data").string(), (dir_ / "root").string(), &error)) << error;
  EXPECT_TRUE(fs::exists(dir_ / "root" / "data" / "stats" / "one.txt"));
  EXPECT_EQ(fs::file_size(dir_ / "root" / "Two.bin"), 10u);
  // The directory: both keys, the data after the fixed head.
  std::ifstream in(dir_ / "root" / "test.dat", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string catalog = bytes.str();
  ASSERT_GE(catalog.size(), kCatalogDataStart + 21);
  int entries = 0;
  for (std::uint32_t i = 0; i < kCatalogEntryCount; ++i) {
    std::uint32_t hash;
    std::memcpy(&hash, catalog.data() + i * kCatalogEntryBytes, 4);
    if (hash == CatalogNameHash("one.txt") || hash == CatalogNameHash("TWO.BIN")) ++entries;
  }
  EXPECT_EQ(entries, 2);
  // A file the manifest lists but the build did not make stops the catalog.
  CatalogManifest missing{"test.dat", "", {{"absent.txt", "data", 7}}};
  EXPECT_FALSE(BuildCatalog(missing, (dir_ / "data").string(), (dir_ / "root" / "test.dat").string(), &error));
  EXPECT_EQ(error, "test.dat: absent.txt (line 7) is not built");
}

// The catalog's directory keys, read from its head.
std::vector<std::uint32_t> Keys(const fs::path& catalog) {
  std::ifstream in(catalog, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string head = bytes.str().substr(0, kCatalogDirectoryBytes);
  std::vector<std::uint32_t> keys;
  for (std::uint32_t i = 0; i * kCatalogEntryBytes + 4 <= head.size(); ++i) {
    std::uint32_t hash;
    std::memcpy(&hash, head.data() + i * kCatalogEntryBytes, 4);
    if (hash != 0) keys.push_back(hash);
  }
  return keys;
}

TEST_F(Catalogs, ACatalogMadeFromAnotherKeepsItsFilesAndAddsTheManifests) {
  Write(dir_ / "data" / "one.txt", "first file\n");
  Write(dir_ / "data" / "sub" / "Two.bin", "second");
  std::string error;
  CatalogManifest base{"base.dat", "", {{"one.txt", ".", 1}}};
  ASSERT_TRUE(BuildCatalog(base, (dir_ / "data").string(), (dir_ / "data" / "base.dat").string(), &error)) << error;
  CatalogManifest more;
  ASSERT_TRUE(ReadManifest("catalog Level.dat from base.dat\nsub/Two.bin .\n", &more, &error)) << error;
  EXPECT_EQ(more.base, "base.dat");
  ASSERT_TRUE(BuildCatalog(more, (dir_ / "data").string(), (dir_ / "root" / "Level.dat").string(), &error)) << error;
  const std::vector<std::uint32_t> keys = Keys(dir_ / "root" / "Level.dat");
  EXPECT_EQ(keys.size(), 2u);
  EXPECT_NE(std::find(keys.begin(), keys.end(), CatalogNameHash("one.txt")), keys.end());
  EXPECT_NE(std::find(keys.begin(), keys.end(), CatalogNameHash("Two.bin")), keys.end());
  // The base catalog itself is left as it was.
  EXPECT_EQ(Keys(dir_ / "data" / "base.dat").size(), 1u);
}

TEST(GameCatalogs, CatalogZeroHoldsEveryFileOfItsManifest) {
  std::ifstream in(std::string(CATALOG_MANIFESTS) + "/catalog.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  CatalogManifest m;
  std::string error;
  ASSERT_TRUE(ReadManifest(text.str(), &m, &error)) << error;
  ASSERT_TRUE(CheckManifest(m, &error)) << error;
  const fs::path root = HALBERD_GAME_DATA_DIR;
  std::ifstream catalog(root / "catalog.dat", std::ios::binary);
  std::ostringstream bytes;
  bytes << catalog.rdbuf();
  const std::string head = bytes.str().substr(0, kCatalogDirectoryBytes);
  ASSERT_EQ(head.size(), kCatalogDirectoryBytes);
  for (const ManifestEntry& e : m.entries) {
    const std::uint32_t key = CatalogNameHash(fs::path(e.source).filename().string().c_str());
    bool found = false;
    for (std::uint32_t i = 0; i < kCatalogEntryCount && !found; ++i) {
      std::uint32_t hash;
      std::memcpy(&hash, head.data() + i * kCatalogEntryBytes, 4);
      found = hash == key;
    }
    EXPECT_TRUE(found) << e.source;
    std::string folder = e.folder;
    for (char& c : folder)
      if (c == '\\') c = '/';
    EXPECT_TRUE(fs::exists(root / folder / fs::path(e.source).filename())) << e.source;
  }
}

}  // namespace
