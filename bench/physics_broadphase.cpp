// Broad-phase cost per frame: N boxes (100, 400, 2000) in a cube whose size
// keeps the density of the engine's 400-box world, each frame moving every
// box by a small random step (coherent motion) and teleporting 1% of them.
// The recorded motion is replayed through McdSpaceUpdate (with the phase
// changes and the reading of all pairs), through Bullet's btAxisSweep3 (box
// updates and its pair cache) and through ODE's sweep-and-prune space
// (dSpaceCollide reporting every overlapping pair), all in this process.
// The pair counts of the recording's first frame are printed as a
// cross-check (Bullet quantises its boxes outward, so it may count a few
// more), and the time ratios at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/physics_bench_common.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_space.h"
#include "physics/util/me_math.h"
#include "physics/util/me_message.h"

#ifdef HALBERD_BENCH_BULLET
#include <btBulletCollisionCommon.h>
#endif

namespace {

constexpr int kFrames = 240;

// The recorded workload: sizes and, per frame, every box's position.
struct Workload {
  int count = 0;
  float extent = 0;
  std::vector<float> sizes;                    // full side length per box
  std::vector<std::vector<float>> positions;   // per frame, 3 per box
};

Workload MakeWorkload(int count) {
  Workload w;
  w.count = count;
  w.extent = 20.0f * std::cbrt(count / 400.0f);
  std::mt19937 rng(77);
  std::uniform_real_distribution<float> pos(0, w.extent), size(0.2f, 1.6f), step(-0.05f, 0.05f),
      unit(0, 1);
  std::vector<float> p(3 * count);
  for (int i = 0; i < count; ++i) {
    w.sizes.push_back(size(rng));
    for (int k = 0; k < 3; ++k) p[3 * i + k] = pos(rng);
  }
  for (int f = 0; f < kFrames; ++f) {
    for (int i = 0; i < count; ++i) {
      bool teleport = unit(rng) < 0.01f;
      for (int k = 0; k < 3; ++k) {
        float v = teleport ? pos(rng) : p[3 * i + k] + step(rng);
        p[3 * i + k] = std::fmin(std::fmax(v, 0.0f), w.extent);
      }
    }
    w.positions.push_back(p);
  }
  return w;
}

std::map<int, Workload>& Workloads() {
  static std::map<int, Workload> w;
  return w;
}

std::map<std::string, long> g_pairCounts;

// "<prefix>/<count>", the key of a run.
std::string Label(const char* prefix, int count) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s/%d", prefix, count);
  return buf;
}

void RunHalberd(benchmark::State& state, const Workload* w) {
  McdInit(McdPrimitivesGetTypeCount() + 1, w->count);
  McdPrimitivesRegisterTypes();
  McdSpaceID space = McdAxisSortCreate(McdAllAxes, w->count, 2 * w->count);
  std::vector<MeMatrix4> transforms(w->count);
  std::vector<McdGeometryID> geoms;
  std::vector<McdModelID> models;
  for (int i = 0; i < w->count; ++i) {
    MeMatrix4TMMakeIdentity(transforms[i]);
    geoms.push_back(McdBoxCreate(w->sizes[i], w->sizes[i], w->sizes[i]));
    models.push_back(McdModelCreate(geoms.back()));
    McdModelSetTransformPtr(models.back(), transforms[i]);
    McdSpaceInsertModel(space, models.back());
  }
  std::vector<McdModelPair*> array(4096);
  McdSpacePairList list;
  McdSpacePairListInit(&list, array.data(), static_cast<int>(array.size()));
  long pairs = 0;
  int frame = 0;
  for (auto _ : state) {
    const std::vector<float>& p = w->positions[frame];
    for (int i = 0; i < w->count; ++i) {
      transforms[i][12] = p[3 * i];
      transforms[i][13] = p[3 * i + 1];
      transforms[i][14] = p[3 * i + 2];
    }
    McdSpaceUpdate(space);
    McdSpaceEndChanges(space);
    McdSpacePairIterator it;
    McdSpacePairIteratorBegin(space, &it);
    if (frame == 0) pairs = 0;
    int more;
    do {
      McdSpacePairListReset(&list);
      more = McdSpaceGetPairs(space, &it, &list);
      if (frame == 0) pairs += (list.stayingEnd - list.helloStart);
      benchmark::DoNotOptimize(array.data());
    } while (more);
    McdSpaceBeginChanges(space);
    frame = (frame + 1) % kFrames;
  }
  g_pairCounts[Label("halberd", w->count)] = pairs;
  state.counters["pairs"] = static_cast<double>(pairs);
  McdSpaceDestroy(space);
  for (McdModelID m : models) McdModelDestroy(m);
  for (McdGeometryID g : geoms) McdGeometryDestroy(g);
  McdTerm();
}

#ifdef HALBERD_BENCH_BULLET
void RunBullet(benchmark::State& state, const Workload* w) {
  btDefaultCollisionConfiguration config;
  btCollisionDispatcher dispatcher(&config);
  float e = w->extent + 2;
  btAxisSweep3 sweep(btVector3(-2, -2, -2), btVector3(e, e, e),
                     static_cast<unsigned short>(w->count + 1));
  std::vector<btBroadphaseProxy*> proxies;
  for (int i = 0; i < w->count; ++i) {
    btVector3 at(w->positions[0][3 * i], w->positions[0][3 * i + 1], w->positions[0][3 * i + 2]);
    btVector3 half(w->sizes[i] / 2, w->sizes[i] / 2, w->sizes[i] / 2);
    proxies.push_back(sweep.createProxy(at - half, at + half, BOX_SHAPE_PROXYTYPE, nullptr, 1, 1,
                                        &dispatcher));
  }
  long pairs = 0;
  int frame = 0;
  for (auto _ : state) {
    const std::vector<float>& p = w->positions[frame];
    for (int i = 0; i < w->count; ++i) {
      btVector3 at(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
      btVector3 half(w->sizes[i] / 2, w->sizes[i] / 2, w->sizes[i] / 2);
      sweep.setAabb(proxies[i], at - half, at + half, &dispatcher);
    }
    sweep.calculateOverlappingPairs(&dispatcher);
    btOverlappingPairCache* cache = sweep.getOverlappingPairCache();
    if (frame == 0) pairs = cache->getNumOverlappingPairs();
    btBroadphasePair* array = cache->getOverlappingPairArrayPtr();
    benchmark::DoNotOptimize(array);
    frame = (frame + 1) % kFrames;
  }
  g_pairCounts[Label("bullet", w->count)] = pairs;
  state.counters["pairs"] = static_cast<double>(pairs);
  for (btBroadphaseProxy* proxy : proxies) sweep.destroyProxy(proxy, &dispatcher);
}
#endif

#ifdef HALBERD_BENCH_ODE
void CountPair(void* data, dGeomID, dGeomID) { ++*static_cast<long*>(data); }

void RunOde(benchmark::State& state, const Workload* w) {
  dSpaceID space = dSweepAndPruneSpaceCreate(nullptr, dSAP_AXES_XYZ);
  std::vector<dGeomID> geoms;
  for (int i = 0; i < w->count; ++i)
    geoms.push_back(dCreateBox(space, w->sizes[i], w->sizes[i], w->sizes[i]));
  long pairs = 0;
  int frame = 0;
  for (auto _ : state) {
    const std::vector<float>& p = w->positions[frame];
    for (int i = 0; i < w->count; ++i) dGeomSetPosition(geoms[i], p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    long found = 0;
    dSpaceCollide(space, &found, CountPair);
    if (frame == 0) pairs = found;
    frame = (frame + 1) % kFrames;
  }
  g_pairCounts[Label("ode", w->count)] = pairs;
  state.counters["pairs"] = static_cast<double>(pairs);
  dSpaceDestroy(space);  // destroys its geoms
}
#endif

}  // namespace

int main(int argc, char** argv) {
  MeSetInfoOutput(MeOutputNull);
  const int counts[] = {100, 400, 2000};
  for (int n : counts) {
    Workload* w = &(Workloads()[n] = MakeWorkload(n));
    benchmark::RegisterBenchmark(Label("halberd_McdSpaceUpdate", n).c_str(), RunHalberd, w)
        ->Unit(benchmark::kMicrosecond);
#ifdef HALBERD_BENCH_BULLET
    benchmark::RegisterBenchmark(Label("bullet_btAxisSweep3", n).c_str(), RunBullet, w)
        ->Unit(benchmark::kMicrosecond);
#endif
#ifdef HALBERD_BENCH_ODE
    benchmark::RegisterBenchmark(Label("ode_SweepAndPrune", n).c_str(), RunOde, w)
        ->Unit(benchmark::kMicrosecond);
#endif
  }
  physics_bench::RatioReporter reporter;
  physics_bench::RunWithRatios(&argc, argv, &reporter);

  std::printf("\n%-7s %14s %14s %14s %12s %12s   %s\n", "boxes", "halberd us", "bullet us",
              "ode us", "bullet/ours", "ode/ours", "pairs in the first frame (ours/bullet/ode)");
  for (int n : counts) {
    auto get = [&](const char* name) { return reporter.Time(Label(name, n)); };
    double ours = get("halberd_McdSpaceUpdate");
    double bullet = get("bullet_btAxisSweep3");
    double ode = get("ode_SweepAndPrune");
    std::printf("%-7d %14.2f %14.2f %14.2f %12.2f %12.2f   %ld/%ld/%ld\n", n, ours, bullet, ode,
                ours > 0 && bullet > 0 ? bullet / ours : 0.0, ours > 0 && ode > 0 ? ode / ours : 0.0,
                g_pairCounts[Label("halberd", n)], g_pairCounts[Label("bullet", n)],
                g_pairCounts[Label("ode", n)]);
  }
  physics_bench::OdeClose();
  return 0;
}
