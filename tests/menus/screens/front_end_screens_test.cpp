// The front end's screens driven by injected keys through the screen
// manager, each checked by its pixels: the panel, the title above the rows,
// the selected row's text in the highlight colour, the disabled rows in
// their own colour; the walk front screen -> single player -> difficulty ->
// uniform ends in a level change to the campaign's first level; back steps
// return; the quit confirmation preselects "no" and its "yes" runs the
// splash.
#include <cstring>

#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "menus/screens/difficulty_menu.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/mission_record_fixture.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/screens/uniform_menu.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/screen_menu.h"
#include "shell/program/shell_state.h"
#include "world/sky/difficulty.h"

namespace {

class FrontEndScreens : public ScreenWalkTest {
 protected:
  void SetUp() override {
    frameMs_ = 40;
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    ASSERT_EQ(CreateScreens(), 1);
    PopulateFrontEndScreens();
    ResetScreenTransitions();
    ScreenId = PreviousScreenId = 0;
    LevelName[0] = '\0';
    mission_ = std::make_unique<TestMissionRecord>(nullptr, "Mission1.dll");
    g_Difficulty.SetLevel(1);
  }
  void TearDown() override {
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    ClearCommandSwitch('u');
    mission_.reset();
    ScreenWalkTest::TearDown();
  }
  std::unique_ptr<TestMissionRecord> mission_;
  // The disabled colour (0xA8A8A8 at 0.75) over the row's bar.
  static bool Greyish(std::uint32_t c) { return Near(c, 0x889098, 10); }
  // The panel's ink above the hint lines.
  PixelBox Panel() const { return InkBounds({0, 30, s_Width - 1, 540}); }
};

TEST_F(FrontEndScreens, TheCampaignIsReachedThroughFourScreensEachDrawnWithItsRows) {
  Go(1);
  ASSERT_EQ(ScreenId, 1);
  CScreenMenu* front = ScreenFromId(1)->Menu;
  ASSERT_EQ(front->Count, 4);
  EXPECT_EQ(front->SelectedId, 1021);
  // The selected row (single player) in the highlight colour, the disabled
  // multiplayer row grey, the other two in the row colour.
  EXPECT_GT(Count(Whitish, Row(0)), 20) << Row(0);
  EXPECT_EQ(Count(Yellowish, Row(0)), 0);
  EXPECT_GT(Count(Greyish, Row(1)), 20) << Row(1);
  EXPECT_GT(Count(Yellowish, Row(2)), 20);
  EXPECT_GT(Count(Yellowish, Row(3)), 20);
  const PixelBox frontPanel = Panel();
  ASSERT_FALSE(frontPanel.Empty());
  EXPECT_LE(frontPanel.y1, Row(0).y1);
  EXPECT_GE(frontPanel.y2, Row(3).y2);

  EXPECT_EQ(Press("Return"), 0);
  Settle();
  ASSERT_EQ(ScreenId, 2);
  // Single player: the campaign row is the only one enabled and selected;
  // the title's ink lies above the first row.
  CScreenMenu* single = ScreenFromId(2)->Menu;
  EXPECT_EQ(single->SelectedId, 2022);
  EXPECT_GT(Count(Whitish, Row(1)), 20);
  EXPECT_GT(Count(Greyish, Row(0)), 20);
  EXPECT_GT(Count(Greyish, Row(2)), 20);
  EXPECT_FALSE(InkBounds({Row(0).x1, 30, Row(0).x2, Row(0).y1 - 4}).Empty()) << "title";
  Press("Down");
  EXPECT_EQ(single->SelectedId, 2022) << "disabled rows are never selected";

  EXPECT_EQ(Press("Return"), 0);
  Settle();
  ASSERT_EQ(ScreenId, 5);
  EXPECT_STREQ(LevelName, "Mission1.dll");
  CScreenMenu* difficulty = ScreenFromId(5)->Menu;
  EXPECT_EQ(difficulty->SelectedId, 2052) << "the middle row";
  EXPECT_GT(Count(Whitish, Row(1)), 20);
  Press("Down");
  EXPECT_EQ(difficulty->SelectedId, 2053);
  EXPECT_EQ(Press("Return"), 0);
  Settle();
  ASSERT_EQ(ScreenId, 6);
  EXPECT_EQ(g_Difficulty.GetLevel(), 2u);

  // Uniform: right changes the choice and starts the cross-fade; accept
  // starts the level change.
  auto* uniform = static_cast<CUniformMenu*>(ScreenFromId(6));
  EXPECT_EQ(UniformChoice, 0u);
  Press("Right");
  EXPECT_EQ(UniformChoice, 1u);
  EXPECT_NE(uniform->FadeStart, 0u);
  EXPECT_EQ(uniform->ShownUniform, 0u) << "the old picture fades out first";
  for (int i = 0; i < 6; ++i) Frame();
  EXPECT_EQ(uniform->ShownUniform, 1u) << "the new picture after 250 ms";
  EXPECT_NE(uniform->FadeStart, 0u) << "and fading in";
  for (int i = 0; i < 8; ++i) Frame();
  EXPECT_EQ(uniform->FadeStart, 0u) << "both halves of the fade are over after 500 ms";
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "Mission1.dll");
}

TEST_F(FrontEndScreens, BackLeadsOneScreenUpFromEachScreen) {
  const struct {
    int from, to;
  } cases[] = {{6, 5}, {5, 2}, {62, 2}, {2, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    Go(c.from);
    ASSERT_EQ(ScreenId, c.from);
    Press("Escape");
    EXPECT_EQ(ScreenId, c.to);
  }
}

TEST_F(FrontEndScreens, EnteringTheDifficultyScreenKeepsTheRowsOfTheLastPopulate) {
  Go(5);
  Press("Down");
  EXPECT_EQ(ScreenFromId(5)->Menu->SelectedId, 2053);
  Go(2);
  Go(5);
  EXPECT_EQ(ScreenFromId(5)->Menu->SelectedId, 2053);
  PopulateFrontEndScreens();
  EXPECT_EQ(ScreenFromId(5)->Menu->SelectedId, 2052);
}

TEST_F(FrontEndScreens, EachTrainingRowNamesItsLevelAndStartsTheChange) {
  const char* levels[3] = {"Training1.dll", "Training2.dll", "Training3.dll"};
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    Go(62);
    for (int i = 0; i < row; ++i) Press("Down");
    EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
    EXPECT_STREQ(LevelName, levels[row]);
  }
}

TEST_F(FrontEndScreens, WithSwitchUTheScreensChainToTheFirstTrainingLevelWithoutInput) {
  Go(1);
  SetCommandSwitch('u');
  int result = 0;
  for (int i = 0; i < 5 && result == 0; ++i) result = Frame();
  EXPECT_EQ(result, SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_EQ(ScreenId, 62);
  EXPECT_STREQ(LevelName, "Training1.dll");
}

TEST_F(FrontEndScreens, TheQuitConfirmationPreselectsNoAndItsYesRunsTheSplash) {
  Go(1);
  Press("Down");  // the multiplayer row is skipped
  Press("Down");
  EXPECT_EQ(ScreenFromId(1)->Menu->SelectedId, 1024);
  Press("Return");
  Settle();
  ASSERT_EQ(ScreenId, 24);
  CScreenMenu* dialog = ScreenFromId(24)->Menu;
  EXPECT_EQ(dialog->SelectedId, 5302) << "no is preselected";
  // "No" and "yes" side by side, the title above them.
  const PixelBox yes = Row(0), no = Row(1);
  EXPECT_LT(yes.x2, no.x1);
  EXPECT_EQ(yes.y1, no.y1);
  EXPECT_GT(Count(Whitish, no), 10);
  EXPECT_GT(Count(Yellowish, yes), 10);
  EXPECT_FALSE(InkBounds({0, 30, s_Width - 1, yes.y1 - 4}).Empty()) << "title";
  // Accept at once takes "no": back to the front screen.
  Press("Return");
  Settle();
  EXPECT_EQ(ScreenId, 1);
  // Entering the front screen lays it out afresh: the first row again.
  EXPECT_EQ(ScreenFromId(1)->Menu->SelectedId, 1021);
  Press("Down");
  Press("Down");
  Press("Return");
  Settle();
  ASSERT_EQ(ScreenId, 24);
  Press("Left");
  EXPECT_EQ(dialog->SelectedId, 5301);
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_SPLASH);
}

}  // namespace
