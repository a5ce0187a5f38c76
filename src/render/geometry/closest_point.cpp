#include "render/geometry/closest_point.h"

#include "render/geometry/geometry_ops.h"

using namespace geom;

CVector3* ClosestPointOnSegment(CVector3* out, const CVector3& a, const CVector3& b, const CVector3& p) {
  CVector3 u = Unit(b - a);
  float s = Dot(u, p - a);
  if (s < 0)
    *out = a;
  else if (s <= Length(b - a))
    *out = a + u * s;
  else
    *out = b;
  return out;
}

CVector3* ClosestPointOnPolygonEdge(CVector3* out, const BspPolygon* polygon, const CVector3& p) {
  *out = {0, 0, 0};
  unsigned n = polygon->VertexCount;
  float best = 0;
  for (unsigned k = 0; k < n; ++k) {
    CVector3 q;
    ClosestPointOnSegment(&q, V(polygon->Vertex(k)), V(polygon->Vertex((k + 1) % n)), p);
    float d2 = LengthSq(q - p);
    if (k == 0 || d2 < best) {
      best = d2;
      *out = q;
    }
  }
  return out;
}
