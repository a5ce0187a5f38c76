// The vehicle's states and events as "VehicleStateRules.txt" names them, in
// number order (the columns and rows of the vehicle rule table).  The goat
// walks through states 5 to 11.
#pragma once

#define VEHICLE_STATES(X)          \
  X(AIR_STOPPED)                   \
  X(AIR_ACCELERATE)                \
  X(AIR_DECELERATE)                \
  X(HOVER_ACCELERATE)              \
  X(HOVER_DECELERATE)              \
  X(GOAT_DEAD)                     \
  X(GOAT_BLENDING_TO_STANDING)     \
  X(GOAT_STANDING)                 \
  X(GOAT_WALKING)                  \
  X(GOAT_WALKING_STOPPING)         \
  X(GOAT_GRAZING)                  \
  X(GOAT_DYING)                    \
  X(GROUND_IDLE)                   \
  X(TURN_ON_SPOT)                  \
  X(TURN_ON_SPOT_LEFT)             \
  X(TURN_ON_SPOT_RIGHT)            \
  X(FORWARD_ACCELERATE)            \
  X(FORWARD_DECELERATE)            \
  X(REVERSE_ACCELERATE)            \
  X(REVERSE_DECELERATE)

#define VEHICLE_EVENTS(X)          \
  X(ANIM_FINISHED)                 \
  X(SPEED_ZERO)                    \
  X(ALIVE)                         \
  X(DEAD)                          \
  X(HOLD)                          \
  X(ON_COURSE)                     \
  X(OFF_COURSE)                    \
  X(GOAT_RESTLESS)                 \
  X(PLAYER_FORWARD)                \
  X(PLAYER_FORWARD_RELEASED)       \
  X(PLAYER_TURN_LEFT)              \
  X(PLAYER_TURN_LEFT_RELEASED)     \
  X(PLAYER_TURN_RIGHT)             \
  X(PLAYER_TURN_RIGHT_RELEASED)    \
  X(PLAYER_BACK)                   \
  X(PLAYER_BACK_RELEASED)          \
  X(SPARE)

enum VehicleState : int {
#define X(name) VS_##name,
  VEHICLE_STATES(X)
#undef X
  VEHICLE_STATE_COUNT
};

enum VehicleEvent : int {
#define X(name) VE_##name,
  VEHICLE_EVENTS(X)
#undef X
  VEHICLE_EVENT_COUNT
};

extern const char* const kVehicleStateNames[VEHICLE_STATE_COUNT];
extern const char* const kVehicleEventNames[VEHICLE_EVENT_COUNT];
