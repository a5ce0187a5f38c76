// The two questions the game asks the level's mission plug-in.
#pragma once

#include <cstdint>

// Mission events asked as questions: 61 "is this a menu level", 55 "skip the
// press-a-key prompt".
inline constexpr std::uint32_t kEventQueryMode = 61;
inline constexpr std::uint32_t kEventSkipPrompt = 55;

// Raise event 61 (or 55) with a one-word block preset to 0 and answer the
// word; 0 when no plug-in is bound.
std::uint32_t MissionQueryMode();
std::uint32_t MissionQuerySkipPrompt();
