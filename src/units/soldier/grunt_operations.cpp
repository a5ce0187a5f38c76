// The soldier's small operations that other code and the script functions
// call: the body rotation offset, the torso's remaining turn, health
// questions, the aim modes of the movement state, the visible target joints,
// walking a side's list, the movement reset, whether the soldier may fire,
// planting progress and the split-screen squad number.
#include <algorithm>
#include <cmath>
#include <vector>

#include "control/viewport_config.h"
#include "foundation/maths/random_tables.h"
#include "foundation/system/not_built_yet.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/weapon_stats.h"
#include "units/base/side_hostility.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr int kSides = 4;

float LengthOf(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

// Upper-body states in which a soldier whose movement state allows weapons may fire.
bool UpperBodyMayFire(std::int32_t state) {
  return (state >= 0 && state <= 4) || (state >= 10 && state <= 13) || (state >= 15 && state <= 20) ||
         (state >= 26 && state <= 29);
}

// The split-screen squad of a soldier that has neither capability 7 nor 8,
// by its role (-1 none) and the player count.
std::uint32_t SquadOfRole(int role, int players) {
  switch (players) {
    case 2: return (role == 0 || role == 2) ? 0u : 1u;
    case 3: return role == 0 ? 1u : role == 2 ? 2u : 0u;
    case 4: return role == 1 ? 1u : role == 2 ? 2u : role == 3 ? 3u : 0u;
    default: return 0u;
  }
}

}  // namespace

float CHLOGrunt::GetAimSteadiness() { return (Can(1) && stance == STANCE_CRAWL) ? 0.75f : 1.0f; }

void CHLOGrunt::SetBodyRotation(const CVector3& rotation) {
  bodyRotation = rotation;
  if (Instance != nullptr) {
    CVector3 r{};
    GetRotation(r);
    const float k = GetAimSteadiness();
    Instance->SetRotationDirect({r.x + rotation.x * k, r.y + rotation.y * k, r.z + rotation.z * k});
  }
  rotationChanged = 1;
}

float CHLOGrunt::GetRemainingTorsoTurn() const {
  return LengthOf(desiredTorsoRotation.x - torsoRotation.x, desiredTorsoRotation.y - torsoRotation.y,
                  desiredTorsoRotation.z - torsoRotation.z);
}

void CHLOGrunt::ClearBodyRotations() {
  torsoRotation = {0.0f, 0.0f, 0.0f};
  desiredTorsoRotation = {0.0f, 0.0f, 0.0f};
  headRotation = {0.0f, 0.0f, 0.0f};
}

void CHLOGrunt::RequestRerouteAll() {
  if (g_HLOManager == nullptr) return;
  for (int side = 0; side < kSides; ++side) {
    for (CHLO* o = g_HLOManager->FirstActive(side, HLO_GRUNT); o != nullptr; o = o->Next) {
      auto* soldier = static_cast<CHLOGrunt*>(o);
      if (soldier->action == ACTION_FOLLOW_ROUTE) soldier->pendingRoute = 1;
    }
  }
}

bool CHLOGrunt::IsBadlyHurt() { return GetHealthFraction() < retreatThreshold; }

bool CHLOGrunt::IsWoundedForHealing() {
  const float fraction = GetHealthFraction();
  return fraction < 1.0f && GetMaxHealth() - health >= healingStep;
}

bool CHLOGrunt::StateHasAimMode1() const {
  const std::int32_t code = MovementStateRowOf(movementState).Code;
  return code == 0 || code == 1;
}

bool CHLOGrunt::StateHasAimMode2() const {
  const std::int32_t code = MovementStateRowOf(movementState).Code;
  return code == 0 || code == 2;
}

int CHLOGrunt::CountVisibleTargetJoints() const {
  int count = 0;
  for (int joint = 1; joint <= 19; ++joint) count += (visibleJoints >> joint) & 1u;
  return count;
}

bool CHLOGrunt::AnyTargetJointVisible() const { return CountVisibleTargetJoints() != 0; }

float CHLOGrunt::GetTargetVisibility() const {
  if (currentTarget == nullptr || currentTarget->Kind != HLO_GRUNT) return 1.0f;
  // Over 21 although only joints 1 to 19 are counted: a soldier seen whole
  // reads 19/21.
  return static_cast<float>(CountVisibleTargetJoints()) / 21.0f;
}

CHLOGrunt* CHLOGrunt::GetNextOnSide(bool wrap) {
  if (Next != nullptr) return static_cast<CHLOGrunt*>(Next);
  if (!wrap || g_HLOManager == nullptr) return nullptr;
  return static_cast<CHLOGrunt*>(g_HLOManager->FirstActive(Side, HLO_GRUNT));
}

CHLOGrunt* CHLOGrunt::GetPreviousOnSide() {
  if (g_HLOManager == nullptr) return nullptr;
  CHLO* previous = nullptr;
  for (CHLO* o = g_HLOManager->FirstActive(Side, HLO_GRUNT); o != nullptr; o = o->Next) {
    if (o == this) return static_cast<CHLOGrunt*>(previous);
    previous = o;
  }
  return nullptr;
}

void CHLOGrunt::ResetMovementState() {
  stuckMeter = 0.0f;
  pendingFormation = 0;
  if ((Flags & HLOF_ACTIVE) != 0 && vehicle == nullptr && !IsOnLadder()) DropToGround(0.0f);
}

void CHLOGrunt::LeaveLadder() {
  ladderIndex = -1;
  if (itemInHand != nullptr) NotBuiltYet("soldier ladder: hiding the weapon model");
}

CHLOGrunt* CHLOGrunt::PickRandomEnemy(bool sameRegion) {
  if (g_HLOManager == nullptr) return nullptr;
  if (sameRegion) NotBuiltYet("soldier script regions: random enemy of the same region");
  std::vector<CHLOGrunt*> candidates;
  for (int side = 0; side < kSides; ++side) {
    if (SideHostility(Side, side) != 1) continue;
    for (CHLO* o = g_HLOManager->FirstActive(side, HLO_GRUNT); o != nullptr; o = o->Next) {
      auto* soldier = static_cast<CHLOGrunt*>(o);
      if (soldier->health != 0.0f) candidates.push_back(soldier);
    }
  }
  if (candidates.empty()) return nullptr;
  return candidates[static_cast<std::size_t>(RandomIntBelow(static_cast<int>(candidates.size())))];
}

bool CHLOGrunt::MayFireNow() {
  if (StateAllowsWeapon() && !UpperBodyMayFire(upperBodyState)) return false;
  if (C4Armed() && (unitFlags & UNITF_PLANTING) != 0) return false;
  return !IsOnLadder() && Can(16) == 0;
}

void CHLOGrunt::SetFormationToHere() {
  formationPosition = GetPosition();
  pendingFormation = 0;
}

namespace {
// The use time of the weapon record in hand, adjusted by the soldier's
// skill 3; 0 with nothing in hand.
float AdjustedUseTime(CHLOGrunt* soldier) {
  if (soldier->GetCurrentItem() == nullptr || soldier->handWeapon == nullptr) return 0.0f;
  return soldier->GetSkillModifier(3, static_cast<float>(soldier->handWeapon->Time11));
}
}  // namespace

bool CHLOGrunt::IsPlantingDone() {
  return static_cast<float>(plantStartTime) + AdjustedUseTime(this) < static_cast<float>(UnitGameTime());
}

float CHLOGrunt::GetPlantingProgress() {
  if (GetCurrentItem() == nullptr) return 0.0f;
  const float useTime = AdjustedUseTime(this);
  if (useTime <= 0.0f) return 1.0f;  // nothing to wait for (never a division by zero)
  const float progress = static_cast<float>(UnitGameTime() - plantStartTime) / useTime;
  return std::min(progress, 1.0f);
}

void CHLOGrunt::AssignSquadId() {
  squadId = 0;
  if (g_ViewportConfig.SplitScreen == 0) return;
  const int players = g_ViewportConfig.PlayerCount;
  if (Can(8)) {
    squadId = 1;
  } else if (Can(7)) {
    squadId = players == 2 ? 1u : 0u;
  } else {
    const HumanStats* kind = GetHumanStats();
    const int role = (kind == nullptr || kind->SoldierRole == 255) ? -1 : kind->SoldierRole;
    squadId = SquadOfRole(role, players);
  }
}
