// The plug-in's one export, LevelSetup, and the callback table it answers:
// set-up, the per-frame update, the event handler, and the save, load and
// size of the mission's saved state.
#include "mission_abi.h"
#include "mission_events.h"
#include "mission_globals.h"
#include "mission_setup.h"
#include "mission_update.h"

namespace mission1 {

namespace {

uint8_t* MissionSave(uint8_t* out) {
  if (out == nullptr) return nullptr;
  return WriteMissionState(g_State, out);
}

// A load starts play: the game-start step and the start-up step re-create
// the game-start state and the objectives, then the saved block replaces the
// state; a freed prisoner is on the squad's side again.
const uint8_t* MissionLoad(const uint8_t* in) {
  if (in == nullptr) return nullptr;
  MissionGameFrame();
  MissionStartUpStep();
  const uint8_t* end = ReadMissionState(&g_State, in);
  if (g_State.prisonerFreed != 0) {
    g_Script->ObjectSetSide(31, 0);
    g_Script->UnitSetOrder(31, 1);
    g_Script->GameSetScriptFlag(1);
  }
  return end;
}

uint32_t MissionGetStateSize() { return kMissionStateBytes; }

const MissionCallbackTable kCallbacks = {
    MissionSetup, MissionUpdate, MissionHandleEvent, MissionSave, MissionLoad, MissionGetStateSize,
};

}  // namespace

}  // namespace mission1

const MissionCallbackTable* LevelSetup(const ScriptFunctionTable* table) {
  using namespace mission1;
  if (table == nullptr) return nullptr;
  g_Script = table;
  table->ScriptCheckVersion(SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, SCRIPT_VERSION_BUILD);
  g_LocalSide = static_cast<uint8_t>(table->PlayerGetSide());
  MissionSetup();
  return &kCallbacks;
}
