// The blocked algorithms shared by the x86 and SSE matrix kernels.  They are
// written once over a set of 4x4 block operations (Ops) that build A, so that
// both kernels run exactly the same algorithm; the factor and everything that
// solves with it use the shared double-precision operations (WideOps).
// Internal to the solver.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>

#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_pool.h"

namespace kea_detail {

inline int roundUp16(int v) { return (v + 15) & ~15; }
inline int roundUp64(int v) { return (v + 63) & ~63; }

inline int linkMemory(int n, int bodyCount) {
  const int nb = ((n + 3) & ~3) / 4;
  return roundUp16(4 * keaBlockMaxEntries * nb) + 16 + roundUp16(4 * bodyCount) + 16;
}

constexpr int kWide = static_cast<int>(sizeof(KeaWide));

inline int matrixKernelMemory(int n, int bodyCount) {
  const int P = (n + 3) & ~3;
  const int nb = P / 4;
  const int s = keaCacheStride(n);
  return (P * P * 4 + 16) + (P * P * kWide + 16) + roundUp64(kWide * s * s) + 64 + (P * kWide + 16) +
         roundUp16(nb * nb) + 2 * roundUp16(nb * 4) + linkMemory(n, bodyCount);
}

inline int allocateKernel(KeaMatrixKernel& k, int n) {
  k.n = n;
  k.padded = (n + 3) & ~3;
  k.blocks = k.padded / 4;
  k.cacheStride = keaCacheStride(n);
  const int P = k.padded;
  const int nb = k.blocks;
  void* a = keaPoolAlloc(P * P * 4 + 16, "A");
  void* ainv = a ? keaPoolAlloc(P * P * kWide + 16, "Ainv") : nullptr;
  void* cache =
      ainv ? keaPoolAlloc(roundUp64(kWide * k.cacheStride * k.cacheStride) + 64, "solveresultscache") : nullptr;
  void* rsd = cache ? keaPoolAlloc(P * kWide + 16, "rsD") : nullptr;
  void* nz = rsd ? keaPoolAlloc(roundUp16(nb * nb), "NZ") : nullptr;
  void* nr = nz ? keaPoolAlloc(roundUp16(nb * 4), "NR") : nullptr;
  void* nc = nr ? keaPoolAlloc(roundUp16(nb * 4), "NC") : nullptr;
  void* prev = nc ? keaPoolAlloc(roundUp16(4 * keaBlockMaxEntries * nb) + 16, "links") : nullptr;
  void* last = prev ? keaPoolAlloc(roundUp16(4 * k.bodyCount) + 16, "links") : nullptr;
  if (!last) return 0;
  k.previousEntry = keaAlign16<int>(prev);
  k.lastEntry = keaAlign16<int>(last);
  k.A = keaAlign16<MeReal>(a);
  k.Ainv = keaAlign16<KeaWide>(ainv);
  k.cache = keaAlign16<KeaWide>(cache);
  k.rsD = keaAlign16<KeaWide>(rsd);
  k.NZ = static_cast<unsigned char*>(nz);
  k.NR = static_cast<int*>(nr);
  k.NC = static_cast<int*>(nc);
  return 1;
}

// The factor's 4x4 block operations and the dense L D L^T, in double.
// Blocks are row-major: element (r, c) at [4r + c].
struct WideOps {
  using W = KeaWide;
  static void widen16(W* a, const MeReal* b) {
    for (int i = 0; i < 16; ++i) a[i] = b[i];
  }
  static void zero16(W* a) {
    for (int i = 0; i < 16; ++i) a[i] = 0;
  }
  // c -= x y^T
  static void subXYt(W* c, const W* x, const W* y) {
    for (int r = 0; r < 4; ++r)
      for (int col = 0; col < 4; ++col)
        c[4 * r + col] -= x[4 * r] * y[4 * col] + x[4 * r + 1] * y[4 * col + 1] + x[4 * r + 2] * y[4 * col + 2] +
                          x[4 * r + 3] * y[4 * col + 3];
  }
  // In-place Cholesky of a symmetric 4x4 block: L (lower, upper zeroed),
  // rsD = 1/L_cc.
  static void cholDiag(W* l, W* rsD) {
    for (int c = 0; c < 4; ++c) {
      W d = l[5 * c];
      for (int m = 0; m < c; ++m) d -= l[4 * c + m] * l[4 * c + m];
      const W root = std::sqrt(d);
      const W r = 1.0 / root;
      l[5 * c] = root;
      rsD[c] = r;
      for (int row = c + 1; row < 4; ++row) {
        W s = l[4 * row + c];
        for (int m = 0; m < c; ++m) s -= l[4 * row + m] * l[4 * c + m];
        l[4 * row + c] = s * r;
      }
      for (int row = c + 1; row < 4; ++row) l[4 * c + row] = 0;
    }
  }
  // b <- b L^-T: each row y of the result solves L y^T = b_row^T.
  static void solveRightLt(W* b, const W* l, const W* rsD) {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        W s = b[4 * r + c];
        for (int m = 0; m < c; ++m) s -= l[4 * c + m] * b[4 * r + m];
        b[4 * r + c] = s * rsD[c];
      }
  }
  static void subMatVec(W* y, const W* m, const W* x) {
    for (int r = 0; r < 4; ++r) y[r] -= m[4 * r] * x[0] + m[4 * r + 1] * x[1] + m[4 * r + 2] * x[2] + m[4 * r + 3] * x[3];
  }
  static void subMatTVec(W* y, const W* m, const W* x) {
    for (int c = 0; c < 4; ++c) y[c] -= m[c] * x[0] + m[4 + c] * x[1] + m[8 + c] * x[2] + m[12 + c] * x[3];
  }
  // y += A x and y += A^T x with a single-precision block of A.
  static void addMatVec(W* y, const MeReal* m, const W* x) {
    for (int r = 0; r < 4; ++r) y[r] += m[4 * r] * x[0] + m[4 * r + 1] * x[1] + m[4 * r + 2] * x[2] + m[4 * r + 3] * x[3];
  }
  static void addMatTVec(W* y, const MeReal* m, const W* x) {
    for (int c = 0; c < 4; ++c) y[c] += m[c] * x[0] + m[4 + c] * x[1] + m[8 + c] * x[2] + m[12 + c] * x[3];
  }
  static void forwardDiag(W* y, const W* l, const W* rsD) {
    y[0] = y[0] * rsD[0];
    y[1] = (y[1] - l[4] * y[0]) * rsD[1];
    y[2] = (y[2] - l[8] * y[0] - l[9] * y[1]) * rsD[2];
    y[3] = (y[3] - l[12] * y[0] - l[13] * y[1] - l[14] * y[2]) * rsD[3];
  }
  static void backwardDiag(W* x, const W* l, const W* rsD) {
    x[3] = x[3] * rsD[3];
    x[2] = (x[2] - l[14] * x[3]) * rsD[2];
    x[1] = (x[1] - l[9] * x[2] - l[13] * x[3]) * rsD[1];
    x[0] = (x[0] - l[4] * x[1] - l[8] * x[2] - l[12] * x[3]) * rsD[0];
  }

  // Q = L D L^T: d_j = q_jj - sum_k<j L_jk^2 d_k;
  // L_ij = (q_ij - sum_k<j L_ik L_jk d_k) / d_j for i > j.  The products
  // t_k = L_jk d_k of row j are formed once in the spare row past the
  // matrix (Q has m + 1 rows).
  static void factorizeDense(W* Q, int m) {
    const int s = keaDenseStride(m);
    W* t = Q + static_cast<size_t>(m) * s;
    for (int j = 0; j < m; ++j) {
      W* rowJ = Q + static_cast<size_t>(j) * s;
      W d = rowJ[j];
      for (int k = 0; k < j; ++k) {
        t[k] = rowJ[k] * Q[static_cast<size_t>(k) * s + k];
        d -= rowJ[k] * t[k];
      }
      rowJ[j] = d;
      for (int i = j + 1; i < m; ++i) {
        W* rowI = Q + static_cast<size_t>(i) * s;
        W v = rowI[j];
        for (int k = 0; k < j; ++k) v -= rowI[k] * t[k];
        rowI[j] = v / d;
      }
    }
  }
  // L y = b, z = y / D, L^T x = z.
  static void solveDense(const W* Q, W* b, int m) {
    const int s = keaDenseStride(m);
    for (int i = 0; i < m; ++i)
      for (int k = 0; k < i; ++k) b[i] -= Q[static_cast<size_t>(i) * s + k] * b[k];
    for (int i = 0; i < m; ++i) b[i] /= Q[static_cast<size_t>(i) * s + i];
    for (int i = m - 1; i >= 0; --i)
      for (int k = i + 1; k < m; ++k) b[i] -= Q[static_cast<size_t>(k) * s + i] * b[k];
  }
};

template <class Ops>
struct Blocked {
  using W = KeaWide;
  template <class T>
  static T* blk(T* m, int nb, int i, int j) {
    return m + 16 * (static_cast<size_t>(i) * nb + j);
  }

  // A_ij = sum over the body entries that blocks i and j share of
  // JM_i (4 rows x 6 columns) times J_j^T.  Block rows run over the J-blocks
  // of the group in layout order; each J-block has a 24-float half per body.
  // Each entry is linked to the previous entry of the same body, so block
  // row i visits only the blocks it really shares a body with.
  static void calcJinvMJT(KeaMatrixKernel& k, const MeReal* jm, const MeReal* J, const int* blockBodies,
                          const int* blockCounts, const MeReal* softness) {
    const int nb = k.blocks;
    for (int b = 0; b < k.bodyCount; ++b) k.lastEntry[b] = -1;
    std::memset(k.NZ, 0, static_cast<size_t>(nb) * nb);
    // First J-block of each block, for finding an entry's J-block.
    int* firstStep = k.NR;  // NR is rebuilt below, after A
    int step = 0;
    for (int i = 0; i < nb; ++i) {
      firstStep[i] = step;
      step += blockCounts[i] / 2;
    }
    auto half = [&](const MeReal* base, int entry) {
      const int block = entry / keaBlockMaxEntries, e = entry % keaBlockMaxEntries;
      return base + (firstStep[block] + e / 2) * keaJBlockFloatsLocal + (e % 2) * 24;
    };
    for (int i = 0; i < nb; ++i) {
      k.NC[i] = i;
      for (int e = 0; e < blockCounts[i]; ++e) {
        const int entry = i * keaBlockMaxEntries + e;
        const int b = blockBodies[entry];
        k.previousEntry[entry] = -1;
        if (b < 0 || b >= k.bodyCount) continue;
        k.previousEntry[entry] = k.lastEntry[b];
        k.lastEntry[b] = entry;
        const MeReal* jmE = half(jm, entry);
        // This entry against every entry of its body so far, itself included.
        for (int other = entry; other >= 0; other = k.previousEntry[other]) {
          const int j = other / keaBlockMaxEntries;
          MeReal* a = blk(k.A, nb, i, j);
          unsigned char& flag = k.NZ[i * nb + j];
          if (flag == 0) {
            Ops::zero16(a);
            flag = keaBlockNonZero;
            if (j < k.NC[i]) k.NC[i] = j;
          }
          Ops::jmjt(a, jmE, half(J, other));
          // Block i's own entries also meet this one from the other side.
          if (j == i && other != entry) Ops::jmjt(a, half(jm, other), half(J, entry));
        }
      }
      unsigned char& diagonal = k.NZ[i * nb + i];
      if (diagonal == 0) {
        Ops::zero16(blk(k.A, nb, i, i));
        diagonal = keaBlockNonZero;
      }
    }
    // Softness and epsilon on the diagonal; the padding rows get 1 so that
    // the factor exists and their x stays 0.
    for (int r = 0; r < k.padded; ++r) {
      MeReal* d = blk(k.A, nb, r / 4, r / 4) + 5 * (r % 4);
      if (r < k.n)
        *d += softness[r] * k.invH + k.eps;
      else
        *d = 1.0f;
    }
    // The envelope: the factor's column j reaches down to the last row that
    // has a non-zero block in any column up to j.
    int reach = 0;
    for (int j = 0; j < nb; ++j) {
      for (int i = nb - 1; i > reach; --i) {
        if (k.NZ[i * nb + j] == keaBlockNonZero) {
          reach = i;
          break;
        }
      }
      reach = std::max(reach, j);
      k.NR[j] = reach;
    }
    for (int i = 0; i < nb; ++i)
      for (int j = k.NC[i]; j <= i; ++j)
        if (k.NZ[i * nb + j] == keaBlockNonZero) WideOps::widen16(blk(k.Ainv, nb, i, j), blk(k.A, nb, i, j));
  }

  static bool nonZero(const KeaMatrixKernel& k, int i, int j) { return k.NZ[i * k.blocks + j] != 0; }

  // Blocked Cholesky, column by column: the diagonal block subtracts the
  // products of its row (L_ii L_ii^T = A_ii - sum_k L_ik L_ik^T) and is
  // factorised; each block below it inside the envelope becomes
  // L_ri = (A_ri - sum_k L_rk L_ik^T) L_ii^-T.
  static void factorize(KeaMatrixKernel& k) {
    const int nb = k.blocks;
    for (int i = 0; i < nb; ++i) {
      W* d = blk(k.Ainv, nb, i, i);
      for (int kk = k.NC[i]; kk < i; ++kk)
        if (nonZero(k, i, kk)) WideOps::subXYt(d, blk(k.Ainv, nb, i, kk), blk(k.Ainv, nb, i, kk));
      WideOps::cholDiag(d, k.rsD + 4 * i);
      for (int r = i + 1; r <= k.NR[i]; ++r) {
        if (k.NC[r] > i) continue;  // row r is zero up to column i, so is its factor
        unsigned char& flag = k.NZ[r * nb + i];
        W* b = blk(k.Ainv, nb, r, i);
        const int from = std::max(k.NC[r], k.NC[i]);
        bool started = flag != 0;
        for (int kk = from; kk < i; ++kk) {
          if (!nonZero(k, r, kk) || !nonZero(k, i, kk)) continue;
          if (!started) {
            WideOps::zero16(b);
            started = true;
          }
          WideOps::subXYt(b, blk(k.Ainv, nb, r, kk), blk(k.Ainv, nb, i, kk));
        }
        if (!started) continue;  // nothing reaches this block: it stays zero
        if (flag == 0) flag = keaBlockFillIn;
        WideOps::solveRightLt(b, d, k.rsD + 4 * i);
      }
    }
  }

  static void forward(KeaMatrixKernel& k, W* y, int firstBlock) {
    const int nb = k.blocks;
    for (int i = firstBlock; i < nb; ++i) {
      W* yi = y + 4 * i;
      for (int kk = std::max(k.NC[i], firstBlock); kk < i; ++kk)
        if (nonZero(k, i, kk)) WideOps::subMatVec(yi, blk(k.Ainv, nb, i, kk), y + 4 * kk);
      WideOps::forwardDiag(yi, blk(k.Ainv, nb, i, i), k.rsD + 4 * i);
    }
  }

  static void backward(KeaMatrixKernel& k, W* x) {
    const int nb = k.blocks;
    for (int i = nb - 1; i >= 0; --i) {
      W* xi = x + 4 * i;
      for (int r = i + 1; r <= k.NR[i]; ++r)
        if (k.NC[r] <= i && nonZero(k, r, i)) WideOps::subMatTVec(xi, blk(k.Ainv, nb, r, i), x + 4 * r);
      WideOps::backwardDiag(xi, blk(k.Ainv, nb, i, i), k.rsD + 4 * i);
    }
  }

  static void solve(KeaMatrixKernel& k, W* x) {
    forward(k, x, 0);
    backward(k, x);
  }

  static void solveColumn(KeaMatrixKernel& k, W* out, int j) {
    std::fill(out, out + k.padded, 0.0);
    out[j] = 1.0;
    forward(k, out, j / 4);  // the blocks above j's stay zero
    backward(k, out);
  }

  static void multiply(KeaMatrixKernel& k, const W* x, W* y) {
    const int nb = k.blocks;
    std::fill(y, y + k.padded, 0.0);
    for (int i = 0; i < nb; ++i) {
      for (int j = k.NC[i]; j <= i; ++j) {
        if (k.NZ[i * nb + j] != keaBlockNonZero) continue;
        const MeReal* a = blk(k.A, nb, i, j);
        WideOps::addMatVec(y + 4 * i, a, x + 4 * j);
        if (j < i) WideOps::addMatTVec(y + 4 * j, a, x + 4 * i);
      }
    }
  }

  static MeReal factorDiagonal(const KeaMatrixKernel& k, int i) {
    return static_cast<MeReal>(blk(k.Ainv, k.blocks, i / 4, i / 4)[5 * (i % 4)]);
  }

  static constexpr int keaJBlockFloatsLocal = 48;
};

}  // namespace kea_detail

template <class Ops>
int KeaMatrixKernelOf<Ops>::allocate(int rows) {
  return kea_detail::allocateKernel(*this, rows);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::calcJinvMJT(const MeReal* jm, const MeReal* J, const int* blockBodies,
                                         const int* blockCounts, const MeReal* softness) {
  kea_detail::Blocked<Ops>::calcJinvMJT(*this, jm, J, blockBodies, blockCounts, softness);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::factorize() {
  kea_detail::Blocked<Ops>::factorize(*this);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::multiply(const KeaWide* x, KeaWide* y) {
  kea_detail::Blocked<Ops>::multiply(*this, x, y);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::solve(KeaWide* x) {
  kea_detail::Blocked<Ops>::solve(*this, x);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::solveColumn(KeaWide* out, int j) {
  kea_detail::Blocked<Ops>::solveColumn(*this, out, j);
}

template <class Ops>
MeReal KeaMatrixKernelOf<Ops>::factorDiagonal(int i) {
  return kea_detail::Blocked<Ops>::factorDiagonal(*this, i);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::factorizeDense(KeaWide* Q, int m) {
  kea_detail::WideOps::factorizeDense(Q, m);
}

template <class Ops>
void KeaMatrixKernelOf<Ops>::solveDense(const KeaWide* Q, KeaWide* b, int m) {
  kea_detail::WideOps::solveDense(Q, b, m);
}
