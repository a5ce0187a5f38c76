#include "world/cameras/movie_camera.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "foundation/maths/angles.h"
#include "foundation/maths/random_tables.h"
#include "foundation/system/debug_output.h"
#include "foundation/time/timer.h"
#include "render/geometry/camera.h"
#include "render/geometry/geometry_ops.h"
#include "render/volumes/sphere.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"

using namespace geom;

namespace {
// The sphere a colliding camera moves as (world units).
constexpr float kCameraRadius = 20.0f;
// Moves shorter than this (squared) are ignored, and targets nearer than it do not turn the camera.
constexpr float kMinMoveSquared = 0.1f;
constexpr float kLargeMove = 1000.0f;
}  // namespace

CVector3 SmoothingBuffer::Add(const CVector3& sample) {
  if (Count == 0) {
    for (CVector3& s : Samples) s = sample;
    Count = kSmoothingSamples;
    Next = 0;
  } else {
    Samples[Next] = sample;
  }
  Next = (Next + 1) % kSmoothingSamples;
  CVector3 sum{0, 0, 0};
  for (const CVector3& s : Samples) sum = sum + s;
  return sum * (1.0f / kSmoothingSamples);
}

CMovieCamera::CMovieCamera(CCamera* renderCamera) : render_(renderCamera) { Reset(); }

void CMovieCamera::Reset() {
  for (int n = 0; n < kMaxMovieCameras; ++n) records_[n] = MovieCameraRecord{};
  for (int v = 0; v < kMovieViewports; ++v) {
    shown_[v] = pending_[v] = viewCameras_[v] = -1;
    smoothingLock_[v] = 0;
    smoothPosition_[v].Clear();
    smoothTarget_[v].Clear();
  }
  active_ = -1;
  jump_ = 0;
  override_ = 0;
  triggersEnabled_ = 1;
  triggerCamera_ = -1;
}

void CMovieCamera::SetWorld(CEnvironment* environment, CRegionList* regions, const EnvWaypointList* waypoints) {
  environment_ = environment;
  regions_ = regions;
  waypoints_ = waypoints;
}

std::uint32_t CMovieCamera::Now() const { return clock_ != nullptr ? clock_->GetGameTime() : 0u; }

MovieCameraRecord* CMovieCamera::Rec(int n) { return n >= 0 && n < kMaxMovieCameras ? &records_[n] : nullptr; }

MovieCameraRecord* CMovieCamera::GetCameraRecord(int n) { return Rec(n); }

const MovieCameraRecord* CMovieCamera::GetCameraRecord(int n) const {
  return n >= 0 && n < kMaxMovieCameras ? &records_[n] : nullptr;
}

bool CMovieCamera::IsUsed(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  return r != nullptr && (r->FlagsA & CAMA_IN_USE) != 0;
}

// --- records -------------------------------------------------------------------------

void CMovieCamera::InitRecord(MovieCameraRecord& r, int n, const char* name) {
  r = MovieCameraRecord{};
  if (name != nullptr && name[0] != 0)
    std::snprintf(r.Name, sizeof(r.Name), "%s", name);
  else
    std::snprintf(r.Name, sizeof(r.Name), "CAMERA%d", n);
  r.FlagsA = CAMA_IN_USE | CAMA_POSE_AFRESH | CAMA_COLLISION;
  r.FlagsB = CAMB_SMOOTH;
  r.Kind = CAMFREE;
  r.FieldOfView = 70.0f;
}

int CMovieCamera::CreateCamera(const char* name) {
  for (int n = 0; n < kMaxMovieCameras; ++n) {
    if (records_[n].FlagsA & CAMA_IN_USE) continue;
    InitRecord(records_[n], n, name);
    return n;
  }
  return -1;
}

int CMovieCamera::FindCamera(const char* name) const {
  if (name == nullptr) return -1;
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if ((records_[n].FlagsA & CAMA_IN_USE) && std::strcmp(records_[n].Name, name) == 0) return n;
  return -1;
}

void CMovieCamera::SetName(int n, const char* name) {
  if (MovieCameraRecord* r = Rec(n)) std::snprintf(r->Name, sizeof(r->Name), "%s", name != nullptr ? name : "");
}

const char* CMovieCamera::GetName(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  return r != nullptr ? r->Name : "";
}

void CMovieCamera::MarkCamera(int n) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsA |= CAMA_MARKED;
}

void CMovieCamera::UnmarkCamera(int n) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsA &= ~CAMA_MARKED;
}

void CMovieCamera::ClearUnmarked() {
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if (!(records_[n].FlagsA & CAMA_MARKED)) DeleteCamera(n);
}

void CMovieCamera::DeleteCamera(int n) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  const int v = GetViewport(n);
  if (v >= 0) StopViewport(v);
  for (int k = 0; k < kMovieViewports; ++k) {
    if (pending_[k] == n) pending_[k] = -1;
    if (viewCameras_[k] == n) viewCameras_[k] = -1;
  }
  if (active_ == n) active_ = -1;
  r->FlagsA = 0;
}

int CMovieCamera::SetActiveCamera(int n) {
  const int previous = active_;
  active_ = n;
  return previous;
}

// --- pose ---------------------------------------------------------------------------------

void CMovieCamera::SetPosition(int n, const CVector3& position) {
  if (MovieCameraRecord* r = Rec(n)) r->BasePosition = r->Position = r->Desired = position;
}

void CMovieCamera::GetPosition(int n, CVector3* out) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  if (override_ == 1)
    *out = overridePosition_;
  else
    *out = r != nullptr ? r->Position : CVector3{0, 0, 0};
}

void CMovieCamera::SetOverride(bool on, const CVector3& position) {
  override_ = on ? 1 : 0;
  overridePosition_ = position;
}

namespace {
float Wrap360(float a) {
  a = std::fmod(a, 360.0f);
  return a < 0.0f ? a + 360.0f : a;
}
}  // namespace

void CMovieCamera::TurnBy(int n, const CVector3& delta) {
  if (MovieCameraRecord* r = Rec(n))
    r->Angles = {Wrap360(r->Angles.x + delta.x), Wrap360(r->Angles.y + delta.y), Wrap360(r->Angles.z + delta.z)};
}

void CMovieCamera::SetAngles(int n, const CVector3& angles) {
  if (MovieCameraRecord* r = Rec(n)) r->Angles = angles;
}

void CMovieCamera::LookAlong(int n, const CVector3& direction) {
  if (MovieCameraRecord* r = Rec(n)) AnglesBetweenPoints(direction, CVector3{0, 0, 0}, &r->Angles);
}

namespace {
void ChangeKind(MovieCameraRecord& r, int kind) {
  r.Kind = kind;
  r.FlagsA &= ~CAMA_MOTION_MASK;
  r.FlagsA |= CAMA_POSE_AFRESH;
}
}  // namespace

void CMovieCamera::MakeFree(int n) {
  if (MovieCameraRecord* r = Rec(n)) ChangeKind(*r, CAMFREE);
}

void CMovieCamera::SetTargetPosition(int n, const CVector3& point) {
  if (MovieCameraRecord* r = Rec(n)) {
    ChangeKind(*r, CAMTARGPOS);
    r->TargetPoint = point;
  }
}

void CMovieCamera::SetTargetObject(int n, CEnvInstance* object) {
  if (MovieCameraRecord* r = Rec(n)) {
    ChangeKind(*r, CAMTARGOBJ);
    r->Object = object;
  }
}

void CMovieCamera::SetChaseObject(int n, CEnvInstance* object) {
  if (MovieCameraRecord* r = Rec(n)) {
    ChangeKind(*r, CAMCHASEOBJ);
    r->Object = object;
    r->TargetOffset = {0.0f, 50.0f, 0.0f};
    r->ChaseOffset = {0.0f, 150.0f, 300.0f};
    SetZoneFromObject(n, object);
  }
}

void CMovieCamera::SetTargetPoint(int n, const CVector3& point) {
  if (MovieCameraRecord* r = Rec(n)) r->TargetPoint = point;
}

void CMovieCamera::SetTargetOffset(int n, const CVector3& offset) {
  if (MovieCameraRecord* r = Rec(n)) r->TargetOffset = offset;
}

void CMovieCamera::SetChaseOffset(int n, const CVector3& offset) {
  if (MovieCameraRecord* r = Rec(n)) r->ChaseOffset = offset;
}

void CMovieCamera::SetChasedObject(int n, CEnvInstance* object) {
  if (MovieCameraRecord* r = Rec(n)) r->Object = object;
}

void CMovieCamera::SetLookAtObject(int n, CEnvInstance* object) {
  if (MovieCameraRecord* r = Rec(n)) r->LookAtObject = object;
}

void CMovieCamera::SetZoneFromObject(int n, CEnvInstance* instance) {
  if (MovieCameraRecord* r = Rec(n)) r->Zone = instance != nullptr ? instance->GetRoot() : nullptr;
}

CEnvInstance* CMovieCamera::GetZone(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  return r != nullptr ? r->Zone : nullptr;
}

void CMovieCamera::ClearMotionFlags(int n) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsA &= ~static_cast<std::uint32_t>(CAMA_MOTION_MASK);
}

// --- timed effects, sources, triggers ------------------------------------------------------

void CMovieCamera::StartShake(int n, float magnitude, float delay, float duration) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || (r->FlagsA & CAMA_SHAKE)) return;
  r->ShakeMagnitude = magnitude;
  r->Shake = CameraTimedValue{};
  r->Shake.Delay = delay;
  r->Shake.Duration = duration;
  r->ShakeBase = r->Position;
  r->FlagsA |= CAMA_SHAKE;
}

void CMovieCamera::SetFieldOfView(int n, float degrees) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->FieldOfView = degrees;
    r->FlagsA &= ~CAMA_FOV_RAMP;
  }
}

float CMovieCamera::GetFieldOfView(int n) const {
  const MovieCameraRecord* r = GetCameraRecord(n);
  return r != nullptr ? r->FieldOfView : 0.0f;
}

void CMovieCamera::StartFieldOfViewRamp(int n, float from, float to, float delay, float duration) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->FovRamp = CameraTimedValue{from, to, delay, duration, 0, false};
  r->FieldOfView = from;
  r->FlagsA |= CAMA_FOV_RAMP;
}

void CMovieCamera::StartDolly(int n, float startDistance, float endDistance, float delay, float duration,
                              const CVector3& direction) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->Dolly = CameraTimedValue{startDistance, endDistance, delay, duration, 0, false};
  r->DollyDirection = direction;
  r->FlagsA |= CAMA_DOLLY;
}

int CMovieCamera::AddSource(int n, CameraSourceCallback callback, float weight, void* parameter) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || callback == nullptr || r->SourceCount >= kMaxCameraSources) return 0;
  r->Sources[r->SourceCount++] = {callback, weight, parameter};
  return 1;
}

void CMovieCamera::RemoveSource(int n, CameraSourceCallback callback) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  for (int i = 0; i < r->SourceCount; ++i) {
    if (r->Sources[i].Callback != callback) continue;
    for (int k = i + 1; k < r->SourceCount; ++k) r->Sources[k - 1] = r->Sources[k];
    --r->SourceCount;
    return;
  }
}

void CMovieCamera::ClearSources(int n) {
  if (MovieCameraRecord* r = Rec(n)) r->SourceCount = 0;
}

void CMovieCamera::SetTargetCallback(int n, CameraTargetCallback callback) {
  if (MovieCameraRecord* r = Rec(n)) r->TargetCallback = callback;
}

void CMovieCamera::SetPostCallback(int n, CameraPostCallback callback, void* parameter) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->PostCallback = callback;
    r->PostParameter = parameter;
  }
}

void CMovieCamera::SetRegionTrigger(int n, int region) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->FlagsA = (r->FlagsA | CAMA_REGION_TRIGGER) & ~CAMA_DISTANCE_TRIGGER;
  for (int i = 0; i < r->RegionCount; ++i)
    if (r->Regions[i] == region) return;
  if (r->RegionCount < kMaxCameraRegions) r->Regions[r->RegionCount++] = region;
}

void CMovieCamera::SetDistanceTrigger(int n, float distance) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->FlagsA = (r->FlagsA | CAMA_DISTANCE_TRIGGER) & ~CAMA_REGION_TRIGGER;
  r->TriggerDistance = distance;
}

void CMovieCamera::SetTimeLimit(int n, float ms) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->TimeLimit = ms;
    r->FlagsB |= CAMB_TIME_LIMIT;
  }
}

void CMovieCamera::ClearTriggers(int n) {
  if (MovieCameraRecord* r = Rec(n)) {
    r->FlagsA &= ~(CAMA_REGION_TRIGGER | CAMA_DISTANCE_TRIGGER);
    r->FlagsB &= ~CAMB_TIME_LIMIT;
    r->RegionCount = 0;
    r->CurrentRegion = -1;
  }
}

void CMovieCamera::SetAngleLimits(int n, std::uint32_t limits) {
  if (MovieCameraRecord* r = Rec(n)) r->AngleLimits = limits;
}

void CMovieCamera::SetFollowMode(int n, std::uint32_t mode) {
  if (MovieCameraRecord* r = Rec(n)) r->FollowMode = mode;
}

void CMovieCamera::SetAimMode(int n, bool on) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsA = on ? r->FlagsA | CAMA_AIM_MODE : r->FlagsA & ~CAMA_AIM_MODE;
}

void CMovieCamera::SetWorldCollision(int n, bool on) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsA = on ? r->FlagsA | CAMA_COLLISION : r->FlagsA & ~CAMA_COLLISION;
}

void CMovieCamera::SetUnstick(int n) {
  if (MovieCameraRecord* r = Rec(n)) r->FlagsB |= CAMB_UNSTICK;
}

// --- viewports ---------------------------------------------------------------------------------

void CMovieCamera::StartCamera(int v, int n) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr || v < 0 || v >= kMovieViewports || !(r->FlagsA & CAMA_IN_USE)) return;
  if ((r->FlagsB & (CAMB_NO_RESTART | CAMB_STARTED)) == (CAMB_NO_RESTART | CAMB_STARTED)) return;
  r->FlagsB |= CAMB_STARTED;
  r->StartTime = Now();
  const int before = shown_[v];
  if (before != n) {
    r->PreviousCamera = before;
    StopViewport(v);
  }
  // A camera can be shown in one viewport only.
  const int elsewhere = GetViewport(n);
  if (elsewhere >= 0 && elsewhere != v) shown_[elsewhere] = -1;
  shown_[v] = n;
  smoothPosition_[v].Clear();
  smoothTarget_[v].Clear();
  if (r->Kind == CAMCHASEOBJ && r->Object != nullptr) {
    ComputeChasePose(n, v);
    r->Position = r->Desired;
  }
  smoothPosition_[v].Clear();
  smoothTarget_[v].Clear();
  r->FlagsA |= CAMA_RUNNING;
}

void CMovieCamera::StopViewport(int v) {
  if (v < 0 || v >= kMovieViewports) return;
  const int n = shown_[v];
  if (n >= 0) records_[n].FlagsA &= ~CAMA_RUNNING;
  if (n >= 0 && n == triggerCamera_) triggerCamera_ = -1;
  shown_[v] = -1;
}

void CMovieCamera::SetViewportCamera(int v, int n) {
  if (v >= 0 && v < kMovieViewports) pending_[v] = n;
}

void CMovieCamera::ClearViewportCamera(int v) {
  if (v >= 0 && v < kMovieViewports) pending_[v] = -1;
}

void CMovieCamera::ResetViewportBlend(int v) {
  if (v < 0 || v >= kMovieViewports) return;
  smoothPosition_[v].Clear();
  smoothTarget_[v].Clear();
}

int CMovieCamera::GetViewportCamera(int v) const { return v >= 0 && v < kMovieViewports ? shown_[v] : -1; }

int CMovieCamera::GetViewport(int n) const {
  for (int v = 0; v < kMovieViewports; ++v)
    if (shown_[v] == n && n >= 0) return v;
  return -1;
}

int CMovieCamera::GetViewCamera(int v) const { return v >= 0 && v < kMovieViewports ? viewCameras_[v] : -1; }

void CMovieCamera::SetViewCamera(int v, int n) {
  if (v >= 0 && v < kMovieViewports) viewCameras_[v] = n;
}

void CMovieCamera::StopCamera(int n) {
  MovieCameraRecord* r = Rec(n);
  if (r == nullptr) return;
  r->Position = r->Desired = r->BasePosition;
  r->FlagsA &= ~(CAMA_POSITION_SPLINE | CAMA_POSITION_LINES | CAMA_TARGET_SPLINE | CAMA_TARGET_LINES |
                 CAMA_SHAKE | CAMA_DOLLY | CAMA_FOV_RAMP);
  r->PositionTrack.Progress = r->TargetTrack.Progress = 0.0f;
  r->PositionTrack.Stamped = r->TargetTrack.Stamped = false;
}

void CMovieCamera::StopAll() {
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if (records_[n].FlagsA & CAMA_IN_USE) StopCamera(n);
}

void CMovieCamera::BlendCameras(int a, int b, float ms) {
  MovieCameraRecord* ra = Rec(a);
  const MovieCameraRecord* rb = GetCameraRecord(b);
  if (ra == nullptr || rb == nullptr) return;
  // Where a looks now: its target, or a point ahead along its angles.
  CVector3 lookA = ra->TargetPoint;
  if (ra->Kind == CAMFREE) {
    lookA = ra->Position;
    AddDirection(&lookA, ra->Angles.x, ra->Angles.y, 100.0f);
  }
  CVector3 lookB = rb->TargetPoint;
  if (rb->Kind == CAMFREE) {
    lookB = rb->Position;
    AddDirection(&lookB, rb->Angles.x, rb->Angles.y, 100.0f);
  }
  ra->BlendPositions[0] = ra->Position;
  ra->BlendPositions[1] = rb->Position;
  ra->BlendTargets[0] = lookA;
  ra->BlendTargets[1] = lookB;
  SetTargetPosition(a, lookA);
  SetPositionTrackPoints(a, ra->BlendPositions, 2, false, TRACK_TIMED);
  SetTargetTrackPoints(a, ra->BlendTargets, 2, false, TRACK_TIMED);
  SetPositionTrackSpeed(a, ms, 0.0f, 0.0f);
  SetTargetTrackSpeed(a, ms, 0.0f, 0.0f);
}

// --- objects and regions ------------------------------------------------------------------------

bool CMovieCamera::ObjectPosition(const CEnvInstance* object, CVector3* out) const {
  if (object == nullptr) return false;
  object->GetPosition(out);
  return true;
}

CVector3 CMovieCamera::InObjectFrame(const CEnvInstance* object, const CVector3& offset) const {
  CVector3 out = offset;
  if (object != nullptr) object->GetWorldMatrix().RotateVector(offset, &out);
  return out;
}

bool CMovieCamera::RegionHolds(int region, const CVector3& point) const {
  const CRegion* r = regions_ != nullptr ? regions_->GetRegion(region) : nullptr;
  return r != nullptr && r->ContainsPoint(point);
}

int CMovieCamera::FindByObject(const CEnvInstance* object) const {
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if ((records_[n].FlagsA & CAMA_IN_USE) && records_[n].Object == object) return n;
  return -1;
}

int CMovieCamera::DropMissingObjects() {
  if (environment_ == nullptr) return 0;
  for (int n = 0; n < kMaxMovieCameras; ++n) {
    MovieCameraRecord& r = records_[n];
    if ((r.FlagsA & CAMA_IN_USE) && r.Object != nullptr && !environment_->ContainsInstance(r.Object)) {
      r.Object = nullptr;
      return 1;
    }
  }
  return 0;
}

bool CMovieCamera::CanSee(int n, const CVector3& point) const {
  CVector3 from;
  GetPosition(n, &from);
  return CanSeeFrom(n, from, point);
}

bool CMovieCamera::CanSeeFrom(int n, const CVector3& from, const CVector3& point) const {
  if (environment_ == nullptr) return true;
  const MovieCameraRecord* r = GetCameraRecord(n);
  return environment_->LineOfSight(r != nullptr ? r->Zone : nullptr, from, point, nullptr, nullptr, 8, nullptr) == 1;
}

// --- the frame -----------------------------------------------------------------------------------

void CMovieCamera::Update() {
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if (records_[n].FlagsA & (CAMA_IN_USE | CAMA_RUNNING)) UpdateCamera(n);
}

void CMovieCamera::StartByTrigger(int v, int n) {
  MovieCameraRecord& r = records_[n];
  r.FlagsB |= CAMB_STARTED;
  r.StartTime = Now();
  if ((r.FlagsB & CAMB_OVERLAY) && overlay_ != nullptr) overlay_(v, true);
  // A camera that may not start again still takes the screen the first time.
  const std::uint32_t noRestart = r.FlagsB & CAMB_NO_RESTART;
  r.FlagsB &= ~CAMB_NO_RESTART;
  StartCamera(v, n);
  r.FlagsB |= noRestart;
  triggerCamera_ = n;
}

void CMovieCamera::ReturnToPrevious(int v, int n) {
  MovieCameraRecord& r = records_[n];
  if ((r.FlagsB & CAMB_OVERLAY) && overlay_ != nullptr) overlay_(v, false);
  const int previous = r.PreviousCamera;
  if (triggerCamera_ == n) triggerCamera_ = -1;
  if (previous >= 0 && previous != n && IsUsed(previous)) {
    StartCamera(v, previous);
    if (shown_[v] == n) StopViewport(v);
  } else {
    StopViewport(v);
  }
}

void CMovieCamera::UpdateCamera(int n) {
  MovieCameraRecord& r = records_[n];
  CVector3 tracked{};
  const bool haveTracked = ObjectPosition(tracked_, &tracked);
  if (r.FlagsA & CAMA_RUNNING) {
    const int v = GetViewport(n);
    if (v >= 0 && haveTracked) {
      if (pending_[v] >= 0 && pending_[v] != n) {
        const int next = pending_[v];
        pending_[v] = -1;
        if ((r.FlagsB & CAMB_OVERLAY) && overlay_ != nullptr) overlay_(v, false);
        StartCamera(v, next);
      } else if ((r.FlagsB & CAMB_TIME_LIMIT) && triggersEnabled_) {
        if (static_cast<float>(static_cast<std::int32_t>(Now() - r.StartTime)) > r.TimeLimit) ReturnToPrevious(v, n);
      } else if ((r.FlagsA & CAMA_REGION_TRIGGER) && triggersEnabled_) {
        if (!RegionHolds(r.CurrentRegion, tracked)) {
          int found = -1;
          for (int i = 0; i < r.RegionCount && found < 0; ++i)
            if (RegionHolds(r.Regions[i], tracked)) found = r.Regions[i];
          if (found >= 0)
            r.CurrentRegion = found;
          else
            ReturnToPrevious(v, n);
        }
      } else if ((r.FlagsA & CAMA_DISTANCE_TRIGGER) && triggersEnabled_) {
        if (LengthSq(tracked - r.Position) > r.TriggerDistance * r.TriggerDistance) ReturnToPrevious(v, n);
      }
    }
  } else if (haveTracked) {
    bool started = false;
    for (int v = 0; v < kMovieViewports; ++v) {
      if (pending_[v] != n) continue;
      pending_[v] = -1;
      if ((r.FlagsB & CAMB_OVERLAY) && overlay_ != nullptr) overlay_(v, true);
      StartCamera(v, n);
      started = true;
    }
    const bool blocked = (r.FlagsB & (CAMB_NO_RESTART | CAMB_STARTED)) == (CAMB_NO_RESTART | CAMB_STARTED);
    if (!started && !blocked && triggersEnabled_ && triggerCamera_ < 0) {
      bool fire = false;
      if (r.FlagsA & CAMA_REGION_TRIGGER) {
        for (int i = 0; i < r.RegionCount && !fire; ++i) {
          if (RegionHolds(r.Regions[i], tracked)) {
            r.CurrentRegion = r.Regions[i];
            fire = true;
          }
        }
      } else if (r.FlagsA & CAMA_DISTANCE_TRIGGER) {
        fire = LengthSq(tracked - r.Position) <= r.TriggerDistance * r.TriggerDistance;
      }
      if (fire) StartByTrigger(0, n);
    }
  }
  if (r.FlagsA & CAMA_RUNNING) Pose(n);
}

void CMovieCamera::Pose(int n) {
  MovieCameraRecord& r = records_[n];
  switch (r.Kind) {
    case CAMFREE:
      PoseFree(n);
      break;
    case CAMTARGPOS:
    case CAMTARGOBJ:
      if (r.Kind == CAMTARGOBJ && (r.FlagsB & CAMB_RAIL))
        PoseRail(n, GetViewport(n) < 0 ? 0 : GetViewport(n));
      else
        PoseAimed(n);
      break;
    case CAMCHASEOBJ: {
      const int v = GetViewport(n) < 0 ? 0 : GetViewport(n);
      if (r.Object == nullptr) break;
      ComputeChasePose(n, v);
      const CVector3 d = r.Desired - r.Position;
      if (jump_) {
        JumpBy(n, d);
        jump_ = 0;
      } else {
        MoveBy(n, d);
      }
      if (LengthSq(r.TargetPoint - r.Position) > kMinMoveSquared) AimAt(r, r.TargetPoint);
      break;
    }
    default:
      break;
  }
}

void CMovieCamera::AimAt(MovieCameraRecord& r, const CVector3& target) {
  AnglesBetweenPoints(target, r.Position, &r.Angles);
}

void CMovieCamera::PoseFree(int n) {
  MovieCameraRecord& r = records_[n];
  CVector3 desired = r.Position;
  if (r.SourceCount > 0) {
    CVector3 sum{0, 0, 0};
    float weights = 0.0f;
    for (int i = 0; i < r.SourceCount; ++i) {
      CVector3 p{0, 0, 0};
      r.Sources[i].Callback(r.Sources[i].Parameter, &p);
      sum = sum + p * r.Sources[i].Weight;
      weights += r.Sources[i].Weight;
    }
    if (weights != 0.0f) desired = sum * (1.0f / weights);
  } else if (r.FlagsA & (CAMA_POSITION_SPLINE | CAMA_POSITION_LINES)) {
    FollowTrack(r.PositionTrack, (r.FlagsA & CAMA_POSITION_SPLINE) != 0, &desired);
  }
  RunEffects(r, &desired);
  r.Desired = desired;
  const CVector3 d = desired - r.Position;
  if (d.x != 0.0f || d.y != 0.0f || d.z != 0.0f) MoveBy(n, d);
}

void CMovieCamera::PoseAimed(int n) {
  MovieCameraRecord& r = records_[n];
  CVector3 desired = r.Position;
  if (r.FlagsA & (CAMA_POSITION_SPLINE | CAMA_POSITION_LINES))
    FollowTrack(r.PositionTrack, (r.FlagsA & CAMA_POSITION_SPLINE) != 0, &desired);
  if (r.FlagsA & (CAMA_TARGET_SPLINE | CAMA_TARGET_LINES))
    FollowTrack(r.TargetTrack, (r.FlagsA & CAMA_TARGET_SPLINE) != 0, &r.TargetPoint);
  if (r.Kind == CAMTARGOBJ) {
    const CEnvInstance* object = (r.FlagsA & CAMA_AIM_MODE) && defaultLookAt_ != nullptr ? defaultLookAt_ : r.Object;
    CVector3 p;
    if (r.TargetCallback != nullptr)
      r.TargetCallback(n, &r.TargetPoint);
    else if (ObjectPosition(object, &p))
      r.TargetPoint = p + InObjectFrame(object, r.TargetOffset);
  }
  MoveAndAim(n, r, desired);
}

// Rail mode: every segment of every rail is cut with the sphere of the rail
// radius about the target.  For a segment a + t (b - a), |a + t d - c|² = r²
// gives d·d t² + 2 d·(a - c) t + |a - c|² - r² = 0; roots in [0, 1] are cuts.
void CMovieCamera::PoseRail(int n, int v) {
  MovieCameraRecord& r = records_[n];
  CVector3 target = r.TargetPoint;
  CVector3 p;
  if (r.TargetCallback != nullptr)
    r.TargetCallback(n, &target);
  else if (ObjectPosition(r.Object, &p))
    target = p + InObjectFrame(r.Object, r.TargetOffset);
  const float radiusSq = r.PositionTrack.Speed;
  CVector3 cuts[8];
  int cutCount = 0;
  float nearestSq = -1.0f;
  CVector3 nearest{};
  for (int k = 0; k < r.PositionTrack.RailCount; ++k) {
    const int start = r.PositionTrack.Rails[k];
    const int length = ChainLength(start);
    CameraTrack rail;
    rail.Mode = TRACK_WAYPOINTS;
    rail.StartWaypoint = start;
    for (int s = 0; s + 1 < length; ++s) {
      const CVector3 a = WaypointPoint(rail, s), b = WaypointPoint(rail, s + 1);
      const CVector3 d = b - a, ac = a - target;
      const float qa = Dot(d, d), qb = 2.0f * Dot(d, ac), qc = Dot(ac, ac) - radiusSq;
      if (qa <= 0.0f) continue;
      const float disc = qb * qb - 4.0f * qa * qc;
      if (disc == 0.0f) {
        const float t = -qb / (2.0f * qa);
        if (t >= 0.0f && t <= 1.0f && cutCount < 8) cuts[cutCount++] = a + d * t;
      } else if (disc > 0.0f) {
        const float root = std::sqrt(disc);
        for (float t : {(-qb - root) / (2.0f * qa), (-qb + root) / (2.0f * qa)})
          if (t >= 0.0f && t <= 1.0f && cutCount < 8) cuts[cutCount++] = a + d * t;
      }
      if (cutCount == 0) {
        float t = -Dot(ac, d) / qa;
        t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
        const CVector3 q = a + d * t;
        const float distSq = LengthSq(q - target);
        if (nearestSq < 0.0f || distSq < nearestSq) {
          nearestSq = distSq;
          nearest = q;
        }
      }
    }
  }
  if (cutCount == 0 && nearestSq >= 0.0f) {
    r.RailNearest = nearest;
    r.HasRailNearest = true;
  }
  CVector3 desired = r.Position;
  if (cutCount >= 2) {
    // The cut whose yaw seen from the target is nearest the look-at object's yaw.
    CVector3 facing{0, 0, 0};
    if (defaultLookAt_ != nullptr) defaultLookAt_->GetRotation(&facing);
    float best = 1e9f;
    for (int i = 0; i < cutCount; ++i) {
      CVector3 angles;
      AnglesBetweenPoints(cuts[i], target, &angles);
      const float diff = std::fabs(AngleDifference(angles.y, facing.y));
      if (diff < best) {
        best = diff;
        desired = cuts[i];
      }
    }
  } else if (r.HasRailNearest) {
    desired = r.RailNearest;
  } else if (cutCount == 1) {
    desired = cuts[0];
  }
  desired = smoothPosition_[v].Add(desired);
  r.TargetPoint = smoothTarget_[v].Add(target);
  MoveAndAim(n, r, desired);
}

void CMovieCamera::MoveAndAim(int n, MovieCameraRecord& r, CVector3 desired) {
  RunEffects(r, &desired);
  r.Desired = desired;
  MoveBy(n, desired - r.Position);
  if (LengthSq(r.TargetPoint - r.Position) > kMinMoveSquared) AimAt(r, r.TargetPoint);
}

void CMovieCamera::ComputeChasePose(int n, int v) {
  MovieCameraRecord& r = records_[n];
  CVector3 objectPosition{0, 0, 0};
  ObjectPosition(r.Object, &objectPosition);
  CVector3 desired;
  if (r.SourceCount > 0) {
    CVector3 sum{0, 0, 0};
    float weights = 0.0f;
    for (int i = 0; i < r.SourceCount; ++i) {
      CVector3 p{0, 0, 0};
      r.Sources[i].Callback(r.Sources[i].Parameter, &p);
      sum = sum + p * r.Sources[i].Weight;
      weights += r.Sources[i].Weight;
    }
    desired = weights != 0.0f ? sum * (1.0f / weights) : objectPosition;
  } else {
    desired = objectPosition + InObjectFrame(r.Object, r.ChaseOffset);
  }
  CVector3 target;
  if (r.TargetCallback != nullptr) {
    r.TargetCallback(n, &target);
  } else if (r.FlagsB & CAMB_LOOK_AT) {
    const CEnvInstance* other = r.LookAtObject != nullptr ? r.LookAtObject : defaultLookAt_;
    CVector3 p{0, 0, 0};
    ObjectPosition(other, &p);
    target = p + InObjectFrame(other, r.TargetOffset);
  } else {
    target = objectPosition + InObjectFrame(r.Object, r.TargetOffset);
  }
  if (r.PostCallback != nullptr) r.PostCallback(n, &desired, &target, r.PostParameter);
  if ((r.FlagsB & CAMB_SMOOTH) && v >= 0 && v < kMovieViewports) {
    desired = smoothPosition_[v].Add(desired);
    target = smoothTarget_[v].Add(target);
    if (environment_ != nullptr && r.Zone != nullptr) r.Zone = environment_->ZoneAfterMove(r.Zone, r.Position, desired);
  }
  r.Desired = desired;
  r.TargetPoint = target;
}

// Dolly, shake and field-of-view ramp, on the game clock (ms).
void CMovieCamera::RunEffects(MovieCameraRecord& r, CVector3* desired) {
  const std::uint32_t now = Now();
  auto elapsed = [now](CameraTimedValue& e) {
    if (!e.Stamped) {
      e.StartTime = now;
      e.Stamped = true;
    }
    return static_cast<float>(static_cast<std::int32_t>(now - e.StartTime)) - e.Delay;
  };
  if (r.FlagsA & CAMA_DOLLY) {
    float t = elapsed(r.Dolly);
    t = t < 0.0f ? 0.0f : t > r.Dolly.Duration ? r.Dolly.Duration : t;
    const float f = r.Dolly.Duration > 0.0f ? t / r.Dolly.Duration : 1.0f;
    const float distance = r.Dolly.Start + (r.Dolly.End - r.Dolly.Start) * f;
    *desired = r.BasePosition + r.DollyDirection * distance;
  }
  if (r.FlagsA & CAMA_SHAKE) {
    const float t = elapsed(r.Shake);
    if (t <= r.Shake.Duration) {
      if (t >= 0.0f) {
        const float phase = r.Shake.Duration > 0.0f ? t / r.Shake.Duration : 1.0f;
        const float amplitude = std::cos(phase * 1.5707964f) * r.ShakeMagnitude;
        if (amplitude > 0.001f) {
          const CVector3 offset{RandomFloatRange(-amplitude, amplitude), RandomFloatRange(-amplitude, amplitude),
                                RandomFloatRange(-amplitude, amplitude)};
          *desired = ((r.FlagsA & CAMA_POSE_AFRESH) ? r.ShakeBase : *desired) + offset;
        }
      }
    } else {
      r.FlagsA &= ~CAMA_SHAKE;
      if (r.FlagsA & CAMA_POSE_AFRESH) *desired = r.ShakeBase;
    }
  }
  if (r.FlagsA & CAMA_FOV_RAMP) {
    float t = elapsed(r.FovRamp);
    t = t < 0.0f ? 0.0f : t > r.FovRamp.Duration ? r.FovRamp.Duration : t;
    r.FieldOfView = r.FovRamp.Duration > 0.0f
                        ? r.FovRamp.Start + (r.FovRamp.End - r.FovRamp.Start) * t / r.FovRamp.Duration
                        : r.FovRamp.End;
  }
}

void CMovieCamera::MoveBy(int n, const CVector3& d) {
  MovieCameraRecord& r = records_[n];
  if (LengthSq(d) <= kMinMoveSquared) return;
  const CVector3 aimed = r.Position + d;
  if ((r.FlagsA & CAMA_COLLISION) && environment_ != nullptr) {
    if (LengthSq(d) > kLargeMove * kLargeMove) DebugTrace("LARGE MOVIE CAMREA VELOCITY !!\n");
    CSphere sphere;
    sphere.Set(r.Position, kCameraRadius);
    CEnvInstance* zone = r.Zone != nullptr ? r.Zone : environment_->RootInstance;
    CEnvInstance* after = environment_->MoveSphere(zone, &sphere, d, (r.FlagsB & CAMB_UNSTICK) ? 4u : 0u, nullptr);
    if (r.Zone != nullptr || after != environment_->RootInstance) r.Zone = after;
    r.Position = sphere.Centre;
    if (LengthSq(aimed - r.Position) < 1.0f) r.FlagsB &= ~CAMB_UNSTICK;
    return;
  }
  JumpBy(n, d);
}

void CMovieCamera::JumpBy(int n, const CVector3& d) {
  MovieCameraRecord& r = records_[n];
  const CVector3 from = r.Position;
  r.Position = r.Position + d;
  if (environment_ != nullptr && r.Zone != nullptr) r.Zone = environment_->ZoneAfterMove(r.Zone, from, r.Position);
}

void CMovieCamera::ApplyViewport(int v) {
  const int n = GetViewportCamera(v);
  if (n < 0 || render_ == nullptr) return;
  const MovieCameraRecord& r = records_[n];
  if (environment_ != nullptr && r.Zone != nullptr) environment_->SetViewInstance(r.Zone);
  CVector3 position;
  GetPosition(n, &position);
  render_->SetProjection(r.FieldOfView, render_->GetNearClip(), render_->GetFarClip());
  render_->SetView(position, r.Angles);
}
