#include "render/geometry/render_vertex.h"

#include "foundation/maths/float_compare.h"

bool SamePosition(const RenderVertex& a, const RenderVertex& b) {
  return FloatsEqual(a.x, b.x) && FloatsEqual(a.y, b.y) && FloatsEqual(a.z, b.z);
}

bool SameNormal(const RenderVertex& a, const RenderVertex& b) {
  return FloatsEqual(a.nx, b.nx) && FloatsEqual(a.ny, b.ny) && FloatsEqual(a.nz, b.nz);
}

bool SameTexCoords(const RenderVertex& a, const RenderVertex& b) {
  return FloatsEqual(a.u, b.u) && FloatsEqual(a.v, b.v);
}

bool SameColour(const RenderVertex& a, const RenderVertex& b) { return a.Colour == b.Colour; }

bool SameVertex(const RenderVertex& a, const RenderVertex& b) {
  return SamePosition(a, b) && SameNormal(a, b) && SameTexCoords(a, b) && SameColour(a, b);
}

int FindOrAddVertex(const RenderVertex& v, RenderVertex* array, int* count, int capacity) {
  const int n = *count;
  for (int i = 0; i < n; ++i)
    if (SameVertex(array[i], v)) return i;
  constexpr int kMaxIndexed = 65536;
  if (n >= capacity || n >= kMaxIndexed) return -1;
  array[n] = v;
  *count = n + 1;
  return n;
}

namespace {
// One colour byte between two words: the engine scales to 0..1 with k and
// back with 255, truncating toward zero.
std::uint32_t LerpByte(std::uint32_t a, std::uint32_t b, int shift, float t) {
  constexpr float k = 0.003921569f;
  const float ca = static_cast<float>((a >> shift) & 0xFF) * k;
  const float cb = static_cast<float>((b >> shift) & 0xFF) * k;
  const int value = static_cast<int>(((cb - ca) * t + ca) * 255.0f);
  return (static_cast<std::uint32_t>(value) & 0xFF) << shift;
}
}  // namespace

void LerpRenderVertex(const RenderVertex& a, const RenderVertex& b, RenderVertex* out, float t) {
  RenderVertex r;
  r.x = a.x + (b.x - a.x) * t;
  r.y = a.y + (b.y - a.y) * t;
  r.z = a.z + (b.z - a.z) * t;
  r.nx = a.nx + (b.nx - a.nx) * t;
  r.ny = a.ny + (b.ny - a.ny) * t;
  r.nz = a.nz + (b.nz - a.nz) * t;
  r.u = a.u + (b.u - a.u) * t;
  r.v = a.v + (b.v - a.v) * t;
  r.Colour = LerpByte(a.Colour, b.Colour, 24, t) | LerpByte(a.Colour, b.Colour, 16, t) |
             LerpByte(a.Colour, b.Colour, 8, t) | LerpByte(a.Colour, b.Colour, 0, t);
  *out = r;
}
