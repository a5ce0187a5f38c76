// The text sources of the demo's sounds, kept in tools/demo_data:
//
// "samples.txt", one sample a line:
//   sample <name> <kind> <pitch Hz> <duration s> <rate Hz> [<param>] [stereo]
// (kinds: tone, chirp, siren, noise, click, speech; param: the end pitch of
// a chirp, the high pitch of a siren).
//
// "banks.txt": banks, their events and weighted entries, and the caches:
//   bank <file>                      a ".sbk" file, then its events:
//   event <id>                       an event of the bank, then its entries:
//   entry <sample> <volume> <pitch variation> <weight>
//   cache <file>                     a ".sch" file, then what it holds:
//   holds <bank file>                every sample of that bank
//   sample <name>                    and that sample
// Blank lines and text after "#" are not read.
#pragma once

#include <string>
#include <vector>

#include "sound/sound_bank.h"
#include "sound_synth.h"

struct SoundCacheSource {
  std::string file;
  std::vector<std::string> banks;
  std::vector<std::string> samples;
};

struct SoundSources {
  std::vector<SampleRecipe> samples;
  std::vector<SoundBankSource> banks;
  std::vector<SoundCacheSource> caches;

  const SampleRecipe* FindSample(const std::string& name) const;
  const SoundBankSource* FindBank(const std::string& file) const;
  // Every sample a cache holds, each once, in the order first named.
  std::vector<std::string> CacheSamples(const SoundCacheSource& cache) const;
};

// Reads the two texts into `out`; false with `error` naming the file, line
// and fault (an unknown kind, a missing number, an entry outside an event,
// a sample no line makes, a bank no line makes, a name too long for a file).
bool ReadSoundSources(const std::string& samplesText, const std::string& banksText, SoundSources* out,
                      std::string* error);
