// The level's fixed pools, taken from one linear buffer of the level at each
// level start and given back at its end: the transparent queue's frame block
// and buckets, the decals' heaps and ring, and the effect modules' record
// arrays (sphere events, blasts, trails, impact pieces, effects, particles).
// Main thread only; call between EngineInitialise and EngineShutdown, after
// the effect modules exist.
#pragma once

#include <cstdint>

// Bytes of the level buffer: room for every pool with some to spare.
inline constexpr std::uint32_t kLevelPoolBytes = 1u << 20;

// Makes the buffer and every pool from it.  False, with the pools given back
// and the buffer freed, when a pool does not fit or the buffer cannot be had.
bool CreateLevelPools();
// Every module forgets its pool, then the buffer is freed.  Safe without pools.
void FreeLevelPools();
// Bytes of the buffer in use (0 without one).
std::uint32_t LevelPoolBytesUsed();
