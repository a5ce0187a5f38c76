// The render-state cache filters redundant sets with one comparison: a set of
// an unchanged state should cost a few nanoseconds, far below a device call.
// Runs on the offscreen video driver.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/win32/window.h"
#include "render/device/render.h"

namespace {

CRender* StartRender() {
  static CRender* render = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSA cls{};
    cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); };
    cls.lpszClassName = "RenderBench";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, "RenderBench", "bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                  nullptr);
    auto* r = new CRender;
    if (window == nullptr || !r->Initialise(nullptr, window, nullptr, 1)) {
      delete r;
      return static_cast<CRender*>(nullptr);
    }
    return r;
  }();
  return render;
}

// An unchanged state through the cache: nothing reaches the device.
void CachedUnchangedState(benchmark::State& state) {
  CRender* r = StartRender();
  if (r == nullptr) return state.SkipWithError("no render device");
  r->SetZEnable(1);
  for (auto _ : state) benchmark::DoNotOptimize(r->SetZEnable(1));
}
BENCHMARK(CachedUnchangedState);

// The same set sent straight to the device every time.
void DeviceState(benchmark::State& state) {
  CRender* r = StartRender();
  if (r == nullptr) return state.SkipWithError("no render device");
  for (auto _ : state) benchmark::DoNotOptimize(r->GetDevice()->SetRenderState(D3DRS_ZENABLE, 1));
}
BENCHMARK(DeviceState);

// Alternating between two blend modes: each switch sends the states that differ.
void BlendModeSwitch(benchmark::State& state) {
  CRender* r = StartRender();
  if (r == nullptr) return state.SkipWithError("no render device");
  int mode = 3;
  for (auto _ : state) {
    mode = mode == 3 ? 12 : 3;
    benchmark::DoNotOptimize(r->SetBlendMode(mode));
  }
}
BENCHMARK(BlendModeSwitch);

}  // namespace

BENCHMARK_MAIN();
