// Developer overlays of the movie cameras: where a camera aims, what it
// sees, the tracks it follows and its dolly, as lines in the world.
#include <cmath>
#include <cstdint>

#include "render/debug/debug_draw.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/matrix.h"
#include "world/cameras/movie_camera.h"

using namespace geom;

namespace {
constexpr std::uint32_t kTargetColour = 0xFFFFFF00;
constexpr std::uint32_t kViewColour = 0xFF00FFFF;
constexpr std::uint32_t kPositionTrackColour = 0xFF00FF00;
constexpr std::uint32_t kTargetTrackColour = 0xFFFF0000;
constexpr std::uint32_t kDollyColour = 0xFFFF00FF;
constexpr float kViewLineLength = 200.0f;
constexpr float kDegreesToRadians = 0.017453292f;

}  // namespace

void CMovieCamera::DebugDrawTarget(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  if (r == nullptr || !(r->FlagsA & CAMA_IN_USE) || r->Kind != CAMTARGPOS) return;
  CVector3 position;
  GetPosition(n, &position);
  DrawDebugLine(position, r->TargetPoint, kTargetColour, kTargetColour, true);
}

void CMovieCamera::DebugDrawView(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  if (r == nullptr || !(r->FlagsA & CAMA_IN_USE)) return;
  CVector3 position;
  GetPosition(n, &position);
  // The camera's axes, turned as the render camera turns its view.
  CMatrix turn;
  turn.SetIdentity();
  turn.RotateY(r->Angles.y);
  turn.RotateX(r->Angles.x);
  turn.RotateZ(r->Angles.z);
  const CVector3 right{turn.m[0][0], turn.m[1][0], turn.m[2][0]};
  const CVector3 up{turn.m[0][1], turn.m[1][1], turn.m[2][1]};
  const CVector3 forward{turn.m[0][2], turn.m[1][2], turn.m[2][2]};
  const float half = r->FieldOfView * 0.5f * kDegreesToRadians;
  const float across = std::sin(half) * kViewLineLength, along = std::cos(half) * kViewLineLength;
  const CVector3 ends[4] = {position + forward * along - right * across, position + forward * along + right * across,
                            position + forward * along + up * across, position + forward * along - up * across};
  for (const CVector3& end : ends) DrawDebugLine(position, end, kViewColour, kViewColour, true);
}

void CMovieCamera::DebugDrawTracks(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  if (r == nullptr || !(r->FlagsA & CAMA_IN_USE)) return;
  auto draw = [this](const CameraTrack& t, std::uint32_t colour) {
    int count = (t.Mode & TRACK_WAYPOINTS) ? ChainLength(t.StartWaypoint) : t.PointCount;
    if (count > kDebugPolylinePoints - 1) count = kDebugPolylinePoints - 1;
    if (count < 2) return;
    CVector3 points[kDebugPolylinePoints];
    for (int k = 0; k < count; ++k) points[k] = WaypointPoint(t, k);
    int drawn = count;
    if (t.Mode & TRACK_LOOP) points[drawn++] = points[0];
    DrawDebugPolyline(points, drawn, colour, 1.0f, true);
  };
  if (r->FlagsA & (CAMA_POSITION_SPLINE | CAMA_POSITION_LINES)) draw(r->PositionTrack, kPositionTrackColour);
  if (r->FlagsA & (CAMA_TARGET_SPLINE | CAMA_TARGET_LINES)) draw(r->TargetTrack, kTargetTrackColour);
}

void CMovieCamera::DebugDrawDolly(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  if (r == nullptr || !(r->FlagsA & CAMA_IN_USE) || !(r->FlagsA & CAMA_DOLLY)) return;
  DrawDebugLine(r->BasePosition + r->DollyDirection * r->Dolly.Start,
                r->BasePosition + r->DollyDirection * r->Dolly.End, kDollyColour, kDollyColour, true);
}
