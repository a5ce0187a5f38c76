// The sound slots of the script table, called through the table as a plug-in
// calls them, against the sound manager on the loopback device: the music
// channel's sample and the stall taken off both clocks, the interface bank's
// event as the music, the level's environment sounds switched and set by
// index, and events at a point.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/time/timer.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "platform/win32/clocks.h"
#include "platform/win32/debug_output.h"
#include "shell/script/script_function_table.h"
#include "sound/sound_bank.h"
#include "sound/sound_cache.h"
#include "sound/sound_manager.h"
#include "sound/wave_source_psf.h"
#include "world/engine.h"
#include "world/environment/env_text_cursor.h"

namespace {

// Half a second of a square wave in PSF blocks (filter 0, shift 0: each
// nibble is the sample's top four bits).
PsfMemorySample SquareSample(const std::string& name) {
  PsfMemorySample s;
  s.name = name;
  s.rate = 22050;
  for (int b = 0; b < 368; ++b) {
    s.blocks.push_back(0x00);
    const std::uint8_t nibble = (b & 1) ? 0x9 : 0x7;
    for (int i = 0; i < 15; ++i) s.blocks.push_back(static_cast<std::uint8_t>(nibble | (nibble << 4)));
  }
  return s;
}

class ScriptSoundSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDebugOutputHook([](const char* t, void* self) { static_cast<ScriptSoundSlotsTest*>(self)->debug_ += t; },
                       this);
    DSound8TestUseLoopback(true);
    ASSERT_TRUE(manager_.Initialise(nullptr, 0, true));
    ByteWriter w;
    WriteSoundCacheHeader(w);
    for (const char* name : {"Theme", "Jingle", "Shot", "Siren", "Hum"})
      WritePsfMemoryChunk(w, kAllSampleSets, SquareSample(name));
    SoundBankSource interface;
    interface.name = "Interface.sbk";
    interface.events.push_back({23, {{"Jingle", 1.0f, 0.0f, 1.0f}}});
    WriteSoundBankChunk(w, interface);
    SoundBankSource mission;
    mission.name = "Mission.sbk";
    mission.events.push_back({2069, {{"Shot", 1.0f, 0.0f, 1.0f}}});
    WriteSoundBankChunk(w, mission);
    PatchSoundCacheLength(w);
    ASSERT_TRUE(manager_.Cache().LoadFromMemory(w.Data().data(), w.Size(), "test.sch"));
    g_SoundManager = &manager_;
    game_.Reset();
    real_.Reset();
    g_GameClock = &game_;
    g_RealClock = &real_;
  }
  void TearDown() override {
    g_SoundManager = nullptr;
    g_GameClock = nullptr;
    g_RealClock = nullptr;
    manager_.Free();
    DSound8TestUseLoopback(false);
    SetDebugOutputHook(nullptr, nullptr);
  }
  static std::uint32_t StartOf(const CTimer& clock) {
    CTimer::State s;
    clock.SaveState(&s);
    return s.startTime;
  }

  const ScriptFunctionTable& t_ = g_ScriptFunctionTable;
  CSoundManager manager_;
  CTimer game_, real_;
  std::string debug_;
};

// A clock that moves on by a fixed step at every reading: every start of
// the music then seems to stall.
struct SteppingClock {
  LONGLONG now = 1'000'000'000'000LL;
  LONGLONG step = 0;
  static LONGLONG Read(void* self) {
    auto* c = static_cast<SteppingClock*>(self);
    c->now += c->step;
    return c->now;
  }
};

TEST_F(ScriptSoundSlotsTest, MusicPlayStartsTheSampleAndTakesItsStallOffBothClocks) {
  const ScriptSampleHandle theme = t_.SoundCacheLoad("Theme");
  ASSERT_NE(theme, 0u);
  struct Case {
    LONGLONG stepMs;
    bool capped;  // the stall is longer than the 5 s the clocks may lose
  };
  for (const Case& c : {Case{0, false}, Case{1500, false}, Case{7000, true}}) {
    SCOPED_TRACE(c.stepMs);
    SteppingClock clock;
    clock.step = c.stepMs * 1'000'000LL;
    SetFakeClock(&SteppingClock::Read, &clock);
    const std::uint32_t gameStart = StartOf(game_), realStart = StartOf(real_);
    debug_.clear();
    t_.MusicPlay(theme);
    SetFakeClock(nullptr, nullptr);
    EXPECT_TRUE(manager_.GetChannel(kMusicChannel).Has(SCF_PLAYING));
    EXPECT_EQ(manager_.GetChannel(kMusicChannel).sample, theme);
    // The stall printed; what both clocks lose of it.
    int lost = -1;
    const std::size_t at = debug_.find("Lost time = ");
    ASSERT_NE(at, std::string::npos) << debug_;
    ASSERT_EQ(std::sscanf(debug_.c_str() + at, "Lost time = %d\n", &lost), 1);
    EXPECT_GE(lost, c.stepMs);
    const std::uint32_t taken = c.capped ? 5000u : static_cast<std::uint32_t>(lost);
    EXPECT_EQ(StartOf(game_) - gameStart, taken);
    EXPECT_EQ(StartOf(real_) - realStart, taken);
  }
  // A handle the cache does not hold stops the music and starts nothing.
  t_.MusicPlay(12345);
  EXPECT_FALSE(manager_.GetChannel(kMusicChannel).Has(SCF_PLAYING));
}

TEST_F(ScriptSoundSlotsTest, TheInterfaceTrackIsAnEventOfTheInterfaceBankPlayedAsTheMusic) {
  manager_.SetPlayLog(true);
  t_.MusicPlayInterfaceTrack(23);
  ASSERT_EQ(manager_.PlayLog().size(), 1u);
  const SoundPlayRecord& r = manager_.PlayLog()[0];
  EXPECT_EQ(r.kind, SPK_MUSIC_EVENT);
  EXPECT_EQ(r.bank, manager_.LoadBank("Interface.sbk", 0));
  EXPECT_EQ(r.event, 23);
  EXPECT_EQ(r.answer, kMusicChannel);
  EXPECT_EQ(manager_.GetChannel(kMusicChannel).sample, SampleHandleOf("Jingle"));
  EXPECT_TRUE(manager_.GetChannel(kMusicChannel).Has(SCF_LOOPING));
}

TEST_F(ScriptSoundSlotsTest, EnvironmentSoundsAreSwitchedAndSetByTheirIndex) {
  const std::string text =
      "Siren\r\nsounds\\Siren.wav\r\nalarm\r\n0 0 0 \r\n0 1000 1 1 1 0 0 1\r\n"
      "Hum\r\nsounds\\Hum.wav\r\ngenerator\r\n0 0 0 \r\n0 1000 1 1 1 0 0 1\r\nENDENVS\r\n";
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  ASSERT_EQ(manager_.EnvironmentSoundCount(), 2);
  const EnvironmentSound& siren = *manager_.GetEnvironmentSound(0);
  const EnvironmentSound& hum = *manager_.GetEnvironmentSound(1);
  // Off, the level is not taken; on again, it is.
  t_.SoundChannelDisable(0);
  EXPECT_EQ(siren.enabled, 0);
  t_.SoundChannelSetParam(0, 0.05f);
  EXPECT_EQ(siren.level, 1.0f);
  t_.SoundChannelEnable(0);
  EXPECT_EQ(siren.enabled, 1);
  t_.SoundChannelSetParam(0, 0.05f);
  EXPECT_EQ(siren.level, 0.05f);
  EXPECT_EQ(hum.enabled, 1);
  EXPECT_EQ(hum.level, 1.0f);
  // Numbers outside the list touch nothing.
  for (int n : {-1, 2, 40, 1 << 30}) {
    t_.SoundChannelDisable(n);
    t_.SoundChannelSetParam(n, 0.5f);
  }
  EXPECT_EQ(siren.enabled + hum.enabled, 2);
  EXPECT_EQ(hum.level, 1.0f);
}

TEST_F(ScriptSoundSlotsTest, EventsAtAPointAreHeardTo1000Units) {
  ScriptSoundBank* bank = t_.SoundLoadBank("Mission.sbk");
  ASSERT_NE(bank, nullptr);
  manager_.SetPlayLog(true);
  const ScriptVec3 at{300.0f, 0.0f, 400.0f};
  t_.SoundPlayAtWithValue(&at, 2069, bank);
  t_.SoundPlayAt(&at, 2069);
  t_.SoundPlayAtWithValue(nullptr, 2069, bank);
  t_.SoundPlayAt(nullptr, 2069);
  // The two with a point are logged; the bank's plays on an ordinary channel
  // placed there, the one without a bank has no entry to play.
  ASSERT_EQ(manager_.PlayLog().size(), 2u);
  const SoundPlayRecord& played = manager_.PlayLog()[0];
  EXPECT_EQ(played.bank, reinterpret_cast<const CSoundBank*>(bank));
  EXPECT_EQ(played.event, 2069);
  EXPECT_TRUE(played.positional);
  EXPECT_EQ(played.position.x, 300.0f);
  EXPECT_EQ(played.position.z, 400.0f);
  EXPECT_EQ(played.range, 1000.0f);
  ASSERT_GE(played.answer, kFirstOrdinaryChannel);
  EXPECT_EQ(manager_.GetChannel(played.answer).sample, SampleHandleOf("Shot"));
  EXPECT_TRUE(manager_.GetChannel(played.answer).Has(SCF_POSITIONAL));
  const SoundPlayRecord& unbanked = manager_.PlayLog()[1];
  EXPECT_EQ(unbanked.bank, nullptr);
  EXPECT_EQ(unbanked.answer, -1);
}

}  // namespace
