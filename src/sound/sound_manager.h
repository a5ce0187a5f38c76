// The sound manager, in the part the world library uses so far: the running
// counter from which every world object takes its sound-emitter id, the
// level's environment sounds read from the environment file, the play of a
// bank's event on a channel, and the paused state of the world's sounds.  The
// channels keep what plays where; no device sound is made yet.  The one
// manager is made by the game's start-up.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/win_types.h"
#include "render/geometry/vector3.h"

class EnvTextCursor;

// One environment sound of a level: a named loop that plays while enabled,
// restarted from its start time when switched on.
struct EnvironmentSound {
  char name[64] = {};
  std::uint8_t enabled = 1;
  float startTime = 0.0f;  // seconds
  float timer = 0.0f;      // seconds left before the next play
};

// A sound bank: for each event id, the entries (sample numbers) one of
// which is played at random.  An event without entries is not held.
struct CSoundBank {
  std::vector<std::vector<int>> Events;
  bool HoldsEvent(int event) const {
    return event >= 0 && static_cast<std::size_t>(event) < Events.size() && !Events[static_cast<std::size_t>(event)].empty();
  }
};

// One sound channel: what it plays, where, and whether it is in use.
struct SoundChannel {
  bool InUse = false;
  bool Playing = false;
  bool Looping = false;
  const CSoundBank* Bank = nullptr;
  int Event = -1;
  int Sample = -1;
  bool Placed = false;      // at Position (else not placed in the world)
  CVector3 Position{};
  int Argument = 0;
  std::uint32_t Tag = 0;  // the sound handle it plays for (0 none)
};

// One entry of a stream description: a line of a sound bank, the handle of
// the sound it is spoken on, and a flag word.
struct SoundStreamEntry {
  const CSoundBank* Bank = nullptr;
  int Line = 0;
  std::uint32_t Handle = 0;
  std::uint32_t Flags = 0;
};

// Up to two lines streamed one after the other.
struct SoundStreamDescription {
  int Count = 0;
  SoundStreamEntry Entries[2];
};

// What a play request asked for, kept in the manager's play log for tests.
enum SoundPlayKind : int { SOUND_PLAY_EVENT = 0, SOUND_STOP_SAMPLE = 1, SOUND_STREAM = 2 };
struct SoundPlayRecord {
  int Kind = SOUND_PLAY_EVENT;
  const CSoundBank* Bank = nullptr;
  int Event = -1;
  CVector3 Position{};
  bool Positional = false;
  float Range = 0.0f;
  std::uint32_t Tag = 0;
  int Channel = -1;  // the channel answered (-1 when nothing played)
  SoundStreamDescription Stream;
};

// Channels of the manager; the first kReservedSoundChannels are the front
// end's and the world pause leaves them alone.
inline constexpr int kSoundChannels = 32;
inline constexpr int kReservedSoundChannels = 9;

class CSoundManager {
 public:
  // Starts the manager's output for the game window; true on success.  (No
  // device sound is made yet: it answers success.)
  bool Initialise(HWND window, int requestedChannels, bool want3D);
  // Stops everything the manager plays and lets its output go.
  void Free();
  bool IsInitialised() const { return initialised_; }

  // The time-scale word: 1 (after construction) while playback rates follow
  // the game clock's time scale, 0 when they do not (menu screens).
  void SetFollowsGameTime(int on) { followsGameTime_ = on; }
  int GetFollowsGameTime() const { return followsGameTime_; }
  // The voice set of the player's nation: 0 (UK) or 6 (US).
  void SetVoiceSet(int set) { voiceSet_ = set; }
  int GetVoiceSet() const { return voiceSet_; }

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

  // Plays a random entry of the bank's event on the first free channel from
  // the reserved ones on, placed at the position when one is given (may be
  // null).  Answers the channel, or -1 when nothing plays: a null bank, an
  // event the bank does not hold, sound switched off, or every channel busy.
  int PlayEvent(const CSoundBank* bank, int event, const CVector3* position, int argument, int unused);
  // Plays an event of a bank audible within `range`, at the position when one
  // is given, on a channel tagged with `tag` (a world object's sound handle,
  // 0 for none).  Answers the channel, or -1 when nothing plays (as above).
  int PlayEvent(const CSoundBank* bank, int event, const CVector3* position, float range, std::uint32_t tag);
  // Stops every channel tagged with `tag` (0 stops nothing).
  void StopSample(std::uint32_t tag);
  // Whether a channel tagged with `tag` plays.
  bool IsSamplePlaying(std::uint32_t tag) const;
  // Starts a stream of up to two lines (no streamed sound is made yet: the
  // request is logged and the first line's handle marks its channel).
  void StartStream(const SoundStreamDescription& description);
  // The play log: every play, stop and stream request while it is on, also
  // those that play nothing.  Switching it on empties it.
  void SetPlayLog(bool on) {
    logging_ = on;
    log_.clear();
  }
  const std::vector<SoundPlayRecord>& PlayLog() const { return log_; }

  // Sound on or off (on at construction); while off PlayEvent plays nothing.
  void SetSoundOn(bool on) { soundOn_ = on; }
  bool IsSoundOn() const { return soundOn_; }
  // Frees a channel (its sound has ended).
  void StopChannel(int channel);
  // The channel, or null out of range.
  const SoundChannel* GetChannel(int channel) const;

  // Pauses (true) or resumes the world's sounds; nothing when the state is
  // already the one asked for.  Leaving the first nine channels alone, every
  // other channel in use is stopped (pause), or started again playing in a
  // loop (resume).
  void SetPaused(bool on);
  bool IsPaused() const { return paused_; }

 private:
  std::uint32_t nextEmitterId_ = 0;
  std::vector<EnvironmentSound> sounds_;
  SoundChannel channels_[kSoundChannels];
  bool soundOn_ = true;
  bool paused_ = false;
  bool initialised_ = false;
  bool logging_ = false;
  std::vector<SoundPlayRecord> log_;
  int followsGameTime_ = 1;
  int voiceSet_ = 0;
};

// Test switch: while on, Initialise answers failure (start-up's error path).
void SoundManagerFailInitialise(bool fail);

// The game's sound manager; null before start-up and after shut-down.
extern CSoundManager* g_SoundManager;
