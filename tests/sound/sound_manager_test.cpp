// The sound manager's event play on channels and the world pause.
#include "sound/sound_manager.h"

#include <gtest/gtest.h>

namespace {

CSoundBank Bank() {
  CSoundBank bank;
  bank.Events = {{4, 5, 6}, {}, {9}};
  return bank;
}

TEST(SoundManager, AnEventPlaysOneOfItsEntriesOnAFreeChannel) {
  CSoundManager sound;
  const CSoundBank bank = Bank();
  const CVector3 at{1, 2, 3};
  const int a = sound.PlayEvent(&bank, 0, &at, 7, 0);
  ASSERT_GE(a, kReservedSoundChannels) << "the front end's channels are left alone";
  const SoundChannel* ch = sound.GetChannel(a);
  EXPECT_TRUE(ch->InUse);
  EXPECT_TRUE(ch->Playing);
  EXPECT_TRUE(ch->Sample == 4 || ch->Sample == 5 || ch->Sample == 6);
  EXPECT_TRUE(ch->Placed);
  EXPECT_EQ(ch->Position.y, 2.0f);
  EXPECT_EQ(ch->Argument, 7);
  const int b = sound.PlayEvent(&bank, 2, nullptr, 0, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(sound.GetChannel(b)->Sample, 9);
  EXPECT_FALSE(sound.GetChannel(b)->Placed);
}

TEST(SoundManager, NothingPlaysForAMissingBankOrEventOrWithSoundOff) {
  CSoundManager sound;
  const CSoundBank bank = Bank();
  EXPECT_EQ(sound.PlayEvent(nullptr, 0, nullptr, 0, 0), -1);
  EXPECT_EQ(sound.PlayEvent(&bank, 1, nullptr, 0, 0), -1) << "an event without entries";
  EXPECT_EQ(sound.PlayEvent(&bank, 3, nullptr, 0, 0), -1);
  EXPECT_EQ(sound.PlayEvent(&bank, -1, nullptr, 0, 0), -1);
  sound.SetSoundOn(false);
  EXPECT_EQ(sound.PlayEvent(&bank, 0, nullptr, 0, 0), -1);
  sound.SetSoundOn(true);
  // Every channel busy: the next play is refused; a freed one is taken again.
  int last = -1;
  for (int c = kReservedSoundChannels; c < kSoundChannels; ++c) last = sound.PlayEvent(&bank, 0, nullptr, 0, 0);
  EXPECT_EQ(last, kSoundChannels - 1);
  EXPECT_EQ(sound.PlayEvent(&bank, 0, nullptr, 0, 0), -1);
  sound.StopChannel(12);
  EXPECT_EQ(sound.PlayEvent(&bank, 0, nullptr, 0, 0), 12);
}

TEST(SoundManager, PauseStopsTheWorldsChannelsAndResumeLoopsThem) {
  CSoundManager sound;
  const CSoundBank bank = Bank();
  const int a = sound.PlayEvent(&bank, 0, nullptr, 0, 0);
  const int b = sound.PlayEvent(&bank, 2, nullptr, 0, 0);
  sound.SetPaused(true);
  EXPECT_TRUE(sound.IsPaused());
  EXPECT_FALSE(sound.GetChannel(a)->Playing);
  EXPECT_FALSE(sound.GetChannel(b)->Playing);
  EXPECT_TRUE(sound.GetChannel(a)->InUse);
  // Asking again for the state it is in changes nothing.
  sound.SetPaused(true);
  EXPECT_FALSE(sound.GetChannel(a)->Looping);
  sound.SetPaused(false);
  EXPECT_FALSE(sound.IsPaused());
  EXPECT_TRUE(sound.GetChannel(a)->Playing);
  EXPECT_TRUE(sound.GetChannel(a)->Looping);
  EXPECT_FALSE(sound.GetChannel(20)->Playing) << "a free channel is not started";
  sound.SetPaused(false);
  EXPECT_TRUE(sound.GetChannel(b)->Playing);
}

}  // namespace
