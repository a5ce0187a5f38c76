// The matrix kernel of one constraint group: builds A = J M^-1 J^T (plus the
// softness on the diagonal), factorises it by a blocked Cholesky over 4x4
// blocks inside the envelope of its non-zero blocks, and solves with it for
// the LCP.  Two forms run the same algorithm on the same layout; they differ
// in how A is built: plain x86 floating point, or 4-wide SSE packed
// multiply-add.
//
// A is kept in single precision like everything the solver is handed, but
// the factor, the columns of A^-1 and the dense LCP matrix are kept and
// computed in double (KeaWide).  With the game's epsilon of 0.0001 a stack of
// boxes or a box on four contacts gives A a condition near 1e5 to 1e6 (more
// friction rows than the bodies have freedoms), and a single-precision factor
// loses most of the digits of A^-1 b: the forces then no longer balance and
// stacks creep apart and sliding boxes overshoot.
//
// Layout: n rows padded to P (a multiple of 4) and nb = P/4 blocks.  "A" and
// the factor "Ainv" hold nb x nb blocks of 16 floats, block (i, j) at
// i*nb + j, row-major inside; only j <= i is used.  NZ flags each block:
// keaBlockNonZero where A has it, keaBlockFillIn where only the factor does,
// 0 otherwise.  NC[i] is the first non-zero block column of row i and NR[j]
// the last block row the factor's column j reaches (the envelope).
#pragma once

#include "physics/util/me_types.h"

// The precision of the factor and of the LCP's work vectors.
using KeaWide = double;

inline constexpr unsigned char keaBlockNonZero = 0xFF;
inline constexpr unsigned char keaBlockFillIn = 1;

class KeaMatrixKernel {
 public:
  virtual ~KeaMatrixKernel() = default;

  // Sets n, P, nb and takes "A", "Ainv", "solveresultscache", "rsD", "NZ",
  // "NR", "NC" and the links between the blocks of each body ("links", for
  // bodyCount bodies) from the solver pool.  Answers 0 when the pool refused.
  virtual int allocate(int n) = 0;
  // Builds A from the group's J M^-1 (jm) and J-blocks walked through the
  // block map (bodies: keaBlockMaxEntries per block; counts: entries per
  // block), adds softness[r]/h + epsilon to every diagonal element, gives the
  // padding rows a diagonal of 1, and sets NZ, NC, NR.  The factor starts as
  // a copy of A.
  virtual void calcJinvMJT(const MeReal* jm, const MeReal* J, const int* blockBodies, const int* blockCounts,
                           const MeReal* softness) = 0;
  // Blocked Cholesky A = L L^T in place in "Ainv" (lower blocks); rsD gets
  // 1/sqrt of each pivot.  A pivot that is not positive gives NaN (which
  // factorDiagonal shows).
  virtual void factorize() = 0;
  // y = A x over all P rows, using only the blocks of A.
  virtual void multiply(const KeaWide* x, KeaWide* y) = 0;
  // Solves A x = b in place (x holds b on entry).
  virtual void solve(KeaWide* x) = 0;
  // Writes column j of A^-1 (P values) into out.
  virtual void solveColumn(KeaWide* out, int j) = 0;
  // In-place L D L^T of a dense m x m symmetric matrix Q (row stride
  // keaDenseStride(m), lower triangle read); D on the diagonal, L below it.
  // Q has one spare row past the matrix for the kernel's use.
  virtual void factorizeDense(KeaWide* Q, int m) = 0;
  // Solves Q b' = b in place with the factor from factorizeDense.
  virtual void solveDense(const KeaWide* Q, KeaWide* b, int m) = 0;
  // The i-th diagonal element of the factor (sqrt of the i-th pivot).
  virtual MeReal factorDiagonal(int i) = 0;
  virtual MeReal epsilon() = 0;

  int n = 0;                    // rows
  MeReal eps = 0;               // added to the diagonal
  MeReal invH = 0;              // 1 / step size
  int bodyCount = 0;            // bodies of the partition (set before allocate)
  KeaWide* cache = nullptr;     // "solveresultscache": columns of A^-1, cacheStride values apart
  int cacheStride = 0;          // n rounded up to 12, then to 16
  int padded = 0;               // P
  int blocks = 0;               // nb
  KeaWide* rsD = nullptr;       // P values
  KeaWide* Ainv = nullptr;      // the factor
  MeReal* A = nullptr;          // the matrix
  unsigned char* NZ = nullptr;  // nb x nb flags
  int* NR = nullptr;            // nb block rows (ints: a partition may have more than 256 blocks)
  int* NC = nullptr;            // nb block columns
  int* previousEntry = nullptr; // per block entry: the body's previous entry (block * keaBlockMaxEntries + e), -1 none
  int* lastEntry = nullptr;     // per body: its latest entry while A is built
};

// Row stride of the dense LCP matrix: m rounded up to 4.
inline int keaDenseStride(int m) { return (m + 3) & ~3; }
// Stride of the A^-1 column cache: n rounded up to 12, then to 16.
inline int keaCacheStride(int n) {
  int s = (n + 11) / 12 * 12;
  return (s + 15) & ~15;
}

// Both forms are this class over their own arithmetic `Ops`: the 4x4 block
// operations that build A.  The factor's operations and the dense L D L^T are
// shared (kea_detail::WideOps).  The members are defined once
// (kea_matrix_kernel_blocked.h); each form's file defines its Ops and
// instantiates the class.
template <class Ops>
class KeaMatrixKernelOf final : public KeaMatrixKernel {
 public:
  int allocate(int n) override;
  void calcJinvMJT(const MeReal* jm, const MeReal* J, const int* blockBodies, const int* blockCounts,
                   const MeReal* softness) override;
  void factorize() override;
  void multiply(const KeaWide* x, KeaWide* y) override;
  void solve(KeaWide* x) override;
  void solveColumn(KeaWide* out, int j) override;
  void factorizeDense(KeaWide* Q, int m) override;
  void solveDense(const KeaWide* Q, KeaWide* b, int m) override;
  MeReal factorDiagonal(int i) override;
  MeReal epsilon() override { return eps; }
};

struct KeaX86Ops;
struct KeaSseOps;
extern template class KeaMatrixKernelOf<KeaX86Ops>;
extern template class KeaMatrixKernelOf<KeaSseOps>;
using KeaMatrixKernelX86 = KeaMatrixKernelOf<KeaX86Ops>;
using KeaMatrixKernelSse = KeaMatrixKernelOf<KeaSseOps>;

// Bytes the kernel's allocate takes from the pool for n rows and bodyCount bodies.
int keaMatrixKernelMemory(int n, int bodyCount);
