// The objectives screen: a row for each shown objective, completed ones
// disabled and ticked, the selection on the first open one; the selected
// objective's marker where the map view puts it; the description pages of
// the selected objective; detail mode centring the map on the objective, or
// on the player's soldier when the objective has no marker.
#include "menus/screens/objective_menu.h"

#include <fstream>
#include <iterator>
#include <string>

#include "control/bindings/control_mapper.h"
#include "control/players/local_player_table.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/objective_screens_fixture.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/event_injection.h"
#include "render/2d/sprite_render.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "world/effects/explosions.h"

namespace {

class ObjectiveMenuTest : public ObjectiveScreensTest {
 protected:
  void SetUp() override {
    ObjectiveScreensTest::SetUp();
    ASSERT_TRUE(screen_.Create());
    CObjectiveViewScreen::SetMapPicture(kQuadrantPicture);
    CObjectiveViewScreen::SetMapWorldBox(CVector3{1000.0f, 50.0f, 3000.0f}, CVector3{-1000.0f, 0.0f, 1000.0f});
  }
  void TearDown() override {
    SetPlayerSoldierPositionReader(nullptr);
    ObjectiveScreensTest::TearDown();
    screen_.Destroy();
  }
  // An objective titled `title` with the status bits, and its number.
  int Objective(std::uint32_t title, std::uint8_t bits) {
    const int n = mission_->AddObjective(static_cast<std::int32_t>(title));
    mission_->FindObjective(n)->SetBits(bits);
    return n;
  }
  void DrawScreen() {
    BeginFrame();
    screen_.Draw();
    EndFrame();
  }
  // The box of row r (list mode).
  PixelBox RowBox(int r) const {
    const CMenu* m = screen_.Menu;
    const int top = m->Y + r * m->PitchY;
    return PixelBox{m->X, top, m->X + m->ItemWidth - 1, top + m->ItemHeight - 1};
  }
  CObjectiveMenu screen_;
};

constexpr std::uint8_t kShown = OBJECTIVE_SHOWN, kDone = OBJECTIVE_SHOWN | OBJECTIVE_COMPLETED;

TEST_F(ObjectiveMenuTest, ShownObjectivesBecomeRowsAndCompletedOnesAreDisabledAndTicked) {
  Objective(kShortA, kDone);
  Objective(kShortB, OBJECTIVE_CREATED);  // not shown: no row
  Objective(kTitle, kShown);
  Objective(kSubtitle, kDone);
  Objective(kLong, kShown);
  screen_.OnEnter();
  const CMenu* m = screen_.Menu;
  ASSERT_EQ(m->Count, 4);
  const struct {
    std::uint32_t text;
    std::uint16_t flags;
  } rows[] = {{kShortA, 0x26}, {kTitle, 0x24}, {kSubtitle, 0x26}, {kLong, 0x24}};
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(m->Items[r]->Id, kObjectiveRowFirstId + r);
    EXPECT_EQ(m->Items[r]->TextId, rows[r].text);
    EXPECT_EQ(m->Items[r]->Flags, rows[r].flags);
  }
  EXPECT_EQ(m->SelectedId, kObjectiveRowFirstId + 1) << "the first open objective is selected";
  EXPECT_EQ(m->Selection, 1);
  EXPECT_EQ(ObjectiveDetailActive(), 0);
  EXPECT_TRUE(IsGamePaused());
  screen_.OnLeave(14);
  EXPECT_FALSE(IsGamePaused());

  // The tick stands in the completed rows only, at their right edge.
  screen_.OnEnter();
  DrawScreen();
  const std::uint32_t tick = CellColour("GWInt.img", kObjectiveTick);
  for (int r = 0; r < 4; ++r) {
    const PixelBox row = RowBox(r);
    const PixelBox found = BoundsOf(tick, 6, row);
    SCOPED_TRACE(testing::Message() << "row " << r << " " << row << " tick " << found);
    if (rows[r].flags & MENU_ITEM_DISABLED) {
      ASSERT_FALSE(found.Empty());
      EXPECT_GT(found.x1, row.x1 + row.Width() / 2);
    } else {
      EXPECT_TRUE(found.Empty());
    }
  }
  screen_.OnLeave(14);
}

TEST_F(ObjectiveMenuTest, WithEveryObjectiveCompletedTheSelectionStaysOnTheFirstRow) {
  Objective(kShortA, kDone);
  Objective(kShortB, kDone);
  screen_.OnEnter();
  EXPECT_EQ(screen_.Menu->Count, 2);
  EXPECT_EQ(screen_.Menu->Selection, 0);
  EXPECT_EQ(screen_.SelectedObjective(), mission_->FindObjective(0));
  screen_.OnLeave(14);
}

TEST_F(ObjectiveMenuTest, TheSelectedObjectivesMarkerStandsWhereTheMapPutsIt) {
  const int n = Objective(kShortA, kShown);
  // A quarter in from the minimum corner: map (0.25, 0.75).
  mission_->FindObjective(n)->AddMarkerPosition(CVector3{-500.0f, 0.0f, 1500.0f});
  screen_.OnEnter();
  DrawScreen();
  const float x = screen_.MapCentreX - ObjectiveMapView.mapWidth * 0.5f + ObjectiveMapView.mapWidth * 0.25f;
  const float y = screen_.MapCentreY - ObjectiveMapView.mapHeight * 0.5f + ObjectiveMapView.mapHeight * 0.75f;
  const std::uint32_t marker = CellColour("GWInt.img", kMarkerObjective);
  const PixelBox found = BoundsOf(marker, 6, PixelBox{static_cast<int>(x) - 30, static_cast<int>(y) - 30,
                                                     static_cast<int>(x) + 30, static_cast<int>(y) + 30});
  ASSERT_FALSE(found.Empty()) << "no marker near (" << x << ", " << y << ")";
  // The cell is placed by its hot spot at the point.
  const float hotX = -g_InterfaceSprites->GetScaledHotX(kMarkerObjective);
  const float hotY = -g_InterfaceSprites->GetScaledHotY(kMarkerObjective);
  EXPECT_NEAR(found.x1, static_cast<int>(x) - hotX, 2);
  EXPECT_NEAR(found.y1, static_cast<int>(y) - hotY, 2);
  screen_.OnLeave(14);
}

TEST_F(ObjectiveMenuTest, TheDescriptionParagraphsAreTheObjectivesOtherTexts) {
  const int n = Objective(kTitle, kShown);
  mission_->FindObjective(n)->AddTarget(static_cast<std::int32_t>(kShortA));
  mission_->FindObjective(n)->AddTarget(static_cast<std::int32_t>(kShortB));
  screen_.OnEnter();
  EXPECT_STREQ(screen_.GetParagraphText(0), CMenu::TextOf(kShortA));
  EXPECT_STREQ(screen_.GetParagraphText(1), CMenu::TextOf(kShortB));
  EXPECT_EQ(screen_.GetParagraphText(2), nullptr) << "target 3 is -1";
  EXPECT_EQ(screen_.GetParagraphText(3), nullptr) << "only three description texts";
  screen_.OnLeave(14);
  // Without objectives, no text and no selection.
  mission_ = std::make_unique<CMission>();
  g_Mission = mission_.get();
  screen_.OnEnter();
  EXPECT_EQ(screen_.GetParagraphText(0), nullptr);
  screen_.OnLeave(14);
}

CVector3 g_soldier{};
bool SoldierAt(CVector3* out) {
  *out = g_soldier;
  return true;
}

TEST_F(ObjectiveMenuTest, DetailModeCentresOnTheObjectiveOrElseOnThePlayersSoldier) {
  const int withMarker = Objective(kShortA, kShown);
  mission_->FindObjective(withMarker)->AddMarkerPosition(CVector3{1000.0f, 0.0f, 3000.0f});
  Objective(kShortB, kShown);
  g_soldier = CVector3{-1000.0f, 0.0f, 1000.0f};
  SetPlayerSoldierPositionReader(SoldierAt);
  const struct {
    int row;
    float scrollX, scrollY;
  } cases[] = {{0, 0.5f, 0.0f}, {1, 0.0f, 0.5f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row);
    screen_.OnEnter();
    screen_.Menu->SelectIndex(c.row);
    DrawScreen();  // list mode: the re-centre waits
    EXPECT_TRUE(screen_.RecentrePending);
    EXPECT_EQ(ObjectiveMapView.scrollX, 0.0f);
    SetObjectiveDetail(1);
    DrawScreen();
    EXPECT_FALSE(screen_.RecentrePending);
    EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, c.scrollX);
    EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, c.scrollY);
    // Only the selected row is drawn, at the menu's top.
    EXPECT_EQ(screen_.GetLeftHintTextId(), 0u);
    screen_.OnLeave(14);
    ObjectiveMapView.scrollX = ObjectiveMapView.scrollY = 0.0f;
  }
}

TEST_F(ObjectiveMenuTest, ObjectiveNextAndPreviousCycleTheMarkersAndCentreTheMap) {
  // The demo keys leave the two actions unbound: N and B here.
  std::ifstream in(DEMO_KEY_FILE, std::ios::binary);
  std::string keys((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // (the file stops at its first empty line)
  while (!keys.empty() && (keys.back() == '\n' || keys.back() == '\r')) keys.pop_back();
  keys += "\nOBJECTIVE_NEXT,0=KEY_N\nOBJECTIVE_PREV,0=KEY_B\n";
  ASSERT_TRUE(g_ControlMapper->LoadBindingsFromText(keys.data(), keys.size(), 0));
  const int n = Objective(kShortA, kDone);  // completed: the cycling still works on it
  MissionObjective* o = mission_->FindObjective(n);
  o->AddMarkerPosition(CVector3{-1000.0f, 0.0f, 1000.0f});
  o->AddMarkerPosition(CVector3{1000.0f, 0.0f, 3000.0f});
  screen_.OnEnter();
  ASSERT_EQ(screen_.SelectedObjective(), o);
  const auto press = [&](const char* key) {
    ASSERT_TRUE(Win32InjectKey(s_Window, key, true));
    BeginFrame();
    g_LocalPlayers.UpdateAll();
    screen_.Update();
    EndFrame();
    ASSERT_TRUE(Win32InjectKey(s_Window, key, false));
    IdleFrame();
  };
  press("N");
  EXPECT_EQ(o->CurrentMarker(), 1);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.5f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.0f);
  press("B");
  EXPECT_EQ(o->CurrentMarker(), 0);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.0f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.5f);
  screen_.OnLeave(14);
}

}  // namespace
