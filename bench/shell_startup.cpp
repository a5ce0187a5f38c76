// The game's start-up and shut-down as the program runs them, headless on
// the offscreen driver: the window, the command line ("-d Demo.loa": the
// demo level from the catalogs) and game initialise, then frames until the
// first one is presented (the first frame is the level change that loads
// the level); then the window destroyed, which runs level shut-down and game
// shut-down.  Reported in ms, each the
// mean of the runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/win32/message_box.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "shell/frame/run_frame.h"
#include "shell/program/command_line.h"
#include "shell/program/game_initialise.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BM_StartUpAndShutDown(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const std::filesystem::path registry = std::filesystem::temp_directory_path() / "halberd_bench_startup";
  std::filesystem::create_directories(registry);
  SetRegistryFolder(registry.c_str());
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(HALBERD_GAME_DATA_DIR);
  SetMessageBoxEcho(false);
  double startUp = 0, shutDown = 0;
  int runs = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    SetFrameLimit(0, nullptr);
    if (!CreateMainWindow(nullptr, 0)) {
      state.SkipWithError("the window could not be made");
      break;
    }
    // The demo level through its load list: the front end's plug-in is not bound yet.
    ParseCommandLine("-d Demo.loa");
    if (!GameInitialise()) {
      state.SkipWithError("game initialise failed");
      break;
    }
    const int presented = FramesPresented();
    for (int frame = 0; frame < 10 && FramesPresented() == presented; ++frame) RunFrame();
    if (FramesPresented() == presented) {
      state.SkipWithError("no frame was presented");
      break;
    }
    const auto t1 = Clock::now();
    DestroyWindow(MainWindow);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    const auto t2 = Clock::now();
    startUp += Ms(t1 - t0);
    shutDown += Ms(t2 - t1);
    ++runs;
  }
  if (runs > 0) {
    state.counters["start_up_ms"] = startUp / runs;
    state.counters["shut_down_ms"] = shutDown / runs;
    std::printf("start-up to the first frame: %.1f ms, shut-down: %.1f ms (mean of %d runs)\n", startUp / runs,
                shutDown / runs, runs);
  }
  std::filesystem::current_path(previous);
  SetRegistryFolder(nullptr);
  std::filesystem::remove_all(registry);
}
BENCHMARK(BM_StartUpAndShutDown)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
