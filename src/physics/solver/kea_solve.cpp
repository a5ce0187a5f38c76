#include "physics/solver/kea_solve.h"

#include <algorithm>

#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_integrate.h"
#include "physics/solver/kea_jacobian_kernel.h"
#include "physics/solver/kea_lcp.h"
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_pool.h"
#include "physics/util/me_message.h"
#include "physics/util/me_profile.h"

namespace {

int roundUp4(int v) { return (v + 3) & ~3; }
int roundUp16(int v) { return (v + 15) & ~15; }
int roundUp64(int v) { return (v + 63) & ~63; }

int blockMapBytes(int blocks) { return roundUp16(4 * blocks * (1 + 2 * keaBlockMaxEntries)) + 16; }
int bodyRecordBytes(int bodies) { return bodies * 48 + 16 + bodies * 32 + 16; }

// What one group of n rows takes from the pool, all blocks counted.
int groupMemory(int n, int bodyCount) {
  const int P = roundUp4(n);
  const int nb = P / 4;
  return nb * 960 + 16 + P * 4 + 16 + blockMapBytes(nb) + keaMatrixKernelMemory(n, bodyCount) + keaLcpMemory(n);
}

template <class T>
T* take(int bytes, const char* name) {
  void* p = keaPoolAlloc(bytes, name);
  return p ? keaAlign16<T>(p) : nullptr;
}

MeReal isotropicInverseInertia(const keaBody& b) {
  return 1.0f / std::max(b.I[0], std::max(b.I[5], b.I[10]));
}

// Solves one group whose arrays start at the set's pointers.
void solveGroup(const keaConstraints& set, int g, keaBody* bodies, int bodyCount, const keaParameters& params,
                const MeReal* invI, const MeReal* vf, KeaMatrixKernel* matrix, KeaJacobianKernel* jacobian) {
  const int rows = set.groupRows[g];
  const int constraints = set.groupConstraints[g];
  const int P = roundUp4(rows);
  const int blocks = P / 4;

  MeReal* jm = take<MeReal>(blocks * 960 + 16, "jmvectorstore");
  MeReal* rhs = jm ? take<MeReal>(P * 4 + 16, "rhs") : nullptr;
  int* mapMemory = rhs ? take<int>(blockMapBytes(blocks), "blockmap") : nullptr;
  if (!mapMemory) return;
  keaBlockMap map;
  map.entryCount = mapMemory;
  map.bodies = mapMemory + blocks;
  map.slots = map.bodies + blocks * keaBlockMaxEntries;
  const int steps = keaConstraintsGroupSteps(set.groupJacobianRows[g]);
  if (!keaBuildBlockMap(&map, blocks, steps, set.rowsPerConstraint, set.bodies, constraints, bodyCount)) {
    MeWarning(0, "keaSolve: the Jacobian layout of a group of %d rows does not fit its blocks; group skipped.\n",
              rows);
    return;
  }

  matrix->eps = params.epsilon;
  matrix->invH = 1.0f / params.stepSize;
  matrix->bodyCount = bodyCount;
  if (!matrix->allocate(rows)) return;

  keaGroupData data;
  data.blocks = blocks;
  data.blockCounts = map.entryCount;
  data.blockBodies = map.bodies;
  data.blockSlots = map.slots;
  data.J = set.jacobian;
  data.jm = jm;
  data.invI = invI;
  data.vf = vf;
  data.rhs = rhs;
  data.xi = set.xi;
  data.c = set.c;
  data.xgamma = set.xgamma;
  data.gamma = params.gamma;
  data.h = params.stepSize;
  data.lambda = set.lambda;
  data.bodies = bodies;
  data.forceOut = set.force;

  MeProfileStartSection("calcJinvMandRHS", 0);
  jacobian->calcJinvMandRHS(data);
  MeProfileEndSectionFn("calcJinvMandRHS");

  MeProfileStartSection("calcJinvMJT", 0);
  matrix->calcJinvMJT(jm, set.jacobian, map.bodies, map.entryCount, set.softness);
  MeProfileEndSectionFn("calcJinvMJT");

  MeProfileStartSection("factorize", 0);
  matrix->factorize();
  MeProfileEndSectionFn("factorize");

  keaLcpSolve(matrix, set.lambda, rhs, set.lo, set.hi, params.maxIterations);

  MeProfileStartSection("calculateConstraintForces", 0);
  jacobian->calculateConstraintForces(data);
  MeProfileEndSectionFn("calculateConstraintForces");
}

}  // namespace

int keaMemoryRequired(int rows, int bodyCount) {
  if (rows < 0) rows = 0;
  if (bodyCount < 0) bodyCount = 0;
  const int P = roundUp4(rows);
  const int s = keaCacheStride(rows);
  const int base = P * (16 * P + 2408) + roundUp64(4 * s * s) + 144;
  // The block tables: the block map, the per-body work records and the
  // links between each body's blocks.
  const int tables = blockMapBytes(P / 4) + bodyRecordBytes(bodyCount) + 40 * (P / 4) + 4 * bodyCount + 64;
  // The closed form is that of an all-single-precision solver.  The factor,
  // the A^-1 columns and the LCP's dense matrix are kept in double (see
  // KeaWide), so for all but the smallest groups the exact sum of the blocks
  // is the larger (about 28 P^2 bytes against 20 P^2); it is kept as a floor
  // so that the blocks can never outgrow the answer.
  const int exact = (rows > 0 ? groupMemory(rows, bodyCount) : 0) + bodyRecordBytes(bodyCount);
  return std::max(base + tables, exact);
}

void keaSolve(keaConstraints set, keaBody* bodies, MeReal* transforms, int bodyCount, keaParameters params) {
  (void)transforms;
  if (bodyCount <= 0) return;
  keaPoolInit(params.memoryPool, params.memoryPoolSize);

  bool anyRows = false;
  for (int g = 0; g < set.groupCount; ++g) anyRows = anyRows || set.groupConstraints[g] > 0;

  if (anyRows) {
    MeReal* invI = take<MeReal>(bodyCount * 48 + 16, "invI");
    MeReal* vf = invI ? take<MeReal>(bodyCount * 32 + 16, "vf") : nullptr;
    if (vf) {
      // Work records: isotropic inverse inertia with the inverse mass in
      // element 3, and v/h + f/m, w/h + I^-1 t.
      const MeReal invH = 1.0f / params.stepSize;
      for (int i = 0; i < bodyCount; ++i) {
        const keaBody& b = bodies[i];
        MeReal* ii = invI + 12 * i;
        MeReal* v = vf + 8 * i;
        for (int k = 0; k < 12; ++k) ii[k] = 0;
        const MeReal iso = isotropicInverseInertia(b);
        ii[0] = ii[5] = ii[10] = iso;
        ii[3] = b.invMass;
        for (int k = 0; k < 3; ++k) {
          v[k] = b.vel[k] * invH + b.invMass * b.force[k];
          v[4 + k] = b.velrot[k] * invH + iso * b.torque[k];
        }
        v[3] = v[7] = 0;
      }

      KeaMatrixKernelX86 matrixX86;
      KeaMatrixKernelSse matrixSse;
      KeaJacobianKernelX86 jacobianX86;
      KeaJacobianKernelSse jacobianSse;
      const bool sse = params.kernelChoice == keaKernelSse;
      KeaMatrixKernel* matrix = sse ? static_cast<KeaMatrixKernel*>(&matrixSse) : &matrixX86;
      KeaJacobianKernel* jacobian = sse ? static_cast<KeaJacobianKernel*>(&jacobianSse) : &jacobianX86;

      for (int g = 0; g < set.groupCount; ++g) {
        const int rows = set.groupRows[g];
        const int constraints = set.groupConstraints[g];
        if (constraints > 0) {
          keaPoolPushMark();
          solveGroup(set, g, bodies, bodyCount, params, invI, vf, matrix, jacobian);
          keaPoolPopMark();
        }
        // Move every array past the group.
        set.jacobian += static_cast<size_t>(set.groupJacobianRows[g]) * keaJacobianRowFloats;
        const int rowStep = roundUp4(rows);
        set.xi += rowStep;
        set.c += rowStep;
        set.lo += rowStep;
        set.hi += rowStep;
        set.lambda += rowStep;
        set.softness += rowStep;
        set.xgamma += rowStep;
        set.force += 16 * constraints;
        set.rowsPerConstraint += constraints;
        set.firstRow += constraints;
        set.bodies += 2 * constraints;
      }
    }
  }

  for (int i = 0; i < bodyCount; ++i) {
    keaBody& b = bodies[i];
    const MeReal iso = isotropicInverseInertia(b);
    for (int k = 0; k < 3; ++k) {
      b.accel[k] = b.invMass * b.force[k];
      b.accelrot[k] = iso * b.torque[k];
    }
  }
}

void keaSolveAndIntegrate(keaConstraints set, keaBody* bodies, MeReal* transforms, int bodyCount,
                          keaParameters params) {
  keaSolve(set, bodies, transforms, bodyCount, params);
  keaIntegrate(bodies, transforms, bodyCount, &params);
}
