// The level tool's sky records ("make_level --sky"): the first mission's two
// ".sky" files read back by the engine's sky reader, and the descriptions
// the tool refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "world/environment/env_file.h"
#include "world/environment/env_text_cursor.h"
#include "world/sky/sky_settings.h"

namespace {

std::string ReadSkyText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SkyRecords, TheMissionsSkiesReadBackThroughTheSkyReader) {
  struct Case {
    const char* file;
    float time, fogStart, fogStop;
    const char* layer0;
    float skyBlueAtTime;  // the sky colour's blue at the key nearest the time
    int key;
  };
  const Case cases[] = {
      {"Mid_night_starry.sky", 0.0f, 2000.0f, 8000.0f, "UNDEFINED", 0.06f, 0},
      {"Mid_day_sunny.sky", 14.0f, 4000.0f, 10000.0f, "clouds", 0.90f, 2},
  };
  for (const Case& c : cases) {
    const std::string text = ReadSkyText(std::filesystem::path(HALBERD_DEMO_DATA_DIR) / "mission1" / c.file);
    ASSERT_FALSE(text.empty()) << c.file;
    EnvTextCursor cursor(text.c_str());
    SkySettings sky;
    int line = 0;
    ASSERT_TRUE(sky.Load(cursor, kEnvFileVersion, &line)) << c.file << " line " << line;
    EXPECT_EQ(sky.TimeOfDay, c.time) << c.file;
    EXPECT_EQ(sky.FogStart, c.fogStart) << c.file;
    EXPECT_EQ(sky.FogStop, c.fogStop) << c.file;
    EXPECT_EQ(sky.Layers[0].TextureName, c.layer0) << c.file;
    EXPECT_NEAR(sky.Colours[SKYCOLOUR_SKY][c.key].b, c.skyBlueAtTime, 1e-6f) << c.file;
    // Nothing is left behind the record.
    char word[32];
    EXPECT_FALSE(cursor.Token(word)) << c.file << ": \"" << word << "\" after the record";
  }
}

TEST(SkyRecords, TheToolRefusesADescriptionWithoutASkyOrWithABadOne) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "halberd_sky_records";
  std::filesystem::create_directories(folder);
  struct Case {
    const char* description;
    bool made;
    const char* message;  // part of the tool's message
  };
  const Case cases[] = {
      {"# nothing but a comment\n", false, "describes no sky"},
      {"sky fog 1000 5000\nsky time 25\n", false, "sky.txt:2: a time of day lies in 0 to 24"},
      {"skylayer 2 tile 1\n", false, "sky.txt:1: the sky has layers 0 and 1"},
      {"sky fog 1000 5000 time 6\n", true, "sky of"},
  };
  for (const Case& c : cases) {
    const std::filesystem::path description = folder / "sky.txt";
    const std::filesystem::path output = folder / "out.sky";
    const std::filesystem::path log = folder / "log.txt";
    std::filesystem::remove(output);
    std::ofstream(description) << c.description;
    const std::string command = std::string(MAKE_LEVEL_TOOL) + " --sky " + description.string() + " " +
                                output.string() + " >" + log.string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()) == 0, c.made) << c.description;
    EXPECT_NE(ReadSkyText(log).find(c.message), std::string::npos) << c.description << ReadSkyText(log);
    EXPECT_EQ(std::filesystem::exists(output), c.made) << c.description;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
