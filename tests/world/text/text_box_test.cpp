// The text box: typing with the cursor, lines held and dropped, a second
// text on a new line with the first moved up, lines cut to the buffer, the
// full ring, the blinking cursor and the style's setters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "world/text/screen_text.h"
#include "world/text/text_box.h"
#include "world/text/text_fixture.h"

using namespace text_test;

namespace {

class TextBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box_.SetClock(&clock_);
    Frame(0.0f);
  }
  // One frame of dt seconds; the screen text is emptied first.
  void Frame(float dt) {
    now_ += static_cast<std::uint32_t>(dt * 1000.0f);
    SetClock(clock_, now_, dt);
    screen_.ScreenTextReset();
    box_.TextBoxDraw();
  }
  CTimer clock_;
  std::uint32_t now_ = 0;
  CScreenText screen_{16};
  CTextBox box_{&screen_, 0};
};

}  // namespace

TEST_F(TextBoxTest, StylesAndSetters) {
  EXPECT_EQ(box_.GetColour(), 0xFF2FFF2Fu);
  EXPECT_FLOAT_EQ(box_.GetX(), 0.08f);
  EXPECT_FLOAT_EQ(box_.GetY(), 0.5f);
  EXPECT_FLOAT_EQ(box_.GetLineScale(), 1.25f);
  CTextBox second(&screen_, 1);
  EXPECT_FLOAT_EQ(second.GetY(), 0.9f);
  EXPECT_FLOAT_EQ(second.GetLineScale(), 1.0f);
  box_.SetColour(1.0f, 0.5f, 0.0f);
  EXPECT_EQ(box_.GetColour(), 0xFFFF7F00u);
  box_.SetBoxColour(0.0f, 0.0f, 1.0f, 0.5f);
  EXPECT_EQ(box_.GetBoxColour(), 0x7F0000FFu);
}

TEST_F(TextBoxTest, ALineIsTypedACharacterAtATimeThenHeld) {
  // The cursor shows from the start (for a blink period) and follows the typing.
  box_.TextBoxSetText("ABC");
  ASSERT_EQ(box_.GetShownLines(), 1);
  EXPECT_STREQ(box_.GetLine(0), "_");
  EXPECT_FLOAT_EQ(box_.GetLineTimer(0), kTextBoxTypingTimer);
  const char* expected[] = {"A_", "AB_", "ABC_"};
  for (const char* text : expected) {
    Frame(0.0333f);
    EXPECT_STREQ(box_.GetLine(0), text);
  }
  // Complete: held for 1.3333 s (less the frame it completed in), drawn at the box's place meanwhile.
  EXPECT_NEAR(box_.GetLineTimer(0), 1.3333f - 0.0333f, 1e-4f);
  ASSERT_EQ(screen_.GetCount(), 1);
  const ScreenTextEntry& e = *screen_.GetEntry(0);
  EXPECT_FLOAT_EQ(e.X, 0.08f);
  EXPECT_FLOAT_EQ(e.Y, 0.5f);
  EXPECT_FLOAT_EQ(e.Scale, 125.0f);
  EXPECT_EQ(e.Colour, 0xFF2FFF2Fu);
  EXPECT_EQ(e.BoxAlpha, 0);
  Frame(1.3f);
  EXPECT_EQ(box_.GetShownLines(), 1);
  Frame(0.1f);
  EXPECT_EQ(box_.GetShownLines(), 0);
}

TEST_F(TextBoxTest, ASecondTextGoesOnANewLineAndTheFirstMovesUp) {
  box_.SetCursorBlink(0);
  box_.TextBoxSetText("one");
  box_.TextBoxSetText("two");
  EXPECT_EQ(box_.GetQueuedLines(), 1);
  EXPECT_TRUE(box_.TextBoxIsBusy());
  Frame(0.09f);  // three characters
  // The second line started when the first was complete.
  EXPECT_EQ(box_.GetShownLines(), 2);
  EXPECT_EQ(box_.GetQueuedLines(), 0);
  EXPECT_STREQ(box_.GetLine(0), "");
  EXPECT_STREQ(box_.GetLine(1), "one");
  EXPECT_FALSE(box_.TextBoxIsBusy());
  Frame(0.1f);
  EXPECT_STREQ(box_.GetLine(0), "two");
  EXPECT_STREQ(box_.GetLine(1), "one");
  ASSERT_EQ(screen_.GetCount(), 2);
  EXPECT_STREQ(screen_.GetEntry(0)->Text, "two");
  EXPECT_FLOAT_EQ(screen_.GetEntry(0)->Y, 0.5f);
  EXPECT_STREQ(screen_.GetEntry(1)->Text, "one");
  EXPECT_FLOAT_EQ(screen_.GetEntry(1)->Y, 0.5f - 0.035f * 1.25f);
}

TEST_F(TextBoxTest, TextsAreSplitAtNewlinesAndCutToTheLine) {
  box_.SetCursorBlink(0);
  box_.SetLineHoldTime(100.0f);
  const std::string text = "first\n" + std::string(200, 'x') + "\nthird";
  box_.TextBoxSetText(text.c_str());
  EXPECT_EQ(box_.GetShownLines() + box_.GetQueuedLines(), 3);
  Frame(10.0f);  // everything typed
  ASSERT_EQ(box_.GetShownLines(), 3);
  EXPECT_STREQ(box_.GetLine(0), "third");
  EXPECT_EQ(std::strlen(box_.GetLine(1)), static_cast<std::size_t>(kTextBoxLineLength));
  EXPECT_STREQ(box_.GetLine(2), "first");
  box_.TextBoxSetText(nullptr);
  EXPECT_EQ(box_.GetQueuedLines(), 0);
}

TEST_F(TextBoxTest, AFullRingDropsTheOldestShownLineButNeverOneStillToType) {
  box_.SetCursorBlink(0);
  box_.SetLineHoldTime(100.0f);
  box_.TextBoxSetText("a\nb\nc\nd\ne\nf");
  // "a" is being typed and "b", "c", "d" wait: the ring is full, "e" and "f" are dropped.
  EXPECT_EQ(box_.GetShownLines(), 1);
  EXPECT_EQ(box_.GetQueuedLines(), 3);
  Frame(1.0f);
  ASSERT_EQ(box_.GetShownLines(), 4);
  EXPECT_STREQ(box_.GetLine(0), "d");
  EXPECT_STREQ(box_.GetLine(3), "a");
  // Once typed, the oldest shown line makes room for a new one.
  box_.TextBoxSetText("g");
  Frame(1.0f);
  EXPECT_STREQ(box_.GetLine(0), "g");
  EXPECT_STREQ(box_.GetLine(3), "b");
  box_.TextBoxClear();
  EXPECT_EQ(box_.GetShownLines(), 0);
  EXPECT_EQ(box_.GetQueuedLines(), 0);
}

TEST_F(TextBoxTest, TheCursorBlinks) {
  box_.TextBoxSetText("ab");
  Frame(0.07f);  // typed
  EXPECT_STREQ(box_.GetLine(0), "ab_");
  // The cursor turns every 0.4 s.
  Frame(0.34f);
  EXPECT_STREQ(box_.GetLine(0), "ab");
  Frame(0.41f);
  EXPECT_STREQ(box_.GetLine(0), "ab_");
  box_.SetCursorBlink(0);
  EXPECT_STREQ(box_.GetLine(0), "ab");
  Frame(0.41f);
  EXPECT_STREQ(box_.GetLine(0), "ab");
}

TEST_F(TextBoxTest, TheBoxColourGoesWithTheLinesWhenSwitchedOn) {
  box_.SetBoxColour(0.0f, 0.0f, 0.0f, 1.0f);
  box_.SetBoxSwitch(1);
  box_.SetCursorBlink(0);
  box_.TextBoxSetText("x");
  Frame(0.05f);
  ASSERT_EQ(screen_.GetCount(), 1);
  EXPECT_EQ(screen_.GetEntry(0)->BoxAlpha, 0xFF);
}
