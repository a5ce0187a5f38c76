#include "control/players/soldier_camera_reader.h"

#include "control/player_camera.h"
#include "units/soldier/grunt.h"

namespace {

constexpr int kHeadJoint = 19;
constexpr float kHeadHeight = 150.0f;

}  // namespace

bool ReadSoldierCameraTarget(CHLO* target, int anchorJoint, PlayerCameraTargetState* out) {
  if (target == nullptr || out == nullptr || target->Kind != HLO_GRUNT) return false;
  auto* s = static_cast<CHLOGrunt*>(target);
  *out = PlayerCameraTargetState{};
  out->Soldier = true;
  const CVector3 position = s->GetPosition();
  // Without an animated body the head and anchor stand over the feet.
  if (!s->GetJointPoint(kHeadJoint, &out->Joint19)) out->Joint19 = {position.x, position.y + kHeadHeight, position.z};
  if (!s->GetJointPoint(anchorJoint, &out->AnchorJoint)) out->AnchorJoint = out->Joint19;
  out->MovementClass = s->GetMovementClass();
  out->StateWord = s->squadWord;
  out->MovementState = s->movementState;
  out->Health = s->health;
  CVector3 rotation{};
  s->GetRotation(rotation);
  out->Pitch = rotation.x;
  out->Yaw = rotation.y;
  out->AimPitch = s->headRotationOffset.x;
  out->AimYaw = s->headRotationOffset.y;
  out->OnFoot = s->vehicle == nullptr;
  out->Crouched = out->MovementClass != MCLASS_STANDING;
  // Riding soldiers' seats come with the vehicles' class.
  return true;
}

void InstallSoldierCameraReader() { SetPlayerCameraTargetReader(&ReadSoldierCameraTarget); }
