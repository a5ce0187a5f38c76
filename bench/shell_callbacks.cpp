// The timed callback list as a cut-scene uses it: 194 entries armed at once
// (a stage's posts) in the 200-slot list, run once a frame while they wait
// and while every one fires; a post into a list with one free slot just
// behind the cursor (the longest search).  The limit beside them: one plain
// pass over 200 records of the same size that reads each state word and
// calls a function for each, measured in the same process.  The ratio lines
// and the goal (20 us a frame) are printed after the tables.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdint>
#include <vector>

#include "bench_timing.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/timing/timed_callback_list.h"

namespace {

constexpr int kArmed = 194;
constexpr double kGoalMicroseconds = 20.0;

std::uint32_t g_calls = 0;
void Count(TimedCallbackEntry*) { ++g_calls; }

void SetClock(CTimer& clock, std::uint32_t ms) {
  CTimer::State s;
  clock.SaveState(&s);
  s.gameTime = ms;
  s.running = 1;
  clock.RestoreState(s);
}

// A list with `armed` entries posted at once; `firing`: interval 0 from now,
// so each fires every frame, else due in a day.
struct ArmedList {
  explicit ArmedList(int armed, bool firing) {
    list.CreateEntries(&buffer);
    list.SetClocks(&game, &real);
    SetClock(game, 1000);
    SetClock(real, 1000);
    TimedCallbackRequest r;
    r.callback = Count;
    r.delay = firing ? 0 : 86400000u;
    r.flags = TCF_OVERWRITE_WHEN_FULL;
    for (int i = 0; i < armed; ++i) list.Post(r);
  }
  void Frame() {
    now += 16;
    SetClock(game, now);
    SetClock(real, now);
    list.Update();
  }
  CLinearBuffer buffer{64 * 1024, "bench timed callbacks"};
  CTimer game, real;
  CTimedCallbackList list;
  std::uint32_t now = 1000;
};

void RunWaiting(benchmark::State& state) {
  ArmedList a(kArmed, false);
  for (auto _ : state) a.Frame();
  benchmark::DoNotOptimize(g_calls);
}

void RunFiring(benchmark::State& state) {
  ArmedList a(kArmed, true);
  for (auto _ : state) a.Frame();
  benchmark::DoNotOptimize(g_calls);
}

// Every slot armed but the one just behind the cursor: the post walks the
// whole list; it is freed again for the next round.
struct NearlyFull {
  NearlyFull() : a(CTimedCallbackList::kDefaultCapacity, false) {
    a.list.FreeEntry(a.list.GetEntry(CTimedCallbackList::kDefaultCapacity - 1));
    request.callback = Count;
    request.delay = 100;
    request.flags = TCF_ONE_SHOT;
  }
  void PostAndFree() {
    TimedCallbackEntry* e = a.list.Post(request);
    benchmark::DoNotOptimize(e);
    a.list.FreeEntry(e);
  }
  ArmedList a;
  TimedCallbackRequest request;
};

void PostNearlyFull(benchmark::State& state) {
  NearlyFull n;
  for (auto _ : state) n.PostAndFree();
}

// The limit: 200 records of the entry's size, each state word read and a
// function called through a pointer for the armed ones.
struct PlainRecords {
  PlainRecords() : records(CTimedCallbackList::kDefaultCapacity) {
    for (int i = 0; i < kArmed; ++i) {
      records[static_cast<std::size_t>(i)].state = TIMED_CALLBACK_ARMED;
      records[static_cast<std::size_t>(i)].callback = Count;
    }
  }
  void Sweep() {
    for (TimedCallbackEntry& e : records)
      if (e.state == TIMED_CALLBACK_ARMED && e.callback != nullptr) e.callback(&e);
  }
  std::vector<TimedCallbackEntry> records;
};

void PlainSweep(benchmark::State& state) {
  PlainRecords p;
  for (auto _ : state) p.Sweep();
  benchmark::DoNotOptimize(g_calls);
}

BENCHMARK(RunWaiting);
BENCHMARK(RunFiring);
BENCHMARK(PostNearlyFull);
BENCHMARK(PlainSweep);

void PrintRatios() {
  constexpr int kFrames = 20000;
  ArmedList waiting(kArmed, false), firing(kArmed, true);
  NearlyFull nearlyFull;
  PlainRecords plain;
  const double waitUs = bench::BestSeconds([&] { for (int i = 0; i < kFrames; ++i) waiting.Frame(); }, 5) * 1e6 / kFrames;
  const double fireUs = bench::BestSeconds([&] { for (int i = 0; i < kFrames; ++i) firing.Frame(); }, 5) * 1e6 / kFrames;
  const double postUs =
      bench::BestSeconds([&] { for (int i = 0; i < kFrames; ++i) nearlyFull.PostAndFree(); }, 5) * 1e6 / kFrames;
  const double sweepUs = bench::BestSeconds([&] { for (int i = 0; i < kFrames; ++i) plain.Sweep(); }, 5) * 1e6 / kFrames;
  std::printf("\ntimed callback list, 200 slots, %d armed, same process:\n", kArmed);
  std::printf("  frame, entries waiting: %8.3f us (plain sweep x %.2f)\n", waitUs, sweepUs > 0 ? waitUs / sweepUs : 0.0);
  std::printf("  frame, every entry fires: %6.3f us (plain sweep x %.2f)\n", fireUs, sweepUs > 0 ? fireUs / sweepUs : 0.0);
  std::printf("  post into a nearly full list: %6.3f us\n", postUs);
  std::printf("  plain sweep of 200 records with %d calls: %6.3f us\n", kArmed, sweepUs);
  std::printf("  goal: a frame under %.0f us: %s (worst %.3f us)\n", kGoalMicroseconds,
              fireUs < kGoalMicroseconds && waitUs < kGoalMicroseconds ? "met" : "NOT met",
              fireUs > waitUs ? fireUs : waitUs);
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
