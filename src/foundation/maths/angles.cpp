#include "foundation/maths/angles.h"

#include <cmath>

namespace {

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = 0.017453292519943295;

// A negative value v becomes 360 - (-v mod 360).
float WrapPositive(float v) { return v < 0.0f ? 360.0f - std::fmod(-v, 360.0f) : v; }

float UnitY(float x, float y, float z) {
  float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return 0.0f;
  float uy = y / length;
  return uy > 1.0f ? 1.0f : (uy < -1.0f ? -1.0f : uy);
}

}  // namespace

float AddAngles(float a, float b) {
  float s = a + b;
  if (s >= 0.0f && s <= 360.0f) return s;
  return s < 0.0f ? s + 360.0f : s - 360.0f;
}

float AngleDifference(float current, float target) {
  float d = target - current;
  if (d > 180.0f) return d - 360.0f;
  if (d < -180.0f) return d + 360.0f;
  return d;
}

float TurnAngleTowards(float current, float target, float step, float tolerance, bool wrap) {
  float d = AngleDifference(current, target);
  float result;
  if (std::fabs(d) <= tolerance) {
    result = current;
  } else if (std::fabs(d) < step) {
    result = target;
  } else {
    result = d > 0.0f ? current + step : current - step;
  }
  if (wrap && std::isfinite(result)) {
    if (std::fabs(result) > 3600.0f) result = std::fmod(result, 360.0f);
    while (result >= 360.0f) result -= 360.0f;
    while (result < 0.0f) result += 360.0f;
  }
  return result;
}

float MoveValueTowards(float value, float target, float step) {
  if (value < target) return value + step >= target ? target : value + step;
  if (value > target) return value - step <= target ? target : value - step;
  return target;
}

void DirectionToAngles(const Vector3& d, Vector3* out) {
  double horizontal = std::sqrt(static_cast<double>(d.x) * d.x + static_cast<double>(d.z) * d.z);
  auto pitch = static_cast<float>(-std::atan2(static_cast<double>(d.y), horizontal) * kRadToDeg);
  auto yaw = static_cast<float>(std::atan2(static_cast<double>(d.x), static_cast<double>(d.z)) * kRadToDeg);
  out->x = WrapPositive(pitch);
  out->y = WrapPositive(yaw);
  out->z = 0.0f;
}

void AnglesBetweenPoints(const Vector3& a, const Vector3& b, Vector3* out) {
  DirectionToAngles(Vector3{a.x - b.x, a.y - b.y, a.z - b.z}, out);
}

void AddDirection(Vector3* v, float pitch, float yaw, float length) {
  double p = pitch * kDegToRad;
  double y = yaw * kDegToRad;
  v->x += static_cast<float>(length * std::sin(y) * std::cos(p));
  v->y += static_cast<float>(length * -std::sin(p));
  v->z += static_cast<float>(length * std::cos(y) * std::cos(p));
}

void RotatePoints2D(const Vector2* in, Vector2* out, const Vector2* offset, float angle, int n) {
  float c = static_cast<float>(std::cos(angle * kDegToRad));
  float s = static_cast<float>(std::sin(angle * kDegToRad));
  float ox = offset ? offset->x : 0.0f;
  float oy = offset ? offset->y : 0.0f;
  for (int i = 0; i < n; ++i) {
    Vector2 p = in[i];
    out[i].x = c * p.x + s * p.y + ox;
    out[i].y = c * p.y - s * p.x + oy;
  }
}

void SegmentAngles(const Vector3& p, const Vector3& s, const Vector3& e, float* elevation, float* tilt) {
  float dirY = UnitY(e.x - s.x, e.y - s.y, e.z - s.z);
  Vector3 mid{(s.x + e.x) * 0.5f, (s.y + e.y) * 0.5f, (s.z + e.z) * 0.5f};
  float offY = UnitY(p.x - mid.x, p.y - mid.y, p.z - mid.z);
  if (elevation) *elevation = static_cast<float>(90.0 - std::acos(dirY) * kRadToDeg);
  if (tilt) *tilt = static_cast<float>(std::acos(offY) * kRadToDeg - 90.0);
}

void PlaneAnglesFromPoints(const Vector3& a, const Vector3& b, const Vector3& c, float* xRotation, float* zRotation) {
  const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  double nx = uy * vz - uz * vy;
  double ny = uz * vx - ux * vz;
  double nz = ux * vy - uy * vx;
  if (nx == 0.0 && ny == 0.0 && nz == 0.0) {
    *xRotation = 0.0f;
    *zRotation = 0.0f;
    return;
  }
  if (ny < 0.0) {  // the upward side of the plane
    nx = -nx;
    ny = -ny;
    nz = -nz;
  }
  constexpr double kToDegrees = 180.0 / 3.14159265358979323846;
  *xRotation = static_cast<float>(std::atan2(nz, ny) * kToDegrees);
  *zRotation = static_cast<float>(std::atan2(-nx, ny) * kToDegrees);
}
