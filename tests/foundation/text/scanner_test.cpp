#include "foundation/text/scanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

TEST(Scanner, FloatConversions) {
  struct Case {
    const char* input;
    float want;
    const char* rest;
  };
  const Case cases[] = {
      {"-2.5", -2.5f, ""},
      {"7", 7.0f, ""},
      {"1.2.3", 1.2f, ".3"},
      {"  .5 x", 0.5f, "x"},  // blanks before the next value are skipped
      {"123456789012.5", 123456789012.5f, ""},  // long inputs keep their value
      {"abc", 0.0f, "abc"},
  };
  for (const Case& c : cases) {
    const char* cursor = c.input;
    float f = -99;
    EXPECT_EQ(sscanf1(&cursor, "%f", &f), 1);
    EXPECT_FLOAT_EQ(f, c.want) << c.input;
    EXPECT_STREQ(cursor, c.rest) << c.input;
  }
}

TEST(Scanner, IntegersHexAndStrings) {
  const char* cursor = "  -12 ff00AB  name.tga rest";
  int i = 0;
  unsigned int h = 0;
  char s[32];
  sscanf1(&cursor, "%d %08x %s", &i, &h, s);
  EXPECT_EQ(i, -12);
  EXPECT_EQ(h, 0xFF00ABu);
  EXPECT_STREQ(s, "name.tga");
  EXPECT_STREQ(cursor, "rest");
  const char* none = "x";
  int n = 5;
  sscanf1(&none, "%d", &n);
  EXPECT_EQ(n, 0);
  EXPECT_STREQ(none, "x");
  char* mutableCursor = const_cast<char*>("42");
  sscanf1(&mutableCursor, "%d", &n);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(*mutableCursor, '\0');
}

TEST(Scanner, InputCommasAreNotSkipped) {
  int a = 0, b = 0;
  const char* spaced = "1 2";
  sscanf1(&spaced, "%d,%d", &a, &b);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  const char* comma = "1,2";
  sscanf1(&comma, "%d, %d", &a, &b);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
}

TEST(Scanner, StringsAreBoundedToTheirBuffer) {
  std::string longToken(400, 'k');
  std::string input = longToken + " next";
  const char* cursor = input.c_str();
  char big[kScanStringMax + 1];
  char word[16];
  sscanf1(&cursor, "%s %s", big, word);
  EXPECT_EQ(std::string(big), std::string(kScanStringMax, 'k'));
  EXPECT_STREQ(word, "next");
  const char* c2 = "abcdefghij";
  char small[5];
  sscanf1(&c2, "%4s", small);
  EXPECT_STREQ(small, "abcd");
  EXPECT_STREQ(c2, "");
}

TEST(Scanner, UnknownFormatCharactersStopTheScan) {
  const char* cursor = "5 6";
  int a = 0, b = 0;
  testing::internal::CaptureStdout();
  sscanf1(&cursor, "%d x %d", &a, &b);
  sscanf1(&cursor, "%q", &a);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 0);
  EXPECT_NE(out.find(" character error in sscanf1 - unknown format character 'x'\n"), std::string::npos);
  EXPECT_NE(out.find(" character error in sscanf1 - unknown format control character 'q'\n"), std::string::npos);
}

TEST(TextHelpers, CountLinesAndNarrow) {
  EXPECT_EQ(CountLines("a\nb\n\nc", 6), 3);
  EXPECT_EQ(CountLines("a\nb", 1), 0);
  const std::uint16_t wide[] = {'H', 0x0009, 'i', 0x0141, 0x1234, '!', 0};
  char out[16];
  NarrowString16(out, wide, sizeof out);
  EXPECT_STREQ(out, "Hi\x02!");
  char tiny[3];
  NarrowString16(tiny, wide, sizeof tiny);
  EXPECT_STREQ(tiny, "Hi");
}

}  // namespace
