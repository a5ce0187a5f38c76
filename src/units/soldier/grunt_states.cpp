// The soldier's two state machines: requests through the rule tables, the
// per-frame movement step over events 0..106 and the upper-body step over
// events 0..25, the idle variation, and the queries the steps share.
#include <cmath>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/maths/random_tables.h"
#include "foundation/system/not_built_yet.h"
#include "menus/screens/screen_manager.h"
#include "units/base/side_hostility.h"
#include "units/base/state_rule_tables.h"
#include "units/base/unit_events.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/animation/rule_table.h"
#include "world/switches/switch_table.h"

namespace {

constexpr float kPi = 3.14159265358979323846f;
// The top of a ladder: the soldier steps this far forward and up.
constexpr float kLadderTopForward = 120.1f;
constexpr float kLadderTopUp = 193.1f;
constexpr int kInGameScreen = 14;
// Mission events the movement step raises.
constexpr std::uint32_t kEventScriptedEnd = 20;
constexpr std::uint32_t kEventSignalEnd = 46;

int Cell(const RuleTable* table, int event, int state) {
  return table != nullptr ? table->NextState(event, state) : -1;
}

}  // namespace

int CHLOGrunt::RequestState(int event) {
  const int next = Cell(g_MovementRules, event, movementState);
  if (next < 0) return 0;
  SetMovementState(next);
  return 1;
}

int CHLOGrunt::RequestUpperBodyState(int event) {
  if (MovementStateRowOf(movementState).NoWeapon) return 0;
  const int next = Cell(g_UpperBodyRules, event, upperBodyState);
  if (next < 0) return 0;
  SetUpperBodyState(next);
  return 1;
}

float CHLOGrunt::ForwardControl() const { return player != nullptr ? player->ForwardAxis : 0.0f; }

float CHLOGrunt::SidewaysControl() const { return player != nullptr ? player->StrafeAxis : 0.0f; }

bool CHLOGrunt::C4Armed() {
  // A charge in hand whose trigger is pulled comes with the items; on a
  // network client a soldier planting (state 35) counts as armed.
  return UnitIsClient() && movementState == MS_PLANT_CHARGE;
}

void CHLOGrunt::StepMovementState(CVector3* position, CVector3* rotation) {
  (void)rotation;
  CAnimObject* anim = GetAnimObject();
  if (movementState == MS_HELD) {
    // A held state goes on only when its animation stopped short of its end
    // and no override animation holds the movement.
    const bool stoppedShort = anim != nullptr && anim->GetChannelActive(0) == 0 && anim->GetChannelEnded(0) == 0;
    if (!stoppedShort || (unitFlags & UNITF_ANIM_LOCK)) return;
    restartMark = 1;
  }
  const bool c4Armed = C4Armed();
  bool stop = false;
  for (int event = 0; event < MOVEMENT_EVENT_COUNT && !stop; ++event) {
    const int next = Cell(g_MovementRules, event, movementState);
    if (next < 0) continue;
    if (!MovementTrigger(event, next, c4Armed, position, &stop)) continue;
    SetMovementState(next);
  }
  TryIdleVariation();
  if (movementState != MS_HELD) {
    PlayMovementAnim(movementState, static_cast<int>(restartMark));
    restartMark = 0;
  }
}

// The triggers of the movement step.  Events without one never fire here.
bool CHLOGrunt::MovementTrigger(int event, int nextState, bool c4Armed, CVector3* position, bool* stop) {
  (void)nextState;
  const std::uint32_t now = UnitGameTime();
  const bool capability1 = Can(1) != 0;
  const bool inputFree = !IsPlayerInputBlocked(0);
  const bool forcedCrouch = (unitFlags & UNITF_FORCED_CROUCH) != 0;
  switch (event) {
    case ME_DEATH_FOLLOW_UP:
      if ((IsFriendly() || !SidesHostile(g_HLOLocalSide, Side)) && (unitFlags & UNITF_ANIM_FINISHED) &&
          FullBodyAnimFinished() && !IsDeadAndExpired() && !UnitNetworkGame() && deathFollowUpTime != 0 &&
          now > deathFollowUpTime) {
        Speak(78, 78, 0, 0, 0, 0);
        ScheduleDeathFollowUp();
        return true;
      }
      return false;
    case ME_ANIM_FINISHED: {
      if ((unitFlags & UNITF_ANIM_FINISHED) == 0 || !(FullBodyAnimFinished() || (unitFlags & UNITF_DEATH_CUT_SHORT)))
        return false;
      switch (movementState) {
        case MS_PRESS_SWITCH:
          if (g_Switches != nullptr) g_Switches->UseAt(*position, static_cast<std::uint32_t>(Id));
          break;
        case MS_LADDER_DISMOUNT_TOP: {
          // Step off the top of the ladder: forward along the heading and up.
          CVector3 r{};
          GetRotation(r);
          const float heading = r.y * kPi / 180.0f;
          position->x += kLadderTopForward * std::sin(heading);
          position->z += kLadderTopForward * std::cos(heading);
          position->y += kLadderTopUp;
          referencePosition = *position;
          *stop = true;
          break;
        }
        case MS_SCRIPTED: RaiseUnitEvent(kEventScriptedEnd, Id); break;
        case MS_USE_ITEM_ON:
        case MS_UNLOCK_WITH_ITEM: useTarget = nullptr; break;
        case MS_SCRIPTED_SIGNAL:
          if (UnitEventsBound()) RaiseUnitEvent(kEventSignalEnd, Id);
          break;
        default: break;
      }
      return true;
    }
    case ME_STOPPED_KNEEL_RUN: return speed == 0.0f && stance == STANCE_KNEEL_RUN;
    case ME_STOPPED: return speed == 0.0f;
    case ME_SPEED_HIGH: return moveValue > 150.0f;
    case ME_HOST_MARK: return (!UnitNetworkGame() || UnitIsHost()) && hostMark != 0;
    case ME_RECOVER_FROM_FLATTENING:
      if (health > 0.0f && FullBodyAnimFinished() && now - flattenedTime >= 3000) {
        lastDamageSource = nullptr;
        settleTime = 1;
        return true;
      }
      return false;
    case ME_DIE: {
      const CAnimObject* anim = GetAnimObject();
      return health <= 0.0f && (anim == nullptr || anim->GetChannel(0).Blending == 0);
    }
    case ME_FORWARD_START: return inputFree && !forcedCrouch && capability1 && ForwardControl() < 0.0f;
    case ME_FORWARD_STOP: return forcedCrouch || (inputFree && capability1 && ForwardControl() >= 0.0f);
    case ME_STRAFE_LEFT_START: return inputFree && capability1 && SidewaysControl() < 0.0f;
    case ME_STRAFE_LEFT_STOP: return inputFree && capability1 && SidewaysControl() >= 0.0f;
    case ME_STRAFE_RIGHT_START: return inputFree && capability1 && SidewaysControl() > 0.0f;
    case ME_STRAFE_RIGHT_STOP: return inputFree && capability1 && SidewaysControl() <= 0.0f;
    case ME_BACKWARD_START: return inputFree && !forcedCrouch && capability1 && ForwardControl() > 0.0f;
    case ME_BACKWARD_STOP: return forcedCrouch || (inputFree && capability1 && ForwardControl() <= 0.0f);
    case ME_CHARGE_ARMED: return c4Armed;
    case ME_INTERACTION_START: return (unitFlags & UNITF_INTERACTING) != 0;
    case ME_CHARGE_NOT_ARMED: return !c4Armed;
    case ME_INTERACTION_END: return (unitFlags & UNITF_INTERACTING) == 0;
    case ME_CIVILIAN: return StatsCharacterType(Stats) == 1;
    case ME_RELAXED: return Can(0) != 0;
    case ME_DEAD_SETTLED: return health == 0.0f && (now - settleTime > 500 || now - deathTime > 1000);
    case ME_LADDER_UP: return inputFree && capability1 && ForwardControl() < 0.0f;
    case ME_LADDER_DOWN: return inputFree && capability1 && ForwardControl() > 0.0f;
    case ME_VEHICLE_IDLE_1:
    case ME_VEHICLE_IDLE_2:
    case ME_VEHICLE_IDLE_3:
    case ME_VEHICLE_IDLE_4: return IsVehicleChatterDue();
    case ME_RELOAD: return false;  // a weapon in hand comes with the items
    case ME_STANCE_WALK: return !c4Armed && UpperBodyStateRowOf(upperBodyState).ArmsBusy == 0 && stance == STANCE_WALK;
    case ME_STANCE_RUN: return !c4Armed && routeArrived == 0 && stance == STANCE_RUN;
    case ME_STANCE_CRAWL: return !c4Armed && stance == STANCE_CRAWL;
    case ME_STANCE_KNEEL: return c4Armed || (unitFlags & UNITF_INTERACTING) || stance == STANCE_KNEEL;
    case ME_STANCE_KNEEL_RUN: return stance == STANCE_KNEEL_RUN;
    case ME_ALERTNESS_SLEEPING: return alertness == SLEEPING;
    case ME_ALERTNESS_AWAKE: return alertness != SLEEPING;
    case ME_IDLE_ANIMATION: return (unitFlags & UNITF_IDLE_ANIMATION) != 0;
    default: return false;
  }
}

bool CHLOGrunt::IsIdleVariationDue() {
  const std::uint32_t now = UnitGameTime();
  if (CutsceneRunning()) return false;
  if (IsFriendly() && (unitFlags & UNITF_HOLDING_FIRE) == 0) return false;
  if (currentTarget != nullptr) return false;
  if ((unitFlags & UNITF_SOLDIER) == 0) return false;
  if (Can(0) == 0 || alertness >= ALERT) return false;
  if (routeArrived <= now + 1000 && action != ACTION_HOLD_POSITION && action != ACTION_TURN_ON_SPOT_TO_FACE_TARGET)
    return false;
  if (now <= nextIdleTime) return false;
  nextIdleTime = now + 5000u + static_cast<std::uint32_t>(RandomFloatRange(5.0f, 10.0f) * 1000.0f);
  return true;
}

bool CHLOGrunt::IsVehicleChatterDue() {
  if (vehicle == nullptr) return false;
  const std::uint32_t now = UnitGameTime();
  if (IsFriendly() && (unitFlags & UNITF_HOLDING_FIRE) == 0) return false;
  if (now <= nextIdleTime) return false;
  nextIdleTime = now + 5000u + static_cast<std::uint32_t>(RandomFloatRange(5.0f, 10.0f) * 1000.0f);
  return true;
}

void CHLOGrunt::TryIdleVariation() {
  if (!IsIdleVariationDue()) return;
  static const int kWithItem[5] = {ME_IDLE_VARIATION_3, ME_IDLE_VARIATION_5, ME_IDLE_VARIATION_1, ME_IDLE_VARIATION_2,
                                   ME_IDLE_VARIATION_4};
  static const int kEmptyHanded[3] = {ME_IDLE_VARIATION_1, ME_IDLE_VARIATION_2, ME_IDLE_VARIATION_4};
  const int event = handItemState == 1 ? kWithItem[RandomIntBelow(5)] : kEmptyHanded[RandomIntBelow(3)];
  RequestState(event);
}

bool CHLOGrunt::IsAimingMovementState() const {
  switch (movementState) {
    case 0: case 1: case 2: case 3: case 5: case 6: case 15: case 16: case 17: case 18: case 79: case 80: case 81:
    case 82:
      return true;
    default:
      return false;
  }
}

bool CHLOGrunt::WantsToAim() {
  // Without a weapon in hand the soldier never aims; with one the rules of
  // the target, the player and the route apply, which come with the items.
  if (HasWeaponInHand() == 0) return false;
  if (currentTarget == nullptr && action == ACTION_FOLLOW_ROUTE) return false;
  NotBuiltYet("soldier aim rules with a weapon in hand");
  return false;
}

// What a soldier is using is the kind of the item in its hand; with nothing in
// hand it uses nothing.
bool CHLOGrunt::IsUsingItemKind(const char* what) const {
  if (itemInHand != nullptr) NotBuiltYet(what);
  return false;
}

bool CHLOGrunt::IsUsingBinoculars() { return IsUsingItemKind("soldier item in use: binoculars"); }
bool CHLOGrunt::IsUsingLaserDesignator() { return IsUsingItemKind("soldier item in use: laser designator"); }
bool CHLOGrunt::IsUsingNightVision() { return IsUsingItemKind("soldier item in use: night vision"); }
bool CHLOGrunt::IsUsingDetonator() { return IsUsingItemKind("soldier item in use: detonator"); }
bool CHLOGrunt::IsUsingRadio() { return IsUsingItemKind("soldier item in use: radio"); }

bool CHLOGrunt::IsPlayerInputBlocked(int ignoreFourthPopup) {
  if (Can(1) == 0 || ScreenId != kInGameScreen) return true;
  if (player->InventoryPopup || player->GiveTakePopup || player->VehiclePopup) return true;
  if (player->OrderPopup && !ignoreFourthPopup) return true;
  if (vehicle != nullptr) return true;
  return false;
}

bool CHLOGrunt::IsMenuBlockingInput(int ignoreFourthPopup) {
  if (UnitNetworkGame() && Can(1) == 0) return false;
  if (Can(1) != 0 &&
      (player->InventoryPopup || player->GiveTakePopup || player->VehiclePopup || (player->OrderPopup && !ignoreFourthPopup)))
    return true;
  return ScreenId == 13 || ScreenId == 15 || ScreenId == 20 || ScreenId == 52 || ScreenId == 55;
}

bool CHLOGrunt::IsVehicleGunner() const { return false; }
bool CHLOGrunt::CanLeaveVehicle() const { return vehicle != nullptr; }

bool CHLOGrunt::IsHoldingFire() {
  if (UnitNetworkGame()) return stance != STANCE_RUN;
  if (vehicle == nullptr) return (unitFlags & UNITF_HOLDING_FIRE) != 0;
  return false;
}

void CHLOGrunt::StepUpperBodyState() {
  CAnimObject* anim = GetAnimObject();
  if ((soldierFlags & 0x800) && (anim == nullptr || anim->GetChannel(1).Blending == 0)) soldierFlags &= ~0x800u;
  if (MovementStateRowOf(movementState).NoWeapon) return;
  for (int event = 0; event < UPPER_BODY_EVENT_COUNT; ++event) {
    if (Cell(g_UpperBodyRules, event, upperBodyState) < 0) continue;
    if (UpperBodyTrigger(event)) RequestUpperBodyState(event);
  }
}

bool CHLOGrunt::UpperBodyTrigger(int event) {
  const std::uint32_t now = UnitGameTime();
  switch (event) {
    case UE_LOWER: return !WantsToAim();
    case UE_AIM: return WantsToAim();
    case UE_ALWAYS: return true;
    case UE_OPTICS_ON: return IsUsingBinoculars() || IsUsingLaserDesignator();
    case UE_OPTICS_OFF: return !IsUsingBinoculars() && !IsUsingLaserDesignator();
    case UE_RADIO_ON: return IsUsingRadio();
    case UE_RADIO_OFF: return !IsUsingRadio();
    case UE_DETONATOR: return IsUsingDetonator();
    case UE_LYING: return GetMovementClass() == MCLASS_LYING;
    case UE_NOT_LYING: return GetMovementClass() != MCLASS_LYING;
    case UE_GOGGLES_ON: return IsUsingNightVision();
    case UE_GOGGLES_OFF: return !IsUsingNightVision();
    case UE_RADIO_CALL_DONE:
      if (itemInHand == nullptr || GetMovementClass() == MCLASS_LYING) return true;
      if (now - lastRadioCallTime > 10000) {
        lastRadioCallTime = now;
        return true;
      }
      return false;
    case UE_ANIM_FINISHED: {
      const CAnimObject* anim = GetAnimObject();
      const bool finished = anim == nullptr || anim->GetChannelActive(1) == 0 || anim->GetChannelEnded(1) != 0;
      return finished && (soldierFlags & 0x1) != 0;
    }
    default:
      // Grenades, reloads, the knife, the anti-tank weapon and item sounds
      // need an item in hand.
      return false;
  }
}
