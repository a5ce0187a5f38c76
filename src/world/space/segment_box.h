// Segment against axis-aligned box, as the zone line tests gather candidates:
// the exact slab test with its entry factor and the widened bounds that
// refuse a box clear of the segment before the divisions (the conservative
// screen that runs ahead of them is SegmentBoxScreen).
#pragma once

#include <algorithm>
#include <cmath>

#include "render/geometry/segment_box_screen.h"
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

