#include "platform/dinput8/input_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(InputScript, LinesOfEveryKind) {
  const std::string text =
      "# a comment\r\n"
      "\n"
      "0 focus gained\n"
      "0 keydown Left Ctrl\n"
      "1 keyup W \n"
      "2 text h\xC3\xA9llo world\n"
      "3 mousemove 10 -20 3 4\n"
      "3 mousedown 2\n"
      "4 wheel -1\n"
      "5 padattach 1\n"
      "5 padaxis 1 Rz -0.5\n"
      "6 padbutton 1 15 1\n"
      "7 paddetach 1";
  std::vector<InputScriptEvent> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript(text.data(), text.size(), &events, &error)) << error;
  ASSERT_EQ(events.size(), 11u);
  EXPECT_EQ(events[1].text, "Left Ctrl");
  EXPECT_EQ(events[2].text, "W");
  EXPECT_EQ(events[3].text, "h\xC3\xA9llo world");
  EXPECT_EQ(events[4].values[1], -20);
  EXPECT_EQ(events[8].values[1], 3);  // Rz
  EXPECT_FLOAT_EQ(events[8].value, -0.5f);
  EXPECT_EQ(events[9].values[1], 15);
  EXPECT_EQ(events[10].frame, 7u);
}

TEST(InputScript, BadLinesAreRefusedWithTheirNumber) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"x keydown A", "line 1: expected a frame number"},
      {"1 jump", "line 1: expected an event kind"},
      {"1 keydown", "line 1: expected a key name"},
      {"1 mousedown 3", "line 1: expected a mouse button 0..2"},
      {"1 mousemove 1 2 3", "line 1: expected x, y, dx and dy"},
      {"1 padaxis 8 X 0.5", "line 1: expected a pad 0..7"},
      {"1 padaxis 0 W 0.5", "line 1: expected an axis X, Y, Z, Rz, LT or RT"},
      {"1 padaxis 0 X nan", "line 1: expected a value -1..1"},
      {"1 padaxis 0 X 1.5", "line 1: expected a value -1..1"},
      {"1 padbutton 0 16 1", "line 1: expected a pad 0..7, a button 0..15 and 0 or 1"},
      {"1 focus maybe", "line 1: expected gained or lost"},
      {"1 wheel 2 3", "line 1: expected the end of the line"},
      {"5 keydown A\n4 keyup A", "line 2: the frame goes back"},
      {"1 keydown A" + std::string(1100, 'x'), "line 1: the line is too long"},
      {std::string("1 keydown \0A", 12), "line 1: a NUL byte"},
      {"-1 keydown A", "line 1: expected a frame number"},
  };
  for (const Case& c : cases) {
    std::vector<InputScriptEvent> events = {InputScriptEvent{}};
    std::string error;
    EXPECT_FALSE(ParseInputScript(c.text.data(), c.text.size(), &events, &error)) << c.text;
    EXPECT_EQ(error, std::string("input script ") + c.message);
    EXPECT_EQ(events.size(), 1u);  // nothing kept
  }
  InputScriptPlayer player;
  std::string error;
  EXPECT_FALSE(player.Load("/no/such/script.txt", &error));
  EXPECT_EQ(error, "cannot open the input script /no/such/script.txt");
}

}  // namespace
