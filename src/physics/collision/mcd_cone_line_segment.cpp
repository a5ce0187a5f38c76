// Segment against cone.
#include <cmath>

#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_narrow_phase.h"

// In the cone's frame (apex at z = A, base at z = -B, base radius R) the
// segment is p + t d, t in [0, 1].  The side: x^2 + y^2 = (k (A - z))^2 with
// k = R / (A + B), roots within -B <= z <= A; the base: z = -B within the
// radius.  The smallest valid parameter wins.
int McdConeLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                       McdLineSegHit* hit) {
  const MeReal* m = McdModelTransformOrIdentity(model);
  const McdCone* cone = reinterpret_cast<const McdCone*>(model->geometry);
  const MeReal A = cone->apexDistance, B = cone->baseDistance, R = cone->radius;
  if (A + B <= 0.0f) return 0;
  const MeReal k = R / (A + B);
  const McdLocalSegment seg = McdSegmentToLocal(m, start, end);
  const MeReal* p = seg.p;
  const MeReal* d = seg.d;

  MeReal best = MeInfinity;
  MeReal normal[3] = {0, 0, 0};
  // (px + t dx)^2 + (py + t dy)^2 - k^2 (A - pz - t dz)^2 = 0.
  const MeReal k2 = k * k;
  const MeReal hz = A - p[2];
  const MeReal a = d[0] * d[0] + d[1] * d[1] - k2 * d[2] * d[2];
  const MeReal b = 2.0f * (p[0] * d[0] + p[1] * d[1] + k2 * hz * d[2]);
  const MeReal c = p[0] * p[0] + p[1] * p[1] - k2 * hz * hz;
  MeReal roots[2];
  int nroots = 0;
  if (std::fabs(a) >= 0.000001f) {
    const MeReal disc = b * b - 4.0f * a * c;
    if (disc >= 0.0f) {
      const MeReal root = std::sqrt(disc);
      roots[nroots++] = (-b - root) / (2.0f * a);
      roots[nroots++] = (-b + root) / (2.0f * a);
    }
  } else if (std::fabs(b) > 0.0f) {
    roots[nroots++] = -c / b;  // direction along the side's slope: one root
  }
  for (int i = 0; i < nroots; ++i) {
    const MeReal t = roots[i];
    if (t < 0.0f || t > 1.0f || t >= best) continue;
    const MeReal z = p[2] + t * d[2];
    if (z < -B || z > A) continue;
    best = t;
    const MeReal x = p[0] + t * d[0], y = p[1] + t * d[1];
    MeReal g[3] = {x, y, k2 * (A - z)};  // gradient of the side's equation
    if (McdVec3NormalizeLength(g) == 0.0f) MeVector3Set(g, 0, 0, 1);  // the apex
    MeVector3Copy(normal, g);
  }
  if (std::fabs(d[2]) >= 0.000001f) {
    const MeReal t = (-B - p[2]) / d[2];
    const MeReal x = p[0] + t * d[0], y = p[1] + t * d[1];
    if (t >= 0.0f && t <= 1.0f && t < best && x * x + y * y <= R * R) {
      best = t;
      MeVector3Set(normal, 0, 0, -1);
    }
  }
  if (best == MeInfinity) return 0;
  return McdSegmentHit(m, seg, best, normal, hit);
}
