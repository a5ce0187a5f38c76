// Cylinder against one triangle.
#include "physics/collision/mcd_cylinder_triangle.h"

#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_segment_clip.h"

namespace {

void Append(MeReal** cursor, MeReal x, MeReal y, MeReal z) {
  MeReal* out = *cursor;
  out[0] = x;
  out[1] = y;
  out[2] = z;
  *cursor = out + 3;
}

}  // namespace

void McdCylinderClipTriangleEdge(MeReal** cursor, const MeReal* p, const MeReal* e,
                                 const MeReal& radius, const MeReal& halfHeight, const MeReal& t0,
                                 const MeReal& t1) {
  MeReal a = t0, b = t1;
  if (!McdClipSegmentCylinder(p, e, radius, halfHeight, &a, &b)) return;
  Append(cursor, p[0] + a * e[0], p[1] + a * e[1], p[2] + a * e[2]);
  if (b < t1) Append(cursor, p[0] + b * e[0], p[1] + b * e[1], p[2] + b * e[2]);
}

// A vertical side line through P crosses the triangle when P lies on the
// inner side of each edge seen along z: ((V_i - P) x e_i)_z, which equals
// (X_i)_z - (P x e_i)_z, has the sign of n_z.  A cap diameter t u + (0, 0, c)
// crosses it when X_i . u + c (u x e_i)_z has the sign of n . u for each edge.
void McdCylinderTriangleLines(MeReal** cursor, const MeReal& radius, const MeReal& halfHeight,
                              const MeReal* u, const MeReal* w,
                              const McdCylinderTriangle* triangle, const MeReal* cross,
                              const MeReal& d) {
  const MeReal* n = triangle->normal;
  const MeReal R = radius, h = halfHeight;
  if (n[2] != 0.0f) {
    const bool negative = n[2] < 0.0f;
    const MeReal points[4][3] = {{R * u[0], R * u[1], R * u[2]},
                                 {-R * u[0], -R * u[1], -R * u[2]},
                                 {R * w[0], R * w[1], R * w[2]},
                                 {-R * w[0], -R * w[1], -R * w[2]}};
    for (const auto& P : points) {
      bool through = true;
      for (int i = 0; i < 3 && through; ++i) {
        const MeReal* e = triangle->edge[i];
        const MeReal pe = P[0] * e[1] - P[1] * e[0];
        through = ((cross[3 * i + 2] - pe) < 0.0f) == negative;
      }
      if (!through) continue;
      const MeReal z = (d - MeVector3Dot(n, P)) / n[2];
      if (z >= -h && z <= h) Append(cursor, P[0], P[1], z);
    }
  }
  const MeReal nu = MeVector3Dot(n, u);
  if (nu != 0.0f) {
    const bool negative = nu < 0.0f;
    const MeReal caps[2] = {h, -h};
    for (MeReal c : caps) {
      bool through = true;
      for (int i = 0; i < 3 && through; ++i) {
        const MeReal* e = triangle->edge[i];
        const MeReal ue = u[0] * e[1] - u[1] * e[0];
        through = ((MeVector3Dot(cross + 3 * i, u) + c * ue) < 0.0f) == negative;
      }
      if (!through) continue;
      const MeReal t = (d - c * n[2]) / nu;
      if (t >= -R && t <= R) Append(cursor, t * u[0], t * u[1], t * u[2] + c);
    }
  }
}

int McdCylinderTriangleIntersect(MeReal* separation, MeReal* normal, MeReal* offset,
                                 MeReal** cursor, MeU16* dims, const MeReal& margin,
                                 const MeReal& radius, const MeReal& halfHeight,
                                 const McdCylinderTriangle* triangle) {
  const MeReal m = margin, R = radius, h = halfHeight;
  const MeReal* n = triangle->normal;
  const MeReal* const* V = triangle->vertex;

  // Radial directions: u the one nearest the triangle normal, w = z x u.
  MeReal u[3] = {1, 0, 0}, w[3] = {0, 1, 0};
  const MeReal radial2 = n[0] * n[0] + n[1] * n[1];
  if (!(radial2 < 1e-15f)) {
    const MeReal len = std::sqrt(radial2);
    MeVector3Set(w, -n[1] / len, n[0] / len, 0);
    MeVector3Set(u, w[1], -w[0], 0);
  }

  enum { kNormal, kAxis, kEdge } feature = kNormal;
  int edge = 0;
  const MeReal d = MeVector3Dot(n, V[0]);
  MeReal best = std::fabs(d) - (R * std::fabs(MeVector3Dot(u, n)) + h * std::fabs(n[2]));
  MeReal sigma = d <= 0.0f ? 1.0f : -1.0f;
  *separation = best;
  if (best > m) return 0;

  MeReal zmin = V[0][2], zmax = V[0][2];
  for (int k = 1; k < 3; ++k) {
    zmin = V[k][2] < zmin ? V[k][2] : zmin;
    zmax = V[k][2] > zmax ? V[k][2] : zmax;
  }
  const MeReal mid = 0.5f * (zmax + zmin);
  MeReal s = std::fabs(mid) - (0.5f * (zmax - zmin) + h);
  if (s > best) {
    best = s;
    feature = kAxis;
    sigma = mid <= 0.0f ? 1.0f : -1.0f;
    *separation = best;
    if (s > m) return 0;
  }

  MeReal edgeLength = 0.0f, edgeC = 0.0f, edgeR = 0.0f;
  for (int i = 0; i < 3; ++i) {
    const MeReal* e = triangle->edge[i];
    const MeReal* ej = triangle->edge[McdNextAxis(i)];
    const MeReal L2 = MeVector3Dot(e, e) - e[2] * e[2];
    if (L2 <= m * m) continue;
    const MeReal a[3] = {-e[1], e[0], 0};
    const MeReal L = std::sqrt(L2);
    const MeReal eja = MeVector3Dot(ej, a);
    const MeReal c = MeVector3Dot(V[i], a) + 0.5f * eja;
    const MeReal r = 0.5f * std::fabs(eja);
    s = std::fabs(c) / L - (r / L + R);
    if (s > best + m) {
      best = s;
      feature = kEdge;
      edge = i;
      edgeLength = L;
      edgeC = c;
      edgeR = r;
      sigma = c >= 0.0f ? 1.0f : -1.0f;
      *separation = best;
      if (s > m) return 0;
    }
  }

  if (feature == kNormal) {
    McdVec3ScaleTo(normal, n, sigma);
    *offset = sigma * d - best;
    const MeReal nz2 = n[2] * n[2];
    *dims = nz2 > 0.999999f ? 0x0202 : (nz2 < 1e-6f ? 0x0203 : 0x0201);
  } else if (feature == kAxis) {
    MeVector3Set(normal, 0, 0, sigma);
    // As for the box: the cylinder's cap point toward the triangle
    // (p . normal = -h) has the separation.
    *offset = -h - best;
    // Vertices within the margin of the triangle's level nearest the cylinder.
    int k = 0;
    for (int v = 0; v < 3; ++v)
      k += sigma > 0.0f ? zmax - V[v][2] <= m : V[v][2] - zmin <= m;
    *dims = static_cast<MeU16>(0x0002 | ((k - 1) << 8));
    MeVector3Set(u, 1, 0, 0);
    MeVector3Set(w, 0, sigma, 0);
  } else {
    const MeReal* e = triangle->edge[edge];
    MeVector3Set(normal, sigma * e[1] / edgeLength, -sigma * e[0] / edgeLength, 0);
    *offset = (edgeR - std::fabs(edgeC)) / edgeLength;
    *dims = 0x0103;
    MeVector3Set(u, e[1] / edgeLength, -e[0] / edgeLength, 0);
    MeVector3Set(w, e[0] / edgeLength, e[1] / edgeLength, 0);
  }

  MeReal cross[9];
  for (int i = 0; i < 3; ++i) MeVector3Cross(cross + 3 * i, V[i], V[McdNextAxis(i)]);
  MeReal* start = *cursor;
  McdCylinderTriangleLines(cursor, R, h, u, w, triangle, cross, d);
  const MeReal zero = 0.0f, one = 1.0f;
  for (int i = 0; i < 3; ++i)
    McdCylinderClipTriangleEdge(cursor, V[i], triangle->edge[i], R, h, zero, one);
  return *cursor != start ? 1 : 0;
}
