// The soldier's state tables, written once for the program and the data
// tools alike: the movement states and the movement events (the columns and
// rows of "MovementStateRules.txt"), the upper-body states and events (those
// of "UpperBodyStateRules.txt"), one row of fixed values per movement and
// upper-body state, and the animation-set table that turns a movement
// animation index into an animation slot for the weapon the soldier holds.
// The rule files name the states and events in this order (tools/make_rules
// writes them from these lists), so the numbers the units use and the rows
// of the files cannot drift apart.
#pragma once

#include <cstdint>

// --- Movement states -----------------------------------------------------------
// Movement class (row word 12): 2 standing, 1 low (kneeling, crouched
// transitions), 0 lying (crawling, prone, dead and dying on the ground).
enum MovementClass : std::int32_t { MCLASS_LYING = 0, MCLASS_LOW = 1, MCLASS_STANDING = 2 };

#define SOLDIER_MOVEMENT_STATES(X) \
  X(STAND_IDLE) /* 0: the AI's standing idle */ \
  X(STAND_READY) /* 1: standing after a respawn (AI) */ \
  X(STAND) /* 2: standing: the local side's soldiers */ \
  X(STAND_PLAYER) /* 3: standing after a respawn (player) */ \
  X(PRESS_SWITCH) /* 4 */ \
  X(STAND_TURN_LEFT) /* 5 */ \
  X(STAND_TURN_RIGHT) /* 6 */ \
  X(WALK) /* 7 */ \
  X(WALK_BACKWARDS) /* 8 */ \
  X(STRAFE_LEFT) /* 9 */ \
  X(STRAFE_RIGHT) /* 10 */ \
  X(RUN) /* 11 */ \
  X(RUN_STRAFE_LEFT) /* 12 */ \
  X(RUN_STRAFE_RIGHT) /* 13 */ \
  X(JOG_BACKWARDS) /* 14 */ \
  X(KNEEL) /* 15 */ \
  X(KNEEL_READY) /* 16 */ \
  X(KNEEL_TURN_LEFT) /* 17 */ \
  X(KNEEL_TURN_RIGHT) /* 18 */ \
  X(KNEEL_WALK) /* 19 */ \
  X(KNEEL_WALK_BACKWARDS) /* 20 */ \
  X(KNEEL_STRAFE_LEFT) /* 21 */ \
  X(KNEEL_STRAFE_RIGHT) /* 22 */ \
  X(KNEEL_RUN) /* 23 */ \
  X(FALL) /* 24 */ \
  X(FALL_LAND) /* 25 */ \
  X(FALL_LAND_INJURED) /* 26 */ \
  X(FALL_LAND_DIE) /* 27 */ \
  X(KNOCKED_DOWN_BACK) /* 28 */ \
  X(KNOCKED_DOWN_FORWARD) /* 29 */ \
  X(KNOCKED_DOWN_LEFT) /* 30 */ \
  X(KNOCKED_DOWN_RIGHT) /* 31 */ \
  X(SIGNAL_STOP) /* 32 */ \
  X(SIGNAL_ATTACK) /* 33 */ \
  X(SIGNAL_FOLLOW_ME) /* 34 */ \
  X(PLANT_CHARGE) /* 35 */ \
  X(INTERACT) /* 36 */ \
  X(USE_BINOCULARS) /* 37 */ \
  X(USE_COMMS) /* 38 */ \
  X(USE_WIRECUTTERS) /* 39 */ \
  X(USE_HACKING_KIT) /* 40 */ \
  X(UNLOCK_DOOR) /* 41 */ \
  X(USE_DETONATOR) /* 42 */ \
  X(USE_MEDIKIT) /* 43 */ \
  X(COCK_SHOTGUN) /* 44 */ \
  X(SALUTE) /* 45 */ \
  X(WAVE_ON) /* 46 */ \
  X(COWER) /* 47 */ \
  X(STRETCH) /* 48 */ \
  X(TALKING) /* 49 */ \
  X(IDLE_SCRATCH) /* 50 */ \
  X(IDLE_SMOKE) /* 51 */ \
  X(IDLE_LOOK_AROUND) /* 52 */ \
  X(IDLE_SNEEZE) /* 53 */ \
  X(KNIFE_TAKEDOWN) /* 54 */ \
  X(IDLE_WIPE_BROW) /* 55 */ \
  X(LADDER_MOUNT_BOTTOM) /* 56 */ \
  X(LADDER_STATIONARY) /* 57 */ \
  X(LADDER_CLIMB_UP) /* 58 */ \
  X(LADDER_CLIMB_DOWN) /* 59 */ \
  X(LADDER_DISMOUNT_BOTTOM) /* 60 */ \
  X(LADDER_TOP) /* 61 */ \
  X(LADDER_MOUNT_TOP) /* 62 */ \
  X(LADDER_DISMOUNT_TOP) /* 63 */ \
  X(IN_VEHICLE) /* 64 */ \
  X(VEHICLE_DRIVE) /* 65 */ \
  X(VEHICLE_STEER) /* 66 */ \
  X(VEHICLE_GUNNER) /* 67 */ \
  X(VEHICLE_GUNNER_STANDING) /* 68 */ \
  X(VEHICLE_POP_DOWN) /* 69 */ \
  X(VEHICLE_PASSENGER) /* 70 */ \
  X(VEHICLE_IDLE_1) /* 71 */ \
  X(VEHICLE_IDLE_2) /* 72 */ \
  X(VEHICLE_IDLE_3) /* 73 */ \
  X(VEHICLE_TANK_GUNNER) /* 74 */ \
  X(HELD) /* 75 */ \
  X(SCRIPTED) /* 76 */ \
  X(CRAWL_FORWARDS) /* 77 */ \
  X(CRAWL_BACKWARDS) /* 78 */ \
  X(PRONE) /* 79 */ \
  X(PRONE_READY) /* 80 */ \
  X(CRAWL_TURN_LEFT) /* 81 */ \
  X(CRAWL_TURN_RIGHT) /* 82 */ \
  X(CRAWL_LEFT) /* 83 */ \
  X(CRAWL_RIGHT) /* 84 */ \
  X(PRONE_USE_COMMS) /* 85 */ \
  X(PRONE_USE_BINOCULARS) /* 86 */ \
  X(GOING_PRONE) /* 87 */ \
  X(GETTING_UP) /* 88 */ \
  X(FLINCH) /* 89 */ \
  X(USE_ITEM_ON) /* 90 */ \
  X(SCRIPTED_SIGNAL) /* 91 */ \
  X(UNLOCK_WITH_ITEM) /* 92 */ \
  X(SLEEPING) /* 93 */ \
  X(UNCONSCIOUS) /* 94 */ \
  X(HANDS_UP) /* 95 */ \
  X(THANK_YOU) /* 96 */ \
  X(LOOK_AROUND) /* 97 */ \
  X(DISCARD_LAW) /* 98 */ \
  X(PRONE_DISCARD_LAW) /* 99 */ \
  X(PRONE_USE_DETONATOR) /* 100 */ \
  X(PRONE_PLANT_CHARGE) /* 101 */ \
  X(DEAD) /* 102 */ \
  X(DEATH_BACK) /* 103 */ \
  X(DEATH_FORWARD) /* 104 */ \
  X(DEATH_LEFT) /* 105 */ \
  X(DEATH_RIGHT) /* 106 */ \
  X(RECOVER_FORWARD) /* 107 */ \
  X(RECOVER_BACK) /* 108 */ \
  X(RECOVER_LEFT) /* 109 */ \
  X(RECOVER_RIGHT) /* 110 */ \
  X(DYING_IN_VEHICLE) /* 111 */ \
  X(PRONE_DEATH) /* 112 */ \
  X(HEADSHOT_DEATH) /* 113 */ \
  X(FALL_FROM_HEIGHT) /* 114 */

enum MovementState : int {
#define X(name) MS_##name,
  SOLDIER_MOVEMENT_STATES(X)
#undef X
  MOVEMENT_STATE_COUNT = 115,
};

// --- Movement events -------------------------------------------------------------
// The per-frame movement step tests the events that have a trigger in rising
// order; the others are asked for by number (RequestState).
#define SOLDIER_MOVEMENT_EVENTS(X) \
  X(DEATH_FOLLOW_UP) /* 0 */ \
  X(ANIM_FINISHED) /* 1 */ \
  X(STOPPED_KNEEL_RUN) /* 2 */ \
  X(STOPPED) /* 3 */ \
  X(SPEED_HIGH) /* 4 */ \
  X(HOST_MARK) /* 5 */ \
  X(FLATTENED) /* 6 */ \
  X(RECOVER_FROM_FLATTENING) /* 7 */ \
  X(DIE) /* 8 */ \
  X(FALL) /* 9 */ \
  X(LAND) /* 10 */ \
  X(LAND_INJURED) /* 11 */ \
  X(LAND_DIE) /* 12 */ \
  X(KNOCK_DOWN_BACK) /* 13 */ \
  X(KNOCK_DOWN_FORWARD) /* 14 */ \
  X(KNOCK_DOWN_LEFT) /* 15 */ \
  X(KNOCK_DOWN_RIGHT) /* 16 */ \
  X(DIE_BACK) /* 17 */ \
  X(DIE_FORWARD) /* 18 */ \
  X(DIE_LEFT) /* 19 */ \
  X(DIE_RIGHT) /* 20 */ \
  X(DIE_HEADSHOT) /* 21 */ \
  X(SIGNAL_STOP) /* 22 */ \
  X(SIGNAL_ATTACK) /* 23 */ \
  X(SIGNAL_FOLLOW_ME) /* 24 */ \
  X(RECOVER) /* 25 */ \
  X(FALL_FROM_HEIGHT) /* 26 */ \
  X(PRONE_DEATH) /* 27 */ \
  X(FLINCH) /* 28 */ \
  X(STOP) /* 29 */ \
  X(WALK) /* 30 */ \
  X(RUN) /* 31 */ \
  X(TURN_LEFT) /* 32: the heading wanted lies to the left (a negative difference) */ \
  X(TURN_RIGHT) /* 33: to the right, or straight ahead */ \
  X(READY) /* 34 */ \
  X(FORWARD_START) /* 35: the forward control pushed */ \
  X(FORWARD_STOP) /* 36 */ \
  X(STRAFE_LEFT_START) /* 37 */ \
  X(STRAFE_LEFT_STOP) /* 38 */ \
  X(STRAFE_RIGHT_START) /* 39 */ \
  X(STRAFE_RIGHT_STOP) /* 40 */ \
  X(BACKWARD_START) /* 41: the forward control pulled back */ \
  X(BACKWARD_STOP) /* 42 */ \
  X(USE_SWITCH) /* 43 */ \
  X(CHARGE_ARMED) /* 44 */ \
  X(INTERACTION_START) /* 45 */ \
  X(CHARGE_NOT_ARMED) /* 46 */ \
  X(INTERACTION_END) /* 47 */ \
  X(CIVILIAN) /* 48 */ \
  X(RELAXED) /* 49 */ \
  X(IDLE_VARIATION_1) /* 50 */ \
  X(IDLE_VARIATION_2) /* 51 */ \
  X(IDLE_VARIATION_3) /* 52 */ \
  X(IDLE_VARIATION_4) /* 53 */ \
  X(IDLE_VARIATION_5) /* 54 */ \
  X(DEAD_SETTLED) /* 55 */ \
  X(TAKEDOWN_STRIKE) /* 56 */ \
  X(TAKEDOWN_VICTIM) /* 57 */ \
  X(LADDER_FROM_BOTTOM) /* 58 */ \
  X(LADDER_FROM_TOP) /* 59 */ \
  X(LADDER_UP) /* 60 */ \
  X(LADDER_DOWN) /* 61 */ \
  X(LADDER_OFF_TOP) /* 62 */ \
  X(LADDER_STOP) /* 63 */ \
  X(LADDER_OFF_BOTTOM) /* 64 */ \
  X(ENTER_VEHICLE) /* 65 */ \
  X(VEHICLE_GUNNER) /* 66 */ \
  X(VEHICLE_TANK_GUNNER) /* 67 */ \
  X(VEHICLE_DRIVER) /* 68 */ \
  X(VEHICLE_DRIVING) /* 69 */ \
  X(VEHICLE_PASSENGER) /* 70 */ \
  X(VEHICLE_IDLE_1) /* 71 */ \
  X(VEHICLE_IDLE_2) /* 72 */ \
  X(VEHICLE_IDLE_3) /* 73 */ \
  X(VEHICLE_IDLE_4) /* 74 */ \
  X(LEAVE_VEHICLE) /* 75 */ \
  X(VEHICLE_POP_DOWN) /* 76 */ \
  X(RELOAD) /* 77 */ \
  X(UNDER_FIRE) /* 78 */ \
  X(STANCE_WALK) /* 79 */ \
  X(STANCE_RUN) /* 80 */ \
  X(STANCE_CRAWL) /* 81 */ \
  X(STANCE_KNEEL) /* 82 */ \
  X(STANCE_KNEEL_RUN) /* 83 */ \
  X(USE_BINOCULARS) /* 84 */ \
  X(USE_COMMS) /* 85 */ \
  X(USE_ITEM) /* 86 */ \
  X(UNLOCK_DOOR) /* 87 */ \
  X(USE_DETONATOR) /* 88 */ \
  X(USE_MEDIKIT) /* 89 */ \
  X(COCK_SHOTGUN) /* 90 */ \
  X(SALUTE) /* 91 */ \
  X(UNLOCK_WITH_ITEM) /* 92 */ \
  X(SLEEP) /* 93 */ \
  X(HANDS_UP) /* 94 */ \
  X(WAVE_ON) /* 95 */ \
  X(COWER) /* 96 */ \
  X(LOOK_AROUND) /* 97 */ \
  X(TALK) /* 98 */ \
  X(ALERTNESS_SLEEPING) /* 99 */ \
  X(ALERTNESS_AWAKE) /* 100 */ \
  X(IDLE_ANIMATION) /* 101 */ \
  X(UNCONSCIOUS) /* 102 */ \
  X(THANK_YOU) /* 103 */ \
  X(STRETCH) /* 104 */ \
  X(DISCARD_LAW) /* 105 */ \
  X(SCRIPTED) /* 106 */

enum MovementEvent : int {
#define X(name) ME_##name,
  SOLDIER_MOVEMENT_EVENTS(X)
#undef X
  MOVEMENT_EVENT_COUNT = 107,
};

// --- Upper-body states and events -----------------------------------------------
#define SOLDIER_UPPER_BODY_STATES(X) \
  X(LOWERED) /* 0 */ \
  X(LOWERED_PRONE) /* 1 */ \
  X(AIMING) /* 2 */ \
  X(RAISING) /* 3 */ \
  X(AIMING_PRONE) /* 4 */ \
  X(LOWERING) /* 5 */ \
  X(GRENADE_PREPARE) /* 6 */ \
  X(GRENADE_THROW) /* 7 */ \
  X(RELOAD) /* 8 */ \
  X(RELOAD_PRONE) /* 9 */ \
  X(KNIFE_STAB) /* 10 */ \
  X(BINOCULARS_RAISE) /* 11 */ \
  X(BINOCULARS) /* 12 */ \
  X(BINOCULARS_LOWER) /* 13 */ \
  X(RADIO) /* 14 */ \
  X(RADIO_END) /* 15 */ \
  X(ANTI_TANK_FIRE) /* 16 */ \
  X(DETONATOR) /* 17 */ \
  X(DETONATOR_PRONE) /* 18 */ \
  X(GOGGLES_ON) /* 19 */ \
  X(GOGGLES_OFF) /* 20 */ \
  X(HAND_SIGNAL) /* 21 */ \
  X(ITEM_USE) /* 22 */ \
  X(ANTI_TANK_DISCARD) /* 23 */ \
  X(ANTI_TANK_DISCARD_PRONE) /* 24 */ \
  X(GRENADE_PRONE) /* 25 */

enum UpperBodyState : int {
#define X(name) UB_##name,
  SOLDIER_UPPER_BODY_STATES(X)
#undef X
  UPPER_BODY_STATE_COUNT = 26,
};

#define SOLDIER_UPPER_BODY_EVENTS(X) \
  X(LOWER) /* 0 */ \
  X(HAND_SIGNAL) /* 1 */ \
  X(ITEM_USE) /* 2 */ \
  X(ITEM_DONE) /* 3 */ \
  X(AIM) /* 4 */ \
  X(RAISE) /* 5 */ \
  X(THROW_GRENADE) /* 6 */ \
  X(ALWAYS) /* 7 */ \
  X(ANTI_TANK_DISCARD) /* 8 */ \
  X(RELOAD) /* 9 */ \
  X(LOWER_FAST) /* 10 */ \
  X(KNIFE_STAB) /* 11 */ \
  X(OPTICS_ON) /* 12 */ \
  X(OPTICS_OFF) /* 13 */ \
  X(RADIO_ON) /* 14 */ \
  X(RADIO_OFF) /* 15 */ \
  X(ANTI_TANK_FIRE) /* 16 */ \
  X(DETONATOR) /* 17 */ \
  X(SCRIPTED) /* 18 */ \
  X(LYING) /* 19 */ \
  X(NOT_LYING) /* 20 */ \
  X(GOGGLES_ON) /* 21 */ \
  X(GOGGLES_OFF) /* 22 */ \
  X(RADIO_CALL) /* 23 */ \
  X(RADIO_CALL_DONE) /* 24 */ \
  X(ANIM_FINISHED) /* 25 */

enum UpperBodyEvent : int {
#define X(name) UE_##name,
  SOLDIER_UPPER_BODY_EVENTS(X)
#undef X
  UPPER_BODY_EVENT_COUNT = 26,
};

// --- Movement animation indices (GetAnimation kind 0) ----------------------------
// An index names a movement animation independently of the weapon held; the
// animation-set table gives the slot of each index for each set.
enum MoveAnim : int {
  MA_ALERT_STANCE = 0,
  MA_CALM_STANCE = 1,
  MA_CALM_WALK = 2,
  MA_RUN = 3,
  MA_LIMPING_RUN = 4,
  MA_TURN_LEFT = 5,
  MA_TURN_RIGHT = 6,
  MA_WALK_BACKWARDS = 7,
  MA_STRAFE_LEFT = 8,
  MA_STRAFE_LEFT_FORWARDS = 9,
  MA_STRAFE_WALK_LEFT_FORWARDS = 10,
  MA_STRAFE_RIGHT = 11,
  MA_STRAFE_RIGHT_FORWARDS = 12,
  MA_STRAFE_WALK_RIGHT_FORWARDS = 13,
  MA_KNEEL_STRAFE_LEFT = 14,
  MA_KNEEL_STRAFE_LEFT_FORWARDS = 15,
  MA_KNEEL_STRAFE_RIGHT = 16,
  MA_KNEEL_STRAFE_RIGHT_FORWARDS = 17,
  MA_KNEEL_TURN_LEFT = 18,
  MA_KNEEL_STANCE = 19,
  MA_KNEEL_TURN_RIGHT = 20,
  MA_KNEEL_WALK = 21,
  MA_KNEEL_WALK_BACKWARDS = 22,
  MA_CRAWL_STANCE = 23,
  MA_CRAWL_TURN_LEFT = 24,
  MA_CRAWL_TURN_RIGHT = 25,
  MA_CRAWL_FORWARDS = 26,
  MA_CRAWL_BACKWARDS = 27,
  MA_JOG_BACKWARDS = 28,
  MA_ALERT_WALK = 29,
  MA_STANDING_IDLE_VARIATION = 30,  // four: 30 to 33
  MA_KNEELING_IDLE_VARIATION = 34,  // four: 34 to 37
  MOVE_ANIM_COUNT = 38,
};

// The soldier's animation sets, chosen by what it holds.
enum SoldierAnimSet : int { ANIMSET_PISTOL = 0, ANIMSET_RIFLE = 1, ANIMSET_ANTI_TANK = 2, ANIMSET_COUNT = 3 };

// End modes of a movement animation (row word 2).
enum MoveAnimEndMode : std::int32_t {
  END_ONCE = 0,         // play once
  END_HOLD = 1,         // play once and mark the state's animation as one to finish (event 1)
  END_FREEZE = 2,       // hold the current frame
  END_LOOP = 3,         // loop for ever
  END_ONCE_LOCK = 4,    // play once, set the animation lock
  END_ONCE_UNLOCK = 5,  // play once, clear the animation lock
  END_ONCE_UNLOCK2 = 6,
};

// Movement direction codes (row word 8), read by the movement of the soldier's frame.
enum MoveCode : std::int32_t {
  MOVE_NONE = 0,
  MOVE_FORWARD = 1,
  MOVE_BACKWARD = 2,
  MOVE_LEFT = 3,
  MOVE_RIGHT = 4,
  MOVE_TURN_LEFT = 5,
  MOVE_TURN_RIGHT = 6,
};

// "No set animation" in row words 10 and 11.
inline constexpr std::int32_t kNoSetAnimation = 222;

// One movement state: its name and its fourteen values.
struct MovementStateRow {
  const char* Name;
  std::int32_t Slot;           // 0: the animation slot played when word 10 is none (222 none: keep the current)
  std::int32_t IdleVariation;  // 1: calm friendly soldiers vary this idle (word 10 is index 1 or 19)
  std::int32_t EndMode;        // 2: MoveAnimEndMode
  std::int32_t BlendIn;        // 3: 1 plays without blending in
  std::int32_t NoWeapon;       // 4: 1 while no weapon may be used (the whole body is taken)
  float Speed;                 // 5: units per second
  float SecondSpeed;           // 6: negative in the reverse states
  float YawOffset;             // 7: degrees; 180 in the backwards states
  std::int32_t Code;           // 8: MoveCode
  float TurnRate;              // 9: degrees per second
  std::int32_t SetAnim;        // 10: movement animation index (MoveAnim), 222 none
  std::int32_t AltSetAnim;     // 11: the same while the alternative set is on
  std::int32_t Class;          // 12: MovementClass
  std::int32_t Group;          // 13: animation group (0 none)
};

// One upper-body state: its name and its five values.
struct UpperBodyStateRow {
  const char* Name;
  std::int32_t ArmsBusy;    // 0: 1 while the arms are taken (walking stance waits)
  std::int32_t WeaponAnim;  // 1: the held weapon's animation (0 aim .. 5 prone reload), -1 none
  std::int32_t Slot;        // 2: an animation slot played instead (222 none)
  std::int32_t EndMode;     // 3: MoveAnimEndMode
  std::int32_t UseAllowed;  // 4: 1 while the item in hand may be used
};

extern const MovementStateRow kMovementStates[MOVEMENT_STATE_COUNT];
extern const UpperBodyStateRow kUpperBodyStates[UPPER_BODY_STATE_COUNT];
// The names in the rule files, in number order (the enumerations' names
// without their prefix).
extern const char* const kMovementStateNames[MOVEMENT_STATE_COUNT];
extern const char* const kMovementEventNames[MOVEMENT_EVENT_COUNT];
extern const char* const kUpperBodyStateNames[UPPER_BODY_STATE_COUNT];
extern const char* const kUpperBodyEventNames[UPPER_BODY_EVENT_COUNT];
// Slot of each movement animation index per set: kAnimationSets[set][index].
extern const std::uint16_t kAnimationSets[ANIMSET_COUNT][MOVE_ANIM_COUNT];

// The movement-state row of a state; the row of state 0 for a state outside
// the table (the rule files are checked at load, so this only guards).
const MovementStateRow& MovementStateRowOf(int state);
const UpperBodyStateRow& UpperBodyStateRowOf(int state);
