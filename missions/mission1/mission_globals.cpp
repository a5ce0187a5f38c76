#include "mission_globals.h"

namespace mission1 {

const ScriptFunctionTable* g_Script = nullptr;
uint8_t g_LocalSide = 0;
MissionState g_State = {};
uint32_t g_FirstFrameDone = 0;
uint32_t g_ResumeWord = 0;
uint32_t g_RouteLinkState = 1;
ScriptAnimSet* g_DoorAnimation = nullptr;
int32_t g_ObjectiveHandles[5] = {-1, -1, -1, -1, -1};
ScriptSoundBank* g_MissionBank = nullptr;
uint32_t g_GameOrMovieStatus = kStatusIntro;
ScriptSampleHandle g_OpeningSpeech[6] = {};

// The local player count of the script table (the table's own "always 1"
// slot would leave the split-screen branches dead).
bool SinglePlayer() { return g_Script->PlayersGetCount() < 2; }

void ReportWeirdStatus() {
  if (g_Script->DebugIsEnabledAlt() != 0) g_Script->DebugPrintf("Weirdy gameOrMovieStatus value in mission script!\n");
}

}  // namespace mission1
