// The renderer's fixed-format vertex (position, normal, ARGB colour, one
// texture coordinate pair; 36 bytes, format 0x152) with the equality tests,
// find-or-add and interpolation that the polygon clippers and mesh building
// share.
#pragma once

#include <cstdint>

struct RenderVertex {
  float x, y, z;
  float nx, ny, nz;
  std::uint32_t Colour;  // ARGB, alpha in the top byte
  float u, v;
};
static_assert(sizeof(RenderVertex) == 36);

// Equality of parts of two vertices: floats within 7.6e-6, colour words exactly.
bool SamePosition(const RenderVertex& a, const RenderVertex& b);
bool SameNormal(const RenderVertex& a, const RenderVertex& b);
bool SameTexCoords(const RenderVertex& a, const RenderVertex& b);
bool SameColour(const RenderVertex& a, const RenderVertex& b);
// Position, normal, texture coordinates and colour all equal.
bool SameVertex(const RenderVertex& a, const RenderVertex& b);

// The index of the first vertex of array[0..count) that is `SameVertex` with
// v; otherwise v is copied to array[count], count grows by one and that index
// is answered.  Answers -1 (array untouched) when v is new and the array
// already holds `capacity` vertices or 65536, the most 16-bit indices reach.
int FindOrAddVertex(const RenderVertex& v, RenderVertex* array, int* count, int capacity);

// out = a + (b - a)·t for position, normal, u and v; each colour byte as
// trunc(((k·cb - k·ca)·t + k·ca) x 255) with k = 0.003921569.
void LerpRenderVertex(const RenderVertex& a, const RenderVertex& b, RenderVertex* out, float t);
