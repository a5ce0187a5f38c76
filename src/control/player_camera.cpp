#include "control/player_camera.h"

#include <cmath>
#include <numbers>

#include "control/aim/left_out_of_line_checks.h"
#include "control/viewport_config.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "render/geometry/geometry_ops.h"
#include "world/cameras/movie_camera.h"
#include "world/cameras/movie_camera_record.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/space/world_hit.h"

using namespace geom;

ZoomViewRecord g_ZoomView;
int g_CameraLineCheck = 0;
CPlayerCamera* g_PlayerCameras[kPlayerCameraSlots] = {};

namespace {

PlayerCameraTargetReader g_reader = nullptr;

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kDegrees = kPi / 180.0f;
// How far ahead the target offset reaches when the soldier stands.
constexpr float kUprightTargetReach = -400.0f;
constexpr float kHeadRaise = 20.0f;
constexpr float kHeadReach = 20.0f;
constexpr float kGroundClearance = 50.0f;
constexpr float kLookDown = 100000.0f;
// The camera of a soldier on foot: his point raised by 50, the camera 400
// behind it (his frame), stopped 10 off a wall it meets.
constexpr float kSoldierPointRaise = 50.0f;
constexpr float kSoldierCameraReach = 400.0f;
constexpr float kWallStandOff = 10.0f;

CVector3 Turned(const CEnvInstance* instance, const CVector3& v) {
  CVector3 out = v;
  if (instance != nullptr) instance->GetWorldMatrix().RotateVector(v, &out);
  return out;
}

CVector3 PositionOf(const CEnvInstance* instance) {
  CVector3 p{0, 0, 0};
  if (instance != nullptr) instance->GetPosition(&p);
  return p;
}

// The first surface on the segment: the point, and the world normal there.
bool FirstHit(CEnvInstance* zone, const CVector3& from, const CVector3& to, CVector3* point, CVector3* normal) {
  if (g_Environment == nullptr) return false;
  CVector3 at{};
  WorldHit* hit = nullptr;
  if (g_Environment->LineOfSight(zone, from, to, &at, &hit, 0, nullptr) != 0) return false;
  *point = at;
  if (normal != nullptr) {
    *normal = Unit(from - to);
    if (hit != nullptr && hit->Instance != nullptr) {
      const CVector3 n = Turned(hit->Instance, CVector3{hit->Plane[0], hit->Plane[1], hit->Plane[2]});
      if (LengthSq(n) > 0.0f) *normal = Unit(n);
    }
  }
  return true;
}

void ConstrainThunk(int, CVector3* position, CVector3* target, void* controller) {
  static_cast<CPlayerCamera*>(controller)->Constrain(position, target);
}

void SmoothedPointThunk(void* controller, CVector3* out) {
  static_cast<CPlayerCamera*>(controller)->SmoothedTargetPoint(out, true);
}

CVector3 Lerp(const CVector3& a, const CVector3& b, float t) { return a + (b - a) * t; }

}  // namespace

void SetPlayerCameraTargetReader(PlayerCameraTargetReader reader) { g_reader = reader; }

PlayerCameraPreset DefaultPlayerCameraPreset(int preset, bool splitScreen) {
  switch (preset) {
    case 0:
      return {1, {-20.0f, 100.0f, -200.0f}, {-20.0f, 50.0f, 1000.0f}};
    case 1:
      return {1, {-20.0f, 100.0f, splitScreen ? kChaseDistanceSplit : kChaseDistanceFull}, {0.0f, 70.0f, -100.0f}};
    case 2:
      return {1, {0.0f, 60.000004f, -800.0f}, {0.0f, 0.0f, 0.0f}};
    default:
      return {0, {170.0f, 100.0f, 170.0f}, {0.0f, 70.0f, 0.0f}};
  }
}

CPlayerCamera::CPlayerCamera(CMovieCamera* manager, int view, int camera)
    : manager_(manager), view_(view), camera_(camera) {
  const bool split = g_ViewportConfig.SplitScreen != 0;
  for (int i = 0; i < kPlayerCameraPresets; ++i) presets_[i] = DefaultPlayerCameraPreset(i, split);
  SideView(0);
}

bool CPlayerCamera::ReadTarget(PlayerCameraTargetState* state) const {
  *state = PlayerCameraTargetState{};
  if (target_ == nullptr) return false;
  if (target_->Kind != HLO_GRUNT && target_->Kind != HLO_VEHICLE) return false;
  if (g_reader == nullptr) {
    NotBuiltYet("player camera: soldier and vehicle state");
    return false;
  }
  return g_reader(target_, anchorJoint_, state);
}

void CPlayerCamera::SetMode(int mode) {
  previous_ = mode_;
  mode_ = mode;
  if (manager_ != nullptr) manager_->ClearViewportCamera(view_);
  if (manager_ != nullptr && manager_->GetCameraRecord(camera_) != nullptr) {
    switch (mode) {
      case 1:
        // Without a target there is nothing to chase: the camera stays as it is.
        if (target_ != nullptr && target_->Instance != nullptr) manager_->SetChaseObject(camera_, target_->Instance);
        manager_->ResetViewportBlend(view_);
        manager_->ClearSources(camera_);
        attachedView_ = false;
        break;
      case 2:
        ClearSmoothing();
        manager_->MakeFree(camera_);
        manager_->ResetViewportBlend(view_);
        manager_->ClearSources(camera_);
        manager_->AddSource(camera_, SmoothedPointThunk, 1.0f, this);
        manager_->SetViewportCamera(view_, camera_);
        attachedView_ = false;
        break;
      case 3:
      case 4:
        manager_->MakeFree(camera_);
        manager_->ResetViewportBlend(view_);
        manager_->ClearSources(camera_);
        attachedView_ = true;
        break;
      default:
        break;
    }
  }
  Update();
}

void CPlayerCamera::SetTarget(CHLO* target) {
  if (target != target_) {
    probe_.Clear();
    if (mode_ == 2) ClearSmoothing();
  }
  target_ = target;
  if (mode_ == 1 && target != nullptr && target->Instance != nullptr && manager_ != nullptr &&
      manager_->GetCameraRecord(camera_) != nullptr) {
    manager_->SetChaseObject(camera_, target->Instance);
    manager_->ResetViewportBlend(view_);
    PlayerCameraTargetState s;
    if (ReadTarget(&s) && s.AnimationKind == 4 && target->Instance != nullptr) {
      // Lifted, settling over a second.
      rise_ = kPlayerCameraRise;
      CVector3 p = PositionOf(target->Instance);
      p.y += kPlayerCameraRise;
      manager_->SetPosition(camera_, p);
      manager_->SetJump();
    }
  }
  Update();
}

void CPlayerCamera::Update() {
  if (mode_ == 1) ChaseUpdate();
}

void CPlayerCamera::SideView(int n) {
  if (manager_ == nullptr) return;
  switch (n) {
    case 0:
      manager_->ClearViewportCamera(view_);
      manager_->SetPivotOffset({0.0f, 0.0f, 0.0f});
      break;
    case 1:
      manager_->SetViewportCamera(view_, 0);
      manager_->SetPivotOffset({-150.0f, 0.0f, -250.0f});
      break;
    case 2:
      manager_->SetViewportCamera(view_, 0);
      manager_->SetPivotOffset({150.0f, 0.0f, -250.0f});
      break;
    default:
      break;
  }
}

bool CPlayerCamera::SmoothedTargetPoint(CVector3* out, bool record) {
  if (target_ == nullptr) return false;
  PlayerCameraTargetState s;
  if (!ReadTarget(&s) || !s.Soldier) {
    *out = PositionOf(target_->Instance);
    return true;
  }
  if (s.Gunner) {
    *out = s.SeatPosition;
    out->y += kHeadRaise;
    return true;
  }
  CVector3 point = s.Joint19;
  const float reach = Length(s.HeadOffset);
  if (reach < kHeadReach && reach > 0.0f) point = point + Unit(s.HeadOffset) * (kHeadReach - reach);
  if (record) {
    ringNext_ = (ringNext_ + 1) % kPlayerCameraSmoothing;
    ring_[ringNext_] = point;
    if (ringCount_ < kPlayerCameraSmoothing) ++ringCount_;
  }
  CVector3 mean = s.Joint19;
  if (ringCount_ > 0) {
    // The ring's first `count` entries: slots 1.. are written first.
    CVector3 sum{0, 0, 0};
    for (int i = 0; i < ringCount_; ++i) sum = sum + ring_[(i + 1) % kPlayerCameraSmoothing];
    mean = sum * (1.0f / static_cast<float>(ringCount_));
  }
  if (s.MovementClass == 0) mean.y += kHeadRaise;
  *out = mean;
  return true;
}

void CPlayerCamera::Hand(const CVector3& chase, const CVector3& target) {
  chase_ = chase;
  targetOffset_ = target;
  if (manager_ == nullptr) return;
  manager_->SetChaseOffset(camera_, chase);
  manager_->SetTargetOffset(camera_, target);
}

void CPlayerCamera::Finish(const PlayerCameraPreset& preset) {
  if (manager_ == nullptr) return;
  manager_->SetPostCallback(camera_, ConstrainThunk, this);
  manager_->SetFollowMode(camera_, static_cast<std::uint32_t>(preset.Enabled));
}

void CPlayerCamera::ChaseUpdate() {
  if (manager_ == nullptr || manager_->GetCameraRecord(camera_) == nullptr || target_ == nullptr) return;
  PlayerCameraTargetState s;
  if (ReadTarget(&s)) {
    if (s.Soldier) {
      if (s.VehicleOf != nullptr && (s.InSeat || (s.InLandVehicle && option_ == 0)))
        ChaseVehicle(s.VehicleOf, &s);
      else
        ChaseSoldier(s);
      return;
    }
    if (s.Vehicle) {
      ChaseVehicle(target_, nullptr);
      return;
    }
  }
  ChaseObject(target_->Instance);
}

void CPlayerCamera::ChaseObject(CEnvInstance* instance) {
  MovieCameraRecord* r = manager_->GetCameraRecord(camera_);
  if (instance != nullptr && r->Object != instance) {
    manager_->SetChaseObject(camera_, instance);
    manager_->ResetViewportBlend(view_);
    manager_->SetJump();
  }
  Hand(presets_[0].Chase, presets_[0].Target);
  Finish(presets_[0]);
}

void CPlayerCamera::ChaseSoldier(const PlayerCameraTargetState& s) {
  MovieCameraRecord* r = manager_->GetCameraRecord(camera_);
  CEnvInstance* instance = target_->Instance;
  if (r->Object != instance) {
    manager_->SetChaseObject(camera_, instance);
    manager_->ResetViewportBlend(view_);
    manager_->SetJump();
  }
  const PlayerCameraPreset& preset = presets_[s.StateWord == 54 ? 3 : 1];
  CVector3 chase, target;
  if (followPreset_ != 1) {
    chase = s.AnchorJoint + presets_[1].Chase;
    target = s.AnchorJoint + presets_[1].Target;
    if (s.MovementClass == 0) target.z += kUprightTargetReach;
  } else {
    chase = preset.Chase;
    if (rise_ > 0.0f) {
      chase.y += rise_;
      const float seconds = g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f;
      rise_ -= kPlayerCameraRise * seconds;
    }
    target = preset.Target;
    if (s.MovementClass == 0) target.z += kUprightTargetReach;
    if (g_ZoomView.Kind != 99) {
      // Camera 0 takes the zoom view: linear between the two ends.
      const float zoom = 1.0f - g_ZoomView.ZoomLevel;
      const float t = zoom <= 0.0f ? 0.0f : zoom >= 1.0f ? 1.0f : zoom;
      manager_->SetChaseOffset(0, Lerp({100.0f, 100.0f, -300.0f}, {0.0f, 0.0f, -250.0f}, t));
      manager_->SetTargetOffset(0, Lerp({0.0f, 100.0f, 100.0f}, {-120.00001f, 0.0f, 0.0f}, t));
    } else if (s.SideStep == 2 && s.Health <= 0.0f && option_ != 0) {
      const std::uint32_t now = g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0u;
      const float t = static_cast<float>(now % 8000u) * 0.000125f * 2.0f * kPi;
      chase = {300.0f * std::sin(t), 350.0f, 300.0f * std::cos(t) - 75.0f};
      target = {-100.0f * std::sin(t), 20.0f, -100.0f * std::cos(t) - 75.0f};
    } else if (s.SideStep != 2) {
      const float side = s.SideStep != 0 ? 1.0f : -1.0f;
      chase.x += side * std::sin(std::fabs(s.Lean) * 0.005f * kPi / 2.0f) * 20.0f;
    }
  }
  Hand(chase, target);
  Finish(preset);
}

void CPlayerCamera::ChaseVehicle(CHLO* vehicle, const PlayerCameraTargetState* soldier) {
  MovieCameraRecord* r = manager_->GetCameraRecord(camera_);
  CEnvInstance* instance = vehicle != nullptr ? vehicle->Instance : nullptr;
  if (instance != nullptr && r->Object != instance) {
    manager_->SetChaseObject(camera_, instance);
    manager_->ResetViewportBlend(view_);
    manager_->SetJump();
  }
  PlayerCameraTargetState v;
  if (vehicle == target_) {
    ReadTarget(&v);
  } else if (g_reader != nullptr) {
    g_reader(vehicle, anchorJoint_, &v);
  }
  PlayerCameraPreset preset = v.CameraPreset;
  if (soldier != nullptr && soldier->Gunner) {
    // Fixed to the gunner seat: the seat's own preset for kind 11, else preset 2.
    if (soldier->SeatKind != 11) preset = presets_[2];
    const CVector3 raise{0.0f, soldier->SeatHeight, 0.0f};
    Hand(preset.Chase + raise, preset.Target + raise);
    Finish(preset);
    return;
  }
  const CVector3 height{0.0f, v.CameraHeight, 0.0f};
  Hand(height + preset.Chase, height + preset.Target);
  Finish(preset);
  manager_->SetFollowMode(camera_, 0);
}

void CPlayerCamera::Constrain(CVector3* position, CVector3* target) {
  if (target_ == nullptr || target_->Instance == nullptr) return;
  CEnvInstance* instance = target_->Instance;
  PlayerCameraTargetState s;
  const bool known = ReadTarget(&s);
  const bool soldier = known && s.Soldier;
  // 1. Where the view starts from.
  CVector3 start = PositionOf(instance);
  if (soldier && s.VehicleOf == nullptr) start = {s.Joint19.x, start.y, s.Joint19.z};
  if (soldier && s.MovementClass != 0) {
    CVector3 offset = Turned(instance, {25.0f, 40.0f, 0.0f});
    if (g_CameraLineCheck != 0 && g_Environment != nullptr) {
      WorldHit* record = nullptr;
      CVector3 at{};
      if (g_Environment->LineOfSight(instance, s.Joint19, s.Joint19 + offset * 2.0f, &at, &record, 0, nullptr) == 0 &&
          record != nullptr)
        offset = offset * (0.5f * record->Distance);
    }
    start = start + offset;
  }
  // 2. The target (and its vehicle) out of the line checks meanwhile.
  CEnvInstance* vehicle = soldier && s.VehicleOf != nullptr ? s.VehicleOf->Instance : nullptr;
  const LeftOutOfLineChecks targetLeftOut(instance);
  const LeftOutOfLineChecks vehicleLeftOut(vehicle);
  // Checks from the target start in its zone; the ground under the camera is
  // looked for in the camera's (the target's while it has none).
  CEnvInstance* cameraZone = manager_ != nullptr ? manager_->GetZone(camera_) : nullptr;
  if (cameraZone == nullptr) cameraZone = instance;
  if (!soldier || s.MovementClass != 0 || s.Health <= 0.0f) {
    // 3. Not below the ground under the camera.
    float ground = 0.0f;
    bool haveGround = probe_.IsBound() && probe_.GetHeightBelow(*position, &ground) == 1;
    if (!haveGround) {
      CVector3 at{};
      if (FirstHit(cameraZone, *position, *position - CVector3{0.0f, kLookDown, 0.0f}, &at, nullptr)) {
        ground = at.y;
        haveGround = true;
      }
    }
    if (haveGround && position->y < ground + kGroundClearance) position->y = ground + kGroundClearance;
  } else {
    // 4. A living soldier on his feet: 400 behind his raised point, short of a wall.
    const CVector3 point = PositionOf(instance) + Turned(instance, {0.0f, kSoldierPointRaise, 0.0f});
    CVector3 camera = point + Turned(instance, {0.0f, 0.0f, kSoldierCameraReach});
    CVector3 at{}, normal{};
    if (FirstHit(instance, point, camera, &at, &normal)) camera = at + normal * kWallStandOff;
    *target = point;
    *position = camera;
    start = point;
  }
  // 5. Stopped at the first surface between the view's start and the camera.
  CVector3 at{}, normal{};
  if (FirstHit(instance, start, *position, &at, &normal)) {
    const CVector3 along = *position - start;
    const float length = Length(along);
    const float reach = Length(at - start) - kWallStandOff;
    *position = length > 0.0f ? start + along * ((reach > 0.0f ? reach : 0.0f) / length) : start;
  }
}
