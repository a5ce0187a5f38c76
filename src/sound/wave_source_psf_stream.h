// A stereo PSF sample streamed from its own file, from a "PFST" chunk: the
// file stays open while the sample plays and is read a piece at a time into
// one shared buffer.  Stream files are read from the disk (under the working
// directory), not from catalogs: they stay open while the engine's one file
// handle serves other files.
//
// Body after the chunk's sample-set id, 12 bytes then a name:
//   u32 size (compressed bytes of one channel: half the blocks' bytes),
//   u32 sample rate (Hz), u16 flags (none defined, 0),
//   u8 format byte (4: 4-bit blocks, anything else: 8-bit blocks),
//   u8 name length n, n bytes: the stream file's name, which is also the
//   sample's name.
// The stream file: "PSFS", u32 size of the blocks, then the blocks, left and
// right channels alternating.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "sound/psf_decoder.h"
#include "sound/wave_data_source.h"

struct PsfStreamSample {
  std::uint8_t formatByte = 4;
  std::uint32_t rate = 44100;
  std::string fileName;
  std::uint32_t blockBytes = 0;  // both channels
};

// Writes a whole "PFST" chunk (tag, size, set id, body).
void WritePsfStreamChunk(ByteWriter& out, std::uint32_t sampleSet, const PsfStreamSample& sample);
// The bytes of a stream file holding `blocks` (left and right alternating).
std::vector<std::uint8_t> MakePsfStreamFile(const std::vector<std::uint8_t>& blocks);

// The largest piece a stream decodes at once, in PCM bytes.
inline constexpr std::uint32_t kPsfStreamPiece = 176400;

// Decodes `bytes` of stereo PCM from a PSF file in pieces of at most
// kPsfStreamPiece through the one shared compressed buffer.  `remaining`
// counts the compressed bytes of one channel left.  False on a short read.
bool DecodePsfFromFile(std::FILE* file, PsfStream* stream, std::uint32_t* remaining, void* out, std::uint32_t bytes);

class CWaveDataSourcePsfStream final : public WaveDataSource {
 public:
  ~CWaveDataSourcePsfStream() override;
  bool Load(SoundChunkReader& reader) override;
  std::uint32_t GetPcmSize() override;
  bool Decode(void* out, std::uint32_t bytes) override;
  bool Start() override;
  void Stop() override {}
  std::unique_ptr<WaveDataSource> NewPlayer() const override;
  std::uint32_t GetSampleRate() const override { return rate_; }
  int GetChannels() const override { return 2; }

 private:
  std::uint32_t size_ = 0;  // from the description
  std::uint32_t rate_ = 0;
  std::uint8_t formatByte_ = 4;
  std::FILE* file_ = nullptr;
  std::uint32_t remaining_ = 0;
  PsfStream stream_;  // this stream's own filter history
};
