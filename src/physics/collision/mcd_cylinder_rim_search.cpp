// Rim-to-rim search of the cylinder-cylinder test: the nearest pair of points
// on two circles, found numerically over the two angles.
#include <cmath>

#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_line_search.h"

namespace {

// Coefficients of the rim-to-rim distance, set before each search:
//   D(theta, phi) = k + cos theta p + sin theta q - cos phi r - sin phi s
// with k = c1 - c2, p = r1 u1, q = r1 v1, r = r2 u2, s = r2 v2; the function
// minimised is |D|^2.
struct RimCoefficients {
  double k[3], p[3], q[3], r[3], s[3];
};
RimCoefficients g_rim;

// Single-precision sines and cosines: plenty for the library's float
// results, and the bulk of each evaluation's cost.
void Difference(double theta, double phi, double* d) {
  const float ft = static_cast<float>(theta), fp = static_cast<float>(phi);
  const double ct = std::cos(ft), st = std::sin(ft);
  const double cp = std::cos(fp), sp = std::sin(fp);
  for (int i = 0; i < 3; ++i)
    d[i] = g_rim.k[i] + ct * g_rim.p[i] + st * g_rim.q[i] - cp * g_rim.r[i] - sp * g_rim.s[i];
}

double RimFunction(const double* x) {
  double d[3];
  Difference(x[0], x[1], d);
  return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
}

void RimGradient(const double* x, double* g) {
  double d[3];
  Difference(x[0], x[1], d);
  const float ft = static_cast<float>(x[0]), fp = static_cast<float>(x[1]);
  const double ct = std::cos(ft), st = std::sin(ft);
  const double cp = std::cos(fp), sp = std::sin(fp);
  g[0] = g[1] = 0.0;
  for (int i = 0; i < 3; ++i) {
    g[0] += 2.0 * d[i] * (-st * g_rim.p[i] + ct * g_rim.q[i]);
    g[1] += 2.0 * d[i] * (sp * g_rim.r[i] - cp * g_rim.s[i]);
  }
}

// Polak-Ribiere conjugate gradients from x; answers the final value.
double ConjugateGradient(double* x) {
  constexpr int kIterations = 30;
  constexpr double kTolerance = 1e-8;
  double fp = RimFunction(x);
  double g[2], h[2], xi[2];
  RimGradient(x, xi);
  for (int i = 0; i < 2; ++i) {
    g[i] = -xi[i];
    h[i] = xi[i] = g[i];
  }
  for (int iter = 0; iter < kIterations; ++iter) {
    const double base[2] = {x[0], x[1]};
    const double dir[2] = {xi[0], xi[1]};
    if (dir[0] == 0.0 && dir[1] == 0.0) break;
    // Scale the first step to about a tenth of a radian.
    const double scale = 0.1 / std::sqrt(dir[0] * dir[0] + dir[1] * dir[1]);
    auto along = [&](double t) {
      const double p[2] = {base[0] + t * scale * dir[0], base[1] + t * scale * dir[1]};
      return RimFunction(p);
    };
    double t = 0.0;
    const double fret = mcd_search::LineMinimise(along, &t);
    x[0] = base[0] + t * scale * dir[0];
    x[1] = base[1] + t * scale * dir[1];
    if (2.0 * std::fabs(fret - fp) <= kTolerance * (std::fabs(fret) + std::fabs(fp) + 1e-20)) {
      fp = fret;
      break;
    }
    fp = fret;
    RimGradient(x, xi);
    double gg = 0.0, dgg = 0.0;
    for (int i = 0; i < 2; ++i) {
      gg += g[i] * g[i];
      dgg += (xi[i] + g[i]) * xi[i];
    }
    if (gg == 0.0) break;
    const double gam = dgg / gg;
    for (int i = 0; i < 2; ++i) {
      g[i] = -xi[i];
      xi[i] = h[i] = g[i] + gam * h[i];
    }
  }
  return fp;
}

}  // namespace

MeReal McdCylinderRimRimMinimise(const MeReal* c1, const MeReal* u1, const MeReal* v1, MeReal r1,
                                 const MeReal* c2, const MeReal* u2, const MeReal* v2, MeReal r2,
                                 MeReal* theta, MeReal* phi) {
  for (int i = 0; i < 3; ++i) {
    g_rim.k[i] = double(c1[i]) - double(c2[i]);
    g_rim.p[i] = double(r1) * u1[i];
    g_rim.q[i] = double(r1) * v1[i];
    g_rim.r[i] = double(r2) * u2[i];
    g_rim.s[i] = double(r2) * v2[i];
  }
  // A coarse grid picks the basin of the global minimum; the grid's sines
  // and cosines are taken once, so each grid point costs a few products.
  constexpr int kGrid = 12;
  constexpr double kStep = 2.0 * 3.14159265358979323846 / kGrid;
  double cosines[kGrid], sines[kGrid];
  for (int i = 0; i < kGrid; ++i) {
    cosines[i] = std::cos(i * kStep);
    sines[i] = std::sin(i * kStep);
  }
  double best[2] = {0.0, 0.0};
  double bestValue = 1e300;
  for (int i = 0; i < kGrid; ++i) {
    double first[3];
    for (int k = 0; k < 3; ++k)
      first[k] = g_rim.k[k] + cosines[i] * g_rim.p[k] + sines[i] * g_rim.q[k];
    for (int j = 0; j < kGrid; ++j) {
      double value = 0.0;
      for (int k = 0; k < 3; ++k) {
        const double d = first[k] - cosines[j] * g_rim.r[k] - sines[j] * g_rim.s[k];
        value += d * d;
      }
      if (value < bestValue) {
        bestValue = value;
        best[0] = i * kStep;
        best[1] = j * kStep;
      }
    }
  }
  const double value = ConjugateGradient(best);
  *theta = static_cast<MeReal>(best[0]);
  *phi = static_cast<MeReal>(best[1]);
  return static_cast<MeReal>(value < 0.0 ? 0.0 : value);
}

