// What the plug-in keeps while its library is loaded: the game's script
// function table, the saved state, and the handles and words it rebuilds on
// every level start.  One plug-in is loaded at a time; everything runs on the
// game's main thread.
#pragma once

#include <stdint.h>

#include "mission_abi.h"
#include "mission_state.h"

namespace mission1 {

// gameOrMovieStatus: which phase the mission is in (not saved).
enum MissionStatus : uint32_t {
  kStatusIntro = 0,    // the intro cut-scene, then the briefing
  kStatusOpening = 1,  // the opening sequence after the briefing
  kStatusGame = 2,     // play
};

// Objective handles, numbered as the mission names them.
enum ObjectiveHandle {
  kObjectiveFreePrisoner = 1,
  kObjectiveHidden = 2,
  kObjectiveEscape = 3,
  kObjectiveItems = 4,
};

extern const ScriptFunctionTable* g_Script;
extern uint8_t g_LocalSide;
extern MissionState g_State;
extern uint32_t g_FirstFrameDone;
extern uint32_t g_ResumeWord;
extern uint32_t g_RouteLinkState;            // 1: link set A in force, 0: set B
extern ScriptAnimSet* g_DoorAnimation;       // vehicle 141's door
extern int32_t g_ObjectiveHandles[5];        // [1..4]; negative: not created
extern ScriptSoundBank* g_MissionBank;       // "Mission1.sbk"
extern uint32_t g_GameOrMovieStatus;         // MissionStatus
extern ScriptSampleHandle g_OpeningSpeech[6];

// The game clock, in milliseconds.
inline uint32_t Now() { return g_Script->GameGetTime(); }
// Whether a stored time (0: none) has passed: strictly later, unsigned.
inline bool TimePassed(uint32_t stored) { return stored != 0 && Now() > stored; }
// One local player: the single-player branches of the mission.
bool SinglePlayer();
// Debug output of the mission: nothing unless the game's debug messages are on.
void ReportWeirdStatus();

}  // namespace mission1
