// The soldier's torso and head: the aim-pitch clamp, the per-frame turn of
// both toward their desired rotations at limited rates, the two joint
// matrices handed to the animated object, and the placing of a soldier at a
// point (ladders and scripted placements).
#include <algorithm>
#include <cmath>

#include "control/players/local_player.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/animation/anim_object.h"
#include "world/objects/hlo_world.h"

namespace {

int g_headLookSwitch = 0;

constexpr float kPi = 3.14159265358979f;
constexpr float kDegToRad = kPi / 180.0f;

// The joint-control records the constructor names: head first, then the torso.
constexpr int kHeadControl = 0;
constexpr int kTorsoControl = 1;

float DifferenceLength(const CVector3& a, const CVector3& b) {
  const float x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
  return std::sqrt(x * x + y * y + z * z);
}

bool Differs(const CVector3& a, const CVector3& b) { return a.x != b.x || a.y != b.y || a.z != b.z; }

// Moves v toward target by step, stopping at the target.
float Approach(float v, float target, float step) {
  if (v < target) return std::min(v + step, target);
  if (v > target) return std::max(v - step, target);
  return v;
}

// Identity, then about x by the first angle, about y by minus the second,
// about z by the third.
void BuildJointMatrix(const CVector3& angles, CMatrix* m) {
  m->SetIdentity();
  m->RotateX(angles.x);
  m->RotateY(-angles.y);
  m->RotateZ(angles.z);
}

}  // namespace

void SetHeadLookSwitch(int value) { g_headLookSwitch = value; }
int HeadLookSwitch() { return g_headLookSwitch; }

float CHLOGrunt::ClampAimPitch(float angle, float scale) {
  float low = -50.0f * scale;
  float high = 50.0f * scale;
  if (aimElevation < 15.000001f && torsoRotation.x != 0.0f) {
    if (torsoRotation.x >= 0.0f) {
      high = torsoRotation.x;
    } else {
      low = torsoRotation.x;
    }
  }
  return std::clamp(angle, std::min(low, high), std::max(low, high));
}

void CHLOGrunt::ClampHeadPitch(CVector3* rotation, float factor) {
  rotation->x = ClampAimPitch(rotation->x, factor);
}

void CHLOGrunt::SetDesiredTorsoRotation(const CVector3& rotation) {
  desiredTorsoRotation = rotation;
  networkTurnFlags |= 0x20;
}

void CHLOGrunt::SetLookRotation(const CVector3& rotation) {
  desiredHeadRotation = rotation;
  networkTurnFlags |= 0x10;
}

void CHLOGrunt::TurnTorsoAndHead() {
  const float frameTime = UnitFrameTime();

  // Torso, on foot only.
  if (vehicle == nullptr && (Differs(desiredTorsoRotation, torsoRotation) || (networkTurnFlags & 0x20) != 0)) {
    networkTurnFlags &= ~0x20u;
    const float remaining = DifferenceLength(desiredTorsoRotation, torsoRotation);
    float step;
    if (Can(1) && player != nullptr && player->aimLock != 0) {
      step = remaining;  // no limit while the aim lock is held
    } else {
      float rate;
      if (!Can(1) || player == nullptr) {
        rate = IsEnemy() ? 45.0f : 90.0f;
      } else if (player->AimYawAxis == 0.0f && player->AimPitchAxis == 0.0f) {
        rate = 90.0f;
      } else if (player->fastAim != 0) {
        rate = 135.0f;
      } else if (remaining < 8.0f) {
        rate = remaining * 0.0625f * 50.0f;
      } else {
        rate = 50.0f;
      }
      step = std::min(rate * frameTime, remaining);
    }
    // The first two angles move along the difference's direction in their
    // plane; the third approaches its own value.
    const float dx = desiredTorsoRotation.x - torsoRotation.x;
    const float dy = desiredTorsoRotation.y - torsoRotation.y;
    const float planar = std::sqrt(dx * dx + dy * dy);
    if (planar > 0.0f) {
      float heading = std::atan2(dy, dx);
      if (heading < 0.0f) heading += 2.0f * kPi;
      const float move = std::min(step, planar);
      torsoRotation.x += std::cos(heading) * move;
      torsoRotation.y += std::sin(heading) * move;
      if (move == planar) {  // no rounding short of the goal
        torsoRotation.x = desiredTorsoRotation.x;
        torsoRotation.y = desiredTorsoRotation.y;
      }
    }
    torsoRotation.z = Approach(torsoRotation.z, desiredTorsoRotation.z, step);
    BuildJointMatrix(torsoRotation, &jointControls[kTorsoControl].Matrix);
  }

  // Head.
  if (LevelRulesFlag() && g_headLookSwitch != 1) {
    headRotation = {0.0f, 0.0f, 0.0f};
    BuildJointMatrix(headRotation, &jointControls[kHeadControl].Matrix);
    if (CAnimObject* anim = GetAnimObject()) anim->SetJointOverrides(jointControls);
    return;
  }
  if (!Differs(desiredHeadRotation, headRotation) && (networkTurnFlags & 0x10) == 0) return;
  networkTurnFlags &= ~0x10u;
  const float remaining = DifferenceLength(desiredHeadRotation, headRotation);
  const float rate = remaining < 8.0f ? remaining * 0.125f * 120.0f : 120.0f;
  float step = rate * frameTime;
  if (UnitGameTime() - alertTime > 10000u) step *= 0.25f;
  headRotation.x = Approach(headRotation.x, desiredHeadRotation.x, step);
  headRotation.y = Approach(headRotation.y, desiredHeadRotation.y, step);
  headRotation.z = 0.0f;
  BuildJointMatrix(headRotation, &jointControls[kHeadControl].Matrix);
  if (CAnimObject* anim = GetAnimObject()) anim->SetJointOverrides(jointControls);
}

void CHLOGrunt::PlaceAt(const CVector3& point, float distance, const CVector3& rotation, int keepHeight, int direct) {
  const float away = (rotation.y + 180.0f) * kDegToRad;
  CVector3 at{point.x + std::sin(away) * distance, point.y, point.z + std::cos(away) * distance};
  if (keepHeight) at.y = GetPosition().y;
  CHLO::PlaceAt(at, 0, direct ? 1 : 0, 0, 0);
  moveController.Position = at;
  CHLO::SetRotation(rotation);
  rotationChanged = 1;
}

int CHLOGrunt::PlaceAtOnGround(const CVector3& point, float distance, const CVector3& rotation, int keepHeight,
                               int direct) {
  const float away = (rotation.y + 180.0f) * kDegToRad;
  CVector3 at{point.x + std::sin(away) * distance, point.y, point.z + std::cos(away) * distance};
  if (keepHeight) at.y = GetPosition().y;
  HLOGroundHit hit;
  if (!FindGroundBelow(at, 20.0f, &hit)) return 0;
  PlaceAt(point, distance, rotation, keepHeight, direct);
  return 1;
}
