// Segment and sweep queries against a compiled tree and against a brute-force
// loop over the same polygons, on a 10,000-polygon soup.  Prints queries per
// second of both and the tree's speed-up, then runs the Google Benchmark cases.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "render/bsp/bsp_query.h"
#include "render/bsp/point_in_polygon.h"
#include "tests/render/bsp_fixture.h"

using namespace bsp_fixture;

namespace {

struct Scene {
  BspTreePtr tree;
  std::vector<FlatPolygon> flat;
  std::vector<CVector3> starts, ends;
};

Scene& GetScene() {
  static Scene scene = [] {
    Scene s;
    std::mt19937 rng(2024);
    s.tree = CompileTree(RandomConvex(rng, 10000, 200, 0.5f, 4));
    s.flat = Flatten(s.tree.get());
    std::uniform_real_distribution<float> pos(-200, 200), step(-40, 40);
    for (int i = 0; i < 4096; ++i) {
      CVector3 a{pos(rng), pos(rng), pos(rng)};
      s.starts.push_back(a);
      s.ends.push_back({a.x + step(rng), a.y + step(rng), a.z + step(rng)});
    }
    return s;
  }();
  return scene;
}

float Dist(const float* p, const CVector3& v) { return p[0] * v.x + p[1] * v.y + p[2] * v.z + p[3]; }

// Nearest polygon crossed by the segment, over every polygon (both sides).
const BspPolygon* BruteSegment(const Scene& s, const CVector3& a, const CVector3& b) {
  const BspPolygon* best = nullptr;
  float best_t = 2;
  for (const FlatPolygon& f : s.flat) {
    float da = Dist(f.plane_used, a), db = Dist(f.plane_used, b);
    if ((da > 0) == (db > 0)) continue;
    float t = da / (da - db);
    if (t >= best_t) continue;
    CVector3 p{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
    if (PointInPolygon(f.plane_used, p, f.polygon)) best = f.polygon, best_t = t;
  }
  return best;
}

CSweptSphere Sweep(const Scene& s, int i) {
  const CVector3& a = s.starts[i];
  const CVector3& b = s.ends[i];
  return MakeSweep(a, 2, {b.x - a.x, b.y - a.y, b.z - a.z});
}

void BruteSweep(const Scene& s, CSweptSphere* r) {
  for (const FlatPolygon& f : s.flat) SweptSphereVsPolygon(r->Sphere, r, f.plane_used, f.polygon, 1);
}

template <typename F>
double QueriesPerSecond(int n, F query) {
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) query(i % 4096);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return n / secs;
}

void PrintComparison() {
  Scene& s = GetScene();
  std::printf("soup: %zu polygons in the tree\n", s.flat.size());
  double seg_tree = QueriesPerSecond(40000, [&](int i) {
    benchmark::DoNotOptimize(BspSegmentQuery(s.tree.get(), s.starts[i], s.ends[i], BSPF_BOTH_SIDES));
  });
  double seg_brute = QueriesPerSecond(400, [&](int i) { benchmark::DoNotOptimize(BruteSegment(s, s.starts[i], s.ends[i])); });
  double sweep_tree = QueriesPerSecond(40000, [&](int i) {
    CSweptSphere r = Sweep(s, i);
    BspSweepQuery(s.tree.get(), &r, 0);
    benchmark::DoNotOptimize(r.Hit);
  });
  double sweep_brute = QueriesPerSecond(400, [&](int i) {
    CSweptSphere r = Sweep(s, i);
    BruteSweep(s, &r);
    benchmark::DoNotOptimize(r.Hit);
  });
  std::printf("segment: tree %.0f q/s, brute force %.0f q/s, ratio %.1fx\n", seg_tree, seg_brute, seg_tree / seg_brute);
  std::printf("sweep:   tree %.0f q/s, brute force %.0f q/s, ratio %.1fx\n", sweep_tree, sweep_brute,
              sweep_tree / sweep_brute);
}

void BM_SegmentTree(benchmark::State& state) {
  Scene& s = GetScene();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BspSegmentQuery(s.tree.get(), s.starts[i], s.ends[i], BSPF_BOTH_SIDES));
    i = (i + 1) % 4096;
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_SegmentBruteForce(benchmark::State& state) {
  Scene& s = GetScene();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BruteSegment(s, s.starts[i], s.ends[i]));
    i = (i + 1) % 4096;
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_SweepTree(benchmark::State& state) {
  Scene& s = GetScene();
  int i = 0;
  for (auto _ : state) {
    CSweptSphere r = Sweep(s, i);
    BspSweepQuery(s.tree.get(), &r, 0);
    benchmark::DoNotOptimize(r.Hit);
    i = (i + 1) % 4096;
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_SweepBruteForce(benchmark::State& state) {
  Scene& s = GetScene();
  int i = 0;
  for (auto _ : state) {
    CSweptSphere r = Sweep(s, i);
    BruteSweep(s, &r);
    benchmark::DoNotOptimize(r.Hit);
    i = (i + 1) % 4096;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SegmentTree);
BENCHMARK(BM_SegmentBruteForce);
BENCHMARK(BM_SweepTree);
BENCHMARK(BM_SweepBruteForce);

}  // namespace

int main(int argc, char** argv) {
  PrintComparison();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
