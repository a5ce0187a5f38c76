// The in-game screens that stop the world: pause with its two rows, failed
// (retry restarts the running level), success on 18 and 19, and the seven
// confirmation variants with what each answer does; the overwrite
// confirmation saves through the saved games and stays when the save fails;
// the load failure returns to the load screen.  Driven by injected keys
// through the screen manager and checked by their pixels.
#include <cstring>

#include "foundation/system/command_switches.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/mission_record_fixture.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/widgets/screen_menu.h"
#include "shell/program/shell_state.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/engine.h"

namespace {

std::vector<std::string> g_saved;
bool g_saveAnswer = true;
bool RecordSave(const char* name, int) {
  g_saved.push_back(name);
  return g_saveAnswer;
}

class EndScreens : public ScreenWalkTest {
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
    g_saved.clear();
    g_saveAnswer = true;
    SetSavedGameFunctions(RecordSave, nullptr);
    g_EffectsHooks.GameClock = g_GameClock;
    g_EffectsHooks.RealClock = g_RealClock;
    SetGamePaused(0, 0);
  }
  void TearDown() override {
    SetSavedGameFunctions(nullptr, nullptr);
    g_EffectsHooks.GameClock = g_EffectsHooks.RealClock = nullptr;
    SetGamePaused(0, 0);
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    mission_.reset();
    ScreenWalkTest::TearDown();
  }
  std::unique_ptr<TestMissionRecord> mission_;
};

TEST_F(EndScreens, PauseShowsItsTwoRowsUnderItsTitleAndResumesOnlyForTheGame) {
  Go(15);
  ASSERT_EQ(ScreenId, 15);
  EXPECT_TRUE(IsGamePaused());
  CScreenMenu* menu = ScreenFromId(15)->Menu;
  ASSERT_EQ(menu->Count, 2);
  EXPECT_EQ(menu->SelectedId, 1043);
  EXPECT_GT(Count(Whitish, Row(0)), 20);
  EXPECT_GT(Count(Yellowish, Row(1)), 20);
  EXPECT_EQ(Count(Whitish, Row(1)), 0);
  EXPECT_FALSE(InkBounds({Row(0).x1, 30, Row(0).x2, Row(0).y1 - 4}).Empty()) << "title";
  // Leaving for the options keeps the world paused; leaving for the game resumes it.
  Press("Return");
  Settle();
  EXPECT_EQ(ScreenId, 4);
  EXPECT_TRUE(IsGamePaused());
  Go(15);
  Go(14);
  EXPECT_FALSE(IsGamePaused());
  // The second row asks whether to leave the mission.
  Go(15);
  Press("Down");
  Press("Return");
  EXPECT_EQ(ScreenId, 27);
}

TEST_F(EndScreens, RetryRestartsTheRunningLevelAndMarksTheRetry) {
  Go(17);
  ASSERT_EQ(ScreenId, 17);
  EXPECT_TRUE(IsGamePaused());
  ASSERT_EQ(ScreenFromId(17)->Menu->Count, 2);
  EXPECT_GT(Count(Whitish, Row(0)), 20);
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "Mission1.dll");
  EXPECT_EQ(g_Mission->Retry, 1u);
  // Its second row asks to quit.
  Go(17);
  Press("Down");
  Press("Return");
  EXPECT_EQ(ScreenId, 24);
}

TEST_F(EndScreens, TheSuccessScreenOffersContinueOn18AndQuitTooOn19) {
  Go(18);
  ASSERT_EQ(ScreenFromId(18)->Menu->Count, 1) << "no plug-in answers event 83";
  EXPECT_GT(Count(Whitish, Row(0)), 20);
  // Continue on 18 moves on to the awards (whose step is not built yet and
  // hands over to the review at once) without a level change.
  EXPECT_EQ(Press("Return"), 0);
  EXPECT_NE(ScreenId, 18);
  Go(19);
  ASSERT_EQ(ScreenFromId(19)->Menu->Count, 2);
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(ScreenId, 14);
  // The mission script's return to the front end wins on either id.
  ReturnToFrontEnd = 1;
  Go(18);
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(ScreenId, 1);
}

TEST_F(EndScreens, EachConfirmationVariantPreselectsNoAndAnswersAsItsIdSays) {
  const struct {
    int id;
    int result;  // the mission result word
    const char* key;  // Return alone takes "no"; Left then Return takes "yes"
    int screen;  // where the answer leads (-1: stays)
    int update;  // the update's result
  } cases[] = {
      {21, 0, "no", 10, 0}, {21, 0, "yes", 10, 0}, {22, 0, "no", 9, 0},  {22, 0, "yes", 9, 0},
      {23, 0, "no", 10, 0}, {23, 0, "yes", 15, 0}, {23, 2, "yes", 19, 0}, {25, 0, "no", 15, 0},
      {25, 1, "no", 17, 0}, {25, 2, "no", 18, 0}, {25, 0, "yes", -1, 3}, {26, 0, "no", 9, 0},
      {26, 0, "yes", 26, 0}, {27, 0, "no", 15, 0}, {27, 1, "no", 17, 0}, {27, 2, "no", 15, 0},
      {27, 0, "yes", -1, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.key + " result " + std::to_string(c.result));
    g_Mission->MissionResult = c.result;
    SetSelectedSaveName("Alpha.sav");
    g_saved.clear();
    const std::uint8_t savesBefore = g_Mission->SavesMade;
    Go(c.id);
    ASSERT_EQ(ScreenId, c.id);
    EXPECT_EQ(ScreenFromId(c.id)->Menu->SelectedId, 5302);
    int update = 0;
    if (std::strcmp(c.key, "yes") == 0) Press("Left");
    update = Press("Return");
    EXPECT_EQ(update, c.update);
    if (c.screen >= 0) {
      EXPECT_EQ(ScreenId, c.screen);
    }
    if (c.id == 23 && std::strcmp(c.key, "yes") == 0) {
      ASSERT_EQ(g_saved.size(), 1u);
      EXPECT_EQ(g_saved[0], "Alpha.sav");
      EXPECT_EQ(g_Mission->SavesMade, savesBefore + (c.result == 0 ? 1 : 0));
    } else {
      EXPECT_TRUE(g_saved.empty());
    }
  }
}

TEST_F(EndScreens, AnOverwriteThatCannotBeWrittenKeepsTheDialog) {
  g_saveAnswer = false;
  SetSelectedSaveName("Alpha.sav");
  Go(23);
  Press("Left");
  EXPECT_EQ(Press("Return"), 0);
  EXPECT_EQ(ScreenId, 23);
  EXPECT_EQ(g_Mission->SavesMade, 0);
  EXPECT_EQ(g_saved.size(), 1u);
}

TEST_F(EndScreens, TheLoadFailureShowsItsMessageInItsBoxAndBackReturnsToTheLoadScreen) {
  Go(60);
  ASSERT_EQ(ScreenId, 60);
  // The framed box at (200, 200), 420 wide, with the message's ink inside.
  const PixelBox box = InkBounds({0, 30, s_Width - 1, 540});
  ASSERT_FALSE(box.Empty());
  EXPECT_NEAR(box.x1, 200, 2);
  EXPECT_NEAR(box.y1, 200, 2);
  EXPECT_NEAR(box.x2, 200 + 420 - 1, 2);
  EXPECT_GT(Count(Whitish, {220, 200, 600, box.y2}), 40) << "the message";
  Press("Escape");
  EXPECT_EQ(ScreenId, 9);
}

}  // namespace
