// Frames of 10,000 small textured quads (format 0x144, fans of two
// triangles) drawn through the device and through plain OpenGL in the same
// context, on the offscreen video driver.  Each frame ends with a read-back,
// so that the drawing is finished inside the timed frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/window.h"

namespace {

constexpr int kQuads = 10000;
constexpr UINT kWidth = 640, kHeight = 480;

struct ScreenVertex {
  float x, y, z, rhw;
  DWORD colour;
  float u, v;
};

struct Scene {
  HWND window = nullptr;
  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DTexture8* texture = nullptr;
  std::vector<ScreenVertex> vertices;

  bool Open() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSA cls{};
    cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); };
    cls.lpszClassName = "Bench";
    RegisterClassA(&cls);
    window = CreateWindowExA(0, "Bench", "bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    d3d = window ? Direct3DCreate8(D3D_SDK_VERSION) : nullptr;
    if (!d3d) return false;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    if (d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) != D3D_OK)
      return false;
    if (device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) return false;
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
            ((x ^ y) & 1) ? 0xFFFFFFFFu : 0xFF808080u;
    texture->UnlockRect(0);
    std::srand(7);
    for (int q = 0; q < kQuads; ++q) {
      float x = static_cast<float>(std::rand() % (kWidth - 8)), y = static_cast<float>(std::rand() % (kHeight - 8));
      DWORD c = 0xFF000000u | static_cast<DWORD>(std::rand() & 0xFFFFFF);
      vertices.push_back({x, y, 0.5f, 1, c, 0, 0});
      vertices.push_back({x + 8, y, 0.5f, 1, c, 1, 0});
      vertices.push_back({x + 8, y + 8, 0.5f, 1, c, 1, 1});
      vertices.push_back({x, y + 8, 0.5f, 1, c, 0, 1});
    }
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    return true;
  }
  void Close() {
    if (device) device->SetTexture(0, nullptr);
    if (texture) texture->Release();
    if (device) device->Release();
    if (d3d) d3d->Release();
    if (window) DestroyWindow(window);
  }
};

Scene g_scene;
double g_deviceFps = 0, g_glFps = 0;

void FrameThroughDevice() {
  g_scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  for (int q = 0; q < kQuads; ++q)
    g_scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &g_scene.vertices[q * 4], sizeof(ScreenVertex));
  benchmark::DoNotOptimize(D3D8TestReadPixel(g_scene.device, 1, 1));
}

void FrameThroughGl() {
  g_scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  D3D8BenchDrawQuadsDirect(g_scene.device, g_scene.texture, g_scene.vertices.data(), kQuads);
  benchmark::DoNotOptimize(D3D8TestReadPixel(g_scene.device, 1, 1));
}

void BM_QuadsThroughDevice(benchmark::State& state) {
  for (auto _ : state) FrameThroughDevice();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  g_deviceFps = state.counters["fps"];
}

void BM_QuadsThroughPlainGl(benchmark::State& state) {
  for (auto _ : state) FrameThroughGl();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  g_glFps = state.counters["fps"];
}

BENCHMARK(BM_QuadsThroughPlainGl)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_QuadsThroughDevice)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!g_scene.Open()) {
    std::fprintf(stderr, "no device for the benchmark\n");
    g_scene.Close();
    return 1;
  }
  // Counters are rates over the measured time; read them back from a reporter.
  struct Reporter : benchmark::ConsoleReporter {
    void ReportRuns(const std::vector<Run>& runs) override {
      for (const Run& r : runs) {
        auto it = r.counters.find("fps");
        if (it == r.counters.end()) continue;
        double fps = r.iterations / r.real_accumulated_time;
        if (r.benchmark_name().find("Device") != std::string::npos) g_deviceFps = fps;
        else g_glFps = fps;
      }
      ConsoleReporter::ReportRuns(runs);
    }
  } reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  g_scene.Close();
  if (g_glFps > 0 && g_deviceFps > 0)
    std::printf("10,000 quads a frame: device %.2f fps, plain OpenGL %.2f fps, device/OpenGL ratio %.3f (goal >= 0.8)\n",
                g_deviceFps, g_glFps, g_deviceFps / g_glFps);
  return 0;
}
