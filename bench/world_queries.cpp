// World queries on a generated world of about 100,000 triangles in 2,000
// instances.  Line of sight: our zone walk over the octrees and portals, the
// flat test, Embree's rtcOccluded1 on the same triangles (when installed) and
// brute force over every polygon, run in one process on the same segments,
// with the ratios printed first.  Also MoveSphere calls and the octree build.
//
// Note: our line tests are one-sided (a surface blocks only from its front),
// Embree's occlusion test is two-sided; both answer every segment of the set.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/octree.h"
#include "world/space/world_queries.h"
#include "world/space_world_fixture.h"

#if HALBERD_BENCH_EMBREE
#include <embree3/rtcore.h>
#endif

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

struct Bench {
  std::unique_ptr<space_fixture::World> world;
  std::vector<CVector3> starts, ends;
  std::vector<CEnvInstance*> zones;
#if HALBERD_BENCH_EMBREE
  RTCDevice device = nullptr;
  RTCScene scene = nullptr;
#endif
};

Bench& GetBench() {
  static Bench* b = [] {
    auto* bench = new Bench;
    space_fixture::Options o;
    o.terrainTiles = 20;
    o.cellsPerTile = 11;
    o.outdoorCrates = 1500;
    o.trees = 90;
    o.cratesPerRoom = 5;
    bench->world = space_fixture::MakeWorld(o);
    std::mt19937 rng(21);
    std::uniform_real_distribution<float> u(0, 1);
    // Segments between points above the ground, 200 to 3000 units long, like
    // soldiers looking at each other.
    for (int i = 0; i < 4096; ++i) {
      CVector3 a{-9500 + 19000 * u(rng), 0, -9500 + 19000 * u(rng)};
      a.y = space_fixture::TerrainHeight(a.x, a.z) + 20 + 200 * u(rng);
      float angle = 6.2831853f * u(rng), length = 200 + 2800 * u(rng);
      CVector3 e{a.x + length * std::cos(angle), 0, a.z + length * std::sin(angle)};
      e.y = space_fixture::TerrainHeight(e.x, e.z) + 20 + 200 * u(rng);
      bench->starts.push_back(a);
      bench->ends.push_back(e);
      bench->zones.push_back(bench->world->land);
    }
#if HALBERD_BENCH_EMBREE
    bench->device = rtcNewDevice("threads=1");
    bench->scene = rtcNewScene(bench->device);
    std::vector<float> vertices;
    std::vector<unsigned> indices;
    for (const auto& p : bench->world->polygons) {
      unsigned base = static_cast<unsigned>(vertices.size() / 3);
      for (const CVector3& v : p.vertices) vertices.insert(vertices.end(), {v.x, v.y, v.z});
      for (unsigned k = 1; k + 1 < p.vertices.size(); ++k) indices.insert(indices.end(), {base, base + k, base + k + 1});
    }
    RTCGeometry geometry = rtcNewGeometry(bench->device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* vb = static_cast<float*>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                                           3 * sizeof(float), vertices.size() / 3));
    std::copy(vertices.begin(), vertices.end(), vb);
    auto* ib = static_cast<unsigned*>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                                              3 * sizeof(unsigned), indices.size() / 3));
    std::copy(indices.begin(), indices.end(), ib);
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(bench->scene, geometry);
    rtcReleaseGeometry(geometry);
    rtcCommitScene(bench->scene);
#endif
    return bench;
  }();
  return *b;
}

int OurLineOfSight(Bench& b, int i) {
  return CWorldQueries().LineOfSight(b.zones[static_cast<std::size_t>(i)], b.starts[static_cast<std::size_t>(i)],
                                   b.ends[static_cast<std::size_t>(i)], nullptr, nullptr, 0, nullptr);
}

#if HALBERD_BENCH_EMBREE
int EmbreeOccluded(Bench& b, int i) {
  const CVector3& a = b.starts[static_cast<std::size_t>(i)];
  const CVector3& e = b.ends[static_cast<std::size_t>(i)];
  RTCRay ray{};
  ray.org_x = a.x, ray.org_y = a.y, ray.org_z = a.z;
  ray.dir_x = e.x - a.x, ray.dir_y = e.y - a.y, ray.dir_z = e.z - a.z;
  ray.tnear = 0;
  ray.tfar = 1;
  ray.mask = 0xFFFFFFFFu;
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  rtcOccluded1(b.scene, &context, &ray);
  return ray.tfar < 0 ? 0 : 1;
}
#endif

int BruteForce(Bench& b, int i) {
  bool ambiguous;
  return space_fixture::SegmentBlocked(b.world->polygons, b.starts[static_cast<std::size_t>(i)],
                                       b.ends[static_cast<std::size_t>(i)], 0.0f, &ambiguous)
             ? 0
             : 1;
}

template <typename F>
double QueriesPerSecond(int n, F query) {
  auto t0 = std::chrono::steady_clock::now();
  int clear = 0;
  for (int i = 0; i < n; ++i) clear += query(i % 4096);
  benchmark::DoNotOptimize(clear);
  return n / std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void PrintComparison() {
  Bench& b = GetBench();
  std::printf("world: %d triangles in %zu polygons\n", b.world->triangles, b.world->polygons.size());
  int instances = 0;
  for (CEnvInstance* i = b.world->env->InstanceList; i; i = i->EnvLink) ++instances;
  std::printf("instances: %d\n", instances);
  b.world->env->UseZones = 1;
  double zones = QueriesPerSecond(40000, [&](int i) { return OurLineOfSight(b, i); });
  b.world->env->UseZones = 0;
  double flat = QueriesPerSecond(4000, [&](int i) { return OurLineOfSight(b, i); });
  b.world->env->UseZones = 1;
  double brute = QueriesPerSecond(200, [&](int i) { return BruteForce(b, i); });
  std::printf("LineOfSight (zones): %.0f q/s; flat: %.0f q/s; brute force: %.0f q/s; zones/brute %.1fx\n", zones, flat,
              brute, zones / brute);
#if HALBERD_BENCH_EMBREE
  double embree = QueriesPerSecond(200000, [&](int i) { return EmbreeOccluded(b, i); });
  std::printf("Embree rtcOccluded1: %.0f q/s; LineOfSight (zones) / Embree = %.3f (goal 0.25)\n", embree,
              zones / embree);
#else
  std::printf("Embree not installed: no peer ratio\n");
#endif
}

void BM_LineOfSightZones(benchmark::State& state) {
  Bench& b = GetBench();
  b.world->env->UseZones = 1;
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(OurLineOfSight(b, i++ & 4095));
  state.SetItemsProcessed(state.iterations());
}

#if HALBERD_BENCH_EMBREE
void BM_EmbreeOccluded(benchmark::State& state) {
  Bench& b = GetBench();
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(EmbreeOccluded(b, i++ & 4095));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EmbreeOccluded);
#endif

void BM_LineOfSightBruteForce(benchmark::State& state) {
  Bench& b = GetBench();
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(BruteForce(b, i++ & 4095));
  state.SetItemsProcessed(state.iterations());
}

void BM_MoveSphere(benchmark::State& state) {
  Bench& b = GetBench();
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> u(-1, 1);
  for (auto _ : state) {
    std::size_t k = rng() & 4095;
    CSphere s;
    s.Set(b.starts[k], 25);
    int moved;
    benchmark::DoNotOptimize(CWorldQueries().MoveSphere(b.world->land, &s, {u(rng) * 150, -60, u(rng) * 150}, 0, &moved));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_OctreeBuild(benchmark::State& state) {
  Bench& b = GetBench();
  for (auto _ : state) b.world->env->BuildOctrees(nullptr, false);
  state.counters["nodes"] = static_cast<double>(GetOctreeBuildStatistics().Nodes);
}

BENCHMARK(BM_LineOfSightZones);
BENCHMARK(BM_LineOfSightBruteForce);
BENCHMARK(BM_MoveSphere);
BENCHMARK(BM_OctreeBuild)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  PrintComparison();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
