// The unit: the common base of the two kinds of world object that think and
// fight, soldiers and vehicles.  Beyond the world-object base it has health,
// a movement controller with gravity, a route request, where and how it was
// spawned (so that it can be put back), its waypoint and destination, its
// order and action, its alertness, awareness of up to three targets, head
// rotation and a word of unit flags.  Its 47 virtual operations are the
// interface that the soldier and vehicle code, the script functions and the
// update scheduler call; slots 0-12 are the world object's.  A unit is never
// made alone: the soldier's and the vehicle's constructors make their base.
// Main thread only.
//
// Positions are world units (centimetres), y up; rotations are degrees
// (pitch, yaw, roll); times are game-clock milliseconds.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "units/base/unit_types.h"
#include "world/objects/chlo.h"
#include "world/routes/move_controller.h"
#include "world/routes/route_path.h"

class CInventoryItem;
class CLocalPlayer;

// One target the unit knows of (the awareness code fills it).
struct UnitAwareness {
  CHLO* Target = nullptr;
  float Concern = 0.0f;
  std::uint32_t ThreatTime = 0;
  std::uint32_t Level = 0;
  std::uint32_t Words[2] = {};
};

// The running number of units made since the program started.
extern std::uint32_t g_UnitSerialCounter;

class CUnit : public CHLO {
 public:
  // Slots 0-12 (the world object's) with the unit's behaviour.
  // The unit base step: clears holdUntil once the clock has passed it, and
  // recentFlag 60000 ms after it was raised.
  void Update() override;
  // The world object's activation (the scheduler's cursors are told first);
  // activating also stamps the movement controller with the current frame.
  void SetActive(int flag) override;
  bool IsUnit() override { return true; }
  void Hit(const CVector3&, float, CHLO*) override {}
  bool LethalHit(float, int, CHLO*) override { return false; }
  void HandleMessage(std::uint32_t) override {}
  int AcceptsSphereEvent(const void*) override { return 0; }
  void OnSphereEvent(const void*) override {}
  // Raises the movement controller's world-changed flag.
  void OnWorldChanged() override;

  // Slots 13-46.
  // Ignored while the action is FOLLOW_ROUTE, ROUTE_SCANNING or
  // WAITING_FOR_ROUTER; else stores the waypoint and sets the destination to
  // it (mode 1), or clears the destination mode for -1.
  virtual void SetWaypoint(std::int32_t index);
  // Adds to health, never beyond GetMaxHealth; a positive amount raises
  // event 11 with the unit's id.
  virtual void AddHealth(float amount);
  // Damage: the rules of the mission result, death, the network role and
  // invulnerability (see the source); kills credit a local soldier source.
  virtual void TakeDamage(float amount, CHLO* source);
  // Back to the state of the spawn: orders, alertness, place, health, waypoint.
  virtual void ResetToSpawn();
  virtual bool IsCivilian() { return false; }
  virtual bool CanFight() { return !IsCivilian(); }
  virtual int Can(int) { return 0; }
  virtual void GetFacing(CVector3*) {}
  virtual int GetJointPoint(int, CVector3*) { return 0; }
  virtual float GetSkillFactor(int) { return 1.0f; }
  virtual float GetSkillModifier(int, float value) { return value; }
  virtual int IsOnLadder() { return 0; }
  virtual int GetStateCode() { return -1; }
  virtual void ResumeState() {}
  virtual int HasWeaponInHand() { return 0; }
  virtual int RequestState(int) { return 0; }
  virtual CInventoryItem* GetCurrentItem() { return nullptr; }
  virtual void SetFlag100(int) {}
  virtual int HasFlag100() { return 0; }
  virtual int IsAtFormationRouteEnd() { return 0; }
  virtual void Reserved(int, int) {}
  virtual int FollowLeader() { return 0; }
  virtual float GetTurnRate() { return 0.0f; }
  virtual void FollowRouteStep() {}
  virtual void FollowLeaderStep() {}
  virtual int ScanNearbyUnits() { return 0; }
  virtual void UpdateFormation() {}
  virtual CUnit* GetLeader() { return nullptr; }
  virtual void TrackLeader(CUnit*) {}
  virtual CInventoryItem* GetMountedWeapon() { return nullptr; }
  virtual float GetHealthFraction() { return 1.0f; }
  virtual void UpdateMoveSpeed(float) {}
  // Whether this machine sends the unit's state over the network.
  virtual int SendsNetState();
  // Limits the pitch (first component) to [-50 x factor, 50 x factor].
  virtual void ClampHeadPitch(CVector3* rotation, float factor);

  ~CUnit() override;

  // What the update scheduler runs, besides the slots.  Soldiers of the local
  // side take their every-frame step each frame; a scheduled soldier runs its
  // pre-think step, and, unless it is in a state that skips thinking, its
  // order step, its target search when one is due and its AI think.  A
  // scheduled vehicle runs Think, then (when not busy) the target search of
  // an air vehicle and its AI step.
  virtual void EveryFrameStep() {}
  virtual void PreThink() {}
  virtual bool SkipsThinking() { return false; }
  virtual void OrderStep() {}
  virtual bool TargetSearchDue() { return false; }
  virtual void TargetSearch() {}
  virtual void AIThink() {}
  virtual bool IsBusy() { return false; }
  virtual bool IsAirVehicle() { return false; }
  virtual void VehicleAIStep() {}

  // The health word of the stats record (0 for a record that is not a
  // soldier or vehicle kind); a target's is its construction health.
  float GetMaxHealth() const;
  // Stores the destination, the position it is set from, and the straight
  // distance between them.
  void SetDestination(const CVector3& point);
  // Within radius of the destination, or farther from the start than the
  // destination was (it has been passed).
  bool HasArrived(float radius) const;
  // A named source becomes the last attacker, stamped with the time.
  void NoteAttacker(CHLO* source);
  bool IsDamageable() const { return (unitFlags & (UNITF_INVULNERABLE | UNITF_INVULNERABLE_2)) == 0; }
  // The two sides are hostile and the units within 8000 (10000 for a
  // soldier in a vehicle).
  bool IsHostileInRange(CHLO* other);
  void SetHeadRotation(const CVector3& rotation);
  void AddHeadRotation(const CVector3& delta);
  // The animation override of states 11-16 (A) and 18-19 (B); 0 otherwise.
  std::uint16_t GetStateAnimOverride(int state) const;
  bool WasDrawnRecently() const { return FramesSinceDrawn() < 2; }
  void SetStanceAIEnabled(std::uint32_t v) { stanceAIEnabled = v; }
  void SetNerve(std::int32_t v) { nerve = v; }
  void RestoreNerve() { nerve = baseNerve; }
  void SetHeavyWeapon(std::uint32_t v) { heavyWeapon = v; }
  std::uint32_t GetTimeSinceAction() const;
  // Sets the base alertness and raises the alertness to it when lower.
  void SetBaseAlertness(std::int32_t value);
  void SetAlertness(std::int32_t value);
  // The invulnerable and AI-on bits from the player-side damage switch and
  // the scheduler's AI switches (also run when the damage switch changes).
  void InitialiseUnitFlags();
  bool IsDead() const { return health <= 0.0f; }
  // A soldier riding a vehicle (the soldier answers).
  virtual bool IsRiding() const { return false; }

  // --- Fields --------------------------------------------------------------------
  float health = 0.0f;
  float lastHealthFraction = 1.0f;
  CMoveController moveController;
  float spawnHealth = 0.0f;
  std::int32_t spawnWaypoint = -1;
  CVector3 spawnPosition{};
  CVector3 spawnRotation{};
  CEnvInstance* spawnGround = nullptr;
  std::int32_t spawnAlertness = SLEEPING;
  std::int32_t spawnBaseAlertness = SLEEPING;
  std::int32_t waypoint = -1;
  CVector3 destination{};
  std::int32_t destinationMode = 0;  // 0 none, 1 a waypoint, 2 a route's end
  CHLO* huntTarget = nullptr;
  std::uint32_t holdUntil = 0;
  float destinationDistance = 0.0f;
  CVector3 destinationStart{};
  std::uint32_t lastNoiseTime = 0;
  std::uint32_t nextCallTime = 0;
  std::uint32_t stateFlagA = 0, stateFlagADone = 0;
  std::uint32_t stateFlagB = 0, stateFlagBDone = 0;
  std::int32_t scriptAnimIndex = 0;
  std::uint32_t scriptAnimSet = 0;
  float nearestEnemyDistance = 1e7f;
  float nearestMarkerDistance = 0.0f;
  std::uint32_t nearestEnemyTime = 0;
  std::uint32_t unitFlags = 0;
  std::uint32_t serial = 0;
  UnitAwareness awareness[3];
  std::int32_t alertness = SLEEPING;
  std::int32_t baseAlertness = SLEEPING;
  std::int32_t nerve = 0, baseNerve = 0;
  float viewAngle = 0.0f;
  float viewAngleVertical = 0.0f;
  float visionValues[3] = {};
  float hearingFactor = 1.0f;
  std::uint32_t lastTargetSeenTime = 0;
  std::uint32_t huntStartTime = 0;
  std::uint32_t alertnessLoweredTime = 0;
  std::uint32_t alertnessRaisedTime = 0;
  std::uint32_t nextGlanceTime = 0;
  CVector3 desiredHeadRotation{};
  CVector3 headRotationOffset{};
  std::uint32_t aimWords[5] = {};
  std::int32_t stance = STANCE_WALK;
  std::uint16_t stateAnimOverrideB = 0, stateAnimOverrideA = 0;
  float fleeThreshold = 0.0f;
  CVector3 basePosition{};
  CVector3 baseRotation{};
  std::int32_t baseStance = STANCE_WALK;
  CVector3 formationPosition{};
  CVector3 homePosition{};
  CRoutePath routePath;
  std::int32_t order = FOLLOW_WAYPOINTS;
  std::int32_t action = ACTION_HOLD_POSITION;
  std::uint32_t actionTime = 0;
  std::uint32_t orderTime = 0;
  std::int32_t previousOrder = FOLLOW_WAYPOINTS;
  std::int32_t previousAction = ACTION_HOLD_POSITION;
  std::uint32_t waypointLeaveTime = 0;
  float unarmedRange = 0.0f;
  float rangeOverride = 0.0f;
  float engageRange = 0.0f;
  std::uint32_t rangeShrinking = 0;
  float rangeStep = 0.0f;
  CVector3 waypointOffset{};
  CLocalPlayer* player = nullptr;
  std::uint32_t scriptMoveTime = 0;
  CHLO* currentTarget = nullptr;
  std::uint32_t counterA = 1;
  std::uint32_t searchBlocked = 0;
  std::uint32_t lastDamageTime = 0;
  CUnit* lastAttacker = nullptr;
  std::uint32_t nextRangeStepTime = 0;
  CVector3 scriptMovePoint{};
  std::uint32_t wanderOnIdle = 0;
  std::uint32_t stanceAIEnabled = 1;
  std::uint32_t heavyWeapon = 0;
  CHLO* coverObject = nullptr;
  std::uint32_t recentFlag = 0, recentFlagTime = 0;
  float arrivalState = 0.0f;
  std::int32_t routeMarker = -1;
  std::uint32_t reportRouteEnd = 0;
  CUnit* nearestEnemy = nullptr;
  // The route arrival word: 0 while the unit still walks its route.
  std::uint32_t routeArrived = 0;
  // The unit's speed (units per second) and the base float the movement
  // step compares with its limits.
  float speed = 0.0f;
  float moveValue = 0.0f;
  // A word the movement step tests (set on the host).
  std::uint32_t hostMark = 0;
  // The time a blast flattened the unit (the recovery event waits 3000 ms).
  std::uint32_t flattenedTime = 0;
  std::uint32_t settleTime = 0;
  // The unit's sound bank (null: none).
  const void* soundBank = nullptr;

 protected:
  // Builds the base from the spawn record and its stats record (which may be
  // null); only the soldier's and the vehicle's constructors call it.
  CUnit(const HLOSpawnRecord& record, const void* stats);
  // Construction step 7, also run by ResetToSpawn: the friendly take
  // HOLD_POSITION_AND_LOOK_FOR_TARGETS and ALARMED, the others
  // FOLLOW_WAYPOINTS and SLEEPING.
  void SetInitialOrderAndAlertness();
  // The credit of a kill this unit (the source of the damage) made, outside
  // the base's own bookkeeping: nothing here; the soldier earns experience,
  // counts the kill and speaks.
  virtual void CreditKill(CUnit* victim) { (void)victim; }
};

// Where a unit's level record keeps its own values (the game-object record's
// behaviour block, each -1000.0 when unset): the three vision values, the
// two skill values, the engagement range (metres), the reaction value and
// the reaction delay (seconds).
enum SpawnValue : int {
  SPAWN_VISION_0 = 0,
  SPAWN_VISION_1 = 1,
  SPAWN_VISION_2 = 2,
  SPAWN_SKILL_A = 3,
  SPAWN_SKILL_B = 4,
  SPAWN_RANGE = 5,
  SPAWN_REACTION = 6,
  SPAWN_REACTION_DELAY = 7,
};
inline constexpr float kUnsetSpawnValue = -1000.0f;

// The range value of a spawn record times 100, or 0 for the unset -1000.
float SpawnRangeValue(const HLOSpawnRecord& record);
// The waypoint a spawn record gives (its further id; -1 none).
std::int32_t SpawnWaypoint(const HLOSpawnRecord& record);
