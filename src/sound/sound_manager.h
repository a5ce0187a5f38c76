// The sound manager: the one sound object of the game, made at start-up.  It
// owns the DirectSound 8 device and a pool of channels, each with its own
// buffer, taken from fixed ranges by kind: the music channel (0, stereo),
// four looping-sound channels (1-4), four environment channels (5-8), the
// interface channel (9) and the ordinary channels (10 on).  It keeps the
// level's sound cache, the loaded banks, 30 loop slots, the level's
// environment sounds, two stream slots and the music intensity.  There is no
// sound thread: the frame calls Update and UpdateMusic, which refill the
// playing channels by halves from their wave sources and move positional
// sounds.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/win_types.h"
#include "render/geometry/vector3.h"
#include "sound/environment_sound_section.h"
#include "sound/music_intensity.h"
#include "sound/sound_bank.h"
#include "sound/sound_cache.h"
#include "sound/sound_channel.h"

class CCamera;
class EnvTextCursor;
class IDirectSound8;
class IDirectSoundBuffer;
class IDirectSound3DListener;
class WaveDataSource;

// The channel ranges.
inline constexpr int kMusicChannel = 0;
inline constexpr int kFirstLoopChannel = 1;
inline constexpr int kLoopChannels = 4;
inline constexpr int kFirstEnvironmentChannel = 5;
inline constexpr int kEnvironmentChannels = 4;
inline constexpr int kInterfaceChannel = 9;
inline constexpr int kFirstOrdinaryChannel = 10;

// The channels asked of a device that offers fewer than 15 free 3-D buffers.
inline constexpr int kSoundChannels = 16;

inline constexpr int kSoundLoopSlots = 30;
inline constexpr int kSoundStreamSlots = 2;
inline constexpr int kSoundStreamEvents = 11;
inline constexpr int kMaxSoundListeners = 4;

// One queued event of a stream.
struct SoundStreamEvent {
  const CSoundBank* bank = nullptr;
  int eventId = 0;
  bool positional = false;
  CVector3 position{};
  float range = 1000.0f;
  std::uint32_t tag = 0;
};

// Events played one after another on one channel (a speech exchange).
struct SoundStreamDescription {
  int count = 0;
  SoundStreamEvent events[kSoundStreamEvents];
};

// One play request, as the play log keeps it.
enum SoundPlayKind { SPK_EVENT, SPK_SINGLE, SPK_MUSIC_EVENT, SPK_LOOP, SPK_STREAM };
struct SoundPlayRecord {
  SoundPlayKind kind = SPK_EVENT;
  const CSoundBank* bank = nullptr;
  int event = 0;
  bool positional = false;
  CVector3 position{};
  float range = 0.0f;
  std::uint32_t tag = 0;
  int answer = -1;  // the channel (a loop's handle, a stream's 1 or 0); -1 when nothing played
};

class CSoundManager {
 public:
  CSoundManager();
  ~CSoundManager();
  CSoundManager(const CSoundManager&) = delete;
  CSoundManager& operator=(const CSoundManager&) = delete;

  // --- life ------------------------------------------------------------------------
  // Creates the device, asks its capabilities (15 or more free 3-D buffers:
  // that many channels, else 16), the primary buffer in 44,100 Hz 16-bit
  // stereo, the channels and, with 3-D, the listener.  `requestedChannels`
  // is replaced by what the device offers (kSoundChannels when it offers
  // fewer than 15).  False on any failure (nothing
  // is kept); the manager is then inactive and plays nothing.
  bool Initialise(HWND window, int requestedChannels, bool want3D);
  // Stops everything, frees the level's data, the channels and the device.
  void Free();
  // Whether sounds may be started (after a successful Initialise).
  bool IsActive() const { return active_; }
  bool IsInitialised() const { return active_; }
  bool Is3D() const { return use3D_; }
  int ChannelCount() const { return static_cast<int>(channels_.size()); }
  int OrdinaryChannelCount() const { return ordinaryCount_; }
  const SoundChannel& GetChannel(int index) const { return channels_[static_cast<std::size_t>(index)]; }
  IDirectSound8* GetDevice() const { return device_; }

  // --- per frame --------------------------------------------------------------------
  // The listeners, one per local view (at most 4; 0 or 1: listener 0).
  void SetListenerCount(int count);
  void SetListener(int index, const CVector3& position, const CVector3& front, const CVector3& top);
  // Listener `index` from a camera's position and its forward and up axes.
  void SetListenerFromCamera(int index, const CCamera& camera);
  // The listener update, environment sounds and loops, the refill of
  // channels 1 on, the streams and the commit of the 3-D settings.
  void Update();
  // The refill of the music channel, then the music intensity's decay.
  void UpdateMusic();

  // --- the level's data -----------------------------------------------------------------
  // Loads the level's sound cache file (at the level's start).
  bool LoadCache(const char* name);
  CSoundCache& Cache() { return cache_; }
  // A sample's handle by name (the script's cache look-up); 0 and a warning
  // when it is not in the cache, 0 for an empty name.
  std::uint32_t FindSample(const char* name) const { return cache_.FindSample(name); }
  // The bank of that file name: one already loaded (by the manager, or a
  // bank chunk of the cache) or read now from its ".sbk" file.  Null for an
  // empty name or a file that cannot be read.
  CSoundBank* LoadBank(const char* name, int flag);
  // The level's end: every channel stopped, the loops, streams and
  // environment sounds cleared, the samples and then every bank freed.
  void ReleaseLevel();

  // Reads the level's environment sounds from the environment text, up to
  // "ENDENVS", and finds their samples in the cache when active ("Failed to
  // load environment sound %s" for one that is not there).
  bool ReadEnvironmentSounds(EnvTextCursor& text);
  int EnvironmentSoundCount() const { return static_cast<int>(environment_.size()); }
  const EnvironmentSound* GetEnvironmentSound(int index) const;
  // 1 switches a sound on (its timer starts again), 0 off.
  void SetEnvironmentSoundEnabled(int index, int flag);
  // The script's parameter of a sound, taken only while the sound is on.
  void SetEnvironmentSoundLevel(int index, float value);

  // --- playing ------------------------------------------------------------------------
  // Plays an entry of a bank's event on a free ordinary channel, placed at
  // `position` (heard to `range`; a range not above 0 keeps 1000) when one
  // is given, tagged with the caller's handle.  Answers the channel, or -1
  // when nothing plays (no bank or entry, inactive, suppressed, no free
  // channel, no sample).
  int PlayEvent(const CSoundBank* bank, int event, const CVector3* position, float range, std::uint32_t tag);
  // Plays an event on the interface channel, replacing what plays there.
  int PlayEventSingle(const CSoundBank* bank, int event);
  // The music channel: a sample (by handle) at volume 1.0, once or looping;
  // a bank event as a looping jingle; stop.
  bool MusicPlay(std::uint32_t sample);
  bool MusicPlayLooping(std::uint32_t sample);
  bool PlayMusicEvent(const CSoundBank* bank, int event);
  void StopMusic();
  // Stops every channel (0 .. count - 1).
  void StopAllSounds();
  // Stops every channel tagged `tag`; whether any channel or stream slot
  // plays `tag` (0 tags nothing).
  void StopSample(std::uint32_t tag);
  bool IsSamplePlaying(std::uint32_t tag) const;
  // Pauses the ordinary channels that play (1) or plays them on, looping (0).
  void SetPaused(bool on);
  bool IsPaused() const { return paused_; }
  // Events played one after another on ordinary channels; false when both
  // stream slots are busy or the description is empty.
  bool StartStream(const SoundStreamDescription& description);

  // Loops: an event's entry held in one of 30 slots; the four best (heard
  // everywhere first, then the nearest within reach) play on the looping
  // channels.  Answers the handle, or 0.
  std::uint32_t PlayLoopEvent(const CSoundBank* bank, int event, const CVector3* position, float range);
  // Marks the loop to stop and clears the caller's handle.
  void StopLoop(std::uint32_t* handle);
  void SetLoopPosition(std::uint32_t handle, const CVector3* position);
  void SetLoopVelocity(std::uint32_t handle, const CVector3& velocity);
  // The loop's pitch factor; values of 8.0 and above are ignored.
  void SetLoopPitch(std::uint32_t handle, float pitch);

  // The suppression of new sounds.  The game sets it at once; a script's
  // call only notes a request to change it, which the next sound played
  // carries out.
  void SetSuppressed(int value, bool fromScript);
  bool IsSuppressed() const { return suppressed_; }

  CMusicIntensity& MusicIntensity() { return intensity_; }

  // --- settings other parts keep here ------------------------------------------------------
  // The options' two volumes, 0..1: every channel but the music channel, and
  // the music channel (1.0 and 0.75 at first).
  void SetEffectsVolume(float v) { effectsVolume_ = v; }
  float GetEffectsVolume() const { return effectsVolume_; }
  void SetMusicVolume(float v) { musicVolume_ = v; }
  float GetMusicVolume() const { return musicVolume_; }
  void SetMasterVolume(float v) { masterVolume_ = v; }
  float GetMasterVolume() const { return masterVolume_; }
  // While muted every channel is silent.
  void SetMuted(bool on) { muted_ = on; }
  bool IsMuted() const { return muted_; }
  // 1: playback rates follow the game clock's time scale (1 at first).
  void SetFollowsGameTime(int on) { followsGameTime_ = on; }
  int GetFollowsGameTime() const { return followsGameTime_; }
  // The voice set of the player's nation: 0 or 6.
  void SetVoiceSet(int set) { voiceSet_ = set; }
  int GetVoiceSet() const { return voiceSet_; }
  // Banks may be played (1 at first).
  void SetPlaysBanks(int on) { playsBanks_ = on; }

  // The running id every world object takes for its sounds (from 1).
  std::uint32_t NextEmitterId() { return nextEmitterId_++; }

  // For tests of the callers: every play request (event, interface event,
  // jingle, loop, stream) is kept while the log is on, whether or not
  // anything plays.  Switching it on empties it.
  void SetPlayLog(bool on) {
    playLogOn_ = on;
    playLog_.clear();
  }
  const std::vector<SoundPlayRecord>& PlayLog() const { return playLog_; }

 private:
  struct Listener {
    CVector3 position{};
    CVector3 front{0.0f, 0.0f, 1.0f};
    CVector3 top{0.0f, 1.0f, 0.0f};
  };
  struct LoopSlot {
    bool inUse = false;
    bool stopping = false;
    bool positional = false;
    CVector3 position{};
    CVector3 velocity{};
    float volume = 1.0f;
    float range = 1000.0f;
    float farDistance = 50000.0f;
    float pitch = 1.0f;
    std::uint32_t sample = 0;
    int channel = -1;
  };
  struct StreamSlot {
    bool active = false;
    SoundStreamDescription description;
    int next = 0;
    int channel = -1;
  };

  bool CreateChannels(int requested);
  // Entry play on a channel (the pending script suppression, the sample, the
  // volume, the rate with its variation), then the start.
  bool PlayEntry(int channel, const SoundEventEntry& entry);
  // Starts a sample's source on a channel from the beginning; false (and
  // the channel stopped) on failure.
  bool StartSource(int channel, std::uint32_t sample, std::uint32_t rate);
  void StopChannel(int channel);
  // Takes the first free channel of [first, first + count), reset; -1 when none.
  int TakeChannel(int first, int count);
  void ResetChannel(SoundChannel& ch);
  // Volume, pan and place of a channel (3-D settings deferred, or at once).
  void UpdateVolumeAndPlace(int channel, bool immediate);
  // Fills [offset, offset + bytes) of the channel's buffer: what is staged of
  // it, then the rest from the source.
  bool Fill(int channel, std::uint32_t offset, std::uint32_t bytes);
  // Writes the source's next `bytes` bytes (in the buffer's format) at out;
  // a looping channel starts its source again at its end, any other writes
  // silence after it and answers in *end where in `out` its data ended (left
  // as it was when it did not end).  False when the source cannot be read.
  bool Produce(SoundChannel& ch, std::uint8_t* out, std::uint32_t bytes, std::uint32_t* end);
  // Decodes part of the channel's next half ahead of its refill, keeping
  // level with the cursor's way through the half that plays.
  void Stage(SoundChannel& ch, std::uint32_t cursor);
  bool DecodeInto(SoundChannel& ch, std::uint8_t* out, std::uint32_t bytes);
  // The per-frame refill, frequency, end check, volume and 3-D settings.
  void RefillAndUpdate(int channel);
  void UpdateListener();
  void UpdateEnvironmentSounds();
  void UpdateLoops();
  void UpdateStreams();
  int NearestListener(const CVector3& at, float* distanceSquared) const;
  float TimeScale() const;
  std::uint32_t GameTime() const;

  IDirectSound8* device_ = nullptr;
  IDirectSoundBuffer* primary_ = nullptr;
  IDirectSound3DListener* listener3D_ = nullptr;
  bool active_ = false;
  bool use3D_ = false;
  std::vector<SoundChannel> channels_;
  int ordinaryCount_ = 0;
  std::uint32_t minRate_ = 100;
  std::uint32_t maxRate_ = 100000;
  std::vector<std::uint8_t> scratch_;  // source samples before a channel-count change

  CSoundCache cache_;
  CSoundBank* banks_ = nullptr;
  std::vector<EnvironmentSound> environment_;
  int environmentOn_[kEnvironmentChannels] = {-1, -1, -1, -1};  // sound index per environment channel
  LoopSlot loops_[kSoundLoopSlots];
  StreamSlot streams_[kSoundStreamSlots];
  Listener listeners_[kMaxSoundListeners];
  int listenerCount_ = 0;
  CMusicIntensity intensity_;
  const CSoundBank* musicBank_ = nullptr;
  int musicEvent_ = -1;

  bool suppressed_ = false;
  bool suppressRequest_ = false;
  bool paused_ = false;
  int playsBanks_ = 1;
  float effectsVolume_ = 1.0f;
  float musicVolume_ = 0.75f;
  float masterVolume_ = 1.0f;
  bool muted_ = false;
  int followsGameTime_ = 1;
  int voiceSet_ = 0;
  std::uint32_t nextEmitterId_ = 1;
  std::uint32_t lastGameTime_ = 0;
  float lastFrameTime_ = 0.0f;
  bool playLogOn_ = false;
  std::vector<SoundPlayRecord> playLog_;
  int loopOn_[kLoopChannels] = {-1, -1, -1, -1};  // loop slot per looping channel

  void Log(SoundPlayKind kind, const CSoundBank* bank, int event, const CVector3* position, float range,
           std::uint32_t tag, int answer);
};

// Test switch: while on, Initialise answers failure at once (start-up's
// error path).
void SoundManagerFailInitialise(bool fail);

// The game's sound manager; null before start-up and after shut-down.
extern CSoundManager* g_SoundManager;
