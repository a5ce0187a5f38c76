// The soldier: the world object of kind 1 that the object factory makes from
// a soldier kind's stats record (and, for a squad member, a character
// record).  Two state machines run its body: the movement state (the whole
// body: standing, walking, kneeling, lying, climbing, riding, dying) and the
// upper-body state (the arms: lowered, aiming, throwing, reloading, optics,
// radio), both changed only through the rule tables; its stance chooses the
// posture, and its animations come from the animation slots through the
// soldier's state tables.  Main thread only.
//
// Positions are world units (centimetres), y up; rotations are degrees;
// times are game-clock milliseconds.
#pragma once

#include <cstdint>

#include "units/base/unit.h"
#include "units/soldier/soldier_state_tables.h"
#include "world/animation/anim_object.h"
#include "world/routes/move_controller.h"

struct AnimSet;
class CEffectInstance;
class CHLOVehicle;
class CWeapon;
struct WorldHit;
class CTexture;
struct CharSkinStats;
struct HumanStats;
struct WeaponStats;

// A joint-control record: a matrix the soldier puts on one joint.
using GruntJointControl = JointOverride;

// The soldier's program-wide words (speech and alarm bookkeeping, the shared
// mumble clock, the soldier counter); a level start resets them.
struct GruntGlobals {
  std::uint32_t SoldierCounter = 0;
  std::uint32_t NextMumbleTime = 0;
  std::uint32_t Switches[2] = {1, 1};
  std::uint32_t Times[10] = {};
};
extern GruntGlobals g_GruntGlobals;
// Resets the times and counters of the soldiers' shared words (level start).
void ResetGruntGlobals();
// The two shared clocks of the shout under fire (ResetGruntGlobals runs it).
void ResetGruntShoutClocks();

// The head-room check of the stance setters: whether a move of (0, 150, 0)
// from the soldier's position is blocked, with the controller mode given.
// The default asks the soldier's movement controller; tests put a probe of
// their own in its place (null restores the default).
using HeadRoomProbe = bool (*)(class CHLOGrunt* soldier, int mode);
void SetHeadRoomProbe(HeadRoomProbe probe);

// The damage feedback a soldier with a controlling player gets: the
// player's view flashes in the colour for the duration and the controller
// rumbles.  The screen effects and the controllers take it through a sink
// (tests record it); without one it is reported not built yet.
struct DamageFeedback {
  int Player = 0;            // the local player's index
  int FlashMs = 0;           // never below 0
  std::uint8_t Red = 255, Green = 0, Blue = 0;
  int RumbleEffect = 16;
  float RumbleStrength = 1.0f;
};
using DamageFeedbackSink = void (*)(const DamageFeedback& feedback);
void SetDamageFeedbackSink(DamageFeedbackSink sink);
// 500 ms less 750 ms per fraction of the maximum health taken (the fraction
// at most 1), never below 0: a hit of two thirds or more does not flash.
int DamageFlashDuration(float amount, float maxHealth);

class CHLOGrunt : public CUnit {
 public:
  // Builds the soldier (the construction steps, see the source) from its
  // spawn record, its soldier kind (null allowed) and an optional character
  // record (null for an ordinary soldier; squad members get theirs later).
  CHLOGrunt(const HLOSpawnRecord& record, const void* stats, const void* character = nullptr);
  ~CHLOGrunt() override;

  // --- Slots ------------------------------------------------------------------------------
  // The per-frame step: the unit base step and the two state steps (the rest
  // of the soldier's frame comes with its think and move step).
  void Update() override;
  bool IsFriendly() override;
  bool IsEnemy() override;
  int AcceptsSphereEvent(const void* event) override;
  float GetSphereEventScale() override { return sphereEventScale; }
  void SetWaypoint(std::int32_t index) override;
  void ResetToSpawn() override;
  bool IsCivilian() override;
  bool CanFight() override;
  int Can(int capability) override;
  void GetFacing(CVector3* out) override;
  int GetJointPoint(int joint, CVector3* out) override;
  int IsOnLadder() override;
  int GetStateCode() override { return squadWord; }
  void ResumeState() override;
  int HasWeaponInHand() override;
  int RequestState(int event) override;
  CInventoryItem* GetCurrentItem() override;
  void SetFlag100(int on) override;
  int HasFlag100() override { return (unitFlags & UNITF_FLAG_100) != 0; }
  float GetTurnRate() override;
  CUnit* GetLeader() override { return leader; }
  CInventoryItem* GetMountedWeapon() override;
  float GetHealthFraction() override;
  void UpdateMoveSpeed(float dt) override;
  bool IsRiding() const override { return vehicle != nullptr; }

  // The scheduler's steps (the soldier's scheduled think comes with its
  // frame; the stance think runs here already).
  void EveryFrameStep() override;
  void PreThink() override;

  // --- Movement and upper-body state steps ----------------------------------------
  // The upper-body table's cell (event, upperBodyState): -1 refuses (0, and
  // nothing changes); refused as well while the movement state takes the
  // whole body.  Otherwise the state is entered and 1 answered.
  int RequestUpperBodyState(int event);
  // The per-frame movement step: every event 0..106 with a trigger, in rising
  // order, against the current state, entering each state whose trigger
  // holds (so that transitions chain); then the idle variation and the
  // state's animation.  May move `position` (the ladder's top).
  void StepMovementState(CVector3* position, CVector3* rotation);
  // The per-frame upper-body step over events 0..25.
  void StepUpperBodyState();
  // Asks one random idle variation when one is due.
  void TryIdleVariation();
  bool IsIdleVariationDue();
  bool IsVehicleChatterDue();
  bool IsAimingMovementState() const;
  bool WantsToAim();
  bool IsUsingBinoculars();
  bool IsUsingLaserDesignator();
  bool IsUsingNightVision();
  bool IsUsingDetonator();
  bool IsUsingRadio();
  bool IsPlayerInputBlocked(int ignoreFourthPopup);
  bool IsMenuBlockingInput(int ignoreFourthPopup);
  bool IsVehicleGunner() const;
  bool CanLeaveVehicle() const;
  bool IsHoldingFire();

  // --- Animation lookup and state entry ------------------------------------------------
  // Kind 0: a movement animation by index (MoveAnim), through the alertness
  // and wound rules, the animation-set table and the knife's slots; kind 1
  // the animation of a slot; kind 2 a weapon animation of the item in hand
  // (0 aim .. 5 prone reload); kind 3 the override animation; others null.
  AnimSet* GetAnimation(int index, int kind);
  // The slot a movement animation index gives (the same rules as kind 0).
  int GetAnimationSlot(int index);
  bool StateAllowsWeapon() const;
  std::int32_t GetStateAnimationSlot() const;
  void SetMovementState(int state);
  // Plays the state's animation with its end mode; with `restart` 0 the
  // playing animation is kept when it is already the state's, and calm
  // friendly soldiers vary their idles.
  void PlayMovementAnim(int state, int restart);
  void SetUpperBodyState(int state);
  void PlayUpperBodyAnim();
  // Sets the lower-body channel's rate to the animation's own times the
  // factor (1.0 or more: its own rate; 0 or less: nothing).
  void SetAnimSpeedScale(float factor);
  void ResetAnimSpeed();
  std::int32_t GetMovementClass() const;
  // The animation set of what the soldier holds (0 with nothing in hand).
  void SetHandAnimationSet();

  // --- Stance ------------------------------------------------------------------------
  int SetStance(int stance, int probe);
  int ApplyStance(int stance, int probe);
  int RequestStance(int stance, int probe);
  // Whether the head room above the soldier is blocked (the shared check).
  bool HeadRoomBlocked(int mode);

  // --- Speech and small questions -------------------------------------------------------
  // Speaks `sample` (or `alternative` while holding fire or forced).
  void Speak(int sample, int alternative, int playerOnly, int aliveOnly, int positional, int forceAlternative);
  // A two-line exchange with a second soldier, streamed as one.
  void SayExchange(int line, int alternativeLine, CHLOGrunt* second, int secondLine, int secondAlternativeLine);
  // 255, 63 or 0: the blink of a speaking soldier's entry.
  int GetTalkBlinkAlpha() const;
  // The calm enemy's idle mumble (run from the senses step).
  void Mumble();
  // Squared distance to the nearest soldier of the local side, or a large value.
  float NearestLocalSoldierDistanceSquared() const;

  // --- Construction helpers and small operations -----------------------------------
  // Clears the transient state (used by construction and the reset to spawn).
  void ResetTransientState();
  void SetBodyScale(float height, float width, int remember);
  void RestoreBodyScale() { SetBodyScale(bodyHeightScale, bodyWidthScale, 0); }
  void SetCharacterSkin(const CharSkinStats* skin);
  // The flash and rumble of a hit, for a soldier a local player controls.
  void PlayDamageFeedback(float amount, CHLO* source);
  void KillQuietly();
  bool IsDeadAndExpired() const;
  bool IsRecentlyDead() const;
  bool IsJustKilled() const;
  void ScheduleDeathFollowUp();
  void ClearDamageRecord();
  // The soldier's animated object, or null without a visual.
  CAnimObject* GetAnimObject() const;
  const HumanStats* GetHumanStats() const;
  // Whether the full-body channel has finished (stopped) or reached its end.
  bool FullBodyAnimFinished() const;

  // The kill credit of a soldier of the local side (experience, counters, speech).
  void CreditKill(CUnit* victim) override;

  // --- Inventory: items and weapons carried (grunt_inventory.cpp, grunt_pickup.cpp) ---
  // Adds an item (ammunition merges into its weapon, a duplicate weapon's
  // rounds into the one held, medi-kits pool); answers what now holds it,
  // or null.  `initial` marks the starting inventory (duplicates reported,
  // nothing selected); `noSelect` keeps the hand as it is.
  CInventoryItem* AddItem(CInventoryItem* item, int initial, int noSelect);
  // Takes an item out (never a medi-kit or grenade); with placeInWorld it
  // lies at the soldier's ground, shown and collidable.  1 when removed.
  int RemoveItem(CInventoryItem* item, bool placeInWorld, bool forced);
  // Throws an item a little way in front (or puts an armed charge down with
  // `placed`); 1 when dropped.
  int DropItem(CInventoryItem* item, int placed);
  void DropAllItems(int keepFists);
  // Puts an item (null: nothing) in the hand.
  void SelectItem(CInventoryItem* item, bool forced);
  void SelectPreviousItem();
  bool HasUsableItem(bool skipKnives);
  CWeapon* FindWeaponOfClass(std::uint32_t weaponClass);
  CInventoryItem* FindItemById(std::int32_t id);
  CWeapon* FindSameWeapon(const CWeapon* weapon);
  CWeapon* FindWeaponForAmmo(const CInventoryItem* ammo);
  CInventoryItem* FindAmmoForWeapon(const CWeapon* weapon);
  CInventoryItem* GetMediKit();
  int InventoryCount() const;
  // Makes an item of a stats record and adds it (the starting inventory).
  CInventoryItem* CreateInventoryItem(const void* stats, int count = 1);
  // The items of the soldier kind's "UnitWpns.txt" rows, then the weapon in hand.
  void GiveStartingItems();
  void SetFaceItem(CHLO* item);
  bool GetFaceItem(CHLO** out) const;
  void CheckNightVision();
  // Picking up what lies in the world within 160 units, on the same ground.
  void PickUpItem(CInventoryItem* item);
  void PickUpAllInReach();
  CInventoryItem* FindNearestPickup();
  // The flight callbacks of a dropped item (callback codes 107 and 102).
  static void DroppedItemFollow(CEffectInstance* effect);
  static void DroppedItemStopped(CEffectInstance* effect, const WorldHit* hit);
  std::uint16_t bodyArmour = 0;
  std::uint16_t headArmour = 0;
  std::uint32_t itemSelectTime = 0;
  std::uint32_t netStateFlags = 0;
  std::uint32_t lastThrowTime = 0;
  std::uint32_t startingItemsOwed = 0;

  // --- Ground fit, collision shape, torso and head, small operations --------------------
  // (grunt_ground.cpp, grunt_turning.cpp, grunt_operations.cpp)
  // Tilts a lying body (posture class 0) or a dead one to the ground under
  // its head and feet; a lying soldier on ground steeper than 35 degrees
  // kneels.  Places the environment's marker instance (lying branch).
  // 1 when a lying soldier found ground under all three body points.
  int FitBodyToGround();
  // The movement controller's spheres and the instance's dynamic collision
  // box by posture (two spheres and the kneeling box for a friend standing
  // or kneeling; one sphere and the posture's box for an enemy).
  void UpdateCollisionShape();
  // A blocked walker gets a lift (the controller's target (0, 400, 0)) when
  // the way 50 units ahead is free at hip height; at most every second call.
  void TryStepOver(const CVector3& direction);
  CMoveController* GetMoveController() { return &moveController; }

  // Slot 46 (the soldier's aim-pitch clamp) on the rotation's first angle.
  void ClampHeadPitch(CVector3* rotation, float factor) override;
  // The pitch clamp: [-50 x scale, 50 x scale], one end replaced by the
  // torso's pitch while the aim elevation of the soldier kind is low.
  float ClampAimPitch(float angle, float scale);
  // The per-frame turn of torso and head toward their desired rotations at
  // the rates of the rules (see the source); rebuilds both joint matrices.
  void TurnTorsoAndHead();
  void SetDesiredTorsoRotation(const CVector3& rotation);
  void SetLookRotation(const CVector3& rotation);
  // Puts the soldier `distance` units from the point on the side opposite
  // the rotation's facing and turns it to the rotation.  keepHeight keeps the
  // soldier's own height; direct moves the instance without the ground drop.
  using CHLO::PlaceAt;
  void PlaceAt(const CVector3& point, float distance, const CVector3& rotation, int keepHeight, int direct);
  // The same, only when the ground below the new point lies within 20 units
  // of it (1 moved, 0 not).
  int PlaceAtOnGround(const CVector3& point, float distance, const CVector3& rotation, int keepHeight, int direct);

  // The soldier's body rotation offset (added to the world object's
  // rotation; named apart from the world object's own Get/SetRotation).
  void GetBodyRotation(CVector3* out) const { *out = bodyRotation; }
  void SetBodyRotation(const CVector3& rotation);
  float GetAimSteadiness();
  float GetRemainingTorsoTurn() const;
  void ClearBodyRotations();
  void ClearFacing() { facingWord = 0; }
  std::uint32_t GetFacingWord() const { return facingWord; }
  static void RequestRerouteAll();
  bool IsBadlyHurt();
  bool IsWoundedForHealing();
  bool StateHasAimMode1() const;
  bool StateHasAimMode2() const;
  int CountVisibleTargetJoints() const;
  bool AnyTargetJointVisible() const;
  // The visible target joints over 21 (so 19 seen reads 19/21); 1.0 when
  // the target is not a soldier.
  float GetTargetVisibility() const;
  CHLOGrunt* GetNextOnSide(bool wrap);
  CHLOGrunt* GetPreviousOnSide();
  void ResetMovementState();
  void LeaveLadder();
  // A random living soldier of a side hostile to this one's (null when
  // none); with sameRegion only those in the same script region.
  CHLOGrunt* PickRandomEnemy(bool sameRegion);
  bool MayFireNow();
  void SetFormationToHere();
  bool IsPlantingDone();
  // (game time - plantStartTime) over the adjusted use time, at most 1.0;
  // 1.0 when that time is 0 or less (never a division by zero).
  float GetPlantingProgress();
  void AssignSquadId();

  // Fields of this block (stepOverPending, rotationChanged, pendingRoute and
  // pendingFormation are the frame's, below).
  CGroundProbe heightProbes[3];    // downward height tests, one per body point
  CGroundProbe segmentProbes[3];   // segments from the body's centre to a body point
  CVector3 bodyRotation{};         // the body rotation offset
  CVector3 torsoRotation{};
  CVector3 desiredTorsoRotation{};
  CVector3 headRotation{};         // current; the desired one is the unit's desiredHeadRotation
  std::uint32_t networkTurnFlags = 0;  // 0x20 torso, 0x10 head: update even without a difference
  std::uint32_t alertTime = 0;     // the last time the soldier was alerted (head turns at a quarter 10 s after)
  std::uint32_t facingWord = 0;
  std::uint32_t plantStartTime = 0;
  float stuckMeter = 0.0f;
  std::int32_t collisionBox = -1;  // the biped box last given to the visual (0 prone, 1 kneel, 2 stand)
  CVector3 markerPosition{};       // where the lying branch last put the marker instance
  CVector3 markerRotation{};
  // Soldier values no stats column gives: the aim elevation (below 15 the
  // torso's pitch bounds the aim), the health fraction below which the
  // soldier counts as badly hurt, and the least missing health worth a heal.
  float aimElevation = 90.0f;
  float retreatThreshold = 0.25f;
  float healingStep = 25.0f;
  // --- The frame: per-frame update, scheduled think, think and move, actions ----------
  // (grunt_process.cpp, grunt_think.cpp, grunt_actions.cpp, grunt_use_step.cpp)
  bool TargetSearchDue() override { return MaySearchForTargets() != 0; }
  // Asks movement event `event` through RequestState (and traces it).
  int AskMovementEvent(int event);
  // Whether the movement table has a cell for the event in the current state.
  bool IsMovementEventAllowed(int event) const;
  bool IsDormant() const;
  int UpdateDormancy();
  CHLO* ReactToNearMiss();
  void ShoutUnderFire();
  int MaySearchForTargets();
  int IsBodyAtRest() const;
  void UpdateHeavyWeaponFlag();
  void ForgetDeadTargets();
  void StartPendingRoute();
  void PlayerUseStep();
  void UpdateActions();
  int ShouldAutoAim();
  void PredictJointPosition(std::uint32_t elapsedMs, int joint, CVector3* out);
  // One frame of turning the heading in `rotation` towards wanted.y: 1 once
  // within 2 degrees.
  int TurnTowards(CVector3* rotation, const CVector3& wanted);
  int FaceCurrentTarget();
  void RequestFlee(const CVector3& danger);
  void CheckFlee();
  void HeadStraightTo(const CVector3& point);
  // The item in hand's kind and class through the item links (-1 unknown).
  int HandItemKind() const;
  int HandWeaponClass() const;

  // Words of the frame.
  std::uint32_t dormant = 0;
  float nearestLocalSoldierDistance = 1e7f;
  float nearestCameraDistance = 1e8f;
  std::uint32_t respawnPending = 0;
  std::uint32_t respawnTime = 0;
  std::uint32_t spawnProtectionUntil = 0;
  std::uint32_t groundSettle = 0;
  std::uint32_t groundSettleEnd = 0;
  std::int32_t controlTime = 0;         // ms summed while a local player controls the soldier
  std::uint32_t mapMarker = 0;
  std::uint32_t pendingRoute = 0;
  CVector3 pendingRouteDestination{};
  std::int32_t pendingRouteTolerance = 0;
  std::uint32_t pendingFormation = 0;
  CVector3 pendingFormationPosition{};
  std::uint32_t weaponReady = 0;
  std::uint32_t facingTarget = 0;
  std::uint32_t facingStartTime = 0;
  std::uint32_t fleeRequest = 0;
  CVector3 dangerPoint{};
  float steerValue = 0.0f;
  std::uint32_t specialSurface = 0;
  std::uint32_t stepOverPending = 0;
  std::uint32_t throwPending = 0;
  std::uint32_t nextTargetSearchTime = 0;
  std::uint32_t partnerWord = 0;
  std::uint32_t movedThisFrame = 0;
  std::uint32_t rotationChanged = 0;
  std::uint32_t lastFiredTime = 0;
  float fallHeight = 0.0f;
  std::uint32_t collisionMask = 0;
  CVector3 velocityDirection{};        // a unit vector, or zero while the soldier stands
  void* quadLeaf = nullptr;            // the world quad tree's leaf under the soldier


  // --- Fields ----------------------------------------------------------------------------
  std::uint32_t networkDamageBlockUntil = 0;
  std::uint32_t networkWords[2] = {};
  std::int32_t initialStance = STANCE_WALK;
  CVector3 referencePosition{};
  std::uint32_t callTime = 0;
  CHLO* faceItem = nullptr;
  float pendingDamage = 0.0f;
  CHLO* pendingDamageSource = nullptr;
  std::int32_t movementState = MS_STAND_IDLE;
  std::uint32_t movementAnimStart = 0;
  CHLOVehicle* vehicle = nullptr;
  std::uint32_t interactionStart = 0;
  CHLO* interactionPartner = nullptr;
  std::int32_t upperBodyState = 0;
  float moveSpeedFactor = 1.0f;
  std::uint32_t movementEventSeen = 0;
  CHLOGrunt* leader = nullptr;
  float statsSkillA = 0.0f;
  float statsSkillB = 0.5f;
  CInventoryItem* itemInHand = nullptr;
  CInventoryItem* previousItem = nullptr;
  CInventoryItem** inventory = nullptr;  // 25 slots
  const void* sphereEvent = nullptr;
  std::uint32_t sphereEventTime = 0;
  CVector3 cuePosition{};
  float sweepStep = 9.0f;
  GruntJointControl jointControls[kJointOverrideCount];
  std::uint32_t handItemState = 0;
  std::uint32_t serialNumber = 0;
  std::int32_t targetJoint = JOINT_R_HAND;
  std::int32_t searchJoint = JOINT_R_HAND;
  CVector3 recoil{};
  std::uint32_t deathTime = 0;
  std::uint32_t reloadTime = 0;
  std::uint32_t lastAimTime = 0;
  std::int32_t experienceLevel = 0;
  std::int32_t characterIndex = 0;
  char characterTag[11] = {};
  std::int32_t experiencePoints = 0;
  std::int32_t experienceValue = 0;
  std::uint32_t medals[2] = {};
  std::uint32_t killCounts[2] = {};
  std::int32_t ladderIndex = -1;
  std::uint32_t nextLeaderCheck = 0;
  float leaderFacing = 0.0f;
  float lookAroundOffset = 0.0f;
  std::uint32_t nextLookAroundTime = 0;
  std::uint32_t movementAnimMode = 2;
  std::uint16_t interfaceImageId = 0xFFFF;
  const CharSkinStats* characterSkin = nullptr;
  float bodyTilt[2] = {};
  float reactionValue = 0.0f;
  std::uint32_t reactionDelay = 0;
  std::uint32_t nextLookTime = 0;
  std::uint32_t lookMode = 1;
  struct {
    float Heading = 0.0f;
    std::uint32_t Hold = 0;
  } lookPattern[4];
  std::uint32_t lookIndex = 0;
  float breathRest = 100.0f;
  float breathLoad = 0.0f;
  std::int32_t voiceIndex = -1;
  void* footprintTrail = nullptr;
  CHLO* lastDamageSource = nullptr;
  std::int32_t spineConnector = -1;
  std::uint32_t squadId = 0;
  std::uint32_t deathFollowUpTime = 0;
  std::uint32_t fireEnabled = 1;
  float damageReserve = 0.0f;
  float damageScale = 1.0f;
  float leaderDistance = 1000.0f;
  std::uint32_t lookFlag = 1;
  float bodyHeightScale = 1.0f;
  float bodyWidthScale = 1.0f;
  std::uint32_t stanceChangeTime = 0;
  std::uint32_t flagOne = 1;
  std::uint32_t lastHitTime = 0;
  std::uint32_t damageRecord[10] = {};
  std::uint32_t animHold = 0;
  std::uint32_t soldierFlags = 0;
  float lookAtLimit = 3.4028235e38f;
  std::uint32_t medicalUnits = 0;

  // Words of the state steps, the stance and speech.
  std::uint32_t nextIdleTime = 0;       // the next idle variation (the movement step's)
  std::uint32_t nextCalmVariationTime = 0;
  std::uint32_t calmSince = 0;          // the soldier has had no target since
  AnimSet* calmVariation = nullptr;     // the calm idle variation playing, or null
  std::int32_t playedState = -1;        // the state whose animation channel 0 plays
  std::int32_t playedGroup = 0;
  std::int32_t animSet = 0;             // SoldierAnimSet
  // What the hand's animation set found in hand: a COMBAT KNIFE (its walks
  // replace the pistol set's), and the weapon record of a weapon.
  bool knifeInHand = false;
  const WeaponStats* handWeapon = nullptr;
  AnimSet* overrideAnimation = nullptr;
  std::int32_t lowerBodyRequest = 0;
  std::uint32_t restartMark = 0;
  std::uint32_t stanceChanged = 0;
  std::uint32_t stanceDelay = 0;
  std::int32_t combatStance = STANCE_KNEEL;
  std::uint32_t visibleJoints = 0;     // target joints 1-19 seen by the target-joint scan
  CHLO* useTarget = nullptr;
  std::uint32_t inputBits = 0;
  std::uint32_t lastRadioCallTime = 0;
  std::uint32_t talkingTime = 0;
  float sphereEventScale = 1.0f;
  std::int32_t squadWord = 0;
  std::uint8_t statsNumber = 0;         // the level record's signed small number
  float hearingScale = 1.0f;
  std::uint32_t removalWords[3] = {};

 private:
  // The trigger of movement event `event` in the step; also runs what the
  // event does just before its state is entered.  `stop` is set when the
  // walk ends for this frame.
  bool MovementTrigger(int event, int nextState, bool c4Armed, CVector3* position, bool* stop);
  bool UpperBodyTrigger(int event);
  bool C4Armed();
  // The answer of an item-in-use query: false, reported "not built yet"
  // under `what` while an item is in hand (the items' kinds come later).
  bool IsUsingItemKind(const char* what) const;
  // Controls of the player: forward and sideways, zero without one.
  float ForwardControl() const;
  float SidewaysControl() const;
};

// The soldier's per-frame update (its Update), the scheduled think (the
// scheduler's pre-think step), the think and move step and the action runner.
void GruntProcess(CHLOGrunt* soldier);
void GruntScheduledThink(CHLOGrunt* soldier);
void GruntThink(CHLOGrunt* soldier);
void GruntActionStep(CHLOGrunt* soldier, CVector3* position, CVector3* rotation, CVector3* aimPoint, CVector3* wantedAngles);

// The AI's stance choice, once per scheduled think (see the source for the
// friendly and the enemy rules).
void GruntStanceThink(CHLOGrunt* soldier);

// A weapon record's animation (0 aim .. 5 prone reload); a missing one is
// reported once per record and animation: in a box outside network games,
// on the debug output in one (a network game is never held up by a box).
AnimSet* GetWeaponAnimation(const WeaponStats* weapon, int which);
// The developer's head-look switch (0 at start): with the level's own rules
// on, soldiers' heads stay straight unless it is 1.
void SetHeadLookSwitch(int value);
int HeadLookSwitch();

// Forgets which missing animations were reported (a level start).
void ResetWeaponAnimationReports();

// The text of the latest pick-up (one buffer for the whole game).
const char* PickUpText();
// While on (a level's objects loading), soldiers are made without their
// starting items; GiveOwedStartingItems gives them to every soldier owed
// them (the level's steps after the octree) and turns the deferral off.
void SetStartingItemsDeferred(bool on);
bool StartingItemsDeferred();
void GiveOwedStartingItems();
