// The environment file loader: a whole current level, the instance and
// portal records of every version gate, missing templates, parents and
// portal ends, the sections plugged in through the reader table, and
// damaged or cut text.
#include "world/environment/env_file.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/breakable_loader_hook.h"
#include "world/environment/character_variants.h"
#include "world/environment/env_file_fixture.h"
#include "world/environment/env_load_finish_hooks.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/pool_size_file.h"
#include "world/space/portal.h"
#include "world/space/world_hit.h"
#include "world/space/zone_record.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// --- level text of any version ------------------------------------------------------

std::string Header(int v, unsigned levelFlags = 0) {
  if (v == 0) return "NotAVersionWord\n";
  std::string s = Format("Version %d\n", v);
  if (v >= 45) s += "\"Loading test\"\n";
  if (v >= 46) s += "40\n";
  if (v >= 48) s += Format("%u\n", levelFlags);
  return s;
}

std::string UndefinedSky(int v) { return env_file_fixture::SkySectionText(v, "UNDEFINED"); }

// Everything after the portal list, empty, as a file of that version holds it.
std::string Sections(int v, unsigned levelFlags = 0) {
  std::string s = "ENDL\n";
  if (v < 17) s += "0 ENDN\n";
  s += "ENDENVS\nENDWAYPTS\n";
  if (v >= 11 && (levelFlags & 2) == 0) s += "ENDMARKERS\n";
  if (v >= 8) s += "0 ENDREGIONS\n";
  s += UndefinedSky(v);
  if (v >= 34) s += "<GLAZIER> </GLAZIER>\n";
  if (v >= 38) s += "<EMIT> </EMIT>\n";
  if (v >= 52) s += "GARDENS 0 0 ENDGARDEN END\n";
  if (v >= 61) s += "TRACERS 0\n";
  return s + "ENDC\n";
}

// One plain instance record in the layout of version v.
struct Record {
  const char* keyword = "INST";
  unsigned flags = 0;
  int id = 0;
  const char* name = "A";
  const char* parent = "Root";
  int loadKind = -1;
  const char* object = "Block";
  const char* texture = "NOTEXTURE";
  const char* damage = "";   // written under flag 0x400000 (v51 on)
  const char* lights = "0";
  int garden = -1;
  int renderValue = 0;       // written before v64 under flag 0x800000
  const char* renderInfo = "";  // written under flag 0x1000000
  const char* trailing = "";
};

std::string WriteRecord(int v, const Record& r) {
  std::string s = std::string(r.keyword) + " ";
  if (v >= 10) s += Format("%u ", r.flags);
  if (v >= 1) s += Format("%d ", r.id);
  s += Format("\"%s\" \"%s\" %d \"%s\" ", r.name, r.parent, r.loadKind, r.object);
  if (v >= 49) s += Format("%s ", r.texture);
  s += "10 20 30 0 90 0 ";
  if (v >= 37) s += "2 3 4 ";
  if (v >= 67) s += "7 -8 ";
  if (v >= 51 && (r.flags & 0x400000)) s += std::string(r.damage) + " ";
  s += std::string(r.lights) + " ";
  if (v >= 52) s += Format("%d ", r.garden);
  if (v < 64 && (r.flags & 0x800000)) s += Format("%d ", r.renderValue);
  if (r.flags & 0x1000000) s += std::string(r.renderInfo) + " ";
  s += std::string(r.trailing) + "\n";
  return s;
}

std::vector<std::string> g_progress;
void Progress(const char* caption, int total, int) { g_progress.push_back(Format("%s/%d", caption, total)); }

std::vector<std::string> g_spawned;
CHLO* Spawn(HLOSpawnRecord& record) {
  g_spawned.push_back(Format("%s %d %.0f %.0f %.0f", record.objectName, record.id, record.position.x,
                             record.position.y, record.position.z));
  return nullptr;
}

class EnvFileTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
    ASSERT_TRUE(env_file_fixture::WriteTemplates());
    env_ = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
    g_EnvLoadProgressTotal = -1;
    g_progress.clear();
    g_spawned.clear();
    waypoints_.Init();
    g_EnvWaypoints = &waypoints_;
    SetMessageBoxHook(&EnvFileTest::Answer, this);
  }
  static int Answer(HWND, const char* text, const char* caption, UINT type, void* self) {
    auto* test = static_cast<EnvFileTest*>(self);
    test->boxes_.push_back({text ? text : "", caption ? caption : "", type});
    return (type & MB_TYPEMASK) == MB_OKCANCEL ? test->answer_ : IDOK;
  }
  void TearDown() override {
    delete env_;
    g_EnvWaypoints = nullptr;
    for (int id = 0; id < ENVSECTION_COUNT; ++id) SetEnvSectionReader(static_cast<EnvSectionId>(id), nullptr);
    FileTest::TearDown();
  }

  int Load(const std::string& text, EnvLoadProgress progress = nullptr) {
    text_ = text;
    cursor_ = std::make_unique<EnvTextCursor>(text_.c_str());
    return EnvFileLoadEnvironment(env_, *cursor_, spawn_, progress, &report_);
  }
  // Drops the environment and starts an empty one.
  void Renew() {
    delete env_;
    env_ = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  std::string NextToken() {
    char word[128];
    return cursor_->Token(word) ? word : "<end>";
  }
  CEnvInstance* Find(const char* name) const { return env_->FindInstanceByName(name); }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const CapturedBox& b : boxes_) out.push_back(b.text);
    return out;
  }
  int InstanceCount() const {
    int n = 0;
    for (CEnvInstance* i = env_->InstanceList; i != nullptr; i = i->EnvLink) ++n;
    return n;
  }
  std::vector<Portal*> PortalsOf(const char* owner) const {
    std::vector<Portal*> out;
    CEnvInstance* i = Find(owner);
    if (i == nullptr || i->Zone == nullptr) return out;
    for (Portal* p = i->Zone->Portals; p != nullptr; p = p->Next) out.push_back(p);
    return out;
  }

  CTextureManager textures_;
  CMaterialList materials_;
  CEnvironment* env_ = nullptr;
  EnvWaypointList waypoints_;
  std::string text_;
  std::unique_ptr<EnvTextCursor> cursor_;
  EnvFileLoadReport report_;
  int answer_ = IDOK;
  HLOSpawnCallback spawn_ = Spawn;
};

// A current level through the writer: every list and a section of each kind.
EnvFileSource CurrentLevel() {
  EnvFileSource s;
  s.caption = "Test level";
  s.progressTotal = 12;
  EnvFileInstanceSource ground;
  ground.name = "Ground";
  ground.object = "Tile";
  ground.loadKind = 5;
  EnvFileInstanceSource house;
  house.name = "House";
  house.object = "Block";
  house.loadKind = 0;
  house.id = 11;
  house.position = {100, 0, 200};
  house.rotation = {0, 90, 0};
  house.scale = {2, 2, 2};
  EnvFileInstanceSource door;
  door.name = "Door";
  door.parent = "House";
  door.object = "Block";
  door.flags = 0x1000000 | 0x2;
  door.texture = "skin.png";
  door.position = {110, 0, 200};
  door.smallValues[0] = 4;
  door.smallValues[1] = 5;
  door.lights = {3, 1, 3};
  door.garden = 2;
  door.renderInfo.flags = RenderInfoBlock::HAS_ENTRIES | RenderInfoBlock::HAS_RENDER_VALUE;
  door.renderInfo.count = 2;
  std::strcpy(door.renderInfo.entries[0].name, "wall.png");
  std::strcpy(door.renderInfo.entries[0].envMapName, "chrome.png");
  door.renderInfo.entries[0].value = 0.5f;
  std::strcpy(door.renderInfo.entries[1].name, "unused.png");
  std::strcpy(door.renderInfo.entries[1].envMapName, "chrome.png");
  door.renderInfo.renderValue = 77;
  EnvFileInstanceSource rig;
  rig.keyword = "ANMI";
  rig.name = "Crane";
  rig.object = "Rig";
  rig.trailing = "lift";
  EnvFileInstanceSource wave;
  wave.keyword = "VAMI";
  wave.name = "Flag";
  wave.object = "Wave";
  wave.trailing = "12.5";
  s.instances = {ground, house, door, rig, wave};

  for (int i = 0; i < 2; ++i) {
    EnvFileObjectSource o;
    o.name = "Block";
    o.id = 40 + i;
    o.position = {static_cast<float>(i * 100), 5, 6};
    o.parent = "Ground";
    s.objects.push_back(o);
  }
  EnvFilePortalSource p;
  p.name = "Doorway";
  p.owner = "House";
  p.target = "Ground";
  p.number = 3;
  p.plane[0] = 1;
  p.plane[2] = 0;
  p.points = {{0, 0, 0}, {0, 100, 0}, {0, 100, 100}, {0, 0, 100}};
  p.sphereCentre = {0, 50, 50};
  p.sphereRadius = 80;
  p.distanceLimited = 1;
  p.expand = 0;
  s.portals = {p};
  s.waypoints = {{"w0", {0, 0, 0}, {0, 0, 10}, 1, 1}, {"w1", {100, 0, 0}, {100, 0, 0}, 0, -1}};
  return s;
}

TEST_F(EnvFileTest, CurrentLevelLoadsWhole) {
  const EnvFileSource source = CurrentLevel();
  ASSERT_EQ(Load(EnvFileWrite(source), Progress), 1) << report_.failedLine;
  EXPECT_TRUE(Boxes().empty()) << Boxes()[0];
  EXPECT_EQ(NextToken(), "ENDC") << "the cursor stands at the movie-camera section";
  EXPECT_EQ(g_EnvFileVersion, 72);
  EXPECT_EQ(report_.instanceRecords, 5);
  EXPECT_EQ(report_.objectRecords, 2);
  EXPECT_EQ(report_.portalRecords, 1);

  // Five instances and the crawl blocker.
  EXPECT_EQ(InstanceCount(), 6);
  CEnvInstance* house = Find("House");
  CEnvInstance* door = Find("Door");
  ASSERT_NE(house, nullptr);
  ASSERT_NE(door, nullptr);
  EXPECT_EQ(house->FileId, 11);
  EXPECT_EQ(house->GetLocalPosition().x, 100.0f);
  EXPECT_EQ(house->GetStoredRotation().y, 90.0f);
  EXPECT_EQ(house->GetScale().x, 2.0f);
  EXPECT_EQ(door->Parent, house);
  EXPECT_EQ(house->FirstChild, door);
  EXPECT_EQ(Find("Ground")->Template->TemplateKind, OTYPE_LANDSCAPE);
  EXPECT_EQ(door->OverrideTexture, textures_.FindByName("skin.png")->Id);
  EXPECT_EQ(door->SmallValues[0], 4);
  EXPECT_EQ(door->SmallValues[1], 5);
  EXPECT_EQ(door->GardenIndex, 2);
  ASSERT_EQ(door->GetActiveLightCount(), 2) << "a light listed twice is kept once";
  EXPECT_EQ(door->GetActiveLight(0), 3);
  EXPECT_EQ(door->GetActiveLight(1), 1);
  // The render-info block: the entry whose texture the template uses, and the value.
  ASSERT_EQ(door->EnvMaps.size(), 1u);
  EXPECT_EQ(door->EnvMaps[0].Value, 0.5f);
  EXPECT_EQ(door->EnvMaps[0].EnvMapTexture, textures_.FindByName("chrome.png")->Id);
  EXPECT_EQ(door->RenderMode, kInstanceRenderModeValue);
  EXPECT_EQ(door->RenderValue, 77);
  EXPECT_EQ(door->Flags & 0x1800002u, 0x1800002u);
  EXPECT_EQ(Find("Flag")->GetVertexAnimSpeed(), 12.5f);

  CEnvInstance* blocker = Find("InvisPolyForCrawling");
  ASSERT_NE(blocker, nullptr);
  EXPECT_EQ(env_->CrawlBlocker, blocker);
  EXPECT_EQ(blocker->StateBits & 8u, 8u);
  EXPECT_NE(blocker->Flags & INSTF_HIDDEN, 0u);
  EXPECT_NE(blocker->Flags & INSTF_NOT_COLLIDABLE, 0u);

  EXPECT_EQ(g_spawned, (std::vector<std::string>{"Block 40 0 5 6", "Block 41 100 5 6"}));

  const std::vector<Portal*> portals = PortalsOf("House");
  ASSERT_EQ(portals.size(), 1u);
  EXPECT_EQ(portals[0]->Number, 3);
  EXPECT_EQ(portals[0]->TargetZone, Find("Ground"));
  EXPECT_EQ(portals[0]->DistanceLimited, 1u);
  EXPECT_EQ(portals[0]->VisibilitySphere.Radius, 80.0f);
  EXPECT_EQ(portals[0]->DuplicatePoints, 0u);

  ASSERT_EQ(waypoints_.Count(), 2);
  EXPECT_EQ(waypoints_.GetNext(0), 1);
  EXPECT_EQ(waypoints_.GetTag(0), 1);

  // Progress: 11 points (header, 2 objects, 1 portal, 7 after sections); calls at ticks 0, 4 and 8.
  EXPECT_EQ(g_progress, (std::vector<std::string>{"Test level/12", "Test level/12", "Test level/12"}));
  EXPECT_EQ(g_EnvLoadProgressTotal, 0);
}

// Each row: the version, the record's flags and fields, and what the
// instance must hold afterwards.  A second record follows each, which must
// be read whole too.
TEST_F(EnvFileTest, InstanceRecordsOfEveryVersionGate) {
  struct Case {
    int version;
    unsigned flags;
    const char* damage;
    const char* renderInfo;
    // expected
    unsigned flagsHeld;
    int id;
    float scaleX;
    int small0;
    bool textured;
    int garden;
    int renderValue;
  } cases[] = {
      {0, 0, "", "", 0, 0, 1, 0, false, -1, 0},
      {1, 0, "", "", 0, 5, 1, 0, false, -1, 0},
      {10, 0x2, "", "", 0x2, 5, 1, 0, false, -1, 0},
      {37, 0x2, "", "", 0x2, 5, 2, 0, false, -1, 0},
      {49, 0x2, "", "", 0x2, 5, 2, 0, true, -1, 0},
      {51, 0x400000, "1.5 2 \"Debris\" 3 4", "", 0x400000, 5, 2, 0, true, -1, 0},
      {52, 0x400000, "1.5 2 \"\" 3 4", "", 0x400000, 5, 2, 0, true, 6, 0},
      {59, 0x400000, "1.5 2 \"Debris\" 3 4 9 8 7", "", 0x400000, 5, 2, 0, true, 6, 0},
      // Before 64 the old render value comes first, then (the instance being made) a block.
      {63, 0x800000 | 0x1000000, "", "RINFO 2 31", 0x1800000, 5, 2, 0, true, 6, 31},
      {63, 0x800000, "", "", 0x1800000, 5, 2, 0, true, 6, 21},
      {64, 0x1000000, "", "RINFO 2 31", 0x1800000, 5, 2, 0, true, 6, 31},
      {66, 0, "", "", 0, 5, 2, 0, true, 6, 0},
      {67, 0, "", "", 0, 5, 2, 7, true, 6, 0},
      {72, 0x400000 | 0x1000000, "1 2 \"\" 3 4 9 8 7", "RINFO 0", 0x400000, 5, 2, 7, true, 6, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Format("version %d flags 0x%X", c.version, c.flags));
    Renew();
    boxes_.clear();
    Record first;
    first.flags = c.flags;
    first.id = 5;
    first.texture = "skin.png";
    first.damage = c.damage;
    first.garden = 6;
    first.renderValue = 21;
    first.renderInfo = c.renderInfo;
    first.lights = "2 4 5";
    Record second;
    second.name = "B";
    second.lights = "1 9";
    const std::string text = Header(c.version) + WriteRecord(c.version, first) + WriteRecord(c.version, second) +
                             "ENDI HLOX ENDP " + Sections(c.version);
    ASSERT_EQ(Load(text), 1) << report_.failedLine;
    EXPECT_TRUE(Boxes().empty());
    CEnvInstance* a = Find("A");
    CEnvInstance* b = Find("B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->Flags & 0x1C00002u, c.flagsHeld);
    EXPECT_EQ(a->FileId, c.id);
    EXPECT_EQ(a->GetScale().x, c.scaleX);
    EXPECT_EQ(a->SmallValues[0], c.small0);
    EXPECT_EQ(a->OverrideTexture != 0, c.textured);
    EXPECT_EQ(a->GardenIndex, c.garden);
    EXPECT_EQ(a->RenderValue, c.renderValue);
    EXPECT_EQ(a->GetActiveLightCount(), 2);
    EXPECT_EQ(b->GetActiveLight(0), 9);
    EXPECT_EQ(b->GetLocalPosition().z, 30.0f);
    EXPECT_EQ(NextToken(), "ENDC");
  }
}

TEST_F(EnvFileTest, MissingTemplateStillConsumesItsWholeRecord) {
  Record lost;
  lost.keyword = "ANMI";
  lost.name = "Lost";
  lost.object = "Nowhere";
  lost.flags = 0x400000 | 0x1000000;
  lost.damage = "1 2 \"Debris\" 3 4 9 8 7";
  lost.lights = "8 1 2 3 4 5 6 7 8";
  lost.renderInfo = "RINFO 3 ENVM 1 \"wall.png\" 0.5 \"chrome.png\" 9";
  lost.trailing = "\"walk\"";
  Record next;
  next.name = "Next";
  ASSERT_EQ(Load(Header(72) + WriteRecord(72, lost) + WriteRecord(72, next) + "ENDI HLOX ENDP " + Sections(72)), 1);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_NE(boxes_[0].text.find("\"Nowhere.pi2\""), std::string::npos) << "the object file's own message";
  EXPECT_EQ(boxes_[1].text,
            "Unable to find object\n\nInstance \"Lost\"\nObject \"Nowhere\"\n\nObject will be removed");
  EXPECT_EQ(Find("Lost"), nullptr);
  ASSERT_NE(Find("Next"), nullptr);
  EXPECT_EQ(Find("Next")->GetLocalPosition().x, 10.0f);
  EXPECT_NE(env_->FindObjectByName("Debris"), nullptr) << "the debris template loads all the same";
}

TEST_F(EnvFileTest, ParentsThatCannotBeUsedLeaveTheInstanceAtTheTop) {
  Record house;
  house.name = "House";
  Record orphan;
  orphan.name = "Orphan";
  orphan.parent = "Nobody";
  Record self;
  self.name = "Self";
  self.parent = "Self";
  Record tile;
  tile.name = "TileA";
  tile.object = "Tile";
  tile.parent = "House";
  Record tile2;
  tile2.name = "TileB";
  tile2.object = "Tile2";
  tile2.parent = "TileA";
  Record lamp;
  lamp.name = "Lamp";
  lamp.parent = "House";
  lamp.lights = "8 1 2 3 4 5 6 7 8";
  std::string records;
  for (const Record& r : {house, orphan, self, tile, tile2, lamp}) records += WriteRecord(72, r);
  ASSERT_EQ(Load(Header(72) + records + "ENDI HLOX ENDP " + Sections(72)), 1);
  EXPECT_EQ(Find("Orphan")->Parent, nullptr);
  EXPECT_EQ(Find("Self")->Parent, nullptr);
  EXPECT_EQ(Find("TileA")->Parent, nullptr) << "a landscape tile under a building is moved to the top";
  EXPECT_EQ(Find("TileB")->Parent, Find("TileA"));
  EXPECT_EQ(Find("Lamp")->Parent, Find("House"));
  EXPECT_EQ(Find("Lamp")->GetActiveLightCount(), 6);
  const std::string orphanId = Find("Orphan")->GetIdString();
  const std::string selfId = Find("Self")->GetIdString();
  const std::string tileId = Find("TileA")->GetIdString();
  const std::string lampId = Find("Lamp")->GetIdString();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Unable to find parent\n\nObject \"" + orphanId +
                             "\"\nParent \"Nobody\"\n\nSetting parent to \"Root\"",
                         "Unable to find parent\n\nObject \"" + selfId + "\"\nParent \"Self\"\n\nSetting parent to \"Root\"",
                         "Landscape tile \"" + tileId +
                             "\" is wrongly linked. Attempting to fix.\nPlease check this when loading completes.",
                         "Instance \"" + lampId +
                             "\" has 8 active lights. Max active lights is 6\n\nExtra lights will be removed"}));
}

std::string PortalText(int v, const char* name, const char* owner, const char* target, const char* points) {
  std::string s = Format("PORTAL \"%s\" ", name);
  if (v >= 42) s += "9 ";
  s += Format("\"%s\" \"%s\" 0 0 1 0 0 0 %s ", owner, target, points);
  if (v >= 7) s += "0 50 50 70 1 ";
  if (v >= 71) s += "0 ";
  return s + "\n";
}

const char* kSquare = "4 0 0 0 0 100 0 0 100 100 0 0 100";

TEST_F(EnvFileTest, PortalRecordsOfEveryVersionGate) {
  struct Case {
    int version;
    int number;        // -1: the next free number
    bool sphere;       // the file's sphere and distance flag
    bool expanded;     // expand flag 1 (before 71 always)
  } cases[] = {{6, 0, false, true}, {7, 0, true, true}, {42, 9, true, true}, {71, 9, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Format("version %d", c.version));
    Renew();
    Record a;
    a.name = "RoomA";
    Record b;
    b.name = "RoomB";
    const std::string text = Header(c.version) + WriteRecord(c.version, a) + WriteRecord(c.version, b) + "ENDI HLOX " +
                             PortalText(c.version, "P", "RoomA", "RoomB", kSquare) + "ENDP " + Sections(c.version);
    ASSERT_EQ(Load(text), 1) << report_.failedLine;
    const std::vector<Portal*> portals = PortalsOf("RoomA");
    ASSERT_EQ(portals.size(), 1u);
    EXPECT_EQ(portals[0]->Number, c.number);
    EXPECT_EQ(portals[0]->DistanceLimited, c.sphere ? 1u : 0u);
    EXPECT_EQ(portals[0]->VisibilitySphere.Radius == 70.0f, c.sphere);
    // The square's own radius is 50 * sqrt(2); expanding adds 100.
    EXPECT_EQ(portals[0]->Radius > 150.0f, c.expanded);
    EXPECT_EQ(NextToken(), "ENDC");
  }
}

TEST_F(EnvFileTest, PortalsThatCannotBeMadeAreDroppedAndTheNextOneIsRead) {
  Record a;
  a.name = "RoomA";
  Record b;
  b.name = "RoomB";
  std::string huge = "40";
  for (int i = 0; i < 40; ++i) huge += Format(" 0 %d %d", i, i * i);
  // An outline that runs round twice (repeated points), a bent outline, a missing target, 40 points, then a good one.
  std::string text = Header(72) + WriteRecord(72, a) + WriteRecord(72, b) + "ENDI HLOX " +
                     PortalText(72, "Twice", "RoomA", "RoomB",
                                "8 0 0 0 0 100 0 0 100 100 0 0 100 0 0 0 0 100 0 0 100 100 0 0 100") +
                     PortalText(72, "Bent", "RoomA", "RoomB", "4 0 0 0 0 100 100 0 0 100 0 100 0") +
                     PortalText(72, "Lost", "RoomA", "Nowhere", kSquare) +
                     PortalText(72, "Huge", "RoomA", "RoomB", huge.c_str()) +
                     PortalText(72, "Good", "RoomA", "RoomB", kSquare) + "ENDP " + Sections(72);

  // OK keeps the portal with duplicate points and marks it.
  ASSERT_EQ(Load(text), 1) << report_.failedLine;
  std::vector<Portal*> made = PortalsOf("RoomA");
  ASSERT_EQ(made.size(), 2u);
  // Newest first: "Good" (4 points), then "Twice" (8).
  EXPECT_EQ(made[1]->Polygon.VertexCount, 8u);
  EXPECT_EQ(made[1]->DuplicatePoints, 1u);
  EXPECT_EQ(made[0]->Polygon.VertexCount, 4u);
  EXPECT_EQ(made[0]->DuplicatePoints, 0u);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].type & 0xFu, MB_OKCANCEL);
  EXPECT_NE(boxes_[0].text.find("Portal contains duplicate points\n\nPortal Name : \"Twice\""), std::string::npos);
  EXPECT_NE(boxes_[0].text.find("NumPoints : 8\n"), std::string::npos);
  EXPECT_EQ(boxes_[1].text,
            "Unable to create portal \"Lost\"\n\nOwner or target not found\n\nOwner \"RoomA\"\nTarget "
            "\"Nowhere\"\n\nPortal removed");

  // Cancel drops it.
  Renew();
  answer_ = IDCANCEL;
  ASSERT_EQ(Load(text), 1);
  made = PortalsOf("RoomA");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0]->Polygon.VertexCount, 4u);
}

// A triangle is the smallest portal: three points are kept, two dropped, and
// the record after each is read.
TEST_F(EnvFileTest, ThreePointPortalsAreKeptAndTwoPointOnesDropped) {
  Record a;
  a.name = "RoomA";
  Record b;
  b.name = "RoomB";
  const std::string text = Header(72) + WriteRecord(72, a) + WriteRecord(72, b) + "ENDI HLOX " +
                           PortalText(72, "Triangle", "RoomA", "RoomB", "3 0 0 0 0 100 0 0 100 100") +
                           PortalText(72, "Edge", "RoomA", "RoomB", "2 0 0 0 0 100 0") +
                           PortalText(72, "Good", "RoomA", "RoomB", kSquare) + "ENDP " + Sections(72);
  ASSERT_EQ(Load(text), 1) << report_.failedLine;
  EXPECT_EQ(report_.portalRecords, 3);
  const std::vector<Portal*> made = PortalsOf("RoomA");
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[1]->Polygon.VertexCount, 3u) << "the triangle";
  EXPECT_EQ(made[0]->Polygon.VertexCount, 4u);
  EXPECT_EQ(made[1]->TargetZone, Find("RoomB"));
  EXPECT_EQ(NextToken(), "ENDC");
}

// A section reader that records what it was given and reads one word.
std::vector<std::string> g_sections;
bool RecordingReader(EnvTextCursor& text, const EnvSectionContext& context) {
  char word[64];
  const bool ok = text.Token(word);
  g_sections.push_back(Format("%s v%d", word, context.version));
  return ok;
}
// A reader that stops inside its section, as an emitter record with a missing instance does.
bool FailingReader(EnvTextCursor& text, const EnvSectionContext&) {
  char word[64];
  text.Token(word);
  text.Token(word);
  return false;
}

TEST_F(EnvFileTest, InstalledSectionReadersAreCalledInFileOrder) {
  g_sections.clear();
  SetEnvSectionReader(ENVSECTION_LIGHTS, RecordingReader);
  SetEnvSectionReader(ENVSECTION_REGIONS, RecordingReader);
  SetEnvSectionReader(ENVSECTION_SWITCHES, RecordingReader);
  SetEnvSectionReader(ENVSECTION_TRACER_BATTERIES, RecordingReader);
  EXPECT_EQ(GetEnvSectionReader(ENVSECTION_LIGHTS), RecordingReader);
  std::string text = Header(72) + "ENDI HLOX ENDP LIGHTS ENDENVS ENDWAYPTS ENDMARKERS REGIONS SWITCHES " + UndefinedSky(72) +
                     "<GLAZIER> </GLAZIER> <EMIT> </EMIT> GARDENS 0 0 ENDGARDEN END TRACERS ENDC";
  ASSERT_EQ(Load(text), 1) << report_.failedLine;
  EXPECT_EQ(g_sections, (std::vector<std::string>{"LIGHTS v72", "REGIONS v72", "SWITCHES v72", "TRACERS v72"}));
  EXPECT_EQ(NextToken(), "ENDC");
  EXPECT_EQ(SetEnvSectionReader(ENVSECTION_LIGHTS, nullptr), RecordingReader);
  EXPECT_EQ(GetEnvSectionReader(ENVSECTION_LIGHTS), GetDefaultEnvSectionReader(ENVSECTION_LIGHTS));
}

TEST_F(EnvFileTest, AFailedSectionIsReportedAndTheNextOnesAreReadBehindItsEndWord) {
  SetEnvSectionReader(ENVSECTION_EMITTERS, FailingReader);
  const std::string text = Header(72) + "ENDI HLOX ENDP ENDL ENDENVS NEWENVWAYPT 0 0 w 1 2 3 1 2 3 0 -1 ENDWAYPTS " +
                           "ENDMARKERS 0 ENDREGIONS " + UndefinedSky(72) +
                           "<GLAZIER> </GLAZIER> <EMIT> * 1 2 3 </EMIT> GARDENS 0 0 ENDGARDEN END TRACERS 1 5 6 7 "
                           "ENDC";
  EXPECT_EQ(Load(text), 0);
  EXPECT_EQ(report_.failedSections, 1u << ENVSECTION_EMITTERS);
  EXPECT_FALSE(report_.structureFailed);
  EXPECT_EQ(NextToken(), "ENDC") << "shrubbery and tracer batteries were read from behind \"</EMIT>\"";
  EXPECT_EQ(waypoints_.Count(), 1);
}

TEST_F(EnvFileTest, LevelFlagTwoLeavesTheRouteMarkersOut) {
  g_sections.clear();
  SetEnvSectionReader(ENVSECTION_ROUTE_MARKERS, RecordingReader);
  ASSERT_EQ(Load(Header(48, 2) + "ENDI HLOX ENDP " + Sections(48, 2)), 1);
  EXPECT_TRUE(g_sections.empty());
  EXPECT_EQ(env_->LevelFlags, 2u);
  ASSERT_EQ(Load(Header(11) + "ENDI HLOX ENDP " + Sections(11)), 1);
  EXPECT_EQ(g_sections, (std::vector<std::string>{"ENDMARKERS v11"}));
}

// Each point of the old node list follows a word of its own.
TEST_F(EnvFileTest, OldNodeListKeepsNoMoreThanItsCount) {
  const std::string text = Header(16) + "ENDI HLOX ENDP ENDL 2 NODE 1 2 3 NODE 4 5 6 NODE 7 8 9 ENDN ENDENVS ENDWAYPTS "
                                        "ENDMARKERS 0 ENDREGIONS " + UndefinedSky(16) + "ENDC";
  ASSERT_EQ(Load(text), 1) << report_.failedLine;
  ASSERT_EQ(env_->NodeList.size(), 2u);
  EXPECT_EQ(env_->NodeList[0].x, 1.0f);
  EXPECT_EQ(env_->NodeList[1].x, 4.0f);
  EXPECT_EQ(env_->NodeList[1].z, 6.0f);
  EXPECT_EQ(NextToken(), "ENDC");
  // A point cut short is damage, not a point.
  Renew();
  EXPECT_EQ(Load(Header(16) + "ENDI HLOX ENDP ENDL 1 NODE 1 2 ENDN ENDENVS ENDWAYPTS ENDMARKERS 0 ENDREGIONS " +
                 UndefinedSky(16) + "ENDC"),
            0);
  EXPECT_TRUE(report_.structureFailed);
}

// What a game object finds below it while it spawns.
struct SpawnGround {
  CEnvInstance* ground = nullptr;
  float top = 0.0f, bottom = 0.0f;
};
std::vector<SpawnGround> g_grounds;
CHLO* SpawnOnGround(HLOSpawnRecord& record) {
  SpawnGround seen;
  WorldHit hit;
  if (g_Environment->ProbeDown(record.position.x, record.position.z, &hit) && hit.Hit) seen.ground = hit.Instance;
  seen.top = g_Environment->WorldBounds[4];
  seen.bottom = g_Environment->WorldBounds[1];
  g_grounds.push_back(seen);
  return nullptr;
}

// Game objects spawn into a world whose bounds come from the instance list:
// a landscape tile far above or below the default bounds is an object's ground.
TEST_F(EnvFileTest, GameObjectsSpawnOverTheBoundsOfTheInstances) {
  spawn_ = SpawnOnGround;
  for (const float height : {20000.0f, -20000.0f, 0.0f}) {
    SCOPED_TRACE(height);
    Renew();
    g_grounds.clear();
    const std::string tile =
        Format("INST 0 1 \"High\" \"Root\" 5 \"Tile\" NOTEXTURE 0 %.0f 0 0 0 0 1 1 1 0 0 0 -1\n", height);
    EnvFileObjectSource object;
    object.name = "Block";
    object.position = {2, height + 5, 3};
    std::string objects;
    EnvFileWriteObject(objects, object);
    ASSERT_EQ(Load(Header(72) + tile + "ENDI " + objects + "HLOX ENDP " + Sections(72)), 1) << report_.failedLine;
    ASSERT_EQ(g_grounds.size(), 1u);
    EXPECT_EQ(g_grounds[0].ground, Find("High"));
    EXPECT_GT(g_grounds[0].top, height);
    EXPECT_LT(g_grounds[0].bottom, height);
  }
}

TEST_F(EnvFileTest, ProgressIsCalledOnEveryFourthPoint) {
  Record r;
  std::string objects;
  EnvFileObjectSource o;
  o.name = "Block";
  for (int i = 0; i < 6; ++i) EnvFileWriteObject(objects, o);
  // 1 (header) + 6 objects + 7 after sections = 14 points: ticks 0, 4, 8, 12.
  ASSERT_EQ(Load(Header(72) + WriteRecord(72, r) + "ENDI " + objects + "HLOX ENDP " + Sections(72), Progress), 1);
  EXPECT_EQ(g_progress.size(), 4u);
  EXPECT_EQ(g_progress[0], "Loading test/40") << "the header's total is taken when the pool-size file gave none";
}

TEST_F(EnvFileTest, DamagedTextStopsTheLoadAndKeepsWhatWasMade) {
  struct Case {
    const char* what;
    std::string text;
    int instances;  // instances made (the crawl blocker included)
  } cases[] = {
      {"name longer than 127", Header(72) + "INST 0 0 \"" + std::string(200, 'x') + "\" Root -1 Block NOTEXTURE 1 2 3 "
                                 "4 5 6 1 1 1 0 0 0 -1 ENDI HLOX ENDP " + Sections(72), 0},
      {"light count negative", Header(72) + "INST 0 0 A Root -1 Block NOTEXTURE 1 2 3 4 5 6 1 1 1 0 0 -3 -1 ENDI HLOX "
                                 "ENDP " + Sections(72), 1},
      {"word in place of a number", Header(72) + "INST 0 0 A Root -1 Block NOTEXTURE 1 2 three 4 5 6 1 1 1 0 0 0 -1 "
                                      "ENDI HLOX ENDP " + Sections(72), 0},
      {"portal count negative", Header(72) + "ENDI HLOX PORTAL P 1 A B 0 0 1 0 0 0 -4 ENDP " + Sections(72), 1},
      {"no ENDI", Header(72) + "INST 0 0 A Root -1 Block NOTEXTURE 1 2 3 4 5 6 1 1 1 0 0 0 -1", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Renew();
    EXPECT_EQ(Load(c.text), 0);
    EXPECT_TRUE(report_.structureFailed);
    EXPECT_GT(report_.failedLine, 0);
    EXPECT_EQ(InstanceCount(), c.instances);
  }
}

// Every prefix of a whole level that ends between two tokens loads what it
// can and answers failure; only the whole text succeeds.
TEST_F(EnvFileTest, LevelCutAtEveryTokenBoundaryFails) {
  const std::string whole = EnvFileWrite(CurrentLevel());
  // The movie-camera section is not this loader's: cuts stop before the last
  // word in front of it.
  std::size_t end = whole.rfind("ENDC");
  while (end > 0 && (whole[end - 1] == ' ' || whole[end - 1] == '\r' || whole[end - 1] == '\n')) --end;
  int cuts = 0;
  for (std::size_t i = 1; i < end; ++i) {
    const bool boundary = whole[i] == ' ' || whole[i] == '\r' || whole[i] == '\n';
    const bool previousBlank = whole[i - 1] == ' ' || whole[i - 1] == '\r' || whole[i - 1] == '\n';
    if (!boundary || previousBlank) continue;
    Renew();
    g_spawned.clear();
    ASSERT_EQ(Load(whole.substr(0, i)), 0) << "cut at " << i << ": ..." << whole.substr(i > 40 ? i - 40 : 0, 40);
    ++cuts;
  }
  EXPECT_GT(cuts, 200);
  Renew();
  EXPECT_EQ(Load(whole), 1);
}

TEST_F(EnvFileTest, LoadKindsAndLandscapes) {
  // Kinds that load nothing do not touch the disk.
  for (int kind : {-2, 1, 2, 6}) {
    EXPECT_EQ(EnvFileLoadObjectByKind(env_, kind, "Block"), nullptr);
  }
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(EnvFileLoadObjectByKind(env_, OTYPE_TRANSFORMANIM, "Block"), nullptr);
  EXPECT_EQ(boxes_.size(), 1u);
  CEnvObject* block = EnvFileLoadObjectByKind(env_, OTYPE_ENV, "Block");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(env_->FindObjectByName("Block"), block);

  boxes_.clear();
  EXPECT_EQ(EnvFileLoadLandscape(env_, OTYPE_LANDSCAPE, "Block", 1, nullptr), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_NE(boxes_[0].text.find("is not expected type, expected OTYPE_LANDSCAPE"), std::string::npos);

  CEnvInstance* tile = nullptr;
  const unsigned counter = env_->InstanceCounter;
  ASSERT_EQ(EnvFileLoadLandscape(env_, OTYPE_ENV, "Tile", 1, &tile), 1);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->Template->TemplateKind, OTYPE_ENV) << "the type is set to the one asked for";
  EXPECT_EQ(tile, env_->FindInstanceByName(Format("Tile-%u", counter).c_str()));
  EXPECT_EQ(EnvFileLoadLandscape(env_, OTYPE_LANDSCAPE, "Tile2", 0, &tile), 1);
  EXPECT_EQ(tile, nullptr);
  EXPECT_NE(env_->FindObjectByName("Tile2"), nullptr);
}

TEST_F(EnvFileTest, ADamageBlockMakesALoadedInstanceBreakable) {
  InstallBreakableLoaderHook();
  Record crate;
  crate.flags = 0x400000;
  crate.damage = "25 6 \"Debris\" 40 0 3 11 12";
  Record lid;
  lid.name = "Lid";
  lid.parent = "A";
  lid.flags = 0x400000;
  lid.damage = "50 2 \"\" 0 0 255 -1 -1";
  const int loaded =
      Load(Header(72) + WriteRecord(72, crate) + WriteRecord(72, lid) + "ENDI HLOX ENDP " + Sections(72));
  SetEnvDamageBlockHandler(nullptr);
  ASSERT_EQ(loaded, 1) << report_.failedLine;
  CEnvInstance* a = Find("A");
  CEnvInstance* top = Find("Lid");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(top, nullptr);
  const InstanceDamage* d = GetInstanceDamage(a);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Health, 25.0f);
  EXPECT_EQ(d->DebrisCount, 6);
  EXPECT_EQ(d->Debris, env_->FindObjectByName("Debris"));
  EXPECT_EQ(d->ExplosionStrength, 40.0f);
  EXPECT_EQ(d->ExplosionSize, 0.0f);
  EXPECT_EQ(d->Light, 3);
  EXPECT_EQ(d->SoundOff, 11);
  EXPECT_EQ(d->SoundOn, 12);
  ASSERT_NE(GetInstanceDamage(top), nullptr);
  EXPECT_EQ(GetInstanceDamage(top)->Debris, nullptr);
  // Hits through the instance's hit callback: 25 leaves it at exactly 0, the
  // next breaks it, and its breakable lid with it.
  ASSERT_NE(a->HitCallback, nullptr);
  a->HitCallback(a, 25.0f, nullptr);
  EXPECT_FALSE(a->Flags & INSTF_DISABLED);
  a->HitCallback(a, 0.5f, nullptr);
  EXPECT_TRUE(a->Flags & INSTF_DISABLED);
  EXPECT_TRUE(top->Flags & INSTF_DISABLED);
  EXPECT_EQ(a->HitCallback, nullptr);
}

TEST_F(EnvFileTest, WithoutTheHandlerADamageBlockIsReadAndNotKept) {
  SetEnvDamageBlockHandler(nullptr);
  Record crate;
  crate.flags = 0x400000;
  crate.damage = "25 6 \"\" 40 0 3 11 12";
  ASSERT_EQ(Load(Header(72) + WriteRecord(72, crate) + "ENDI HLOX ENDP " + Sections(72)), 1);
  EXPECT_EQ(GetInstanceDamage(Find("A")), nullptr);
}

TEST_F(EnvFileTest, TheLoadFinishMakesTheLevelsSpecialLightsOnce) {
  CLightTable lights(64);
  delete env_;
  env_ = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, &lights, nullptr, nullptr);
  InstallEnvLoadFinishHooks();
  ASSERT_EQ(Load(Header(72) + "ENDI HLOX ENDP " + Sections(72)), 1);
  const std::uint8_t night = lights.NightVisionIndex;
  EXPECT_NE(night, kNoLight);
  EXPECT_NE(lights.FlashingLightIndex, kNoLight);
  EXPECT_NE(lights.NonDirLightIndex, kNoLight);
  const int count = CLightTable::Count;
  // A second load over the same table makes no second set.
  ASSERT_EQ(Load(Header(72) + "ENDI HLOX ENDP " + Sections(72)), 1);
  EXPECT_EQ(lights.NightVisionIndex, night);
  EXPECT_EQ(CLightTable::Count, count);
  RemoveEnvLoadFinishHook(&PrepareLevelLights);
  delete env_;
  env_ = nullptr;
}

TEST_F(EnvFileTest, ACharacterVariantIsACopyOfItsBaseWearingItsOwnTexture) {
  CEnvObject* base = EnvFileLoadObjectByKind(env_, -1, "Block");
  ASSERT_NE(base, nullptr);
  const CharacterVariant variant{"GOATHERDER", 1, "GOATHERDER.bmp"};
  EXPECT_EQ(EnvFileMakeCharacterTemplate(env_, variant), nullptr) << "slot 1 holds no base";
  EnvFileSetCharacterBaseTemplate(1, base);
  CEnvObject* copy = EnvFileMakeCharacterTemplate(env_, variant);
  EnvFileResetCharacterVariants();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, base);
  EXPECT_EQ(env_->FindObjectByName("GOATHERDER"), copy);
  EXPECT_EQ(env_->FindObjectByName("Block"), base);
  EXPECT_EQ(copy->Mesh, base->Mesh);
  EXPECT_EQ(copy->Bsp, base->Bsp);
  EXPECT_EQ(copy->TemplateKind, base->TemplateKind);
  EXPECT_EQ(copy->Shared, 1u);
  ASSERT_NE(copy->VariantTexture, nullptr);
  EXPECT_EQ(copy->VariantTexture, textures_.GetTexture("GOATHERDER.bmp", 0));
  EXPECT_EQ(base->VariantTexture, nullptr);
  // Freeing the environment frees the base's meshes once (the address
  // checker reports a second free).
}

TEST_F(EnvFileTest, AChainedVariantKeepsItsLinksInsideTheCopy) {
  CEnvObject* rig = EnvFileLoadObjectByKind(env_, -1, "Rig");
  ASSERT_NE(rig, nullptr);
  ASSERT_NE(rig->NextNode, nullptr);
  EnvFileSetCharacterBaseTemplate(0, rig);
  CEnvObject* copy = EnvFileMakeCharacterTemplate(env_, CharacterVariant{"IRAQTORTURER", 0, "IRAQTORTURER.bmp"});
  EnvFileResetCharacterVariants();
  ASSERT_NE(copy, nullptr);
  int nodes = 0;
  for (CEnvObject *a = rig, *b = copy; a != nullptr; a = a->NextNode, b = b->NextNode) {
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(b->NodeIndex, a->NodeIndex);
    EXPECT_EQ(b->Shared, 1u);
    if (a->ParentNode != nullptr) {
      EXPECT_NE(b->ParentNode, a->ParentNode) << "a parent link points into the copy";
      EXPECT_EQ(b->ParentNode->NodeIndex, a->ParentNode->NodeIndex);
    }
    ++nodes;
  }
  EXPECT_GE(nodes, 2);
}

TEST_F(EnvFileTest, AModelPairLoadsFromItsSourceName) {
  ObjectTemplateRef pair;
  pair.OverrideTexture = 7;
  EXPECT_TRUE(pair.Load(env_, ""));
  EXPECT_EQ(pair.Template, nullptr);
  EXPECT_EQ(pair.OverrideTexture, 0u);
  ASSERT_TRUE(pair.Load(env_, "Debris"));
  EXPECT_EQ(pair.Template, env_->FindObjectByName("Debris"));
  // Loaded once: a second pair finds the same template.
  ObjectTemplateRef again;
  ASSERT_TRUE(again.Load(env_, "Debris"));
  EXPECT_EQ(again.Template, pair.Template);
  ObjectTemplateRef missing;
  EXPECT_FALSE(missing.Load(env_, "NoSuchModel"));
  EXPECT_EQ(missing.Template, nullptr);
}

}  // namespace
