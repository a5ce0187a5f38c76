#include "shell/level/level_root_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <random>

#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/program/shell_state.h"

#ifndef HALBERD_GAME_DATA_DIR
#define HALBERD_GAME_DATA_DIR "data/game"
#endif
#ifndef HALBERD_DEMO_LEVEL_DIR
#define HALBERD_DEMO_LEVEL_DIR "data/levels/DEMO"
#endif

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

fs::path MakeRoot() {
  const fs::path root = fs::temp_directory_path() / ("halberd_level_root_" + std::to_string(std::random_device{}()));
  fs::remove_all(root);
  fs::create_directories(root);
  const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
  for (const char* folder : {"data", "shaders"}) fs::copy(fs::path(HALBERD_GAME_DATA_DIR) / folder, root / folder, options);
  fs::copy(fs::path(HALBERD_GAME_DATA_DIR) / ".." / "sound", root / "data" / "sound", options);
  for (const auto& entry : fs::directory_iterator(HALBERD_DEMO_LEVEL_DIR))
    if (entry.path().extension() != ".dat") fs::copy(entry.path(), root / entry.path().filename(), options);
  // The level templates and the figure's walk (from the tools' data folder).
  for (const char* file : {"WoodCrateFragment.evo", "BipedStandDynBox.evo", "BipedKneelDynBox.evo",
                           "BipedProneDynBox.evo", "figure_walk.prs", "figure_walk.aed", "figure_walk.prb"})
    fs::copy(fs::path(HALBERD_GAME_DATA_DIR) / ".." / file, root / file, options);
  for (const char* picture : {"SplashMarlow.bmp", "SplashBrindle.bmp", "PCSplashLegal.bmp", "PCPromo.bmp"})
    fs::copy(fs::path(HALBERD_GAME_DATA_DIR) / ".." / "startup" / picture, root / picture, options);
  // The front end's level, read through a load list of its own.
  for (const auto& entry : fs::directory_iterator(fs::path(HALBERD_DEMO_LEVEL_DIR) / ".." / "FrontEnd"))
    if (entry.path().extension() != ".dat") fs::copy(entry.path(), root / entry.path().filename(), options);
  fs::copy(root / "data" / "sound" / "FrontEnd.sch", root / "data" / "sound" / "Backdrop.sch", options);
  Write(root / "Backdrop.loa", "BEGIN\r\nENVIRONMENT FrontEnd.env\r\nEND\r\n");
  Write(root / "Demo.loa", "BEGIN\r\n// the demo level\r\nENVIRONMENT DEMO.env\r\nEND\r\n");
  Write(root / "Default.spl",
        "Version 4\r\n1\r\nDefault 0 FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF 1.0 0 0 0 0 0 0 0 0 0 0 0 0\r\n");
  Write(root / "Default.sdl", "0 0 0\r\n");
  for (const char* rfx : {"Vehicles.rfx", "RenderEffects.rfx"}) Write(root / rfx, "REFX_END\r\n");
  return root;
}

}  // namespace

const fs::path& LevelTestRoot() {
  static const fs::path root = MakeRoot();
  static const struct Cleaner {
    ~Cleaner() {
      std::error_code ec;
      fs::remove_all(root, ec);
    }
  } cleaner;
  return root;
}

bool LevelStart::StartLevel(const char* commandLine) {
  if (Start(commandLine) != 1) return false;
  RunFrame();
  return LevelRunning() && FrameMode == FRAME_IN_GAME;
}
