#include "physics/solver/kea_lcp.h"

#include <algorithm>
#include <cstring>

#include "physics/solver/kea_pool.h"
#include "physics/util/me_profile.h"

namespace {

int roundUp16(int v) { return (v + 15) & ~15; }
int denseRows(int n) { return (n + 11) / 12 * 12; }

// Sizes of the work blocks: per-row arrays of 4 bytes (keys, indices) and of
// KeaWide (x, b, x0, w), four of states (1 byte each), and "Q" with a spare
// row.
constexpr int kWide = static_cast<int>(sizeof(KeaWide));
int perRowBytes(int n) { return roundUp16(4 * ((n + 3) & ~3)) + 16; }
int wideRowBytes(int n) { return roundUp16(kWide * ((n + 3) & ~3)) + 16; }
int stateBytes(int n) { return roundUp16(n) + 16; }
int denseBytes(int n) {
  const int m12 = denseRows(n);
  return (m12 * m12 + m12) * kWide + 16;
}

template <class T>
T* take(int bytes, const char* name) {
  void* p = keaPoolAlloc(bytes, name);
  return p ? keaAlign16<T>(p) : nullptr;
}

enum : signed char { kFree = 0, kLower = 1, kUpper = 2, kNever = -1 };

// Forces x into the bounds; values beyond +-1e20 are dropped to 0 first.
void clampToBounds(MeReal* x, const MeReal* lo, const MeReal* hi, int n) {
  for (int i = 0; i < n; ++i) {
    MeReal v = x[i];
    if (v > 1e20f || v < -1e20f) v = 0;
    if (v < lo[i]) v = lo[i];
    if (v > hi[i]) v = hi[i];
    x[i] = v;
  }
}

}  // namespace

int keaLcpMemory(int n) { return 3 * perRowBytes(n) + 4 * wideRowBytes(n) + 4 * stateBytes(n) + denseBytes(n); }

int keaLcpSolve(KeaMatrixKernel* kernel, MeReal* x, const MeReal* b, const MeReal* lo, const MeReal* hi,
                int maxIterations) {
  const int n = kernel->n;
  const int P = kernel->padded;
  const MeReal tol = keaLcpTolerance;

  // The pivoting works on wide copies of x and b (see KeaWide); x gets the
  // result in single precision on every exit.
  keaPoolPushMark();
  KeaWide* xw = take<KeaWide>(wideRowBytes(n), "x");
  KeaWide* bw = xw ? take<KeaWide>(wideRowBytes(n), "b") : nullptr;
  if (!bw) {  // the pool refused (already reported): no forces
    keaPoolPopMark();
    for (int i = 0; i < P; ++i) x[i] = 0;
    return 0;
  }
  auto store = [&] {
    for (int i = 0; i < P; ++i) x[i] = i < n ? static_cast<MeReal>(xw[i]) : 0.0f;
  };

  MeProfileStartSection("init solve", 0);
  for (int i = 0; i < P; ++i) bw[i] = xw[i] = i < n ? b[i] : 0.0f;
  kernel->solve(xw);
  bool inside = true;
  for (int i = 0; i < n && inside; ++i) inside = lo[i] <= xw[i] && xw[i] <= hi[i];
  MeProfileEndSectionFn("init solve");
  if (inside) {
    store();
    keaPoolPopMark();
    return 0;
  }

  MeProfileStartSection("iterations init", 0);
  KeaWide* x0 = take<KeaWide>(wideRowBytes(n), "x0");
  KeaWide* w = x0 ? take<KeaWide>(wideRowBytes(n), "w") : nullptr;
  MeReal* keys = w ? take<MeReal>(perRowBytes(n), "keys") : nullptr;
  int* order = keys ? take<int>(perRowBytes(n), "order") : nullptr;
  int* clamped = order ? take<int>(perRowBytes(n), "clamped") : nullptr;
  signed char* state = clamped ? take<signed char>(stateBytes(n), "state") : nullptr;
  signed char* history1 = state ? take<signed char>(stateBytes(n), "history") : nullptr;
  signed char* history2 = history1 ? take<signed char>(stateBytes(n), "history") : nullptr;
  signed char* cached = history2 ? take<signed char>(stateBytes(n), "cached") : nullptr;
  KeaWide* Q = cached ? take<KeaWide>(denseBytes(n), "Q") : nullptr;
  if (!Q) {  // the pool refused (already reported): keep the forces within bounds
    MeProfileEndSectionFn("iterations init");
    store();
    keaPoolPopMark();
    clampToBounds(x, lo, hi, n);
    return 0;
  }
  std::memcpy(x0, xw, sizeof(KeaWide) * P);
  for (int i = 0; i < n; ++i) state[i] = xw[i] < lo[i] ? kLower : (xw[i] > hi[i] ? kUpper : kFree);
  std::memset(history1, kNever, n);
  std::memset(history2, kNever, n);
  std::memset(cached, 0, n);
  bool singlePivot = false;
  int examined = 0;
  int k = 0;
  MeProfileEndSectionFn("iterations init");

  // The iteration limit leaves x as the last pivoting computed it: a
  // solution of A x = b on its free rows with the clamped rows at their
  // bounds.  Its free rows may still lie outside their bounds, but clamping
  // part of a coupled solution without solving again leaves forces that no
  // longer balance (stacks creep apart).  Persistent cycling and convergence
  // clamp; see the exits below.
  auto finish = [&](int result, bool clamp) {
    store();
    if (clamp) clampToBounds(x, lo, hi, n);
    keaPoolPopMark();
    return result;
  };
  if (maxIterations < 1) return finish(0, false);

  auto target = [&](int i) { return state[i] == kLower ? lo[i] : hi[i]; };
  auto column = [&](int j) { return kernel->cache + static_cast<size_t>(j) * kernel->cacheStride; };

  for (;;) {
    // A state seen before means the pivoting cycles.
    const bool cycle = std::memcmp(state, history1, n) == 0 || std::memcmp(state, history2, n) == 0;
    bool switching = false;
    if (cycle) {
      if (singlePivot) return finish(-k, true);
      switching = true;
    } else if (k >= keaLcpBlockIterations && !singlePivot) {
      switching = true;
    }
    if (switching) {
      // Single pivots visit the rows with the largest factor diagonal first,
      // and only those well above the regularisation.
      for (int i = 0; i < n; ++i) {
        const MeReal key = kernel->factorDiagonal(i);
        keys[i] = key == key ? key : -MeInfinity;  // a failed pivot (NaN) goes last, unexamined
        order[i] = i;
      }
      std::sort(order, order + n, [&](int a, int c) { return keys[a] > keys[c] || (keys[a] == keys[c] && a < c); });
      const MeReal limit = 3 * kernel->epsilon();
      examined = 0;
      while (examined < n && keys[order[examined]] > limit) ++examined;
      std::memset(history1, kNever, n);
      std::memset(history2, kNever, n);
      singlePivot = true;
    }
    if (k % 10 == 0) std::memcpy(history1, state, n);
    if (k % 3 == 0) std::memcpy(history2, state, n);

    int m = 0;
    for (int i = 0; i < n; ++i)
      if (state[i] != kFree) clamped[m++] = i;

    if (m == 0) {
      std::memcpy(xw, x0, sizeof(KeaWide) * P);
    } else if (m < n) {
      // x = x0 + A^-1 E q with q chosen so that the clamped rows land on
      // their targets: (A^-1)_CC q = target - x0_C.
      MeProfileStartSection("auxiliary matrix", 0);
      for (int a = 0; a < m; ++a) {
        const int j = clamped[a];
        if (!cached[j]) {
          kernel->solveColumn(column(j), j);
          cached[j] = 1;
        }
      }
      const int stride = keaDenseStride(m);
      KeaWide* rhsQ = w;  // w is free until the residual below
      for (int a = 0; a < m; ++a) {
        const KeaWide* col = column(clamped[a]);
        for (int c = 0; c <= a; ++c) Q[a * stride + c] = col[clamped[c]];
        rhsQ[a] = target(clamped[a]) - x0[clamped[a]];
      }
      kernel->factorizeDense(Q, m);
      kernel->solveDense(Q, rhsQ, m);
      std::memcpy(xw, x0, sizeof(KeaWide) * P);
      for (int a = 0; a < m; ++a) {
        const KeaWide* col = column(clamped[a]);
        const KeaWide s = rhsQ[a];
        for (int i = 0; i < n; ++i) xw[i] += s * col[i];
      }
      MeProfileEndSectionFn("auxiliary matrix");
    }

    MeProfileStartSection("calculate residual", 0);
    for (int a = 0; a < m; ++a) xw[clamped[a]] = target(clamped[a]);
    kernel->multiply(xw, w);
    for (int i = 0; i < n; ++i) w[i] -= bw[i];
    MeProfileEndSectionFn("calculate residual");

    bool changed = false;
    if (singlePivot) {
      for (int a = 0; a < examined && !changed; ++a) {
        const int i = order[a];
        signed char next = state[i];
        if (state[i] == kFree) {
          if (xw[i] < lo[i]) next = kLower;
          else if (xw[i] > hi[i]) next = kUpper;
        } else if ((state[i] == kLower && w[i] < -tol) || (state[i] == kUpper && w[i] > tol)) {
          next = kFree;
        }
        if (next != state[i]) {
          state[i] = next;
          changed = true;
        }
      }
    } else {
      for (int i = 0; i < n; ++i) {
        signed char next = state[i];
        if (state[i] == kFree) {
          if (xw[i] < lo[i] && w[i] >= -tol) next = kLower;
          else if (xw[i] > hi[i] && w[i] <= tol) next = kUpper;
        } else if ((state[i] == kLower && w[i] < -tol) || (state[i] == kUpper && w[i] > tol)) {
          next = kFree;
        }
        if (next != state[i]) {
          state[i] = next;
          changed = true;
        }
      }
    }
    // Converged.  A free row outside its bounds would have been clamped,
    // unless rounding left its w just past the tolerance: in a system with
    // far more rows than freedoms such a row can sit far outside (forces of
    // 1e4 against a bound of 1).  Its state is settled, so the clamp puts it
    // where the exact solution has it; on a well-posed system it changes
    // nothing.
    if (!changed) return finish(k, true);
    ++k;
    // At the limit x is left as computed: the last pivoting's solution is
    // balanced, and the next step starts again from its own states.
    if (k >= maxIterations) return finish(k, false);
  }
}
