// One-dimensional minimisation for the cylinder tests' numerical searches:
// bracketing by golden-ratio steps and refinement by Brent's method
// (parabolic steps with golden-section fallback).  Works in double precision.
#pragma once

#include <cmath>
#include <utility>

namespace mcd_search {

inline constexpr double kGold = 1.618034;
inline constexpr double kGrowthLimit = 100.0;
inline constexpr double kBracketGuard = 1e-20;
inline constexpr double kBrentGuard = 1e-10;
inline constexpr double kGoldenSection = 0.3819660;

// Starting from a and b, walks downhill until c with f(b) <= f(a), f(b) <=
// f(c): the minimum lies between a and c.  Parabolic extrapolation is tried
// first, limited to kGrowthLimit times the last step.
template <typename F>
void Bracket(F&& f, double* a, double* b, double* c, double* fa, double* fb, double* fc) {
  *fa = f(*a);
  *fb = f(*b);
  if (*fb > *fa) {
    std::swap(*a, *b);
    std::swap(*fa, *fb);
  }
  *c = *b + kGold * (*b - *a);
  *fc = f(*c);
  for (int guard = 0; *fb > *fc && guard < 100; ++guard) {
    const double r = (*b - *a) * (*fb - *fc);
    const double q = (*b - *c) * (*fb - *fa);
    double denom = q - r;
    if (std::fabs(denom) < kBracketGuard) denom = denom < 0 ? -kBracketGuard : kBracketGuard;
    double u = *b - ((*b - *c) * q - (*b - *a) * r) / (2.0 * denom);
    const double ulim = *b + kGrowthLimit * (*c - *b);
    double fu;
    if ((*b - u) * (u - *c) > 0.0) {
      fu = f(u);
      if (fu < *fc) {
        *a = *b; *b = u; *fa = *fb; *fb = fu;
        return;
      }
      if (fu > *fb) {
        *c = u; *fc = fu;
        return;
      }
      u = *c + kGold * (*c - *b);
      fu = f(u);
    } else if ((*c - u) * (u - ulim) > 0.0) {
      fu = f(u);
      if (fu < *fc) {
        *b = *c; *c = u; u = *c + kGold * (*c - *b);
        *fb = *fc; *fc = fu; fu = f(u);
      }
    } else if ((u - ulim) * (ulim - *c) >= 0.0) {
      u = ulim;
      fu = f(u);
    } else {
      u = *c + kGold * (*c - *b);
      fu = f(u);
    }
    *a = *b; *b = *c; *c = u;
    *fa = *fb; *fb = *fc; *fc = fu;
  }
}

// Minimum of f inside the bracket (a, b, c) to the relative tolerance tol;
// writes the abscissa and answers the value.
template <typename F>
double Brent(F&& f, double a, double b, double c, double tol, double* xmin) {
  double lo = a < c ? a : c, hi = a < c ? c : a;
  double x = b, w = b, v = b;
  double fx = f(x), fw = fx, fv = fx;
  double d = 0.0, e = 0.0;
  for (int iter = 0; iter < 100; ++iter) {
    const double mid = 0.5 * (lo + hi);
    const double tol1 = tol * std::fabs(x) + kBrentGuard, tol2 = 2.0 * tol1;
    if (std::fabs(x - mid) <= tol2 - 0.5 * (hi - lo)) break;
    bool golden = true;
    if (std::fabs(e) > tol1) {
      const double r = (x - w) * (fx - fv);
      double q = (x - v) * (fx - fw);
      double p = (x - v) * q - (x - w) * r;
      q = 2.0 * (q - r);
      if (q > 0.0) p = -p;
      q = std::fabs(q);
      const double last = e;
      e = d;
      if (!(std::fabs(p) >= std::fabs(0.5 * q * last) || p <= q * (lo - x) || p >= q * (hi - x))) {
        d = p / q;
        const double u = x + d;
        if (u - lo < tol2 || hi - u < tol2) d = mid - x >= 0 ? tol1 : -tol1;
        golden = false;
      }
    }
    if (golden) {
      e = x >= mid ? lo - x : hi - x;
      d = kGoldenSection * e;
    }
    const double u = std::fabs(d) >= tol1 ? x + d : x + (d >= 0 ? tol1 : -tol1);
    const double fu = f(u);
    if (fu <= fx) {
      if (u >= x) lo = x; else hi = x;
      v = w; w = x; x = u;
      fv = fw; fw = fx; fx = fu;
    } else {
      if (u < x) lo = u; else hi = u;
      if (fu <= fw || w == x) {
        v = w; w = u; fv = fw; fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = u; fv = fu;
      }
    }
  }
  *xmin = x;
  return fx;
}

// Minimum of f along a line from a start parameter 0 with a first step 1:
// bracket, then Brent.  Writes the parameter and answers the value.
template <typename F>
double LineMinimise(F&& f, double* t) {
  double a = 0.0, b = 1.0, c, fa, fb, fc;
  Bracket(f, &a, &b, &c, &fa, &fb, &fc);
  return Brent(f, a, b, c, 1.0e-3, t);
}

}  // namespace mcd_search
