#include "render/geometry/tangent_frames.h"

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "render/geometry/geometry_ops.h"

namespace {
using geom::operator+;
using geom::operator*;

// Copies of a vertex closer than this (squared) are one point.
constexpr float kSamePointSq = 1e-8f;
// Normals within 25 degrees are smoothed together.
const float kCos25 = std::cos(25.0f * 3.14159265f / 180.0f);
// Grid cell of the search for coincident vertices: one point's copies lie in
// the same or a neighbouring cell.
constexpr double kCell = 1e-4;

CVector3 Position(const RenderVertex& v) { return {v.x, v.y, v.z}; }
CVector3 Normal(const RenderVertex& v) { return {v.nx, v.ny, v.nz}; }

struct CellKey {
  std::int64_t x, y, z;
  bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct CellHash {
  std::size_t operator()(const CellKey& k) const {
    const auto x = static_cast<std::uint64_t>(k.x), y = static_cast<std::uint64_t>(k.y),
               z = static_cast<std::uint64_t>(k.z);
    return static_cast<std::size_t>(x * 73856093u ^ y * 19349663u ^ z * 83492791u);
  }
};

bool CellOf(const RenderVertex& v, CellKey* key) {
  const double x = std::floor(v.x / kCell), y = std::floor(v.y / kCell), z = std::floor(v.z / kCell);
  constexpr double kLimit = 4.0e18;
  if (!(std::fabs(x) < kLimit && std::fabs(y) < kLimit && std::fabs(z) < kLimit)) return false;
  *key = {static_cast<std::int64_t>(x), static_cast<std::int64_t>(y), static_cast<std::int64_t>(z)};
  return true;
}

// Averages the frames of each vertex with those of the later vertices at the
// same point whose normals lie within 25 degrees, in vertex order (a vertex
// already averaged takes part with its new frame).
void SmoothFrames(const RenderVertex* vertices, int count, TangentFrame* frames) {
  std::unordered_map<CellKey, std::vector<int>, CellHash> grid;
  std::vector<CellKey> keys(count);
  std::vector<bool> placed(count, false);
  for (int i = 0; i < count; ++i)
    if (CellOf(vertices[i], &keys[i])) {
      placed[i] = true;
      grid[keys[i]].push_back(i);
    }

  std::vector<int> matches;
  for (int i = 0; i < count; ++i) {
    if (!placed[i]) continue;
    matches.clear();
    const CVector3 p = Position(vertices[i]), n = Normal(vertices[i]);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          auto cell = grid.find({keys[i].x + dx, keys[i].y + dy, keys[i].z + dz});
          if (cell == grid.end()) continue;
          for (int j : cell->second) {
            if (j <= i) continue;
            if (geom::LengthSq(geom::operator-(Position(vertices[j]), p)) >= kSamePointSq) continue;
            if (!(geom::Dot(Normal(vertices[j]), n) > kCos25)) continue;
            matches.push_back(j);
          }
        }
    if (matches.empty()) continue;
    TangentFrame sum = frames[i];
    for (int j : matches) {
      sum.T = sum.T + frames[j].T;
      sum.B = sum.B + frames[j].B;
      sum.N = sum.N + frames[j].N;
    }
    sum.T = geom::Unit(sum.T);
    sum.B = geom::Unit(sum.B);
    sum.N = geom::Unit(sum.N);
    frames[i] = sum;
    for (int j : matches) frames[j] = sum;
  }
}
}  // namespace

void AccumulateTriangleTangents(const RenderVertex& a, const RenderVertex& b, const RenderVertex& c, TangentFrame* fa,
                                TangentFrame* fb, TangentFrame* fc) {
  // With edges e1 = b - a, e2 = c - a and their texture steps (du1, dv1),
  // (du2, dv2): e1 = du1·T + dv1·B and e2 = du2·T + dv2·B, so
  // T = (dv2·e1 - dv1·e2) / d and B = (du1·e2 - du2·e1) / d, d = du1·dv2 - du2·dv1.
  const float du1 = b.u - a.u, dv1 = b.v - a.v, du2 = c.u - a.u, dv2 = c.v - a.v;
  const float d = du1 * dv2 - du2 * dv1;
  if (!(std::fabs(d) > 1e-12f)) return;
  const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z}, pc[3] = {c.x, c.y, c.z};
  float t[3], bi[3];
  for (int k = 0; k < 3; ++k) {
    const float p1 = pb[k] - pa[k], p2 = pc[k] - pa[k];
    t[k] = (dv2 * p1 - dv1 * p2) / d;
    bi[k] = (du1 * p2 - du2 * p1) / d;
  }
  for (TangentFrame* f : {fa, fb, fc}) {
    f->T = f->T + CVector3{t[0], t[1], t[2]};
    f->B = f->B + CVector3{bi[0], bi[1], bi[2]};
  }
}

TangentFrame* BuildTangentFrames(const RenderVertex* vertices, int vertexCount, const std::uint16_t* indices,
                                 int indexCount, bool isStrip, CLinearBuffer* linearBuffer) {
  if (vertexCount < 1) return nullptr;
  const std::size_t bytes = sizeof(TangentFrame) * static_cast<std::size_t>(vertexCount);
  TangentFrame* frames = nullptr;
  if (linearBuffer != nullptr) {
    if (bytes > 0xFFFFFFFFu) return nullptr;
    frames = static_cast<TangentFrame*>(linearBuffer->Alloc(static_cast<std::uint32_t>(bytes), 4));
  } else {
    frames = MEM_NEW(MEMCAT_NONE) TangentFrame[vertexCount];
  }
  if (frames == nullptr) return nullptr;
  std::memset(static_cast<void*>(frames), 0, bytes);

  const int n = indices != nullptr ? indexCount : vertexCount;
  auto index = [&](int k) { return indices != nullptr ? static_cast<int>(indices[k]) : k; };
  auto accumulate = [&](int i0, int i1, int i2) {
    if (i0 == i1 || i1 == i2 || i0 == i2) return;
    if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount) return;
    AccumulateTriangleTangents(vertices[i0], vertices[i1], vertices[i2], &frames[i0], &frames[i1], &frames[i2]);
  };
  if (isStrip) {
    for (int k = 0; k + 2 < n; ++k) accumulate(index(k), index(k + 1), index(k + 2));
  } else {
    for (int k = 0; k < n / 3; ++k) accumulate(index(3 * k), index(3 * k + 1), index(3 * k + 2));
  }

  for (int i = 0; i < vertexCount; ++i) {
    TangentFrame& f = frames[i];
    f.T = geom::Unit(f.T);
    f.B = geom::Unit(f.B);
    f.N = geom::Cross(f.T, f.B);
    if (geom::Dot(f.N, geom::Unit(Normal(vertices[i]))) < 0.0f) f.N = geom::operator-(f.N);
  }
  SmoothFrames(vertices, vertexCount, frames);
  return frames;
}
