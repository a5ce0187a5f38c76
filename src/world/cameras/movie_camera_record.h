// One scripted camera of the level (a cut-scene camera, or a player's view):
// its kind, flags, pose, tracks, timed effects, position sources and triggers.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;

enum MovieCameraKind : std::int32_t {
  CAMFREE = 0,      // placed freely, turned by its angles
  CAMTARGPOS = 1,   // aimed at a point
  CAMTARGOBJ = 2,   // aimed at an object
  CAMCHASEOBJ = 3,  // chasing an object
};

// CameraFlagsA.
enum CameraFlagsA : std::uint32_t {
  CAMA_IN_USE = 0x0001,
  CAMA_RUNNING = 0x0002,
  CAMA_POSITION_SPLINE = 0x0004,
  CAMA_TARGET_SPLINE = 0x0008,
  CAMA_POSITION_LINES = 0x0010,
  CAMA_TARGET_LINES = 0x0020,
  CAMA_SHAKE = 0x0040,
  CAMA_POSE_AFRESH = 0x0080,  // during a shake: shake about the base position
  CAMA_MARKED = 0x0200,
  CAMA_FOV_RAMP = 0x0400,
  CAMA_DOLLY = 0x0800,
  CAMA_DISTANCE_TRIGGER = 0x1000,
  CAMA_REGION_TRIGGER = 0x2000,
  CAMA_AIM_MODE = 0x4000,
  CAMA_COLLISION = 0x8000,
  CAMA_MOTION_MASK = 0x0DFC,  // bits 2 to 8, 10 and 11
};

// CameraFlagsB.
enum CameraFlagsB : std::uint32_t {
  CAMB_UNSTICK = 0x002,
  CAMB_TIME_LIMIT = 0x004,
  CAMB_OVERLAY = 0x008,     // switches the 2D overlay when taking or giving back a viewport by trigger
  CAMB_NO_RESTART = 0x010,  // with CAMB_STARTED: does not start again
  CAMB_STARTED = 0x040,
  CAMB_SMOOTH = 0x080,
  CAMB_RAIL = 0x100,
  CAMB_LOOK_AT = 0x200,
};

// Track mode word.
enum CameraTrackMode : std::uint32_t {
  TRACK_LOOP = 0x01,
  TRACK_SHORT = 0x02,  // one segment fewer
  TRACK_FINISHED = 0x04,
  TRACK_END = 0x08,
  TRACK_TIMED = 0x10,
  TRACK_WAYPOINTS = 0x20,
  TRACK_SKIP_FIRST = 0x40,
};

inline constexpr int kMaxRails = 8;

struct CameraTrack {
  std::uint32_t Mode = 0;
  std::int32_t StartWaypoint = -1;
  std::int32_t PointCount = 0;
  const CVector3* Points = nullptr;  // a given point list (not owned), when not from waypoints
  std::int32_t RailCount = 0;
  std::int32_t Rails[kMaxRails] = {};
  // Speed (segments a second), duration of a timed track (ms), or the
  // squared rail radius in rail mode.
  float Speed = 0.1f;
  float Delay = 0.0f;        // ms
  float StartOffset = 0.0f;  // ms
  std::uint32_t StartTime = 0;
  bool Stamped = false;
  float Progress = 0.0f;
  CVector3 FirstPoint{};
};

inline constexpr int kMaxCameraSources = 8;
inline constexpr int kMaxCameraRegions = 16;
inline constexpr int kCameraNameSize = 64;

// A position source: writes a point that the camera averages by weight.
using CameraSourceCallback = void (*)(void* parameter, CVector3* out);
// A custom target: writes the point a camera looks at.
using CameraTargetCallback = void (*)(int camera, CVector3* out);
// Changes a chase camera's desired position and target after they were computed.
using CameraPostCallback = void (*)(int camera, CVector3* position, CVector3* target, void* parameter);

struct CameraTimedValue {
  float Start = 0.0f, End = 0.0f;
  float Delay = 0.0f, Duration = 0.0f;  // ms
  std::uint32_t StartTime = 0;
  bool Stamped = false;
};

struct MovieCameraRecord {
  char Name[kCameraNameSize] = {};
  std::uint32_t FlagsA = 0;
  std::uint32_t FlagsB = 0;
  std::int32_t Kind = CAMFREE;
  CEnvInstance* Zone = nullptr;
  CVector3 Angles{};
  CVector3 BasePosition{};
  CVector3 Position{};
  CVector3 Desired{};
  CameraTrack PositionTrack;
  CVector3 TargetPoint{};
  CameraTrack TargetTrack;
  CVector3 TargetOffset{0.0f, 50.0f, 0.0f};
  CVector3 ChaseOffset{0.0f, 150.0f, 300.0f};
  CEnvInstance* Object = nullptr;
  CEnvInstance* LookAtObject = nullptr;
  float FieldOfView = 70.0f;
  CameraTimedValue FovRamp;
  float ShakeMagnitude = 0.0f;
  CameraTimedValue Shake;
  CVector3 ShakeBase{};
  CVector3 DollyDirection{};
  CameraTimedValue Dolly;  // Start/End are the distances
  struct Source {
    CameraSourceCallback Callback;
    float Weight;
    void* Parameter;
  } Sources[kMaxCameraSources] = {};
  std::int32_t SourceCount = 0;
  CameraTargetCallback TargetCallback = nullptr;
  CameraPostCallback PostCallback = nullptr;
  void* PostParameter = nullptr;
  std::int32_t RegionCount = 0;
  std::int32_t Regions[kMaxCameraRegions] = {};
  std::int32_t CurrentRegion = -1;
  float TriggerDistance = 0.0f;
  float TimeLimit = 0.0f;  // ms
  std::uint32_t StartTime = 0;
  std::int32_t PreviousCamera = -1;
  std::uint32_t AngleLimits = 0;
  std::uint32_t FollowMode = 0;
  // Rail mode: the nearest rail point found while no cut point was.
  CVector3 RailNearest{};
  bool HasRailNearest = false;
  // A blend from one pose to another (BlendCameras): two points for each track.
  CVector3 BlendPositions[2] = {};
  CVector3 BlendTargets[2] = {};
};
