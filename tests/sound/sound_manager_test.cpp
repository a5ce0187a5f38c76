// The sound manager end to end: bank event -> manager -> DirectSound stand-in
// -> OpenAL Soft's loopback device -> the mixed samples, read back and
// measured: which sample plays (by its pitch), where and how loud.
#include "sound/sound_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "foundation/maths/random15.h"
#include "foundation/maths/random_tables.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "psf_encoder.h"
#include "sound/sound_effects_hooks.h"
#include "sound/sound_fixture.h"
#include "world/effects/effects_hooks.h"
#include "sound/wave_source_imus.h"
#include "sound/wave_source_psf_stream.h"
#include "world/environment/env_text_cursor.h"

namespace {

using sound_test::CacheBytes;
using sound_test::DecodeAll;
using sound_test::kFrameSamples;
using sound_test::OneEntryBank;
using sound_test::ToneSample;

class SoundManagerTest : public sound_test::SoundTest {
 protected:
  // The cache's banks, by name.
  const CSoundBank* Bank(const char* name) { return manager_.LoadBank(name, 1); }
  bool Playing(int channel) const { return manager_.GetChannel(channel).Has(SCF_PLAYING); }
};

// The level of a 0.6-amplitude tone sample (its fundamental) in the mix.
constexpr double kToneLevel = 0.6 * 26000.0 / 32768.0;

// --- start-up ---------------------------------------------------------------------

TEST_F(SoundManagerTest, TheDeviceDecidesTheChannelsAndTooFewBuffersFailTheStart) {
  struct Case {
    int limit;
    bool inCaps;
    bool starts;
    int channels;
  };
  // 10 buffers: the 11th channel cannot be made.  15 reported: 15 channels,
  // 5 ordinary.  Fewer than 15 reported: 16 asked, and a 16th that cannot
  // be made leaves the 15 made.  No limit: the stand-in's 64.
  for (const Case& c : {Case{10, true, false, 0}, Case{15, true, true, 15}, Case{15, false, true, 15},
                        Case{-1, true, true, 64}}) {
    SCOPED_TRACE(c.limit);
    DSound8TestLimitBuffers(c.limit, c.inCaps);
    CSoundManager m;
    EXPECT_EQ(m.Initialise(nullptr, 32, true), c.starts);
    EXPECT_EQ(m.IsActive(), c.starts);
    EXPECT_EQ(m.ChannelCount(), c.channels);
    if (c.starts) {
      EXPECT_EQ(m.OrdinaryChannelCount(), c.channels - 10);
    }
  }
  DSound8TestLimitBuffers(-1, true);
}

TEST_F(SoundManagerTest, BuffersHaveTheFormatsAndControlsOfTheirChannels) {
  DSound8TestRecordCalls(true);
  ASSERT_TRUE(Start({}, true));
  const std::vector<DSound8Call> format = DSound8TestCallsNamed("SetFormat");
  ASSERT_EQ(format.size(), 1u);
  EXPECT_EQ(format[0].args, (std::vector<double>{2, 44100, 16, 4, 176400}));
  DSound8BufferState music, mono;
  ASSERT_TRUE(DSound8TestBufferState(manager_.GetChannel(0).buffer, &music));
  ASSERT_TRUE(DSound8TestBufferState(manager_.GetChannel(12).buffer, &mono));
  EXPECT_EQ(music.channels, 2);
  EXPECT_EQ(music.bytes, 352800u);
  EXPECT_EQ(music.flags, 0x100E0u);
  EXPECT_FALSE(music.has3D);
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.bytes, 176400u);
  EXPECT_EQ(mono.flags, 0x100A0u | 0x20010u);
  EXPECT_NE(manager_.GetChannel(12).buffer3D, nullptr);
  // The listener: distance, Doppler and rolloff factors 1.0, at once.
  for (const char* m : {"SetDistanceFactor", "SetDopplerFactor", "SetRolloffFactor"}) {
    const std::vector<DSound8Call> calls = DSound8TestCallsNamed(m);
    ASSERT_EQ(calls.size(), 1u) << m;
    EXPECT_EQ(calls[0].args, (std::vector<double>{1.0, DS3D_IMMEDIATE})) << m;
  }
  DSound8TestRecordCalls(false);
  // Without 3-D the mono channels have no 3-D interface and keep their pan.
  manager_.Free();
  ASSERT_TRUE(Start({}, false));
  ASSERT_TRUE(DSound8TestBufferState(manager_.GetChannel(12).buffer, &mono));
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.flags, 0x100E0u);
  EXPECT_EQ(manager_.GetChannel(12).buffer3D, nullptr);
}

// --- where and how loud ---------------------------------------------------------------

// An event to the listener's right is heard on the right; twice as far
// (beyond the minimum distance, range x 0.01) at half the level; beyond the
// maximum distance (range x 50, at most 20,000 units) not at all; with the
// listener turned round, on the left.  The sample is told by its pitch.
TEST_F(SoundManagerTest, APlacedEventIsHeardWhereItIsAndAsLoudAsItsDistanceSays) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Tone", 1000.0f, 2.0f), ToneSample("Other", 1500.0f, 2.0f)},
                               {OneEntryBank("Place.sbk", {{1, "Tone"}})})));
  const CSoundBank* bank = Bank("Place.sbk");
  ASSERT_NE(bank, nullptr);
  struct Case {
    float x;
    float frontZ;
  };
  auto measure = [&](Case c, double* left, double* right) {
    manager_.StopAllSounds();
    Listen(CVector3{0.0f, 0.0f, c.frontZ});
    const CVector3 at{c.x, 0.0f, 0.0f};
    ASSERT_GE(manager_.PlayEvent(bank, 1, &at, 1000.0f, 0), kFirstOrdinaryChannel);
    Frames(3);
    *left = Level(0, 1000.0, 2 * kFrameSamples);
    *right = Level(1, 1000.0, 2 * kFrameSamples);
    EXPECT_LT(Level(1, 1500.0, 2 * kFrameSamples), 0.01 * kToneLevel) << "only the event's own sample";
  };
  double l20, r20, l40, r40, lFar, rFar, lTurned, rTurned;
  measure({2000.0f, 1.0f}, &l20, &r20);
  measure({4000.0f, 1.0f}, &l40, &r40);
  measure({25000.0f, 1.0f}, &lFar, &rFar);
  measure({2000.0f, -1.0f}, &lTurned, &rTurned);
  // 20 m with a minimum distance of 10 m: half the level, on the right.
  EXPECT_NEAR(r20 / kToneLevel, 0.5, 0.03);
  EXPECT_LT(l20, 0.05 * r20);
  EXPECT_NEAR(r40 / r20, 0.5, 0.02) << "inverse distance";
  EXPECT_EQ(lFar + rFar, 0.0) << "250 m: beyond the 200 m maximum";
  EXPECT_NEAR(lTurned, r20, 0.02 * r20);
  EXPECT_LT(rTurned, 0.05 * lTurned);
}

// Without 3-D, a placed sound is attenuated and panned by the manager (its
// channels keep their pan control), and stopped beyond 100 x its range.
TEST_F(SoundManagerTest, Without3DAPlacedEventIsPannedAndStoppedFarAway) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Tone", 1000.0f, 2.0f)}, {OneEntryBank("Place.sbk", {{1, "Tone"}})}),
                    false));
  const CSoundBank* bank = Bank("Place.sbk");
  const CVector3 right{500.0f, 0.0f, 0.0f};
  const int c = manager_.PlayEvent(bank, 1, &right, 1000.0f, 0);
  ASSERT_GE(c, kFirstOrdinaryChannel);
  Frames(3);
  EXPECT_GT(Level(1, 1000.0, 2 * kFrameSamples), 3 * Level(0, 1000.0, 2 * kFrameSamples));
  // Beyond 100 x the range: not started; moved there: stopped.
  const CVector3 far{0.0f, 0.0f, 100001.0f};
  EXPECT_EQ(manager_.PlayEvent(bank, 1, &far, 1000.0f, 0), -1);
  EXPECT_TRUE(Playing(c));
  Listen(CVector3{0.0f, 0.0f, 1.0f});
  manager_.SetListener(0, CVector3{0.0f, 0.0f, -100000.0f}, CVector3{0.0f, 0.0f, 1.0f}, CVector3{0.0f, 1.0f, 0.0f});
  Frame();
  EXPECT_FALSE(Playing(c));
}

// --- refill ---------------------------------------------------------------------------

// A five-second stereo stream on the two-second music buffer comes out as
// its decoded samples across every half refill, with nothing missing or
// repeated, then silence; the channel stops once its end has played.
TEST_F(SoundManagerTest, AStreamLongerThanTheBufferPlaysWholeThroughTheHalfRefills) {
  const std::size_t frames = 5 * 44100;
  std::vector<std::int16_t> pcm(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    // A sweep on the left and a steady tone on the right: every stretch differs.
    pcm[2 * i] = static_cast<std::int16_t>(12000 * std::sin(2 * 3.14159265 * (200.0 + 0.01 * i) * i / 44100.0));
    pcm[2 * i + 1] = static_cast<std::int16_t>(9000 * std::sin(2 * 3.14159265 * 733.0 * i / 44100.0));
  }
  const std::vector<std::uint8_t> blocks = EncodePsfStereo(pcm.data(), frames, 0);
  WriteFile("Long.psf", MakePsfStreamFile(blocks));
  ByteWriter w;
  WriteSoundCacheHeader(w);
  PsfStreamSample s;
  s.fileName = "Long.psf";
  s.blockBytes = static_cast<std::uint32_t>(blocks.size());
  WritePsfStreamChunk(w, kAllSampleSets, s);
  PatchSoundCacheLength(w);
  ASSERT_TRUE(Start(w.Data()));
  manager_.SetMusicVolume(1.0f);
  ASSERT_TRUE(manager_.MusicPlay(manager_.FindSample("Long.psf")));
  const std::vector<std::int16_t> expected = DecodeAll(blocks, true);
  ASSERT_EQ(expected.size(), 2 * frames);
  const int total = static_cast<int>((frames + 44100) / kFrameSamples);
  Frames(total);
  for (std::size_t i = 0; i < 2 * frames; ++i)
    ASSERT_NEAR(out_[i] * 32768.0f, expected[i], 1.0f) << "frame " << i / 2;
  for (std::size_t i = 2 * frames; i < out_.size(); ++i) ASSERT_EQ(out_[i], 0.0f) << "frame " << i / 2;
  EXPECT_FALSE(Playing(kMusicChannel));
}

// A sound that loops starts its source again at its end; one that does not
// is silent after its end and stops once the cursor has passed it, here
// where the buffer wraps round (a two-second sample ends at byte 0).
TEST_F(SoundManagerTest, LoopsRestartTheirSourceAndOneShotsStopAfterTheirEnd) {
  const PsfMemorySample loop = ToneSample("Loop", 880.0f, 0.5f, 44100);
  const PsfMemorySample once = ToneSample("Once", 660.0f, 2.0f, 44100);
  ASSERT_TRUE(Start(CacheBytes({loop, once}, {OneEntryBank("Shots.sbk", {{1, "Once"}})})));
  manager_.SetMusicVolume(1.0f);
  ASSERT_TRUE(manager_.MusicPlayLooping(manager_.FindSample("Loop")));
  Frames(120);  // 3.6 s: the half-second sample seven times over
  EXPECT_TRUE(Playing(kMusicChannel));
  const std::vector<std::int16_t> period = DecodeAll(loop.blocks, false);
  for (std::size_t i = 0; i < Mixed(); ++i) {
    // A mono sample on the stereo channel: both sides.
    ASSERT_NEAR(out_[2 * i] * 32768.0f, period[i % period.size()], 1.0f) << i;
    ASSERT_NEAR(out_[2 * i + 1] * 32768.0f, period[i % period.size()], 1.0f) << i;
  }
  manager_.StopMusic();
  out_.clear();
  const int c = manager_.PlayEvent(Bank("Shots.sbk"), 1, nullptr, 0.0f, 0);
  ASSERT_GE(c, kFirstOrdinaryChannel);
  const int endFrame = 2 * 44100 / kFrameSamples;  // the frame in which the sample ends
  Frames(endFrame);
  EXPECT_TRUE(Playing(c));
  EXPECT_GT(Level(0, 660.0, kFrameSamples), 0.1 * kToneLevel);
  Frames(3);
  EXPECT_FALSE(Playing(c)) << "stopped once the cursor wrapped past the end";
  EXPECT_EQ(audio_test::Rms(out_, 0, 2 * 44100 + 10, Mixed() - 2 * 44100 - 10), 0.0);
  EXPECT_TRUE(manager_.GetChannel(c).IsFree());
}

// One sample on two channels at once plays whole on each (each channel has
// a player of its own).
TEST_F(SoundManagerTest, OneSampleOnTwoChannelsPlaysWholeOnEach) {
  const PsfMemorySample beep = ToneSample("Beep", 1000.0f, 0.5f, 44100);
  ASSERT_TRUE(Start(CacheBytes({beep}, {OneEntryBank("B.sbk", {{1, "Beep"}})})));
  manager_.SetEffectsVolume(1.0f);
  const CSoundBank* bank = Bank("B.sbk");
  const int a = manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  Frames(5);
  const int b = manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  ASSERT_NE(a, b);
  // Each plays its 0.5 s: the first ends 5 frames before the second.
  const int framesOfSample = 22050 / kFrameSamples + 1;
  Frames(framesOfSample - 5 + 1);
  EXPECT_FALSE(Playing(a));
  EXPECT_TRUE(Playing(b));
  Frames(5);
  EXPECT_FALSE(Playing(b));
}

// An entry's pitch variation v plays its sample at a rate drawn between
// rate / (1 + v) and rate x (1 + v), kept within 8,000-44,100 Hz; for a
// sample whose rate lies outside that band the two bounds are taken in
// order, so the rate stays between them.
TEST_F(SoundManagerTest, PitchVariationDrawsTheRateWithinItsBand) {
  struct Case {
    int rate;
    float variation;
    double low, high;
  };
  const Case cases[] = {
      {22050, 0.25f, 17640.0, 27562.5},  // both bounds inside the band
      {40000, 0.25f, 32000.0, 44100.0},  // the upper bound clamped
      {6000, 0.25f, 7500.0, 8000.0},     // below 8,000 Hz: bounds reversed
      {60000, 0.1f, 44100.0, 54545.5},   // above 44,100 Hz: bounds reversed
      {22050, 0.0f, 22050.0, 22050.0},   // no variation: the sample's rate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    SCOPED_TRACE(c.variation);
    SoundBankSource bank;
    bank.name = "P.sbk";
    bank.events.push_back({1, {{"P", 1.0f, c.variation, 1.0f}}});
    ASSERT_TRUE(Start(CacheBytes({ToneSample("P", 500.0f, 0.5f, c.rate)}, {bank})));
    const CSoundBank* b = Bank("P.sbk");
    ASSERT_NE(b, nullptr);
    SeedRandomTables(7);
    double least = 1e9, most = 0.0;
    for (int i = 0; i < 60; ++i) {
      const int ch = manager_.PlayEvent(b, 1, nullptr, 0.0f, 0);
      ASSERT_GE(ch, 0);
      DSound8BufferState state;
      ASSERT_TRUE(DSound8TestBufferState(manager_.GetChannel(ch).buffer, &state));
      least = std::min(least, static_cast<double>(state.frequency));
      most = std::max(most, static_cast<double>(state.frequency));
      manager_.StopAllSounds();
    }
    EXPECT_GE(least, std::floor(c.low));
    EXPECT_LE(most, std::ceil(c.high));
    // The draws spread over the band rather than sitting at one end.
    EXPECT_GT(most - least, 0.5 * (c.high - c.low) - 1.0);
  }
}

// --- channels ---------------------------------------------------------------------------

// A second interface event replaces the first on the interface channel;
// with every ordinary channel busy, the next event plays nothing.
TEST_F(SoundManagerTest, TheInterfaceChannelTakesOneSoundAndFullChannelsTakeNone) {
  DSound8TestLimitBuffers(15, true);
  ASSERT_TRUE(Start(CacheBytes({ToneSample("First", 700.0f, 2.0f), ToneSample("Second", 1300.0f, 2.0f)},
                               {OneEntryBank("Ui.sbk", {{1, "First"}, {2, "Second"}})})));
  const CSoundBank* ui = Bank("Ui.sbk");
  EXPECT_EQ(manager_.PlayEventSingle(ui, 1), kInterfaceChannel);
  Frames(2);
  EXPECT_GT(Level(0, 700.0, kFrameSamples), 0.1 * kToneLevel);
  EXPECT_EQ(manager_.PlayEventSingle(ui, 2), kInterfaceChannel);
  Frames(3);
  EXPECT_GT(Level(0, 1300.0, kFrameSamples), 0.1 * kToneLevel);
  EXPECT_LT(Level(0, 700.0, kFrameSamples), 0.01 * kToneLevel) << "the first is gone";
  EXPECT_EQ(manager_.GetChannel(kInterfaceChannel).sample, SampleHandleOf("Second"));

  ASSERT_EQ(manager_.OrdinaryChannelCount(), 5);
  std::set<int> taken;
  for (int i = 0; i < 5; ++i) taken.insert(manager_.PlayEvent(ui, 1, nullptr, 0.0f, 0));
  EXPECT_EQ(taken, (std::set<int>{10, 11, 12, 13, 14}));
  EXPECT_EQ(manager_.PlayEvent(ui, 2, nullptr, 0.0f, 0), -1);
  // Events the bank has not got, and no bank, play nothing either.
  manager_.StopAllSounds();
  EXPECT_EQ(manager_.PlayEvent(ui, 3, nullptr, 0.0f, 0), -1);
  EXPECT_EQ(manager_.PlayEvent(nullptr, 1, nullptr, 0.0f, 0), -1);
  EXPECT_EQ(manager_.PlayEventSingle(nullptr, 1), -1);
}

// Tags: a caller's handle finds its sounds to stop them or ask after them,
// and a stream slot counts as playing its tags until its queue is done.
TEST_F(SoundManagerTest, TaggedSoundsAndStreams) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Line1", 300.0f, 0.3f), ToneSample("Line2", 350.0f, 0.3f)},
                               {OneEntryBank("Voice.sbk", {{1, "Line1"}, {2, "Line2"}})})));
  const CSoundBank* voice = Bank("Voice.sbk");
  const int c = manager_.PlayEvent(voice, 1, nullptr, 0.0f, 77);
  EXPECT_TRUE(manager_.IsSamplePlaying(77));
  EXPECT_FALSE(manager_.IsSamplePlaying(78));
  EXPECT_FALSE(manager_.IsSamplePlaying(0));
  manager_.StopSample(77);
  EXPECT_FALSE(Playing(c));
  EXPECT_FALSE(manager_.IsSamplePlaying(77));

  SoundStreamDescription d;
  d.count = 2;
  d.events[0] = SoundStreamEvent{voice, 1, false, {}, 1000.0f, 5};
  d.events[1] = SoundStreamEvent{voice, 2, false, {}, 1000.0f, 6};
  ASSERT_TRUE(manager_.StartStream(d));
  ASSERT_TRUE(manager_.StartStream(d));
  EXPECT_FALSE(manager_.StartStream(d)) << "two slots";
  EXPECT_TRUE(manager_.IsSamplePlaying(6));
  // The lines one after the other: the second starts when the first ends.
  std::vector<std::uint32_t> heard;
  for (int f = 0; f < 40; ++f) {
    Frame();
    for (int ch = kFirstOrdinaryChannel; ch < manager_.ChannelCount(); ++ch)
      if (Playing(ch) && (heard.empty() || heard.back() != manager_.GetChannel(ch).sample))
        heard.push_back(manager_.GetChannel(ch).sample);
  }
  EXPECT_NE(std::find(heard.begin(), heard.end(), SampleHandleOf("Line2")), heard.end());
  EXPECT_FALSE(manager_.IsSamplePlaying(6)) << "both streams done";
  EXPECT_TRUE(manager_.StartStream(d));
}

// --- loops and environment sounds ---------------------------------------------------------------

// Of 30 loops, the four best play: the two heard everywhere, then the two
// nearest; each is heard at its own pitch and no other is.  A stopped loop
// gives its channel to the next nearest.
TEST_F(SoundManagerTest, OfThirtyLoopsTheFourBestPlayEachAtItsOwnPitch) {
  std::vector<PsfMemorySample> samples;
  SoundBankSource bank;
  bank.name = "Loops.sbk";
  for (int i = 0; i < 30; ++i) {
    const std::string name = "L" + std::to_string(i);
    samples.push_back(ToneSample(name, 300.0f + 53.0f * i, 0.5f, 22050, 0.3f));
    bank.events.push_back({static_cast<std::uint16_t>(i), {{name, 1.0f, 0.0f, 1.0f}}});
  }
  ASSERT_TRUE(Start(CacheBytes(samples, {bank})));
  const CSoundBank* loops = Bank("Loops.sbk");
  std::uint32_t handles[30];
  for (int i = 0; i < 30; ++i) {
    // Loops 3 and 17 heard everywhere; the others placed, the nearer the
    // higher their number, loop 29 nearest.
    const CVector3 at{0.0f, 0.0f, 600.0f + 100.0f * (30 - i)};
    handles[i] = manager_.PlayLoopEvent(loops, i, (i == 3 || i == 17) ? nullptr : &at, 1000.0f);
    ASSERT_NE(handles[i], 0u) << i;
  }
  EXPECT_EQ(manager_.PlayLoopEvent(loops, 0, nullptr, 1000.0f), 0u) << "30 slots";
  Frames(4);
  // A playing loop comes out at about 0.3 x 0.6 of the tone level (its
  // amplitude, straight ahead of the listener); a neighbour 53 Hz away leaks
  // about a tenth of that into its measure.
  auto heard = [&](int i) { return Level(0, 300.0 + 53.0 * i, 2 * kFrameSamples) > 0.1 * kToneLevel; };
  std::set<int> playing;
  for (int i = 0; i < 30; ++i)
    if (heard(i)) playing.insert(i);
  EXPECT_EQ(playing, (std::set<int>{3, 17, 28, 29}));
  for (int k = 0; k < kLoopChannels; ++k) EXPECT_TRUE(Playing(kFirstLoopChannel + k));
  // Loop 29 stops: 27 comes in.
  manager_.StopLoop(&handles[29]);
  EXPECT_EQ(handles[29], 0u);
  Frames(4);
  playing.clear();
  for (int i = 0; i < 30; ++i)
    if (heard(i)) playing.insert(i);
  EXPECT_EQ(playing, (std::set<int>{3, 17, 27, 28}));
  // A loop moved out of reach (range x 50) gives way too.
  const CVector3 away{0.0f, 0.0f, 60000.0f};
  manager_.SetLoopPosition(handles[28], &away);
  Frames(4);
  playing.clear();
  for (int i = 0; i < 30; ++i)
    if (heard(i)) playing.insert(i);
  EXPECT_EQ(playing, (std::set<int>{3, 17, 26, 27}));
}

// An environment sound that has played waits min + rand mod (max - min) ms
// of game time before it plays again; with max not above min, min.
TEST_F(SoundManagerTest, EnvironmentSoundsPlayAgainAfterAPauseWithinTheirRange) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Drip", 900.0f, 0.09f), ToneSample("Tick", 1900.0f, 0.09f)})));
  const std::string text =
      "Drip\nsounds\\Drip.wav\ndripping\n0 0 0\n0 1000 1 1 1 300 900 1\n"
      "Tick\nsounds\\Tick.wav\nticking\n0 0 0\n0 1000 1 1 1 450 450 1\nENDENVS";
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  ASSERT_EQ(manager_.EnvironmentSoundCount(), 2);
  EXPECT_TRUE(boxes_.empty());
  // The game times at which each sound starts.
  std::vector<std::uint32_t> starts[2];
  bool was[2] = {false, false};
  for (int f = 0; f < 600; ++f) {
    Frame();
    bool now[2] = {false, false};
    for (int k = 0; k < kEnvironmentChannels; ++k) {
      const SoundChannel& ch = manager_.GetChannel(kFirstEnvironmentChannel + k);
      if (!ch.Has(SCF_PLAYING)) continue;
      now[ch.sample == SampleHandleOf("Tick") ? 1 : 0] = true;
    }
    for (int s = 0; s < 2; ++s) {
      if (now[s] && !was[s]) starts[s].push_back(clock_.GetGameTime());
      was[s] = now[s];
    }
  }
  // Each play lasts 90 ms (3 or 4 frames, the frame its end is seen in
  // included); the pause is counted from the frame that sees it finished.
  ASSERT_GE(starts[0].size(), 10u);
  std::set<std::uint32_t> gaps;
  for (std::size_t i = 1; i < starts[0].size(); ++i) {
    const std::uint32_t gap = starts[0][i] - starts[0][i - 1];
    EXPECT_GE(gap, 90u + 300u) << i;
    EXPECT_LE(gap, 150u + 900u + 30u) << i;
    gaps.insert(gap / 30);
  }
  EXPECT_GT(gaps.size(), 3u) << "the pauses are drawn, not fixed";
  ASSERT_GE(starts[1].size(), 10u);
  for (std::size_t i = 1; i < starts[1].size(); ++i) {
    const std::uint32_t gap = starts[1][i] - starts[1][i - 1];
    EXPECT_GE(gap, 90u + 450u);
    EXPECT_LE(gap, 150u + 450u + 30u);
  }
}

// Environment sounds: the four best of the enabled ones; a sound switched
// off stops; its level changes its volume; a sample not in the cache is
// reported when the section is read.
TEST_F(SoundManagerTest, EnvironmentSoundsAreChosenSwitchedAndReported) {
  std::vector<PsfMemorySample> samples;
  std::string text;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "E" + std::to_string(i);
    samples.push_back(ToneSample(name, 400.0f + 150.0f * i, 1.0f, 22050, 0.3f));
    // E0 heard everywhere; the others placed, E5 nearest; all looping.
    text += name + "\n" + name + ".wav\n-\n0 0 " + std::to_string(5000 - 800 * i) + "\n" + (i == 0 ? "0" : "1") +
            " 6000 1 1 1 0 0 1\n";
  }
  text += "Lost\nLost.wav\n-\n0 0 0\n0 1000 1 1 1 0 0 1\nENDENVS";
  ASSERT_TRUE(Start(CacheBytes(samples)));
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  EXPECT_TRUE(Shown("Failed to load environment sound Lost.wav"));
  Frames(4);
  auto heard = [&](int i) { return Level(0, 400.0 + 150.0 * i, 2 * kFrameSamples) > 0.02 * kToneLevel; };
  std::set<int> playing;
  for (int i = 0; i < 6; ++i)
    if (heard(i)) playing.insert(i);
  EXPECT_EQ(playing, (std::set<int>{0, 3, 4, 5}));
  manager_.SetEnvironmentSoundEnabled(5, 0);
  Frames(4);
  playing.clear();
  for (int i = 0; i < 6; ++i)
    if (heard(i)) playing.insert(i);
  EXPECT_EQ(playing, (std::set<int>{0, 2, 3, 4}));
  const double before = Level(0, 400.0, 2 * kFrameSamples);
  manager_.SetEnvironmentSoundLevel(0, 0.5f);
  Frames(4);
  EXPECT_NEAR(Level(0, 400.0, 2 * kFrameSamples) / before, 0.5, 0.03);
  // Paused, no environment sound is chosen.
  manager_.SetPaused(true);
  Frames(4);
  EXPECT_LT(audio_test::Rms(out_, 0, Mixed() - 2 * kFrameSamples, 2 * kFrameSamples), 1e-6);
}

// --- interactive music --------------------------------------------------------------------

// Sections of distinct pitches: the level (1 at first) chooses the first
// section; raising the intensity moves the music to a higher section when
// the playing one ends; the level falls by 0.1 a second and stays in
// 1.0 .. 4.9.
TEST_F(SoundManagerTest, InteractiveMusicFollowsTheIntensity) {
  const double pitches[4] = {0.0, 440.0, 660.0, 990.0};
  std::vector<IMusSection> sections(4);
  for (int k = 1; k < 4; ++k) {
    const std::size_t frames = 22050;  // half a second
    std::vector<std::int16_t> pcm(2 * frames);
    for (std::size_t i = 0; i < frames; ++i)
      pcm[2 * i] = pcm[2 * i + 1] = static_cast<std::int16_t>(12000 * std::sin(2 * 3.14159265 * pitches[k] * i / 44100.0));
    sections[static_cast<std::size_t>(k)].bytes.assign(reinterpret_cast<const std::uint8_t*>(pcm.data()),
                                                       reinterpret_cast<const std::uint8_t*>(pcm.data() + pcm.size()));
  }
  // From any section: level 1 -> section 1, level 2 -> 2, levels 3 and 4 -> 3.
  for (IMusSection& s : sections) {
    s.next[0] = 1;
    s.next[1] = 2;
    s.next[2] = s.next[3] = 3;
  }
  std::vector<std::uint32_t> offsets;
  WriteFile("Theme.imf", MakeIMusFile(sections, &offsets));
  ByteWriter w;
  WriteSoundCacheHeader(w);
  WriteIMusChunk(w, "Theme.imf", sections, offsets);
  PatchSoundCacheLength(w);
  ASSERT_TRUE(Start(w.Data()));
  ASSERT_TRUE(manager_.MusicPlayLooping(manager_.FindSample("Theme.imf")));
  Frames(30);
  EXPECT_GT(Level(0, 440.0, 2 * kFrameSamples), 0.2);
  EXPECT_LT(Level(0, 660.0, 2 * kFrameSamples), 0.01);
  // Level 2.6: the sections after the ones already in the buffer are 660 Hz.
  manager_.MusicIntensity().AddEvent(8);
  manager_.MusicIntensity().AddEvent(4);
  Frames(100);
  EXPECT_GT(Level(0, 660.0, 2 * kFrameSamples), 0.2);
  EXPECT_LT(Level(0, 440.0, 2 * kFrameSamples), 0.01);
  // 3 s later the level has fallen by 0.3 (at 30 ms a frame).
  EXPECT_NEAR(manager_.MusicIntensity().GetLevel(), 2.6f - 0.1f * 100 * 0.03f, 0.01f);
  for (int k = 0; k < CMusicIntensity::kKinds; ++k) manager_.MusicIntensity().AddEvent(k);
  Frames(1);
  EXPECT_LE(manager_.MusicIntensity().GetLevel(), 4.9f);
  Frames(100);
  EXPECT_GT(Level(0, 990.0, 2 * kFrameSamples), 0.2);
  for (int f = 0; f < 1500; ++f) {
    clock_.Update();
    manager_.MusicIntensity().Update(clock_.GetFrameTime());
  }
  EXPECT_FLOAT_EQ(manager_.MusicIntensity().GetLevel(), 1.0f);
}

// --- pause, time scale and suppression ------------------------------------------------------

TEST_F(SoundManagerTest, PauseSilencesOrdinaryChannelsAndResumesThem) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Long", 800.0f, 3.0f), ToneSample("Ui", 1200.0f, 3.0f)},
                               {OneEntryBank("P.sbk", {{1, "Long"}, {2, "Ui"}})})));
  const CSoundBank* bank = Bank("P.sbk");
  const int c = manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  manager_.PlayEventSingle(bank, 2);
  Frames(3);
  const double playing = Level(0, 800.0, 2 * kFrameSamples);
  EXPECT_GT(playing, 0.1 * kToneLevel);
  manager_.SetPaused(true);
  EXPECT_TRUE(manager_.GetChannel(c).Has(SCF_IN_USE)) << "held, not free";
  EXPECT_EQ(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 99), c + 1) << "a held channel is not taken";
  manager_.StopSample(99);
  Frames(3);
  EXPECT_LT(Level(0, 800.0, 2 * kFrameSamples), 0.001 * playing);
  EXPECT_GT(Level(0, 1200.0, 2 * kFrameSamples), 0.1 * kToneLevel) << "the interface channel plays on";
  manager_.SetPaused(false);
  Frames(3);
  EXPECT_NEAR(Level(0, 800.0, 2 * kFrameSamples), playing, 0.05 * playing);
  EXPECT_FALSE(manager_.GetChannel(c).Has(SCF_LOOPING)) << "a one-shot stays a one-shot";
}

// With the game clock's time scale at 0.5, a sound that follows game time
// plays at half its frequency; one started while the manager does not
// follow game time keeps its own.
TEST_F(SoundManagerTest, TheTimeScaleSlowsSoundsThatFollowGameTime) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Tone", 1000.0f, 2.0f)}, {OneEntryBank("T.sbk", {{1, "Tone"}})})));
  clock_.SetTimeScale(0.5f);
  const CSoundBank* bank = Bank("T.sbk");
  manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  Frames(3);
  EXPECT_GT(Level(0, 500.0, 2 * kFrameSamples), 0.1 * kToneLevel);
  EXPECT_LT(Level(0, 1000.0, 2 * kFrameSamples), 0.01 * kToneLevel);
  manager_.StopAllSounds();
  manager_.SetFollowsGameTime(0);
  manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  Frames(3);
  EXPECT_GT(Level(0, 1000.0, 2 * kFrameSamples), 0.1 * kToneLevel);
}

// The game's suppression refuses new sounds at once; a script's request is
// carried out by the next sound played, and a request to lift it by the
// next sound asked for.
TEST_F(SoundManagerTest, SuppressionFromTheGameAndFromAScript) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Tone", 1000.0f, 0.2f)}, {OneEntryBank("S.sbk", {{1, "Tone"}})})));
  const CSoundBank* bank = Bank("S.sbk");
  manager_.SetSuppressed(1, false);
  EXPECT_EQ(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0), -1);
  manager_.SetSuppressed(0, false);
  EXPECT_GE(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0), 0);
  manager_.SetSuppressed(1, true);
  EXPECT_FALSE(manager_.IsSuppressed()) << "only noted";
  EXPECT_GE(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0), 0) << "the sound that carries it out plays";
  EXPECT_TRUE(manager_.IsSuppressed());
  EXPECT_EQ(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0), -1);
  manager_.SetSuppressed(1, true);  // asks for what already holds: nothing noted
  manager_.SetSuppressed(0, true);
  EXPECT_GE(manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0), 0);
  EXPECT_FALSE(manager_.IsSuppressed());
}

// The level's end frees the samples and banks and leaves every channel free;
// an inactive manager plays nothing and logs what it was asked.
TEST_F(SoundManagerTest, LevelEndFreesEverythingAndAnInactiveManagerPlaysNothing) {
  ASSERT_TRUE(Start(CacheBytes({ToneSample("Tone", 1000.0f, 2.0f)}, {OneEntryBank("L.sbk", {{1, "Tone"}})})));
  WriteFile("File.sbk", MakeSoundBankFile(OneEntryBank("File.sbk", {{1, "Tone"}})));
  const CSoundBank* bank = manager_.LoadBank("File.sbk", 1);
  ASSERT_NE(bank, nullptr);
  const std::uint32_t loop = manager_.PlayLoopEvent(bank, 1, nullptr, 1000.0f);
  manager_.PlayEvent(bank, 1, nullptr, 0.0f, 0);
  Frames(2);
  manager_.ReleaseLevel();
  EXPECT_EQ(manager_.Cache().SampleCount(), 0);
  for (int c = 0; c < manager_.ChannelCount(); ++c) EXPECT_TRUE(manager_.GetChannel(c).IsFree()) << c;
  Frames(2);
  EXPECT_EQ(audio_test::Rms(out_, 0, Mixed() - kFrameSamples, kFrameSamples), 0.0);
  EXPECT_NE(loop, 0u);

  CSoundManager idle;
  idle.SetPlayLog(true);
  CSoundBank empty;
  const CVector3 at{1.0f, 2.0f, 3.0f};
  EXPECT_EQ(idle.PlayEvent(&empty, 4, &at, 300.0f, 9), -1);
  ASSERT_EQ(idle.PlayLog().size(), 1u);
  EXPECT_EQ(idle.PlayLog()[0].event, 4);
  EXPECT_TRUE(idle.PlayLog()[0].positional);
  EXPECT_EQ(idle.PlayLog()[0].tag, 9u);
  EXPECT_EQ(idle.NextEmitterId(), 1u);
  EXPECT_EQ(idle.NextEmitterId(), 2u);
}

}  // namespace

namespace {

// The world's effects reach the manager through their hooks: the world pause
// pauses the world's sounds, a breakable switches environment sounds.
TEST_F(SoundManagerTest, TheWorldsEffectsReachTheManagerThroughTheirHooks) {
  ASSERT_TRUE(Start({}));
  const std::string text = "Drip\nDrip.wav\n-\n0 0 0\n0 1000 1 1 1 0 0 1\nENDENVS";
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  ConnectSoundToEffects(&manager_);
  ASSERT_NE(g_EffectsHooks.SetSoundPaused, nullptr);
  g_EffectsHooks.SetSoundPaused(true);
  EXPECT_TRUE(manager_.IsPaused());
  g_EffectsHooks.SetSoundPaused(false);
  EXPECT_FALSE(manager_.IsPaused());
  g_EffectsHooks.SetEnvironmentSound(0, false);
  EXPECT_EQ(manager_.GetEnvironmentSound(0)->enabled, 0);
  ConnectSoundToEffects(nullptr);
  EXPECT_EQ(g_EffectsHooks.SetSoundPaused, nullptr);
  EXPECT_EQ(g_EffectsHooks.SetEnvironmentSound, nullptr);
}

}  // namespace
