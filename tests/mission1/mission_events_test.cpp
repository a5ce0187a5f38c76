// The event handler: its dispatch by status and code, the waypoint, door,
// item and spawn cases, the answers it writes, and the escape sequence.
#include "mission1/mission1_fixture.h"

namespace mission1_test {
namespace {

TEST_F(Mission1Test, DispatchAnswersByStatusAndCode) {
  struct Case {
    std::uint32_t code;
    std::int32_t intro, opening, play;
  };
  const Case cases[] = {{0, 1, 1, 1}, {18, 1, 1, 1}, {59, 1, 1, 1}, {60, 1, 1, 0}, {83, 1, 1, 0}};
  for (const Case& c : cases) {
    ASSERT_NE(SetUpMission(), nullptr);
    EXPECT_EQ(world.Raise(c.code, {164}), c.intro) << c.code;
    ASSERT_NE(SetUpMission(), nullptr);
    world.Raise(MEV_BRIEFING_DONE);
    EXPECT_EQ(world.Raise(c.code, {164}), c.opening) << c.code;
    StartPlay();
    EXPECT_EQ(world.Raise(c.code, {164}), c.play) << c.code;
  }
}

// Before play every code but 18 and 59 is answered 1 and nothing happens:
// no call, no answer written.
TEST_F(Mission1Test, BeforePlayEventsChangeNothing) {
  ASSERT_NE(SetUpMission(), nullptr);
  const StateBlock before = Saved();
  table.ClearCalls();
  for (std::uint32_t code = 0; code < 90; ++code) {
    if (code == MEV_CUTSCENE_ENDED || code == MEV_BRIEFING_DONE) continue;
    EXPECT_EQ(world.Raise(code, {47, 71, 5}), 1) << code;
    EXPECT_EQ(world.lastBlock[0], 47);
    EXPECT_EQ(world.lastBlock[1], 71);
    EXPECT_EQ(world.lastBlock[2], 5);
  }
  EXPECT_TRUE(table.Calls().empty()) << table.Calls().front().ToString();
  EXPECT_EQ(Saved(), before);
}

TEST_F(Mission1Test, CodesWithoutACaseAnswerZeroInPlay) {
  StartPlay();
  const std::uint32_t unhandled[] = {7, 12, 26, 33, 34, 35, 36, 37, 45, 46, 47, 48, 49, 50, 51, 53, 54, 55, 56, 57, 58};
  const std::uint32_t accepted[] = {2, 11, 14, 19, 20, 22, 23, 25, 28, 29, 30, 31, 38};
  table.ClearCalls();
  for (std::uint32_t code : unhandled) EXPECT_EQ(world.Raise(code, {1, 2, 3}), 0) << code;
  for (std::uint32_t code : accepted) EXPECT_EQ(world.Raise(code, {1, 2, 3}), 1) << code;
  EXPECT_TRUE(table.Calls().empty());
}

TEST_F(Mission1Test, AnswersWrittenIntoTheBlock) {
  struct Case {
    std::uint32_t code;
    std::vector<std::int32_t> words;
    int word;
    std::int32_t answer;
  };
  const Case cases[] = {
      {MEV_DESIGNATOR_FIRED, {5, 9}, 0, 0},
      {MEV_CHARGE_USE_QUERY, {7}, 1, 1},     // soldier 7 is in region 9
      {MEV_CHARGE_USE_QUERY, {0}, 1, 0},     // soldier 0 is not
      {MEV_DROP_QUERY, {0, 70}, 2, 1},
      {MEV_PICK_UP_QUERY, {0, 33}, 2, 0},    // the prisoner's items are not unit 0's to take
      {MEV_PICK_UP_QUERY, {0, 52}, 2, 0},
      {MEV_PICK_UP_QUERY, {0, 245}, 2, 0},
      {MEV_PICK_UP_QUERY, {0, 71}, 2, 1},
      {MEV_PICK_UP_QUERY, {31, 33}, 2, 1},
      {MEV_VEHICLE_MENU_QUERY, {0, 113}, 2, 1},
      {MEV_CONTROL_SWITCH_QUERY, {}, 0, 1},
      {MEV_ITEM_COUNT_QUERY, {0, 5}, 1, 0},
  };
  StartPlay();
  world.objectRegion = {{7, 9}};
  for (const Case& c : cases) {
    std::int32_t block[MISSION_EVENT_BLOCK_WORDS] = {};
    for (std::size_t i = 0; i < c.words.size(); ++i) block[i] = c.words[i];
    block[c.word] = 0x5A5A;  // the game's preset, overwritten
    EXPECT_EQ(world.callbacks->HandleEvent(c.code, block), 1) << c.code;
    EXPECT_EQ(block[c.word], c.answer) << c.code;
  }
}

// Event 8: the eighteen waypoint rows.
TEST_F(Mission1Test, WaypointRowsAct) {
  struct Case {
    int unit, waypoint;
    std::string call;          // expected among the calls ("" none)
    int offset;                // a state word set (-1 none)
    std::uint32_t value;
  };
  const Case cases[] = {
      {14, 52, "SoundPlayAtWithValue((1, 2, 3), 1151, ptr)", 72, 0},
      {31, 39, "GruntSelectWeaponById(31, 33)", 56, 1},
      {76, 55, "", 20, 1},
      {82, 71, "GruntSetStanceWalk(82)", -1, 0},
      {141, 125, "ObjectSetStateBit4(111, 0)", -1, 0},
      {141, 129, "GruntExitVehicle(164)", -1, 0},
      {141, 149, "", 76, 0},
      {141, 150, "VehicleSetSpeed(141, 0.25)", -1, 0},
      {141, 152, "VehicleSetSpeed(141, 1)", -1, 0},
      {141, 155, "DoorSetOpen(65, 1)", 4, 1},
      {141, 158, "", 84, 1},
      {141, 161, "DoorSetOpen(65, 0)", -1, 0},
      {238, 351, "SoundPlayAtObject(238, 3166, ptr, 10000)", -1, 0},
      {239, 357, "SoundPlayAtObject(239, 3166, ptr, 10000)", -1, 0},
      {249, 214, "", 52, 1},
      {249, 218, "VehicleSetSpeed(249, 4)", -1, 0},
      {249, 228, "VehicleSetSpeed(249, 1)", -1, 0},
      {271, 261, "MovieCamerasSetParams(25, 0, 2000)", 124, 1},
      {302, 265, "UnitSetNerve(302, 0)", -1, 0},
      {14, 53, "", -1, 0},
  };
  world.waypointPositions[59] = {1, 2, 3};
  for (const Case& c : cases) {
    StartPlay();
    table.ClearCalls();
    EXPECT_EQ(world.Raise(MEV_WAYPOINT_REACHED, {c.unit, c.waypoint}), 1);
    const std::vector<std::string> log = table.Log();
    if (!c.call.empty()) {
      EXPECT_NE(std::find(log.begin(), log.end(), c.call), log.end()) << c.unit << " at " << c.waypoint;
    }
    if (c.offset >= 0) {
      const std::uint32_t expected = c.offset == 76 || c.offset == 72 ? world.gameTime + (c.offset == 72 ? 2000 : 0)
                                                                       : c.value;
      EXPECT_EQ(Word(Saved(), c.offset), expected) << c.unit << " at " << c.waypoint;
    }
    if (c.call.empty() && c.offset < 0) {
      EXPECT_TRUE(log.empty()) << log.front();
    }
  }
}

TEST_F(Mission1Test, CellDoorOpeningThenOpenFreesThePrisonerOnce) {
  StartPlay();
  world.Frames(1);
  table.ClearCalls();
  EXPECT_EQ(world.Raise(MEV_DOOR_CHANGED, {37, MISSION_DOOR_STARTED_OPENING}), 1);
  EXPECT_EQ(table.Log(), (std::vector<std::string>{"DoorSetOpen(36, 1)", "MovieCameraStart(0, 38)",
                                                   "GruntRemoveItem(0, 70)", "UnitRequestState103(31)"}));
  EXPECT_EQ(Word(Saved(), 12), 0u);
  table.ClearCalls();
  EXPECT_EQ(world.Raise(MEV_DOOR_CHANGED, {37, MISSION_DOOR_IS_OPEN}), 1);
  const StateBlock s = Saved();
  EXPECT_EQ(Word(s, 12), 1u);
  EXPECT_EQ(Word(s, 68), 1u);
  EXPECT_EQ(Word(s, 92) & 0x10u, 0x10u);
  ASSERT_EQ(world.objectives.size(), 4u);
  EXPECT_EQ(world.objectives[0].bits, 1 | 2 | 8) << "completed and still listed";
  EXPECT_EQ(world.score, 10);
  const std::vector<std::string> log = table.Log({"ObjectSetStatusBit9", "GameSetScriptFlag", "ScreenShowMessage",
                                                  "ObjectiveComplete", "UnitGoToWaypoint", "SpawnPointEnable"});
  EXPECT_EQ(log, (std::vector<std::string>{"ObjectSetStatusBit9(31, 1)", "GameSetScriptFlag(1)",
                                           "ScreenShowMessage(" + Text(0x88DE5BE5u) + ", 5000)",
                                           "ObjectiveComplete(0)", "UnitGoToWaypoint(31, 37)",
                                           "SpawnPointEnable(6, 0)", "SpawnPointEnable(7, 0)",
                                           "SpawnPointEnable(8, 0)"}));
  // The door closed and opened again: nobody is freed twice.
  world.Raise(MEV_DOOR_CHANGED, {37, MISSION_DOOR_IS_CLOSED});
  world.Raise(MEV_DOOR_CHANGED, {37, MISSION_DOOR_IS_OPEN});
  EXPECT_EQ(world.score, 10);
  EXPECT_EQ(table.Count("ObjectiveComplete"), 1u);
  // Other doors and codes do nothing to the prisoner.
  StartPlay();
  world.Raise(MEV_DOOR_CHANGED, {36, MISSION_DOOR_IS_OPEN});
  world.Raise(MEV_DOOR_CHANGED, {37, MISSION_DOOR_STARTED_CLOSING});
  EXPECT_EQ(Word(Saved(), 12), 0u);
}

TEST_F(Mission1Test, ItemsCompleteTheirObjectiveOnce) {
  const std::vector<std::vector<int>> orders = {{71, 72}, {72, 71}, {71, 71, 72, 72}, {72, 33, 72, 71, 71}};
  for (const auto& order : orders) {
    StartPlay();
    world.score = 0;
    table.ClearCalls();
    for (int item : order) world.Raise(MEV_ITEM_TAKEN, {0, item, 1});
    EXPECT_EQ(table.Log({"ObjectiveComplete"}), (std::vector<std::string>{"ObjectiveComplete(1)"}));
    EXPECT_EQ(world.objectives[1].bits & 2, 2);
    EXPECT_EQ(Word(Saved(), 24), 1u);
    EXPECT_EQ(Word(Saved(), 28), 1u);
  }
  // Only one taken: the objective stays open.
  StartPlay();
  table.ClearCalls();
  world.Raise(MEV_ITEM_TAKEN, {0, 71, 1});
  EXPECT_EQ(table.Count("ObjectiveComplete"), 0u);
}

TEST_F(Mission1Test, GateOpeningReleasesTheHeldTruckOnce) {
  StartPlay();
  world.Raise(MEV_WAYPOINT_REACHED, {141, 155});
  EXPECT_EQ(Word(Saved(), 4), 1u);
  table.ClearCalls();
  world.Raise(MEV_DOOR_CHANGED, {65, MISSION_DOOR_IS_OPEN});
  world.Raise(MEV_DOOR_CHANGED, {65, MISSION_DOOR_IS_OPEN});
  EXPECT_EQ(table.Log(), (std::vector<std::string>{"UnitGoToWaypoint(141, 161)", "UnitSetOrder(141, 0)",
                                                   "VehicleSetSpeed(141, 0.25)"}));
  EXPECT_EQ(Word(Saved(), 4), 0u);
  EXPECT_EQ(Word(Saved(), 88), 1u);
  world.Raise(MEV_DOOR_CHANGED, {65, MISSION_DOOR_STARTED_CLOSING});
  EXPECT_EQ(Word(Saved(), 88), 0u);
  // With the gate open the truck is not held: its next waypoint is set.
  world.Raise(MEV_DOOR_CHANGED, {65, MISSION_DOOR_IS_OPEN});
  table.ClearCalls();
  world.Raise(MEV_WAYPOINT_REACHED, {141, 155});
  EXPECT_EQ(table.Log(), (std::vector<std::string>{"VehicleSetSpeed(141, 0.25)", "WaypointSetParamA(155, 161)"}));
}

TEST_F(Mission1Test, SpawnTypesRespawnTheirUnits) {
  const int units[] = {23, 24, 25, 86, 26, 165, 87, 109, 82};
  StartPlay();
  world.alive = {0, 31};
  for (int type = 0; type < 9; ++type) {
    table.ClearCalls();
    EXPECT_EQ(world.Raise(MEV_SPAWN_POINT_CHOSEN, {type}), 1);
    EXPECT_EQ(table.Log({"UnitRespawn"}), (std::vector<std::string>{"UnitRespawn(" + std::to_string(units[type]) + ")"}));
    if (type <= 5) {
      EXPECT_EQ(table.Log({"UnitSetOrder"}).back(), "UnitSetOrder(" + std::to_string(units[type]) + ", 6)");
    }
  }
  for (int type : {-1, 9, 1000, 0x7FFFFFFF}) {
    table.ClearCalls();
    EXPECT_EQ(world.Raise(MEV_SPAWN_POINT_CHOSEN, {type}), 1);
    EXPECT_TRUE(table.Calls().empty()) << type;
  }
  // A deactivated anchor re-enables its spawn point unless it is closed for good.
  world.spawnPoints[2].state = 0;
  world.spawnPoints[3].state = 2;
  world.Raise(MEV_UNIT_DEACTIVATED, {25});
  world.Raise(MEV_UNIT_DEACTIVATED, {86});
  world.Raise(MEV_UNIT_DEACTIVATED, {12345});
  EXPECT_EQ(world.spawnPoints[2].state, 1u);
  EXPECT_EQ(world.spawnPoints[3].state, 2u);
}

TEST_F(Mission1Test, BoardingVehicle112AddsReinforcementsOnce) {
  StartPlay();
  for (int n = 0; n < 3; ++n) world.Raise(MEV_BOARDED, {0, 112});
  const std::uint32_t counts[] = {2, 2, 4, 4, 4, 4, 1, 0, 2};
  for (int n = 0; n < 9; ++n) EXPECT_EQ(world.spawnPoints[n].usesLeft, counts[n]) << n;
  // An unlimited point stays unlimited.
  StartPlay();
  world.spawnPoints[0].usesLeft = 0xFFFFFFFFu;
  world.Raise(MEV_BOARDED, {0, 112});
  EXPECT_EQ(world.spawnPoints[0].usesLeft, 0xFFFFFFFFu);
}

TEST_F(Mission1Test, DumpExplosionRunsTheEscape) {
  StartPlay(Block({{12, 1}}));
  world.alive = {0, 31, 47};
  world.nearWaypoint = {{0, 20}};
  world.objectPositions[47] = {7, 8, 9};
  table.ClearCalls();
  EXPECT_EQ(world.Raise(MEV_BUILDING_DESTROYED, {47, 0}), 1);
  const std::vector<std::string> log = table.Log();
  for (const char* call : {"PlayerAttachToUnit(0, 0)", "PlayerControlEnable(0)", "LetterboxShow()",
                           "MovieCameraStart(0, 39)", "SetScreenLock(0)", "RegionApplyToVehicles(20)",
                           "SoundPlayAtWithValue((7, 8, 9), 2030, ptr)", "SoundChannelDisable(2)",
                           "EmitterRestart(3)", "ObjectKill(0, -1)", "UnitGoToWaypoint(249, -1)"})
    EXPECT_NE(std::find(log.begin(), log.end(), call), log.end()) << call;
  EXPECT_EQ(std::find(log.begin(), log.end(), "ObjectKill(31, -1)"), log.end());
  const std::uint32_t at = world.gameTime;
  EXPECT_EQ(Word(Saved(), 7), 1u);
  EXPECT_EQ(Word(Saved(), 96), at + 3500);
  EXPECT_EQ(Word(Saved(), 60), at + 10000) << "the delayed alarm";
  // 3.5 s later: the escape objective done, the hidden one shown, control back.
  world.alive = {0, 31, 47};
  world.Frames(218);
  EXPECT_EQ(world.objectives[2].bits & 2, 0);
  world.Frames(1);
  EXPECT_EQ(world.objectives[2].bits & 2, 2);
  EXPECT_EQ(world.objectives[3].bits & 8, 8) << "revealed with the prisoner free and the dump gone";
  EXPECT_EQ(world.score, 10);
  EXPECT_EQ(table.Log({"ScreenShowMessage"}).back(), "ScreenShowMessage(" + Text(0x88DE5B3Eu) + ", 5000)");
  // Events for other buildings do nothing.
  StartPlay();
  table.ClearCalls();
  world.Raise(MEV_BUILDING_DESTROYED, {48, 0});
  EXPECT_TRUE(table.Calls().empty());
}

TEST_F(Mission1Test, ExplosionKillsTheDumpAndSwitchEventsOnlyPrintWithDebug) {
  StartPlay();
  table.ClearCalls();
  world.Raise(MEV_EXPLOSION, {0, 0, 0});
  EXPECT_EQ(table.Log(), (std::vector<std::string>{"ObjectKill(47, -1)"}));
  table.ClearCalls();
  world.Raise(MEV_SWITCH_CHANGED, {3, 1, 0});
  EXPECT_EQ(table.Log(), (std::vector<std::string>{"DebugIsEnabled()"}));
  world.debug = 1;
  table.ClearCalls();
  world.Raise(MEV_SWITCH_CHANGED, {3, 1, 0});
  EXPECT_EQ(table.Log().back(), "DebugPrintf(\"switch 3 changed to 1\n\")");
}

TEST_F(Mission1Test, AwarenessSendsHuntersAndTheTorturer) {
  StartPlay();
  world.alive = {0, 31, 5};
  world.waypointPositions[50] = {50, 0, 0};
  world.waypointPositions[210] = {210, 0, 0};
  table.ClearCalls();
  world.Raise(MEV_AWARENESS_ADDED, {272, 5});
  EXPECT_EQ(table.Log({"UnitSetHuntTarget", "UnitSetOrder"}),
            (std::vector<std::string>{"UnitSetHuntTarget(272, 5)", "UnitSetOrder(272, 6)"}));
  table.ClearCalls();
  world.Raise(MEV_AWARENESS_ADDED, {14, 0});
  world.Raise(MEV_AWARENESS_ADDED, {14, 0});
  EXPECT_EQ(table.Log({"UnitRouteToPoint", "ObjectClearTimer"}),
            (std::vector<std::string>{"ObjectClearTimer(141)", "UnitRouteToPoint(68, (210, 0, 0))",
                                      "UnitRouteToPoint(14, (50, 0, 0))"}));
}

}  // namespace
}  // namespace mission1_test
