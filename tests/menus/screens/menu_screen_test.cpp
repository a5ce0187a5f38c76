// The screen base: PlaceMenu puts the panel and the menu where the layout
// rules say, for vertical and horizontal menus, at 800 x 600 and 1024 x 768
// (the panel frame's bounding box read back); the standard item looks show
// the selection, the slider's value and a choice's arrows.
#include <cmath>

#include "menus/menu_frame_fixture.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/standard_items.h"
#include "menus/screens/test_screen_fixture.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

// The panel frame's expected bounding box: the panel grown by 40 and 30.
PixelBox FrameBox(float left, float top, float right, float bottom) {
  return {static_cast<int>(std::floor(left - 40)), static_cast<int>(std::floor(top - 30)),
          static_cast<int>(std::ceil(right + 40)) - 1, static_cast<int>(std::ceil(bottom + 30)) - 1};
}

class PlaceMenuTest : public MenuFrameTest {
 protected:
  // Draws only the panel frame of a placed screen; answers its bounding box.
  PixelBox DrawnFrame(CTestScreen& screen) {
    BeginFrame();
    screen.DrawPanelFrame(10, 0);
    EndFrame();
    return InkBounds();
  }
  // Checks the vertical and horizontal layouts on this suite's screen.
  void CheckLayouts() {
    const float w = static_cast<float>(s_Width), h = static_cast<float>(s_Height);
    const float titleH = static_cast<float>(g_LargeFont->GetLineHeight()) + 10.0f;
    const int itemH = GetMenuItemHeight();
    ASSERT_EQ(itemH, 32);  // twice frame cell 12
    {
      CTestScreen screen(1);
      ASSERT_TRUE(screen.Create());
      screen.Populate();
      // Vertical: 4 rows of pitch 39, the title above, margin 40 on a height less 100.
      const float blockH = 4 * 39 + titleH - 7, blockW = 620;
      const float left = (w - blockW) / 2, top = (h - 100 - blockH) / 2 + 40;
      EXPECT_FLOAT_EQ(screen.PanelLeft, left);
      EXPECT_FLOAT_EQ(screen.PanelTop, top);
      EXPECT_FLOAT_EQ(screen.PanelBottom, top + blockH);
      EXPECT_EQ(screen.Menu->X, static_cast<int>(left));
      EXPECT_EQ(screen.Menu->Y, static_cast<int>(top + titleH));
      EXPECT_EQ(screen.Menu->Width, 620);
      EXPECT_EQ(screen.Menu->Height, 4 * 39);
      const PixelBox frame = DrawnFrame(screen);
      const PixelBox expected = FrameBox(left, top, left + blockW, top + blockH);
      EXPECT_EQ(frame.x1, expected.x1) << frame;
      EXPECT_EQ(frame.y1, expected.y1) << frame;
      EXPECT_EQ(frame.x2, expected.x2) << frame;
      EXPECT_EQ(frame.y2, expected.y2) << frame;
      // The large margin starts the block at 216 instead of 40.
      screen.largeMargin = 1;
      screen.Populate();
      EXPECT_FLOAT_EQ(screen.PanelTop, (h - 216 - 60 - blockH) / 2 + 216);
      // Without a title the menu starts at the panel top.
      screen.title = kMenuNoText;
      screen.largeMargin = 0;
      screen.Populate();
      EXPECT_EQ(screen.Menu->Y, static_cast<int>(screen.PanelTop));
    }
    {
      CTestScreen screen(0);
      ASSERT_TRUE(screen.Create());
      screen.Populate();
      // Horizontal: 4 items of 155 at pitch 162, the title as wide as the row.
      const float blockW = 4 * 162 - 7, blockH = itemH + titleH;
      const float left = (w - blockW) / 2, top = (h - 100 - blockH) / 2 + 40;
      EXPECT_FLOAT_EQ(screen.PanelLeft, left);
      EXPECT_FLOAT_EQ(screen.PanelRight, left + blockW);
      EXPECT_FLOAT_EQ(screen.PanelTop, top);
      EXPECT_EQ(screen.Menu->Width, 4 * 162);
      EXPECT_EQ(screen.Menu->Height, itemH);
      const PixelBox frame = DrawnFrame(screen);
      const PixelBox expected = FrameBox(left, top, left + blockW, top + blockH);
      EXPECT_EQ(frame.x1, expected.x1) << frame;
      EXPECT_EQ(frame.x2, expected.x2) << frame;
      EXPECT_EQ(frame.y1, expected.y1) << frame;
      EXPECT_EQ(frame.y2, expected.y2) << frame;
    }
  }
};

TEST_F(PlaceMenuTest, PanelAndMenuAt800By600) { CheckLayouts(); }

class PlaceMenuAt1024 : public PlaceMenuTest {
 protected:
  static void SetUpTestSuite() { StartSuite(1024, 768); }
};

TEST_F(PlaceMenuAt1024, PanelAndMenuAt1024By768) { CheckLayouts(); }

// The standard looks through a placed test screen.
class StandardItems : public MenuFrameTest {
 protected:
  void SetUp() override {
    MenuFrameTest::SetUp();
    MouseTo(799, 599);
    ASSERT_TRUE(screen_.Create());
    screen_.Populate();
  }
  // The drawn row of item i.
  PixelBox Row(int i) const {
    const CMenu* m = screen_.Menu;
    return {m->X, m->Y + i * m->PitchY, m->X + m->ItemWidth - 1, m->Y + i * m->PitchY + m->ItemHeight - 1};
  }
  void Frame() {
    BeginFrame();
    screen_.Update();
    screen_.Draw();
    EndFrame();
  }
  CTestScreen screen_;
};

TEST_F(StandardItems, TheSelectedRowHasTheHighlightBarAndTheSliderShowsItsValue) {
  Frame();
  const std::uint32_t highlight = CellColour("8060.img", 15), background = CellColour("8060.img", 14);
  EXPECT_GT(CountOf(highlight, 2, Row(0)), 100);
  for (int i : {1, 2, 3}) {
    EXPECT_EQ(CountOf(highlight, 2, Row(i)), 0) << i;
    EXPECT_GT(CountOf(background, 2, Row(i)), 100) << i;
  }
  // Each button's white text is centred in its row.
  const int textW = g_MainFont->GetStringWidth(CMenu::TextOf(kTextHintBack));
  const PixelBox ink = Bounds([](std::uint32_t c) { return ((c >> 16) & 0xFF) > 150 && ((c >> 8) & 0xFF) > 150; }, Row(1));
  ASSERT_FALSE(ink.Empty());
  EXPECT_NEAR((ink.x1 + ink.x2) / 2, (Row(1).x1 + Row(1).x2) / 2, 2);
  EXPECT_NEAR(ink.Width(), textW, 3);
  // The slider at 5 of 10: the bright yellow part as wide as the dim part.
  const PixelBox bright = BoundsOf(0xFFFFFF00, 2, Row(3));
  const std::uint32_t dimYellow = Blend(0xFFFFFF00, 63, background);
  const PixelBox dim = BoundsOf(dimYellow, 6, Row(3));
  ASSERT_FALSE(bright.Empty());
  ASSERT_FALSE(dim.Empty());
  EXPECT_NEAR(bright.Width(), dim.Width(), 2);
  EXPECT_EQ(bright.x2 + 1, dim.x1);
  // At 0 only the dim part, at 10 only the bright part.
  screen_.slider->SliderValue = 0;
  Frame();
  EXPECT_EQ(CountOf(0xFFFFFF00, 2, Row(3)), 0);
  screen_.slider->SliderValue = 10;
  Frame();
  EXPECT_NEAR(BoundsOf(0xFFFFFF00, 2, Row(3)).Width(), bright.Width() + dim.Width(), 2);
}

TEST_F(StandardItems, AChoiceShowsBothArrowsDimUnlessSelected) {
  auto* choice = new CMenuChoiceItem;
  CScreenMenu* menu = screen_.Menu;
  CMenuItem* button = menu->Items[1];
  menu->Items[1] = choice;  // in place of the second button
  delete button;
  choice->Set(102, kMenuNoText, 0, 0, 0, ChoiceItemCallback, nullptr);
  choice->SetChoices(kTextHintSelect, kTextHintBack, kTextPaused);
  BeginFrame();
  screen_.Draw();
  EndFrame();
  const std::uint32_t arrow = 0xFFF0F0F0;
  const PixelBox row = Row(1);
  // Not selected: both arrows at alpha 127 (dim), none bright.
  EXPECT_EQ(CountOf(arrow, 6, row), 0);
  const std::uint32_t dimArrow = Blend(arrow, 127, CellColour("8060.img", 14));
  const int dimLeft = CountOf(dimArrow, 10, {row.x1, row.y1, row.x1 + 40, row.y2});
  const int dimRight = CountOf(dimArrow, 10, {row.x2 - 40, row.y1, row.x2, row.y2});
  EXPECT_GT(dimLeft, 10);
  EXPECT_GT(dimRight, 10);
  // Selected at its first text: the left arrow dim, the right one bright.
  menu->SelectIndex(1);
  BeginFrame();
  screen_.Draw();
  EndFrame();
  EXPECT_EQ(CountOf(arrow, 6, {row.x1, row.y1, row.x1 + 40, row.y2}), 0);
  EXPECT_GT(CountOf(arrow, 6, {row.x2 - 40, row.y1, row.x2, row.y2}), 10);
}

}  // namespace
