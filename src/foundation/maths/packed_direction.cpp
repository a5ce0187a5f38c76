#include "foundation/maths/packed_direction.h"

namespace {
std::uint32_t PackComponent(float v) {
  if (!(v >= -1.0f)) v = -1.0f;  // also catches NaN
  if (v > 1.0f) v = 1.0f;
  auto b = static_cast<std::int8_t>(static_cast<int>(v * 127.0f));
  return static_cast<std::uint8_t>(b);
}
float UnpackComponent(std::uint32_t packed, int shift) {
  return static_cast<float>(static_cast<std::int8_t>((packed >> shift) & 0xFF)) * 0.007874016f;
}
}  // namespace

std::uint32_t PackDirection(float x, float y, float z) {
  return PackComponent(x) | (PackComponent(y) << 8) | (PackComponent(z) << 16);
}

Vector3 UnpackDirection(std::uint32_t packed) {
  return Vector3{UnpackComponent(packed, 0), UnpackComponent(packed, 8), UnpackComponent(packed, 16)};
}
