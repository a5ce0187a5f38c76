// The terminal: lines cut to their buffer, wrapped heights, the ring, the
// 2000 ms life and keep-expired, and the drawing of the box and the lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "menus/screen_2d.h"
#include "world/text/terminal.h"
#include "world/text/text_fixture.h"

using namespace text_test;

TEST(Terminal, StartsEmptyWithTheDefaults) {
  CTerminal t(nullptr, nullptr, nullptr, nullptr, nullptr, 3);
  EXPECT_EQ(t.GetLineCount(), 3);
  EXPECT_EQ(t.Width, 600);  // an 800-pixel screen less 200
  EXPECT_EQ(t.X, 100);
  EXPECT_EQ(t.Y, 24);
  EXPECT_EQ(t.Visible, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.GetLine(i).Active, 0);
    EXPECT_EQ(t.GetLine(i).Stamp, -1);
  }
  CTerminal none(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(none.GetLineCount(), 1);
}

TEST(Terminal, LongTextsAreCutToTheLineAndTakeTheRowsTheirWidthNeeds) {
  FixedFont f(nullptr);
  CTimer clock;
  SetClock(clock, 5000, 0.0f);
  CTerminal t(nullptr, &clock, nullptr, &f.font, nullptr, 4);
  // Width 600: 75 glyphs fit one row.
  const struct {
    std::size_t characters;
    int rows;
  } cases[] = {{1, 1}, {75, 1}, {76, 2}, {150, 2}, {151, 3}, {254, 4}, {1000, 4}};
  for (const auto& c : cases) {
    const std::string text(c.characters, 'x');
    t.TerminalPrint(text.c_str());
    const TerminalLine& line = t.GetLine(t.LastWritten);
    EXPECT_EQ(std::strlen(line.Text), std::min<std::size_t>(c.characters, kTerminalLineChars - 1)) << c.characters;
    EXPECT_EQ(line.Height, c.rows) << c.characters;
    EXPECT_EQ(line.Active, 1);
    EXPECT_EQ(line.Stamp, 5000);
  }
}

TEST(Terminal, TheRingOverwritesItsOldestLine) {
  CTerminal t(nullptr, nullptr, nullptr, nullptr, nullptr, 3);
  for (const char* text : {"one", "two", "three", "four"}) t.TerminalPrint(text);
  EXPECT_STREQ(t.GetLine(0).Text, "four");
  EXPECT_STREQ(t.GetLine(1).Text, "two");
  EXPECT_EQ(t.LastWritten, 0);
  EXPECT_EQ(t.WriteIndex, 1);
  t.TerminalPrint(nullptr);
  EXPECT_EQ(t.WriteIndex, 1);
  t.TerminalPrintf("%s %d", "five", 5);
  EXPECT_STREQ(t.GetLine(1).Text, "five 5");
}

TEST(Terminal, LinesExpireAfterTwoSecondsUnlessKept) {
  CTimer clock;
  SetClock(clock, 1000, 0.0f);
  CTerminal t(nullptr, &clock, nullptr, nullptr, nullptr, 4);
  t.TerminalPrint("early");
  SetClock(clock, 2500, 0.0f);
  t.TerminalPrint("late");
  const struct {
    std::uint32_t now;
    int early, late;
  } steps[] = {{3000, 1, 1}, {3001, 0, 1}, {4500, 0, 1}, {4501, 0, 0}};
  for (const auto& s : steps) {
    SetClock(clock, s.now, 0.0f);
    t.TerminalUpdate();
    EXPECT_EQ(t.GetLine(0).Active, s.early) << s.now;
    EXPECT_EQ(t.GetLine(1).Active, s.late) << s.now;
  }
  t.Visible = 0;
  EXPECT_EQ(t.TerminalToggleKeep(), 0);
  EXPECT_EQ(t.KeepExpired, 1);
  EXPECT_EQ(t.Visible, 1);
  EXPECT_EQ(t.TerminalToggleKeep(), 1);
  EXPECT_EQ(t.KeepExpired, 0);
  EXPECT_EQ(t.TerminalToggleVisible(), 0);
  t.TerminalClear();
  EXPECT_EQ(t.GetLine(0).Stamp, -1);
  EXPECT_EQ(t.GetLine(1).Active, 0);
}

class TerminalDraw : public TextDeviceTest {};

TEST_F(TerminalDraw, TheBoxAndTheLinesOldestFirst) {
  FixedFont f(s_Render);
  CScreen2D screen;
  CTimer clock;
  SetClock(clock, 100, 0.0f);
  CTerminal t(s_Render, &clock, nullptr, &f.font, &screen, 3);
  ASSERT_EQ(t.Width, static_cast<int>(s_Render->GetViewport()->Width) - 200);
  t.Style = 0;  // left-justified
  t.TerminalPrint("AAA");
  std::string words = "BBBB";
  for (int k = 1; k < 20; ++k) words += " BBBB";  // 99 characters, 792 pixels: two rows
  t.TerminalPrint(words.c_str());
  t.TerminalPrint("CC");
  t.TerminalPrint("DDDD");  // overwrites "AAA": the ring starts at "B..."
  Record();
  t.TerminalDraw();
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 2u + 80u + 2u + 4u);
  // The box: 4 rows of 10 pixels, from (x - 2, y - 1), back then front colour.
  for (int k = 0; k < 2; ++k) {
    EXPECT_FLOAT_EQ(quads[k].x1, 98.0f);
    EXPECT_FLOAT_EQ(quads[k].y1, 23.0f);
    EXPECT_FLOAT_EQ(quads[k].x2, 98.0f + t.Width + 2);
    EXPECT_FLOAT_EQ(quads[k].y2, 23.0f + 4 * 10 + 2);
  }
  EXPECT_EQ(quads[0].colour, kTerminalBoxBack);
  EXPECT_EQ(quads[1].colour, kTerminalBoxFront);
  // "B..." first, wrapped over its two rows; then "CC" and "DDDD" a row each, in white.
  const DrawnQuad& firstB = quads[2];
  EXPECT_FLOAT_EQ(firstB.x1, 100.0f);
  EXPECT_FLOAT_EQ(firstB.y1, 24.0f);
  const DrawnQuad& lastB = quads[2 + 79];
  EXPECT_FLOAT_EQ(lastB.y1, 34.0f);
  EXPECT_FLOAT_EQ(quads[82].y1, 44.0f);
  EXPECT_FLOAT_EQ(quads[84].y1, 54.0f);
  EXPECT_EQ(quads[84].colour, 0xFFFFFFFFu);
  EXPECT_EQ(t.ShownCount, 3);

  // Nothing at all when hidden or empty.
  t.Visible = 0;
  Record();
  t.TerminalDraw();
  EXPECT_TRUE(Quads().empty());
  t.Visible = 1;
  t.TerminalClear();
  Record();
  t.TerminalDraw();
  EXPECT_TRUE(Quads().empty());
}

TEST_F(TerminalDraw, StyleOneCentresEachLineAndKeptLinesStayAfterTheyExpire) {
  FixedFont f(s_Render);
  CTimer clock;
  SetClock(clock, 0, 0.0f);
  CTerminal t(s_Render, &clock, nullptr, &f.font, nullptr, 2);
  t.TerminalPrint("AB");
  SetClock(clock, 5000, 0.0f);
  t.TerminalUpdate();
  Record();
  t.TerminalDraw();
  EXPECT_TRUE(Quads().empty());
  t.TerminalToggleKeep();
  Record();
  t.TerminalDraw();
  const auto quads = Quads();  // no box without the 2D drawing object
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_FLOAT_EQ(quads[0].x1, 100.0f + (t.Width - 16) / 2);
}
