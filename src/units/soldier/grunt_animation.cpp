// The soldier's animations: the lookup of an animation by movement index,
// slot or weapon action, entering a movement or upper-body state and playing
// its animation with its end mode, the calm idle variations of friendly
// soldiers, and the movement speed of the state.
#include <set>
#include <utility>

#include "foundation/maths/random_tables.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "shell/stats/weapon_stats.h"
#include "units/base/anim_slot_ids.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/items/inventory_item.h"
#include "shell/stats/stats_names.h"
#include "world/animation/anim_set.h"

namespace {

// Blend-in speeds (weight per second): calm idle variations, other state
// animations, and the animations of the lower-body sets.
constexpr float kVariationBlend = 1.5f;
constexpr float kStateBlend = 3.0f;
constexpr float kSetBlend = 6.0f;
constexpr std::uint32_t kCalmBeforeVariations = 30000;
// The knife's walks replace the pistol set's.
constexpr std::pair<int, int> kKnifeSlots[4] = {{ANIM_STANDING_WALK_WITH_PISTOL, ANIM_STANDING_WALK_WITH_KNIFE},
                                                {ANIM_STANDING_WALK_BACKWARDS_WITH_PISTOL, ANIM_STANDING_WALK_BACKWARDS_WITH_KNIFE},
                                                {ANIM_STANDING_STRAFE_WALK_LEFT_FORWARDS_WITH_PISTOL,
                                                 ANIM_STANDING_STRAFE_WALK_LEFT_FORWARDS_WITH_KNIFE},
                                                {ANIM_STANDING_STRAFE_WALK_RIGHT_FORWARDS_WITH_PISTOL,
                                                 ANIM_STANDING_STRAFE_WALK_RIGHT_FORWARDS_WITH_KNIFE}};

const char* const kWeaponAnimNames[6] = {"aim", "use", "reload", "prone aim", "prone use", "prone reload"};
// The (record, animation) pairs reported missing since the level started.
std::set<std::pair<const WeaponStats*, int>> g_ReportedWeaponAnims;

}  // namespace

AnimSet* GetWeaponAnimation(const WeaponStats* weapon, int which) {
  if (weapon == nullptr || which < 0 || which > 5) return nullptr;
  if (AnimSet* set = static_cast<AnimSet*>(weapon->Animations[which].Object)) return set;
  // A missing animation is told once per record and animation, and never in
  // a box during a network game: a modal box there would stall the session.
  if (g_ReportedWeaponAnims.insert({weapon, which}).second) {
    if (UnitNetworkGame())
      DebugTrace("Weapon: required anim (%s) missing!\n", kWeaponAnimNames[which]);
    else
      ErrorBox("Weapon: required anim (%s) missing!", kWeaponAnimNames[which]);
  }
  return nullptr;
}

void ResetWeaponAnimationReports() { g_ReportedWeaponAnims.clear(); }

int CHLOGrunt::GetAnimationSlot(int index) {
  const bool aware = awareness[0].Target != nullptr || awareness[1].Target != nullptr ||
                     awareness[2].Target != nullptr || currentTarget != nullptr;
  if (aware || alertness == ALARMED) {
    if (index == MA_CALM_WALK) index = MA_ALERT_WALK;
  } else {
    if (index == MA_ALERT_STANCE) index = MA_CALM_STANCE;
    if (index == MA_ALERT_WALK) index = MA_CALM_WALK;
  }
  // The wounded run limping.
  if (index == MA_RUN && health < 0.3f * GetMaxHealth()) index = MA_LIMPING_RUN;
  if (index < 0 || index >= MOVE_ANIM_COUNT) index = MA_ALERT_STANCE;
  const int set = animSet >= 0 && animSet < ANIMSET_COUNT ? animSet : ANIMSET_PISTOL;
  int slot = kAnimationSets[set][index];
  if (knifeInHand)
    for (const auto& [from, to] : kKnifeSlots)
      if (slot == from) slot = to;
  return slot;
}

AnimSet* CHLOGrunt::GetAnimation(int index, int kind) {
  switch (kind) {
    case 0: return GetAnimSlot(GetAnimationSlot(index));
    case 1: return GetAnimSlot(index);
    case 2: {
      // A weapon animation of the weapon in hand (the items come later; the
      // lookup of a weapon record's animation is GetWeaponAnimation).
      if (HasWeaponInHand() == 0) return nullptr;
      return GetWeaponAnimation(handWeapon, index);
    }
    case 3: return overrideAnimation;
    default: return nullptr;
  }
}

bool CHLOGrunt::StateAllowsWeapon() const { return MovementStateRowOf(movementState).NoWeapon == 0; }

std::int32_t CHLOGrunt::GetStateAnimationSlot() const { return MovementStateRowOf(movementState).Slot; }

std::int32_t CHLOGrunt::GetMovementClass() const { return MovementStateRowOf(movementState).Class; }

void CHLOGrunt::SetHandAnimationSet() {
  // The set follows the weapon in hand: pistols, knives and empty hands the
  // first, rifles the second, anti-tank weapons the third.
  animSet = ANIMSET_PISTOL;
  knifeInHand = false;
  handWeapon = nullptr;
  if (itemInHand == nullptr || vehicle != nullptr) return;
  handWeapon = itemInHand->WeaponRecord();
  switch (itemInHand->WeaponClassOf()) {
    case WEAPON_COMBAT_KNIFE: knifeInHand = true; break;
    case WEAPON_ANTI_TANK: animSet = ANIMSET_ANTI_TANK; break;
    case WEAPON_ASSAULT_RIFLE: case WEAPON_SUB_MACHINE_GUN: case WEAPON_SNIPER_RIFLE: case WEAPON_MACHINE_GUN:
    case WEAPON_GRENADE_LAUNCHER: case WEAPON_SHOTGUN: case WEAPON_GRENADE_LAUNCH_RIFLE:
      animSet = ANIMSET_RIFLE;
      break;
    default: break;
  }
}

void CHLOGrunt::SetMovementState(int state) {
  if (state < 0 || state >= MOVEMENT_STATE_COUNT) return;
  if (UnitNetworkGame() && state == movementState) return;
  if (overrideAnimation != nullptr && (unitFlags & UNITF_ANIM_LOCK) && state != MS_HELD) return;
  unitFlags &= ~UNITF_ANIM_FINISHED;
  movementState = state;
  movementAnimStart = UnitGameTime();
  movementEventSeen = 1;
  PlayMovementAnim(state, 0);
  if (MovementStateRowOf(state).SetAnim == kNoSetAnimation) {
    movementAnimMode = 2;
    unitFlags &= ~(UNITF_DEATH_CUT_SHORT | UNITF_ALTERNATIVE_SET);
    lowerBodyRequest = 0;
  }
}

void CHLOGrunt::PlayMovementAnim(int state, int restart) {
  CAnimObject* anim = GetAnimObject();
  const MovementStateRow& row = MovementStateRowOf(state);
  const bool setAnimation = row.SetAnim != kNoSetAnimation;
  const int index = (unitFlags & UNITF_ALTERNATIVE_SET) ? row.AltSetAnim : row.SetAnim;
  AnimSet* set = setAnimation ? GetAnimation(index, 0) : GetAnimation(row.Slot, 1);
  const std::uint32_t now = UnitGameTime();

  // How long the soldier has been calm: no target and nothing in awareness.
  const bool calm = currentTarget == nullptr && awareness[0].Target == nullptr && awareness[1].Target == nullptr &&
                    awareness[2].Target == nullptr;
  if (!calm) calmSince = now;

  if (anim == nullptr) {
    playedState = state;
    return;
  }
  // A calm idle variation plays out before the idle comes back.
  if (calmVariation != nullptr) {
    if (state == playedState && restart == 0 && anim->GetChannelSet(0) == calmVariation &&
        anim->GetChannelActive(0))
      return;
    calmVariation = nullptr;
  }
  // Calm friendly soldiers holding fire vary their idles every 10 to 15 s
  // once they have been calm for 30 s.
  if (restart == 0 && setAnimation && row.IdleVariation == 1 && IsFriendly() &&
      (unitFlags & UNITF_HOLDING_FIRE) && now - calmSince > kCalmBeforeVariations) {
    const int slot = GetAnimationSlot(index);
    const int calmIdle = kAnimationSets[animSet][MA_CALM_STANCE];
    const int kneelIdle = kAnimationSets[animSet][MA_KNEEL_STANCE];
    if ((slot == calmIdle || slot == kneelIdle) && now > nextCalmVariationTime) {
      const bool due = nextCalmVariationTime != 0;
      nextCalmVariationTime = now + 5000u + static_cast<std::uint32_t>(RandomFloatRange(5000.0f, 10000.0f));
      const int first = slot == kneelIdle ? MA_KNEELING_IDLE_VARIATION : MA_STANDING_IDLE_VARIATION;
      AnimSet* variation = due ? GetAnimation(first + RandomIntBelow(4), 0) : nullptr;
      if (variation != nullptr && anim->StartAnim(0, variation, 0, 1, kVariationBlend) == 1) {
        calmVariation = variation;
        playedState = state;
        animHold = 0;
        return;
      }
    }
  }

  if (set == nullptr) {
    // No animation for the state (the level gave the slot none, or the state
    // keeps the pose it has): the current one plays on.
    playedState = state;
    if (row.EndMode == END_HOLD) unitFlags |= UNITF_ANIM_FINISHED;
    return;
  }
  if (restart == 0 && state == playedState && anim->GetChannelSet(0) == set) return;

  std::int32_t repeat = 0;
  switch (row.EndMode) {
    case END_LOOP: repeat = kAnimRepeatLoop; break;
    case END_FREEZE: repeat = kAnimRepeatFreeze; break;
    default: repeat = 0; break;
  }
  const int blendMode = row.BlendIn == 1 ? 0 : 1;
  const float speed = setAnimation ? kSetBlend : kStateBlend;
  // A change inside an animation group keeps the frame it has reached.
  const bool inGroup = row.Group != 0 && row.Group == playedGroup && anim->GetChannelSet(0) != nullptr;
  if (inGroup)
    anim->StartAnimAtFrame(0, set, repeat, anim->GetChannelFrame(0), blendMode, speed);
  else
    anim->StartAnim(0, set, repeat, blendMode, speed);
  playedState = state;
  playedGroup = row.Group;
  animHold = 0;
  switch (row.EndMode) {
    case END_HOLD: unitFlags |= UNITF_ANIM_FINISHED; break;
    case END_ONCE_LOCK: unitFlags |= UNITF_ANIM_LOCK; break;
    case END_ONCE_UNLOCK:
    case END_ONCE_UNLOCK2: unitFlags &= ~UNITF_ANIM_LOCK; break;
    default: break;
  }
}

void CHLOGrunt::SetUpperBodyState(int state) {
  if (state < 0 || state >= UPPER_BODY_STATE_COUNT) return;
  networkWords[0] &= ~0x1u;
  upperBodyState = state;
  PlayUpperBodyAnim();
}

void CHLOGrunt::PlayUpperBodyAnim() {
  CAnimObject* anim = GetAnimObject();
  soldierFlags &= ~0x1u;
  if (anim == nullptr) return;
  const UpperBodyStateRow& row = UpperBodyStateRowOf(upperBodyState);
  AnimSet* set = nullptr;
  if (row.WeaponAnim >= 0)
    set = GetAnimation(row.WeaponAnim, 2);
  else if (row.Slot != ANIM_SLOT_NONE)
    set = GetAnimSlot(row.Slot);
  if (set == nullptr) {
    // Nothing for the arms: the upper body follows the whole body.
    if (anim->GetChannelSet(1) != nullptr) anim->StartAnim(1, nullptr, 0, 1, kStateBlend);
    return;
  }
  const std::int32_t repeat =
      row.EndMode == END_LOOP ? kAnimRepeatLoop : row.EndMode == END_FREEZE ? kAnimRepeatFreeze : 0;
  anim->StartAnim(1, set, repeat, 1, kStateBlend);
  // A once-played upper-body animation ends its state (upper-body event 25).
  if (repeat == 0) soldierFlags |= 0x1u;
}

void CHLOGrunt::SetAnimSpeedScale(float factor) {
  if (factor <= 0.0f) return;
  if (factor >= 1.0f) {
    ResetAnimSpeed();
    return;
  }
  if (CAnimObject* anim = GetAnimObject()) anim->Channels[0].Rate = factor;
}

void CHLOGrunt::ResetAnimSpeed() {
  if (CAnimObject* anim = GetAnimObject()) anim->Channels[0].Rate = 1.0f;
}

void CHLOGrunt::UpdateMoveSpeed(float) {
  float s = MovementStateRowOf(movementState).Speed;
  // A follower on its route catches up while it is not drawn.
  if (order == FOLLOW_LEADER && action == ACTION_FOLLOW_ROUTE) {
    std::uint32_t undrawn = FramesSinceDrawn();
    if (undrawn > 100) undrawn = 100;
    s += 5.0f * static_cast<float>(undrawn);
  }
  s *= moveSpeedFactor;
  if (health < 0.3f * GetMaxHealth()) s *= 0.7f;
  speed = s;
}

float CHLOGrunt::GetTurnRate() { return MovementStateRowOf(movementState).TurnRate; }
