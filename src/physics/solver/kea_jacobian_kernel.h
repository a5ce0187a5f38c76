// The Jacobian kernel of one constraint group: forms J M^-1 and the right-hand
// side before the factorisation, and turns the solved row forces back into
// body forces afterwards.  x86 and SSE forms compute the same thing.
#pragma once

#include <cstddef>

#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_body.h"
#include "physics/util/me_types.h"

// Everything the two operations read and write for one group.  Per-body work
// records: invI holds 12 floats per body (the isotropic inverse inertia on
// the diagonal of three rows of 4, the inverse mass in element 3), vf holds
// 8 floats per body (v/h + f/m, 0, w/h + I^-1 t, 0).
struct keaGroupData {
  int blocks;
  const int* blockCounts;  // entries per block
  const int* blockBodies;  // keaBlockMaxEntries per block
  const int* blockSlots;   // force-output slot per entry
  const MeReal* J;         // the group's J-blocks in layout order
  MeReal* jm;              // J M^-1, same layout
  const MeReal* invI;
  const MeReal* vf;
  MeReal* rhs;             // P floats
  const MeReal* xi;
  const MeReal* c;
  const MeReal* xgamma;
  MeReal gamma;
  MeReal h;
  const MeReal* lambda;    // P floats, solved
  keaBody* bodies;
  MeReal* forceOut;        // 8 floats per slot: force (4), torque (4)
};

// Scalar bookkeeping both kernels share.  J-blocks are stored in pairs of
// entries: 48 floats per pair, 24 (6 columns of 4 rows) per entry.
// Offset of entry e's J-block in a block whose first pair is pair `step`.
inline size_t keaEntryOffset(int step, int e) { return static_cast<size_t>(step + e / 2) * 48 + (e % 2) * 24; }
// Adds the force (out[0..2]) and torque (out[3..5]) of entry e of block i to
// body b's accumulators and to the constraint's output slot of the entry.
inline void keaAddEntryForce(const keaGroupData& g, int i, int e, int b, const MeReal* out) {
  keaBody& body = g.bodies[b];
  MeReal* slot = g.forceOut + 8 * g.blockSlots[i * keaBlockMaxEntries + e];
  for (int k = 0; k < 3; ++k) {
    body.force[k] += out[k];
    body.torque[k] += out[3 + k];
    slot[k] += out[k];
    slot[4 + k] += out[3 + k];
  }
}

class KeaJacobianKernel {
 public:
  virtual ~KeaJacobianKernel() = default;
  // JM = J M^-1 for every entry with a body, and for every row
  // rhs = (c - (gamma + g) xi / h) / h - J (v/h + M^-1 f).
  virtual void calcJinvMandRHS(const keaGroupData& g) = 0;
  // For every entry with a body: force = J_linear^T lambda, torque =
  // J_angular^T lambda, added to the body's accumulators and to the
  // constraint's force output at the entry's slot.
  virtual void calculateConstraintForces(const keaGroupData& g) = 0;
};

class KeaJacobianKernelX86 final : public KeaJacobianKernel {
 public:
  void calcJinvMandRHS(const keaGroupData& g) override;
  void calculateConstraintForces(const keaGroupData& g) override;
};

class KeaJacobianKernelSse final : public KeaJacobianKernel {
 public:
  void calcJinvMandRHS(const keaGroupData& g) override;
  void calculateConstraintForces(const keaGroupData& g) override;
};
