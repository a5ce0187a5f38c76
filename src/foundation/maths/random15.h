// The engine's own 15-bit pseudo-random generator: a linear congruential
// generator with results 0..32767, deterministic for a seed, so that a run
// is repeatable and every platform draws the same numbers.
#pragma once

#include <cstdint>

inline constexpr int kRand15Max = 32767;

// Seeds the generator (the start value is 1).
void SRand15(std::uint32_t seed);
// Next number in 0..32767.
int Rand15();
