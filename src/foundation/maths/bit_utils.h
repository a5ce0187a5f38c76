// Power-of-two helpers for texture and buffer sizes.
#pragma once

#include <cstdint>

// True when v is a power of two (0 is not).
constexpr bool IsPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// v when it is a power of two, else the next power above it (1 for 0;
// 0 when the next power does not fit in 32 bits).
constexpr std::uint32_t NextPowerOfTwo(std::uint32_t v) {
  if (v == 0) return 1;
  if (IsPowerOfTwo(v)) return v;
  int highest = 31;
  while (!(v & (1u << highest))) --highest;
  return highest == 31 ? 0 : 1u << (highest + 1);
}
