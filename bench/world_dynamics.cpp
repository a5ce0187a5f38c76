// A level frame of physics: 10 cars and 5 tanks driving and 100 crates lying
// on the generated level's bumpy terrain, stepped once a frame (20 ms).
// Reports milliseconds of physics per frame and the share of it spent
// gathering the environment's polygons for the terrain collider.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "world/dynamics/car_dynamics.h"
#include "world/dynamics/dynamics_fixture.h"
#include "world/dynamics/simple_dynamics.h"
#include "world/dynamics/tank_dynamics.h"
#include "world/dynamics/terrain_collider.h"

namespace {

struct Traffic {
  std::unique_ptr<dyn_fixture::Level> level;
  DynCarData carRecord = dyn_fixture::CarRecord();
  DynTankData tankRecord = dyn_fixture::TankRecord();
  DynSimpleData crateRecord = dyn_fixture::CrateRecord(60.0f, 10.0f);
  std::vector<std::unique_ptr<CCarDynamics>> cars;
  std::vector<std::unique_ptr<CTankDynamics>> tanks;
  std::vector<std::unique_ptr<CSimpleDynamics>> crates;
  int added = 0;

  Traffic() {
    dyn_fixture::Options o;
    o.terrainTiles = 6;  // 60 m square, flat round the rooms and bumpy beyond
    o.capacity = 128;
    level = dyn_fixture::MakeLevel(o);
    // Cars in a row along the south, driving north and turning gently.
    for (int i = 0; i < 10; ++i) {
      const float x = -2500.0f + 500.0f * static_cast<float>(i), z = -2600.0f;
      Place(x, z, [&](float* at, const float* angles) {
        auto car = std::make_unique<CCarDynamics>();
        DynCarData record = carRecord;
        for (int w = 0; w < record.wheelCount; ++w) record.wheels[w].instance = level->Instance({x, at[1], z});
        if (!car->Init(at, angles, level->Instance({x, at[1], z}), record)) return;
        car->SetThrottle(1.0f);
        car->SetSteering(i % 2 ? 0.2f : -0.2f);
        added += level->physics->AddObject(car.get());
        cars.push_back(std::move(car));
      });
    }
    // Tanks to the west, driving with unequal tracks.
    for (int i = 0; i < 5; ++i) {
      const float x = -2600.0f, z = -1200.0f + 600.0f * static_cast<float>(i);
      Place(x, z, [&](float* at, const float* angles) {
        auto tank = std::make_unique<CTankDynamics>();
        DynTankData record = tankRecord;
        for (int w = 0; w < record.wheelCount; ++w) record.wheels[w].instance = level->Instance({x, at[1], z});
        for (CEnvInstance*& t : record.trackInstances) t = level->Instance({x, at[1], z});
        if (!tank->Init(at, angles, level->Instance({x, at[1], z}), record)) return;
        tank->SetTrackDrive(1.0f, 0.6f);
        added += level->physics->AddObject(tank.get());
        tanks.push_back(std::move(tank));
      });
    }
    // A 10 x 10 field of crates to the north-east, dropped from just above the ground.
    for (int i = 0; i < 100; ++i) {
      const float x = 1200.0f + 120.0f * static_cast<float>(i % 10), z = 1200.0f + 120.0f * static_cast<float>(i / 10);
      Place(x, z, [&](float* at, const float* angles) {
        auto crate = std::make_unique<CSimpleDynamics>();
        if (!crate->Init(at, angles, level->Instance({x, at[1], z}), crateRecord)) return;
        added += level->physics->AddObject(crate.get());
        crates.push_back(std::move(crate));
      });
    }
  }

  ~Traffic() {
    for (auto& c : cars) level->physics->RemoveObject(c.get());
    for (auto& t : tanks) level->physics->RemoveObject(t.get());
    for (auto& c : crates) level->physics->RemoveObject(c.get());
  }

  template <class Make>
  void Place(float x, float z, Make make) {
    const float ground = level->GroundBelow(x, 2000.0f, z);
    float at[3] = {x, (ground > -1e8f ? ground : 0.0f) + 90.0f, z};
    const float angles[3] = {0, 0, 0};
    make(at, angles);
  }
};

void BM_LevelPhysicsFrame(benchmark::State& state) {
  Traffic traffic;
  if (traffic.added != 115) {
    state.SkipWithError("not every object joined the physics world");
    return;
  }
  traffic.level->Run(50, 20);  // settle on springs and ground
  TerrainGatherStats& stats = TerrainStats();
  stats = TerrainGatherStats{};
  stats.Timing = true;
  std::uint64_t frameNanoseconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    traffic.level->Run(1, 20);
    frameNanoseconds += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
  }
  stats.Timing = false;
  const double frames = static_cast<double>(state.iterations());
  state.counters["physics_ms_per_frame"] = static_cast<double>(frameNanoseconds) * 1e-6 / frames;
  state.counters["terrain_gather_share"] =
      frameNanoseconds ? static_cast<double>(stats.Nanoseconds) / static_cast<double>(frameNanoseconds) : 0.0;
  state.counters["terrain_queries_per_frame"] = static_cast<double>(stats.Queries) / frames;
  state.counters["terrain_triangles_per_frame"] = static_cast<double>(stats.Triangles) / frames;
}
BENCHMARK(BM_LevelPhysicsFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
