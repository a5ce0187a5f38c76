// The name-to-number tables: every name, and an invalid one with its message.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"

namespace {

using stats_test::BoxRecorder;

struct NameTable {
  const char* table;
  std::function<std::uint32_t(const char*)> lookup;
  std::vector<std::pair<const char*, std::uint32_t>> names;
  std::uint32_t invalid;
  const char* message;  // the box an invalid name shows (%s: the name); null for none
};

std::vector<NameTable> Tables() {
  return {
      {"StatsKind", [](const char* n) { return static_cast<std::uint32_t>(StatsKindFromName(n)); },
       {{"HUMAN", 1}, {"MACHINE", 2}, {"BUILDING", 3}, {"FEATURE", 4}, {"WEAPON", 5}, {"UNIFORM", 6},
        {"PHRASE BOOK", 7}, {"MEDI KIT", 8}, {"C4 DETONATOR", 9}, {"RADIO", 10}, {"BODY ARMOUR", 11},
        {"HEAD ARMOUR", 12}, {"AMMO", 14}, {"DOOR", 15}, {"BINOCULARS", 16}, {"NIGHT VISION GOGGLES", 17},
        {"LASER DESIGNATOR", 18}, {"KEY", 20}, {"TARGET", 21}, {"MISCELLANEOUS", 22}, {"COMPUTER HACKING KIT", 24},
        {"WIRECUTTERS", 25}, {"BOMB DEFUSING KIT", 26}},
       27, nullptr},
      {"CharacterType", [](const char* n) { return static_cast<std::uint32_t>(CharacterTypeFromName(n)); },
       {{"SOLDIER", 0}, {"GOAT HERDER", 1}, {"CIVILIAN", 2}, {"EMIR", 3}, {"MISSILE EXPERT", 4}, {"POW", 5}},
       6, "Unknown Character Type"},
      {"FeatureType", [](const char* n) { return static_cast<std::uint32_t>(FeatureTypeFromName(n)); },
       {{"FURNITURE", 0}, {"WALL", 1}, {"FENCE", 2}, {"LIGHT", 3}, {"BARBED WIRE", 4}, {"COMBUSTIBLE", 5},
        {"TREE", 6}, {"CRATE", 7}, {"BIRD", 8}, {"ROCK", 9}},
       10, nullptr},
      {"PropulsionType", [](const char* n) { return static_cast<std::uint32_t>(PropulsionTypeFromName(n)); },
       {{"Wheels", 0}, {"Tracks", 1}, {"Infantry", 2}, {"Amphibious", 3}, {"Ski", 4}, {"Airplane", 5},
        {"Scud", 6}, {"Halftracks", 7}, {"Goat", 8}, {"Chinook", 9}, {"Apache", 10}, {"None", 11}},
       12, nullptr},
      {"SkillMask", [](const char* n) { return static_cast<std::uint32_t>(SkillMaskFromName(n)); },
       {{"PISTOL", 1}, {"SMG/ASSAULT RIFLE", 2}, {"SNIPER", 4}, {"MACHINE GUN", 8}, {"A-T/GRENADE", 16},
        {"SHOTGUN", 32}, {"MEDIC", 64}, {"STEALTH", 128}, {"COMBAT ENG", 256}, {"ELECTRICS/COMPUTER", 512},
        {"FORWARD OBSERVER", 1024}},
       0, nullptr},
      {"ExperienceLevel", [](const char* n) { return static_cast<std::uint32_t>(ExperienceLevelFromName(n)); },
       {{"Rookie", 0}, {"Green", 1}, {"Trained", 2}, {"Regular", 3}, {"Veteran", 4}, {"Expert", 5},
        {"Professional", 6}, {"Guard", 7}, {"Crack", 8}, {"Elite", 9}, {"Specialist", 10}, {"Skill One", 11},
        {"Skill Two", 12}, {"Skill Three", 13}, {"Skill Four", 14}},
       15, nullptr},
      {"WeaponClass", [](const char* n) { return static_cast<std::uint32_t>(WeaponClassFromName(n)); },
       {{"ASSAULT RIFLE", 0}, {"SUB-MACHINE GUN", 1}, {"SNIPER RIFLE", 2}, {"PISTOL", 3}, {"MACHINE GUN", 4},
        {"ANTI TANK", 5}, {"C4 CHARGE", 6}, {"GRENADE", 7}, {"GRENADE LAUNCHER", 8}, {"COMBAT KNIFE", 9},
        {"SHOTGUN", 10}, {"SMOKE GRENADE", 11}, {"GRENADE LAUNCH/RIFLE", 12}, {"FLASH GRENADE", 13}, {"FIST", 14}},
       15, nullptr},
      {"MovementModel", [](const char* n) { return static_cast<std::uint32_t>(MovementModelFromName(n)); },
       {{"DIRECT", 0}, {"INDIRECT", 1}, {"HOMING-DIRECT", 2}, {"HOMING-INDIRECT", 3}, {"ERRATIC-DIRECT", 4},
        {"SWEEP", 5}},
       6, "Invalid movement model - "},
      {"DamageType", [](const char* n) { return static_cast<std::uint32_t>(DamageTypeFromName(n)); },
       {{"ANTI PERSONNEL", 0}, {"ARMOUR PIERCING", 1}, {"BUNKER BUSTER", 2}, {"ARTILLERY ROUND", 3}, {"FLAMER", 4},
        {"ANTI AIRCRAFT", 5}, {"GRENADE", 6}, {"HIGH EXPLOSIVE", 7}},
       8, nullptr},
      {"SoldierRank", [](const char* n) { return static_cast<std::uint32_t>(SoldierRankFromName(n)); },
       {{"PRIVATE", 1}, {"LANCE CORPORAL", 2}, {"CORPORAL", 3}, {"SERGEANT", 4}, {"STAFF SERGEANT", 5},
        {"SERGEANT MAJOR", 6}, {"SECOND LIEUTENANT", 7}, {"LIEUTENANT", 8}, {"CAPTAIN", 9}, {"MAJOR", 10},
        {"COLONEL", 11}},
       12, nullptr},
      {"Nationality", [](const char* n) { return static_cast<std::uint32_t>(NationalityFromName(n)); },
       {{"SAS", 0}, {"US", 1}, {"RUSSIAN", 2}, {"IRAQI", 3}}, 0, nullptr},
      {"SoldierRole", [](const char* n) { return static_cast<std::uint32_t>(SoldierRoleFromName(n)); },
       {{"RIFLEMAN", 0}, {"SNIPER", 1}, {"HEAVY WEAPONS", 2}, {"COMBAT ENGINEER", 3}}, 255, nullptr},
      {"InterfaceId", [](const char* n) { return static_cast<std::uint32_t>(InterfaceIdFromName(n)); },
       {{"IMAGE_AA01_FIM_92STINGER", 10}, {"IMAGE_AKCLIP", 13}, {"IMAGE_KEY2", 40}, {"IMAGE_MINE01_CLAYMORE", 52},
        {"IMAGE_MINE03_ANTITANK", 52}, {"IMAGE_TOWROCKET", 83}, {"IMAGE_WEAPON_AK47", 88},
        {"IMAGE_WEAPON_M16M203", 104}, {"IMAGE_WEAPON_SOCOM", 113}, {"IMAGE_WEAPON_BOMBDEFUSING", 114},
        {"IMAGE_WIRECUTTERS", 114}},
       0xFFFF, "Warning - unable to find interface ID %s"},
  };
}

TEST(StatsNames, EveryNameGivesItsValueWithoutAMessage) {
  for (const NameTable& t : Tables()) {
    BoxRecorder boxes;
    for (const auto& [name, value] : t.names) EXPECT_EQ(t.lookup(name), value) << t.table << " " << name;
    EXPECT_TRUE(boxes.texts.empty()) << t.table << ": " << boxes.Joined();
  }
}

TEST(StatsNames, AnInvalidNameGivesTheInvalidValueAndItsMessage) {
  // Names compare exactly: a lower-cased or padded name is invalid too.
  for (const NameTable& t : Tables()) {
    std::string lower = t.names.front().first;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const std::string& name : {std::string("NOPE"), lower, std::string(t.names.front().first) + " "}) {
      BoxRecorder boxes;
      EXPECT_EQ(t.lookup(name.c_str()), t.invalid) << t.table << " \"" << name << "\"";
      if (t.message == nullptr) {
        EXPECT_TRUE(boxes.texts.empty()) << t.table << ": " << boxes.Joined();
        continue;
      }
      std::string expected = t.message;
      if (const auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, name);
      ASSERT_EQ(boxes.texts.size(), 1u) << t.table << ": " << boxes.Joined();
      EXPECT_EQ(boxes.texts[0], expected) << t.table;
    }
  }
}

TEST(StatsNames, WeightClassLeavesTheValueUnsetForAnInvalidName) {
  const std::pair<const char*, WeightClass> names[] = {
      {"LIGHT", WEIGHT_LIGHT}, {"MEDIUM", WEIGHT_MEDIUM}, {"HEAVY", WEIGHT_HEAVY}, {"SUPER HEAVY", WEIGHT_SUPER_HEAVY}};
  for (const auto& [name, value] : names) {
    WeightClass w = static_cast<WeightClass>(99);
    EXPECT_TRUE(WeightClassFromName(name, &w)) << name;
    EXPECT_EQ(w, value);
  }
  WeightClass w = WEIGHT_HEAVY;
  EXPECT_FALSE(WeightClassFromName("light", &w));
  EXPECT_EQ(w, WEIGHT_HEAVY);
}

TEST(StatsNames, RankNamesBackFromValues) {
  EXPECT_STREQ(SoldierRankName(1), "PRIVATE");
  EXPECT_STREQ(SoldierRankName(8), "LIEUTENANT");
  EXPECT_STREQ(SoldierRankName(11), "COLONEL");
  for (std::uint32_t v : {0u, 12u, 255u}) EXPECT_STREQ(SoldierRankName(v), "NO RANK SET") << v;
}

TEST(StatsNames, WeaponPredicatesByClassAndShotModel) {
  // class: thrown or placed charge, magazine gun
  const std::pair<bool, bool> byClass[15] = {
      {false, true},  {false, true},  {false, true}, {false, true}, {false, true},
      {false, true},  {true, false},  {true, false}, {false, true}, {false, false},
      {false, true},  {true, false},  {false, true}, {true, false}, {false, false}};
  for (std::uint32_t c = 0; c < 15; ++c) {
    EXPECT_EQ(IsThrownOrPlacedCharge(c), byClass[c].first) << "class " << c;
    EXPECT_EQ(IsMagazineGun(c), byClass[c].second) << "class " << c;
  }
  const bool direct[6] = {true, false, true, false, true, true};
  for (std::uint32_t m = 0; m < 6; ++m) EXPECT_EQ(IsDirectShot(m), direct[m]) << "model " << m;
}

}  // namespace
