// A recorded input script replayed into the game window reaches the input
// object like real input: keys, text, the mouse and pads, each at its frame.
#include <gtest/gtest.h>

#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "platform/dinput8/input_script.h"

namespace {

using InputScriptReplay = InputWindowTest;

TEST_F(InputScriptReplay, EventsArriveAtTheirFrames) {
  const std::string text =
      "0 keydown W\n"
      "2 keyup W\n"
      "2 padattach 3\n"
      "3 padbutton 3 0 1\n"
      "3 mousedown 1\n"
      "4 text ok\n"
      "4 keydown NoSuchKey\n";
  std::vector<InputScriptEvent> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript(text.data(), text.size(), &events, &error)) << error;
  InputScriptPlayer player;
  player.SetEvents(events);
  FlushTextInput();
  int failed = 0;
  auto frame = [&](std::uint32_t n) {
    failed += player.PlayUpTo(n, window_);
    BeginFrame();
  };
  frame(0);
  EXPECT_TRUE(WasKeyPressed(17));
  EndFrame();
  frame(1);
  EXPECT_TRUE(IsKeyDown(17));
  EndFrame();
  frame(2);
  EXPECT_TRUE(WasKeyReleased(17));
  EXPECT_EQ(g_Input->GetJoystickCount(), 1);
  EndFrame();
  frame(3);
  EXPECT_EQ(g_Input->GetJoystickInput(0, 0).flags, JOY_INPUT_PRESSED | JOY_INPUT_DOWN);
  EXPECT_TRUE(g_Input->IsMouseButtonDown(1));
  EndFrame();
  frame(4);
  EXPECT_EQ(g_Input->PopTypedChar(), 'o');
  EXPECT_EQ(g_Input->PopTypedChar(), 'k');
  EXPECT_TRUE(player.Finished());
  EXPECT_EQ(failed, 1);  // the unknown key
}

}  // namespace
