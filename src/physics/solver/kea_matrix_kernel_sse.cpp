// The SSE matrix kernel: whole 4-float rows and columns of 16-byte-aligned
// 4x4 blocks with packed multiply-add; 1/sqrt(d) from the hardware estimate
// refined by one Newton step r' = 0.5 r (3 - d r^2), and 1/d from the
// hardware estimate refined by r' = 2r - d r^2.
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_matrix_kernel_blocked.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define KEA_HAVE_SSE 1
#endif

namespace {

#ifdef KEA_HAVE_SSE

inline MeReal reciprocalSqrt(MeReal d) {
  const __m128 v = _mm_set_ss(d);
  const __m128 r = _mm_rsqrt_ss(v);
  // r' = 0.5 r (3 - d r^2)
  const __m128 r2 = _mm_mul_ss(_mm_mul_ss(v, r), r);
  return _mm_cvtss_f32(_mm_mul_ss(_mm_mul_ss(_mm_set_ss(0.5f), r), _mm_sub_ss(_mm_set_ss(3.0f), r2)));
}

inline __m128 reciprocal(__m128 d) {
  const __m128 r = _mm_rcp_ps(d);
  // r' = 2r - d r^2
  return _mm_sub_ps(_mm_add_ps(r, r), _mm_mul_ps(d, _mm_mul_ps(r, r)));
}

inline __m128 splat(MeReal v) { return _mm_set1_ps(v); }

// Dot product of two float runs of length n, four at a time.
inline MeReal dot(const MeReal* a, const MeReal* b, int n) {
  __m128 acc = _mm_setzero_ps();
  int k = 0;
  for (; k + 4 <= n; k += 4) acc = _mm_add_ps(acc, _mm_mul_ps(_mm_loadu_ps(a + k), _mm_loadu_ps(b + k)));
  alignas(16) MeReal lanes[4];
  _mm_store_ps(lanes, acc);
  MeReal s = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
  for (; k < n; ++k) s += a[k] * b[k];
  return s;
}

#endif  // KEA_HAVE_SSE

}  // namespace

#ifdef KEA_HAVE_SSE

struct KeaSseOps {
  // The dense L D L^T and its solve, defined below.
  static void factorizeDense(MeReal* Q, int m);
  static void solveDense(const MeReal* Q, MeReal* b, int m);
  static void zero16(MeReal* a) {
    const __m128 z = _mm_setzero_ps();
    _mm_store_ps(a, z);
    _mm_store_ps(a + 4, z);
    _mm_store_ps(a + 8, z);
    _mm_store_ps(a + 12, z);
  }
  static void copy16(MeReal* a, const MeReal* b) {
    _mm_store_ps(a, _mm_load_ps(b));
    _mm_store_ps(a + 4, _mm_load_ps(b + 4));
    _mm_store_ps(a + 8, _mm_load_ps(b + 8));
    _mm_store_ps(a + 12, _mm_load_ps(b + 12));
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
  // c -= x y^T: row r of x y^T is sum_m x_rm (column m of y).
  static void subXYt(MeReal* c, const MeReal* x, const MeReal* y) {
    __m128 y0 = _mm_load_ps(y), y1 = _mm_load_ps(y + 4), y2 = _mm_load_ps(y + 8), y3 = _mm_load_ps(y + 12);
    _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
    for (int r = 0; r < 4; ++r) {
      const MeReal* xr = x + 4 * r;
      __m128 p = _mm_add_ps(_mm_add_ps(_mm_mul_ps(splat(xr[0]), y0), _mm_mul_ps(splat(xr[1]), y1)),
                            _mm_add_ps(_mm_mul_ps(splat(xr[2]), y2), _mm_mul_ps(splat(xr[3]), y3)));
      _mm_store_ps(c + 4 * r, _mm_sub_ps(_mm_load_ps(c + 4 * r), p));
    }
  }
  static void cholDiag(MeReal* l, MeReal* rsD) {
    for (int c = 0; c < 4; ++c) {
      MeReal d = l[5 * c];
      for (int m = 0; m < c; ++m) d -= l[4 * c + m] * l[4 * c + m];
      const MeReal r = reciprocalSqrt(d);
      l[5 * c] = d * r;  // sqrt(d)
      rsD[c] = r;
      for (int row = c + 1; row < 4; ++row) {
        MeReal s = l[4 * row + c];
        for (int m = 0; m < c; ++m) s -= l[4 * row + m] * l[4 * c + m];
        l[4 * row + c] = s * r;
      }
      for (int row = c + 1; row < 4; ++row) l[4 * c + row] = 0;
    }
  }
  // b <- b L^-T, four rows of b at once: with the columns of b as vectors,
  // column c of the result is (b_c - sum_m<c L_cm y_m) / L_cc.
  static void solveRightLt(MeReal* b, const MeReal* l, const MeReal* rsD) {
    __m128 c0 = _mm_load_ps(b), c1 = _mm_load_ps(b + 4), c2 = _mm_load_ps(b + 8), c3 = _mm_load_ps(b + 12);
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    c0 = _mm_mul_ps(c0, splat(rsD[0]));
    c1 = _mm_mul_ps(_mm_sub_ps(c1, _mm_mul_ps(splat(l[4]), c0)), splat(rsD[1]));
    c2 = _mm_mul_ps(_mm_sub_ps(c2, _mm_add_ps(_mm_mul_ps(splat(l[8]), c0), _mm_mul_ps(splat(l[9]), c1))),
                    splat(rsD[2]));
    c3 = _mm_mul_ps(
        _mm_sub_ps(c3, _mm_add_ps(_mm_add_ps(_mm_mul_ps(splat(l[12]), c0), _mm_mul_ps(splat(l[13]), c1)),
                                  _mm_mul_ps(splat(l[14]), c2))),
        splat(rsD[3]));
    _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
    _mm_store_ps(b, c0);
    _mm_store_ps(b + 4, c1);
    _mm_store_ps(b + 8, c2);
    _mm_store_ps(b + 12, c3);
  }
  // m x as a sum of m's columns weighted by x.
  static __m128 matVec(const MeReal* m, const MeReal* x) {
    __m128 a0 = _mm_load_ps(m), a1 = _mm_load_ps(m + 4), a2 = _mm_load_ps(m + 8), a3 = _mm_load_ps(m + 12);
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a0, splat(x[0])), _mm_mul_ps(a1, splat(x[1]))),
                      _mm_add_ps(_mm_mul_ps(a2, splat(x[2])), _mm_mul_ps(a3, splat(x[3]))));
  }
  // m^T x as a sum of m's rows weighted by x.
  static __m128 matTVec(const MeReal* m, const MeReal* x) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_load_ps(m), splat(x[0])), _mm_mul_ps(_mm_load_ps(m + 4), splat(x[1]))),
                      _mm_add_ps(_mm_mul_ps(_mm_load_ps(m + 8), splat(x[2])),
                                 _mm_mul_ps(_mm_load_ps(m + 12), splat(x[3]))));
  }
  static void subMatVec(MeReal* y, const MeReal* m, const MeReal* x) {
    _mm_storeu_ps(y, _mm_sub_ps(_mm_loadu_ps(y), matVec(m, x)));
  }
  static void subMatTVec(MeReal* y, const MeReal* m, const MeReal* x) {
    _mm_storeu_ps(y, _mm_sub_ps(_mm_loadu_ps(y), matTVec(m, x)));
  }
  static void addMatVec(MeReal* y, const MeReal* m, const MeReal* x) {
    _mm_storeu_ps(y, _mm_add_ps(_mm_loadu_ps(y), matVec(m, x)));
  }
  static void addMatTVec(MeReal* y, const MeReal* m, const MeReal* x) {
    _mm_storeu_ps(y, _mm_add_ps(_mm_loadu_ps(y), matTVec(m, x)));
  }
  static void forwardDiag(MeReal* y, const MeReal* l, const MeReal* rsD) {
    y[0] = y[0] * rsD[0];
    y[1] = (y[1] - l[4] * y[0]) * rsD[1];
    y[2] = (y[2] - l[8] * y[0] - l[9] * y[1]) * rsD[2];
    y[3] = (y[3] - l[12] * y[0] - l[13] * y[1] - l[14] * y[2]) * rsD[3];
  }
  static void backwardDiag(MeReal* x, const MeReal* l, const MeReal* rsD) {
    x[3] = x[3] * rsD[3];
    x[2] = (x[2] - l[14] * x[3]) * rsD[2];
    x[1] = (x[1] - l[9] * x[2] - l[13] * x[3]) * rsD[1];
    x[0] = (x[0] - l[4] * x[1] - l[8] * x[2] - l[12] * x[3]) * rsD[0];
  }
};

// The same L D L^T as the x86 kernel; each sum over k is a 4-wide dot
// product of row i with t_k = L_jk d_k, and 1/d_j multiplies instead of
// dividing.  t lives in the spare row past the matrix (Q has m + 1 rows).
void KeaSseOps::factorizeDense(MeReal* Q, int m) {
  const int s = keaDenseStride(m);
  MeReal* t = Q + m * s;
  for (int j = 0; j < m; ++j) {
    MeReal* rowJ = Q + j * s;
    for (int k = 0; k < j; ++k) t[k] = rowJ[k] * Q[k * s + k];
    const MeReal d = rowJ[j] - dot(rowJ, t, j);
    rowJ[j] = d;
    const MeReal r = _mm_cvtss_f32(reciprocal(_mm_set_ss(d)));
    for (int i = j + 1; i < m; ++i) {
      MeReal* rowI = Q + i * s;
      rowI[j] = (rowI[j] - dot(rowI, t, j)) * r;
    }
  }
}

void KeaSseOps::solveDense(const MeReal* Q, MeReal* b, int m) {
  const int s = keaDenseStride(m);
  for (int i = 0; i < m; ++i) b[i] -= dot(Q + i * s, b, i);
  int i = 0;
  for (; i + 4 <= m; i += 4) {
    const __m128 d = _mm_set_ps(Q[(i + 3) * s + i + 3], Q[(i + 2) * s + i + 2], Q[(i + 1) * s + i + 1], Q[i * s + i]);
    _mm_storeu_ps(b + i, _mm_mul_ps(_mm_loadu_ps(b + i), reciprocal(d)));
  }
  for (; i < m; ++i) b[i] *= _mm_cvtss_f32(reciprocal(_mm_set_ss(Q[i * s + i])));
  for (int r = m - 1; r >= 0; --r)
    for (int k = r + 1; k < m; ++k) b[r] -= Q[k * s + r] * b[k];
}

template class KeaMatrixKernelOf<KeaSseOps>;

#else
#error "the SSE kernel needs an SSE-capable target"
#endif
