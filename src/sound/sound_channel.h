// One channel of the sound manager: a DirectSound buffer, the wave source
// that feeds it, and how it plays.  The buffer holds two seconds in two
// halves of one second; the half the play cursor has left is refilled from
// the source while the other plays.
#pragma once

#include <cstdint>
#include <memory>

#include "render/geometry/vector3.h"

class IDirectSoundBuffer;
class IDirectSound3DBuffer;
#include "sound/wave_data_source.h"

// Flag bits of a channel.
enum SoundChannelFlags : std::uint32_t {
  SCF_PLAYING = 1u << 0,
  SCF_IN_USE = 1u << 1,       // held (by a loop, an environment sound, a pause) while not playing
  SCF_POSITIONAL = 1u << 2,
  SCF_LOOPING = 1u << 3,      // the source starts again when it ends
  SCF_HALF_SHIFT = 4,         // bits 4..5: the half of the buffer playing
  SCF_HALF_MASK = 3u << 4,
  SCF_CHANNELS_SHIFT = 7,     // bits 7..8: the buffer's channel count
  SCF_CHANNELS_MASK = 3u << 7,
};

inline constexpr std::uint32_t kNoEndPosition = 0xFFFFFFFFu;

struct SoundChannel {
  std::uint32_t flags = 0;
  IDirectSoundBuffer* buffer = nullptr;
  IDirectSound3DBuffer* buffer3D = nullptr;
  std::unique_ptr<WaveDataSource> player;  // the channel's own player of the sample
  WaveDataSource* source = nullptr;        // = player while a sample is on the channel
  std::uint32_t sample = 0;             // the sample's handle (for look-ups and tests)
  std::uint32_t readPosition = 0;       // PCM bytes taken from the source
  std::uint32_t writePosition = 0;      // where the next fill starts in the buffer
  std::uint32_t endPosition = kNoEndPosition;  // where the data ends, for a sound that does not loop
  std::uint32_t lastCursor = 0;         // the play cursor at the last update
  std::uint32_t bufferBytes = 0;
  float volume = 1.0f;                  // volume factor
  float pitch = 1.0f;                   // pitch factor
  float pan = 0.0f;
  std::uint32_t sampleRate = 0;         // Hz, before the pitch factor and the time scale
  CVector3 position{};
  CVector3 velocity{};
  float range = 1000.0f;
  float level = 1.0f;                   // the script's parameter, while enabled
  bool levelEnabled = false;
  std::uint32_t tag = 0;                // the caller's handle (an emitter id), 0 for none
  // The next half, decoded a little each frame ahead of its refill, so that
  // the frame that refills the buffer only copies it.
  std::unique_ptr<std::uint8_t[]> staging;
  std::uint32_t staged = 0;                     // bytes of the next half made so far
  std::uint32_t stagedEnd = kNoEndPosition;     // where in them the sound's data ended

  bool Has(std::uint32_t f) const { return (flags & f) != 0; }
  int Channels() const { return static_cast<int>((flags & SCF_CHANNELS_MASK) >> SCF_CHANNELS_SHIFT); }
  bool IsFree() const { return (flags & (SCF_PLAYING | SCF_IN_USE)) == 0; }
};
