// The whole program headless over the build's data root, started on the
// units level's load list with the stored data ("d"): the level loads with
// the octree its tool built (made over the instances the game's load makes,
// the soldiers' visuals among them), its soldiers are made by the game's
// factory, and no message box is shown.
#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/frame/run_frame.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/program_entry.h"
#include "shell/program/startup_trace.h"

namespace {

using UnitsLevelProgram = GameStart;

TEST_F(UnitsLevelProgram, StartsOnTheUnitsLevelWithItsStoredOctreeAndNoMessageBox) {
  setenv("HALBERD_COMMAND_LINE", "-d Units.loa", 1);
  SetFrameLimit(5, nullptr);
  ClearTracedSteps();
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(FramesPresented(), 5);
  SetFrameLimit(0, nullptr);
  unsetenv("HALBERD_COMMAND_LINE");
  for (const CapturedBox& box : boxes_) ADD_FAILURE() << box.caption << ": " << box.text;
  const auto& steps = TracedSteps();
  EXPECT_EQ(Count(steps, "level 12 load list bound"), 1);
  EXPECT_EQ(Count(steps, "level 17 octree"), 1);
  EXPECT_EQ(Count(steps, "level 17 octree missing"), 0);
  EXPECT_EQ(Count(steps, "level shut-down"), 1);
}

}  // namespace
