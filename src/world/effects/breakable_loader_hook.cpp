#include "world/effects/breakable_loader_hook.h"

#include "world/effects/breakable_instance.h"
#include "world/environment/env_instance.h"

InstanceDamage DamageFromBlock(const EnvDamageBlock& block) {
  InstanceDamage d;
  d.Health = block.strength;
  d.DebrisCount = block.kind;
  d.Debris = block.debris;
  d.ExplosionStrength = block.value1;
  d.ExplosionSize = block.value2;
  d.Light = block.byteValue;
  d.SoundOff = block.int1;
  d.SoundOn = block.int2;
  return d;
}

void ApplyDamageBlock(CEnvInstance* instance, const EnvDamageBlock& block) {
  SetInstanceDamage(instance, DamageFromBlock(block));
}

void InstallBreakableLoaderHook() { SetEnvDamageBlockHandler(&ApplyDamageBlock); }
