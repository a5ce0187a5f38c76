#include "world/timing/timed_callback_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"

namespace {

// Sets a clock's time and running flag directly.
void SetClock(CTimer& clock, std::uint32_t ms, bool running) {
  CTimer::State s;
  clock.SaveState(&s);
  s.gameTime = ms;
  s.running = running ? 1 : 0;
  clock.RestoreState(s);
}

// Every firing in order: (first parameter word, clock time of the firing).
std::vector<std::pair<std::uint32_t, std::uint32_t>> g_fired;

void Record(TimedCallbackEntry* e) { g_fired.push_back({e->params[0], e->lastFire}); }
void Other(TimedCallbackEntry* e) { g_fired.push_back({1000 + e->params[0], e->lastFire}); }
void NotSaved(TimedCallbackEntry*) {}

int Encode(TimedCallback cb) { return cb == Record ? 100 : cb == Other ? 101 : -1; }
TimedCallback Decode(int code) { return code == 100 ? Record : code == 101 ? Other : nullptr; }

// Owners are stood in for by addresses inside a small array; ids are index + 1.
char g_owners[4];
CHLO* OwnerAt(int i) { return reinterpret_cast<CHLO*>(&g_owners[i]); }
std::uint32_t OwnerId(const CHLO* o) {
  return static_cast<std::uint32_t>(reinterpret_cast<const char*>(o) - g_owners) + 1;
}
CHLO* LookupOwner(std::uint32_t id) { return id >= 1 && id <= 4 ? OwnerAt(static_cast<int>(id - 1)) : nullptr; }

// The same owners numbered from 0, as the world's object ids are.
std::uint32_t ZeroBasedId(const CHLO* o) { return static_cast<std::uint32_t>(reinterpret_cast<const char*>(o) - g_owners); }
CHLO* ZeroBasedLookup(std::uint32_t id) { return id < 4 ? OwnerAt(static_cast<int>(id)) : nullptr; }

// A cut-scene chain: each link records its firing and posts the next one
// (one-shot, on the next frame) until the last.
CTimedCallbackList* g_chainList = nullptr;
std::uint32_t g_chainLinks = 0;
void ChainLink(TimedCallbackEntry* e) {
  g_fired.push_back({e->params[0], e->lastFire});
  if (e->params[0] >= g_chainLinks) return;
  TimedCallbackRequest next;
  next.callback = ChainLink;
  next.flags = TCF_ONE_SHOT;
  next.params[0] = e->params[0] + 1;
  g_chainList->Post(next);
}

class TimedCallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fired.clear();
    g_TimedCallbackOverflows = 0;
    g_TimedCallbackOverwrites = 0;
    SetClock(game_, 5000, true);
    SetClock(real_, 70000, true);
    Make(list_);
  }
  void Make(CTimedCallbackList& list) {
    ASSERT_TRUE(list.CreateEntries(&buffer_));
    list.SetClocks(&game_, &real_);
    list.SetCallbackCodes(Encode, Decode);
    list.SetOwnerIds(OwnerId, LookupOwner);
  }
  static TimedCallbackRequest Request(std::uint32_t tag, std::uint32_t delay, std::uint32_t interval,
                                      std::uint32_t flags, TimedCallback cb = Record) {
    TimedCallbackRequest r;
    r.callback = cb;
    r.params[0] = tag;
    r.delay = delay;
    r.interval = interval;
    r.flags = flags;
    return r;
  }
  // Advances the game clock (and the real clock by the same amount) and runs a frame.
  void Frame(std::uint32_t ms) {
    SetClock(game_, game_.GetGameTime() + (game_.IsRunning() ? ms : 0), game_.IsRunning());
    SetClock(real_, real_.GetGameTime() + ms, true);
    list_.Update();
  }

  CLinearBuffer buffer_{64 * 1024, "Global Heap"};
  CTimer game_, real_;
  CTimedCallbackList list_;
};

TEST_F(TimedCallbackTest, OneShotFiresOnceAtTheFirstFrameAfterItsStart) {
  ASSERT_NE(list_.Post(Request(1, 1000, 0, TCF_ONE_SHOT)), nullptr);
  Frame(500);
  Frame(500);  // time = start: not yet
  EXPECT_TRUE(g_fired.empty());
  EXPECT_EQ(list_.GetLiveCount(), 1);
  Frame(16);
  ASSERT_EQ(g_fired.size(), 1u);
  EXPECT_EQ(g_fired[0].second, 6016u);
  Frame(16);
  Frame(2000);
  EXPECT_EQ(g_fired.size(), 1u);
  EXPECT_EQ(list_.GetLiveCount(), 0);
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_FREE);
}

// An expiring entry lives through the frame at exactly start + lifetime and
// is freed at the first frame after it.
TEST_F(TimedCallbackTest, ExpiringEntryIsFreedOnlyAfterItsLifetime) {
  TimedCallbackRequest r = Request(1, 0, 100000, TCF_EXPIRES);
  r.lifetime = 300;
  list_.Post(r);
  Frame(300);
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_ARMED) << "at start + lifetime";
  Frame(1);
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_FREE);
}

// The next link of a chain lands in the slot of the link that posts it when
// the cursor has come round; it stays armed and fires on the next frame.
TEST_F(TimedCallbackTest, AChainGoesOnAcrossAWrappedCursor) {
  for (const int capacity : {1, 3}) {
    SCOPED_TRACE(capacity);
    g_fired.clear();
    CTimedCallbackList small(capacity);
    Make(small);
    g_chainList = &small;
    g_chainLinks = 5;
    TimedCallbackRequest first;
    first.callback = ChainLink;
    first.flags = TCF_ONE_SHOT;
    first.params[0] = 1;
    ASSERT_EQ(small.Post(first), small.GetEntry(0));
    // Other posts bring the cursor round to the chain's slot.
    for (int k = 1; k < capacity; ++k) small.Post(Request(100 + k, 100000, 0, 0));
    ASSERT_EQ(small.GetCursor(), 0);
    for (int f = 0; f < 8; ++f) {
      SetClock(game_, game_.GetGameTime() + 10, true);
      small.Update();
    }
    std::vector<std::uint32_t> links;
    for (const auto& fired : g_fired) links.push_back(fired.first);
    EXPECT_EQ(links, (std::vector<std::uint32_t>{1, 2, 3, 4, 5})) << "one link a frame";
    for (int k = 0; k < capacity; ++k)
      EXPECT_TRUE(small.GetEntry(k)->callback != ChainLink || small.GetEntry(k)->state == TIMED_CALLBACK_FREE) << k;
  }
  g_chainList = nullptr;
}

// After a load the next post goes past the restored entries.
TEST_F(TimedCallbackTest, APostAfterALoadKeepsTheRestoredEntries) {
  for (std::uint32_t tag = 1; tag <= 3; ++tag) list_.Post(Request(tag, 1000, 0, TCF_ONE_SHOT));
  ByteWriter out;
  const std::uint32_t count = list_.SaveAll(out);
  ASSERT_EQ(count, 3u);
  CTimedCallbackList loaded;
  Make(loaded);
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(loaded.LoadAll(in, count));
  TimedCallbackEntry* posted = loaded.Post(Request(4, 0, 0, TCF_ONE_SHOT));
  EXPECT_EQ(posted, loaded.GetEntry(3));
  for (std::uint32_t tag = 1; tag <= 3; ++tag) {
    EXPECT_EQ(loaded.GetEntry(static_cast<int>(tag - 1))->params[0], tag);
    EXPECT_EQ(loaded.GetEntry(static_cast<int>(tag - 1))->state, TIMED_CALLBACK_ARMED);
  }
  SetClock(game_, game_.GetGameTime() + 2000, true);
  loaded.Update();
  std::vector<std::uint32_t> tags;
  for (const auto& fired : g_fired) tags.push_back(fired.first);
  EXPECT_EQ(tags, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

// Object ids start at 0: an owner with id 0 comes back, and none stays none.
TEST_F(TimedCallbackTest, AnOwnerWithIdZeroSurvivesASave) {
  list_.SetOwnerIds(ZeroBasedId, ZeroBasedLookup);
  TimedCallbackRequest owned = Request(1, 100, 0, 0);
  owned.owner = OwnerAt(0);
  list_.Post(owned);
  TimedCallbackRequest other = Request(2, 100, 0, 0);
  other.owner = OwnerAt(2);
  list_.Post(other);
  list_.Post(Request(3, 100, 0, 0));
  ByteWriter out;
  const std::uint32_t count = list_.SaveAll(out);
  ASSERT_EQ(count, 3u);
  CTimedCallbackList loaded;
  Make(loaded);
  loaded.SetOwnerIds(ZeroBasedId, ZeroBasedLookup);
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(loaded.LoadAll(in, count));
  EXPECT_EQ(loaded.GetEntry(0)->owner, OwnerAt(0));
  EXPECT_EQ(loaded.GetEntry(1)->owner, OwnerAt(2));
  EXPECT_EQ(loaded.GetEntry(2)->owner, nullptr);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(loaded.GetEntry(k)->flags, list_.GetEntry(k)->flags) << k;
}

TEST_F(TimedCallbackTest, PausedGameClockHoldsGameEntriesButNotRealClockOnes) {
  list_.Post(Request(1, 1000, 0, TCF_ONE_SHOT));
  list_.Post(Request(2, 1000, 0, TCF_ONE_SHOT | TCF_REAL_CLOCK));
  SetClock(game_, game_.GetGameTime(), false);
  Frame(3000);
  ASSERT_EQ(g_fired.size(), 1u);
  EXPECT_EQ(g_fired[0], std::make_pair(2u, 73000u));
  SetClock(game_, game_.GetGameTime(), true);
  Frame(1001);
  ASSERT_EQ(g_fired.size(), 2u);
  EXPECT_EQ(g_fired[1].first, 1u);
}

TEST_F(TimedCallbackTest, OneShotWhoseTimeCameJustBeforeAPauseFiresAfterIt) {
  list_.Post(Request(1, 100, 0, TCF_ONE_SHOT));
  SetClock(game_, 5200, false);  // the clock passed the start, then stopped before the update
  list_.Update();
  list_.Update();
  EXPECT_TRUE(g_fired.empty());
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_ARMED);
  SetClock(game_, 5200, true);
  list_.Update();
  EXPECT_EQ(g_fired.size(), 1u);
}

TEST_F(TimedCallbackTest, ExpiringRepeaterFiresByIntervalUntilItsLifetimeIsOver) {
  TimedCallbackRequest r = Request(7, 0, 100, TCF_EXPIRES);
  r.lifetime = 500;
  list_.Post(r);
  for (int i = 0; i < 40; ++i) Frame(20);  // 800 ms
  // The last firing counts from the start, so the first firing comes a whole
  // interval after it; the entry is freed at the first frame past 5500.
  std::vector<std::uint32_t> times;
  for (auto& f : g_fired) times.push_back(f.second);
  EXPECT_EQ(times, (std::vector<std::uint32_t>{5100, 5200, 5300, 5400, 5500}));
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_FREE);
}

TEST_F(TimedCallbackTest, IntervalZeroFiresEveryFrameAndEntriesRunInSlotOrder) {
  list_.Post(Request(1, 0, 0, 0));
  list_.Post(Request(2, 0, 0, 0, Other));
  Frame(10);
  Frame(10);
  ASSERT_EQ(g_fired.size(), 4u);
  EXPECT_EQ(g_fired[0].first, 1u);
  EXPECT_EQ(g_fired[1].first, 1002u);
  EXPECT_EQ(g_fired[2].first, 1u);
}

TEST_F(TimedCallbackTest, HugeIntervalDoesNotWrapIntoEveryFrame) {
  list_.Post(Request(1, 0, 0xFFFFFFF0u, 0));
  Frame(10);  // first firing: 5010 >= 5000 + interval is false
  Frame(10);
  EXPECT_TRUE(g_fired.empty());
}

// A post takes only a free slot: an armed entry (here one like the
// pause's real-clock resume entry, which nothing else would free) is never
// replaced while a free slot exists, whatever its flags.
TEST_F(TimedCallbackTest, PostTakesOnlyFreeSlotsAndNeverAnArmedEntry) {
  CTimedCallbackList small(3);
  Make(small);
  TimedCallbackEntry* resume = small.Post(Request(1, 1000, 0, TCF_ONE_SHOT | TCF_REAL_CLOCK));
  TimedCallbackEntry* b = small.Post(Request(2, 1000, 0, TCF_REMOVABLE));
  TimedCallbackEntry* c = small.Post(Request(3, 1000, 0, TCF_OVERWRITE_WHEN_FULL));
  ASSERT_TRUE(resume && b && c);
  EXPECT_EQ(small.GetCursor(), 0);
  small.FreeEntry(b);
  // The cursor stands on the armed resume entry: the post goes on to the free slot.
  TimedCallbackEntry* d = small.Post(Request(4, 0, 0, TCF_OVERWRITE_WHEN_FULL));
  EXPECT_EQ(d, b);
  EXPECT_EQ(small.GetCursor(), 2);
  EXPECT_EQ(resume->params[0], 1u);
  EXPECT_EQ(resume->flags, TCF_ONE_SHOT | TCF_REAL_CLOCK);
  EXPECT_EQ(g_TimedCallbackOverflows, 0u);
  EXPECT_EQ(g_TimedCallbackOverwrites, 0u);
}

// A full list refuses a plain post and leaves every entry as it was; a post
// that may overwrite replaces the entry at the cursor, and each such
// replacement is counted.
TEST_F(TimedCallbackTest, FullListRefusesAPlainPostAndCountsEveryOverwrite) {
  const int n = CTimedCallbackList::kDefaultCapacity;
  for (int i = 0; i < n; ++i) ASSERT_NE(list_.Post(Request(i, 1000, 0, i % 2 ? std::uint32_t{TCF_OVERWRITE_WHEN_FULL} : 0u)), nullptr);
  EXPECT_EQ(list_.Post(Request(999, 0, 0, 0)), nullptr);
  EXPECT_EQ(list_.Post(Request(999, 0, 0, TCF_REMOVABLE | TCF_ONE_SHOT)), nullptr);
  EXPECT_EQ(g_TimedCallbackOverflows, 2u);
  EXPECT_EQ(g_TimedCallbackOverwrites, 0u);
  for (int i = 0; i < n; ++i) ASSERT_EQ(list_.GetEntry(i)->params[0], static_cast<std::uint32_t>(i)) << i;

  TimedCallbackEntry* taken = list_.Post(Request(998, 0, 0, TCF_OVERWRITE_WHEN_FULL));
  EXPECT_EQ(taken, list_.GetEntry(0));
  EXPECT_EQ(taken->params[0], 998u);
  EXPECT_EQ(list_.GetCursor(), 1);
  TimedCallbackEntry* next = list_.Post(Request(997, 0, 0, TCF_OVERWRITE_WHEN_FULL));
  EXPECT_EQ(next, list_.GetEntry(1));
  EXPECT_EQ(g_TimedCallbackOverflows, 4u);
  EXPECT_EQ(g_TimedCallbackOverwrites, 2u);
  for (int i = 2; i < n; ++i) ASSERT_EQ(list_.GetEntry(i)->params[0], static_cast<std::uint32_t>(i)) << i;
}

TEST_F(TimedCallbackTest, ClearRemovableAndResetFreeEntries) {
  list_.Post(Request(1, 0, 0, TCF_REMOVABLE));
  list_.Post(Request(2, 0, 0, 0));
  list_.ClearRemovable();
  EXPECT_EQ(list_.GetEntry(0)->state, TIMED_CALLBACK_FREE);
  EXPECT_EQ(list_.GetEntry(1)->state, TIMED_CALLBACK_ARMED);
  list_.Reset();
  EXPECT_EQ(list_.GetEntry(1)->state, TIMED_CALLBACK_FREE);
  EXPECT_EQ(list_.GetCursor(), 0);
  Frame(10);
  EXPECT_TRUE(g_fired.empty());
}

TEST_F(TimedCallbackTest, CreateEntriesFailsWithoutRoomAndPostsThenFail) {
  CLinearBuffer tiny(64, "tiny");
  CTimedCallbackList list;
  EXPECT_FALSE(list.CreateEntries(&tiny));
  EXPECT_EQ(list.Post(Request(1, 0, 0, 0)), nullptr);
  list.Update();
  EXPECT_EQ(list.GetLiveCount(), 0);
}

TEST_F(TimedCallbackTest, SavedRecordsHaveTheFixedLayout) {
  TimedCallbackRequest r = Request(0x11223344, 250, 40, TCF_EXPIRES | TCF_REMOVABLE);
  r.lifetime = 900;
  r.vector[0] = 1;
  r.vector[2] = 3;
  r.params[6] = 0xAABBCCDD;
  r.owner = OwnerAt(2);
  list_.Post(r);
  ByteWriter out;
  ASSERT_EQ(list_.SaveAll(out), 1u);
  ASSERT_EQ(out.Size(), 72u);
  ByteReader in(out.Data().data(), out.Size());
  std::vector<std::uint32_t> words;
  while (in.HasRoom(4)) words.push_back(in.U32());
  const std::vector<std::uint32_t> expected = {99, 0x09, 5250, 40, 5250, 900, 1, 0, 3, 0x11223344, 0, 0, 0, 0, 0,
                                               0xAABBCCDD, 100, 3};
  EXPECT_EQ(words, expected);
}

TEST_F(TimedCallbackTest, SaveAndLoadKeepTheTimingOfEveryCodedEntry) {
  list_.Post(Request(1, 300, 0, TCF_ONE_SHOT));
  list_.Post(Request(2, 0, 0, 0, NotSaved));  // no code: not saved
  TimedCallbackRequest owned = Request(3, 0, 50, 0, Other);
  owned.owner = OwnerAt(0);
  list_.Post(owned);
  list_.Post(Request(4, 250, 0, TCF_ONE_SHOT | TCF_REAL_CLOCK));
  Frame(100);  // the repeater fires once at 5100
  g_fired.clear();

  ByteWriter out;
  const std::uint32_t count = list_.SaveAll(out);
  ASSERT_EQ(count, 3u);
  out.U32(0xFEEDF00D);  // the next block of the saved game

  CTimedCallbackList loaded;
  Make(loaded);
  loaded.Post(Request(9, 0, 0, 0));  // thrown away by the load
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(loaded.LoadAll(in, count));
  EXPECT_EQ(in.U32(), 0xFEEDF00Du);

  EXPECT_EQ(loaded.GetEntry(0)->params[0], 1u);
  EXPECT_EQ(loaded.GetEntry(1)->params[0], 3u);
  EXPECT_EQ(loaded.GetEntry(1)->callback, Other);
  EXPECT_EQ(loaded.GetEntry(1)->owner, OwnerAt(0));
  EXPECT_EQ(loaded.GetEntry(1)->lastFire, 5100u);
  EXPECT_EQ(loaded.GetEntry(2)->flags, TCF_ONE_SHOT | TCF_REAL_CLOCK);
  EXPECT_EQ(loaded.GetEntry(3)->state, TIMED_CALLBACK_FREE);

  // The loaded list runs on as the saved one would have.
  for (int i = 0; i < 3; ++i) {
    SetClock(game_, game_.GetGameTime() + 100, true);
    SetClock(real_, real_.GetGameTime() + 100, true);
    loaded.Update();
  }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
      {1003, 5200}, {1003, 5300}, {4, 70300}, {1, 5400}, {1003, 5400}};
  EXPECT_EQ(g_fired, expected);
}

TEST_F(TimedCallbackTest, LoadSkipsUnusableRecordsAndStopsOnACutBlock) {
  auto record = [](std::uint32_t state, std::int32_t code, std::uint32_t tag, std::uint32_t ownerId) {
    TimedCallbackRecord r;
    r.state = state;
    r.code = code;
    r.params[0] = tag;
    r.ownerId = ownerId;
    return r;
  };
  ByteWriter out;
  record(99, 100, 1, 0).save(out);
  record(42, 100, 2, 0).save(out);   // unknown state
  record(99, -1, 3, 0).save(out);    // no code
  record(99, 57, 4, 0).save(out);    // code that names no callback
  record(100, -1, 5, 0).save(out);   // a free record is taken as it is
  record(99, 101, 6, 77).save(out);  // owner that no longer exists
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(list_.LoadAll(in, 6));
  EXPECT_EQ(list_.GetEntry(0)->params[0], 1u);
  EXPECT_EQ(list_.GetEntry(1)->params[0], 5u);
  EXPECT_EQ(list_.GetEntry(1)->state, TIMED_CALLBACK_FREE);
  EXPECT_EQ(list_.GetEntry(2)->params[0], 6u);
  EXPECT_EQ(list_.GetEntry(2)->owner, nullptr);
  EXPECT_EQ(list_.GetEntry(3)->state, TIMED_CALLBACK_FREE);

  // A count larger than the block: what is whole is kept, the load says so.
  ByteReader cut(out.Data().data(), out.Size() - 10);
  EXPECT_FALSE(list_.LoadAll(cut, 6));
  EXPECT_FALSE(cut.Ok());
  EXPECT_EQ(list_.GetEntry(0)->params[0], 1u);
  EXPECT_EQ(list_.GetEntry(2)->state, TIMED_CALLBACK_FREE);  // the cut sixth record
}

TEST_F(TimedCallbackTest, RecordsBeyondTheCapacityAreReadPast) {
  CTimedCallbackList small(2);
  Make(small);
  ByteWriter out;
  for (std::uint32_t i = 0; i < 4; ++i) {
    TimedCallbackRecord r;
    r.state = 99;
    r.code = 100;
    r.params[0] = i;
    r.save(out);
  }
  out.U32(0xFEEDF00D);
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(small.LoadAll(in, 4));
  EXPECT_EQ(small.GetEntry(1)->params[0], 1u);
  EXPECT_EQ(in.U32(), 0xFEEDF00Du);
}

}  // namespace
