#include "shell/level_pools.h"

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "scene/decals/decals.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/effects/effects_world.h"

namespace {

CLinearBuffer* g_LevelBuffer = nullptr;

}  // namespace

bool CreateLevelPools() {
  FreeLevelPools();
  MEM_OWNER();
  g_LevelBuffer = MEM_NEW(MEMCAT_LINEAR_BUFFER) CLinearBuffer(kLevelPoolBytes, "Level Pools");
  if (g_LevelBuffer == nullptr || g_LevelBuffer->GetMemory() == nullptr) {
    FreeLevelPools();
    return false;
  }
  bool ok = true;
  if (g_DepthSortQueue != nullptr) ok = g_DepthSortQueue->CreatePools(g_LevelBuffer) && ok;
  if (g_Decals != nullptr) ok = g_Decals->CreatePools(g_LevelBuffer) && ok;
  ok = CreateEffectPools(g_LevelBuffer) && ok;
  if (!ok) FreeLevelPools();
  return ok;
}

void FreeLevelPools() {
  ResetEffectModules();
  if (g_Decals != nullptr) g_Decals->FreePools();
  if (g_DepthSortQueue != nullptr) g_DepthSortQueue->FreePools();
  if (g_LevelBuffer != nullptr) MEM_DELETE g_LevelBuffer;
  g_LevelBuffer = nullptr;
}

std::uint32_t LevelPoolBytesUsed() { return g_LevelBuffer != nullptr ? g_LevelBuffer->GetUsed() : 0; }
