// Segment against box.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_narrow_phase.h"

namespace {

// Ray from p along the unit u against the box |x_i| <= e_i: 2 when p is
// inside, 1 with the parameter, axis and side of the face hit, 0 for a miss.
int RayBox(const MeReal* p, const MeReal* u, const MeReal* e, MeReal* t, int* axis, int* side) {
  bool inside = true;
  MeReal best = -1.0f;
  int bestAxis = -1, bestSide = 0;
  for (int i = 0; i < 3; ++i) {
    int s = 0;
    if (p[i] < -e[i]) s = -1;
    else if (p[i] > e[i]) s = 1;
    if (s == 0) continue;
    inside = false;
    if (u[i] == 0.0f) continue;
    const MeReal candidate = (s * e[i] - p[i]) / u[i];
    if (candidate > best) {
      best = candidate;
      bestAxis = i;
      bestSide = s;
    }
  }
  if (inside) return 2;
  if (bestAxis < 0 || best < 0.0f) return 0;
  for (int i = 0; i < 3; ++i) {
    if (i == bestAxis) continue;
    const MeReal x = p[i] + best * u[i];
    if (x < -e[i] || x > e[i]) return 0;
  }
  *t = best;
  *axis = bestAxis;
  *side = bestSide;
  return 1;
}

}  // namespace

int McdBoxLineSegment(McdModel* model, const MeReal* start, const MeReal* end,
                      McdLineSegHit* hit) {
  const MeReal* m = McdModelTransformOrIdentity(model);
  const MeReal* e = McdBoxGetRadii(model->geometry);
  MeReal dir[3];
  MeVector3Subtract(dir, end, start);
  const MeReal L = MeVector3Magnitude(dir);
  if (L < McdLineSegmentMinLength) return 0;
  MeReal worldU[3];
  McdVec3ScaleTo(worldU, dir, 1.0f / L);
  MeReal rel[3], p[3], u[3];
  MeVector3Subtract(rel, start, m + 12);
  MeMatrix4TMInverseRotate(p, m, rel);
  MeMatrix4TMInverseRotate(u, m, worldU);
  MeReal t = 0.0f;
  int axis = 0, side = 0;
  const int code = RayBox(p, u, e, &t, &axis, &side);
  if (code == 0) return 0;
  if (code == 2) {
    MeVector3Copy(hit->position, start);
    McdVec3Negate(hit->normal, worldU);
    hit->distance = 0.0f;
    return 1;
  }
  if (t > L) return 0;
  for (int i = 0; i < 3; ++i) hit->position[i] = start[i] + t * worldU[i];
  McdVec3ScaleTo(hit->normal, m + 4 * axis, static_cast<MeReal>(side));
  hit->distance = t;
  return 1;
}
