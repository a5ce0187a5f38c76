// The program run with a recorded input script: its keys reach the frame.
#include "shell/program/input_script_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shell/frame/run_frame.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/program_entry.h"

namespace {

using ProgramWithScript = GameStart;

TEST_F(ProgramWithScript, TheScriptedEscapeEndsTheRunEarly) {
  unsetenv("HALBERD_COMMAND_LINE");
  const auto script = std::filesystem::temp_directory_path() / "halberd_escape_script.txt";
  std::ofstream(script) << "# Escape on the eleventh frame\n10 keydown Escape\n11 keyup Escape\n";
  std::string error;
  ASSERT_TRUE(StartInputScript(script.string().c_str(), &error)) << error;
  EXPECT_EQ(InputScriptEvents(), 2u);
  SetFrameLimit(200, nullptr);
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  StopInputScript();
  // Frames ran until the scripted Escape and no further (the limit is far):
  // frame 0 loads the level, frames 1 to 10 present, and frame 10, which
  // reads the Escape, asks the program to close.
  EXPECT_EQ(FramesPresented(), 10);
  SetFrameLimit(0, nullptr);
  std::filesystem::remove(script);
  EXPECT_FALSE(StartInputScript("/no/such/script", &error));
}

}  // namespace
