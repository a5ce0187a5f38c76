// Segment clipping by parameter intervals: each face pair of a shape cuts
// the segment's interval [t0, t1]; the segment survives while t0 <= t1.
#include "physics/collision/mcd_segment_clip.h"

#include <cmath>

#include "physics/util/me_math.h"

namespace {

void Emit(MeReal** cursor, const MeReal* p, const MeReal* d, MeReal t) {
  MeReal* out = *cursor;
  out[0] = p[0] + t * d[0];
  out[1] = p[1] + t * d[1];
  out[2] = p[2] + t * d[2];
  *cursor = out + 3;
}

int EmitMoved(MeReal** cursor, const MeReal* p, const MeReal* d, MeReal t0, MeReal t1,
              MeReal start0, MeReal start1) {
  int n = 0;
  if (t0 > start0) { Emit(cursor, p, d, t0); ++n; }
  if (t1 < start1) { Emit(cursor, p, d, t1); ++n; }
  return n;
}

int EmitBoth(MeReal** cursor, const MeReal* p, const MeReal* d, MeReal t0, MeReal t1) {
  Emit(cursor, p, d, t0);
  Emit(cursor, p, d, t1);
  return 2;
}

inline MeReal Max(MeReal a, MeReal b) { return a > b ? a : b; }
inline MeReal Min(MeReal a, MeReal b) { return a < b ? a : b; }

}  // namespace

// Points with P.z + t D.z <= 0: t <= -P.z / D.z when D.z > 0, t >= it when
// D.z < 0; a segment parallel to the plane is all in or all out.
bool McdClipSegmentHalfSpace(const MeReal* p, const MeReal* d, MeReal invDz, MeReal* t0,
                             MeReal* t1) {
  if (d[2] > 0.0f) {
    *t1 = Min(*t1, -p[2] * invDz);
  } else if (d[2] < 0.0f) {
    *t0 = Max(*t0, -p[2] * invDz);
  } else if (p[2] > 0.0f) {
    return false;
  }
  return *t1 >= *t0;
}

int McdClipHalfSpaceMoved(const MeReal* p, const MeReal* d, MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  MeReal inv = d[2] != 0.0f ? 1.0f / d[2] : 0.0f;
  if (!McdClipSegmentHalfSpace(p, d, inv, &t0, &t1)) return 0;
  return EmitMoved(cursor, p, d, t0, t1, -1.0f, 1.0f);
}

int McdClipHalfSpaceBothEnds(const MeReal* p, const MeReal* d, MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  MeReal inv = d[2] != 0.0f ? 1.0f / d[2] : 0.0f;
  if (!McdClipSegmentHalfSpace(p, d, inv, &t0, &t1)) return 0;
  return EmitBoth(cursor, p, d, t0, t1);
}

// Slab |P_i + t D_i| <= h_i per axis; nearly parallel axes (|D_i| <= 1e-6)
// only test whether the segment lies within the slab.
bool McdClipSegmentBox(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                       MeReal* t0, MeReal* t1) {
  for (int i = 0; i < 3; ++i) {
    if (d[i] > 1e-6f) {
      *t0 = Max(*t0, (-h[i] - p[i]) * invD[i]);
      *t1 = Min(*t1, (h[i] - p[i]) * invD[i]);
    } else if (d[i] < -1e-6f) {
      *t0 = Max(*t0, (h[i] - p[i]) * invD[i]);
      *t1 = Min(*t1, (-h[i] - p[i]) * invD[i]);
    } else if (p[i] < -h[i] || p[i] > h[i]) {
      return false;
    }
    if (*t1 < *t0) return false;
  }
  return true;
}

int McdClipBoxMoved(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                    MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  if (!McdClipSegmentBox(p, d, invD, h, &t0, &t1)) return 0;
  return EmitMoved(cursor, p, d, t0, t1, -1.0f, 1.0f);
}

int McdClipBoxBothEnds(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                       MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  if (!McdClipSegmentBox(p, d, invD, h, &t0, &t1)) return 0;
  return EmitBoth(cursor, p, d, t0, t1);
}

int McdClipBoxStartMovedEnd(const MeReal* p, const MeReal* d, const MeReal* invD,
                            const MeReal* h, MeReal** cursor) {
  MeReal t0 = 0.0f, t1 = 1.0f;
  if (!McdClipSegmentBox(p, d, invD, h, &t0, &t1)) return 0;
  Emit(cursor, p, d, t0);
  if (t1 < 1.0f) {
    Emit(cursor, p, d, t1);
    return 2;
  }
  return 1;
}

// Infinite cylinder: a t^2 + 2 b t + c <= 0 with a = Dx^2 + Dy^2,
// b = Px Dx + Py Dy, c = Px^2 + Py^2 - r^2; roots (-b -+ sqrt(b^2 - a c)) / a.
// Caps: |P.z + t D.z| <= h.
bool McdClipSegmentCylinder(const MeReal* p, const MeReal* d, MeReal r, MeReal h, MeReal* t0,
                            MeReal* t1) {
  const MeReal a = d[0] * d[0] + d[1] * d[1];
  const MeReal b = p[0] * d[0] + p[1] * d[1];
  const MeReal c = p[0] * p[0] + p[1] * p[1] - r * r;
  const MeReal disc = b * b - a * c;
  if (disc < 0.0f) return false;
  // Wholly before the lower root or wholly after the upper one, tested
  // without dividing by a.
  const MeReal before = -b - a * *t1;
  if (before >= 0.0f && before * before > disc) return false;
  const MeReal after = a * *t0 + b;
  if (after >= 0.0f && after * after > disc) return false;

  // The slab with the sign of D.z folded in.
  const MeReal dz = std::fabs(d[2]);
  const MeReal pz = d[2] < 0.0f ? -p[2] : p[2];
  MeReal low, high;
  if (dz >= 1e-8f) {
    const MeReal slabLow = (-pz - h) / dz;
    const MeReal slabHigh = (-pz + h) / dz;
    if (slabLow > *t1 || slabHigh < *t0) return false;
    if (a >= 1e-16f) {
      const MeReal root = std::sqrt(disc);
      const MeReal rootLow = (-b - root) / a;
      const MeReal rootHigh = (root - b) / a;
      if (slabLow > rootHigh || slabHigh < rootLow) return false;
      low = Max(rootLow, slabLow);
      high = Min(rootHigh, slabHigh);
    } else {
      if (c > 0.0f) return false;  // parallel to the axis, outside the side
      low = slabLow;
      high = slabHigh;
    }
  } else {
    if (std::fabs(p[2]) > h) return false;  // parallel to the caps, beyond them
    if (a >= 1e-16f) {
      const MeReal root = std::sqrt(disc);
      low = (-b - root) / a;
      high = (root - b) / a;
    } else {
      if (c > 0.0f) return false;
      low = *t0;
      high = *t1;
    }
  }
  *t0 = Max(*t0, low);
  *t1 = Min(*t1, high);
  return *t1 >= *t0;
}

int McdClipCylinderMoved(const MeReal* p, const MeReal* d, MeReal r, MeReal h, MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  if (!McdClipSegmentCylinder(p, d, r, h, &t0, &t1)) return 0;
  return EmitMoved(cursor, p, d, t0, t1, -1.0f, 1.0f);
}

int McdClipCylinderBothEnds(const MeReal* p, const MeReal* d, MeReal r, MeReal h,
                            MeReal** cursor) {
  MeReal t0 = -1.0f, t1 = 1.0f;
  if (!McdClipSegmentCylinder(p, d, r, h, &t0, &t1)) return 0;
  return EmitBoth(cursor, p, d, t0, t1);
}

// B's half-axes a_k = b_k R_k.  Edges along a_0 and a_1 give only their
// crossings with A's faces; the edges along a_2 give both clipped ends, so
// each vertex of B inside A is written once (as an end of its a_2 edge).
int McdClipBoxEdgesAgainstBox(const MeReal* ha, const MeReal* relative, const MeReal* hb,
                              MeReal** cursor) {
  MeReal axis[3][3], inv[3][3];
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i) {
      axis[k][i] = hb[k] * relative[4 * k + i];
      const MeReal v = axis[k][i];
      inv[k][i] = (v > 1e-6f || v < -1e-6f) ? 1.0f / v : 0.0f;
    }
  const MeReal* c = relative + 12;
  int n = 0;
  for (int k = 0; k < 3; ++k) {
    const int j = (k + 1) % 3, l = (k + 2) % 3;
    const int lo = j < l ? j : l, hi = j < l ? l : j;
    for (int s1 = -1; s1 <= 1; s1 += 2)
      for (int s2 = -1; s2 <= 1; s2 += 2) {
        MeReal centre[3];
        for (int i = 0; i < 3; ++i) centre[i] = c[i] + s1 * axis[lo][i] + s2 * axis[hi][i];
        n += k < 2 ? McdClipBoxMoved(centre, axis[k], inv[k], ha, cursor)
                   : McdClipBoxBothEnds(centre, axis[k], inv[k], ha, cursor);
      }
  }
  return n;
}

// u = E . Q along the segment: before the start, past the end, or between.
int McdSegmentClosestPoint(const MeReal* a, const MeReal* e, const MeReal* q, MeReal* point) {
  const MeReal u = MeVector3Dot(e, q);
  const MeReal ee = MeVector3Dot(e, e);
  if (u <= 0.0f) {
    MeVector3Copy(point, a);
    return 0;
  }
  if (u < ee) {
    const MeReal s = u / ee;
    for (int i = 0; i < 3; ++i) point[i] = a[i] + s * e[i];
    return 1;
  }
  MeVector3Add(point, a, e);
  return 0;
}
