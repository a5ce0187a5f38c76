#include "foundation/text/file_parse.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"

namespace {

std::vector<std::string> Tokens(const char* text, std::uint16_t flags, const char* separators = nullptr) {
  CFileParse p(text, std::strlen(text), flags);
  if (separators) p.SetSeparators(separators);
  std::vector<std::string> out;
  char t[64];
  do {
    p.NextToken(t, sizeof t);
    out.push_back(t);
  } while (!p.AtEnd());
  return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(FileParse, SplitsTokensByTheFlagsAndSeparators) {
  struct Case {
    const char* text;
    std::uint16_t flags;
    const char* separators;
    V tokens;
  } cases[] = {
      {"a = b", 0, nullptr, V{"a", "b"}},
      {"a==b", 0, nullptr, V{"a", "b"}},
      {"", 0, nullptr, V{""}},
      {"Width 12", FILEPARSE_UPPER_CASE, nullptr, V{"WIDTH", "12"}},
      {"Width 12", FILEPARSE_LOWER_CASE, nullptr, V{"width", "12"}},
      {"name \"two words\" x", FILEPARSE_QUOTES, nullptr, V{"name", "two words", "x"}},
      {"name \"two words\"", 0, nullptr, V{"name", "\"two", "words\""}},
      {"a // note\n/* block\n */ b", FILEPARSE_SKIP_COMMENTS, nullptr, V{"a", "b"}},
      {"a ; note\n b // kept", FILEPARSE_SKIP_COMMENTS | FILEPARSE_SEMICOLON_COMMENTS, nullptr, V{"a", "b", "//", "kept"}},
      {"x,y, z", 0, ", ", V{"x", "y", "z"}},
      {"=lead", 0, nullptr, V{"", "lead"}},
      {"a /* never closed", FILEPARSE_SKIP_COMMENTS, nullptr, V{"a", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text, c.flags, c.separators), c.tokens) << c.text;
}

TEST(FileParse, LongTokensAreCutAndTheRestSkipped) {
  const char* text = "abcdefghij next";
  CFileParse p(text, std::strlen(text), 0);
  char t[5];
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "abcd");
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "next");
}

TEST(FileParse, UnreadRestoresTheCursorAndTheLine) {
  const char* text = "one\n\ntwo\nthree";
  CFileParse p(text, std::strlen(text), 0);
  char t[16];
  p.NextToken(t, sizeof t);
  EXPECT_EQ(p.GetLineNumber(), 2);
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "two");
  EXPECT_EQ(p.GetLineNumber(), 3);
  p.Unread();
  EXPECT_EQ(p.GetLineNumber(), 2);
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "two");
}

TEST(FileParse, CountsTokensAndRewinds) {
  const char* text = "a b = c\n d";
  CFileParse p(text, std::strlen(text), 0);
  EXPECT_EQ(p.CountTokens(), 4);
  char t[8];
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "a");
  CFileParse empty("", 0, 0);
  EXPECT_EQ(empty.CountTokens(), 0);
}

TEST(FileParse, TypedAndKeywordReaders) {
  const char* text = "COUNT 12 SCALE -2.5 NAME tex.bmp SPEED 3 RATE 0.125";
  CFileParse p(text, std::strlen(text), 0);
  int i = 0;
  float f = 0;
  double d = 0;
  char s[16];
  EXPECT_EQ(p.ReadKeywordInt("COUNT", &i), 1);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(p.ReadKeywordFloat("SCALE", &f), 1);
  EXPECT_FLOAT_EQ(f, -2.5f);
  EXPECT_EQ(p.ReadKeywordString("NAME", s, sizeof s), 1);
  EXPECT_STREQ(s, "tex.bmp");
  // A keyword that does not match answers 0 and consumes the word compared.
  EXPECT_EQ(p.ReadKeywordInt("WRONG", &i), 0);
  EXPECT_EQ(p.ReadInt(&i), 1);
  EXPECT_EQ(i, 3);
  EXPECT_EQ(p.ReadKeywordDouble(nullptr, &d), 1);
  EXPECT_EQ(d, 0.0);  // "RATE" read as the value
  EXPECT_EQ(p.ReadDouble(&d), 1);
  EXPECT_DOUBLE_EQ(d, 0.125);
  // At the end the keyword token is empty.
  EXPECT_EQ(p.ReadKeywordInt("COUNT", &i), 0);
}

TEST(FileParse, NumbersThatAreNotFiniteReadAsZero) {
  const std::string huge = "4" + std::string(38, '0');
  const std::string text = "inf -INFINITY nan 1e39 -1e400 " + huge + " 2.5";
  CFileParse p(text.c_str(), text.size(), 0);
  for (const char* what : {"inf", "-INFINITY", "nan", "1e39", "-1e400", "4e38"}) {
    float f = 7.0f;
    EXPECT_EQ(p.ReadFloat(&f), 1) << what;
    EXPECT_EQ(f, 0.0f) << what;
  }
  float f = 0.0f;
  EXPECT_EQ(p.ReadFloat(&f), 1);
  EXPECT_EQ(f, 2.5f);
  p.Rewind();
  for (const char* what : {"inf", "-INFINITY", "nan"}) {
    double d = 7.0;
    EXPECT_EQ(p.ReadDouble(&d), 1) << what;
    EXPECT_EQ(d, 0.0) << what;
  }
  double d = 0.0;
  EXPECT_EQ(p.ReadDouble(&d), 1);
  EXPECT_EQ(d, 1e39);  // a double's range is larger
}

TEST(FileParse, SkipToFindsWordsAndSequences) {
  const char* text = "x REFX_BEGIN a REFX REFX END y REFX END z";
  CFileParse p(text, std::strlen(text), 0);
  EXPECT_EQ(p.SkipTo("a"), 1);
  EXPECT_EQ(p.SkipToSequence("REFX", "END", nullptr), 1);
  char t[8];
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "y");
  EXPECT_EQ(p.SkipToSequence("REFX", "END", "q", nullptr), 0);
  p.Rewind();
  EXPECT_EQ(p.SkipTo("nothing"), 0);
}

TEST(FileParse, FindsKeywordsInATable) {
  static const FileParseKeyword table[] = {{"#INCLUDE", 1}, {"REFX_END", 2}, {nullptr, 0}};
  ASSERT_NE(CFileParse::FindKeyword("REFX_END", table), nullptr);
  EXPECT_EQ(CFileParse::FindKeyword("REFX_END", table)->value, 2);
  EXPECT_EQ(CFileParse::FindKeyword("refx_end", table), nullptr);
}

using FileParseFiles = FileTest;

TEST_F(FileParseFiles, OpensFilesThroughTheLocatorAndFailsForMissingOnes) {
  Write("fx.rfx", "#INCLUDE other.rfx");
  Start();
  CFileParse p;
  EXPECT_EQ(p.Open("fx.rfx", 0), 1);
  EXPECT_STREQ(p.fileName, "fx.rfx");
  char t[32];
  p.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "#INCLUDE");
  CFileParse q;
  EXPECT_EQ(q.Open("missing.rfx", 0), 0);
  EXPECT_TRUE(q.AtEnd());
  EXPECT_EQ(boxes_.size(), 1u);

  std::FILE* f = std::fopen("fx.rfx", "rb");
  std::fgetc(f);
  CFileParse fromStream(f, FILEPARSE_LOWER_CASE);
  std::fclose(f);
  fromStream.NextToken(t, sizeof t);
  EXPECT_STREQ(t, "#include");
}
