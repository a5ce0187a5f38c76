// Start-up tests: a copy of the game's data root as the working directory, a fresh
// registry, message boxes captured, and the window, command line and game
// initialise run as WinMain runs them; the window is destroyed (and the
// game shut down through WM_DESTROY) after each test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/registry_folder_test.h"

struct CapturedBox {
  std::string text;
  std::string caption;
  unsigned type;
};

class GameStart : public RegistryFolderTest {
 protected:
  GameStart() : RegistryFolderTest("halberd_game_start_") {}
  void SetUp() override;
  void TearDown() override;

  // The folder the game runs in (before SetUp: a copy of the build's data
  // root, made once per test program in its temporary folder).
  void SetDataRoot(const std::filesystem::path& root) { root_ = root; }
  // Creates the hidden window, parses `commandLine` and runs game initialise;
  // answers what GameInitialise answered.
  int Start(const char* commandLine = "-f -d");
  // Destroys the window (the game shuts down through WM_DESTROY) and takes
  // the quit message it posts out of the queue; answers its wParam (-1 none).
  int Stop();
  // Stores a device setting under the launch dialog's registry key.
  void StoreDeviceSetting(const char* name, unsigned value);

  // Steps traced since the last Start, and how often a step occurs.
  static int Count(const std::vector<std::string>& steps, const std::string& step);

  std::vector<CapturedBox> boxes_;

 private:
  std::filesystem::path previous_;
  std::filesystem::path root_;
};
