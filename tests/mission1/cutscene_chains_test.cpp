// The intro cut-scene and the opening: their stages at their times on the
// real clock, the briefing between them, skips, the timed-callback queue's
// load, and the calls the chains' callbacks make.
#include <cstdio>

#include "mission1/mission1_fixture.h"

namespace mission1_test {
namespace {

class CutsceneTest : public Mission1Test {
 protected:
  void SetUp() override {
    Mission1Test::SetUp();
    table.SetHandler("MovieCameraStart", [this](const ScriptCall& c) {
      shots.push_back({c.Int(1), world.realTime});
      return ScriptAnswer::None();
    });
    ASSERT_NE(SetUpMission(), nullptr);
    world.alive = {0, 31, 47};
  }
  // The status seen from outside: codes above 59 answer 0 only in play.
  bool InPlay() { return world.Raise(60) == 0; }

  std::vector<std::pair<int, std::uint64_t>> shots;  // camera, real time
};

TEST_F(CutsceneTest, IntroStagesRunAtTheirTimesThenTheBriefing) {
  world.Frames(1);  // the intro starts on the first frame
  world.AdvanceReal(62590);
  EXPECT_EQ(world.briefingsShown, 0);
  world.AdvanceReal(1);
  EXPECT_EQ(world.briefingsShown, 1) << "the finish at 62082 + 509 ends the intro";
  const std::vector<std::pair<int, std::uint64_t>> expected = {
      {11, 3500},  {35, 8500},  {12, 11015}, {17, 14017}, {18, 16562}, {24, 18062}, {14, 23062}, {22, 26562},
      {23, 30562}, {13, 37576}, {36, 41054}, {31, 42082}, {32, 46582}, {33, 49599}, {37, 53082}};
  EXPECT_EQ(shots, expected);
  EXPECT_EQ(world.cutsceneEnds, 1);
  EXPECT_FALSE(InPlay()) << "the briefing shows in status 0";
  EXPECT_EQ(world.overwrites, 0) << "no timed call was lost";
  EXPECT_LT(world.maxPending, FakeWorld::kTimerCapacity);
  EXPECT_EQ(world.maxPending, 194u) << "the firefight's calls, all pending at once";
  std::printf("most timed callbacks pending during the intro: %zu of %zu\n", world.maxPending,
              FakeWorld::kTimerCapacity);
  RecordProperty("most_pending_timed_callbacks", static_cast<int>(world.maxPending));
  // Stage 3's calls by kind.
  EXPECT_EQ(table.Count("UnitDismount"), 45u);
  EXPECT_EQ(table.Count("UnitResetMount"), 45u);
  EXPECT_EQ(table.Count("UnitSetTarget"), 15u);
  EXPECT_EQ(table.Count("ObjectKillWithState"), 2u);
  EXPECT_EQ(table.Count("ObjectAddWoundMark"), 2u);
  EXPECT_EQ(table.Count("SchedulerRestart"), 1u);
  EXPECT_EQ(table.Log({"VehicleSetSpeedPercent"}),
            (std::vector<std::string>{"VehicleSetSpeedPercent(126, 35)", "VehicleSetSpeedPercent(126, 85)"}));
  EXPECT_EQ(table.Log({"MovieTextShow"}),
            (std::vector<std::string>{"MovieTextShow(" + Text(0x484A22F6u) + ", 0)",
                                      "MovieTextShow(" + Text(0x484A2240u) + ", 1)",
                                      "MovieTextShow(" + Text(0x484A229Bu) + ", 0)"}));
  EXPECT_EQ(table.Count("EnvironmentApplySettings"), 3u);
  EXPECT_EQ(table.CallsOf("EnvironmentApplySettings")[0]->Pointer(0), table.CallsOf("EnvironmentApplySettings")[2]->Pointer(0))
      << "the night sky each time";
  EXPECT_NE(table.CallsOf("EnvironmentApplySettings")[0]->Pointer(0), nullptr);
  EXPECT_EQ(table.Count("MusicPlay"), 2u) << "the two cut-scene samples";
  EXPECT_EQ(table.Log({"AIEnable", "PlayerControlEnable"}).back(), "PlayerControlEnable(1)");
}

TEST_F(CutsceneTest, BriefingStartsTheOpeningWhoseEndStartsPlay) {
  world.Frames(1);
  world.AdvanceReal(70000);
  ASSERT_EQ(world.briefingsShown, 1);
  shots.clear();
  table.ClearCalls();
  world.Raise(MEV_BRIEFING_DONE);
  EXPECT_EQ(table.Log({"MovieSetIdle", "CutsceneStart", "CutsceneResume", "PlayerControlEnable"}),
            (std::vector<std::string>{"MovieSetIdle(0)", "CutsceneStart()", "CutsceneResume(1)",
                                      "PlayerControlEnable(0)"}));
  const std::uint64_t r = world.realTime;
  world.AdvanceReal(49595);
  EXPECT_FALSE(InPlay());
  EXPECT_TRUE(world.spawnPoints.empty());
  world.AdvanceReal(1);
  EXPECT_TRUE(InPlay()) << "the opening's end brings status 2";
  EXPECT_EQ(world.spawnPoints.size(), 9u) << "the game-start step ran";
  const std::vector<std::pair<int, std::uint64_t>> expected = {
      {25, r}, {26, r + 12699}, {27, r + 19898}, {28, r + 26497}, {29, r + 35997}, {30, r + 42797}};
  EXPECT_EQ(shots, expected);
  EXPECT_EQ(table.Count("MusicPlay"), 6u) << "the six objective speeches";
  EXPECT_EQ(table.Log({"TimeOfDaySet"}),
            (std::vector<std::string>{"TimeOfDaySet(0)", "TimeOfDaySet(14)", "TimeOfDaySet(6.06)"}));
  EXPECT_EQ(table.Log({"ScreenTintSetColour"}),
            (std::vector<std::string>{"ScreenTintSetColour(0.54902, 1, 0.54902, 0.898039)"}));
  EXPECT_EQ(table.Log({"AlarmsStart", "AlarmsStop"}), (std::vector<std::string>{"AlarmsStart()", "AlarmsStop()"}));
  EXPECT_EQ(world.overwrites, 0);
  // A second briefing end in play does nothing.
  table.ClearCalls();
  world.Raise(MEV_BRIEFING_DONE);
  world.Raise(MEV_CUTSCENE_ENDED);
  EXPECT_TRUE(table.Calls().empty());
}

TEST_F(CutsceneTest, SkipDuringOpeningStageThreeRunsTheLastStageAtOnce) {
  world.Frames(1);
  world.AdvanceReal(70000);
  world.Raise(MEV_BRIEFING_DONE);
  world.AdvanceReal(20000);  // stage 3 began at 19898
  ASSERT_EQ(shots.back().first, 27);
  const std::size_t speeches = table.Count("MusicPlay");
  world.cutsceneSkip = 1;
  world.Frames(1);
  world.cutsceneSkip = 0;
  world.AdvanceReal(99);
  EXPECT_FALSE(InPlay());
  world.AdvanceReal(1);
  EXPECT_TRUE(InPlay()) << "the finish 100 ms after the skip";
  world.AdvanceReal(60000);
  world.Frames(10);
  EXPECT_EQ(shots.back().first, 27) << "no later opening shot";
  EXPECT_EQ(table.Count("MusicPlay"), speeches) << "no later speech";
  EXPECT_EQ(table.Log({"TimeOfDaySet"}).at(1), "TimeOfDaySet(14)");
}

TEST_F(CutsceneTest, SkipDuringTheIntroGoesToTheBriefing) {
  world.Frames(1);
  world.AdvanceReal(5000);  // stage 2
  world.cutsceneSkip = 1;
  world.Frames(40);  // held: the last stage runs once
  world.AdvanceReal(508);
  EXPECT_EQ(world.briefingsShown, 0);
  world.AdvanceReal(1);
  EXPECT_EQ(world.briefingsShown, 1);
  world.Frames(40);  // still held during the briefing
  world.AdvanceReal(100000);
  EXPECT_EQ(world.briefingsShown, 1);
  EXPECT_EQ(table.Count("LightDisable"), 2u + 2u + 7u) << "stage 1, stage 2, then stage 6 once";
  EXPECT_EQ(table.Count("UnitDismount"), 0u) << "the firefight never starts";
  for (const auto& shot : shots) EXPECT_NE(shot.first, 35);
  EXPECT_EQ(world.overwrites, 0);
}

// A skip just after the firefight posted its 194 calls: the queue never
// overflows (the skip clears it before the last stage posts), and the
// intro ends.
TEST_F(CutsceneTest, SkipAtTheStartOfTheFirefightLosesNoCall) {
  world.Frames(1);
  world.AdvanceReal(11000);  // stage 3 posted at 3500 + 7500
  ASSERT_EQ(world.timers.size(), 194u);
  world.cutsceneSkip = 1;
  world.Frames(1);
  world.cutsceneSkip = 0;
  EXPECT_EQ(world.overwrites, 0);
  EXPECT_EQ(world.timers.size(), 10u) << "stage 6's calls alone";
  world.AdvanceReal(509);
  EXPECT_EQ(world.briefingsShown, 1);
}

// Version 5 and later route with the usable flag, 6 and later play the
// pair's loop word; older versions route to the waypoint alone and loop.
TEST_F(CutsceneTest, CallbacksFollowTheMovieVersion) {
  struct Case {
    int version;
    std::size_t usable;
    std::vector<std::string> loops;
  };
  const Case cases[] = {{9, 1, {"1", "1", "0"}}, {5, 1, {"1", "1", "1"}}, {4, 0, {"1", "1", "1"}}};
  for (const Case& c : cases) {
    ASSERT_NE(SetUpMission(), nullptr);
    world.movieVersion = c.version;
    world.realTime = 0;
    world.briefingsShown = 0;
    table.ClearCalls();
    world.Frames(1);
    world.AdvanceReal(11000);  // stage 2's route of unit 115 at 3500 + 6902
    EXPECT_EQ(table.Count("VehicleSetUsable"), c.usable) << c.version;
    const auto routes = table.CallsOf("UnitGoToWaypoint");
    ASSERT_FALSE(routes.empty());
    EXPECT_EQ(routes[0]->ToString(), "UnitGoToWaypoint(115, 49)");
    world.AdvanceReal(60000);  // stage 5's three animation modes
    const auto modes = table.CallsOf("GruntPlayScriptedAnimMode");
    ASSERT_EQ(modes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(modes[i]->Int(0), 127);
      EXPECT_NE(modes[i]->Pointer(1), nullptr) << "an animation of the set-up";
      EXPECT_EQ(std::to_string(modes[i]->Int(2)), c.loops[i]) << c.version;
    }
    world.AdvanceReal(10000);
    EXPECT_EQ(world.briefingsShown, 1);
  }
}

}  // namespace
}  // namespace mission1_test
