// Sound banks: the ".sbk" file and the cache form, the event look-up and the
// weighted pick.
#include "sound/sound_bank.h"

#include <gtest/gtest.h>

#include "foundation/maths/random15.h"
#include "foundation/text/hash.h"
#include "sound/sound_cache.h"
#include "sound/sound_fixture.h"

namespace {

class SoundBankTest : public sound_test::SoundTest {};

SoundBankSource TwoEvents() {
  SoundBankSource b;
  b.name = "Test.sbk";
  b.events.push_back({100, {{"Low", 0.5f, 0.0f, 1.0f}}});
  b.events.push_back({300, {{"High", 1.0f, 0.25f, 0.5f}, {"Low", 0.8f, 0.0f, 1.5f}}});
  return b;
}

TEST_F(SoundBankTest, BankFileAndCacheFormReadBackAsWritten) {
  const std::vector<std::uint8_t> file = MakeSoundBankFile(TwoEvents());
  CSoundBank bank;
  CInformationBank info;
  ASSERT_TRUE(bank.LoadFromBytes(file.data(), file.size(), &info));
  EXPECT_EQ(bank.EventCount, 2u);
  EXPECT_EQ(bank.LowestEventId, 100);
  EXPECT_EQ(bank.HighestEventId, 300);
  const CSoundEvent* e = bank.FindEvent(300);
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->entries.size(), 2u);
  EXPECT_EQ(e->entries[0].sampleKey, SampleHandleOf("High"));
  EXPECT_EQ(e->entries[0].pitchVariation, 0.25f);
  EXPECT_EQ(e->entries[1].weight, 1.5f);
  ASSERT_EQ(info.entries.size(), 2u);
  EXPECT_STREQ(info.Find(SampleHandleOf("Low")), "Low");

  // The cache form of the same bank.
  std::vector<std::uint8_t> cache = sound_test::CacheBytes({}, {TwoEvents()});
  CSoundCache c;
  ASSERT_TRUE(c.LoadFromMemory(cache.data(), cache.size(), "bank.sch"));
  ASSERT_NE(c.Banks(), nullptr);
  EXPECT_EQ(c.Banks()->NameHash, HashStringElf("Test.sbk"));
  EXPECT_EQ(c.Banks()->HighestEventId, 300);
  ASSERT_NE(c.Banks()->FindEvent(100), nullptr);
  EXPECT_EQ(c.Banks()->FindEvent(100)->entries[0].volume, 0.5f);
}

// The version word must be 16; a file cut short anywhere is refused.
TEST_F(SoundBankTest, OtherVersionsAndShortFilesAreRefused) {
  std::vector<std::uint8_t> file = MakeSoundBankFile(TwoEvents());
  for (std::uint16_t version : {15, 17, 0, 0xFFFF}) {
    std::vector<std::uint8_t> v = file;
    v[0] = static_cast<std::uint8_t>(version);
    v[1] = static_cast<std::uint8_t>(version >> 8);
    CSoundBank bank;
    CInformationBank info;
    EXPECT_FALSE(bank.LoadFromBytes(v.data(), v.size(), &info)) << version;
  }
  for (std::size_t cut = 0; cut < file.size(); ++cut) {
    CSoundBank bank;
    CInformationBank info;
    EXPECT_FALSE(bank.LoadFromBytes(file.data(), cut, &info)) << cut;
  }
}

// An id outside lowest..highest, or not among the ids, answers nothing; an
// event of no entries plays nothing (rather than an entry it has not got).
TEST_F(SoundBankTest, LookUpsOutsideTheBankOrOfEmptyEventsAnswerNothing) {
  SoundBankSource source = TwoEvents();
  source.events.push_back({200, {}});
  const std::vector<std::uint8_t> file = MakeSoundBankFile(source);
  CSoundBank bank;
  CInformationBank info;
  ASSERT_TRUE(bank.LoadFromBytes(file.data(), file.size(), &info));
  for (int id : {-1, 0, 99, 150, 301, 65535, 70000}) EXPECT_EQ(bank.FindEntry(id), nullptr) << id;
  EXPECT_NE(bank.FindEvent(200), nullptr);
  EXPECT_EQ(bank.FindEntry(200), nullptr);
  EXPECT_NE(bank.FindEntry(100), nullptr);
}

// Weights 0.5 and 1.5 pick the second entry three times as often, over
// 100,000 seeded draws of the engine's generator.
TEST_F(SoundBankTest, WeightsSetHowOftenEachEntryIsPicked) {
  const std::vector<std::uint8_t> file = MakeSoundBankFile(TwoEvents());
  CSoundBank bank;
  CInformationBank info;
  ASSERT_TRUE(bank.LoadFromBytes(file.data(), file.size(), &info));
  const CSoundEvent* e = bank.FindEvent(300);
  SRand15(12345);
  int counts[2] = {0, 0};
  for (int i = 0; i < 100000; ++i) counts[CSoundBank::PickEntry(*e) - e->entries.data()]++;
  EXPECT_NEAR(static_cast<double>(counts[1]) / counts[0], 3.0, 0.1);
  // Weights that run out before the draw give the first entry.
  CSoundEvent light;
  light.entries = {SoundEventEntry{1, 1.0f, 0.0f, 0.1f}, SoundEventEntry{2, 1.0f, 0.0f, 0.1f}};
  int first = 0;
  for (int i = 0; i < 1000; ++i) first += CSoundBank::PickEntry(light) == &light.entries[0];
  EXPECT_GT(first, 900);
}

// Loading a bank by name: the same name twice is one bank; a missing file is
// no bank; a bank whose samples are not in the cache warns for each.
TEST_F(SoundBankTest, TheManagerLoadsABankOnceAndWarnsOfMissingSamples) {
  WriteFile("Test.sbk", MakeSoundBankFile(TwoEvents()));
  ASSERT_TRUE(Start(sound_test::CacheBytes({sound_test::ToneSample("Low", 500.0f, 0.1f)})));
  CSoundBank* bank = manager_.LoadBank("Test.sbk", 1);
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(manager_.LoadBank("Test.sbk", 0), bank);
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_TRUE(Shown("Failed to find \"High\""));
  EXPECT_EQ(manager_.LoadBank("Missing.sbk", 1), nullptr);
  EXPECT_EQ(manager_.LoadBank("", 1), nullptr);
  EXPECT_EQ(manager_.LoadBank(nullptr, 1), nullptr);
  // A bank chunk of the cache answers for its name.
  std::vector<std::uint8_t> cache = sound_test::CacheBytes({}, {sound_test::OneEntryBank("Chunk.sbk", {{1, "Low"}})});
  ASSERT_TRUE(manager_.Cache().LoadFromMemory(cache.data(), cache.size(), "more.sch"));
  EXPECT_EQ(manager_.LoadBank("Chunk.sbk", 1), manager_.Cache().Banks());
}

}  // namespace
