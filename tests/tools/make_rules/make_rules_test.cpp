// The state-rule descriptions: their compact groups become the cells of the
// rule file the game loads, mistakes in a description are reported with
// their line, and the repository's descriptions give a soldier the moves it
// needs (stand, walk, run, turn, kneel, crawl, die and board) without ever
// leaving a posture on the trigger of the posture it already has.
#include "make_rules/rules_description.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "units/soldier/soldier_state_tables.h"
#include "units/vehicle/vehicle_state_names.h"
#include "world/animation/rule_table.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file the tool writes for a repository description, as the game reads it.
RuleTable Repository(const char* description) {
  RuleGrid grid;
  std::string error;
  EXPECT_TRUE(ReadRuleDescription(ReadText(std::string(MAKE_RULES_DESCRIPTIONS) + "/" + description), &grid, &error))
      << error;
  RuleTable table;
  EXPECT_EQ(table.Parse(WriteRuleFile(grid).c_str()), 1);
  std::string message;
  EXPECT_TRUE(CheckStateRuleTable(table, GetStateRuleNeeds(grid.File), &message)) << message;
  return table;
}

TEST(MakeRulesTest, GroupsBecomeCellsThatReadBackThroughTheGamesReader) {
  RuleGrid grid;
  std::string error;
  ASSERT_TRUE(ReadRuleDescription("table movement   # the soldier\n"
                                  "set idle STAND STAND_IDLE\n"
                                  "set more @idle 15\n"
                                  "from @more on FORWARD_START 30 -> WALK\n"
                                  "from WALK on FORWARD_STOP -> STAND\n"
                                  "from @idle on FORWARD_START -> WALK   # the same again is no conflict\n",
                                  &grid, &error))
      << error;
  ASSERT_EQ(grid.File, RULES_MOVEMENT);
  RuleTable table;
  ASSERT_EQ(table.Parse(WriteRuleFile(grid).c_str()), 1);
  ASSERT_EQ(table.StateCount, MOVEMENT_STATE_COUNT);
  ASSERT_EQ(table.RuleCount, MOVEMENT_EVENT_COUNT);
  int leading = 0;
  for (int e = 0; e < table.RuleCount; ++e)
    for (int s = 0; s < table.StateCount; ++s) leading += table.NextState(e, s) >= 0;
  EXPECT_EQ(leading, 7);  // 3 states x 2 events, and one stop
  for (int s : {MS_STAND, MS_STAND_IDLE, MS_KNEEL})
    for (int e : {ME_FORWARD_START, ME_WALK}) EXPECT_EQ(table.NextState(e, s), MS_WALK) << s << " " << e;
  EXPECT_EQ(table.NextState(ME_FORWARD_STOP, MS_WALK), MS_STAND);
  EXPECT_EQ(table.NextState(ME_FORWARD_START, MS_RUN), -1);
}

TEST(MakeRulesTest, MistakesAreReportedWithTheirLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"set a STAND\n", "line 1: the first line must be"},
      {"table soldier\n", "line 1: unknown table \"soldier\""},
      {"table vehicle\ntable vehicle\n", "line 2: a second \"table\" line"},
      {"table movement\nfrom STAND on FORWARD_START -> FLY\n", "line 2: unknown state \"FLY\""},
      {"table movement\nfrom STAND on JUMP -> WALK\n", "line 2: unknown event \"JUMP\""},
      {"table movement\nfrom STAND on 107 -> WALK\n", "line 2: unknown event \"107\""},
      {"table movement\n\nfrom @legs on STOP -> STAND\n", "line 3: unknown set \"@legs\""},
      {"table movement\nfrom STAND on STOP\n", "line 2: \"on\" needs events, then \"->\" and one state"},
      {"table movement\nfrom on STOP -> STAND\n", "line 2: \"from\" needs states"},
      {"table movement\nfrom STAND on STOP -> WALK\nfrom STAND on STOP -> RUN\n",
       "line 3: event STOP in state STAND already leads to WALK"},
      {"table upperbody\nset a LOWERED\nset a AIMING\n", "line 3: set \"a\" given twice"},
      {"table upperbody\nhop\n", "line 2: unknown word \"hop\""},
      {"# only a comment\n", "no \"table\" line"},
  };
  for (const auto& c : cases) {
    RuleGrid grid;
    std::string error;
    EXPECT_FALSE(ReadRuleDescription(c.text, &grid, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.text << " gave: " << error;
  }
}

TEST(MakeRulesTest, TheSoldierStandsWalksRunsTurnsKneelsCrawlsDiesAndBoards) {
  const RuleTable t = Repository("movement.txt");
  const struct {
    int from, event, to;
  } moves[] = {
      {MS_STAND, ME_FORWARD_START, MS_WALK},        {MS_STAND_IDLE, ME_WALK, MS_WALK},
      {MS_WALK, ME_STANCE_RUN, MS_RUN},             {MS_RUN, ME_STANCE_WALK, MS_WALK},
      {MS_RUN, ME_STOP, MS_STAND},                  {MS_WALK, ME_FORWARD_STOP, MS_STAND},
      {MS_STAND, ME_BACKWARD_START, MS_WALK_BACKWARDS}, {MS_STAND, ME_STRAFE_LEFT_START, MS_STRAFE_LEFT},
      {MS_STAND, ME_TURN_LEFT, MS_STAND_TURN_LEFT}, {MS_STAND_TURN_LEFT, ME_TURN_RIGHT, MS_STAND_TURN_RIGHT},
      {MS_STAND_TURN_RIGHT, ME_STOP, MS_STAND},     {MS_STAND, ME_STANCE_KNEEL, MS_KNEEL},
      {MS_KNEEL, ME_STANCE_WALK, MS_STAND},         {MS_KNEEL, ME_FORWARD_START, MS_KNEEL_WALK},
      {MS_STAND, ME_STANCE_CRAWL, MS_GOING_PRONE},  {MS_GOING_PRONE, ME_ANIM_FINISHED, MS_PRONE},
      {MS_PRONE, ME_FORWARD_START, MS_CRAWL_FORWARDS}, {MS_PRONE, ME_STANCE_RUN, MS_GETTING_UP},
      {MS_GETTING_UP, ME_ANIM_FINISHED, MS_STAND},  {MS_WALK, ME_DIE, MS_DEATH_FORWARD},
      {MS_PRONE, ME_DIE, MS_DEATH_FORWARD},         {MS_DEATH_FORWARD, ME_ANIM_FINISHED, MS_DEAD},
      {MS_STAND, ME_ENTER_VEHICLE, MS_IN_VEHICLE},  {MS_IN_VEHICLE, ME_VEHICLE_DRIVER, MS_VEHICLE_DRIVE},
      {MS_VEHICLE_DRIVE, ME_LEAVE_VEHICLE, MS_STAND}, {MS_IN_VEHICLE, ME_DIE, MS_DYING_IN_VEHICLE},
      {MS_STAND_IDLE, ME_IDLE_VARIATION_1, MS_IDLE_SCRATCH}, {MS_IDLE_SCRATCH, ME_ANIM_FINISHED, MS_STAND_IDLE},
      {MS_LADDER_DISMOUNT_TOP, ME_ANIM_FINISHED, MS_STAND},
  };
  for (const auto& m : moves)
    EXPECT_EQ(t.NextState(m.event, m.from), m.to)
        << kMovementStateNames[m.from] << " on " << kMovementEventNames[m.event];
  // The posture triggers fire every frame: a posture never answers its own.
  const struct {
    int state, event;
  } steady[] = {{MS_STAND, ME_STANCE_WALK}, {MS_STAND, ME_STANCE_RUN},   {MS_STAND_IDLE, ME_STANCE_WALK},
                {MS_KNEEL, ME_STANCE_KNEEL}, {MS_PRONE, ME_STANCE_CRAWL}, {MS_STAND, ME_STOPPED},
                {MS_DEAD, ME_DIE},          {MS_STAND, ME_ALERTNESS_SLEEPING}, {MS_STAND_IDLE, ME_ALERTNESS_AWAKE}};
  for (const auto& s : steady)
    EXPECT_EQ(t.NextState(s.event, s.state), -1) << kMovementStateNames[s.state] << " on " << kMovementEventNames[s.event];
}

TEST(MakeRulesTest, UpperBodyAndVehicleFilesAnswerTheirMoves) {
  const RuleTable upper = Repository("upper_body.txt");
  EXPECT_EQ(upper.NextState(UE_AIM, UB_LOWERED), UB_AIMING);
  EXPECT_EQ(upper.NextState(UE_LOWER, UB_AIMING), UB_LOWERED);
  EXPECT_EQ(upper.NextState(UE_LYING, UB_AIMING), UB_LOWERED_PRONE);
  EXPECT_EQ(upper.NextState(UE_RELOAD, UB_AIMING_PRONE), UB_RELOAD_PRONE);
  EXPECT_EQ(upper.NextState(UE_AIM, UB_AIMING), -1);
  const RuleTable vehicle = Repository("vehicle.txt");
  EXPECT_EQ(vehicle.NextState(VE_PLAYER_FORWARD, VS_GROUND_IDLE), VS_FORWARD_ACCELERATE);
  EXPECT_EQ(vehicle.NextState(VE_SPEED_ZERO, VS_FORWARD_DECELERATE), VS_GROUND_IDLE);
  EXPECT_EQ(vehicle.NextState(VE_DEAD, VS_GOAT_GRAZING), VS_GOAT_DYING);
  EXPECT_EQ(vehicle.NextState(VE_PLAYER_BACK, VS_FORWARD_ACCELERATE), -1);
}

}  // namespace
