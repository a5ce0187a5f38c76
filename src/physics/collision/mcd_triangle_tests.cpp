// Sphere and box against one triangle.
#include "physics/collision/mcd_triangle_tests.h"

#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_segment_clip.h"

void McdTriangleMake(McdTriangle* tri, const MeReal* v0, const MeReal* v1, const MeReal* v2,
                     const MeReal* normal) {
  MeVector3Copy(tri->vertex[0], v0);
  MeVector3Copy(tri->vertex[1], v1);
  MeVector3Copy(tri->vertex[2], v2);
  for (int i = 0; i < 3; ++i)
    MeVector3Subtract(tri->edge[i], tri->vertex[McdNextAxis(i)], tri->vertex[i]);
  if (normal) {
    MeVector3Copy(tri->normal, normal);
  } else {
    MeVector3Cross(tri->normal, tri->edge[0], tri->edge[1]);
    McdVec3NormalizeLength(tri->normal);
  }
}

// The centre is the origin; u_i are the vertices.  The face separation is
// |u_0 . n| - r.  When the centre projects outside an edge
// ((u_next x u_i) . n > 0) the nearest point is on the boundary: the closest
// point of each such edge segment is taken and the nearest one kept (outside
// an obtuse corner the edge whose line is nearest need not hold the nearest
// point, so every outside edge is measured).
int McdSphereTriangleIntersect(const McdTriangle* tri, MeReal radius, MeReal margin,
                               McdTriangleHit* hit) {
  if (MeVector3Dot(tri->normal, tri->normal) == 0.0f) return 0;  // no area, no side
  const MeReal d = MeVector3Dot(tri->vertex[0], tri->normal);
  MeReal separation = std::fabs(d) - radius;
  const MeReal sigma = d <= 0.0f ? 1.0f : -1.0f;
  if (separation > margin) return 0;

  int bestFeature = -1;
  MeReal bestDist2 = 0.0f;
  MeReal best[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const MeReal* ui = tri->vertex[i];
    const MeReal* un = tri->vertex[McdNextAxis(i)];
    MeReal c[3];
    MeVector3Cross(c, un, ui);
    if (MeVector3Dot(c, tri->normal) <= 0.0f) continue;
    MeReal toCentre[3], point[3];
    McdVec3Negate(toCentre, ui);
    const int feature = McdSegmentClosestPoint(ui, tri->edge[i], toCentre, point);
    const MeReal dist2 = MeVector3Dot(point, point);
    if (bestFeature < 0 || dist2 < bestDist2) {
      bestFeature = feature;
      bestDist2 = dist2;
      MeVector3Copy(best, point);
    }
  }

  MeU16 dims = 0x0203;
  MeReal normal[3];
  if (bestFeature < 0) {
    McdVec3ScaleTo(normal, tri->normal, sigma);
  } else {
    const MeReal len = std::sqrt(bestDist2);
    if (len > 0.0f) {
      McdVec3ScaleTo(normal, best, -1.0f / len);
    } else {
      McdVec3ScaleTo(normal, tri->normal, sigma);  // centre on the boundary
    }
    separation = len - radius;
    dims = static_cast<MeU16>(bestFeature * 256 + 3);
    if (separation > margin) return 0;
  }
  hit->separation = separation;
  MeVector3Copy(hit->normal, normal);
  McdVec3ScaleTo(hit->position, normal, -radius);
  hit->planeOffset = 0.0f;
  hit->dims = dims;
  return 1;
}

namespace {

enum AxisKind { kTriangleNormal, kBoxAxis, kEdgeProduct };

// Extent of the triangle along a unit axis: centre and half-length.
void Extent(const McdTriangle* tri, const MeReal* axis, MeReal* centre, MeReal* half) {
  MeReal lo = MeVector3Dot(tri->vertex[0], axis), hi = lo;
  for (int k = 1; k < 3; ++k) {
    const MeReal p = MeVector3Dot(tri->vertex[k], axis);
    lo = p < lo ? p : lo;
    hi = p > hi ? p : hi;
  }
  *centre = 0.5f * (lo + hi);
  *half = 0.5f * (hi - lo);
}

}  // namespace

// Separating axes, box at the origin with half-extents h:
//   triangle normal n:  |n . v0| - sum |n_i| h_i
//   box axis e_i:       |c_i| - (half_i + h_i)   (c, half: triangle extent)
//   L = e_i x edge_j:   |c_L| - (half_L + sum |L_k| h_k), L normalised.
// The contact plane offset puts the box's deepest point along the normal at
// the reported separation for the box axes and the edge products.
int McdBoxTriangleIntersect(const MeReal* h, const McdTriangle* tri, MeReal margin,
                            McdTriangleHit* hit, MeReal** cursor) {
  const MeReal m = margin > 0.0f ? margin : 0.0f;
  const MeReal* n = tri->normal;
  if (MeVector3Dot(n, n) == 0.0f) return 0;  // no area, no side
  const MeReal nv = MeVector3Dot(n, tri->vertex[0]);
  MeReal best = std::fabs(nv) - (std::fabs(n[0]) * h[0] + std::fabs(n[1]) * h[1] +
                                 std::fabs(n[2]) * h[2]);
  if (best > margin) return 0;
  AxisKind kind = kTriangleNormal;
  int bestAxis = 0;
  MeReal bestCentre = 0.0f;
  MeReal bestL[3] = {0, 0, 0};
  MeReal bestRadius = 0.0f;

  for (int i = 0; i < 3; ++i) {
    MeReal axis[3] = {0, 0, 0};
    axis[i] = 1.0f;
    MeReal centre, half;
    Extent(tri, axis, &centre, &half);
    const MeReal s = std::fabs(centre) - (half + h[i]);
    if (s > best) {
      best = s;
      kind = kBoxAxis;
      bestAxis = i;
      bestCentre = centre;
      if (best > margin) return 0;
    }
  }

  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const MeReal* e = tri->edge[j];
      const MeReal lenSq = MeVector3Dot(e, e) - e[i] * e[i];
      if (lenSq <= m * m) continue;  // edge (nearly) along the box axis
      MeReal L[3];
      McdAxisCross(L, i, e);
      MeVector3Scale(L, 1.0f / std::sqrt(lenSq));
      MeReal centre, half;
      Extent(tri, L, &centre, &half);
      const MeReal rB = std::fabs(L[0]) * h[0] + std::fabs(L[1]) * h[1] + std::fabs(L[2]) * h[2];
      const MeReal s = std::fabs(centre) - (half + rB);
      if (s > best + m) {
        best = s;
        kind = kEdgeProduct;
        bestCentre = centre;
        bestRadius = rB;
        MeVector3Copy(bestL, L);
        if (best > margin) return 0;
      }
    }

  hit->separation = best;
  MeVector3Set(hit->position, 0, 0, 0);
  if (kind == kTriangleNormal) {
    const MeReal sigma = nv <= 0.0f ? 1.0f : -1.0f;
    McdVec3ScaleTo(hit->normal, n, sigma);
    hit->planeOffset = sigma * nv - best;
    int flat = 0;
    for (int i = 0; i < 3; ++i) flat += std::fabs(n[i]) < 0.0001f;
    hit->dims = static_cast<MeU16>(0x0200 | flat);
  } else if (kind == kBoxAxis) {
    const int i = bestAxis;
    MeVector3Set(hit->normal, 0, 0, 0);
    hit->normal[i] = bestCentre >= 0.0f ? -1.0f : 1.0f;
    hit->planeOffset = -h[i] - best;
    // Vertices within the margin of the triangle's level nearest the box.
    MeReal lo = tri->vertex[0][i], hi = lo;
    for (int k = 1; k < 3; ++k) {
      lo = tri->vertex[k][i] < lo ? tri->vertex[k][i] : lo;
      hi = tri->vertex[k][i] > hi ? tri->vertex[k][i] : hi;
    }
    int near = 0;
    for (int k = 0; k < 3; ++k)
      near += bestCentre >= 0.0f ? tri->vertex[k][i] - lo <= m : hi - tri->vertex[k][i] <= m;
    hit->dims = static_cast<MeU16>(0x0002 | ((near - 1) << 8));
  } else {
    McdVec3ScaleTo(hit->normal, bestL, bestCentre >= 0.0f ? -1.0f : 1.0f);
    hit->planeOffset = -bestRadius - best;
    hit->dims = 0x0101;
  }

  // Contact points: the triangle's edges inside the box, then the box edges
  // that pierce the triangle.
  int written = 0;
  for (int i = 0; i < 3; ++i) {
    MeReal inv[3];
    for (int k = 0; k < 3; ++k) {
      const MeReal v = tri->edge[i][k];
      inv[k] = (v > 1e-6f || v < -1e-6f) ? 1.0f / v : 0.0f;
    }
    written += McdClipBoxStartMovedEnd(tri->vertex[i], tri->edge[i], inv, h, cursor);
  }
  for (int k = 0; k < 3; ++k) {
    if (n[k] == 0.0f) continue;
    const int j = McdNextAxis(k), l = McdNextAxis(j);
    const MeReal sign = n[k] > 0.0f ? 1.0f : -1.0f;
    for (int sj = -1; sj <= 1; sj += 2)
      for (int sl = -1; sl <= 1; sl += 2) {
        const MeReal xj = sj * h[j], xl = sl * h[l];
        // Seen along axis k the line is a point; it is inside the triangle
        // when it lies on the inner side of all three edges.
        bool inside = true;
        for (int e = 0; e < 3 && inside; ++e) {
          const MeReal* a = tri->edge[e];
          const MeReal wj = xj - tri->vertex[e][j], wl = xl - tri->vertex[e][l];
          inside = (a[j] * wl - a[l] * wj) * sign >= 0.0f;
        }
        if (!inside) continue;
        // Crossings within the margin beyond the box count too, so that a
        // box resting within the margin keeps its contacts.
        const MeReal xk = (nv - n[j] * xj - n[l] * xl) / n[k];
        if (xk < -h[k] - m || xk > h[k] + m) continue;
        MeReal* out = *cursor;
        out[k] = xk;
        out[j] = xj;
        out[l] = xl;
        *cursor = out + 3;
        ++written;
      }
  }
  return written > 0;
}
