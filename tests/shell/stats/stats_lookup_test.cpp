// FindStats and FindStatsByHash by kind, duplicates, name hashes that
// collide, getStatsDetails, the item-or-weapon lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text/hash.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "shell/stats/world_object_stats.h"
#include "world/switches/switch_stats.h"

namespace {

using stats_test::BoxRecorder;
using stats_test::FreeStatsAfter;
using stats_test::Row;
using stats_test::StatsFolder;

struct KindCase {
  std::uint32_t kind;
  const char* name;        // a record of the generated set
  const void* (*table)();  // the first record of the table the kind picks
};

const void* Humans() { return HumanStatsTable().Records; }
const void* Vehicles() { return VehicleStatsTable().Records; }
const void* Structures() { return StructureStatsTable().Records; }
const void* Features() { return FeatureStatsTable().Records; }
const void* Weapons() { return WeaponStatsTable().Records; }
const void* Items() { return InventoryStatsTable().Records; }
const void* Doors() { return DoorStatsTable().Records; }
const void* Switches() { return SwitchStatsGet(0); }

TEST(FindStats, EachKindSearchesItsTable) {
  FreeStatsAfter free;
  StatsFolder folder;
  BoxRecorder boxes;
  ASSERT_TRUE(folder.Load()) << boxes.Joined();
  const KindCase cases[] = {
      {1, "SquadRifleman", Humans}, {2, "DemoJeep", Vehicles},  {3, "AmmoDump", Structures},
      {4, "Crate", Features},       {5, "Rifle", Weapons},      {15, "Gate", Doors},
      {19, "Lever", Switches},      {20, "CellKey", Items},     {8, "Medikit", Items},
      // An item kind picks the item table whatever the item's own type.
      {6, "IntelFolder", Items},    {26, "RifleAmmo", Items},
  };
  for (const KindCase& c : cases) {
    void* byName = FindStats(c.name, c.kind);
    ASSERT_NE(byName, nullptr) << c.name << " kind " << c.kind;
    EXPECT_EQ(FindStatsByHash(HashString(c.name), c.kind), byName) << c.name;
    if (c.kind == 19) {
      EXPECT_EQ(byName, c.table());
      continue;
    }
    // The record lies in the table the kind picks, and its name is the one asked.
    const char* name = *reinterpret_cast<char* const*>(static_cast<const char*>(byName) + sizeof(void*));
    EXPECT_STREQ(name, c.name);
    EXPECT_GE(byName, c.table()) << c.name;
  }
  // A name of another table is not found under a wrong kind; case matters.
  EXPECT_EQ(FindStats("Rifle", STATS_HUMAN), nullptr);
  EXPECT_EQ(FindStats("rifle", STATS_WEAPON), nullptr);
  EXPECT_EQ(FindStats("SquadRifleman", STATS_KEY), nullptr);
  EXPECT_EQ(FindStats("NoSuchThing", STATS_WEAPON), nullptr);
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
}

TEST(FindStats, KindsWithoutATableAnswerNoneWithoutAMessage) {
  FreeStatsAfter free;
  StatsFolder folder;
  BoxRecorder boxes;
  ASSERT_TRUE(folder.Load()) << boxes.Joined();
  for (std::uint32_t kind : {0u, 13u, 23u, 27u, 28u, 1000u}) {
    for (const char* name : {"Rifle", "SquadRifleman", "CellKey", ""}) {
      EXPECT_EQ(FindStats(name, kind), nullptr) << name << " kind " << kind;
      EXPECT_EQ(FindStatsByHash(HashString(name), kind), nullptr) << name << " kind " << kind;
    }
  }
  EXPECT_EQ(FindStats(nullptr, STATS_WEAPON), nullptr);
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
}

TEST(FindStats, DuplicateNamesAnswerTheFirst) {
  FreeStatsAfter free;
  StatsFolder folder;
  const std::string crate2 = Row("Feats.txt", "Crate", {{"model", "SecondCrate"}, {"objectStats", "CrateDamage"},
                                                          {"featureType", "ROCK"}});
  folder.Write("Feats.txt", folder.Text("Feats.txt") + crate2);
  const std::string knife2 = Row("Weaps.txt", "Knife", {{"model", "Knife02"}, {"class", "COMBAT KNIFE"},
                                                          {"fireOnMove", "NO"}, {"movementModel", "DIRECT"}});
  folder.Write("Weaps.txt", knife2 + folder.Text("Weaps.txt"));
  BoxRecorder boxes;
  ASSERT_TRUE(folder.Load()) << boxes.Joined();
  const auto* crate = static_cast<const FeatureStats*>(FindStats("Crate", STATS_FEATURE));
  ASSERT_NE(crate, nullptr);
  EXPECT_STREQ(crate->Head.ModelName, "Crate01");
  EXPECT_EQ(FindStatsByHash(HashString("Crate"), STATS_FEATURE), crate);
  const auto* knife = static_cast<const WeaponStats*>(FindStats("Knife", STATS_WEAPON));
  ASSERT_NE(knife, nullptr);
  EXPECT_STREQ(knife->ModelName, "Knife02");
  EXPECT_EQ(knife, &WeaponStatsTable().Records[0]);
}

// Two different names with one 32-bit name hash.  The name hash is linear
// over the bits of names of one length: flipping bit sets of several
// characters changes the hash by the XOR of each flip's change, so 64 flips
// of 32 characters (two per character) hold a set whose changes cancel,
// found by elimination.
std::pair<std::string, std::string> CollidingNames() {
  const std::string base(32, 'a');
  const std::uint32_t h0 = HashString(base.c_str());
  struct Flip {
    std::uint32_t change;
    std::uint64_t used;  // which flips make up this combination (bit 2i: 0x02 at i, 2i+1: 0x01 at i)
  };
  std::vector<Flip> basis;  // reduced rows, one per leading bit
  for (int i = 0; i < 64; ++i) {
    std::string flipped = base;
    flipped[static_cast<std::size_t>(i / 2)] ^= static_cast<char>(i % 2 == 0 ? 0x02 : 0x01);
    Flip f{HashString(flipped.c_str()) ^ h0, std::uint64_t{1} << i};
    for (const Flip& b : basis)
      if (f.change & (1u << (31 - __builtin_clz(b.change)))) {
        f.change ^= b.change;
        f.used ^= b.used;
      }
    if (f.change == 0) {
      std::string other = base;
      for (int k = 0; k < 64; ++k)
        if (f.used & (std::uint64_t{1} << k))
          other[static_cast<std::size_t>(k / 2)] ^= static_cast<char>(k % 2 == 0 ? 0x02 : 0x01);
      return {base, other};
    }
    for (Flip& b : basis)
      if (b.change & (1u << (31 - __builtin_clz(f.change)))) {
        b.change ^= f.change;
        b.used ^= f.used;
      }
    basis.push_back(f);
  }
  return {base, base};
}

TEST(FindStats, TwoNamesOfOneHashAreRefusedAtLoad) {
  const auto [first, second] = CollidingNames();
  ASSERT_NE(first, second);
  ASSERT_EQ(HashString(first.c_str()), HashString(second.c_str()));
  FreeStatsAfter free;
  BoxRecorder boxes;
  const std::string text = first + ",0\nAlan,0\n" + second + ",0\n";
  EXPECT_FALSE(loadFirstNames(text.data(), static_cast<std::uint32_t>(text.size())));
  ASSERT_EQ(boxes.texts.size(), 1u) << boxes.Joined();
  EXPECT_EQ(boxes.texts[0], "fNames.txt: the name " + second + " has the same hash as a different name on line 1" +
                                "\nfNames.txt, line 3");
}

TEST(FindStats, GetStatsDetailsOfSoldiersWeaponsAndItems) {
  FreeStatsAfter free;
  StatsFolder folder;
  BoxRecorder boxes;
  ASSERT_TRUE(folder.Load()) << boxes.Joined();
  struct Case {
    std::uint32_t kind;
    const void* first;
    int count;
    std::size_t size;
  } cases[] = {
      {1, HumanStatsTable().Records, HumanStatsTable().Count, sizeof(HumanStats)},
      {5, WeaponStatsTable().Records, WeaponStatsTable().Count, sizeof(WeaponStats)},
      {14, InventoryStatsTable().Records, InventoryStatsTable().Count, sizeof(InventoryStats)},
      {22, InventoryStatsTable().Records, InventoryStatsTable().Count, sizeof(InventoryStats)},
  };
  for (const Case& c : cases) {
    void* first = nullptr;
    int count = -1;
    std::size_t size = 0;
    ASSERT_TRUE(getStatsDetails(c.kind, &first, &count, &size)) << c.kind;
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(count, c.count);
    EXPECT_GT(count, 0);
    EXPECT_EQ(size, c.size);
  }
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
  for (std::uint32_t kind : {0u, 2u, 3u, 15u, 27u}) {
    BoxRecorder invalid;
    void* first = nullptr;
    EXPECT_FALSE(getStatsDetails(kind, &first, nullptr, nullptr)) << kind;
    EXPECT_EQ(invalid.texts, std::vector<std::string>{"getStatsDetails : Invalid component type"}) << kind;
  }
}

TEST(FindStats, ItemOrWeaponSearchesTheItemsFirst) {
  FreeStatsAfter free;
  StatsFolder folder;
  folder.Write("Inven.txt", folder.Text("Inven.txt") +
                                Row("Inven.txt", "Pistol", {{"type", "MISCELLANEOUS"}, {"model", "PistolCase"}}));
  BoxRecorder boxes;
  ASSERT_TRUE(folder.Load()) << boxes.Joined();
  EXPECT_EQ(FindItemOrWeaponByHash(HashString("Pistol")), FindStats("Pistol", STATS_MISCELLANEOUS));
  EXPECT_EQ(FindItemOrWeaponByHash(HashString("Rifle")), FindStats("Rifle", STATS_WEAPON));
  EXPECT_EQ(FindItemOrWeaponByHash(HashString("Nothing")), nullptr);
}

}  // namespace
