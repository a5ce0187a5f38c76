// The end of a mission through the real screens and the game's mission
// record, driven by injected keys and checked by each screen's pixels:
// pause and back to play; the record's result 1 brings the failed screen,
// whose retry restarts the running level; result 2 brings the success
// screen, the award step, the review with its statistics pages, back on to
// the success screen 19, whose continue starts the record's next level.
#include <memory>

#include "menus/screens/mission_record_fixture.h"
#include "menus/screens/mission_menu.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/widgets/screen_menu.h"
#include "shell/program/shell_state.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/engine.h"

namespace {

class MissionEndFlow : public ScreenWalkTest {
 protected:
  void SetUp() override {
    frameMs_ = 40;
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    ASSERT_EQ(CreateScreens(), 1);
    PopulateGameScreens();
    ResetScreenTransitions();
    ScreenId = PreviousScreenId = 14;
    LevelName[0] = '\0';
    mission_ = std::make_unique<TestMissionRecord>("Mission1.dll", "FrontEnd.dll");
    g_EffectsHooks.GameClock = g_GameClock;
    g_EffectsHooks.RealClock = g_RealClock;
    SetGamePaused(0, 0);
  }
  void TearDown() override {
    g_EffectsHooks.GameClock = g_EffectsHooks.RealClock = nullptr;
    SetGamePaused(0, 0);
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    mission_.reset();
    ScreenWalkTest::TearDown();
  }
  // A menu screen as drawn: its panel, its title in white above its first
  // row, `rows` rows with the first one selected (white) over its bar.
  void ExpectMenuScreen(int id, int rows) {
    SCOPED_TRACE(id);
    ASSERT_EQ(ScreenId, id);
    ASSERT_NE(ScreenFromId(id), nullptr);
    EXPECT_EQ(ScreenFromId(id)->Menu->Count, rows);
    const PixelBox first = Row(0);
    ASSERT_FALSE(first.Empty());
    EXPECT_GT(Count(Whitish, first), 20) << "the selected row";
    EXPECT_GT(Count(Whitish, {0, 0, s_Width - 1, first.y1 - 1}), 20) << "the title above the rows";
    const PixelBox panel = InkBounds({0, 0, s_Width - 1, 530});
    EXPECT_LE(panel.x1, first.x1);
    EXPECT_GE(panel.x2, first.x2);
  }
  // Frames until the record's end test has switched and the switch is over.
  void RunEndTest() {
    g_Mission->EndTest();
    Settle();
  }
  std::unique_ptr<TestMissionRecord> mission_;
};

TEST_F(MissionEndFlow, PauseThenTheLostMissionIsRetriedThenTheWonOneGoesThroughTheReviewToTheNextLevel) {
  // Paused from play, the pause screen with its two rows; back to play.
  Go(15);
  ExpectMenuScreen(15, 2);
  EXPECT_TRUE(IsGamePaused());
  Go(14);
  EXPECT_FALSE(IsGamePaused());

  // The mission is lost: the failed screen; retry restarts the level.
  g_Mission->SetResult(MISSION_FAILED);
  RunEndTest();
  ExpectMenuScreen(17, 2);
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "Mission1.dll");
  EXPECT_EQ(g_Mission->Retry, 1u);
  EXPECT_EQ(g_Mission->MissionResult, MISSION_RUNNING) << "the record is reset for the new start";

  // The level runs again and is won.
  LevelName[0] = '\0';
  ASSERT_TRUE(g_Mission->SetLevelName("Mission1.dll"));
  ASSERT_TRUE(g_Mission->SetNextLevel("FrontEnd.dll"));
  Go(14);
  g_Mission->SetResult(MISSION_SUCCEEDED);
  RunEndTest();
  ExpectMenuScreen(18, 1);
  // Continue: the award step (which hands over at once) and the review.
  EXPECT_EQ(Press("Return"), 0);
  Settle();
  ASSERT_EQ(ScreenId, 16);
  auto* review = static_cast<CMissionMenu*>(ScreenFromId(16));
  ASSERT_NE(review, nullptr);
  // The statistics' main panel stands left of the centre, its top below the name bar.
  const PixelBox stats = InkBounds({0, 90, s_Width / 2 + 200, 530});
  EXPECT_FALSE(stats.Empty());
  EXPECT_LT(stats.x1, 80);
  // Down turns to the table; back goes on to the success screen 19.
  Press("Down");
  EXPECT_EQ(review->Statistics().Page(), 1);
  EXPECT_EQ(Press("Escape"), 0);
  Settle();
  ExpectMenuScreen(19, 2);
  // Its first row continues to the record's next level.
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(ScreenId, 14);
}

}  // namespace
