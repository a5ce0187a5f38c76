// The sound manager, in the part the world library uses so far: the running
// counter from which every world object takes its sound-emitter id.  The one
// manager is made by the game's start-up.  Main thread only.
#pragma once

#include <cstdint>

class CSoundManager {
 public:
  // The running emitter id, which is then raised by one.
  std::uint32_t NextEmitterId() { return nextEmitterId_++; }

 private:
  std::uint32_t nextEmitterId_ = 0;
};

// The game's sound manager; null before start-up and after shut-down.
extern CSoundManager* g_SoundManager;
