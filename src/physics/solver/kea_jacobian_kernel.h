// The Jacobian kernel of one constraint group: forms J M^-1 and the right-hand
// side before the factorisation, and turns the solved row forces back into
// body forces afterwards.  x86 and SSE forms compute the same thing.
#pragma once

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
