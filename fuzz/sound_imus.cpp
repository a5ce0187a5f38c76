// Feeds interactive music to its reader: the section table of an "IMUS"
// chunk and the music file it plays from.  Input: u16 n, n bytes of the
// chunk body after its file name (the section count and table), then the
// music file's bytes.  The source starts at every level, section after
// section, and decodes what each section holds; every read must stay inside
// the table and the file.
//
// Seeds (HALBERD_WRITE_SEEDS=<folder>): music of raw and PSF sections made
// by the project's writers.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "sound/music_intensity.h"
#include "sound/sound_chunk_reader.h"
#include "sound/wave_source_imus.h"
#include "sound_fuzz.h"

namespace {

constexpr char kMusicFile[] = "fuzz.imf";

void WriteSeeds(const std::string& folder) {
  std::vector<IMusSection> sections(3);
  sections[1].bytes.assign(400, 0x40);
  sections[2].raw = false;
  sections[2].bytes.assign(64, 0x13);
  for (IMusSection& s : sections) {
    s.next[0] = 1;
    s.next[1] = s.next[2] = s.next[3] = 2;
  }
  std::vector<std::uint32_t> offsets;
  const std::vector<std::uint8_t> music = MakeIMusFile(sections, &offsets);
  ByteWriter chunk;
  WriteIMusChunk(chunk, kMusicFile, sections, offsets);
  // The chunk body after its tag, size, name length and name.
  const std::size_t skip = 8 + 1 + sizeof kMusicFile - 1;
  const std::vector<std::uint8_t> table(chunk.Data().begin() + static_cast<std::ptrdiff_t>(skip), chunk.Data().end());
  ByteWriter seed;
  seed.U16(static_cast<std::uint16_t>(table.size()));
  seed.Bytes(table.data(), table.size());
  seed.Bytes(music.data(), music.size());
  WriteSeedFile(folder + "/three_sections.bin", seed.Data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  sound_fuzz::Quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t n = data[0] | data[1] << 8;
  if (n > size - 2) n = size - 2;
  {
    std::ofstream out(kMusicFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data + 2 + n), static_cast<std::streamsize>(size - 2 - n));
  }
  ByteWriter body;
  body.U8(sizeof kMusicFile - 1);
  body.Bytes(kMusicFile, sizeof kMusicFile - 1);
  body.Bytes(data + 2, n);
  // The source reads its description from a chunk: frame the body as one.
  ByteWriter framed;
  framed.Tag("IMUS");
  framed.U32(static_cast<std::uint32_t>(body.Size()));
  framed.Bytes(body.Data().data(), body.Size());
  SoundChunkReader chunks(framed.Data().data(), framed.Size(), static_cast<std::uint32_t>(framed.Size()));
  if (chunks.NextChunk() != kSoundTagIMus) return 0;
  CWaveDataSourceIMus music;
  CMusicIntensity intensity;
  music.SetIntensity(&intensity);
  if (!music.Load(chunks)) return 0;
  static std::vector<std::uint8_t> pcm(8192);
  for (int level = 1; level <= 4; ++level) {
    intensity.SetLevel(static_cast<float>(level));
    auto player = music.NewPlayer();
    for (int section = 0; section < 4 && player->Start(); ++section)
      for (int i = 0; i < 4 && player->GetPcmSize() > 0; ++i)
        if (!player->Decode(pcm.data(), static_cast<std::uint32_t>(pcm.size()))) break;
  }
  return 0;
}
