// Puts breakable scenery into the level loader: an instance record with a
// damage block becomes a breakable instance carrying that block's health,
// debris, explosion, light and sounds.  Called before a level loads.
#pragma once

#include "world/effects/breakable_instance.h"
#include "world/environment/env_file.h"

// The damage record made from a level file's damage block: health, debris
// count, debris template, explosion strength and size, light, sound off and
// sound on, in the block's order.
InstanceDamage DamageFromBlock(const EnvDamageBlock& block);
// The loader's damage-block handler: makes the instance breakable with the
// block's record (its hit callback is set to the default by the loader).
void ApplyDamageBlock(CEnvInstance* instance, const EnvDamageBlock& block);
void InstallBreakableLoaderHook();
