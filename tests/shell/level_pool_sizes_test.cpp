#include "shell/level_pool_sizes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/file_test_fixture.h"
#include "foundation/system/command_switches.h"
#include "world/environment/pool_size_file.h"

namespace {

class LevelPoolSizesTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
};

TEST_F(LevelPoolSizesTest, TheFileIsWrittenAtLevelEndUnlessACatalogSwitchIsSet) {
  struct Case {
    const char* switches;
    bool written;
  };
  const Case cases[] = {{"", true}, {"d", false}, {"c", false}, {"D", false}, {"r", true}};
  for (const Case& c : cases) {
    ClearAllCommandSwitches();
    for (const char* s = c.switches; *s; ++s) SetCommandSwitch(*s);
    std::filesystem::remove("Harbour.FAS");
    for (int i = 0; i < 6; ++i) LoadProgressCallback("Loading", 100, 0);
    EXPECT_EQ(GetLoadProgressCount(), 6);
    EXPECT_EQ(LevelEndPoolSizes("levels\\Harbour.env"), c.written) << c.switches;
    EXPECT_EQ(std::filesystem::exists("Harbour.FAS"), c.written) << c.switches;
    EXPECT_EQ(GetLoadProgressCount(), 0) << "the count is cleared in every case";
  }
  ClearAllCommandSwitches();
}

TEST_F(LevelPoolSizesTest, TheNextStartOfTheLevelReadsItsProgressTotal) {
  for (int i = 0; i < 9; ++i) LoadProgressCallback("Loading", 0, 0);
  ASSERT_TRUE(LevelEndPoolSizes("C:\\game\\levels\\Harbour.env"));
  EXPECT_EQ(LevelStartPoolSizes("C:\\game\\levels\\Harbour.env"), 9);
  EXPECT_EQ(g_EnvLoadProgressTotal, 9);
  EXPECT_EQ(LevelStartPoolSizes("levels\\Elsewhere.env"), -1);
}

}  // namespace
