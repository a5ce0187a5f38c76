#include "foundation/text/keyword_readers.h"

#include <cstring>

#include "foundation/file_test_fixture.h"

TEST(TextKeywordReaders, ReadQuotedAndBareValues) {
  struct Case {
    const char* text;
    const char* keyword;
    int result;
    const char* value;
    const char* rest;
  } cases[] = {
      {"NAME \"Big Gun\" next", "NAME", 1, "Big Gun", " next"},
      {"NAME  \t\r\n bare\nnext", "NAME", 1, "bare", "next"},
      {"OTHER value", "NAME", 0, "", nullptr},
      {"  value rest", nullptr, 1, "value", "rest"},
      {"NAME \"unterminated", "NAME", 1, "unterminated", ""},
  };
  for (const Case& c : cases) {
    const char* cursor = c.text;
    char value[32] = "";
    EXPECT_EQ(TextReadKeywordString(&cursor, c.keyword, value), c.result) << c.text;
    if (c.result) {
      EXPECT_STREQ(value, c.value) << c.text;
    }
    if (c.rest) {
      EXPECT_STREQ(cursor, c.rest) << c.text;
    }
  }
}

TEST(TextKeywordReaders, TheSizedReaderAnswers0WhenItHadToCut) {
  const char* cursor = "KEY abcdefgh";
  char value[5];
  EXPECT_EQ(TextReadKeywordStringN(&cursor, "KEY", value, sizeof value), 0);
  EXPECT_STREQ(value, "abcd");
  cursor = "KEY abcd";
  EXPECT_EQ(TextReadKeywordStringN(&cursor, "KEY", value, sizeof value), 1);
  EXPECT_STREQ(value, "abcd");
}

using FileKeywordReaders = FileTest;

TEST_F(FileKeywordReaders, ReadKeywordValuesAndWordsThroughTheHandle) {
  Write("k.txt", "TEXTURE \"my tex.bmp\"\nSIZE 12\nBAD x\n");
  Start();
  BufferedFile* h = FileOpen("k.txt", "rb");
  ASSERT_NE(h, nullptr);
  char value[32];
  EXPECT_EQ(FileReadKeywordString(h, "TEXTURE", value), 1);
  EXPECT_STREQ(value, "my tex.bmp");
  EXPECT_EQ(FileReadKeywordString(h, "SIZE", value), 1);
  EXPECT_STREQ(value, "12");
  EXPECT_EQ(FileReadKeywordString(h, "GOOD", value), 0);
  char small[2];
  EXPECT_EQ(FileReadKeywordString(h, nullptr, small), 1);
  EXPECT_STREQ(small, "x");
}

TEST_F(FileKeywordReaders, WordsRoundTripAndAShortReadStoresZero) {
  Start();
  {
    std::FILE* f = std::fopen("w.bin", "wb");
    std::uint32_t v = 0xA1B2C3D4;
    EXPECT_EQ(WriteU32(&v, f), 1);
    std::fputc(0x7F, f);
    std::fclose(f);
  }
  EXPECT_EQ(Read("w.bin"), std::string("\xD4\xC3\xB2\xA1\x7F", 5));
  BufferedFile* h = FileOpen("w.bin", "rb");
  std::uint32_t v = 1;
  EXPECT_EQ(FileReadU32(&v, h), 1);
  EXPECT_EQ(v, 0xA1B2C3D4u);
  EXPECT_EQ(FileReadU32(&v, h), 0);
  EXPECT_EQ(v, 0u);
}
