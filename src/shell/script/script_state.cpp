#include "shell/script/script_state.h"

#include "foundation/memory/memory_manager.h"
#include "shell/script/script_data_files.h"
#include "units/base/unit_world.h"

ScriptState g_ScriptState;

namespace {

void FreeRecords() {
  for (std::uint8_t*& r : g_ScriptState.dataRecords) {
    FreeScriptDataRecord(r);
    r = nullptr;
  }
}

}  // namespace

void ResetScriptState(int width, int height) {
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  g_ScriptState.messageRects[0] = {static_cast<std::int32_t>(0.05f * w), static_cast<std::int32_t>(0.89f * h),
                                   static_cast<std::int32_t>(0.95f * w), static_cast<std::int32_t>(h)};
  g_ScriptState.messageRects[1] = {static_cast<std::int32_t>(0.25f * w), static_cast<std::int32_t>(0.18f * h),
                                   static_cast<std::int32_t>(0.75f * w), static_cast<std::int32_t>(h)};
  for (std::int32_t& word : g_ScriptState.messageWords) word = 0;
  FreeRecords();
  g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_IDLE;
  SetCutsceneRunning(false);
  g_ScriptState.cutsceneStartTime = 0;
  g_ScriptState.movieIdle = 1;
  g_ScriptState.subtitleText = nullptr;
  g_ScriptState.subtitleEndTime = 0;
  g_ScriptState.screenReturnId = -1;
  g_ScriptState.movieVersion = -1;
}

void FreeScriptState() {
  for (std::int32_t& word : g_ScriptState.playerControlWords) word = 0;
  g_ScriptState.squadSelection = 0;
  FreeRecords();
  FreeScriptDataRecords();
}

std::uint8_t* AllocateScriptDataRecord(std::uint32_t bytes) {
  return static_cast<std::uint8_t*>(
      MemAllocate(__FILE__, __LINE__, "AllocateScriptDataRecord", MEM_ALLOC_NEW_ARRAY, bytes));
}

void FreeScriptDataRecord(std::uint8_t* record) {
  if (record != nullptr) MemRelease(__FILE__, __LINE__, "FreeScriptDataRecord", MEM_ALLOC_DELETE_ARRAY, record);
}
