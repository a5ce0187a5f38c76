// Sutherland-Hodgman polygon clippers: cut a polygon by one plane or by a
// list of planes (the frustum layout), keeping the part on the positive side
// (signed distance above -7.6e-6).  The multi-plane clippers work through
// process-wide scratch polygons: main thread only, one call at a time.
#pragma once

#include <cstdint>

#include "foundation/maths/plane.h"
#include "render/geometry/render_vertex.h"
#include "render/geometry/vector3.h"

class CFrustum;

inline constexpr int kMaxClipVertices = 16;
inline constexpr int kMaxClipPositions = 32;

// Full-vertex clip polygon.
struct ClipPolygon {
  int Count;
  RenderVertex Vertices[kMaxClipVertices];
};

// Position clip polygon; the plane is carried for the caller, the clipper does not read it.
struct PositionClipPolygon {
  float Plane[4];
  std::uint32_t Count;
  CVector3 Positions[kMaxClipPositions];
};

// Clips by one plane into out; new vertices interpolate position, normal and
// u, v and take the colour of the edge's start.  Answers the new count, or 0
// (out's count 0) when the result would pass 16 vertices or the input count
// is not 0..16.
int ClipPolygonByPlane(const ClipPolygon& in, ClipPolygon* out, const CPlane& plane);
// Clips by planes[0..count) in turn; 0 as soon as fewer than 3 vertices are
// left or a limit is passed, else the final count.  No planes copies in to out.
int ClipPolygonByPlanes(const ClipPolygon& in, ClipPolygon* out, const CPlane* planes, int count);
// The same two for position polygons (32 vertices at most).
int ClipPositionsByPlane(const PositionClipPolygon& in, PositionClipPolygon* out, const CPlane& plane);
int ClipPositionsByPlanes(const PositionClipPolygon& in, PositionClipPolygon* out, const CPlane* planes, int count);
// Clips count render vertices by the plane into out (room for capacity);
// new vertices come from LerpRenderVertex.  Answers the new count, 0 when it
// would pass capacity.
int ClipVertexPolygonByPlane(const RenderVertex* in, int count, RenderVertex* out, int capacity, const CPlane& plane);

// An indexed triangle mesh: index count, vertex count, vertices, indices
// (three per triangle).
struct ClipMesh {
  std::int32_t IndexCount;
  std::int32_t VertexCount;
  RenderVertex* Vertices;
  std::uint16_t* Indices;
};

// Flag bit of ClipMeshJob: keep only triangles with |normal · Direction| above Threshold.
inline constexpr std::uint32_t kClipMeshFacingTest = 0x1;

struct ClipMeshJob {
  std::uint32_t Flags;
  CVector3 Direction;
  float Threshold;
  std::int32_t VertexLimit;  // room in the output's vertex array
  std::int32_t IndexLimit;   // room in the output's index array
  const ClipMesh* Source;
  ClipMesh* Output;
};

// Clips each visible, eye-facing triangle of the source to the frustum and
// appends it to the output as a fan, sharing equal vertices.  Stops at the
// first triangle that would pass a limit; the output counts are written back.
// Source triangles with an index outside the source vertices are skipped.
void ClipMeshToFrustum(const CFrustum& frustum, ClipMeshJob* job);
