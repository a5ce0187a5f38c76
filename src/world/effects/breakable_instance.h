// Breakable scenery: the damage record an instance carries when it can be
// broken (crates, fences, lamps), and the level loader's damage block turned
// into one.  The hits themselves arrive through CEnvInstance::Damage (and the
// default hit callback); breaking runs the cascade described there.
#pragma once

#include <cstdint>

class CEnvInstance;
class CEnvObject;

struct InstanceDamage {
  float Health = 10.0f;               // breaks when it falls below 0
  std::int32_t DebrisCount = 8;
  CEnvObject* Debris = nullptr;       // pieces thrown on breaking; null: the instance's own template
  float ExplosionStrength = 0.0f;
  float ExplosionSize = 0.0f;         // above 0: the instance explodes when it breaks
  std::uint8_t Light = 255;           // light switched off on breaking; 255 none
  std::int32_t SoundOff = -1;         // environment sound switched off on breaking; -1 none
  std::int32_t SoundOn = -1;          // environment sound switched on on breaking; -1 none
};

// Flags of the blast a breaking instance starts: damaging, fire and fireball,
// dust, and felt by world objects.
constexpr std::uint32_t kBreakBlastFlags = 0x30E;
// Height above the instance at which its blast starts.
constexpr float kBreakBlastHeight = 75.0f;

// The record of a breakable instance, or null.
InstanceDamage* GetInstanceDamage(CEnvInstance* instance);
// Makes the instance breakable with the given record.
void SetInstanceDamage(CEnvInstance* instance, const InstanceDamage& damage);
// Frees the records of every instance made breakable (at level end).
void FreeInstanceDamageRecords();
