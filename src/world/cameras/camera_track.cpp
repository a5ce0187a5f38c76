// Track following of the movie cameras: waypoint chains or point lists,
// followed by a float progress (segment index plus fraction) that a timed
// track takes from the game clock and a speed track advances by frame time.
#include <cmath>

#include "foundation/maths/spline.h"
#include "foundation/time/timer.h"
#include "render/geometry/geometry_ops.h"
#include "world/cameras/movie_camera.h"
#include "world/environment/env_waypoints.h"

using namespace geom;

namespace {
// Longest chain followed (the waypoint list's capacity).
constexpr int kMaxChain = EnvWaypointList::kCapacity;

void SetTrack(CameraTrack& t, int startWaypoint, const CVector3* points, int count, std::uint32_t mode) {
  t = CameraTrack{};
  t.Mode = mode & (TRACK_LOOP | TRACK_SHORT | TRACK_TIMED | TRACK_SKIP_FIRST);
  if (points == nullptr) t.Mode |= TRACK_WAYPOINTS;
  t.StartWaypoint = startWaypoint;
  t.Points = points;
  t.PointCount = count;
}
}  // namespace

int CMovieCamera::ChainLength(int start) const {
  if (waypoints_ == nullptr || waypoints_->GetWaypoint(start) == nullptr) return 0;
  int length = 1;
  for (int i = waypoints_->GetNext(start); i >= 0 && i != start && length < kMaxChain; i = waypoints_->GetNext(i)) {
    if (waypoints_->GetWaypoint(i) == nullptr) break;
    ++length;
  }
  return length;
}

CVector3 CMovieCamera::WaypointPoint(const CameraTrack& t, int k) const {
  if (!(t.Mode & TRACK_WAYPOINTS)) {
    if (t.Points == nullptr || t.PointCount <= 0) return t.FirstPoint;
    return t.Points[k < 0 ? 0 : k >= t.PointCount ? t.PointCount - 1 : k];
  }
  if (waypoints_ == nullptr) return t.FirstPoint;
  // Point k of the chain: k next links from the start; the start's position
  // when the chain ends first.
  int i = t.StartWaypoint;
  for (int step = 0; step < k && i >= 0; ++step) i = waypoints_->GetNext(i);
  if (i < 0 || waypoints_->GetWaypoint(i) == nullptr) i = t.StartWaypoint;
  return waypoints_->GetWaypointPosition(i);
}

int CMovieCamera::TrackSegments(const CameraTrack& t) const {
  const int count = (t.Mode & TRACK_WAYPOINTS) ? ChainLength(t.StartWaypoint) : t.PointCount;
  int segments = (t.Mode & TRACK_LOOP) ? count : count - 1;
  if (t.Mode & TRACK_SHORT) --segments;
  if (t.Mode & TRACK_SKIP_FIRST) --segments;
  return segments < 0 ? 0 : segments;
}

// The point at the track's progress: a Catmull-Rom point through points
// i-1, i, i+1, i+2 (spline), or point i + (point i+1 - point i) x fraction.
bool CMovieCamera::TrackPoint(const CameraTrack& t, bool spline, int, CVector3* out) const {
  const int count = (t.Mode & TRACK_WAYPOINTS) ? ChainLength(t.StartWaypoint) : t.PointCount;
  if (count <= 0) return false;
  const int segments = TrackSegments(t);
  const bool loop = (t.Mode & TRACK_LOOP) != 0;
  const float whole = std::floor(t.Progress);
  const float fraction = t.Progress - whole;
  int i = static_cast<int>(whole);
  if (loop && segments > 0) i %= segments;
  if (t.Mode & TRACK_SKIP_FIRST) ++i;
  auto wrap = [count](int k) { return ((k % count) + count) % count; };
  if (spline) {
    int i0 = i - 1, i2 = i + 1, i3 = i + 2;
    if (loop) {
      i0 = wrap(i0);
      i = wrap(i);
      i2 = wrap(i2);
      i3 = wrap(i3);
    } else {
      if (i >= count) i = count - 1;
      if (i0 < 0) i0 = 0;
      if (i2 >= count) i2 = i;
      if (i3 >= count) i3 = i2;
    }
    const CVector3 p0 = WaypointPoint(t, i0), p1 = WaypointPoint(t, i), p2 = WaypointPoint(t, i2),
                   p3 = WaypointPoint(t, i3);
    CatmullRomInterpolate(p0, p1, p2, p3, fraction, out);
  } else {
    i = wrap(i);
    const CVector3 a = WaypointPoint(t, i), b = WaypointPoint(t, wrap(i + 1));
    *out = a + (b - a) * fraction;
  }
  return true;
}

// Advances the track to now, then gives its point.  A finished track stays
// on its last point.
bool CMovieCamera::FollowTrack(CameraTrack& t, bool spline, CVector3* out) {
  const int segments = TrackSegments(t);
  const bool loop = (t.Mode & TRACK_LOOP) != 0;
  if (!(t.Mode & TRACK_FINISHED)) {
    if (t.Mode & TRACK_TIMED) {
      const std::uint32_t now = Now();
      if (!t.Stamped) {
        t.StartTime = now;
        t.Stamped = true;
      }
      float elapsed = static_cast<float>(static_cast<std::int32_t>(now - t.StartTime)) - t.Delay;
      if (elapsed < 0.0f) elapsed = 0.0f;
      elapsed += t.StartOffset;
      const float duration = t.Speed;
      if (duration > 0.0f && elapsed > duration) {
        elapsed -= duration;
        t.StartTime = now;
        t.Delay = 0.0f;
        t.Mode |= TRACK_END;
      }
      t.Progress = duration > 0.0f ? static_cast<float>(segments) * elapsed / duration : static_cast<float>(segments);
      if (!loop && t.Progress >= static_cast<float>(segments)) t.Mode |= TRACK_END;
    } else {
      const float frame = clock_ != nullptr ? clock_->GetFrameTime() : 0.0f;
      t.Progress += frame * t.Speed;
      if (!loop && t.Progress >= static_cast<float>(segments)) t.Mode |= TRACK_END;
    }
    if (!loop && (t.Mode & TRACK_END)) {
      t.Mode |= TRACK_FINISHED;
      t.Progress = static_cast<float>(segments);
    }
  }
  return TrackPoint(t, spline, segments, out);
}

void CMovieCamera::SetPositionTrack(int n, int startWaypoint, bool spline, std::uint32_t mode) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  SetTrack(r->PositionTrack, startWaypoint, nullptr, 0, mode);
  r->PositionTrack.FirstPoint = WaypointPoint(r->PositionTrack, 0);
  r->FlagsA &= ~(CAMA_POSITION_SPLINE | CAMA_POSITION_LINES);
  r->FlagsA |= spline ? CAMA_POSITION_SPLINE : CAMA_POSITION_LINES;
}

void CMovieCamera::SetTargetTrack(int n, int startWaypoint, bool spline, std::uint32_t mode) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  SetTrack(r->TargetTrack, startWaypoint, nullptr, 0, mode);
  r->TargetTrack.FirstPoint = WaypointPoint(r->TargetTrack, 0);
  r->FlagsA &= ~(CAMA_TARGET_SPLINE | CAMA_TARGET_LINES);
  r->FlagsA |= spline ? CAMA_TARGET_SPLINE : CAMA_TARGET_LINES;
}

void CMovieCamera::SetPositionTrackPoints(int n, const CVector3* points, int count, bool spline, std::uint32_t mode) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || points == nullptr || count <= 0) return;
  SetTrack(r->PositionTrack, -1, points, count, mode);
  r->PositionTrack.FirstPoint = points[0];
  r->FlagsA &= ~(CAMA_POSITION_SPLINE | CAMA_POSITION_LINES);
  r->FlagsA |= spline ? CAMA_POSITION_SPLINE : CAMA_POSITION_LINES;
}

void CMovieCamera::SetTargetTrackPoints(int n, const CVector3* points, int count, bool spline, std::uint32_t mode) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || points == nullptr || count <= 0) return;
  SetTrack(r->TargetTrack, -1, points, count, mode);
  r->TargetTrack.FirstPoint = points[0];
  r->FlagsA &= ~(CAMA_TARGET_SPLINE | CAMA_TARGET_LINES);
  r->FlagsA |= spline ? CAMA_TARGET_SPLINE : CAMA_TARGET_LINES;
}

void CMovieCamera::SetPositionTrackSpeed(int n, float speedOrDuration, float delay, float startOffset) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->PositionTrack.Speed = speedOrDuration;
    r->PositionTrack.Delay = delay;
    r->PositionTrack.StartOffset = startOffset;
  }
}

void CMovieCamera::SetTargetTrackSpeed(int n, float speedOrDuration, float delay, float startOffset) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->TargetTrack.Speed = speedOrDuration;
    r->TargetTrack.Delay = delay;
    r->TargetTrack.StartOffset = startOffset;
  }
}

void CMovieCamera::SetRailRadius(int n, float radius) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->FlagsB |= CAMB_RAIL;
  r->PositionTrack.Speed = radius * radius;
  r->PositionTrack.RailCount = 0;
  r->HasRailNearest = false;
}

bool CMovieCamera::AddRail(int n, int startWaypoint) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || r->PositionTrack.RailCount >= kMaxRails) return false;
  r->PositionTrack.Rails[r->PositionTrack.RailCount++] = startWaypoint;
  return true;
}
