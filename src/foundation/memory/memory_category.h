// Memory categories: a number passed with every engine allocation and booked
// in a separate accounting table (allocations and bytes per category).  The
// allocation itself ignores it.
#pragma once

#include <cstdint>

enum MemoryCategory : int {
  MEMCAT_NONE = -1,
  MEMCAT_WORLD_OBJECT = 18,
  MEMCAT_LINEAR_BUFFER = 29,
  MEMCAT_GAME = 30,
  MEMCAT_RING_BUFFER = 33,
  MEMCAT_TEXTURE_CREATION = 36,
  MEMCAT_TEXTURE = 38,
  MEMCAT_INDEX_BUFFER = 39,
  MEMCAT_VERTEX_BUFFER = 40,
  MEMCAT_COUNT = 44,
};

// Sets the category that bracketed device allocations are booked under.
void SetMemoryCategory(int category);
// Clears the bracketing category (-1, none).
void ClearMemoryCategory();
// The bracketing category, -1 when none.
int GetMemoryCategory();
// Books one allocation of `bytes` in the category; out-of-range is ignored.
void AddMemoryCategoryUsage(int category, std::uint32_t bytes);
// Takes `bytes` off the category's byte count (never below 0).
void SubtractMemoryCategoryUsage(int category, std::uint32_t bytes);
// Clears both tables.
void ClearMemoryCategoryUsage();
// The category's allocation count and byte count; 0 when out of range.
std::uint32_t GetMemoryCategoryCount(int category);
std::uint32_t GetMemoryCategoryBytes(int category);
