// Segment against plane.
#include <cmath>

#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_narrow_phase.h"

// The distance is the unsigned length from the start to the crossing, so a
// plane the segment leaves from behind does not take the nearest-hit query's
// place from real hits in front of it.  The normal is the plane's z axis;
// the start's side is the sign of (start - position) . normal.
int McdPlaneLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                        McdLineSegHit* hit) {
  const MeReal* m = McdModelTransformOrIdentity(model);
  MeReal a[3], b[3];
  MeVector3Subtract(a, start, m + 12);
  MeVector3Subtract(b, end, m + 12);
  const MeReal z0 = MeVector3Dot(a, m + 8);
  const MeReal z1 = MeVector3Dot(b, m + 8);
  if ((z0 > 0.0f && z1 > 0.0f) || (z0 < 0.0f && z1 < 0.0f)) return 0;
  if (std::fabs(z1 - z0) < 0.000001f) return 0;
  const MeReal s = -z0 / (z1 - z0);
  MeReal d[3];
  MeVector3Subtract(d, end, start);
  for (int i = 0; i < 3; ++i) hit->position[i] = start[i] + s * d[i];
  MeVector3Copy(hit->normal, m + 8);
  hit->distance = s * MeVector3Magnitude(d);
  return 1;
}
