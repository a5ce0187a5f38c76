// Interactive music, from an "IMUS" chunk: sections of one music file at
// 44,100 Hz stereo, the next section chosen each time the source starts
// from the section that played and the music intensity level (1..4).  The
// music file is read from the disk, as a stream file is.
//
// Body: u8 name length n, n bytes: the music file's name (also the
// sample's name); u32 section count s (1 .. 1024); then 2 x s records of 12
// bytes, read as 6 x s little-endian words.  Section k owns words 6k .. 6k+5:
// word 6k is its offset in the music file, word 6k+1 is 0, and words
// 6k+2 .. 6k+5 are the sections that follow it at levels 1 .. 4.
//
// A section in the music file: an 8-byte header whose fourth byte's bits
// 5..6 give the kind: 3 is raw 16-bit PCM, with a u32 byte count after the
// header and the bytes after it; any other value is the PSF format (0 4-bit,
// 1 8-bit), with the block count of one channel in the low 20 bits of the
// header's second word and the blocks (left and right alternating) after the
// header.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "sound/psf_decoder.h"
#include "sound/wave_data_source.h"

class CMusicIntensity;

inline constexpr std::uint32_t kIMusMaxSections = 1024;

// One section as it is written into a music file.
struct IMusSection {
  bool raw = true;
  std::uint8_t psfFormat = 0;        // for PSF sections: 0 or 1
  std::vector<std::uint8_t> bytes;   // raw PCM, or PSF blocks of both channels
  std::uint32_t next[4] = {};        // the section that follows at levels 1..4
};

// The music file of the sections, and the "IMUS" chunk that describes it.
std::vector<std::uint8_t> MakeIMusFile(const std::vector<IMusSection>& sections, std::vector<std::uint32_t>* offsets);
void WriteIMusChunk(ByteWriter& out, const std::string& fileName, const std::vector<IMusSection>& sections,
                    const std::vector<std::uint32_t>& offsets);

class CWaveDataSourceIMus final : public WaveDataSource {
 public:
  ~CWaveDataSourceIMus() override;
  // The meter whose level picks the sections (none: level 1).
  void SetIntensity(const CMusicIntensity* intensity) { intensity_ = intensity; }

  bool Load(SoundChunkReader& reader) override;
  std::uint32_t GetPcmSize() override;
  bool Decode(void* out, std::uint32_t bytes) override;
  // Moves to the next section and opens it; false (no playback) when the
  // file cannot be opened ("I-Music file %s not found!"), the table names no
  // section there, or the section's header cannot be read.
  bool Start() override;
  void Stop() override {}
  std::unique_ptr<WaveDataSource> NewPlayer() const override;
  std::uint32_t GetSampleRate() const override { return 44100; }
  int GetChannels() const override { return 2; }

  // The section that plays (0 before the first start).
  std::uint32_t GetCurrentSection() const { return current_; }

 private:
  std::shared_ptr<const std::vector<std::uint32_t>> words_;
  std::uint32_t sections_ = 0;
  std::uint32_t current_ = 0;
  const CMusicIntensity* intensity_ = nullptr;
  std::FILE* file_ = nullptr;
  bool raw_ = false;
  std::uint32_t rawLeft_ = 0;
  std::uint32_t remaining_ = 0;  // PSF: compressed bytes of one channel left
  PsfStream stream_;
};
