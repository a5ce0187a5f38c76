#include "world/engine_routines.h"

#include <cmath>

#include "foundation/time/timer.h"
#include "render/debug/debug_draw.h"
#include "render/device/render.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace {
constexpr float kRadToDeg = 57.29578f;
constexpr float kPi = 3.14159265f;
float Noon() { return 12.0f; }
float (*g_hours)() = Noon;
}  // namespace

void SetTimeOfDaySource(float (*hours)()) { g_hours = hours != nullptr ? hours : Noon; }

bool VecWithinDistance(const CVector3& a, const CVector3& b, float distance) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz < distance * distance;
}

bool PointInViewCone(const CVector3& eye, float yaw, const CVector3& target, float coneAngle) {
  float dx = target.x - eye.x, dz = target.z - eye.z;
  const float length = std::sqrt(dx * dx + dz * dz);
  float off = 90.0f;
  if (length > 0.0f) {
    dx /= length;
    dz /= length;
    const float yawRad = yaw / kRadToDeg;
    float cosine = dx * std::sin(yawRad) + dz * std::cos(yawRad);
    cosine = cosine > 1.0f ? 1.0f : cosine < -1.0f ? -1.0f : cosine;
    off = std::acos(cosine) * kRadToDeg;
  }
  return coneAngle * 0.5f > off;
}

// The elevation is atan2(|dy|, horizontal distance): both terms as lengths,
// not squared, so that the cone's angle is an angle.
bool PointInVerticalCone(const CVector3& eye, const CVector3& target, float coneAngle, int acceptBelow) {
  const float dy = target.y - eye.y;
  if (dy < 0.0f && acceptBelow == 0) return false;
  const float dx = target.x - eye.x, dz = target.z - eye.z;
  const float elevation = std::atan2(std::fabs(dy), std::sqrt(dx * dx + dz * dz)) * kRadToDeg;
  return coneAngle * 0.5f > elevation;
}

bool IsSteepOrShort(const CVector3& v, float length, float fraction) {
  const float size = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (size < length) return true;
  if (!(size - std::fabs(v.y) < length)) return false;
  return std::fabs(v.y) / size > fraction;
}

float TimeOfDayScale(float value, float floor, float width) {
  const float hour = g_hours();
  if (hour >= 8.0f && hour <= 16.0f) return value;
  const float scale = 1.0f - (std::fabs(hour - 12.0f) - 4.0f) / width;
  return value * (scale > floor ? scale : floor);
}

int BuildViewFan(CVector3 polygon[kViewFanPoints], const CVector3& eye, float yaw, float coneAngle, float range,
                 float sway, int swayBothSides, std::uint32_t colour) {
  constexpr int kArcSteps = kViewFanPoints - 2;
  float raise = 0.0f;
  if (sway != 0.0f) {
    const std::uint32_t phase = g_GameClock != nullptr ? g_GameClock->GetCyclePhase(10000, 1000) : 0;
    raise = std::sin(2.0f * kPi * static_cast<float>(phase) / 1000.0f) * std::tan(sway * 0.5f / kRadToDeg) * range;
    if (swayBothSides == 0 && raise < 0.0f) raise = -raise;
  }
  polygon[0] = eye;
  const float step = coneAngle / static_cast<float>(kArcSteps);
  for (int k = 0; k <= kArcSteps; ++k) {
    const float angle = (yaw + coneAngle * 0.5f - step * static_cast<float>(k)) / kRadToDeg;
    polygon[k + 1] = {eye.x + std::sin(angle) * range, eye.y + raise, eye.z + std::cos(angle) * range};
  }
  return g_Environment != nullptr ? g_Environment->DrawDebugOutline(polygon, kViewFanPoints, colour) : 0;
}

int DrawParentLink(const CEnvInstance* instance) {
  if (instance == nullptr || instance->Parent == nullptr || g_Render == nullptr) return 0;
  if (instance->Template != nullptr && instance->Template->TemplateKind == OTYPE_LANDSCAPE) return 0;
  constexpr std::uint32_t kMagenta = 0xFFFF00FF;
  const CMatrix oldWorld = g_Render->GetWorldMatrix();
  DrawDebugLine(instance->GetWorldSphere().Centre, instance->Parent->GetWorldSphere().Centre, kMagenta, kMagenta,
                true);
  g_Render->SetWorldMatrix(oldWorld);
  return 1;
}
