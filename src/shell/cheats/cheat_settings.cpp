#include "shell/cheats/cheat_settings.h"

#include "foundation/system/not_built_yet.h"
#include "net/mp_layer.h"
#include "world/effects/explosions.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

std::uint32_t PlayerDamage = 1;
std::uint32_t EnemyAI = 1;
std::uint32_t EnemySkillZero = 0;
std::uint16_t PlayerSkillBonus = 0;
std::uint32_t CheatWordA = 0;
std::uint32_t CheatWordB = 1;

namespace {
UnitNoDamageOperation gNoDamage = nullptr;
SingleViewQuery gSingleView = nullptr;
}  // namespace

void ResetCheatSettings() {
  PlayerDamage = 1;
  EnemyAI = 1;
  EnemySkillZero = 0;
  PlayerSkillBonus = 0;
  CheatWordA = 0;
  CheatWordB = 1;
}

std::uint32_t GetPlayerDamage() {
  if (!MPIsSessionRunning()) return PlayerDamage;
  return gSingleView != nullptr && gSingleView() ? PlayerDamage : 1;
}

void SetPlayerDamage(std::uint32_t value) {
  PlayerDamage = value;
  if (g_HLOManager == nullptr) return;
  g_HLOManager->ForEachObject(
      -1,
      [](CHLO* object) -> std::uint32_t {
        // Friendly units, and units of sides the hostility table does not
        // set against the local side.
        if (!object->IsUnit()) return 0;
        const bool hostile = object->Side < kSides && g_HLOLocalSide < kSides &&
                             g_SideHostility[object->Side][g_HLOLocalSide] != 0;
        if (!object->IsFriendly() && hostile) return 0;
        if (gNoDamage != nullptr) gNoDamage(object, PlayerDamage == 0);
        else NotBuiltYet("unit no-damage flag");
        return 0;
      },
      1);
}

std::uint32_t GetCheatWordA() { return MPIsNetworkGame() ? 0 : CheatWordA; }
void SetCheatWordA(std::uint32_t value) { CheatWordA = value; }
std::uint32_t GetCheatWordB() { return CheatWordB; }
void SetCheatWordB(std::uint32_t value) { CheatWordB = value; }
std::uint32_t GetEnemyAI() { return EnemyAI; }
void SetEnemyAI(std::uint32_t value) { EnemyAI = value; }
std::uint32_t GetEnemySkillZero() { return EnemySkillZero; }
void SetEnemySkillZero(std::uint32_t value) { EnemySkillZero = value; }
std::uint16_t GetPlayerSkillBonus() { return PlayerSkillBonus; }
void SetPlayerSkillBonus(std::uint16_t value) { PlayerSkillBonus = value; }

void SetUnitNoDamageOperation(UnitNoDamageOperation operation) { gNoDamage = operation; }
void SetSingleViewQuery(SingleViewQuery query) { gSingleView = query; }
