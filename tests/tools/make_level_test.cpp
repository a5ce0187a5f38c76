// The level tool: the repository's demo level is made into a folder and
// loaded back through the engine's loader with no message box, and what the
// loader made equals the description; the description's own reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/files/catalog.h"
#include "foundation/text/hash.h"
#include "make_level/level_description.h"
#include "make_level/level_maker.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/glass/glass_section.h"
#include "world/glass/glazier.h"
#include "world/objects/chlo_manager.h"
#include "world/render_effects/render_effects_file.h"
#include "world/shrubbery/shrubbery.h"
#include "world/space/portal.h"
#include "world/sky/sky.h"
#include "world/sky/sky_section.h"
#include "world/space/zone_record.h"

namespace {

std::vector<HLOSpawnRecord> g_spawned;
// Records each game object and makes it as the level tool does.
CHLO* Spawn(HLOSpawnRecord& record) {
  g_spawned.push_back(record);
  return CreateObjectFromRecord(record);
}

bool Near(const CVector3& a, const CVector3& b) {
  return std::fabs(a.x - b.x) < 1e-3f && std::fabs(a.y - b.y) < 1e-3f && std::fabs(a.z - b.z) < 1e-3f;
}

// Rotations are kept wrapped to [0, 360).
CVector3 Wrapped(CVector3 r) {
  for (float* f : {&r.x, &r.y, &r.z}) {
    *f = std::fmod(*f, 360.0f);
    if (*f < 0.0f) *f += 360.0f;
  }
  return r;
}

// Boxes shown after the tool ran (the tool puts its own hook back to none).
void CaptureBoxes(std::vector<CapturedBox>* boxes) {
  SetMessageBoxEcho(false);
  SetMessageBoxHook(
      [](HWND, const char* text, const char* caption, UINT type, void* to) {
        static_cast<std::vector<CapturedBox>*>(to)->push_back({text ? text : "", caption ? caption : "", type});
        return IDOK;
      },
      boxes);
}

class MakeLevelTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    std::string error;
    ASSERT_TRUE(ReadLevelDescription(MAKE_LEVEL_DESCRIPTION, &level_, &error)) << error;
  }
  LevelDescription level_;
};

TEST_F(MakeLevelTest, DemoLevelLoadsWithoutMessagesAndEqualsItsDescription) {
  std::string error;
  LevelMakeReport report;
  ASSERT_TRUE(MakeLevel(level_, "out", &report, &error)) << error;
  // The file's instances, the crawl blocker and a visual per game object.
  const int described = static_cast<int>(level_.Env.instances.size());
  const int objects = static_cast<int>(level_.Env.objects.size());
  // Each switch makes an instance of each model its type names.
  int switchModels = 0;
  for (const LevelSwitchSource& s : level_.Switches)
    for (const LevelSwitchTypeSource& t : level_.SwitchTypes)
      if (t.Name == s.Type) switchModels += (t.FirstModel != "NONE") + (t.SecondModel != "NONE");
  ASSERT_GT(switchModels, 0) << "the demo level has levers";
  EXPECT_EQ(report.instances, described + 1 + objects + switchModels);
  EXPECT_GT(report.catalogFiles, report.objectFiles);

  // Load the loose files again as the game would.
  CaptureBoxes(&boxes_);
  std::filesystem::current_path("out");
  SetWorkDirectory();
  Start();
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  CEnvironment env(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  PlainLevelObjects made(&env);
  const std::string text = Read("DEMO.env");
  EnvTextCursor cursor(text.c_str());
  g_spawned.clear();
  EnvFileLoadReport loaded;
  const EnvSectionReader skyReader = GetEnvSectionReader(ENVSECTION_SKY);
  InstallSkySectionReader();
  {
    GameSwitchSection switches;
    ASSERT_EQ(EnvFileLoadEnvironment(&env, cursor, Spawn, nullptr, &loaded), 1);
    EXPECT_EQ(switches.SwitchCount(), static_cast<int>(level_.Switches.size()));
  }
  SetEnvSectionReader(ENVSECTION_SKY, skyReader);
  EXPECT_TRUE(boxes_.empty()) << boxes_[0].text;
  // The octree file numbers the instance list the game has, the switches'
  // models among it.
  OctreeLoadReport octrees;
  EXPECT_TRUE(env.LoadOctrees("DEMO.env", &octrees)) << octrees.Text;

  // Instances: names, parents, transforms, ids.
  int count = 0;
  for (CEnvInstance* i = env.InstanceList; i != nullptr; i = i->EnvLink) ++count;
  EXPECT_EQ(count, described + 1 + objects + switchModels);
  for (const EnvFileInstanceSource& s : level_.Env.instances) {
    SCOPED_TRACE(s.name);
    CEnvInstance* i = env.FindInstanceByName(s.name.c_str());
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->Template, env.FindObjectByName(s.object.c_str()));
    if (s.parent == "Root") {
      EXPECT_EQ(i->Parent, nullptr);
      EXPECT_NE(i->Zone, nullptr) << "top-level instances root zones";
    } else {
      EXPECT_EQ(i->Parent, env.FindInstanceByName(s.parent.c_str()));
    }
    EXPECT_TRUE(Near(i->GetLocalPosition(), s.position));
    EXPECT_TRUE(Near(i->GetStoredRotation(), Wrapped(s.rotation)));
    EXPECT_TRUE(Near(i->GetScale(), s.scale));
    EXPECT_EQ(i->FileId, s.id);
    // The lights it is drawn with, as the description names them.
    ASSERT_EQ(i->GetActiveLightCount(), static_cast<int>(s.lights.size()));
    for (int k = 0; k < i->GetActiveLightCount(); ++k) EXPECT_EQ(i->GetActiveLight(k), s.lights[k]);
  }

  // Portals: each on its owner's zone towards its target, in file order.
  std::map<std::string, std::vector<Portal*>> byOwner;
  for (const EnvFilePortalSource& p : level_.Env.portals) {
    if (byOwner.count(p.owner)) continue;
    CEnvInstance* owner = env.FindInstanceByName(p.owner.c_str());
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(owner->Zone, nullptr);
    std::vector<Portal*> list;
    for (Portal* q = owner->Zone->Portals; q != nullptr; q = q->Next) list.insert(list.begin(), q);
    byOwner[p.owner] = list;
  }
  std::map<std::string, std::size_t> used;
  for (const EnvFilePortalSource& p : level_.Env.portals) {
    SCOPED_TRACE(p.name);
    const std::vector<Portal*>& list = byOwner[p.owner];
    const std::size_t k = used[p.owner]++;
    ASSERT_LT(k, list.size());
    EXPECT_EQ(list[k]->TargetZone, env.FindInstanceByName(p.target.c_str()));
    EXPECT_EQ(list[k]->Polygon.VertexCount, p.points.size());
    EXPECT_EQ(list[k]->DuplicatePoints, 0u);
    EXPECT_NEAR(list[k]->Polygon.Plane[2], p.plane[2], 1e-5f);
  }
  EXPECT_EQ(loaded.portalRecords, static_cast<int>(level_.Env.portals.size()));

  // Spawn records, in file order.
  ASSERT_EQ(g_spawned.size(), level_.Env.objects.size());
  for (std::size_t k = 0; k < g_spawned.size(); ++k) {
    const EnvFileObjectSource& s = level_.Env.objects[k];
    const HLOSpawnRecord& r = g_spawned[k];
    SCOPED_TRACE(s.name);
    EXPECT_STREQ(r.objectName, s.name.c_str());
    EXPECT_EQ(r.templ, env.FindObjectByName(s.name.c_str()));
    EXPECT_TRUE(Near(r.position, s.position));
    EXPECT_TRUE(Near(r.rotation, s.rotation));
    EXPECT_EQ(r.side, s.side);
    EXPECT_EQ(r.id, s.id);
    EXPECT_EQ("\"" + std::string(r.statsName) + "\"", s.statsName);
    EXPECT_EQ(r.statsTable, s.statsTable);
    EXPECT_EQ(r.groundInstance, s.parent == "Root" ? nullptr : env.FindInstanceByName(s.parent.c_str()));
    // Its own lights when it names them, else the ground's.
    EXPECT_EQ(r.takesGroundLights, s.takesGroundLights);
    ASSERT_EQ(r.lightCount, static_cast<int>(s.lights.size()));
    for (int k = 0; k < r.lightCount; ++k) EXPECT_EQ(r.lights[k], s.lights[k]);
  }

  // Waypoints.
  ASSERT_EQ(waypoints.Count(), static_cast<int>(level_.Env.waypoints.size()));
  for (int k = 0; k < waypoints.Count(); ++k) {
    const EnvFileWaypointSource& s = level_.Env.waypoints[static_cast<std::size_t>(k)];
    EXPECT_TRUE(Near(waypoints.GetWaypoint(k)->position, s.position));
    EXPECT_TRUE(Near(waypoints.GetWaypoint(k)->lookPoint, s.lookPoint));
    EXPECT_EQ(waypoints.GetNext(k), s.next);
  }
  g_EnvWaypoints = nullptr;
  EXPECT_NE(Read("DEMO.FAS").find("\"Loading Bar\""), std::string::npos);

  // The sky: its lines' values, layer textures written beside the level.
  ASSERT_TRUE(level_.SkyGiven);
  ASSERT_NE(env.Sky, nullptr);
  EXPECT_EQ(env.Sky->GetFogStart(), level_.Sky.FogStart);
  EXPECT_EQ(env.Sky->GetFogStop(), level_.Sky.FogStop);
  EXPECT_EQ(env.Sky->GetFarFogStop(), level_.Sky.FarFogStop);
  EXPECT_EQ(env.Sky->GetTimeOfDay(), level_.Sky.TimeOfDay);
  EXPECT_LT(level_.Sky.TimeOfDay, 18.0f) << "the demo's day runs to dusk";
  for (int i = 0; i < kSkyLayerCount; ++i) {
    const std::string name = level_.Sky.Layers[i].TextureName;
    ASSERT_NE(env.Sky->Layer(i).Texture, nullptr) << name;
    EXPECT_STREQ(env.Sky->Layer(i).Texture->Name, name.c_str());
    EXPECT_FALSE(Read(name + ".tga").empty()) << name;
    EXPECT_EQ(env.Sky->Layer(i).TileFactor, level_.Sky.Layers[i].TileFactor);
  }
}

TEST(LevelDescription, SkyLinesMakeTheSkySection) {
  const std::string text =
      "level T\n"
      "sky fog 1000 5000 time 16.5\n"
      "skylayer 1 texture \"high clouds\" tile 3 fixedy speed 1 2 3 curvature 0.25 height 1500\n"
      "skycolour east 18 0.5 0.25 0.125 1\n";
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText(text, "t.txt", ".", &level, &error)) << error;
  const std::string env = LevelEnvironmentText(level);
  const std::size_t at = env.find("FOGSTART 1000.000000\r\nFOGSTOP 5000.000000\r\nXFOGSTART 4000.000000");
  ASSERT_NE(at, std::string::npos) << "the far range stays the default sky's";
  EnvTextCursor cursor(env.c_str() + at);
  SkySettings read;
  int line = 0;
  ASSERT_TRUE(read.Load(cursor, 72, &line));
  EXPECT_EQ(read.TimeOfDay, 16.5f);
  EXPECT_EQ(read.Layers[0].TextureName, "UNDEFINED");
  EXPECT_EQ(read.Layers[1].TextureName, "high clouds");
  EXPECT_EQ(read.Layers[1].FixedY, 1);
  EXPECT_EQ(read.Layers[1].Speed[2], 3.0f);
  EXPECT_EQ(read.Layers[1].Height, 1500.0f);
  EXPECT_EQ(read.Colours[SKYCOLOUR_EAST][3].g, 0.25f);
  EXPECT_EQ(read.Colours[SKYCOLOUR_EAST][0].b, SkyDefaultColourKeys()[SKYCOLOUR_EAST][0].b);
  EXPECT_NE(env.find("SKYTEXTURE \"high clouds\"\r\n"), std::string::npos);
}

TEST_F(MakeLevelTest, TheCatalogHoldsWhatTheLevelReads) {
  std::string error;
  ASSERT_TRUE(MakeLevel(level_, "out", nullptr, &error)) << error;
  std::filesystem::current_path("out");
  SetWorkDirectory();
  Start("d");
  ASSERT_EQ(OpenCatalog(1, "DEMO.dat", 0, 0), 1);
  for (const char* name : {"DEMO.env", "DEMO.FAS", "DEMO.OCT", "terrain.evo", "room.evo", "crate.evo",
                           "InvisPoly.evo", "car.evo", "bricks.tga", "DEMO.qtd", "DEMO.rmd", "Switches.txt",
                           "lever.evo", "DemoCar.dyn", "DemoCrate.dyn", "bush.evo"}) {
    EXPECT_TRUE(IsFileInCatalog(name)) << name;
    // The catalog's copy is the loose file.
    BufferedFile* h = FileOpen(name, "rb");
    ASSERT_NE(h, nullptr) << name;
    EXPECT_BYTES_EQ(ReadAll(h), Read(name));
    FileClose(h);
  }
  CloseCatalog();
}

TEST(LevelDescription, SectionsAndFilesPassThroughAsTheyStand) {
  const std::string text =
      "level T\n"
      "instance A block at 1 2 3 lights 2 4 5 anim \"walk fast\"\n"
      "instance B block damage 50 3 - 1.5 2 255 -1 -1\n"
      "gameobject block lights 2 1 3\n"
      "gameobject block at 1 0 1\n"
      "section lights\n"
      "DLGT 0 \"Sun\" 0  1 1 1 1\n"
      "ENDL\n"
      "endsection\n"
      "section cameras\n"
      "CAMFREE \"PLAYERVIEW\"\n"
      "ENDC\n"
      "endsection\n"
      "file car.dyn\n"
      "  MASS 1200 # not a comment here\n"
      "endfile\n";
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText(text, "t.txt", ".", &level, &error)) << error;
  ASSERT_EQ(level.Env.instances.size(), 2u);
  const EnvFileInstanceSource& b = level.Env.instances[1];
  EXPECT_EQ(b.flags, 0x400000u);
  EXPECT_EQ(b.damageStrength, 50.0f);
  EXPECT_EQ(b.damageKind, 3);
  EXPECT_EQ(b.damageDebris, "") << "\"-\" names no debris";
  EXPECT_EQ(b.damageValues[1], 2.0f);
  EXPECT_EQ(b.damageInts[0], 255);
  EXPECT_EQ(level.Env.instances[0].keyword, "ANMI");
  EXPECT_EQ(level.Env.instances[0].trailing, "walk fast");
  EXPECT_EQ(level.Env.instances[0].lights, (std::vector<int>{4, 5}));
  // A game object naming lights takes them in place of its ground's.
  ASSERT_EQ(level.Env.objects.size(), 2u);
  EXPECT_EQ(level.Env.objects[0].takesGroundLights, 0);
  EXPECT_EQ(level.Env.objects[0].lights, (std::vector<int>{1, 3}));
  EXPECT_EQ(level.Env.objects[1].takesGroundLights, 1);
  EXPECT_TRUE(level.Env.objects[1].lights.empty());
  ASSERT_EQ(level.Files.size(), 1u);
  EXPECT_EQ(level.Files[0].Text, "  MASS 1200 # not a comment here\r\n");
  const std::string env = EnvFileWrite(level.Env);
  const std::size_t lights = env.find("DLGT 0 \"Sun\" 0  1 1 1 1\r\nENDL\r\n");
  ASSERT_NE(lights, std::string::npos);
  EXPECT_LT(env.find("ENDP"), lights);
  EXPECT_LT(lights, env.find("ENDENVS"));
  EXPECT_EQ(env.substr(env.size() - 28), "CAMFREE \"PLAYERVIEW\"\r\nENDC\r\n");
  EXPECT_EQ(env.find("ENDL", lights + 30), std::string::npos) << "a given section is not written empty as well";
}

TEST(LevelDescription, MistakesAreReportedWithFileAndLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"level T\nfrobnicate 1\n", "t.txt:2: unknown command \"frobnicate\""},
      {"level T\ninstance A block at 1 two 3\n", "t.txt:2: \"two\" is not a number"},
      {"level T\ninstance A block wobble\n", "t.txt:2: unknown instance option \"wobble\""},
      {"level T\nsection stars\nendsection\n", "t.txt:2: unknown section \"stars\""},
      {"level T\nsection lights\nENDL\n", "t.txt:2: section without endsection"},
      {"level T\nportal P A B points 2 0 0 0 1 1 1\n", "t.txt:2: a portal has 3 to 32 points"},
      {"level T\nportal P A B points 3 0 0 0 1 1 1 2 2 2\n", "t.txt:2: a portal's first three points lie on a line"},
      {"level T\ninclude nowhere.txt\n", "nowhere.txt:0: cannot be read"},
      {"instance A block\n", "t.txt: no \"level\" line names the level"},
      {"level T\nwaypoint W at 1 2\n", "t.txt:2: a word is missing"},
      {"level T\nsky wobble 1\n", "t.txt:2: unknown sky option \"wobble\""},
      {"level T\nsky time 25\n", "t.txt:2: a time of day lies in 0 to 24"},
      {"level T\nskylayer 2 tile 1\n", "t.txt:2: the sky has layers 0 and 1"},
      {"level T\nskycolour east 7 1 1 1 1\n", "t.txt:2: sky colour keys stand at 0, 6, 12 and 18 hours"},
      {"level T\nskycolour dusk 6 1 1 1 1\n", "t.txt:2: unknown sky colour \"dusk\""},
      {"level T\nsky fog 1 2\nsection sky\nFOGSTART 1\nendsection\n",
       "t.txt: the sky is given both by sky lines and by a sky section"},
  };
  for (const Case& c : cases) {
    LevelDescription level;
    std::string error;
    EXPECT_FALSE(ReadLevelDescriptionText(c.text, "t.txt", "", &level, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST_F(MakeLevelTest, AnObjectNoDescriptionHoldsStopsTheTool) {
  level_.Env.instances[3].object = "spaceship";
  std::string error;
  EXPECT_FALSE(MakeLevel(level_, "out", nullptr, &error));
  EXPECT_EQ(error, "the level places \"spaceship\", which no object description holds");
}

TEST_F(MakeLevelTest, TheDemoLevelHasItsGlassPaneAndItsRenderEffects) {
  ASSERT_EQ(level_.Panes.size(), 1u);
  std::string error;
  ASSERT_TRUE(MakeLevel(level_, "out", nullptr, &error)) << error;
  CaptureBoxes(&boxes_);
  std::filesystem::current_path("out");
  SetWorkDirectory();
  Start();
  InstallGlassSectionReader();
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  CEnvironment env(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  const std::string text = Read("DEMO.env");
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport loaded;
  ASSERT_EQ(EnvFileLoadEnvironment(&env, cursor, nullptr, nullptr, &loaded), 1);
  SetEnvSectionReader(ENVSECTION_GLASS, nullptr);
  g_EnvWaypoints = nullptr;

  // The pane as described, read back through the game's reader.
  ASSERT_NE(env.Glass, nullptr);
  ASSERT_EQ(env.Glass->GetPaneCount(), 1);
  const LevelPaneSource& described = level_.Panes[0];
  const GlassPane& pane = *env.Glass->GetPane(0);
  EXPECT_EQ(pane.State, GLASS_INTACT);
  ASSERT_EQ(pane.Outline.Count, static_cast<int>(described.points.size()));
  for (int i = 0; i < pane.Outline.Count; ++i) EXPECT_TRUE(Near(pane.Outline.Points[i], described.points[i]));
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(pane.Colour[k], described.colour[k]);
  EXPECT_EQ(pane.Splits[1], described.splits[1]);
  EXPECT_FLOAT_EQ(pane.PushSpeed[0], described.push[0]);
  EXPECT_FLOAT_EQ(pane.Thickness, described.thickness);
  EXPECT_TRUE(pane.ReflectionName.empty());

  // The render-effects file and its detail map lie beside the level; the
  // file's block finds the rooms' template.
  EXPECT_FALSE(Read("brickgrain.tga").empty());
  RenderEffectsStats stats;
  EXPECT_EQ(LoadRenderEffectsFile(&env, "DEMO.rfx", nullptr, 0, &stats), 1);
  EXPECT_EQ(stats.blocks, 1);
  EXPECT_EQ(stats.appliedBlocks, 1);
  EXPECT_EQ(LoadLevelRenderEffects(&env, "DEMO.env"), 1);
  EXPECT_TRUE(boxes_.empty()) << boxes_[0].text;
}

TEST(LevelDescription, PanesAreReadAndChecked) {
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText("level T\n"
                                       "pane thickness 2 splits 1 4 effects 2 3 9 reflect 0.5 env "
                                       "points 3 0 0 0 100 0 0 100 100 0\n",
                                       "t.txt", ".", &level, &error))
      << error;
  ASSERT_EQ(level.Panes.size(), 1u);
  EXPECT_EQ(level.Panes[0].effects, (std::vector<int>{3, 9}));
  EXPECT_EQ(level.Panes[0].reflectTexture, "env");
  struct Case {
    std::string text;
    const char* error;
  };
  std::string seventeen = "level T\n";
  for (int i = 0; i < 17; ++i) seventeen += "pane points 3 0 0 0 1 0 0 1 1 0\n";
  const Case cases[] = {
      {"level T\npane points 2 0 0 0 1 1 1\n", "t.txt:2: a pane has 3 to 32 points"},
      {"level T\npane colour 1 1 1\n", "t.txt:2: a word is missing"},
      {"level T\npane push fast 1 points 3 0 0 0 1 0 0 1 1 0\n", "t.txt:2: \"fast\" is not a number"},
      {"level T\npane shiny points 3 0 0 0 1 0 0 1 1 0\n", "t.txt:2: unknown pane option \"shiny\""},
      {"level T\npane effects 9 1 1 1 1 1 1 1 1 1\n", "t.txt:2: a pane has 0 to 8 effects"},
      {"level T\npane thickness 1\n", "t.txt:2: a pane needs its points"},
      {seventeen, "t.txt:18: a level has at most 16 panes"},
  };
  for (const Case& c : cases) {
    LevelDescription bad;
    EXPECT_FALSE(ReadLevelDescriptionText(c.text, "t.txt", "", &bad, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST_F(MakeLevelTest, APaneWithoutAPlaneOrAnUndescribedMapStopsTheTool) {
  LevelDescription panes = level_;
  panes.Panes[0].points = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
  std::string error;
  EXPECT_FALSE(MakeLevel(panes, "out", nullptr, &error));
  EXPECT_EQ(error, "glass pane 1: its first three points lie on a line");

  LevelDescription maps = level_;
  maps.Files.push_back({"Extra.rfx", "REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILADD DETAIL_MAP nowhere\r\n"});
  EXPECT_FALSE(MakeLevel(maps, "out", nullptr, &error));
  EXPECT_EQ(error, "Extra.rfx names the map \"nowhere\", which no object description holds");
}

}  // namespace

TEST(LevelDescription, ShrubLinesMakeGardens) {
  const char* text =
      "level T\n"
      "shrub 1 bush at 1 2 3 rotate 10 20 30 size 1.5\n"
      "shrub 0 tuft at 4 5 6 still\n"
      "shrub 1 tuft at 7 8 9 lit\n";
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText(text, "t.txt", ".", &level, &error)) << error;
  EXPECT_EQ(level.Shrubbery.Templates, (std::vector<std::string>{"bush", "tuft"}));
  ASSERT_EQ(level.Shrubbery.Gardens.size(), 2u);
  ASSERT_EQ(level.Shrubbery.Gardens[0].size(), 1u);
  ASSERT_EQ(level.Shrubbery.Gardens[1].size(), 2u);
  const ShrubFileRecord& first = level.Shrubbery.Gardens[1][0];
  EXPECT_TRUE(Near(first.Position, {1, 2, 3}));
  EXPECT_FLOAT_EQ(first.AngleX, 10.0f);
  EXPECT_FLOAT_EQ(first.AngleY, 20.0f);
  EXPECT_FLOAT_EQ(first.AngleZ, 30.0f);
  EXPECT_FLOAT_EQ(first.Size, 1.5f);
  EXPECT_EQ(first.Flags, kShrubSways);
  EXPECT_EQ(first.TemplateIndex, 0);
  EXPECT_EQ(level.Shrubbery.Gardens[0][0].Flags, 0u);
  EXPECT_EQ(level.Shrubbery.Gardens[0][0].TemplateIndex, 1);
  EXPECT_EQ(level.Shrubbery.Gardens[1][1].Flags, kShrubSways | kShrubAlternativeState);

  const struct {
    const char* text;
    const char* error;
  } mistakes[] = {
      {"level T\nshrub 0 bush\n", "t.txt:2: a shrub needs its position (at x y z)"},
      {"level T\nshrub -1 bush at 0 0 0\n", "t.txt:2: a garden number lies in 0..1000"},
      {"level T\nshrub 0 bush at 0 0 0 wave\n", "t.txt:2: unknown shrub option \"wave\""},
  };
  for (const auto& m : mistakes) {
    LevelDescription bad;
    EXPECT_FALSE(ReadLevelDescriptionText(m.text, "t.txt", "", &bad, &error)) << m.text;
    EXPECT_EQ(error, m.error);
  }
}

TEST_F(MakeLevelTest, TheDemoLevelsShrubsLoadIntoTheGroundsGarden) {
  ASSERT_FALSE(level_.Shrubbery.Gardens.empty());
  std::string error;
  ASSERT_TRUE(MakeLevel(level_, "out", nullptr, &error)) << error;
  CaptureBoxes(&boxes_);
  std::filesystem::current_path("out");
  SetWorkDirectory();
  Start();
  InstallShrubbery();
  CTextureManager textures;
  CMaterialList materials;
  CEnvironment env(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  env.Shrubbery->SetDensity(1.0f);
  const std::string text = Read("DEMO.env");
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport loaded;
  EXPECT_EQ(EnvFileLoadEnvironment(&env, cursor, nullptr, nullptr, &loaded), 1);
  SetEnvSectionReader(ENVSECTION_SHRUBBERY, nullptr);
  EXPECT_TRUE(boxes_.empty());
  ASSERT_EQ(env.Shrubbery->GetGardenCount(), static_cast<int>(level_.Shrubbery.Gardens.size()));
  EXPECT_EQ(env.FindInstanceByName("Ground")->GardenIndex, 0);
  const Garden* garden = env.Shrubbery->GetGarden(0);
  ASSERT_EQ(garden->Count, static_cast<int>(level_.Shrubbery.Gardens[0].size()));
  for (int i = 0; i < garden->Count; ++i) {
    const ShrubFileRecord& r = level_.Shrubbery.Gardens[0][static_cast<std::size_t>(i)];
    EXPECT_TRUE(Near(garden->Shrubs[i].Position, r.Position));
    ASSERT_NE(garden->Shrubs[i].Template, nullptr);
    EXPECT_EQ(garden->Shrubs[i].Template,
              env.FindObjectByName(level_.Shrubbery.Templates[static_cast<std::size_t>(r.TemplateIndex)].c_str()));
  }
  EXPECT_TRUE(env.Shrubbery->CheckGardens());
}
