// Segment against sphere.
#include <cmath>

#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_sphere.h"

int McdSphereLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                         McdLineSegHit* hit) {
  const MeReal* m = McdModelTransformOrIdentity(model);
  const MeReal r = McdSphereGetRadius(model->geometry);
  MeReal u[3];
  MeVector3Subtract(u, end, start);
  const MeReal L = MeVector3Magnitude(u);
  if (L < McdLineSegmentMinLength) return 0;
  MeVector3Scale(u, 1.0f / L);
  MeReal w[3];
  MeVector3Subtract(w, m + 12, start);
  const MeReal b = MeVector3Dot(w, u);
  const MeReal q = MeVector3Dot(w, w);
  const MeReal r2 = r * r;
  if (b < 0.0f && q > r2) return 0;
  const MeReal d2 = q - b * b;
  if (d2 > r2) return 0;
  const MeReal root = std::sqrt(r2 - d2);
  const MeReal t = q > r2 ? b - root : b + root;
  if (t > L) return 0;
  for (int i = 0; i < 3; ++i) hit->position[i] = start[i] + t * u[i];
  MeReal n[3];
  MeVector3Subtract(n, hit->position, m + 12);
  McdVec3ScaleTo(hit->normal, n, 1.0f / r);
  hit->distance = t;
  return 1;
}
