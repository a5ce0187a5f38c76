// The per-level state the script functions share: the two screen
// rectangles of the script's message texts, the message-text words, the two
// data-file records, the cut-scene state, the recorded movie version, the
// players' control words and the squad selection.  Level start resets it
// (before the plug-in is bound); level shut-down frees it.  Main thread.
#pragma once

#include <cstdint>

inline constexpr int kScriptMessageWords = 4;
inline constexpr int kScriptDataRecords = 2;
inline constexpr int kScriptPlayerControlWords = 4;

// Bits of the cut-scene state word: a cut-scene runs (script posts are then
// removable and on the real clock), and it was skipped.
enum ScriptCutsceneState : std::int32_t {
  SCRIPT_CUTSCENE_IDLE = 0,
  SCRIPT_CUTSCENE_RUNNING = 1,
  SCRIPT_CUTSCENE_SKIPPED = 2,
};

struct ScriptMessageRect {
  std::int32_t left, top, right, bottom;
};

struct ScriptState {
  ScriptMessageRect messageRects[2] = {};
  std::int32_t messageWords[kScriptMessageWords] = {};
  // Records the data-file slots make; owned here (tracked allocations).
  std::uint8_t* dataRecords[kScriptDataRecords] = {};
  std::int32_t cutsceneState = SCRIPT_CUTSCENE_IDLE;
  std::uint32_t cutsceneStartTime = 0;  // game clock at the cut-scene's start
  std::int32_t movieIdle = 1;           // 1 while no cut-scene runs
  // The subtitle line: its text (localised, not owned) and the game time it ends.
  const char* subtitleText = nullptr;
  std::uint32_t subtitleEndTime = 0;
  // The screen id the script asks the menus to return to (-1 none).
  std::int32_t screenReturnId = -1;
  std::int32_t movieVersion = -1;
  std::int32_t playerControlWords[kScriptPlayerControlWords] = {};
  std::int32_t squadSelection = 0;
};

extern ScriptState g_ScriptState;

// Level start: the message rectangles from the render size (the first
// {0.05 W, 0.89 H, 0.95 W, H}, the second {0.25 W, 0.18 H, 0.75 W, H}, each
// coordinate cut to an integer), the message words and data-file records
// cleared (records of an earlier level freed), the cut-scene idle (movie-idle
// word 1, no subtitle), the screen return id -1, the movie version -1.
void ResetScriptState(int width, int height);
// Level shut-down: the player control words and the squad selection
// cleared, the data-file records freed.
void FreeScriptState();
// Frees a data-file record slot's record (the data-file slots hand records
// to the state with this allocation).
std::uint8_t* AllocateScriptDataRecord(std::uint32_t bytes);
void FreeScriptDataRecord(std::uint8_t* record);
