// What a soldier does with its hands and head in a frame apart from moving:
// the player's use step (the use button pulls and releases the trigger of
// the item in hand) and the action step in its fixed order, with the two
// small queries of the aiming code.
#include "control/players/local_player.h"
#include "foundation/system/not_built_yet.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/soldier/grunt_frame_links.h"
#include "menus/screens/screen_manager.h"
#include "world/routes/quad_tree.h"

namespace {

constexpr std::uint32_t kUseButton = 0x4;
constexpr std::uint32_t kSecondButton = 0x2;
constexpr std::uint32_t kUseLatch = 0x400;
constexpr int kInGameScreen = 14;
constexpr int kEventStop = 29;
constexpr std::uint32_t kEventChargePlaced = 39;
constexpr float kMediKitReach = 400.0f;

void Later(const char* step, const char* what) {
  GruntTraceStep(step);
  NotBuiltYet(what);
}

void Release(CInventoryItem* item) {
  if (GruntLinks().ReleaseTrigger != nullptr) GruntLinks().ReleaseTrigger(item);
  else NotBuiltYet("items: releasing a trigger");
}

void Pull(CInventoryItem* item, CHLOGrunt* user) {
  if (GruntLinks().PullTrigger != nullptr) GruntLinks().PullTrigger(item, user);
  else NotBuiltYet("items: pulling a trigger");
}

bool Pulled(const CInventoryItem* item) {
  if (GruntLinks().IsTriggerPulled != nullptr) return GruntLinks().IsTriggerPulled(item);
  NotBuiltYet("items: a trigger's state");
  return false;
}

}  // namespace

void CHLOGrunt::PlayerUseStep() {
  // 1.-2.
  if (Can(1) == 0) return;
  const std::uint32_t buttons = player->UseButtons;
  if ((buttons & kUseButton) == 0) soldierFlags &= ~kUseLatch;
  // 3.
  const bool blocked = ScreenId != kInGameScreen || player->InventoryPopup || player->GiveTakePopup ||
                       player->VehiclePopup || player->OrderPopup;
  if (blocked && !IsVehicleGunner()) AskMovementEvent(kEventStop);
  // 4. Nothing in hand: a mounted gun of the vehicle.
  CInventoryItem* item = itemInHand;
  if (item == nullptr) {
    if (vehicle != nullptr && CanLeaveVehicle()) NotBuiltYet("vehicles: the first gunner's trigger");
    return;
  }
  const int kind = HandItemKind();
  const int cls = HandWeaponClass();
  // 5. Input blocked: optics keep their trigger.
  if (blocked) {
    if (kind != kItemKindBinoculars && kind != kItemKindLaserDesignator) Release(item);
    return;
  }
  // 6a. A charge is placed only when the plug-in allows it.
  const bool charge = kind == kItemKindWeapon && cls == kWeaponClassC4Charge;
  if (charge && UnitEventsBound()) {
    std::uint32_t block[2] = {static_cast<std::uint32_t>(Id), 0};
    RaiseUnitEvent(kEventChargePlaced, block, 2);
    if (block[1] == 0) {
      Release(item);
      return;
    }
  }
  // 6b.
  if (player->ObjectLink == nullptr) return;
  // 6c.-d.
  if ((buttons & kUseButton) && (soldierFlags & kUseLatch) == 0) {
    if (kind == kItemKindDetonator && (buttons & kSecondButton) == 0) Release(item);
    else Pull(item, this);
  } else if (!charge) {
    Release(item);
  }
}

void CHLOGrunt::UpdateActions() {
  // 1.-4.
  Later("UpdateCall", "soldier squad calls");
  if (ShouldAutoAim()) Later("UpdateAim", "soldier aiming");
  Later("GrowAwareness", "awareness growth");
  GruntTraceStep("TurnTorsoAndHead");
  TurnTorsoAndHead();
  // 5. A remote player's soldier on the host.
  if (UnitIsHost() && UnitNetworkGame()) NotBuiltYet("network: the soldiers remote players drive");
  // 6.-8.
  if (unitFlags & UNITF_TURNING) Later("TurnToTarget", "turning to a turn target");
  if (health > 0.0f) Later("UpdateWeaponHandling", "soldier weapon handling");
  if (movementState == 35 || movementState == 101) Later("PlantCharge", "soldier charge planting");
  // 9.
  if (upperBodyState == 6 || upperBodyState == 25) Later("ReleaseGrenade", "soldier grenade release");
  else if (upperBodyState == 14) Later("MeleeStrike", "melee strikes");
  // 10. The medi-kit.
  if (health > 0.0f && itemInHand != nullptr && HandItemKind() == kItemKindMediKit && Pulled(itemInHand)) {
    const int quantity = GruntLinks().GetQuantity != nullptr ? GruntLinks().GetQuantity(itemInHand) : 0;
    if (quantity > 0) {
      GruntTraceStep("UseItem");
      CHLOGrunt* target = this;
      if (!UnitNetworkGame() && Can(1) != 0 && player->RadioWord == 1) {
        CHLO* pointed = player->PointedObject;
        if (pointed != nullptr && pointed->Kind == HLO_GRUNT && pointed->Side == Side &&
            player->PointedDistance < kMediKitReach)
          target = static_cast<CHLOGrunt*>(pointed);
      }
      if (GruntLinks().UseItem != nullptr) GruntLinks().UseItem(itemInHand, this, target, 1, 0);
      else NotBuiltYet("items: using a medi-kit");
    }
  }
  // 11.-13.
  if (HasWeaponInHand()) Later("SettleRecoil", "soldier recoil");
  if (!HasMovedOutOfRange()) {
    GruntTraceStep("UpdateQuadLeaf");
    quadLeaf = g_QuadTree != nullptr ? g_QuadTree->FindLeaf(GetPosition()) : nullptr;
  }
  if (unitFlags & UNITF_AI_ON) Later("CombatThink", "the combat think");
}

int CHLOGrunt::ShouldAutoAim() {
  if (CutsceneRunning()) return 1;
  const bool byPlayer = Can(1) != 0;
  if (byPlayer && player->RadioWord == 1) return 0;
  if (vehicle == nullptr) {
    if (!byPlayer) return 1;
    return player->AimYawAxis != 0.0f || player->AimPitchAxis != 0.0f ? 0 : 1;
  }
  if (byPlayer && (player->AimYawAxis != 0.0f || player->AimPitchAxis != 0.0f || player->ForwardAxis != 0.0f ||
                   player->StrafeAxis != 0.0f))
    return 0;
  if (IsVehicleGunner()) {
    NotBuiltYet("vehicles: the gunner arbitration");
    return 0;
  }
  return 1;
}

void CHLOGrunt::PredictJointPosition(std::uint32_t elapsedMs, int joint, CVector3* out) {
  if (out == nullptr) return;
  CVector3 at{};
  if (!GetJointPoint(joint, &at)) at = GetPosition();
  const CVector3& v = velocityDirection;
  const float seconds = static_cast<float>(elapsedMs) / 1000.0f;
  out->x = at.x + v.x * speed * seconds;
  out->y = at.y + v.y * speed * seconds;
  out->z = at.z + v.z * speed * seconds;
}
