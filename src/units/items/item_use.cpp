// Using an item on a target: the medi-kit and the detonator.
#include "foundation/system/not_built_yet.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "sound/sound_manager.h"
#include "units/base/unit.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr std::uint32_t kUnitHealed = 0x4;

// The armed remote charge of a side armed longest ago, and how many there are.
CWeapon* OldestRemoteCharge(std::uint8_t side, int* count) {
  *count = 0;
  CWeapon* oldest = nullptr;
  if (g_HLOManager == nullptr) return nullptr;
  for (CHLO* o = g_HLOManager->FirstActive(side, HLO_WEAPON); o != nullptr; o = o->Next) {
    CWeapon* w = AsWeapon(o);
    if (w == nullptr || w->WeaponClassOf() != WEAPON_C4_CHARGE || w->fireMode != FM_REMOTE || w->fired == 0) continue;
    ++*count;
    if (oldest == nullptr || w->lastUseTime < oldest->lastUseTime) oldest = w;
  }
  return oldest;
}

}  // namespace

int CInventoryItem::UseItem(CUnit* user, CUnit* target, int positioned, int fromNetwork) {
  const std::uint32_t type = ItemType();
  if (type == STATS_MEDI_KIT) {
    if (GetQuantity() <= 0 || target == nullptr) return 0;
    if (UnitIsClient() && fromNetwork == 0) NotBuiltYet("network: medi-kit use sent to the host (grunt event 3)");
    if (target->Kind == HLO_GRUNT && static_cast<CHLOGrunt*>(target)->IsDeadAndExpired()) return 0;
    if (target->GetHealthFraction() >= 1.0f) return 0;
    if (!IsReadyToUse(user)) return 0;
    const std::uint32_t now = UnitGameTime();
    lastUseTime = now;
    if (!LevelRulesFlag()) SubtractQuantity(1);
    if (GetQuantity() <= 0 && user != nullptr && user->Kind == HLO_GRUNT) {
      if (g_InfiniteAmmo != 0 && !UnitNetworkGame()) {
        AddQuantity(ItemRecord()->roundsPerPack);
      } else {
        static_cast<CHLOGrunt*>(user)->RemoveItem(this, false, true);
      }
    }
    if (!target->IsDead()) {
      target->unitFlags |= kUnitHealed;
      float heal = static_cast<float>(ItemRecord()->damage);
      if (user != nullptr) heal = user->GetSkillModifier(13, heal);
      // Healing is spread over time with the units' damage and death; until
      // then it is added at once.
      target->AddHealth(heal);
    }
    if (positioned != 0 && user != nullptr && g_SoundManager != nullptr) {
      const CVector3 at = user->GetPosition();
      g_SoundManager->PlayEvent(soundBank, 0, &at, 200.0f, 0);
    }
    return 1;
  }
  if (type == STATS_C4_DETONATOR) {
    int count = 0;
    CWeapon* charge = OldestRemoteCharge(Side, &count);
    if (charge != nullptr) {
      charge->Explode(user, false);
      if (user != nullptr && user->Kind == HLO_GRUNT) static_cast<CHLOGrunt*>(user)->Speak(2005, 3955, 0, 1, 1, 0);
    }
    if (g_SoundManager != nullptr && user != nullptr) {
      const CVector3 at = user->GetPosition();
      g_SoundManager->PlayEvent(soundBank, 0, &at, 200.0f, 0);
    }
    return charge != nullptr ? 1 : 0;
  }
  return 0;
}
