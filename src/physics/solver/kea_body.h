// The solver's body record: the 60-word block a dynamics body keeps for the
// solver and that the world step copies into the packed body array.  The
// solver reads mass, inertia, velocities and the force accumulators, and
// writes the accumulated constraint forces and the accelerations; the
// integrator then moves velocity, orientation and the body transform.
// Units: metres, kilograms, seconds; vectors in world coordinates.
#pragma once

#include "physics/util/me_types.h"

// Tag of a live body block, and of one whose body was destroyed.
inline constexpr MeU32 keaBodyTagValid = 100;
inline constexpr MeU32 keaBodyTagDestroyed = 0xFFFFFFFFu;
// Flag bits: the fast-rotation axis is in use; the body has constraints.
inline constexpr MeU32 keaBodyFlagFastRotation = 1u;
inline constexpr MeU32 keaBodyFlagHasConstraints = 2u;

struct alignas(16) keaBody {
  MeU32 tag;             // keaBodyTagValid while the body lives
  MeU32 size;            // sizeof(keaBody), 240
  MeReal invMass;        // 1 / mass
  MeU32 flags;           // keaBodyFlag... bits
  MeReal force[4];       // force accumulator (x, y, z, pad)
  MeReal torque[4];      // torque accumulator about the centre of mass
  MeReal invI[12];       // inverse inertia tensor, three rows of 4
  MeReal I[12];          // inertia tensor, three rows of 4 (the solver reads the diagonal)
  MeReal vel[4];         // linear velocity
  MeReal velrot[4];      // angular velocity
  MeReal qrot[4];        // orientation quaternion (w, x, y, z)
  MeReal accel[4];       // linear acceleration, written by the solver
  MeReal accelrot[4];    // angular acceleration, written by the solver
  MeReal fastRotAxis[4]; // unit axis of fast spin (wheels), used with flag bit 0
};
static_assert(sizeof(keaBody) == 240, "the body block is 60 words");
