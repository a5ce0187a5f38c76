// Small vector helpers shared by the effect modules.  World units
// (centimetres), y up; angles in degrees unless a name says radians.
#pragma once

#include <cmath>
#include <cstdint>

#include "render/geometry/vector3.h"

namespace effects {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegToRad = kPi / 180.0f;
constexpr float kRadToDeg = 180.0f / kPi;

inline CVector3 Add(const CVector3& a, const CVector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline CVector3 Sub(const CVector3& a, const CVector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline CVector3 Mul(const CVector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(const CVector3& a, const CVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float LengthSq(const CVector3& a) { return Dot(a, a); }
inline float Length(const CVector3& a) { return std::sqrt(LengthSq(a)); }
inline float DistanceSq(const CVector3& a, const CVector3& b) { return LengthSq(Sub(a, b)); }
inline float Distance(const CVector3& a, const CVector3& b) { return std::sqrt(DistanceSq(a, b)); }
// Each colour channel (0 to 1) times 255, truncated into its byte of an ARGB word.
inline std::uint32_t PackArgb(float a, float r, float g, float b) {
  auto byte = [](float c) {
    const float v = c * 255.0f;
    if (!(v > 0.0f)) return 0u;
    return v >= 255.0f ? 255u : static_cast<std::uint32_t>(v);
  };
  return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

}  // namespace effects
