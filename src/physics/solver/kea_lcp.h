// The bounded (box) LCP of one constraint group: find x with lo <= x <= hi
// and w = A x - b such that w = 0 where lo < x < hi, w >= 0 where x = lo and
// w <= 0 where x = hi.  Solved by block principal pivoting over the rows,
// falling back to single pivots when the pivoting cycles.
#pragma once

#include "physics/solver/kea_matrix_kernel.h"

// Tolerance of the complementarity tests on w.
inline constexpr MeReal keaLcpTolerance = 0.001f;
// Iterations after which block pivoting gives way to single pivots.
inline constexpr int keaLcpBlockIterations = 10;

// Solves the LCP for the factorised kernel's matrix; x gets P floats (the
// padding rows 0), b, lo and hi are read for the kernel's n rows.  Answers
// the iteration at which it stopped: 0 when the unconstrained solution lies
// within the bounds or the first iteration changes nothing, maxIterations
// when the limit is reached, -k when cycling persisted in single-pivot mode.
// At the iteration limit x is left as last computed (free rows may still
// break their bounds); on convergence and on persistent cycling x is clamped
// into [lo, hi] (values beyond +-1e20 become 0 first).
// Takes its work memory from the solver pool and releases it.
int keaLcpSolve(KeaMatrixKernel* kernel, MeReal* x, const MeReal* b, const MeReal* lo, const MeReal* hi,
                int maxIterations);

// Bytes keaLcpSolve takes from the solver pool for n rows.
int keaLcpMemory(int n);
