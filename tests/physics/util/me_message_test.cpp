#include "physics/util/me_message.h"
#include "physics/util/message_recorder.h"

#include <gtest/gtest.h>

#include <string>

TEST(MeMessage, InfoMakesTwoOutputCallsAtLevelZeroAndNoneAboveThreshold) {
  MessageRecorder rec;
  MeInfo(0, "value %d of %s", 7, "x");
  ASSERT_EQ(rec.info.size(), 2u);
  EXPECT_EQ(rec.info[0], "MeInfo{0}: ");
  EXPECT_EQ(rec.info[1], "value 7 of x");
  MeInfo(1, "hidden");
  MeWarning(3, "hidden");
  MeDebug(1, "hidden");
  EXPECT_EQ(rec.info.size(), 2u);
  EXPECT_TRUE(rec.warnings.empty());
  EXPECT_TRUE(rec.debug.empty());
  MeSetWarningLevel(3);
  MeWarning(3, "shown");
  EXPECT_EQ(MessageRecorder::Joined(rec.warnings), "MeWarning{3}: shown");
  MeDebug(0, "dbg");
  EXPECT_EQ(MessageRecorder::Joined(rec.debug), "MeDebug{0}: dbg");
}

TEST(MeMessage, LongMessagesAreCutTo5000Characters) {
  MessageRecorder rec;
  std::string big(6000, 'a');
  MeInfo(0, "%s", big.c_str());
  ASSERT_EQ(rec.info.size(), 2u);
  EXPECT_EQ(rec.info[1].size(), 4999u);
}

TEST(MeMessage, FatalErrorSendsPrefixAndTextThenExitsWithCodeOne) {
  MessageRecorder rec;
  EXPECT_THROW(MeFatalError(0, "broken %d", 3), MeFatalErrorThrown);
  ASSERT_EQ(rec.fatals.size(), 2u);
  EXPECT_EQ(rec.fatals[0], "MeFatalError{0}: ");
  EXPECT_EQ(rec.fatals[1], "broken 3");
  ASSERT_EQ(rec.exitCodes.size(), 1u);
  EXPECT_EQ(rec.exitCodes[0], 1);
}

TEST(MeMessageDeathTest, DefaultFatalErrorEndsTheProgramWithCodeOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(MeFatalError(0, "the end"), ::testing::ExitedWithCode(1), "the end");
}

namespace {
std::string g_formatted;
void CustomFormatter(int level, const char* format, va_list args) {
  char buf[64];
  vsnprintf(buf, sizeof buf, format, args);
  g_formatted = std::to_string(level) + ":" + buf;
}
}  // namespace

TEST(MeMessage, SettersAnswerThePreviousFunction) {
  MeFormatterFn old = MeSetInfoFormatter(CustomFormatter);
  MeInfo(5, "x=%d", 9);
  EXPECT_EQ(g_formatted, "5:x=9");
  EXPECT_EQ(MeSetInfoFormatter(old), &CustomFormatter);
  MeOutputFn out = MeSetDebugOutput(MeOutputToStdout);
  EXPECT_EQ(out, &MeOutputNull);
  MeSetDebugOutput(out);
}

TEST(MeMessage, PathBaseNameSplitsAtTheLastBackslashOnly) {
  struct Case {
    const char* path;
    const char* base;
  } cases[] = {{"c:\\src\\kea\\solve.c", "solve.c"},
               {"plain.c", "plain.c"},
               {"dir/unix.c", "dir/unix.c"},
               {"trailing\\", ""}};
  for (const Case& c : cases) EXPECT_STREQ(MePathBaseName(c.path), c.base) << c.path;
}

TEST(MeMessage, VersionText) { EXPECT_STREQ(MeVersionString(), "1.0.2 (build 622)"); }
