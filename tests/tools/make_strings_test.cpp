// The string tool: sources into ".loc" files that the game's string table
// reads back, and the sources and texts it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "make_strings/string_table.h"

namespace {

// Writes the bytes to a temporary file and loads it as a string table.
bool LoadThrough(const std::vector<std::uint8_t>& bytes, CLocale* table) {
  const auto path = std::filesystem::temp_directory_path() / "halberd_make_strings_test.loc";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  CatalogStartup();
  const int ok = table->Load(path.string().c_str());
  CatalogShutdown();
  std::filesystem::remove(path);
  return ok == 1;
}

TEST(MakeStrings, SourceLinesBecomeAStringTableTheGameReadsBack) {
  std::vector<SourceString> strings;
  std::string error;
  ASSERT_TRUE(ReadStringSource("# shell\n6ACB3DCC NETWORK A component is missing.\r\n\n"
                               "2a5cc3a8 PRESS   Press any key  \n76C0DC40 WORD Café\n",
                               &strings, &error))
      << error;
  ASSERT_EQ(strings.size(), 3u);
  EXPECT_EQ(strings[1].id, 0x2A5CC3A8u);
  EXPECT_EQ(strings[1].text, "Press any key  ");
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(WriteLocBytes(strings, kGameStringSetValue, &bytes, &error)) << error;
  CLocale table;
  ASSERT_TRUE(LoadThrough(bytes, &table));
  EXPECT_EQ(table.GetStringCount(), 3u);
  EXPECT_STREQ(table.GetString(0x6ACB3DCC), "A component is missing.");
  EXPECT_STREQ(table.GetString(0x2A5CC3A8), "Press any key  ");
  // The table narrows each 16-bit character to its low byte: é is 0xE9.
  EXPECT_STREQ(table.GetString(0x76C0DC40), "Caf\xE9");
  EXPECT_EQ(table.FindIdByName("PRESS"), 0x2A5CC3A8);
  EXPECT_STREQ(table.GetCurrentLanguageName(), "English");
}

TEST(MakeStrings, MalformedSourcesAreRefusedNamingTheLine) {
  struct Bad {
    const char* source;
    const char* error;
  } bad[] = {
      {"12 A one\nzz NAME text\n", "line 2: expected \"<hex id> <name> <text>\""},
      {"12 NAME\n", "line 1: expected \"<hex id> <name> <text>\""},
      {"1FFFFFFFF NAME text\n", "line 1: expected \"<hex id> <name> <text>\""},
      {"12 A one\n12 B two\n", "line 2: id 12 given twice"},
      {"12 A bad \xC3(\n", "line 1: the text is not UTF-8"},
      {"12 A cut \xE2\x82\n", "line 1: the text is not UTF-8"},
  };
  for (const Bad& b : bad) {
    std::vector<SourceString> strings;
    std::string error;
    EXPECT_FALSE(ReadStringSource(b.source, &strings, &error)) << b.source;
    EXPECT_EQ(error, b.error);
  }
}

TEST(MakeStrings, ATagInsideTheDataIsRefused) {
  // "SEND" as 16-bit characters is S 0 E 0 ...; as an id it is the four bytes themselves.
  const std::uint32_t sendAsId = 'S' | ('E' << 8) | ('N' << 16) | (static_cast<std::uint32_t>('D') << 24);
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(WriteLocBytes({{sendAsId, "NAME", "text"}}, kGameStringSetValue, &bytes, &error));
  EXPECT_EQ(error, "the tag \"SEND\" would appear inside the data");
  EXPECT_TRUE(WriteLocBytes({{0x12345678u, "NAME", "SEND"}}, kGameStringSetValue, &bytes, &error)) << error;
}

}  // namespace
