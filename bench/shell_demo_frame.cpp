// The demo level's frame as the program runs it: the engine started through
// the game's device callback, the game modules, the demo level in the
// engine's environment, the clocks on a fixed 1/30 s step; each frame is
// the world step, the draw pass of viewport 0's camera (instances, lights,
// transparent queue, particles) and the present, then a pixel read back so
// that the software renderer has finished the frame inside the timed part.
//
// Besides the time a frame, the run reports the time of each part, the
// device calls of one frame (draw calls and state changes, from the device's
// call log) and the device's share of the frame: at least the present and
// read-back, at most those and the whole draw pass (which also holds the
// engine's own culling and light choice).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "foundation/time/timer.h"
#include "game_engine_bench.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "render/device/render.h"
#include "shell/demo_actors.h"
#include "shell/demo_level.h"
#include "shell/engine_frame_loop.h"
#include "shell/engine_life_cycle.h"
#include "world/engine.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Parts {
  double world = 0, draw = 0, present = 0;
};

struct Level {
  bench::GameEngine engine;
  bool level = false;

  bool Open() {
    if (!engine.Open("halberd_bench_demo_frame", 800, 600)) return false;
    level = true;  // what did load stays until EndDemoLevel
    if (!StartDemoLevel(nullptr)) return false;
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
    EngineRunClocks(1);
    return true;
  }
  void Close() {
    if (level) EndDemoLevel();
    engine.Close();
  }
};

Level g_level;

double Since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// One frame as the program's loop runs it (without the text line), timed by part.
void Frame(Parts* parts) {
  const Clock::time_point start = Clock::now();
  EngineFrameStep();
  UpdateDemoActors();
  EngineApplyView(0);
  const Clock::time_point drawn = Clock::now();
  CRender* r = g_Render;
  benchmark::DoNotOptimize(DrawLevelFrame());
  r->EndScene();
  const Clock::time_point presented = Clock::now();
  r->Present();
  benchmark::DoNotOptimize(D3D8TestReadPixel(g_Device, 400, 300));
  if (parts != nullptr) {
    parts->world += std::chrono::duration<double, std::milli>(drawn - start).count();
    parts->draw += std::chrono::duration<double, std::milli>(presented - drawn).count();
    parts->present += Since(presented);
  }
}

bool IsDraw(const std::string& m) { return m.rfind("Draw", 0) == 0; }
bool IsStateChange(const std::string& m) {
  static const char* const kStates[] = {"SetRenderState", "SetTextureStageState", "SetTexture", "SetTransform",
                                        "SetMaterial",    "SetLight",             "LightEnable", "SetVertexShader",
                                        "SetPixelShader", "SetStreamSource",      "SetIndices",  "SetViewport"};
  for (const char* s : kStates)
    if (m == s) return true;
  return false;
}

double g_FrameMs = 0;

void BM_DemoLevelFrame(benchmark::State& state) {
  // A second into the level: the flight is under way, the emitters smoke.
  for (int i = 0; i < 30; ++i) Frame(nullptr);
  Parts parts;
  for (auto _ : state) Frame(&parts);
  const double n = static_cast<double>(state.iterations());
  const double total = parts.world + parts.draw + parts.present;
  state.counters["world_ms"] = parts.world / n;
  state.counters["draw_ms"] = parts.draw / n;
  state.counters["present_ms"] = parts.present / n;
  state.counters["device_share_min"] = total > 0 ? parts.present / total : 0;
  state.counters["device_share_max"] = total > 0 ? (parts.draw + parts.present) / total : 0;
  // One more frame with the call log on (outside the timing).
  D3D8TestRecordCalls(g_Device, true);
  Frame(nullptr);
  int draws = 0, states = 0;
  for (const D3D8Call& c : D3D8TestCalls(g_Device)) {
    draws += IsDraw(c.method);
    states += IsStateChange(c.method);
  }
  D3D8TestRecordCalls(g_Device, false);
  state.counters["draw_calls"] = draws;
  state.counters["state_changes"] = states;
  g_FrameMs = total / n;
}

BENCHMARK(BM_DemoLevelFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!g_level.Open()) {
    std::fprintf(stderr, "the demo level could not be started for the benchmark\n");
    g_level.Close();
    return 1;
  }
  std::printf("%ux%u, %s\n", g_Render->GetModeWidth(), g_Render->GetModeHeight(), g_Render->GetAdapterDescription());
  benchmark::RunSpecifiedBenchmarks();
  if (g_FrameMs > 0)
    std::printf("demo level frame at %ux%u: %.2f ms (goal: under 16.7 ms, %s)\n", g_Render->GetModeWidth(),
                g_Render->GetModeHeight(), g_FrameMs, g_FrameMs < 16.7 ? "met" : "missed");
  g_level.Close();
  benchmark::Shutdown();
  return 0;
}
