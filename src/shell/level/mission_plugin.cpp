#include "shell/level/mission_plugin.h"

#include "platform/win32/library.h"
#include "shell/script/script_function_table.h"
#include "world/objects/chlo_manager.h"

const MissionCallbackTable* MissionCallbacks = nullptr;
HMODULE MissionLibrary = nullptr;

int LoadMissionPlugin(const char* name) {
  FreeMissionPlugin();
  MissionLibrary = LoadLibraryA(name);
  if (MissionLibrary == nullptr) return 0;
  const auto setup = reinterpret_cast<LevelSetupFunction>(GetProcAddress(MissionLibrary, "LevelSetup"));
  if (setup == nullptr) return 0;
  // Null while the plug-in sets itself up: nothing its set-up triggers
  // through the script functions reaches its own handler.
  MissionCallbacks = nullptr;
  MissionCallbacks = setup(&g_ScriptFunctionTable);
  return MissionCallbacks != nullptr ? 1 : 0;
}

void FreeMissionPlugin() {
  MissionCallbacks = nullptr;
  if (MissionLibrary != nullptr) FreeLibrary(MissionLibrary);
  MissionLibrary = nullptr;
}

bool MissionPluginBound() { return MissionCallbacks != nullptr; }

void MissionPerFrameUpdate() {
  const MissionCallbackTable* table = MissionCallbacks;
  if (table != nullptr && table->Update != nullptr) table->Update();
}

int CountSoldiers() {
  if (g_HLOManager == nullptr) return 0;
  // Kind 1 (soldiers), the active lists (bit 0), every side, any visual.
  return g_HLOManager->CountObjects(1, 1, -1, 0);
}
