#include "units/items/inventory_item.h"

#include <cstdio>

#include "foundation/maths/angles.h"
#include "foundation/system/debug_output.h"
#include "shell/mission/mission.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/objects/hlo_world.h"

std::int32_t g_ItemTriggersEnabled = 1;
std::int32_t g_WeaponSwitchingEnabled = 1;
std::int32_t g_InfiniteAmmo = 0;
ItemLevelStatistics g_ItemStatistics;

void ResetItemStatistics() { g_ItemStatistics = ItemLevelStatistics{}; }

namespace {

// The holder soldier whose shared medi-kit units a held medi-kit uses.
CHLOGrunt* MediKitHolder(const CInventoryItem* item) {
  if (!item->IsMediKit() || item->holder == nullptr || item->holder->Kind != HLO_GRUNT) return nullptr;
  return static_cast<CHLOGrunt*>(item->holder);
}

}  // namespace

CInventoryItem::CInventoryItem(const HLOSpawnRecord& record, const void* stats)
    : CHLO(record, stats, record.statsName) {
  g_ItemTriggersEnabled = 1;
  g_WeaponSwitchingEnabled = 1;
  quantity = 0;
  lastUseTime = 1;
  holder = nullptr;
  clearedA = clearedB = 0;
  if (IsMediKit()) quantity = ItemRecord()->roundsPerPack;
  if (Instance != nullptr) {
    Instance->SetVisible(false, false);
    Instance->SetCollidable(false, false);
  }
  Flags |= kItemObjectFlag;
  if (!UnitNetworkGame()) ++g_ItemStatistics.ItemsMade;
  // The record's sound bank (none for a copy made by the network, nor in the
  // stand-alone missions).
  const char* bankName = nullptr;
  if (const InventoryStats* item = ItemRecord()) bankName = item->SoundBank;
  if (const WeaponStats* weapon = WeaponRecord()) bankName = weapon->SoundBank;
  const bool copy = Instance != nullptr && (Instance->Flags & kInstanceCopy) != 0;
  if (bankName != nullptr && bankName[0] != 0 && !copy && CurrentMissionId() != kFirstStandaloneMissionId &&
      g_SoundManager != nullptr) {
    soundBank = g_SoundManager->LoadBank(bankName, 0);
    if (soundBank == nullptr) DebugTrace("NO SOUND BANK FOR THIS WEAPON\n");
  }
  if (Instance != nullptr) Instance->Flags |= kInstanceGunMode;
}

CInventoryItem::~CInventoryItem() = default;

std::uint32_t CInventoryItem::ItemType() const {
  return Stats != nullptr ? *static_cast<const std::uint32_t*>(Stats) : 0u;
}

const InventoryStats* CInventoryItem::ItemRecord() const {
  const std::uint32_t type = ItemType();
  return type != STATS_WEAPON && IsItemStatsKind(type) ? static_cast<const InventoryStats*>(Stats) : nullptr;
}

const WeaponStats* CInventoryItem::WeaponRecord() const {
  return ItemType() == STATS_WEAPON ? static_cast<const WeaponStats*>(Stats) : nullptr;
}

std::uint32_t CInventoryItem::WeaponClassOf() const {
  const WeaponStats* w = WeaponRecord();
  return w != nullptr ? w->WeaponClass : WEAPON_CLASS_INVALID;
}

bool CInventoryItem::IsMediKit() const { return ItemType() == STATS_MEDI_KIT; }

const char* CInventoryItem::StatsName() const {
  if (const WeaponStats* w = WeaponRecord()) return w->Name != nullptr ? w->Name : "";
  if (const InventoryStats* i = ItemRecord()) return i->Name != nullptr ? i->Name : "";
  return "";
}

bool CInventoryItem::IsReadyToUse(CUnit* user) {
  const InventoryStats* record = ItemRecord();
  float delay = record != nullptr ? record->Duration11 : 0.0f;
  if (user != nullptr) delay = user->GetSkillModifier(3, delay);
  return static_cast<float>(UnitGameTime() - lastUseTime) > delay;
}

void CInventoryItem::SetInitialQuantity(int count) {
  (void)count;
  if (IsMediKit() && GetQuantity() == 0) SetQuantity(ItemRecord()->roundsPerPack);
}

void CInventoryItem::PullTrigger(CUnit* user) {
  (void)user;
  if (g_ItemTriggersEnabled != 0) triggerPulled = 1;
}

void CInventoryItem::ReleaseTrigger() {
  if (g_ItemTriggersEnabled == 0) return;
  triggerPulled = 0;
  fired = 0;
}

int CInventoryItem::GetQuantity() const {
  if (const CHLOGrunt* h = MediKitHolder(this)) return static_cast<int>(h->medicalUnits);
  return quantity;
}

void CInventoryItem::AddQuantity(int n) {
  quantity += n;
  if (CHLOGrunt* h = MediKitHolder(this)) h->medicalUnits = static_cast<std::uint32_t>(static_cast<int>(h->medicalUnits) + n);
}

void CInventoryItem::SubtractQuantity(int n) { AddQuantity(-n); }

void CInventoryItem::SetQuantity(int n) {
  if (CHLOGrunt* h = MediKitHolder(this)) {
    h->medicalUnits = static_cast<std::uint32_t>(static_cast<int>(h->medicalUnits) + (n - quantity));
  }
  quantity = n;
}

bool CInventoryItem::IsGun() const {
  switch (WeaponClassOf()) {
    case WEAPON_ASSAULT_RIFLE: case WEAPON_SUB_MACHINE_GUN: case WEAPON_SNIPER_RIFLE: case WEAPON_PISTOL:
    case WEAPON_MACHINE_GUN: case WEAPON_ANTI_TANK: case WEAPON_GRENADE_LAUNCHER: case WEAPON_SHOTGUN:
    case WEAPON_GRENADE_LAUNCH_RIFLE:
      return true;
    default:
      return false;
  }
}

bool CInventoryItem::IsGrenade() const {
  const std::uint32_t c = WeaponClassOf();
  return c == WEAPON_GRENADE || c == WEAPON_SMOKE_GRENADE || c == WEAPON_FLASH_GRENADE;
}

bool CInventoryItem::IsFragOrFlash() const {
  const std::uint32_t c = WeaponClassOf();
  return c == WEAPON_GRENADE || c == WEAPON_FLASH_GRENADE;
}

bool CInventoryItem::IsSmoke() const { return WeaponClassOf() == WEAPON_SMOKE_GRENADE; }

bool CInventoryItem::IsQuiet() const {
  const WeaponStats* w = WeaponRecord();
  return w != nullptr && (w->WeaponClass == WEAPON_COMBAT_KNIFE || w->Distance18 < 800.0f);
}

bool CInventoryItem::IsWornUniform() const { return ItemType() == STATS_UNIFORM && fired != 0; }

bool CInventoryItem::IsIndirectCharge() const {
  const WeaponStats* w = WeaponRecord();
  return w != nullptr && w->WeaponClass == WEAPON_C4_CHARGE &&
         (w->MovementModel == MOVEMENT_INDIRECT || w->MovementModel == MOVEMENT_HOMING_INDIRECT);
}

void CInventoryItem::FaceFrom(const CVector3& point) {
  CVector3 r{};
  AnglesBetweenPoints(GetPosition(), point, &r);
  SetRotation(r);
  HLOGroundHit hit;
  if (FindGroundPoint(point.x, point.z, &hit)) SetGroundInstance(hit.instance);
}

CInventoryItem* AsItem(CHLO* object) {
  return object != nullptr && (object->Kind == HLO_ITEM || object->Kind == HLO_WEAPON)
             ? static_cast<CInventoryItem*>(object)
             : nullptr;
}

CInventoryItem* SpawnWorldItem(const void* record, std::uint8_t side) {
  if (record == nullptr || g_HLOManager == nullptr) return nullptr;
  const std::uint32_t type = *static_cast<const std::uint32_t*>(record);
  if (type != STATS_WEAPON && !IsItemStatsKind(type)) return nullptr;
  HLOSpawnRecord spawn;
  spawn.id = -1;
  spawn.side = side;
  const char* name = type == STATS_WEAPON ? static_cast<const WeaponStats*>(record)->Name
                                          : static_cast<const InventoryStats*>(record)->Name;
  if (name == nullptr) return nullptr;
  std::snprintf(spawn.statsName, sizeof spawn.statsName, "%s", name);
  std::snprintf(spawn.objectName, sizeof spawn.objectName, "%s", name);
  // The visual is the record's model.
  const char* model = type == STATS_WEAPON ? static_cast<const WeaponStats*>(record)->ModelName
                                           : static_cast<const InventoryStats*>(record)->ModelName;
  std::snprintf(spawn.templateName, sizeof spawn.templateName, "%s", model);
  spawn.templateKind = -1;
  spawn.statsTable = static_cast<std::int32_t>(type);
  CInventoryItem* item = AsItem(g_HLOManager->CreateObject(spawn));
  if (item != nullptr && item->Instance != nullptr) item->Instance->Flags |= kInstanceWorldItem;
  return item;
}
