// The cheat settings over a world of test objects: switching player damage
// off marks every friendly unit at once, including those already made.
#include "shell/cheats/cheat_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "foundation/system/not_built_yet.h"
#include "platform/win32/message_box.h"
#include "world/effects/explosions.h"
#include "world/objects/chlo_manager.h"
#include "hlo_test_world_fixture.h"

namespace {

std::map<CHLO*, bool>* gMarked = nullptr;

class PlayerDamageCheat : public ::testing::Test {
 protected:
  PlayerDamageCheat() : manager_(4, 10) {
    SetMessageBoxEcho(false);
    CEnvInstance* ground = world_.MakeInstance("ground");
    world_.AddGround(ground, -5000.0f, 5000.0f, 0.0f);
    manager_.SetFactory(TestFactory);
    manager_.SetDeleteCallback(TestDelete);
    ResetSideHostility();
    ResetCheatSettings();
    ClearNotBuiltYet();
    gMarked = &marked_;
  }
  ~PlayerDamageCheat() override {
    SetUnitNoDamageOperation(nullptr);
    ResetSideHostility();
    ResetCheatSettings();
    gMarked = nullptr;
    SetMessageBoxEcho(true);
  }
  CHLO* Make(int kind, int side, int id, bool active = true) {
    HLOSpawnRecord r = TestRecord(kind, side, id, id, active, static_cast<float>(id) * 10.0f);
    return CreateObjectFromRecord(r);
  }
  TestWorld world_;
  CHLOManager manager_;
  std::map<CHLO*, bool> marked_;
};

TEST_F(PlayerDamageCheat, OffMarksFriendlyAndUnopposedUnitsOfEverySide) {
  CHLO* own = Make(HLO_GRUNT, 0, 1);
  CHLO* ownAsleep = Make(HLO_VEHICLE, 0, 2, false);
  CHLO* enemy = Make(HLO_GRUNT, 1, 3);
  CHLO* ally = Make(HLO_GRUNT, 2, 4);
  CHLO* crate = Make(HLO_FEATURE, 0, 5);
  ASSERT_TRUE(own && ownAsleep && enemy && ally && crate);
  // Side 2 is not set against the local side 0.
  g_SideHostility[2][0] = 0;
  SetUnitNoDamageOperation([](CHLO* unit, bool noDamage) { (*gMarked)[unit] = noDamage; });

  SetPlayerDamage(0);
  EXPECT_EQ(PlayerDamage, 0u);
  EXPECT_EQ(GetPlayerDamage(), 0u);
  const std::map<CHLO*, bool> off = {{own, true}, {ownAsleep, true}, {ally, true}};
  EXPECT_EQ(marked_, off);

  marked_.clear();
  SetPlayerDamage(1);
  const std::map<CHLO*, bool> on = {{own, false}, {ownAsleep, false}, {ally, false}};
  EXPECT_EQ(marked_, on);
}

TEST_F(PlayerDamageCheat, WithoutTheUnitsFlagTheChangeIsReportedNotBuilt) {
  Make(HLO_GRUNT, 0, 1);
  SetPlayerDamage(0);
  EXPECT_TRUE(WasReportedNotBuiltYet("unit no-damage flag"));
  EXPECT_EQ(GetPlayerDamage(), 0u);
}

TEST(CheatSettingsWords, StartValuesAndTheNetworkRule) {
  ResetCheatSettings();
  EXPECT_EQ(PlayerDamage, 1u);
  EXPECT_EQ(EnemyAI, 1u);
  EXPECT_EQ(EnemySkillZero, 0u);
  EXPECT_EQ(PlayerSkillBonus, 0);
  EXPECT_EQ(CheatWordA, 0u);
  EXPECT_EQ(CheatWordB, 1u);
  SetCheatWordA(1);
  EXPECT_EQ(GetCheatWordA(), 1u);  // not a network game
  ResetCheatSettings();
}

}  // namespace
