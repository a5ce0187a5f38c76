// The weapon table's checks: width checks with their exact fatal and warning
// texts, fire modes, timers, the zoom, and the special weapons.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"

namespace {

using stats_test::BoxRecorder;
using stats_test::FreeStatsAfter;
using stats_test::Row;
using stats_test::Values;

// A loadable weapon of a class, with further columns.
std::string Weapon(const std::string& name, const std::string& weaponClass, Values more = {}) {
  Values v = {{"model", name + "01"}, {"class", weaponClass}, {"fireOnMove", "NO"}, {"movementModel", "DIRECT"}};
  v.insert(v.end(), more.begin(), more.end());
  return Row("Weaps.txt", name, v);
}

const std::string kFist = Weapon("Fist", "FIST");
const std::string kGrenade = Weapon("Grenade", "GRENADE", {{"mode46", "1"}, {"speed", "10"}});

struct WeaponCase {
  const char* label;
  std::string text;  // the whole table
  bool loads;
  std::vector<std::string> boxes;
  std::function<void()> check;  // run after a successful load
};

// The fist, the grenade, then the weapon under test on line 3.
std::string WithTest(const std::string& row) { return kFist + kGrenade + row; }
std::string At3(const std::string& message) { return message + "\nWeaps.txt, line 3"; }

const WeaponStats& Third() { return WeaponStatsTable().Records[2]; }

std::vector<WeaponCase> WeaponCases() {
  return {
      {"256 rounds a burst", WithTest(Weapon("W", "ASSAULT RIFLE", {{"numRoundsPerBurst", "256"}})), false,
       {At3("loadWeaponStats: numRoundsPerBurst is outside of limits for weapon W")}, nullptr},
      {"negative rounds a burst", WithTest(Weapon("W", "ASSAULT RIFLE", {{"numRoundsPerBurst", "-1"}})), false,
       {At3("loadWeaponStats: numRoundsPerBurst is outside of limits for weapon W")}, nullptr},
      {"255 rounds a burst", WithTest(Weapon("W", "ASSAULT RIFLE", {{"numRoundsPerBurst", "255"}})), true, {},
       [] { EXPECT_EQ(Third().numRoundsPerBurst, 255); }},
      {"256 explosions", WithTest(Weapon("W", "ANTI TANK", {{"numExplosions", "256"}})), false,
       {At3("loadWeaponStats: numExplosions is outside of limits for weapon W")}, nullptr},
      {"300 magazines", WithTest(Weapon("W", "PISTOL", {{"maxMagazines", "300"}})), false,
       {At3("loadWeaponStats: maximum magazines is outside of limits for weapon W")}, nullptr},
      {"12000 rounds a magazine warns", WithTest(Weapon("W", "MACHINE GUN", {{"RoundsPerMag", "12000"}})), true,
       {At3("loadWeaponStats: RoundsPerMag > 9999 - interface problems - W")},
       [] { EXPECT_EQ(Third().RoundsPerMag, 12000); }},
      {"70000 rounds a magazine", WithTest(Weapon("W", "MACHINE GUN", {{"RoundsPerMag", "70000"}})), false,
       {At3("loadWeaponStats: RoundsPerMag is outside of limits for weapon W")}, nullptr},
      {"explosive damage 65536", WithTest(Weapon("W", "ANTI TANK", {{"explosiveDamage", "65536"}})), false,
       {At3("loadWeaponStats: explosiveDamage is outside of limits for weapon W")}, nullptr},
      {"negative incendiary damage", WithTest(Weapon("W", "ANTI TANK", {{"incenDamage", "-3"}})), false,
       {At3("loadWeaponStats: incenDamage is outside of limits for weapon W")}, nullptr},
      {"damage 65536", WithTest(Weapon("W", "PISTOL", {{"damage", "65536"}})), false,
       {At3("loadWeaponStats: damage is outside of limits for weapon W")}, nullptr},
      {"surface to air 256", WithTest(Weapon("W", "ANTI TANK", {{"surfaceToAir", "256"}})), false,
       {At3("loadWeaponStats: Surface to Air is outside of limits for weapon W")}, nullptr},
      {"surface to air 51", WithTest(Weapon("W", "ANTI TANK", {{"surfaceToAir", "51"}})), true, {},
       [] { EXPECT_EQ(Third().SurfaceToAir, 3); }},
      {"muzzle size 65536", WithTest(Weapon("W", "PISTOL", {{"muzzleSize", "65536"}})), false,
       {At3("loadWeaponStats: muzzleSize is greater than 65535 for weapon W")}, nullptr},
      {"flash size 65536", WithTest(Weapon("W", "PISTOL", {{"flashSize", "65536"}})), false,
       {At3("loadWeaponStats: flashSize is greater than 65535 for weapon W")}, nullptr},
      {"256 bullets", WithTest(Weapon("W", "SHOTGUN", {{"numBullets", "256"}})), false,
       {At3("loadWeaponStats: numBullets is outside of limits for weapon W")}, nullptr},
      {"recoil 65536", WithTest(Weapon("W", "PISTOL", {{"recoilDirection", "65536"}})), false,
       {At3("loadWeaponStats: recoilDirection is outside of limits for weapon W")}, nullptr},
      {"negative time", WithTest(Weapon("W", "PISTOL", {{"time11", "-1"}})), false,
       {At3("loadWeaponStats: the time of column 11 is outside of limits for weapon W")}, nullptr},
      {"invalid class", WithTest(Weapon("W", "BAZOOKA")), false,
       {At3("loadWeaponStats:Invalid weapon class for weapon W")}, nullptr},
      {"invalid fire on move", WithTest(Weapon("W", "PISTOL", {{"fireOnMove", "MAYBE"}})), false,
       {At3("loadWeaponStats: Invalid fire on move flag for weapon W")}, nullptr},
      {"invalid movement model", WithTest(Weapon("W", "PISTOL", {{"movementModel", "LOB"}})), false,
       {"Invalid movement model - ", At3("loadWeaponStats:Invalid movement model for weapon W")}, nullptr},
      {"no model", WithTest(Weapon("W", "PISTOL", {{"model", "-1"}})), false,
       {At3("loadWeaponStats: weapon W has no model")}, nullptr},
      {"grenade without a fire mode", WithTest(Weapon("W", "SMOKE GRENADE")), false,
       {At3("loadWeaponStats:No firemode set for weapon W")}, nullptr},
      {"gun without fire-mode columns shoots single", WithTest(Weapon("W", "SHOTGUN")), true, {},
       [] { EXPECT_EQ(Third().FireModeFlags, 1u); }},
      {"fire-mode columns", WithTest(Weapon("W", "SUB-MACHINE GUN", {{"mode46", "1"}, {"mode48", "7"}, {"mode50", "1"},
                                                                     {"mode51", "1"}, {"mode52", "1"}})),
       true, {}, [] { EXPECT_EQ(Third().FireModeFlags, 1u | 2 | 8 | 16 | 64 | 128); }},
      {"timed weapon without a timer", WithTest(Weapon("W", "C4 CHARGE", {{"mode49", "1"}})), true,
       {At3("loadWeaponStats:Timer value not set for Timed weapon W")},
       [] {
         EXPECT_EQ(Third().Timer, 10000u);
         EXPECT_EQ(Third().FireModeFlags, 32u | 512u);
       }},
      {"timed weapon with its timer", WithTest(Weapon("W", "C4 CHARGE", {{"mode49", "1"}, {"timer", "7.5"}})), true,
       {}, [] { EXPECT_EQ(Third().Timer, 7500u); }},
      {"no zoom skips the zoom checks", WithTest(Weapon("W", "PISTOL", {{"minFOV", "200"}})), true, {},
       [] {
         EXPECT_EQ(Third().fieldOfView, 0);
         EXPECT_EQ(Third().minFOV, 200);
       }},
      {"zoom 20 with minimum 30", WithTest(Weapon("W", "SNIPER RIFLE", {{"fieldOfView", "20"}, {"minFOV", "30"}})),
       true, {At3("loadWeaponStats:minFOV is greather than fieldOfView for weapon W")},
       [] {
         EXPECT_EQ(Third().fieldOfView, 70);
         EXPECT_EQ(Third().minFOV, 1);
       }},
      {"zoom 300 is clamped before it is narrowed",
       WithTest(Weapon("W", "SNIPER RIFLE", {{"fieldOfView", "300"}, {"minFOV", "5"}})), true,
       {At3("loadWeaponStats:fieldOfView is > 70.000000 for weapon W")},
       [] {
         EXPECT_EQ(Third().fieldOfView, 70);
         EXPECT_EQ(Third().minFOV, 5);
       }},
      {"negative zoom and minimum 0",
       WithTest(Weapon("W", "SNIPER RIFLE", {{"fieldOfView", "-5"}, {"minFOV", "0"}})), true,
       {At3("loadWeaponStats:fieldOfView is < 1.000000 for weapon W"),
        At3("loadWeaponStats:minFOV is < 1.000000 for weapon W")},
       [] {
         EXPECT_EQ(Third().fieldOfView, 1);
         EXPECT_EQ(Third().minFOV, 1);
       }},
      {"minimum zoom 90", WithTest(Weapon("W", "SNIPER RIFLE", {{"fieldOfView", "40"}, {"minFOV", "90"}})), true,
       {At3("loadWeaponStats:minFOV is > 70.000000 for weapon W"),
        At3("loadWeaponStats:minFOV is greather than fieldOfView for weapon W")},
       [] {
         EXPECT_EQ(Third().fieldOfView, 70);
         EXPECT_EQ(Third().minFOV, 1);
       }},
      {"two fists: the second replaces the first", WithTest(Weapon("Fist2", "FIST")), true,
       {At3("More than one fist has been loaded!")},
       [] {
         EXPECT_EQ(GetFistStats(), &Third());
         EXPECT_STREQ(Third().ModelName, "Knife01_Combat");
         EXPECT_STREQ(WeaponStatsTable().Records[0].ModelName, "Knife01_Combat");
       }},
      {"no fist", kGrenade, false, {"FIST stat has not been loaded"}, nullptr},
      {"no grenade still loads", kFist, true, {"Grenade stat has not been loaded"},
       [] { EXPECT_EQ(GetGrenadeStats(), nullptr); }},
      {"rifle with grenade launcher but no launcher", WithTest(Weapon("W", "GRENADE LAUNCH/RIFLE")), false,
       {"GRENADE/RIFLE stat does not have a GRENADE_LAUNCHER\t\t\t\tstat associated with it!"}, nullptr},
      {"rifle with grenade launcher and a launcher",
       WithTest(Weapon("W", "GRENADE LAUNCH/RIFLE")) + Weapon("GL", "GRENADE LAUNCHER"), true, {},
       [] {
         EXPECT_EQ(Third().FireModeFlags, 1u | 256u);
         EXPECT_EQ(GetGrenadeLaunchRifleStats(), &Third());
         ASSERT_NE(GetGrenadeLauncherStats(), nullptr);
         EXPECT_EQ(GetGrenadeLauncherStats()->FireModeFlags, 1u | 256u);
       }},
      {"weapon test of column 10", WithTest(Weapon("W", "PISTOL", {{"flag10", "3"}})) + Weapon("V", "PISTOL"), true,
       {},
       [] {
         EXPECT_FALSE(IsWeaponFlag10Clear(&Third()));
         EXPECT_TRUE(IsWeaponFlag10Clear(&WeaponStatsTable().Records[3]));
         EXPECT_FALSE(IsWeaponFlag10Clear(nullptr));
         const std::uint32_t notAWeapon[4] = {20, 0, 0, 0};
         EXPECT_FALSE(IsWeaponFlag10Clear(notAWeapon));
       }},
  };
}

TEST(WeaponStatsChecks, EachCaseLoadsOrFailsWithItsExactMessages) {
  for (const WeaponCase& c : WeaponCases()) {
    SCOPED_TRACE(c.label);
    FreeStatsAfter free;
    BoxRecorder boxes;
    EXPECT_EQ(loadWeaponStats(c.text.data(), static_cast<std::uint32_t>(c.text.size())), c.loads);
    EXPECT_EQ(boxes.texts, c.boxes);
    if (c.loads && c.check) c.check();
  }
}

TEST(WeaponStatsChecks, TheGrenadeIsThrownHalfAsFastAgain) {
  FreeStatsAfter free;
  BoxRecorder boxes;
  const std::string text = kFist + kGrenade;
  ASSERT_TRUE(loadWeaponStats(text.data(), static_cast<std::uint32_t>(text.size()))) << boxes.Joined();
  ASSERT_NE(GetGrenadeStats(), nullptr);
  EXPECT_FLOAT_EQ(GetGrenadeStats()->ShotSpeed, 10.0f * 100.0f * 1.5f);
  EXPECT_GT(GetGrenadeThrowConstant(), 0.0f);
}

}  // namespace
