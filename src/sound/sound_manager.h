// The sound manager, in the part the world library uses so far: the running
// counter from which every world object takes its sound-emitter id, the
// level's environment sounds read from the environment file, and the paused
// state of the world's sounds.  No device sound is made yet.  The one manager
// is made by the game's start-up.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

class EnvTextCursor;

// One environment sound of a level: a named loop that plays while enabled,
// restarted from its start time when switched on.
struct EnvironmentSound {
  char name[64] = {};
  std::uint8_t enabled = 1;
  float startTime = 0.0f;  // seconds
  float timer = 0.0f;      // seconds left before the next play
};

class CSoundManager {
 public:
  // The running emitter id, which is then raised by one.
  std::uint32_t NextEmitterId() { return nextEmitterId_++; }

  // Clears the level's environment sounds and reads the sound section of the
  // environment file up to and including "ENDENVS".  Each entry is
  // "ENVSOUND" name start-time (seconds); other words are skipped.  False,
  // with the entries read so far kept, when the text ends or an entry is cut
  // first.
  bool ReadEnvironmentSounds(EnvTextCursor& text);
  int EnvironmentSoundCount() const { return static_cast<int>(sounds_.size()); }
  // The sound at index, or null.
  const EnvironmentSound* GetEnvironmentSound(int index) const;
  // 1 switches the sound on (a sound that was off restarts its timer from
  // its start time); 0 switches it off.  Nothing for an index out of range.
  void SetEnvironmentSoundEnabled(int index, int flag);

  // Pauses (true) or resumes the world's sounds; nothing when the state is
  // already the one asked for.
  void SetPaused(bool on) { paused_ = on; }
  bool IsPaused() const { return paused_; }

 private:
  std::uint32_t nextEmitterId_ = 0;
  std::vector<EnvironmentSound> sounds_;
  bool paused_ = false;
};

// The game's sound manager; null before start-up and after shut-down.
extern CSoundManager* g_SoundManager;
