// Particular solves: closed-form cases, padding, the world body, memory
// sizing, the LCP's exits, and the force outputs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kea_fixture.h"
#include "physics/solver/kea_lcp.h"
#include "physics/solver/kea_solve.h"

using namespace kea_test;

namespace {

keaParameters parameters(const Problem& p, std::vector<unsigned char>& pool, int kernel, int rows) {
  pool.assign(keaMemoryRequired(rows, static_cast<int>(p.bodies.list.size())), 0);
  return keaParameters{p.h, p.epsilon, p.gamma, 10, pool.data(), static_cast<int>(pool.size()), kernel, 0};
}

// A body of mass 2 resting on the world through one frictionless contact at
// its centre: lambda = m g / (1 + m eps) along the normal, the world gets
// nothing, and the body is left with the small sag that epsilon allows.
TEST(KeaSolveCases, RestingContactWithTheWorld) {
  for (int kernel : {keaKernelX86, keaKernelSse}) {
    Problem p;
    p.bodies = Bodies(1);
    p.epsilon = 0.01f;
    keaBody& b = p.bodies.list[0];
    b.invMass = 0.5f;
    b.force[1] = -2.0f * 9.81f;
    Constraint k;
    k.body0 = 0;
    k.body1 = keaNoBody;
    Row row;
    row.j0[1] = 1;
    row.lo = 0;
    row.hi = MeInfinity;
    k.rows.push_back(row);
    p.constraints.push_back(k);

    Packing pk;
    pk.packGroup(p.constraints);
    std::vector<unsigned char> pool;
    keaSolve(pk.set, p.bodies.list.data(), p.bodies.transforms.data(), 1, parameters(p, pool, kernel, pk.set.rows));
    const double lambda = 9.81 / (0.5 + 0.01);  // b / A = (m^-1 m g) / (m^-1 + eps)
    EXPECT_NEAR(pk.set.lambda[0], lambda, 1e-3);
    EXPECT_NEAR(pk.set.force[1], lambda, 1e-3);  // body 0 force y
    for (int q = 8; q < 16; ++q) EXPECT_EQ(pk.set.force[q], 0.0f);  // the world's slot
    EXPECT_NEAR(b.force[1], -2 * 9.81 + lambda, 1e-3);
    EXPECT_NEAR(b.accel[1], 0.5 * (-2 * 9.81 + lambda), 1e-3);
    EXPECT_LT(b.accel[1], 0.0f);
  }
}

// No bodies: nothing is read or written, not even the pool.
TEST(KeaSolveCases, NoBodiesReturnsAtOnce) {
  Packing pk;
  Problem p = randomProblem(*std::make_unique<std::mt19937>(5), Mix::Contacts, 2, 4);
  pk.packGroup(p.constraints);
  keaBody b = p.bodies.list[0];
  b.accel[0] = 123.0f;
  keaParameters params{0.01f, 0.01f, 0.2f, 10, nullptr, 0, keaKernelX86, 0};
  FatalCatcher catcher;
  EXPECT_NO_THROW(keaSolve(pk.set, &b, p.bodies.transforms.data(), 0, params));
  EXPECT_EQ(b.accel[0], 123.0f);
}

// Without constraint rows no solver memory is needed; the accelerations use
// the isotropic inverse inertia 1 / max(Ixx, Iyy, Izz).
TEST(KeaSolveCases, FreeBodiesUseIsotropicInverseInertia) {
  Bodies bodies(1);
  keaBody& b = bodies.list[0];
  b.invMass = 0.25f;
  b.I[0] = 1;
  b.I[5] = 2;
  b.I[10] = 4;
  for (int k = 0; k < 3; ++k) {
    b.force[k] = 4.0f * (k + 1);
    b.torque[k] = 1.0f;
  }
  Packing pk;
  pk.packGroup({});
  keaParameters params{0.01f, 0.01f, 0.2f, 10, nullptr, 0, keaKernelSse, 0};
  FatalCatcher catcher;
  keaSolve(pk.set, bodies.list.data(), bodies.transforms.data(), 1, params);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(b.accel[k], 1.0f * (k + 1));
    EXPECT_FLOAT_EQ(b.accelrot[k], 0.25f);
  }
}

// Constraint rows but no solver memory (a scratch chunk that could not grow):
// a fatal error, not a write through a null pointer.
TEST(KeaSolveCases, RowsWithoutSolverMemoryAreFatal) {
  std::mt19937 rng(9);
  Problem p = randomProblem(rng, Mix::Contacts, 2, 3);
  Packing pk;
  pk.packGroup(p.constraints);
  keaParameters params{p.h, p.epsilon, p.gamma, 10, nullptr, 1 << 20, keaKernelX86, 0};
  FatalCatcher catcher;
  EXPECT_THROW(keaSolve(pk.set, p.bodies.list.data(), p.bodies.transforms.data(), 2, params), FatalError);
}

// Five rows take two blocks; the three padding rows stay out of the LCP and
// their lambda is 0.
TEST(KeaSolveCases, PaddingRowsGetNoForce) {
  std::mt19937 rng(21);
  Problem p;
  do p = randomProblem(rng, Mix::Mixed, 3, 5);
  while (denseSystem(p).n != 5);
  Packing pk;
  pk.packGroup(p.constraints);
  ASSERT_EQ(pk.set.rows, 8);
  for (int r = 5; r < 8; ++r) pk.set.lambda[r] = std::numeric_limits<float>::quiet_NaN();
  std::vector<unsigned char> pool;
  keaSolve(pk.set, p.bodies.list.data(), p.bodies.transforms.data(), 3, parameters(p, pool, keaKernelX86, 8));
  for (int r = 5; r < 8; ++r) EXPECT_EQ(pk.set.lambda[r], 0.0f);
}

// One-row constraints (frictionless contacts, angle limits) fill a block with
// four J-blocks and the next constraint adds its zero J-block to it: five
// J-blocks, ten body entries in one block.  Such groups solve like any other.
TEST(KeaSolveCases, FiveJBlocksInOneBlockSolveCorrectly) {
  std::mt19937 rng(91);
  for (int t = 0; t < 20; ++t) {
    Problem p;
    p.bodies = Bodies(3);
    for (keaBody& b : p.bodies.list) {
      b.invMass = std::uniform_real_distribution<float>(0.3f, 2.0f)(rng);
      b.force[1] = -9.81f / b.invMass;
      b.vel[0] = std::uniform_real_distribution<float>(-1, 1)(rng);
    }
    for (int c = 0; c < 9; ++c) {
      Problem one = randomProblem(rng, Mix::Contacts, 3, 1);
      Constraint k = one.constraints[0];
      k.rows.resize(1);  // the normal row only
      k.body0 = c % 3;
      k.body1 = c % 4 == 3 ? keaNoBody : (c + 1) % 3;
      p.constraints.push_back(k);
    }
    const Dense d = denseSystem(p);
    ASSERT_EQ(d.n, 9);
    std::vector<double> ref;
    ASSERT_TRUE(bruteForceLcp(d, ref));
    for (int kernel : {keaKernelX86, keaKernelSse}) {
      const Result r = solve(p, kernel, 50);
      for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.lambda[i], ref[i], 1e-3 * (1 + std::fabs(ref[i]))) << "case " << t;
    }
  }
}

// A pool of exactly keaMemoryRequired bytes is enough for every group size.
TEST(KeaSolveCases, MemoryRequiredIsEnough) {
  std::mt19937 rng(31);
  FatalCatcher catcher;
  for (int rows : {1, 2, 3, 4, 5, 11, 12, 13, 47, 48, 49, 95, 130, 200}) {
    const int bodies = std::max(2, rows / 5 + 1);
    Problem p = randomProblem(rng, Mix::Mixed, bodies, rows);
    const Dense d = denseSystem(p);
    for (int kernel : {keaKernelX86, keaKernelSse}) {
      Problem copy = p;
      Packing pk;
      pk.packGroup(copy.constraints);
      std::vector<unsigned char> pool;
      keaParameters params = parameters(copy, pool, kernel, pk.set.rows);
      EXPECT_NO_THROW(keaSolve(pk.set, copy.bodies.list.data(), copy.bodies.transforms.data(), bodies, params))
          << d.n << " rows";
    }
  }
}

// Two partitions packed as two groups of one set solve exactly as each does alone.
TEST(KeaSolveCases, GroupsAreSolvedIndependently) {
  std::mt19937 rng(41);
  Problem a = randomProblem(rng, Mix::Contacts, 3, 9);
  Problem b = randomProblem(rng, Mix::Mixed, 3, 7);
  b.epsilon = a.epsilon;
  b.gamma = a.gamma;
  const Result alone = solve(a, keaKernelX86);
  const Result aloneB = solve(b, keaKernelX86);

  Problem both = a;
  both.bodies.list.insert(both.bodies.list.end(), b.bodies.list.begin(), b.bodies.list.end());
  both.bodies.transforms.resize(16 * 6);
  std::vector<Constraint> second = b.constraints;
  for (Constraint& k : second) {
    k.body0 += 3;
    if (k.body1 >= 0) k.body1 += 3;
  }
  Packing pk;
  pk.packGroup(a.constraints);
  std::vector<int> rowsA = pk.rowOf;
  pk.packGroup(second, false);
  std::vector<int> rowsB = pk.rowOf;
  std::vector<unsigned char> pool;
  keaSolve(pk.set, both.bodies.list.data(), both.bodies.transforms.data(), 6,
           parameters(both, pool, keaKernelX86, pk.set.rows));
  for (size_t i = 0; i < rowsA.size(); ++i) EXPECT_FLOAT_EQ(pk.set.lambda[rowsA[i]], alone.lambda[i]);
  // The second group's rows are counted from its own start.
  for (size_t i = 0; i < rowsB.size(); ++i) EXPECT_FLOAT_EQ(pk.set.lambda[rowsB[i]], aloneB.lambda[i]);
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(both.bodies.list[4].accel[k], aloneB.bodies[1].accel[k]);
}

// Each constraint's force output is J^T lambda for each of its bodies, and
// the bodies' accumulators grow by the sum of their outputs.
TEST(KeaSolveCases, ForceOutputsAreJTransposeLambda) {
  std::mt19937 rng(51);
  for (int t = 0; t < 20; ++t) {
    Problem p = randomProblem(rng, Mix::Mixed, 4, 16);
    const Result r = solve(p, t % 2 ? keaKernelSse : keaKernelX86);
    std::vector<double> added(4 * 6, 0.0);
    int row = 0;
    for (size_t c = 0; c < p.constraints.size(); ++c) {
      const Constraint& k = p.constraints[c];
      double out[2][6] = {};
      for (const Row& rw : k.rows) {
        for (int q = 0; q < 6; ++q) {
          out[0][q] += rw.j0[q] * double(r.lambda[row]);
          if (k.body1 >= 0) out[1][q] += rw.j1[q] * double(r.lambda[row]);
        }
        ++row;
      }
      for (int s = 0; s < 2; ++s) {
        const float* slot = &r.force[16 * c + 8 * s];
        for (int q = 0; q < 3; ++q) {
          EXPECT_NEAR(slot[q], out[s][q], 1e-3 * (1 + std::fabs(out[s][q])));
          EXPECT_NEAR(slot[4 + q], out[s][3 + q], 1e-3 * (1 + std::fabs(out[s][3 + q])));
        }
        const int body = s == 0 ? k.body0 : k.body1;
        if (body >= 0)
          for (int q = 0; q < 6; ++q) added[6 * body + q] += out[s][q];
      }
    }
    for (int b = 0; b < 4; ++b)
      for (int q = 0; q < 3; ++q) {
        const keaBody& before = p.bodies.list[b];
        const keaBody& after = r.bodies[b];
        EXPECT_NEAR(after.force[q] - before.force[q], added[6 * b + q], 1e-3 * (1 + std::fabs(added[6 * b + q])));
        EXPECT_NEAR(after.torque[q] - before.torque[q], added[6 * b + 3 + q],
                    1e-3 * (1 + std::fabs(added[6 * b + 3 + q])));
      }
  }
}

// Bilateral rows only: the unconstrained solution is the answer, found
// without an iteration.
TEST(KeaLcp, UnboundedRowsNeedNoIteration) {
  std::mt19937 rng(61);
  for (int t = 0; t < 10; ++t) {
    Problem p = randomProblem(rng, Mix::Bilateral, 3, 12);
    std::vector<float> x;
    for (int kernel : {keaKernelX86, keaKernelSse}) EXPECT_EQ(lcpOnly(p, kernel, 10, x), 0);
  }
}

// Largest |w| = |A x - b| over the rows that x does not hold at a bound,
// relative to the size of b: zero for a solution of the free rows with the
// others at their bounds.
double freeRowResidual(const Dense& d, const std::vector<float>& x) {
  double scale = 1, worst = 0;
  for (int i = 0; i < d.n; ++i) scale = std::max(scale, std::fabs(d.b[i]));
  for (int i = 0; i < d.n; ++i) {
    if (x[i] == static_cast<float>(d.lo[i]) || x[i] == static_cast<float>(d.hi[i])) continue;
    double w = -d.b[i];
    for (int q = 0; q < d.n; ++q) w += d.A[i * d.n + q] * x[q];
    worst = std::max(worst, std::fabs(w));
  }
  return worst / scale;
}

// At the iteration limit x is left as the last pivoting computed it: its free
// rows solve A x = b with the clamped rows at their bounds, even where a free
// row still lies outside its own bounds.  Clamping those rows would break
// the balance of every row coupled to them.
TEST(KeaLcp, IterationLimitLeavesTheLastBalancedSolution) {
  std::mt19937 rng(71);
  int limited = 0, outside = 0;
  for (int t = 0; t < 200 && limited < 10; ++t) {
    Problem p = randomProblem(rng, Mix::Mixed, 4, 20);
    std::vector<float> full;
    const int needed = lcpOnly(p, keaKernelX86, 50, full);
    if (needed < 2) continue;
    const Dense d = denseSystem(p);
    EXPECT_LE(lcpViolation(d, full).bounds, 0.0);  // converged: within bounds
    for (int limit : {0, 1}) {
      std::vector<float> x;
      EXPECT_EQ(lcpOnly(p, keaKernelX86, limit, x), limit);
      EXPECT_LT(freeRowResidual(d, x), 1e-4) << "limit " << limit;
      outside += lcpViolation(d, x).bounds > 1e-3;
    }
    ++limited;
  }
  EXPECT_EQ(limited, 10);
  EXPECT_GT(outside, 0);  // some rows were left outside their bounds, unclamped
}

// More one-sided rows on one body than it has freedoms, with a tiny epsilon:
// far from well-posed, and the pivoting may run out of iterations.  Where it
// settles the forces lie within their bounds (even where rounding leaves a
// free row's w just past the tolerance), at the limit it leaves a balanced
// solution, and the world's limit of 10 is never exceeded.
TEST(KeaLcp, RedundantRowsExitWithinBoundsThroughEveryExit) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0, 1);
  int limitExits = 0, convergedAfterPivoting = 0;
  for (int t = 0; t < 1000; ++t) {
    Problem p;
    p.bodies = Bodies(1);
    p.epsilon = t % 2 ? 1e-5f : 1e-3f;
    keaBody& b = p.bodies.list[0];
    for (int k = 0; k < 3; ++k) {
      b.vel[k] = 6 * unit(rng) - 3;
      b.velrot[k] = 6 * unit(rng) - 3;
    }
    b.force[1] = -9.81f;
    const int rows = 3 + t % 10;
    for (int c = 0; c < rows; ++c) {
      Constraint k = randomProblem(rng, Mix::Mixed, 1, 1).constraints[0];
      k.rows.resize(1);
      Row& r = k.rows[0];
      if (rng() % 2) {
        r.lo = -unit(rng);
        r.hi = unit(rng);
      } else {
        r.lo = 0;
        r.hi = MeInfinity;
      }
      r.c = 10 * unit(rng) - 5;
      k.body0 = 0;
      k.body1 = keaNoBody;
      p.constraints.push_back(k);
    }
    std::vector<float> x;
    const int result = lcpOnly(p, keaKernelX86, 10, x);
    ASSERT_LE(result, 10);
    ASSERT_GE(result, -10);
    const Dense d = denseSystem(p);
    if (result == 10) {
      ++limitExits;
      // A is handed to the solver in single precision, and with epsilon
      // 1e-5 its rounding shows in the residual at this level.
      ASSERT_LT(freeRowResidual(d, x), 1e-2) << "case " << t;
    } else {
      convergedAfterPivoting += result > 0;
      ASSERT_LE(lcpViolation(d, x).bounds, 0.0) << "case " << t << " result " << result;
    }
  }
  EXPECT_GT(limitExits, 0);
  EXPECT_GT(convergedAfterPivoting, 0);
}

// A solve that converges reports how many iterations it took; both kernels
// take the same path on well-separated problems.
TEST(KeaLcp, IterationCountsAgreeBetweenKernels) {
  std::mt19937 rng(81);
  int agree = 0, total = 0;
  for (int t = 0; t < 60; ++t) {
    Problem p = randomProblem(rng, Mix::Contacts, 3, 12);
    std::vector<float> x86, sse;
    const int a = lcpOnly(p, keaKernelX86, 50, x86);
    const int b = lcpOnly(p, keaKernelSse, 50, sse);
    EXPECT_GE(a, 0);
    EXPECT_LT(a, 50);
    ++total;
    agree += a == b;
  }
  EXPECT_GE(agree, total * 9 / 10);
}

}  // namespace
