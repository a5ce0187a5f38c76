// The level's mission plug-in as the frame and the level cycle use it: the
// binder and unbinder, the raise of a mission event to the bound plug-in,
// and its per-frame update.  (The plug-in interface itself, its script
// table and its loader live with the plug-in binding.)  Main thread only.
#pragma once

#include <cstdint>

// Loads the plug-in library of a level name ("FrontEnd.dll"), calls its
// LevelSetup with the script table and keeps the callback table it returns.
// 1 when a table is bound; 0 when the library, its export or its table is
// missing (a library that loaded stays until FreeMissionPlugin).
int LoadMissionPlugin(const char* name);
// Unbinds the plug-in (its callbacks null first) and frees its library.
void FreeMissionPlugin();
// Whether a plug-in's callback table is bound.
bool MissionPluginBound();
// Raises a mission event to the bound plug-in: `block` holds `words` 32-bit
// words, answer words preset by the caller and read back after the call
// (null for an event without data).  Answers the handler's result; 0, with
// the block untouched, when no plug-in is bound.
std::int32_t RaiseMissionEvent(std::uint32_t code, std::int32_t* block, int words);
// Calls the bound plug-in's per-frame update; nothing without one.
void MissionPerFrameUpdate();
