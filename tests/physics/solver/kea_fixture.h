// Shared helpers of the solver tests: a small packer that lays constraint
// rows out through the public bookkeeping, a generator of random well-posed
// problems, the dense reference (A and b built the slow way, in double) and
// two reference LCP solvers (brute force over the row states, and projected
// Gauss-Seidel).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "physics/solver/kea_body.h"
#include "physics/solver/kea_constraints.h"
#include "physics/solver/kea_parameters.h"

namespace kea_test {

// 16-byte aligned float storage.
struct AlignedFloats {
  std::vector<float> raw;
  float* data = nullptr;
  void resize(size_t n) {
    raw.assign(n + 16, 0.0f);
    auto p = reinterpret_cast<uintptr_t>(raw.data());
    data = reinterpret_cast<float*>((p + 15) & ~uintptr_t{15});
  }
};

// One constraint row as a test describes it.
struct Row {
  float j0[6] = {};  // first body: linear, angular
  float j1[6] = {};  // second body
  float xi = 0, c = 0, lo = 0, hi = 0, softness = 0, xgamma = 0;
};

struct Constraint {
  int body0 = 0, body1 = keaNoBody;
  std::vector<Row> rows;
};

// Owns the arrays of a constraint set and packs constraints into it.
class Packing {
 public:
  explicit Packing(int maxRows = 2048, int maxConstraints = 512, int maxGroups = 8);
  // Packs the constraints as one group (resetting first when `fresh`).
  void packGroup(const std::vector<Constraint>& constraints, bool fresh = true);
  keaConstraints set{};
  // Row index (into the per-row arrays) of row r of constraint c of the last
  // packed group, in group order.
  std::vector<int> rowOf;

 private:
  AlignedFloats jacobian_, xi_, c_, lo_, hi_, lambda_, force_, softness_, xgamma_;
  std::vector<int> groupRows_, groupJ_, groupC_, rowsPer_, firstRow_, bodies_;
  int maxRows_, maxConstraints_;
};

// Bodies with 16-byte alignment, plus their transforms.
struct Bodies {
  std::vector<keaBody> list;
  std::vector<float> transforms;
  explicit Bodies(int n = 0);
};

// A random problem: bodies, one group of constraints, the step parameters.
struct Problem {
  Bodies bodies;
  std::vector<Constraint> constraints;
  float h = 1.0f / 60.0f, epsilon = 0.01f, gamma = 0.2f;
  std::string kind;
};

enum class Mix { Contacts, Bilateral, Mixed };
// Builds a random well-posed problem with `bodyCount` bodies and about
// `targetRows` rows (never more than 6 per body, so A stays well conditioned).
Problem randomProblem(std::mt19937& rng, Mix mix, int bodyCount, int targetRows);

// The dense system of a packed problem, in double: A = J M^-1 J^T + diag(s/h
// + eps) with the isotropic inverse inertia, and b as the solver's right-hand
// side.  Rows in group order (padding left out).
struct Dense {
  int n = 0;
  std::vector<double> A, b, lo, hi;
};
Dense denseSystem(const Problem& p);

// Exact box-LCP solution by trying every assignment of free / lower / upper
// to the rows (n <= 9).  Answers false when none fits (not well-posed).
bool bruteForceLcp(const Dense& d, std::vector<double>& x);
// Projected Gauss-Seidel to convergence.
void gaussSeidelLcp(const Dense& d, std::vector<double>& x, int sweeps);

// Largest violation of the box-LCP conditions by x: bounds, and
// complementarity of w = A x - b (|w| on free rows, -w at the lower bound,
// w at the upper bound).
struct Violation {
  double bounds = 0, complementarity = 0;
};
Violation lcpViolation(const Dense& d, const std::vector<float>& x);

// Runs keaSolve on a copy of the problem's bodies with the given kernel and
// an exactly sized pool; answers lambda (group order) and the bodies after.
struct Result {
  std::vector<float> lambda;
  std::vector<keaBody> bodies;
  std::vector<float> force;  // 16 per constraint
};
Result solve(const Problem& p, int kernel, int maxIterations = 10);

// Makes MeFatalError throw FatalError while alive, keeping the text.
struct FatalError {
  std::string text;
};
class FatalCatcher {
 public:
  FatalCatcher();
  ~FatalCatcher();
  static std::string last;
};

}  // namespace kea_test

namespace kea_test {

// Runs the steps of one group up to the LCP (block map, J M^-1 and rhs, A,
// factor) and then keaLcpSolve itself; answers its result and x (group
// order).  Packed with the problem's constraints as one group.
int lcpOnly(const Problem& p, int kernel, int maxIterations, std::vector<float>& x);

}  // namespace kea_test
