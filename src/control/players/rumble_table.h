// The rumble patterns of the game: 18 fixed patterns played on a player's
// game controller as a constant force (the input module plays them).
//   15 the controlled soldier takes damage, 16 a further soldier event,
//   17 an explosion near the player (priority 3), the others by weapon class.
#pragma once

#include <cstdint>

#include "control/input/input.h"

inline constexpr int kRumblePatternCount = 18;

// Pattern n as the five words of the table: {left in the low and right in
// the high 16 bits, duration ms, priority, envelope kind, period ms}.
struct RumblePattern {
  std::uint32_t magnitudes;
  std::uint32_t duration;
  std::uint32_t priority;
  std::uint32_t envelope;
  std::uint32_t period;
};
extern const RumblePattern RumbleTable[kRumblePatternCount];

// Pattern n as a request at `strength` (clamped to 0..1): each magnitude
// becomes trunc(magnitude / 32767 x strength x 32767).  False for an n
// outside the table.
bool MakeRumbleRequest(int n, float strength, JoystickEffectRequest* out);
