#include "foundation/system/engine_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gLines;
void Capture(const char* text) { gLines.emplace_back(text); }

class EngineLogTest : public ::testing::Test {
 protected:
  void SetUp() override { gLines.clear(); }
  void TearDown() override {
    SetEngineLogCallback(nullptr);
    SetEngineVerboseLoading(false);
  }
};

TEST_F(EngineLogTest, LogsOnlyWithBothTheFlagAndACallback) {
  struct Case {
    bool verbose;
    bool callback;
    bool logged;
  };
  const Case cases[] = {{false, false, false}, {true, false, false}, {false, true, false}, {true, true, true}};
  for (const Case& c : cases) {
    gLines.clear();
    SetEngineVerboseLoading(c.verbose);
    SetEngineLogCallback(c.callback ? Capture : nullptr);
    EngineLogVerbose("Loading dynamic data \"%s\"", "tank.dyn");
    ASSERT_EQ(gLines.size(), c.logged ? 1u : 0u) << c.verbose << c.callback;
    if (c.logged) {
      EXPECT_EQ(gLines[0], "Loading dynamic data \"tank.dyn\"");
    }
  }
}

TEST_F(EngineLogTest, LongTextIsCutNotOverrun) {
  SetEngineVerboseLoading(true);
  SetEngineLogCallback(Capture);
  std::string longName(5000, 'x');
  EngineLogVerbose("%s", longName.c_str());
  ASSERT_EQ(gLines.size(), 1u);
  EXPECT_EQ(gLines[0].size(), 1023u);
}

}  // namespace
