#include "world/dynamics/drive_dynamics.h"

#include <algorithm>
#include <cmath>

#include "foundation/maths/angles.h"
#include "foundation/maths/random15.h"
#include "render/bsp/bsp_tree.h"
#include "render/textures/surfaces.h"
#include "world/dynamics/dynamics_impacts.h"
#include "world/dynamics/dynamic_records.h"
#include "world/dynamics/physics_state.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/effects/particle_pool.h"
#include "world/space/world_hit.h"

namespace {

DriveJointHook g_JointHook = nullptr;

float Random01() { return static_cast<float>(Rand15()) / 32767.0f; }

float Wrap180(float a) { return a > 180.0f ? a - 360.0f : a; }

float Wrap360(float a) {
  a = std::fmod(a, 360.0f);
  return a < 0.0f ? a + 360.0f : a;
}

}  // namespace

void CDriveDynamics::SetJointHook(DriveJointHook hook) { g_JointHook = hook; }

void CDriveDynamics::Init(const CVector3& position, const CVector3& angles, CEnvInstance* model,
                          const DynDriveData* record, int firstJoint, int secondJoint) {
  if (record) {
    MaxForwardSpeed = record->speedLimits[0];
    MaxVerticalSpeed = record->speedLimits[1];
    MaxPitch = record->rateLimits[0];
    MaxRoll = record->rateLimits[1];
    JointAxes[0] = std::clamp(record->joints[0].axis, 0, 2);
    JointAxes[1] = std::clamp(record->joints[1].axis, 0, 2);
  }
  Position = position;
  Angles = angles;
  Model = model;
  Joints[0] = firstJoint;
  Joints[1] = secondJoint;
  On = 1;
}

void CDriveDynamics::SetPrimaryDrive(float value, CDriveDynamics* both) {
  PrimaryInput = value * MaxForwardSpeed;
  if (both && both != this) both->SetPrimaryDrive(value, nullptr);
}

void CDriveDynamics::SetSecondaryDrive(float value, CDriveDynamics* both) {
  SecondaryInput = value * MaxVerticalSpeed;
  if (both && both != this) both->SetSecondaryDrive(value, nullptr);
}

void CDriveDynamics::ApplyControls(float dt) {
  if (!On) return;
  // Rotor wash: now and then a point below the craft is looked for; dust
  // rises where the ground is near and dusty.
  WashTimer -= dt;
  if (WashTimer <= 0.0f && g_Environment) {
    const float radius = Model ? std::max(Model->GetWorldSphere().Radius, 100.0f) : 300.0f;
    const float a = Random01() * 6.2831853f, r = Random01() * radius;
    const CVector3 from{Position.x + std::cos(a) * r, Position.y, Position.z + std::sin(a) * r};
    WorldHit hit{};
    if (g_Environment->LineTestFlat(from, {from.x, from.y - 200.0f, from.z}, &hit, 0)) {
      WashTimer = hit.Distance * 1.0f;
      const CSurfaces* surfaces = ImpactSurfaces();
      const CSurface* surface =
          surfaces && hit.Polygon ? surfaces->GetSurface(hit.Polygon->SurfaceId) : nullptr;
      if (surface && (surface->Flags & SURF_DUST_ON_IMPACT) && g_ParticlePool) {
        for (int k = 0; k < 2; ++k) {
          const float b = Random01() * 6.2831853f;
          const CVector3 at{from.x + std::cos(b) * 200.0f, from.y - hit.Distance * 200.0f, from.z + std::sin(b) * 200.0f};
          if (CParticle* p = g_ParticlePool->Spawn(at, 9, 0)) {
            p->SetSize(100.0f);
            p->SetTimeToLive(static_cast<std::uint32_t>(3000.0f + 5000.0f * Random01()));
            p->Colour = surface->Colour[0];
            p->AlphaScale = static_cast<float>(surface->Colour[0] >> 24) / 255.0f;
          }
        }
      }
    } else {
      WashTimer = 1.0f;
    }
  }

  ForwardSpeed = MoveValueTowards(ForwardSpeed, PrimaryInput, ForwardRate * dt);
  VerticalSpeed = MoveValueTowards(VerticalSpeed, SecondaryInput, VerticalRate * dt);
  Angles.y += TurnRate * dt;
  if (Mode == kModeFly) {
    const float target = MaxForwardSpeed != 0.0f ? ForwardSpeed / MaxForwardSpeed * MaxPitch : 0.0f;
    Angles.x = std::clamp(MoveValueTowards(Wrap180(Angles.x), target, 24.0f * dt), -MaxPitch, MaxPitch);
  } else if (Mode == kModeArriveHorizontal || Mode == kModeArriveHeight) {
    Angles.x = MoveValueTowards(Wrap180(Angles.x), 0.0f, 8.0f * dt);
  }
  Angles = {Wrap180(Angles.x), Wrap180(Angles.y), Wrap180(Angles.z)};

  CVector3 direction;
  AnglesToDirection({0.0f, Angles.y, 0.0f}, &direction);
  Velocity = {direction.x * ForwardSpeed, VerticalSpeed, direction.z * ForwardSpeed};
  Position = {Position.x + Velocity.x * dt, Position.y + Velocity.y * dt, Position.z + Velocity.z * dt};

  // Roll into turns, the more the faster (1 at full speed).
  if (Angles.x != 0.0f && MaxPitch != 0.0f && TurnLimit != 0.0f) {
    const float target =
        std::clamp(-(TurnRate / TurnLimit / (Angles.x / MaxPitch)) * MaxRoll, -MaxRoll, MaxRoll);
    const float scale = MaxForwardSpeed != 0.0f ? std::min(1.0f, std::fabs(ForwardSpeed) / MaxForwardSpeed) : 1.0f;
    Angles.z = MoveValueTowards(Angles.z, target, 32.0f * dt) * scale;
  }
}

void CDriveDynamics::Update(float dt) {
  // Rotor joints turn at 800 degrees a second.
  for (int k = 0; k < 2; ++k) {
    if (Joints[k] < 0) continue;
    CMatrix m;
    m.SetIdentity();
    if (JointAxes[k] == 0) m.RotateX(SpinAngle);
    else if (JointAxes[k] == 1) m.RotateY(SpinAngle);
    else m.RotateZ(SpinAngle);
    if (g_JointHook && Model) g_JointHook(Model, Joints[k], m);
  }
  SpinAngle = Wrap360(SpinAngle + 800.0f * dt);

  if (g_Environment && (g_Environment->Flags & 1)) HoverBlend = 0.0f;
  else HoverBlend = std::clamp(HoverBlend + (Mode == kModeArriveHorizontal ? -0.5f : 0.5f) * dt, 0.0f, 1.0f);
  for (int k = 0; k < 3; ++k) {
    WobbleRate[k] = std::clamp(WobbleRate[k] + (Random01() * 3.0f - 1.5f) * dt, -1.5f, 1.5f);
    Wobble[k] += WobbleRate[k] * dt;
    if (Wobble[k] >= 1.0f || Wobble[k] <= -1.0f) {
      Wobble[k] = std::clamp(Wobble[k], -1.0f, 1.0f);
      WobbleRate[k] = 0.0f;
    }
  }
  if (!Model) return;
  const CVector3 at{Position.x + 25.0f * Wobble[0] * HoverBlend, Position.y + 40.0f * Wobble[1] * HoverBlend,
                    Position.z + 25.0f * Wobble[2] * HoverBlend};
  const CVector3 turn{Wrap360(Angles.x + 5.0f * Wobble[0] * HoverBlend), Wrap360(Angles.y + 2.0f * Wobble[1] * HoverBlend),
                      Wrap360(Angles.z + 5.0f * Wobble[2] * HoverBlend)};
  CVector3 before;
  Model->GetPosition(&before);
  if (g_Environment) g_Environment->UpdateInstanceZone(Model, before, at);
  Model->SetPosition(at, true);
  Model->SetRotation(turn, true);
}
