#include "world/effects/breakable_instance.h"

#include <memory>
#include <vector>

#include "scene/light_table.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/environment/env_instance.h"

namespace {

// Damage records live here, apart from the instance pool: an instance only points at its own.
std::vector<std::unique_ptr<InstanceDamage>>& Records() {
  static std::vector<std::unique_ptr<InstanceDamage>> records;
  return records;
}

InstanceDamage* NewRecord() {
  Records().push_back(std::make_unique<InstanceDamage>());
  return Records().back().get();
}

void SwitchLightOff(int light) {
  if (g_EffectsHooks.SwitchLightOff != nullptr) {
    g_EffectsHooks.SwitchLightOff(light);
    return;
  }
  if (CLightTable::Lights == nullptr || light < 0 || light >= CLightTable::Count) return;
  if (g_Device != nullptr && (CLightTable::Lights[light].Flags & kLightOnDevice))
    g_Device->LightEnable(static_cast<DWORD>(light), FALSE);
  CLightTable::Lights[light].Flags &= ~(kLightOnDevice | kLightEnabledNow);
}

// Disables the instance and everything under it.
void DisableSubtree(CEnvInstance* instance) {
  instance->Disable();
  for (CEnvInstance* c = instance->FirstChild; c != nullptr; c = c->NextSibling) DisableSubtree(c);
}

}  // namespace

InstanceDamage* GetInstanceDamage(CEnvInstance* instance) {
  return instance != nullptr && (instance->Flags & INSTF_BREAKABLE) ? instance->DamageRecord : nullptr;
}

void SetInstanceDamage(CEnvInstance* instance, const InstanceDamage& damage) {
  if (instance == nullptr) return;
  instance->MakeBreakable();
  *instance->DamageRecord = damage;
}

void FreeInstanceDamageRecords() { Records().clear(); }

void CEnvInstance::MakeBreakable() {
  if (DamageRecord == nullptr) DamageRecord = NewRecord();
  Flags |= INSTF_BREAKABLE;
}

float CEnvInstance::GetHealth() const { return DamageRecord != nullptr ? DamageRecord->Health : 0.0f; }

void CEnvInstance::SetHealth(float health) {
  if (DamageRecord != nullptr) DamageRecord->Health = health;
}

void CEnvInstance::SpawnDebris(int count, CEnvObject* mesh, bool burning) {
  if (g_ImpactPieces == nullptr || count <= 0) return;
  g_ImpactPieces->Throw(this, nullptr, count, 0, burning, kInstanceDebrisMask, mesh);
}

bool CEnvInstance::Damage(float amount) {
  InstanceDamage* d = DamageRecord;
  if (!(Flags & INSTF_BREAKABLE) || d == nullptr || d->Health < 0.0f) return false;
  d->Health -= amount;
  if (d->Health >= 0.0f) return false;

  // Broken: no more hits, its light out, its sounds changed.
  HitCallback = nullptr;
  if (d->Light < 255) SwitchLightOff(d->Light);
  if (g_EffectsHooks.SetEnvironmentSound != nullptr) {
    if (d->SoundOff != -1) g_EffectsHooks.SetEnvironmentSound(d->SoundOff, false);
    if (d->SoundOn != -1) g_EffectsHooks.SetEnvironmentSound(d->SoundOn, true);
  }
  CVector3 at;
  GetPosition(&at);
  if (d->ExplosionSize > 0.0f) {
    ::SpawnDebris(at, 0.4f * d->ExplosionSize, 0.5f);
    if (g_Explosions != nullptr) {
      // The blast's owner is the world object whose visual this tree is, if any.
      CEnvInstance* root = GetRoot();
      CHLO* owner = g_EffectsHooks.ObjectOfInstance != nullptr ? g_EffectsHooks.ObjectOfInstance(root) : nullptr;
      g_Explosions->Create(CVector3{at.x, at.y + kBreakBlastHeight, at.z}, nullptr, d->ExplosionSize,
                           d->ExplosionStrength, owner, 1, kBreakBlastFlags, nullptr);
    }
  }
  SpawnDebris(d->DebrisCount, d->Debris, false);
  if (g_EffectsHooks.RemoveDecals != nullptr) g_EffectsHooks.RemoveDecals(this);

  // Children: breakable ones get just enough to break, the others drop out with their subtrees.
  std::vector<CEnvInstance*> children;
  for (CEnvInstance* c = FirstChild; c != nullptr; c = c->NextSibling) children.push_back(c);
  for (CEnvInstance* c : children) {
    InstanceDamage* cd = GetInstanceDamage(c);
    if (cd != nullptr && cd->Health >= 0.0f) {
      c->Damage(cd->Health + 1.0f);
    } else {
      DisableSubtree(c);
      c->Detach();
    }
  }
  Disable();
  Detach();
  return true;
}
