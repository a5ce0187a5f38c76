#include "world/dynamics/ground_drive_dynamics.h"

#include <algorithm>
#include <cmath>

#include "foundation/maths/angles.h"
#include "render/geometry/matrix.h"
#include "world/dynamics/dynamic_records.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"

namespace {
float Wrap180(float a) { return a > 180.0f ? a - 360.0f : a; }
}  // namespace

void CGroundDriveDynamics::Init(const CVector3& position, const CVector3& angles, CEnvInstance* instance,
                                const DynDrivePartData* record) {
  if (record) {
    MaxForwardSpeed = record->speedLimits[0];
    VerticalLimit = record->speedLimits[1];
    TiltLimit = record->angleLimits[0];
    RollLimit = record->angleLimits[1];
  }
  Position = position;
  Angles = angles;
  Instance = instance;
  On = 1;
}

void CGroundDriveDynamics::SetPrimaryDrive(float value, CGroundDriveDynamics* both) {
  PrimaryInput = value * MaxForwardSpeed;
  if (both && both != this) both->SetPrimaryDrive(value, nullptr);
}

void CGroundDriveDynamics::SetSecondaryDrive(float value, CGroundDriveDynamics* both) {
  SecondaryInput = value * VerticalLimit;
  if (both && both != this) both->SetSecondaryDrive(value, nullptr);
}

CVector3 CGroundDriveDynamics::GetVelocity() const {
  CVector3 d;
  AnglesToDirection({0.0f, Angles.y, 0.0f}, &d);
  return {d.x * ForwardSpeed, VerticalSpeed, d.z * ForwardSpeed};
}

float CGroundDriveDynamics::TurnTowards(const CVector3& point) const {
  // Heading h faces (sin h, 0, cos h).
  const float want = std::atan2(point.x - Position.x, point.z - Position.z) * 57.29578f;
  float d = std::fmod(want - Angles.y, 360.0f);
  if (d < 0.0f) d += 360.0f;
  return d >= 360.0f ? 0.0f : d;
}

void CGroundDriveDynamics::ApplyControls(float dt) {
  if (!On) return;
  TurnRate = MoveValueTowards(TurnRate, TurnInput, 32.0f * dt);
  ForwardSpeed = MoveValueTowards(ForwardSpeed, PrimaryInput, ForwardRate * dt);
  VerticalSpeed = MoveValueTowards(VerticalSpeed, SecondaryInput, VerticalRate * dt);
  Angles.y += TurnRate * dt;
  if (ForwardSpeed != 0.0f && VerticalLimit != 0.0f) {
    Tilt = std::clamp(VerticalSpeed / VerticalLimit * TiltLimit, -TiltLimit, TiltLimit);
    Angles.x = -4.0f * Tilt;
  }
  Angles.x = Wrap180(Angles.x);
  Angles.z = Wrap180(Angles.z);
  const CVector3 v = GetVelocity();
  Position = {Position.x + v.x * dt, Position.y + v.y * dt, Position.z + v.z * dt};
  if (GroundHeight >= 0.0f && g_Environment) {
    WorldHit hit{};
    const CVector3 probe{Position.x, Position.y - GroundHeight, Position.z};
    // The first surface from the top within 2 m of the last ground height.
    if (g_Environment->ProbeVertical(probe, 200.0f, &hit, false)) Position.y = hit.Point.y + GroundHeight;
  }
  Angles.z = std::clamp(-(TurnRate / TurnLimit) * RollLimit, -RollLimit, RollLimit);
}

void CGroundDriveDynamics::Update(float) {
  if (!Instance) return;
  CVector3 before;
  Instance->GetPosition(&before);
  if (g_Environment) g_Environment->UpdateInstanceZone(Instance, before, Position);
  Instance->SetPosition(Position, true);
  Instance->SetRotation(Angles, true);
}
