// Stencil shadows: the face connectivity built when a template is read
// (triangles per second for closed latitude-longitude spheres, each face with
// vertices of its own, so that edges are matched by position), and the
// silhouette volume built each time a shadow is drawn.  Goals: no
// faces-squared search (16,000 triangles in well under a second, where
// trying every face for every edge takes billions of comparisons); a
// 16,000-triangle volume in well under a millisecond.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "scene/mesh/vertex_buffer.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/shadows/shadows.h"

namespace {

// A sphere of `bands` x 2 bands segments; every triangle has its own three vertices.
void Sphere(int bands, std::vector<CVector3>* points, std::vector<std::uint16_t>* indices) {
  const int segments = bands * 2;
  auto at = [&](int b, int s) {
    const float theta = 3.14159265f * static_cast<float>(b) / static_cast<float>(bands);
    const float phi = 6.28318531f * static_cast<float>(s % segments) / static_cast<float>(segments);
    return CVector3{100.0f * std::sin(theta) * std::cos(phi), 100.0f * std::cos(theta),
                    100.0f * std::sin(theta) * std::sin(phi)};
  };
  auto triangle = [&](const CVector3& a, const CVector3& b, const CVector3& c) {
    for (const CVector3& p : {a, b, c}) {
      indices->push_back(static_cast<std::uint16_t>(points->size()));
      points->push_back(p);
    }
  };
  for (int b = 0; b < bands; ++b)
    for (int s = 0; s < segments; ++s) {
      if (b > 0) triangle(at(b, s), at(b, s + 1), at(b + 1, s));
      if (b + 1 < bands) triangle(at(b, s + 1), at(b + 1, s + 1), at(b + 1, s));
    }
}

void Connectivity(benchmark::State& state) {
  std::vector<CVector3> points;
  std::vector<std::uint16_t> indices;
  Sphere(static_cast<int>(state.range(0)), &points, &indices);
  const int faces = static_cast<int>(indices.size() / 3);
  std::vector<std::uint16_t> links(indices.size());
  for (auto _ : state) {
    FindShadowNeighbours(points.data(), indices.data(), faces, false,
                         reinterpret_cast<std::uint16_t(*)[3]>(links.data()));
    benchmark::DoNotOptimize(links.data());
  }
  state.SetItemsProcessed(state.iterations() * faces);
  state.counters["triangles"] = faces;
}
BENCHMARK(Connectivity)->Arg(22)->Arg(45)->Arg(64)->Unit(benchmark::kMillisecond);

void Volume(benchmark::State& state) {
  std::vector<CVector3> points;
  std::vector<std::uint16_t> indices;
  Sphere(static_cast<int>(state.range(0)), &points, &indices);
  CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  CVertexBuffer part;
  part.Vertices = new RenderVertex[points.size()];
  for (std::size_t k = 0; k < points.size(); ++k) part.Vertices[k] = {points[k].x, points[k].y, points[k].z, 0, 1, 0, 0, 0, 0};
  part.VertexCount = static_cast<std::uint32_t>(points.size());
  part.ListIndices = new std::uint16_t[indices.size()];
  std::copy(indices.begin(), indices.end(), part.ListIndices);
  part.ListIndexCount = static_cast<std::uint32_t>(indices.size());
  CShadowMesh::BuildPart(&part);
  ShadowsSetLightPosition({0.3f, -0.9f, 0.3f});
  for (auto _ : state) benchmark::DoNotOptimize(ShadowsBuildVolume(&part));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(indices.size() / 3));
  state.counters["quads"] = ShadowsQuadCount();
}
BENCHMARK(Volume)->Arg(22)->Arg(64)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
