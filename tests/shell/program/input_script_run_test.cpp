// The program run with a recorded input script: its keys reach the frame.
#include "shell/program/input_script_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shell/frame/run_frame.h"
#include "shell/level/level_root_fixture.h"
#include "shell/program/program_entry.h"

namespace {

using ProgramWithScript = LevelStart;

TEST_F(ProgramWithScript, TheScriptedEscapeEndsTheRunEarly) {
  // A level started directly, where Escape goes back to the front end
  // (which, not being built, ends the run).
  setenv("HALBERD_COMMAND_LINE", "Demo.loa", 1);
  const auto script = std::filesystem::temp_directory_path() / "halberd_escape_script.txt";
  std::ofstream(script) << "# Escape on the eleventh frame\n10 keydown Escape\n11 keyup Escape\n";
  std::string error;
  ASSERT_TRUE(StartInputScript(script.string().c_str(), &error)) << error;
  EXPECT_EQ(InputScriptEvents(), 2u);
  SetFrameLimit(200, nullptr);
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  StopInputScript();
  // Frames ran until the scripted Escape and no further (the limit is far):
  // frame 0 loads the level, frames 1 to 9 present, and frame 10 reads the
  // Escape and leaves the level.
  EXPECT_EQ(FramesPresented(), 9);
  SetFrameLimit(0, nullptr);
  std::filesystem::remove(script);
  unsetenv("HALBERD_COMMAND_LINE");
  EXPECT_FALSE(StartInputScript("/no/such/script", &error));
}

}  // namespace
