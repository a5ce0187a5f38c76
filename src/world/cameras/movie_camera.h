// The cut-scene camera manager: up to 128 named cameras that are free, aimed
// at a point, aimed at an object or chasing one; they follow waypoint tracks
// (spline or straight), rails or weighted position sources, ramp their field
// of view, dolly and shake, and are shown in the four viewports by scripts,
// by the player camera controller or by triggers (the tracked object in one
// of their regions, within a distance, or a time limit running out).  One
// manager exists from engine start-up to shut-down and is reset by each
// level.  Everything is in fixed arrays; nothing is allocated per frame.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "render/geometry/vector3.h"
#include "world/cameras/movie_camera_record.h"

class CCamera;
class CEnvInstance;
class CEnvironment;
class CRegionList;
class CTimer;
class EnvTextCursor;
class EnvWaypointList;

inline constexpr int kMaxMovieCameras = 128;
inline constexpr int kMovieViewports = 4;
inline constexpr int kSmoothingSamples = 6;
// The level file version the section writer writes.
inline constexpr int kCameraSectionVersion = 72;

// The mean of the last six samples; the first sample fills all six.
struct SmoothingBuffer {
  CVector3 Samples[kSmoothingSamples] = {};
  int Count = 0;
  int Next = 0;
  void Clear() { Count = Next = 0; }
  CVector3 Add(const CVector3& sample);
};

// Switches the 2D overlay of a viewport toward on or off (the screen helpers).
using OverlayTransitionHook = void (*)(int viewport, bool on);

class CMovieCamera {
 public:
  // No cameras, no viewport cameras, override off, triggers enabled.
  explicit CMovieCamera(CCamera* renderCamera);
  void Reset();

  // The modules the manager reads (each may be null: nothing is then found there).
  void SetClock(CTimer* gameClock) { clock_ = gameClock; }
  CTimer* GetClock() const { return clock_; }
  void SetWorld(CEnvironment* environment, CRegionList* regions, const EnvWaypointList* waypoints);
  void SetOverlayHook(OverlayTransitionHook hook) { overlay_ = hook; }

  // --- records --------------------------------------------------------------------
  // The first free record, named (or "CAMERA%d"), with the defaults; -1 when
  // all 128 are in use.
  int CreateCamera(const char* name);
  // The used camera with exactly that name; -1 when none.
  int FindCamera(const char* name) const;
  void SetName(int n, const char* name);
  const char* GetName(int n) const;
  void MarkCamera(int n);
  void UnmarkCamera(int n);
  // Empties the flags of every camera that is not marked (frees it).
  void ClearUnmarked();
  // Frees camera n (stopping it where it is shown).
  void DeleteCamera(int n);
  int SetActiveCamera(int n);
  int GetActiveCamera() const { return active_; }
  // Null for n out of range.
  MovieCameraRecord* GetCameraRecord(int n);
  const MovieCameraRecord* GetCameraRecord(int n) const;
  bool IsUsed(int n) const;

  // --- pose -----------------------------------------------------------------------------
  void SetPosition(int n, const CVector3& position);
  // Current position, or the override position while the override is on.
  void GetPosition(int n, CVector3* out) const;
  void TurnBy(int n, const CVector3& delta);
  void SetAngles(int n, const CVector3& angles);
  void LookAlong(int n, const CVector3& direction);
  void MakeFree(int n);
  void SetTargetPosition(int n, const CVector3& point);
  void SetTargetObject(int n, CEnvInstance* object);
  void SetChaseObject(int n, CEnvInstance* object);
  void SetTargetPoint(int n, const CVector3& point);
  void SetTargetOffset(int n, const CVector3& offset);
  void SetChaseOffset(int n, const CVector3& offset);
  void SetChasedObject(int n, CEnvInstance* object);
  void SetLookAtObject(int n, CEnvInstance* object);
  void SetZoneFromObject(int n, CEnvInstance* instance);
  // The zone root the camera is in; null for none or n out of range.
  CEnvInstance* GetZone(int n) const;
  // Clears the motion bits of flags A (tracks, shake, pose afresh, field-of-
  // view ramp, dolly: mask 0xDFC) and nothing else.
  void ClearMotionFlags(int n);
  void SetOverride(bool on, const CVector3& position);
  void SetPivotOffset(const CVector3& offset) { pivot_ = offset; }
  void SetDefaultLookAt(CEnvInstance* object) { defaultLookAt_ = object; }
  void SetJump() { jump_ = 1; }
  bool IsJumpSet() const { return jump_ != 0; }

  // --- tracks -----------------------------------------------------------------------------
  // A track along the waypoint chain from start (spline or straight lines),
  // speed 0.1; mode bits as given (TRACK_TIMED makes speed a duration in ms).
  void SetPositionTrack(int n, int startWaypoint, bool spline, std::uint32_t mode);
  void SetTargetTrack(int n, int startWaypoint, bool spline, std::uint32_t mode);
  // A track through a point list (not copied; it must outlive the track).
  void SetPositionTrackPoints(int n, const CVector3* points, int count, bool spline, std::uint32_t mode);
  void SetTargetTrackPoints(int n, const CVector3* points, int count, bool spline, std::uint32_t mode);
  void SetPositionTrackSpeed(int n, float speedOrDuration, float delay, float startOffset);
  void SetTargetTrackSpeed(int n, float speedOrDuration, float delay, float startOffset);
  // Rail mode of an object-aimed camera: rails are waypoint chains; the
  // camera keeps on the sphere of that radius about its target.
  void SetRailRadius(int n, float radius);
  bool AddRail(int n, int startWaypoint);

  // --- timed effects ------------------------------------------------------------------------
  void StartShake(int n, float magnitude, float delay, float duration);
  void SetFieldOfView(int n, float degrees);
  float GetFieldOfView(int n) const;
  void StartFieldOfViewRamp(int n, float from, float to, float delay, float duration);
  void StartDolly(int n, float startDistance, float endDistance, float delay, float duration,
                  const CVector3& direction);
  // Up to 8 position sources; AddSource answers 0 when all are used.
  int AddSource(int n, CameraSourceCallback callback, float weight, void* parameter);
  void RemoveSource(int n, CameraSourceCallback callback);
  void ClearSources(int n);
  void SetTargetCallback(int n, CameraTargetCallback callback);
  void SetPostCallback(int n, CameraPostCallback callback, void* parameter);

  // --- triggers ---------------------------------------------------------------------------------
  // A region trigger (a region is added once; it replaces a distance trigger).
  void SetRegionTrigger(int n, int region);
  // A distance trigger (it replaces a region trigger).
  void SetDistanceTrigger(int n, float distance);
  void SetTimeLimit(int n, float ms);
  void ClearTriggers(int n);
  void SetTrackedObject(CEnvInstance* object) { tracked_ = object; }
  void EnableTriggers(bool on) { triggersEnabled_ = on ? 1 : 0; }

  void SetAngleLimits(int n, std::uint32_t limits);
  void SetFollowMode(int n, std::uint32_t mode);
  void SetAimMode(int n, bool on);
  void SetWorldCollision(int n, bool on);
  void SetUnstick(int n);

  // --- viewports ---------------------------------------------------------------------------------
  // Shows camera n in viewport v (see the start rules); nothing for bad numbers.
  void StartCamera(int v, int n);
  // Viewport v shows nothing; its camera stops running.
  void StopViewport(int v);
  void SetViewportCamera(int v, int n);  // pending: starts there at its turn in the update
  void ClearViewportCamera(int v);
  // The viewport's position and target smoothing start again.
  void ResetViewportBlend(int v);
  int GetViewportCamera(int v) const;   // the camera shown in v, -1 none
  int GetViewport(int n) const;         // the viewport showing camera n, -1 none
  // The camera set for each viewport's view (0: "PLAYERVIEW", 1-3: "VIEWPORTVIEW").
  int GetViewCamera(int v) const;
  void SetViewCamera(int v, int n);
  // Current position back to base, tracks and moves stopped.
  void StopCamera(int n);
  void StopAll();
  // Camera a becomes point-aimed and moves from its own pose to camera b's over ms.
  void BlendCameras(int a, int b, float ms);

  // --- per frame --------------------------------------------------------------------------------
  void Update();
  // Poses the render camera for viewport v: the environment's zone, the
  // shown camera's field of view, position and angles.
  void ApplyViewport(int v);
  // The line from the camera's position (or from a point) to the point is clear.
  bool CanSee(int n, const CVector3& point) const;
  bool CanSeeFrom(int n, const CVector3& from, const CVector3& point) const;
  int FindByObject(const CEnvInstance* object) const;
  // Clears the object of the first camera whose object the environment no
  // longer holds; 1 when one was cleared.
  int DropMissingObjects();

  // --- developer overlays (world lines; nothing for a camera not in use) ----------
  // A point-aimed camera: a line from its position to its target point (yellow).
  void DebugDrawTarget(int n) const;
  // The camera's view: four lines of 200 units from its position at half its
  // field of view left, right, up and down of its facing, turned by its
  // angles as the render camera turns (cyan).
  void DebugDrawView(int n) const;
  // The position track (green) and the target track (red) of a camera that
  // follows them, as lines through their points (closed when looping).
  void DebugDrawTracks(int n) const;
  // A dollying camera: the run of its dolly along the direction vector from
  // the start distance to the end distance off its base position (magenta).
  void DebugDrawDolly(int n) const;

  // --- files -------------------------------------------------------------------------------------
  // The camera section of the level file, up to and including "ENDC" (from
  // version 12; before, one player-view record).  Clears every camera first,
  // then creates the level's, and the three "VIEWPORTVIEW" cameras.  False
  // when the text is damaged (a record cut short, a region count out of
  // range); the cameras read before stay.
  bool ReadSection(EnvTextCursor& cursor, int version);
  // Appends the section (every used camera, then "ENDC\r\n") in the current version.
  void WriteSection(std::string* out) const;
  // Appends the enumeration of the used cameras' names for mission scripts.
  void WriteHeader(std::string* out) const;
  // 1 when every used camera has a zone the environment holds (reports each that has not).
  int CheckZoneLinks();

 private:
  MovieCameraRecord* Rec(int n);
  std::uint32_t Now() const;
  void InitRecord(MovieCameraRecord& r, int n, const char* name);
  void UpdateCamera(int n);
  void UpdateTriggers(int n);
  void Pose(int n);
  void PoseFree(int n);
  void PoseAimed(int n);
  void PoseRail(int n, int v);
  void ComputeChasePose(int n, int v);
  void RunEffects(MovieCameraRecord& r, CVector3* desired);
  void MoveBy(int n, const CVector3& d);
  void JumpBy(int n, const CVector3& d);
  void AimAt(MovieCameraRecord& r, const CVector3& target);
  // The end of an aimed pose: the effects shake the desired position, the
  // camera moves there and, when not on the target point, faces it.
  void MoveAndAim(int n, MovieCameraRecord& r, CVector3 desired);
  bool TrackPoint(const CameraTrack& t, bool spline, int k, CVector3* out) const;
  int TrackSegments(const CameraTrack& t) const;
  bool FollowTrack(CameraTrack& t, bool spline, CVector3* out);
  CVector3 WaypointPoint(const CameraTrack& t, int k) const;
  int ChainLength(int start) const;
  bool ObjectPosition(const CEnvInstance* object, CVector3* out) const;
  CVector3 InObjectFrame(const CEnvInstance* object, const CVector3& offset) const;
  bool RegionHolds(int region, const CVector3& point) const;
  bool AnyTriggerHolds() const;
  void StartByTrigger(int v, int n);
  void ReturnToPrevious(int v, int n);
  bool ReadRecord(EnvTextCursor& cursor, int version, const char* kind);
  CEnvInstance* FindInstance(const char* name) const;

  CCamera* render_;
  CTimer* clock_ = nullptr;
  CEnvironment* environment_ = nullptr;
  CRegionList* regions_ = nullptr;
  const EnvWaypointList* waypoints_ = nullptr;
  OverlayTransitionHook overlay_ = nullptr;

  MovieCameraRecord records_[kMaxMovieCameras];
  int active_ = -1;
  int shown_[kMovieViewports];
  int pending_[kMovieViewports];
  std::uint32_t smoothingLock_[kMovieViewports];
  SmoothingBuffer smoothPosition_[kMovieViewports];
  SmoothingBuffer smoothTarget_[kMovieViewports];
  int viewCameras_[kMovieViewports];
  std::uint32_t jump_ = 0;
  std::uint32_t override_ = 0;
  CVector3 overridePosition_{};
  CVector3 pivot_{};
  CEnvInstance* defaultLookAt_ = nullptr;
  CEnvInstance* tracked_ = nullptr;
  std::uint32_t triggersEnabled_ = 1;
  // The camera that holds viewport 0 by trigger; -1 none.
  int triggerCamera_ = -1;
};

// The engine's camera manager (null outside engine start-up .. shut-down).
extern CMovieCamera* g_MovieCamera;
