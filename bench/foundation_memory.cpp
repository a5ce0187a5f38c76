// Cost of the tracked allocator (owner site, record, hash insert and unlink,
// wipe patterns) against the C heap alone, per allocation and release pair,
// for a few block sizes; then the shift-register name hash over typical file
// names.  After the runs the ratio tracked / plain is printed per size,
// measured in the same process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundation/text/hash.h"
#include "foundation/memory/memory_manager.h"

namespace {

const char* const kNames[] = {
    "data\\textures\\walls\\brick_wall_01.png", "catalog.dat", "mission.dat", "chardata.dat",
    "@\\data\\levels\\m1\\m1_env.dat", "shaders\\vsDot3.vso", "current.key", "data\\stats\\Weaps.txt",
};

void TrackedPair(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* p = MEM_MALLOC(size);
    benchmark::DoNotOptimize(p);
    MEM_FREE(p);
  }
}

void TrackedPairNoWipe(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  bool wipe = *MemAlwaysWipeAll();
  *MemAlwaysWipeAll() = false;
  for (auto _ : state) {
    void* p = MEM_MALLOC(size);
    benchmark::DoNotOptimize(p);
    MEM_FREE(p);
  }
  *MemAlwaysWipeAll() = wipe;
}

void PlainPair(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    void* p = std::malloc(size);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}

void HashFileNames(benchmark::State& state) {
  std::uint32_t sum = 0;
  for (auto _ : state) {
    for (const char* name : kNames) sum += HashString(name);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(std::size(kNames)));
}

void HashFileNamesNoCase(benchmark::State& state) {
  std::uint32_t sum = 0;
  for (auto _ : state) {
    for (const char* name : kNames) sum += HashStringNoCase(name);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(std::size(kNames)));
}

BENCHMARK(TrackedPair)->Arg(16)->Arg(256)->Arg(4096)->Arg(65536);
BENCHMARK(TrackedPairNoWipe)->Arg(16)->Arg(256)->Arg(4096)->Arg(65536);
BENCHMARK(PlainPair)->Arg(16)->Arg(256)->Arg(4096)->Arg(65536);
BENCHMARK(HashFileNames);
BENCHMARK(HashFileNamesNoCase);

template <typename Fn>
double NanosecondsPerPair(Fn fn, int rounds) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) fn();
  auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count() / rounds;
}

void PrintRatios() {
  std::printf("\ntracked / plain allocation+release, same process:\n");
  for (std::size_t size : {16u, 256u, 4096u, 65536u}) {
    const int rounds = 200000;
    double tracked = NanosecondsPerPair(
        [size] {
          void* p = MEM_MALLOC(size);
          benchmark::DoNotOptimize(p);
          MEM_FREE(p);
        },
        rounds);
    double plain = NanosecondsPerPair(
        [size] {
          void* p = std::malloc(size);
          benchmark::DoNotOptimize(p);
          std::free(p);
        },
        rounds);
    std::printf("  %6zu bytes: tracked %8.1f ns, plain %8.1f ns, ratio %.2f\n", size, tracked, plain,
                plain > 0 ? tracked / plain : 0.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  return 0;
}
