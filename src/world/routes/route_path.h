// A unit's route path: the router's result turned into the list of points
// the unit walks, how far it has come, and the two ends of its route scan
// with their incremental nearest-marker searches.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;

inline constexpr std::uint32_t kRoutePathPoints = 500;
inline constexpr std::uint32_t kRouteMarkerUnset = 0xFFFFFFFFu;

// Flags of BuildFromRoute and BuildStraightened.
enum RoutePathFlags : std::uint32_t {
  RPF_NO_TARGET = 0x1,      // the target is not appended
  RPF_START_POINT = 0x2,    // the start point is point 0
  RPF_END_AT_MARKER = 0x4,  // no target; the destination is the last marker
  RPF_NO_COST = 0x8,        // the markers' weights are left alone
};

// One end of a route scan: the nearest marker to the end's position and
// the nearest one that can be seen from it, found a few markers at a time.
struct RouteEndSearch {
  std::int32_t Done = 0;
  std::int32_t NearestMarker = -1;
  float NearestDistanceSq = 1e14f;
  std::int32_t VisibleMarker = -1;
  float VisibleDistanceSq = 1e14f;
  CVector3 SearchPosition{0, 0, 0};
  std::int32_t NextMarker = 0;
  CVector3 StartPosition{0, 0, 0};
  // The ground under the end (end 1 only).
  CEnvInstance* Ground = nullptr;
};

// Markers examined by every end search so far.
extern std::uint32_t g_RouteMarkersExamined;

class CRoutePath {
 public:
  CRoutePath();
  // Idle: no points, scan mode 0, nothing passed, both ends reset.
  void Reset();
  // One point, the target itself.
  void Begin(const CVector3& target);
  // The router's last result (start side first) as points: optionally the
  // start, each marker (a leaf marker moved off-centre by the same random
  // fraction of its leaf for the whole path, its weight raised by 0.25
  // unless RPF_NO_COST), then the target.  At most 500 points are kept.
  void BuildFromRoute(const CVector3& start, const CVector3& target, std::uint32_t flags);
  // The router's last result cut short wherever the quadtree ray test sees
  // past the next points.
  void BuildStraightened(const CVector3& start, const CVector3& target, std::uint32_t flags);
  std::uint32_t CopyFrom(const CRoutePath& other);

  // The point after the current one; null while idle or at the end.
  const CVector3* GetNextPoint() const;
  int PeekNextPoint(CVector3* out) const;
  std::int32_t GetCurrentMarker() const;
  std::int32_t GetNextMarker() const;
  std::uint16_t GetNextMarkerWord() const;
  std::uint16_t FindMarkerAfter(std::int32_t marker) const;
  std::uint32_t GetRemaining() const { return Count - Current; }
  // Moves to the next point; 1 (and idle) once past the last.
  int Advance(bool remember);
  bool IsAtEnd() const { return Count == 0 || Current == Count - 1; }
  bool IsOnLastLeg() const { return Count != 0 && State == 1 && Current == Count - 1; }
  void SetState(std::uint32_t state) { State = state; }
  void SetScanMode(std::uint32_t mode) { ScanMode = mode; }

  // --- the ends of the route scan -----------------------------------------------------------
  static void ResetSearch(RouteEndSearch* end);
  // Stores the position and the two markers; an unset first marker resets
  // end 0, an unset second one resets end 1 and finds the ground under the
  // position for it.
  void InitEnds(const CVector3& position, std::uint32_t firstMarker, std::uint32_t secondMarker);
  void ResetEnd(int end);
  // One step of the end's search over at most budget markers; 1 once the
  // whole marker list has been seen.
  int SearchEnd(CEnvInstance* instance, const CVector3& position, std::uint32_t budget, int end);
  bool IsNearEnd(int end, const CVector3* point) const;
  std::int32_t GetEndMarker(int end, int visible) const;
  void SetInstance(CEnvInstance* instance) { Instance = instance; }

  CVector3 Destination{0, 0, 0};
  CVector3 Points[kRoutePathPoints];
  std::int32_t PointMarkers[kRoutePathPoints];
  std::uint32_t Current = 0;
  std::uint32_t Count = 0;
  std::uint32_t State = 0;
  std::uint32_t StartMarker = kRouteMarkerUnset;
  std::uint32_t GoalMarker = kRouteMarkerUnset;
  // 2 when a start marker is known, else 1 (0 at reset).
  std::uint32_t ScanMode = 0;
  std::int32_t LastPassed = -1;
  RouteEndSearch Ends[2];
  CVector3 StartPosition{0, 0, 0};
  // The unit's own instance, used by the search of end 1.
  CEnvInstance* Instance = nullptr;
  // Router nodes that did not fit in the last build.
  std::uint32_t Dropped = 0;
};
