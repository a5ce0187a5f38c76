// A wave source: 16-bit PCM for a channel's buffer, made on demand from one
// sample of the sound cache.  The family's six operations, in their order:
// destroy, load the description from a cache chunk, the PCM bytes still to
// come, decode into a buffer, start from the beginning, stop.  Main thread
// only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class SoundChunkReader;

class WaveDataSource {
 public:
  virtual ~WaveDataSource() = default;
  // Reads the source's description from the rest of the chunk; false on a
  // short or damaged description.
  virtual bool Load(SoundChunkReader& reader) = 0;
  // PCM bytes the source yields from where it stands (all of them after Start).
  virtual std::uint32_t GetPcmSize() = 0;
  // Writes exactly `bytes` bytes of PCM at `out`: the source's next samples,
  // zeros past its end.  False when the data cannot be read (the channel
  // then stops).
  virtual bool Decode(void* out, std::uint32_t bytes) = 0;
  // Prepares playback from the beginning; false when the source cannot play.
  virtual bool Start() = 0;
  virtual void Stop() = 0;

  // A player of this sample for one channel: a source of its own place and
  // decoder state (and file, for the sources that read one), sharing the
  // sample's data, so that one sample can play on two channels at once.
  virtual std::unique_ptr<WaveDataSource> NewPlayer() const = 0;

  // The samples' rate (Hz) and channel count (1 or 2).
  virtual std::uint32_t GetSampleRate() const = 0;
  virtual int GetChannels() const = 0;

  // The name the cache files the source under (its key is the name's hash).
  const std::string& GetName() const { return name_; }

 protected:
  std::string name_;
};
