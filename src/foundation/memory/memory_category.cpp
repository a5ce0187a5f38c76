#include "foundation/memory/memory_category.h"

#include <atomic>
#include <mutex>

namespace {
constinit std::mutex gCategoryLock;
constinit std::uint32_t gCounts[MEMCAT_COUNT] = {};
constinit std::uint32_t gBytes[MEMCAT_COUNT] = {};
constinit std::atomic<int> gCurrentCategory{MEMCAT_NONE};

bool InRange(int category) { return category >= 0 && category < MEMCAT_COUNT; }
}  // namespace

void SetMemoryCategory(int category) { gCurrentCategory.store(category); }
void ClearMemoryCategory() { gCurrentCategory.store(MEMCAT_NONE); }
int GetMemoryCategory() { return gCurrentCategory.load(); }

void AddMemoryCategoryUsage(int category, std::uint32_t bytes) {
  if (!InRange(category)) return;
  std::lock_guard<std::mutex> lock(gCategoryLock);
  gCounts[category]++;
  gBytes[category] += bytes;
}

void SubtractMemoryCategoryUsage(int category, std::uint32_t bytes) {
  if (!InRange(category)) return;
  std::lock_guard<std::mutex> lock(gCategoryLock);
  gBytes[category] = bytes > gBytes[category] ? 0 : gBytes[category] - bytes;
}

void ClearMemoryCategoryUsage() {
  std::lock_guard<std::mutex> lock(gCategoryLock);
  for (int i = 0; i < MEMCAT_COUNT; ++i) gCounts[i] = gBytes[i] = 0;
}

std::uint32_t GetMemoryCategoryCount(int category) {
  if (!InRange(category)) return 0;
  std::lock_guard<std::mutex> lock(gCategoryLock);
  return gCounts[category];
}

std::uint32_t GetMemoryCategoryBytes(int category) {
  if (!InRange(category)) return 0;
  std::lock_guard<std::mutex> lock(gCategoryLock);
  return gBytes[category];
}
