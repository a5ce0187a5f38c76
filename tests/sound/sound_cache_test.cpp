// The sound cache file: its chunks make wave sources and banks; damaged
// files fail quietly or, when a chunk cannot be read, end the program
// through the exit hook with the corrupt-file warning.
#include "sound/sound_cache.h"

#include <gtest/gtest.h>

#include <random>

#include "foundation/files/buffered_file.h"
#include "foundation/text/hash.h"
#include "sound/sound_bank.h"
#include "sound/sound_chunk_reader.h"
#include "sound/sound_fixture.h"
#include "sound/wave_source_imus.h"
#include "sound/wave_source_psf_stream.h"

namespace {

using sound_test::CacheBytes;
using sound_test::ToneSample;

class SoundCacheTest : public sound_test::SoundTest {};

// A cache of every chunk kind: two samples in memory (one of set 7), a
// streamed sample, interactive music and a bank.
std::vector<std::uint8_t> EveryKind() {
  ByteWriter w;
  WriteSoundCacheHeader(w);
  WritePsfMemoryChunk(w, kAllSampleSets, ToneSample("Beep", 1000.0f, 0.1f));
  WritePsfMemoryChunk(w, 7, ToneSample("Other", 1500.0f, 0.1f));
  PsfStreamSample stream;
  stream.fileName = "music.psf";
  stream.blockBytes = 64;
  WritePsfStreamChunk(w, 0, stream);
  std::vector<IMusSection> sections(2);
  std::vector<std::uint32_t> offsets = {16, 40};
  WriteIMusChunk(w, "theme.imf", sections, offsets);
  WriteSoundBankChunk(w, sound_test::OneEntryBank("Cached.sbk", {{5, "Beep"}}));
  PatchSoundCacheLength(w);
  return w.Data();
}

TEST_F(SoundCacheTest, ChunksOfTheCurrentSetBecomeSourcesAndBanks) {
  const std::vector<std::uint8_t> bytes = EveryKind();
  CSoundCache cache;
  ASSERT_TRUE(cache.LoadFromMemory(bytes.data(), bytes.size(), "all.sch"));
  EXPECT_EQ(cache.SampleCount(), 3) << "Beep, music.psf and theme.imf; Other is of set 7";
  EXPECT_NE(cache.FindSample("Beep"), 0u);
  EXPECT_NE(cache.FindSample("music.psf"), 0u);
  EXPECT_NE(cache.FindSample("theme.imf"), 0u);
  EXPECT_EQ(cache.FindSample("Beep"), SampleHandleOf("Beep"));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(cache.FindSample("Other"), 0u);
  EXPECT_TRUE(Shown("Sample \"Other\" is not in the sound cache!"));
  EXPECT_EQ(cache.FindSample(""), 0u);
  ASSERT_NE(cache.Banks(), nullptr);
  EXPECT_EQ(cache.FindBank(HashStringElf("Cached.sbk")), cache.Banks());
  EXPECT_NE(cache.Banks()->FindEntry(5), nullptr);
  // Set 7 takes Other and passes over the streamed sample of set 0.
  CSoundCache seven;
  seven.SetSampleSet(7);
  ASSERT_TRUE(seven.LoadFromMemory(bytes.data(), bytes.size(), "all.sch"));
  EXPECT_TRUE(seven.HasSample(SampleHandleOf("Other")));
  EXPECT_FALSE(seven.HasSample(SampleHandleOf("music.psf")));
  EXPECT_TRUE(exits_.empty());
}

// The file through the engine's file layer: a length of 0 loads nothing and
// succeeds; a missing file, a wrong magic and an unknown tag fail quietly.
TEST_F(SoundCacheTest, LoadingFromAFileAndItsQuietFailures) {
  WriteFile("all.sch", EveryKind());
  WriteFile("empty.sch", {0x53, 0x43, 0x48, 0x00, 0, 0, 0, 0});
  WriteFile("magic.sch", {0x53, 0x43, 0x48, 0x01, 0, 0, 0, 0});
  std::vector<std::uint8_t> unknown = CacheBytes({ToneSample("Beep", 1000.0f, 0.1f)});
  ByteWriter tail;
  tail.Tag("WHAT");
  tail.U32(0);
  unknown.insert(unknown.end(), tail.Data().begin(), tail.Data().end());
  unknown[4] = static_cast<std::uint8_t>(unknown[4] + 8);
  WriteFile("unknown.sch", unknown);
  CSoundCache cache;
  EXPECT_TRUE(cache.Load("all.sch"));
  EXPECT_EQ(cache.SampleCount(), 3);
  CSoundCache other;
  EXPECT_TRUE(other.Load("empty.sch"));
  EXPECT_EQ(other.SampleCount(), 0);
  EXPECT_TRUE(other.Load(""));
  EXPECT_FALSE(other.Load("missing.sch"));
  EXPECT_FALSE(other.Load("magic.sch"));
  EXPECT_FALSE(other.Load("unknown.sch"));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(exits_.empty());
  EXPECT_FALSE(GetBufferedFile()->open) << "every load closes its file";
}

// Cut at every byte: a cut inside a chunk header reads as the end ("EOF");
// a cut inside a chunk's body makes the file corrupt: the warning and the
// program's end; a chunk of another sample set is passed over unread, so a
// cut inside it is only the end.  Nothing is read past the bytes, nothing
// crashes.
TEST_F(SoundCacheTest, ACacheCutShortEndsOrIsCorruptButNeverReadsPastItsBytes) {
  const std::vector<std::uint8_t> bytes = EveryKind();
  // The chunk boundaries: where a header starts.
  std::vector<std::size_t> headers;
  for (std::size_t at = 8; at + 8 <= bytes.size();) {
    headers.push_back(at);
    at += 8 + (bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | static_cast<std::size_t>(bytes[at + 7]) << 24);
  }
  ASSERT_EQ(headers.size(), 5u);
  for (std::size_t cut = 8; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    exits_.clear();
    boxes_.clear();
    // The length word still claims the whole file: the bytes run out first.
    std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    CSoundCache cache;
    const bool ok = cache.LoadFromMemory(part.data(), part.size(), "cut.sch");
    bool atHeader = false;
    for (std::size_t h : headers) atHeader = atHeader || (cut >= h && cut < h + 8);
    const bool insideOtherSet = cut >= headers[1] + 12 && cut < headers[2];
    if (atHeader || insideOtherSet) {
      EXPECT_TRUE(ok);
      EXPECT_TRUE(exits_.empty());
    } else {
      EXPECT_FALSE(ok);
      ASSERT_EQ(exits_.size(), 1u);
      EXPECT_TRUE(Shown(" Cache file \"cut.sch\" seems to be corrupt.\n  It has been iradicated."));
    }
  }
}

// A chunk that claims more than the file's length has left is corrupt (it
// would otherwise run the count of what is left round past zero).
TEST_F(SoundCacheTest, AChunkLargerThanTheLengthLeftIsCorrupt) {
  std::vector<std::uint8_t> bytes = CacheBytes({ToneSample("Beep", 1000.0f, 0.1f)});
  bytes[12] = static_cast<std::uint8_t>(bytes[12] + 1);  // the chunk's size one more than there is
  CSoundCache cache;
  EXPECT_FALSE(cache.LoadFromMemory(bytes.data(), bytes.size(), "big.sch"));
  EXPECT_EQ(exits_.size(), 1u);
  // The header's length 0 loads nothing, however many bytes follow.
  bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0;
  exits_.clear();
  EXPECT_TRUE(cache.LoadFromMemory(bytes.data(), bytes.size(), "zero.sch"));
  EXPECT_TRUE(exits_.empty());
}

// Damaged bodies: a PSF size that is not the chunk's, a rate out of range, a
// bank that claims more events than its chunk holds.
TEST_F(SoundCacheTest, DamagedChunkBodiesAreCorrupt) {
  struct Case {
    const char* what;
    std::size_t offset;  // of the byte changed, from the body's start
    std::uint8_t value;
  };
  // PFSM body: set (4), format (1), length (1), "Beep" (4), rate (4), size (4).
  const Case cases[] = {{"size", 14, 0x01}, {"rate", 10, 0x00}, {"rate high", 13, 0x7F}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    exits_.clear();
    std::vector<std::uint8_t> bytes = CacheBytes({ToneSample("Beep", 1000.0f, 0.1f)});
    if (c.offset == 10) bytes[16 + 10] = bytes[16 + 11] = bytes[16 + 12] = bytes[16 + 13] = 0;
    else bytes[16 + c.offset] = c.value;
    CSoundCache cache;
    EXPECT_FALSE(cache.LoadFromMemory(bytes.data(), bytes.size(), "bad.sch"));
    EXPECT_EQ(exits_.size(), 1u);
    EXPECT_EQ(cache.SampleCount(), 0);
  }
  ByteWriter w;
  WriteSoundCacheHeader(w);
  w.Tag("BANK");
  w.U32(12);
  w.U32(1);
  w.U16(0);
  w.U16(5);
  w.U32(0x7FFFFFFF);  // events the chunk cannot hold
  PatchSoundCacheLength(w);
  exits_.clear();
  CSoundCache cache;
  EXPECT_FALSE(cache.LoadFromMemory(w.Data().data(), w.Size(), "bank.sch"));
  EXPECT_EQ(exits_.size(), 1u);
}

// The sample tree stays balanced through every insertion, and finds every key.
TEST(SampleTree, RandomInsertionsStayBalancedAndAreFound) {
  CSampleTree tree;
  std::mt19937 random(42);
  std::vector<std::uint32_t> keys;
  for (int i = 0; i < 1000; ++i) {
    const std::uint32_t key = i % 50 == 0 && !keys.empty() ? keys[random() % keys.size()] : random();
    keys.push_back(key);
    tree.Insert(key, std::make_unique<CWaveDataSourceIMus>());
    ASSERT_TRUE(tree.IsBalancedAndOrdered()) << "after " << i + 1;
  }
  EXPECT_EQ(tree.Count(), 1000);
  // An AVL tree of 1000 nodes is at most 1.44 log2(1001) high.
  EXPECT_LE(tree.Height(), 14);
  for (std::uint32_t key : keys) EXPECT_NE(tree.Find(key), nullptr);
  // In order: every key of an ascending run still balanced.
  CSampleTree run;
  for (std::uint32_t k = 0; k < 300; ++k) run.Insert(k, std::make_unique<CWaveDataSourceIMus>());
  EXPECT_TRUE(run.IsBalancedAndOrdered());
  EXPECT_LE(run.Height(), 9);
  EXPECT_EQ(run.Find(300), nullptr);
}

}  // namespace
