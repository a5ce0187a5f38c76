#include "physics/collision/mcd_geometry_helpers.h"

#include "physics/util/me_math.h"

int McdSpheresOverlap(const MeReal* a, const MeReal* b) {
  MeReal d[3];
  MeVector3Subtract(d, a, b);
  const MeReal reach = a[3] + b[3];
  return MeVector3Dot(d, d) < reach * reach ? 1 : 0;
}

void McdProjectOnLine(MeReal* out, const MeReal* a, const MeReal* d, const MeReal* q) {
  const MeReal s = MeVector3Dot(q, d) / MeVector3Dot(d, d);
  for (int i = 0; i < 3; ++i) out[i] = a[i] + s * d[i];
}

// With N = d1 x d2: s = (((b - a) x d2) . N) / (N . N).
void McdLineLineClosestPoint(MeReal* out, const MeReal* a, const MeReal* d1, const MeReal* b,
                             const MeReal* d2) {
  MeReal n[3];
  MeVector3Cross(n, d1, d2);
  const MeReal nn = MeVector3Dot(n, n);
  if (nn <= 0.0f) {
    MeVector3Copy(out, a);
    return;
  }
  MeReal ba[3], c[3];
  MeVector3Subtract(ba, b, a);
  MeVector3Cross(c, ba, d2);
  const MeReal s = MeVector3Dot(c, n) / nn;
  for (int i = 0; i < 3; ++i) out[i] = a[i] + s * d1[i];
}
