// Soldiers in the units demo level, loaded as the level tests load it (the
// engine on the offscreen device, the game's modules, the factory, the stats
// tables, the rule files, the animation slots of "Units.loa", the
// environment and the units' level steps), with the clocks on a fixed 33 ms
// step.
//
// BM_IdleFrame/N/P: one world frame (the engine's world step, which updates
// every active object and advances the animation channels, then the update
// scheduler) with N soldiers idling on the ground besides the level's own
// eleven; with P = 1 every soldier's pose is evaluated as well, as the draw
// pass does for the soldiers in view.  The shares of a 16.7 ms frame are
// printed.  Drawing itself is left out: it is the renderer's.
// BM_GroundSteps: the per-frame ground steps of 200 soldiers on the slope of
// the level's south-west, half of them lying: the collision shape by
// posture, the step-over lift (walking north) and the body ground fit of the
// lying ones.  Printed as a share of the 16.7 ms frame (goal: under 3 ms
// for the whole soldier frame) and against the limit, the world's own line
// queries that the fits of the same soldiers make, run bare.
// BM_MakeSoldier: making one soldier through the object manager and the
// factory in the loaded level (construction, asset binding, activation),
// which is what each soldier adds to a level's load.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/time/timer.h"
#include "game_engine_bench.h"
#include "platform/win32/window.h"
#include "units/base/hlo_scheduler.h"
#include "units/soldier/grunt.h"
#include "units/units_loader_fixture.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

int g_boxes = 0;
int CountBox(HWND, const char*, const char*, UINT, void*) {
  ++g_boxes;
  return IDOK;
}

struct Level {
  bench::GameEngine engine;
  bool level = false;

  bool Open() {
    if (!engine.Open("halberd_bench_units_soldiers", 640, 480)) return false;
    UnitsLevelLoad load;
    std::string error;
    level = LoadUnitsLevel(&load, CountBox, nullptr, &error);
    if (!level) {
      std::fprintf(stderr, "units level: %s\n", error.c_str());
      return false;
    }
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
    EngineRunClocks(1);
    return true;
  }
  void Close() {
    if (level) UnloadUnitsLevel();
    engine.Close();
  }
};

Level g_level;

// Soldier i of a 20 x 10 grid on the open ground south of the houses.
HLOSpawnRecord GridRecord(int i) {
  static const char* const kinds[] = {"EnemyGuard", "SquadRifleman", "SquadSniper", "Prisoner"};
  HLOSpawnRecord r;
  r.Init();
  std::snprintf(r.statsName, sizeof r.statsName, "%s", kinds[i % 4]);
  std::snprintf(r.objectName, sizeof r.objectName, "GruntBoxMan");
  std::snprintf(r.templateName, sizeof r.templateName, "GruntBoxMan");
  r.templateKind = -1;  // the template's own type: an animated figure
  r.statsTable = 1;
  r.side = static_cast<std::uint8_t>(1 + i % 3);
  r.position = {-1400.0f + 140.0f * static_cast<float>(i % 20), 0.0f, -1450.0f + 95.0f * static_cast<float>(i / 20 % 10)};
  r.objectFlags = HLOF_ACTIVE;
  return r;
}

CHLO* MakeSoldier(int i) {
  HLOSpawnRecord r = GridRecord(i);
  CHLO* o = g_HLOManager->CreateObject(r);
  if (o != nullptr) g_HLOManager->ActivateObject(o);
  return o;
}

std::vector<CHLOGrunt*> AllSoldiers() {
  std::vector<CHLOGrunt*> out;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (CHLO* o = g_HLOManager->FirstActive(side, HLO_GRUNT); o != nullptr; o = o->Next)
      out.push_back(static_cast<CHLOGrunt*>(o));
  return out;
}

void Frame(const std::vector<CHLOGrunt*>* posed) {
  EngineFrameStep();
  g_HLOScheduler->Update();
  if (posed == nullptr) return;
  for (CHLOGrunt* s : *posed) {
    if (CAnimObject* anim = s->GetAnimObject()) {
      anim->InvalidatePose();
      anim->EvaluatePose();
    }
  }
}

// Frame times (ms) by [extra soldiers > 0][posed].
double g_frameMs[2][2] = {};
// The ground steps of 200 soldiers and their bare line queries (ms a frame).
double g_groundMs = 0.0, g_groundLimitMs = 0.0;

void BM_IdleFrame(benchmark::State& state) {
  const int extra = static_cast<int>(state.range(0));
  const bool posed = state.range(1) != 0;
  std::vector<CHLO*> made;
  for (int i = 0; i < extra; ++i) made.push_back(MakeSoldier(i));
  g_HLOScheduler->ResetCursors();
  const std::vector<CHLOGrunt*> soldiers = AllSoldiers();
  const std::vector<CHLOGrunt*>* pose = posed ? &soldiers : nullptr;
  for (int i = 0; i < 30; ++i) Frame(pose);  // a second into the idles
  for (auto _ : state) Frame(pose);
  state.counters["soldiers"] = static_cast<double>(soldiers.size());
  int animated = 0;
  for (CHLOGrunt* s : soldiers) animated += s->GetAnimObject() != nullptr && s->GetAnimObject()->GetChannelSet(0) != nullptr;
  state.counters["animated"] = animated;
  for (CHLO* o : made)
    if (o != nullptr) g_HLOManager->DeleteObject(o);
  g_HLOScheduler->ResetCursors();

}

void BM_MakeSoldier(benchmark::State& state) {
  std::vector<CHLO*> made;
  int i = 0;
  for (auto _ : state) {
    made.push_back(MakeSoldier(i++));
    if (made.size() == 200) {
      state.PauseTiming();
      for (CHLO* o : made)
        if (o != nullptr) g_HLOManager->DeleteObject(o);
      made.clear();
      state.ResumeTiming();
    }
  }
  for (CHLO* o : made)
    if (o != nullptr) g_HLOManager->DeleteObject(o);
}

void GroundSteps(const std::vector<CHLOGrunt*>& soldiers) {
  for (CHLOGrunt* s : soldiers) {
    s->UpdateCollisionShape();
    s->moveController.Target.y = 0.0f;  // the ground step would spend a lift
    s->TryStepOver({0.0f, 0.0f, 1.0f});
    if (s->GetMovementClass() == MCLASS_LYING) s->FitBodyToGround();
  }
}

// The bare line queries of the lying soldiers' fits: from 50 above each of
// three points straight down 125, and from the raised centre to each point.
int LineQueries(const std::vector<CHLOGrunt*>& soldiers) {
  int clear = 0;
  for (CHLOGrunt* s : soldiers) {
    if (s->GetMovementClass() != MCLASS_LYING) continue;
    const CVector3 p = s->GetPosition();
    const CVector3 raised{p.x, p.y + 50.0f, p.z};
    const CVector3 points[3] = {{p.x, p.y, p.z - 90.0f}, {p.x - 40.0f, p.y, p.z + 100.0f}, {p.x + 40.0f, p.y, p.z + 100.0f}};
    for (const CVector3& q : points) {
      CVector3 at{};
      WorldHit* hit = nullptr;
      clear += g_Environment->LineOfSight(s->GroundRoot, raised, q, &at, &hit, 0, nullptr);
      clear += g_Environment->LineOfSight(s->GroundRoot, {q.x, q.y + 50.0f, q.z}, {q.x, p.y - 75.0f, q.z}, &at, &hit, 0, nullptr);
    }
  }
  return clear;
}

void BM_GroundSteps(benchmark::State& state) {
  std::vector<CHLO*> made;
  for (int i = 0; i < 200; ++i) made.push_back(MakeSoldier(i));
  std::vector<CHLOGrunt*> soldiers;
  for (std::size_t i = 0; i < made.size(); ++i) {
    if (made[i] == nullptr) continue;
    auto* s = static_cast<CHLOGrunt*>(made[i]);
    s->moveController.GroundWord = 1;
    if (i % 2 == 0) s->SetMovementState(MS_PRONE);
    soldiers.push_back(s);
  }
  for (auto _ : state) GroundSteps(soldiers);
  // The limit, over as many frames.
  const auto start = std::chrono::steady_clock::now();
  int sink = 0;
  for (benchmark::IterationCount i = 0; i < state.iterations(); ++i) sink += LineQueries(soldiers);
  benchmark::DoNotOptimize(sink);
  const double limitMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
                         static_cast<double>(state.iterations());
  state.counters["soldiers"] = static_cast<double>(soldiers.size());
  state.counters["limit_ms"] = limitMs;
  g_groundLimitMs = limitMs;
  for (CHLO* o : made)
    if (o != nullptr) g_HLOManager->DeleteObject(o);
  g_HLOScheduler->ResetCursors();
}

BENCHMARK(BM_IdleFrame)->Args({0, 0})->Args({200, 0})->Args({0, 1})->Args({200, 1})->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_GroundSteps)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_MakeSoldier)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();

// Reports the idle frames' share of a 60 Hz frame after the tables.
class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.benchmark_name().rfind("BM_GroundSteps", 0) == 0) g_groundMs = r.GetAdjustedRealTime();
      if (r.benchmark_name().rfind("BM_IdleFrame/", 0) != 0) continue;
      const std::string& name = r.benchmark_name();
      const bool many = name.find("/200/") != std::string::npos;
      const bool posed = name.find("/1/") != std::string::npos;
      g_frameMs[many ? 1 : 0][posed ? 1 : 0] = r.GetAdjustedRealTime();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!g_level.Open()) {
    std::fprintf(stderr, "the units level could not be loaded for the benchmark\n");
    g_level.Close();
    return 1;
  }
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int posed = 0; posed < 2; ++posed) {
    const double few = g_frameMs[0][posed], many = g_frameMs[1][posed];
    if (many <= 0) continue;
    const char* what = posed ? "world frame with the poses" : "world frame";
    std::printf("%s, 11 soldiers: %.3f ms (%.1f%% of 16.7 ms)\n", what, few, 100.0 * few / 16.7);
    std::printf("%s, 211 soldiers: %.3f ms (%.1f%% of 16.7 ms); %.2f us a soldier\n", what, many,
                100.0 * many / 16.7, 1000.0 * (many - few) / 200.0);
  }
  if (g_groundMs > 0 && g_groundLimitMs > 0)
    std::printf("ground steps of 200 soldiers: %.3f ms (%.1f%% of 16.7 ms); bare line queries %.3f ms; ratio %.2f\n",
                g_groundMs, 100.0 * g_groundMs / 16.7, g_groundLimitMs, g_groundMs / g_groundLimitMs);
  if (g_boxes != 0) std::printf("message boxes while loading and running: %d\n", g_boxes);
  g_level.Close();
  benchmark::Shutdown();
  return 0;
}
