// The network library end to end, in one process on 127.0.0.1: a host and
// clients find each other, join, are refused, exchange messages, keep their
// clocks in step and give every buffer back.
#include "net/session/net_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstring>
#include <string>

#include "net/session/connect_data.h"
#include "net/session/system_messages.h"
#include "net_fixture.h"
#include "platform/dplay8/com.h"
#include "platform/win32/clocks.h"

namespace {

std::atomic<LONGLONG> g_fakeNs{0};
LONGLONG FakeNow(void*) { return g_fakeNs.load(); }
void AdvanceMs(std::uint32_t ms) { g_fakeNs += static_cast<LONGLONG>(ms) * 1000000; }

const char* JoinText() { return "join text"; }

class NetSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    RegisterGameCallbacks();
    Game().Clear();
    DPlay8ClearDrops();
    port_ = DPlay8FindFreePort();
    ASSERT_NE(port_, 0);
  }
  void TearDown() override {
    for (auto& s : sessions_) s->Stop();
    EXPECT_EQ(DPlay8OutstandingBuffers(), 0u);
    sessions_.clear();
    SetFakeClock(nullptr, nullptr);
    SetConnectTextSource(nullptr);
    ClearNetCallbacks();
    DPlay8SetDefaultEnumRetryInterval(0);
    CoUninitialize();
  }
  CNetSession* NewSession() {
    sessions_.push_back(std::make_unique<CNetSession>(&kNetTestApplication));
    EXPECT_EQ(sessions_.back()->Start(port_), 0);
    return sessions_.back().get();
  }
  CNetSession* NewHost() {
    CNetSession* host = NewSession();
    EXPECT_EQ(host->Host("Test session", nullptr, 0, 8, 0), 0);
    return host;
  }
  // A client that found the host and joined it: 0, or the Connect result.
  int Join(CNetSession* client, CNetSession* host) {
    const std::string text = "127.0.0.1:" + std::to_string(port_);
    if (client->EnumHosts(text.c_str(), 45) != 0) return -10;
    if (!PumpUntil({client, host}, [&] { return client->GetHostCount() > 0; })) return -11;
    return client->Connect(0);
  }
  DPNID OwnPlayer() {
    for (const PlayerSlot& s : Game().Copy(Game().created))
      if (s.slotIndex == 0) return s.playerId;
    return 0;
  }
  // The player created last in the slot.
  DPNID PlayerIn(int slot) {
    DPNID player = 0;
    for (const PlayerSlot& s : Game().Copy(Game().created))
      if (static_cast<int>(s.slotIndex) == slot) player = s.playerId;
    return player;
  }

  std::uint16_t port_ = 0;
  std::vector<std::unique_ptr<CNetSession>> sessions_;
};

}  // namespace

TEST_F(NetSessionTest, AHostAndTwoClientsFindJoinAndExchangeMessages) {
  Game().enumResponse.resize(92);
  for (int i = 0; i < 92; ++i) Game().enumResponse[i] = static_cast<std::uint8_t>(255 - i);
  SetConnectTextSource(&JoinText);
  DPlay8SetCallLog(true);
  DPlay8TakeCallLog();
  CNetSession* host = NewHost();
  CNetSession* a = NewSession();
  CNetSession* b = NewSession();

  const std::string text = "127.0.0.1:" + std::to_string(port_);
  ASSERT_EQ(a->EnumHosts(text.c_str(), 45), 0);
  ASSERT_TRUE(PumpUntil({a, host}, [&] { return a->GetHostCount() > 0; }));
  const auto found = Game().Copy(Game().found);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found[0].index, 0);
  EXPECT_EQ(found[0].data, Game().enumResponse);
  EXPECT_GE(a->GetHostLatency(0), 0);
  EXPECT_EQ(a->GetHostLatency(1), -1);
  ASSERT_EQ(a->Connect(0), 0);
  ASSERT_EQ(Join(b, host), 0);
  DPlay8SetCallLog(false);
  int connects = 0;
  for (const std::string& line : DPlay8TakeCallLog())
    if (line.find("Client.Connect") == 0 && line.find("data=140") != std::string::npos) ++connects;
  EXPECT_EQ(connects, 2);
  EXPECT_EQ(Game().Copy(Game().connectResults), (std::vector<HRESULT>{DPN_OK, DPN_OK}));

  // The host's own player took slot 0, the clients 1 and 2; each client got its slot message.
  ASSERT_TRUE(PumpUntil({host, a, b}, [&] { return Game().Size(Game().atClient) >= 2; }));
  EXPECT_EQ(host->GetPlayerCount(), 3);
  std::vector<std::uint32_t> slots;
  for (const ReceivedMessage& m : Game().Copy(Game().atClient))
    if (m.type == 1) slots.push_back(m.sequence);
  std::sort(slots.begin(), slots.end());
  EXPECT_EQ(slots, (std::vector<std::uint32_t>{1, 2}));
  const DPNID own = OwnPlayer();
  const DPNID playerA = PlayerIn(1), playerB = PlayerIn(2);
  ASSERT_NE(own, 0u);
  ASSERT_NE(playerA, 0u);

  // Guaranteed messages arrive complete and in order, each client its own.
  for (std::uint32_t i = 0; i < 40; ++i) {
    ASSERT_EQ(host->QueueSendAsHost(TestMessage(Game().seed, 1000 + i, playerA, 1)), 0);
    if (i % 10 == 9) host->FlushSend();
  }
  for (std::uint32_t i = 0; i < 40; ++i) {
    ASSERT_EQ(a->QueueSendAsClient(TestMessage(Game().seed, 3000 + i, 0, 1)), 0);
    if (i % 10 == 9) a->FlushSend();
  }
  ASSERT_TRUE(PumpUntil({host, a, b}, [&] {
    int n = 0;
    for (const ReceivedMessage& m : Game().Copy(Game().atClient)) n += m.type == kTestMessageType;
    return n >= 40 && Game().Size(Game().atHost) >= 40;
  }));
  std::uint32_t expected = 1000;
  for (const ReceivedMessage& m : Game().Copy(Game().atClient)) {
    if (m.type != kTestMessageType) continue;
    EXPECT_TRUE(m.intact);
    EXPECT_EQ(m.sequence, expected++);
  }
  expected = 3000;
  for (const ReceivedMessage& m : Game().Copy(Game().atHost)) {
    EXPECT_TRUE(m.intact);
    EXPECT_EQ(m.sender, playerA);
    EXPECT_EQ(m.sequence, expected++);
  }

  // Best-effort messages from b ride together and arrive as sent or not at all.
  for (std::uint32_t i = 0; i < 30; ++i) ASSERT_EQ(b->QueueSendAsClient(TestMessage(Game().seed, 4000 + i, 0, 0)), 0);
  b->FlushSend();
  ASSERT_EQ(b->QueueSendAsClient(TestMessage(Game().seed, 4999, 0, 1)), 0);
  b->FlushSend();
  ASSERT_TRUE(PumpUntil({host, a, b}, [&] {
    for (const ReceivedMessage& m : Game().Copy(Game().atHost))
      if (m.sequence == 4999) return true;
    return false;
  }));
  std::uint32_t last = 3999;
  for (const ReceivedMessage& m : Game().Copy(Game().atHost)) {
    if (m.sender != playerB || m.sequence == 4999) continue;
    EXPECT_TRUE(m.intact);
    EXPECT_GT(m.sequence, last);
    last = m.sequence;
  }
  EXPECT_GE(last, 4000u);

  // The host's own player hears a looped-back message and not a no-loopback one.
  ASSERT_EQ(host->QueueSendAsHost(TestMessage(Game().seed, 5000, own, 1, 1)), 0);
  ASSERT_EQ(host->QueueSendAsHost(TestMessage(Game().seed, 5001, own, 1, 0)), 0);
  ASSERT_EQ(host->QueueSendAsHost(TestMessage(Game().seed, 5002, own, 1, 1)), 0);
  ASSERT_TRUE(PumpUntil({host, a, b}, [&] {
    for (const ReceivedMessage& m : Game().Copy(Game().atHost))
      if (m.sequence == 5002) return true;
    return false;
  }));
  std::vector<std::uint32_t> own_;
  for (const ReceivedMessage& m : Game().Copy(Game().atHost))
    if (m.sender == own) own_.push_back(m.sequence);
  EXPECT_EQ(own_, (std::vector<std::uint32_t>{5000, 5002}));
}

TEST_F(NetSessionTest, ANinthPlayerAndAVetoedConnectionAreRefusedWithMinusTwo) {
  CNetSession* host = NewHost();
  std::vector<CNetSession*> clients;
  for (int i = 0; i < 7; ++i) {
    clients.push_back(NewSession());
    ASSERT_EQ(Join(clients.back(), host), 0) << "client " << i;
  }
  EXPECT_EQ(host->GetPlayerCount(), 8);
  CNetSession* ninth = NewSession();
  EXPECT_EQ(Join(ninth, host), -2);
  EXPECT_EQ(host->GetPlayerCount(), 8);

  // A client leaves: its slot is free again; a connection the game refuses never takes it.
  clients[3]->Disconnect();
  ASSERT_TRUE(PumpUntil({host}, [&] { return host->GetPlayerCount() == 7; }));
  EXPECT_EQ(Game().Copy(Game().destroyed), (std::vector<int>{4}));
  Game().refuseConnections = 1;
  EXPECT_EQ(Join(ninth, host), -2);
  EXPECT_EQ(host->GetPlayerCount(), 7);
  Game().refuseConnections = 0;
  EXPECT_EQ(Join(ninth, host), 0);
  EXPECT_EQ(host->GetPlayerCount(), 8);
  // Its player is created once its confirmation reaches the host.
  ASSERT_TRUE(PumpUntil({host, ninth}, [&] { return Game().Size(Game().created) == 9; }));
  EXPECT_EQ(host->GetServer()->GetPlayers().FindSlot(PlayerIn(4)), 4);
}

TEST_F(NetSessionTest, AHostThatStopsAnsweringExpiresAfterThreeRetryIntervals) {
  SetFakeClock(&FakeNow, nullptr);
  DPlay8SetDefaultEnumRetryInterval(50);
  CNetSession* host = NewHost();
  CNetSession* client = NewSession();
  std::vector<int> removed;
  client->GetClient()->GetWrapper()->SetHostRemovedHandler(
      [](int index, void* context) { static_cast<std::vector<int>*>(context)->push_back(index); }, &removed);
  const std::string text = "127.0.0.1:" + std::to_string(port_);
  ASSERT_EQ(client->EnumHosts(text.c_str(), 4), 0);
  ASSERT_TRUE(PumpUntil({client, host}, [&] { return client->GetHostCount() == 1; }));
  EXPECT_EQ(client->GetClient()->GetWrapper()->GetExpiryInterval(), 150u);
  DPlay8SetEnumAnswersMuted(host->GetServer()->GetWrapper()->GetServer(), true);
  // Answers already on their way may still land: wait for a quiet spell.
  AdvanceMs(150);
  client->Update();
  EXPECT_EQ(client->GetHostCount(), 1);  // not yet older than the interval
  AdvanceMs(1);
  client->Update();
  EXPECT_EQ(client->GetHostCount(), 0);
  EXPECT_EQ(removed, (std::vector<int>{0}));
  EXPECT_EQ(client->GetHostLatency(0), -1);
}

TEST_F(NetSessionTest, AClientBehindTheHostTakesItsClockAndSlowsItsRequestsOnceInStep) {
  SetFakeClock(&FakeNow, nullptr);
  AdvanceMs(100000);
  CNetSession* host = NewHost();  // the host's clock starts here
  AdvanceMs(3000);
  CNetSession* client = NewSession();  // the client's 3 s later: it is 3 s behind
  ASSERT_EQ(Join(client, host), 0);
  CGameClient* game = client->GetClient();
  host->Update();
  client->Update();
  EXPECT_EQ(host->GetSessionTime() - client->GetSessionTime(), 3000);
  // One request and its reply at a time: the fake clock does not move while they travel.
  auto exchange = [&](std::uint32_t advance) {
    const int before = game->GetInStepCount();
    const std::uint32_t interval = game->GetRequestInterval();
    AdvanceMs(advance);
    return PumpUntil({host, client}, [&] {
      return game->GetInStepCount() != before || game->GetRequestInterval() != interval ||
             host->GetSessionTime() == client->GetSessionTime();
    });
  };
  ASSERT_TRUE(exchange(500));
  EXPECT_EQ(host->GetSessionTime(), client->GetSessionTime());
  EXPECT_EQ(game->GetRequestInterval(), 500u);
  for (int i = 1; i <= 10; ++i) {
    ASSERT_TRUE(exchange(game->GetRequestInterval())) << i;
    ASSERT_TRUE(PumpUntil({host, client}, [&] { return game->GetInStepCount() == i; })) << i;
  }
  EXPECT_EQ(game->GetRequestInterval(), 5000u);
  // The host's clock jumps 2 s: the next reply is off by more than 1 s.
  host->GetServer()->GetTimer().Shift(2000);
  AdvanceMs(5000);
  ASSERT_TRUE(PumpUntil({host, client}, [&] { return game->GetInStepCount() == 0; }));
  EXPECT_EQ(game->GetRequestInterval(), 500u);
  EXPECT_EQ(host->GetSessionTime(), client->GetSessionTime());
}

TEST(GameClientClock, TheOffsetIsTakenOnlyFromRepliesAtOrBelowTheMedianHalfTrip) {
  std::atomic<LONGLONG>& ns = g_fakeNs;
  SetFakeClock(&FakeNow, nullptr);
  CGameClient client(&kNetTestApplication);
  client.GetTimer().Reset();
  struct Reply {
    std::uint32_t advanceBeforeReply;  // the round trip, in ms
    std::int32_t hostAhead;            // the host's clock minus ours at the middle of the trip
    bool adopted;
    std::uint32_t interval;
    int inStep;
  };
  const Reply replies[] = {
      {1200, 3000, false, 500, 0},  // half trip 600 > median 500: not taken
      {1000, 3000, true, 500, 0},   // half trip 500 = median: taken
      {40, 0, false, 500, 1},
      {40, 10, false, 500, 2},
  };
  for (const Reply& r : replies) {
    const std::uint32_t sent = client.GetClock();
    ns += static_cast<LONGLONG>(r.advanceBeforeReply) * 1000000;
    client.GetTimer().Update();
    const std::uint32_t now = client.GetClock();
    const std::uint32_t host = sent + r.advanceBeforeReply / 2 + static_cast<std::uint32_t>(r.hostAhead);
    client.HandleClockReply(sent, host);
    if (r.adopted) {
      EXPECT_EQ(client.GetClock(), now + static_cast<std::uint32_t>(r.hostAhead));
    } else {
      EXPECT_EQ(client.GetClock(), now);
    }
    EXPECT_EQ(client.GetRequestInterval(), r.interval);
    EXPECT_EQ(client.GetInStepCount(), r.inStep);
  }
  // The samples are the half trips: the 32 start at 500.
  EXPECT_EQ(client.GetSample(1), 20u);
  EXPECT_EQ(client.GetSample(32), 600u);
  for (int i = 3; i <= 10; ++i) client.HandleClockReply(client.GetClock(), client.GetClock());
  EXPECT_EQ(client.GetInStepCount(), 10);
  EXPECT_EQ(client.GetRequestInterval(), 5000u);
  SetFakeClock(nullptr, nullptr);
}

TEST_F(NetSessionTest, TheHostPollsOneLatencyEvery250MsGoingRoundAndNeverSlotZero) {
  SetFakeClock(&FakeNow, nullptr);
  CNetSession* host = NewHost();
  EXPECT_EQ(host->GetLatency(), 250);  // no players but the host's own
  EXPECT_EQ(host->GetLatencyMedian(), 125);
  CNetSession* a = NewSession();
  CNetSession* b = NewSession();
  ASSERT_EQ(Join(a, host), 0);
  ASSERT_EQ(Join(b, host), 0);
  std::vector<int> polled;
  CGameServer* server = host->GetServer();
  for (int step = 0; step < 8; ++step) {
    AdvanceMs(125);
    const int before = server->GetPolledSlot();
    host->Update();
    if (server->GetPolledSlot() != before || step % 2 == 1) polled.push_back(server->GetPolledSlot());
  }
  EXPECT_EQ(polled, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(NetSessionTest, AClockRequestAndTwoGameMessagesInOneDatagramAreHandledInOrder) {
  SetFakeClock(&FakeNow, nullptr);
  CNetSession* host = NewHost();
  CNetSession* client = NewSession();
  ASSERT_EQ(Join(client, host), 0);
  client->GetClient()->EnableClockRequests(false);
  DPlay8SetCallLog(true);
  DPlay8TakeCallLog();
  ASSERT_EQ(client->QueueSendAsClient(MakeClockRequest(client->GetSessionTime(), 0)), 0);
  ASSERT_EQ(client->QueueSendAsClient(TestMessage(Game().seed, 7, 0, 0)), 0);
  ASSERT_EQ(client->QueueSendAsClient(TestMessage(Game().seed, 8, 0, 0)), 0);
  client->FlushSend();
  DPlay8SetCallLog(false);
  int sends = 0;
  for (const std::string& line : DPlay8TakeCallLog()) sends += line.find("Client.Send ") == 0;
  EXPECT_EQ(sends, 1);  // one datagram
  ASSERT_TRUE(PumpUntil({host, client}, [&] { return client->GetClient()->GetInStepCount() == 1; }));
  const auto atHost = Game().Copy(Game().atHost);
  ASSERT_EQ(atHost.size(), 2u);
  EXPECT_EQ(atHost[0].sequence, 7u);
  EXPECT_EQ(atHost[1].sequence, 8u);
}

TEST_F(NetSessionTest, ADatagramIsAbandonedAtTheFirstMessageNoOneCanRead) {
  CNetSession* host = NewHost();
  CNetSession* client = NewSession();
  ASSERT_EQ(Join(client, host), 0);
  // A system message of a type the host does not know, then a good game message.
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(1, 1);
  s.WriteBits(9, 5);
  s.WriteBits(0, 1);
  s.WriteBits(kTestMessageType, 5);
  s.WriteBits(77, 32);
  s.End();
  NetMessageRecord r;
  r.Blank();
  r.guaranteed = 1;
  r.loopback = 1;
  r.SetPayload(s);
  ASSERT_EQ(client->QueueSendAsClient(r), 0);
  ASSERT_EQ(client->QueueSendAsClient(TestMessage(Game().seed, 78, 0, 1)), 0);
  ASSERT_TRUE(PumpUntil({host, client}, [&] { return Game().Size(Game().atHost) >= 1; }));
  const auto atHost = Game().Copy(Game().atHost);
  ASSERT_EQ(atHost.size(), 1u);
  EXPECT_EQ(atHost[0].sequence, 78u);
  EXPECT_EQ(DPlay8DropCount("system message that cannot be read"), 1u);
}

TEST(ConnectData, WritesTheNameAndTheTextInTheirFieldsAndReadsThemBack) {
  ConnectData block;
  block.applicationName = kConnectApplicationName;
  block.text = std::string(200, 'x');  // longer than its field: cut, still terminated
  std::uint8_t bytes[ConnectData::kSize];
  block.Write(bytes);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes)), "BrindleClient");
  EXPECT_EQ(bytes[13], 0);
  EXPECT_EQ(bytes[31], 0);
  EXPECT_EQ(bytes[32], 'x');
  EXPECT_EQ(bytes[139], 0);
  ConnectData back;
  ASSERT_TRUE(back.Read(bytes, sizeof bytes));
  EXPECT_EQ(back.applicationName, "BrindleClient");
  EXPECT_EQ(back.text, std::string(107, 'x'));
  EXPECT_FALSE(back.Read(bytes, 139));
  bytes[139] = 'y';
  std::memset(bytes + 32, 'z', 108);
  EXPECT_FALSE(back.Read(bytes, sizeof bytes));
}
