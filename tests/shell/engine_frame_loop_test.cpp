// The program's frame loop: a fixed number of frames, headless, then a clean shut-down.
#include "shell/engine_frame_loop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/registry.h"
#include "render/device/render.h"
#include "world/engine.h"

namespace {

TEST(FrameCount, ReadFromTheArguments) {
  struct Case {
    std::vector<std::string> args;
    int frames;
  };
  const Case cases[] = {{{"halberd"}, 0},
                        {{"halberd", "--frames", "5"}, 5},
                        {{"halberd", "-x", "-frames", "12"}, 12},
                        {{"halberd", "--frames"}, 0},
                        {{"halberd", "--frames", "-3"}, 0},
                        {{"halberd", "--frames", "many"}, 0}};
  for (const Case& c : cases) {
    std::vector<char*> argv;
    for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
    EXPECT_EQ(FrameCountFromArguments(static_cast<int>(argv.size()), argv.data()), c.frames);
  }
}

TEST(FrameLoop, PresentsTheAskedFramesAndShutsDown) {
  const auto folder = std::filesystem::temp_directory_path() / "halberd_frame_loop_registry";
  std::filesystem::create_directories(folder);
  SetRegistryFolder(folder.c_str());
  EngineClearModuleEvents();
  EXPECT_EQ(RunEngineFrames(nullptr, 4), 0);
  // The engine's life cycle: start-up, a level reset half-way, shut-down.
  int environments = 0, resets = 0, freedDevices = 0;
  for (int i = 0; i < EngineModuleEventCount(); ++i) {
    const EngineModuleEvent& e = EngineModuleEvents()[i];
    const std::string name = e.name;
    environments += e.action == '+' && name == "environment";
    resets += e.action == '0' && name == "movie cameras";
    freedDevices += e.action == '-' && name == "render device";
  }
  EXPECT_EQ(environments, 2);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(freedDevices, 1);
  EXPECT_EQ(g_Render, nullptr);
  EXPECT_EQ(g_MainCamera, nullptr);
  SetRegistryFolder(nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
