// The game's frame and level change, headless on the offscreen driver, over
// the demo level loaded through its load list ("-d Demo.loa": catalogs).
//
// Frame: the in-game frame's steps before its render (InGameFrameUpdate:
// every step in its order) against the subsystems' own work of those steps
// done directly (the engine's frame step and the sound manager's update);
// the difference is the shell's share a frame.  Goal: under 0.1 ms.  (The
// render is left out of both: the software rasterizer's draw and present
// vary by more than that from frame to frame.)  The whole frame's time, with
// its render, is reported beside.
//
// Level change: the level shut down and loaded again through the level
// change (saveLoadUpdate), against reading the level catalog's bytes whole
// (the bytes a load cannot avoid), as a ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/time/timer.h"
#include "platform/win32/message_box.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "shell/engine_life_cycle.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/program/command_line.h"
#include "shell/program/game_initialise.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "sound/sound_manager.h"
#include "world/engine.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Game {
  std::filesystem::path previous;
  bool up = false;

  bool Start() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const auto registry = std::filesystem::temp_directory_path() / "halberd_bench_shell_frame";
    std::filesystem::create_directories(registry);
    SetRegistryFolder(registry.c_str());
    previous = std::filesystem::current_path();
    std::filesystem::current_path(HALBERD_GAME_DATA_DIR);
    SetMessageBoxEcho(false);
    SetFrameLimit(0, nullptr);
    if (!CreateMainWindow(nullptr, 0)) return false;
    ParseCommandLine("-d Demo.loa");
    if (!GameInitialise()) return false;
    RunFrame();  // the level change
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
    up = LevelRunning();
    return up;
  }
  ~Game() {
    if (MainWindow != nullptr) DestroyWindow(MainWindow);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (!previous.empty()) std::filesystem::current_path(previous);
    SetRegistryFolder(nullptr);
  }
};

Game& TheGame() {
  static Game game;
  static const bool started = game.Start();
  (void)started;
  return game;
}

void BM_InGameFrameAgainstItsSubsystems(benchmark::State& state) {
  Game& game = TheGame();
  if (!game.up) {
    state.SkipWithError("the demo level did not start");
    return;
  }
  double shell = 0, direct = 0;
  int frames = 0;
  for (auto _ : state) {
    // The two frames alternate which goes first, so that neither always finds the other's warm caches.
    for (int order = 0; order < 2; ++order) {
      const bool shellFirst = ((frames + order) & 1) == 0;
      const auto t0 = Clock::now();
      if (shellFirst) {
        InGameFrameUpdate();
      } else {
        EngineFrameStep();
        if (g_SoundManager != nullptr) {
          g_SoundManager->Update();
          g_SoundManager->UpdateMusic();
        }
      }
      (shellFirst ? shell : direct) += Ms(Clock::now() - t0);
    }
    ++frames;
  }
  const double a = shell / frames, b = direct / frames;
  double whole = 0;
  for (int i = 0; i < 20; ++i) {
    const auto t0 = Clock::now();
    InGameFrame();
    whole += Ms(Clock::now() - t0);
  }
  state.counters["whole_frame_ms"] = whole / 20;
  state.counters["frame_ms"] = a;
  state.counters["subsystems_ms"] = b;
  state.counters["shell_share_ms"] = a - b;
  state.counters["ratio"] = b > 0 ? a / b : 0;
  std::printf("in-game frame's steps %.3f ms, their subsystems alone %.3f ms: the shell's share %.3f ms a frame "
              "(ratio %.3f); the whole frame with its render %.3f ms\n",
              a, b, a - b, b > 0 ? a / b : 0.0, whole / 20);
}
BENCHMARK(BM_InGameFrameAgainstItsSubsystems)->Iterations(1000)->Unit(benchmark::kMillisecond);

// The level catalog's bytes read whole from the disk (every file a level
// load reads lies in it): the limit a load cannot beat.
double ReadCatalogBytes() {
  const auto t0 = Clock::now();
  std::ifstream in("DEMO.dat", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  benchmark::DoNotOptimize(bytes.data());
  return Ms(Clock::now() - t0);
}

void BM_LevelChangeAgainstReadingItsCatalog(benchmark::State& state) {
  Game& game = TheGame();
  if (!game.up) {
    state.SkipWithError("the demo level did not start");
    return;
  }
  double change = 0, read = 0;
  int runs = 0;
  for (auto _ : state) {
    std::strcpy(LevelName, "Demo.loa");
    FrameMode = FRAME_LEVEL_CHANGE;
    const auto t0 = Clock::now();
    saveLoadUpdate();
    change += Ms(Clock::now() - t0);
    read += ReadCatalogBytes();
    ++runs;
  }
  state.counters["level_change_ms"] = change / runs;
  state.counters["catalog_read_ms"] = read / runs;
  std::printf("level change %.1f ms, reading its catalog %.1f ms (ratio %.1f)\n", change / runs, read / runs,
              read > 0 ? change / read : 0.0);
}
BENCHMARK(BM_LevelChangeAgainstReadingItsCatalog)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
