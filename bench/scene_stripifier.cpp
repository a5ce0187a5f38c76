// The stripifier on three meshes made here: a 100 x 100 grid (20,000
// triangles), a 20,000-triangle latitude-longitude sphere and a 50,000-
// triangle grid in shuffled order.  Timed: one stitched strip per mesh with
// our stripifier, and (when built with meshoptimizer) meshopt_stripify on the
// same index list.  After the runs a table gives, for 16- and 24-entry FIFO
// vertex caches, the average cache miss ratio (vertices transformed per
// triangle, measured by meshopt_analyzeVertexCache on the triangles each strip
// draws) of our strips (tuned to that cache size), of meshopt_stripify's, and
// of meshopt_stripify after meshopt_optimizeVertexCacheStrip (meshoptimizer's
// own recommended pipeline), the build-time ratio ours / meshopt_stripify, and
// the strips' lengths in indices per triangle.
// Goal: a miss ratio no worse than meshopt_stripify's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "scene/mesh/stripifier.h"
#include "scene/mesh/triangle_meshes.h"

#if HALBERD_BENCH_MESHOPT
#include <meshoptimizer.h>
#endif

namespace {

struct BenchMesh {
  const char* name;
  test_meshes::Mesh indices;
  int vertices;
};

const std::vector<BenchMesh>& Meshes() {
  static const std::vector<BenchMesh> meshes = [] {
    std::vector<BenchMesh> m;
    m.push_back({"grid 100x100", test_meshes::Grid(100, 100), 0});
    m.push_back({"sphere 20k", test_meshes::Sphere(101, 100), 0});
    m.push_back({"shuffled 50k", test_meshes::Shuffled(test_meshes::Grid(125, 200), 1234), 0});
    for (BenchMesh& b : m) b.vertices = test_meshes::VertexCount(b.indices);
    return m;
  }();
  return meshes;
}

// Our stitched strip for the mesh, tuned to `cache` entries.
std::vector<unsigned> OurStrip(const BenchMesh& mesh, int cache) {
  SetStripCacheSize(cache);
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  std::vector<unsigned> strip;
  if (BuildStrips(mesh.indices.data(), static_cast<std::uint32_t>(mesh.indices.size()), &groups, &count) && count > 0)
    strip.assign(groups[0].indices, groups[0].indices + groups[0].indexCount);
  FreeStripGroups(groups);
  ResetStripSettings();
  return strip;
}

void BM_OurStripifier(benchmark::State& state) {
  const BenchMesh& mesh = Meshes()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(mesh.name);
  for (auto _ : state) {
    StripGroup* groups = nullptr;
    std::uint16_t count = 0;
    BuildStrips(mesh.indices.data(), static_cast<std::uint32_t>(mesh.indices.size()), &groups, &count);
    benchmark::DoNotOptimize(groups);
    FreeStripGroups(groups);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(mesh.indices.size() / 3));
}
BENCHMARK(BM_OurStripifier)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

#if HALBERD_BENCH_MESHOPT
std::vector<unsigned> MeshoptStrip(const BenchMesh& mesh, const std::vector<unsigned>& list) {
  std::vector<unsigned> strip(meshopt_stripifyBound(list.size()));
  strip.resize(meshopt_stripify(strip.data(), list.data(), list.size(), static_cast<std::size_t>(mesh.vertices), 0u));
  return strip;
}

std::vector<unsigned> AsList(const BenchMesh& mesh) { return {mesh.indices.begin(), mesh.indices.end()}; }

void BM_MeshoptStripify(benchmark::State& state) {
  const BenchMesh& mesh = Meshes()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(mesh.name);
  const std::vector<unsigned> list = AsList(mesh);
  for (auto _ : state) benchmark::DoNotOptimize(MeshoptStrip(mesh, list));
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(mesh.indices.size() / 3));
}
BENCHMARK(BM_MeshoptStripify)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Vertices transformed per triangle for the triangles a strip draws, in
// drawing order, with a FIFO cache of `cache` entries.
float MissRatio(const BenchMesh& mesh, const std::vector<unsigned>& strip, unsigned cache) {
  std::vector<unsigned> list(meshopt_unstripifyBound(strip.size()));
  list.resize(meshopt_unstripify(list.data(), strip.data(), strip.size(), ~0u));
  return meshopt_analyzeVertexCache(list.data(), list.size(), static_cast<std::size_t>(mesh.vertices), cache, 0, 0).acmr;
}

void PrintComparison() {
  std::printf("\nCache miss ratio (vertices transformed per triangle; lower is better)\n");
  std::printf("%-14s %5s %10s %10s %14s %12s %12s %16s\n", "mesh", "cache", "ours", "meshopt", "meshopt+order",
              "ours/meshopt", "time ratio", "indices/tri o:m");
  for (const BenchMesh& mesh : Meshes()) {
    const std::vector<unsigned> list = AsList(mesh);
    const double oursSeconds = bench::BestSeconds([&] { benchmark::DoNotOptimize(OurStrip(mesh, 16)); }, 3);
    const double meshoptSeconds = bench::BestSeconds([&] { benchmark::DoNotOptimize(MeshoptStrip(mesh, list)); }, 3);
    for (unsigned cache : {16u, 24u}) {
      const std::vector<unsigned> ourStrip = OurStrip(mesh, static_cast<int>(cache));
      const std::vector<unsigned> theirStrip = MeshoptStrip(mesh, list);
      const float ours = MissRatio(mesh, ourStrip, cache);
      const float theirs = MissRatio(mesh, theirStrip, cache);
      const double triangles = static_cast<double>(list.size() / 3);
      std::vector<unsigned> ordered(list.size());
      meshopt_optimizeVertexCacheStrip(ordered.data(), list.data(), list.size(), static_cast<std::size_t>(mesh.vertices));
      const float pipeline = MissRatio(mesh, MeshoptStrip(mesh, ordered), cache);
      std::printf("%-14s %5u %10.3f %10.3f %14.3f %12.3f %12.2f %7.2f:%-7.2f\n", mesh.name, cache, ours, theirs,
                  pipeline, ours / theirs, oursSeconds / meshoptSeconds, ourStrip.size() / triangles,
                  theirStrip.size() / triangles);
    }
  }
}
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
#if HALBERD_BENCH_MESHOPT
  PrintComparison();
#else
  std::printf("meshoptimizer not found: no comparison (tools/install-deps.sh bench installs it)\n");
#endif
  return 0;
}
