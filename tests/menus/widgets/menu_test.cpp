// Menus driven frame by frame and drawn through the render device: layout,
// selection moves, value steps, accepts, the mouse, typed text and the look
// of text rows, read back as pixels.
#include <cstring>
#include <random>
#include <string>

#include "control/input/input.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/widgets/icon_menu.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/menu_index_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "menus/widgets/screen_menu.h"
#include "menus/widgets/text_menu.h"
#include "platform/win32/event_injection.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"

namespace {

// The five input checks, fired by the test.
struct Fired {
  bool accept = false, previous = false, next = false, decrease = false, increase = false;
} g_fired;
int Accept(std::uint32_t) { return g_fired.accept; }
int Previous(std::uint32_t) { return g_fired.previous; }
int Next(std::uint32_t) { return g_fired.next; }
int Decrease(std::uint32_t) { return g_fired.decrease; }
int Increase(std::uint32_t) { return g_fired.increase; }

constexpr std::uint32_t kItemText[3] = {kTextHintSelect, kTextHintBack, kTextSquadNames};
constexpr int kMenuX = 100, kMenuY = 80, kItemW = 300, kItemH = 30;

// A vertical text menu of three plain items (ids 1-3) and a slider (id 4,
// 0..10 at 5), at (100, 80), items 300 x 30 (pitch 37).
class TextMenuTest : public MenuFrameTest {
 protected:
  void SetUp() override {
    MenuFrameTest::SetUp();
    g_fired = {};
    // The pointer away from every menu.
    MouseTo(790, 590);
    Pump();
    sound_.SetPlayLog(true);
    g_SoundManager = &sound_;
    menu_ = std::make_unique<CTextMenu>(g_MainFont, g_InterfaceSprites, 1);
    ASSERT_TRUE(menu_->AllocateItems(4));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(menu_->AddItem(new CMenuItem));
    ASSERT_TRUE(menu_->AddItem(slider_ = new CMenuSliderItem));
    Populate(MENU_VERTICAL, 4);
  }
  void TearDown() override {
    menu_->FreeItems();
    g_SoundManager = nullptr;
    MenuFrameTest::TearDown();
  }
  void Populate(int orientation, int items) {
    menu_->Reset();
    menu_->SetLayout(orientation, 1);
    menu_->SetRect(kMenuX, kMenuY, kItemW, 4 * 37);
    menu_->SetState(MENU_STATE_ACTIVE);
    menu_->SetKeepActive(1);
    menu_->SetInputHandlers(Accept, Previous, Next, Decrease, Increase, 0, 0, 0, 0, 0);
    menu_->SetItemWidth(kItemW);
    menu_->SetItemHeight(kItemH);
    menu_->SoundBank = reinterpret_cast<const CSoundBank*>(&sound_);  // only compared, never read
    menu_->MoveSound = kMenuMoveSound;
    for (int i = 0; i < items && i < 3; ++i) {
      menu_->Items[i]->Set(static_cast<std::uint16_t>(i + 1), kItemText[i], 0, 0, 0, nullptr, nullptr);
      menu_->OnItemAdded(menu_->Items[i]);
    }
    if (items > 3) {
      slider_->Set(4, kMenuNoText, 0, 0, 0, nullptr, nullptr);
      slider_->SliderMax = 10;
      slider_->SliderValue = 5;
      menu_->OnItemAdded(slider_);
    }
    menu_->SetArrowBoxes({}, {4, 4, 20, 20});
    menu_->SelectFirstEnabled();
  }
  // One frame: the menu's process, then its drawing.
  std::uint16_t Frame(unsigned ms = 20) {
    BeginFrame(ms);
    const std::uint16_t id = menu_->Process();
    menu_->Draw();
    EndFrame();
    g_fired = {};
    return id;
  }
  int MoveSounds() const {
    int n = 0;
    for (const SoundPlayRecord& r : sound_.PlayLog()) n += r.event == kMenuMoveSound ? 1 : 0;
    return n;
  }
  static PixelBox Row(int r) { return {kMenuX, kMenuY + r * 37, kMenuX + kItemW - 1, kMenuY + r * 37 + kItemH - 1}; }

  CSoundManager sound_;
  std::unique_ptr<CTextMenu> menu_;
  CMenuSliderItem* slider_ = nullptr;
};

TEST_F(TextMenuTest, LayoutFollowsThePitchAndTheRectangle) {
  // Pitch = item size + 7 at scale 1; rows from the rectangle.
  EXPECT_EQ(menu_->PitchY, 37);
  EXPECT_EQ(menu_->VisibleRows, (37 / 2 + 4 * 37) / 37);
  struct Case {
    int height, pitchItem;
    bool byRect;
    int rows;
  } cases[] = {{100, 23, true, 3}, {100, 23, false, 3}, {110, 23, true, 3}, {120, 23, false, 4}, {29, 23, true, 0}};
  for (const Case& c : cases) {
    CTextMenu m(g_MainFont, g_InterfaceSprites, 0);
    m.SetLayout(MENU_VERTICAL, 0);
    if (c.byRect) {
      m.SetItemHeight(c.pitchItem);
      m.SetRect(0, 0, 50, c.height);  // truncated: height / pitch
    } else {
      m.SetRect(0, 0, 50, c.height);
      m.SetItemHeight(c.pitchItem);  // rounded: (pitch / 2 + height) / pitch
    }
    EXPECT_EQ(m.PitchY, 30);
    EXPECT_EQ(m.VisibleRows, c.rows) << c.height << " " << c.byRect;
  }
  // Icon menus size items to 50 x 50 of the sheet's scale.
  g_InterfaceSprites->SetScalePercent(80, 50, 1);
  CIconMenu icons(g_MainFont, g_InterfaceSprites, 0);
  icons.SetLayout(MENU_HORIZONTAL, 0);
  icons.SetRect(0, 0, 400, 60);
  CMenuItem item;
  icons.Capacity = 1;  // counted without an array: the layout only
  icons.OnItemAdded(&item);
  EXPECT_EQ(icons.ItemWidth, static_cast<int>(50.0f * g_InterfaceSprites->XScale));  // 39.99... -> 39
  EXPECT_EQ(icons.ItemHeight, 25);
  EXPECT_EQ(icons.PitchX, static_cast<int>(g_InterfaceSprites->XScale * 7 + icons.ItemWidth));
  g_InterfaceSprites->SetScalePercent(100, 100, 1);
}

TEST_F(TextMenuTest, AddItemRefusesItemsBeyondTheAllocation) {
  CMenuItem* extra = new CMenuItem;
  EXPECT_FALSE(menu_->AddItem(extra));
  EXPECT_EQ(menu_->Capacity, 4);
  delete extra;
  CTextMenu none(g_MainFont, g_InterfaceSprites, 0);
  CMenuItem item;
  EXPECT_FALSE(none.AddItem(&item));
  EXPECT_FALSE(none.AllocateItems(0));
}

TEST_F(TextMenuTest, SelectionMovesWithAndWithoutWrap) {
  struct Case {
    int wrap, from, disabled;  // disabled: a bit per index
    bool next;
    int to, firstVisibleAfter;
  } cases[] = {
      {1, 0, 0, false, 3, 0},   // wrap to the end (all rows shown: the first row stays)
      {0, 0, 0, false, 0, 0},   // no wrap: nothing at index 0
      {0, 3, 0, true, 3, 0},    // nor at the last
      {1, 3, 0, true, 0, 0},    // wrap to the start
      {1, 0, 0x2, true, 2, 0},  // disabled items are skipped
      {1, 1, 0xF, true, 1, 0},  // all disabled: the selection stays
      {0, 2, 0x3, false, 2, 0}, // no enabled item before and no wrap
  };
  for (const Case& c : cases) {
    menu_->Wrap = c.wrap;
    for (int i = 0; i < 4; ++i) menu_->Items[i]->Flags = (c.disabled >> i) & 1 ? MENU_ITEM_DISABLED : 0;
    menu_->Selection = static_cast<std::int16_t>(c.from);
    menu_->FirstVisible = 0;
    if (c.next)
      menu_->SelectNext();
    else
      menu_->SelectPrevious();
    EXPECT_EQ(menu_->Selection, c.to) << c.wrap << " " << c.from << " " << c.disabled;
    EXPECT_EQ(menu_->FirstVisible, c.firstVisibleAfter);
  }
  // Two rows shown: the first visible row follows the selection, circularly.
  for (int i = 0; i < 4; ++i) menu_->Items[i]->Flags = 0;
  menu_->Wrap = 1;
  menu_->VisibleRows = 2;
  menu_->Selection = 1;
  menu_->FirstVisible = 0;
  menu_->SelectNext();
  EXPECT_EQ(menu_->FirstVisible, 1);
  menu_->SelectNext();
  EXPECT_EQ(menu_->FirstVisible, 2);
  menu_->SelectNext();  // 3 -> 0: the rows move on one, past the end back to 0
  EXPECT_EQ(menu_->Selection, 0);
  EXPECT_EQ(menu_->FirstVisible, 3);
  menu_->SelectPrevious();  // 0 -> 3, inside the rows 3, 0
  EXPECT_EQ(menu_->FirstVisible, 3);
  // Every item disabled: SelectFirstEnabled changes nothing.
  for (int i = 0; i < 4; ++i) menu_->Items[i]->Flags = MENU_ITEM_DISABLED;
  menu_->Selection = 2;
  menu_->SelectFirstEnabled();
  EXPECT_EQ(menu_->Selection, 2);
}

TEST_F(TextMenuTest, AcceptsStepsAndTheirSounds) {
  // A move plays the move sound; accepting answers the id and keeps the menu
  // active (keep-active 1).
  g_fired.next = true;
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(menu_->SelectedId, 2);
  EXPECT_EQ(MoveSounds(), 1);
  g_fired.accept = true;
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(menu_->State, MENU_STATE_ACTIVE);
  EXPECT_EQ(MoveSounds(), 2);
  // Keep-active 0: an accept leaves the menu inactive, which then answers nothing.
  menu_->SetKeepActive(0);
  g_fired.accept = true;
  EXPECT_EQ(Frame(), 2);
  EXPECT_EQ(menu_->State, MENU_STATE_INACTIVE);
  g_fired.accept = true;
  EXPECT_EQ(Frame(), 0);
  // The slider steps on the checks and answers its id even at its end, with
  // a sound only when the value changed.
  menu_->SetState(MENU_STATE_ACTIVE);
  menu_->SelectIndex(3);
  slider_->SliderValue = 10;
  const int sounds = MoveSounds();
  g_fired.increase = true;
  EXPECT_EQ(Frame(), 4);
  EXPECT_EQ(slider_->SliderValue, 10);
  EXPECT_EQ(MoveSounds(), sounds);
  g_fired.decrease = true;
  EXPECT_EQ(Frame(), 4);
  EXPECT_EQ(slider_->SliderValue, 9);
  EXPECT_EQ(MoveSounds(), sounds + 1);
  // A disabled selection answers 0 and is never accepted.
  slider_->Flags = MENU_ITEM_DISABLED;
  g_fired.accept = g_fired.decrease = true;
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(slider_->SliderValue, 9);
  // Without items an active menu answers 0xFFFF; without an accept check it
  // answers the id whenever the selection moved.
  slider_->Flags = 0;
  menu_->SetInputHandlers(nullptr, Previous, Next, nullptr, nullptr, 0, 0, 0, 0, 0);
  g_fired.previous = true;
  EXPECT_EQ(Frame(), 3);
  EXPECT_EQ(Frame(), 0);
  menu_->Clear();
  EXPECT_EQ(Frame(), kMenuEmpty);
}

TEST(MenuItems, ChoiceIndexAndSliderSteps) {
  CMenuChoiceItem choice;
  choice.Id = 9;
  choice.SetChoices(10, 11, 12, kMenuNoText, 14);
  EXPECT_EQ(choice.Count, 4);
  EXPECT_EQ(choice.Texts[4], 14u);
  choice.Current = 3;
  EXPECT_EQ(choice.Step(true), 9);  // at its last text: the id, no change
  EXPECT_EQ(choice.Current, 3);
  choice.SetCount(12);
  EXPECT_EQ(choice.Count, 8);
  CMenuIndexItem index;
  index.SetCount(3);
  for (int i = 0; i < 5; ++i) index.Step(true);
  EXPECT_EQ(index.IndexValue, 2);
  CMenuSliderItem slider;
  slider.SliderMax = 3;
  slider.Step(false);
  EXPECT_EQ(slider.SliderValue, 0);
  EXPECT_EQ(slider.Lowered, 1);
  CMenuItem item;
  item.Set(5, 6, 7, 8, 9, nullptr, nullptr);
  item.Reset();
  EXPECT_EQ(item.Id, kMenuNoId);
  EXPECT_EQ(item.TextId, kMenuNoText);
  EXPECT_EQ(item.LabelId, 8u);  // the label stays
}

TEST_F(TextMenuTest, RowsAreDrawnWithTheSelectionHighlighted) {
  Frame();
  const std::uint32_t box = 0xFF596657, frame = 0xFFBFBFBF;
  // Unselected rows: the plain box filling the item.
  for (int r : {1, 2, 3}) EXPECT_EQ(BoundsOf(box, 2, Row(r)).Width(), kItemW) << r;
  // The selection: the same box with a light one-pixel outline, its text in
  // the text colour (not pulsing: the box pair is the highlight).
  const PixelBox outline = BoundsOf(frame, 2, {kMenuX - 2, kMenuY - 2, kMenuX + kItemW + 2, kMenuY + kItemH + 2});
  EXPECT_NEAR(outline.x1, kMenuX, 1);
  EXPECT_NEAR(outline.x2, kMenuX + kItemW, 1);
  EXPECT_NEAR(outline.y2, kMenuY + kItemH, 1);
  EXPECT_EQ(CountOf(frame, 2, Row(1)), 0);
  // Text ink (yellowish text colour over the box) lies inside each text row.
  for (int r : {0, 1, 2}) {
    const PixelBox ink = Bounds([](std::uint32_t c) { return ((c >> 16) & 0xFF) > 150 && ((c >> 8) & 0xFF) > 150 && (c & 0xFF) < 140; }, Row(r));
    ASSERT_FALSE(ink.Empty()) << r;
    EXPECT_NEAR(ink.x1, kMenuX + 2, 1) << r;  // left-aligned 2 pixels in
  }
  // The slider row has no text.
  EXPECT_EQ(Count([](std::uint32_t c) { return ((c >> 16) & 0xFF) > 150 && (c & 0xFF) < 140; }, Row(3)), 0);
  // An inactive menu shows only its selection, in the first row: its text,
  // without a box (the selection has none) and without the highlight.
  menu_->SelectIndex(2);
  menu_->SetState(MENU_STATE_INACTIVE);
  Frame();
  EXPECT_EQ(CountOf(box, 2, Row(0)), 0);
  const int width = g_MainFont->GetStringWidth(CMenu::TextOf(kItemText[2]));
  EXPECT_NEAR(InkBounds(Row(0)).Width(), width, 2);
  EXPECT_TRUE(InkBounds({kMenuX, kMenuY + 37, kMenuX + kItemW, kMenuY + 4 * 37}).Empty());
}

TEST_F(TextMenuTest, CentredAndRightAlignedTextAndTheDisabledColour) {
  menu_->Items[1]->Flags = MENU_ITEM_CENTRED;
  menu_->Items[2]->Flags = MENU_ITEM_RIGHT | MENU_ITEM_DISABLED;
  Frame();
  auto ink = [&](int r) {
    return Bounds([](std::uint32_t c) { return ((c >> 16) & 0xFF) > 130 && ((c >> 8) & 0xFF) > 130; }, Row(r));
  };
  const int width1 = g_MainFont->GetStringWidth(CMenu::TextOf(kItemText[1]));
  const int width2 = g_MainFont->GetStringWidth(CMenu::TextOf(kItemText[2]));
  EXPECT_NEAR(ink(1).x1, kMenuX + (kItemW - width1) / 2, 1);
  EXPECT_NEAR(ink(2).x2, kMenuX + kItemW - 1, 2);
  EXPECT_NEAR(ink(2).x1, kMenuX + kItemW - width2, 2);
  // The disabled text is grey (0xc0a8a8a8 over the box), not yellow.
  const std::uint32_t grey = Blend(0xFFA8A8A8, 0xC0, 0xFF596657);
  EXPECT_GT(CountOf(grey, 8, Row(2)), 20);
}

TEST_F(TextMenuTest, TheMouseHoversSelectsAndClicks) {
  // Over row 2: it becomes the selection (silently: only moves by the checks
  // sound), and a press on it accepts it.
  MouseTo(kMenuX + 50, kMenuY + 2 * 37 + 10);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(menu_->SelectedId, 3);
  EXPECT_EQ(MoveSounds(), 0);
  MouseButton(true);
  EXPECT_EQ(Frame(), 3);
  MouseButton(false);
  Frame();
  // In the gap between rows nothing is over a row.
  MouseTo(kMenuX + 50, kMenuY + 37 - 3);
  Frame();
  EXPECT_EQ(menu_->SelectedId, 3);
  // An upward menu: the mouse follows the rows where they are drawn.
  Populate(MENU_VERTICAL_UP, 4);
  Frame();
  const PixelBox bottomRow = BoundsOf(0xFF596657, 2, {kMenuX, kMenuY, kMenuX + kItemW, kMenuY + 4 * 37});
  EXPECT_EQ(bottomRow.y2, kMenuY + 4 * 37 - 37 + kItemH - 1);  // row 0 one pitch above the bottom edge
  MouseTo(kMenuX + 50, kMenuY + 4 * 37 - 37 - 37 + 5);
  Frame();
  EXPECT_EQ(menu_->SelectedId, 2);  // the second row drawn from the bottom
}

TEST_F(TextMenuTest, ASliderStepsEveryFrameWhileTheButtonIsHeldOnItsArrow) {
  menu_->SelectIndex(3);
  Frame();
  // The left arrow box: (4, 4) into the slider's row, 20 x 20.
  const int rowY = kMenuY + 3 * 37;
  ASSERT_EQ(slider_->LeftBox.x1, kMenuX + 4);
  ASSERT_EQ(slider_->LeftBox.y1, rowY + 4);
  ASSERT_EQ(slider_->RightBox.x2, kMenuX + kItemW - 4);
  MouseTo(kMenuX + 10, rowY + 10);
  MouseButton(true);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(), 4);
  EXPECT_EQ(slider_->SliderValue, 2);
  MouseButton(false);
  Frame();  // the frame the button comes up in still counts it held
  const int released = slider_->SliderValue;
  Frame();
  Frame();
  EXPECT_EQ(slider_->SliderValue, released);
  // On the right arrow it rises.
  MouseTo(kMenuX + kItemW - 10, rowY + 10);
  MouseButton(true);
  Frame();
  Frame();
  EXPECT_EQ(slider_->SliderValue, released + 2);
  MouseButton(false);
  Frame();
}

TEST_F(TextMenuTest, AChoiceStepsOnlyOnTheFrameTheButtonWentDown) {
  auto* choice = new CMenuChoiceItem;
  CTextMenu menu(g_MainFont, g_InterfaceSprites, 1);
  ASSERT_TRUE(menu.AllocateItems(1));
  ASSERT_TRUE(menu.AddItem(choice));
  menu.SetLayout(MENU_VERTICAL, 0);
  menu.SetRect(kMenuX, kMenuY, kItemW, 40);
  menu.SetItemWidth(kItemW);
  menu.SetItemHeight(kItemH);
  menu.SetState(MENU_STATE_ACTIVE);
  menu.SetInputHandlers(Accept, Previous, Next, Decrease, Increase, 0, 0, 0, 0, 0);
  choice->Set(7, kMenuNoText, 0, 1, 0, nullptr, nullptr);  // with a label
  choice->SetChoices(kTextHintSelect, kTextHintBack, kTextSquadNames);
  menu.OnItemAdded(choice);
  menu.SetArrowBoxes({4, 4, 20, 20}, {});
  // With a label, the left box starts at the item's middle plus 12.
  EXPECT_EQ(choice->LeftBox.x1, static_cast<int>(12.0f + kItemW * 0.5f + kMenuX + 4));
  MouseTo(choice->RightBox.x1 + 5, kMenuY + 10);
  MouseButton(true);
  BeginFrame();
  EXPECT_EQ(menu.Process(), 7);
  EndFrame();
  for (int i = 0; i < 3; ++i) {
    BeginFrame();
    menu.Process();
    EndFrame();
  }
  EXPECT_EQ(choice->Current, 1);
  MouseButton(false);
  IdleFrame();
  menu.FreeItems();
}

TEST_F(TextMenuTest, ASlideOfNoDurationEndsAtOnceAndASlideEndsInTheActiveState) {
  menu_->SetSlideDuration(0);
  menu_->StartSlide();
  menu_->SetState(MENU_STATE_SLIDING);
  EXPECT_EQ(menu_->SlideY, 4 * 37);
  Frame();
  EXPECT_EQ(menu_->State, MENU_STATE_ACTIVE);
  EXPECT_EQ(menu_->SlideY, 0);
  // 200 ms: half-way the rows in the lower half are not drawn yet.
  menu_->SetSlideDuration(200);
  menu_->StartSlide();
  menu_->SetState(MENU_STATE_SLIDING);
  Frame(100);
  EXPECT_EQ(menu_->State, MENU_STATE_SLIDING);
  EXPECT_NEAR(menu_->SlideY, 4 * 37 / 2, 1);
  EXPECT_FALSE(InkBounds(Row(0)).Empty());
  EXPECT_TRUE(InkBounds(Row(3)).Empty());
  Frame(100);
  EXPECT_EQ(menu_->State, MENU_STATE_ACTIVE);
  Frame();
  EXPECT_FALSE(InkBounds(Row(3)).Empty());
}

// Text entry through the window's typed characters.
class EditMenuTest : public TextMenuTest {
 protected:
  void SetUp() override {
    TextMenuTest::SetUp();
    edit_ = new CMenuEditItem;
    menu2_ = std::make_unique<CTextMenu>(g_MainFont, g_InterfaceSprites, 0);
    ASSERT_TRUE(menu2_->AllocateItems(2));
    ASSERT_TRUE(menu2_->AddItem(new CMenuItem));
    ASSERT_TRUE(menu2_->AddItem(edit_));
    menu2_->SetLayout(MENU_VERTICAL, 0);
    menu2_->SetRect(kMenuX, kMenuY, kItemW, 2 * 37);
    menu2_->SetItemWidth(kItemW);
    menu2_->SetItemHeight(kItemH);
    menu2_->SetState(MENU_STATE_ACTIVE);
    menu2_->SetKeepActive(1);
    menu2_->SetInputHandlers(Accept, Previous, Next, Decrease, Increase, 0, 0, 0, 0, 0);
    menu2_->Items[0]->Set(1, kTextHintSelect, 0, 0, 0, nullptr, nullptr);
    menu2_->OnItemAdded(menu2_->Items[0]);
    edit_->Set(2, kMenuNoText, 0, 0, 0, nullptr, nullptr);
    std::strcpy(buffer_, "AB");
    ASSERT_EQ(edit_->SetBuffer(buffer_, 8, 0), 1);
    menu2_->OnItemAdded(edit_);
    menu2_->SelectFirstEnabled();
  }
  void TearDown() override {
    menu2_->FreeItems();
    TextMenuTest::TearDown();
  }
  void Type(const char* text) {
    if (*text != '\0') {
      ASSERT_TRUE(Win32InjectText(s_Window, text));
    }
    BeginFrame();
    menu2_->Process();
    EndFrame();
  }
  CMenuEditItem* edit_ = nullptr;
  std::unique_ptr<CTextMenu> menu2_;
  char buffer_[64] = {};
};

TEST_F(EditMenuTest, TypingGoesIntoTheSelectedEditItemUntilEnter) {
  EXPECT_EQ(edit_->Cursor, 2);
  Type("x");  // not selected yet, and text entry is off: nothing
  EXPECT_STREQ(buffer_, "AB");
  g_fired.next = true;  // moving onto the edit item switches text entry on
  BeginFrame();
  menu2_->Process();
  EndFrame();
  g_fired = {};
  ASSERT_TRUE(g_Input->IsTextInputOn());
  Type("cd");
  EXPECT_STREQ(buffer_, "ABcd");
  // Editing keys and Enter, in one frame: Enter ends text entry, and what
  // was typed before it in the frame is kept.
  ASSERT_TRUE(Win32InjectKey(s_Window, "Left", true));
  ASSERT_TRUE(Win32InjectKey(s_Window, "Left", false));
  ASSERT_TRUE(Win32InjectKey(s_Window, "Backspace", true));
  ASSERT_TRUE(Win32InjectKey(s_Window, "Backspace", false));
  Type("Z");
  EXPECT_STREQ(buffer_, "ABZd");
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", true));
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", false));
  Type("");
  EXPECT_FALSE(g_Input->IsTextInputOn());
  Type("q");
  EXPECT_STREQ(buffer_, "ABZd");
}

TEST(MenuEditItem, FiltersLimitsAndModes) {
  struct Case {
    std::uint32_t filter;
    const char* typed;
    const char* expected;
  } cases[] = {
      {MENU_EDIT_ANY, "a1 |\xA3\xAC!", "a1 !"},
      {MENU_EDIT_LETTERS, "a1 B-", "aB"},
      {MENU_EDIT_DIGITS, "a1 B9", "19"},
      {MENU_EDIT_LETTERS_DIGITS, "a1 B-", "a1 B"},
      {7, "a|b", "ab"},  // another value: any character but the refused ones
  };
  for (const Case& c : cases) {
    char buffer[16] = "";
    CMenuEditItem edit;
    edit.Filter = c.filter;
    ASSERT_EQ(edit.SetBuffer(buffer, 16, 0), 1);
    for (const char* p = c.typed; *p; ++p) edit.TypeCode(static_cast<unsigned char>(*p), nullptr);
    EXPECT_STREQ(buffer, c.expected) << c.filter;
  }
  // Length: at most maximum length - 1 characters, in overwrite mode too.
  char buffer[8] = "";
  CMenuEditItem edit;
  ASSERT_EQ(edit.SetBuffer(buffer, 4, 0), 1);
  for (char c : std::string("ABCDE")) edit.TypeCode(static_cast<unsigned char>(c), nullptr);
  EXPECT_STREQ(buffer, "ABC");
  edit.TypeCode(TYPED_INSERT, nullptr);
  EXPECT_EQ(edit.Mode, MENU_EDIT_OVERWRITE);
  edit.TypeCode(TYPED_HOME, nullptr);
  edit.TypeCode('X', nullptr);
  EXPECT_STREQ(buffer, "ABC");  // refused though it would replace
  edit.TypeCode(TYPED_DELETE, nullptr);
  edit.TypeCode('X', nullptr);
  EXPECT_STREQ(buffer, "XC");
  edit.TypeCode(TYPED_END, nullptr);
  edit.TypeCode(TYPED_RIGHT, nullptr);
  EXPECT_EQ(edit.Cursor, 2);
  // SetBuffer refuses a null buffer and a length over 255; Clear empties.
  EXPECT_EQ(edit.SetBuffer(nullptr, 4, 0), 0);
  EXPECT_EQ(edit.SetBuffer(buffer, 256, 0), 0);
  edit.Clear();
  EXPECT_STREQ(buffer, "");
  // A longer text is cut at the limit.
  char longer[16] = "ABCDEFGHIJ";
  ASSERT_EQ(edit.SetBuffer(longer, 5, 0), 1);
  EXPECT_STREQ(longer, "ABCDE");
  EXPECT_EQ(edit.Cursor, 5);
}

TEST_F(TextMenuTest, APixelWidthLimitRefusesWhatWouldNotFit) {
  char buffer[32] = "";
  CMenuEditItem edit;
  const int w = g_MainFont->GetCharWidth('W');
  ASSERT_GT(w, 0);
  ASSERT_EQ(edit.SetBuffer(buffer, 32, 3 * w), 1);
  for (int i = 0; i < 6; ++i) edit.TypeCode('W', g_MainFont);
  EXPECT_STREQ(buffer, "WWW");
}

TEST(MenuEditItem, RandomTypedCodesKeepTheBufferTerminatedAndInside) {
  std::mt19937 random(43);
  const std::uint32_t keys[] = {8, 9, 13, 27, TYPED_LEFT, TYPED_RIGHT, TYPED_HOME, TYPED_END, TYPED_INSERT, TYPED_DELETE,
                                TYPED_UP, 0x123456};
  for (int round = 0; round < 200; ++round) {
    const int size = static_cast<int>(random() % 12);
    std::vector<char> buffer(static_cast<std::size_t>(size) + 8, '#');  // guard bytes after the buffer
    buffer[0] = '\0';
    CMenuEditItem edit;
    edit.Filter = random() % 5;
    ASSERT_EQ(edit.SetBuffer(buffer.data(), size, 0), 1);
    for (int i = 0; i < 300; ++i) {
      const std::uint32_t code = random() % 3 == 0 ? keys[random() % 12] : random() % 256;
      edit.TypeCode(code, nullptr);
      const std::size_t length = std::strlen(buffer.data());
      ASSERT_LT(static_cast<int>(length), size > 0 ? size : 1);
      ASSERT_LE(edit.Cursor, length);
    }
    for (std::size_t k = static_cast<std::size_t>(size > 0 ? size : 1); k < buffer.size(); ++k) {
      ASSERT_EQ(buffer[k], '#') << "written past the buffer";
    }
  }
}

}  // namespace
