// The program's frame loop: a fixed number of frames, headless, then a clean
// shut-down; the frames show the demo level, and the last one is saved as a
// PNG or a BMP by the file's name.
#include "shell/engine_frame_loop.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/files/file_locator.h"
#include "platform/win32/registry.h"
#include "render/device/render.h"
#include "shell/demo_level_copy_fixture.h"
#include "shell/frame_screenshot.h"
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

TEST(ScreenshotName, TheTagGoesBeforeTheExtension) {
  struct Case {
    const char* name;
    const char* tagged;
  };
  const Case cases[] = {{"shot.png", "shot-day.png"},
                        {"out/shot.BMP", "out/shot-day.BMP"},
                        {"shot", "shot-day"},
                        {"run.1/shot", "run.1/shot-day"},
                        {"out/.png", "out/.png-day"}};
  for (const Case& c : cases) EXPECT_EQ(TaggedScreenshotName(c.name, "day"), c.tagged) << c.name;
}

TEST(FrameLoop, PresentsTheAskedFramesAndShutsDown) {
  const auto folder = std::filesystem::temp_directory_path() / "halberd_frame_loop_registry";
  std::filesystem::create_directories(folder);
  SetRegistryFolder(folder.c_str());
  UseDemoLevelCopy(folder);
  SetWorkDirectory();  // as the program's start does
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
  StopUsingDemoLevelCopy();
  std::filesystem::remove_all(folder);
}

}  // namespace

namespace {

class FrameLoopRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("halberd_frame_run_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    SetRegistryFolder(folder_.c_str());
    UseDemoLevelCopy(folder_);
    SetWorkDirectory();  // as the program's start does
  }
  void TearDown() override {
    SetRegistryFolder(nullptr);
    StopUsingDemoLevelCopy();
    std::filesystem::remove_all(folder_);
  }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  std::filesystem::path folder_;
};

TEST_F(FrameLoopRun, TheFramesShowTheLitLevelNotTheClearColour) {
  const std::string shot = Path("frame.png");
  ASSERT_EQ(RunEngineFrames(nullptr, 6, shot.c_str()), 0);
  // The world view drew the level's instances, lit by its lights.
  const WorldViewStats stats = LastFrameViewStats();
  EXPECT_GT(stats.instances, 10u);
  EXPECT_GT(stats.lit, 0u);

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str())) << "the screenshot is a PNG";
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(image.width, 800u);
  ASSERT_EQ(image.height, 600u);
  // Most of the picture is the level, not the sky it was cleared to, and it
  // is shaded: far from one flat colour.
  const std::uint32_t sky = LastFrameClearColour() & 0xFFFFFF;
  std::size_t skyPixels = 0;
  double sum = 0, sumSquares = 0;
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t c = (static_cast<std::uint32_t>(rgb[i * 3]) << 16) | (rgb[i * 3 + 1] << 8) | rgb[i * 3 + 2];
    skyPixels += c == sky;
    const double luma = 0.299 * rgb[i * 3] + 0.587 * rgb[i * 3 + 1] + 0.114 * rgb[i * 3 + 2];
    sum += luma;
    sumSquares += luma * luma;
  }
  EXPECT_LT(skyPixels, pixels / 2);
  const double mean = sum / static_cast<double>(pixels);
  EXPECT_GT(sumSquares / static_cast<double>(pixels) - mean * mean, 100.0) << "a spread of brightness";
}

// The counted run shows the level by day, then (after its half-way reset)
// in the evening: the last frame before the reset is saved too, tagged.
TEST_F(FrameLoopRun, ACountedRunSavesItsDayFrameAndItsEveningFrame) {
  const std::string shot = Path("frame.png");
  ASSERT_EQ(RunEngineFrames(nullptr, 4, shot.c_str()), 0);
  double mean[2][3] = {};
  const std::string files[2] = {Path("frame-day.png"), shot};
  for (int k = 0; k < 2; ++k) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, files[k].c_str())) << files[k];
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    for (std::size_t i = 0; i < pixels; ++i)
      for (int channel = 0; channel < 3; ++channel) mean[k][channel] += rgb[i * 3 + channel] / double(pixels);
  }
  // The evening is darker and redder than the day.
  EXPECT_LT(mean[1][1] + mean[1][2], mean[0][1] + mean[0][2] - 20.0);
  EXPECT_GT(mean[1][0] / (mean[1][2] + 1.0), mean[0][0] / (mean[0][2] + 1.0));
}

TEST_F(FrameLoopRun, TheScreenshotIsAPngOrABmpByItsName) {
  struct Case {
    const char* name;
    const char* magic;
  };
  const Case cases[] = {{"shot.png", "\x89PNG"}, {"shot.PNG", "\x89PNG"}, {"shot.bmp", "BM"}, {"shot", "BM"}};
  for (const Case& c : cases) EXPECT_EQ(IsPngFileName(c.name), c.magic[0] != 'B') << c.name;
  for (const Case& c : {cases[0], cases[2]}) {
    const std::string path = Path(c.name);
    ASSERT_EQ(RunEngineFrames(nullptr, 1, path.c_str()), 0);
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    EXPECT_EQ(std::string(head, std::strlen(c.magic)), c.magic) << c.name;
  }
  EXPECT_FALSE(SaveBackBuffer("no-device.png")) << "nothing to read without the engine";
}

}  // namespace
