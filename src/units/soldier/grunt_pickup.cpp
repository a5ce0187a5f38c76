// Picking up what lies in the world, and dropping what the soldier carries:
// the reach, the take, the throw a little way in front and the dropped
// item's flight through the effect pool.
#include <cmath>
#include <cstdio>

#include "foundation/maths/random_tables.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "menus/screens/screen_manager.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "world/effects/effect_pool.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_world.h"

namespace {

constexpr float kReachSquared = 25600.0f;  // 160 units
constexpr std::uint32_t kTakenTextId = 0x68f399c6u;
constexpr int kPickUpSound = 2272;
constexpr float kDegToRad = 0.017453292f;

// The one pick-up text of the game.
char g_pickUpText[256];

// Weapons of these kinds are not taken while their live word is set (an
// armed charge, a grenade about to go off).
bool IsLiveCharge(CWeapon* w) {
  const std::uint32_t c = w->WeaponClassOf();
  return (c == WEAPON_C4_CHARGE || c == WEAPON_GRENADE || c == WEAPON_SMOKE_GRENADE ||
          c == WEAPON_FLASH_GRENADE) && w->fired != 0;
}

bool InReach(CHLOGrunt* soldier, CHLO* object) {
  if (object->GroundInstance != soldier->GroundInstance) return false;
  const CVector3 a = soldier->GetPosition();
  const CVector3 b = object->GetPosition();
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz < kReachSquared;
}

float DistanceSquared(CHLOGrunt* soldier, CHLO* object) {
  const CVector3 a = soldier->GetPosition();
  const CVector3 b = object->GetPosition();
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

// Walks the free items and weapons of every side (weapons first on each).
template <typename Fn>
void ForEachLyingItem(Fn fn) {
  if (g_HLOManager == nullptr) return;
  for (int side = 0; side < 4 && side < g_HLOManager->Sides(); ++side)
    for (int kind : {HLO_WEAPON, HLO_ITEM}) {
      for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr;) {
        CHLO* next = o->Next;  // a take moves the object out of the list
        CInventoryItem* item = AsItem(o);
        if (item != nullptr && item->holder == nullptr) fn(item);
        o = next;
      }
    }
}

}  // namespace

const char* PickUpText() { return g_pickUpText; }

void CHLOGrunt::PickUpItem(CInventoryItem* item) {
  if (item == nullptr) return;
  // 1.
  CInventoryItem* holderItem = AddItem(item, 0, 0);
  if (holderItem == nullptr) return;
  // 2.
  const bool tookAmmo = item->IsWeapon() && holderItem != item;
  const char* prefixText = g_Locale != nullptr ? g_Locale->GetString(kTakenTextId) : nullptr;
  if (tookAmmo && !item->IsGrenade() && prefixText != nullptr && prefixText[0] != 0) {
    std::snprintf(g_pickUpText, sizeof g_pickUpText, "%s %s", prefixText, item->StatsName());
  } else {
    std::snprintf(g_pickUpText, sizeof g_pickUpText, "%s", item->StatsName());
  }
  // 3.
  if (player != nullptr) {
    NotBuiltYet("HUD message of a pick-up");
    if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kPickUpSound);
  }
  // 4.
  std::uint32_t block[3] = {static_cast<std::uint32_t>(Id), static_cast<std::uint32_t>(item->Id), tookAmmo ? 1u : 0u};
  RaiseUnitEvent(MEV_ITEM_PICKED_UP, block, 3);
  // 5.
  if (!UnitIsClient() && (itemInHand == nullptr || itemInHand->WeaponClassOf() == WEAPON_FIST) &&
      holderItem->IsWeapon() && holderItem->holder == this)
    SelectItem(holderItem, false);
}

void CHLOGrunt::PickUpAllInReach() {
  ForEachLyingItem([this](CInventoryItem* item) {
    if (CWeapon* w = AsWeapon(item)) {
      if (w->WeaponClassOf() == WEAPON_ANTI_TANK && w->quantity <= 0) return;
      if (IsLiveCharge(w)) return;
    }
    if (InReach(this, item)) PickUpItem(item);
  });
}

CInventoryItem* CHLOGrunt::FindNearestPickup() {
  CInventoryItem* best = nullptr;
  float bestDistance = 0.0f;
  ForEachLyingItem([&](CInventoryItem* item) {
    if (CWeapon* w = AsWeapon(item)) {
      if (w->WeaponClassOf() == WEAPON_ANTI_TANK && w->quantity <= 0) return;
      if (IsLiveCharge(w)) return;
      CWeapon* same = FindSameWeapon(w);
      if (same != nullptr && same->quantity <= 0) return;
    }
    if (!InReach(this, item)) return;
    const float d = DistanceSquared(this, item);
    if (best == nullptr || d < bestDistance) {
      best = item;
      bestDistance = d;
    }
  });
  if (best != nullptr && UnitEventsBound()) {
    std::uint32_t block[3] = {static_cast<std::uint32_t>(Id), static_cast<std::uint32_t>(best->Id), 0};
    RaiseUnitEvent(MEV_ITEM_MAY_TAKE, block, 3);
    if (block[2] == 0) return nullptr;
  }
  return best;
}

// --- Dropping ------------------------------------------------------------------------

int CHLOGrunt::DropItem(CInventoryItem* item, int placed) {
  // 1.
  if (placed == 0 && UnitEventsBound()) {
    std::uint32_t block[3] = {static_cast<std::uint32_t>(Id), item != nullptr ? static_cast<std::uint32_t>(item->Id) : 0u, 0};
    RaiseUnitEvent(MEV_ITEM_MAY_DROP, block, 3);
    if (block[2] == 0) return 0;
  }
  // 2.
  if (item == nullptr || item->holder != this || item->WeaponClassOf() == WEAPON_FIST || vehicle != nullptr) return 0;
  if (item->IsMediKit() || item->IsGrenade()) return 0;  // these never leave the inventory
  // 3.
  CVector3 rotation{};
  GetRotation(rotation);
  CVector3 start{};
  float speed = 0.0f, heading = 0.0f, elevation = 0.0f;
  if (placed != 0) {
    if (GetJointPoint(JOINT_R_HAND, &start) == 0) start = GetPosition();
  } else {
    const CVector3 at = GetPosition();
    start = {at.x + 100.0f * std::sin(rotation.y * kDegToRad), at.y + 100.0f,
             at.z + 100.0f * std::cos(rotation.y * kDegToRad)};
    heading = UnitNetworkGame() ? rotation.y + 45.0f : RandomFloat(359.0f);
    if (heading >= 360.0f) heading -= 360.0f;
    elevation = 25.0f;
    speed = 250.0f;
  }
  // 4. The ground below the start.
  HLOGroundHit ground;
  HLOWorld* world = GetHLOWorld();
  const bool found = world != nullptr && world->FindGround(start, &ground);
  if (found && ground.point.y > start.y && ground.point.y - start.y < 50.0f) start = ground.point;
  // 5. The flight.
  if (found) {
    if (g_EffectPool == nullptr) return 0;
    EffectDesc desc;
    desc.Zone = ground.instance;
    desc.Start = start;
    desc.Speed = speed;
    desc.Heading = heading;
    desc.Pitch = elevation;
    desc.Kind = EFFECT_THROWN;
    desc.Flags = EFF_BOUNCES | EFF_COLLIDES;
    desc.OnFinish = DroppedItemStopped;
    desc.OnFrame = DroppedItemFollow;
    desc.User = static_cast<std::uint32_t>(item->Id);
    desc.Owner = this;
    if (g_EffectPool->Spawn(desc) == nullptr) return 0;
    item->TakesGroundLights = 1;
  } else {
    start = GetPosition();
  }
  // 6.
  if (item->Instance != nullptr) item->Instance->SetPosition(start, false);
  const float itemHeading = item == itemInHand ? rotation.y : (placed != 0 ? 0.0f : heading);
  CVector3 itemRotation{90.0f, itemHeading, 0.0f};
  if (placed != 0) {
    if (item->IsIndirectCharge()) {
      itemRotation = {rotation.x, rotation.y, -28.0f};
      if (IsFriendly()) {
        if (CWeapon* w = AsWeapon(item)) {
          w->planter = this;
          w->plantedByFriend = 1;
        }
      }
    } else {
      itemRotation = {0.0f, itemHeading, 180.0f};
    }
  }
  // 7.
  RemoveItem(item, true, false);
  if (!found) {
    item->SetGroundInstance(GroundInstance);
    item->SetGroundRoot(GroundRoot);
  }
  item->SetRotation(itemRotation);
  if (UnitEventsBound()) {
    std::uint32_t block[2] = {static_cast<std::uint32_t>(Id), static_cast<std::uint32_t>(item->Id)};
    RaiseUnitEvent(MEV_ITEM_DROPPED, block, 2);
  }
  return 1;
}

void CHLOGrunt::DroppedItemFollow(CEffectInstance* effect) {
  if (effect == nullptr || g_HLOManager == nullptr || effect->User == 0) return;
  CInventoryItem* item = AsItem(g_HLOManager->FindByIdSlow(static_cast<std::int32_t>(effect->User)));
  if (item == nullptr || item->Instance == nullptr) return;
  item->Instance->SetPosition(effect->Position, false);
  if (effect->Zone != nullptr) {
    item->SetGroundRoot(effect->Zone);
    item->SetGroundInstance(effect->Zone);
    item->InheritGroundLights();
  }
}

void CHLOGrunt::DroppedItemStopped(CEffectInstance* effect, const WorldHit* hit) {
  if (effect == nullptr || g_HLOManager == nullptr) return;
  // Ids, not pointers, cross the pool: an item deleted in flight is not found.
  CInventoryItem* item = AsItem(g_HLOManager->FindByIdSlow(static_cast<std::int32_t>(effect->User)));
  if (item == nullptr) return;
  CVector3 rest = effect->Position;
  if (hit != nullptr && hit->Instance != nullptr) {
    CVector3 struck{};
    hit->Instance->LocalToWorld(-1, hit->Point, &struck);
    CHLO* struckObject = g_HLOManager->FindByInstance(hit->Instance);
    if ((effect->Flags & EFF_BOUNCES) != 0 &&
        (effect->Speed > 60.000004f || (struckObject != nullptr && struckObject->IsUnit()))) {
      effect->Relaunch(struck, effect->Heading + 180.0f, effect->Pitch, 0.5f);
      return;
    }
    rest = struck;
  }
  const CWeapon* w = AsWeapon(item);
  const bool armedTimed = w != nullptr && w->fireMode == FM_TIMED && w->fired != 0;
  if (!armedTimed) rest.y += 5.0f;
  if (item->Instance != nullptr) item->Instance->SetPosition(rest, false);
  if (UnitIsHost()) NotBuiltYet("network: dropped item's resting place sent to the clients");
}
