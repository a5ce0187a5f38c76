// The soldier's inventory without a world: the starting items of the
// soldier kinds, merging, pooling, refusals, the full inventory, removing
// one of a stack, the hand, and the drop refused by the mission.
#include <gtest/gtest.h>

#include <string>

#include "shell/stats/item_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/weapon_stats.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"

namespace {

class GruntInventoryTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
    ASSERT_TRUE(LoadRules());
  }
  CInventoryItem* Spawn(const char* name, int statsKind) {
    return SpawnWorldItem(FindStats(name, static_cast<std::uint32_t>(statsKind)), 0);
  }
  bool Said(const std::string& text) const {
    for (const std::string& b : boxes_)
      if (b.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(GruntInventoryTest, ASoldierIsMadeWithItsKindsItemsAndItsGunInHand) {
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  ASSERT_NE(s, nullptr);
  // Rifle, Pistol, Grenade x2, C4 x2, Detonator, Medikit: six items.
  EXPECT_EQ(s->InventoryCount(), 6);
  CWeapon* rifle = s->FindWeaponOfClass(WEAPON_ASSAULT_RIFLE);
  ASSERT_NE(rifle, nullptr);
  EXPECT_EQ(s->itemInHand, rifle);
  EXPECT_EQ(s->animSet, ANIMSET_RIFLE);
  EXPECT_EQ(rifle->quantity, 30) << "one magazine";
  EXPECT_EQ(rifle->holder, s);
  EXPECT_FALSE(rifle->Flags & HLOF_ACTIVE) << "carried items leave the world";
  EXPECT_EQ(s->FindWeaponOfClass(WEAPON_GRENADE)->quantity, 2);
  EXPECT_EQ(s->FindWeaponOfClass(WEAPON_C4_CHARGE)->quantity, 2);
  ASSERT_NE(s->GetMediKit(), nullptr);
  EXPECT_EQ(s->GetMediKit()->GetQuantity(), static_cast<int>(s->medicalUnits));
  EXPECT_GT(s->medicalUnits, 0u);
  EXPECT_EQ(s->FindItemById(rifle->Id), rifle);
  EXPECT_EQ(s->FindItemById(-5), nullptr);
  EXPECT_TRUE(Boxes().empty()) << Boxes().front();
}

TEST_F(GruntInventoryTest, AddingMergesPoolsRefusesAndFillsAsTheRulesSay) {
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  ASSERT_NE(s, nullptr);
  CWeapon* rifle = s->FindWeaponOfClass(WEAPON_ASSAULT_RIFLE);
  ASSERT_NE(rifle, nullptr);

  // Ammunition goes into its weapon: two magazines.
  CInventoryItem* ammo = Spawn("RifleAmmo", STATS_AMMO);
  ASSERT_NE(ammo, nullptr);
  EXPECT_EQ(s->AddItem(ammo, 0, 0), rifle);
  EXPECT_EQ(rifle->quantity, 90);
  EXPECT_EQ(ammo->holder, nullptr);
  EXPECT_FALSE(ammo->Flags & HLOF_ACTIVE) << "used up";

  // A second rifle's rounds join the first; the emptied one stays in the world.
  CInventoryItem* second = Spawn("Rifle", STATS_WEAPON);
  ASSERT_NE(second, nullptr);
  second->SetActive(1);
  EXPECT_EQ(s->AddItem(second, 0, 0), rifle);
  EXPECT_EQ(rifle->quantity, 120);
  EXPECT_EQ(second->quantity, 0);
  EXPECT_TRUE(second->Flags & HLOF_ACTIVE) << "single player: the emptied weapon stays";
  EXPECT_EQ(s->AddItem(second, 0, 0), nullptr) << "an empty duplicate is not added";

  // The starting inventory reports a duplicate.
  boxes_.clear();
  EXPECT_EQ(s->CreateInventoryItem(FindStats("Rifle", STATS_WEAPON), 1), rifle);
  EXPECT_TRUE(Said("Duplicate weapon - Rifle for Grunt ID - " + std::to_string(s->Id))) << boxes_.size();

  // Medi-kits pool.
  CInventoryItem* held = s->GetMediKit();
  const int units = held->GetQuantity();
  CInventoryItem* kit = Spawn("Medikit", STATS_MEDI_KIT);
  const int more = kit->GetQuantity();
  ASSERT_GT(more, 0);
  EXPECT_EQ(s->AddItem(kit, 0, 0), held);
  EXPECT_EQ(held->GetQuantity(), units + more);
  EXPECT_EQ(static_cast<int>(s->medicalUnits), units + more);
  EXPECT_EQ(kit->GetQuantity(), 0);

  // 25 slots: the 26th item is refused.
  const int before = s->InventoryCount();
  int added = 0;
  for (int i = before; i < 25; ++i) added += s->AddItem(Spawn("CellKey", STATS_KEY), 0, 0) != nullptr;
  EXPECT_EQ(added, 25 - before);
  CInventoryItem* last = Spawn("CellKey", STATS_KEY);
  EXPECT_EQ(s->AddItem(last, 0, 0), nullptr);
  EXPECT_EQ(last->holder, nullptr);
  EXPECT_EQ(s->InventoryCount(), 25);
  EXPECT_EQ(s->AddItem(nullptr, 0, 0), nullptr);
}

TEST_F(GruntInventoryTest, AmmunitionCarriedBeforeItsWeaponIsEmptiedIntoIt) {
  CHLOGrunt* s = MakeSoldier("SquadEngineer", 0);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->FindWeaponOfClass(WEAPON_SNIPER_RIFLE), nullptr);
  CInventoryItem* ammo = Spawn("SniperAmmo", STATS_AMMO);
  EXPECT_EQ(s->AddItem(ammo, 0, 0), ammo) << "no weapon for it yet: carried";
  CInventoryItem* sniper = Spawn("Sniper", STATS_WEAPON);
  auto* w = AsWeapon(sniper);
  ASSERT_NE(w, nullptr);
  const int before = w->quantity;
  EXPECT_EQ(s->AddItem(sniper, 0, 0), sniper);
  EXPECT_EQ(w->quantity, before + 2 * w->MagazineSize());
  EXPECT_EQ(s->FindAmmoForWeapon(w), nullptr) << "the ammunition is gone from the inventory";
}

TEST_F(GruntInventoryTest, RemovingOneOfAStackOfChargesLeavesTheRestCarried) {
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  CWeapon* c4 = s->FindWeaponOfClass(WEAPON_C4_CHARGE);
  ASSERT_NE(c4, nullptr);
  c4->quantity = 3;
  s->SelectItem(c4, true);
  const int count = s->InventoryCount();
  EXPECT_EQ(s->RemoveItem(c4, true, true), 1);
  EXPECT_EQ(c4->quantity, 1);
  EXPECT_EQ(c4->holder, nullptr);
  EXPECT_TRUE(c4->Flags & HLOF_ACTIVE) << "put back into the world";
  CWeapon* rest = s->FindWeaponOfClass(WEAPON_C4_CHARGE);
  ASSERT_NE(rest, nullptr) << "the other two stay carried";
  EXPECT_EQ(rest->quantity, 2);
  EXPECT_EQ(s->InventoryCount(), count);
  EXPECT_EQ(s->itemInHand, rest) << "the charge in hand is the rest";

  // Medi-kits and grenades never leave this way; an item not carried neither.
  EXPECT_EQ(s->RemoveItem(s->GetMediKit(), false, true), 0);
  EXPECT_EQ(s->RemoveItem(s->FindWeaponOfClass(WEAPON_GRENADE), false, true), 0);
  EXPECT_EQ(s->RemoveItem(c4, false, true), 0);
}

TEST_F(GruntInventoryTest, TheMissionMayRefuseADropAndIsToldOfOne) {
  RecordEvents();
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  CWeapon* pistol = s->FindWeaponOfClass(WEAPON_PISTOL);
  ASSERT_NE(pistol, nullptr);
  answers_ = {{MEV_ITEM_MAY_DROP, 0}};
  EXPECT_EQ(s->DropItem(pistol, 0), 0);
  EXPECT_EQ(pistol->holder, s);
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_.back().code, std::uint32_t{MEV_ITEM_MAY_DROP});
  EXPECT_EQ(events_.back().words[0], static_cast<std::uint32_t>(s->Id));
  EXPECT_EQ(events_.back().words[1], static_cast<std::uint32_t>(pistol->Id));
  // Allowed: with no ground to fly over it lies at the soldier's feet.
  answers_ = {{MEV_ITEM_MAY_DROP, 1}};
  events_.clear();
  EXPECT_EQ(s->DropItem(pistol, 0), 1);
  EXPECT_EQ(pistol->holder, nullptr);
  EXPECT_EQ(s->FindWeaponOfClass(WEAPON_PISTOL), nullptr);
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[1].code, std::uint32_t{MEV_ITEM_DROPPED});
  // A placed drop is not asked; a fist, a grenade or nothing is never dropped.
  events_.clear();
  EXPECT_EQ(s->DropItem(nullptr, 1), 0);
  EXPECT_EQ(s->DropItem(s->FindWeaponOfClass(WEAPON_GRENADE), 1), 0);
  EXPECT_TRUE(events_.empty());
}

}  // namespace
