// The constraint set: the packed constraint rows of one solve, written by the
// row builders through the world step and read by the solver.
//
// Rows are grouped (one group per partition packing).  Within a group the rows
// are numbered consecutively and cut into blocks of 4 rows; the last block is
// padded.  A constraint's Jacobian is stored as J-blocks that coincide with
// the 4-row blocks its rows touch.  A J-block is 48 floats: two halves of 24
// (first body, second body), each half 6 columns (linear x, y, z, angular
// x, y, z) of 4 floats, one float per row of the block.  Rows of the block
// that belong to other constraints are zero in this J-block.  When a
// constraint begins exactly on a block boundary (and is not the first of its
// group) it also owns an all-zero J-block in the block before, which keeps
// the layout walk of keaBuildBlockMap simple: one step per J-block.
#pragma once

#include "physics/util/me_types.h"

struct keaConstraints {
  int groupCount;          // groups finished so far (the current group)
  int reserved1;
  int* groupRows;          // per group: rows
  int* groupJacobianRows;  // per group: Jacobian rows (4 per J-block once finished)
  int* groupConstraints;   // per group: constraints
  int jacobianRows;        // total Jacobian rows
  int rows;                // total rows, each finished group rounded up to 4
  int reserved2;
  int constraints;         // total constraints
  int reserved3;
  MeReal* jacobian;        // J-blocks, 48 floats each (12 floats per Jacobian row), 16-byte aligned
  MeReal* xi;              // per row: position error
  MeReal* c;               // per row: target velocity
  MeReal* lo;              // per row: lower force bound
  MeReal* hi;              // per row: upper force bound
  MeReal* lambda;          // per row: solved force (output)
  MeReal* force;           // per constraint: 16 floats, force and torque on each body (output)
  MeReal* softness;        // per row: extra diagonal softness s (A_rr += s/h)
  MeReal* xgamma;          // per row: extra error reduction added to gamma
  int* rowsPerConstraint;  // per constraint: rows
  int* firstRow;           // per constraint: first row within its group
  int* bodies;             // per constraint: two body indices, -1 for the world
};

// Floats per J-block and per Jacobian row.
inline constexpr int keaJBlockFloats = 48;
inline constexpr int keaJacobianRowFloats = 12;
// The body index that means "no body" (the static world).
inline constexpr int keaNoBody = -1;

// Starts a new packing: current group, totals and constraint count 0, and the
// first group's entries 0.
void keaConstraintsReset(keaConstraints* set);

// Clears the Jacobian store for `jacobianRows` Jacobian rows, the per-row
// arrays for `rows` rows and the force output for `constraints` constraints.
// The packer passes the sums of the constraints' maximum rows (plus 4 each
// for the Jacobian) so that every row it may write starts at zero.
void keaConstraintsZero(keaConstraints* set, int jacobianRows, int rows, int constraints);

// Index into the per-row arrays (xi, c, lo, hi, softness, xgamma) of row 0 of
// the constraint being built.
int keaConstraintsCurrentRow(const keaConstraints* set);

// Writes row `row` (0-based) of the constraint being built: its Jacobian for
// the first body (j0, 6 floats: linear then angular) and the second (j1, may
// be null for the world).  The row must be below the count later passed to
// keaConstraintsAddConstraint.
void keaConstraintsSetJacobianRow(keaConstraints* set, int row, const MeReal* j0, const MeReal* j1);

// Registers the constraint just built: `rows` rows (1 or more; 0 adds
// nothing) between the bodies with partition indices body0 and body1
// (keaNoBody for the world).
void keaConstraintsAddConstraint(keaConstraints* set, int rows, int body0, int body1);

// Finishes the current group: rounds the total rows up to 4, trims the
// Jacobian counts to whole J-blocks and moves to the next group, whose
// per-group entries start at 0 (so the per-group arrays need one entry more
// than the groups packed).
void keaConstraintsEndGroup(keaConstraints* set);

// Number of J-blocks (block-map steps) of a group with the given Jacobian
// row count after finishing.
inline int keaConstraintsGroupSteps(int groupJacobianRows) { return groupJacobianRows / 4; }
