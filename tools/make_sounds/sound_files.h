// The demo's sound files from their sources: every sample synthesised and
// encoded as PSF (checked by decoding it again), the ".sbk" banks and the
// ".sch" caches (samples held in memory, for every sample set).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sound_sources.h"

// A file and its bytes.
struct MadeSoundFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// The PSF blocks of a recipe (4-bit blocks; stereo recipes interleave their
// channels' blocks), and the largest difference between the decoded blocks
// and the synthesised samples.
std::vector<std::uint8_t> EncodeRecipe(const SampleRecipe& recipe, int* largestError);

// Every bank and cache of the sources; false with `error` when a sample
// cannot be made or decodes too far from what was synthesised.
bool MakeSoundFiles(const SoundSources& sources, std::vector<MadeSoundFile>* out, std::string* error);
