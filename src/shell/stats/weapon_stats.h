// The weapon table ("Weaps.txt"): one record per weapon kind (guns,
// launchers, grenades, charges, the knife and the bare fist), with the four
// special weapons the game needs by role.
#pragma once

#include <cstdint>

#include "shell/stats/stats_record.h"
#include "shell/stats/stats_table.h"

// Fire-mode flags of a weapon record.
enum WeaponFireMode : std::uint32_t {
  FIREMODE_SINGLE = 1,
  FIREMODE_2 = 2,
  FIREMODE_4 = 4,
  FIREMODE_8 = 8,
  FIREMODE_16 = 16,
  FIREMODE_TIMED = 32,
  FIREMODE_64 = 64,
  FIREMODE_128 = 128,
  FIREMODE_GRENADE_LAUNCHER = 256,
  FIREMODE_TIMED_2 = 512,
};

// One line of "Weaps.txt" (75 columns).  Times are whole milliseconds,
// distances centimetres, sizes the file's hundredths as a float; a column
// without a name of its own is named by its number.
struct WeaponStats {
  std::uint32_t Kind;  // always 5 (WEAPON)
  char* Name;          // column 1, separately allocated
  char ModelName[kStatsNameSize];        // column 2 (required)
  char SecondModelName[kStatsNameSize];  // column 3
  char TextureName[kStatsNameSize];      // column 4
  void* Model;
  void* SecondModel;
  void* Texture;
  std::uint32_t NameHashNoCase;
  std::uint16_t InterfaceId;  // column 5; 0xFFFF none
  std::uint8_t Flag9;
  std::uint32_t Time11;
  std::uint16_t damage;        // column 23
  std::uint16_t RoundsPerMag;  // column 16
  std::uint32_t Hash7;         // upper-cased column 7
  char SoundBank[kStatsFileNameSize];  // column 64 + ".sbk"
  std::uint32_t WeaponClass;           // column 6
  std::uint8_t Flag10;
  std::uint8_t numRoundsPerBurst;  // column 12
  std::uint8_t numExplosions;      // column 14
  std::uint8_t MaxMagazines;       // column 15
  std::uint32_t Time13;
  std::uint8_t numBullets;  // column 61
  std::uint32_t Time17;
  float Distance18;
  std::uint16_t explosiveDamage;  // column 19
  std::uint32_t Time20;
  std::uint16_t incenDamage;  // column 21
  float Distance22;
  float ShotSpeed;              // column 24, cm per second
  std::uint32_t FireOnMove;     // column 26: 0 NO, 1 PARTIAL, 2 YES
  std::uint8_t Flag27;
  std::uint8_t Flag28;
  std::uint8_t Flag29;
  std::uint8_t SurfaceToAir;    // column 30 as a class 1-3
  std::uint32_t MovementModel;  // column 31
  float Distance25;
  float muzzleSize;   // column 40
  float muzzle2Size;  // column 41
  float ejectSize;    // column 42
  float flashSize;    // column 43
  std::uint32_t Hash8;  // upper-cased column 8; 0 for "-1"
  // Columns 33 (a texture), 32, 34, 35, 36, 37, 38, 39 (models), in that order.
  StatsAsset Assets[8];
  StatsAsset Shadow;  // shadow model by class
  std::uint8_t Flag44;
  float Float45;
  std::uint32_t FireModeFlags;
  std::uint32_t Timer;  // column 53, ms
  std::uint8_t fieldOfView;  // column 60; 0 no zoom
  std::uint8_t minFOV;       // column 62
  float Float63;
  std::uint16_t recoilDirection;  // column 67
  StatsAsset Animations[6];       // columns 54-59 + ".prs"
  float Floats65To75[10];         // columns 65, 66, 68, 69, 70, 71, 72, 73, 74, 75
};

// Reads "Weaps.txt"; false after its message (or with none for a missing
// model, as the table says) when a check is fatal.
bool loadWeaponStats(const char* text, std::uint32_t length);

// The four special weapons (null when not loaded) and the grenade throw
// constant speed^2 / ((1 + sin 45) x 981.00006).
const WeaponStats* GetGrenadeStats();
const WeaponStats* GetGrenadeLauncherStats();
const WeaponStats* GetGrenadeLaunchRifleStats();
const WeaponStats* GetFistStats();
float GetGrenadeThrowConstant();

// True for a weapon record whose column-10 flag is clear; false for null or
// any record that is not a weapon.
bool IsWeaponFlag10Clear(const void* record);

// The table, and its first record of a name hash (null when none).
const StatsTable<WeaponStats>& WeaponStatsTable();
WeaponStats* FindWeaponStatsByHash(std::uint32_t hash);
// Frees the table, the name copies and the special-weapon globals.
void FreeWeaponStats();
