// A level frame of physics: 10 cars and 5 tanks driving and 100 crates lying
// on a level's terrain, stepped once a frame (20 ms): on the demo level (its
// hills, buildings and trees, with the demo vehicles' own tuning files), and
// on the generated test level's larger bumpy terrain.  Reports milliseconds
// of physics per frame and the share of it spent gathering the
// environment's polygons for the terrain collider.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/dynamics/dynamic_data.h"
#include "world/dynamics/dynamics_world.h"
#include "world/environment/env_file.h"
#include "world/environment/env_object.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"
#include "shell/level_load.h"
#include "demo_level_folder.h"

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

// Steps the world frame by frame inside the timed loop and reports the
// physics time a frame and the terrain gathering's share of it.
template <class Step>
void MeasureFrames(benchmark::State& state, Step step) {
  TerrainGatherStats& stats = TerrainStats();
  stats = TerrainGatherStats{};
  stats.Timing = true;
  std::uint64_t frameNanoseconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    step();
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

void BM_LevelPhysicsFrame(benchmark::State& state) {
  Traffic traffic;
  if (traffic.added != 115) {
    state.SkipWithError("not every object joined the physics world");
    return;
  }
  traffic.level->Run(50, 20);  // settle on springs and ground
  MeasureFrames(state, [&] { traffic.level->Run(1, 20); });
}
BENCHMARK(BM_LevelPhysicsFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

// The demo level as the data tools made it, loaded as the program loads it, with 10
// cars, 5 tanks and 100 crates of its own tuning files placed on the open
// ground in front of the buildings and the crates in a field beside them.
struct DemoTraffic {
  std::filesystem::path previousFolder = std::filesystem::current_path();
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  std::unique_ptr<CEnvironment> env;
  CEnvObject* marker = nullptr;
  CEnvInstance* ground = nullptr;
  CDynamicData cache;
  std::unique_ptr<CDynamicsWorld> physics;
  std::vector<DynCarData> carRecords;
  std::vector<DynTankData> tankRecords;
  std::vector<std::unique_ptr<CCarDynamics>> cars;
  std::vector<std::unique_ptr<CTankDynamics>> tanks;
  std::vector<std::unique_ptr<CSimpleDynamics>> crates;
  std::uint32_t clockMs = 0;
  int added = 0;
  std::string error;

  DemoTraffic() {
    error = bench::EnterDemoLevelFolder(HALBERD_DEMO_LEVEL_DIR);
    if (!error.empty()) return;
    // The level as the program loads it: the same section readers and hooks,
    // and its octrees built or read as the program's switches say.
    g_EnvWaypoints = &waypoints;
    env = std::make_unique<CEnvironment>(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
    LevelLoadReport report;
    const bool whole = LoadDemoLevel(env.get(), nullptr, &report);
    // The hook and the working folder again, as they were before the load.
    SetMessageBoxHook(bench::AnswerOk, nullptr);
    std::error_code failed;
    std::filesystem::current_path(HALBERD_DEMO_LEVEL_DIR, failed);
    if (!whole || !report.octrees) {
      error = "the demo level did not load (sections failed: " + std::to_string(report.file.failedSections) +
              ", structure " + std::to_string(report.file.structureFailed) + " at line " +
              std::to_string(report.file.failedLine) + ", instances " + std::to_string(report.file.instanceRecords) +
              ", octrees " + (report.octrees ? "ready" : "missing") + ")";
      return;
    }
    ground = env->FindInstanceByName("Ground");
    DynCarData* car = cache.GetCar("DemoCar");
    DynTankData* tank = cache.GetTank("DemoTank");
    DynSimpleData* crate = cache.GetSimple("DemoCrate");
    if (ground == nullptr || car == nullptr || tank == nullptr || crate == nullptr) {
      error = "the demo level lacks its ground or its vehicles' tuning files";
      return;
    }
    // Moved instances take a template without polygons, so that the terrain
    // collider meets the level only.
    marker = new CEnvObject;
    marker->TemplateKind = OTYPE_ENV;
    env->AddObject(marker);
    physics = std::make_unique<CDynamicsWorld>(128);
    carRecords.reserve(10);
    tankRecords.reserve(5);
    const float angles[3] = {0, 0, 0};
    // Cars in a row across the south, driving north and turning gently.
    for (int i = 0; i < 10; ++i) {
      const CVector3 at = Lifted(-1350.0f + 300.0f * static_cast<float>(i), -1500.0f, 90.0f);
      carRecords.push_back(*car);
      DynCarData& own = carRecords.back();
      for (int w = 0; w < own.wheelCount; ++w) own.wheels[w].instance = Instance(at);
      auto c = std::make_unique<CCarDynamics>();
      if (!c->Init(&at.x, angles, Instance(at), own)) continue;
      c->SetThrottle(1.0f);
      c->SetSteering(i % 2 ? 0.2f : -0.2f);
      added += physics->AddObject(c.get());
      cars.push_back(std::move(c));
    }
    // Tanks in a row behind the pillar, with unequal tracks.
    for (int i = 0; i < 5; ++i) {
      const CVector3 at = Lifted(-1200.0f + 600.0f * static_cast<float>(i), -1000.0f, 60.0f);
      tankRecords.push_back(*tank);
      DynTankData& own = tankRecords.back();
      for (int w = 0; w < own.wheelCount; ++w) own.wheels[w].instance = Instance(at);
      for (CEnvInstance*& t : own.trackInstances) t = Instance(at);
      auto t = std::make_unique<CTankDynamics>();
      if (!t->Init(&at.x, angles, Instance(at), own)) continue;
      t->SetTrackDrive(1.0f, 0.6f);
      added += physics->AddObject(t.get());
      tanks.push_back(std::move(t));
    }
    // A 10 x 10 field of crates east of the east building, dropped from just above the ground.
    for (int i = 0; i < 100; ++i) {
      const CVector3 at =
          Lifted(850.0f + 90.0f * static_cast<float>(i % 10), 700.0f + 90.0f * static_cast<float>(i / 10), 40.0f);
      auto c = std::make_unique<CSimpleDynamics>();
      if (!c->Init(&at.x, angles, Instance(at), *crate)) continue;
      added += physics->AddObject(c.get());
      crates.push_back(std::move(c));
    }
  }

  ~DemoTraffic() {
    if (physics) {
      for (auto& c : cars) physics->RemoveObject(c.get());
      for (auto& t : tanks) physics->RemoveObject(t.get());
      for (auto& c : crates) physics->RemoveObject(c.get());
    }
    cars.clear();
    tanks.clear();
    crates.clear();
    physics.reset();
    env.reset();
    g_EnvWaypoints = nullptr;
    CatalogShutdown();
    SetMessageBoxHook(nullptr, nullptr);
    std::error_code ignored;
    std::filesystem::current_path(previousFolder, ignored);
  }

  // The point `lift` above the level's ground at (x, z).
  CVector3 Lifted(float x, float z, float lift) {
    WorldHit hit{};
    const float y = env->ProbeVertical({x, 0, z}, 2000.0f, &hit, false) == 1 ? hit.Point.y : 0.0f;
    return {x, y + lift, z};
  }
  CEnvInstance* Instance(const CVector3& at) {
    CEnvInstance* i = env->CreateInstance(nullptr, marker, at, {0, 0, 0}, nullptr, 0, 0);
    ground->AttachChild(i);
    return i;
  }
  void Run(int steps) {
    for (int i = 0; i < steps; ++i) physics->StepAt(clockMs += 20);
  }
};

void BM_DemoLevelPhysicsFrame(benchmark::State& state) {
  DemoTraffic traffic;
  if (!traffic.error.empty()) {
    state.SkipWithError(traffic.error.c_str());
    return;
  }
  if (traffic.added != 115) {
    state.SkipWithError("not every object joined the physics world");
    return;
  }
  traffic.Run(50);  // settle on springs and ground
  MeasureFrames(state, [&] { traffic.Run(1); });
}
BENCHMARK(BM_DemoLevelPhysicsFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
