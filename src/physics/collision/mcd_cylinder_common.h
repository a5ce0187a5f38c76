// Helpers shared by the cylinder pair tests: the cylinder's reach along a
// direction, the rule that decides which candidate points become contacts,
// and the step that turns kept candidates into reduced contacts.
#pragma once

#include <cmath>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_contact_simplify.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/util/me_math.h"

namespace mcd_cylinder {

// Half-width of an upright cylinder (radius r, half-height h, axis a) along
// the unit direction n: h |a.n| + r sqrt(1 - (a.n)^2).
inline MeReal Reach(const MeReal* axis, MeReal r, MeReal h, const MeReal* n) {
  const MeReal an = MeVector3Dot(axis, n);
  const MeReal side = 1.0f - an * an;
  return h * std::fabs(an) + r * (side > 0.0f ? std::sqrt(side) : 0.0f);
}

// Candidates measure their depth d along the normal (negative inside the
// other shape).  A penetrating pair (s < 0) keeps the points below 0.01 s,
// dropping those that merely graze the other shape.  A pair within the
// margin (s >= 0) has none below that level and keeps the points within a
// small band of s instead, so resting shapes keep their contacts.
inline bool Keeps(MeReal d, MeReal s) {
  if (s < 0.0f) return d < 0.01f * s;
  const MeReal band = 0.01f * s > 0.0001f ? 0.01f * s : 0.0001f;
  return d <= s + band;
}

// Radial unit direction of a cylinder with unit axis a nearest to the unit
// direction n (n with its axial part removed); when n runs along the axis,
// any radial direction (one perpendicular to a).  Writes w = a x u.
inline void RadialPair(const MeReal* a, const MeReal* n, MeReal* u, MeReal* w) {
  const MeReal an = MeVector3Dot(a, n);
  for (int i = 0; i < 3; ++i) u[i] = n[i] - an * a[i];
  MeReal len2 = MeVector3Dot(u, u);
  if (len2 < 1e-12f) {
    // Any perpendicular: cross with the axis least aligned with a.
    MeReal e[3] = {0, 0, 0};
    const MeReal ax = std::fabs(a[0]), ay = std::fabs(a[1]), az = std::fabs(a[2]);
    e[ax <= ay && ax <= az ? 0 : (ay <= az ? 1 : 2)] = 1.0f;
    MeVector3Cross(u, a, e);
    len2 = MeVector3Dot(u, u);
  }
  MeVector3Scale(u, 1.0f / std::sqrt(len2));
  MeVector3Cross(w, a, u);
}

// Most candidate points a cylinder test collects.
inline constexpr int kMaxCandidates = 80;

// Turns the candidate points (in `frame`, with their depths along the
// normal) that the keep rule accepts into contacts, then reduces them to the
// pair's budget.  `normal` is in `frame`; the result's normal is
// written in world coordinates.  Answers 1 when a contact remains.
inline int Finish(McdModelPair* pair, McdIntersectResult* result, const MeReal* frame,
                  const MeReal* normal, const MeReal* points, const MeReal* depths, int n,
                  MeReal best, MeU16 dims, const McdIntersectRequest* fallback) {
  MeMatrix4TMRotate(result->normal, frame, normal);
  McdContact candidates[kMaxCandidates];
  int kept = 0;
  for (int i = 0; i < n && kept < kMaxCandidates; ++i) {
    if (!Keeps(depths[i], best)) continue;
    McdContact* c = &candidates[kept++];
    MeMatrix4TMTransform(c->position, frame, points + 3 * i);
    MeVector3Copy(c->normal, result->normal);
    c->separation = depths[i];
    c->dims = dims;
    c->element1 = c->element2 = 0;
  }
  const McdIntersectRequest* request = McdPairRequest(pair, fallback);
  result->contactCount = McdContactSimplify(result->normal, candidates, kept, result->contacts,
                                            McdPairBudget(result, request),
                                            request->faceNormalsFirst);
  return result->contactCount > 0;
}

// Takes `count` points found in the other shape's frame back into this
// test's frame through rel (in place) and writes each one's depth along the
// normal N past `face`: p . N - face.
inline void BackWithDepths(MeReal* points, int count, const MeReal* rel, const MeReal* N, MeReal face,
                           MeReal* depths) {
  for (int i = 0; i < count; ++i) {
    MeReal local[3];
    MeVector3Copy(local, points + 3 * i);
    MeMatrix4TMTransform(points + 3 * i, rel, local);
    depths[i] = MeVector3Dot(points + 3 * i, N) - face;
  }
}

// Half-side of the square that stands in for a circle of radius x in the
// safe-time sweeps: x * 2 / (sqrt 2 + 1).
inline MeReal Substitute(MeReal x) { return x * 2.0f / (std::sqrt(2.0f) + 1.0f); }

}  // namespace mcd_cylinder
