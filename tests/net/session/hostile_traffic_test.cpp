// A host under hostile traffic from raw peers and raw UDP sockets on
// 127.0.0.1: each bad datagram, packet or connection is dropped with a
// counted line, the host keeps its players, its queues stay within their
// pools, and the honest client's messages still arrive.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "net_fixture.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/raw_test_peer.h"

namespace {

class HostileTrafficTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    RegisterGameCallbacks();
    Game().Clear();
    DPlay8ClearDrops();
    DPlay8SetHandshakeTimeout(500);
    DPlay8SetPeerTimeout(1000);
    port_ = DPlay8FindFreePort();
    ASSERT_NE(port_, 0);
    host_ = std::make_unique<CNetSession>(&kNetTestApplication);
    ASSERT_EQ(host_->Start(port_), 0);
    ASSERT_EQ(host_->Host("Hostile", nullptr, 0, 8, 0), 0);
    honest_ = std::make_unique<CNetSession>(&kNetTestApplication);
    ASSERT_EQ(honest_->Start(port_), 0);
    const std::string text = "127.0.0.1:" + std::to_string(port_);
    ASSERT_EQ(honest_->EnumHosts(text.c_str(), 4), 0);
    ASSERT_TRUE(PumpUntil({honest_.get(), host_.get()}, [&] { return honest_->GetHostCount() > 0; }));
    ASSERT_EQ(honest_->Connect(0), 0);
    ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] { return Game().Size(Game().created) == 2; }));
  }
  void TearDown() override {
    honest_->Stop();
    host_->Stop();
    EXPECT_EQ(DPlay8OutstandingBuffers(), 0u);
    honest_.reset();
    host_.reset();
    DPlay8SetHandshakeTimeout(0);
    DPlay8SetPeerTimeout(0);
    ClearNetCallbacks();
    CoUninitialize();
  }

  // A raw peer admitted as a player (its player created at the host).
  std::unique_ptr<DPlay8RawPeer> AdmittedRawPeer() {
    auto peer = std::make_unique<DPlay8RawPeer>();
    const std::size_t before = Game().Size(Game().created);
    EXPECT_TRUE(peer->Connect(port_, 2000));
    EXPECT_TRUE(peer->SendConnectRequest(kNetTestApplication, std::vector<std::uint8_t>(140, 0)));
    EXPECT_NE(peer->WaitForAccept(2000), 0u);
    EXPECT_TRUE(peer->SendConfirm());
    peer->Service(1);
    EXPECT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
      peer->Service(0);
      return Game().Size(Game().created) == before + 1;
    }));
    return peer;
  }

  // The honest client still gets its messages through, and the host keeps it.
  void HonestMessagesStillArrive(std::uint32_t first) {
    for (std::uint32_t i = 0; i < 20; ++i)
      ASSERT_EQ(honest_->QueueSendAsClient(TestMessage(Game().seed, first + i, 0, 1)), 0);
    ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
      int n = 0;
      for (const ReceivedMessage& m : Game().Copy(Game().atHost)) n += m.sequence >= first && m.sequence < first + 20;
      return n == 20;
    }));
    for (const ReceivedMessage& m : Game().Copy(Game().atHost)) {
      if (m.sequence >= first && m.sequence < first + 20) {
        EXPECT_TRUE(m.intact);
      }
    }
    EXPECT_TRUE(honest_->IsConnected());
    EXPECT_LE(host_->GetServer()->GetReceiveQueued(), 50u);
    EXPECT_LE(host_->GetServer()->GetSendQueued(), 50u);
  }

  std::uint16_t port_ = 0;
  std::unique_ptr<CNetSession> host_;
  std::unique_ptr<CNetSession> honest_;
};

std::vector<std::uint8_t> Datagram(std::uint16_t bits, std::vector<std::uint8_t> bytes) {
  std::vector<std::uint8_t> d = {static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>(bits >> 8)};
  d.insert(d.end(), bytes.begin(), bytes.end());
  return d;
}

}  // namespace

TEST_F(HostileTrafficTest, MalformedMessagesFromAPlayerAreEachDroppedWithACountedLine) {
  auto peer = AdmittedRawPeer();
  struct Case {
    const char* name;
    std::vector<std::uint8_t> message;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"unknown game message type", Datagram(6, {0x3E}), "game message that cannot be read"},
      {"unknown system message type", Datagram(6, {0x3F}), "system message that cannot be read"},
      {"bit count larger than the bytes", Datagram(40, {1, 2, 3}), "datagram bit count larger than its bytes or the stream"},
      {"over 3,200 bits", Datagram(3208, std::vector<std::uint8_t>(401, 0)), "datagram bit count larger than its bytes or the stream"},
      {"65,535 bits", Datagram(65535, std::vector<std::uint8_t>(1000, 0xAA)), "datagram bit count larger than its bytes or the stream"},
      {"empty message", {}, "datagram without its bit count"},
      {"truncated bit count", {7}, "datagram without its bit count"},
      {"cut in the middle of a field", Datagram(20, {0x28, 0x01, 0x00}), "game message that cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint64_t before = DPlay8DropCount(c.reason);
    ASSERT_TRUE(peer->SendMessage(c.message, true));
    ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
      peer->Service(0);
      return DPlay8DropCount(c.reason) == before + 1;
    }));
  }
  // Packets of the stand-in's own that make no sense from a player.
  const std::uint64_t before = DPlay8DropCount();
  peer->SendPacket({}, true);                                        // empty packet
  peer->SendPacket({0x77, 1, 2}, true);                              // unknown kind
  peer->SendPacket(DPlay8ConnectRequestBytes(kNetTestApplication, {}), true);  // connect again
  peer->SendPacket(std::vector<std::uint8_t>(5000, 5), true);        // over the largest message
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
    peer->Service(0);
    return DPlay8DropCount() >= before + 4;
  }));
  EXPECT_EQ(host_->GetPlayerCount(), 3);
  HonestMessagesStillArrive(100);
  // A 64 KB packet: the transport does not take it, and nothing else changes.
  peer->SendPacket(std::vector<std::uint8_t>(65536, 5), true);
  peer->Service(50);
  HonestMessagesStillArrive(200);
}

TEST_F(HostileTrafficTest, JunkDatagramsEnumerationPacketsAndAFloodAreDropped) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
  };
  std::vector<std::uint8_t> query = DPlay8EnumQueryBytes(kNetTestApplication);
  std::vector<std::uint8_t> longQuery = query;
  longQuery.push_back(0);
  std::vector<std::uint8_t> otherApplication = DPlay8EnumQueryBytes(GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}});
  std::vector<std::uint8_t> answer = {'H', 'B', 'E', 'A', 1, 2, 3};
  const std::vector<Case> cases = {
      {"empty datagram", {}, nullptr},
      {"three bytes", {1, 2, 3}, "junk datagram"},
      {"a peer id no peer has", {0x0F, 0xF0, 1, 2, 3, 4, 5, 6}, "junk datagram"},
      {"a query one byte too long", longQuery, "malformed enumeration query"},
      {"a query cut short", std::vector<std::uint8_t>(query.begin(), query.end() - 3), "malformed enumeration query"},
      {"a query for another application", otherApplication, "enumeration query for another application"},
      {"an answer sent to a host", answer, "enumeration answer at a host"},
      {"64 KB", std::vector<std::uint8_t>(65000, 0x41), "datagram the transport could not take"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint64_t before = c.reason ? DPlay8DropCount(c.reason) : 0;
    ASSERT_TRUE(DPlay8SendUdp(port_, c.bytes));
    if (c.reason != nullptr) {
      ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] { return DPlay8DropCount(c.reason) == before + 1; }));
    }
  }
  // Fifty thousand junk datagrams as fast as they go (well within 5 s on
  // 127.0.0.1): whatever reaches the host is counted and dropped.
  const std::uint64_t before = DPlay8DropCount("junk datagram");
  const auto start = std::chrono::steady_clock::now();
  const std::size_t sent = DPlay8FloodUdp(port_, {0x0F, 0xF0, 9, 9, 9, 9, 9, 9}, 50000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(sent, 50000u);
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] { return DPlay8DropCount("junk datagram") > before; }));
  EXPECT_EQ(host_->GetPlayerCount(), 2);
  HonestMessagesStillArrive(300);
}

TEST_F(HostileTrafficTest, ConnectionsThatNeverFinishFreeEverythingTheyHeld) {
  // Twenty connections that go away before their connect data.
  const std::uint64_t before = DPlay8DropCount("connection closed before its connect data");
  for (int i = 0; i < 20; ++i) {
    DPlay8RawPeer peer;
    ASSERT_TRUE(peer.Connect(port_, 2000)) << i;
    peer.Service(20);  // the host has taken the connection
    peer.Disconnect(500);
  }
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
    return DPlay8DropCount("connection closed before its connect data") == before + 20;
  })) << DPlay8DropCount("connection closed before its connect data") - before << " "
      << DPlay8DropCount("connection not admitted in time");
  // A connection that sends nothing is cut after the handshake time.
  DPlay8RawPeer silent;
  ASSERT_TRUE(silent.Connect(port_, 2000));
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] {
    silent.Service(0);
    return DPlay8DropCount("connection not admitted in time") == 1;
  }));
  // An admitted connection that goes away before its player is created
  // gives its reserved slot back.
  DPlay8RawPeer aborting;
  ASSERT_TRUE(aborting.Connect(port_, 2000));
  ASSERT_TRUE(aborting.SendConnectRequest(kNetTestApplication, std::vector<std::uint8_t>(140, 0)));
  ASSERT_NE(aborting.WaitForAccept(2000), 0u);
  EXPECT_EQ(host_->GetPlayerCount(), 3);  // the reserved slot
  aborting.Disconnect(500);
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] { return host_->GetPlayerCount() == 2; }));
  // A connect request for another application is refused.
  DPlay8RawPeer stranger;
  ASSERT_TRUE(stranger.Connect(port_, 2000));
  ASSERT_TRUE(stranger.SendConnectRequest(GUID{9, 9, 9, {9}}, {}));
  EXPECT_EQ(stranger.WaitForAccept(1000), 0u);
  EXPECT_EQ(host_->GetPlayerCount(), 2);
  HonestMessagesStillArrive(400);
}

TEST_F(HostileTrafficTest, AFloodFromAPlayerStaysWithinTheQueuesAndAVanishedPeerIsDropped) {
  auto peer = AdmittedRawPeer();
  // Fifty thousand best-effort messages: the receive queue drops what it cannot hold.
  std::vector<std::uint8_t> message = Datagram(38, {0x28, 0, 0, 0, 0});
  for (int i = 0; i < 50000; ++i) {
    peer->SendMessage(message, false);
    if (i % 500 == 0) peer->Service(0);
    if (i % 1000 == 0) {
      host_->Update();
      EXPECT_LE(host_->GetServer()->GetReceiveQueued(), 50u);
    }
  }
  peer->Service(20);
  HonestMessagesStillArrive(500);
  // The peer vanishes without a word: dropped after the time-out; the session goes on.
  peer->Vanish();
  ASSERT_TRUE(PumpUntil({host_.get(), honest_.get()}, [&] { return Game().Size(Game().destroyed) == 1; }, 10000000,
                        15000));
  EXPECT_EQ(host_->GetPlayerCount(), 2);
  HonestMessagesStillArrive(600);
}
