// Mission1's share of a frame.  A frame sequence of play (600 frames at
// 16 ms with the events a game raises along the way: the convoy, the cell
// door, the items, the dump, the boat) runs through the built plug-in
// against the recording table with recording off; the same script calls,
// recorded once, are then made directly on the table's functions.  The
// difference is the plug-in's own work and the table's indirection; the
// goal is under 1% of a 16.7 ms frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "bench_timing.h"
#include "mission_abi.h"
#include "platform/win32/library.h"
#include "test_support/recording_script_table.h"

namespace {

constexpr int kFrames = 600;
constexpr std::uint32_t kFrameMs = 16;

struct Event {
  int frame;
  std::uint32_t code;
  std::vector<std::int32_t> words;
};

// What the squad does along the sequence.
const std::vector<Event> kEvents = {
    {5, MEV_WAYPOINT_REACHED, {271, 261}},   {40, MEV_UNIT_ALARMED, {12}},        {60, MEV_WAYPOINT_REACHED, {141, 149}},
    {90, MEV_DOOR_CHANGED, {37, 0}},         {95, MEV_DOOR_CHANGED, {37, 2}},     {150, MEV_ITEM_TAKEN, {0, 71, 1}},
    {160, MEV_ITEM_TAKEN, {0, 72, 1}},       {200, MEV_AWARENESS_ADDED, {14, 0}}, {250, MEV_SPAWN_POINT_CHOSEN, {2}},
    {300, MEV_BUILDING_DESTROYED, {47, 0}},  {400, MEV_WAYPOINT_REACHED, {31, 39}},
    {500, MEV_WAYPOINT_REACHED, {76, 55}},   {550, MEV_PICK_UP_QUERY, {0, 33}},
};

// The world the table answers from: the squad moves through regions.
struct BenchWorld {
  RecordingScriptTable table;
  std::uint32_t time = 1000;
  std::set<int> regions;
  std::set<int> alive = {0, 31, 47, 14, 6, 12, 110};
  SpawnPointRecord spawns[9] = {};

  BenchWorld() {
    table.SetHandler("GameGetTime", [this](const ScriptCall&) { return ScriptAnswer::Int(time); });
    table.SetHandler("RegionContainsPlayerSide",
                     [this](const ScriptCall& c) { return ScriptAnswer::Int(regions.count(c.Int(0))); });
    table.SetHandler("ObjectIsDead", [this](const ScriptCall& c) { return ScriptAnswer::Int(alive.count(c.Int(0)) ? 0 : 1); });
    table.SetHandler("SpawnPointGet", [this](const ScriptCall& c) {
      const int n = c.Int(0);
      return ScriptAnswer::Pointer(n >= 0 && n < 9 ? &spawns[n] : nullptr);
    });
    table.SetAnswer("PlayersGetCount", ScriptAnswer::Int(1));
    table.SetAnswer("MovieCameraIsIdle", ScriptAnswer::Int(1));
    table.SetAnswer("ObjectiveAdd", ScriptAnswer::Int(0));
  }

  // The regions the squad stands in on a frame.
  void Move(int frame) {
    regions.clear();
    if (frame < 100) regions = {0, 3, 16};
    else if (frame < 200) regions = {4, 10, 32};
    else if (frame < 400) regions = {22, 27};
    else regions = {2, 24};
  }
};

class Mission1Plugin {
 public:
  Mission1Plugin() {
    Win32AddLibraryFolder(HALBERD_MISSION1_FOLDER);
    module_ = LoadLibraryA("Mission1.dll");
    if (module_ != nullptr) setup_ = reinterpret_cast<LevelSetupFunction>(GetProcAddress(module_, "LevelSetup"));
  }
  ~Mission1Plugin() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LevelSetupFunction setup() const { return setup_; }

 private:
  HMODULE module_ = nullptr;
  LevelSetupFunction setup_ = nullptr;
};

using RecordedCalls = std::vector<std::pair<int, ScriptCall>>;

// One pass of the sequence through the plug-in (set-up excluded: the state
// is reloaded, which starts play).  With `recorded`, the table records and
// each call is kept with its frame.
void RunSequence(BenchWorld& w, const MissionCallbackTable* callbacks, RecordedCalls* recorded = nullptr) {
  std::uint8_t block[136] = {};
  block[56] = 1;
  w.time = 1000;
  for (SpawnPointRecord& s : w.spawns) s = SpawnPointRecord{0, 0, 0, 1, 1, 3, 0};
  callbacks->Load(block);
  std::size_t next = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    w.time += kFrameMs;
    w.Move(frame);
    callbacks->Update();
    for (; next < kEvents.size() && kEvents[next].frame == frame; ++next) {
      std::int32_t words[MISSION_EVENT_BLOCK_WORDS] = {};
      for (std::size_t i = 0; i < kEvents[next].words.size(); ++i) words[i] = kEvents[next].words[i];
      callbacks->HandleEvent(kEvents[next].code, words);
    }
    if (recorded != nullptr) {
      for (const ScriptCall& c : w.table.Calls()) recorded->emplace_back(frame, c);
      w.table.ClearCalls();
    }
  }
}

// The recorded calls of one pass made directly, with the world moved as
// the pass moved it (each call carries the frame it was made on).
void ReplaySequence(BenchWorld& w, const RecordedCalls& calls) {
  w.time = 1000;
  int frame = -1;
  for (const auto& [f, call] : calls) {
    if (f != frame) {
      frame = f;
      w.time = 1000 + kFrameMs * static_cast<std::uint32_t>(f + 1);
      w.Move(f);
    }
    ReplayScriptCall(call);
  }
}

void BM_Mission1FrameThroughThePlugin(benchmark::State& state) {
  Mission1Plugin library;
  if (library.setup() == nullptr) {
    state.SkipWithError("Mission1.so cannot be loaded");
    return;
  }
  BenchWorld world;
  const MissionCallbackTable* callbacks = library.setup()(world.table.Table());

  // Record one pass, each call with its frame.
  world.table.SetRecording(true);
  world.table.ClearCalls();
  RecordedCalls recorded;
  RunSequence(world, callbacks, &recorded);
  world.table.SetRecording(false);
  world.table.ClearCalls();

  for (auto _ : state) RunSequence(world, callbacks);

  const double plugin = bench::BestSeconds([&] { RunSequence(world, callbacks); }, 20);
  const double direct = bench::BestSeconds([&] { ReplaySequence(world, recorded); }, 20);
  const double perFrameUs = plugin / kFrames * 1e6;
  state.counters["calls_per_frame"] = static_cast<double>(recorded.size()) / kFrames;
  state.counters["us_per_frame"] = perFrameUs;
  state.counters["ratio"] = direct > 0 ? plugin / direct : 0;
  std::printf("Mission1: %.2f us a frame through the plug-in, %.2f us for its %.1f script calls made directly "
              "(ratio %.2f); %.3f%% of a 16.7 ms frame\n",
              perFrameUs, direct / kFrames * 1e6, static_cast<double>(recorded.size()) / kFrames,
              direct > 0 ? plugin / direct : 0.0, perFrameUs / 16700.0 * 100.0);
}
BENCHMARK(BM_Mission1FrameThroughThePlugin)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
