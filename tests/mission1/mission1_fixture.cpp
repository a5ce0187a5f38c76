#include "mission1/mission1_fixture.h"

#include <algorithm>
#include <cstring>

namespace mission1_test {

namespace {

ScriptAnswer Int(std::int64_t v) { return ScriptAnswer::Int(v); }
// Distinct non-null handles the fake game hands out for banks, animations
// and records; the plug-in only passes them back.
char g_fakeHandles[64];

}  // namespace

Mission1Library::Mission1Library() {
  Win32AddLibraryFolder(HALBERD_MISSION1_FOLDER);
  module_ = LoadLibraryA("Mission1.dll");
  if (module_ != nullptr)
    levelSetup_ = reinterpret_cast<LevelSetupFunction>(GetProcAddress(module_, "LevelSetup"));
}

Mission1Library::~Mission1Library() {
  if (module_ != nullptr) FreeLibrary(module_);
  Win32AddLibraryFolder(nullptr);
}

const MissionCallbackTable* Mission1Library::LevelSetup(const ScriptFunctionTable* table) const {
  return levelSetup_ != nullptr ? levelSetup_(table) : nullptr;
}

FakeWorld::FakeWorld(RecordingScriptTable* table) : table_(table) {
  RecordingScriptTable& t = *table;
  t.SetHandler("GameGetTime", [this](const ScriptCall&) { return Int(gameTime); });
  t.SetHandler("RegionContainsPlayerSide", [this](const ScriptCall& c) { return Int(sideInRegion.count(c.Int(0))); });
  t.SetHandler("ObjectIsInRegion",
               [this](const ScriptCall& c) { return Int(objectRegion.count({c.Int(0), c.Int(1)})); });
  t.SetHandler("ObjectIsDead", [this](const ScriptCall& c) { return Int(alive.count(c.Int(0)) ? 0 : 1); });
  t.SetHandler("ObjectKill", [this](const ScriptCall& c) {
    alive.erase(c.Int(0));
    return ScriptAnswer::None();
  });
  t.SetHandler("ObjectIsActive", [this](const ScriptCall& c) { return Int(activeObjects.count(c.Int(0))); });
  t.SetHandler("ObjectActivate", [this](const ScriptCall& c) {
    activeObjects.insert(c.Int(0));
    return ScriptAnswer::None();
  });
  t.SetHandler("UnitIsOutOfPlay", [this](const ScriptCall& c) { return Int(outOfPlay.count(c.Int(0))); });
  t.SetHandler("ObjectIsNearWaypoint",
               [this](const ScriptCall& c) { return Int(nearWaypoint.count({c.Int(0), c.Int(1)})); });
  t.SetHandler("ObjectIsNearObject",
               [this](const ScriptCall& c) { return Int(nearObject.count({c.Int(0), c.Int(1)})); });
  t.SetHandler("ObjectIsNearObjectOrOut", [this](const ScriptCall& c) {
    return Int(outOfPlay.count(c.Int(0)) || nearObject.count({c.Int(0), c.Int(1)}));
  });
  t.SetHandler("ObjectGetSide", [this](const ScriptCall& c) {
    auto it = sides.find(c.Int(0));
    return Int(it != sides.end() ? it->second : -1);
  });
  t.SetHandler("ObjectSetSide", [this](const ScriptCall& c) {
    sides[c.Int(0)] = c.Int(1);
    return ScriptAnswer::None();
  });
  t.SetHandler("UnitGetOrder", [this](const ScriptCall& c) {
    auto it = orders.find(c.Int(0));
    return Int(it != orders.end() ? it->second : 0);
  });
  t.SetHandler("UnitSetOrder", [this](const ScriptCall& c) {
    orders[c.Int(0)] = c.Int(1);
    return ScriptAnswer::None();
  });
  t.SetHandler("GruntIsHoldingItem", [this](const ScriptCall& c) {
    auto it = holding.find(c.Int(0));
    return Int(it != holding.end() && it->second == c.Int(1));
  });
  t.SetHandler("ObjectHasWaypoint", [this](const ScriptCall& c) { return Int(withWaypoint.count(c.Int(0))); });
  t.SetHandler("PlayersGetCount", [this](const ScriptCall&) { return Int(players); });
  t.SetHandler("PlayerGetUnitId", [this](const ScriptCall& c) { return Int(c.Int(0) < players ? c.Int(0) : -1); });
  t.SetHandler("CutsceneCheckSkip", [this](const ScriptCall&) { return Int(cutsceneSkip); });
  t.SetHandler("GameGetResumeFlag", [this](const ScriptCall&) { return Int(resumeFlag); });
  t.SetHandler("MissionIsResumed", [this](const ScriptCall&) { return Int(missionResumed); });
  t.SetHandler("SideIsOutOfPlay", [this](const ScriptCall&) { return Int(sideOutOfPlay); });
  t.SetHandler("MovieCameraIsIdle", [this](const ScriptCall&) { return Int(movieCameraIdle); });
  t.SetHandler("DebugIsEnabledAlt", [this](const ScriptCall&) { return Int(debug); });
  t.SetHandler("DebugIsEnabled", [this](const ScriptCall&) { return Int(debug); });
  t.SetHandler("MovieSetVersion", [this](const ScriptCall& c) {
    if (movieVersion == 0) movieVersion = c.Int(0);
    return Int(1);
  });
  t.SetHandler("MovieGetVersion", [this](const ScriptCall&) { return Int(movieVersion); });
  t.SetAnswer("ScriptCheckVersion", Int(1));
  t.SetAnswer("SoundLoadBank", ScriptAnswer::Pointer(&g_fakeHandles[0]));
  t.SetAnswer("AnimationFind", ScriptAnswer::Pointer(&g_fakeHandles[1]));
  t.SetAnswer("InputGetActionKeyText", ScriptAnswer::Pointer("E"));
  t.SetHandler("SoundCacheLoad", [](const ScriptCall& c) {
    // The sample handle is the name's hash; any stable non-zero number serves.
    std::uint32_t h = 2166136261u;
    for (char ch : c.Text(0)) h = (h ^ static_cast<unsigned char>(ch)) * 16777619u;
    return Int(h);
  });
  t.SetHandler("ScriptLoadDataFile", [](const ScriptCall& c) {
    auto** out = static_cast<ScriptDataRecord**>(const_cast<void*>(c.Pointer(1)));
    if (out != nullptr) *out = reinterpret_cast<ScriptDataRecord*>(&g_fakeHandles[c.Text(0).find("day") != std::string::npos ? 3 : 2]);
    return ScriptAnswer::None();
  });
  t.SetHandler("WaypointGetPosition", [this](const ScriptCall& c) {
    auto* out = static_cast<ScriptVec3*>(const_cast<void*>(c.Pointer(0)));
    auto it = waypointPositions.find(c.Int(1));
    if (out != nullptr && it != waypointPositions.end()) *out = it->second;
    return ScriptAnswer::None();
  });
  // An object's home is where it stands in the fake world.
  const auto objectPosition = [this](const ScriptCall& c) {
    auto* out = static_cast<ScriptVec3*>(const_cast<void*>(c.Pointer(0)));
    auto it = objectPositions.find(c.Int(1));
    if (out != nullptr && it != objectPositions.end()) *out = it->second;
    return ScriptAnswer::None();
  };
  t.SetHandler("ObjectGetPosition", objectPosition);
  t.SetHandler("ObjectGetHomePosition", objectPosition);

  // Objectives: numbered in creation order.
  t.SetHandler("ObjectiveAdd", [this](const ScriptCall& c) {
    Objective o;
    o.text = static_cast<std::uint32_t>(c.Wide(0));
    objectives.push_back(o);
    return Int(static_cast<std::int64_t>(objectives.size()) - 1);
  });
  auto objective = [this](std::int32_t n) -> Objective* {
    return n >= 0 && n < static_cast<std::int32_t>(objectives.size()) ? &objectives[n] : nullptr;
  };
  t.SetHandler("ObjectiveAddTarget", [objective](const ScriptCall& c) {
    if (Objective* o = objective(c.Int(0))) o->targets.push_back(static_cast<std::uint32_t>(c.Wide(1)));
    return ScriptAnswer::None();
  });
  t.SetHandler("ObjectiveAddMarkerPosition", [objective](const ScriptCall& c) {
    if (Objective* o = objective(c.Int(0))) o->markers.push_back(c.Vector(1));
    return ScriptAnswer::None();
  });
  t.SetHandler("ObjectiveSetShown", [objective](const ScriptCall& c) {
    if (Objective* o = objective(c.Int(0))) o->bits = c.Int(1) ? (o->bits | 8) : (o->bits & ~8);
    return ScriptAnswer::None();
  });
  t.SetHandler("ObjectiveComplete", [objective](const ScriptCall& c) {
    if (Objective* o = objective(c.Int(0))) o->bits |= 2 | 8;
    return ScriptAnswer::None();
  });
  t.SetHandler("ObjectiveFail", [objective](const ScriptCall& c) {
    if (Objective* o = objective(c.Int(0))) o->bits = (o->bits | 4) & ~8;
    return ScriptAnswer::None();
  });

  t.SetHandler("MissionGetResult", [this](const ScriptCall&) { return Int(missionResult); });
  t.SetHandler("MissionSetResult", [this](const ScriptCall& c) {
    missionResult = c.Int(0);
    return ScriptAnswer::None();
  });
  t.SetHandler("MissionAddScore", [this](const ScriptCall& c) {
    score += c.Int(0);
    return ScriptAnswer::None();
  });
  t.SetHandler("MissionSetNextLevel", [this](const ScriptCall& c) {
    nextLevel = c.Text(0);
    return ScriptAnswer::None();
  });
  t.SetHandler("ScreenShowBriefing", [this](const ScriptCall&) {
    ++briefingsShown;
    return Int(1);
  });

  // Spawn points: records the mission reads and writes through their address.
  t.SetHandler("SpawnPointsCreate", [this](const ScriptCall& c) {
    spawnPoints.assign(static_cast<std::size_t>(std::max(0, c.Int(0))), SpawnPointRecord{});
    return Int(1);
  });
  auto spawn = [this](std::int32_t n) -> SpawnPointRecord* {
    return n >= 0 && n < static_cast<std::int32_t>(spawnPoints.size()) ? &spawnPoints[n] : nullptr;
  };
  t.SetHandler("SpawnPointSet", [spawn](const ScriptCall& c) {
    if (SpawnPointRecord* r = spawn(c.Int(0)))
      *r = SpawnPointRecord{c.Float(1), c.Float(2), c.Float(3), c.Int(4), 1, static_cast<std::uint32_t>(c.Wide(6)),
                            c.Int(5)};
    return ScriptAnswer::None();
  });
  t.SetHandler("SpawnPointGet", [spawn](const ScriptCall& c) { return ScriptAnswer::Pointer(spawn(c.Int(0))); });
  t.SetHandler("SpawnPointEnable", [spawn](const ScriptCall& c) {
    SpawnPointRecord* r = spawn(c.Int(0));
    if (r != nullptr && (r->state != 2 || c.Int(1) != 0)) r->state = 1;
    return ScriptAnswer::None();
  });
  t.SetHandler("SpawnPointDisable", [spawn](const ScriptCall& c) {
    SpawnPointRecord* r = spawn(c.Int(0));
    if (r != nullptr && r->state != 2) r->state = c.Int(1) != 0 ? 2 : 0;
    return ScriptAnswer::None();
  });
  t.SetHandler("SpawnPointsDisableAll", [this](const ScriptCall&) {
    for (SpawnPointRecord& r : spawnPoints)
      if (r.state != 2) r.state = 0;
    return ScriptAnswer::None();
  });

  // The timed-callback queue.
  t.SetHandler("TimerPostCallback", [this](const ScriptCall& c) {
    if (timers.size() >= kTimerCapacity) {
      ++overwrites;
      timers.erase(timers.begin());
    }
    const float delay = c.Float(3);
    timers.push_back(Timer{c.Callback(0), static_cast<std::intptr_t>(c.Wide(1)),
                           static_cast<std::intptr_t>(c.Wide(2)),
                           realTime + static_cast<std::uint64_t>(delay > 0 ? delay : 0), postOrder_++});
    maxPending = std::max(maxPending, timers.size());
    return ScriptAnswer::Pointer(&timers);
  });
  t.SetHandler("TimerClearCallbacks", [this](const ScriptCall&) {
    timers.clear();
    return ScriptAnswer::None();
  });
  // The game ends the sequence and raises "cut-scene ended" at once.
  t.SetHandler("CutsceneEnd", [this](const ScriptCall&) {
    ++cutsceneEnds;
    if (callbacks != nullptr) callbacks->HandleEvent(MEV_CUTSCENE_ENDED, nullptr);
    return ScriptAnswer::None();
  });
}

void FakeWorld::AdvanceReal(std::uint64_t ms) {
  const std::uint64_t end = realTime + ms;
  for (;;) {
    auto next = std::min_element(timers.begin(), timers.end(), [](const Timer& a, const Timer& b) {
      return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == timers.end() || next->due > end) break;
    const Timer due = *next;
    timers.erase(next);
    realTime = std::max(realTime, due.due);
    const ScriptTimedEvent event{due.p1, due.p2};
    if (due.callback != nullptr) due.callback(&event);
  }
  realTime = end;
}

std::int32_t FakeWorld::Raise(std::uint32_t code, std::initializer_list<std::int32_t> words, bool nullBlock) {
  std::memset(lastBlock, 0, sizeof lastBlock);
  std::size_t n = 0;
  for (std::int32_t w : words)
    if (n < MISSION_EVENT_BLOCK_WORDS) lastBlock[n++] = w;
  return callbacks->HandleEvent(code, nullBlock ? nullptr : lastBlock);
}

void FakeWorld::Frames(int n, std::uint32_t step) {
  for (int i = 0; i < n; ++i) {
    gameTime += step;
    callbacks->Update();
  }
}

const MissionCallbackTable* Mission1Test::SetUpMission() {
  // A new level: the game's mission record and lists start empty.
  world.objectives.clear();
  world.spawnPoints.clear();
  world.timers.clear();
  world.callbacks = library.LevelSetup(table.Table());
  return world.callbacks;
}

void Mission1Test::StartPlay(const StateBlock& block) {
  world.resumeFlag = 1;
  world.missionResumed = 1;
  ASSERT_NE(SetUpMission(), nullptr);
  world.resumeFlag = 0;
  world.missionResumed = 0;
  world.callbacks->Load(block.data());
}

StateBlock Mission1Test::Saved() const {
  StateBlock b{};
  world.callbacks->Save(b.data());
  return b;
}

std::vector<std::string> Mission1Test::NamesFrom(std::size_t from) const {
  std::vector<std::string> names;
  for (std::size_t n = from; n < table.Calls().size(); ++n) names.push_back(table.Calls()[n].name);
  return names;
}

}  // namespace mission1_test
