// Separating-axis test between two boxes, in box 1's frame.
#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"

// Box 1: half-extents a along e_i.  Box 2: half-extents b along B_j (row j of
// R), centre t.  Along an axis L the boxes reach rA = sum a_i |e_i . L| and
// rB = sum b_j |B_j . L| from their centres, so their gap is
// |t . L| - rA - rB.  Face axes are unit vectors; the edge axes e_i x B_j
// have length sqrt(1 - R_ji^2) and their gaps are compared scaled by it.
int McdBoxBoxSeparatingAxis(const MeReal* a, const MeReal* b, const MeReal* relative,
                            MeReal margin, McdBoxBoxAxis* out) {
  const MeReal* t = relative + 12;
  MeReal R[3][3], absR[3][3];
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      R[j][i] = relative[4 * j + i];
      absR[j][i] = std::fabs(R[j][i]);
    }

  enum { kFace1, kFace2, kEdge } kind = kFace1;
  int index1 = 0, index2 = 0;
  MeReal best = -MeInfinity;
  MeReal offset = 0.0f, signRef = 0.0f;

  for (int i = 0; i < 3; ++i) {
    const MeReal s =
        std::fabs(t[i]) - (a[i] + absR[0][i] * b[0] + absR[1][i] * b[1] + absR[2][i] * b[2]);
    if (s > best) {
      best = s;
      kind = kFace1;
      index1 = i;
      signRef = t[i];
      offset = -a[i] - s;
      if (s > margin) return 0;
    }
  }
  for (int j = 0; j < 3; ++j) {
    const MeReal tb = t[0] * R[j][0] + t[1] * R[j][1] + t[2] * R[j][2];
    const MeReal s =
        std::fabs(tb) - (absR[j][0] * a[0] + absR[j][1] * a[1] + absR[j][2] * a[2] + b[j]);
    if (s > best) {
      best = s;
      kind = kFace2;
      index2 = j;
      signRef = tb;
      offset = b[j] - std::fabs(tb);
      if (s > margin) return 0;
    }
  }

  const MeReal m2 = margin * margin;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      MeReal L[3];
      McdAxisCross(L, i, R[j]);
      const MeReal tl = MeVector3Dot(t, L);
      const MeReal rA = a[0] * std::fabs(L[0]) + a[1] * std::fabs(L[1]) + a[2] * std::fabs(L[2]);
      const MeReal rB = b[0] * std::fabs(MeVector3Dot(R[0], L)) +
                        b[1] * std::fabs(MeVector3Dot(R[1], L)) +
                        b[2] * std::fabs(MeVector3Dot(R[2], L));
      const MeReal lenSq = 1.0f - R[j][i] * R[j][i];
      const MeReal s = std::fabs(tl) - rA - rB;
      // Every axis so far penetrates exactly when the best is negative.
      const bool allPenetrate = best < 0.0f;
      bool candidate;
      if (s >= 0.0f) {
        if (margin < 0.0f || s * s > m2 * lenSq) return 0;
        candidate = allPenetrate || s * s > best * best * lenSq;
      } else {
        candidate = allPenetrate && s * s < best * best * lenSq;
      }
      if (candidate && lenSq > m2) {
        const MeReal len = std::sqrt(lenSq);
        best = s / len;
        offset = (rB - std::fabs(tl)) / len;
        signRef = tl;
        kind = kEdge;
        index1 = i;
        index2 = j;
      }
    }

  out->separation = best;
  out->planeOffset = offset;
  if (kind == kFace1) {
    MeVector3Set(out->normal, 0, 0, 0);
    out->normal[index1] = signRef >= 0.0f ? -1.0f : 1.0f;
    int n = 0;
    for (int j = 0; j < 3; ++j) n += absR[j][index1] < 0.0001f;
    out->dims = static_cast<MeU16>(0x02 | (n << 8));
  } else if (kind == kFace2) {
    McdVec3ScaleTo(out->normal, R[index2], signRef > 0.0f ? -1.0f : 1.0f);
    int n = 0;
    for (int i = 0; i < 3; ++i) n += absR[index2][i] < 0.0001f;
    out->dims = static_cast<MeU16>(0x0200 | n);
  } else {
    MeReal L[3];
    McdAxisCross(L, index1, R[index2]);
    const MeReal scale = 1.0f / std::sqrt(1.0f - R[index2][index1] * R[index2][index1]);
    McdVec3ScaleTo(out->normal, L, signRef > 0.0f ? -scale : scale);
    out->dims = 0x0101;
  }
  return 1;
}
