#include "sound_files.h"

#include "foundation/byte_reader.h"
#include "psf_encoder.h"
#include "sound/sound_bank.h"
#include "sound/sound_cache.h"
#include "sound/wave_source_psf.h"

namespace {
// 4-bit PSF keeps a synthesised sample within this of its 16-bit samples
// (one step of a shift-12 block is 1; louder passages take coarser steps).
constexpr int kLargestErrorAllowed = 4096;
}  // namespace

std::vector<std::uint8_t> EncodeRecipe(const SampleRecipe& recipe, int* largestError) {
  const std::vector<std::int16_t> pcm = Synthesise(recipe);
  const int channels = recipe.stereo ? 2 : 1;
  const std::size_t frames = pcm.size() / static_cast<std::size_t>(channels);
  std::vector<std::uint8_t> blocks =
      recipe.stereo ? EncodePsfStereo(pcm.data(), frames, 0) : EncodePsf(pcm.data(), frames, 0);
  if (largestError != nullptr) *largestError = PsfLargestError(blocks, pcm.data(), frames, 0, recipe.stereo);
  return blocks;
}

bool MakeSoundFiles(const SoundSources& sources, std::vector<MadeSoundFile>* out, std::string* error) {
  out->clear();
  for (const SoundBankSource& bank : sources.banks) out->push_back(MadeSoundFile{bank.name, MakeSoundBankFile(bank)});
  for (const SoundCacheSource& cache : sources.caches) {
    ByteWriter w;
    WriteSoundCacheHeader(w);
    for (const std::string& name : sources.CacheSamples(cache)) {
      const SampleRecipe* recipe = sources.FindSample(name);
      if (recipe == nullptr || recipe->stereo) {
        *error = cache.file + ": \"" + name + "\" is not a mono sample of samples.txt";
        return false;
      }
      int largest = 0;
      PsfMemorySample sample;
      sample.formatByte = 4;
      sample.name = name;
      sample.rate = static_cast<std::uint32_t>(recipe->rate);
      sample.blocks = EncodeRecipe(*recipe, &largest);
      if (sample.blocks.empty() || largest > kLargestErrorAllowed) {
        *error = cache.file + ": \"" + name + "\" encodes badly (largest error " + std::to_string(largest) + ")";
        return false;
      }
      WritePsfMemoryChunk(w, kAllSampleSets, sample);
    }
    PatchSoundCacheLength(w);
    out->push_back(MadeSoundFile{cache.file, w.Data()});
  }
  return true;
}
