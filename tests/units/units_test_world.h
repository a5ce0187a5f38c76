// A small world for the units' tests, without the engine: the game clock
// (set to any time), the object manager with the game's factory, the local
// side 0, the stats tables and state-rule files the tools made (loaded on
// request), a recorder of the mission events the units raise, and the sound
// manager's play log.  Objects made here have no visual unless a test gives
// the world an environment.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/time/timer.h"
#include "world/objects/hlo_spawn_record.h"

class CHLOGrunt;
class CHLOManager;
class CSoundManager;

struct RaisedEvent {
  std::uint32_t code;
  std::uint32_t firstWord;
  std::vector<std::uint32_t> words;  // the whole block raised
};

class UnitsTestWorld : public ::testing::Test {
 public:
  // The mission events raised since the test began (after RecordEvents).
  static std::vector<RaisedEvent> events_;
  // Answers the recorder gives: for an event of the code with three words or
  // more, the third word is set to the answer (as a plug-in answers a query).
  static std::vector<std::pair<std::uint32_t, std::uint32_t>> answers_;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the game clock's time (ms) and keeps it running.
  void SetTime(std::uint32_t ms);
  // Loads the tools' stats tables (false with a message box captured).
  bool LoadStats();
  // Loads the tools' three rule files into the units' tables.
  bool LoadRules();
  // A spawn record of a soldier kind at a position on a side.
  static HLOSpawnRecord SoldierRecord(const char* kind, int side, const CVector3& at = {});
  // A soldier made by the factory (filed by the object manager); null when
  // the factory refuses.
  CHLOGrunt* MakeSoldier(const char* kind, int side, const CVector3& at = {});
  // Binds a recorder of the units' mission events (as a bound plug-in would).
  void RecordEvents();

  // The message boxes shown, but for those this world gives because it has
  // no ground, models or textures (the ground warning of every active
  // object, the stats assets that cannot be found); the level tests, with
  // all three, show none at all.
  std::vector<std::string> Boxes() const;

  CTimer clock_;
  CHLOManager* manager_ = nullptr;
  CSoundManager* sound_ = nullptr;
  std::vector<std::string> boxes_;
  bool catalogStarted_ = false;
  class HLOWorld* savedWorld_ = nullptr;
};
