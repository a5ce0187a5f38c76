// The weapon's trigger step, one shot, the projectile it launches, what the
// projectile does where it lands, and the grenade throw.
#include <cmath>
#include <cstdint>

#include "foundation/maths/angles.h"
#include "foundation/maths/random_tables.h"
#include "foundation/system/not_built_yet.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/unit.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "world/animation/anim_object.h"
#include "world/effects/effect_pool.h"
#include "world/effects/explosions.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr float kShotLength = 10000.0f;  // a shot's straight flight before it gives up

bool IsSoldier(const CUnit* user) { return user != nullptr && user->Kind == HLO_GRUNT; }

// The point and direction a user shoots from: the hand (or the position
// raised by 100 without a visual) along its rotation plus the head offset.
void ShotPose(CUnit* user, CVector3* start, float* heading, float* pitch) {
  *start = user->GetPosition();
  CVector3 hand{};
  if (user->GetJointPoint(JOINT_R_HAND, &hand) != 0)
    *start = hand;
  else
    start->y += 100.0f;
  CVector3 rotation{};
  user->GetRotation(rotation);
  *heading = rotation.y + user->headRotationOffset.y;
  *pitch = -(rotation.x + user->headRotationOffset.x);
}

float ShotSpread(CWeapon* weapon, CUnit* user, bool scoped) {
  const WeaponStats* w = weapon->WeaponRecord();
  float spread = w != nullptr ? w->Float45 : 0.0f;
  if (user->currentTarget != nullptr && IsSoldier(user)) spread += 2.0f * (1.0f - user->GetSkillFactor(4));
  if (w != nullptr && w->WeaponClass == WEAPON_SNIPER_RIFLE && LevelRulesFlag()) spread = 0.0f;
  if (scoped) spread *= 0.75f;
  spread = user->GetSkillModifier(4, spread * user->GetSkillFactor(4));
  if (w != nullptr && w->WeaponClass == WEAPON_SNIPER_RIFLE && user->Can(1) == 0) spread *= 50.0f;
  return spread;
}

}  // namespace

void CWeapon::UpdateTrigger(CUnit* user, bool held) {
  if (user == nullptr) return;
  if (!held) {
    if (spent > 0 && triggerPulled == 0) burstLeft = 0;
    return;
  }
  if (triggerPulled == 0 && !(spent > 0 && fireMode == FM_BURST && burstLeft >= 1)) return;
  if (fireMode != FM_SINGLE && fireMode != FM_BURST && fireMode != FM_AUTOMATIC && fireMode != FM_GUN_FOURTH &&
      fireMode != FM_LAUNCHER)
    return;
  if ((fireMode == FM_BURST || fireMode == FM_AUTOMATIC) && !IsReadyToUse(user)) return;
  if ((fireMode == FM_SINGLE || fireMode == FM_GUN_FOURTH || fireMode == FM_LAUNCHER) && fired != 0) return;
  if (quantity > 0 && !IsMagazineEmpty() && !IsBurstDone() && IsReadyToUse(user)) {
    if (UnitNetworkGame()) NotBuiltYet("network: shot announced (grunt events 1 and 2)");
    Fire(user, nullptr);
    return;
  }
  if (triggerPulled != 0 && fired == 0 && IsSoldier(user) && user->Can(1) != 0) {
    const CVector3 at = user->GetPosition();
    if (g_SoundManager != nullptr) g_SoundManager->PlayEvent(soundBank, WEAPON_EVENT_DRY_CLICK, &at, 1000.0f, 0);
    fired = 1;
    if (UnitNetworkGame()) NotBuiltYet("network: dry click sent (grunt event 20)");
  }
}

void CWeapon::Fire(CUnit* user, CHLO* target) {
  if (user == nullptr) return;
  const WeaponStats* w = WeaponRecord();
  // 1. A zoomed player's shot is scoped (the zoom comes with the player's view).
  const bool scoped = false;
  // 2. The shot.
  TraceShot(user, target, scoped);
  lastUseTime = UnitGameTime();
  std::uint32_t block[2] = {static_cast<std::uint32_t>(Id), static_cast<std::uint32_t>(user->Id)};
  RaiseUnitEvent(MEV_SHOT_FIRED, block, 2);
  // 4. Ammunition.
  if (!LevelRulesFlag()) --quantity;
  const bool network = UnitNetworkGame();
  if (quantity == 0 && g_InfiniteAmmo != 0 && !network) {
    quantity += MagazineSize();
  } else if (network) {
    if (user->Kind != HLO_WEAPON && user->Can(1) == 0) quantity += MagazineSize();
  } else if (user->IsEnemy() && quantity <= 0 && WeaponClassOf() != WEAPON_ANTI_TANK) {
    quantity += MagazineSize();
  }
  // 5. The pull has fired.
  fired = 1;
  ++spent;
  if (fireMode == FM_BURST && burstLeft > 0) --burstLeft;
  // 6. The sound, heard to the record's range, and the music's intensity.
  CVector3 at = user->GetPosition();
  at.y += 100.0f;
  const float range = w != nullptr ? w->Distance18 : 1000.0f;
  if (g_SoundManager != nullptr) {
    g_SoundManager->PlayEvent(soundBank, WEAPON_EVENT_FIRE, scoped ? nullptr : &at, range, 0);
    g_SoundManager->MusicIntensity().AddEvent(user->IsFriendly() ? 5 : 4);
  }
  // 8. The noise others hear comes with the units' awareness.
  // 10. Shots fired.
  ++g_ItemStatistics.ShotsFired;
}

CEffectInstance* CWeapon::TraceShot(CUnit* user, CHLO* target, bool scoped) {
  if (user == nullptr || g_EffectPool == nullptr) return nullptr;
  const WeaponStats* w = WeaponRecord();
  EffectDesc desc;
  float heading = 0.0f, pitch = 0.0f;
  ShotPose(user, &desc.Start, &heading, &pitch);
  const float spread = ShotSpread(this, user, scoped);
  if (!UnitNetworkGame() && spread > 0.0f) {
    heading += RandomFloatRange(-spread, spread);
    pitch += RandomFloatRange(-spread, spread);
  }
  desc.Zone = user->GroundInstance;
  desc.Owner = user;
  desc.User = static_cast<std::uint32_t>(Id);
  desc.Speed = w != nullptr && w->ShotSpeed > 0.0f ? w->ShotSpeed : 70000.0f;
  desc.Flags = EFF_COLLIDES | EFF_IGNORES_OWNER;
  desc.OnFinish = ProjectileImpact;
  const std::uint32_t cls = WeaponClassOf();
  if (cls == WEAPON_GRENADE_LAUNCHER || fireMode == FM_LAUNCHER || cls == WEAPON_ANTI_TANK) {
    desc.Flags |= cls == WEAPON_ANTI_TANK ? EFF_TRAIL : EFF_BOUNCES;
  }
  if (target != nullptr) {
    desc.Kind = EFFECT_TO_TARGET;
    desc.Target = target->GetPosition();
    desc.TargetObject = target;
  } else {
    desc.Kind = EFFECT_TO_TARGET;
    desc.Target = desc.Start;
    AddDirection(&desc.Target, -pitch, heading, kShotLength);
  }
  desc.Heading = heading;
  desc.Pitch = pitch;
  tracerCount = (tracerCount + 1) & 3;
  return g_EffectPool->Spawn(desc);
}

void ProjectileImpact(CEffectInstance* effect, const WorldHit* hit) {
  if (effect == nullptr || g_HLOManager == nullptr) return;
  // Ids, not pointers, cross the pool: a weapon deleted meanwhile is not found.
  CWeapon* weapon = AsWeapon(g_HLOManager->FindByIdSlow(static_cast<std::int32_t>(effect->User)));
  if (weapon == nullptr) return;
  const WeaponStats* w = weapon->WeaponRecord();
  if (w == nullptr) return;
  CHLO* owner = effect->Owner;
  CHLO* struck = hit != nullptr && hit->Instance != nullptr ? g_HLOManager->FindByInstance(hit->Instance) : nullptr;
  const bool explosive = w->explosiveDamage != 0;
  if (struck != nullptr) {
    if (struck->IsUnit() && static_cast<CUnit*>(struck) != owner)
      static_cast<CUnit*>(struck)->TakeDamage(static_cast<float>(w->damage), owner);
    else
      struck->Hit(effect->GetDirection(), static_cast<float>(w->damage), owner);
  } else if (hit != nullptr && !explosive) {
    ++g_ItemStatistics.Misses;
  }
  if (explosive && g_Explosions != nullptr) {
    if (g_SoundManager != nullptr)
      g_SoundManager->PlayEvent(weapon->soundBank, WEAPON_EVENT_EXPLODE, &effect->Position, 1000.0f, 0);
    g_Explosions->Create(effect->Position, effect->Zone, w->Distance22, static_cast<float>(w->explosiveDamage), owner,
                         1, 0, weapon);
  }
}

int CWeapon::Throw(CUnit* user) {
  if (user == nullptr || !IsGrenade() || UnitGameTime() < readyTime) return 0;
  const WeaponStats* w = WeaponRecord();
  lastUseTime = UnitGameTime();
  if (g_EffectPool != nullptr && w != nullptr) {
    CVector3 start = user->GetPosition();
    CVector3 hand{};
    if (user->GetJointPoint(JOINT_R_HAND, &hand) != 0) start = hand; else start.y += 100.0f;
    CVector3 rotation{};
    user->GetRotation(rotation);
    float spread = user->GetSkillModifier(4, w->Float45 * user->GetSkillFactor(4));
    if (user->IsEnemy()) spread *= 2.0f;
    const float heading = rotation.y + user->headRotationOffset.y + (spread > 0 ? RandomFloatRange(-spread, spread) : 0.0f);
    const float pitch = 45.0f - (rotation.x + user->headRotationOffset.x) + (spread > 0 ? RandomFloatRange(-spread, spread) : 0.0f);
    const float speed = user->IsDead() ? 250.0f : w->ShotSpeed;
    const std::uint32_t life = IsSmoke() ? 10000u : (user->Can(1) != 0 || user->IsEnemy() ? 3000u : 2250u);
    if (CEffectInstance* e = g_EffectPool->SpawnThrown(start, speed, heading, pitch, EFF_COLLIDES | EFF_BOUNCES, life)) {
      e->User = static_cast<std::uint32_t>(Id);
      e->Owner = user;
      e->OnFinish = ProjectileImpact;
    }
  }
  if (!LevelRulesFlag()) --quantity;
  return 1;
}
