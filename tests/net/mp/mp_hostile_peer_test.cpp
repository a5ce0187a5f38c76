// A hostile peer that speaks the message format: it joins a round and sends
// what a client must not (other players' slots, slots past the table, the
// host's own kinds), and a hostile host's messages reach a client: each is
// dropped or refused, and the session and the honest client go on.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mp_fixture.h"
#include "net/bits/bit_stream.h"
#include "net/messages/game_event_message.h"
#include "net/messages/game_message.h"
#include "net/queues/net_message_record.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/dplay8/raw_test_peer.h"

namespace {

// The datagram of one message: its bit count (u16), then its bytes.
std::vector<std::uint8_t> Datagram(CNetMessage& m) {
  CBitStream s;
  EXPECT_TRUE(m.Write(s));
  std::uint8_t bytes[400];
  std::uint32_t bits = 0, count = 0;
  s.Begin(CBitStream::MODE_READ);
  s.ExportBytes(bytes, sizeof bytes, &bits, &count);
  s.End();
  std::vector<std::uint8_t> out{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8)};
  out.insert(out.end(), bytes, bytes + count);
  return out;
}

CGameMessage Session(std::uint32_t kind, std::uint32_t slot) {
  CGameMessage m(kind);
  m.fromClient = 1;
  m.slot = slot;
  return m;
}

CGameEventMessage Event(std::uint32_t kind, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  CGameEventMessage m(kind);
  m.fromClient = 1;
  m.a = a;
  m.b = b;
  m.c = c;
  return m;
}

TEST(MPHostilePeer, AClientsForbiddenMessagesAreRefusedAndTheSessionGoesOn) {
  MPTestSession t;
  DPlay8SetPeerTimeout(1000);
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* honest = t.NewClient();
  ASSERT_EQ(t.Join(honest), 0);
  ASSERT_TRUE(t.ReachRound());

  auto peer = std::make_unique<DPlay8RawPeer>();
  ASSERT_TRUE(peer->Connect(t.port, 2000));
  ASSERT_TRUE(peer->SendConnectRequest(kMPTestApplication, std::vector<std::uint8_t>(140, 0)));
  ASSERT_NE(peer->WaitForAccept(2000), 0u);
  ASSERT_TRUE(peer->SendConfirm());
  ASSERT_TRUE(t.RunUntil([&] {
    peer->Service(0);
    return t.host.settings_.playerCount == 3;
  }));
  const int own = 2;

  std::vector<std::vector<std::uint8_t>> hostile;
  for (std::uint32_t slot : {8u, 9u, 200u, 255u}) {
    CGameMessage ready = Session(GSK_READY, slot);
    hostile.push_back(Datagram(ready));
  }
  CGameMessage othersReady = Session(GSK_NOT_READY, 1);  // the honest player's slot
  hostile.push_back(Datagram(othersReady));
  CGameMessage state = Session(GSK_STATE, own);
  state.state = MPS_QUIT;
  hostile.push_back(Datagram(state));
  CGameMessage left = Session(GSK_PLAYER_LEFT, 1);
  hostile.push_back(Datagram(left));
  CGameMessage settings = Session(GSK_SETTINGS, own);
  settings.settings.maxPlayers = 200;
  hostile.push_back(Datagram(settings));
  CGameMessage record = Session(GSK_PLAYER_RECORD, own);
  record.record.Empty("x");
  record.record.team = 9;
  hostile.push_back(Datagram(record));
  CGameEventMessage kill = Event(GEK_KILL, 1, own, 5);
  hostile.push_back(Datagram(kill));
  CGameEventMessage reset = Event(GEK_ROUND_RESET, 0, 0, 0);
  hostile.push_back(Datagram(reset));
  for (std::uint32_t queue : {0u, 4u, 1u}) {
    CGameEventMessage respawn = Event(GEK_ITEM_RESPAWNED, 3, 250, queue);
    hostile.push_back(Datagram(respawn));
  }
  CGameEventMessage chatAsOther = Event(GEK_CHAT, 2, 1, 0);
  hostile.push_back(Datagram(chatAsOther));

  const int refusedBefore = t.host.refusedMessages_;
  for (const auto& d : hostile) ASSERT_TRUE(peer->SendMessage(d, true));
  ASSERT_TRUE(t.RunUntil([&] {
    peer->Service(0);
    return t.host.refusedMessages_ - refusedBefore >= static_cast<int>(hostile.size());
  }));
  EXPECT_EQ(t.host.refusedMessages_ - refusedBefore, static_cast<int>(hostile.size()));

  // Nothing changed: the round runs, the honest player is in it, nobody died.
  EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  EXPECT_EQ(t.host.GetRequestedState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  EXPECT_EQ(honest->GetRequestedState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  EXPECT_EQ(t.host.players_[1].state, 2u);
  EXPECT_EQ(t.host.settings_.maxPlayers, 8);
  EXPECT_EQ(t.host.players_[own].team, MPPlayerRecord::kNoTeam);
  for (const MPPlayerRecord& r : t.host.players_) EXPECT_EQ(r.deaths, 0u);
  EXPECT_TRUE(RecordOf(&t.host).chats.empty());

  // Its own record is taken, with the name cut to its field.
  CGameMessage fair = Session(GSK_PLAYER_RECORD, own);
  fair.record.Empty("");
  std::memset(fair.record.name, 'z', sizeof fair.record.name);
  fair.record.team = 1;
  fair.record.state = 1;
  ASSERT_TRUE(peer->SendMessage(Datagram(fair), true));
  ASSERT_TRUE(t.RunUntil([&] {
    peer->Service(0);
    return t.host.players_[own].team == 1;
  }));
  EXPECT_EQ(std::strlen(t.host.players_[own].name), 19u);

  // The honest client still chats with everyone.
  {
    CMultiplayer::Scope scope(honest);
    honest->SendChatMessage("still here", 2, -1);
  }
  ASSERT_TRUE(t.RunUntil([&] {
    peer->Service(0);
    return !RecordOf(&t.host).chats.empty() && !RecordOf(honest).chats.empty();
  }));

  // The hostile peer vanishes: its slot is freed once the transport gives up on it.
  peer->Vanish();
  peer.reset();
  EXPECT_TRUE(t.RunUntil([&] { return t.host.players_[own].state == 0; }, 200000));
  EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  DPlay8SetPeerTimeout(0);
}

// What a hostile host could send: each message is read, checked, dropped.
TEST(MPHostilePeer, AClientDropsMessagesWithIndicesPastItsTables) {
  CMultiplayer client;
  InstallRecordingHooks();
  client.role_ = 0;
  client.localSlot_ = 1;
  CMultiplayer::Scope scope(&client);
  auto deliver = [&client](CNetMessage& m) {
    CBitStream s;
    EXPECT_TRUE(m.Write(s));
    s.Begin(CBitStream::MODE_READ);
    std::uint32_t flag = 0;
    s.ReadBits(&flag, 1);
    NetMessageRecord record;
    record.Blank();
    return client.DispatchGameMessage(&record, &s, false);
  };
  struct Case {
    const char* what;
    std::function<int()> send;
  };
  CGameEventMessage killPast = Event(GEK_KILL, 9, 255, 0);
  killPast.fromClient = 0;
  CGameEventMessage killerPast = Event(GEK_KILL, 0, 40, 0);
  killerPast.fromClient = 0;
  CGameEventMessage loadoutPast = Event(GEK_LOADOUT, 8, 0, 0);
  loadoutPast.fromClient = 0;
  CGameEventMessage strikePast = Event(GEK_STRIKE, 1, 12, 0);
  strikePast.fromClient = 0;
  CGameEventMessage leavePast = Event(GEK_LEAVE_OBJECT, 77, 1, 0);
  leavePast.fromClient = 0;
  CGameMessage leftPast(GSK_PLAYER_LEFT);
  leftPast.slot = 99;
  CGameMessage textPast(GSK_TEXT);
  textPast.slot = 8;
  CGameMessage tableBad(GSK_PLAYER_TABLE);
  for (PlayerSummary& p : tableBad.table) p = PlayerSummary::Of(client.players_[0]);
  tableBad.table[3].state = 7;
  CGameMessage worldBad(GSK_WORLD_STATE);
  worldBad.world.size = 100;
  worldBad.world.seats[0].inVehicle = 1;
  // World states of the right size that name objects this client's lists
  // (one vehicle in list 5, one object in list 2) do not hold.
  char vehicle = 0, object = 0;
  client.lists_.Add(5, &vehicle);
  client.lists_.Add(2, &object);
  CGameMessage worldSeatPast(GSK_WORLD_STATE);
  worldSeatPast.world.seats[0].inVehicle = 1;
  worldSeatPast.world.seats[2].inVehicle = 1;
  worldSeatPast.world.seats[2].vehicle = 1;
  CGameMessage worldList0Past(GSK_WORLD_STATE);
  worldList0Past.world.destroyedList0 = 1u;
  CGameMessage worldList2Past(GSK_WORLD_STATE);
  worldList2Past.world.destroyedList2[0] = 1u | 2u;
  client.settings_.playerCount = 8;
  const int before = client.refusedMessages_;
  for (CNetMessage* m : std::initializer_list<CNetMessage*>{&killPast, &killerPast, &loadoutPast, &strikePast,
                                                            &leavePast, &leftPast, &textPast, &tableBad, &worldBad,
                                                            &worldSeatPast, &worldList0Past, &worldList2Past})
    EXPECT_EQ(deliver(*m), 0);
  EXPECT_EQ(client.refusedMessages_ - before, 12);
  EXPECT_EQ(client.worldStatesApplied_, 0);
  for (const MPPlayerRecord& r : client.players_) {
    EXPECT_EQ(r.deaths, 0u);
    EXPECT_EQ(r.state, 0u);
  }
  EXPECT_TRUE(RecordOf(&client).vehicles.empty());

  // A welcome past the table is dropped; one in range takes the slot.
  CBitStream w;
  w.Begin(CBitStream::MODE_WRITE);
  w.WriteBits(0, 1);
  w.WriteBits(1, 5);
  w.WriteBits(8, 8);
  w.End();
  w.Begin(CBitStream::MODE_READ);
  std::uint32_t flag = 0;
  w.ReadBits(&flag, 1);
  NetMessageRecord record;
  record.Blank();
  EXPECT_EQ(client.DispatchGameMessage(&record, &w, false), 0);
  EXPECT_FALSE(client.welcomed_);
  // An unknown type abandons the datagram.
  CBitStream u;
  u.Begin(CBitStream::MODE_WRITE);
  u.WriteBits(0, 1);
  u.WriteBits(31, 5);
  u.End();
  u.Begin(CBitStream::MODE_READ);
  u.ReadBits(&flag, 1);
  EXPECT_EQ(client.DispatchGameMessage(&record, &u, false), -1);
  MPResetHooks();
}

}  // namespace
