// Timing helpers the file and data benchmarks share: the best of a few
// plain wall-clock runs for the ratio lines they print after the Google
// Benchmark tables, and a byte-throughput benchmark body.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <type_traits>

namespace bench {

// The shortest of `rounds` runs of f, in seconds; what f answers is kept
// from the optimiser.
template <typename F>
double BestSeconds(F f, int rounds) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    if constexpr (std::is_void_v<decltype(f())>)
      f();
    else
      benchmark::DoNotOptimize(f());
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Runs f once an iteration and reports `bytes` an iteration as throughput.
template <typename F>
void MeasureBytes(benchmark::State& state, F f, std::size_t bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(f());
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes));
}

}  // namespace bench
