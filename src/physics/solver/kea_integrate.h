// Body integration: advances the bodies of a partition by one step once the
// solver has left their accelerations.
#pragma once

#include "physics/solver/kea_body.h"
#include "physics/solver/kea_parameters.h"

// Integrates `count` bodies over the parameters' step size h: velocities by
// the accelerations, positions (row 3 of each 16-float transform) by the new
// velocities, orientations by the new angular velocities (a finite rotation
// about the fast-rotation axis where flag bit 0 is set), then renormalises
// the quaternion and rebuilds rows 0-2 of the transform from it.  A count of
// 0 touches nothing.
void keaIntegrate(keaBody* bodies, MeReal* transforms, int count, const keaParameters* parameters);
