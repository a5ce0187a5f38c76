// Scalar, vector and matrix types of the physics library.
// Units are metres, kilograms and seconds.  Matrices are row-major floats;
// a 4x4 transform has the local x, y, z axes in world coordinates as rows 0-2
// (fourth element 0) and the position as row 3 (fourth element 1), so points
// are row vectors: world = local * M.
#pragma once

#include <cstddef>
#include <cstdint>

using MeReal = float;
using MeI16 = int16_t;
using MeU16 = uint16_t;
using MeI32 = int32_t;
using MeU32 = uint32_t;
using MeI64 = int64_t;
using MeU64 = uint64_t;
// A user word that may hold an address.
using MeUserWord = uintptr_t;

using MeVector3 = MeReal[3];
using MeVector4 = MeReal[4];  // quaternions are (w, x, y, z)
using MeMatrix3 = MeReal[9];  // element (i, j) at [3 i + j]
using MeMatrix4 = MeReal[16]; // element (i, j) at [4 i + j]; position at [12..14]

// The largest finite float: the library's "infinite" bound and sort sentinel.
inline constexpr MeReal MeInfinity = 3.4028235e38f;
inline constexpr MeReal MePi = 3.1415927f;
