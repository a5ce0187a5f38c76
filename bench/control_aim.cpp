// One frame of aiming for four local players on the demo level: each
// player's aim line (9000 units along the view) and camera constraint (two
// players upright: the pull-in behind the soldier and the final check; two
// crouched: the ground probe under the camera and the final check).  The
// yardstick is the world library's raw line query (LineOfSight) over the same
// segments in the same run: the least the two steps can cost.  Goal: within
// 1.2x of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_timing.h"
#include "demo_level_folder.h"
#include "control/aim/aim_line.h"
#include "control/player_camera.h"
#include "foundation/files/catalog.h"
#include "platform/win32/message_box.h"
#include "render/geometry/geometry_ops.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "shell/level_load.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/space/world_hit.h"

using namespace geom;

namespace {

constexpr int kPlayers = 4;
constexpr float kLookDown = 100000.0f;

struct Player {
  CEnvInstance instance;
  std::unique_ptr<CHLO> soldier;
  std::unique_ptr<CPlayerCamera> camera;
  PlayerCameraTargetState state;
  CVector3 proposed{};  // the chase position the movie camera proposes
  CVector3 eye{};
};

Player g_players[kPlayers];

bool ReadSoldier(CHLO* target, int, PlayerCameraTargetState* out) {
  for (Player& p : g_players)
    if (p.soldier.get() == target) {
      *out = p.state;
      return true;
    }
  return false;
}

struct DemoLevel {
  CTextureManager textures;
  CMaterialList materials;
  EnvWaypointList waypoints;
  std::unique_ptr<CEnvironment> env;
  std::string error;

  DemoLevel() {
    error = bench::EnterDemoLevelFolder(HALBERD_DEMO_LEVEL_DIR);
    if (!error.empty()) return;
    g_EnvWaypoints = &waypoints;
    env = std::make_unique<CEnvironment>(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
    LevelLoadReport report;
    if (!LoadDemoLevel(env.get(), nullptr, &report) || !report.octrees) {
      error = "the demo level did not load";
      return;
    }
    SetPlayerCameraTargetReader(ReadSoldier);
    // Four soldiers on the ground in front of the buildings, facing north,
    // two upright and two crouched.
    for (int i = 0; i < kPlayers; ++i) {
      Player& p = g_players[i];
      const float x = -900.0f + 600.0f * static_cast<float>(i), z = -400.0f;
      WorldHit ground{};
      const float y = env->ProbeDown(x, z, &ground) != 0 ? ground.Point.y : 0.0f;
      HLOSpawnRecord r;
      r.Init();
      r.kind = HLO_GRUNT;
      CEnvironment* saved = g_Environment;
      g_Environment = nullptr;  // no visual of its own: it gets the bench's instance
      p.soldier = std::make_unique<CHLO>(r, nullptr);
      g_Environment = saved;
      p.instance.WorldMatrix.SetIdentity();
      p.instance.WorldMatrix.SetTranslation({x, y, z});
      p.soldier->Instance = &p.instance;
      p.state.Soldier = true;
      p.state.MovementClass = i < 2 ? 0 : 1;
      p.state.Joint19 = {x, y + 160.0f, z};
      p.eye = p.state.Joint19;
      p.proposed = {x - 20.0f, y + 150.0f, z + 300.0f};
      p.camera = std::make_unique<CPlayerCamera>(nullptr, i, -1);
      p.camera->SetTarget(p.soldier.get());
    }
  }
  ~DemoLevel() {
    SetPlayerCameraTargetReader(nullptr);
    for (Player& p : g_players) {
      p.camera.reset();
      p.soldier.reset();
    }
  }
};

DemoLevel* g_level = nullptr;

// The game's steps: the aim line and the constraint of each player.
float GameFrame() {
  float sum = 0.0f;
  for (Player& p : g_players) {
    AimLineResult aim;
    CastAimLine(p.proposed, p.eye - p.proposed + CVector3{0, 0, -1000.0f}, &p.instance, nullptr, p.eye, true, &aim);
    CVector3 position = p.proposed, target = p.eye;
    p.camera->Constrain(&position, &target);
    sum += aim.Distance + position.z;
  }
  return sum;
}

// The same segments through the raw query.
bool Blocked(const CVector3& a, const CVector3& b, CVector3* at) {
  return g_Environment->LineOfSight(nullptr, a, b, at, nullptr, 0, nullptr) == 0;
}

float RawFrame() {
  float sum = 0.0f;
  for (Player& p : g_players) {
    CVector3 at{};
    const CVector3 direction = Unit(p.eye - p.proposed + CVector3{0, 0, -1000.0f});
    if (Blocked(p.proposed, p.proposed + direction * kAimLineLength, &at)) sum += at.z;
    CVector3 start{};
    p.instance.GetPosition(&start);
    CVector3 position = p.proposed;
    if (p.state.MovementClass == 0) {
      const CVector3 point = start + CVector3{0.0f, 50.0f, 0.0f};
      CVector3 camera = point + CVector3{0.0f, 0.0f, 400.0f};
      if (Blocked(point, camera, &at)) camera = at;
      position = camera;
      start = point;
    } else {
      start = start + CVector3{25.0f, 40.0f, 0.0f};
      if (Blocked(position, position - CVector3{0.0f, kLookDown, 0.0f}, &at) && position.y < at.y + 50.0f)
        position.y = at.y + 50.0f;
    }
    if (Blocked(start, position, &at)) position = at;
    sum += position.z;
  }
  return sum;
}

void BM_RawLineQueries(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RawFrame());
}
void BM_AimAndCameraFourPlayers(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GameFrame());
}
BENCHMARK(BM_RawLineQueries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AimAndCameraFourPlayers)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  DemoLevel level;
  if (!level.error.empty()) {
    std::fprintf(stderr, "control_aim: %s\n", level.error.c_str());
    return 1;
  }
  g_level = &level;
  benchmark::RunSpecifiedBenchmarks();
  constexpr int kFrames = 2000;
  const double raw = bench::BestSeconds(
      [] {
        for (int f = 0; f < kFrames; ++f) benchmark::DoNotOptimize(RawFrame());
      },
      5);
  const double ours = bench::BestSeconds(
      [] {
        for (int f = 0; f < kFrames; ++f) benchmark::DoNotOptimize(GameFrame());
      },
      5);
  std::printf("aim line and camera constraint, %d players: %.2f us a player; raw line queries %.2f us a player; "
              "ratio %.2f (goal <= 1.2)\n",
              kPlayers, ours / kFrames / kPlayers * 1e6, raw / kFrames / kPlayers * 1e6, ours / raw);
  g_level = nullptr;
  return 0;
}
