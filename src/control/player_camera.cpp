#include "control/player_camera.h"

#include "world/cameras/movie_camera.h"
#include "world/cameras/movie_camera_record.h"

CPlayerCamera::CPlayerCamera(CMovieCamera* manager, int camera) : manager_(manager), camera_(camera) {
  // By default each mode follows in its own way (follow mode = mode number).
  for (int m = 0; m < kPlayerCameraModes; ++m) modes_[m].FollowMode = static_cast<std::uint32_t>(m + 1);
}

bool CPlayerCamera::SetMode(int mode) {
  if (mode < 1 || mode > kPlayerCameraModes) return false;
  if (mode != mode_) previous_ = mode_;
  mode_ = mode;
  Apply();
  return true;
}

void CPlayerCamera::RestorePreviousMode() {
  if (previous_ >= 1) SetMode(previous_);
}

void CPlayerCamera::SetModeSettings(int mode, const PlayerCameraMode& settings) {
  if (mode >= 1 && mode <= kPlayerCameraModes) modes_[mode - 1] = settings;
}

const PlayerCameraMode* CPlayerCamera::GetModeSettings(int mode) const {
  return mode >= 1 && mode <= kPlayerCameraModes ? &modes_[mode - 1] : nullptr;
}

void CPlayerCamera::SetTarget(CEnvInstance* target, bool jump) {
  target_ = target;
  if (manager_ == nullptr || manager_->GetCameraRecord(camera_) == nullptr) return;
  manager_->SetChaseObject(camera_, target);
  manager_->SetLookAtObject(camera_, target);
  Apply();
  if (jump) manager_->SetJump();
}

void CPlayerCamera::Apply() {
  if (manager_ == nullptr || mode_ < 1) return;
  MovieCameraRecord* r = manager_->GetCameraRecord(camera_);
  if (r == nullptr) return;
  const PlayerCameraMode& m = modes_[mode_ - 1];
  manager_->SetAngleLimits(camera_, m.AngleLimits);
  manager_->SetFollowMode(camera_, m.FollowMode);
  if (r->Object != nullptr) manager_->SetChaseOffset(camera_, m.ChaseOffset);
}

CPlayerCamera* g_PlayerCameras[kPlayerCameraSlots] = {};
