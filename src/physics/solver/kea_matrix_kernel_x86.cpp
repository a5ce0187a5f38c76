// The plain x86 matrix kernel: scalar arithmetic, true square roots and
// divisions.
#include <cmath>

#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_matrix_kernel_blocked.h"

// 4x4 blocks are row-major: element (r, c) at [4r + c].
struct KeaX86Ops {
  // The dense L D L^T and its solve, defined below.
  static void factorizeDense(MeReal* Q, int m);
  static void solveDense(const MeReal* Q, MeReal* b, int m);
  static void zero16(MeReal* a) {
    for (int i = 0; i < 16; ++i) a[i] = 0;
  }
  static void copy16(MeReal* a, const MeReal* b) {
    for (int i = 0; i < 16; ++i) a[i] = b[i];
  }
  // a += jm j^T over 6 columns; each column holds the 4 rows of a block.
  static void jmjt(MeReal* a, const MeReal* jm, const MeReal* j) {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        MeReal s = 0;
        for (int k = 0; k < 6; ++k) s += jm[4 * k + r] * j[4 * k + c];
        a[4 * r + c] += s;
      }
  }
  // c -= x y^T
  static void subXYt(MeReal* c, const MeReal* x, const MeReal* y) {
    for (int r = 0; r < 4; ++r)
      for (int col = 0; col < 4; ++col) {
        MeReal s = 0;
        for (int m = 0; m < 4; ++m) s += x[4 * r + m] * y[4 * col + m];
        c[4 * r + col] -= s;
      }
  }
  // In-place Cholesky of a symmetric 4x4 block: L (lower, upper zeroed),
  // rsD = 1/L_cc.
  static void cholDiag(MeReal* l, MeReal* rsD) {
    for (int c = 0; c < 4; ++c) {
      MeReal d = l[5 * c];
      for (int m = 0; m < c; ++m) d -= l[4 * c + m] * l[4 * c + m];
      const MeReal root = std::sqrt(d);
      l[5 * c] = root;
      rsD[c] = 1.0f / root;
      for (int r = c + 1; r < 4; ++r) {
        MeReal s = l[4 * r + c];
        for (int m = 0; m < c; ++m) s -= l[4 * r + m] * l[4 * c + m];
        l[4 * r + c] = s / root;
      }
      for (int r = c + 1; r < 4; ++r) l[4 * c + r] = 0;
    }
  }
  // b <- b L^-T: each row y of the result solves L y^T = b_row^T.
  static void solveRightLt(MeReal* b, const MeReal* l, const MeReal* rsD) {
    (void)rsD;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        MeReal s = b[4 * r + c];
        for (int m = 0; m < c; ++m) s -= l[4 * c + m] * b[4 * r + m];
        b[4 * r + c] = s / l[5 * c];
      }
  }
  static void subMatVec(MeReal* y, const MeReal* m, const MeReal* x) {
    for (int r = 0; r < 4; ++r) y[r] -= m[4 * r] * x[0] + m[4 * r + 1] * x[1] + m[4 * r + 2] * x[2] + m[4 * r + 3] * x[3];
  }
  static void subMatTVec(MeReal* y, const MeReal* m, const MeReal* x) {
    for (int c = 0; c < 4; ++c) y[c] -= m[c] * x[0] + m[4 + c] * x[1] + m[8 + c] * x[2] + m[12 + c] * x[3];
  }
  static void addMatVec(MeReal* y, const MeReal* m, const MeReal* x) {
    for (int r = 0; r < 4; ++r) y[r] += m[4 * r] * x[0] + m[4 * r + 1] * x[1] + m[4 * r + 2] * x[2] + m[4 * r + 3] * x[3];
  }
  static void addMatTVec(MeReal* y, const MeReal* m, const MeReal* x) {
    for (int c = 0; c < 4; ++c) y[c] += m[c] * x[0] + m[4 + c] * x[1] + m[8 + c] * x[2] + m[12 + c] * x[3];
  }
  static void forwardDiag(MeReal* y, const MeReal* l, const MeReal* rsD) {
    (void)rsD;
    for (int c = 0; c < 4; ++c) {
      MeReal s = y[c];
      for (int m = 0; m < c; ++m) s -= l[4 * c + m] * y[m];
      y[c] = s / l[5 * c];
    }
  }
  static void backwardDiag(MeReal* x, const MeReal* l, const MeReal* rsD) {
    (void)rsD;
    for (int c = 3; c >= 0; --c) {
      MeReal s = x[c];
      for (int m = c + 1; m < 4; ++m) s -= l[4 * m + c] * x[m];
      x[c] = s / l[5 * c];
    }
  }
};

int keaMatrixKernelMemory(int n, int bodyCount) { return kea_detail::matrixKernelMemory(n, bodyCount); }

// Q = L D L^T: d_j = q_jj - sum_k<j L_jk^2 d_k;
// L_ij = (q_ij - sum_k<j L_ik L_jk d_k) / d_j for i > j.
void KeaX86Ops::factorizeDense(MeReal* Q, int m) {
  const int s = keaDenseStride(m);
  for (int j = 0; j < m; ++j) {
    MeReal* rowJ = Q + j * s;
    MeReal d = rowJ[j];
    for (int k = 0; k < j; ++k) d -= rowJ[k] * rowJ[k] * Q[k * s + k];
    rowJ[j] = d;
    for (int i = j + 1; i < m; ++i) {
      MeReal* rowI = Q + i * s;
      MeReal v = rowI[j];
      for (int k = 0; k < j; ++k) v -= rowI[k] * rowJ[k] * Q[k * s + k];
      rowI[j] = v / d;
    }
  }
}

// L y = b, z = y / D, L^T x = z.
void KeaX86Ops::solveDense(const MeReal* Q, MeReal* b, int m) {
  const int s = keaDenseStride(m);
  for (int i = 0; i < m; ++i)
    for (int k = 0; k < i; ++k) b[i] -= Q[i * s + k] * b[k];
  for (int i = 0; i < m; ++i) b[i] /= Q[i * s + i];
  for (int i = m - 1; i >= 0; --i)
    for (int k = i + 1; k < m; ++k) b[i] -= Q[k * s + i] * b[k];
}

template class KeaMatrixKernelOf<KeaX86Ops>;
