// Loading the three state-rule files at game start: files that hold every
// event and state the program uses load; a file with fewer events or states,
// or a cell that leads outside the program's states, is refused with one
// message naming the file, the event and the state, and nothing stays loaded.
#include "units/base/state_rule_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "units/soldier/soldier_state_tables.h"
#include "units/vehicle/vehicle_state_names.h"
#include "world/animation/rule_table.h"

namespace {

struct Cell {
  int event, from, to;
};

// A rule file of states S0.. and events E0.. with the given cells.
std::string RuleFile(int states, int events, const std::vector<Cell>& cells = {}) {
  std::string s = "VERSION 1\nSTATE_NAMES " + std::to_string(states) + "\n";
  for (int i = 0; i < states; ++i) s += "S" + std::to_string(i) + "\n";
  s += "END_STATE_NAMES\nRULE_NAMES " + std::to_string(events) + "\n";
  for (int i = 0; i < events; ++i) s += "E" + std::to_string(i) + "\n";
  s += "END_RULE_NAMES\nRULES\n";
  for (const Cell& c : cells)
    s += "RULE E" + std::to_string(c.event) + "\nS" + std::to_string(c.from) + " S" + std::to_string(c.to) + "\nEND_RULE\n";
  return s + "END_RULES\n";
}

class StateRuleTablesTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
    WriteValidFiles();
  }
  static void WriteValidFiles() {
    Write("UpperBodyStateRules.txt", RuleFile(UPPER_BODY_STATE_COUNT, UPPER_BODY_EVENT_COUNT));
    Write("MovementStateRules.txt", RuleFile(MOVEMENT_STATE_COUNT, MOVEMENT_EVENT_COUNT, {{35, 2, 7}}));
    Write("VehicleStateRules.txt", RuleFile(VEHICLE_STATE_COUNT, VEHICLE_EVENT_COUNT));
  }
  void TearDown() override {
    FreeStateRuleTables();
    FileTest::TearDown();
  }
  bool NothingLoaded() const {
    return g_MovementRules == nullptr && g_UpperBodyRules == nullptr && g_VehicleRules == nullptr;
  }
};

TEST_F(StateRuleTablesTest, FilesWithEveryEventAndStateLoadWithoutAMessage) {
  ASSERT_TRUE(LoadStateRuleTables());
  EXPECT_TRUE(boxes_.empty());
  ASSERT_NE(g_MovementRules, nullptr);
  ASSERT_NE(g_UpperBodyRules, nullptr);
  ASSERT_NE(g_VehicleRules, nullptr);
  EXPECT_EQ(g_MovementRules->NextState(ME_FORWARD_START, MS_STAND), MS_WALK);
  EXPECT_EQ(g_MovementRules->NextState(ME_FORWARD_START, MS_WALK), -1);
  FreeStateRuleTables();
  EXPECT_TRUE(NothingLoaded());
}

TEST_F(StateRuleTablesTest, AShortOrStrayFileIsRefusedNamingTheFileEventAndState) {
  struct Case {
    const char* file;
    std::string text;
    std::vector<std::string> words;  // each in the one message
  };
  const Case cases[] = {
      {"MovementStateRules.txt", RuleFile(MOVEMENT_STATE_COUNT, 106),
       {"MovementStateRules.txt", "106 events", "event 106", "SCRIPTED"}},
      {"MovementStateRules.txt", RuleFile(114, MOVEMENT_EVENT_COUNT),
       {"MovementStateRules.txt", "114 states", "state 114", "FALL_FROM_HEIGHT"}},
      // More states than the program has rows for is fine, a cell leading to one is not.
      {"MovementStateRules.txt", RuleFile(120, MOVEMENT_EVENT_COUNT, {{35, 7, 117}}),
       {"MovementStateRules.txt", "event 35 (FORWARD_START)", "state 7 (WALK)", "state 117"}},
      {"UpperBodyStateRules.txt", RuleFile(UPPER_BODY_STATE_COUNT, 25), {"UpperBodyStateRules.txt", "event 25"}},
      {"VehicleStateRules.txt", RuleFile(VEHICLE_STATE_COUNT, 16), {"VehicleStateRules.txt", "16 events", "event 16"}},
      {"VehicleStateRules.txt", RuleFile(21, VEHICLE_EVENT_COUNT, {{3, 20, 20}}),
       {"VehicleStateRules.txt", "event 3 (DEAD)", "state 20 (not used)", "leads to state 20"}},
      {"MovementStateRules.txt", "VERSION 1\nSTATE_NAMES 2\nA\n", {"MovementStateRules.txt", "does not read"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    WriteValidFiles();
    boxes_.clear();
    Write(c.file, c.text);
    EXPECT_FALSE(LoadStateRuleTables());
    EXPECT_TRUE(NothingLoaded());
    ASSERT_EQ(boxes_.size(), 1u);
    for (const std::string& w : c.words) EXPECT_NE(boxes_[0].text.find(w), std::string::npos) << boxes_[0].text;
  }
}

TEST_F(StateRuleTablesTest, AMissingFileShowsTheLoadersMessageOnly) {
  std::filesystem::remove("VehicleStateRules.txt");
  EXPECT_FALSE(LoadStateRuleTables());
  EXPECT_TRUE(NothingLoaded());
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find("VehicleStateRules.txt"), std::string::npos);
}

TEST(SoldierStateTablesTest, RowsMatchTheNamesTheRuleFilesUse) {
  for (int s = 0; s < MOVEMENT_STATE_COUNT; ++s) EXPECT_STREQ(kMovementStates[s].Name, kMovementStateNames[s]) << s;
  for (int s = 0; s < UPPER_BODY_STATE_COUNT; ++s) EXPECT_STREQ(kUpperBodyStates[s].Name, kUpperBodyStateNames[s]) << s;
}

}  // namespace
