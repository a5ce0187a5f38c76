// The player camera controller: one for each local player, driving the
// movie camera that is that player's view.  It switches between four modes
// (each configures the driven camera's angle limits, follow mode and chase
// offset), re-targets on a soldier or vehicle, and asks the camera manager
// to jump straight to the desired position when a cut must not slide.
// This is the part of the controller the world library needs; the game's
// input handling drives it.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CMovieCamera;

// What a mode sets on the driven camera.
struct PlayerCameraMode {
  std::uint32_t AngleLimits = 0;
  std::uint32_t FollowMode = 0;
  CVector3 ChaseOffset{0.0f, 150.0f, 300.0f};
};

inline constexpr int kPlayerCameraModes = 4;

class CPlayerCamera {
 public:
  // Drives camera `camera` of the manager (either may be unset: the
  // controller then keeps its state only).
  CPlayerCamera(CMovieCamera* manager, int camera);

  // Modes 1 to 4: keeps the current mode as the previous one and applies the
  // mode's settings to the driven camera.  False, with nothing changed, for
  // another mode.  Setting the current mode again re-applies it.
  bool SetMode(int mode);
  int GetMode() const { return mode_; }
  int GetPreviousMode() const { return previous_; }
  // Back to the previous mode (nothing when there is none).
  void RestorePreviousMode();
  // Replaces the settings of mode 1 to 4 (applied at the next SetMode).
  void SetModeSettings(int mode, const PlayerCameraMode& settings);
  const PlayerCameraMode* GetModeSettings(int mode) const;

  // Chases the soldier's or vehicle's instance (null: none) in the current
  // mode, looking at it; with jump the manager's jump word is set so that the
  // camera goes straight to its desired position (the manager clears it).
  void SetTarget(CEnvInstance* target, bool jump);
  CEnvInstance* GetTarget() const { return target_; }
  int GetCamera() const { return camera_; }

 private:
  void Apply();

  CMovieCamera* manager_;
  int camera_;
  int mode_ = 0;
  int previous_ = 0;
  CEnvInstance* target_ = nullptr;
  PlayerCameraMode modes_[kPlayerCameraModes];
};

// The player camera controllers of the four local players; null where none
// is made.
inline constexpr int kPlayerCameraSlots = 4;
extern CPlayerCamera* g_PlayerCameras[kPlayerCameraSlots];
