// A conservative segment-against-box test, four boxes at a time.
#pragma once

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "render/geometry/vector3.h"

// A cheap, conservative test of a segment against axis-aligned boxes padded
// by `pad` on every side (ahead of an exact slab test, or to pass over box
// hierarchies): four boxes at once, by multiplications with the
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

  // The same test for one box (min x, y, z and max x, y, z), with the same
  // operations as one lane of MayMeetFour.
  bool MayMeet(const float min[3], const float max[3]) const {
    float t0 = -1e-5f, t1 = 1.0f + 1e-5f;
    for (int k = 0; k < 3; ++k) {
      const float ta = (min[k] - Lower[k]) * Inverse[k], tb = (max[k] - Upper[k]) * Inverse[k];
      if (std::isnan(ta) || std::isnan(tb)) continue;
      t0 = std::max(t0, std::min(ta, tb));
      t1 = std::min(t1, std::max(ta, tb));
    }
    return t0 <= t1;
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
