// The wave sources: a PSF sample in memory, a stereo PSF stream read from
// its file in pieces, and interactive music whose next section the
// intensity level chooses.
#include <gtest/gtest.h>

#include "psf_encoder.h"
#include "sound/music_intensity.h"
#include "sound/sound_cache.h"
#include "sound/sound_chunk_reader.h"
#include "sound/sound_fixture.h"
#include "sound/wave_source_imus.h"
#include "sound/wave_source_psf.h"
#include "sound/wave_source_psf_stream.h"

namespace {

using sound_test::DecodeAll;
using sound_test::ToneSample;

class WaveSourceTest : public sound_test::SoundTest {};

// The cache of one chunk, loaded, and its one source.
struct OneSource {
  CSoundCache cache;
  WaveDataSource* source = nullptr;
};

void LoadOne(const ByteWriter& chunk, OneSource* out) {
  ByteWriter w;
  WriteSoundCacheHeader(w);
  w.Bytes(chunk.Data().data(), chunk.Size());
  PatchSoundCacheLength(w);
  ASSERT_TRUE(out->cache.LoadFromMemory(w.Data().data(), w.Size(), "one.sch"));
  ASSERT_EQ(out->cache.SampleCount(), 1);
}

// A stereo stream of `frames` frames: the left channel a tone, the right
// another.
std::vector<std::int16_t> StereoTones(std::size_t frames) {
  std::vector<std::int16_t> pcm(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    pcm[2 * i] = static_cast<std::int16_t>(9000 * std::sin(2 * 3.14159265 * 440 * i / 44100.0));
    pcm[2 * i + 1] = static_cast<std::int16_t>(7000 * std::sin(2 * 3.14159265 * 660 * i / 44100.0));
  }
  return pcm;
}

TEST_F(WaveSourceTest, MemorySampleYieldsItsPcmSizeThenSilence) {
  const PsfMemorySample sample = ToneSample("Beep", 1000.0f, 0.05f);
  ByteWriter chunk;
  WritePsfMemoryChunk(chunk, kAllSampleSets, sample);
  OneSource one;
  LoadOne(chunk, &one);
  std::unique_ptr<WaveDataSource> player = one.cache.GetSource(SampleHandleOf("Beep"))->NewPlayer();
  ASSERT_TRUE(player->Start());
  const std::uint32_t size = player->GetPcmSize();
  EXPECT_EQ(size, sample.blocks.size() * 60 / 16);
  EXPECT_EQ(player->GetSampleRate(), 22050u);
  std::vector<std::int16_t> out(size / 2 + 100, 7);
  // In two calls, the second running past the end.
  ASSERT_TRUE(player->Decode(out.data(), 600));
  EXPECT_EQ(player->GetPcmSize(), size - 600);
  ASSERT_TRUE(player->Decode(out.data() + 300, size - 600 + 200));
  EXPECT_EQ(player->GetPcmSize(), 0u);
  const std::vector<std::int16_t> expected = DecodeAll(sample.blocks, false);
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(out[i], expected[i]) << i;
  for (std::size_t i = expected.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
  // Two players of one sample do not disturb each other.
  std::unique_ptr<WaveDataSource> a = one.cache.GetSource(SampleHandleOf("Beep"))->NewPlayer();
  std::unique_ptr<WaveDataSource> b = one.cache.GetSource(SampleHandleOf("Beep"))->NewPlayer();
  ASSERT_TRUE(a->Start() && b->Start());
  std::vector<std::int16_t> x(60), y(60);
  ASSERT_TRUE(a->Decode(x.data(), 120) && a->Decode(x.data(), 120));
  ASSERT_TRUE(b->Decode(y.data(), 120));
  EXPECT_EQ(y[0], expected[0]);
  EXPECT_EQ(x[0], expected[60]);
}

// A stream decodes in pieces of at most 176,400 PCM bytes, left and right
// from their own blocks; a file shorter than its description fails the
// decode; a missing file fails the start.
TEST_F(WaveSourceTest, StreamReadsItsFileInPiecesAndFailsOnAShortRead) {
  const std::size_t frames = 3 * 44100 + 1234;  // more than two pieces
  const std::vector<std::int16_t> pcm = StereoTones(frames);
  const std::vector<std::uint8_t> blocks = EncodePsfStereo(pcm.data(), frames, 0);
  WriteFile("speech.psf", MakePsfStreamFile(blocks));
  PsfStreamSample s;
  s.fileName = "speech.psf";
  s.blockBytes = static_cast<std::uint32_t>(blocks.size());
  ByteWriter chunk;
  WritePsfStreamChunk(chunk, kAllSampleSets, s);
  OneSource one;
  LoadOne(chunk, &one);
  std::unique_ptr<WaveDataSource> player = one.cache.GetSource(SampleHandleOf("speech.psf"))->NewPlayer();
  EXPECT_EQ(player->GetChannels(), 2);
  ASSERT_TRUE(player->Start());
  const std::uint32_t size = player->GetPcmSize();
  EXPECT_EQ(size, blocks.size() * 60 / 16);
  std::vector<std::int16_t> out(size / 2);
  ASSERT_TRUE(player->Decode(out.data(), size));
  EXPECT_EQ(player->GetPcmSize(), 0u);
  const std::vector<std::int16_t> expected = DecodeAll(blocks, true);
  ASSERT_EQ(out.size(), expected.size());
  for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], expected[i]) << i;
  // Started again, it reads from the beginning.
  ASSERT_TRUE(player->Start());
  ASSERT_TRUE(player->Decode(out.data(), 240));
  EXPECT_EQ(out[0], expected[0]);

  // The file cut short: the decode that needs the missing bytes fails.
  std::vector<std::uint8_t> cut = MakePsfStreamFile(blocks);
  cut.resize(cut.size() / 2);
  WriteFile("speech.psf", cut);
  std::unique_ptr<WaveDataSource> shortPlayer = one.cache.GetSource(SampleHandleOf("speech.psf"))->NewPlayer();
  ASSERT_TRUE(shortPlayer->Start());
  EXPECT_FALSE(shortPlayer->Decode(out.data(), size));
  std::filesystem::remove(folder_ / "speech.psf");
  std::unique_ptr<WaveDataSource> gone = one.cache.GetSource(SampleHandleOf("speech.psf"))->NewPlayer();
  EXPECT_FALSE(gone->Start());
}

// Interactive music: section 0 leads to section 1 at level 1 and to 2 at
// levels 2 and up; section 1 (raw PCM) and 2 (PSF) lead back to themselves.
// A section number outside the table stops the music.
TEST_F(WaveSourceTest, MusicPlaysTheSectionItsLevelChooses) {
  std::vector<IMusSection> sections(4);
  sections[0].next[0] = 1;
  sections[0].next[1] = sections[0].next[2] = sections[0].next[3] = 2;
  std::vector<std::int16_t> raw = StereoTones(100);
  sections[1].bytes.assign(reinterpret_cast<const std::uint8_t*>(raw.data()),
                           reinterpret_cast<const std::uint8_t*>(raw.data() + raw.size()));
  for (std::uint32_t& n : sections[1].next) n = 1;
  const std::vector<std::int16_t> tones = StereoTones(300);
  sections[2].raw = false;
  sections[2].bytes = EncodePsfStereo(tones.data(), 300, 0);
  for (std::uint32_t& n : sections[2].next) n = 2;
  sections[3].next[0] = 9;  // no such section
  std::vector<std::uint32_t> offsets;
  WriteFile("theme.imf", MakeIMusFile(sections, &offsets));
  ByteWriter chunk;
  WriteIMusChunk(chunk, "theme.imf", sections, offsets);
  OneSource one;
  LoadOne(chunk, &one);
  CMusicIntensity intensity;
  auto* music = static_cast<CWaveDataSourceIMus*>(one.cache.GetSource(SampleHandleOf("theme.imf")));
  music->SetIntensity(&intensity);

  struct Case {
    float level;
    std::uint32_t section;
    std::uint32_t pcm;
  };
  for (const Case& c : {Case{1.0f, 1, 400}, Case{2.5f, 2, static_cast<std::uint32_t>(sections[2].bytes.size() * 60 / 16)},
                        Case{4.9f, 2, static_cast<std::uint32_t>(sections[2].bytes.size() * 60 / 16)}}) {
    SCOPED_TRACE(c.level);
    intensity.SetLevel(c.level);
    auto player = std::unique_ptr<CWaveDataSourceIMus>(static_cast<CWaveDataSourceIMus*>(music->NewPlayer().release()));
    ASSERT_TRUE(player->Start());
    EXPECT_EQ(player->GetCurrentSection(), c.section);
    EXPECT_EQ(player->GetPcmSize(), c.pcm);
    std::vector<std::int16_t> out(c.pcm / 2);
    ASSERT_TRUE(player->Decode(out.data(), c.pcm));
    if (c.section == 1) {
      EXPECT_EQ(out[7], raw[7]);
    } else {
      EXPECT_EQ(out, DecodeAll(sections[2].bytes, true));
    }
  }
  // Damaged tables: a next section outside the table stops the music.
  std::vector<IMusSection> broken(1);
  broken[0].next[0] = 5;
  WriteFile("broken.imf", MakeIMusFile(broken, &offsets));
  ByteWriter bad;
  WriteIMusChunk(bad, "broken.imf", broken, offsets);
  OneSource other;
  LoadOne(bad, &other);
  intensity.SetLevel(1.0f);
  auto stuck = other.cache.GetSource(SampleHandleOf("broken.imf"))->NewPlayer();
  EXPECT_FALSE(stuck->Start());
  // A music file that is not there: the message, and no playback.
  std::filesystem::remove(folder_ / "theme.imf");
  auto lost = music->NewPlayer();
  EXPECT_FALSE(lost->Start());
  EXPECT_TRUE(Shown("I-Music file theme.imf not found!"));
}

TEST(MusicIntensity, EventsSetPresetsAndTheLevelFallsByATenthASecond) {
  CMusicIntensity m;
  EXPECT_FLOAT_EQ(m.GetLevel(), 1.0f);
  // Two events of one kind in a frame leave the kind at its preset.
  m.AddEvent(8);
  m.AddEvent(8);
  EXPECT_FLOAT_EQ(m.GetContribution(8), 1.1f);
  m.AddEvent(4);
  m.Update(0.0f);
  EXPECT_FLOAT_EQ(m.GetLevel(), 1.0f + 1.6f);
  // Ten seconds fall by 1.0, the shares kept (1.1 : 0.5).
  for (int i = 0; i < 100; ++i) m.Update(0.1f);
  EXPECT_NEAR(m.GetLevel(), 1.6f, 1e-4);
  EXPECT_NEAR(m.GetContribution(8) / m.GetContribution(4), 2.2f, 1e-4);
  // Never below 1.0, never above 4.9.
  for (int i = 0; i < 100; ++i) m.Update(0.1f);
  EXPECT_FLOAT_EQ(m.GetLevel(), 1.0f);
  for (int k = 0; k < CMusicIntensity::kKinds; ++k) m.AddEvent(k);
  m.Update(0.0f);
  EXPECT_FLOAT_EQ(m.GetLevel(), 4.9f);
  // Locked, the meter stands still; kinds outside 0..9 are ignored.
  m.SetLocked(true);
  m.Update(10.0f);
  EXPECT_FLOAT_EQ(m.GetLevel(), 4.9f);
  m.SetLocked(false);
  m.Reset();
  m.AddEvent(-1);
  m.AddEvent(10);
  m.Update(0.0f);
  EXPECT_FLOAT_EQ(m.GetLevel(), 1.0f);
}

}  // namespace
