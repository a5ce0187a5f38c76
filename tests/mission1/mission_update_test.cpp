// The per-frame update in play: the cue timeline, the route-link sets, the
// one-shot triggers, unit 2's retries, the fail timer and checks, the end
// check and its hints.
#include "mission1/mission1_fixture.h"

namespace mission1_test {
namespace {

std::vector<int> CueWaypoints(const RecordingScriptTable& t) {
  std::vector<int> w;
  for (const ScriptCall* c : t.CallsOf("TexturePlaceAtWaypoint")) w.push_back(c->Int(0));
  return w;
}

// Whatever the frame rate, each cue fires once and in order, the prisoner's
// shout once, and the timeline stops with the last cue.
TEST_F(Mission1Test, CueTimelineFiresEachCueOnce) {
  const std::uint32_t steps[] = {800, 16, 25, 7, 33, 250};
  for (std::uint32_t step : steps) {
    StartPlay();
    world.alive = {0, 31, 301, 309, 47};
    world.nearWaypoint = {{309, 330}};
    table.ClearCalls();
    world.Raise(MEV_WAYPOINT_REACHED, {271, 261});
    EXPECT_EQ(table.Count("SoundPlayAtObject"), 1u);
    EXPECT_EQ(table.CallsOf("SoundPlayAtObject")[0]->ToString(), "SoundPlayAtObject(271, 3438, ptr, 10000)");
    table.ClearCalls();
    world.Frames(static_cast<int>(1600 / step) + 2, step);
    std::vector<int> expected;
    for (int w = 320; w <= 349; ++w) expected.push_back(w);
    EXPECT_EQ(CueWaypoints(table), expected) << "step " << step;
    EXPECT_EQ(table.Log({"SoundPlayAtObject"}),
              (std::vector<std::string>{"SoundPlayAtObject(31, 3093, ptr, 1000)"}))
        << "step " << step;
    EXPECT_EQ(table.Log({"ObjectKill"}),
              (std::vector<std::string>{"ObjectKill(309, -1)", "ObjectKill(309, -1)", "ObjectKill(301, -1)"}))
        << "309 near the cue at waypoint 330, then both outright";
    EXPECT_EQ(Word(Saved(), 124), 0u) << "stopped";
    table.ClearCalls();
    // A second start while it ran was ignored; after it stopped, a new start
    // runs it again.
    world.Raise(MEV_WAYPOINT_REACHED, {271, 261});
    EXPECT_EQ(table.Count("SoundPlayAtObject"), 1u);
  }
}

TEST_F(Mission1Test, RouteLinkSetsFollowTheRequestAndTheDump) {
  struct Case {
    std::uint32_t request;
    bool dumpAlive;
    std::size_t unlinks, links;
  };
  // The set-up leaves set A in force; the first frame applies set B unless a
  // request stands and the dump still stands.
  const Case cases[] = {{0, true, 43, 0}, {1, true, 0, 0}, {1, false, 43, 0}, {0, false, 43, 0}};
  for (const Case& c : cases) {
    StartPlay(Block({{84, c.request}}));
    world.alive = {0, 31};
    if (c.dumpAlive) world.alive.insert(47);
    table.ClearCalls();
    world.Frames(3);
    EXPECT_EQ(table.Count("RouteMarkerUnlink"), c.unlinks) << c.request << c.dumpAlive;
    EXPECT_EQ(table.Count("RouteMarkerLink"), c.links);
  }
  // Set B in force, then vehicle 141's request: set A once.
  StartPlay();
  world.alive = {0, 31, 47};
  world.Frames(1);
  table.ClearCalls();
  world.Raise(MEV_WAYPOINT_REACHED, {141, 158});
  world.Frames(3);
  EXPECT_EQ(table.Count("RouteMarkerLink"), 63u);
  EXPECT_EQ(table.Count("RouteMarkerUnlink"), 0u);
  EXPECT_EQ(table.CallsOf("RouteMarkerLink").front()->ToString(), "RouteMarkerLink(151, 152, 1)");
  EXPECT_EQ(table.CallsOf("RouteMarkerLink").back()->ToString(), "RouteMarkerLink(8, 1129, 1)");
}

// Each trigger fires once however long its condition holds.
TEST_F(Mission1Test, EachTriggerFiresOnce) {
  struct Case {
    std::set<int> regions;
    std::vector<std::string> calls;  // each expected exactly once
  };
  const Case cases[] = {
      {{0}, {"ObjectActivate(239)", "ObjectActivate(238)", "ObjectActivate(273)", "VehicleSetSpeed(238, 5)"}},
      {{25}, {"UnitGoToWaypoint(249, 238)"}},
      {{24}, {"UnitGoToWaypoint(249, 238)"}},
      {{22}, {"ObjectActivate(291)", "ObjectActivate(277)", "UnitGoToWaypoint(6, 99)"}},
      {{16}, {"UnitGoToWaypoint(141, 148)", "ObjectActivate(271)", "ObjectActivate(267)"}},
      {{12}, {"UnitGoToWaypoint(141, 156)", "WaypointSetParamA(161, 156)"}},
      {{13, 14}, {"UnitGoToWaypoint(141, 156)"}},
      {{17}, {"UnitGoToWaypoint(141, 123)", "WaypointSetParamA(163, 123)"}},
      {{10}, {"ObjectActivate(69)", "ObjectActivate(302)", "VehicleSetFullTraverse(302, 0)"}},
      {{31}, {"ObjectActivate(265)", "UnitSetAlertness(267, 3)"}},
      {{32}, {"ObjectActivate(292)", "ObjectActivate(272)", "ObjectActivate(3)"}},
      {{27},
       {"ObjectActivate(277)", "ScreenShowMessage(" + Text(0xD451C58Du) + ", 5000)", "WaypointSetParamA(120, 214)"}},
  };
  for (const Case& c : cases) {
    StartPlay();
    world.alive = {0, 31, 47};
    world.sideInRegion = c.regions;
    table.ClearCalls();
    world.Frames(5, 100);
    const std::vector<std::string> log = table.Log();
    for (const std::string& call : c.calls)
      EXPECT_EQ(std::count(log.begin(), log.end(), call), 1) << call << " in region " << *c.regions.begin();
  }
}

TEST_F(Mission1Test, ConvoyVehiclesFollowASecondApart) {
  StartPlay();
  world.alive = {0, 31, 47};
  world.sideInRegion = {16};
  world.Frames(1);
  const std::uint32_t started = world.gameTime;
  world.sideInRegion.clear();
  table.ClearCalls();
  world.Frames(62, 16);  // up to started + 992
  EXPECT_EQ(table.Count("UnitGoToWaypoint"), 0u);
  world.gameTime = started + 1000;
  world.Frames(1, 1);
  EXPECT_EQ(table.Log({"UnitGoToWaypoint"}), (std::vector<std::string>{"UnitGoToWaypoint(301, 241)"}));
  world.gameTime = started + 2001;
  world.Frames(1, 1);
  world.Frames(10);
  EXPECT_EQ(table.Log({"UnitGoToWaypoint", "VehicleSetSpeed"}),
            (std::vector<std::string>{"UnitGoToWaypoint(301, 241)", "VehicleSetSpeed(301, 0.4)",
                                      "UnitGoToWaypoint(309, 282)", "VehicleSetSpeed(309, 0.05)"}));
}

// Unit 2 is asked twice to get going, then sent to the pier once: its retry
// time is cleared after the last try.
TEST_F(Mission1Test, UnitTwoRetriesTwiceThenWalksOnce) {
  StartPlay();
  world.alive = {0, 31, 47};
  world.Raise(MEV_WAYPOINT_REACHED, {141, 149});
  table.ClearCalls();
  world.Frames(20);
  EXPECT_EQ(table.Count("UnitRequestState92"), 2u);
  EXPECT_EQ(table.Log({"UnitGoToWaypoint"}), (std::vector<std::string>{"UnitGoToWaypoint(2, 272)"}));
  EXPECT_EQ(table.Log({"GruntSetStanceRun"}), (std::vector<std::string>{"GruntSetStanceRun(2)"}));
  EXPECT_EQ(Word(Saved(), 76), 0u);
  EXPECT_EQ(Word(Saved(), 80), 2u);
  // Already in state 112: nothing is retried; waypoint 150 cancels the retry.
  StartPlay();
  table.SetAnswer("UnitIsInState112", ScriptAnswer::Int(1));
  world.Raise(MEV_WAYPOINT_REACHED, {141, 149});
  world.Frames(5);
  table.SetAnswer("UnitIsInState112", ScriptAnswer::Int(0));
  world.Raise(MEV_WAYPOINT_REACHED, {141, 150});
  table.ClearCalls();
  world.Frames(5);
  EXPECT_EQ(table.Count("UnitRequestState92"), 0u);
}

TEST_F(Mission1Test, FailTimerKeepsTheEarlierDeadline) {
  struct Case {
    const char* name;
    std::set<int> firstOut, secondOut;  // units out of play on frames 1 and 2
    std::set<int> alive1, alive2;
    std::uint32_t failAfter;            // ms after frame 1
  };
  const Case cases[] = {
      {"prisoner out of play", {31}, {31}, {0}, {0}, 330},
      {"330 then 3000", {31}, {}, {0}, {0}, 330},
      {"3000 then 330", {}, {31}, {0}, {0}, 16 + 330},
      {"prisoner dead, not freed", {}, {}, {0}, {0}, 3000},
      {"unit 0 dead, prisoner not freed", {}, {}, {31}, {31}, 330},
  };
  for (const Case& c : cases) {
    StartPlay();
    world.missionResult = 0;
    world.outOfPlay = c.firstOut;
    world.alive = c.alive1;
    world.Frames(1);
    const std::uint32_t first = world.gameTime;
    world.outOfPlay = c.secondOut;
    world.alive = c.alive2;
    world.Frames(1);
    EXPECT_EQ(Word(Saved(), 36), first + c.failAfter) << c.name;
    world.gameTime = first + c.failAfter - 1;
    world.Frames(1, 1);
    EXPECT_EQ(world.missionResult, 0) << c.name;
    world.Frames(1, 1);
    EXPECT_EQ(world.missionResult, 1) << c.name;
  }
  EXPECT_GE(table.Count("ScreenShowMessage"), 1u);
  EXPECT_EQ(table.CallsOf("ScreenShowMessage")[0]->ToString(), "ScreenShowMessage(" + Text(0xAB52B7DFu) + ", 5000)");
}

TEST_F(Mission1Test, FreedPrisonerWithUnitZeroAliveDoesNotFail) {
  StartPlay(Block({{12, 1}}));
  world.alive = {0, 31, 47};
  world.Frames(300);
  EXPECT_EQ(Word(Saved(), 36), 0u);
  // With unit 0 dead the freed prisoner carries on alone.
  world.alive = {31, 47};
  world.Frames(300);
  EXPECT_EQ(Word(Saved(), 36), 0u);
  EXPECT_EQ(world.missionResult, 0);
}

TEST_F(Mission1Test, BoatDestroyedFailsInTwoSeconds) {
  StartPlay();
  world.alive = {0, 31, 47};
  world.Raise(MEV_VEHICLE_DESTROYED, {76, -1});
  const std::uint32_t at = world.gameTime;
  EXPECT_EQ(table.CallsOf("ScreenShowMessage").back()->ToString(), "ScreenShowMessage(" + Text(0x8EFF5EFBu) + ", 5000)");
  world.Frames(125);  // 2000 ms
  EXPECT_EQ(world.missionResult, 0);
  world.Frames(1);
  EXPECT_EQ(world.missionResult, 1);
  EXPECT_EQ(Word(Saved(), 36), at + 2000);
}

// The win: the boat at the pier, the prisoner free, the dump gone, both men
// at the boat and the squad out of play.
TEST_F(Mission1Test, EndCheckWinsOnlyWithEveryCondition) {
  struct Case {
    const char* missing;
    std::uint32_t boat, freed, dump;
    bool prisonerNear, unitZeroNear, sideOut;
  };
  const Case cases[] = {
      {"nothing", 1, 1, 1, true, true, true},  {"boat", 0, 1, 1, true, true, true},
      {"prisoner", 1, 0, 1, true, true, true}, {"dump", 1, 1, 0, true, true, true},
      {"31 near", 1, 1, 1, false, true, true}, {"0 near", 1, 1, 1, true, false, true},
      {"side", 1, 1, 1, true, true, false},
  };
  for (const Case& c : cases) {
    StartPlay(Block({{20, c.boat}, {12, c.freed}, {7, c.dump}, {124, 0}}));
    world.alive = {0, 31};
    world.score = 0;
    world.missionResult = 0;
    world.nearObject.clear();
    if (c.prisonerNear) world.nearObject.insert({31, 76});
    if (c.unitZeroNear) world.nearObject.insert({0, 76});
    world.sideOutOfPlay = c.sideOut;
    table.ClearCalls();
    world.Frames(3);
    const bool won = std::string(c.missing) == "nothing";
    EXPECT_EQ(world.missionResult, won ? 2 : 0) << c.missing;
    if (!won) continue;
    EXPECT_EQ(world.score, 55);
    EXPECT_EQ(world.nextLevel, "FrontEnd.dll");
    EXPECT_EQ(table.Log({"MissionSetEndValues", "MissionSetEntry"}),
              (std::vector<std::string>{"MissionSetEndValues(10, 25)", "MissionSetEntry(20, 0)"}));
    EXPECT_EQ(table.Count("MissionSetResult"), 1u) << "once: the check stops when the result is set";
  }
  // Unit 0 out of play counts as at the boat.
  StartPlay(Block({{20, 1}, {12, 1}, {7, 1}}));
  world.alive = {0, 31};
  world.outOfPlay = {0};
  world.nearObject = {{31, 76}};
  world.sideOutOfPlay = 1;
  world.missionResult = 0;
  world.Frames(1);
  EXPECT_EQ(world.missionResult, 2);
}

TEST_F(Mission1Test, HintFollowsTheFirstUnmetGoal) {
  struct Case {
    std::uint32_t freed, item71, item72, dump;
    bool nearPier, cameraIdle;
    std::uint32_t hint;  // 0: none
  };
  const Case cases[] = {
      {0, 0, 0, 0, false, true, 0x02B45E2Au}, {1, 1, 0, 0, false, true, 0xB45E2AAAu},
      {1, 1, 1, 0, false, true, 0x02B45E9Cu}, {1, 1, 1, 1, false, true, 0x02B45E47u},
      {1, 1, 1, 1, true, true, 0},            {0, 0, 0, 0, false, false, 0},
  };
  bool nearPier = false;
  table.SetHandler("PlayerIsNearPoint", [&nearPier](const ScriptCall& c) {
    return ScriptAnswer::Int(nearPier && c.Vector(0).x == 5.0f && c.Float(1) == 1000.0f);
  });
  world.waypointPositions[109] = {5, 0, 0};
  for (const Case& c : cases) {
    StartPlay(Block({{12, c.freed}, {28, c.item71}, {24, c.item72}, {7, c.dump}}));
    world.alive = {0, 31, 47};
    nearPier = c.nearPier;
    world.movieCameraIdle = c.cameraIdle;
    table.ClearCalls();
    world.Frames(1);
    const auto shown = table.CallsOf("MessageShowText");
    if (c.hint == 0) {
      EXPECT_TRUE(shown.empty());
      continue;
    }
    ASSERT_EQ(shown.size(), 1u) << std::hex << c.hint;
    EXPECT_EQ(shown[0]->ToString(), "MessageShowText(" + Text(c.hint) + ")");
    EXPECT_EQ(table.Log({"InputGetActionKeyText"}), (std::vector<std::string>{"InputGetActionKeyText(14)"}));
  }
  // Hints off (the objectives screen was shown): the charge hint in region 9
  // when player 0's soldier carries item 72.
  StartPlay(Block({{56, 0}}));
  world.alive = {0, 31, 47};
  world.movieCameraIdle = 1;
  table.SetAnswer("GruntCarriesItemId", ScriptAnswer::Int(1));
  table.SetAnswer("RegionContainsPlayer", ScriptAnswer::Int(1));
  table.ClearCalls();
  world.Frames(1);
  EXPECT_EQ(table.Log({"MessageShowText", "GruntCarriesItemId"}),
            (std::vector<std::string>{"GruntCarriesItemId(0, 72)", "MessageShowText(" + Text(0x10F55A6Bu) + ")"}));
}

TEST_F(Mission1Test, DelayedAlarmRaisesTheAlarmOnceAfterTenSeconds) {
  StartPlay();
  world.alive = {0, 31, 47};
  world.Raise(MEV_UNIT_ALARMED, {12});
  world.Raise(MEV_UNIT_ALARMED, {110});  // already armed: no new deadline
  const std::uint32_t armed = world.gameTime;
  EXPECT_EQ(Word(Saved(), 60), armed + 10000);
  world.gameTime = armed + 10000;
  world.Frames(1, 0);
  EXPECT_EQ(Word(Saved(), 8), 0u);
  world.Frames(1, 1);
  EXPECT_EQ(Word(Saved(), 8), 1u);
  EXPECT_EQ(Word(Saved(), 60), 0u);
  EXPECT_EQ(table.Log({"DoorSetOpen"}).front(), "DoorSetOpen(65, 1)");
  EXPECT_EQ(table.Log({"SoundChannelDisable", "SoundChannelEnable", "SoundChannelSetParam"}),
            (std::vector<std::string>{"SoundChannelDisable(0)", "SoundChannelEnable(0)",
                                      "SoundChannelSetParam(0, 0)"}));
  // The siren turned down 30 s later; no second alarm.
  world.gameTime += 30000;
  world.Frames(2, 1);
  EXPECT_EQ(table.Log({"SoundChannelSetParam"}).back(), "SoundChannelSetParam(0, 0.05)");
  EXPECT_EQ(table.Count("ScreenShowMessage"), 1u);
}

}  // namespace
}  // namespace mission1_test
