// The stats tables make_stats wrote at build time: they load with no message
// box, and every loaded record equals its description, converted as the
// tables store it (metres to centimetres, seconds to whole milliseconds,
// "-1" to none, names to hashes).
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/maths/fast_trig.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/text/hash.h"
#include "shell/global_heap.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "shell/stats/world_object_stats.h"
#include "world/switches/switch_stats.h"

namespace {

using make_stats::Record;
using stats_test::BoxRecorder;

// Loads the generated folder with a Global Heap of its own.
class GeneratedStats : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CatalogStartup(), 1);
    description_ = stats_test::RepositoryDescription();
    before_ = std::filesystem::current_path();
    std::filesystem::current_path(HALBERD_STATS_DATA);
    previous_ = g_GlobalHeap;
    g_GlobalHeap = &heap_;
  }
  void TearDown() override {
    FreeAllStats();
    g_GlobalHeap = previous_;
    std::filesystem::current_path(before_);
  }
  const std::vector<Record>& Rows(const char* file) { return description_.at(file).records; }

  std::map<std::string, make_stats::Table> description_;
  std::filesystem::path before_;
  CLinearBuffer heap_{kGlobalHeapSize, "Global Heap"};
  CLinearBuffer* previous_ = nullptr;
};

float Num(const Record& r, const std::string& key) { return std::strtof(r[key].c_str(), nullptr); }
std::int64_t Int(const Record& r, const std::string& key) { return std::strtoll(r[key].c_str(), nullptr, 10); }
float Cm(const Record& r, const std::string& key) { return Num(r, key) * 100.0f; }
std::uint32_t Ms(const Record& r, const std::string& key) {
  return static_cast<std::uint32_t>(std::floor(Num(r, key) * 1000.0f));
}
// "-1" stands for none: an empty name.
std::string Opt(const Record& r, const std::string& key) { return r[key] == "-1" ? "" : r[key]; }
std::uint32_t UpperHash(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return HashString(upper.c_str());
}
std::uint32_t UpperHashOpt(const Record& r, const std::string& key) {
  return r[key] == "-1" ? 0u : UpperHash(r[key]);
}
std::uint16_t Interface(const Record& r) {
  return r["interface"] == "-1" ? 0xFFFF : InterfaceIdFromName(r["interface"].c_str());
}
std::string File(const Record& r, const std::string& key, const char* extension) {
  return r[key] == "-1" ? "" : r[key] + extension;
}

TEST_F(GeneratedStats, LoadWithoutAMessageAndLeaveTheGlobalHeapAtMarkZero) {
  BoxRecorder boxes;
  void* before = heap_.Alloc(64, 4);
  const std::uint32_t used = heap_.GetUsed();
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
  EXPECT_EQ(heap_.GetUsed(), used);
  EXPECT_NE(before, nullptr);
  // Every table that keeps one record per line holds its description's rows
  // (the connector objects and the files that add to other tables do not).
  for (int i = 0; i < kStatsFileCount; ++i) {
    if (i == 24 || (i >= 33 && i != 37)) continue;
    EXPECT_EQ(StatsFileRecordCount(i), static_cast<int>(description_.at(StatsFileName(i)).records.size()))
        << StatsFileName(i);
  }
}

TEST_F(GeneratedStats, FreeAllStatsLeavesNothingAllocated) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();  // first load: lazily built engine tables
  FreeAllStats();
  MemStatistics start{}, loaded{}, end{};
  MemGetStatistics(&start);
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  MemGetStatistics(&loaded);
  FreeAllStats();
  MemGetStatistics(&end);
  EXPECT_GT(loaded.totalAllocUnitCount, start.totalAllocUnitCount);
  EXPECT_EQ(end.totalAllocUnitCount, start.totalAllocUnitCount);
  EXPECT_EQ(end.totalReportedMemory, start.totalReportedMemory);
  EXPECT_EQ(WeaponStatsTable().Count, 0);
  EXPECT_EQ(HumanStatsTable().Count, 0);
  EXPECT_EQ(FindStats("Rifle", STATS_WEAPON), nullptr);
  FreeAllStats();  // a second free does nothing
}

TEST_F(GeneratedStats, WeaponsEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  const auto& rows = Rows("Weaps.txt");
  ASSERT_EQ(WeaponStatsTable().Count, static_cast<int>(rows.size()));
  int index = 0;
  for (const Record& r : rows) {
    const WeaponStats& w = WeaponStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    const std::uint32_t weaponClass = WeaponClassFromName(r["class"].c_str());
    EXPECT_EQ(w.Kind, 5u);
    EXPECT_STREQ(w.Name, r["name"].c_str());
    EXPECT_EQ(w.NameHashNoCase, HashStringNoCase(r["name"].c_str()));
    EXPECT_STREQ(w.ModelName, weaponClass == WEAPON_FIST ? "Knife01_Combat" : r["model"].c_str());
    EXPECT_EQ(w.SecondModelName, Opt(r, "model2"));
    EXPECT_EQ(w.TextureName, Opt(r, "texture"));
    EXPECT_EQ(w.InterfaceId, Interface(r));
    EXPECT_EQ(w.WeaponClass, weaponClass);
    EXPECT_EQ(w.Hash7, UpperHash(r["name7"]));
    EXPECT_EQ(w.Hash8, UpperHashOpt(r, "name8"));
    EXPECT_EQ(w.Flag9, Int(r, "flag9") != 0);
    EXPECT_EQ(w.Flag10, Int(r, "flag10") != 0);
    EXPECT_EQ(w.Time11, Ms(r, "time11"));
    EXPECT_EQ(w.numRoundsPerBurst, Int(r, "numRoundsPerBurst"));
    EXPECT_EQ(w.Time13, Ms(r, "time13"));
    EXPECT_EQ(w.numExplosions, Int(r, "numExplosions"));
    EXPECT_EQ(w.MaxMagazines, Int(r, "maxMagazines"));
    EXPECT_EQ(w.RoundsPerMag, Int(r, "RoundsPerMag"));
    EXPECT_EQ(w.Time17, Ms(r, "time17"));
    EXPECT_FLOAT_EQ(w.Distance18, Cm(r, "distance18"));
    EXPECT_EQ(w.explosiveDamage, Int(r, "explosiveDamage"));
    EXPECT_EQ(w.Time20, Ms(r, "time20"));
    EXPECT_EQ(w.incenDamage, Int(r, "incenDamage"));
    EXPECT_FLOAT_EQ(w.Distance22, Cm(r, "distance22"));
    EXPECT_EQ(w.damage, Int(r, "damage"));
    // The grenade is thrown half as fast again as its column says.
    EXPECT_FLOAT_EQ(w.ShotSpeed, Cm(r, "speed") * (weaponClass == WEAPON_GRENADE ? 1.5f : 1.0f));
    EXPECT_FLOAT_EQ(w.Distance25, Cm(r, "distance25"));
    const std::map<std::string, std::uint32_t> fireOnMove = {{"NO", 0}, {"PARTIAL", 1}, {"YES", 2}};
    EXPECT_EQ(w.FireOnMove, fireOnMove.at(r["fireOnMove"]));
    EXPECT_EQ(w.Flag27, Int(r, "flag27") != 0);
    EXPECT_EQ(w.Flag28, Int(r, "flag28") != 0);
    EXPECT_EQ(w.Flag29, Int(r, "flag29") != 0);
    const std::int64_t sam = Int(r, "surfaceToAir");
    EXPECT_EQ(w.SurfaceToAir, sam == 0 ? 1 : sam <= 50 ? 2 : 3);
    EXPECT_EQ(w.MovementModel, MovementModelFromName(r["movementModel"].c_str()));
    const char* assetKeys[8] = {"asset33", "asset32", "asset34", "asset35", "asset36", "asset37", "asset38", "asset39"};
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(w.Assets[i].Name, Opt(r, assetKeys[i])) << assetKeys[i];
      EXPECT_EQ(w.Assets[i].Object, nullptr);
    }
    EXPECT_FLOAT_EQ(w.muzzleSize, Int(r, "muzzleSize") * 0.01f);
    EXPECT_FLOAT_EQ(w.muzzle2Size, Int(r, "muzzle2Size") * 0.01f);
    EXPECT_FLOAT_EQ(w.ejectSize, Int(r, "ejectSize") * 0.01f);
    EXPECT_FLOAT_EQ(w.flashSize, Int(r, "flashSize") * 0.01f);
    EXPECT_EQ(w.Flag44, Int(r, "flag44") != 0);
    EXPECT_FLOAT_EQ(w.Float45, Num(r, "float45"));
    // Fire modes by class: single shot unless a thrown or placed charge.
    std::uint32_t modes = IsThrownOrPlacedCharge(weaponClass) ? 0 : 1;
    const std::uint32_t modeFlags[7] = {2, 4, 8, 32 | 512, 16, 64, 128};
    for (int i = 0; i < 7; ++i)
      if (Int(r, "mode" + std::to_string(46 + i)) != 0) modes |= modeFlags[i];
    if (weaponClass == WEAPON_GRENADE_LAUNCH_RIFLE || weaponClass == WEAPON_GRENADE_LAUNCHER) modes |= 256;
    EXPECT_EQ(w.FireModeFlags, modes);
    EXPECT_EQ(w.Timer, Ms(r, "timer"));
    EXPECT_EQ(w.fieldOfView, Int(r, "fieldOfView"));
    EXPECT_EQ(w.minFOV, Int(r, "minFOV"));
    EXPECT_EQ(w.numBullets, Int(r, "numBullets"));
    EXPECT_FLOAT_EQ(w.Float63, Num(r, "float63"));
    EXPECT_EQ(w.SoundBank, File(r, "soundBank", ".sbk"));
    EXPECT_EQ(w.recoilDirection, Int(r, "recoilDirection"));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(w.Animations[i].Name, File(r, "anim" + std::to_string(54 + i), ".prs"));
    const char* tailKeys[10] = {"distance65", "distance66", "distance68", "distance69", "distance70",
                                "distance71", "float72",    "distance73", "distance74", "distance75"};
    for (int i = 0; i < 10; ++i)
      EXPECT_FLOAT_EQ(w.Floats65To75[i], i == 6 ? Num(r, tailKeys[i]) : Cm(r, tailKeys[i])) << tailKeys[i];
    const std::map<std::uint32_t, std::string> shadows = {
        {WEAPON_ASSAULT_RIFLE, "Rifle_Shadow"}, {WEAPON_SUB_MACHINE_GUN, "Rifle_Shadow"},
        {WEAPON_MACHINE_GUN, "Rifle_Shadow"},   {WEAPON_GRENADE_LAUNCHER, "Rifle_Shadow"},
        {WEAPON_SHOTGUN, "Rifle_Shadow"},       {WEAPON_GRENADE_LAUNCH_RIFLE, "Rifle_Shadow"},
        {WEAPON_SNIPER_RIFLE, "Sniper_Shadow"}, {WEAPON_PISTOL, "Pistol_Shadow"},
        {WEAPON_ANTI_TANK, "AntiTank_Shadow"},  {WEAPON_COMBAT_KNIFE, "Knife_Shadow"}};
    EXPECT_EQ(w.Shadow.Name, shadows.count(weaponClass) ? shadows.at(weaponClass) : "");
  }
  ASSERT_NE(GetFistStats(), nullptr);
  EXPECT_STREQ(GetFistStats()->Name, "Fist");
  ASSERT_NE(GetGrenadeStats(), nullptr);
  EXPECT_STREQ(GetGrenadeStats()->Name, "Grenade");
  const float speed = GetGrenadeStats()->ShotSpeed;
  EXPECT_FLOAT_EQ(GetGrenadeThrowConstant(),
                  speed * speed / ((1.0f + FastSin(45.0f * 3.14159265358979f / 180.0f)) * 981.00006f));
}

TEST_F(GeneratedStats, ItemsEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  const auto& rows = Rows("Inven.txt");
  ASSERT_EQ(InventoryStatsTable().Count, static_cast<int>(rows.size()));
  int index = 0;
  for (const Record& r : rows) {
    const InventoryStats& s = InventoryStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    EXPECT_EQ(s.Kind, StatsKindFromName(r["type"].c_str()));
    EXPECT_STREQ(s.Name, r["name"].c_str());
    EXPECT_EQ(s.NameHashNoCase, HashStringNoCase(r["name"].c_str()));
    EXPECT_EQ(s.ModelName, r["model"]);
    EXPECT_EQ(s.SecondModelName, Opt(r, "model2"));
    EXPECT_EQ(s.TextureName, Opt(r, "texture"));
    EXPECT_EQ(s.InterfaceId, Interface(r));
    EXPECT_EQ(s.Hash7, UpperHash(r["name7"]));
    if (r["weapon"] == "-1") {
      EXPECT_EQ(s.AmmoWeapon, nullptr);
    } else {
      ASSERT_NE(s.AmmoWeapon, nullptr);
      EXPECT_EQ(s.AmmoWeapon->Name, r["weapon"]);
    }
    EXPECT_EQ(s.roundsPerPack, Int(r, "roundsPerPack"));
    EXPECT_EQ(s.damage, Int(r, "damage"));
    EXPECT_FLOAT_EQ(s.Duration11, static_cast<float>(Ms(r, "duration11")));
    EXPECT_EQ(s.Flag12, Int(r, "flag12"));
    EXPECT_EQ(s.SoundBank, File(r, "soundBank", ".sbk"));
    EXPECT_FLOAT_EQ(s.Float14, Num(r, "float14"));
  }
}

TEST_F(GeneratedStats, SoldierTablesEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  int index = 0;
  for (const Record& r : Rows("HStat.txt")) {
    const BaseHumanStats& s = BaseHumanStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    EXPECT_EQ(s.Name, r["name"]);
    const char* valueKeys[6] = {"v2", "v3", "v4", "v6", "v5", "v7"};  // columns 5 and 6 swapped
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Values[i], Int(r, valueKeys[i])) << valueKeys[i];
    EXPECT_FLOAT_EQ(s.Distance8, Cm(r, "distance8"));
    EXPECT_EQ(s.Value9, Int(r, "v9"));
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(s.Floats10To13[i], Num(r, "f" + std::to_string(10 + i)));
    EXPECT_EQ(s.Value14, Int(r, "v14"));
    EXPECT_FLOAT_EQ(s.Float15, Num(r, "f15"));
    EXPECT_EQ(s.Value16, Int(r, "v16"));
    EXPECT_FLOAT_EQ(s.Float17, Num(r, "f17"));
    EXPECT_EQ(s.Duration18, Ms(r, "duration18"));
  }
  EXPECT_EQ(index, BaseHumanStatsTable().Count);

  index = 0;
  for (const Record& r : Rows("Units.txt")) {
    const HumanStats& h = HumanStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    EXPECT_EQ(h.Kind, 1u);
    EXPECT_STREQ(h.Name, r["name"].c_str());
    EXPECT_EQ(h.CharacterType, CharacterTypeFromName(r["characterType"].c_str()));
    EXPECT_EQ(h.ModelName, Opt(r, "model"));
    EXPECT_EQ(h.SecondModelName, Opt(r, "model2"));
    EXPECT_STREQ(h.TextureName, "");
    ASSERT_NE(h.Base, nullptr);
    EXPECT_EQ(h.Base->Name, r["base"]);
    EXPECT_EQ(h.InterfaceId, Interface(r));
    EXPECT_EQ(h.FirstName ? std::string(h.FirstName->Name) : "", Opt(r, "firstName"));
    EXPECT_EQ(h.Surname ? std::string(h.Surname->Name) : "", Opt(r, "surname"));
    EXPECT_EQ(h.Value9, Int(r, "v9"));
    EXPECT_EQ(h.ExperienceLevel, ExperienceLevelFromName(r["experienceLevel"].c_str()));
    EXPECT_EQ(h.Text11, Opt(r, "text11"));
    EXPECT_EQ(h.SoldierRole, r["role"] == "-1" ? 255 : SoldierRoleFromName(r["role"].c_str()));
    EXPECT_EQ(h.Hash13, r["name13"] == "-1" ? 0u : HashString(r["name13"].c_str()));
    EXPECT_EQ(h.ItemSlotCount, Int(r, "itemSlots"));
    // Items in description order into the first free slots.
    int slot = 0;
    for (const Record& item : Rows("UnitWpns.txt")) {
      if (item["kind"] != r["name"]) continue;
      ASSERT_LT(slot, 25);
      const void* expected = FindStats(item["item"].c_str(), StatsKindFromName(item["type"].c_str()));
      ASSERT_NE(expected, nullptr) << item["item"];
      EXPECT_EQ(h.Items[slot], expected) << item["item"];
      EXPECT_EQ(h.ItemCounts[slot], Int(item, "quantity"));
      ++slot;
    }
    for (; slot < 25; ++slot) EXPECT_EQ(h.Items[slot], nullptr);
    // Skills from "HSkills.txt", levels by the skill's bit position.
    std::uint32_t mask = 0;
    std::uint8_t levels[11] = {};
    for (const Record& skill : Rows("HSkills.txt")) {
      if (skill["kind"] != r["name"]) continue;
      const std::uint32_t bit = SkillMaskFromName(skill["skill"].c_str());
      mask |= bit;
      levels[__builtin_ctz(bit)] = static_cast<std::uint8_t>(Int(skill, "level"));
    }
    EXPECT_EQ(h.SkillMask, mask);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(h.SkillLevels[i], levels[i]) << "skill " << i;
  }
  EXPECT_EQ(index, HumanStatsTable().Count);

  // Default skills go to the first kind of each role.
  struct RoleSkills {
    const char* kind;
    std::uint32_t mask;
    std::uint8_t levels[11];
  } roles[] = {
      {"SquadRifleman", 2 | 1 | 256, {2, 3, 0, 0, 0, 0, 0, 0, 1, 0, 0}},
      {"SquadSniper", 4 | 2 | 1, {1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"SquadHeavy", 8 | 16 | 1, {1, 0, 0, 2, 3, 0, 0, 0, 0, 0, 0}},
      {"SquadEngineer", 64 | 256 | 2, {0, 1, 0, 0, 0, 0, 3, 0, 2, 0, 0}},
  };
  for (const RoleSkills& role : roles) {
    const auto* h = static_cast<const HumanStats*>(FindStats(role.kind, STATS_HUMAN));
    ASSERT_NE(h, nullptr) << role.kind;
    EXPECT_EQ(h->DefaultSkillMask, role.mask) << role.kind;
    for (int i = 0; i < 11; ++i) EXPECT_EQ(h->DefaultSkillLevels[i], role.levels[i]) << role.kind << " " << i;
  }
  const auto* guard = static_cast<const HumanStats*>(FindStats("EnemyGuard", STATS_HUMAN));
  ASSERT_NE(guard, nullptr);
  EXPECT_EQ(guard->DefaultSkillMask, 0u);
}

TEST_F(GeneratedStats, ExperienceLevelsComeFromPoints) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  for (const Record& r : Rows("ExMods.txt")) {
    const ExperienceModifiers* m = GetExperienceModifiers(ExperienceLevelFromName(r["level"].c_str()));
    ASSERT_NE(m, nullptr) << r["level"];
    EXPECT_FLOAT_EQ(m->Values[0], static_cast<float>(Int(r, "points")));
    for (int i = 1; i <= 16; ++i) EXPECT_FLOAT_EQ(m->Values[i], Num(r, "m" + std::to_string(i))) << r["level"];
  }
  // Each level begins at its points: one point below gives the level before.
  for (int level = 1; level <= 9; ++level) {
    const float start = GetExperienceModifiers(level)->Values[0];
    EXPECT_EQ(ExperienceLevelFromPoints(start), level);
    EXPECT_EQ(ExperienceLevelFromPoints(start - 1.0f), level - 1);
    EXPECT_EQ(NextExperienceLevel(start), level == 9 ? 9 : level + 1);
  }
  EXPECT_EQ(ExperienceLevelFromPoints(0.0f), 0);
  EXPECT_EQ(ExperienceLevelFromPoints(1.0e9f), 9);
}

TEST_F(GeneratedStats, VehicleTablesEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  int index = 0;
  for (const Record& r : Rows("Props.txt")) {
    const PropulsionStats& p = PropulsionStatsTable().Records[index++];
    EXPECT_EQ(p.Name, r["name"]);
    EXPECT_EQ(p.Type, PropulsionTypeFromName(r["type"].c_str()));
    EXPECT_EQ(p.Text3, r["text3"]);
  }
  index = 0;
  for (const Record& r : Rows("VStat.txt")) {
    const BaseVehicleStats& b = BaseVehicleStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    EXPECT_EQ(b.Name, r["name"]);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(b.Values2To6[i], Int(r, "v" + std::to_string(2 + i)));
    EXPECT_FLOAT_EQ(b.Distance7, Cm(r, "distance7"));
    EXPECT_EQ(b.Value8, Int(r, "v8"));
    EXPECT_FLOAT_EQ(b.Distance9, Cm(r, "distance9"));
    EXPECT_EQ(b.Flag10, Int(r, "flag10") != 0);
    EXPECT_EQ(b.Value11, Int(r, "v11"));
    EXPECT_EQ(b.CrewSize, Int(r, "crewSize"));
    ASSERT_NE(b.Propulsion, nullptr);
    EXPECT_EQ(b.Propulsion->Name, r["propulsion"]);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(b.Floats14To16[i], Num(r, "f" + std::to_string(14 + i)));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b.Values17To20[i], Int(r, "v" + std::to_string(17 + i)));
    for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(b.Distances21To27[i], Cm(r, "distance" + std::to_string(21 + i)));
  }
  index = 0;
  for (const Record& r : Rows("Vehicle.txt")) {
    const VehicleStats& v = VehicleStatsTable().Records[index++];
    SCOPED_TRACE(r["name"]);
    EXPECT_EQ(v.Kind, 2u);
    EXPECT_STREQ(v.Name, r["name"].c_str());
    EXPECT_EQ(v.ModelName, r["model"]);
    EXPECT_EQ(v.SecondModelName, Opt(r, "model2"));
    EXPECT_EQ(v.TextureName, Opt(r, "texture"));
    ASSERT_NE(v.Base, nullptr);
    EXPECT_EQ(v.Base->Name, r["base"]);
    EXPECT_EQ(v.Value6, Int(r, "v6"));
    EXPECT_EQ(v.WeaponSlotCount, Int(r, "weaponSlots"));
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(v.SeatNameHashes[i], UpperHashOpt(r, "seat" + std::to_string(7 + i))) << "seat " << 7 + i;
      EXPECT_EQ(v.SeatNameHashes2[i], UpperHashOpt(r, "seat" + std::to_string(15 + i))) << "seat " << 15 + i;
    }
    EXPECT_EQ(v.FurtherModel.Name, Opt(r, "furtherModel"));
    EXPECT_FLOAT_EQ(v.Distance27, Cm(r, "distance27"));
    EXPECT_EQ(v.Hash24, r["name24"] == "-1" ? 0u : HashStringNoCase(r["name24"].c_str()));
    EXPECT_EQ(v.Hash25, r["name25"] == "-1" ? 0u : HashStringNoCase(r["name25"].c_str()));
  }
  EXPECT_EQ(index, VehicleStatsTable().Count);
}

TEST_F(GeneratedStats, WorldObjectTablesEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  int index = 0;
  for (const Record& r : Rows("featStat.txt")) {
    const ObjectStats& o = ObjectStatsTable().Records[index++];
    EXPECT_EQ(o.Name, r["name"]);
    EXPECT_EQ(o.Value2, Int(r, "v2"));
    EXPECT_EQ(o.Value3, Int(r, "v3"));
    EXPECT_FLOAT_EQ(o.Distance4, Cm(r, "distance4"));
    EXPECT_EQ(o.Value5, Int(r, "v5"));
  }
  auto head = [](const WorldObjectStatsHead& h, const Record& r, std::uint32_t kind, bool texture) {
    EXPECT_EQ(h.Kind, kind);
    EXPECT_STREQ(h.Name, r["name"].c_str());
    EXPECT_EQ(h.ModelName, r["model"]);
    EXPECT_EQ(h.SecondModelName, Opt(r, "model2"));
    EXPECT_EQ(h.TextureName, texture ? Opt(r, "texture") : "");
  };
  index = 0;
  for (const Record& r : Rows("Structs.txt")) {
    const StructureStats& s = StructureStatsTable().Records[index++];
    head(s.Head, r, 3, true);
    ASSERT_NE(s.Damage, nullptr);
    EXPECT_EQ(s.Damage->Name, r["objectStats"]);
    EXPECT_EQ(s.Value7, Int(r, "v7"));
    EXPECT_EQ(s.FurtherModel.Name, Opt(r, "furtherModel"));
  }
  index = 0;
  for (const Record& r : Rows("Feats.txt")) {
    const FeatureStats& f = FeatureStatsTable().Records[index++];
    head(f.Head, r, 4, true);
    ASSERT_NE(f.Damage, nullptr);
    EXPECT_EQ(f.Damage->Name, r["objectStats"]);
    EXPECT_EQ(f.FeatureType, FeatureTypeFromName(r["featureType"].c_str()));
    EXPECT_EQ(f.Value7, Int(r, "v7"));
    EXPECT_EQ(f.Byte9, Int(r, "byte9"));
    EXPECT_EQ(f.FurtherModel.Name, Opt(r, "furtherModel"));
  }
  ASSERT_NE(FindBirdFeature(), nullptr);
  EXPECT_STREQ(FindBirdFeature()->Head.Name, "Bird");
  index = 0;
  for (const Record& r : Rows("Doors.txt")) {
    const DoorStats& d = DoorStatsTable().Records[index++];
    head(d.Head, r, 15, true);
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(d.Floats6To11[i], Num(r, "f" + std::to_string(6 + i)));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(d.Values12To13[i], Int(r, "v" + std::to_string(12 + i)));
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(d.Distances14To16[i], Cm(r, "distance" + std::to_string(14 + i)));
    EXPECT_EQ(d.SoundBank, File(r, "soundBank", ".sbk"));
  }
  EXPECT_EQ(TargetStatsTable().Count, static_cast<int>(Rows("Targets.txt").size()));
  ASSERT_EQ(SwitchStatsCount(), static_cast<int>(Rows("Switches.txt").size()));
  EXPECT_EQ(FindStats("Lever", STATS_SWITCH), SwitchStatsGet(0));
}

TEST_F(GeneratedStats, NameAndCharacterTablesEqualTheirDescription) {
  BoxRecorder boxes;
  ASSERT_TRUE(LoadAllStats()) << boxes.Joined();
  for (const char* file : {"fNames.txt", "sNames.txt"}) {
    const auto& table = std::string(file) == "fNames.txt" ? FirstNameTable() : SurnameTable();
    const auto& rows = Rows(file);
    ASSERT_EQ(table.Count, static_cast<int>(rows.size())) << file;
    for (int i = 0; i < table.Count; ++i) {
      EXPECT_EQ(table.Records[i].Name, rows[static_cast<std::size_t>(i)]["name"]);
      EXPECT_EQ(table.Records[i].Hash, HashString(table.Records[i].Name));
    }
  }
  const char* roles[4] = {"RIFLEMAN", "SNIPER", "HEAVY WEAPONS", "COMBAT ENGINEER"};
  for (const Record& r : Rows("MPSkins.txt")) {
    const int role = SoldierRoleFromName(r["role"].c_str());
    ASSERT_NE(FindMPCharStats(role), nullptr) << r["role"];
    EXPECT_EQ(FindMPCharStats(role)->Text, r["text"]);
    EXPECT_EQ(r["role"], roles[role]);
  }
  for (int nation = 0; nation < 4; ++nation)
    for (int role = 0; role < 4; ++role)
      EXPECT_EQ(CharSkinTable(nation, role).Count,
                static_cast<int>(Rows(CharSkinFileName(nation, role)).size()));
}

}  // namespace
