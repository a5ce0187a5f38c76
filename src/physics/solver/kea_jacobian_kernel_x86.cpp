#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_jacobian_kernel.h"

void KeaJacobianKernelX86::calcJinvMandRHS(const keaGroupData& g) {
  int step = 0;
  for (int i = 0; i < g.blocks; ++i) {
    MeReal sum[4] = {0, 0, 0, 0};
    const int count = g.blockCounts[i];
    for (int e = 0; e < count; ++e) {
      const int b = g.blockBodies[i * keaBlockMaxEntries + e];
      if (b < 0) continue;
      const size_t offset = keaEntryOffset(step, e);
      const MeReal* j = g.J + offset;
      MeReal* jm = g.jm + offset;
      const MeReal invMass = g.invI[12 * b + 3];
      const MeReal invInertia = g.invI[12 * b];
      const MeReal* vf = g.vf + 8 * b;
      for (int col = 0; col < 6; ++col) {
        const MeReal scale = col < 3 ? invMass : invInertia;
        const MeReal v = col < 3 ? vf[col] : vf[col + 1];
        for (int r = 0; r < 4; ++r) {
          jm[4 * col + r] = j[4 * col + r] * scale;
          sum[r] += j[4 * col + r] * v;
        }
      }
    }
    for (int r = 0; r < 4; ++r) {
      const int row = 4 * i + r;
      g.rhs[row] = (g.c[row] - (g.gamma + g.xgamma[row]) * g.xi[row] / g.h) / g.h - sum[r];
    }
    step += count / 2;
  }
}

void KeaJacobianKernelX86::calculateConstraintForces(const keaGroupData& g) {
  int step = 0;
  for (int i = 0; i < g.blocks; ++i) {
    const int count = g.blockCounts[i];
    const MeReal* lambda = g.lambda + 4 * i;
    for (int e = 0; e < count; ++e) {
      const int b = g.blockBodies[i * keaBlockMaxEntries + e];
      if (b < 0) continue;
      const MeReal* j = g.J + keaEntryOffset(step, e);
      MeReal out[6];
      for (int col = 0; col < 6; ++col)
        out[col] = j[4 * col] * lambda[0] + j[4 * col + 1] * lambda[1] + j[4 * col + 2] * lambda[2] +
                   j[4 * col + 3] * lambda[3];
      keaAddEntryForce(g, i, e, b, out);
    }
    step += count / 2;
  }
}
