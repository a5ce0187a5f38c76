// The soldier's inventory: 25 slots of items and weapons, the item in hand,
// the starting inventory, and the face item.
#include <cstdio>
#include <vector>

#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/hash.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

constexpr std::uint32_t kNetItemInHandChanged = 0x400;
constexpr std::uint32_t kNetItemTaken = 0x800;
constexpr std::uint32_t kDrawAttachments = 0x800;

bool IsStackClass(std::uint32_t weaponClass) {
  return weaponClass == WEAPON_C4_CHARGE || weaponClass == WEAPON_ANTI_TANK;
}

// Takes an item out of the world while it is carried.
void TakeOutOfWorld(CInventoryItem* item) {
  if (item->Instance != nullptr) item->Instance->Disable();
  item->SetActive(0);
}

bool HoldsNothingOrFist(CHLOGrunt* soldier) {
  return soldier->itemInHand == nullptr || soldier->itemInHand->WeaponClassOf() == WEAPON_FIST;
}

}  // namespace

int CHLOGrunt::InventoryCount() const {
  int n = 0;
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i) n += inventory[i] != nullptr ? 1 : 0;
  return n;
}

CWeapon* CHLOGrunt::FindWeaponOfClass(std::uint32_t weaponClass) {
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i)
    if (inventory[i] != nullptr && inventory[i]->IsWeapon() && inventory[i]->WeaponClassOf() == weaponClass)
      return static_cast<CWeapon*>(inventory[i]);
  return nullptr;
}

CInventoryItem* CHLOGrunt::FindItemById(std::int32_t id) {
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i)
    if (inventory[i] != nullptr && inventory[i]->Id == id) return inventory[i];
  return nullptr;
}

CWeapon* CHLOGrunt::FindSameWeapon(const CWeapon* weapon) {
  if (weapon == nullptr) return nullptr;
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i)
    if (inventory[i] != nullptr && inventory[i] != weapon && inventory[i]->IsWeapon() &&
        inventory[i]->Stats == weapon->Stats)
      return static_cast<CWeapon*>(inventory[i]);
  return nullptr;
}

CWeapon* CHLOGrunt::FindWeaponForAmmo(const CInventoryItem* ammo) {
  const InventoryStats* record = ammo != nullptr ? ammo->ItemRecord() : nullptr;
  if (record == nullptr || record->Kind != STATS_AMMO || record->AmmoWeapon == nullptr) return nullptr;
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i)
    if (inventory[i] != nullptr && inventory[i]->IsWeapon() && inventory[i]->Stats == record->AmmoWeapon)
      return static_cast<CWeapon*>(inventory[i]);
  return nullptr;
}

CInventoryItem* CHLOGrunt::FindAmmoForWeapon(const CWeapon* weapon) {
  if (weapon == nullptr) return nullptr;
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i) {
    const InventoryStats* r = inventory[i] != nullptr ? inventory[i]->ItemRecord() : nullptr;
    if (r != nullptr && r->Kind == STATS_AMMO && r->AmmoWeapon == weapon->Stats) return inventory[i];
  }
  return nullptr;
}

CInventoryItem* CHLOGrunt::GetMediKit() {
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i)
    if (inventory[i] != nullptr && inventory[i]->IsMediKit()) return inventory[i];
  return nullptr;
}

CInventoryItem* CHLOGrunt::AddItem(CInventoryItem* item, int initial, int noSelect) {
  if (item == nullptr || inventory == nullptr || item->holder == this) return nullptr;
  if (item->holder != nullptr) return nullptr;  // carried by another unit
  const std::uint32_t type = item->ItemType();
  CInventoryItem* result = nullptr;
  bool add = true;
  bool usedUp = false;  // merged ammunition, an emptied grenade or medi-kit

  if (type == STATS_AMMO) {
    // 1. Ammunition goes into the weapon it fits.
    if (CWeapon* weapon = FindWeaponForAmmo(item)) {
      weapon->quantity += weapon->MagazineSize() * item->ItemRecord()->roundsPerPack;
      item->SetQuantity(0);
      result = weapon;
      add = false;
      usedUp = true;
    }
  } else if (type == STATS_WEAPON && item->WeaponClassOf() != WEAPON_COMBAT_KNIFE) {
    auto* weapon = static_cast<CWeapon*>(item);
    const std::uint32_t cls = weapon->WeaponClassOf();
    CWeapon* same = FindSameWeapon(weapon);
    if (same != nullptr && IsStackClass(cls) && same->quantity <= 0) same = nullptr;
    if (same != nullptr) {
      // 2. A duplicate: its rounds join the weapon held.
      if (weapon->quantity <= 0) return nullptr;
      if (cls != WEAPON_FIST) {
        const int rounds = weapon->quantity;
        if (cls == WEAPON_GRENADE_LAUNCHER)
          same->quantity += rounds;
        else
          same->AddLooseRounds(rounds);
        weapon->quantity -= rounds;
      }
      if (IsStackClass(cls)) {
        add = true;
      } else {
        add = false;
        result = same;
        if (initial != 0 && !same->IsGrenade())
          ErrorBox("Duplicate weapon - %s for Grunt ID - %d", weapon->StatsName(), Id);
        usedUp = weapon->IsGrenade() && weapon->quantity == 0;
      }
    } else if (cls != WEAPON_ANTI_TANK) {
      // Ammunition carried before the weapon came is emptied into it.
      for (int i = 0; i < kStatsItemSlots; ++i) {
        CInventoryItem* ammo = inventory[i];
        const InventoryStats* r = ammo != nullptr ? ammo->ItemRecord() : nullptr;
        if (r == nullptr || r->Kind != STATS_AMMO || r->AmmoWeapon != weapon->Stats) continue;
        weapon->quantity += weapon->MagazineSize() * r->roundsPerPack;
        TakeOutOfWorld(ammo);
        inventory[i] = nullptr;
        ammo->holder = nullptr;
      }
    }
  } else if (type == STATS_MEDI_KIT) {
    // 3. Medi-kits pool.
    if (CInventoryItem* kit = GetMediKit()) {
      kit->AddQuantity(item->GetQuantity());
      item->SetQuantity(0);
      result = kit;
      add = false;
      usedUp = true;
    }
  }

  if (add) {
    // 4. The first free slot.
    int slot = -1;
    for (int i = 0; i < kStatsItemSlots && slot < 0; ++i)
      if (inventory[i] == nullptr) slot = i;
    if (slot < 0) {
      add = false;
      result = nullptr;
    } else {
      const int kitUnits = item->IsMediKit() ? item->quantity : 0;
      inventory[slot] = item;
      item->holder = this;
      if (kitUnits != 0) medicalUnits += static_cast<std::uint32_t>(kitUnits);
      if (item->Instance != nullptr) item->Instance->Flags &= ~kInstanceGunMode;
      result = item;
    }
  }

  // 5. The item object leaves the world when added (or used up).
  if (add || UnitNetworkGame() || usedUp) TakeOutOfWorld(item);

  // 6. Armour.
  if (add && result == item && item->ItemRecord() != nullptr) {
    if (type == STATS_BODY_ARMOUR) bodyArmour = item->ItemRecord()->damage;
    if (type == STATS_HEAD_ARMOUR) headArmour = item->ItemRecord()->damage;
  }

  // 7. The hand takes it when it holds nothing or a fist.
  if (add && result == item && noSelect == 0 && initial == 0 &&
      !(IsStackClass(item->WeaponClassOf()) && item->GetQuantity() <= 0) && HoldsNothingOrFist(this))
    SelectItem(item, true);
  return result;
}

int CHLOGrunt::RemoveItem(CInventoryItem* item, bool placeInWorld, bool forced) {
  (void)forced;
  if (item == nullptr || inventory == nullptr) return 0;
  int slot = -1;
  for (int i = 0; i < kStatsItemSlots && slot < 0; ++i)
    if (inventory[i] == item) slot = i;
  if (slot < 0) return 0;
  // 1. Medi-kits and grenades stay.
  if (item->IsMediKit() || item->IsGrenade()) return 0;
  // 2.
  CWeapon* weapon = AsWeapon(item);
  if (weapon != nullptr && weapon->WeaponClassOf() == WEAPON_GRENADE_LAUNCHER) weapon->ResetLauncher();
  const bool wasInHand = itemInHand == item;
  if (wasInHand) SelectItem(nullptr, true);
  if (item->ItemType() == STATS_BODY_ARMOUR) bodyArmour = 0;
  if (item->ItemType() == STATS_HEAD_ARMOUR) headArmour = 0;
  // 3. One of a stack of charges or rockets leaves; the rest stay carried:
  // by another item of the record, or, when there is none, by a new one.
  CInventoryItem* rest = nullptr;
  if (weapon != nullptr && IsStackClass(weapon->WeaponClassOf()) && weapon->quantity >= 2) {
    CWeapon* other = FindSameWeapon(weapon);
    if (other == nullptr) {
      other = AsWeapon(SpawnWorldItem(weapon->Stats, Side));
      if (other != nullptr) {
        other->quantity = 0;
        TakeOutOfWorld(other);
        for (int i = 0; i < kStatsItemSlots; ++i)
          if (inventory[i] == nullptr) {
            inventory[i] = other;
            other->holder = this;
            break;
          }
        if (other->holder != this) other = nullptr;  // no room: the stack leaves whole
      }
    }
    if (other != nullptr) {
      other->quantity += weapon->quantity - 1;
      weapon->quantity = 1;
      rest = other;
    }
  }
  // 4.
  inventory[slot] = nullptr;
  item->holder = nullptr;
  if (item->Instance != nullptr && (item->Kind == HLO_ITEM || (weapon != nullptr && (weapon->fireMode & kGunModes) != 0)))
    item->Instance->Flags |= kInstanceGunMode;
  if (wasInHand && rest != nullptr) SelectItem(rest, true);
  // 5.
  if (placeInWorld) {
    item->SetActive(1);
    if (item->Instance != nullptr) {
      item->Instance->Enable();
      item->Instance->SetVisible(true, false);
      item->Instance->SetCollidable(true, false);
    }
    item->SetGroundInstance(GroundInstance);
    item->SetGroundRoot(GroundRoot);
  }
  return 1;
}

void CHLOGrunt::DropAllItems(int keepFists) {
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i) {
    CInventoryItem* item = inventory[i];
    if (item == nullptr) continue;
    if (item->IsMediKit() || item->IsGrenade()) {
      item->SetQuantity(0);
      continue;
    }
    if (item->WeaponClassOf() == WEAPON_FIST && keepFists != 1) continue;
    RemoveItem(item, false, true);
  }
}

void CHLOGrunt::SelectItem(CInventoryItem* item, bool forced) {
  CAnimObject* anim = GetAnimObject();
  auto connectorOf = [&](CInventoryItem* it) -> int {
    if (anim == nullptr || it == nullptr) return -1;
    const WeaponStats* w = it->WeaponRecord();
    const InventoryStats* r = it->ItemRecord();
    const std::uint32_t hash = w != nullptr ? w->Hash7 : (r != nullptr ? r->Hash7 : 0u);
    return hash != 0 ? anim->FindConnector(hash) : -1;
  };
  // 1.
  const int oldConnector = connectorOf(itemInHand);
  // 2.
  if (item != itemInHand) {
    netStateFlags |= kNetItemInHandChanged;
    if (UnitNetworkGame() && !forced) {
      if (item == nullptr && FindWeaponOfClass(WEAPON_FIST) == nullptr) return;
      if (UnitIsClient()) return;
      NotBuiltYet("network: item in hand sent to the clients (grunt event 2)");
      return;
    }
    if ((item == nullptr || item->WeaponClassOf() != WEAPON_FIST) && anim != nullptr && oldConnector >= 0)
      anim->AttachToConnector(oldConnector, nullptr);
  }
  // 3.
  if (item != nullptr) {
    netStateFlags &= ~kNetItemTaken;
    previousItem = itemInHand;
  }
  // 4.
  itemInHand = item;
  itemSelectTime = UnitGameTime();
  const int setBefore = animSet;
  SetHandAnimationSet();
  // The body's animation follows the hand's set once one plays.
  if (animSet != setBefore && playedState >= 0) PlayMovementAnim(movementState, 0);
  if (item != nullptr && Can(1) == 0 && HasWeaponInHand() != 0 && item->IsGrenade())
    static_cast<CWeapon*>(item)->readyTime = UnitGameTime() + 1000;
  if (item != nullptr && item->WeaponClassOf() != WEAPON_FIST && anim != nullptr) {
    const int connector = connectorOf(item);
    const WeaponStats* w = item->WeaponRecord();
    const InventoryStats* r = item->ItemRecord();
    void* model = w != nullptr ? w->Model : (r != nullptr ? r->Model : nullptr);
    if (connector >= 0) {
      anim->AttachToConnector(connector, static_cast<CEnvObject*>(model));
      anim->SetDrawFlags(anim->GetDrawFlags() | kDrawAttachments);
    }
    if (oldConnector >= 0 && oldConnector != connector) anim->AttachToConnector(oldConnector, nullptr);
  }
  // 5.
  recoil = {};
}

void CHLOGrunt::SelectPreviousItem() {
  if (previousItem != nullptr && previousItem->holder == this) {
    SelectItem(previousItem, false);
    return;
  }
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i) {
    CWeapon* w = AsWeapon(inventory[i]);
    if (w != nullptr && w->IsGun() && w->quantity > 0) {
      SelectItem(w, false);
      return;
    }
  }
}

bool CHLOGrunt::HasUsableItem(bool skipKnives) {
  for (int i = 0; inventory != nullptr && i < kStatsItemSlots; ++i) {
    CInventoryItem* it = inventory[i];
    if (it == nullptr || it == itemInHand || it->WeaponClassOf() == WEAPON_FIST) continue;
    if (skipKnives && it->WeaponClassOf() == WEAPON_COMBAT_KNIFE) continue;
    return true;
  }
  return false;
}

CInventoryItem* CHLOGrunt::CreateInventoryItem(const void* stats, int count) {
  if (stats == nullptr) return nullptr;
  const std::uint32_t type = *static_cast<const std::uint32_t*>(stats);
  if (type == STATS_MEDI_KIT) {
    if (CInventoryItem* kit = GetMediKit()) return kit;
  }
  if (type != STATS_WEAPON && !IsItemStatsKind(type)) return nullptr;
  CInventoryItem* item = SpawnWorldItem(stats, Side);
  if (item == nullptr) {
    const char* name = type == STATS_WEAPON ? static_cast<const WeaponStats*>(stats)->Name
                                            : static_cast<const InventoryStats*>(stats)->Name;
    DebugTrace("FAILED: CreateInventoryHLO : %s\n", name != nullptr ? name : "");
    return nullptr;
  }
  if (item->Instance != nullptr && Instance != nullptr) item->Instance->Flags |= Instance->Flags & kInstanceCopy;
  if (CWeapon* w = AsWeapon(item)) {
    if (count > 0 && !w->IsGrenade() && !IsStackClass(w->WeaponClassOf())) w->SetInitialQuantity(count);
    else if (count > 0) w->quantity = count;
  } else if (item->ItemType() == STATS_AMMO && count > 0) {
    item->quantity = count;
  }
  CInventoryItem* holder = AddItem(item, 1, 1);
  if (holder == nullptr) {
    const HumanStats* h = GetHumanStats();
    ErrorBox("Unable to add HLO to Grunt %s", h != nullptr && h->Name != nullptr ? h->Name : "");
    if (g_HLOManager != nullptr) g_HLOManager->DeleteObject(item);
    return nullptr;
  }
  if (holder != item && g_HLOManager != nullptr) g_HLOManager->DeleteObject(item);
  return holder;
}

void CHLOGrunt::GiveStartingItems() {
  const HumanStats* kind = GetHumanStats();
  if (kind == nullptr) return;
  for (int i = 0; i < kStatsItemSlots; ++i)
    if (kind->Items[i] != nullptr) CreateInventoryItem(kind->Items[i], kind->ItemCounts[i]);
  // The weapon in hand: the first gun, else any weapon.
  CInventoryItem* choice = nullptr;
  for (int i = 0; i < kStatsItemSlots && choice == nullptr; ++i)
    if (inventory[i] != nullptr && inventory[i]->IsGun()) choice = inventory[i];
  for (int i = 0; i < kStatsItemSlots && choice == nullptr; ++i)
    if (inventory[i] != nullptr && inventory[i]->IsWeapon() && !inventory[i]->IsGrenade()) choice = inventory[i];
  if (choice != nullptr) SelectItem(choice, true);
}

void CHLOGrunt::SetFaceItem(CHLO* item) {
  faceItem = item;
  CAnimObject* anim = GetAnimObject();
  if (anim == nullptr) return;
  const int connector = anim->FindConnector(HashString("BIP01 FACE CONNECTOR"));
  if (connector < 0) return;
  CInventoryItem* it = AsItem(item);
  const InventoryStats* r = it != nullptr ? it->ItemRecord() : nullptr;
  anim->AttachToConnector(connector, static_cast<CEnvObject*>(r != nullptr ? r->Model : nullptr));
}

bool CHLOGrunt::GetFaceItem(CHLO** out) const {
  if (out != nullptr) *out = faceItem;
  return faceItem != nullptr;
}

void CHLOGrunt::CheckNightVision() {
  CAnimObject* anim = GetAnimObject();
  bool on = false;
  if (anim != nullptr) {
    const int connector = anim->FindConnector(HashString("BIP01 FACE CONNECTOR"));
    const CEnvObject* model = connector >= 0 ? anim->GetConnectorAttachment(connector) : nullptr;
    on = model != nullptr && model->NameHash == HashString("AN_NIGHTVISIONGOGGLES");
  }
  if (on)
    unitFlags |= UNITF_NIGHT_VISION;
  else
    unitFlags &= ~UNITF_NIGHT_VISION;
}

namespace {
bool g_startingItemsDeferred = false;
}  // namespace

void SetStartingItemsDeferred(bool on) { g_startingItemsDeferred = on; }
bool StartingItemsDeferred() { return g_startingItemsDeferred; }

void GiveOwedStartingItems() {
  g_startingItemsDeferred = false;
  if (g_HLOManager == nullptr) return;
  std::vector<CHLOGrunt*> owed;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (int list = 0; list < 2; ++list)
      for (CHLO* o = list == 0 ? g_HLOManager->FirstActive(side, HLO_GRUNT) : g_HLOManager->FirstInactive(side, HLO_GRUNT);
           o != nullptr; o = o->Next) {
        auto* soldier = static_cast<CHLOGrunt*>(o);
        if (soldier->startingItemsOwed != 0) owed.push_back(soldier);
      }
  for (CHLOGrunt* soldier : owed) {
    soldier->startingItemsOwed = 0;
    soldier->GiveStartingItems();
  }
}
