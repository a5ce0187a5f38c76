// The message list: long messages cut into lines at blanks (straight at 68
// characters when there are none), the parting line and the full ring, and
// the fades: in as a line comes up into the band, out once it rises past
// 0.96 or its end time is 1500 ms gone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "world/text/message_list.h"
#include "world/text/text_fixture.h"

using namespace text_test;

namespace {

std::vector<std::string> Lines(const CMessageList& list) {
  std::vector<std::string> out;
  for (int k = 0; k < list.GetMessageCount(); ++k) out.emplace_back(list.GetMessage(k)->Text);
  return out;
}

}  // namespace

TEST(MessageList, LongMessagesAreCutIntoLinesAtBlanks) {
  CTimer clock;
  SetClock(clock, 1000, 0.0f);
  CMessageList list(16);
  list.SetClock(&clock);
  // 150 characters of words: three lines, none longer than 68, no word split.
  std::string text;
  for (int k = 0; text.size() < 150; ++k) text += (k ? " word" : "word") + std::to_string(k % 10);
  text.resize(150);
  if (text.back() == ' ') text.back() = 'x';
  list.MessageAdd(text.c_str(), 4000);
  const auto lines = Lines(list);
  ASSERT_EQ(lines.size(), 3u);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 68u);
    EXPECT_NE(line.front(), ' ');
    EXPECT_NE(line.back(), ' ');
    joined += (joined.empty() ? "" : " ") + line;
  }
  EXPECT_EQ(joined, text);
  // Each line ends 1500 ms after the one before.
  EXPECT_EQ(list.GetMessage(0)->EndTime, 5000u);
  EXPECT_EQ(list.GetMessage(1)->EndTime, 6500u);
  EXPECT_EQ(list.GetMessage(2)->EndTime, 8000u);
}

TEST(MessageList, TextsWithoutBlanksAreCutStraightAt68) {
  const struct {
    std::size_t length;
    std::vector<std::size_t> lines;
  } cases[] = {{69, {69}}, {70, {68, 2}}, {150, {68, 68, 14}}, {136, {68, 68}}, {137, {68, 69}}};
  for (const auto& c : cases) {
    CMessageList list(16);
    const std::string text(c.length, 'x');
    list.MessageAdd(text.c_str(), 1000);
    const auto lines = Lines(list);
    ASSERT_EQ(lines.size(), c.lines.size()) << c.length;
    for (std::size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), c.lines[k]) << c.length;
  }
}

TEST(MessageList, MessagesArePartedAndTheRingDropsItsOldest) {
  CMessageList list(16);
  list.MessageAdd(nullptr, 1000);
  EXPECT_EQ(list.GetMessageCount(), 0);
  EXPECT_FLOAT_EQ(list.GetY(), 0.9f);
  list.MessageAdd("one", 1000);
  EXPECT_NEAR(list.GetY(), 0.935f, 1e-6f);
  list.MessageAdd("two", 1000);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "", "two"}));
  EXPECT_NEAR(list.GetY(), 0.935f + 0.015f + 0.035f, 1e-6f);
  for (int k = 3; k <= 6; ++k) list.MessageAdd(std::to_string(k).c_str(), 1000);
  // Eleven lines were queued: the oldest ("one") is gone.
  EXPECT_EQ(list.GetMessageCount(), kMessageSlots);
  EXPECT_EQ(Lines(list).front(), "");
  EXPECT_EQ(Lines(list).back(), "6");
  list.MessageClear();
  EXPECT_EQ(list.GetMessageCount(), 0);
}

TEST(MessageList, AMessageFadesInShowsAndFadesOut) {
  CTimer clock;
  CMessageList list(16);
  list.SetClock(&clock);
  SetClock(clock, 0, 0.0f);
  list.MessageAdd("hello", 10000);
  // It comes in below the band's foot (0.935 < 0.99): it starts fading in.
  list.MessageDraw();
  EXPECT_EQ(list.GetMessage(0)->State, MESSAGE_FADING_IN);
  EXPECT_EQ(list.GetCount(), 0);  // a waiting line is not drawn
  SetClock(clock, 750, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(list.GetMessage(0)->CurrentColour, 0x7F7F7F7Fu);
  ASSERT_EQ(list.GetCount(), 1);
  const ScreenTextEntry& e = *list.GetEntry(0);
  EXPECT_STREQ(e.Text, "hello");
  EXPECT_EQ(e.Alignment, SCREENTEXT_CENTRED_ACROSS);
  EXPECT_FLOAT_EQ(e.Scale, 100.0f);
  EXPECT_NEAR(e.Y, 0.935f, 1e-6f);
  EXPECT_EQ(e.Colour, 0x7F7F7F7Fu);
  EXPECT_EQ(e.BoxAlpha, 0x7F);
  list.ScreenTextReset();
  // Shown after 1500 ms; standing above 0.96 it then fades out at once.
  SetClock(clock, 1501, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(list.GetMessage(0)->State, MESSAGE_FADING_OUT);
  EXPECT_EQ(list.GetMessage(0)->CurrentColour, 0xFFFFFFFFu);
  SetClock(clock, 1501 + 1125, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(list.GetMessage(0)->CurrentColour, 0x3F3F3F3Fu);
  SetClock(clock, 1501 + 1501, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(list.GetMessageCount(), 0);
}

TEST(MessageList, ALowLineWaitsAndAShownOneLastsUntilItsEnd) {
  CTimer clock;
  CMessageList list(16);
  list.SetClock(&clock);
  SetClock(clock, 0, 0.0f);
  // Three lines at once: the newest stands at 0.9 + 3 x 0.035 = 1.005, below the band.
  list.MessageAdd(std::string(150, 'x').c_str(), 1000);
  list.MessageDraw();
  // Ring slots stay where they are while older lines leave.
  const MessageSlot* middle = list.GetMessage(1);
  const MessageSlot* newest = list.GetMessage(2);
  EXPECT_EQ(newest->State, MESSAGE_WAITING);
  EXPECT_EQ(middle->State, MESSAGE_FADING_IN);  // at 0.97
  // Held where it is (no frame time passes), the line at 0.97 is shown and
  // stays until 1500 ms after its end time.
  SetClock(clock, 1600, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(middle->State, MESSAGE_SHOWN);
  SetClock(clock, 1000 + 1500 + 1500, 0.0f);  // its end is 2500
  list.MessageDraw();
  EXPECT_EQ(middle->State, MESSAGE_SHOWN);
  EXPECT_EQ(list.GetMessageCount(), 2);  // the first line has faded out and gone
  SetClock(clock, 1000 + 1500 + 1501, 0.0f);
  list.MessageDraw();
  EXPECT_EQ(middle->State, MESSAGE_FADING_OUT);
  // The list scrolls up 0.027 a second towards 0.9, and no further.
  SetClock(clock, 5000, 1.0f);
  list.MessageDraw();
  EXPECT_NEAR(list.GetY(), 1.005f - 0.027f, 1e-5f);
  SetClock(clock, 5100, 10.0f);
  list.MessageDraw();
  EXPECT_FLOAT_EQ(list.GetY(), 0.9f);
  EXPECT_EQ(newest->State, MESSAGE_FADING_IN);
}
