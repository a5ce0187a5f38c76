// Mission1 under test: the built plug-in ("Mission1.so") loaded through the
// program's library loader, run against the recording script table with a
// small scriptable world behind it (clocks, regions, the living and the
// dead, objectives, spawn points, the timed-callback queue, the mission
// record).  Each fixture loads the library afresh, so no state is carried
// from one test to the next.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mission_abi.h"
#include "platform/win32/library.h"
#include "mission1/mission1_test_util.h"
#include "test_support/recording_script_table.h"

namespace mission1_test {

// The plug-in library, loaded for "Mission1.dll" and freed again.
class Mission1Library {
 public:
  Mission1Library();
  ~Mission1Library();
  Mission1Library(const Mission1Library&) = delete;
  Mission1Library& operator=(const Mission1Library&) = delete;
  bool Loaded() const { return levelSetup_ != nullptr; }
  const MissionCallbackTable* LevelSetup(const ScriptFunctionTable* table) const;

 private:
  HMODULE module_ = nullptr;
  LevelSetupFunction levelSetup_ = nullptr;
};

// The game behind the recording table, as far as the mission asks it.
class FakeWorld {
 public:
  explicit FakeWorld(RecordingScriptTable* table);

  // Clocks: the game clock answers GameGetTime; timed callbacks run on the
  // real clock (the mission posts all of its own during sequences).
  std::uint32_t gameTime = 1000;
  std::uint64_t realTime = 0;

  std::set<int> sideInRegion;                  // RegionContainsPlayerSide
  std::set<std::pair<int, int>> objectRegion;  // ObjectIsInRegion(object, region)
  std::set<int> alive;                         // everything else is dead
  std::set<int> activeObjects;
  std::set<int> outOfPlay;
  std::set<std::pair<int, int>> nearWaypoint;  // ObjectIsNearWaypoint(object, waypoint)
  std::set<std::pair<int, int>> nearObject;    // ObjectIsNearObject(Or)Out(a, b)
  std::map<int, int> sides;
  std::map<int, int> orders;
  std::map<int, int> holding;                  // soldier -> item in hand
  std::set<int> withWaypoint;                  // ObjectHasWaypoint
  int players = 1;
  int cutsceneSkip = 0;
  int resumeFlag = 0;
  int missionResumed = 0;
  int sideOutOfPlay = 0;
  int movieCameraIdle = 1;
  int debug = 0;
  int movieVersion = 0;  // the first MovieSetVersion keeps it

  // The mission record.
  struct Objective {
    std::uint32_t text = 0;
    int bits = 1;  // 1 created, 2 completed, 4 failed, 8 shown
    std::vector<std::uint32_t> targets;
    std::vector<ScriptVec3> markers;
  };
  std::vector<Objective> objectives;
  int missionResult = 0;
  int score = 0;
  std::string nextLevel;
  int briefingsShown = 0;
  int cutsceneEnds = 0;

  std::vector<SpawnPointRecord> spawnPoints;

  // The timed-callback queue of the game (200 entries).
  static constexpr std::size_t kTimerCapacity = 200;
  struct Timer {
    ScriptTimedCallback callback;
    std::intptr_t p1, p2;
    std::uint64_t due;
    std::uint64_t order;
  };
  std::vector<Timer> timers;
  std::size_t maxPending = 0;
  int overwrites = 0;
  // Runs every posted call due within the next ms of the real clock, in due
  // order (posts of equal time in posting order).
  void AdvanceReal(std::uint64_t ms);

  // The plug-in, once set up.
  const MissionCallbackTable* callbacks = nullptr;
  // Raises an event with a zero-filled block of 16 words (null block when
  // `words` is empty and `nullBlock`); answers the handler and leaves the
  // block in lastBlock.
  std::int32_t Raise(std::uint32_t code, std::initializer_list<std::int32_t> words = {}, bool nullBlock = false);
  std::int32_t lastBlock[MISSION_EVENT_BLOCK_WORDS] = {};
  // Frames: n per-frame updates, the game clock moving by step ms each.
  void Frames(int n, std::uint32_t step = 16);

  // Positions answered for waypoints and objects (zero otherwise).
  std::map<int, ScriptVec3> waypointPositions;
  std::map<int, ScriptVec3> objectPositions;

 private:
  RecordingScriptTable* table_;
  std::uint64_t postOrder_ = 0;
};

// A test with the library loaded, a recording table, a fake world, and
// LevelSetup called through SetUpMission.
class Mission1Test : public ::testing::Test {
 protected:
  Mission1Test() : world(&table) {}
  void SetUp() override { ASSERT_TRUE(library.Loaded()); }
  // LevelSetup; the callbacks are kept in world.callbacks.
  const MissionCallbackTable* SetUpMission();
  // Set-up as for a resumed game, then play started by loading the block
  // (status 2).
  void StartPlay(const StateBlock& block = Block({}));
  // The state block as the plug-in saves it.
  StateBlock Saved() const;
  // Names of the calls logged since `from`, in order.
  std::vector<std::string> NamesFrom(std::size_t from) const;

  Mission1Library library;
  RecordingScriptTable table;
  FakeWorld world;
};

}  // namespace mission1_test
