// The plain x86 matrix kernel: A built with scalar arithmetic.
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_matrix_kernel_blocked.h"

// 4x4 blocks are row-major: element (r, c) at [4r + c].
struct KeaX86Ops {
  static void zero16(MeReal* a) {
    for (int i = 0; i < 16; ++i) a[i] = 0;
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
};

int keaMatrixKernelMemory(int n, int bodyCount) { return kea_detail::matrixKernelMemory(n, bodyCount); }

template class KeaMatrixKernelOf<KeaX86Ops>;
