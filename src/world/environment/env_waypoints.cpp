#include "world/environment/env_waypoints.h"

#include <cstring>

#include "foundation/system/debug_output.h"
#include "world/environment/env_text_cursor.h"

EnvWaypointList* g_EnvWaypoints = nullptr;

namespace {

// Waypoints of files from version 10 on carry an unused second integer, and
// from version 14 on a look point.
constexpr int kSecondIntVersion = 10;
constexpr int kLookPointVersion = 14;

bool Stopped(const EnvTextCursor& text) {
  DebugTrace("Waypoint section: text ends or holds a bad value at line %d\n", text.Line());
  return false;
}

}  // namespace

int EnvWaypointList::Add(const CVector3& position, const CVector3* lookPoint) {
  if (count_ >= kCapacity) return -1;
  EnvWaypoint& w = waypoints_[count_];
  w.position = position;
  w.lookPoint = lookPoint ? *lookPoint : position;
  w.next = -1;
  w.tag = 0;
  return count_++;
}

bool EnvWaypointList::Read(EnvTextCursor& text, int version) {
  int first = count_;
  bool ok = true;
  int dropped = 0;
  char word[256];
  if (!text.Token(word)) return Stopped(text);
  while (std::strcmp(word, "ENDWAYPTS") != 0) {
    bool full = std::strcmp(word, "NEWENVWAYPT") == 0;
    if (full || std::strcmp(word, "ENVWAYPT") == 0) {
      int fileIndex = 0, unused = 0, tag = 0, next = -1;
      char name[128];
      CVector3 position{}, look{};
      bool hasLook = full && version >= kLookPointVersion;
      bool read = text.Int(&fileIndex) && (!full || version < kSecondIntVersion || text.Int(&unused)) &&
                  text.Word(name) && text.Reals(&position.x, 3) && (!hasLook || text.Reals(&look.x, 3)) &&
                  (!full || text.Int(&tag)) && text.Int(&next);
      if (!read) {
        ok = Stopped(text);
        break;
      }
      // The file's own index is not used: waypoints are appended in file
      // order, so the file's indices run from 0.
      int index = Add(position, hasLook ? &look : nullptr);
      if (index < 0) {
        ++dropped;
      } else {
        waypoints_[index].tag = tag;
        waypoints_[index].next = next;
      }
    } else {
      DebugTrace("Waypoint section: unknown word \"%s\" at line %d skipped\n", word, text.Line());
    }
    if (!text.Token(word)) {
      ok = Stopped(text);
      break;
    }
  }
  if (dropped > 0) DebugTrace("Waypoint section: %d waypoints beyond %d dropped\n", dropped, kCapacity);
  // A chain must not lead outside the list: units follow next links blindly.
  for (int i = first; i < count_; ++i) {
    int& next = waypoints_[i].next;
    if (next != -1 && !Valid(next)) {
      DebugTrace("Waypoint %d: next waypoint %d does not exist, chain ended\n", i, next);
      next = -1;
    }
  }
  return ok;
}

const EnvWaypoint* EnvWaypointList::GetWaypoint(int index) const { return Valid(index) ? &waypoints_[index] : nullptr; }

CVector3 EnvWaypointList::GetWaypointPosition(int index) const {
  return Valid(index) ? waypoints_[index].position : CVector3{0.0f, 0.0f, 0.0f};
}

int EnvWaypointList::GetNext(int index) const { return Valid(index) ? waypoints_[index].next : -1; }

int EnvWaypointList::GetTag(int index) const { return Valid(index) ? waypoints_[index].tag : 0; }

void EnvWaypointList::SetPosition(int index, const CVector3& position) {
  if (Valid(index)) waypoints_[index].position = position;
}

void EnvWaypointList::SetNext(int index, int next) {
  if (Valid(index)) waypoints_[index].next = next == -1 || Valid(next) ? next : -1;
}

void EnvWaypointList::SetTag(int index, int tag) {
  if (Valid(index)) waypoints_[index].tag = tag;
}

bool EnvWaypointList::StartPath(int start, EnvWaypointPath& path) const {
  if (GetNext(start) == -1) return false;
  path.window[0] = start;
  for (int i = 1; i < 4; ++i) path.window[i] = GetNext(path.window[i - 1]);
  path.stepWords[0] = path.stepWords[1] = 0;
  path.started = 1;
  return true;
}

void EnvWaypointList::AdvancePath(EnvWaypointPath& path) const {
  for (int i = 0; i < 3; ++i) path.window[i] = path.window[i + 1];
  path.window[3] = GetNext(path.window[2]);
  path.stepWords[0] = path.stepWords[1] = 0;
}
