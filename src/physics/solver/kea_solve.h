// The constraint solver: one call per partition of the world step.
#pragma once

#include "physics/solver/kea_body.h"
#include "physics/solver/kea_constraints.h"
#include "physics/solver/kea_parameters.h"

// Bytes of solver memory a solve of `rows` rows over `bodyCount` bodies
// needs: P (16 P + 2408) + (4 s^2 rounded up to 64) + 144 for P = rows
// rounded up to 4 and s as the A^-1 column cache stride, plus the block map
// and the per-body work records; or, where larger, the exact sum of the
// blocks the solve takes (the double-precision factor makes it so for all
// but the smallest groups).
int keaMemoryRequired(int rows, int bodyCount);

// Solves every group of the constraint set: builds A = J M^-1 J^T + s/h + eps
// (with an isotropic inverse inertia 1/max(Ixx, Iyy, Izz)), solves the box
// LCP for the row forces lambda, adds J^T lambda to the bodies' force and
// torque accumulators and to each constraint's force output, and leaves
// every body's linear and angular acceleration.  The transforms are not
// read.  A body count of 0 returns at once.  Pool exhaustion is a fatal
// error (keaPoolAlloc); should the handler return, the group is skipped.
void keaSolve(keaConstraints constraints, keaBody* bodies, MeReal* transforms, int bodyCount,
              keaParameters parameters);

// keaSolve followed by keaIntegrate on the same bodies.
void keaSolveAndIntegrate(keaConstraints constraints, keaBody* bodies, MeReal* transforms, int bodyCount,
                          keaParameters parameters);
