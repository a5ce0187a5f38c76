// Table-driven random numbers, so that a run is repeatable from one seed:
// 2048 floats in [0, 1] and 2048 integers in 0..32767, each read in turn
// (wrapping from 2047 to 0).  The tables are seeded with 1 before first use.
#pragma once

#include <cstdint>

#include "foundation/maths/vector3.h"

inline constexpr int kRandomTableSize = 2048;

// Refills both tables from the 15-bit generator seeded with `seed`.
void SeedRandomTables(std::uint32_t seed);
// Rewinds the float table to its first entry.
void ResetRandomFloatIndex();
// Next table float times max.
float RandomFloat(float max);
// Next table float scaled into [min, max].
float RandomFloatRange(float min, float max);
// Next table integer (0..32767).
int RandomInt();
// Next integer mod n; 0 when n is 0.
int RandomIntBelow(int n);
// Next integer mod (hi - lo) + lo, hi excluded; lo when hi <= lo.
int RandomIntRange(int lo, int hi);
// Three RandomFloatRange(-1, 1).
void RandomVector(Vector3* out);
// A direction of unit length, uniform over the sphere.
void RandomUnitDirection(Vector3* out);
