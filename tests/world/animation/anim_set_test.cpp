#include "world/animation/anim_set.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/files/load_file.h"
#include "foundation/text/hash.h"
#include "world/animation/anim_fixture.h"
#include "world/animation/prs_writer.h"

namespace {

void ExpectSameKey(const Pose& a, const Pose& b) {
  EXPECT_EQ(std::memcmp(&a.translation, &b.translation, sizeof a.translation), 0);
  EXPECT_EQ(std::memcmp(&a.scale, &b.scale, sizeof a.scale), 0);
  EXPECT_EQ(std::memcmp(&a.rotation, &b.rotation, sizeof a.rotation), 0);
}

// Everything a set holds apart from its name, list link and origin.
void ExpectSameSet(const AnimSet& a, const AnimSet& b) {
  EXPECT_EQ(a.HeaderValue, b.HeaderValue);
  EXPECT_EQ(a.TrackCount, b.TrackCount);
  EXPECT_EQ(a.KeyCount, b.KeyCount);
  EXPECT_EQ(a.FrameRate, b.FrameRate);
  EXPECT_EQ(a.EventTimeUnit, b.EventTimeUnit);
  ASSERT_EQ(a.Tracks.size(), b.Tracks.size());
  for (std::size_t t = 0; t < a.Tracks.size(); ++t) {
    EXPECT_EQ(a.Tracks[t].FrameRate, b.Tracks[t].FrameRate);
    ASSERT_EQ(a.Tracks[t].Keys.size(), b.Tracks[t].Keys.size());
    for (std::size_t k = 0; k < a.Tracks[t].Keys.size(); ++k) ExpectSameKey(a.Tracks[t].Keys[k], b.Tracks[t].Keys[k]);
  }
  ASSERT_EQ(a.Bounds.size(), b.Bounds.size());
  for (std::size_t i = 0; i < a.Bounds.size(); ++i) {
    EXPECT_EQ(std::memcmp(&a.Bounds[i].Box, &b.Bounds[i].Box, sizeof(EnvBounds)), 0);
    EXPECT_EQ(a.Bounds[i].Sphere.Radius, b.Bounds[i].Sphere.Radius);
    EXPECT_EQ(a.Bounds[i].Sphere.Centre.y, b.Bounds[i].Sphere.Centre.y);
  }
  ASSERT_EQ(a.Events.size(), b.Events.size());
  for (std::size_t i = 0; i < a.Events.size(); ++i) {
    EXPECT_EQ(a.Events[i].Type, b.Events[i].Type);
    EXPECT_EQ(a.Events[i].Time, b.Events[i].Time);
    EXPECT_EQ(a.Events[i].Position.x, b.Events[i].Position.x);
    EXPECT_EQ(a.Events[i].Position.z, b.Events[i].Position.z);
  }
}

std::string FixtureText(int tracks, int keys, int rate, int bounds) {
  AnimSet set;
  anim_fixture::Fill(&set, tracks, keys, rate, bounds);
  return WritePrsText(set, PrsTrackNames{{"BIP01", "BIP01 PELVIS"}, {"ROOT", "BIP01"}});
}

const char* const kHandText =
    "Version, 3\n"
    "Tracks 2\n"
    "BoundsData { Count 1 BoundsInfo {\n"
    "  F 0  Min 10 20 30  -10 -20 -30  X 1  C 1 2 3  R 40\n"
    "} }\n"
    "Track { Name \"Root Bone\" Parent ROOT Keys 2 Rate 15 PRSInfo {\n"
    "  P 1 2 3 U 9 9 9 S 1 1 1 Q 0 0 0 1\n"
    "  P 4 5 6 U 9 9 9 S 2 2 2 Q 0 1 0 0\n"
    "} }\n"
    "Track { Name Child Parent \"Root Bone\" Keys 3 Rate 30 PRSInfo {\n"
    "  P 0 0 0 U 0 0 0 S 1 1 1 Q 0 0 0 1\n"
    "  P 0 0 1 U 0 0 0 S 1 1 1 Q 0 0 0 1\n"
    "  P 0 0 2 U 0 0 0 S 1 1 1 Q 0 0 0 1\n"
    "} }\n";

TEST(AnimSetText, ParsesHeaderBoundsAndTracks) {
  AnimSet set;
  ASSERT_EQ(set.ParseText(kHandText), 1);
  EXPECT_EQ(set.HeaderValue, 3);
  EXPECT_EQ(set.TrackCount, 2);
  EXPECT_EQ(set.KeyCount, 3);      // the longest track
  EXPECT_EQ(set.FrameRate, 15.0f);  // track 0's
  ASSERT_EQ(set.BoundsCount(), 1);
  const AnimBounds& b = set.Bounds[0];
  EXPECT_EQ(b.Box.Min.x, -10.0f);
  EXPECT_EQ(b.Box.Max.z, 30.0f);
  EXPECT_EQ(b.Sphere.Centre.y, 2.0f);
  EXPECT_EQ(b.Sphere.Radius, 40.0f);
  ASSERT_EQ(set.Tracks[0].KeyCount(), 2);
  const Pose& k = set.Tracks[0].Keys[1];
  EXPECT_EQ(k.translation.y, 5.0f);
  EXPECT_EQ(k.unused[0], 0.0f);  // the three middle values are not kept
  EXPECT_EQ(k.scale.z, 2.0f);
  EXPECT_EQ(k.rotation.y, 1.0f);
  EXPECT_EQ(k.rotation.w, 0.0f);
  EXPECT_EQ(set.Tracks[1].Keys[2].translation.z, 2.0f);
  EXPECT_EQ(set.Tracks[1].FrameRate, 30);
}

TEST(AnimSetText, WriterTextReadsBackToTheSameSet) {
  AnimSet source, read;
  anim_fixture::Fill(&source, 5, 7, 24, 3);
  ASSERT_EQ(read.ParseText(WritePrsText(source, {}).c_str()), 1);
  ExpectSameSet(source, read);
}

TEST(AnimSetText, EmptySetAndTrackWithoutKeyBlock) {
  AnimSet empty;
  ASSERT_EQ(empty.ParseText("Version 1 Tracks 0"), 1);
  EXPECT_EQ(empty.TrackCount, 0);
  EXPECT_EQ(empty.KeyCount, 1);
  EXPECT_EQ(empty.FrameRate, 2.0f);

  // The first track has no "PRSInfo": it keeps no keys, the second still loads.
  AnimSet set;
  ASSERT_EQ(set.ParseText("V 1 T 2 BoundsData { N 0 BoundsInfo { } }\n"
                          "Track { Name A Parent ROOT K 2 R 10 Other { 1 2 } }\n"
                          "Track { Name B Parent A K 1 R 10 PRSInfo { P 1 1 1 U 0 0 0 S 1 1 1 Q 0 0 0 1 } }\n"),
            1);
  EXPECT_EQ(set.Tracks[0].KeyCount(), 0);
  EXPECT_EQ(set.Tracks[1].KeyCount(), 1);
  EXPECT_EQ(set.FrameRate, 10.0f);
}

TEST(AnimSetText, DamagedTextIsRefusedAndTheSetKept) {
  const std::string good = FixtureText(2, 3, 30, 1);
  struct Case {
    const char* what;
    std::string text;
  };
  std::vector<Case> cases = {
      {"no BoundsData", "V 1 T 1 Bounds { N 0 BoundsInfo { } }"},
      {"no BoundsInfo", "V 1 T 1 BoundsData { N 0 Info { } }"},
      {"bounds not closed", "V 1 T 1 BoundsData { N 0 BoundsInfo { }"},
      {"negative track count", "V 1 T -1"},
      {"negative bounds count", "V 1 T 1 BoundsData { N -2 BoundsInfo { } }"},
      {"bounds count beyond the text", "V 1 T 1 BoundsData { N 100000000 BoundsInfo { } }"},
      {"track count beyond the text", "V 1 T 4000 BoundsData { N 0 BoundsInfo { } } Track {"},
      {"key count beyond the text",
       "V 1 T 1 BoundsData { N 0 BoundsInfo { } } Track { Name A Parent B K 99999 R 1 PRSInfo { } }"},
      {"negative key count",
       "V 1 T 1 BoundsData { N 0 BoundsInfo { } } Track { Name A Parent B K -1 R 1 PRSInfo { } }"},
      {"not a number", "V 1 T 1 BoundsData { N 0 BoundsInfo { } } Track { Name A Parent B K x R 1 PRSInfo { } }"},
      {"no Name", "V 1 T 1 BoundsData { N 0 BoundsInfo { } } Track { Nom A Parent B K 0 R 1 PRSInfo { } } }"},
      {"not a finite number",
       "V 1 T 1 BoundsData { N 0 BoundsInfo { } } Track { Name A Parent B K 1 R 1 PRSInfo { P nan 0 0 U 0 0 0 S 1 "
       "1 1 Q 0 0 0 1 } }"},
      {"empty", ""},
  };
  // Every cut of a good file short of its end loses a value or a brace.
  for (std::size_t cut : {good.size() / 5, good.size() / 2, good.size() - 8})
    cases.push_back({"cut", good.substr(0, cut)});
  for (const Case& c : cases) {
    AnimSet set;
    anim_fixture::Fill(&set, 1, 2, 5);
    EXPECT_EQ(set.ParseText(c.text.c_str()), 0) << c.what;
    // The set keeps what it held.
    EXPECT_EQ(set.TrackCount, 1) << c.what;
    EXPECT_EQ(set.HeaderValue, 7) << c.what;
    EXPECT_EQ(set.Tracks[0].KeyCount(), 2) << c.what;
  }
}

TEST(AnimSetEvents, ReadsTypesWritesAndReadsBack) {
  AnimSet set;
  ASSERT_TRUE(set.ParseExtraData("1\r\n0\r\n3\r\n0 2.5 \r\n1 4 10 -20 30.5 \r\n0 6\r\n"));
  EXPECT_EQ(set.EventTimeUnit, 0);
  ASSERT_EQ(set.EventCount(), 3);
  EXPECT_EQ(set.Events[0].Type, 0);
  EXPECT_EQ(set.Events[0].Time, 2.5f);
  EXPECT_EQ(set.Events[1].Position.y, -20.0f);
  EXPECT_EQ(set.Events[1].Position.z, 30.5f);
  EXPECT_EQ(set.Events[2].Time, 6.0f);  // type 0 carries no position: the next number is the next event

  const std::string text = set.ExtraDataText();
  EXPECT_EQ(text.substr(0, 9), "1\r\n0\r\n3\r\n");
  EXPECT_NE(text.find("1 4.000000 10.000000 -20.000000 30.500000 \r\n"), std::string::npos);
  AnimSet back;
  ASSERT_TRUE(back.ParseExtraData(text.c_str()));
  ExpectSameSet(set, back);

  // Damaged: the events and unit stay as they were.
  for (const char* bad : {"1 0 2 0 1", "1 0 1 1 2 3", "1 0 -1", "1 0 900000", "1 x 0", ""}) {
    EXPECT_FALSE(set.ParseExtraData(bad)) << bad;
    EXPECT_EQ(set.EventCount(), 3);
    EXPECT_EQ(set.EventTimeUnit, 0);
  }
}

TEST(AnimSetCache, CacheReadsBackIntoTheSameSetAndHasTheFileLayout) {
  AnimSet source;
  ASSERT_EQ(source.ParseText(FixtureText(2, 4, 30, 2).c_str()), 1);
  ASSERT_TRUE(source.ParseExtraData("1 1 2 0 0.5 1 1.25 1 2 3"));
  const std::vector<std::uint8_t> bytes = source.CacheBytes();
  // Header, 2 bounds, 2 events, 2 offsets, 2 tracks of 4 keys.
  ASSERT_EQ(bytes.size(), 32u + 2 * 160 + 2 * 40 + 2 * 4 + 2 * (12 + 4 * 52));
  ByteReader header(bytes.data(), bytes.size());
  EXPECT_EQ(header.I32(), source.HeaderValue);
  EXPECT_EQ(header.I32(), 2);  // tracks
  EXPECT_EQ(header.I32(), 2);  // bounds
  EXPECT_EQ(header.I32(), 2);  // events
  EXPECT_EQ(header.I32(), 4);  // keys
  EXPECT_EQ(header.I32(), 1);  // time unit
  header.Seek(32 + 320 + 80);
  EXPECT_EQ(header.U32(), 32u + 320 + 80 + 8);
  EXPECT_EQ(header.U32(), 32u + 320 + 80 + 8 + 12 + 4 * 52);
  EXPECT_EQ(header.I32(), 4);
  EXPECT_EQ(header.I32(), 30);
  EXPECT_EQ(header.U32(), 0xFFFFFFFFu);

  AnimSet back;
  ByteReader in(bytes.data(), bytes.size());
  ASSERT_TRUE(back.ReadCache(in));
  EXPECT_TRUE(back.FromCache);
  ExpectSameSet(source, back);
}

TEST(AnimSetCache, DamagedCacheIsRefusedAndTheSetUnchanged) {
  AnimSet source;
  anim_fixture::Fill(&source, 3, 5, 20, 1);
  source.Events.push_back(AnimEvent{1, 0.5f, nullptr, CVector3{1, 2, 3}});
  const std::vector<std::uint8_t> good = source.CacheBytes();
  auto with = [&](std::size_t offset, std::uint32_t value) {
    std::vector<std::uint8_t> b = good;
    for (int i = 0; i < 4; ++i) b[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  const std::size_t offsets = 32 + 160 + 40;
  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
      {"negative track count", with(4, 0xFFFFFFFFu)},
      {"huge bounds count", with(8, 0x7FFFFFFFu)},
      {"events beyond the data", with(12, 50)},
      {"key count 0", with(16, 0)},
      {"key count not the largest", with(16, 4)},
      {"track offset into the header", with(offsets, 8)},
      {"track offset past the end", with(offsets + 4, static_cast<std::uint32_t>(good.size()))},
      {"track keys past the end", with(offsets + 12, 1000)},
      {"negative track keys", with(offsets + 12, 0x80000000u)},
  };
  for (std::size_t cut = 0; cut < good.size(); cut += 7)
    cases.push_back({"cut", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))});
  for (const auto& [what, bytes] : cases) {
    AnimSet set;
    anim_fixture::Fill(&set, 1, 2, 9);
    ByteReader in(bytes.data(), bytes.size());
    EXPECT_FALSE(set.ReadCache(in)) << what << " " << bytes.size();
    EXPECT_EQ(set.TrackCount, 1) << what;
    EXPECT_EQ(set.FrameRate, 9.0f) << what;
  }
}

class AnimSetFiles : public FileTest {};

TEST_F(AnimSetFiles, LoadWritesTheCacheWhichLaterRunsRead) {
  Start();
  AnimSet source;
  anim_fixture::Fill(&source, 2, 6, 12, 1);
  Write("data/characters/anims/walk.prs", WritePrsText(source, {}));
  Write("data/characters/anims/walk.aed", "1\r\n1\r\n1\r\n0 0.25 \r\n");

  AnimSet fromText;
  ASSERT_EQ(fromText.Load("data\\characters\\anims\\walk.prs"), 1);
  EXPECT_FALSE(fromText.FromCache);
  EXPECT_EQ(fromText.NameHash, HashName("walk.prs"));
  ASSERT_EQ(fromText.EventCount(), 1);
  const std::string cache = Read("data/characters/anims/walk.prb");
  ASSERT_FALSE(cache.empty());

  // With 'r' the cache is read; change the text to prove it is not used.
  Write("data/characters/anims/walk.prs", "damaged");
  SetCommandSwitch('r');
  AnimSet fromCache;
  ASSERT_EQ(fromCache.Load("data\\characters\\anims\\walk.prs"), 1);
  EXPECT_TRUE(fromCache.FromCache);
  ExpectSameSet(fromText, fromCache);
  EXPECT_EQ(fromCache.BytesUsed, kAnimSetRecordBytes + static_cast<int>(cache.size()));

  // A damaged cache falls back to the text (here damaged too: the load fails).
  Write("data/characters/anims/walk.prb", "junk");
  AnimSet neither;
  EXPECT_EQ(neither.Load("data\\characters\\anims\\walk.prs"), 0);
}

TEST_F(AnimSetFiles, SwitchQWritesNoCacheAndMissingEventsAreNoError) {
  Start("q");
  Write("anims/idle.prs", FixtureText(1, 2, 10, 0));
  AnimSet set;
  ASSERT_EQ(set.Load("anims\\idle.prs"), 1);
  EXPECT_EQ(set.EventCount(), 0);
  EXPECT_TRUE(Read("data/characters/anims/idle.prb").empty());
  EXPECT_EQ(set.Load("anims\\missing.prs"), 0);
}

TEST_F(AnimSetFiles, ManagerLoadsOnceByFileNameAndKeepsItsTotal) {
  Start("q");
  Write("a/run.prs", FixtureText(2, 3, 30, 0));
  Write("b/run.prs", FixtureText(1, 1, 30, 0));
  Write("a/crouch.prs", FixtureText(2, 2, 15, 0));
  Write("a/bad.prs", "Version 1 Tracks 2 Nothing");
  CAnimSetManager manager;
  AnimSet* run = manager.GetAnimSet("a\\run.prs");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(manager.GetAnimSet("b\\run.prs"), run);  // same file name: the loaded set
  EXPECT_EQ(run->TrackCount, 2);
  const char* const names[] = {"a\\crouch.prs", "a\\run.prs", nullptr};
  EXPECT_EQ(manager.LoadList(names), 1);
  const char* const withBad[] = {"a\\bad.prs", "a\\crouch.prs", nullptr};
  EXPECT_EQ(manager.LoadList(withBad), 0);
  AnimSet* crouch = manager.GetByIndex(1);
  ASSERT_NE(crouch, nullptr);
  EXPECT_EQ(crouch->NameHash, HashName("crouch.prs"));
  EXPECT_EQ(manager.GetByIndex(2), nullptr);
  EXPECT_EQ(manager.TotalBytes, run->BytesUsed + crouch->BytesUsed);

  manager.Remove(run);
  EXPECT_EQ(manager.GetByIndex(0), crouch);
  EXPECT_EQ(manager.TotalBytes, crouch->BytesUsed);
  manager.FreeAll();
  EXPECT_EQ(manager.First, nullptr);
  EXPECT_EQ(manager.TotalBytes, 0);
}

}  // namespace
