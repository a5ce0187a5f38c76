// Distance between two convex shapes given by their support functions.
#include <cmath>

#include "physics/collision/mcd_cone_pairs.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_narrow_phase.h"

namespace {

constexpr int kMaxIterations = 40;
constexpr MeReal kTouch = 0.0001f;

// The last closest points, kept for inspection.
MeVector3 g_lastPoint1 = {0, 0, 0};
MeVector3 g_lastPoint2 = {0, 0, 0};

// Simplex of points w = a - b of the difference of the shapes, with the
// support points that made them.
struct Simplex {
  int count = 0;
  MeReal w[4][3], a[4][3], b[4][3];
};

// Point of the affine hull of the chosen points nearest the origin, by the
// normal equations of the barycentric weights.  False when degenerate or
// when a weight is not positive (the nearest point lies on a smaller
// sub-simplex).
bool AffineNearest(const Simplex& s, const int* idx, int n, double* weights) {
  if (n == 1) {
    weights[0] = 1.0;
    return true;
  }
  // Solve for lambda_1..n-1 with w = w0 + sum lambda_k (w_k - w0).
  double m[3][3] = {}, rhs[3] = {};
  const MeReal* w0 = s.w[idx[0]];
  double e[3][3];
  for (int k = 1; k < n; ++k)
    for (int i = 0; i < 3; ++i) e[k - 1][i] = double(s.w[idx[k]][i]) - w0[i];
  for (int r = 0; r < n - 1; ++r) {
    for (int c = 0; c < n - 1; ++c)
      m[r][c] = e[r][0] * e[c][0] + e[r][1] * e[c][1] + e[r][2] * e[c][2];
    rhs[r] = -(e[r][0] * w0[0] + e[r][1] * w0[1] + e[r][2] * w0[2]);
  }
  double lambda[3] = {};
  const int size = n - 1;
  // Gaussian elimination with partial pivoting on the small system.
  int perm[3] = {0, 1, 2};
  for (int col = 0; col < size; ++col) {
    int pivot = col;
    for (int r = col + 1; r < size; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    if (std::fabs(m[pivot][col]) < 1e-18) return false;
    for (int c = 0; c < size; ++c) std::swap(m[col][c], m[pivot][c]);
    std::swap(rhs[col], rhs[pivot]);
    std::swap(perm[col], perm[pivot]);
    for (int r = col + 1; r < size; ++r) {
      const double f = m[r][col] / m[col][col];
      for (int c = col; c < size; ++c) m[r][c] -= f * m[col][c];
      rhs[r] -= f * rhs[col];
    }
  }
  for (int r = size - 1; r >= 0; --r) {
    double v = rhs[r];
    for (int c = r + 1; c < size; ++c) v -= m[r][c] * lambda[c];
    lambda[r] = v / m[r][r];
  }
  double first = 1.0;
  for (int k = 0; k < size; ++k) {
    weights[k + 1] = lambda[k];
    first -= lambda[k];
  }
  weights[0] = first;
  for (int k = 0; k < n; ++k)
    if (weights[k] <= 0.0) return false;
  return true;
}

// Reduces the simplex to the sub-simplex holding the point of its hull
// nearest the origin; writes that point v and the matching points of both
// shapes.
void Reduce(Simplex* s, MeReal* v, MeReal* p1, MeReal* p2) {
  double bestDist = 1e300;
  int bestMask = 0;
  double bestWeights[4] = {};
  const int subsets = 1 << s->count;
  for (int mask = 1; mask < subsets; ++mask) {
    int idx[4], n = 0;
    for (int k = 0; k < s->count; ++k)
      if (mask & (1 << k)) idx[n++] = k;
    double weights[4];
    if (!AffineNearest(*s, idx, n, weights)) continue;
    double point[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k)
      for (int i = 0; i < 3; ++i) point[i] += weights[k] * s->w[idx[k]][i];
    const double dist = point[0] * point[0] + point[1] * point[1] + point[2] * point[2];
    if (dist < bestDist) {
      bestDist = dist;
      bestMask = mask;
      for (int k = 0; k < n; ++k) bestWeights[k] = weights[k];
    }
  }
  Simplex reduced;
  double acc[3][3] = {};
  for (int k = 0; k < s->count; ++k) {
    if (!(bestMask & (1 << k))) continue;
    const double wt = bestWeights[reduced.count];
    for (int i = 0; i < 3; ++i) {
      acc[0][i] += wt * s->w[k][i];
      acc[1][i] += wt * s->a[k][i];
      acc[2][i] += wt * s->b[k][i];
    }
    MeVector3Copy(reduced.w[reduced.count], s->w[k]);
    MeVector3Copy(reduced.a[reduced.count], s->a[k]);
    MeVector3Copy(reduced.b[reduced.count], s->b[k]);
    ++reduced.count;
  }
  *s = reduced;
  for (int i = 0; i < 3; ++i) {
    v[i] = static_cast<MeReal>(acc[0][i]);
    p1[i] = static_cast<MeReal>(acc[1][i]);
    p2[i] = static_cast<MeReal>(acc[2][i]);
  }
}

}  // namespace

int McdConvexDistance(McdModel* model1, McdModel* model2, MeReal* point1, MeReal* point2,
                      MeReal* distance2) {
  const MeReal* t1 = McdModelTransformOrIdentity(model1);
  const MeReal* t2 = McdModelTransformOrIdentity(model2);
  MeReal v[3];
  MeVector3Subtract(v, t1 + 12, t2 + 12);
  if (MeVector3Dot(v, v) == 0.0f) MeVector3Set(v, 1, 0, 0);
  Simplex s;
  MeReal best = 1e30f;
  MeReal p1[3], p2[3];
  MeVector3Copy(p1, t1 + 12);
  MeVector3Copy(p2, t2 + 12);
  int touching = 1;
  MeReal dist2 = kTouch;
  bool first = true;
  for (int iter = 0; iter < kMaxIterations; ++iter) {
    if (!first) {
      Reduce(&s, v, p1, p2);
      if (s.count == 4) {  // the origin is inside the difference: overlap
        touching = 1;
        dist2 = kTouch;
        break;
      }
      const MeReal vv = MeVector3Dot(v, v);
      if (vv < kTouch) {
        touching = 1;
        dist2 = vv;
        break;
      }
      if (!(vv < best)) {  // no progress
        touching = 0;
        dist2 = vv;
        break;
      }
      best = vv;
    }
    // Support of the difference along -v: shape 1 along -v, shape 2 along v.
    // Support functions take unit directions (the cone compares with its
    // half-angle sine).
    MeReal unit[3], minus[3], a[3], b[3], w[3];
    MeVector3Copy(unit, v);
    McdVec3NormalizeLength(unit);
    McdVec3Negate(minus, unit);
    McdGeometryGetMaxPoint(model1->geometry, t1, minus, a);
    McdGeometryGetMaxPoint(model2->geometry, t2, unit, b);
    MeVector3Subtract(w, a, b);
    const MeReal vw = MeVector3Dot(v, w);
    if (!distance2 && vw > 0.0f) {  // a separating plane
      touching = 0;
      dist2 = first ? MeVector3Dot(v, v) : best;
      break;
    }
    if (!first && best - vw < 0.0001f) {  // no real improvement: converged apart
      touching = 0;
      dist2 = best;
      break;
    }
    first = false;
    MeVector3Copy(s.w[s.count], w);
    MeVector3Copy(s.a[s.count], a);
    MeVector3Copy(s.b[s.count], b);
    ++s.count;
    if (iter == kMaxIterations - 1) {
      touching = 1;
      dist2 = kTouch;
    }
  }
  MeVector3Copy(g_lastPoint1, p1);
  MeVector3Copy(g_lastPoint2, p2);
  if (point1) MeVector3Copy(point1, p1);
  if (point2) MeVector3Copy(point2, p2);
  if (distance2) *distance2 = dist2;
  return touching;
}

void McdConvexDistanceGetLastPoints(MeReal* point1, MeReal* point2) {
  MeVector3Copy(point1, g_lastPoint1);
  MeVector3Copy(point2, g_lastPoint2);
}
