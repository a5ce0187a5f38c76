// A PSF sample held in memory, from a "PFSM" chunk: mono 16-bit PCM decoded
// block by block as the channel asks for it.
//
// Body after the chunk's sample-set id: u8 format byte (4: 4-bit blocks,
// anything else: 8-bit blocks), u8 name length n, n name bytes, u32 sample
// rate (Hz), u32 size of the PSF data, then the PSF blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "sound/psf_decoder.h"
#include "sound/wave_data_source.h"

// The description of a PSF sample held in memory, as it is stored.
struct PsfMemorySample {
  std::uint8_t formatByte = 4;
  std::string name;
  std::uint32_t rate = 22050;
  std::vector<std::uint8_t> blocks;
};

// Writes a whole "PFSM" chunk (tag, size, set id, body).  Names are cut at
// 255 bytes.
void WritePsfMemoryChunk(ByteWriter& out, std::uint32_t sampleSet, const PsfMemorySample& sample);

// The decoder format a stored format byte selects.
inline std::uint32_t PsfFormatOfByte(std::uint8_t formatByte) { return formatByte == 4 ? 0u : 1u; }

class CWaveDataSourcePsf final : public WaveDataSource {
 public:
  bool Load(SoundChunkReader& reader) override;
  std::uint32_t GetPcmSize() override;
  bool Decode(void* out, std::uint32_t bytes) override;
  bool Start() override;
  void Stop() override {}
  std::unique_ptr<WaveDataSource> NewPlayer() const override;
  std::uint32_t GetSampleRate() const override { return rate_; }
  int GetChannels() const override { return 1; }

 private:
  std::uint8_t formatByte_ = 4;
  std::uint32_t rate_ = 0;
  std::shared_ptr<const std::vector<std::uint8_t>> data_;
  PsfStream stream_;
};
