// A weapon: an item (inventory_item.h) with ammunition, fire modes, a
// trigger and, for charges, arming.  Guns, launchers, grenades, charges, the
// knife and the fist are all weapons; their weapon records say which.
//
// Ammunition: `quantity` counts the rounds left in the loaded magazine plus
// all rounds of the full spare magazines; `spent` the rounds fired from the
// loaded magazine since the last reload; `looseRounds` the rounds of
// magazines taken out before they were empty.  A rifle with a grenade
// launcher keeps the launcher's rounds as a second set (the `alt` fields),
// swapped in while the launcher mode (256) is selected.
#pragma once

#include <cstdint>

#include "units/items/inventory_item.h"

class CEffectInstance;
struct WorldHit;

class CWeapon : public CInventoryItem {
 public:
  CWeapon(const HLOSpawnRecord& record, const void* stats);
  ~CWeapon() override;

  // Slots.
  // An armed timed charge goes off (by its planter) on the first update
  // after its time.
  void Update() override;
  // Tells the update scheduler of a change, then activates or deactivates.
  void SetActive(int flag) override;
  // An armed, active C4 charge that is hit goes off.
  void Hit(const CVector3& direction, float amount, CHLO* source) override;
  // An armed C4 charge takes the blasts that reach it.
  void Think() override;
  bool IsReadyToUse(CUnit* user) override { return GetTimeUntilReady(user) == 0; }
  // Fills the weapon with `magazines` magazines (never beyond its maximum).
  void SetInitialQuantity(int magazines) override;
  // Holds the trigger; in burst mode loads the burst.
  void PullTrigger(CUnit* user) override;

  // Magazines: the size (1 for a grenade launcher; at least 1 for any
  // record, a message once for a record of 0) and the most rounds held.
  int MagazineSize() const;
  int MaxRounds() const;

  // Moves `magazines` whole magazines to another weapon of the same record,
  // never more rounds than this one holds nor beyond the other's maximum.
  // 1 when anything moved.
  int TransferAmmo(CWeapon* to, int magazines);
  void AddLooseRounds(int n);
  // Adds magazines from a pick-up (at most to the maximum); a pick-up
  // within minInterval ms of the last one is ignored unless the weapon is
  // over its maximum.
  void PickUpAmmo(int magazines, std::uint32_t minInterval);

  bool IsMagazineEmpty() const;
  bool CanReload() const;
  bool WantsReload() const;
  bool IsBurstDone() const;
  void Reload();
  // A grenade launcher back in its first set (before it leaves a soldier).
  void ResetLauncher();

  // Fire modes.  SetFireMode answers whether the record offers the mode
  // (checkOnly stops there); entering or leaving 256 on a rifle with grenade
  // launcher swaps the ammunition sets, the sound banks and the records.
  bool SetFireMode(std::uint32_t mode, bool checkOnly);
  std::uint32_t NextFireMode() const;
  std::uint32_t PreviousFireMode() const;
  bool CycleFireMode(bool forward);

  // Milliseconds until the weapon may fire again (0: now).
  std::uint32_t GetTimeUntilReady(CUnit* user) const;
  // The trigger step of a soldier using the weapon this frame.
  void UpdateTrigger(CUnit* user, bool held);
  // One shot at the target (null: along the user's aim).
  void Fire(CUnit* user, CHLO* target);
  // Launches the shot's projectile; answers it (null when the pool has no
  // room or there is no world).
  CEffectInstance* TraceShot(CUnit* user, CHLO* target, bool scoped);
  // A grenade thrown by the user (1 when thrown).
  int Throw(CUnit* user);

  // Charges.
  int Arm(CUnit* by);
  int Defuse(CUnit* by, bool notify);
  void Explode(CUnit* by, bool fromNetwork);

  // Whether the weapon can hurt the target (null: yes).
  bool IsEffectiveAgainst(CHLO* target) const;

  // Fields, in order.
  std::int32_t altQuantity = 0;   // the launcher's rounds; a C4 charge's timer (ms)
  std::int32_t spent = 0;
  std::int32_t burstLeft = 0;
  std::int32_t looseRounds = 0;
  std::int32_t altSpent = 0;
  std::int32_t altLoose = 0;
  std::uint32_t lastAmmoPickupTime = 0;
  std::uint32_t readyTime = 0;    // a grenade cannot be thrown before it
  std::uint32_t tracerCount = 0;
  CUnit* planter = nullptr;
  std::uint32_t plantedByFriend = 0;
  const CSoundBank* altSoundBank = nullptr;

 private:
  void SwapAmmunitionSets();
  void UpdateGunModeFlag();
};

// The impact callback of shots and thrown grenades (callback code 103):
// surface effects, damage to what was hit, smoke and blasts.
void ProjectileImpact(CEffectInstance* effect, const WorldHit* hit);
// Whether a world object is a weapon (kind 6); the weapon or null.
CWeapon* AsWeapon(CHLO* object);
// The fire event numbers of a weapon's bank.
enum WeaponSoundEvent : int {
  WEAPON_EVENT_FIRE = 0,
  WEAPON_EVENT_EXPLODE = 31,
  WEAPON_EVENT_DRY_CLICK = 3003,
};
// Mission events the items raise.
enum ItemMissionEvent : std::uint32_t {
  MEV_ITEM_DROPPED = 2,
  MEV_ITEM_PICKED_UP = 3,
  MEV_CHARGE_EXPLODED = 24,
  MEV_ITEM_MAY_DROP = 40,
  MEV_ITEM_MAY_TAKE = 41,
  MEV_SHOT_FIRED = 60,
  MEV_CHARGE_DEFUSED = 66,
};
