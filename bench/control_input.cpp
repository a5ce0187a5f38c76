// One frame of input for four local players: a burst of 200 input events
// pushed through SDL, translated by the window stand-in into messages for the
// game window and handed to the input object; the per-frame input step; the
// sampling of four players (80 actions x 3 binding slots each, the axes, the
// mouse); the end-of-frame key step.  The yardstick is SDL's own queue
// carrying the same burst (pushed, then taken out with SDL_PeepEvents): the
// least any input path pays.  Goal: within 2x of it, and under 50 us a frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench_timing.h"
#include "control/bindings/control_mapper.h"
#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "foundation/time/timer.h"
#include "platform/win32/bench_reference.h"
#include "platform/win32/window.h"
#include "world/engine.h"

namespace {

constexpr int kBurst = 200;
HWND g_window = nullptr;
CTimer g_clock;

LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= 0x0100 && message <= 0x0108) || (message >= 0x0200 && message <= 0x0209)) {
    if (wParam != 255) HandleInputMessage(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool Open() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  WNDCLASSA cls{};
  cls.lpfnWndProc = &GameWindowProc;
  cls.lpszClassName = "InputBench";
  if (!RegisterClassA(&cls)) return false;
  g_window = CreateWindowExA(0, "InputBench", "bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  if (!g_window || !InitInput(nullptr, g_window)) return false;
  SetInputActive(true);
  g_GameClock = &g_clock;
  g_Input->SetClocks(&g_clock, &g_clock);
  g_ControlMapper = new CControlMapper();
  g_ControlMapper->Init(kBindingRows, kBindingSlots, kInputActionCount);
  for (int row = 0; row < kBindingRows; ++row)
    if (!g_ControlMapper->LoadBindings(DEMO_KEY_FILE, row)) return false;
  for (int i = 0; i < kLocalPlayerCount; ++i) g_LocalPlayers.Add();
  return true;
}

void Close() {
  g_LocalPlayers.RemoveAll();
  delete g_ControlMapper;
  g_ControlMapper = nullptr;
  g_GameClock = nullptr;
  ShutdownInput();
  if (g_window) DestroyWindow(g_window);
}

int InputFrame() {
  Win32BenchPushInputBurst(g_window, kBurst);
  MSG msg;
  int messages = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&msg);
    ++messages;
  }
  g_clock.Update();
  UpdateInput();
  g_LocalPlayers.UpdateAll();
  AdvanceKeyStates();
  return messages;
}

int SdlQueueFrame() {
  Win32BenchPushInputBurst(g_window, kBurst);
  return Win32BenchDrainSdlQueue();
}

void BM_SdlQueue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SdlQueueFrame());
}
void BM_InputFrameFourPlayers(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(InputFrame());
}
BENCHMARK(BM_SdlQueue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InputFrameFourPlayers)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Open()) {
    std::fprintf(stderr, "no game window or input for the benchmark\n");
    Close();
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  // The ratio from the best of several runs of 200 frames each.
  constexpr int kFrames = 200;
  const double peer = bench::BestSeconds(
      [] {
        for (int f = 0; f < kFrames; ++f) benchmark::DoNotOptimize(SdlQueueFrame());
      },
      5);
  const double ours = bench::BestSeconds(
      [] {
        for (int f = 0; f < kFrames; ++f) benchmark::DoNotOptimize(InputFrame());
      },
      5);
  std::printf("input frame, 4 players, %d events: %.1f us a frame; SDL queue alone %.1f us; ratio %.2f "
              "(goal <= 2.0 and < 50 us)\n",
              kBurst, ours / kFrames * 1e6, peer / kFrames * 1e6, ours / peer);
  Close();
  return 0;
}
