#include "units/soldier/soldier_state_tables.h"

#include "units/base/anim_slot_ids.h"

namespace {
constexpr std::int32_t kNone = ANIM_SLOT_NONE;
}  // namespace

#define X(name) #name,
const char* const kMovementStateNames[MOVEMENT_STATE_COUNT] = {SOLDIER_MOVEMENT_STATES(X)};
const char* const kMovementEventNames[MOVEMENT_EVENT_COUNT] = {SOLDIER_MOVEMENT_EVENTS(X)};
const char* const kUpperBodyStateNames[UPPER_BODY_STATE_COUNT] = {SOLDIER_UPPER_BODY_STATES(X)};
const char* const kUpperBodyEventNames[UPPER_BODY_EVENT_COUNT] = {SOLDIER_UPPER_BODY_EVENTS(X)};
#undef X

// Standing states turn at 135 degrees a second, lying ones at 44.55; states
// that take the whole body (no weapon) do not turn.  Walking is 130 units a
// second, running 525.
const MovementStateRow kMovementStates[MOVEMENT_STATE_COUNT] = {
    // name, slot, idle variation, end mode, blend-in, no weapon, speed, second speed, yaw offset, move code,
    // turn rate, set animation, alternative set animation, class, group
    {"STAND_IDLE", kNone, 1, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_ALERT_STANCE, MA_ALERT_STANCE, MCLASS_STANDING, 1},
    {"STAND_READY", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_ALERT_STANCE, MA_ALERT_STANCE, MCLASS_STANDING, 1},
    {"STAND", kNone, 1, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_CALM_STANCE, MA_CALM_STANCE, MCLASS_STANDING, 1},
    {"STAND_PLAYER", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_ALERT_STANCE, MA_ALERT_STANCE, MCLASS_STANDING, 1},
    {"PRESS_SWITCH", ANIM_PRESS_SWITCH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"STAND_TURN_LEFT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_LEFT, 135.0f, MA_TURN_LEFT, MA_TURN_LEFT, MCLASS_STANDING, 0},
    {"STAND_TURN_RIGHT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_RIGHT, 135.0f, MA_TURN_RIGHT, MA_TURN_RIGHT, MCLASS_STANDING, 0},
    {"WALK", kNone, 0, END_LOOP, 0, 0, 130.0f, 195.0f, 0.0f, MOVE_FORWARD, 135.0f, MA_CALM_WALK, MA_CALM_WALK, MCLASS_STANDING, 0},
    {"WALK_BACKWARDS", kNone, 0, END_LOOP, 0, 0, 130.0f, -195.0f, 180.0f, MOVE_BACKWARD, 135.0f, MA_WALK_BACKWARDS, MA_WALK_BACKWARDS, MCLASS_STANDING, 0},
    {"STRAFE_LEFT", kNone, 0, END_LOOP, 0, 0, 130.0f, 195.0f, 0.0f, MOVE_LEFT, 135.0f, MA_STRAFE_WALK_LEFT_FORWARDS, MA_STRAFE_WALK_LEFT_FORWARDS, MCLASS_STANDING, 0},
    {"STRAFE_RIGHT", kNone, 0, END_LOOP, 0, 0, 130.0f, 195.0f, 0.0f, MOVE_RIGHT, 135.0f, MA_STRAFE_WALK_RIGHT_FORWARDS, MA_STRAFE_WALK_RIGHT_FORWARDS, MCLASS_STANDING, 0},
    {"RUN", kNone, 0, END_LOOP, 0, 0, 525.0f, 525.0f, 0.0f, MOVE_FORWARD, 135.0f, MA_RUN, MA_LIMPING_RUN, MCLASS_STANDING, 0},
    {"RUN_STRAFE_LEFT", kNone, 0, END_LOOP, 0, 0, 525.0f, 525.0f, 0.0f, MOVE_LEFT, 135.0f, MA_STRAFE_LEFT_FORWARDS, MA_STRAFE_LEFT_FORWARDS, MCLASS_STANDING, 0},
    {"RUN_STRAFE_RIGHT", kNone, 0, END_LOOP, 0, 0, 525.0f, 525.0f, 0.0f, MOVE_RIGHT, 135.0f, MA_STRAFE_RIGHT_FORWARDS, MA_STRAFE_RIGHT_FORWARDS, MCLASS_STANDING, 0},
    {"JOG_BACKWARDS", kNone, 0, END_LOOP, 0, 0, 525.0f, -1050.0f, 180.0f, MOVE_BACKWARD, 135.0f, MA_JOG_BACKWARDS, MA_JOG_BACKWARDS, MCLASS_STANDING, 0},
    {"KNEEL", kNone, 1, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_KNEEL_STANCE, MA_KNEEL_STANCE, MCLASS_LOW, 2},
    {"KNEEL_READY", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_KNEEL_STANCE, MA_KNEEL_STANCE, MCLASS_LOW, 2},
    {"KNEEL_TURN_LEFT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_LEFT, 135.0f, MA_KNEEL_TURN_LEFT, MA_KNEEL_TURN_LEFT, MCLASS_LOW, 0},
    {"KNEEL_TURN_RIGHT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_RIGHT, 135.0f, MA_KNEEL_TURN_RIGHT, MA_KNEEL_TURN_RIGHT, MCLASS_LOW, 0},
    {"KNEEL_WALK", kNone, 0, END_LOOP, 0, 0, 90.0f, 135.0f, 0.0f, MOVE_FORWARD, 135.0f, MA_KNEEL_WALK, MA_KNEEL_WALK, MCLASS_LOW, 0},
    {"KNEEL_WALK_BACKWARDS", kNone, 0, END_LOOP, 0, 0, 90.0f, -135.0f, 180.0f, MOVE_BACKWARD, 135.0f, MA_KNEEL_WALK_BACKWARDS, MA_KNEEL_WALK_BACKWARDS, MCLASS_LOW, 0},
    {"KNEEL_STRAFE_LEFT", kNone, 0, END_LOOP, 0, 0, 90.0f, 135.0f, 0.0f, MOVE_LEFT, 135.0f, MA_KNEEL_STRAFE_LEFT_FORWARDS, MA_KNEEL_STRAFE_LEFT_FORWARDS, MCLASS_LOW, 0},
    {"KNEEL_STRAFE_RIGHT", kNone, 0, END_LOOP, 0, 0, 90.0f, 135.0f, 0.0f, MOVE_RIGHT, 135.0f, MA_KNEEL_STRAFE_RIGHT_FORWARDS, MA_KNEEL_STRAFE_RIGHT_FORWARDS, MCLASS_LOW, 0},
    {"KNEEL_RUN", kNone, 0, END_LOOP, 0, 0, 260.0f, 260.0f, 0.0f, MOVE_FORWARD, 135.0f, MA_KNEEL_WALK, MA_KNEEL_WALK, MCLASS_LOW, 0},
    {"FALL", ANIM_FALLING_MID_AIR, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"FALL_LAND", ANIM_FALLING_LAND, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"FALL_LAND_INJURED", ANIM_FALLING_LAND_INJURED, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"FALL_LAND_DIE", ANIM_FALLING_LAND_DIE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"KNOCKED_DOWN_BACK", ANIM_STANDING_KNOCKED_DOWN_BACK, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"KNOCKED_DOWN_FORWARD", ANIM_STANDING_KNOCKED_DOWN_FORWARD, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"KNOCKED_DOWN_LEFT", ANIM_STANDING_KNOCKED_DOWN_LEFT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"KNOCKED_DOWN_RIGHT", ANIM_STANDING_KNOCKED_DOWN_RIGHT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SIGNAL_STOP", ANIM_STANDING_GIVE_STOP_SIGNAL, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SIGNAL_ATTACK", ANIM_STANDING_GIVE_ATTACK_SIGNAL, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SIGNAL_FOLLOW_ME", ANIM_STANDING_GIVE_FOLLOW_ME_SIGNAL, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"PLANT_CHARGE", ANIM_DEFUSE_EXPLOSIVES, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"INTERACT", ANIM_DEFUSE_EXPLOSIVES, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"USE_BINOCULARS", ANIM_USE_BINOCULARS, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_COMMS", ANIM_USE_COMMS, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_WIRECUTTERS", ANIM_USE_WIRECUTTERS, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_HACKING_KIT", ANIM_USE_COMPUTER_HACKING_KIT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"UNLOCK_DOOR", ANIM_UNLOCK_DOOR, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_DETONATOR", ANIM_USE_DETONATOR, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_MEDIKIT", ANIM_USE_MEDIKIT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"COCK_SHOTGUN", ANIM_COCK_SHOTGUN, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SALUTE", ANIM_SALUTE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"WAVE_ON", ANIM_WAVE_ON, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"COWER", ANIM_COWER, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"STRETCH", ANIM_STRETCH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"TALKING", ANIM_TALKING, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IDLE_SCRATCH", ANIM_IDLE_SCRATCH_BUM, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IDLE_SMOKE", ANIM_IDLE_DRAG_ON_CIGARETTE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IDLE_LOOK_AROUND", ANIM_IDLE_LOOK_AROUND_WITH_GUN, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IDLE_SNEEZE", ANIM_IDLE_SNEEZE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"KNIFE_TAKEDOWN", ANIM_KNIFE_KILL_STEALTH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IDLE_WIPE_BROW", ANIM_IDLE_WIPE_BROW, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_MOUNT_BOTTOM", ANIM_MOUNT_LADDER_BOTTOM, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_STATIONARY", ANIM_STATIONARY_ON_LADDER, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_CLIMB_UP", ANIM_CLIMB_LADDER_UP, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_CLIMB_DOWN", ANIM_CLIMB_LADDER_DOWN, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_DISMOUNT_BOTTOM", ANIM_DISMOUNT_LADDER_BOTTOM, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_TOP", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 135.0f, MA_ALERT_STANCE, MA_ALERT_STANCE, MCLASS_STANDING, 1},
    {"LADDER_MOUNT_TOP", ANIM_MOUNT_LADDER_TOP, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LADDER_DISMOUNT_TOP", ANIM_DISMOUNT_LADDER_TOP, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"IN_VEHICLE", ANIM_PASSENGER_IN_VEHICLE, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_DRIVE", ANIM_DRIVE_VEHICLE, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_STEER", ANIM_STEER_VEHICLE, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_GUNNER", ANIM_AIM_VEHICLE_GUN, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_GUNNER_STANDING", ANIM_STAND_IN_VEHICLE, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_POP_DOWN", ANIM_POP_DOWN_VEHICLE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_PASSENGER", ANIM_PASSENGER_IN_VEHICLE, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_IDLE_1", ANIM_IDLE01_IN_VEHICLE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_IDLE_2", ANIM_IDLE02_IN_VEHICLE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_IDLE_3", ANIM_IDLE03_IN_VEHICLE, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"VEHICLE_TANK_GUNNER", ANIM_AIM_TANK_GUN, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"HELD", kNone, 0, END_FREEZE, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SCRIPTED", ANIM_TALKING, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"CRAWL_FORWARDS", kNone, 0, END_LOOP, 0, 0, 50.0f, 75.0f, 0.0f, MOVE_FORWARD, 44.55f, MA_CRAWL_FORWARDS, MA_CRAWL_FORWARDS, MCLASS_LYING, 0},
    {"CRAWL_BACKWARDS", kNone, 0, END_LOOP, 0, 0, 50.0f, -75.0f, 180.0f, MOVE_BACKWARD, 44.55f, MA_CRAWL_BACKWARDS, MA_CRAWL_BACKWARDS, MCLASS_LYING, 0},
    {"PRONE", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 44.55f, MA_CRAWL_STANCE, MA_CRAWL_STANCE, MCLASS_LYING, 3},
    {"PRONE_READY", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_NONE, 44.55f, MA_CRAWL_STANCE, MA_CRAWL_STANCE, MCLASS_LYING, 3},
    {"CRAWL_TURN_LEFT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_LEFT, 44.55f, MA_CRAWL_TURN_LEFT, MA_CRAWL_TURN_LEFT, MCLASS_LYING, 0},
    {"CRAWL_TURN_RIGHT", kNone, 0, END_LOOP, 0, 0, 0.0f, 0.0f, 0.0f, MOVE_TURN_RIGHT, 44.55f, MA_CRAWL_TURN_RIGHT, MA_CRAWL_TURN_RIGHT, MCLASS_LYING, 0},
    {"CRAWL_LEFT", kNone, 0, END_LOOP, 0, 0, 40.0f, 60.0f, 0.0f, MOVE_LEFT, 44.55f, MA_CRAWL_TURN_LEFT, MA_CRAWL_TURN_LEFT, MCLASS_LYING, 0},
    {"CRAWL_RIGHT", kNone, 0, END_LOOP, 0, 0, 40.0f, 60.0f, 0.0f, MOVE_RIGHT, 44.55f, MA_CRAWL_TURN_RIGHT, MA_CRAWL_TURN_RIGHT, MCLASS_LYING, 0},
    {"PRONE_USE_COMMS", ANIM_CRAWLING_USE_COMMS, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"PRONE_USE_BINOCULARS", ANIM_CRAWLING_USE_BINOCULARS, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"GOING_PRONE", ANIM_PRONE_TRANSITION, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"GETTING_UP", ANIM_PRONE_TRANSITION, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"FLINCH", ANIM_STANDING_FLINCH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"USE_ITEM_ON", ANIM_USE_WIRECUTTERS, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SCRIPTED_SIGNAL", ANIM_THANKYOU_1, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"UNLOCK_WITH_ITEM", ANIM_UNLOCK_DOOR, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"SLEEPING", ANIM_STANDING_SLEEPING, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"UNCONSCIOUS", ANIM_SCRIPTED_UNCONSCIOUS, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"HANDS_UP", ANIM_COWER, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"THANK_YOU", ANIM_THANKYOU_2, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"LOOK_AROUND", ANIM_IDLE_LOOK_AROUND_WITH_GUN, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"DISCARD_LAW", ANIM_KNEELING_DISCARD_LAW, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"PRONE_DISCARD_LAW", ANIM_CRAWLING_DISCARD_LAW, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"PRONE_USE_DETONATOR", ANIM_PRONE_USE_DETONATOR, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"PRONE_PLANT_CHARGE", ANIM_PRONE_PLANT_EXPLOSIVES, 0, END_LOOP, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DEAD", kNone, 0, END_FREEZE, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DEATH_BACK", ANIM_MG_DEATH_BACK, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DEATH_FORWARD", ANIM_MG_DEATH_FORWARD, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DEATH_LEFT", ANIM_MG_DEATH_LEFT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DEATH_RIGHT", ANIM_MG_DEATH_RIGHT, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"RECOVER_FORWARD", ANIM_RECOVER_FROM_FORWARDS_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"RECOVER_BACK", ANIM_RECOVER_FROM_BACKWARDS_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"RECOVER_LEFT", ANIM_RECOVER_FROM_LEFT_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"RECOVER_RIGHT", ANIM_RECOVER_FROM_RIGHT_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LYING, 0},
    {"DYING_IN_VEHICLE", ANIM_TANK_COMMANDER_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"PRONE_DEATH", ANIM_PRONE_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_LOW, 0},
    {"HEADSHOT_DEATH", ANIM_HEADSHOT_DEATH, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
    {"FALL_FROM_HEIGHT", ANIM_FALL_FROM_TOWER_FORWARD, 0, END_HOLD, 0, 1, 0.0f, 0.0f, 0.0f, MOVE_NONE, 0.0f, kNoSetAnimation, kNoSetAnimation, MCLASS_STANDING, 0},
};

const UpperBodyStateRow kUpperBodyStates[UPPER_BODY_STATE_COUNT] = {
    // name, arms busy, weapon animation (0 aim, 1 use, 2 reload, 3 prone aim, 4 prone use, 5 prone reload),
    // slot, end mode, use allowed
    {"LOWERED", 0, -1, kNone, END_LOOP, 1},
    {"LOWERED_PRONE", 0, -1, kNone, END_LOOP, 1},
    {"AIMING", 1, 0, kNone, END_LOOP, 1},
    {"RAISING", 1, 0, kNone, END_ONCE, 0},
    {"AIMING_PRONE", 1, 3, kNone, END_LOOP, 1},
    {"LOWERING", 1, -1, kNone, END_ONCE, 0},
    {"GRENADE_PREPARE", 1, 1, kNone, END_ONCE, 0},
    {"GRENADE_THROW", 1, 1, kNone, END_ONCE, 0},
    {"RELOAD", 1, 2, kNone, END_ONCE, 0},
    {"RELOAD_PRONE", 1, 5, kNone, END_ONCE, 0},
    {"KNIFE_STAB", 1, 1, kNone, END_ONCE, 0},
    {"BINOCULARS_RAISE", 1, -1, ANIM_USE_BINOCULARS, END_ONCE, 0},
    {"BINOCULARS", 1, -1, ANIM_USE_BINOCULARS, END_FREEZE, 1},
    {"BINOCULARS_LOWER", 1, -1, kNone, END_ONCE, 0},
    {"RADIO", 1, -1, ANIM_USE_COMMS, END_LOOP, 1},
    {"RADIO_END", 1, -1, kNone, END_ONCE, 0},
    {"ANTI_TANK_FIRE", 1, 1, kNone, END_ONCE, 0},
    {"DETONATOR", 1, -1, ANIM_USE_DETONATOR, END_ONCE, 0},
    {"DETONATOR_PRONE", 1, -1, ANIM_PRONE_USE_DETONATOR, END_ONCE, 0},
    {"GOGGLES_ON", 1, -1, kNone, END_ONCE, 0},
    {"GOGGLES_OFF", 1, -1, kNone, END_ONCE, 0},
    {"HAND_SIGNAL", 1, -1, ANIM_STANDING_GIVE_FOLLOW_ME_SIGNAL, END_ONCE, 0},
    {"ITEM_USE", 1, 1, kNone, END_ONCE, 0},
    {"ANTI_TANK_DISCARD", 1, -1, ANIM_KNEELING_DISCARD_LAW, END_ONCE, 0},
    {"ANTI_TANK_DISCARD_PRONE", 1, -1, ANIM_CRAWLING_DISCARD_LAW, END_ONCE, 0},
    {"GRENADE_PRONE", 1, 4, kNone, END_ONCE, 0},
};


// The pistol set's slots 0 to 28 in order are: patrol stance, stance, walk,
// run, limping run, turn left and right, walk backwards, six standing
// strafes, four kneeling strafes, kneeling stance, kneeling turns, kneeling
// walk and walk backwards, crawling stance, turns, forwards and backwards,
// guard patrol; the rifle's and the anti-tank weapon's follow at 29 and 58.
#define SET_ROW(first, jog, standIdle, kneelIdle)                                                          \
  {                                                                                                        \
    (first) + 1, (first) + 0, (first) + 28, (first) + 3, (first) + 4, (first) + 5, (first) + 6, (first) + 7, \
        (first) + 8, (first) + 9, (first) + 10, (first) + 11, (first) + 12, (first) + 13, (first) + 14,       \
        (first) + 15, (first) + 16, (first) + 17, (first) + 19, (first) + 18, (first) + 20, (first) + 21,     \
        (first) + 22, (first) + 23, (first) + 24, (first) + 25, (first) + 26, (first) + 27, (jog),            \
        (first) + 2, (standIdle), (standIdle) + 1, (standIdle) + 2, (standIdle) + 3, (kneelIdle),            \
        (kneelIdle) + 1, (kneelIdle) + 2, (kneelIdle) + 3                                                  \
  }

const std::uint16_t kAnimationSets[ANIMSET_COUNT][MOVE_ANIM_COUNT] = {
    SET_ROW(ANIM_STANDING_PATROL_STANCE_WITH_PISTOL, ANIM_STANDING_JOG_BACKWARDS_WITH_PISTOL,
            ANIM_STANDING_UPRIGHT_PISTOL_IDLE_0, ANIM_KNEELING_PISTOL_IDLE_0),
    SET_ROW(ANIM_STANDING_PATROL_STANCE_WITH_RIFLE, ANIM_STANDING_JOG_BACKWARDS_WITH_RIFLE,
            ANIM_STANDING_UPRIGHT_RIFLE_IDLE_0, ANIM_KNEELING_RIFLE_IDLE_0),
    SET_ROW(ANIM_STANDING_PATROL_STANCE_WITH_LAW, ANIM_STANDING_JOG_BACKWARDS_WITH_LAW,
            ANIM_STANDING_UPRIGHT_LAW_IDLE_0, ANIM_KNEELING_LAW_IDLE_0),
};
#undef SET_ROW

const MovementStateRow& MovementStateRowOf(int state) {
  return kMovementStates[state >= 0 && state < MOVEMENT_STATE_COUNT ? state : 0];
}

const UpperBodyStateRow& UpperBodyStateRowOf(int state) {
  return kUpperBodyStates[state >= 0 && state < UPPER_BODY_STATE_COUNT ? state : 0];
}
