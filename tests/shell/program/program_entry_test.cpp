// The whole program headless: WinMain from the window to the last frame and
// the shut-down.
#include "shell/program/program_entry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "control/viewport_config.h"
#include "foundation/system/command_switches.h"
#include "menus/screens/screen_manager.h"
#include "shell/level/level_cycle.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_root_fixture.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"

namespace {

using Program = LevelStart;

TEST_F(Program, RunsFramesOfTheDemoLevelAndEndsWithExitCodeZeroAfterTheShutDown) {
  setenv("HALBERD_COMMAND_LINE", "Demo.loa", 1);
  SetFrameLimit(3, nullptr);
  ClearTracedSteps();
  // The command line the program is given changes nothing.
  char given[] = "-p -x mission2.dll";
  EXPECT_EQ(WinMain(nullptr, nullptr, given, 0), 0);
  EXPECT_EQ(FramesPresented(), 3);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().caption << ": " << boxes_.front().text;
  EXPECT_FALSE(LevelRunning());
  EXPECT_FALSE(IsCommandSwitchSet('p'));
  EXPECT_FALSE(IsCommandSwitchSet('x'));
  EXPECT_EQ(g_ViewportConfig.SplitScreen, 0);
  EXPECT_EQ(ScreenId, 14);
  EXPECT_EQ(DirectStart, 1u);
  const auto& steps = TracedSteps();
  EXPECT_EQ(Count(steps, "32 trail frame 27"), 1);
  EXPECT_EQ(Count(steps, "WM_DESTROY"), 1);
  EXPECT_EQ(Count(steps, "level 32 done"), 1);
  EXPECT_EQ(Count(steps, "level shut-down"), 1);
  EXPECT_EQ(steps.back(), "system settings restored");
  SetFrameLimit(0, nullptr);
  unsetenv("HALBERD_COMMAND_LINE");
}

}  // namespace
