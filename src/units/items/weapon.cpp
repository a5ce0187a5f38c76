#include "units/items/weapon.h"

#include <algorithm>
#include <set>
#include <cstring>
#include <utility>

#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "shell/mission/mission.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/hlo_scheduler.h"
#include "units/base/unit.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "world/effects/explosions.h"
#include "world/environment/env_instance.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

bool IsThrownOrPlaced(std::uint32_t weaponClass) {
  return weaponClass == WEAPON_C4_CHARGE || weaponClass == WEAPON_GRENADE || weaponClass == WEAPON_SMOKE_GRENADE ||
         weaponClass == WEAPON_FLASH_GRENADE;
}

// Records whose magazine size is 0 are reported once each.
std::set<const void*> g_reportedMagazines;

}  // namespace

CWeapon* AsWeapon(CHLO* object) {
  return object != nullptr && object->Kind == HLO_WEAPON ? static_cast<CWeapon*>(object) : nullptr;
}

CWeapon::CWeapon(const HLOSpawnRecord& record, const void* stats) : CInventoryItem(record, stats) {
  const WeaponStats* w = WeaponRecord();
  quantity = w != nullptr ? w->RoundsPerMag : 0;
  if (w != nullptr && w->WeaponClass == WEAPON_GRENADE_LAUNCH_RIFLE) {
    if (const WeaponStats* launcher = GetGrenadeLauncherStats()) {
      altQuantity = launcher->RoundsPerMag;
      const bool copy = Instance != nullptr && (Instance->Flags & kInstanceCopy) != 0;
      if (launcher->SoundBank[0] != 0 && !copy && CurrentMissionId() != kFirstStandaloneMissionId && g_SoundManager != nullptr)
        altSoundBank = g_SoundManager->LoadBank(launcher->SoundBank, 0);
    }
  }
  if (w != nullptr && w->WeaponClass == WEAPON_C4_CHARGE) altQuantity = static_cast<std::int32_t>(w->Timer);
  // The first mode the record offers, in the order of preference.
  const std::uint32_t offered = w != nullptr ? w->FireModeFlags : 0u;
  static const std::uint32_t kGunOrder[] = {FM_AUTOMATIC, FM_BURST, FM_SINGLE};
  static const std::uint32_t kChargeOrder[] = {FM_REMOTE, FM_TIMED, FM_PROXIMITY, FM_UNARMABLE};
  fireMode = 0;
  if (w != nullptr && !IsThrownOrPlaced(w->WeaponClass)) {
    for (std::uint32_t m : kGunOrder)
      if ((offered & m) != 0) { fireMode = m; break; }
    if (fireMode == 0) fireMode = FM_SINGLE;
  } else if (w != nullptr) {
    for (std::uint32_t m : kChargeOrder)
      if ((offered & m) != 0) { fireMode = m; break; }
    if (fireMode == 0) fireMode = FM_UNARMABLE;
  }
  // A charge the level placed: byte 1 goes off near the local side, 2 and 3
  // wait for a detonator; both are armed at once.
  if (w != nullptr && w->WeaponClass == WEAPON_C4_CHARGE && (record.thirdByte >= 1 && record.thirdByte <= 3)) {
    fireMode = record.thirdByte == 1 ? FM_LEVEL_PLACED : FM_REMOTE;
    Arm(nullptr);
    lastUseTime = 1;
  }
  ++g_ItemStatistics.WeaponsMade;
  UpdateGunModeFlag();
  if (Instance != nullptr && w != nullptr && w->WeaponClass == WEAPON_C4_CHARGE) Instance->Flags |= kInstanceC4;
}

CWeapon::~CWeapon() = default;

void CWeapon::UpdateGunModeFlag() {
  if (Instance == nullptr) return;
  if ((fireMode & kGunModes) != 0)
    Instance->Flags |= kInstanceGunMode;
  else
    Instance->Flags &= ~kInstanceGunMode;
}

void CWeapon::SetActive(int flag) {
  if (g_HLOScheduler != nullptr && ((Flags & HLOF_ACTIVE) != 0) != (flag != 0)) g_HLOScheduler->OnActivation(this);
  CHLO::SetActive(flag);
}

int CWeapon::MagazineSize() const {
  const WeaponStats* w = WeaponRecord();
  if (w == nullptr) return 1;
  if (w->WeaponClass == WEAPON_GRENADE_LAUNCHER) return 1;
  if (w->RoundsPerMag == 0) {
    if (g_reportedMagazines.insert(w).second)
      WarningBox("Weapon %s has no rounds per magazine: one is used.", w->Name != nullptr ? w->Name : "?");
    return 1;
  }
  return w->RoundsPerMag;
}

int CWeapon::MaxRounds() const {
  const WeaponStats* w = WeaponRecord();
  return (w != nullptr ? w->MaxMagazines : 0) * MagazineSize();
}

void CWeapon::SetInitialQuantity(int magazines) {
  if (magazines < 0) magazines = 0;
  const bool launcherMode = fireMode == FM_LAUNCHER;
  const std::uint32_t cls = WeaponClassOf();
  const bool hasLauncher = cls == WEAPON_GRENADE_LAUNCH_RIFLE || cls == WEAPON_GRENADE_LAUNCHER;
  if (hasLauncher && launcherMode) SetFireMode(FM_SINGLE, false);
  spent = burstLeft = looseRounds = altSpent = altLoose = 0;
  quantity = std::min(magazines * MagazineSize(), MaxRounds());
  if (hasLauncher && WeaponClassOf() == WEAPON_GRENADE_LAUNCH_RIFLE) {
    if (const WeaponStats* launcher = GetGrenadeLauncherStats()) altQuantity = launcher->RoundsPerMag;
  }
  if (hasLauncher && launcherMode) SetFireMode(FM_LAUNCHER, false);
}

int CWeapon::TransferAmmo(CWeapon* to, int magazines) {
  if (to == nullptr || to == this || to->Stats != Stats || magazines < 1) return 0;
  const int size = MagazineSize();
  // Only the rounds there are, and never beyond the other's maximum.
  int rounds = std::min(magazines * size, quantity);
  rounds = std::min(rounds, std::max(0, to->MaxRounds() - to->quantity));
  rounds -= rounds % size;
  if (rounds < size) return 0;
  quantity -= rounds;
  to->quantity += rounds;
  return 1;
}

void CWeapon::AddLooseRounds(int n) {
  if (n <= 0) return;
  looseRounds += n;
  const int size = MagazineSize();
  while (looseRounds >= size) {
    looseRounds -= size;
    quantity += size;
  }
}

void CWeapon::PickUpAmmo(int magazines, std::uint32_t minInterval) {
  const std::uint32_t now = UnitGameTime();
  if (now - lastAmmoPickupTime < minInterval && quantity <= MaxRounds()) return;
  const int add = std::max(0, magazines) * MagazineSize();
  if (quantity + add <= MaxRounds())
    quantity += add;
  else
    quantity = MaxRounds();
  lastAmmoPickupTime = now;
}

bool CWeapon::IsMagazineEmpty() const { return spent == MagazineSize(); }

bool CWeapon::CanReload() const {
  if (WeaponClassOf() == WEAPON_GRENADE_LAUNCHER) return spent == 1 && quantity > 0;
  return spent > 0 && (quantity >= MagazineSize() || looseRounds > 0);
}

bool CWeapon::WantsReload() const {
  if (WeaponClassOf() == WEAPON_GRENADE_LAUNCHER) return CanReload();
  return spent > MagazineSize() / 2;
}

bool CWeapon::IsBurstDone() const { return fireMode == FM_BURST && burstLeft == 0; }

void CWeapon::Reload() {
  if (spent <= 0) return;
  const int size = MagazineSize();
  if (WeaponClassOf() == WEAPON_SHOTGUN) {
    if (looseRounds > 0) {
      --looseRounds;
      ++quantity;
      --spent;
    } else if (quantity >= size) {
      quantity = quantity - size + 1;
      looseRounds = size - 1;
      --spent;
    }
  } else {
    // The unfired rounds of the loaded magazine come out as loose rounds.
    const int unfired = std::max(0, std::min(size - spent, quantity));
    quantity -= unfired;
    looseRounds += unfired;
    if (looseRounds > size) {
      looseRounds -= size;
      quantity += size;
    }
    if (quantity >= size) {
      spent = 0;
    } else {
      quantity = looseRounds;
      spent = size - looseRounds;
      looseRounds = 0;
    }
  }
  if (IsGrenade()) readyTime = UnitGameTime() + 1000;
}

void CWeapon::ResetLauncher() {
  if (fireMode == FM_LAUNCHER) SetFireMode(FM_SINGLE, false);
}

void CWeapon::SwapAmmunitionSets() {
  std::swap(quantity, altQuantity);
  std::swap(spent, altSpent);
  std::swap(looseRounds, altLoose);
  burstLeft = 0;
  std::swap(soundBank, altSoundBank);
  const WeaponStats* rifle = GetGrenadeLaunchRifleStats();
  const WeaponStats* launcher = GetGrenadeLauncherStats();
  if (Stats == rifle && launcher != nullptr)
    Stats = launcher;
  else if (Stats == launcher && rifle != nullptr)
    Stats = rifle;
}

bool CWeapon::SetFireMode(std::uint32_t mode, bool checkOnly) {
  const WeaponStats* w = WeaponRecord();
  if (w == nullptr || mode == 0 || (mode & (mode - 1)) != 0) return false;
  // In launcher mode the record held is the launcher's: the rifle's offers.
  const WeaponStats* offering = w;
  if (fireMode == FM_LAUNCHER && GetGrenadeLaunchRifleStats() != nullptr) offering = GetGrenadeLaunchRifleStats();
  // A level-placed charge keeps its own mode.
  if ((offering->FireModeFlags & mode) == 0 && mode != fireMode) return false;
  if (checkOnly) return true;
  const bool swaps = (mode == FM_LAUNCHER) != (fireMode == FM_LAUNCHER) &&
                     (offering->WeaponClass == WEAPON_GRENADE_LAUNCH_RIFLE ||
                      offering->WeaponClass == WEAPON_GRENADE_LAUNCHER);
  if (swaps) SwapAmmunitionSets();
  fireMode = mode;
  UpdateGunModeFlag();
  return true;
}

namespace {

std::uint32_t StepMode(std::uint32_t mode, bool forward, bool hasLauncher) {
  if (forward) {
    switch (mode) {
      case FM_SINGLE: return hasLauncher ? FM_LAUNCHER : FM_BURST;
      case FM_LAUNCHER: return FM_BURST;
      case FM_BURST: return FM_AUTOMATIC;
      case FM_AUTOMATIC: return FM_GUN_FOURTH;
      case FM_GUN_FOURTH: return FM_SINGLE;
      case FM_UNARMABLE: return FM_PROXIMITY;
      case FM_PROXIMITY: return FM_REMOTE;
      case FM_REMOTE: return FM_UNARMABLE;
      case FM_TIMED: return FM_TIMED_SECOND;
      case FM_TIMED_SECOND: return FM_PROXIMITY;
      default: return 0;
    }
  }
  switch (mode) {
    case FM_SINGLE: return FM_GUN_FOURTH;
    case FM_GUN_FOURTH: return FM_AUTOMATIC;
    case FM_AUTOMATIC: return FM_BURST;
    case FM_BURST: return hasLauncher ? FM_LAUNCHER : FM_SINGLE;
    case FM_LAUNCHER: return FM_SINGLE;
    case FM_UNARMABLE: return FM_REMOTE;
    case FM_REMOTE: return FM_PROXIMITY;
    case FM_PROXIMITY: return FM_UNARMABLE;
    case FM_TIMED: return FM_UNARMABLE;
    case FM_TIMED_SECOND: return FM_TIMED;
    default: return 0;
  }
}

}  // namespace

std::uint32_t CWeapon::NextFireMode() const {
  const bool launcher = WeaponClassOf() == WEAPON_GRENADE_LAUNCH_RIFLE || fireMode == FM_LAUNCHER;
  std::uint32_t m = fireMode;
  // The order is a cycle of at most ten modes: the walk ends.
  for (int i = 0; i < 10; ++i) {
    m = StepMode(m, true, launcher);
    if (m == 0) return fireMode;
    if (const_cast<CWeapon*>(this)->SetFireMode(m, true)) return m;
  }
  return fireMode;
}

std::uint32_t CWeapon::PreviousFireMode() const {
  const bool launcher = WeaponClassOf() == WEAPON_GRENADE_LAUNCH_RIFLE || fireMode == FM_LAUNCHER;
  std::uint32_t m = fireMode;
  for (int i = 0; i < 10; ++i) {
    m = StepMode(m, false, launcher);
    if (m == 0) return fireMode;
    if (const_cast<CWeapon*>(this)->SetFireMode(m, true)) return m;
  }
  return fireMode;
}

bool CWeapon::CycleFireMode(bool forward) {
  const std::uint32_t before = fireMode;
  const std::uint32_t next = forward ? NextFireMode() : PreviousFireMode();
  if (next != before) SetFireMode(next, false);
  return fireMode != before;
}

void CWeapon::PullTrigger(CUnit* user) {
  if (g_ItemTriggersEnabled == 0) return;
  triggerPulled = 1;
  const WeaponStats* w = WeaponRecord();
  if (fireMode == FM_BURST && w != nullptr) burstLeft = w->numRoundsPerBurst;
  (void)user;
}

std::uint32_t CWeapon::GetTimeUntilReady(CUnit* user) const {
  const WeaponStats* w = WeaponRecord();
  if (w == nullptr || lastUseTime == 1) return 0;
  std::uint32_t interval = w->Time11;
  if (w->WeaponClass == WEAPON_SNIPER_RIFLE && (user == nullptr || user->Can(1) == 0)) interval = 4000;
  const std::uint32_t since = UnitGameTime() - lastUseTime;
  return since >= interval ? 0u : interval - since;
}

// --- Charges ------------------------------------------------------------------------

int CWeapon::Arm(CUnit* by) {
  if (WeaponClassOf() != WEAPON_C4_CHARGE || fireMode == FM_UNARMABLE) return 0;
  // A timed charge's timer is its update check (see Update).
  fired = 1;
  lastUseTime = UnitGameTime();
  if (by != nullptr) planter = by;
  return 1;
}

int CWeapon::Defuse(CUnit* by, bool notify) {
  if (WeaponClassOf() != WEAPON_C4_CHARGE || fireMode != FM_TIMED) return 0;
  fired = 0;
  std::uint32_t block[2] = {by != nullptr ? static_cast<std::uint32_t>(by->Id) : 0xFFFFFFFFu,
                            static_cast<std::uint32_t>(Id)};
  RaiseUnitEvent(MEV_CHARGE_DEFUSED, block, 2);
  if (notify && UnitNetworkGame()) NotBuiltYet("network: defusal sent to the other machines");
  return 1;
}

void CWeapon::Explode(CUnit* by, bool fromNetwork) {
  if (UnitNetworkGame() && !fromNetwork) NotBuiltYet("network: charge explosion sent (grunt event 4)");
  const CVector3 at = GetPosition();
  if (g_SoundManager != nullptr) g_SoundManager->PlayEvent(soundBank, WEAPON_EVENT_EXPLODE, &at, 1000.0f, 0);
  const WeaponStats* w = WeaponRecord();
  if (g_Explosions != nullptr && w != nullptr) {
    const int friendly = by != nullptr && by->Kind == HLO_GRUNT && by->IsFriendly() ? 1 : 0;
    g_Explosions->Create(at, GroundInstance, w->Distance22, static_cast<float>(w->explosiveDamage), by, 1,
                         friendly != 0 ? 1u : 0u, this);
  }
  fired = 0;
  SetActive(0);
  std::uint32_t block[3];
  std::memcpy(&block[0], &at.x, 4);
  std::memcpy(&block[1], &at.y, 4);
  std::memcpy(&block[2], &at.z, 4);
  RaiseUnitEvent(MEV_CHARGE_EXPLODED, block, 3);
}

void CWeapon::Update() {
  if (fireMode == FM_TIMED && fired != 0 && UnitGameTime() > lastUseTime + static_cast<std::uint32_t>(altQuantity))
    Explode(planter, false);
}

void CWeapon::Hit(const CVector3& direction, float amount, CHLO* source) {
  (void)direction;
  (void)amount;
  (void)source;
  if (WeaponClassOf() == WEAPON_C4_CHARGE && fired != 0 && (Flags & HLOF_ACTIVE) != 0) Explode(planter, false);
}

void CWeapon::Think() {
  if (WeaponClassOf() == WEAPON_C4_CHARGE && fired != 0 && g_Explosions != nullptr)
    g_Explosions->GetBlastEffect(this, nullptr);
}

bool CWeapon::IsEffectiveAgainst(CHLO* target) const {
  if (target == nullptr) return true;
  const std::uint32_t cls = WeaponClassOf();
  if (target->Kind != HLO_VEHICLE) return cls != WEAPON_ANTI_TANK;
  const auto* vehicle = static_cast<const VehicleStats*>(target->Stats);
  const PropulsionStats* propulsion =
      vehicle != nullptr && vehicle->Kind == STATS_MACHINE && vehicle->Base != nullptr ? vehicle->Base->Propulsion : nullptr;
  const std::uint32_t type = propulsion != nullptr ? propulsion->Type : PROPULSION_INVALID;
  if (IsGrenade() && type != PROPULSION_TRACKS) return true;
  const bool air = type == PROPULSION_AIRPLANE || type == PROPULSION_SCUD || type == PROPULSION_CHINOOK ||
                   type == PROPULSION_APACHE;
  const WeaponStats* w = WeaponRecord();
  const int sam = w != nullptr ? w->SurfaceToAir : 0;
  if (sam == 2 && !air) return false;
  if (sam == 1 && air) return false;
  return cls == WEAPON_ANTI_TANK;
}
