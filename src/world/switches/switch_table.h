// The level's switches: levers, buttons and similar fittings whose visuals
// move between a rest pose and a thrown pose over the type's travel time on
// the game clock, with a box region in which a soldier can use them and up to
// two linked world objects (doors) that follow their state.  One table exists
// from engine start-up to shut-down; each level's switch section refills it,
// and it is advanced once a frame while the game clock runs.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "world/switches/switch_stats.h"

class CEnvInstance;
class CEnvironment;
class CHLO;
class CHLOManager;
class CRegion;
class CRegionList;
class CTimer;
class EnvTextCursor;

// State flags of a switch.
enum SwitchStateFlags : std::uint32_t {
  SWITCH_MOVING = 0x1,
  SWITCH_AT_REST = 0x2,  // set: at rest or moving to rest; clear: thrown or moving there
};

// Called when a move ends: (switch name hash, 0.0 at rest / 1.0 thrown, activator id).
using SwitchEventCallback = void (*)(std::uint32_t nameHash, float state, std::uint32_t activator);
// Called for each linked object when a move ends: (object, 0.0 at rest / 1.0 thrown).
using SwitchObjectCallback = void (*)(CHLO* object, float state);

// Most switches one section may declare; a larger count is taken as damage.
inline constexpr int kMaxSwitches = 1024;

class CSwitch {
 public:
  // Mode 0 throws, 1 returns to rest, any other restarts the current move.
  // False when moving or already in the requested state; otherwise starts
  // the move at the game clock's time.
  bool SetState(int mode);
  // Ends any move at once in the given state, the visuals placed at its pose
  // and switched (thrown shows the second, rest the first); no callbacks.
  void ForceState(bool thrown);
  // The rest pose while at rest (or moving there), else the thrown pose.
  void GetPosition(CVector3* out) const;
  void GetRotation(CVector3* out) const;
  bool IsMoving() const { return (StateFlags & SWITCH_MOVING) != 0; }
  bool IsAtRest() const { return (StateFlags & SWITCH_AT_REST) != 0; }

  CEnvInstance* FirstInstance = nullptr;
  CEnvInstance* SecondInstance = nullptr;
  std::uint32_t StartTime = 0;
  std::uint32_t TravelTime = 0;
  std::uint32_t StateFlags = SWITCH_AT_REST;
  CVector3 RestPosition{};
  CVector3 RestRotation{};
  CVector3 ThrownPosition{};
  CVector3 ThrownRotation{};
  std::uint32_t NameHash = 0;
  const SwitchStats* Type = nullptr;
  CRegion* Region = nullptr;
  int Index = -1;
  CHLO* FirstLinked = nullptr;
  CHLO* SecondLinked = nullptr;
  std::uint32_t Activator = 0;
  std::int32_t LinkValue = -1;
  // The game clock moves are timed on (the table's).
  CTimer* Clock = nullptr;

  // Places both visuals at rest + factor x (thrown - rest).
  void PlaceVisuals(float factor);
};

class CSwitchTable {
 public:
  explicit CSwitchTable(CTimer* gameClock) : clock_(gameClock) {}
  ~CSwitchTable() { Clear(); }
  CSwitchTable(const CSwitchTable&) = delete;
  CSwitchTable& operator=(const CSwitchTable&) = delete;

  // The switch section of the level file (version 8 on).  Without the word
  // "NUMSWITCHES" ahead the section is absent: the cursor is left where it
  // was and the table stays empty.  Otherwise reads each switch, makes its
  // visuals in the environment (when there is one) and finds its region and
  // linked objects.  False when the text is damaged (a count out of range, a
  // missing field); the switches read before the fault stay.
  bool ReadText(EnvTextCursor& cursor, int version, CEnvironment* environment, CRegionList* regions,
                CHLOManager* objects);
  // Appends a copy of the record (an empty one for null); answers its index,
  // -1 when the table is full or no memory could be had.
  int Add(const CSwitch* record);
  // Switch i, or null when i is negative or not below the count.
  CSwitch* GetSwitch(int i) const;
  // First switch with that name hash; null when none.
  CSwitch* FindByHash(std::uint32_t nameHash) const;
  // Advances every moving switch (once a frame while the game clock runs).
  void Update();
  // The first switch, in table order, whose region is a box holding the
  // point raised by 100 in y; null when none.
  CSwitch* FindAt(const CVector3& point) const;
  // Throws the switch at the point when it is at rest and still; stores the
  // activator.  False otherwise.
  bool UseAt(const CVector3& point, std::uint32_t activator);
  // Frees the records.
  void Clear();

  void SetEventCallback(SwitchEventCallback callback) { event_ = callback; }
  static void SetSwitchObjectCallback(SwitchObjectCallback callback);
  int GetCount() const { return count_; }
  CTimer* GetClock() const { return clock_; }

 private:
  void EndMove(CSwitch* s, bool thrown);

  CTimer* clock_;
  SwitchEventCallback event_ = nullptr;
  CSwitch* records_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
};

// The engine's switch table (null outside engine start-up .. shut-down).
extern CSwitchTable* g_Switches;
