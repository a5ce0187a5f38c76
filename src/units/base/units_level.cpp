#include "units/base/units_level.h"

#include "foundation/memory/memory_manager.h"
#include "menus/records/armed_charge_table.h"
#include "shell/stats/stats_assets.h"
#include "units/base/hlo_scheduler.h"
#include "world/effects/explosions.h"
#include "units/items/inventory_item.h"
#include "units/soldier/grunt.h"

void UnitsLevelBeforeObjects() {
  ResetSideHostility();
  ResetGruntGlobals();
  ResetWeaponAnimationReports();
  ClearResolvedAssets();
  g_ArmedChargeTable.Clear();
  ResetItemStatistics();
  SetStartingItemsDeferred(true);
}

bool UnitsLevelMakeScheduler(int enemyAI) {
  UnitsLevelShutdown();
  MEM_OWNER();
  g_HLOScheduler = MEM_NEW(MEMCAT_GAME) HLOScheduler;
  if (g_HLOScheduler == nullptr) return false;
  g_HLOScheduler->InitFlockCursor();
  g_HLOScheduler->SetEnemyAI(enemyAI != 0 ? 1 : 0);
  return true;
}

void UnitsLevelStatsSteps() {
  GiveOwedStartingItems();
  ApplySkinsAndCharacterEffects();
  PreloadStatsAssets();
}

void UnitsLevelSwitchAIOn() {
  if (g_HLOScheduler == nullptr) return;
  g_HLOScheduler->SetEnemyAI(1);
  g_HLOScheduler->SetFriendlyAI(1);
}

void UnitsLevelShutdown() {
  SetStartingItemsDeferred(false);
  g_ArmedChargeTable.Clear();
  if (g_HLOScheduler == nullptr) return;
  MEM_DELETE g_HLOScheduler;
  g_HLOScheduler = nullptr;
}
