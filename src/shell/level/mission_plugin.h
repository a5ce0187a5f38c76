// The mission plug-in of the level: binding and unbinding it, the frame's
// call of its per-frame update, and the one raiser of mission events.
// Main thread only.
#pragma once

#include <cstdint>

#include "mission_abi.h"
#include "platform/win32/win_types.h"

// The bound plug-in's callback table, or null: null from start-up until a
// plug-in is bound, while its LevelSetup runs, and from the start of each
// level shut-down.  The table belongs to the plug-in.
extern const MissionCallbackTable* MissionCallbacks;
// The bound plug-in's library, or null.
extern HMODULE MissionLibrary;

// Loads the library by its name ("Mission1.dll"), finds "LevelSetup", calls
// it with the script function table and binds the table it answers.  1 when
// bound; 0 when the library cannot be loaded, has no "LevelSetup" or
// answers null (a library that loaded stays loaded until FreeMissionPlugin).
// A plug-in still bound from before is freed first.
int LoadMissionPlugin(const char* name);
// Unbinds the callbacks, then frees the library.  Safe when nothing is bound.
void FreeMissionPlugin();
// Whether a callback table is bound.
bool MissionPluginBound();

// Raises a mission event: with no callback table bound nothing is called
// and 0 is answered.  The block (words 32-bit words, at most
// MISSION_EVENT_BLOCK_WORDS; null and 0 for codes without data) is handed
// over zero-filled to MISSION_EVENT_BLOCK_WORDS words; a question's answer
// word is preset to its default (in the caller's block too, bound or not)
// and copied back after the call.  Answers the handler's return value.
std::int32_t RaiseMissionEvent(std::uint32_t code, std::int32_t* block, int words);
// The answer word of a question code and its default; false for notices.
bool MissionEventAnswer(std::uint32_t code, int* word, std::int32_t* preset);

// The plug-in's per-frame update, when one is bound.
void MissionPerFrameUpdate();

// Soldier objects (kind 1) in the active lists of all four sides.
int CountSoldiers();
