#include "shell/stats/weapon_stats.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "foundation/maths/fast_trig.h"
#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/stats_table.h"

namespace {

constexpr const char* kFile = "Weaps.txt";

StatsTable<WeaponStats> g_weapons;
const WeaponStats* g_grenade = nullptr;
const WeaponStats* g_grenadeLauncher = nullptr;
const WeaponStats* g_grenadeLaunchRifle = nullptr;
const WeaponStats* g_fist = nullptr;
float g_grenadeThrowConstant = 0.0f;

// Copies text upper-cased.
void UpperCase(char* out, const char* in, std::size_t size) {
  std::size_t i = 0;
  for (; in[i] && i + 1 < size; ++i) out[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(in[i])));
  out[i] = 0;
}

std::uint32_t UpperHash(const char* text) {
  char upper[64];
  UpperCase(upper, text, sizeof(upper));
  return HashString(upper);
}

// Copies a name field; "-1" leaves it empty.
void CopyOptional(char* out, const char* in) {
  if (std::strcmp(in, "-1") == 0) {
    out[0] = 0;
    return;
  }
  std::strcpy(out, in);
}

// stem + extension, or empty for "-1".
void FileName(char* out, const char* stem, const char* extension) {
  if (std::strcmp(stem, "-1") == 0) {
    out[0] = 0;
    return;
  }
  std::strcpy(out, stem);
  std::strcat(out, extension);
}

const char* ShadowModelName(std::uint32_t weaponClass) {
  switch (weaponClass) {
    case WEAPON_ASSAULT_RIFLE:
    case WEAPON_SUB_MACHINE_GUN:
    case WEAPON_MACHINE_GUN:
    case WEAPON_GRENADE_LAUNCHER:
    case WEAPON_SHOTGUN:
    case WEAPON_GRENADE_LAUNCH_RIFLE:
      return "Rifle_Shadow";
    case WEAPON_SNIPER_RIFLE:
      return "Sniper_Shadow";
    case WEAPON_PISTOL:
      return "Pistol_Shadow";
    case WEAPON_ANTI_TANK:
      return "AntiTank_Shadow";
    case WEAPON_COMBAT_KNIFE:
      return "Knife_Shadow";
    default:
      return "";
  }
}

// The columns of one line as read, before conversion.
struct WeaponLine {
  char name[kStatsNameSize];
  char model[kStatsNameSize];
  char model2[kStatsNameSize];
  char texture[kStatsNameSize];
  char interfaceName[64];
  char weaponClass[64];
  char name7[64];
  char name8[64];
  std::int64_t flag9, flag10;
  float time11;
  std::int64_t burst;
  float time13;
  std::int64_t explosions, magazines, roundsPerMag;
  float time17, distance18;
  std::int64_t explosiveDamage;
  float time20;
  std::int64_t incenDamage;
  float distance22;
  std::int64_t damage;
  float speed, distance25;
  char fireOnMove[64];
  std::int64_t flag27, flag28, flag29, surfaceToAir;
  char movement[64];
  char assets[8][kStatsNameSize];  // columns 32-39
  std::int64_t sizes[4];           // columns 40-43
  std::int64_t flag44;
  float float45;
  std::int64_t modes[7];  // columns 46-52
  float timer;
  char anims[6][kStatsFileStemSize];  // columns 54-59
  std::int64_t fieldOfView, bullets, minFOV;
  float float63;
  char soundBank[kStatsFileStemSize];
  float float65, float66;
  std::int64_t recoil;
  float tail[8];  // columns 68-75
};

bool ReadLine(StatsLineReader& r, WeaponLine& w) {
  r.Text(w.name, sizeof(w.name));
  r.Text(w.model, sizeof(w.model));
  r.Text(w.model2, sizeof(w.model2));
  r.Text(w.texture, sizeof(w.texture));
  r.Text(w.interfaceName, sizeof(w.interfaceName), true);
  r.Text(w.weaponClass, sizeof(w.weaponClass));
  r.Text(w.name7, sizeof(w.name7));
  r.Text(w.name8, sizeof(w.name8));
  r.Int(&w.flag9);
  r.Int(&w.flag10);
  r.Float(&w.time11);
  r.Int(&w.burst);
  r.Float(&w.time13);
  r.Int(&w.explosions);
  r.Int(&w.magazines);
  r.Int(&w.roundsPerMag);
  r.Float(&w.time17);
  r.Float(&w.distance18);
  r.Int(&w.explosiveDamage);
  r.Float(&w.time20);
  r.Int(&w.incenDamage);
  r.Float(&w.distance22);
  r.Int(&w.damage);
  r.Float(&w.speed);
  r.Float(&w.distance25);
  r.Text(w.fireOnMove, sizeof(w.fireOnMove));
  r.Int(&w.flag27);
  r.Int(&w.flag28);
  r.Int(&w.flag29);
  r.Int(&w.surfaceToAir);
  r.Text(w.movement, sizeof(w.movement));
  for (int i = 0; i < 8; ++i) r.Text(w.assets[i], sizeof(w.assets[i]), i == 1);
  for (std::int64_t& s : w.sizes) r.Int(&s);
  r.Int(&w.flag44);
  r.Float(&w.float45);
  for (std::int64_t& m : w.modes) r.Int(&m);
  r.Float(&w.timer);
  for (int i = 0; i < 6; ++i) r.Text(w.anims[i], sizeof(w.anims[i]), i == 3);
  r.Int(&w.fieldOfView);
  r.Int(&w.bullets);
  r.Int(&w.minFOV);
  r.Float(&w.float63);
  r.Text(w.soundBank, sizeof(w.soundBank));
  r.Float(&w.float65);
  r.Float(&w.float66);
  r.Int(&w.recoil);
  for (float& f : w.tail) r.Float(&f);
  return !r.Failed();
}

// A width check: value within [0, limit], else the fatal message.
bool InLimits(const StatsLineReader& r, std::int64_t value, std::int64_t limit, const char* message,
              const char* name) {
  if (value >= 0 && value <= limit) return true;
  StatsError(r, message, name);
  return false;
}

// A time column: seconds to whole ms, refused when negative or too large.
bool Time(const StatsLineReader& r, float seconds, int column, const char* name, std::uint32_t* out) {
  if (SecondsToMs(seconds, out)) return true;
  StatsError(r, "loadWeaponStats: the time of column %d is outside of limits for weapon %s", column, name);
  return false;
}

bool ConvertLine(const StatsLineReader& r, const WeaponLine& w, WeaponStats* s) {
  const char* name = w.name;
  s->Kind = 5;
  s->Name = CopyStatsName(name);
  if (s->Name == nullptr) {
    StatsError(r, "loadWeaponStats - Out of memory");
    return false;
  }
  s->NameHashNoCase = HashStringNoCase(name);
  if (std::strcmp(w.model, "-1") == 0) {
    StatsError(r, "loadWeaponStats: weapon %s has no model", name);
    return false;
  }
  std::strcpy(s->ModelName, w.model);
  CopyOptional(s->SecondModelName, w.model2);
  CopyOptional(s->TextureName, w.texture);

  s->Hash7 = UpperHash(w.name7);
  s->Hash8 = std::strcmp(w.name8, "-1") == 0 ? 0 : UpperHash(w.name8);
  s->InterfaceId = std::strcmp(w.interfaceName, "-1") == 0 ? kNoInterfaceId : InterfaceIdFromName(w.interfaceName);

  s->WeaponClass = WeaponClassFromName(w.weaponClass);
  if (s->WeaponClass == WEAPON_CLASS_INVALID) {
    StatsError(r, "loadWeaponStats:Invalid weapon class for weapon %s", name);
    return false;
  }

  s->Flag9 = w.flag9 != 0;
  s->Flag10 = w.flag10 != 0;
  if (!Time(r, w.time11, 11, name, &s->Time11) || !Time(r, w.time13, 13, name, &s->Time13) ||
      !Time(r, w.time17, 17, name, &s->Time17) || !Time(r, w.time20, 20, name, &s->Time20))
    return false;
  if (!InLimits(r, w.burst, 255, "loadWeaponStats: numRoundsPerBurst is outside of limits for weapon %s", name) ||
      !InLimits(r, w.explosions, 255, "loadWeaponStats: numExplosions is outside of limits for weapon %s", name) ||
      !InLimits(r, w.magazines, 255, "loadWeaponStats: maximum magazines is outside of limits for weapon %s", name))
    return false;
  s->numRoundsPerBurst = static_cast<std::uint8_t>(w.burst);
  s->numExplosions = static_cast<std::uint8_t>(w.explosions);
  s->MaxMagazines = static_cast<std::uint8_t>(w.magazines);
  // Above 9999 the interface cannot show the count; above the field's 16
  // bits the value would be cut, so that is refused.
  if (!InLimits(r, w.roundsPerMag, 65535, "loadWeaponStats: RoundsPerMag is outside of limits for weapon %s", name))
    return false;
  if (w.roundsPerMag > 9999) StatsError(r, "loadWeaponStats: RoundsPerMag > 9999 - interface problems - %s", name);
  s->RoundsPerMag = static_cast<std::uint16_t>(w.roundsPerMag);
  s->Distance18 = MetresToCm(w.distance18);
  if (!InLimits(r, w.explosiveDamage, 65535, "loadWeaponStats: explosiveDamage is outside of limits for weapon %s",
                name) ||
      !InLimits(r, w.incenDamage, 65535, "loadWeaponStats: incenDamage is outside of limits for weapon %s", name) ||
      !InLimits(r, w.damage, 65535, "loadWeaponStats: damage is outside of limits for weapon %s", name))
    return false;
  s->explosiveDamage = static_cast<std::uint16_t>(w.explosiveDamage);
  s->incenDamage = static_cast<std::uint16_t>(w.incenDamage);
  s->damage = static_cast<std::uint16_t>(w.damage);
  s->Distance22 = MetresToCm(w.distance22);
  s->ShotSpeed = MetresToCm(w.speed);
  s->Distance25 = MetresToCm(w.distance25);

  if (std::strcmp(w.fireOnMove, "NO") == 0)
    s->FireOnMove = 0;
  else if (std::strcmp(w.fireOnMove, "PARTIAL") == 0)
    s->FireOnMove = 1;
  else if (std::strcmp(w.fireOnMove, "YES") == 0)
    s->FireOnMove = 2;
  else {
    StatsError(r, "loadWeaponStats: Invalid fire on move flag for weapon %s", name);
    return false;
  }
  s->Flag27 = w.flag27 != 0;
  s->Flag28 = w.flag28 != 0;
  s->Flag29 = w.flag29 != 0;
  if (!InLimits(r, w.surfaceToAir, 255, "loadWeaponStats: Surface to Air is outside of limits for weapon %s", name))
    return false;
  s->SurfaceToAir = w.surfaceToAir == 0 ? 1 : w.surfaceToAir <= 50 ? 2 : 3;
  s->MovementModel = MovementModelFromName(w.movement);
  if (s->MovementModel == MOVEMENT_INVALID) {
    StatsError(r, "loadWeaponStats:Invalid movement model for weapon %s", name);
    return false;
  }

  // Column 33 (the texture) comes first in the record, then 32, 34-39.
  static const int kAssetColumnOrder[8] = {1, 0, 2, 3, 4, 5, 6, 7};
  for (int i = 0; i < 8; ++i) CopyOptional(s->Assets[i].Name, w.assets[kAssetColumnOrder[i]]);

  static const char* const kSizeMessages[4] = {
      "loadWeaponStats: muzzleSize is greater than 65535 for weapon %s",
      "loadWeaponStats: muzzle2Size is greater than 65535 for weapon %s",
      "loadWeaponStats: ejectSize is greater than 65535 for weapon %s",
      "loadWeaponStats: flashSize is greater than 65535 for weapon %s",
  };
  for (int i = 0; i < 4; ++i)
    if (!InLimits(r, w.sizes[i], 65535, kSizeMessages[i], name)) return false;
  s->muzzleSize = static_cast<float>(w.sizes[0]) * 0.01f;
  s->muzzle2Size = static_cast<float>(w.sizes[1]) * 0.01f;
  s->ejectSize = static_cast<float>(w.sizes[2]) * 0.01f;
  s->flashSize = static_cast<float>(w.sizes[3]) * 0.01f;
  s->Flag44 = w.flag44 != 0;
  s->Float45 = w.float45;

  // Fire modes: single shot for everything but thrown and placed charges,
  // then one flag per column 46-52.
  static const std::uint32_t kModeFlags[7] = {FIREMODE_2,  FIREMODE_4,  FIREMODE_8,  FIREMODE_TIMED | FIREMODE_TIMED_2,
                                              FIREMODE_16, FIREMODE_64, FIREMODE_128};
  std::uint32_t modes = IsThrownOrPlacedCharge(s->WeaponClass) ? 0u : FIREMODE_SINGLE;
  for (int i = 0; i < 7; ++i)
    if (w.modes[i] != 0) modes |= kModeFlags[i];
  if (modes == 0) {
    StatsError(r, "loadWeaponStats:No firemode set for weapon %s", name);
    return false;
  }
  if (s->WeaponClass == WEAPON_GRENADE_LAUNCH_RIFLE) modes |= FIREMODE_GRENADE_LAUNCHER;
  s->FireModeFlags = modes;

  if (!Time(r, w.timer, 53, name, &s->Timer)) return false;
  if ((modes & FIREMODE_TIMED) != 0 && s->Timer < 1) {
    StatsError(r, "loadWeaponStats:Timer value not set for Timed weapon %s", name);
    s->Timer = 10000;
  }

  // The zoom is clamped into 1-70 degrees before it is narrowed to 8 bits.
  std::int64_t fov = w.fieldOfView, minFov = w.minFOV;
  if (fov != 0) {
    if (fov < 1) {
      StatsError(r, "loadWeaponStats:fieldOfView is < %f for weapon %s", 1.0, name);
      fov = 1;
    } else if (fov > 70) {
      StatsError(r, "loadWeaponStats:fieldOfView is > %f for weapon %s", 70.0, name);
      fov = 70;
    }
    if (minFov < 1) {
      StatsError(r, "loadWeaponStats:minFOV is < %f for weapon %s", 1.0, name);
      minFov = 1;
    } else if (minFov > 70) {
      StatsError(r, "loadWeaponStats:minFOV is > %f for weapon %s", 70.0, name);
      minFov = 70;
    }
    if (fov < minFov) {
      StatsError(r, "loadWeaponStats:minFOV is greather than fieldOfView for weapon %s", name);
      minFov = 1;
      fov = 70;
    }
  } else if (minFov < 0 || minFov > 255) {
    StatsError(r, "loadWeaponStats: minFOV is outside of limits for weapon %s", name);
    return false;
  }
  s->fieldOfView = static_cast<std::uint8_t>(fov);
  s->minFOV = static_cast<std::uint8_t>(minFov);
  if (!InLimits(r, w.bullets, 255, "loadWeaponStats: numBullets is outside of limits for weapon %s", name))
    return false;
  s->numBullets = static_cast<std::uint8_t>(w.bullets);
  s->Float63 = w.float63;

  std::strcpy(s->Shadow.Name, ShadowModelName(s->WeaponClass));
  for (int i = 0; i < 6; ++i) FileName(s->Animations[i].Name, w.anims[i], ".prs");
  FileName(s->SoundBank, w.soundBank, ".sbk");

  if (!InLimits(r, w.recoil, 65535, "loadWeaponStats: recoilDirection is outside of limits for weapon %s", name))
    return false;
  s->recoilDirection = static_cast<std::uint16_t>(w.recoil);
  s->Floats65To75[0] = MetresToCm(w.float65);
  s->Floats65To75[1] = MetresToCm(w.float66);
  for (int i = 0; i < 4; ++i) s->Floats65To75[2 + i] = MetresToCm(w.tail[i]);  // 68-71
  s->Floats65To75[6] = w.tail[4];                                              // 72 as written
  for (int i = 5; i < 8; ++i) s->Floats65To75[2 + i] = MetresToCm(w.tail[i]);  // 73-75
  return true;
}

// Remembers the special weapons; a second one of a kind replaces the first.
void NoteSpecialWeapon(const StatsLineReader& r, WeaponStats* s) {
  switch (s->WeaponClass) {
    case WEAPON_GRENADE_LAUNCHER:
      if (g_grenadeLauncher != nullptr) StatsError(r, "More than one grenade launcher has been loaded!");
      s->FireModeFlags |= FIREMODE_GRENADE_LAUNCHER;
      g_grenadeLauncher = s;
      break;
    case WEAPON_GRENADE_LAUNCH_RIFLE:
      if (g_grenadeLaunchRifle != nullptr) StatsError(r, "More than one grenadeLauncher/rifle has been loaded!");
      g_grenadeLaunchRifle = s;
      break;
    case WEAPON_FIST:
      if (g_fist != nullptr) StatsError(r, "More than one fist has been loaded!");
      std::strcpy(s->ModelName, "Knife01_Combat");
      g_fist = s;
      break;
    case WEAPON_GRENADE: {
      if (g_grenade != nullptr) StatsError(r, "More than one grenade stat has been loaded!");
      s->ShotSpeed *= 1.5f;
      const float sin45 = FastSin(45.0f * 3.14159265358979f / 180.0f);
      g_grenadeThrowConstant = s->ShotSpeed * s->ShotSpeed / ((1.0f + sin45) * 981.00006f);
      g_grenade = s;
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool loadWeaponStats(const char* text, std::uint32_t length) {
  FreeWeaponStats();
  StatsLineReader r(kFile, text, length);
  if (!g_weapons.Allocate(r.RecordCount())) {
    ErrorBox("loadWeaponStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    WeaponStats* s = &g_weapons.Records[r.Line() - 1];
    WeaponLine w{};
    if (!ReadLine(r, w)) {
      r.ShowFault(w.name);
      return false;
    }
    if (!ConvertLine(r, w, s)) return false;
    if (!IndexStatsName(r, g_weapons.Index, HashString(s->Name), r.Line() - 1, s->Name)) return false;
    NoteSpecialWeapon(r, s);
  }
  if (g_grenadeLaunchRifle != nullptr && g_grenadeLauncher == nullptr) {
    ErrorBox("GRENADE/RIFLE stat does not have a GRENADE_LAUNCHER\t\t\t\tstat associated with it!");
    return false;
  }
  if (g_fist == nullptr) {
    ErrorBox("FIST stat has not been loaded");
    return false;
  }
  if (g_grenade == nullptr) ErrorBox("Grenade stat has not been loaded");
  return true;
}

const WeaponStats* GetGrenadeStats() { return g_grenade; }
const WeaponStats* GetGrenadeLauncherStats() { return g_grenadeLauncher; }
const WeaponStats* GetGrenadeLaunchRifleStats() { return g_grenadeLaunchRifle; }
const WeaponStats* GetFistStats() { return g_fist; }
float GetGrenadeThrowConstant() { return g_grenadeThrowConstant; }

bool IsWeaponFlag10Clear(const void* record) {
  if (record == nullptr) return false;
  const auto* w = static_cast<const WeaponStats*>(record);
  if (g_weapons.Records == nullptr || w < g_weapons.begin() || w >= g_weapons.end()) return false;
  return w->Kind == 5 && w->Flag10 == 0;
}

const StatsTable<WeaponStats>& WeaponStatsTable() { return g_weapons; }

WeaponStats* FindWeaponStatsByHash(std::uint32_t hash) { return g_weapons.Find(hash); }

void FreeWeaponStats() {
  for (WeaponStats& w : g_weapons) FreeStatsName(w.Name);
  g_weapons.Free();
  g_grenade = g_grenadeLauncher = g_grenadeLaunchRifle = g_fist = nullptr;
  g_grenadeThrowConstant = 0.0f;
}
