// The SSE Jacobian kernel: each J column of a block (4 rows) is one register.
#include <xmmintrin.h>

#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_jacobian_kernel.h"

namespace {

inline MeReal horizontalSum(__m128 v) {
  alignas(16) MeReal lanes[4];
  _mm_store_ps(lanes, v);
  return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

}  // namespace

void KeaJacobianKernelSse::calcJinvMandRHS(const keaGroupData& g) {
  int step = 0;
  const __m128 h = _mm_set1_ps(g.h);
  const __m128 gamma = _mm_set1_ps(g.gamma);
  for (int i = 0; i < g.blocks; ++i) {
    __m128 sum = _mm_setzero_ps();
    const int count = g.blockCounts[i];
    for (int e = 0; e < count; ++e) {
      const int b = g.blockBodies[i * keaBlockMaxEntries + e];
      if (b < 0) continue;
      const size_t offset = keaEntryOffset(step, e);
      const MeReal* j = g.J + offset;
      MeReal* jm = g.jm + offset;
      const __m128 invMass = _mm_set1_ps(g.invI[12 * b + 3]);
      const __m128 invInertia = _mm_set1_ps(g.invI[12 * b]);
      const MeReal* vf = g.vf + 8 * b;
      for (int col = 0; col < 6; ++col) {
        const __m128 jc = _mm_load_ps(j + 4 * col);
        _mm_store_ps(jm + 4 * col, _mm_mul_ps(jc, col < 3 ? invMass : invInertia));
        sum = _mm_add_ps(sum, _mm_mul_ps(jc, _mm_set1_ps(col < 3 ? vf[col] : vf[col + 1])));
      }
    }
    const int row = 4 * i;
    const __m128 xi = _mm_loadu_ps(g.xi + row);
    const __m128 c = _mm_loadu_ps(g.c + row);
    const __m128 gg = _mm_add_ps(gamma, _mm_loadu_ps(g.xgamma + row));
    // rhs = (c - (gamma + g) xi / h) / h - sum
    const __m128 target = _mm_div_ps(_mm_sub_ps(c, _mm_div_ps(_mm_mul_ps(gg, xi), h)), h);
    _mm_storeu_ps(g.rhs + row, _mm_sub_ps(target, sum));
    step += count / 2;
  }
}

void KeaJacobianKernelSse::calculateConstraintForces(const keaGroupData& g) {
  int step = 0;
  for (int i = 0; i < g.blocks; ++i) {
    const int count = g.blockCounts[i];
    const __m128 lambda = _mm_loadu_ps(g.lambda + 4 * i);
    for (int e = 0; e < count; ++e) {
      const int b = g.blockBodies[i * keaBlockMaxEntries + e];
      if (b < 0) continue;
      const MeReal* j = g.J + keaEntryOffset(step, e);
      MeReal out[6];
      for (int col = 0; col < 6; ++col) out[col] = horizontalSum(_mm_mul_ps(_mm_load_ps(j + 4 * col), lambda));
      keaAddEntryForce(g, i, e, b, out);
    }
    step += count / 2;
  }
}
