// A data root for level tests, made once per run in the temporary folder:
// the game's loose data tree, the demo level's files, a load list
// "Demo.loa" naming it, the surface files every level reads, and lists for
// the load-list tests.  Started without "d", the game reads it loose.
#pragma once

#include <filesystem>

#include "shell/program/game_start_fixture.h"

// The root (made on first use).
const std::filesystem::path& LevelTestRoot();

class LevelStart : public GameStart {
 protected:
  void SetUp() override {
    SetDataRoot(LevelTestRoot());
    GameStart::SetUp();
  }
  // Starts the game with `commandLine` and runs frames until the level
  // change is over; answers whether a level runs.
  bool StartLevel(const char* commandLine);
};
