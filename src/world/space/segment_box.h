// Segment against axis-aligned box, as the zone line tests gather candidates:
// the exact slab test with its entry factor, the widened bounds that refuse a
// box clear of the segment before the divisions, and a conservative screen of
// four boxes at once that runs ahead of them.
#pragma once

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "render/geometry/vector3.h"

// Slab test of the segment p + t·d, t in [0, 1], against a box; entry factor.
// As the box grows the range only widens (each step is monotone in the box's
// coordinates for a finite segment), so a box holding another is refused
// only when that one is refused too.
inline bool SegmentEntersBox(const CVector3& p, const CVector3& d, const CVector3& lo, const CVector3& hi,
                             float* entry) {
  const float P[3] = {p.x, p.y, p.z}, D[3] = {d.x, d.y, d.z}, L[3] = {lo.x, lo.y, lo.z}, H[3] = {hi.x, hi.y, hi.z};
  // The range only narrows, so one comparison at the end decides.
  float t0 = 0, t1 = 1;
  bool inside = true;
  for (int k = 0; k < 3; ++k) {
    if (D[k] == 0) {
      inside &= !(P[k] < L[k]) & !(P[k] > H[k]);
      continue;
    }
    const float ta = (L[k] - P[k]) / D[k], tb = (H[k] - P[k]) / D[k];
    t0 = std::max(t0, ta > tb ? tb : ta);
    t1 = std::min(t1, ta > tb ? ta : tb);
  }
  *entry = t0;
  return inside && !(t0 > t1);
}

// The box of the segment p + t·d, t in [0, 1], widened by a margin well
// beyond the rounding of the slab test: a box clear of it is one the slab
// test would refuse too, so it is refused without the divisions.
struct SegmentBounds {
  float lo[3], hi[3];

  SegmentBounds(const CVector3& p, const CVector3& d) {
    const float P[3] = {p.x, p.y, p.z}, D[3] = {d.x, d.y, d.z};
    for (int k = 0; k < 3; ++k) {
      const float q = P[k] + D[k], margin = 1e-5f * (std::fabs(P[k]) + std::fabs(D[k]));
      lo[k] = std::min(P[k], q) - margin;
      hi[k] = std::max(P[k], q) + margin;
    }
  }
  bool Clear(const CVector3& boxLo, const CVector3& boxHi) const {
    // (Bitwise ors: every comparison is made, with no branch to mispredict.)
    return (hi[0] < boxLo.x) | (lo[0] > boxHi.x) | (hi[1] < boxLo.y) | (lo[1] > boxHi.y) | (hi[2] < boxLo.z) |
           (lo[2] > boxHi.z);
  }
};

// A cheap screen ahead of the slab test above for boxes that the test pads by
// `pad` on every side: four boxes at once, by multiplications with the
// direction's reciprocals, over t in [-1e-5, 1 + 1e-5], each box widened by
// the pad plus a margin that covers the rounding of both tests many times
// over (the rounding of a slab crossing is a few units in the last place of
// coordinates near the segment).  It only ever keeps too much: a box the slab
// test keeps is kept here.  An axis along which the segment does not move
// takes 1 / d = ±1e30, which keeps a box the segment lies within and refuses
// one it lies clear of.  A box of NaNs is kept.
//
// Boxes come four at a time axis by axis: min x[4], y[4], z[4], then max
// x[4], y[4], z[4].
struct SegmentBoxScreen {
  float Lower[3];    // start + margin
  float Upper[3];    // start - margin
  float Inverse[3];  // 1 / direction

  // False when the segment is not finite or too far out for the margin to
  // stay finite: nothing may be refused then.
  bool Set(const CVector3& start, const CVector3& direction, float pad) {
    const float s[3] = {start.x, start.y, start.z}, d[3] = {direction.x, direction.y, direction.z};
    float extent = 0;
    for (int k = 0; k < 3; ++k) {
      if (!std::isfinite(s[k]) || !std::isfinite(d[k])) return false;
      Inverse[k] = std::fabs(d[k]) < 1e-30f ? std::copysign(1e30f, d[k]) : 1.0f / d[k];
      extent = std::max(extent, std::max(std::fabs(s[k]), std::fabs(d[k])));
    }
    if (!(extent < 1e30f) || !std::isfinite(pad) || pad < 0) return false;
    const float margin = pad + 1e-4f * extent + 1e-3f;
    for (int k = 0; k < 3; ++k) {
      Lower[k] = s[k] + margin;
      Upper[k] = s[k] - margin;
    }
    return true;
  }

  // Bit i set when the segment may meet box i of the group.
  unsigned MayMeetFour(const float* group) const {
#if defined(__SSE2__)
    __m128 t0 = _mm_set1_ps(-1e-5f), t1 = _mm_set1_ps(1.0f + 1e-5f);
    for (int k = 0; k < 3; ++k) {
      const __m128 inverse = _mm_set1_ps(Inverse[k]);
      const __m128 ta = _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(group + 4 * k), _mm_set1_ps(Lower[k])), inverse);
      const __m128 tb = _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(group + 12 + 4 * k), _mm_set1_ps(Upper[k])), inverse);
      // With a NaN in the first operand min and max answer the second: a
      // NaN lane leaves its range as it was.
      t0 = _mm_max_ps(_mm_min_ps(ta, tb), t0);
      t1 = _mm_min_ps(_mm_max_ps(ta, tb), t1);
    }
    return static_cast<unsigned>(_mm_movemask_ps(_mm_cmple_ps(t0, t1)));
#else
    unsigned mask = 0;
    for (int i = 0; i < 4; ++i) {
      float t0 = -1e-5f, t1 = 1.0f + 1e-5f;
      for (int k = 0; k < 3; ++k) {
        const float ta = (group[4 * k + i] - Lower[k]) * Inverse[k], tb = (group[12 + 4 * k + i] - Upper[k]) * Inverse[k];
        if (std::isnan(ta) || std::isnan(tb)) continue;
        t0 = std::max(t0, std::min(ta, tb));
        t1 = std::min(t1, std::max(ta, tb));
      }
      mask |= static_cast<unsigned>(t0 <= t1) << i;
    }
    return mask;
#endif
  }
};
