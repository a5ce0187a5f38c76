// The whole program over the data root exactly as the build makes it (the
// catalogs, the loose tree, the front end's plug-in): each level it can
// start loads whole, with its stored octree, and shows no message box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/win32/library.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/program_entry.h"
#include "shell/program/startup_trace.h"

#ifndef HALBERD_GAME_DATA_DIR
#define HALBERD_GAME_DATA_DIR "data/game"
#endif
#ifndef HALBERD_PROGRAM_DIR
#define HALBERD_PROGRAM_DIR "."
#endif

namespace {

// A copy of the built data root, made once per run (the program writes into
// the folder it runs in).
const std::filesystem::path& BuiltDataCopy() {
  namespace fs = std::filesystem;
  static const fs::path root = [] {
    const fs::path r = fs::temp_directory_path() / ("halberd_built_data_" + std::to_string(std::random_device{}()));
    fs::remove_all(r);
    fs::copy(HALBERD_GAME_DATA_DIR, r, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return r;
  }();
  static const struct Remover {
    ~Remover() {
      std::error_code ec;
      fs::remove_all(root, ec);
    }
  } remover;
  return root;
}

class BuiltData : public GameStart {
 protected:
  void SetUp() override {
    SetDataRoot(BuiltDataCopy());
    GameStart::SetUp();
    Win32AddLibraryFolder(HALBERD_PROGRAM_DIR);
  }
  void TearDown() override {
    Win32AddLibraryFolder(nullptr);
    unsetenv("HALBERD_COMMAND_LINE");
    SetFrameLimit(0, nullptr);
    GameStart::TearDown();
  }
};

TEST_F(BuiltData, EveryStartingLevelLoadsWithItsStoredOctreeAndNoMessageBox) {
  struct Case {
    const char* commandLine;
    const char* bound;  // the level step that binds the mission
  };
  // The program's own command line starts the front end; "-d" and a level
  // name start that level ("make run LEVEL=x").
  const Case cases[] = {
      {"-f -d", "level 12 plug-in bound"},
      {"-d Demo.loa", "level 12 load list bound"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    setenv("HALBERD_COMMAND_LINE", c.commandLine, 1);
    SetFrameLimit(3, nullptr);
    ClearTracedSteps();
    char given[] = "";
    EXPECT_EQ(WinMain(nullptr, nullptr, given, 0), 0);
    EXPECT_EQ(FramesPresented(), 3);
    const auto& steps = TracedSteps();
    EXPECT_EQ(Count(steps, c.bound), 1);
    EXPECT_EQ(Count(steps, "level 17 octree"), 1);
    EXPECT_EQ(Count(steps, "level 32 done"), 1);
    EXPECT_EQ(Count(steps, "level shut-down"), 1);
    for (const CapturedBox& box : boxes_) ADD_FAILURE() << box.caption << ": " << box.text;
    boxes_.clear();
    EXPECT_FALSE(LevelRunning());
  }
}

}  // namespace
