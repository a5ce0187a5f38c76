// Cylinder against cylinder.
#include <cmath>

#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_cylinder_common.h"
#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_line_search.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_segment_clip.h"

namespace {

constexpr MeReal kParallel = 1e-15f;
constexpr MeReal kDenominator = 1e-8f;
constexpr double kTwoPi = 2.0 * 3.14159265358979323846;

struct Cylinder {
  MeReal centre[3];
  MeReal axis[3];
  MeReal u[3], v[3];  // radial frame: u, v, axis right-handed
  MeReal radius, half;
};

// Feature of a cylinder along n: cap, side, or rim between.
int Feature(const MeReal* a, const MeReal* n) {
  const MeReal an = std::fabs(MeVector3Dot(a, n));
  if (an > 0.9999f) return 2;
  if (an < 0.0001f) return 3;
  return 1;
}

// The rim point of cap `sign` at angle theta.
void RimPoint(const Cylinder& c, MeReal sign, double theta, MeReal* out) {
  const MeReal ct = static_cast<MeReal>(std::cos(theta)), st = static_cast<MeReal>(std::sin(theta));
  for (int i = 0; i < 3; ++i)
    out[i] = c.centre[i] + sign * c.half * c.axis[i] + c.radius * (ct * c.u[i] + st * c.v[i]);
}

// Squared distance from p to the line through q along the unit vector d,
// with the foot of the perpendicular.
MeReal LineDistance2(const MeReal* p, const MeReal* q, const MeReal* d, MeReal* foot) {
  MeReal w[3];
  MeVector3Subtract(w, p, q);
  const MeReal along = MeVector3Dot(w, d);
  for (int i = 0; i < 3; ++i) foot[i] = q[i] + along * d[i];
  MeReal r[3];
  MeVector3Subtract(r, p, foot);
  return MeVector3Dot(r, r);
}

// The direction from the other cylinder's axis line to the point of rim
// `sign` of `c` nearest that line: coarse samples, then a Brent refinement.
// False when the rim touches the line.
bool RimToLineDirection(const Cylinder& c, MeReal sign, const Cylinder& other, MeReal* dir) {
  auto f = [&](double theta) {
    MeReal p[3], foot[3];
    RimPoint(c, sign, theta, p);
    return double(LineDistance2(p, other.centre, other.axis, foot));
  };
  constexpr int kSamples = 16;
  int bestSample = 0;
  double bestValue = 1e300;
  for (int i = 0; i < kSamples; ++i) {
    const double value = f(i * kTwoPi / kSamples);
    if (value < bestValue) {
      bestValue = value;
      bestSample = i;
    }
  }
  const double step = kTwoPi / kSamples;
  const double a = (bestSample - 1) * step, b = bestSample * step, cc = (bestSample + 1) * step;
  double theta = b;
  mcd_search::Brent(f, a, b, cc, 1e-6, &theta);
  MeReal p[3], foot[3];
  RimPoint(c, sign, theta, p);
  LineDistance2(p, other.centre, other.axis, foot);
  MeVector3Subtract(dir, p, foot);
  return McdVec3NormalizeLength(dir) >= kDenominator;
}

// Side lines of cylinder `c` (through centre +- R u and +- R w, u the radial
// direction nearest to `toward`) clipped by the upright cylinder (r, h) of
// the frame they are given in, both ends; then the rim of the cap facing
// `toward`, as an eight-sided polygon, with each corner inside and each
// crossing.
int ClipAgainstUpright(const Cylinder& c, const MeReal* toward, MeReal r, MeReal h,
                       MeReal** cursor) {
  MeReal u[3], w[3];
  mcd_cylinder::RadialPair(c.axis, toward, u, w);
  MeReal half[3];
  McdVec3ScaleTo(half, c.axis, c.half);
  int n = 0;
  const MeReal* radials[2] = {u, w};
  for (const MeReal* dir : radials)
    for (int side = -1; side <= 1; side += 2) {
      MeReal centre[3];
      for (int i = 0; i < 3; ++i) centre[i] = c.centre[i] + side * c.radius * dir[i];
      n += McdClipCylinderBothEnds(centre, half, r, h, cursor);
    }
  const MeReal sign = MeVector3Dot(c.axis, toward) >= 0.0f ? 1.0f : -1.0f;
  constexpr int kSides = 8;
  for (int k = 0; k < kSides; ++k) {
    MeReal p[3], q[3], d[3];
    RimPoint(c, sign, k * kTwoPi / kSides, p);
    RimPoint(c, sign, (k + 1) * kTwoPi / kSides, q);
    MeVector3Subtract(d, q, p);
    MeReal t0 = 0.0f, t1 = 1.0f;
    if (!McdClipSegmentCylinder(p, d, r, h, &t0, &t1)) continue;
    MeReal* out = *cursor;
    for (int i = 0; i < 3; ++i) out[i] = p[i] + t0 * d[i];
    *cursor = out + 3;
    ++n;
    if (t1 < 1.0f) {
      out = *cursor;
      for (int i = 0; i < 3; ++i) out[i] = p[i] + t1 * d[i];
      *cursor = out + 3;
      ++n;
    }
  }
  return n;
}

void MakeCylinder(Cylinder* c, const MeReal* frame, MeReal radius, MeReal half) {
  MeVector3Copy(c->u, frame);
  MeVector3Copy(c->v, frame + 4);
  MeVector3Copy(c->axis, frame + 8);
  MeVector3Copy(c->centre, frame + 12);
  c->radius = radius;
  c->half = half;
}

}  // namespace

// Everything in cylinder 1's frame (its axis z, centre the origin).  Each
// direction n gets the gap |t.n| - (reach 1 + reach 2), t cylinder 2's
// centre; the largest gap is the separation.  Directions, stopping at the
// first that separates by more than the margin: the two axes; the common
// perpendicular (for parallel axes, the radial direction between them); from
// each rim of one cylinder to the other's axis line; between the two facing
// rims (numerical search).
int McdCylinderCylinderIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  const MeReal* t1 = McdModelTransformOrIdentity(m1);
  const MeReal* t2 = McdModelTransformOrIdentity(m2);
  const MeReal margin = McdPairMargin(pair);
  result->contactCount = 0;

  const MeReal identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  MeReal rel[16];
  McdRelativeTransform(rel, t1, t2);
  Cylinder c1, c2;
  MakeCylinder(&c1, identity, McdCylinderGetRadius(m1->geometry),
               McdCylinderGetHalfHeight(m1->geometry));
  MakeCylinder(&c2, rel, McdCylinderGetRadius(m2->geometry),
               McdCylinderGetHalfHeight(m2->geometry));
  const MeReal* t = c2.centre;

  MeReal best = -MeInfinity;
  MeReal bestDir[3] = {0, 0, 1};
  bool rimRim = false;
  auto consider = [&](const MeReal* n, bool rims) {
    const MeReal s = std::fabs(MeVector3Dot(t, n)) -
                     (mcd_cylinder::Reach(c1.axis, c1.radius, c1.half, n) +
                      mcd_cylinder::Reach(c2.axis, c2.radius, c2.half, n));
    if (s > best) {
      best = s;
      MeVector3Copy(bestDir, n);
      rimRim = rims;
    }
    return s <= margin;
  };

  if (!consider(c1.axis, false) || !consider(c2.axis, false)) return 0;
  MeReal cross[3];
  MeVector3Cross(cross, c1.axis, c2.axis);
  const bool parallel = MeVector3Dot(cross, cross) < kParallel;
  if (!parallel) {
    McdVec3NormalizeLength(cross);
    if (!consider(cross, false)) return 0;
  } else {
    MeReal radial[3] = {t[0], t[1], 0.0f};
    if (McdVec3NormalizeLength(radial) >= kDenominator && !consider(radial, false)) return 0;
  }
  // Every direction n has reach_i(n) >= min(R_i, h_i), so no direction can
  // separate more than |t| - min(R1, h1) - min(R2, h2): when the best so
  // far reaches that bound the numerical searches cannot improve on it.
  const MeReal bound = MeVector3Magnitude(t) - (c1.radius < c1.half ? c1.radius : c1.half) -
                       (c2.radius < c2.half ? c2.radius : c2.half);
  if (!parallel && bound > best) {
    for (int k = 0; k < 2; ++k) {
      const Cylinder& rim = k == 0 ? c1 : c2;
      const Cylinder& line = k == 0 ? c2 : c1;
      for (int side = -1; side <= 1; side += 2) {
        MeReal dir[3];
        if (RimToLineDirection(rim, static_cast<MeReal>(side), line, dir) && !consider(dir, false))
          return 0;
      }
    }
    // The two rims facing each other.
    const MeReal sign1 = t[2] >= 0.0f ? 1.0f : -1.0f;
    const MeReal sign2 = MeVector3Dot(t, c2.axis) <= 0.0f ? 1.0f : -1.0f;
    MeReal centre1[3], centre2[3];
    for (int i = 0; i < 3; ++i) {
      centre1[i] = sign1 * c1.half * c1.axis[i];
      centre2[i] = c2.centre[i] + sign2 * c2.half * c2.axis[i];
    }
    MeReal theta, phi;
    McdCylinderRimRimMinimise(centre1, c1.u, c1.v, c1.radius, centre2, c2.u, c2.v, c2.radius,
                              &theta, &phi);
    MeReal p1[3], p2[3], dir[3];
    RimPoint(c1, sign1, theta, p1);
    RimPoint(c2, sign2, phi, p2);
    MeVector3Subtract(dir, p1, p2);
    if (McdVec3NormalizeLength(dir) >= kDenominator && !consider(dir, true)) return 0;
  }

  MeReal N[3];
  McdVec3ScaleTo(N, bestDir, MeVector3Dot(t, bestDir) > 0.0f ? -1.0f : 1.0f);
  const MeU16 dims = rimRim ? MeU16(0x0000)
                            : static_cast<MeU16>(Feature(c1.axis, N) | (Feature(c2.axis, N) << 8));
  const MeReal face1 = -mcd_cylinder::Reach(c1.axis, c1.radius, c1.half, N);  // min over 1 of x.N
  const MeReal face2 = MeVector3Dot(t, N) + mcd_cylinder::Reach(c2.axis, c2.radius, c2.half, N);

  const MeReal m = margin > 0.0f ? margin : 0.0f;
  MeReal points[mcd_cylinder::kMaxCandidates * 3];
  MeReal depths[mcd_cylinder::kMaxCandidates];
  MeReal* cursor = points;
  // Cylinder 2's points inside cylinder 1 (grown by the margin): its deepest
  // part lies along +N.
  int n = ClipAgainstUpright(c2, N, c1.radius + m, c1.half + m, &cursor);
  for (int i = 0; i < n; ++i) depths[i] = face1 - MeVector3Dot(points + 3 * i, N);

  // Cylinder 1's points inside cylinder 2, found in cylinder 2's frame.
  MeReal back[16];
  McdRelativeTransform(back, t2, t1);
  Cylinder c1in2;
  MakeCylinder(&c1in2, back, c1.radius, c1.half);
  MeReal Nin2[3], minusN[3];
  McdVec3Negate(minusN, N);
  // -N in cylinder 2's frame: rows of rel are cylinder 2's axes in frame 1.
  for (int k = 0; k < 3; ++k) Nin2[k] = MeVector3Dot(rel + 4 * k, minusN);
  MeReal* first = cursor;
  const int n1 = ClipAgainstUpright(c1in2, Nin2, c2.radius + m, c2.half + m, &cursor);
  mcd_cylinder::BackWithDepths(first, n1, rel, N, face2, depths + n);
  n += n1;
  return mcd_cylinder::Finish(pair, result, t1, N, points, depths, n, best, dims,
                              &McdCylinderCylinderDefaultRequest);
}

int McdCylinderCylinderSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  const MeReal k1 = mcd_cylinder::Substitute(McdCylinderGetRadius(m1->geometry));
  const MeReal k2 = mcd_cylinder::Substitute(McdCylinderGetRadius(m2->geometry));
  const MeReal a[3] = {k1, k1, McdCylinderGetHalfHeight(m1->geometry)};
  const MeReal b[3] = {k2, k2, McdCylinderGetHalfHeight(m2->geometry)};
  return McdStandInSafeTime(pair, a, b, maxTime, result);
}
