// The words every unit carries and the units' code tests: orders and
// actions, alertness, the soldier's stance, and the bits of the unit flag
// word.
#pragma once

#include <cstdint>

// What a unit has been told to do (its order), values 0 to 13.
enum GruntOrder : std::int32_t {
  FOLLOW_WAYPOINTS = 0,
  HOLD_POSITION = 1,
  HOLD_POSITION_AND_LOOK_FOR_TARGETS = 2,
  FOLLOW_LEADER = 3,
  FOLLOW_ROUTE = 4,
  HUNT_ENEMY = 5,
  HUNT_ENEMY_PERSISTENTLY = 6,
  RETURN_TO_WAYPOINTS = 7,
  TURN_ON_SPOT_TO_BASE_ROTATION = 8,
  CLIMB_UP_LADDER = 9,
  CLIMB_DOWN_LADDER = 10,
  LEGGING_IT = 11,
  FIRE_GUN_INTO_AIR = 12,
  WANDER_RANDOMLY = 13,
  GRUNT_ORDER_COUNT = 14,
};

// How a unit carries out its order (its action), values 0 to 11.  The names
// shared with the orders take the prefix ACTION_.
enum GruntAction : std::int32_t {
  ACTION_FOLLOW_WAYPOINTS = 0,
  ACTION_HOLD_POSITION = 1,
  ACTION_FOLLOW_ROUTE = 2,
  ACTION_ROUTE_SCANNING = 3,
  ACTION_WAITING_FOR_ROUTER = 4,
  ACTION_TURN_ON_SPOT_TO_LEADERS_ORIENTATION = 5,
  ACTION_TURN_ON_SPOT_TO_FACE_TARGET = 6,
  ACTION_TURN_ON_SPOT_TO_BASE_ROTATION = 7,
  ACTION_DO_NOTHING = 8,
  ACTION_CLIMB_UP_LADDER = 9,
  ACTION_CLIMB_DOWN_LADDER = 10,
  ACTION_FIRE_GUN_INTO_AIR = 11,
  GRUNT_ACTION_COUNT = 12,
};

enum Alertness : std::int32_t {
  SLEEPING = 1,
  PASSIVE = 2,
  ALERT = 3,
  ALARMED = 4,
};

// The soldier's movement mode; 0 and 1 are the low stances, 2 and 3 the
// standing ones.  4 is no stance.
enum GruntStance : std::int32_t {
  STANCE_CRAWL = 0,
  STANCE_KNEEL = 1,
  STANCE_WALK = 2,
  STANCE_RUN = 3,
  STANCE_KNEEL_RUN = 5,
};

// Bits of the unit flag word.
enum UnitFlag : std::uint32_t {
  UNITF_RESET_MARK = 0x2,           // set by the reset of transient state
  UNITF_HEALED_BY_KIT = 0x4,
  UNITF_TURNING = 0x8,
  UNITF_STAYS_PUT = 0x20,           // neither flees nor changes weapons by itself
  UNITF_PLANTING = 0x40,
  UNITF_IGNORE_DISTRACTIONS = 0x80,
  UNITF_FLAG_100 = 0x100,           // set and read through slots 30 and 31
  UNITF_SILENT = 0x200,             // emits no noise events
  UNITF_TARGET_SEARCH = 0x400,
  UNITF_SOLDIER = 0x800,
  UNITF_FIRE_AT_WILL = 0x1000,
  UNITF_DEATH_CUT_SHORT = 0x2000,
  UNITF_ALTERNATIVE_SET = 0x4000,
  UNITF_LOOK_PATTERN = 0x8000,
  UNITF_DROPS_ITEMS = 0x10000,
  UNITF_CONSTRUCTED = 0x20000,
  UNITF_ANIM_FINISHED = 0x40000,    // the state's animation is one to finish (dead: its death played)
  UNITF_FROZEN = 0x80000,
  UNITF_PLAYER_DRIVES = 0x100000,
  UNITF_BOARDABLE = 0x200000,
  UNITF_HOLDING_FIRE = 0x400000,
  UNITF_INVULNERABLE = 0x800000,
  UNITF_AI_ON = 0x1000000,
  UNITF_ANIM_LOCK = 0x2000000,      // movement held by an override animation
  UNITF_FORCED_CROUCH = 0x4000000,
  UNITF_INTERACTING = 0x8000000,
  UNITF_IDLE_ANIMATION = 0x10000000,
  UNITF_NIGHT_VISION = 0x20000000,
  UNITF_INVULNERABLE_2 = 0x40000000,
};

// The bits the reset of a soldier's transient state clears.
inline constexpr std::uint32_t kTransientUnitFlags = 0x080160CC;
static_assert((~kTransientUnitFlags) == 0xF7FE9F33u);

// Object (CHLO) flag bits the units set.
inline constexpr std::uint32_t kObjectFlagUnitSoldier = 0x6;
