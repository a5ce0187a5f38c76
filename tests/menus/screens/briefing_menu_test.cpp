// The briefing: leaving it (Enter, back, the u switch) starts play and
// raises the briefing-done event once, unless the screen lock refuses the
// switch; the world pauses while it is up; the title, subtitle and the
// paragraphs in pages, read back as pixels; the page arrows' click boxes.
#include "menus/screens/briefing_menu.h"

#include "control/players/local_player_table.h"
#include "foundation/system/command_switches.h"
#include "menus/screens/objective_screens_fixture.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/event_injection.h"
#include "render/2d/font.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "world/effects/explosions.h"

namespace {

class BriefingTest : public ObjectiveScreensTest {
 protected:
  void SetUp() override {
    ObjectiveScreensTest::SetUp();
    ASSERT_TRUE(briefing_.Create());
    SetScreenObject(20, &briefing_);
    g_BriefingSeen = 0;
  }
  void TearDown() override {
    ClearCommandSwitch('u');
    SetGamePaused(0, 0);
    ObjectiveScreensTest::TearDown();
    briefing_.Destroy();
  }
  // The briefing up, its zoom over.
  void Enter() {
    SetScreen(20);
    ResetScreenTransitions();
    Frame();
  }
  void Paragraphs(std::initializer_list<std::uint32_t> ids) {
    mission_->SetText(static_cast<std::int32_t>(kTitle), 0);
    mission_->SetText(static_cast<std::int32_t>(kSubtitle), 1);
    for (std::uint32_t id : ids) mission_->SetText(static_cast<std::int32_t>(id), 3);
  }
  void DrawBriefing() {
    BeginFrame();
    briefing_.Draw();
    EndFrame();
  }
  // The white text in a part of the text area (the area itself is filled by
  // its frame).
  PixelBox Text(int top, int bottom = 438) const { return BoundsOf(0xFFFFFFFF, 40, {462, top, 688, bottom}); }
  PixelBox TextInk() const { return Text(162); }
  CBriefingMenu briefing_;
};

TEST_F(BriefingTest, LeavingStartsPlayAndTellsThePluginOnceUnlessTheLockRefuses) {
  struct Case {
    const char* how;
    bool bound, locked;
    int screen;
    std::size_t events;
  } cases[] = {
      {"Return", true, false, 14, 1},  {"Escape", true, false, 14, 1}, {"u", true, false, 14, 1},
      {"Return", false, false, 14, 0}, {"Return", true, true, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.how << " bound " << c.bound << " locked " << c.locked);
    RaisedEvents().clear();
    BindPlugin(c.bound);
    Enter();
    EXPECT_TRUE(IsGamePaused()) << "the world stops under the briefing";
    if (c.locked) SetScreenLock(1);
    if (std::string(c.how) == "u") {
      SetCommandSwitch('u');
      Frame();
      ClearCommandSwitch('u');
    } else if (c.locked) {
      // The manager runs no screen while locked: the briefing's own update
      // sees the key, and the lock refuses its switch.
      ASSERT_TRUE(Win32InjectKey(s_Window, c.how, true));
      BeginFrame();
      g_LocalPlayers.UpdateAll();
      briefing_.Update();
      EndFrame();
      ASSERT_TRUE(Win32InjectKey(s_Window, c.how, false));
    } else {
      Press(c.how, 1);
    }
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_EQ(ScreenId, c.screen);
    ASSERT_EQ(RaisedEvents().size(), c.events);
    if (c.events == 1) {
      EXPECT_EQ(RaisedEvents()[0].first, 59u);
      EXPECT_EQ(RaisedEvents()[0].second, 0) << "no parameter block";
      EXPECT_FALSE(IsGamePaused());
      EXPECT_EQ(g_BriefingSeen, 1u);
    }
    SetScreenLock(0);
    g_BriefingSeen = 0;
    SetGamePaused(0, 0);
    ScreenId = 0;
  }
}

TEST_F(BriefingTest, TitleSubtitleAndShortParagraphsStandInTheTextAreaOnOnePage) {
  Paragraphs({kShortA, kShortB});
  Enter();
  DrawBriefing();
  const PixelBox ink = TextInk();
  ASSERT_FALSE(ink.Empty());
  // The title centred between the text edges.
  const int titleWidth = g_LargeFont->GetStringWidth(CMenu::TextOf(kTitle));
  const PixelBox title = Text(160, 160 + g_LargeFont->GetBaselineOffset() + 20);
  EXPECT_NEAR((title.x1 + title.x2) / 2, (460 + 690) / 2, 3) << title;
  EXPECT_NEAR(title.Width(), titleWidth, 4);
  // The paragraphs start below the subtitle, left-aligned.
  EXPECT_GT(briefing_.ParagraphTop, title.y2);
  const PixelBox paragraphs = Text(briefing_.ParagraphTop);
  EXPECT_NEAR(paragraphs.x1, 460, 2);
  EXPECT_FALSE(briefing_.NextTextPage()) << "everything fits one page";
  EXPECT_EQ(ObjectiveTextPage, 0);
  EXPECT_EQ(briefing_.NextArrowBox.right, 0.0f);
  EXPECT_EQ(briefing_.PreviousArrowBox.right, 0.0f);
}

TEST_F(BriefingTest, AnEmptyParagraphAddsOnlyTheParagraphGap) {
  auto secondParagraphTop = [&](std::initializer_list<std::uint32_t> ids) {
    mission_ = std::make_unique<CMission>();
    g_Mission = mission_.get();
    Paragraphs(ids);
    Enter();
    DrawBriefing();
    // The first paragraph is one line; the second is the next run of ink
    // rows below it.
    int y = Text(briefing_.ParagraphTop).y1;
    while (y < 438 && !Text(y, y).Empty()) ++y;
    while (y < 438 && Text(y, y).Empty()) ++y;
    return y;
  };
  const int without = secondParagraphTop({kShortA, kShortB});
  const int with = secondParagraphTop({kShortA, kEmpty, kShortB});
  EXPECT_EQ(with - without, CObjectiveViewScreen::ParagraphGap());
}

TEST_F(BriefingTest, ALongParagraphContinuesOnTheNextPageAndTheArrowsTurnThePages) {
  Paragraphs({kShortA, kLong, kShortB});
  Enter();
  DrawBriefing();
  const std::vector<std::uint32_t> first = pixels_;
  const PixelBox firstParagraphs = Text(briefing_.ParagraphTop);
  ASSERT_GT(briefing_.NextArrowBox.right, briefing_.NextArrowBox.left) << "more text follows";
  EXPECT_EQ(briefing_.PreviousArrowBox.right, 0.0f);
  // A click where the previous arrow would stand does nothing on page 0.
  const int q = static_cast<int>((690 - 460) * 0.25f);
  MouseTo(460 + q, 440);
  MouseButton(true);
  Frame();
  MouseButton(false);
  EXPECT_EQ(ObjectiveTextPage, 0);
  // A click on the next arrow turns the page.
  MouseTo(460 + 3 * q, 440);
  MouseButton(true);
  Frame();
  MouseButton(false);
  ASSERT_EQ(ObjectiveTextPage, 1);
  DrawBriefing();
  const PixelBox secondParagraphs = Text(briefing_.ParagraphTop);
  ASSERT_FALSE(secondParagraphs.Empty());
  EXPECT_NE(first, pixels_) << "page 1 shows other text";
  // The rest of the long paragraph starts at the top of the page.
  EXPECT_NEAR(secondParagraphs.y1, firstParagraphs.y1, 4);
  EXPECT_GT(briefing_.PreviousArrowBox.right, briefing_.PreviousArrowBox.left);
  // On to the last page; there the next page is refused.
  int turns = 0;
  while (briefing_.NextTextPage() && turns < 20) ++turns;
  EXPECT_LT(turns, 20);
  const int last = ObjectiveTextPage;
  EXPECT_FALSE(briefing_.DrawTextPages(460, briefing_.ParagraphTop, 690, 440, last, false));
  EXPECT_TRUE(briefing_.DrawTextPages(460, briefing_.ParagraphTop, 690, 440, last - 1, false));
  // Back by the previous arrow.
  DrawBriefing();
  MouseTo(460 + q, 440);
  MouseButton(true);
  Frame();
  MouseButton(false);
  EXPECT_EQ(ObjectiveTextPage, last - 1);
}

TEST_F(BriefingTest, ARectangleTooSmallForOneLineEndsThePagingInsteadOfLoopingOnIt) {
  Paragraphs({kLong});
  Enter();
  // Three pixels high: no line ever fits.  Page 0 fills with the paragraph
  // still to come, but no later page takes any of it, so no later page has
  // more: the paging stops after one turn.
  EXPECT_TRUE(briefing_.DrawTextPages(460, 200, 690, 203, 0, false));
  for (int page = 1; page < 6; ++page) EXPECT_FALSE(briefing_.DrawTextPages(460, 200, 690, 203, page, false));
}

}  // namespace
