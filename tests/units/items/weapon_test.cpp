// Weapons on records made here: ammunition and reload, fire modes with the
// launcher's second set, the trigger step with its shots and dry clicks,
// charges armed, set off and defused, and records that hold bad values.
#include "units/items/weapon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "control/players/local_player.h"
#include "foundation/memory/memory_manager.h"
#include "control/players/local_player_table.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/unit_events.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

char g_weaponName[] = "TestWeapon";

WeaponStats Record(std::uint32_t weaponClass, int roundsPerMag, int maxMagazines, std::uint32_t modes) {
  WeaponStats w{};
  w.Kind = STATS_WEAPON;
  w.Name = g_weaponName;
  w.WeaponClass = weaponClass;
  w.RoundsPerMag = static_cast<std::uint16_t>(roundsPerMag);
  w.MaxMagazines = static_cast<std::uint8_t>(maxMagazines);
  w.FireModeFlags = modes;
  w.numRoundsPerBurst = 3;
  w.Time11 = 100;
  w.Timer = 10000;
  w.Distance18 = 1500.0f;
  return w;
}

// The first n words of a raised block.
std::vector<std::uint32_t> Words(const RaisedEvent& e, std::size_t n) {
  return std::vector<std::uint32_t>(e.words.begin(), e.words.begin() + static_cast<std::ptrdiff_t>(std::min(n, e.words.size())));
}

class WeaponTest : public UnitsTestWorld {
 protected:
  void TearDown() override {
    g_LocalPlayers.RemoveAll();
    UnitsTestWorld::TearDown();  // the object manager deletes the weapons
  }
  // A weapon of a record made here, filed by the object manager as the
  // factory files one.
  CWeapon* Make(const WeaponStats& stats, std::uint8_t chargeByte = 0) {
    records_.push_back(std::make_unique<WeaponStats>(stats));
    HLOSpawnRecord r;
    r.id = manager_->NextFreeId();
    r.kind = HLO_WEAPON;
    r.thirdByte = chargeByte;
    std::strcpy(r.statsName, g_weaponName);
    MEM_OWNER();
    auto* w = MEM_NEW(MEMCAT_WORLD_OBJECT) CWeapon(r, records_.back().get());
    w->Kind = HLO_WEAPON;
    manager_->InsertObject(w);
    return w;
  }
  int Plays(int event) const {
    int n = 0;
    for (const SoundPlayRecord& p : sound_->PlayLog()) n += p.event == event;
    return n;
  }
  std::vector<std::unique_ptr<WeaponStats>> records_;
};

// --- Ammunition ---------------------------------------------------------------------

TEST_F(WeaponTest, ReloadMovesRoundsAsTheMagazinesAllow) {
  const struct {
    const char* what;
    std::uint32_t weaponClass;
    int spent, quantity, loose;
    int wantSpent, wantQuantity, wantLoose;
  } cases[] = {
      {"empty magazine, one spare, 10 loose", WEAPON_ASSAULT_RIFLE, 30, 30, 10, 0, 30, 10},
      {"5 left and nothing else: as it began", WEAPON_ASSAULT_RIFLE, 25, 5, 0, 25, 5, 0},
      {"half spent, two spares: the rest goes loose", WEAPON_ASSAULT_RIFLE, 15, 75, 0, 0, 60, 15},
      {"loose rounds make up a magazine", WEAPON_ASSAULT_RIFLE, 20, 40, 25, 0, 60, 5},
      {"nothing spent: nothing happens", WEAPON_ASSAULT_RIFLE, 0, 60, 3, 0, 60, 3},
      {"shotgun, a loose shell goes in", WEAPON_SHOTGUN, 2, 16, 3, 1, 17, 2},
      {"shotgun, a box is opened for one shell", WEAPON_SHOTGUN, 2, 16, 0, 1, 9, 7},
      {"shotgun, nothing to load", WEAPON_SHOTGUN, 2, 0, 0, 2, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CWeapon* w = Make(Record(c.weaponClass, c.weaponClass == WEAPON_SHOTGUN ? 8 : 30, 8, FM_SINGLE));
    w->spent = c.spent;
    w->quantity = c.quantity;
    w->looseRounds = c.loose;
    w->Reload();
    EXPECT_EQ(w->spent, c.wantSpent);
    EXPECT_EQ(w->quantity, c.wantQuantity);
    EXPECT_EQ(w->looseRounds, c.wantLoose);
  }
}

TEST_F(WeaponTest, AShotgunLoadsOneShellACall) {
  CWeapon* w = Make(Record(WEAPON_SHOTGUN, 8, 4, FM_SINGLE));
  w->spent = 3;
  w->quantity = 10;
  w->looseRounds = 2;
  for (int call = 1; call <= 3; ++call) {
    w->Reload();
    EXPECT_EQ(w->spent, 3 - call) << call;
  }
  EXPECT_EQ(w->quantity, 12 - 8 + 1) << "two loose shells, then a box opened for the third";
  EXPECT_EQ(w->looseRounds, 7);
  w->Reload();
  EXPECT_EQ(w->quantity, 5) << "nothing spent: nothing loads";
}

TEST_F(WeaponTest, TransferMovesOnlyTheRoundsThereAreAndRespectsTheTargetsMaximum) {
  const WeaponStats rifle = Record(WEAPON_ASSAULT_RIFLE, 30, 4, FM_SINGLE);  // at most 120
  const struct {
    const char* what;
    int from, to, magazines;
    int result, wantFrom, wantTo;
  } cases[] = {
      {"two magazines", 90, 30, 2, 1, 30, 90},
      {"fewer rounds than asked: whole magazines there are", 45, 0, 3, 1, 15, 30},
      {"not one magazine", 20, 0, 1, 0, 20, 0},
      {"the target nearly full", 90, 100, 2, 0, 90, 100},
      {"the target takes one of two", 90, 90, 2, 1, 60, 120},
      {"no magazines asked", 90, 0, 0, 0, 90, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CWeapon* a = Make(rifle);
    CWeapon* b = Make(rifle);
    // Both take the first weapon's record.
    b->Stats = a->Stats;
    a->quantity = c.from;
    b->quantity = c.to;
    EXPECT_EQ(a->TransferAmmo(b, c.magazines), c.result);
    EXPECT_EQ(a->quantity, c.wantFrom);
    EXPECT_EQ(b->quantity, c.wantTo);
  }
  // Another record's weapon takes nothing.
  CWeapon* a = Make(rifle);
  CWeapon* other = Make(rifle);
  a->quantity = 90;
  EXPECT_EQ(a->TransferAmmo(other, 1), 0);
  EXPECT_EQ(a->quantity, 90);
}

TEST_F(WeaponTest, InitialQuantityLooseRoundsAndPickUpsStayWithinTheMaximum) {
  CWeapon* w = Make(Record(WEAPON_ASSAULT_RIFLE, 30, 4, FM_SINGLE));
  EXPECT_EQ(w->quantity, 30) << "made with one magazine";
  w->SetInitialQuantity(3);
  EXPECT_EQ(w->quantity, 90);
  w->SetInitialQuantity(9);
  EXPECT_EQ(w->quantity, 120);
  w->SetInitialQuantity(-2);
  EXPECT_EQ(w->quantity, 0) << "a negative count fills nothing";
  w->AddLooseRounds(70);
  EXPECT_EQ(w->quantity, 60);
  EXPECT_EQ(w->looseRounds, 10);
  SetTime(50000);
  w->PickUpAmmo(1, 1000);
  EXPECT_EQ(w->quantity, 90);
  w->PickUpAmmo(1, 1000);
  EXPECT_EQ(w->quantity, 90) << "within the interval";
  SetTime(52000);
  w->PickUpAmmo(5, 1000);
  EXPECT_EQ(w->quantity, 120) << "never beyond the maximum";
}

// --- Fire modes ------------------------------------------------------------------------

TEST_F(WeaponTest, ARifleWithALauncherCyclesThroughTheLauncherAndSwapsTheSetsBothWays) {
  CWeapon* w = Make(Record(WEAPON_GRENADE_LAUNCH_RIFLE, 30, 6, FM_SINGLE | FM_BURST | FM_LAUNCHER));
  EXPECT_EQ(w->fireMode, FM_BURST) << "burst before single when automatic is not offered";
  w->quantity = 57;
  w->spent = 3;
  w->altQuantity = 4;
  w->altSpent = 1;
  w->burstLeft = 2;
  const struct {
    bool forward;
    std::uint32_t mode;
    int quantity, spent;
  } steps[] = {
      {true, FM_SINGLE, 57, 3},     // 2 -> 4, 8 not offered -> 1
      {true, FM_LAUNCHER, 4, 1},    // the launcher's set
      {true, FM_BURST, 57, 3},      // and back
      {false, FM_LAUNCHER, 4, 1},
      {false, FM_SINGLE, 57, 3},
  };
  for (const auto& s : steps) {
    const bool swaps = s.mode == FM_LAUNCHER || w->fireMode == FM_LAUNCHER;
    w->burstLeft = 2;
    EXPECT_TRUE(w->CycleFireMode(s.forward));
    EXPECT_EQ(w->fireMode, s.mode);
    EXPECT_EQ(w->quantity, s.quantity) << s.mode;
    EXPECT_EQ(w->spent, s.spent) << s.mode;
    EXPECT_EQ(w->burstLeft, swaps ? 0 : 2) << "a swap ends the burst";
  }
  EXPECT_FALSE(w->SetFireMode(FM_AUTOMATIC, true)) << "not offered";
  EXPECT_FALSE(w->SetFireMode(FM_BURST | FM_SINGLE, false)) << "one bit only";
}

TEST_F(WeaponTest, ChargeModesCycleInTheirOwnOrder) {
  CWeapon* c4 = Make(Record(WEAPON_C4_CHARGE, 1, 2, FM_UNARMABLE | FM_TIMED | FM_TIMED_SECOND | FM_PROXIMITY | FM_REMOTE));
  EXPECT_EQ(c4->fireMode, FM_REMOTE) << "remote first";
  const std::uint32_t forward[] = {FM_UNARMABLE, FM_PROXIMITY, FM_REMOTE};
  for (std::uint32_t m : forward) {
    EXPECT_TRUE(c4->CycleFireMode(true));
    EXPECT_EQ(c4->fireMode, m);
  }
  c4->SetFireMode(FM_TIMED, false);
  EXPECT_EQ(c4->NextFireMode(), std::uint32_t{FM_TIMED_SECOND});
  EXPECT_EQ(c4->PreviousFireMode(), std::uint32_t{FM_UNARMABLE});
  CWeapon* gun = Make(Record(WEAPON_PISTOL, 15, 4, FM_SINGLE));
  EXPECT_FALSE(gun->CycleFireMode(true)) << "a single mode stays";
}

// --- The trigger -----------------------------------------------------------------------

TEST_F(WeaponTest, EachModeFiresItsCountAPullAndAnEmptyWeaponClicksOncePerPull) {
  ASSERT_TRUE(LoadStats());
  CHLOGrunt* user = MakeSoldier("SquadRifleman", 0);
  ASSERT_NE(user, nullptr);
  g_LocalPlayers.Add();
  user->player = g_LocalPlayers.Get(0);
  const struct {
    std::uint32_t mode;
    int rounds;
    int frames;
    int wantShots, wantClicks;
  } cases[] = {
      {FM_SINGLE, 30, 10, 1, 0},
      {FM_BURST, 30, 10, 3, 0},
      {FM_AUTOMATIC, 30, 10, 10, 0},
      {FM_AUTOMATIC, 4, 10, 4, 0},  // emptied by its shots: no click in the same pull
      {FM_SINGLE, 0, 10, 0, 1},
  };
  std::uint32_t t = 100000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    CWeapon* w = Make(Record(WEAPON_ASSAULT_RIFLE, 30, 8, FM_SINGLE | FM_BURST | FM_AUTOMATIC));
    ASSERT_TRUE(w->SetFireMode(c.mode, false));
    w->quantity = c.rounds;
    sound_->SetPlayLog(true);
    // Two pulls: the counts are per pull.
    for (int pull = 0; pull < 2; ++pull) {
      const int shotsBefore = Plays(WEAPON_EVENT_FIRE);
      const int clicksBefore = Plays(WEAPON_EVENT_DRY_CLICK);
      w->quantity = c.rounds;
      w->spent = 0;
      w->PullTrigger(user);
      for (int f = 0; f < c.frames; ++f) {
        t += 150;  // past the 100 ms fire interval
        SetTime(t);
        w->UpdateTrigger(user, true);
      }
      w->ReleaseTrigger();
      w->UpdateTrigger(user, false);
      EXPECT_EQ(Plays(WEAPON_EVENT_FIRE) - shotsBefore, c.wantShots) << "pull " << pull;
      EXPECT_EQ(Plays(WEAPON_EVENT_DRY_CLICK) - clicksBefore, c.wantClicks) << "pull " << pull;
    }
  }
}

TEST_F(WeaponTest, AShotCountsItsRoundAndIsTold) {
  ASSERT_TRUE(LoadStats());
  RecordEvents();
  CHLOGrunt* user = MakeSoldier("SquadRifleman", 0);
  CWeapon* w = Make(Record(WEAPON_ASSAULT_RIFLE, 30, 8, FM_SINGLE));
  const std::uint32_t shotsBefore = g_ItemStatistics.ShotsFired;
  SetTime(20000);
  w->Fire(user, nullptr);
  EXPECT_EQ(w->quantity, 29);
  EXPECT_EQ(w->spent, 1);
  EXPECT_EQ(w->fired, 1);
  EXPECT_EQ(w->lastUseTime, 20000u);
  EXPECT_EQ(g_ItemStatistics.ShotsFired, shotsBefore + 1);
  ASSERT_FALSE(events_.empty());
  EXPECT_EQ(events_.back().code, std::uint32_t{MEV_SHOT_FIRED});
  EXPECT_EQ(Words(events_.back(), 2), (std::vector<std::uint32_t>{static_cast<std::uint32_t>(w->Id),
                                                                 static_cast<std::uint32_t>(user->Id)}));
  EXPECT_EQ(w->GetTimeUntilReady(user), 100u);
  SetTime(20060);
  EXPECT_EQ(w->GetTimeUntilReady(user), 40u);
  SetTime(20100);
  EXPECT_EQ(w->GetTimeUntilReady(user), 0u);
}

// --- Charges ---------------------------------------------------------------------------

TEST_F(WeaponTest, ALevelPlacedChargeIsArmedAtOnceInTheModeOfItsByte) {
  const WeaponStats c4 = Record(WEAPON_C4_CHARGE, 1, 2, FM_TIMED | FM_TIMED_SECOND | FM_REMOTE);
  const struct {
    std::uint8_t byte;
    std::uint32_t mode;
    int armed;
  } cases[] = {{0, FM_REMOTE, 0}, {1, FM_LEVEL_PLACED, 1}, {2, FM_REMOTE, 1}, {3, FM_REMOTE, 1}, {4, FM_REMOTE, 0}};
  for (const auto& c : cases) {
    CWeapon* w = Make(c4, c.byte);
    EXPECT_EQ(w->fireMode, c.mode) << int(c.byte);
    EXPECT_EQ(w->fired, c.armed) << int(c.byte);
    EXPECT_EQ(w->lastUseTime, 1u) << int(c.byte);
  }
}

TEST_F(WeaponTest, ATimedChargeGoesOffOnTheFirstUpdateAfterItsTimeWithItsPosition) {
  RecordEvents();
  CWeapon* c4 = Make(Record(WEAPON_C4_CHARGE, 1, 2, FM_TIMED | FM_TIMED_SECOND));
  ASSERT_EQ(c4->fireMode, FM_TIMED);
  ASSERT_EQ(c4->altQuantity, 10000);
  SetTime(5000);
  ASSERT_EQ(c4->Arm(nullptr), 1);
  SetTime(15000);
  c4->Update();
  EXPECT_TRUE(events_.empty()) << "exactly at its time: not yet";
  SetTime(15001);
  c4->Update();
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].code, std::uint32_t{MEV_CHARGE_EXPLODED});
  ASSERT_GE(events_[0].words.size(), 3u);
  float x = 1.0f;
  std::memcpy(&x, &events_[0].words[0], 4);
  EXPECT_EQ(x, c4->GetPosition().x);
  EXPECT_EQ(c4->fired, 0);
  c4->Update();
  EXPECT_EQ(events_.size(), 1u) << "once";
}

TEST_F(WeaponTest, DefusingAnArmedTimedChargeStopsItAndIsTold) {
  ASSERT_TRUE(LoadStats());
  RecordEvents();
  CHLOGrunt* engineer = MakeSoldier("SquadEngineer", 0);
  CWeapon* c4 = Make(Record(WEAPON_C4_CHARGE, 1, 2, FM_TIMED | FM_TIMED_SECOND));
  c4->Arm(nullptr);
  EXPECT_EQ(c4->Defuse(engineer, false), 1);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].code, std::uint32_t{MEV_CHARGE_DEFUSED});
  EXPECT_EQ(Words(events_[0], 2), (std::vector<std::uint32_t>{static_cast<std::uint32_t>(engineer->Id),
                                                             static_cast<std::uint32_t>(c4->Id)}));
  SetTime(1000000);
  c4->Update();
  EXPECT_EQ(events_.size(), 1u) << "defused: it never goes off";
  c4->Defuse(nullptr, false);
  EXPECT_EQ(events_.back().words[0], 0xFFFFFFFFu) << "no defuser: -1";
  // Only timed charges are defused, only charges armed.
  CWeapon* remote = Make(Record(WEAPON_C4_CHARGE, 1, 2, FM_REMOTE));
  EXPECT_EQ(remote->Defuse(engineer, false), 0);
  CWeapon* unarmable = Make(Record(WEAPON_C4_CHARGE, 1, 2, FM_UNARMABLE));
  EXPECT_EQ(unarmable->Arm(engineer), 0);
  EXPECT_EQ(Make(Record(WEAPON_PISTOL, 15, 4, FM_SINGLE))->Arm(engineer), 0);
}

// --- Bad records -----------------------------------------------------------------------

TEST_F(WeaponTest, ARecordWithoutRoundsPerMagazineSaysSoOnceAndDividesByNothing) {
  CWeapon* w = Make(Record(WEAPON_ASSAULT_RIFLE, 0, 4, FM_SINGLE));
  w->quantity = 3;
  w->spent = 1;
  w->Reload();
  w->AddLooseRounds(5);
  EXPECT_FALSE(w->WantsReload());
  w->SetInitialQuantity(2);
  EXPECT_EQ(w->quantity, 2);
  int said = 0;
  for (const std::string& b : boxes_) said += b.find("no rounds per magazine") != std::string::npos;
  EXPECT_EQ(said, 1);
}

TEST_F(WeaponTest, KindsFollowTheClass) {
  const struct {
    std::uint32_t weaponClass;
    bool gun, grenade, fragOrFlash, smoke;
  } cases[] = {
      {WEAPON_ASSAULT_RIFLE, true, false, false, false}, {WEAPON_GRENADE_LAUNCH_RIFLE, true, false, false, false},
      {WEAPON_GRENADE, false, true, true, false},         {WEAPON_SMOKE_GRENADE, false, true, false, true},
      {WEAPON_FLASH_GRENADE, false, true, true, false},   {WEAPON_C4_CHARGE, false, false, false, false},
      {WEAPON_COMBAT_KNIFE, false, false, false, false},  {WEAPON_FIST, false, false, false, false},
  };
  for (const auto& c : cases) {
    CWeapon* w = Make(Record(c.weaponClass, 1, 1, FM_SINGLE | FM_TIMED | FM_TIMED_SECOND));
    EXPECT_EQ(w->IsGun(), c.gun) << c.weaponClass;
    EXPECT_EQ(w->IsGrenade(), c.grenade) << c.weaponClass;
    EXPECT_EQ(w->IsFragOrFlash(), c.fragOrFlash) << c.weaponClass;
    EXPECT_EQ(w->IsSmoke(), c.smoke) << c.weaponClass;
  }
  WeaponStats quiet = Record(WEAPON_PISTOL, 15, 4, FM_SINGLE);
  quiet.Distance18 = 700.0f;
  EXPECT_TRUE(Make(quiet)->IsQuiet());
  EXPECT_FALSE(Make(Record(WEAPON_PISTOL, 15, 4, FM_SINGLE))->IsQuiet());
}

}  // namespace
