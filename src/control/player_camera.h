// The player camera controller: one for each local view, driving one camera
// of the movie-camera manager so that it follows the player's soldier or
// vehicle.  Four modes: 1 chase (offsets by the target's state, kept out of
// walls and floors), 2 first person (a free camera placed at the smoothed
// head point), 3 and 4 fixed (the script's free camera).  The target point
// of a soldier is smoothed over the last 16 frames.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "world/routes/move_controller.h"

class CEnvInstance;
class CHLO;
class CMovieCamera;

// {enabled word, chase offset, target offset}.
struct PlayerCameraPreset {
  std::int32_t Enabled = 0;
  CVector3 Chase{};
  CVector3 Target{};
};

inline constexpr int kPlayerCameraPresets = 4;
inline constexpr int kPlayerCameraSmoothing = 16;
// Preset 1's chase distance on a full screen and on a split one.
inline constexpr float kChaseDistanceFull = 200.0f;
inline constexpr float kChaseDistanceSplit = 300.0f;
inline constexpr float kPlayerCameraRise = 50.0f;

// The presets as built (preset 1's distance by the split screen).
PlayerCameraPreset DefaultPlayerCameraPreset(int preset, bool splitScreen);

// What the controller reads of its target when it is a soldier or a vehicle.
// The units fill it through the installed reader; positions are world space.
struct PlayerCameraTargetState {
  bool Soldier = false;
  bool Vehicle = false;
  // A soldier: the vehicle he sits in or rides (null on foot) and how.
  CHLO* VehicleOf = nullptr;
  bool InSeat = false;          // sitting in a vehicle seat
  bool InLandVehicle = false;   // riding a land vehicle
  bool Gunner = false;          // sitting as a vehicle gunner
  CVector3 SeatPosition{};      // the gunner's seat position
  float SeatHeight = 0.0f;
  std::int32_t SeatKind = 0;
  float SeatWeaponYaw = 0.0f;   // degrees
  CVector3 Joint19{};           // the head joint
  CVector3 HeadOffset{};        // a direction with a length, kept by the soldier
  CVector3 AnchorJoint{};       // the anchor joint's position
  std::int32_t MovementClass = 0;
  std::int32_t StateWord = 0;
  std::int32_t MovementState = 0;
  std::int32_t AnimationKind = 0;  // the animation record's kind
  float Health = 1.0f;
  std::int32_t SideStep = 0;
  float Lean = 0.0f;
  float Pitch = 0.0f, Yaw = 0.0f, AimPitch = 0.0f, AimYaw = 0.0f;  // degrees
  bool OnFoot = true;
  bool Crouched = false;
  // A vehicle (the target, or the soldier's): its camera height and preset.
  float CameraHeight = 0.0f;
  PlayerCameraPreset CameraPreset{};
};

// Fills the state of a soldier or vehicle target for the given anchor joint;
// false for any other object.  Installed by the units.
using PlayerCameraTargetReader = bool (*)(CHLO* target, int anchorJoint, PlayerCameraTargetState* out);
void SetPlayerCameraTargetReader(PlayerCameraTargetReader reader);

// The game's zoom view (the aim's zoom record): active while its kind word is
// not 99; its zoom level runs 0..1.
struct ZoomViewRecord {
  std::int32_t Kind = 99;
  float ZoomLevel = 0.0f;
};
extern ZoomViewRecord g_ZoomView;
// The game's camera line-check switch (the joint offset of a crouched or
// lying soldier is checked against the world when on).
extern int g_CameraLineCheck;

class CPlayerCamera {
 public:
  // Serves `view`, drives movie camera `camera` of `manager` (either may be
  // unset: the controller then keeps its state only).  Preset 1's distance
  // is fixed here from the split-screen state.
  CPlayerCamera(CMovieCamera* manager, int view, int camera);

  // Keeps the current mode as the previous one, clears the view's camera
  // assignment and configures the driven camera for modes 1 to 4 (other
  // values are stored and do nothing more); then runs the per-frame update.
  void SetMode(int mode);
  int GetMode() const { return mode_; }
  int GetPreviousMode() const { return previous_; }
  // Modes 3 and 4 attach the view to the script's free camera.
  bool IsViewAttached() const { return attachedView_; }

  // A new target: the ground probe forgets its surface, the smoothing ring is
  // emptied in mode 2; in mode 1 the camera chases it from afresh.
  void SetTarget(CHLO* target);
  CHLO* GetTarget() const { return target_; }

  // Per frame: the chase update in mode 1 (the movie camera runs the others).
  void Update();

  // 0 clears the view's camera assignment and the shared side offset; 1 and 2
  // show camera 0 in the view with the side offset left or right.
  void SideView(int n);

  // The target point: a gunner's seat position raised by 20, else the head
  // joint (moved along a short head offset) averaged over the ring (written
  // when `record`), raised by 20 unless the soldier lies or crouches; any
  // other object its position.  False without a target.
  bool SmoothedTargetPoint(CVector3* out, bool record = true);

  void SetViewIndex(int view) { view_ = view; }
  int GetViewIndex() const { return view_; }
  void SetCameraIndex(int camera) { camera_ = camera; }
  int GetCamera() const { return camera_; }
  CMovieCamera* GetManager() const { return manager_; }
  void SetAnchorJoint(int joint) { anchorJoint_ = joint; }
  void SetFollowPreset(int flag) { followPreset_ = flag; }
  void SetOptionWord(int word) { option_ = word; }
  float GetRise() const { return rise_; }
  PlayerCameraPreset& Preset(int i) { return presets_[i & 3]; }
  int SmoothingCount() const { return ringCount_; }
  void ClearSmoothing() { ringCount_ = ringNext_ = 0; }

  // The collision constraint on a proposed camera position and target point
  // (the movie camera calls it each frame through its post callback).
  void Constrain(CVector3* position, CVector3* target);
  // The chase offsets last handed to the camera (for the view's readers).
  const CVector3& ChaseOffset() const { return chase_; }
  const CVector3& TargetOffset() const { return targetOffset_; }

 private:
  bool ReadTarget(PlayerCameraTargetState* state) const;
  void ChaseUpdate();
  void ChaseSoldier(const PlayerCameraTargetState& s);
  void ChaseVehicle(CHLO* vehicle, const PlayerCameraTargetState* soldier);
  void ChaseObject(CEnvInstance* instance);
  void Finish(const PlayerCameraPreset& preset);
  void Hand(const CVector3& chase, const CVector3& target);

  CMovieCamera* manager_;
  int view_;
  int camera_;
  int mode_ = 0;
  int previous_ = 0;
  bool attachedView_ = false;
  CHLO* target_ = nullptr;
  int anchorJoint_ = 0;
  int followPreset_ = 1;
  PlayerCameraPreset presets_[kPlayerCameraPresets];
  int option_ = 0;
  float rise_ = kPlayerCameraRise;
  CVector3 ring_[kPlayerCameraSmoothing] = {};
  int ringNext_ = 0;
  int ringCount_ = 0;
  CGroundProbe probe_;
  CVector3 chase_{};
  CVector3 targetOffset_{};
};

// The player camera controllers of the four local views; null where none is
// made.
inline constexpr int kPlayerCameraSlots = 4;
extern CPlayerCamera* g_PlayerCameras[kPlayerCameraSlots];
