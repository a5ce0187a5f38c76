// The level's waypoints: positions that units walk in chains, each with a
// point to look at, the index of the next waypoint and a tag word.  Filled
// from the waypoint section of the environment file; units follow a chain
// through a window of four waypoints.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class EnvTextCursor;

struct EnvWaypoint {
  CVector3 position;
  CVector3 lookPoint;  // equals the position when none was given
  std::int32_t next;   // -1 ends the chain
  std::int32_t tag;    // 0 unless the file gives one
};

// A unit's look-ahead over a chain: four waypoint indices (-1 empty), two
// words the unit clears on every step, and whether the walk has started.
struct EnvWaypointPath {
  std::int32_t window[4] = {-1, -1, -1, -1};
  std::int32_t stepWords[2] = {0, 0};
  std::int32_t started = 0;
};

class EnvWaypointList {
 public:
  static constexpr int kCapacity = 600;

  EnvWaypointList() { Init(); }

  // Empties the list.
  void Init() { count_ = 0; }
  // Reads the waypoint section up to and including "ENDWAYPTS" in a file of
  // the given version, appending to the list.  False, with what was read
  // kept and a debug line naming the line, when the text ends or a value has
  // the wrong form before "ENDWAYPTS"; the cursor then stands where reading
  // stopped.  Waypoints beyond the capacity are read and dropped, and next
  // indices that name no waypoint of the list become -1, each with a debug
  // line.
  bool Read(EnvTextCursor& text, int version);
  // Appends a waypoint (next -1, tag 0); the look point is the position when
  // null.  Answers its index, or -1 when the list is full.
  int Add(const CVector3& position, const CVector3* lookPoint);

  int Count() const { return count_; }
  // The waypoint at `index`, or null when no waypoint has that index.
  const EnvWaypoint* GetWaypoint(int index) const;
  // Accessors of one waypoint.  Reads of an index that names no waypoint
  // answer the origin, -1 (next) and 0 (tag); writes to it do nothing.
  CVector3 GetWaypointPosition(int index) const;
  int GetNext(int index) const;
  int GetTag(int index) const;
  void SetPosition(int index, const CVector3& position);
  void SetNext(int index, int next);
  void SetTag(int index, int tag);

  // Starts a walk at `start`: fills the window with it and up to three
  // waypoints that follow by their next links (-1 where the chain ends),
  // clears the step words and marks the walk started.  Answers false, with
  // the path untouched, when `start` names no waypoint or its next is -1.
  bool StartPath(int start, EnvWaypointPath& path) const;
  // One step along the chain: the window moves up by one and its last entry
  // becomes the next of the entry before it (-1 past the end); the step
  // words are cleared.
  void AdvancePath(EnvWaypointPath& path) const;

 private:
  bool Valid(int index) const { return index >= 0 && index < count_; }

  EnvWaypoint waypoints_[kCapacity];
  int count_ = 0;
};

// The game's waypoint list (made by the game's start-up; null before).  The
// level file's waypoint section is read into it.
extern EnvWaypointList* g_EnvWaypoints;
