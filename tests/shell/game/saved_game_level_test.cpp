// Saved games through the real level cycle on the units level: a save of
// a changed world, loaded through the menus' reader and restored by the
// level change, gives back the same world field by field; damaged files
// are refused with the running game unchanged; a failed or interrupted
// write leaves the previous save whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "control/players/local_player_table.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/frame/run_frame.h"
#include "shell/game/game.h"
#include "shell/game/object_records.h"
#include "shell/game/save_file.h"
#include "shell/level/level_cycle.h"
#include "shell/mission/mission.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/shell_state.h"
#include "units/base/unit.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/sky/difficulty.h"
#include "world/text/message_list.h"

namespace fs = std::filesystem;

namespace {

// What a saved game carries of one world object, as the test reads it.
struct ObjectDump {
  std::int32_t id, kind, side;
  std::uint32_t flags, instanceFlags;
  CVector3 position, rotation;
  bool unit;
  float health;
  std::int32_t order, action, alertness, stance, nerve, hunt;
  std::int32_t aware[3];
  CVector3 home;
};

std::int32_t IdOf(const CHLO* o) { return o != nullptr ? o->Id : -1; }

std::vector<ObjectDump> DumpWorld() {
  std::vector<ObjectDump> out;
  for (int kind : kSaveKindOrder)
    for (int side = 0; side < g_HLOManager->Sides(); ++side)
      for (CHLO* head : {g_HLOManager->FirstActive(side, kind), g_HLOManager->FirstInactive(side, kind)})
        for (CHLO* o = head; o != nullptr; o = o->Next) {
          if (!IsSavedObject(o)) continue;
          ObjectDump d{};
          d.id = o->Id;
          d.kind = o->Kind;
          d.side = o->Side;
          d.flags = o->Flags;
          d.instanceFlags = o->Instance != nullptr ? o->Instance->Flags & (INSTF_DISABLED | INSTF_HIDDEN) : 0;
          d.position = o->GetPosition();
          o->GetRotation(d.rotation);
          d.unit = o->IsUnit();
          if (d.unit) {
            const CUnit* u = static_cast<const CUnit*>(o);
            d.health = u->health;
            d.order = u->order;
            d.action = u->action;
            d.alertness = u->alertness;
            d.stance = u->stance;
            d.nerve = u->nerve;
            d.hunt = IdOf(u->huntTarget);
            for (int i = 0; i < 3; ++i) d.aware[i] = IdOf(u->awareness[i].Target);
            d.home = u->homePosition;
          }
          out.push_back(d);
        }
  return out;
}

bool Near(const CVector3& a, const CVector3& b) {
  return std::fabs(a.x - b.x) < 0.05f && std::fabs(a.y - b.y) < 0.05f && std::fabs(a.z - b.z) < 0.05f;
}

void ExpectSameWorld(const std::vector<ObjectDump>& a, const std::vector<ObjectDump>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    const ObjectDump& x = a[i];
    const ObjectDump& y = b[i];
    SCOPED_TRACE("object " + std::to_string(x.id));
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.kind, y.kind);
    EXPECT_EQ(x.side, y.side);
    EXPECT_EQ(x.flags, y.flags);
    EXPECT_EQ(x.instanceFlags, y.instanceFlags);
    EXPECT_TRUE(Near(x.position, y.position)) << x.position.x << " " << y.position.x;
    EXPECT_TRUE(Near(x.rotation, y.rotation)) << x.rotation.y << " " << y.rotation.y;
    ASSERT_EQ(x.unit, y.unit);
    if (!x.unit) continue;
    EXPECT_EQ(x.health, y.health);
    EXPECT_EQ(x.order, y.order);
    EXPECT_EQ(x.action, y.action);
    EXPECT_EQ(x.alertness, y.alertness);
    EXPECT_EQ(x.stance, y.stance);
    EXPECT_EQ(x.nerve, y.nerve);
    EXPECT_EQ(x.hunt, y.hunt);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(x.aware[k], y.aware[k]);
    EXPECT_TRUE(Near(x.home, y.home));
  }
}

std::vector<CUnit*> Units() {
  std::vector<CUnit*> units;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
      for (CHLO* head : {g_HLOManager->FirstActive(side, kind), g_HLOManager->FirstInactive(side, kind)})
        for (CHLO* o = head; o != nullptr; o = o->Next)
          if (o->IsUnit()) units.push_back(static_cast<CUnit*>(o));
  return units;
}

// Changes every unit so that a freshly loaded level differs from it.
void ChangeUnits() {
  std::vector<CUnit*> units = Units();
  for (std::size_t i = 0; i < units.size(); ++i) {
    CUnit* u = units[i];
    u->health = 37.5f + static_cast<float>(i);
    u->nerve = 11 + static_cast<int>(i);
    u->alertness = 2;
    u->homePosition = CVector3{100.0f + i, 5.0f, -40.0f};
    u->huntTarget = units[(i + 1) % units.size()];
    u->awareness[1].Target = units[0];
    CVector3 rotation{0.0f, 30.0f + 10.0f * static_cast<float>(i), 0.0f};
    u->SetRotation(rotation);
  }
}

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class SavedGameLevel : public GameStart {
 protected:
  void SetUp() override {
    GameStart::SetUp();
    ASSERT_EQ(Start("-d Units.loa"), 1);
    RunFrame();
    ASSERT_TRUE(LevelRunning());
    ASSERT_NE(g_Game, nullptr);
    ASSERT_FALSE(Units().empty());
    for (int i = 0; i < 5; ++i) RunFrame();
  }
  void TearDown() override {
    SetSaveInterruptHook(nullptr);
    GameStart::TearDown();
  }
  // The level change the load screen asks for, run by the next frame.
  static void ChangeLevelTo(const char* name) {
    std::snprintf(LevelName, kLevelNameSize, "%s", name);
    FrameMode = FRAME_LEVEL_CHANGE;
    RunFrame();
  }
};

TEST_F(SavedGameLevel, ASavedWorldLoadsBackFieldByFieldThroughTheLevelChange) {
  ChangeUnits();
  g_Difficulty.SetLevel(1);
  SetPlayerSkillBonus(3);
  const std::vector<ObjectDump> saved = DumpWorld();
  const int messages = g_MessageList->GetMessageCount();
  ASSERT_TRUE(SaveGameToFile("Round Trip.sav", 0));
  EXPECT_EQ(g_MessageList->GetMessageCount(), messages + 1);
  EXPECT_EQ(fs::file_size("Round Trip.sav"), kSaveBufferSize);
  EXPECT_FALSE(fs::exists(SaveTemporaryName("Round Trip.sav")));

  // The world moves on and the settings change before the load.
  g_Difficulty.SetLevel(2);
  SetPlayerSkillBonus(0);
  for (CUnit* u : Units()) u->health = 1.0f;
  ASSERT_TRUE(LoadGameFromFile("Round Trip.sav"));
  EXPECT_EQ(g_Difficulty.GetLevel(), 1u);
  EXPECT_EQ(GetPlayerSkillBonus(), 3);
  EXPECT_EQ(g_Game->RestorePending, 1u);
  ASSERT_NE(MissionRecordLevelName(), nullptr);
  EXPECT_STREQ(MissionRecordLevelName(), "Units.loa");

  ChangeLevelTo(MissionRecordLevelName());
  ASSERT_TRUE(LevelRunning());
  EXPECT_EQ(g_Game->RestorePending, 0u);
  EXPECT_EQ(g_Game->LoadPending, 0u);
  EXPECT_EQ(ScreenId, kRestoredScreen);
  ExpectSameWorld(saved, DumpWorld());

  // The restored level plays on without a message box.
  for (int i = 0; i < 30; ++i) RunFrame();
  EXPECT_TRUE(LevelRunning());
  for (const CapturedBox& box : boxes_) ADD_FAILURE() << box.caption << ": " << box.text;
}

TEST_F(SavedGameLevel, ARecordWhoseObjectIsGoneIsSkippedByItsFullSize) {
  ChangeUnits();
  const std::vector<ObjectDump> saved = DumpWorld();
  ASSERT_TRUE(g_Game->Save("gone", false));
  std::vector<std::uint8_t> bytes = FileBytes("gone.sav");
  SaveHeader h;
  SaveLayout layout;
  std::string why;
  ASSERT_TRUE(CheckSaveBuffer(bytes.data(), bytes.size(), &h, &layout, &why)) << why;
  // The first record names an object no level holds.
  ASSERT_GT(layout.objectsSize, 0u);
  const std::int32_t firstId = saved.front().id;
  bytes[layout.objects] = 0xE7;
  bytes[layout.objects + 1] = 0x03;
  WriteBytes("gone.sav", bytes);
  ASSERT_TRUE(g_Game->Load("gone.sav"));
  ChangeLevelTo("Units.loa");
  ASSERT_TRUE(LevelRunning());
  const std::vector<ObjectDump> restored = DumpWorld();
  ASSERT_EQ(restored.size(), saved.size());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i].id == firstId) {
      // Left as the level made it.
      if (saved[i].unit) {
        EXPECT_NE(restored[i].nerve, saved[i].nerve);
      }
      continue;
    }
    // Every later record is read at its place.
    if (saved[i].unit) {
      EXPECT_EQ(restored[i].nerve, saved[i].nerve) << "object " << saved[i].id;
    }
    EXPECT_TRUE(Near(restored[i].rotation, saved[i].rotation)) << "object " << saved[i].id;
  }
}

TEST_F(SavedGameLevel, DamagedFilesAreRefusedWholeWithTheRunningGameUnchanged) {
  ASSERT_TRUE(g_Game->Save("good", false));
  const std::vector<std::uint8_t> good = FileBytes("good.sav");
  ASSERT_EQ(good.size(), kSaveBufferSize);
  ChangeUnits();
  g_Difficulty.SetLevel(2);
  const std::vector<ObjectDump> running = DumpWorld();
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool otherVersion;
  };
  std::vector<Case> cases;
  for (std::size_t cut = 4096; cut < good.size(); cut += 4096 * 8)
    cases.push_back({"cut", std::vector<std::uint8_t>(good.begin(), good.begin() + cut), false});
  for (std::size_t cut : {std::size_t{0}, std::size_t{148}, std::size_t{5128}, good.size() - 1})
    cases.push_back({"cut at a boundary", std::vector<std::uint8_t>(good.begin(), good.begin() + cut), false});
  {
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    cases.push_back({"longer", longer, false});
    std::vector<std::uint8_t> v15 = good;
    v15[4] = 15;
    cases.push_back({"version 15", v15, true});
    std::vector<std::uint8_t> counts = good;
    counts[8] = counts[9] = 0xFF;
    cases.push_back({"counts past the buffer", counts, false});
    std::vector<std::uint8_t> plugin = good;
    plugin[127] = 0x40;
    cases.push_back({"plug-in state longer than the room", plugin, false});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bytes.size()));
    WriteBytes("bad.sav", c.bytes);
    SetScreen(15);
    EXPECT_FALSE(g_Game->Load("bad.sav"));
    EXPECT_EQ(g_Game->LoadPending, 0u);
    EXPECT_EQ(g_Game->RestorePending, 0u);
    EXPECT_EQ(g_Difficulty.GetLevel(), 2u);
    EXPECT_EQ(ScreenId, c.otherVersion ? kLoadFailedScreen : 15);
  }
  EXPECT_FALSE(g_Game->Load("no such file.sav"));
  ExpectSameWorld(running, DumpWorld());
  EXPECT_EQ(FileBytes("good.sav"), good);
}

TEST_F(SavedGameLevel, AFailedOrInterruptedWriteLeavesThePreviousSaveWhole) {
  ASSERT_TRUE(g_Game->Save("keep", false));
  const std::vector<std::uint8_t> before = FileBytes("keep.sav");
  ChangeUnits();
  // The writer dies after the temporary file is complete.
  SetSaveInterruptHook([](const char*) { return false; });
  EXPECT_FALSE(g_Game->Save("keep", false));
  SetSaveInterruptHook(nullptr);
  EXPECT_EQ(FileBytes("keep.sav"), before);
  // The temporary file cannot be made (its name is taken by a folder).
  fs::remove(SaveTemporaryName("keep.sav"));
  fs::create_directory(SaveTemporaryName("keep.sav"));
  const int messages = g_MessageList->GetMessageCount();
  EXPECT_FALSE(g_Game->Save("keep", false));
  EXPECT_EQ(g_MessageList->GetMessageCount(), messages);
  EXPECT_EQ(FileBytes("keep.sav"), before);
  // A folder that does not exist.
  EXPECT_FALSE(g_Game->Save("no folder/keep", false));
  fs::remove(SaveTemporaryName("keep.sav"));
  EXPECT_TRUE(g_Game->Save("keep", false));
  EXPECT_NE(FileBytes("keep.sav"), before);
}

TEST_F(SavedGameLevel, ACheckpointKeepsTheStateInMemoryAndWritesNoFile) {
  const int messages = g_MessageList->GetMessageCount();
  const auto files = std::distance(fs::directory_iterator("."), fs::directory_iterator());
  ASSERT_TRUE(g_Game->Save("HB_auto", true));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), files);
  EXPECT_EQ(g_MessageList->GetMessageCount(), messages + 1);
  EXPECT_TRUE(g_Game->IsSaveValid());
  EXPECT_EQ(g_Game->Header().counts.soldiers, static_cast<std::uint16_t>(Units().size()));
}

TEST_F(SavedGameLevel, MissionsFiveTwelveAndFourteenStartedDirectlyAreNotSaved) {
  for (std::int32_t id : {5, 12, 14}) {
    g_Mission->MissionId = id;
    DirectStart = 1;
    EXPECT_FALSE(g_Game->Save("refused", false)) << id;
    DirectStart = 0;
    EXPECT_TRUE(g_Game->Save("allowed", false)) << id;
  }
  EXPECT_FALSE(fs::exists("refused.sav"));
}

TEST_F(SavedGameLevel, ASaveAfterTheMissionEndedMarksTheRecordAndRestoresNothing) {
  g_Mission->MissionResult = MISSION_SUCCEEDED;
  ASSERT_TRUE(g_Game->Save("won", false));
  EXPECT_EQ(g_Mission->SpareByte, 1);
  const std::vector<std::uint8_t> bytes = FileBytes("won.sav");
  ASSERT_EQ(bytes.size(), kSaveBufferSize);
  for (std::size_t i = kSaveObjectSectionOffset; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
  ASSERT_TRUE(g_Game->Load("won.sav"));
  EXPECT_EQ(g_Game->LoadPending, 1u);
  EXPECT_EQ(g_Game->RestorePending, 0u);
}

}  // namespace
