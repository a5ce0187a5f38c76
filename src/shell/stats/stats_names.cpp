#include "shell/stats/stats_names.h"

#include <cstring>

#include "foundation/system/message_box.h"
#include "shell/stats/stats_kind.h"

namespace {

template <typename Value>
struct NameValue {
  const char* name;
  Value value;
};

// The value of the first entry whose name equals text, else fallback.
template <typename Value, std::size_t N>
Value Lookup(const NameValue<Value> (&table)[N], const char* text, Value fallback) {
  if (text == nullptr) return fallback;
  for (const NameValue<Value>& e : table)
    if (std::strcmp(e.name, text) == 0) return e.value;
  return fallback;
}

const NameValue<std::uint32_t> kStatsKinds[] = {
    {"HUMAN", 1},          {"MACHINE", 2},
    {"BUILDING", 3},       {"FEATURE", 4},
    {"WEAPON", 5},         {"UNIFORM", 6},
    {"PHRASE BOOK", 7},    {"MEDI KIT", 8},
    {"C4 DETONATOR", 9},   {"RADIO", 10},
    {"BODY ARMOUR", 11},   {"HEAD ARMOUR", 12},
    {"AMMO", 14},          {"DOOR", 15},
    {"BINOCULARS", 16},    {"NIGHT VISION GOGGLES", 17},
    {"LASER DESIGNATOR", 18}, {"KEY", 20},
    {"TARGET", 21},        {"MISCELLANEOUS", 22},
    {"COMPUTER HACKING KIT", 24}, {"WIRECUTTERS", 25},
    {"BOMB DEFUSING KIT", 26},
};

const NameValue<CharacterType> kCharacterTypes[] = {
    {"SOLDIER", CHARACTER_SOLDIER}, {"GOAT HERDER", CHARACTER_GOAT_HERDER},
    {"CIVILIAN", CHARACTER_CIVILIAN}, {"EMIR", CHARACTER_EMIR},
    {"MISSILE EXPERT", CHARACTER_MISSILE_EXPERT}, {"POW", CHARACTER_POW},
};

const NameValue<FeatureType> kFeatureTypes[] = {
    {"FURNITURE", FEATURE_FURNITURE}, {"WALL", FEATURE_WALL},   {"FENCE", FEATURE_FENCE},
    {"LIGHT", FEATURE_LIGHT},         {"BARBED WIRE", FEATURE_BARBED_WIRE},
    {"COMBUSTIBLE", FEATURE_COMBUSTIBLE}, {"TREE", FEATURE_TREE}, {"CRATE", FEATURE_CRATE},
    {"BIRD", FEATURE_BIRD},           {"ROCK", FEATURE_ROCK},
};

const NameValue<PropulsionType> kPropulsionTypes[] = {
    {"Wheels", PROPULSION_WHEELS},     {"Tracks", PROPULSION_TRACKS},   {"Infantry", PROPULSION_INFANTRY},
    {"Amphibious", PROPULSION_AMPHIBIOUS}, {"Ski", PROPULSION_SKI},     {"Airplane", PROPULSION_AIRPLANE},
    {"Scud", PROPULSION_SCUD},         {"Halftracks", PROPULSION_HALFTRACKS}, {"Goat", PROPULSION_GOAT},
    {"Chinook", PROPULSION_CHINOOK},   {"Apache", PROPULSION_APACHE},   {"None", PROPULSION_NONE},
};

const NameValue<SkillMask> kSkills[] = {
    {"PISTOL", SKILL_PISTOL},
    {"SMG/ASSAULT RIFLE", SKILL_SMG_ASSAULT_RIFLE},
    {"SNIPER", SKILL_SNIPER},
    {"MACHINE GUN", SKILL_MACHINE_GUN},
    {"A-T/GRENADE", SKILL_AT_GRENADE},
    {"SHOTGUN", SKILL_SHOTGUN},
    {"MEDIC", SKILL_MEDIC},
    {"STEALTH", SKILL_STEALTH},
    {"COMBAT ENG", SKILL_COMBAT_ENG},
    {"ELECTRICS/COMPUTER", SKILL_ELECTRICS_COMPUTER},
    {"FORWARD OBSERVER", SKILL_FORWARD_OBSERVER},
};

const NameValue<ExperienceLevel> kExperienceLevels[] = {
    {"Rookie", EXPERIENCE_ROOKIE},         {"Green", EXPERIENCE_GREEN},
    {"Trained", EXPERIENCE_TRAINED},       {"Regular", EXPERIENCE_REGULAR},
    {"Veteran", EXPERIENCE_VETERAN},       {"Expert", EXPERIENCE_EXPERT},
    {"Professional", EXPERIENCE_PROFESSIONAL}, {"Guard", EXPERIENCE_GUARD},
    {"Crack", EXPERIENCE_CRACK},           {"Elite", EXPERIENCE_ELITE},
    {"Specialist", EXPERIENCE_SPECIALIST}, {"Skill One", EXPERIENCE_SKILL_ONE},
    {"Skill Two", EXPERIENCE_SKILL_TWO},   {"Skill Three", EXPERIENCE_SKILL_THREE},
    {"Skill Four", EXPERIENCE_SKILL_FOUR},
};

const NameValue<WeightClass> kWeightClasses[] = {
    {"LIGHT", WEIGHT_LIGHT}, {"MEDIUM", WEIGHT_MEDIUM}, {"HEAVY", WEIGHT_HEAVY}, {"SUPER HEAVY", WEIGHT_SUPER_HEAVY},
};

const NameValue<WeaponClass> kWeaponClasses[] = {
    {"ASSAULT RIFLE", WEAPON_ASSAULT_RIFLE},
    {"SUB-MACHINE GUN", WEAPON_SUB_MACHINE_GUN},
    {"SNIPER RIFLE", WEAPON_SNIPER_RIFLE},
    {"PISTOL", WEAPON_PISTOL},
    {"MACHINE GUN", WEAPON_MACHINE_GUN},
    {"ANTI TANK", WEAPON_ANTI_TANK},
    {"C4 CHARGE", WEAPON_C4_CHARGE},
    {"GRENADE", WEAPON_GRENADE},
    {"GRENADE LAUNCHER", WEAPON_GRENADE_LAUNCHER},
    {"COMBAT KNIFE", WEAPON_COMBAT_KNIFE},
    {"SHOTGUN", WEAPON_SHOTGUN},
    {"SMOKE GRENADE", WEAPON_SMOKE_GRENADE},
    {"GRENADE LAUNCH/RIFLE", WEAPON_GRENADE_LAUNCH_RIFLE},
    {"FLASH GRENADE", WEAPON_FLASH_GRENADE},
    {"FIST", WEAPON_FIST},
};

const NameValue<MovementModel> kMovementModels[] = {
    {"DIRECT", MOVEMENT_DIRECT},           {"INDIRECT", MOVEMENT_INDIRECT},
    {"HOMING-DIRECT", MOVEMENT_HOMING_DIRECT}, {"HOMING-INDIRECT", MOVEMENT_HOMING_INDIRECT},
    {"ERRATIC-DIRECT", MOVEMENT_ERRATIC_DIRECT}, {"SWEEP", MOVEMENT_SWEEP},
};

const NameValue<DamageType> kDamageTypes[] = {
    {"ANTI PERSONNEL", DAMAGE_ANTI_PERSONNEL}, {"ARMOUR PIERCING", DAMAGE_ARMOUR_PIERCING},
    {"BUNKER BUSTER", DAMAGE_BUNKER_BUSTER},   {"ARTILLERY ROUND", DAMAGE_ARTILLERY_ROUND},
    {"FLAMER", DAMAGE_FLAMER},                 {"ANTI AIRCRAFT", DAMAGE_ANTI_AIRCRAFT},
    {"GRENADE", DAMAGE_GRENADE},               {"HIGH EXPLOSIVE", DAMAGE_HIGH_EXPLOSIVE},
};

const NameValue<SoldierRank> kRanks[] = {
    {"PRIVATE", RANK_PRIVATE},
    {"LANCE CORPORAL", RANK_LANCE_CORPORAL},
    {"CORPORAL", RANK_CORPORAL},
    {"SERGEANT", RANK_SERGEANT},
    {"STAFF SERGEANT", RANK_STAFF_SERGEANT},
    {"SERGEANT MAJOR", RANK_SERGEANT_MAJOR},
    {"SECOND LIEUTENANT", RANK_SECOND_LIEUTENANT},
    {"LIEUTENANT", RANK_LIEUTENANT},
    {"CAPTAIN", RANK_CAPTAIN},
    {"MAJOR", RANK_MAJOR},
    {"COLONEL", RANK_COLONEL},
};

const NameValue<Nationality> kNationalities[] = {
    {"SAS", NATIONALITY_SAS}, {"US", NATIONALITY_US}, {"RUSSIAN", NATIONALITY_RUSSIAN}, {"IRAQI", NATIONALITY_IRAQI},
};

const NameValue<SoldierRole> kRoles[] = {
    {"RIFLEMAN", ROLE_RIFLEMAN},
    {"SNIPER", ROLE_SNIPER},
    {"HEAVY WEAPONS", ROLE_HEAVY_WEAPONS},
    {"COMBAT ENGINEER", ROLE_COMBAT_ENGINEER},
};

// The pictures of the interface image set.  Two pairs share an id (52 and
// 114): the image set draws them alike.
const NameValue<std::uint16_t> kInterfaceIds[] = {
    {"IMAGE_AA01_FIM_92STINGER", 10},
    {"IMAGE_AA02_SA7GRAIL", 11},
    {"IMAGE_AKCLIP", 13},
    {"IMAGE_BROWNING50", 18},
    {"IMAGE_CAMCASE", 20},
    {"IMAGE_CHAINGUN", 21},
    {"IMAGE_DRAGONOVCLIP", 26},
    {"IMAGE_EMIR", 28},
    {"IMAGE_FLIGHTBOX", 29},
    {"IMAGE_FLOPPYDISK", 30},
    {"IMAGE_GRENADE_FLASHBANG", 32},
    {"IMAGE_GRENADE_FRAG", 33},
    {"IMAGE_GRENADE_SMOKE", 34},
    {"IMAGE_GRENADERUSKIE", 35},
    {"IMAGE_KEY1", 39},
    {"IMAGE_KEY2", 40},
    {"IMAGE_KEYCARD1", 41},
    {"IMAGE_LAW80_ANTITANKLAUNCHER", 43},
    {"IMAGE_LMGO2_PKGPMG", 44},
    {"IMAGE_LMGO3_RPK", 45},
    {"IMAGE_LMGO4_M6OE3", 46},
    {"IMAGE_MINE01_CLAYMORE", 52},
    {"IMAGE_MINE03_ANTITANK", 52},
    {"IMAGE_WEAPON_NIGHTGOGGLES", 54},
    {"IMAGE_NSV", 55},
    {"IMAGE_PKCLIP", 60},
    {"IMAGE_PLUTONIUMCASE", 62},
    {"IMAGE_RIFLE_AKSU", 64},
    {"IMAGE_RPG7_ANTITANKLAUNCHER", 65},
    {"IMAGE_SHOTGUN_FRANCHI_SPAS12", 68},
    {"IMAGE_SMG02_61SKORPION", 69},
    {"IMAGE_SNIPER04_SVDDRAGUNOV", 70},
    {"IMAGE_TOWROCKET", 83},
    {"IMAGE_USMISSILEEXPERT", 84},
    {"IMAGE_VIDEOCAM", 85},
    {"IMAGE_WEAPON_ACCINTSNIPER", 87},
    {"IMAGE_WEAPON_AK47", 88},
    {"IMAGE_WEAPON_AK74", 89},
    {"IMAGE_WEAPON_AMMOPACK", 90},
    {"IMAGE_WEAPON_AP_MINE", 91},
    {"IMAGE_WEAPON_BARRETSNIPER", 92},
    {"IMAGE_WEAPON_BINOCULARS", 94},
    {"IMAGE_WEAPON_C4", 95},
    {"IMAGE_WEAPON_C4DETONATOR", 96},
    {"IMAGE_WEAPON_COMMANDO", 97},
    {"IMAGE_WEAPON_COMPUTERHACKING", 98},
    {"IMAGE_WEAPON_DESERTEAGLE", 99},
    {"IMAGE_WEAPON_KNIFE", 100},
    {"IMAGE_WEAPON_LASERDESIGNATOR", 101},
    {"IMAGE_WEAPON_LAW66", 102},
    {"IMAGE_WEAPON_M16M203", 104},
    {"IMAGE_WEAPON_MAKAROV", 105},
    {"IMAGE_WEAPON_MEDIPACK", 106},
    {"IMAGE_WEAPON_MP5_SUBMG", 107},
    {"IMAGE_WEAPON_PSG1SNIPER", 108},
    {"IMAGE_WEAPON_RADIO", 109},
    {"IMAGE_WEAPON_REMINGTON870", 110},
    {"IMAGE_WEAPON_SAW", 111},
    {"IMAGE_WEAPON_SIG_P228", 112},
    {"IMAGE_WEAPON_SOCOM", 113},
    {"IMAGE_WEAPON_BOMBDEFUSING", 114},
    {"IMAGE_WIRECUTTERS", 114},
};

}  // namespace

StatsKind StatsKindFromName(const char* name) {
  return static_cast<StatsKind>(Lookup(kStatsKinds, name, static_cast<std::uint32_t>(STATS_INVALID)));
}

bool IsItemStatsKind(std::uint32_t kind) {
  return (kind >= 6 && kind <= 12) || kind == 14 || (kind >= 16 && kind <= 18) || kind == 20 || kind == 22 ||
         (kind >= 24 && kind <= 26);
}

CharacterType CharacterTypeFromName(const char* name) {
  CharacterType t = Lookup(kCharacterTypes, name, CHARACTER_INVALID);
  if (t == CHARACTER_INVALID) ErrorBox("Unknown Character Type");
  return t;
}

FeatureType FeatureTypeFromName(const char* name) { return Lookup(kFeatureTypes, name, FEATURE_INVALID); }

PropulsionType PropulsionTypeFromName(const char* name) {
  return Lookup(kPropulsionTypes, name, PROPULSION_INVALID);
}

SkillMask SkillMaskFromName(const char* name) { return Lookup(kSkills, name, SKILL_INVALID); }

ExperienceLevel ExperienceLevelFromName(const char* name) {
  return Lookup(kExperienceLevels, name, EXPERIENCE_INVALID);
}

bool WeightClassFromName(const char* name, WeightClass* out) {
  constexpr auto kNone = static_cast<WeightClass>(0xFFFFFFFFu);
  WeightClass w = Lookup(kWeightClasses, name, kNone);
  if (w == kNone) return false;
  if (out) *out = w;
  return true;
}

WeaponClass WeaponClassFromName(const char* name) { return Lookup(kWeaponClasses, name, WEAPON_CLASS_INVALID); }

MovementModel MovementModelFromName(const char* name) {
  MovementModel m = Lookup(kMovementModels, name, MOVEMENT_INVALID);
  if (m == MOVEMENT_INVALID) ErrorBox("Invalid movement model - ");
  return m;
}

DamageType DamageTypeFromName(const char* name) { return Lookup(kDamageTypes, name, DAMAGE_TYPE_INVALID); }

SoldierRank SoldierRankFromName(const char* name) { return Lookup(kRanks, name, RANK_INVALID); }

const char* SoldierRankName(std::uint32_t rank) {
  for (const auto& e : kRanks)
    if (e.value == rank) return e.name;
  return "NO RANK SET";
}

Nationality NationalityFromName(const char* name) { return Lookup(kNationalities, name, NATIONALITY_SAS); }

SoldierRole SoldierRoleFromName(const char* name) { return Lookup(kRoles, name, ROLE_NONE); }

std::uint16_t InterfaceIdFromName(const char* name) {
  for (const auto& e : kInterfaceIds)
    if (name != nullptr && std::strcmp(e.name, name) == 0) return e.value;
  ErrorBox("Warning - unable to find interface ID %s", name ? name : "");
  return kNoInterfaceId;
}

bool IsThrownOrPlacedCharge(std::uint32_t c) {
  return c == WEAPON_C4_CHARGE || c == WEAPON_GRENADE || c == WEAPON_SMOKE_GRENADE || c == WEAPON_FLASH_GRENADE;
}

bool IsMagazineGun(std::uint32_t c) {
  switch (c) {
    case WEAPON_ASSAULT_RIFLE:
    case WEAPON_SUB_MACHINE_GUN:
    case WEAPON_SNIPER_RIFLE:
    case WEAPON_PISTOL:
    case WEAPON_MACHINE_GUN:
    case WEAPON_ANTI_TANK:
    case WEAPON_GRENADE_LAUNCHER:
    case WEAPON_SHOTGUN:
    case WEAPON_GRENADE_LAUNCH_RIFLE:
      return true;
    default:
      return false;
  }
}

bool IsDirectShot(std::uint32_t m) { return m != MOVEMENT_INDIRECT && m != MOVEMENT_HOMING_INDIRECT; }
