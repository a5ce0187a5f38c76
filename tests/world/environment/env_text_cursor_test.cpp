#include "world/environment/env_text_cursor.h"

#include <gtest/gtest.h>

#include <string>

TEST(EnvTextCursor, ReadsTokensWordsAndNumbersInTurn) {
  EnvTextCursor text("HLOX \"two words\" bare\n-12 3.5\n");
  char token[8], word[32], bare[8];
  int i = 0;
  float r = 0.0f;
  ASSERT_TRUE(text.Token(token));
  EXPECT_STREQ(token, "HLOX");
  ASSERT_TRUE(text.Word(word));
  EXPECT_STREQ(word, "two words");
  ASSERT_TRUE(text.Word(bare));
  EXPECT_STREQ(bare, "bare");
  ASSERT_TRUE(text.Int(&i));
  EXPECT_EQ(i, -12);
  EXPECT_EQ(text.Line(), 2);
  ASSERT_TRUE(text.Real(&r));
  EXPECT_FLOAT_EQ(r, 3.5f);
  EXPECT_TRUE(text.AtEnd());
}

TEST(EnvTextCursor, MissingValuesAnswerFalseAndConsumeNothing) {
  struct Case {
    const char* text;
    const char* what;
  };
  const Case cases[] = {{"", "empty"}, {"   \n\t ", "blanks only"}, {"abc", "word for a number"}, {"-", "sign alone"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EnvTextCursor text(c.text);
    int i = 7;
    float r = 7.0f;
    EXPECT_FALSE(text.Int(&i));
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(text.Real(&r));
    float three[3];
    EXPECT_FALSE(text.Reals(three, 3));
  }
  EnvTextCursor empty("  ");
  char buffer[8] = "x";
  EXPECT_FALSE(empty.Token(buffer));
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(empty.Word(buffer));
}

TEST(EnvTextCursor, NumbersThatAreNotFiniteAreRefusedAndConsumeNothing) {
  // Spelt out, or past the float's range (a level file's number that
  // overflowed): refused like a missing number, so no reader passes it on.
  const std::string texts[] = {"inf", "-INFINITY", "nan", "NAN(123)", "4" + std::string(38, '0'),
                                "-" + std::string(73, '9')};
  for (const std::string& t : texts) {
    SCOPED_TRACE(t);
    const std::string line = t + " 5";
    EnvTextCursor text(line.c_str());
    float r = 7.0f;
    EXPECT_FALSE(text.Real(&r));
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(text.Offset(), 0u);
    float two[2] = {7.0f, 7.0f};
    EXPECT_FALSE(text.Reals(two, 2));
  }
  // Numbers near the float's limits are numbers like any other.
  const std::string limits = "0." + std::string(50, '0') + "1 3" + std::string(38, '0') + " -0";
  EnvTextCursor fine(limits.c_str());
  float three[3];
  ASSERT_TRUE(fine.Reals(three, 3));
  EXPECT_EQ(three[0], 0.0f);
  EXPECT_FLOAT_EQ(three[1], 3e38f);
  EXPECT_TRUE(fine.AtEnd());
}

TEST(EnvTextCursor, LongTokenIsCutButLongWordFails) {
  EnvTextCursor text("ABCDEFGHIJ next ABCDEFGHIJ");
  char small[5];
  ASSERT_TRUE(text.Token(small));
  EXPECT_STREQ(small, "ABCD");
  ASSERT_TRUE(text.Token(small));
  EXPECT_STREQ(small, "next");
  EXPECT_FALSE(text.Word(small));  // a name that does not fit is not silently shortened
}

TEST(EnvTextCursor, NeverReadsPastTheTextEnd) {
  // The text has no blank before its end: every read must stop at the NUL.
  std::string body = "\"unclosed quote";
  EnvTextCursor text(body.c_str());
  char word[64];
  text.Word(word);
  EXPECT_LE(text.Offset(), body.size());
  EXPECT_TRUE(text.AtEnd());
  EXPECT_FALSE(text.Token(word));
}
