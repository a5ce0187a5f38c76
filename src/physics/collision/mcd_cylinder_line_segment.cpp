// Segment against cylinder.
#include <cmath>

#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_narrow_phase.h"

// In the cylinder's frame the segment is p + t d, t in [0, 1].  Candidates:
// the side's roots within the height and the caps' crossings within the
// radius; the smallest parameter wins (a segment entering through a cap and
// leaving through the side hits the cap).
int McdCylinderLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                           McdLineSegHit* hit) {
  const MeReal* m = McdModelTransformOrIdentity(model);
  const MeReal R = McdCylinderGetRadius(model->geometry);
  const MeReal h = McdCylinderGetHalfHeight(model->geometry);
  if (h < 0.000001f) return 0;
  const McdLocalSegment seg = McdSegmentToLocal(m, start, end);
  const MeReal* p = seg.p;
  const MeReal* d = seg.d;

  MeReal best = MeInfinity;
  MeReal normal[3] = {0, 0, 0};
  const MeReal a = d[0] * d[0] + d[1] * d[1];
  const MeReal b = 2.0f * (p[0] * d[0] + p[1] * d[1]);
  const MeReal c = p[0] * p[0] + p[1] * p[1] - R * R;
  const MeReal disc = b * b - 4.0f * a * c;
  if (disc >= 0.0f && std::fabs(a) >= 0.000001f) {
    const MeReal root = std::sqrt(disc);
    const MeReal roots[2] = {(-b - root) / (2.0f * a), (-b + root) / (2.0f * a)};
    for (MeReal t : roots) {
      if (t < 0.0f || t > 1.0f || t >= best) continue;
      const MeReal z = p[2] + t * d[2];
      if (z < -h || z > h) continue;
      best = t;
      MeVector3Set(normal, (p[0] + t * d[0]) / R, (p[1] + t * d[1]) / R, 0);
    }
  }
  if (std::fabs(d[2]) >= 0.000001f) {
    const MeReal caps[2] = {-h, h};
    for (MeReal cap : caps) {
      const MeReal t = (cap - p[2]) / d[2];
      if (t < 0.0f || t > 1.0f || t >= best) continue;
      const MeReal x = p[0] + t * d[0], y = p[1] + t * d[1];
      if (x * x + y * y > R * R) continue;
      best = t;
      MeVector3Set(normal, 0, 0, cap > 0.0f ? 1.0f : -1.0f);
    }
  }
  if (best == MeInfinity) return 0;
  return McdSegmentHit(m, seg, best, normal, hit);
}
