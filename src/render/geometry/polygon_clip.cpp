#include "render/geometry/polygon_clip.h"

#include <cmath>

#include "render/geometry/frustum.h"
#include "render/geometry/geometry_ops.h"

namespace {
constexpr float kTolerance = 7.6e-6f;

float DistanceOf(const CPlane& plane, float x, float y, float z) {
  return plane.n.x * x + plane.n.y * y + plane.n.z * z + plane.d;
}

// Edge k -> k+1 crosses the plane at t = (d + n·pk) / (n·pk - n·pk+1) from pk.
float CrossingT(const CPlane& plane, float dk, float dNext) {
  const float nk = dk - plane.d, nNext = dNext - plane.d;
  return (plane.d + nk) / (nk - nNext);
}

// One Sutherland-Hodgman pass over count vertices of any type: Distance(v)
// gives the signed distance, Make(a, b, t, out) the crossing vertex.  Answers
// the output count, or -1 when it would pass capacity.
template <typename Vertex, typename DistanceFn, typename MakeFn>
int ClipWalk(const Vertex* in, int count, Vertex* out, int capacity, const CPlane& plane, DistanceFn distance,
             MakeFn make) {
  int n = 0;
  for (int k = 0; k < count; ++k) {
    const Vertex& a = in[k];
    const Vertex& b = in[(k + 1) % count];
    const float da = distance(a), db = distance(b);
    const bool aInside = da > -kTolerance, bInside = db > -kTolerance;
    if (aInside) {
      if (n >= capacity) return -1;
      out[n++] = a;
    }
    if (aInside != bInside) {
      if (n >= capacity) return -1;
      make(a, b, CrossingT(plane, da, db), &out[n++]);
    }
  }
  return n;
}

int ClipRenderVertices(const RenderVertex* in, int count, RenderVertex* out, int capacity, const CPlane& plane) {
  auto distance = [&](const RenderVertex& v) { return DistanceOf(plane, v.x, v.y, v.z); };
  auto make = [](const RenderVertex& a, const RenderVertex& b, float t, RenderVertex* o) {
    LerpRenderVertex(a, b, o, t);
    o->Colour = a.Colour;  // the colour word stays that of the edge's start
  };
  return ClipWalk(in, count, out, capacity, plane, distance, make);
}

// Clips through two alternating scratch polygons; the last plane writes out.
template <typename Polygon, typename ClipOne>
int ClipByPlaneList(const Polygon& in, Polygon* out, const CPlane* planes, int count, ClipOne clipOne) {
  if (count < 1) {
    *out = in;
    return static_cast<int>(out->Count);
  }
  if (count < 2) return clipOne(in, out, planes[0]);
  static Polygon s_Scratch[2];
  const Polygon* source = &in;
  for (int i = 0; i < count - 1; ++i) {
    Polygon* target = &s_Scratch[i & 1];
    if (clipOne(*source, target, planes[i]) < 3) {
      out->Count = 0;
      return 0;
    }
    source = target;
  }
  return clipOne(*source, out, planes[count - 1]);
}
}  // namespace

int ClipPolygonByPlane(const ClipPolygon& in, ClipPolygon* out, const CPlane& plane) {
  int n = -1;
  if (in.Count >= 0 && in.Count <= kMaxClipVertices)
    n = ClipRenderVertices(in.Vertices, in.Count, out->Vertices, kMaxClipVertices, plane);
  out->Count = n < 0 ? 0 : n;
  return out->Count;
}

int ClipPolygonByPlanes(const ClipPolygon& in, ClipPolygon* out, const CPlane* planes, int count) {
  if (in.Count < 0 || in.Count > kMaxClipVertices) {
    out->Count = 0;
    return 0;
  }
  return ClipByPlaneList(in, out, planes, count, ClipPolygonByPlane);
}

int ClipPositionsByPlane(const PositionClipPolygon& in, PositionClipPolygon* out, const CPlane& plane) {
  int n = -1;
  if (in.Count <= static_cast<std::uint32_t>(kMaxClipPositions)) {
    auto distance = [&](const CVector3& p) { return DistanceOf(plane, p.x, p.y, p.z); };
    auto make = [](const CVector3& a, const CVector3& b, float t, CVector3* o) {
      *o = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
    };
    n = ClipWalk(in.Positions, static_cast<int>(in.Count), out->Positions, kMaxClipPositions, plane, distance, make);
  }
  out->Count = n < 0 ? 0u : static_cast<std::uint32_t>(n);
  return static_cast<int>(out->Count);
}

int ClipPositionsByPlanes(const PositionClipPolygon& in, PositionClipPolygon* out, const CPlane* planes, int count) {
  if (in.Count > static_cast<std::uint32_t>(kMaxClipPositions)) {
    out->Count = 0;
    return 0;
  }
  return ClipByPlaneList(in, out, planes, count, ClipPositionsByPlane);
}

int ClipVertexPolygonByPlane(const RenderVertex* in, int count, RenderVertex* out, int capacity, const CPlane& plane) {
  if (count < 0) return 0;
  auto distance = [&](const RenderVertex& v) { return DistanceOf(plane, v.x, v.y, v.z); };
  auto make = [](const RenderVertex& a, const RenderVertex& b, float t, RenderVertex* o) {
    LerpRenderVertex(a, b, o, t);
  };
  const int n = ClipWalk(in, count, out, capacity, plane, distance, make);
  return n < 0 ? 0 : n;
}

void ClipMeshToFrustum(const CFrustum& frustum, ClipMeshJob* job) {
  const ClipMesh& source = *job->Source;
  ClipMesh& output = *job->Output;
  int vertexCount = output.VertexCount;
  int indexCount = output.IndexCount;
  // 16-bit indices reach 65536 vertices at most.
  const int vertexLimit = job->VertexLimit < 65536 ? job->VertexLimit : 65536;
  const CVector3 nearNormal = frustum.Planes[frustum.NearPlane].n;
  static ClipPolygon s_Triangle;
  static ClipPolygon s_Clipped;

  const int triangles = source.IndexCount / 3;
  for (int t = 0; t < triangles; ++t) {
    const std::uint16_t* idx = &source.Indices[3 * t];
    if (idx[0] >= source.VertexCount || idx[1] >= source.VertexCount || idx[2] >= source.VertexCount) continue;
    const RenderVertex& a = source.Vertices[idx[0]];
    const RenderVertex& b = source.Vertices[idx[1]];
    const RenderVertex& c = source.Vertices[idx[2]];
    if (a.Colour < 0x1000000u && b.Colour < 0x1000000u && c.Colour < 0x1000000u) continue;

    CPlane plane;
    plane.FromPoints({a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z});
    const CVector3 normal = plane.n;
    if ((job->Flags & kClipMeshFacingTest) != 0 && !(std::fabs(geom::Dot(normal, job->Direction)) > job->Threshold))
      continue;
    if (geom::Dot(normal, nearNormal) > 0.0f) continue;

    s_Triangle.Count = 3;
    s_Triangle.Vertices[0] = a;
    s_Triangle.Vertices[1] = b;
    s_Triangle.Vertices[2] = c;
    const int n = ClipPolygonByPlanes(s_Triangle, &s_Clipped, frustum.Planes, frustum.PlaneCount);
    if (n <= 2) continue;
    if (vertexCount + n > vertexLimit || indexCount + 3 * (n - 2) > job->IndexLimit) break;

    std::uint16_t fan[kMaxClipVertices];
    for (int k = 0; k < n; ++k)
      fan[k] = static_cast<std::uint16_t>(
          FindOrAddVertex(s_Clipped.Vertices[k], output.Vertices, &vertexCount, vertexLimit));
    for (int k = 1; k + 1 < n; ++k) {
      output.Indices[indexCount++] = fan[0];
      output.Indices[indexCount++] = fan[k];
      output.Indices[indexCount++] = fan[k + 1];
    }
  }
  output.VertexCount = vertexCount;
  output.IndexCount = indexCount;
}
