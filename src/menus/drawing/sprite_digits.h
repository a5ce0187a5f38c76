// Numbers drawn with the digit cells of the interface sprite set: a digit's
// cell, the mission clock "h:mm:ss" and the network game's clock.
// Main thread only.
#pragma once

#include <cstdint>

// Small digits 1-9 are cells 1-9 and 0 is cell 0; large digits 1-9 are cells
// 74-82 and 0 is cell 73.  A value outside 0..9 is taken modulo 10.
int GetDigitCell(int digit, int large);
// The colon of the clock and the "/" of the counters.
inline constexpr int kClockColonCell = 23;
inline constexpr int kSlashCell = 19;
inline constexpr int kClockFrameCell = 22;

// "h:mm:ss" of a duration in large digits at (x, y), in black (blend mode
// 11), after which the set is white again with blend mode 3.  A digit
// advances x by int(width of cell 73 + g), a colon by int(width of cell 23 +
// g), g = int(2 x sx + 0.5); colons stand a quarter of the digit height
// lower.  Durations of ten hours or more show 9:59:59.
void DrawMissionClock(std::uint32_t milliseconds, int x, int y);
// The clock's longest duration.
inline constexpr std::uint32_t kMissionClockMaxMs = ((9u * 60u + 59u) * 60u + 59u) * 1000u + 999u;
// In a network game only: the clock frame at (p(40), p(40)) and the
// session's elapsed time in it.
void DrawNetworkClock();
