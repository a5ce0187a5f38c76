// The first mission's level, made by the level tool from the repository's
// description and loaded back through the game's section readers: the ids,
// sides and stats the mission script names, its numbered waypoints, regions,
// lights, emitters and cameras where the mission's triggers expect them
// (region 9 round the dump where the charge is allowed, the boat's chain
// ending at the pier inside region 2, the prisoner's walk ending beside it),
// and the objective map picture drawn from it.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "foundation/file_test_fixture.h"
#include "make_level/level_description.h"
#include "make_level/level_maker.h"
#include "make_level/level_map.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "scene/skin/object_mesh_hooks.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/particle_emitters.h"
#include "world/environment/env_file.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/hlo_record_create.h"
#include "world/level_section_readers.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/regions/region.h"
#include "world/regions/region_list.h"

namespace {

struct PlacedObject {
  std::string stats;
  int table = 0;
  int side = 0;
  CVector3 position{};
  bool active = true;
};
std::map<int, PlacedObject>* g_Placed = nullptr;

CHLO* RecordPlaced(HLOSpawnRecord& record) {
  if (g_Placed != nullptr)
    (*g_Placed)[record.id] = {record.statsName, record.statsTable, record.side, record.position,
                              (record.objectFlags & 1u) != 0};
  return nullptr;
}

float Distance2D(const CVector3& a, const CVector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

class Mission1Level : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    std::string error;
    ASSERT_TRUE(ReadLevelDescription(MISSION1_LEVEL_DESCRIPTION, &level_, &error)) << error;
    ASSERT_TRUE(MakeLevel(level_, "out", &report_, &error)) << error;
    std::filesystem::current_path("out");
    SetWorkDirectory();
    Start();
    InstallObjectMeshHooks();
    // The game's readers, filling this test's modules.
    g_EnvWaypoints = &waypoints_;
    g_Regions = &regions_;
    g_Lights = &lights_;
    g_ParticleEmitters = &emitters_;
    g_MovieCamera = &cameras_;
    g_Placed = &placed_;
    InstallLevelSectionReaders();
    env_ = std::make_unique<CEnvironment>(nullptr, &textures_, &materials_, nullptr, nullptr, &lights_, nullptr,
                                          nullptr);
    text_ = Read("Mission1.env");
    EnvTextCursor cursor(text_.c_str());
    EnvFileLoadReport report;
    ASSERT_EQ(EnvFileLoadEnvironment(env_.get(), cursor, RecordPlaced, nullptr, &report), 1);
    EXPECT_EQ(report.failedSections, 0u);
    // The movie cameras follow, read as the level's load reads them.
    EnvSectionContext context;
    context.environment = env_.get();
    context.version = kEnvFileVersion;
    ASSERT_TRUE(GetEnvSectionReader(ENVSECTION_MOVIE_CAMERAS)(cursor, context));
  }
  void TearDown() override {
    RemoveLevelSectionReaders();
    env_.reset();
    g_EnvWaypoints = nullptr;
    g_Regions = nullptr;
    g_Lights = nullptr;
    g_ParticleEmitters = nullptr;
    g_MovieCamera = nullptr;
    g_Placed = nullptr;
    FileTest::TearDown();
  }

  const CRegion* Region(int n) const { return regions_.GetRegion(n); }
  CVector3 Waypoint(int n) const { return waypoints_.GetWaypointPosition(n); }

  LevelDescription level_;
  LevelMakeReport report_;
  CTextureManager textures_;
  CMaterialList materials_;
  EnvWaypointList waypoints_;
  CRegionList regions_;
  CLightTable lights_;
  CParticleEmitterList emitters_;
  CMovieCamera cameras_{nullptr};
  std::map<int, PlacedObject> placed_;
  std::string text_;
  std::unique_ptr<CEnvironment> env_;
};

TEST_F(Mission1Level, TheObjectsTheMissionNamesStandWithTheirStatsAndSides) {
  struct Expected {
    int id;
    const char* stats;
    int table, side;
    bool active;
  };
  const Expected expected[] = {
      {0, "SquadRifleman", 1, 0, true},  {1, "SquadSniper", 1, 0, true},  {5, "SquadHeavy", 1, 0, true},
      {7, "SquadEngineer", 1, 0, true},  {31, "Prisoner", 1, 2, true},    {14, "EnemyGuard", 1, 1, true},
      {37, "CellDoor", 15, 0, true},     {70, "CellKey", 20, 0, true},    {71, "IntelFolder", 22, 0, true},
      {72, "IntelFolder", 22, 0, true},  {47, "AmmoDump", 3, 1, true},    {76, "DemoBoat", 2, 0, true},
      {33, "Pistol", 5, 0, true},        {52, "SupplyPack", 22, 0, true}, {245, "SupplyPack", 22, 0, true},
      // The guards the triggers send about; 3, 23 and 24 wait to be woken.
      {12, "EnemyGuard", 1, 1, true},    {110, "EnemyGuard", 1, 1, true}, {6, "EnemyGuard", 1, 1, true},
      {2, "EnemyGuard", 1, 1, true},     {3, "EnemyGuard", 1, 1, false},  {23, "EnemyGuard", 1, 1, false},
      {24, "EnemyGuard", 1, 1, false},   {4, "EnemyGuard", 1, 1, true},   {113, "DemoJeep", 2, 1, true},
      {36, "Gate", 15, 0, true},         {38, "CellDoor", 15, 0, true},   {46, "Gate", 15, 0, true},
      {65, "Gate", 15, 0, true},
  };
  EXPECT_EQ(placed_.size(), std::size(expected)) << "nothing else";
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    ASSERT_EQ(placed_.count(e.id), 1u);
    const PlacedObject& o = placed_[e.id];
    EXPECT_EQ(o.stats, e.stats);
    EXPECT_EQ(o.table, e.table);
    EXPECT_EQ(o.side, e.side);
    EXPECT_EQ(o.active, e.active);
  }
  // The objectives' markers (prison, tower, dock) lie at the sites.
  EXPECT_LT(Distance2D(placed_[31].position, {-6584, 0, 59190}), 1000.0f) << "the prisoner in the prison";
  EXPECT_LT(Distance2D(placed_[71].position, {-22783, 0, 53614}), 500.0f) << "the intelligence in the tower";
  EXPECT_LT(Distance2D(placed_[33].position, {-22590, 0, 48816}), 1000.0f) << "the pistol on the pier";
  // Guard 3 waits where region 32 wakes him.
  EXPECT_TRUE(Region(32)->ContainsPoint({placed_[3].position.x, 1100, placed_[3].position.z}));
  // The key is not locked in with the prisoner: it lies outside the prison.
  EXPECT_FALSE(Region(18)->ContainsPoint({placed_[70].position.x, 1100, placed_[70].position.z}));
}

TEST_F(Mission1Level, TablesHoldEveryNumberTheMissionUses) {
  EXPECT_EQ(waypoints_.Count(), 358);
  EXPECT_EQ(regions_.GetCount(), 33);
  EXPECT_EQ(lights_.HighestUsed, 21);
  for (int i = 0; i < 9; ++i) EXPECT_NE(emitters_.Get(i)->Flags, 0u) << "emitter " << i;
  EXPECT_EQ(emitters_.Get(9)->Flags, 0u) << "nine emitters";
  // Cameras 0 to 39 from the file, then the three viewport cameras.
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(cameras_.IsUsed(i)) << "camera " << i;
  EXPECT_STREQ(cameras_.GetName(0), "PLAYERVIEW");
  EXPECT_STREQ(cameras_.GetName(40), "VIEWPORTVIEW");
  EXPECT_FALSE(cameras_.IsUsed(43));
}

TEST_F(Mission1Level, ThePlacesTheTriggersTestAreWhereThePlayLineNeedsThem) {
  const CVector3 dump = placed_.at(47).position;
  const auto inside = [](const CRegion* r, const CVector3& p) { return r->ContainsPoint({p.x, p.y + 100, p.z}); };
  // The charge may be used only in region 9: round the dump, not at the
  // squad's start, the prison or the pier.
  EXPECT_TRUE(inside(Region(9), dump));
  for (const CVector3& p : {CVector3{dump.x + 600, dump.y, dump.z}, CVector3{dump.x, dump.y, dump.z - 600}})
    EXPECT_TRUE(inside(Region(9), p)) << "beside the dump";
  for (int id : {0, 31, 76}) EXPECT_FALSE(inside(Region(9), placed_.at(id).position)) << id;
  EXPECT_TRUE(inside(Region(20), dump));
  // Waypoint 20 is the dump; the escape kills within 1200 of it, which the
  // prisoner's walk (37 -> 38 -> 39) never comes near.
  EXPECT_LT(Distance2D(Waypoint(20), dump), 100.0f);
  for (int w : {37, 38, 39}) EXPECT_GT(Distance2D(Waypoint(w), Waypoint(20)), 1200.0f) << w;
  EXPECT_EQ(waypoints_.GetNext(37), 38);
  EXPECT_EQ(waypoints_.GetNext(38), 39);
  // The boat sails 53 -> 54 -> 55 to the pier, in region 2, with the
  // prisoner's walk ending within 1000 of it; it starts at 53.
  EXPECT_EQ(waypoints_.GetNext(53), 54);
  EXPECT_EQ(waypoints_.GetNext(54), 55);
  EXPECT_LT(Distance2D(placed_.at(76).position, Waypoint(53)), 100.0f);
  EXPECT_TRUE(inside(Region(2), Waypoint(55)));
  EXPECT_LT(Distance2D(Waypoint(39), Waypoint(55)), 1000.0f);
  // The squad starts in region 0, outside the prison's regions.
  EXPECT_TRUE(inside(Region(0), placed_.at(0).position));
  EXPECT_FALSE(inside(Region(27), placed_.at(0).position));
  // The cue timeline's thirty waypoints run in one chain.
  for (int w = 320; w < 349; ++w) EXPECT_EQ(waypoints_.GetNext(w), w + 1) << w;
}

TEST_F(Mission1Level, TheObjectiveMapShowsTheSitesWhereTheMapScreenLooks) {
  std::vector<LevelMapShape> shapes;
  std::string error;
  std::filesystem::current_path("..");
  ASSERT_TRUE(GatherLevelShapes("out", "Mission1", &shapes, &error)) << error;
  const LevelMapBox box{8482.3f, 70181.8f, -45802.4f, 15471.6f};
  const LevelMapPicture p = DrawLevelMap(shapes, box, 256, 256);
  const auto at = [&](float x, float z) {
    return p.At(static_cast<int>(LevelMapColumn(box, 256, x)), static_cast<int>(LevelMapRow(box, 256, z)));
  };
  const std::uint32_t background = kMapBackground, ground = kMapGround;
  EXPECT_NE(at(-6584, 59190), ground) << "the prison";
  EXPECT_NE(at(-6584, 59190), background);
  EXPECT_NE(at(-3500, 56000), ground) << "the dump";
  EXPECT_NE(at(-22783, 53614), ground) << "the tower";
  EXPECT_EQ(at(-15000, 60000), ground) << "open ground";
  EXPECT_EQ(at(-40000, 20000), background) << "beyond the level";
}

}  // namespace
