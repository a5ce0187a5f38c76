// The load screen's slot list for 10, 100 and 1,000 ".sav" files (made here
// in a temporary folder, each a minute older than the next): the screens'
// scan and insertion newest first (each file's time read once) against the
// plain way, a directory listing with one std::filesystem time read per file
// and a std::stable_sort of the names by time.  After the runs the ratio
// slot list / plain is printed for each count (goal: 1.5 or less).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_timing.h"
#include "menus/screens/save_slot_menu.h"

namespace {

struct SaveFolder {
  std::filesystem::path folder;
  explicit SaveFolder(int n) {
    std::random_device rd;
    folder = std::filesystem::temp_directory_path() / ("halberd_bench_saves_" + std::to_string(rd()));
    std::filesystem::create_directories(folder);
    const auto now = std::filesystem::file_time_type::clock::now();
    for (int i = 0; i < n; ++i) {
      const auto path = folder / ("game" + std::to_string(i) + ".sav");
      std::ofstream(path) << "game";
      std::filesystem::last_write_time(path, now - std::chrono::minutes((i * 7919) % n));
    }
  }
  ~SaveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

int SlotList() {
  CSaveSlotMenu::ScanSaves();
  return g_SaveSlots.Count;
}

std::size_t Plain() {
  std::vector<std::pair<std::filesystem::file_time_type, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (entry.path().extension() != ".sav") continue;
    std::error_code error;
    files.emplace_back(std::filesystem::last_write_time(entry.path(), error), entry.path().filename().string());
  }
  std::stable_sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (files.size() > 44) files.resize(44);
  return files.size();
}

void BM_SlotList(benchmark::State& state) {
  SaveFolder saves(static_cast<int>(state.range(0)));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(saves.folder);
  for (auto _ : state) benchmark::DoNotOptimize(SlotList());
  std::filesystem::current_path(previous);
}
BENCHMARK(BM_SlotList)->Arg(10)->Arg(100)->Arg(1000);

void BM_PlainListing(benchmark::State& state) {
  SaveFolder saves(static_cast<int>(state.range(0)));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(saves.folder);
  for (auto _ : state) benchmark::DoNotOptimize(Plain());
  std::filesystem::current_path(previous);
}
BENCHMARK(BM_PlainListing)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (int n : {10, 100, 1000}) {
    SaveFolder saves(n);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(saves.folder);
    const double list = bench::BestSeconds(SlotList, 20);
    const double plain = bench::BestSeconds(Plain, 20);
    std::filesystem::current_path(previous);
    std::printf("save list of %d files: slot list %.3f ms, plain %.3f ms, ratio %.2f (goal <= 1.50)\n", n,
                list * 1000.0, plain * 1000.0, list / plain);
  }
  benchmark::Shutdown();
  return 0;
}
