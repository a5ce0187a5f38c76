// What a soldier can carry, as a world object of its own: an item (kind 5:
// kits, uniforms, goggles, keys and the other item records) or, derived from
// it, a weapon (kind 6, weapon.h).  Items are made hidden and without
// collision; a holder keeps them in its inventory, and the inventory code
// shows them again when they are dropped.  Main thread only.
//
// Times are game-clock milliseconds.
#pragma once

#include <cstdint>

#include "world/objects/chlo.h"

class CSoundBank;
class CUnit;
struct InventoryStats;
struct WeaponStats;

// A weapon's fire mode: one bit.  1-8 are gun modes; 16-128, 512 and 1024
// are charge modes; 256 is the grenade launcher of a rifle that has one.
enum ItemFireMode : std::uint32_t {
  FM_SINGLE = 1,
  FM_BURST = 2,
  FM_AUTOMATIC = 4,
  FM_GUN_FOURTH = 8,
  FM_UNARMABLE = 16,
  FM_TIMED = 32,
  FM_PROXIMITY = 64,
  FM_REMOTE = 128,
  FM_LAUNCHER = 256,
  FM_TIMED_SECOND = 512,
  FM_LEVEL_PLACED = 1024,
};
inline constexpr std::uint32_t kGunModes = FM_SINGLE | FM_BURST | FM_AUTOMATIC | FM_GUN_FOURTH;

// Object flag of an item; instance flags the items set.
inline constexpr std::uint32_t kItemObjectFlag = 0x800;
inline constexpr std::uint32_t kInstanceGunMode = 0x10000000;
inline constexpr std::uint32_t kInstanceCopy = 0x20000;
inline constexpr std::uint32_t kInstanceC4 = 0x40000000;
inline constexpr std::uint32_t kInstanceWorldItem = 0x400;

// The program-wide switches: triggers work only while the first is on; the
// player controls read the second before switching weapons.  Every item's
// construction turns both on; script functions turn them off.
extern std::int32_t g_ItemTriggersEnabled;
extern std::int32_t g_WeaponSwitchingEnabled;
// The infinite-ammunition cheat (never in network games).
extern std::int32_t g_InfiniteAmmo;

// The level statistics the items count (shots fired, misses, items and
// weapons made); the end-of-level statistics read them, a level start
// clears them.
struct ItemLevelStatistics {
  std::uint32_t ShotsFired = 0;    // 0
  std::uint32_t Misses = 0;        // 1
  std::uint32_t ItemsMade = 0;     // 12
  std::uint32_t WeaponsMade = 0;   // 13
};
extern ItemLevelStatistics g_ItemStatistics;
void ResetItemStatistics();

class CInventoryItem : public CHLO {
 public:
  // Builds the item from its spawn record and its item or weapon record.
  CInventoryItem(const HLOSpawnRecord& record, const void* stats);
  ~CInventoryItem() override;

  // Slots 13-15, besides the world object's.
  // Ready when more than the record's use delay (modified by the user's
  // skill 3) has passed since the last use.
  virtual bool IsReadyToUse(CUnit* user);
  // A medi-kit with no units takes the record's unit count.
  virtual void SetInitialQuantity(int count);
  // Holds the trigger (while triggers are enabled).
  virtual void PullTrigger(CUnit* user);
  void ReleaseTrigger();

  // The record's item type (a StatsKind; 5 for a weapon) and class (a
  // WeaponClass; WEAPON_CLASS_INVALID for an item).
  std::uint32_t ItemType() const;
  std::uint32_t WeaponClassOf() const;
  const InventoryStats* ItemRecord() const;   // null for a weapon
  const WeaponStats* WeaponRecord() const;    // null for an item
  bool IsWeapon() const { return Kind == HLO_WEAPON; }
  bool IsMediKit() const;
  // The record's name (empty without a record).
  const char* StatsName() const;

  // Units held.  A held medi-kit keeps its holder's shared medi-kit units
  // in step (the holder's count is the one read).
  int GetQuantity() const;
  void AddQuantity(int n);
  void SubtractQuantity(int n);
  void SetQuantity(int n);

  // Kinds, all false for records that are not weapons.
  bool IsGun() const;
  bool IsGrenade() const;
  bool IsFragOrFlash() const;
  bool IsSmoke() const;
  bool IsQuiet() const;
  bool IsWornUniform() const;
  bool IsIndirectCharge() const;

  // Uses a medi-kit on a target (the user itself allowed) or a detonator:
  // see the source.  Answers 1 when something was done.
  int UseItem(CUnit* user, CUnit* target, int positioned, int fromNetwork);

  // Turns the object along the line from the point to its own position and
  // puts it on the ground under the point.
  void FaceFrom(const CVector3& point);

  // Fields, in order.
  std::int32_t quantity = 0;
  std::uint32_t lastUseTime = 1;   // 1: never used
  std::uint32_t fireMode = 0;
  std::uint32_t clearedA = 0;
  std::int32_t triggerPulled = 0;
  std::int32_t fired = 0;          // the pull fired; a charge armed; a uniform worn
  CUnit* holder = nullptr;
  std::uint32_t clearedB = 0;
  // The item's sound bank (null: none, silent).
  const CSoundBank* soundBank = nullptr;
};

// Makes a free item or weapon object in the world from an item or weapon
// record (null for other records) with instance flag 0x400.
CInventoryItem* SpawnWorldItem(const void* record, std::uint8_t side);
// The item a world object is, or null.
CInventoryItem* AsItem(CHLO* object);
