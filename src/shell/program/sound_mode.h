// The game's sound mode word (0 normal; 1 set by the training levels; the
// quit to the front end sets 0).  Main thread only.
#pragma once

#include <cstdint>

void SetSoundMode(std::uint32_t mode);
std::uint32_t GetSoundMode();
