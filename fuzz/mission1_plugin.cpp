// Mission1 fed hostile saved states and events: the first 136 bytes are a
// saved block for MissionLoad, the rest a stream of operations (frames with
// the clock moving, events with a block taken from the input or none, the
// world's answers changing, a fresh level with the intro, the timed calls
// coming due).  The plug-in must stay inside its tables and the blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "mission_abi.h"
#include "test_support/recording_script_table.h"

namespace {

constexpr std::size_t kStateBytes = 136;
constexpr std::size_t kTimerCapacity = 200;

// The world behind the table: a few words of answers the input sets.
struct World {
  RecordingScriptTable table;
  std::uint32_t time = 1000;
  std::uint64_t regions = 0;  // bit r % 64: the squad is in region r
  std::uint64_t dead = 0;     // bit id % 64: the object is dead
  std::uint32_t misc = 0;     // skip, result, players, out of play, version, resume
  SpawnPointRecord spawns[9] = {};
  struct Timer {
    ScriptTimedCallback callback;
    std::intptr_t p1, p2;
    std::uint32_t due;
  };
  std::vector<Timer> timers;
  std::uint32_t realTime = 0;
  const MissionCallbackTable* callbacks = nullptr;

  World() {
    table.SetRecording(false);
    RecordingScriptTable& t = table;
    auto bit = [](std::uint64_t set, std::int64_t n) { return static_cast<std::int64_t>((set >> (n & 63)) & 1); };
    t.SetHandler("GameGetTime", [this](const ScriptCall&) { return ScriptAnswer::Int(time); });
    t.SetHandler("RegionContainsPlayerSide",
                 [this, bit](const ScriptCall& c) { return ScriptAnswer::Int(bit(regions, c.Int(0))); });
    t.SetHandler("ObjectIsInRegion",
                 [this, bit](const ScriptCall& c) { return ScriptAnswer::Int(bit(regions, c.Int(0) + c.Int(1))); });
    t.SetHandler("ObjectIsDead", [this, bit](const ScriptCall& c) { return ScriptAnswer::Int(bit(dead, c.Int(0))); });
    t.SetHandler("ObjectIsNearWaypoint",
                 [this, bit](const ScriptCall& c) { return ScriptAnswer::Int(bit(dead, c.Int(1))); });
    t.SetHandler("CutsceneCheckSkip", [this](const ScriptCall&) { return ScriptAnswer::Int(misc & 1); });
    t.SetHandler("MissionGetResult", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 1) & 3); });
    t.SetHandler("PlayersGetCount", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 3) & 7); });
    t.SetHandler("UnitIsOutOfPlay", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 6) & 1); });
    t.SetHandler("MovieGetVersion", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 8) & 15); });
    t.SetHandler("MissionIsResumed", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 12) & 1); });
    t.SetHandler("GameGetResumeFlag", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 13) & 1); });
    t.SetHandler("MovieCameraIsIdle", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 14) & 1); });
    t.SetHandler("SideIsOutOfPlay", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 15) & 1); });
    t.SetHandler("DebugIsEnabledAlt", [this](const ScriptCall&) { return ScriptAnswer::Int((misc >> 16) & 1); });
    t.SetHandler("InputIsKeyDown", [this, bit](const ScriptCall& c) { return ScriptAnswer::Int(bit(regions, c.Int(0) + 40)); });
    t.SetHandler("SpawnPointGet", [this](const ScriptCall& c) {
      const std::int32_t n = c.Int(0);
      return ScriptAnswer::Pointer(n >= 0 && n < 9 ? &spawns[n] : nullptr);
    });
    t.SetHandler("TimerPostCallback", [this](const ScriptCall& c) {
      if (timers.size() >= kTimerCapacity) timers.erase(timers.begin());  // the game's list overwrites
      const float delay = c.Float(3);
      timers.push_back({c.Callback(0), static_cast<std::intptr_t>(c.Wide(1)), static_cast<std::intptr_t>(c.Wide(2)),
                        realTime + (delay > 0 && delay < 1e6f ? static_cast<std::uint32_t>(delay) : 0u)});
      return ScriptAnswer::Pointer(&timers);
    });
    t.SetHandler("TimerClearCallbacks", [this](const ScriptCall&) {
      timers.clear();
      return ScriptAnswer::None();
    });
    t.SetHandler("CutsceneEnd", [this](const ScriptCall&) {
      if (callbacks != nullptr) callbacks->HandleEvent(MEV_CUTSCENE_ENDED, nullptr);
      return ScriptAnswer::None();
    });
  }

  void NewLevel() {
    timers.clear();
    for (SpawnPointRecord& s : spawns) s = SpawnPointRecord{0, 0, 0, 1, 1, 1, 0};
    callbacks = LevelSetup(table.Table());
    if (callbacks == nullptr) __builtin_trap();
  }

  // Runs the timed calls due within ms, in due order (bounded).
  void Advance(std::uint32_t ms) {
    const std::uint32_t end = realTime + ms;
    for (int guard = 0; guard < 1000; ++guard) {
      std::size_t best = timers.size();
      for (std::size_t i = 0; i < timers.size(); ++i)
        if (timers[i].due <= end && (best == timers.size() || timers[i].due < timers[best].due)) best = i;
      if (best == timers.size()) break;
      const Timer t = timers[best];
      timers.erase(timers.begin() + static_cast<std::ptrdiff_t>(best));
      realTime = t.due;
      const ScriptTimedEvent e{t.p1, t.p2};
      if (t.callback != nullptr) t.callback(&e);
    }
    realTime = end;
  }
};

World& TheWorld() {
  static World* world = new World;
  return *world;
}

struct Stream {
  const std::uint8_t* data;
  std::size_t size, at;
  bool More() const { return at < size; }
  std::uint8_t U8() { return at < size ? data[at++] : 0; }
  std::uint32_t U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(U8()) << (8 * i);
    return v;
  }
};

void Run(World& w, const std::uint8_t* data, std::size_t size) {
  w.time = 1000;
  w.realTime = 0;
  w.regions = w.dead = 0;
  w.misc = 0;
  w.NewLevel();
  const std::uint8_t* end = w.callbacks->Load(data);
  if (end != data + kStateBytes) __builtin_trap();
  std::uint8_t saved[kStateBytes];
  if (w.callbacks->Save(saved) != saved + kStateBytes || std::memcmp(saved, data, kStateBytes) != 0) __builtin_trap();
  if (w.callbacks->GetStateSize() != kStateBytes) __builtin_trap();
  Stream in{data, size, kStateBytes};
  for (int ops = 0; in.More() && ops < 2000; ++ops) {
    const std::uint8_t op = in.U8();
    switch (op % 8) {
      case 0:  // a frame
      case 1:
        w.time += 1 + in.U8() * 8u;
        w.callbacks->Update();
        break;
      case 2: {  // an event with a block from the input
        const std::uint32_t code = in.U8();
        MissionEventWord block[MISSION_EVENT_BLOCK_WORDS];
        for (MissionEventWord& word : block) word = static_cast<MissionEventWord>(in.U32());
        w.callbacks->HandleEvent(code, block);
        break;
      }
      case 3: {  // an event with small ids (the mission's own)
        const std::uint32_t code = in.U8() % 64;
        MissionEventWord block[MISSION_EVENT_BLOCK_WORDS] = {};
        block[0] = in.U8() + (op & 0x80 ? 256 : 0);
        block[1] = in.U8();
        block[2] = in.U8();
        w.callbacks->HandleEvent(code, block);
        break;
      }
      case 4:  // an event without a block
        w.callbacks->HandleEvent(in.U8(), nullptr);
        break;
      case 5:  // the world changes
        w.regions = static_cast<std::uint64_t>(in.U32()) << 32 | in.U32();
        w.dead = static_cast<std::uint64_t>(in.U32()) << 32 | in.U32();
        w.misc = in.U32();
        break;
      case 6:  // timed calls come due
        w.Advance(in.U8() * 256u);
        break;
      case 7:  // a fresh level: set-up (the intro unless resumed)
        w.NewLevel();
        break;
    }
  }
  // The block still saves whole.
  if (w.callbacks->Save(saved) != saved + kStateBytes) __builtin_trap();
}

// Seeds: states the plug-in saved along a scripted game, each followed by a
// few operations.
void WriteSeeds(const std::string& folder) {
  World& w = TheWorld();
  w.NewLevel();
  std::vector<std::vector<std::uint8_t>> ops = {
      {0, 10, 0, 10},
      {3, 8, 76, 55, 1, 200, 1, 200},
      {3, 21, 37, 0, 3, 21, 37, 2, 0, 5},
      {5, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 1, 10},
      {7, 0, 1, 6, 255, 6, 255, 6, 255, 2, 18},
  };
  const std::vector<std::pair<std::uint32_t, std::vector<MissionEventWord>>> story = {
      {MEV_WAYPOINT_REACHED, {141, 149}}, {MEV_ITEM_TAKEN, {0, 71}}, {MEV_DOOR_CHANGED, {37, 2}},
      {MEV_BUILDING_DESTROYED, {47, 0}},  {MEV_WAYPOINT_REACHED, {76, 55}}};
  std::uint8_t block[kStateBytes] = {};
  block[56] = 1;
  w.callbacks->Load(block);
  for (std::size_t n = 0; n < story.size(); ++n) {
    MissionEventWord words[MISSION_EVENT_BLOCK_WORDS] = {};
    for (std::size_t i = 0; i < story[n].second.size(); ++i) words[i] = story[n].second[i];
    w.callbacks->HandleEvent(story[n].first, words);
    w.time += 500;
    w.callbacks->Update();
    std::vector<std::uint8_t> seed(kStateBytes);
    w.callbacks->Save(seed.data());
    const auto& tail = ops[n % ops.size()];
    seed.insert(seed.end(), tail.begin(), tail.end());
    WriteSeedFile(folder + "/seed" + std::to_string(n) + ".bin", seed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kStateBytes) return 0;
  Run(TheWorld(), data, size);
  return 0;
}
