#include "kea_fixture.h"

#include <algorithm>
#include <cmath>

#include "physics/solver/kea_solve.h"
#include "physics/util/me_message.h"

namespace kea_test {

Packing::Packing(int maxRows, int maxConstraints, int maxGroups) : maxRows_(maxRows), maxConstraints_(maxConstraints) {
  const int jacobianRows = maxRows + 4 * maxConstraints;
  jacobian_.resize(static_cast<size_t>(jacobianRows) * keaJacobianRowFloats);
  for (AlignedFloats* a : {&xi_, &c_, &lo_, &hi_, &lambda_, &softness_, &xgamma_}) a->resize(maxRows + 4 * maxGroups);
  force_.resize(16 * static_cast<size_t>(maxConstraints));
  groupRows_.assign(maxGroups + 1, 0);
  groupJ_.assign(maxGroups + 1, 0);
  groupC_.assign(maxGroups + 1, 0);
  rowsPer_.assign(maxConstraints, 0);
  firstRow_.assign(maxConstraints, 0);
  bodies_.assign(2 * maxConstraints, 0);
  set.groupRows = groupRows_.data();
  set.groupJacobianRows = groupJ_.data();
  set.groupConstraints = groupC_.data();
  set.jacobian = jacobian_.data;
  set.xi = xi_.data;
  set.c = c_.data;
  set.lo = lo_.data;
  set.hi = hi_.data;
  set.lambda = lambda_.data;
  set.force = force_.data;
  set.softness = softness_.data;
  set.xgamma = xgamma_.data;
  set.rowsPerConstraint = rowsPer_.data();
  set.firstRow = firstRow_.data();
  set.bodies = bodies_.data();
  keaConstraintsReset(&set);
}

void Packing::packGroup(const std::vector<Constraint>& constraints, bool fresh) {
  if (fresh) {
    keaConstraintsReset(&set);
    keaConstraintsZero(&set, maxRows_ + 4 * maxConstraints_, maxRows_, maxConstraints_);
  }
  rowOf.clear();
  for (const Constraint& k : constraints) {
    const int first = keaConstraintsCurrentRow(&set);
    for (size_t r = 0; r < k.rows.size(); ++r) {
      const Row& row = k.rows[r];
      set.xi[first + r] = row.xi;
      set.c[first + r] = row.c;
      set.lo[first + r] = row.lo;
      set.hi[first + r] = row.hi;
      set.softness[first + r] = row.softness;
      set.xgamma[first + r] = row.xgamma;
      keaConstraintsSetJacobianRow(&set, static_cast<int>(r), row.j0, k.body1 == keaNoBody ? nullptr : row.j1);
      rowOf.push_back(first + static_cast<int>(r));
    }
    keaConstraintsAddConstraint(&set, static_cast<int>(k.rows.size()), k.body0, k.body1);
  }
  keaConstraintsEndGroup(&set);
}

Bodies::Bodies(int n) : list(n), transforms(16 * static_cast<size_t>(n), 0.0f) {
  for (int i = 0; i < n; ++i) {
    keaBody& b = list[i];
    b = keaBody{};
    b.tag = keaBodyTagValid;
    b.size = sizeof(keaBody);
    b.invMass = 1;
    b.I[0] = b.I[5] = b.I[10] = 0.4f;
    b.invI[0] = b.invI[5] = b.invI[10] = 2.5f;
    b.qrot[0] = 1;
    float* t = &transforms[16 * i];
    t[0] = t[5] = t[10] = t[15] = 1;
  }
}

namespace {

float uniform(std::mt19937& rng, float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng); }

void randomUnit(std::mt19937& rng, float* v) {
  float len = 0;
  do {
    for (int k = 0; k < 3; ++k) v[k] = uniform(rng, -1, 1);
    len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  } while (len < 0.1f);
  for (int k = 0; k < 3; ++k) v[k] /= len;
}

void cross(float* out, const float* a, const float* b) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// A row along direction d at lever arms r0, r1: (d, r0 x d) and (-d, -(r1 x d)).
Row pointRow(const float* d, const float* r0, const float* r1) {
  Row row;
  float a[3], b[3];
  cross(a, r0, d);
  cross(b, r1, d);
  for (int k = 0; k < 3; ++k) {
    row.j0[k] = d[k];
    row.j0[3 + k] = a[k];
    row.j1[k] = -d[k];
    row.j1[3 + k] = -b[k];
  }
  return row;
}

// An angular row about axis d (a hinge's or a limit's).
Row angularRow(const float* d) {
  Row row;
  for (int k = 0; k < 3; ++k) {
    row.j0[3 + k] = d[k];
    row.j1[3 + k] = -d[k];
  }
  return row;
}

}  // namespace

Problem randomProblem(std::mt19937& rng, Mix mix, int bodyCount, int targetRows) {
  Problem p;
  p.bodies = Bodies(bodyCount);
  p.epsilon = uniform(rng, 0.005f, 0.05f);
  p.gamma = uniform(rng, 0.1f, 0.4f);
  for (keaBody& b : p.bodies.list) {
    b.invMass = 1.0f / uniform(rng, 0.5f, 5.0f);
    b.I[0] = uniform(rng, 0.2f, 2.0f);
    b.I[5] = uniform(rng, 0.2f, 2.0f);
    b.I[10] = uniform(rng, 0.2f, 2.0f);
    for (int k = 0; k < 3; ++k) {
      b.vel[k] = uniform(rng, -1, 1);
      b.velrot[k] = uniform(rng, -1, 1);
      b.force[k] = uniform(rng, -10, 10);
      b.torque[k] = uniform(rng, -1, 1);
    }
  }
  std::vector<int> used(bodyCount, 0);
  int rows = 0;
  int attempts = 0;
  while (rows < targetRows && attempts++ < 1000) {
    Constraint k;
    k.body0 = static_cast<int>(rng() % bodyCount);
    k.body1 = keaNoBody;
    if (bodyCount > 1 && rng() % 10 < 7) {
      do k.body1 = static_cast<int>(rng() % bodyCount);
      while (k.body1 == k.body0);
    }
    int kind = 0;  // 0 contact, 1 bilateral, 2 limit
    if (mix == Mix::Bilateral) kind = 1;
    if (mix == Mix::Mixed) kind = static_cast<int>(rng() % 3);
    float r0[3], r1[3], n[3];
    for (int q = 0; q < 3; ++q) {
      r0[q] = uniform(rng, -1, 1);
      r1[q] = uniform(rng, -1, 1);
    }
    randomUnit(rng, n);
    if (kind == 0) {
      // A contact: the normal row pushes only; the friction rows have a box bound.
      Row normal = pointRow(n, r0, r1);
      normal.lo = 0;
      normal.hi = MeInfinity;
      normal.xi = -uniform(rng, 0, 0.02f);
      if (rng() % 4 == 0) normal.c = uniform(rng, 0, 0.5f);
      if (rng() % 4 == 0) normal.softness = uniform(rng, 0, 1e-3f);
      k.rows.push_back(normal);
      const int friction = static_cast<int>(rng() % 3);  // 0, 1 or 2 friction rows
      float t1[3], t2[3], a[3];
      randomUnit(rng, a);
      cross(t1, n, a);
      float len = std::sqrt(t1[0] * t1[0] + t1[1] * t1[1] + t1[2] * t1[2]);
      for (float& v : t1) v /= len;
      cross(t2, n, t1);
      for (int f = 0; f < friction; ++f) {
        Row row = pointRow(f == 0 ? t1 : t2, r0, r1);
        const float bound = uniform(rng, 0.05f, 3.0f);
        row.lo = -bound;
        row.hi = bound;
        k.rows.push_back(row);
      }
    } else if (kind == 1) {
      // A ball joint (three point rows) or a hinge's two angular rows.
      if (rng() % 2 == 0) {
        const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (const auto& axis : axes) k.rows.push_back(pointRow(axis, r0, r1));
      } else {
        float t1[3], t2[3];
        cross(t1, n, r0);
        float len = std::sqrt(t1[0] * t1[0] + t1[1] * t1[1] + t1[2] * t1[2]);
        if (len < 1e-3f) continue;
        for (float& v : t1) v /= len;
        cross(t2, n, t1);
        k.rows.push_back(angularRow(t1));
        k.rows.push_back(angularRow(t2));
      }
      for (Row& row : k.rows) {
        row.lo = -MeInfinity;
        row.hi = MeInfinity;
        row.xi = uniform(rng, -0.01f, 0.01f);
      }
    } else {
      // A limited motor row.
      Row row = rng() % 2 ? angularRow(n) : pointRow(n, r0, r1);
      row.lo = -uniform(rng, 0.0f, 5.0f);
      row.hi = uniform(rng, 0.0f, 5.0f);
      row.c = uniform(rng, -2, 2);
      if (rng() % 3 == 0) row.xgamma = uniform(rng, 0, 0.2f);
      k.rows.push_back(row);
    }
    const int r = static_cast<int>(k.rows.size());
    if (used[k.body0] + r > 6 || (k.body1 >= 0 && used[k.body1] + r > 6)) continue;
    used[k.body0] += r;
    if (k.body1 >= 0) used[k.body1] += r;
    rows += r;
    p.constraints.push_back(k);
  }
  p.kind = mix == Mix::Contacts ? "contacts" : (mix == Mix::Bilateral ? "bilateral" : "mixed");
  return p;
}

Dense denseSystem(const Problem& p) {
  const int bodies = static_cast<int>(p.bodies.list.size());
  const int columns = 6 * bodies;
  std::vector<std::vector<double>> J;
  Dense d;
  for (const Constraint& k : p.constraints) {
    for (const Row& row : k.rows) {
      std::vector<double> full(columns, 0.0);
      for (int q = 0; q < 6; ++q) {
        full[6 * k.body0 + q] += row.j0[q];
        if (k.body1 >= 0) full[6 * k.body1 + q] += row.j1[q];
      }
      J.push_back(full);
      d.lo.push_back(row.lo);
      d.hi.push_back(row.hi);
    }
  }
  d.n = static_cast<int>(J.size());
  std::vector<double> minv(columns), vf(columns);
  for (int i = 0; i < bodies; ++i) {
    const keaBody& b = p.bodies.list[i];
    const double iso = 1.0 / std::max({double(b.I[0]), double(b.I[5]), double(b.I[10])});
    for (int q = 0; q < 3; ++q) {
      minv[6 * i + q] = b.invMass;
      minv[6 * i + 3 + q] = iso;
      vf[6 * i + q] = b.vel[q] / double(p.h) + b.invMass * double(b.force[q]);
      vf[6 * i + 3 + q] = b.velrot[q] / double(p.h) + iso * double(b.torque[q]);
    }
  }
  d.A.assign(static_cast<size_t>(d.n) * d.n, 0.0);
  d.b.assign(d.n, 0.0);
  int r = 0;
  for (const Constraint& k : p.constraints) {
    for (const Row& row : k.rows) {
      for (int s = 0; s < d.n; ++s) {
        double sum = 0;
        for (int q = 0; q < columns; ++q) sum += J[r][q] * minv[q] * J[s][q];
        d.A[r * d.n + s] = sum;
      }
      d.A[r * d.n + r] += row.softness / double(p.h) + p.epsilon;
      double jv = 0;
      for (int q = 0; q < columns; ++q) jv += J[r][q] * vf[q];
      d.b[r] = (row.c - (double(p.gamma) + row.xgamma) * row.xi / p.h) / p.h - jv;
      ++r;
    }
  }
  return d;
}

namespace {

// Solves the dense system M y = v (n x n, Gaussian elimination with pivoting).
bool gauss(std::vector<double> M, std::vector<double> v, int n, std::vector<double>& y) {
  for (int c = 0; c < n; ++c) {
    int best = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(M[r * n + c]) > std::fabs(M[best * n + c])) best = r;
    if (std::fabs(M[best * n + c]) < 1e-14) return false;
    if (best != c) {
      for (int q = 0; q < n; ++q) std::swap(M[c * n + q], M[best * n + q]);
      std::swap(v[c], v[best]);
    }
    for (int r = c + 1; r < n; ++r) {
      const double f = M[r * n + c] / M[c * n + c];
      for (int q = c; q < n; ++q) M[r * n + q] -= f * M[c * n + q];
      v[r] -= f * v[c];
    }
  }
  y.assign(n, 0.0);
  for (int r = n - 1; r >= 0; --r) {
    double s = v[r];
    for (int q = r + 1; q < n; ++q) s -= M[r * n + q] * y[q];
    y[r] = s / M[r * n + r];
  }
  return true;
}

bool infinite(double v) { return std::fabs(v) > 1e30; }

}  // namespace

bool bruteForceLcp(const Dense& d, std::vector<double>& x) {
  const int n = d.n;
  std::vector<int> state(n, 0);
  double scale = 1;
  for (double v : d.b) scale = std::max(scale, std::fabs(v));
  const double tol = 1e-9 * scale;
  for (;;) {
    bool possible = true;
    for (int i = 0; i < n && possible; ++i)
      possible = !(state[i] == 1 && infinite(d.lo[i])) && !(state[i] == 2 && infinite(d.hi[i]));
    if (possible) {
      std::vector<int> freeRows;
      x.assign(n, 0.0);
      for (int i = 0; i < n; ++i) {
        if (state[i] == 0) freeRows.push_back(i);
        else x[i] = state[i] == 1 ? d.lo[i] : d.hi[i];
      }
      const int m = static_cast<int>(freeRows.size());
      std::vector<double> M(static_cast<size_t>(m) * m), v(m), y;
      for (int a = 0; a < m; ++a) {
        double s = d.b[freeRows[a]];
        for (int i = 0; i < n; ++i)
          if (state[i] != 0) s -= d.A[freeRows[a] * n + i] * x[i];
        v[a] = s;
        for (int c = 0; c < m; ++c) M[a * m + c] = d.A[freeRows[a] * n + freeRows[c]];
      }
      if (m == 0 || gauss(M, v, m, y)) {
        for (int a = 0; a < m; ++a) x[freeRows[a]] = y[a];
        bool ok = true;
        for (int i = 0; i < n && ok; ++i) {
          double w = -d.b[i];
          for (int q = 0; q < n; ++q) w += d.A[i * n + q] * x[q];
          if (state[i] == 0) ok = x[i] >= d.lo[i] - tol && x[i] <= d.hi[i] + tol;
          else if (state[i] == 1) ok = w >= -tol;
          else ok = w <= tol;
        }
        if (ok) return true;
      }
    }
    int i = 0;
    while (i < n && ++state[i] == 3) state[i++] = 0;
    if (i == n) return false;
  }
}

void gaussSeidelLcp(const Dense& d, std::vector<double>& x, int sweeps) {
  const int n = d.n;
  x.assign(n, 0.0);
  for (int s = 0; s < sweeps; ++s) {
    for (int i = 0; i < n; ++i) {
      double w = -d.b[i];
      for (int q = 0; q < n; ++q) w += d.A[i * n + q] * x[q];
      x[i] = std::clamp(x[i] - w / d.A[i * n + i], d.lo[i], d.hi[i]);
    }
  }
}

Violation lcpViolation(const Dense& d, const std::vector<float>& x) {
  Violation v;
  const int n = d.n;
  for (int i = 0; i < n; ++i) {
    v.bounds = std::max({v.bounds, d.lo[i] - x[i], x[i] - d.hi[i]});
    double w = -d.b[i];
    for (int q = 0; q < n; ++q) w += d.A[i * n + q] * x[q];
    const double atLo = !infinite(d.lo[i]) && x[i] <= d.lo[i] + 1e-6 * (1 + std::fabs(d.lo[i]));
    const double atHi = !infinite(d.hi[i]) && x[i] >= d.hi[i] - 1e-6 * (1 + std::fabs(d.hi[i]));
    double c = std::fabs(w);
    if (atLo && atHi) c = 0;  // lo == hi: any w
    else if (atLo) c = std::max(0.0, -w);
    else if (atHi) c = std::max(0.0, w);
    v.complementarity = std::max(v.complementarity, c);
  }
  return v;
}

Result solve(const Problem& p, int kernel, int maxIterations) {
  Packing pk;
  pk.packGroup(p.constraints);
  Result r;
  r.bodies = p.bodies.list;
  std::vector<float> transforms = p.bodies.transforms;
  const int bodyCount = static_cast<int>(r.bodies.size());
  const int size = keaMemoryRequired(pk.set.rows, bodyCount);
  std::vector<unsigned char> pool(size);
  keaParameters params{p.h, p.epsilon, p.gamma, maxIterations, pool.data(), size, kernel, 0};
  keaSolve(pk.set, r.bodies.data(), transforms.data(), bodyCount, params);
  for (int row : pk.rowOf) r.lambda.push_back(pk.set.lambda[row]);
  r.force.assign(pk.set.force, pk.set.force + 16 * p.constraints.size());
  return r;
}

std::string FatalCatcher::last;

namespace {
MeOutputFn g_oldOutput;
MeFatalExitFn g_oldExit;
void captureFatal(int, const char* text) { FatalCatcher::last += text; }
void throwFatal(int) { throw FatalError{FatalCatcher::last}; }
}  // namespace

FatalCatcher::FatalCatcher() {
  last.clear();
  g_oldOutput = MeSetFatalErrorOutput(captureFatal);
  g_oldExit = MeSetFatalExit(throwFatal);
}

FatalCatcher::~FatalCatcher() {
  MeSetFatalErrorOutput(g_oldOutput);
  MeSetFatalExit(g_oldExit);
}

}  // namespace kea_test

#include "physics/solver/kea_block_map.h"
#include "physics/solver/kea_jacobian_kernel.h"
#include "physics/solver/kea_lcp.h"
#include "physics/solver/kea_matrix_kernel.h"
#include "physics/solver/kea_pool.h"

namespace kea_test {

int lcpOnly(const Problem& p, int kernel, int maxIterations, std::vector<float>& x) {
  Packing pk;
  pk.packGroup(p.constraints);
  const int bodyCount = static_cast<int>(p.bodies.list.size());
  std::vector<keaBody> bodies = p.bodies.list;
  const int rows = pk.set.groupRows[0];
  const int P = (rows + 3) & ~3;
  const int blocks = P / 4;
  std::vector<unsigned char> pool(keaMemoryRequired(rows, bodyCount));
  keaPoolInit(pool.data(), static_cast<int>(pool.size()));

  std::vector<int> counts(blocks), mapBodies(blocks * keaBlockMaxEntries), slots(blocks * keaBlockMaxEntries);
  keaBlockMap map{0, counts.data(), mapBodies.data(), slots.data()};
  keaBuildBlockMap(&map, blocks, keaConstraintsGroupSteps(pk.set.groupJacobianRows[0]), pk.set.rowsPerConstraint,
                   pk.set.bodies, pk.set.constraints, bodyCount);
  AlignedFloats invI, vf, jm, rhs;
  invI.resize(12 * bodyCount);
  vf.resize(8 * bodyCount);
  jm.resize(48 * 5 * blocks);
  rhs.resize(P);
  for (int i = 0; i < bodyCount; ++i) {
    const keaBody& b = bodies[i];
    const float iso = 1.0f / std::max({b.I[0], b.I[5], b.I[10]});
    invI.data[12 * i] = invI.data[12 * i + 5] = invI.data[12 * i + 10] = iso;
    invI.data[12 * i + 3] = b.invMass;
    for (int k = 0; k < 3; ++k) {
      vf.data[8 * i + k] = b.vel[k] / p.h + b.invMass * b.force[k];
      vf.data[8 * i + 4 + k] = b.velrot[k] / p.h + iso * b.torque[k];
    }
  }
  KeaMatrixKernelX86 mx;
  KeaMatrixKernelSse ms;
  KeaJacobianKernelX86 jx;
  KeaJacobianKernelSse js;
  KeaMatrixKernel* matrix = kernel == keaKernelSse ? static_cast<KeaMatrixKernel*>(&ms) : &mx;
  KeaJacobianKernel* jacobian = kernel == keaKernelSse ? static_cast<KeaJacobianKernel*>(&js) : &jx;
  matrix->eps = p.epsilon;
  matrix->invH = 1.0f / p.h;
  matrix->bodyCount = bodyCount;
  matrix->allocate(rows);
  keaGroupData g{blocks, counts.data(), mapBodies.data(), slots.data(), pk.set.jacobian, jm.data, invI.data, vf.data,
                 rhs.data, pk.set.xi, pk.set.c, pk.set.xgamma, p.gamma, p.h, pk.set.lambda, bodies.data(),
                 pk.set.force};
  jacobian->calcJinvMandRHS(g);
  matrix->calcJinvMJT(jm.data, pk.set.jacobian, mapBodies.data(), counts.data(), pk.set.softness);
  matrix->factorize();
  const int result = keaLcpSolve(matrix, pk.set.lambda, rhs.data, pk.set.lo, pk.set.hi, maxIterations);
  x.clear();
  for (int row : pk.rowOf) x.push_back(pk.set.lambda[row]);
  return result;
}

}  // namespace kea_test
