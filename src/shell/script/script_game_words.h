// Game-wide words the script reads and sets (slots 526, 535-537, 552, 554,
// 555 and 558) and the screen tint of slots 507-509: they live as long as
// the program; the screen code draws the tint, the game code adds to the
// counter that slot 558 takes.  Main thread.
#pragma once

#include <cstdint>

struct ScriptGameWords {
  std::int32_t value = 0;       // slot 526 reads it
  std::int32_t valueA = 0;      // slot 535
  std::int32_t valueB = 0;      // slot 536
  std::int32_t scriptFlag = 0;  // slot 537
  std::int32_t valueC = 0;      // slot 552
  std::int32_t flag = 0;        // slots 554 and 555
  std::int32_t counter = 0;     // slot 558 answers and clears it
  // The screen tint: on or off, and its colour (alpha, red, green, blue
  // from the high byte down).
  std::int32_t tintOn = 0;
  std::uint32_t tintColour = 0;
  // The HUD element slots 540 and 541 scroll: its speed (units a second).
  float hudScrollSpeed = 0.0f;
};

extern ScriptGameWords g_ScriptGameWords;

// The game code's additions to the counter slot 558 takes.
void AddScriptGameCounter(std::int32_t amount);
