#include "world/routes/route_path.h"

#include <cmath>
#include <vector>

#include "foundation/maths/random_tables.h"
#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_marker.h"
#include "world/routes/router.h"

std::uint32_t g_RouteMarkersExamined = 0;

namespace {

constexpr float kCostPerUse = 0.25f;
constexpr float kLeafOffsetFraction = 0.9f;
constexpr float kVisibleRangeSq = 2.25e6f;
constexpr std::uint32_t kLineTestsPerFrame = 3;
constexpr float kEyeHeight = 33.0f;
constexpr float kRestartDistance = 50.0f;

// The markers of the router's last result, start side first.
std::vector<std::uint32_t> ResultMarkers() {
  std::vector<std::uint32_t> out;
  if (!g_Router) return out;
  const std::uint32_t limit = g_Router->GetNodeCount();
  for (const RouteSearchNode* n = g_Router->GetResult(); n && out.size() <= limit; n = n->Parent)
    out.push_back(n->Marker);
  return out;
}

bool MarkerExists(std::uint32_t m) { return g_RouteMarkerList && m < g_RouteMarkerList->Count; }

}  // namespace

CRoutePath::CRoutePath() {
  for (std::int32_t& m : PointMarkers) m = -1;
  Reset();
}

void CRoutePath::Reset() {
  Current = Count = State = 0;
  ScanMode = 0;
  LastPassed = -1;
  ResetSearch(&Ends[0]);
  ResetSearch(&Ends[1]);
}

void CRoutePath::Begin(const CVector3& target) {
  Points[0] = target;
  PointMarkers[0] = -1;
  Current = 0;
  Count = 1;
  State = 1;
  Destination = target;
}

void CRoutePath::BuildFromRoute(const CVector3& start, const CVector3& target, std::uint32_t flags) {
  const float r1 = RandomFloatRange(-1, 1);
  const float r2 = RandomFloatRange(-1, 1);
  const bool withTarget = (flags & (RPF_NO_TARGET | RPF_END_AT_MARKER)) == 0;
  // The target keeps its place at the end when the route is too long.
  const std::uint32_t markerRoom = kRoutePathPoints - (withTarget ? 1 : 0);
  std::uint32_t n = 0;
  Dropped = 0;
  if (flags & RPF_START_POINT) {
    Points[n] = start;
    PointMarkers[n++] = -1;
  }
  CVector3 lastMarker = target;
  for (std::uint32_t m : ResultMarkers()) {
    if (!MarkerExists(m)) continue;
    if (n >= markerRoom) {
      ++Dropped;
      continue;
    }
    CRouteMarker* marker = g_RouteMarkerList->GetMarker(m);
    if ((flags & RPF_NO_COST) == 0) marker->AddCost(kCostPerUse);
    CVector3 p = marker->Position;
    lastMarker = p;
    if (marker->IsLeafMarker() && g_QuadTree) {
      if (const CQuadTreeNode* leaf = g_QuadTree->FindLeaf(p)) {
        const float j = kLeafOffsetFraction * leaf->Half;
        p.x += r2 * j;
        p.z += r1 * j;
      }
    }
    Points[n] = p;
    PointMarkers[n++] = static_cast<std::int32_t>(m);
  }
  if (withTarget) {
    Points[n] = target;
    PointMarkers[n++] = -1;
  }
  Current = 0;
  State = 1;
  Count = n;
  Destination = (flags & RPF_END_AT_MARKER) ? lastMarker : target;
}

void CRoutePath::BuildStraightened(const CVector3& start, const CVector3& target, std::uint32_t flags) {
  Current = 0;
  Dropped = 0;
  const std::vector<std::uint32_t> route = ResultMarkers();
  struct Collected {
    CVector3 p;
    std::int32_t marker;
  };
  std::vector<Collected> collected;
  for (std::size_t i = 0; i < route.size(); ++i) {
    if (!MarkerExists(route[i])) continue;
    const CVector3& b = g_RouteMarkerList->GetMarker(route[i])->Position;
    if (i > 0 && i + 1 < route.size() && MarkerExists(route[i - 1]) && MarkerExists(route[i + 1])) {
      const CVector3& a = g_RouteMarkerList->GetMarker(route[i - 1])->Position;
      const CVector3& c = g_RouteMarkerList->GetMarker(route[i + 1])->Position;
      if ((a.x == b.x && b.x == c.x) || (a.z == b.z && b.z == c.z)) continue;
    }
    collected.push_back({b, static_cast<std::int32_t>(route[i])});
  }
  if ((flags & RPF_NO_TARGET) == 0) collected.push_back({{target.x, 0, target.z}, -1});
  const std::size_t room = kRoutePathPoints - ((flags & RPF_START_POINT) ? 1 : 0);
  if (collected.size() > room) {
    Dropped = static_cast<std::uint32_t>(collected.size() - room);
    collected.resize(room);
  }

  std::uint32_t n = 0;
  const CVector3 startFlat{start.x, 0, start.z};
  if (flags & RPF_START_POINT) {
    Points[n] = startFlat;
    PointMarkers[n++] = -1;
  }
  // Walk: from the last kept point, on along the collected points while the
  // ray test stays clear; the farthest clear one is kept, or the very next
  // one when not even it is clear.
  CVector3 last = startFlat;
  std::size_t kept = 0;  // collected points used so far
  for (std::size_t place = 0; place < collected.size(); ++place) {
    std::size_t pick;
    if (kept == collected.size()) {
      pick = collected.size() - 1;
    } else {
      pick = kept;
      for (std::size_t k = kept; k < collected.size() && QuadTreeRaycastPoints(last, collected[k].p); ++k) pick = k;
      kept = pick + 1;
    }
    last = collected[pick].p;
    Points[n] = collected[pick].p;
    // The kept point's own marker, so that marker queries never answer one
    // left from an earlier path.
    PointMarkers[n++] = collected[pick].marker;
  }
  Count = n;
  State = 1;
  Destination = target;
}

std::uint32_t CRoutePath::CopyFrom(const CRoutePath& other) {
  Destination = other.Destination;
  Count = other.Count;
  for (std::uint32_t i = 0; i < Count; ++i) {
    Points[i] = other.Points[i];
    PointMarkers[i] = other.PointMarkers[i];
  }
  if (Count < kRoutePathPoints) PointMarkers[Count] = -1;
  Current = 0;
  State = 1;
  return Count;
}

const CVector3* CRoutePath::GetNextPoint() const {
  if (State == 0 || Current + 1 >= Count) return nullptr;
  return &Points[Current + 1];
}

int CRoutePath::PeekNextPoint(CVector3* out) const {
  if (Current + 1 >= Count) return 0;
  *out = Points[Current + 1];
  return 1;
}

std::int32_t CRoutePath::GetCurrentMarker() const { return Current < Count ? PointMarkers[Current] : -1; }

std::int32_t CRoutePath::GetNextMarker() const {
  if (State == 0 || Current + 1 >= Count) return -1;
  return PointMarkers[Current + 1];
}

std::uint16_t CRoutePath::GetNextMarkerWord() const {
  const std::int32_t m = GetNextMarker();
  return m < 0 || m >= 65535 ? kNoLink : static_cast<std::uint16_t>(m);
}

std::uint16_t CRoutePath::FindMarkerAfter(std::int32_t marker) const {
  for (std::uint32_t i = 0; i + 1 < Count; ++i) {
    if (PointMarkers[i] == marker) {
      const std::int32_t after = PointMarkers[i + 1];
      return after < 0 || after >= 65535 ? kNoLink : static_cast<std::uint16_t>(after);
    }
  }
  return kNoLink;
}

int CRoutePath::Advance(bool remember) {
  if (remember) LastPassed = GetCurrentMarker();
  ++Current;
  if (Current >= Count) {
    Current = Count = State = 0;
    return 1;
  }
  return 0;
}

// --- the ends of the route scan -----------------------------------------------------------------

void CRoutePath::ResetSearch(RouteEndSearch* end) { *end = RouteEndSearch{}; }

void CRoutePath::InitEnds(const CVector3& position, std::uint32_t firstMarker, std::uint32_t secondMarker) {
  StartPosition = position;
  StartMarker = firstMarker;
  GoalMarker = secondMarker;
  ScanMode = firstMarker != kRouteMarkerUnset ? 2 : 1;
  if (firstMarker == kRouteMarkerUnset) ResetSearch(&Ends[0]);
  if (secondMarker == kRouteMarkerUnset) {
    ResetSearch(&Ends[1]);
    if (g_Environment) {
      CVector3 ground;
      Ends[1].Ground = g_Environment->FindGround(position, &ground);
    }
  }
}

void CRoutePath::ResetEnd(int end) {
  if (end == 0 || end == 1) ResetSearch(&Ends[end]);
}

int CRoutePath::SearchEnd(CEnvInstance* instance, const CVector3& position, std::uint32_t budget, int end) {
  if (end == 1) {
    if (!Instance) return 0;
    instance = Instance;
  } else if (end != 0) {
    return 0;
  }
  RouteEndSearch& s = Ends[end];
  if (s.Done) {
    const float dx = s.SearchPosition.x - position.x, dz = s.SearchPosition.z - position.z;
    if (std::sqrt(dx * dx + dz * dz) > kRestartDistance) {
      CEnvInstance* ground = s.Ground;
      ResetSearch(&s);
      s.Ground = ground;
    }
  }
  if (s.Done) return 1;
  s.SearchPosition = position;
  if (budget == 0) return 0;

  CRouteMarkerList* list = g_RouteMarkerList;
  const std::uint32_t count = list ? list->Count : 0;
  if (s.NextMarker == 0) s.StartPosition = position;
  for (std::uint32_t examined = 0; examined < budget && static_cast<std::uint32_t>(s.NextMarker) < count;
       ++examined) {
    const std::uint32_t m = static_cast<std::uint32_t>(s.NextMarker);
    const CRouteMarker* marker = list->GetMarker(m);
    bool tested = false;
    if (!marker->IsIsolated()) {
      const float dx = marker->Position.x - position.x, dy = marker->Position.y - position.y,
                  dz = marker->Position.z - position.z;
      const float d = dx * dx + dy * dy + dz * dz;
      if (d < s.NearestDistanceSq) {
        s.NearestDistanceSq = d;
        s.NearestMarker = static_cast<std::int32_t>(m);
      }
      if (d < kVisibleRangeSq && instance && d < s.VisibleDistanceSq) {
        if (list->LineTestsThisFrame >= kLineTestsPerFrame) return 0;
        ++list->LineTestsThisFrame;
        tested = true;
        const CVector3 from{position.x, position.y + kEyeHeight, position.z};
        const CVector3 to{marker->Position.x, marker->Position.y + kEyeHeight, marker->Position.z};
        int clear = 1;
        if (g_Environment) {
          CEnvInstance* excluded = g_Environment->ExcludedInstance;
          g_Environment->ExcludedInstance = instance;
          clear = g_Environment->LineOfSight(instance, from, to, nullptr, nullptr, 8, nullptr);
          g_Environment->ExcludedInstance = excluded;
        }
        if (clear) {
          s.VisibleDistanceSq = d;
          s.VisibleMarker = static_cast<std::int32_t>(m);
        }
      }
    }
    ++s.NextMarker;
    ++g_RouteMarkersExamined;
    if (tested) break;
  }
  if (static_cast<std::uint32_t>(s.NextMarker) < count) return 0;
  s.NextMarker = 0;
  s.Done = 1;
  if (s.VisibleMarker < 0) {
    s.VisibleMarker = s.NearestMarker;
    s.VisibleDistanceSq = s.NearestDistanceSq;
  }
  return 1;
}

bool CRoutePath::IsNearEnd(int end, const CVector3* point) const {
  if (end != 0 && end != 1) return false;
  const RouteEndSearch& s = Ends[end];
  if (!s.Done) return false;
  if (!point) return true;
  const float dx = point->x - s.SearchPosition.x, dy = point->y - s.SearchPosition.y,
              dz = point->z - s.SearchPosition.z;
  return dx * dx + dy * dy + dz * dz <= kRestartDistance * kRestartDistance;
}

std::int32_t CRoutePath::GetEndMarker(int end, int visible) const {
  if (end != 0 && end != 1) return -1;
  const RouteEndSearch& s = Ends[end];
  if (!s.Done) return -1;
  return visible == 1 ? s.VisibleMarker : s.NearestMarker;
}
