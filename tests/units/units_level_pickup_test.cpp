// Picking up in the units level: the reach of 160 units on the soldier's
// own ground, the nearest pick-up and the mission's veto of the take action
// (which the automatic pick-up does not ask), the items the level lays out.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "shell/stats/stats_names.h"
#include "units/base/unit_events.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "units/units_level_fixture.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"

namespace {

std::vector<std::uint32_t> g_raised;
std::uint32_t g_takeAnswer = 0;
void Answer(std::uint32_t code, std::uint32_t* block, int) {
  g_raised.push_back(code);
  if (code == MEV_ITEM_MAY_TAKE) block[2] = g_takeAnswer;
}

class GruntPickUpTest : public UnitsLevelTest {
 protected:
  void TearDown() override {
    SetUnitEventHandler(nullptr);
    UnitsLevelTest::TearDown();
  }
  // Lays the item `distance` units east of the soldier, on the given ground.
  static void Lay(CInventoryItem* item, CHLOGrunt* soldier, float distance, CEnvInstance* ground) {
    CVector3 at = soldier->GetPosition();
    at.x += distance;
    item->Instance->SetPosition(at, false);
    item->SetGroundInstance(ground);
  }
};

TEST_F(GruntPickUpTest, TheLevelsItemsLieInTheWorldAndTheSoldiersHoldTheirGuns) {
  ASSERT_TRUE(loaded_);
  EXPECT_EQ(levelBoxes_, 0);
  for (int id : {200, 201, 202, 203}) {
    CInventoryItem* item = AsItem(g_HLOManager->FindByIdSlow(id));
    ASSERT_NE(item, nullptr) << id;
    EXPECT_EQ(item->holder, nullptr);
    ASSERT_NE(item->Instance, nullptr);
  }
  for (CHLOGrunt* s : Soldiers(1)) {
    ASSERT_NE(s->itemInHand, nullptr) << s->Id;
    EXPECT_TRUE(s->itemInHand->IsGun());
  }
}

TEST_F(GruntPickUpTest, ThePickUpReachesOneHundredAndSixtyUnitsOnTheSameGround) {
  ASSERT_TRUE(loaded_);
  CHLOGrunt* s = Soldiers(0)[0];
  auto* pistol = AsWeapon(g_HLOManager->FindByIdSlow(201));
  ASSERT_NE(pistol, nullptr);
  ASSERT_NE(s->GroundInstance, nullptr);
  const struct {
    float distance;
    bool sameGround;
    bool found;
  } cases[] = {{159.0f, true, true}, {161.0f, true, false}, {20.0f, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.distance);
    Lay(pistol, s, c.distance, c.sameGround ? s->GroundInstance : pistol->Instance);
    EXPECT_EQ(s->FindNearestPickup(), c.found ? pistol : nullptr);
  }
}

TEST_F(GruntPickUpTest, TheMissionsVetoStopsTheTakeActionButNotTheAutomaticPickUp) {
  ASSERT_TRUE(loaded_);
  CHLOGrunt* s = nullptr;
  for (CHLOGrunt* c : Soldiers(0))
    if (c->FindWeaponOfClass(WEAPON_PISTOL) != nullptr) s = c;
  ASSERT_NE(s, nullptr) << "a squad soldier carries a pistol";
  auto* pistol = AsWeapon(g_HLOManager->FindByIdSlow(201));
  ASSERT_NE(pistol, nullptr);
  Lay(pistol, s, 100.0f, s->GroundInstance);
  g_raised.clear();
  SetUnitEventHandler(Answer);
  g_takeAnswer = 0;
  EXPECT_EQ(s->FindNearestPickup(), nullptr);
  ASSERT_EQ(g_raised.size(), 1u);
  EXPECT_EQ(g_raised[0], std::uint32_t{MEV_ITEM_MAY_TAKE});
  g_takeAnswer = 1;
  EXPECT_EQ(s->FindNearestPickup(), pistol);

  // The automatic pick-up takes it all the same: its rounds join the
  // soldier's own pistol, which stays the one held.
  CWeapon* own = s->FindWeaponOfClass(WEAPON_PISTOL);
  ASSERT_NE(own, nullptr);
  const int rounds = own->quantity;
  const int more = pistol->quantity;
  ASSERT_GT(more, 0);
  g_takeAnswer = 0;
  g_raised.clear();
  s->PickUpAllInReach();
  EXPECT_EQ(own->quantity + own->looseRounds, rounds + more);
  EXPECT_EQ(pistol->quantity, 0);
  EXPECT_EQ(pistol->holder, nullptr) << "the emptied pistol stays in the world";
  EXPECT_NE(std::find(g_raised.begin(), g_raised.end(), std::uint32_t{MEV_ITEM_PICKED_UP}), g_raised.end());
  EXPECT_STREQ(PickUpText(), "Pistol") << "no localised prefix in this world";
}

}  // namespace
