// Per-vertex tangent frames for dot-3 bump mapping: for each vertex of a mesh
// (format 0x152) a tangent T and binormal B along the texture's u and v
// directions and a frame normal N, the second vertex stream of the dot-3
// shaders.  Copies of one vertex on a texture seam share a frame.
#pragma once

#include <cstdint>

#include "render/geometry/render_vertex.h"
#include "render/geometry/vector3.h"

class CLinearBuffer;

// One vertex's frame (36 bytes, stream 1 of the dot-3 declaration).
struct TangentFrame {
  CVector3 T;
  CVector3 B;
  CVector3 N;
};
static_assert(sizeof(TangentFrame) == 36);

// Frames for vertexCount vertices from the triangles (a list, or a strip
// read without reversing odd windows) of indices, or of the vertices in order
// when indices is null.  Triangles that repeat an index or name a vertex
// beyond vertexCount are skipped.  The array comes from linearBuffer when one
// is given (null when it is full), else from the tracked allocator (the
// caller frees it with MEM_DELETE_ARRAY); null for no vertices.
TangentFrame* BuildTangentFrames(const RenderVertex* vertices, int vertexCount, const std::uint16_t* indices,
                                 int indexCount, bool isStrip, CLinearBuffer* linearBuffer);

// Adds the triangle's u and v directions to the T and B of its three
// vertices' frames; nothing when its texture mapping is degenerate.
void AccumulateTriangleTangents(const RenderVertex& a, const RenderVertex& b, const RenderVertex& c, TangentFrame* fa,
                                TangentFrame* fb, TangentFrame* fc);
