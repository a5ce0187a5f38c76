// The sound tool: its PSF encoder against the decoder, its text sources and
// their faults, and the demo's sound files it makes from the repository's
// sources (each bank's samples in the caches that hold it, a pitch of its
// own for every sample, every file in a catalog's manifest).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "psf_encoder.h"
#include "sound/psf_decoder.h"
#include "sound/sound_cache.h"
#include "sound_files.h"
#include "sound_sources.h"
#include "sound_synth.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double SignalToNoise(const std::vector<std::int16_t>& x, const std::vector<std::uint8_t>& blocks, int format) {
  PsfStream s;
  s.size = static_cast<std::uint32_t>(blocks.size());
  s.read = blocks.data();
  s.format = static_cast<std::uint32_t>(format);
  std::vector<std::int16_t> y(blocks.size() / 16 * PsfDecoder::SamplesPerBlock(s.format));
  PsfDecoder::Decode(&s, static_cast<std::uint32_t>(y.size()), y.data(), false);
  double signal = 0.0, noise = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    signal += double(x[i]) * x[i];
    noise += double(x[i] - y[i]) * (x[i] - y[i]);
  }
  return 10.0 * std::log10(signal / std::max(noise, 1.0));
}

// Each format keeps a tone, a sweep and noise well above its quantisation:
// the filter and shift chosen per block follow the signal.
TEST(PsfEncoder, DecodesCloseToWhatItWasGiven) {
  struct Case {
    const char* kind;
    float pitch, param;
    int format;
    double leastDb;
  };
  for (const Case& c : {Case{"tone", 440.0f, 0.0f, 0, 30.0}, Case{"chirp", 100.0f, 3000.0f, 0, 20.0},
                        Case{"tone", 440.0f, 0.0f, 1, 45.0}, Case{"noise", 300.0f, 0.0f, 1, 35.0}}) {
    SampleRecipe r;
    r.name = c.kind;
    r.kind = c.kind;
    r.pitch = c.pitch;
    r.param = c.param;
    r.duration = 0.5f;
    r.rate = 22050;
    const std::vector<std::int16_t> pcm = Synthesise(r);
    const std::vector<std::uint8_t> blocks = EncodePsf(pcm.data(), pcm.size(), c.format);
    EXPECT_EQ(blocks.size(), (pcm.size() + (c.format == 0 ? 29 : 14)) / (c.format == 0 ? 30 : 15) * 16);
    EXPECT_GT(SignalToNoise(pcm, blocks, c.format), c.leastDb) << c.kind << " format " << c.format;
  }
  // Silence is exact; a stereo pair keeps each side's own signal.
  const std::vector<std::int16_t> silence(300, 0);
  EXPECT_EQ(PsfLargestError(EncodePsf(silence.data(), 300, 0), silence.data(), 300, 0, false), 0);
  std::vector<std::int16_t> stereo(2 * 3000);
  for (std::size_t i = 0; i < 3000; ++i) {
    stereo[2 * i] = static_cast<std::int16_t>(8000 * std::sin(0.05 * i));
    stereo[2 * i + 1] = static_cast<std::int16_t>(-5000 * std::sin(0.11 * i));
  }
  EXPECT_LT(PsfLargestError(EncodePsfStereo(stereo.data(), 3000, 0), stereo.data(), 3000, 0, true), 600);
}

TEST(SoundSources, FaultsNameTheFileAndLine) {
  struct Case {
    const char* samples;
    const char* banks;
    const char* fault;
  };
  const Case cases[] = {
      {"sample A buzz 100 1 22050\n", "", "samples.txt line 1: unknown kind \"buzz\""},
      {"\nsample A tone 100 x 22050\n", "", "samples.txt line 2: pitch, duration or rate"},
      {"sample A tone 100 1 4000\n", "", "samples.txt line 1: pitch, duration or rate"},
      {"sample A tone 100 1 22050\nsample A tone 200 1 22050\n", "", "samples.txt line 2: sample \"A\" made twice"},
      {"sample A tone 100 1 22050\n", "entry A 1 0 1\n", "banks.txt line 1: cannot read"},
      {"sample A tone 100 1 22050\n", "bank X.sbk\nevent 1\nentry B 1 0 1\n", "banks.txt line 3: no line of samples.txt makes \"B\""},
      {"sample A tone 100 1 22050\n", "bank X.sbk\nevent 70000\n", "banks.txt line 2: event id out of range"},
      {"sample A tone 100 1 22050\n", "cache C.sch\nholds Y.sbk\n", "banks.txt line 2: no bank \"Y.sbk\" above"},
  };
  for (const Case& c : cases) {
    SoundSources sources;
    std::string error;
    EXPECT_FALSE(ReadSoundSources(c.samples, c.banks, &sources, &error));
    EXPECT_EQ(error.compare(0, std::strlen(c.fault), c.fault), 0) << error;
  }
}

// The repository's sources: every sample its own pitch; every bank's samples
// in the caches that hold it; the files made read back; each in the manifest
// of the catalog it belongs to.
TEST(MakeSounds, TheDemoSoundsAreMadeWholeFromTheRepositorysSources) {
  SoundSources sources;
  std::string error;
  ASSERT_TRUE(ReadSoundSources(ReadText(MAKE_SOUNDS_SOURCES "/samples.txt"), ReadText(MAKE_SOUNDS_SOURCES "/banks.txt"),
                               &sources, &error))
      << error;
  std::set<float> pitches;
  for (const SampleRecipe& r : sources.samples) EXPECT_TRUE(pitches.insert(r.pitch).second) << r.name;
  for (const char* name : {"OBJ_M1_1A.wav", "OBJ_M1_1C.wav", "OBJ_M1_1D.wav", "OBJ_M1_2A.wav", "OBJ_M1_3A.wav",
                           "OBJ_M1_4A.wav", "CS_M01_S01.psf", "CS_M01_S02.psf"}) {
    const SampleRecipe* r = sources.FindSample(name);
    ASSERT_NE(r, nullptr) << name;
    EXPECT_EQ(r->kind, "speech");
  }
  std::vector<MadeSoundFile> files;
  ASSERT_TRUE(MakeSoundFiles(sources, &files, &error)) << error;
  std::string manifests;
  for (const char* m : {"/../catalogs/frontend.txt", "/../catalogs/mission1.txt", "/../catalogs/demo.txt",
                        "/../catalogs/mp_mission1.txt"})
    manifests += ReadText(std::string(MAKE_SOUNDS_SOURCES) + m);
  for (const MadeSoundFile& f : files) {
    EXPECT_NE(manifests.find("sound/" + f.name + " "), std::string::npos) << f.name << " is in no manifest";
    if (f.name.size() < 4 || f.name.substr(f.name.size() - 4) != ".sch") continue;
    CSoundCache cache;
    ASSERT_TRUE(cache.LoadFromMemory(f.bytes.data(), f.bytes.size(), f.name.c_str())) << f.name;
    for (const SoundCacheSource& c : sources.caches) {
      if (c.file != f.name) continue;
      for (const std::string& sample : sources.CacheSamples(c))
        EXPECT_TRUE(cache.HasSample(SampleHandleOf(sample.c_str()))) << f.name << ": " << sample;
    }
  }
  // The catalogs that carry the levels' sound: the front end's cache and the
  // mission's, the mission bank with the mission.
  EXPECT_NE(ReadText(std::string(MAKE_SOUNDS_SOURCES) + "/../catalogs/frontend.txt").find("sound/FrontEnd.sch"),
            std::string::npos);
  EXPECT_NE(ReadText(std::string(MAKE_SOUNDS_SOURCES) + "/../catalogs/mission1.txt").find("sound/Mission1.sbk"),
            std::string::npos);
}

}  // namespace
