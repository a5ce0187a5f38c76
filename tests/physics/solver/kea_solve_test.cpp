// The solver against slow, obviously correct references: the dense system
// built in double from the rows, solved by brute force over the row states
// (small problems) or by projected Gauss-Seidel (larger ones).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kea_fixture.h"
#include "physics/solver/kea_solve.h"

using namespace kea_test;

namespace {

double maxAbs(const std::vector<double>& v) {
  double m = 0;
  for (double x : v) m = std::max(m, std::fabs(x));
  return m;
}

struct OracleCase {
  const char* name;
  Mix mix;
  int minBodies, maxBodies, minRows, maxRows;
  bool bruteForce;
  int count;
};

void PrintTo(const OracleCase& c, std::ostream* os) { *os << c.name; }

class KeaSolveOracle : public ::testing::TestWithParam<OracleCase> {};

// Every random problem: the forces from both kernels lie within their bounds,
// satisfy complementarity against the dense system, match the reference
// solution, and the two kernels agree.
TEST_P(KeaSolveOracle, MatchesReferenceOnBothKernels) {
  const OracleCase& oc = GetParam();
  std::mt19937 rng(1234 + oc.minRows * 7 + static_cast<int>(oc.mix));
  int solved = 0;
  for (int t = 0; t < oc.count; ++t) {
    const int bodies = oc.minBodies + static_cast<int>(rng() % (oc.maxBodies - oc.minBodies + 1));
    const int rows = oc.minRows + static_cast<int>(rng() % (oc.maxRows - oc.minRows + 1));
    Problem p = randomProblem(rng, oc.mix, bodies, rows);
    if (p.constraints.empty()) continue;
    Dense d = denseSystem(p);
    std::vector<double> ref;
    if (oc.bruteForce) {
      ASSERT_TRUE(bruteForceLcp(d, ref)) << "case " << t;
    } else {
      gaussSeidelLcp(d, ref, 4000);
    }
    const double scaleB = std::max(1.0, maxAbs(d.b));
    const double scaleX = std::max(1.0, maxAbs(ref));
    const Result x86 = solve(p, keaKernelX86, 50);
    const Result sse = solve(p, keaKernelSse, 50);
    for (const Result* r : {&x86, &sse}) {
      const char* which = r == &x86 ? "x86" : "sse";
      ASSERT_EQ(static_cast<int>(r->lambda.size()), d.n);
      Violation v = lcpViolation(d, r->lambda);
      EXPECT_LE(v.bounds, 1e-6 * scaleX) << which << " case " << t << " n=" << d.n;
      EXPECT_LE(v.complementarity, 2e-3 + 2e-5 * scaleB) << which << " case " << t << " n=" << d.n;
      for (int i = 0; i < d.n; ++i)
        ASSERT_NEAR(r->lambda[i], ref[i], 2e-3 * scaleX) << which << " case " << t << " row " << i << " of " << d.n;
    }
    for (int i = 0; i < d.n; ++i) EXPECT_NEAR(x86.lambda[i], sse.lambda[i], 1e-3 * scaleX) << "case " << t;
    for (size_t b = 0; b < x86.bodies.size(); ++b)
      for (int k = 0; k < 3; ++k) {
        const double scaleA = 1 + std::fabs(x86.bodies[b].accel[k]);
        EXPECT_NEAR(x86.bodies[b].accel[k], sse.bodies[b].accel[k], 1e-3 * scaleA);
        EXPECT_NEAR(x86.bodies[b].accelrot[k], sse.bodies[b].accelrot[k], 1e-3 * (1 + std::fabs(x86.bodies[b].accelrot[k])));
      }
    ++solved;
  }
  EXPECT_GE(solved, oc.count * 9 / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Random, KeaSolveOracle,
    ::testing::Values(OracleCase{"SmallContacts", Mix::Contacts, 1, 3, 1, 8, true, 120},
                      OracleCase{"SmallBilateral", Mix::Bilateral, 2, 3, 2, 8, true, 40},
                      OracleCase{"SmallMixed", Mix::Mixed, 1, 3, 1, 8, true, 120},
                      OracleCase{"LargerContacts", Mix::Contacts, 3, 8, 12, 40, false, 60},
                      OracleCase{"LargerMixed", Mix::Mixed, 3, 8, 12, 40, false, 60}),
    [](const ::testing::TestParamInfo<OracleCase>& info) { return std::string(info.param.name); });

}  // namespace
