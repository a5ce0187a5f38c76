// Script-table dispatch: 10^6 rounds of two built slots (the version check
// and a sound-cache look-up without a name) called from a plug-in through
// the script function table, against the same functions called directly
// inside the program (the limit).  Prints the ratio (goal: at most 1.2).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>

#include "bench/bench_timing.h"
#include "platform/win32/library.h"
#include "shell/level/mission_plugin.h"

namespace script_slot {
int32_t ScriptCheckVersion(int32_t major, int32_t minor, int32_t build);
ScriptSampleHandle SoundCacheLoad(const char* name);
}  // namespace script_slot

namespace {

constexpr std::int32_t kCalls = 1000000;
using BenchFn = std::int64_t (*)(std::int32_t);
BenchFn g_pluginCalls = nullptr;

__attribute__((noinline)) std::int64_t DirectCalls(std::int32_t n) {
  std::int64_t sum = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    sum += script_slot::ScriptCheckVersion(SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, SCRIPT_VERSION_BUILD);
    sum += static_cast<std::int64_t>(script_slot::SoundCacheLoad(nullptr));
    benchmark::ClobberMemory();
  }
  return sum;
}

void BM_ThroughThePluginsTable(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(g_pluginCalls(kCalls));
}
BENCHMARK(BM_ThroughThePluginsTable)->Unit(benchmark::kMillisecond);

void BM_DirectInsideTheProgram(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(DirectCalls(kCalls));
}
BENCHMARK(BM_DirectInsideTheProgram)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (LoadMissionPlugin("BenchMission.dll") != 1) {
    std::fprintf(stderr, "the benchmark plug-in BenchMission.so cannot be bound\n");
    return 1;
  }
  g_pluginCalls = reinterpret_cast<BenchFn>(GetProcAddress(MissionLibrary, "BenchCallSlots"));
  if (g_pluginCalls == nullptr || g_pluginCalls(10) != DirectCalls(10)) {
    std::fprintf(stderr, "the benchmark plug-in answers differently from the program\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const double table = bench::BestSeconds([] { return g_pluginCalls(kCalls); }, 7);
  const double direct = bench::BestSeconds([] { return DirectCalls(kCalls); }, 7);
  std::printf("script dispatch, %d rounds of 2 slots: through the table %.2f ms, direct %.2f ms, ratio %.2f "
              "(goal <= 1.20)\n",
              kCalls, table * 1e3, direct * 1e3, table / direct);
  FreeMissionPlugin();
  return 0;
}
