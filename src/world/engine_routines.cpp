#include "world/engine_routines.h"

#include <cmath>

namespace {
constexpr float kRadToDeg = 57.29578f;
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
