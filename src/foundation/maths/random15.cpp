#include "foundation/maths/random15.h"

#include <atomic>

namespace {
// seed = seed * 214013 + 2531011; result = bits 16..30 of the new seed.
constinit std::atomic<std::uint32_t> gSeed{1};
}  // namespace

void SRand15(std::uint32_t seed) { gSeed.store(seed, std::memory_order_relaxed); }

int Rand15() {
  std::uint32_t s = gSeed.load(std::memory_order_relaxed) * 214013u + 2531011u;
  gSeed.store(s, std::memory_order_relaxed);
  return static_cast<int>((s >> 16) & 0x7FFF);
}
