// The message queues: the fixed pool, urgent before normal, datagram
// packing, and a producer thread against the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "net/bits/bit_stream.h"
#include "net/queues/io_queue.h"
#include "net/queues/rx_queue.h"
#include "net/queues/tx_queue.h"

namespace {

// An outgoing record whose payload is `bits` bits, each 32-bit piece holding `tag`.
NetMessageRecord Message(std::uint32_t tag, std::uint32_t bits, std::uint32_t peer = 7, std::uint32_t guaranteed = 0,
                         std::uint32_t urgent = 0, std::uint32_t loopback = 1, std::uint32_t timeout = 0) {
  NetMessageRecord r;
  r.Blank();
  r.kind = NetMessageRecord::kKindOutgoing;
  r.type = tag;
  r.peer = peer;
  r.guaranteed = guaranteed;
  r.urgent = urgent;
  r.loopback = loopback;
  r.timeout = timeout;
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  for (std::uint32_t left = bits; left > 0;) {
    const std::uint32_t n = left < 32 ? left : 32;
    s.WriteBits(tag, n);
    left -= n;
  }
  s.End();
  EXPECT_TRUE(r.SetPayload(s));
  return r;
}

// The tags of the messages packed in a datagram of messages of `bits` bits each.
std::vector<std::uint32_t> TagsIn(const NetMessageRecord& datagram, std::uint32_t bits) {
  std::vector<std::uint32_t> tags;
  CBitStream s;
  EXPECT_TRUE(datagram.LoadPayload(s));
  for (std::uint32_t i = 0; i < datagram.bitCount / bits; ++i) {
    std::uint32_t v = 0;
    s.ReadBits(&v, bits < 32 ? bits : 32);
    tags.push_back(v);
    for (std::uint32_t left = bits - (bits < 32 ? bits : 32); left > 0;) {
      const std::uint32_t n = left < 32 ? left : 32;
      s.ReadBits(&v, n);
      left -= n;
    }
  }
  return tags;
}

}  // namespace

TEST(MessageQueue, FullPoolDropsTheMessageAndKeepsWorking) {
  CIOQueue q;
  EXPECT_EQ(q.Create(0), -1);
  ASSERT_EQ(q.Create(50), 0);
  EXPECT_EQ(q.Create(50), -1);
  for (std::uint32_t i = 0; i < 50; ++i) ASSERT_EQ(q.Enqueue(Message(i, 8)), 0);
  EXPECT_EQ(q.Enqueue(Message(50, 8)), -1);
  EXPECT_EQ(q.GetQueuedCount(), 50u);
  NetMessageRecord r;
  ASSERT_EQ(q.Dequeue(&r), 0);
  EXPECT_EQ(r.type, 0u);
  EXPECT_EQ(q.Enqueue(Message(51, 8)), 0);
  for (std::uint32_t i = 1; i < 50; ++i) {
    ASSERT_EQ(q.Dequeue(&r), 0);
    EXPECT_EQ(r.type, i);
  }
  ASSERT_EQ(q.Dequeue(&r), 0);
  EXPECT_EQ(r.type, 51u);  // the dropped 50th never shows up
  EXPECT_EQ(q.Dequeue(&r), -1);
  EXPECT_EQ(q.Peek(&r), -1);
}

TEST(MessageQueue, UrgentRecordsLeaveFirstAndOddUrgencyIsRefused) {
  CRxQueue q;
  ASSERT_EQ(q.Create(4), 0);
  EXPECT_EQ(q.Create(4), -1);
  for (std::uint32_t i = 1; i <= 3; ++i) ASSERT_EQ(q.Enqueue(Message(i, 8)), 0);
  NetMessageRecord odd = Message(9, 8);
  odd.urgent = 2;
  EXPECT_EQ(q.Enqueue(odd), -1);  // refused, and its record went back to the free list
  ASSERT_EQ(q.Enqueue(Message(4, 8, 7, 0, 1)), 0);
  NetMessageRecord r;
  std::vector<std::uint32_t> order;
  while (q.Dequeue(&r) == 0) order.push_back(r.type);
  EXPECT_EQ(order, (std::vector<std::uint32_t>{4, 1, 2, 3}));
  q.Destroy();
  EXPECT_EQ(q.Dequeue(&r), -1);
  EXPECT_EQ(q.Enqueue(Message(1, 8)), -1);
}

TEST(MessageQueue, BestEffortMessagesToOnePeerShareADatagram) {
  struct Queued {
    std::uint32_t tag, bits, peer, guaranteed, urgent, loopback, timeout;
  };
  struct Expected {
    std::vector<std::uint32_t> tags;
    std::uint32_t bits, peer, guaranteed, urgent, timeout;
  };
  struct Case {
    const char* name;
    std::vector<Queued> queued;
    std::vector<Expected> datagrams;
  };
  const std::vector<Case> cases = {
      {"three best-effort 100-bit messages",
       {{1, 100, 7, 0, 0, 1, 0}, {2, 100, 7, 0, 0, 1, 0}, {3, 100, 7, 0, 0, 1, 0}},
       {{{1, 2, 3}, 300, 7, 0, 0, 0}}},
      {"a guaranteed message splits the run",
       {{1, 100, 7, 0, 0, 1, 0}, {2, 100, 7, 1, 0, 1, 0}, {3, 100, 7, 0, 0, 1, 0}},
       {{{1}, 100, 7, 0, 0, 0}, {{2}, 100, 7, 1, 0, 0}, {{3}, 100, 7, 0, 0, 0}}},
      {"another peer starts the next datagram",
       {{1, 100, 7, 0, 0, 1, 0}, {2, 100, 8, 0, 0, 1, 0}, {3, 100, 8, 0, 0, 1, 0}},
       {{{1}, 100, 7, 0, 0, 0}, {{2, 3}, 200, 8, 0, 0, 0}}},
      {"a different loopback flag ends packing",
       {{1, 100, 7, 0, 0, 1, 0}, {2, 100, 7, 0, 0, 0, 0}},
       {{{1}, 100, 7, 0, 0, 0}, {{2}, 100, 7, 0, 0, 0}}},
      {"the time-out and urgency rise to the largest, urgent ones go first",
       {{1, 100, 7, 0, 0, 1, 60}, {2, 100, 7, 0, 1, 1, 10}, {3, 100, 7, 0, 0, 1, 90}},
       {{{2, 1, 3}, 300, 7, 0, 1, 90}}},
      {"a full stream starts the next datagram",
       {{1, 1600, 7, 0, 0, 1, 0}, {2, 1500, 7, 0, 0, 1, 0}, {3, 100, 7, 0, 0, 1, 0}},
       {{{1, 2}, 3100, 7, 0, 0, 0}, {{3}, 100, 7, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTxQueue q;
    ASSERT_EQ(q.Create(50), 0);
    for (const Queued& m : c.queued)
      ASSERT_EQ(q.Enqueue(Message(m.tag, m.bits, m.peer, m.guaranteed, m.urgent, m.loopback, m.timeout)), 0);
    for (const Expected& e : c.datagrams) {
      NetMessageRecord d;
      ASSERT_EQ(q.NextDatagram(&d), 0);
      EXPECT_EQ(d.bitCount, e.bits);
      EXPECT_EQ(d.byteCount, (e.bits + 7) / 8);
      EXPECT_EQ(d.peer, e.peer);
      EXPECT_EQ(d.guaranteed, e.guaranteed);
      EXPECT_EQ(d.urgent, e.urgent);
      EXPECT_EQ(d.timeout, e.timeout);
      const std::uint32_t each = c.queued[0].bits == 1600 && e.tags.size() == 2 ? 0 : e.bits / e.tags.size();
      if (each != 0) {
        EXPECT_EQ(TagsIn(d, each), e.tags);
      }
      EXPECT_EQ(d.type, e.tags[0]);
    }
    NetMessageRecord none;
    EXPECT_EQ(q.NextDatagram(&none), -1);
    EXPECT_EQ(q.GetQueuedCount(), 0u);
  }
}

TEST(MessageQueue, AMessageNoStreamCanHoldIsDroppedAndTheNextOneSent) {
  CTxQueue q;
  ASSERT_EQ(q.Create(8), 0);
  NetMessageRecord bad = Message(1, 100);
  bad.bitCount = 3300;
  bad.byteCount = 413;
  ASSERT_EQ(q.Enqueue(bad), 0);
  ASSERT_EQ(q.Enqueue(Message(2, 40)), 0);
  NetMessageRecord d;
  ASSERT_EQ(q.NextDatagram(&d), 0);
  EXPECT_EQ(d.type, 2u);
  EXPECT_EQ(d.bitCount, 40u);
  EXPECT_EQ(q.GetDroppedCount(), 1u);
  // Flush clears the held record too.
  ASSERT_EQ(q.Enqueue(Message(3, 40, 7)), 0);
  ASSERT_EQ(q.Enqueue(Message(4, 40, 8)), 0);
  ASSERT_EQ(q.NextDatagram(&d), 0);  // holds message 4
  EXPECT_EQ(q.GetQueuedCount(), 1u);
  q.Flush();
  EXPECT_EQ(q.NextDatagram(&d), -1);
}

// The transport's thread fills a queue while the main thread empties it:
// a million messages arrive once each, in order.
TEST(MessageQueue, AProducerThreadAndTheMainThreadLoseAndDuplicateNothing) {
  constexpr std::uint32_t kMessages = 1000000;
  CRxQueue q;
  ASSERT_EQ(q.Create(50), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::atomic<bool> late{false};
  std::thread producer([&] {
    NetMessageRecord r = Message(0, 64);
    for (std::uint32_t i = 0; i < kMessages && !late.load();) {
      r.timeStamp = i;
      r.urgent = 0;
      r.payload[0] = static_cast<std::uint8_t>(i);
      if (q.Enqueue(r) == 0) {
        ++i;
      } else if (std::chrono::steady_clock::now() > deadline) {
        late = true;
      } else {
        std::this_thread::yield();
      }
    }
  });
  std::uint32_t expected = 0;
  std::uint32_t wrong = 0;
  NetMessageRecord r;
  while (expected < kMessages && !late.load()) {
    if (q.Dequeue(&r) != 0) {
      if (std::chrono::steady_clock::now() > deadline) late = true;
      std::this_thread::yield();
      continue;
    }
    if (r.timeStamp != expected || r.payload[0] != static_cast<std::uint8_t>(expected)) ++wrong;
    expected = r.timeStamp + 1;
  }
  producer.join();
  EXPECT_FALSE(late.load());
  EXPECT_EQ(expected, kMessages);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(q.Dequeue(&r), -1);
}
