// The game's global linear buffer, "Global Heap" (0xFA000 bytes): game
// initialise makes it and game shut-down deletes it; loaders take scratch
// memory from it between two marks.
#pragma once

#include <cstdint>

class CLinearBuffer;

inline constexpr std::uint32_t kGlobalHeapSize = 0xFA000;

// Null before game initialise made it and after game shut-down.
extern CLinearBuffer* g_GlobalHeap;
