#include "units/vehicle/vehicle_state_names.h"

#define X(name) #name,
const char* const kVehicleStateNames[VEHICLE_STATE_COUNT] = {VEHICLE_STATES(X)};
const char* const kVehicleEventNames[VEHICLE_EVENT_COUNT] = {VEHICLE_EVENTS(X)};
#undef X

static_assert(VEHICLE_STATE_COUNT == 20 && VEHICLE_EVENT_COUNT == 17);
