#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/files/buffered_file.h"

using FileScanfTest = FileTest;

TEST_F(FileScanfTest, ReadsEachConversionAfterSkippingBlanks) {
  Write("v.txt", "  -12\t3.25\r\nword 1aF9 -0.5 77");
  Start();
  BufferedFile* h = FileOpen("v.txt", "rb");
  ASSERT_NE(h, nullptr);
  int i = 0, j = 0;
  float f = 0, g = 0;
  char s[32];
  unsigned x = 0;
  EXPECT_EQ(FileScanf(h, "%d %f %s", &i, &f, s), 1);
  EXPECT_EQ(FileScanf(h, "%08x %f %d", &x, &g, &j), 1);
  EXPECT_EQ(i, -12);
  EXPECT_FLOAT_EQ(f, 3.25f);
  EXPECT_STREQ(s, "word");
  EXPECT_EQ(x, 0x1AF9u);
  EXPECT_FLOAT_EQ(g, -0.5f);
  EXPECT_EQ(j, 77);
}

TEST_F(FileScanfTest, LongNumbersKeepTheirValue) {
  Write("n.txt", "12345678901.5 0.000000000125");
  Start();
  BufferedFile* h = FileOpen("n.txt", "rb");
  ASSERT_NE(h, nullptr);
  float a = 0, b = 0;
  FileScanf(h, "%f %f", &a, &b);
  EXPECT_FLOAT_EQ(a, 12345678901.5f);
  EXPECT_FLOAT_EQ(b, 0.000000000125f);
}

TEST_F(FileScanfTest, WordsAreCutToTheWidthAndTheRestSkipped) {
  std::string longWord(300, 'w');
  Write("w.txt", "abcdefgh next " + longWord + " last");
  Start();
  BufferedFile* h = FileOpen("w.txt", "rb");
  ASSERT_NE(h, nullptr);
  char four[5], next[8], big[256], last[8];
  FileScanf(h, "%4s %7s %s %7s", four, next, big, last);
  EXPECT_STREQ(four, "abcd");
  EXPECT_STREQ(next, "next");
  EXPECT_EQ(std::string(big), std::string(255, 'w'));
  EXPECT_STREQ(last, "last");
}

TEST_F(FileScanfTest, TheLookAheadOfOneFileDoesNotLeakIntoTheNext) {
  Write("a.txt", "7x");
  Write("b.txt", "42");
  Start();
  BufferedFile* h = FileOpen("a.txt", "rb");
  int v = 0;
  FileScanf(h, "%d", &v);
  EXPECT_EQ(v, 7);
  FileClose(h);
  h = FileOpen("b.txt", "rb");
  char s[8];
  FileScanf(h, "%s", s);
  EXPECT_STREQ(s, "42");
}
