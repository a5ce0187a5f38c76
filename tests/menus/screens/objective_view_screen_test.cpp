// The map view under the briefing and objectives screens: world points to
// map fractions (list and detail mode), centring and clamping the detail
// window, the fit scale of a picture, and the map read back as pixels: the
// picture's quadrants where the view puts them, the grid in its colour, the
// detail window magnifying the part the scroll names, and the paged text.
#include "menus/screens/objective_view_screen.h"

#include <cmath>
#include <limits>

#include "control/keymap/key_map.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/briefing_menu.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/objective_screens_fixture.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

class ObjectiveViewTest : public ObjectiveScreensTest {
 protected:
  void SetUp() override {
    ObjectiveScreensTest::SetUp();
    ASSERT_TRUE(briefing_.Create());
    briefing_.Populate();
  }
  void TearDown() override {
    briefing_.Destroy();
    g_ScriptSprites->SetScalePercent(100.0f, 100.0f, 0);
    ObjectiveScreensTest::TearDown();
  }
  // The picture over the world box x -1000 .. 1000, z 1000 .. 3000.
  static void StandardBox(int cell = kQuadrantPicture) {
    CObjectiveViewScreen::SetMapPicture(cell);
    CObjectiveViewScreen::SetMapWorldBox(CVector3{1000.0f, 50.0f, 3000.0f}, CVector3{-1000.0f, 0.0f, 1000.0f});
  }
  void DrawMapOnly() {
    BeginFrame();
    briefing_.DrawMap();
    EndFrame();
  }
  CBriefingMenu briefing_;
};

TEST_F(ObjectiveViewTest, WorldPointsMapToPictureFractionsWithZRunningUpThePicture) {
  StandardBox();
  struct Case {
    CVector3 point;
    bool detail;
    bool ignoreDetail;
    bool inside;
    float x, z;
  } cases[] = {
      {{-1000.0f, 0.0f, 1000.0f}, false, false, true, 0.0f, 1.0f},  // minimum corner: bottom left
      {{1000.0f, 0.0f, 3000.0f}, false, false, true, 1.0f, 0.0f},   // maximum corner: top right
      {{0.0f, 0.0f, 2000.0f}, false, false, true, 0.5f, 0.5f},
      {{500.0f, 9999.0f, 1500.0f}, false, false, true, 0.75f, 0.75f},  // y is not compared
      {{-1000.5f, 0.0f, 2000.0f}, false, false, false, 0, 0},
      {{0.0f, 0.0f, 3000.5f}, false, false, false, 0, 0},
      {{0.0f, 0.0f, 999.0f}, false, false, false, 0, 0},
      // Detail mode with scroll (0.25, 0.5): magnified about the window.
      {{0.0f, 0.0f, 2000.0f}, true, false, true, 0.5f, 0.0f},
      {{0.0f, 0.0f, 2000.0f}, true, true, true, 0.5f, 0.5f},
      {{1000.0f, 0.0f, 1000.0f}, true, false, true, 1.5f, 1.0f},
  };
  for (const Case& c : cases) {
    SetObjectiveDetail(c.detail ? 1 : 0);
    ObjectiveMapView.scrollX = 0.25f;
    ObjectiveMapView.scrollY = 0.5f;
    CVector3 m{-7.0f, -7.0f, -7.0f};
    const bool inside = CObjectiveViewScreen::WorldToMap(c.point, c.ignoreDetail, &m);
    SCOPED_TRACE(testing::Message() << "point (" << c.point.x << ", " << c.point.z << ") detail " << c.detail);
    ASSERT_EQ(inside, c.inside);
    if (!inside) continue;
    EXPECT_FLOAT_EQ(m.x, c.x);
    EXPECT_FLOAT_EQ(m.z, c.z);
    EXPECT_EQ(CObjectiveViewScreen::IsOnVisibleMap(m), c.x <= 1.0f && c.z <= 1.0f);
  }
}

TEST_F(ObjectiveViewTest, CentringClampsTheWindowAndAPointOutsideScrollsHome) {
  StandardBox();
  // The maximum corner maps to (1, 0): scroll (0.75, -0.25) before clamping.
  CObjectiveViewScreen::CentreMapOn(CVector3{1000.0f, 0.0f, 3000.0f});
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.5f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.0f);
  CObjectiveViewScreen::CentreMapOn(CVector3{-1000.0f, 0.0f, 1000.0f});
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.0f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.5f);
  CObjectiveViewScreen::CentreMapOn(CVector3{0.0f, 0.0f, 2000.0f});
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.25f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.25f);
  CObjectiveViewScreen::CentreMapOn(CVector3{5000.0f, 0.0f, 2000.0f});
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollX, 0.0f);
  EXPECT_FLOAT_EQ(ObjectiveMapView.scrollY, 0.0f);
  ObjectiveMapView.scrollX = std::numeric_limits<float>::quiet_NaN();
  ObjectiveMapView.scrollY = 3.0f;
  CObjectiveViewScreen::ClampScroll();
  EXPECT_EQ(ObjectiveMapView.scrollX, 0.0f);
  EXPECT_EQ(ObjectiveMapView.scrollY, 0.5f);
}

TEST_F(ObjectiveViewTest, ThePictureFitsTheMapAreaByItsNarrowerSide) {
  struct Case {
    int cell;
    float scalePercent;
    float fit, width, height;
  } cases[] = {
      // 128 x 128: 330 / 128 is below 340 / 128, so the width decides.
      {kQuadrantPicture, 100.0f, 330.0f / 128.0f, 330.0f, 330.0f},
      // 165 x 100 at 200 %: exactly 330 wide and shorter than 340: scale 1.
      {kWidePicture, 200.0f, 1.0f, 330.0f, 200.0f},
      // A cell the set lacks has no size: no picture to scale.
      {7, 100.0f, 0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.cell);
    g_ScriptSprites->SetScalePercent(c.scalePercent, c.scalePercent, 1);
    CObjectiveViewScreen::SetMapPicture(c.cell);
    EXPECT_FLOAT_EQ(ObjectiveMapView.fitScale, c.fit);
    EXPECT_FLOAT_EQ(ObjectiveMapView.mapWidth, c.width);
    EXPECT_FLOAT_EQ(ObjectiveMapView.mapHeight, c.height);
    EXPECT_EQ(ObjectiveMapView.zoom, 2.0f);
    EXPECT_EQ(ObjectiveMapView.windowWidth, 0.5f);
  }
  // A world box is taken only once a picture is set.
  CObjectiveViewScreen::SetMapPicture(-1);
  CObjectiveViewScreen::SetMapWorldBox(CVector3{1.0f, 1.0f, 1.0f}, CVector3{0.0f, 0.0f, 0.0f});
  EXPECT_EQ(ObjectiveMapView.worldSizeX, 0.0f);
}

TEST_F(ObjectiveViewTest, TheMapShowsThePictureCentredInTheMapAreaWithItsGrid) {
  // The panel of the briefing at 800 x 600: 90..710 x 130..470, the map area
  // centred at (255, 300), the text area 460..690 x 160..440.
  EXPECT_EQ(briefing_.MapCentreX, 255.0f);
  EXPECT_EQ(briefing_.MapCentreY, 300.0f);
  EXPECT_EQ(briefing_.TextLeft, 460.0f);
  EXPECT_EQ(briefing_.TextTop, 160.0f);
  StandardBox();
  DrawMapOnly();
  // 330 x 330 pixels from (90, 135), each quadrant in its place.
  const struct {
    std::uint32_t colour;
    PixelBox box;
  } quadrants[] = {{kTopLeft, {90, 135, 254, 299}},
                   {kTopRight, {255, 135, 419, 299}},
                   {kBottomLeft, {90, 300, 254, 464}},
                   {kBottomRight, {255, 300, 419, 464}}};
  for (const auto& q : quadrants) {
    const PixelBox box = BoundsOf(q.colour, 12);
    SCOPED_TRACE(testing::Message() << std::hex << q.colour << " at " << box);
    EXPECT_NEAR(box.x1, q.box.x1, 2);
    EXPECT_NEAR(box.y1, q.box.y1, 2);
    EXPECT_NEAR(box.x2, q.box.x2, 2);
    EXPECT_NEAR(box.y2, q.box.y2, 2);
  }
  // Grid cells of int(2.578 x 32) = 82 pixels: four columns, the first line
  // at x = 41 + 90, in the grid colour at half alpha over the picture.
  const std::uint32_t grid = 0xFF000000u | (kMapGridRed << 16) | (kMapGridGreen << 8) | kMapGridBlue;
  for (int x : {131, 213, 295, 377}) {
    const std::uint32_t under = x < 255 ? kTopLeft : kTopRight;
    EXPECT_TRUE(Near(At(x, 200), Blend(grid, kMapGridAlpha, under), 12)) << "column line at x " << x;
    EXPECT_TRUE(Near(At(x + 3, 200), under, 12)) << "beside the line at x " << x;
  }
  // Rows likewise, from y = 41 + 135.
  EXPECT_TRUE(Near(At(200, 176), Blend(grid, kMapGridAlpha, kTopLeft), 12));
}

TEST_F(ObjectiveViewTest, DetailModeMagnifiesTheWindowTheScrollNames) {
  StandardBox();
  SetObjectiveDetail(1);
  const struct {
    CVector3 centre;
    std::uint32_t fill;  // the quadrant that fills the map area
  } cases[] = {{{-1000.0f, 0.0f, 3000.0f}, kTopLeft},
               {{1000.0f, 0.0f, 3000.0f}, kTopRight},
               {{-1000.0f, 0.0f, 1000.0f}, kBottomLeft},
               {{1000.0f, 0.0f, 1000.0f}, kBottomRight}};
  for (const auto& c : cases) {
    CObjectiveViewScreen::CentreMapOn(c.centre);
    DrawMapOnly();
    SCOPED_TRACE(testing::Message() << std::hex << c.fill);
    // Away from the grid lines, the one quadrant covers the whole area.
    for (int x : {100, 250, 400})
      for (int y : {150, 300, 450}) EXPECT_TRUE(Near(At(x + 5, y + 5), c.fill, 16)) << x << ", " << y;
  }
}

TEST_F(ObjectiveViewTest, WithoutAPictureTheMapSaysSoAndNoMarkerPlaceExists) {
  CObjectiveViewScreen::SetMapPicture(-1);
  DrawMapOnly();
  const PixelBox ink = InkBounds();
  ASSERT_FALSE(ink.Empty());
  const int width = g_MainFont->GetStringWidth(CMenu::TextOf(kTextNoMap));
  EXPECT_NEAR((ink.x1 + ink.x2) / 2, 255, 2) << ink;
  EXPECT_NEAR(ink.Width(), width, 3);
  CVector3 m{};
  EXPECT_FALSE(CObjectiveViewScreen::WorldToMap(CVector3{1.0f, 0.0f, 1.0f}, false, &m));
}

// The first mission's own map picture (drawn by the level tool from the
// level) over the mission's map box: the sites stand where the view maps
// their world positions.
TEST_F(ObjectiveViewTest, TheFirstMissionsMapShowsItsSitesWhereTheViewMapsThem) {
  CSpriteRender* testSet = g_ScriptSprites;
  CSpriteRender missionSet(g_Render, nullptr, s_Textures.get());
  ASSERT_EQ(missionSet.Load("mission1/GWMission1.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0), 1);
  s_Textures->LoadTextures(nullptr);
  missionSet.RecomputeUVs();
  g_ScriptSprites = &missionSet;
  CObjectiveViewScreen::SetMapPicture(0);
  CObjectiveViewScreen::SetMapWorldBox(CVector3{8482.3f, 0.0f, 70181.8f}, CVector3{-45802.4f, 0.0f, 15471.6f});
  DrawMapOnly();
  g_ScriptSprites = testSet;
  const auto screen = [&](float x, float z) {
    CVector3 m{};
    EXPECT_TRUE(CObjectiveViewScreen::WorldToMap(CVector3{x, 0.0f, z}, false, &m));
    const int sx = static_cast<int>(briefing_.MapCentreX - ObjectiveMapView.mapWidth * 0.5f + ObjectiveMapView.mapWidth * m.x);
    const int sy = static_cast<int>(briefing_.MapCentreY - ObjectiveMapView.mapHeight * 0.5f + ObjectiveMapView.mapHeight * m.z);
    return PixelBox{sx - 3, sy - 3, sx + 3, sy + 3};
  };
  // The level tool's colours: landscape 4E7A3C, nothing drawn 1E3420.  Most
  // of the 7 x 7 pixels about the point (a grid line may cross it).
  constexpr std::uint32_t kGround = 0xFF4E7A3C, kNothing = 0xFF1E3420;
  EXPECT_GE(CountOf(kGround, 10, screen(-15000.0f, 60000.0f)), 30) << "open ground";
  EXPECT_GE(CountOf(kNothing, 10, screen(-40000.0f, 20000.0f)), 30) << "beyond the level";
  EXPECT_LT(CountOf(kGround, 10, screen(-6584.0f, 59190.0f)), 30) << "the prison";
  EXPECT_LT(CountOf(kNothing, 10, screen(-6584.0f, 59190.0f)), 30) << "the prison";
}

// A unit of the world for the marker tests: its facts are the table's.
class MapUnit : public CHLO {
 public:
  MapUnit(const HLOSpawnRecord& record, const MapUnitFacts& facts) : CHLO(record, nullptr), facts(facts) {}
  bool IsUnit() override { return true; }
  MapUnitFacts facts;
};

bool MapUnitFactsOf(CHLO* unit, MapUnitFacts* out) {
  *out = static_cast<MapUnit*>(unit)->facts;
  return true;
}

HLOSpawnRecord UnitRecord(int side) {
  HLOSpawnRecord r;
  r.Init();
  r.kind = 1;
  r.side = static_cast<std::uint8_t>(side);
  r.objectFlags = HLOF_ACTIVE;
  return r;
}

struct MarkerCase {
  const char* what;
  int side;  // the local side is 0
  MapUnitFacts facts;
  bool developerSwitch;
  int cell;  // -1: not on the map
};

MapUnitFacts Soldier(float health) {
  MapUnitFacts f;
  f.soldier = true;
  f.health = health;
  return f;
}
MapUnitFacts Vehicle(float health, int propulsion = 1) {
  MapUnitFacts f;
  f.vehicle = true;
  f.health = health;
  f.propulsion = propulsion;
  return f;
}
MapUnitFacts With(MapUnitFacts f, void (*change)(MapUnitFacts&)) {
  change(f);
  return f;
}

const MarkerCase kMarkerCases[] = {
    {"friendly soldier", 0, Soldier(1.0f), false, kMarkerFriendly},
    {"friendly soldier down but not expired", 0, Soldier(0.0f), false, kMarkerFriendly},
    {"friendly soldier expired", 0, With(Soldier(0.0f), [](MapUnitFacts& f) { f.deadAndExpired = true; }), false, -1},
    {"player's soldier of another side", 2,
     With(Soldier(1.0f), [](MapUnitFacts& f) { f.controlledByPlayer0 = true; f.knownToLocalSide = true; }), false,
     kMarkerPlayer},
    {"unknown enemy", 1, Soldier(1.0f), false, -1},
    {"unknown enemy, developer switch on", 1, Soldier(1.0f), true, kMarkerOther},
    {"known enemy", 1, With(Soldier(1.0f), [](MapUnitFacts& f) { f.knownToLocalSide = true; }), false, kMarkerOther},
    {"known civilian", 2,
     With(Soldier(1.0f), [](MapUnitFacts& f) { f.knownToLocalSide = true; f.civilian = true; }), false,
     kMarkerCivilian},
    {"dead enemy", 1, With(Soldier(0.0f), [](MapUnitFacts& f) { f.knownToLocalSide = true; }), true, -1},
    {"friendly vehicle", 0, Vehicle(5.0f), false, kMarkerFriendly},
    {"wrecked vehicle", 0, Vehicle(0.0f), false, -1},
    {"the goat", 0, Vehicle(5.0f, 8), true, -1},
};

TEST_F(ObjectiveViewTest, UnitMarkersFollowTheSideAndWhatTheLocalSideKnows) {
  // The units stand at the origin (no world): the map's centre.
  CObjectiveViewScreen::SetMapPicture(kQuadrantPicture);
  CObjectiveViewScreen::SetMapWorldBox(CVector3{1000.0f, 50.0f, 1000.0f}, CVector3{-1000.0f, 0.0f, -1000.0f});
  SetMapUnitFactsReader(MapUnitFactsOf);
  const int cells[] = {kMarkerFriendly, kMarkerCivilian, kMarkerOther, kMarkerPlayer};
  const PixelBox around{255 - 30, 300 - 30, 255 + 30, 300 + 30};
  for (const MarkerCase& c : kMarkerCases) {
    SCOPED_TRACE(c.what);
    CHLOManager manager(4, 10);
    auto* unit = new MapUnit(UnitRecord(c.side), c.facts);
    manager.InsertObject(unit);
    ASSERT_EQ(manager.FirstActive(c.side, 1), unit);
    SetDebugMappings(c.developerSwitch ? 1 : 0);
    EXPECT_EQ(briefing_.IsShownOnMap(unit), c.cell >= 0);
    BeginFrame();
    briefing_.DrawUnitMarkers();
    EndFrame();
    for (int cell : cells) {
      const int found = CountOf(CellColour("GWInt.img", cell), 4, around);
      if (cell == c.cell)
        EXPECT_GT(found, 0) << "cell " << cell;
      else
        EXPECT_EQ(found, 0) << "cell " << cell;
    }
    manager.RemoveObject(unit);
    delete unit;
  }
  SetDebugMappings(0);
  SetMapUnitFactsReader(nullptr);
}

}  // namespace
