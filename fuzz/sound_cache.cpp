// Feeds whole sound cache files to the cache reader, then plays every PSF
// sample it made a little way.  Every read must stay inside the bytes; a
// damaged file must end the load (or call the program's end, made harmless
// here), never crash it.
//
// Seeds: the sound tool's caches, and (HALBERD_WRITE_SEEDS=<folder>) a
// cache of every chunk kind made by the project's writers.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "sound/sound_bank.h"
#include "sound/sound_cache.h"
#include "sound/wave_source_imus.h"
#include "sound/wave_source_psf.h"
#include "sound/wave_source_psf_stream.h"
#include "sound_fuzz.h"

namespace {

void WriteSeeds(const std::string& folder) {
  ByteWriter w;
  WriteSoundCacheHeader(w);
  PsfMemorySample sample;
  sample.name = "Beep";
  sample.blocks.assign(64, 0x21);
  WritePsfMemoryChunk(w, kAllSampleSets, sample);
  WritePsfMemoryChunk(w, 3, sample);
  PsfStreamSample stream;
  stream.fileName = "stream.psf";
  stream.blockBytes = 64;
  WritePsfStreamChunk(w, 0, stream);
  std::vector<IMusSection> sections(2);
  WriteIMusChunk(w, "music.imf", sections, {0, 16});
  SoundBankSource bank;
  bank.name = "Bank.sbk";
  bank.events.push_back({7, {{"Beep", 1.0f, 0.1f, 1.0f}, {"Other", 0.5f, 0.0f, 2.0f}}});
  WriteSoundBankChunk(w, bank);
  PatchSoundCacheLength(w);
  WriteSeedFile(folder + "/every_kind.sch", w.Data());
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
  CSoundCache cache;
  cache.LoadFromMemory(data, size, "fuzz.sch");
  static std::vector<std::uint8_t> pcm(4096);
  cache.Tree().ForEach([&](std::uint32_t, WaveDataSource* source) {
    // Only the samples held in memory: the others open files by name.
    if (dynamic_cast<CWaveDataSourcePsf*>(source) == nullptr) return;
    auto player = source->NewPlayer();
    if (!player->Start()) return;
    for (int i = 0; i < 16 && player->GetPcmSize() > 0; ++i) player->Decode(pcm.data(), static_cast<std::uint32_t>(pcm.size()));
  });
  for (CSoundBank* b = cache.Banks(); b != nullptr; b = b->Next)
    for (std::uint16_t id : b->EventIds) b->FindEntry(id);
  return 0;
}
