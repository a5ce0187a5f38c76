// Where an effect leaves its source: a connector of an instance and offsets.
//
// Frame: the instance's space, y up, carried to the world by its world
// matrix (row vectors).  A heading h and pitch p (degrees) turn the forward
// axis +z into (sin h · cos p, sin p, cos h · cos p), as effects fly.
#include <cmath>

#include "world/effects/effect_pool.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"

namespace {
constexpr float kDegToRad = 0.0174532925f;
}  // namespace

bool CEffectInstance::GetSourcePose(const CEnvInstance* instance, int connector, const CVector3& offset,
                                    float heading, float pitch, CVector3* position, CVector3* direction) {
  if (position) *position = CVector3{0.0f, 0.0f, 0.0f};
  if (direction) *direction = CVector3{0.0f, 0.0f, 1.0f};
  if (instance == nullptr) return false;
  CVector3 local{0.0f, 0.0f, 0.0f};
  if (connector >= 0) {
    if (instance->Template == nullptr || !instance->Template->GetConnectorPosition(connector, &local)) return false;
  }
  local = CVector3{local.x + offset.x, local.y + offset.y, local.z + offset.z};
  const float h = heading * kDegToRad, p = pitch * kDegToRad;
  const CVector3 forward{std::sin(h) * std::cos(p), std::sin(p), std::cos(h) * std::cos(p)};
  const CMatrix& world = instance->GetWorldMatrix();
  if (position) world.TransformPoint(local, position);
  if (direction) {
    CVector3 d;
    world.RotateVector(forward, &d);
    const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    *direction = len > 0.0f ? CVector3{d.x / len, d.y / len, d.z / len} : CVector3{0.0f, 0.0f, 1.0f};
  }
  return true;
}
