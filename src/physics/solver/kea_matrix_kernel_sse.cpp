// The SSE matrix kernel: A built from whole 4-float rows and columns of
// 16-byte-aligned 4x4 blocks with packed multiply-add.
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_matrix_kernel_blocked.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define KEA_HAVE_SSE 1
#endif

namespace {

#ifdef KEA_HAVE_SSE
inline __m128 splat(MeReal v) { return _mm_set1_ps(v); }
#endif

}  // namespace

#ifdef KEA_HAVE_SSE

struct KeaSseOps {
  static void zero16(MeReal* a) {
    const __m128 z = _mm_setzero_ps();
    _mm_store_ps(a, z);
    _mm_store_ps(a + 4, z);
    _mm_store_ps(a + 8, z);
    _mm_store_ps(a + 12, z);
  }
  // a += jm j^T: row r of a gathers jm's row-r element of each column times
  // that column of j.
  static void jmjt(MeReal* a, const MeReal* jm, const MeReal* j) {
    __m128 jc[6];
    for (int k = 0; k < 6; ++k) jc[k] = _mm_load_ps(j + 4 * k);
    for (int r = 0; r < 4; ++r) {
      __m128 acc = _mm_load_ps(a + 4 * r);
      for (int k = 0; k < 6; ++k) acc = _mm_add_ps(acc, _mm_mul_ps(splat(jm[4 * k + r]), jc[k]));
      _mm_store_ps(a + 4 * r, acc);
    }
  }
};

template class KeaMatrixKernelOf<KeaSseOps>;

#else
#error "the SSE kernel needs an SSE-capable target"
#endif
