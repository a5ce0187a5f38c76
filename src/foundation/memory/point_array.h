// An owned array of points from the tracked allocator.
#pragma once

#include <cstdint>

#include "foundation/maths/vector3.h"

class Vectors {
 public:
  // count points, uninitialised.
  explicit Vectors(std::uint32_t count);
  ~Vectors();
  Vectors(const Vectors&) = delete;
  Vectors& operator=(const Vectors&) = delete;

  std::uint32_t Count() const { return count_; }
  Vector3* Points() { return points_; }
  const Vector3* Points() const { return points_; }
  Vector3& operator[](std::uint32_t i) { return points_[i]; }

 private:
  std::uint32_t count_ = 0;
  [[maybe_unused]] std::uint32_t reserved_[2] = {0, 0};
  Vector3* points_ = nullptr;
};
