// Saved games of the units demo level (loaded as the level tests load it,
// with a mission record): saving in full (building the buffer, writing a
// temporary file, flushing it and renaming it over the old save) against
// the limit of writing, flushing and renaming the same 176,715 bytes; and
// loading in full (reading, checking, restoring into the level) against
// reading the same bytes.  The ratios are printed; the goal is at most 1.5
// for each.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "game_engine_bench.h"
#include "shell/game/game.h"
#include "shell/game/save_file.h"
#include "shell/mission/mission.h"
#include "units/units_loader_fixture.h"

namespace {

int g_boxes = 0;
int CountBox(HWND, const char*, const char*, UINT, void*) {
  ++g_boxes;
  return IDOK;
}

struct Level {
  bench::GameEngine engine;
  bool level = false;

  bool Open() {
    if (!engine.Open("halberd_bench_shell_saves", 640, 480)) return false;
    UnitsLevelLoad load;
    std::string error;
    level = LoadUnitsLevel(&load, CountBox, nullptr, &error);
    if (!level) {
      std::fprintf(stderr, "units level: %s\n", error.c_str());
      return false;
    }
    g_Mission = new CMission;
    g_Mission->Start("Units.loa");
    g_Game = new CGame;
    return true;
  }
  void Close() {
    delete g_Game;
    g_Game = nullptr;
    delete g_Mission;
    g_Mission = nullptr;
    if (level) UnloadUnitsLevel();
    engine.Close();
  }
};

Level g_level;
const char* const kSave = "bench_save.sav";
const char* const kLimit = "bench_limit.sav";

bool SaveLevel() { return g_Game->Save(kSave, false); }

bool WriteLimit() {
  static const std::vector<std::uint8_t> bytes(kSaveBufferSize, 0x5A);
  return WriteSaveFile(kLimit, bytes.data(), bytes.size());
}

bool LoadLevel() { return g_Game->Load(kSave) && g_Game->Restore(); }

bool ReadLimit() {
  std::vector<std::uint8_t> bytes;
  return ReadSaveFile(kLimit, kSaveBufferSize, &bytes);
}

void BM_SaveLevel(benchmark::State& state) {
  for (auto _ : state)
    if (!SaveLevel()) state.SkipWithError("the save failed");
}
void BM_WriteLimit(benchmark::State& state) {
  for (auto _ : state)
    if (!WriteLimit()) state.SkipWithError("the write failed");
}
void BM_LoadLevel(benchmark::State& state) {
  if (!SaveLevel()) state.SkipWithError("the save failed");
  for (auto _ : state)
    if (!LoadLevel()) state.SkipWithError("the load failed");
}
void BM_ReadLimit(benchmark::State& state) {
  if (!WriteLimit()) state.SkipWithError("the write failed");
  for (auto _ : state)
    if (!ReadLimit()) state.SkipWithError("the read failed");
}

BENCHMARK(BM_SaveLevel)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_WriteLimit)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LoadLevel)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ReadLimit)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!g_level.Open()) {
    std::fprintf(stderr, "the units level could not be loaded for the benchmark\n");
    g_level.Close();
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  // Both sides alternate over a few rounds; the best of each is compared.
  constexpr int kRounds = 20;
  const double save = bench::BestSeconds(SaveLevel, kRounds);
  const double write = bench::BestSeconds(WriteLimit, kRounds);
  const double load = bench::BestSeconds(LoadLevel, kRounds);
  const double read = bench::BestSeconds(ReadLimit, kRounds);
  std::printf("save the units level: %.1f us; write, flush and rename %u bytes: %.1f us; ratio %.2f (goal <= 1.5)\n",
              save * 1e6, kSaveBufferSize, write * 1e6, save / write);
  std::printf("load the units level: %.1f us; read %u bytes: %.1f us; ratio %.2f (goal <= 1.5)\n", load * 1e6,
              kSaveBufferSize, read * 1e6, load / read);
  if (g_boxes != 0) std::printf("message boxes while loading: %d\n", g_boxes);
  std::remove(kSave);
  std::remove(kLimit);
  g_level.Close();
  benchmark::Shutdown();
  return 0;
}
