// The name-to-number tables of the stats loaders.  Each compares the whole
// text exactly (case-sensitive, no trimming) against its names in order and
// answers the value of the first match, or the table's invalid value.
#pragma once

#include <cstdint>

enum CharacterType : std::uint32_t {
  CHARACTER_SOLDIER = 0,
  CHARACTER_GOAT_HERDER = 1,
  CHARACTER_CIVILIAN = 2,
  CHARACTER_EMIR = 3,
  CHARACTER_MISSILE_EXPERT = 4,
  CHARACTER_POW = 5,
  CHARACTER_INVALID = 6,
};

enum FeatureType : std::uint32_t {
  FEATURE_FURNITURE = 0,
  FEATURE_WALL = 1,
  FEATURE_FENCE = 2,
  FEATURE_LIGHT = 3,
  FEATURE_BARBED_WIRE = 4,
  FEATURE_COMBUSTIBLE = 5,
  FEATURE_TREE = 6,
  FEATURE_CRATE = 7,
  FEATURE_BIRD = 8,
  FEATURE_ROCK = 9,
  FEATURE_INVALID = 10,
};

enum PropulsionType : std::uint32_t {
  PROPULSION_WHEELS = 0,
  PROPULSION_TRACKS = 1,
  PROPULSION_INFANTRY = 2,
  PROPULSION_AMPHIBIOUS = 3,
  PROPULSION_SKI = 4,
  PROPULSION_AIRPLANE = 5,
  PROPULSION_SCUD = 6,
  PROPULSION_HALFTRACKS = 7,
  PROPULSION_GOAT = 8,
  PROPULSION_CHINOOK = 9,
  PROPULSION_APACHE = 10,
  PROPULSION_NONE = 11,
  PROPULSION_INVALID = 12,
};

// One bit per skill; the skill's index is the position of its bit (0-10).
enum SkillMask : std::uint32_t {
  SKILL_INVALID = 0,
  SKILL_PISTOL = 1,
  SKILL_SMG_ASSAULT_RIFLE = 2,
  SKILL_SNIPER = 4,
  SKILL_MACHINE_GUN = 8,
  SKILL_AT_GRENADE = 16,
  SKILL_SHOTGUN = 32,
  SKILL_MEDIC = 64,
  SKILL_STEALTH = 128,
  SKILL_COMBAT_ENG = 256,
  SKILL_ELECTRICS_COMPUTER = 512,
  SKILL_FORWARD_OBSERVER = 1024,
};
inline constexpr int kSkillCount = 11;

enum ExperienceLevel : std::uint32_t {
  EXPERIENCE_ROOKIE = 0,
  EXPERIENCE_GREEN = 1,
  EXPERIENCE_TRAINED = 2,
  EXPERIENCE_REGULAR = 3,
  EXPERIENCE_VETERAN = 4,
  EXPERIENCE_EXPERT = 5,
  EXPERIENCE_PROFESSIONAL = 6,
  EXPERIENCE_GUARD = 7,
  EXPERIENCE_CRACK = 8,
  EXPERIENCE_ELITE = 9,
  EXPERIENCE_SPECIALIST = 10,
  EXPERIENCE_SKILL_ONE = 11,
  EXPERIENCE_SKILL_TWO = 12,
  EXPERIENCE_SKILL_THREE = 13,
  EXPERIENCE_SKILL_FOUR = 14,
  EXPERIENCE_INVALID = 15,
};
inline constexpr int kExperienceLevelCount = 15;

enum WeightClass : std::uint32_t {
  WEIGHT_LIGHT = 0,
  WEIGHT_MEDIUM = 1,
  WEIGHT_HEAVY = 2,
  WEIGHT_SUPER_HEAVY = 3,
};

enum WeaponClass : std::uint32_t {
  WEAPON_ASSAULT_RIFLE = 0,
  WEAPON_SUB_MACHINE_GUN = 1,
  WEAPON_SNIPER_RIFLE = 2,
  WEAPON_PISTOL = 3,
  WEAPON_MACHINE_GUN = 4,
  WEAPON_ANTI_TANK = 5,
  WEAPON_C4_CHARGE = 6,
  WEAPON_GRENADE = 7,
  WEAPON_GRENADE_LAUNCHER = 8,
  WEAPON_COMBAT_KNIFE = 9,
  WEAPON_SHOTGUN = 10,
  WEAPON_SMOKE_GRENADE = 11,
  WEAPON_GRENADE_LAUNCH_RIFLE = 12,
  WEAPON_FLASH_GRENADE = 13,
  WEAPON_FIST = 14,
  WEAPON_CLASS_INVALID = 15,
};

enum MovementModel : std::uint32_t {
  MOVEMENT_DIRECT = 0,
  MOVEMENT_INDIRECT = 1,
  MOVEMENT_HOMING_DIRECT = 2,
  MOVEMENT_HOMING_INDIRECT = 3,
  MOVEMENT_ERRATIC_DIRECT = 4,
  MOVEMENT_SWEEP = 5,
  MOVEMENT_INVALID = 6,
};

enum DamageType : std::uint32_t {
  DAMAGE_ANTI_PERSONNEL = 0,
  DAMAGE_ARMOUR_PIERCING = 1,
  DAMAGE_BUNKER_BUSTER = 2,
  DAMAGE_ARTILLERY_ROUND = 3,
  DAMAGE_FLAMER = 4,
  DAMAGE_ANTI_AIRCRAFT = 5,
  DAMAGE_GRENADE = 6,
  DAMAGE_HIGH_EXPLOSIVE = 7,
  DAMAGE_TYPE_INVALID = 8,
};

enum SoldierRank : std::uint32_t {
  RANK_PRIVATE = 1,
  RANK_LANCE_CORPORAL = 2,
  RANK_CORPORAL = 3,
  RANK_SERGEANT = 4,
  RANK_STAFF_SERGEANT = 5,
  RANK_SERGEANT_MAJOR = 6,
  RANK_SECOND_LIEUTENANT = 7,
  RANK_LIEUTENANT = 8,
  RANK_CAPTAIN = 9,
  RANK_MAJOR = 10,
  RANK_COLONEL = 11,
  RANK_INVALID = 12,
};

enum Nationality : std::uint32_t {
  NATIONALITY_SAS = 0,
  NATIONALITY_US = 1,
  NATIONALITY_RUSSIAN = 2,
  NATIONALITY_IRAQI = 3,
};
inline constexpr int kNationalityCount = 4;

enum SoldierRole : std::uint8_t {
  ROLE_RIFLEMAN = 0,
  ROLE_SNIPER = 1,
  ROLE_HEAVY_WEAPONS = 2,
  ROLE_COMBAT_ENGINEER = 3,
  ROLE_NONE = 255,
};
inline constexpr int kSoldierRoleCount = 4;

// The none value of an interface image id.
inline constexpr std::uint16_t kNoInterfaceId = 0xFFFF;

// Any other text gives CHARACTER_INVALID after the error box "Unknown Character Type".
CharacterType CharacterTypeFromName(const char* name);
FeatureType FeatureTypeFromName(const char* name);
PropulsionType PropulsionTypeFromName(const char* name);
// SKILL_INVALID (0) for any other text.
SkillMask SkillMaskFromName(const char* name);
ExperienceLevel ExperienceLevelFromName(const char* name);
// False (and *out unchanged) for any other text.
bool WeightClassFromName(const char* name, WeightClass* out);
WeaponClass WeaponClassFromName(const char* name);
// Any other text gives MOVEMENT_INVALID after the error box "Invalid movement model - ".
MovementModel MovementModelFromName(const char* name);
DamageType DamageTypeFromName(const char* name);
SoldierRank SoldierRankFromName(const char* name);
// The text of a rank 1-11; "NO RANK SET" for any other value.
const char* SoldierRankName(std::uint32_t rank);
// Any other text gives NATIONALITY_SAS.
Nationality NationalityFromName(const char* name);
// Any other text gives ROLE_NONE.
SoldierRole SoldierRoleFromName(const char* name);
// The interface image id of a picture name; any other name shows the box
// "Warning - unable to find interface ID %s" and gives kNoInterfaceId.
std::uint16_t InterfaceIdFromName(const char* name);

// The weapon-class predicates of the loader and the units.
// C4 CHARGE, GRENADE, SMOKE GRENADE or FLASH GRENADE.
bool IsThrownOrPlacedCharge(std::uint32_t weaponClass);
// ASSAULT RIFLE, SUB-MACHINE GUN, SNIPER RIFLE, PISTOL, MACHINE GUN, ANTI
// TANK, GRENADE LAUNCHER, SHOTGUN or GRENADE LAUNCH/RIFLE.
bool IsMagazineGun(std::uint32_t weaponClass);
// A shot flies direct unless its model is INDIRECT or HOMING-INDIRECT.
bool IsDirectShot(std::uint32_t movementModel);
