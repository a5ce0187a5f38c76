// The cheat settings: plain words that unit code, saved games, the developer
// keys and the cheat menu read and write.  `CheatMode` itself lives with the
// command line (letter X).  Main thread only.
#pragma once

#include <cstdint>

class CHLO;

extern std::uint32_t PlayerDamage;      // 1: friendly units take damage
extern std::uint32_t EnemyAI;           // non-zero: enemy AI on at level start
extern std::uint32_t EnemySkillZero;    // computer-side units count skill 0
extern std::uint16_t PlayerSkillBonus;  // added to player units' skill (capped at 9 by the unit)
extern std::uint32_t CheatWordA;        // read by items and weapons
extern std::uint32_t CheatWordB;        // read by the soldier code

// Every setting back to its start value (a new run; tests).
void ResetCheatSettings();

// Outside a network session PlayerDamage; in one, PlayerDamage when the
// session shares one view, else 1 (damage always on).
std::uint32_t GetPlayerDamage();
// Stores PlayerDamage, then sets (damage off) or clears (on) the no-damage
// flag of every friendly unit of every side at once.
void SetPlayerDamage(std::uint32_t value);
// 0 in a network game, else CheatWordA.
std::uint32_t GetCheatWordA();
void SetCheatWordA(std::uint32_t value);
std::uint32_t GetCheatWordB();
void SetCheatWordB(std::uint32_t value);
std::uint32_t GetEnemyAI();
void SetEnemyAI(std::uint32_t value);
std::uint32_t GetEnemySkillZero();
void SetEnemySkillZero(std::uint32_t value);
std::uint16_t GetPlayerSkillBonus();
void SetPlayerSkillBonus(std::uint16_t value);

// The unit's no-damage flag (0x800000 of the unit flag word) belongs to the
// unit class: units install the operation that sets or clears it.  Until
// then SetPlayerDamage counts "unit no-damage flag: not built yet" for each
// unit it would change.
using UnitNoDamageOperation = void (*)(CHLO* unit, bool noDamage);
void SetUnitNoDamageOperation(UnitNoDamageOperation operation);
// Whether the session shares one view between its players (the
// environment's single-view flag); installed by whoever keeps it.  Without
// it a session counts as not sharing one view.
using SingleViewQuery = bool (*)();
void SetSingleViewQuery(SingleViewQuery query);
