#include "units/base/unit.h"

#include <algorithm>
#include <cmath>

#include "shell/mission/mission.h"
#include "shell/stats/stats_kind.h"
#include "sound/sound_manager.h"
#include "units/base/hlo_scheduler.h"
#include "units/base/side_hostility.h"
#include "units/base/unit_events.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_waypoints.h"
#include "world/objects/hlo_spawn_record.h"

std::uint32_t g_UnitSerialCounter = 0;

namespace {

constexpr float kTargetHealth = 100.0f;
constexpr float kUnitGravity = 9.81f;
constexpr std::uint32_t kRecentFlagLife = 60000;
constexpr float kHostileRange = 8000.0f;
constexpr float kHostileRangeRiding = 10000.0f;

float DistanceSquared(const CVector3& a, const CVector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

float SpawnRangeValue(const HLOSpawnRecord& record) {
  const float v = record.bounds[SPAWN_RANGE];
  return v == kUnsetSpawnValue ? 0.0f : v * 100.0f;
}

std::int32_t SpawnWaypoint(const HLOSpawnRecord& record) { return record.furtherId; }

// Construction, in the order of the unit's steps (the world-object base has
// made the visual from the record already).
CUnit::CUnit(const HLOSpawnRecord& record, const void* stats) : CHLO(record, stats, record.statsName) {
  SetCrawlAllowed(1);
  holdUntil = 0;
  recentFlag = 0;
  spawnWaypoint = SpawnWaypoint(record);
  spawnGround = GroundRoot;

  switch (StatsKindOf(stats)) {
    case STATS_HUMAN:
    case STATS_MACHINE: health = StatsBaseHealth(stats); break;
    case STATS_TARGET: health = kTargetHealth; break;
    default: health = 0.0f; break;
  }
  spawnHealth = health;
  player = nullptr;

  spawnPosition = Instance != nullptr ? GetPosition() : record.position;
  if (Instance != nullptr)
    GetRotation(spawnRotation);
  else
    spawnRotation = record.rotation;

  waypoint = spawnWaypoint;
  previousAction = action = ACTION_HOLD_POSITION;
  SetDestination(spawnPosition);

  destinationMode = 0;
  stateFlagA = stateFlagADone = stateFlagB = stateFlagBDone = 0;

  SetInitialOrderAndAlertness();
  spawnAlertness = alertness;
  spawnBaseAlertness = baseAlertness;
  huntTarget = nullptr;

  moveController.SetGravity(kUnitGravity);
  nearestEnemyDistance = 1e7f;
  nearestEnemyTime = UnitGameTime();
  serial = g_UnitSerialCounter++;

  rangeOverride = engageRange = SpawnRangeValue(record);

  unitFlags = 0;
  InitialiseUnitFlags();
  unitFlags |= UNITF_CONSTRUCTED;

  stanceAIEnabled = 1;
  counterA = 1;
  homePosition = formationPosition = spawnPosition;
  lastHealthFraction = 1.0f;
  routeMarker = -1;
}

CUnit::~CUnit() = default;

void CUnit::SetInitialOrderAndAlertness() {
  if (IsFriendly()) {
    order = previousOrder = HOLD_POSITION_AND_LOOK_FOR_TARGETS;
    alertness = baseAlertness = ALARMED;
  } else {
    order = previousOrder = FOLLOW_WAYPOINTS;
    alertness = baseAlertness = SLEEPING;
  }
}

void CUnit::InitialiseUnitFlags() {
  if (PlayerDamageSwitch() == 1) {
    unitFlags &= ~UNITF_INVULNERABLE;
  } else if (Side == g_HLOLocalSide || !SidesHostile(Side, g_HLOLocalSide)) {
    unitFlags |= UNITF_INVULNERABLE;
  } else {
    unitFlags &= ~UNITF_INVULNERABLE;
  }
  if (g_HLOScheduler != nullptr) {
    const bool on = IsFriendly() ? g_HLOScheduler->friendlyAI == 1 : g_HLOScheduler->enemyAI == 1;
    if (on)
      unitFlags |= UNITF_AI_ON;
    else
      unitFlags &= ~UNITF_AI_ON;
  }
}

void CUnit::Update() {
  const std::uint32_t now = UnitGameTime();
  if (now > holdUntil) holdUntil = 0;
  if (recentFlag == 1 && now - recentFlagTime > kRecentFlagLife) {
    recentFlag = 0;
    recentFlagTime = 0;
  }
}

void CUnit::SetActive(int flag) {
  if (g_HLOScheduler != nullptr && ((Flags & HLOF_ACTIVE) != 0) != (flag != 0)) g_HLOScheduler->OnActivation(this);
  CHLO::SetActive(flag);
  if (flag) moveController.StampFrame();
}

void CUnit::OnWorldChanged() { moveController.StateChanged = 1; }

void CUnit::SetWaypoint(std::int32_t index) {
  if (action == ACTION_FOLLOW_ROUTE || action == ACTION_ROUTE_SCANNING || action == ACTION_WAITING_FOR_ROUTER) return;
  waypoint = index;
  if (index == -1) {
    destinationMode = 0;
    return;
  }
  SetDestination(g_EnvWaypoints != nullptr ? g_EnvWaypoints->GetWaypointPosition(index) : CVector3{});
  destinationMode = 1;
}

float CUnit::GetMaxHealth() const {
  // A target has no base record: its maximum is the health it was made with.
  if (StatsKindOf(Stats) == STATS_TARGET) return spawnHealth;
  return StatsBaseHealth(Stats);
}

void CUnit::AddHealth(float amount) {
  health += amount;
  const float most = GetMaxHealth();
  if (health > most) health = most;
  if (amount > 0.0f) RaiseUnitEvent(MEV_UNIT_HEALED, Id);
}

void CUnit::TakeDamage(float amount, CHLO* source) {
  if (CurrentMissionResult() == MISSION_SUCCEEDED && IsFriendly()) return;
  if (health <= 0.0f) return;
  // A client only subtracts: the host decides deaths.
  if (UnitIsClient() && source != nullptr) {
    health -= amount;
    return;
  }
  if (!IsDamageable()) return;
  health -= amount;
  if (amount > 0.0f) RaiseUnitEvent(MEV_UNIT_DAMAGED, Id);
  NoteAttacker(source);
  const bool dies = UnitNetworkGame() ? health <= 1.0f : health <= 0.0f;
  if (!dies) return;
  health = 0.0f;
  if (g_SoundManager != nullptr) g_SoundManager->StopSample(SoundEmitterId);
  // Kill credit, for a soldier of the local player's side.
  if (source != nullptr && source->Kind == HLO_GRUNT && source->IsUnit() && source->IsFriendly())
    static_cast<CUnit*>(source)->CreditKill(this);
}

void CUnit::ResetToSpawn() {
  SetInitialOrderAndAlertness();
  baseAlertness = spawnBaseAlertness;
  if (alertness < spawnAlertness) alertness = spawnAlertness;
  if (Instance != nullptr) Instance->SetPosition(spawnPosition, false);
  SetRotation(spawnRotation);
  destination = spawnPosition;
  destinationMode = 0;
  health = spawnHealth;
  waypoint = spawnWaypoint;
  InheritGroundLights();
  SetActive(1);
  SetGroundRoot(spawnGround);
  SetGroundInstance(spawnGround);
  if (Instance != nullptr && Instance->Parent != nullptr) Instance->SetTransformMode(TRANSFORMMODE_WORLD, 0);
}

int CUnit::SendsNetState() {
  if (!UnitNetworkGame()) return 0;
  if (UnitIsHost()) return Can(1) == 0 && !IsEnemy() ? 1 : 0;
  if (UnitIsClient()) return Can(1) == 0 ? 1 : 0;
  return 0;
}

void CUnit::ClampHeadPitch(CVector3* rotation, float factor) {
  rotation->x = std::clamp(rotation->x, -50.0f * factor, 50.0f * factor);
}

void CUnit::SetDestination(const CVector3& point) {
  destination = point;
  destinationStart = Instance != nullptr ? GetPosition() : spawnPosition;
  arrivalState = 0.0f;
  destinationDistance = std::sqrt(DistanceSquared(destination, destinationStart));
}

bool CUnit::HasArrived(float radius) const {
  const CVector3 at = GetPosition();
  if (DistanceSquared(at, destination) <= radius * radius) return true;
  return DistanceSquared(at, destinationStart) > destinationDistance * destinationDistance;
}

void CUnit::NoteAttacker(CHLO* source) {
  if (source == nullptr) return;
  lastAttacker = source->IsUnit() ? static_cast<CUnit*>(source) : nullptr;
  lastDamageTime = UnitGameTime();
}

bool CUnit::IsHostileInRange(CHLO* other) {
  if (other == nullptr || !SidesHostile(Side, other->Side)) return false;
  const float range = Kind == HLO_GRUNT && IsRiding() ? kHostileRangeRiding : kHostileRange;
  return DistanceSquared(GetPosition(), other->GetPosition()) < range * range;
}

void CUnit::SetHeadRotation(const CVector3& rotation) {
  desiredHeadRotation = rotation;
  ClampHeadPitch(&desiredHeadRotation, 1.0f);
  desiredHeadRotation.y = std::clamp(desiredHeadRotation.y, -45.0f, 45.0f);
}

void CUnit::AddHeadRotation(const CVector3& delta) {
  headRotationOffset = {headRotationOffset.x + delta.x, headRotationOffset.y + delta.y, headRotationOffset.z + delta.z};
  ClampHeadPitch(&headRotationOffset, 1.0f);
  headRotationOffset.y = std::clamp(headRotationOffset.y, -45.0f, 45.0f);
  headRotationOffset.z = std::clamp(headRotationOffset.z, -40.0f, 40.0f);
}

std::uint16_t CUnit::GetStateAnimOverride(int state) const {
  if (state >= 11 && state <= 16) return stateAnimOverrideA;
  if (state == 18 || state == 19) return stateAnimOverrideB;
  return 0;
}

std::uint32_t CUnit::GetTimeSinceAction() const { return UnitGameTime() - actionTime; }

void CUnit::SetBaseAlertness(std::int32_t value) {
  baseAlertness = value;
  if (alertness < value) SetAlertness(value);
}

void CUnit::SetAlertness(std::int32_t value) {
  const std::uint32_t now = UnitGameTime();
  if (value > alertness) alertnessRaisedTime = now;
  if (value < alertness) alertnessLoweredTime = now;
  alertness = value < baseAlertness ? baseAlertness : value;
}
