// Geometry of the renderer that runs per mesh load or per frame: tangent
// frames for dot-3 meshes (the smoothing step finds the copies of each point
// through a grid; a plain every-pair search grows with the square of the
// vertex count), sphere and point culling against the camera frustum, and
// clipping polygons to a frustum.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "foundation/memory/memory_manager.h"
#include "render/geometry/frustum.h"
#include "render/geometry/polygon_clip.h"
#include "render/volumes/sphere.h"
#include "render/geometry/tangent_frames.h"

namespace {

// A grid of quads where every quad has its own four vertices (texture seams
// everywhere), so each interior point has four copies to smooth together.
struct Mesh {
  std::vector<RenderVertex> vertices;
  std::vector<std::uint16_t> indices;
};

Mesh SeamedGrid(int quadsPerSide) {
  Mesh mesh;
  for (int y = 0; y < quadsPerSide; ++y)
    for (int x = 0; x < quadsPerSide; ++x) {
      const auto base = static_cast<std::uint16_t>(mesh.vertices.size());
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      auto h = [](float px, float py) { return 0.1f * std::sin(px * 0.3f) * std::cos(py * 0.2f); };
      mesh.vertices.push_back({fx, fy, h(fx, fy), 0, 0, 1, 0xFFFFFFFF, 0, 0});
      mesh.vertices.push_back({fx + 1, fy, h(fx + 1, fy), 0, 0, 1, 0xFFFFFFFF, 1, 0});
      mesh.vertices.push_back({fx + 1, fy + 1, h(fx + 1, fy + 1), 0, 0, 1, 0xFFFFFFFF, 1, 1});
      mesh.vertices.push_back({fx, fy + 1, h(fx, fy + 1), 0, 0, 1, 0xFFFFFFFF, 0, 1});
      const std::uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
      for (std::uint16_t k : quad) mesh.indices.push_back(static_cast<std::uint16_t>(base + k));
    }
  return mesh;
}

void TangentFrames(benchmark::State& state) {
  const Mesh mesh = SeamedGrid(static_cast<int>(state.range(0)));  // 112 per side: 50176 vertices
  const int vertexCount = static_cast<int>(mesh.vertices.size());
  for (auto _ : state) {
    TangentFrame* frames = BuildTangentFrames(mesh.vertices.data(), vertexCount, mesh.indices.data(),
                                              static_cast<int>(mesh.indices.size()), false, nullptr);
    benchmark::DoNotOptimize(frames);
    MEM_DELETE_ARRAY frames;
  }
  state.counters["vertices"] = vertexCount;
  state.SetItemsProcessed(state.iterations() * vertexCount);
}
BENCHMARK(TangentFrames)->Arg(16)->Arg(50)->Arg(112)->Unit(benchmark::kMillisecond);

CFrustum ViewFrustum() {
  CFrustum f;
  f.SetSweepCorners({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, 100.0f, 10000.0f);
  f.BuildPlanes();
  return f;
}

void FrustumSphereTests(benchmark::State& state) {
  const CFrustum frustum = ViewFrustum();
  std::vector<CSphere> spheres(4096);
  for (std::size_t i = 0; i < spheres.size(); ++i)
    spheres[i].Set({std::fmod(i * 37.0f, 400.0f) - 200.0f, std::fmod(i * 11.0f, 400.0f) - 200.0f, i * 3.0f}, 20.0f);
  for (auto _ : state) {
    int visible = 0;
    bool straddles = false;
    for (const CSphere& s : spheres) visible += frustum.TestSphere(s, &straddles);
    benchmark::DoNotOptimize(visible);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(spheres.size()));
}
BENCHMARK(FrustumSphereTests);

void ClipQuadsToFrustum(benchmark::State& state) {
  const CFrustum frustum = ViewFrustum();
  std::vector<ClipPolygon> quads(1024);
  for (std::size_t i = 0; i < quads.size(); ++i) {
    const float x = std::fmod(i * 29.0f, 300.0f) - 150.0f, z = 10.0f + i * 5.0f;
    quads[i].Count = 4;
    quads[i].Vertices[0] = {x, -50, z, 0, 0, -1, 0xFFFFFFFF, 0, 0};
    quads[i].Vertices[1] = {x + 80, -50, z, 0, 0, -1, 0xFFFFFFFF, 1, 0};
    quads[i].Vertices[2] = {x + 80, 50, z, 0, 0, -1, 0xFFFFFFFF, 1, 1};
    quads[i].Vertices[3] = {x, 50, z, 0, 0, -1, 0xFFFFFFFF, 0, 1};
  }
  ClipPolygon out{};
  for (auto _ : state) {
    int kept = 0;
    for (const ClipPolygon& q : quads) kept += ClipPolygonByPlanes(q, &out, frustum.Planes, frustum.PlaneCount);
    benchmark::DoNotOptimize(kept);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(quads.size()));
}
BENCHMARK(ClipQuadsToFrustum);

}  // namespace

BENCHMARK_MAIN();
