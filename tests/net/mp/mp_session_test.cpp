// A host and a client layer in one process on 127.0.0.1: joining, the
// lobby, the round, and the messages of a round between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/system/not_built_yet.h"
#include "foundation/system/registry_key.h"
#include "mp_fixture.h"
#include "net/session/net_callback_table.h"
#include "net/session/net_session.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/registry.h"

namespace {

bool Contains(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

TEST(MPSession, HostAndClientGoThroughTheLobbyIntoTheRound) {
  MPTestSession t;
  const std::uint32_t hostedAt = ClockNow();
  ASSERT_TRUE(t.StartHost());
  EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_CONNECTED));
  EXPECT_TRUE(t.host.IsHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());

  EXPECT_EQ(client->localSlot_, 1);
  EXPECT_TRUE(client->IsClient());
  // Both loaded the multiplayer level and went through the lobby to the game screen.
  for (CMultiplayer* m : {&t.host, client}) {
    const GameRecord& r = RecordOf(m);
    ASSERT_FALSE(r.levelChanges.empty());
    EXPECT_EQ(r.levelChanges.front(), "MP_Mission1.dll");
    EXPECT_TRUE(Contains(r.screens, 38));
    EXPECT_EQ(r.screens.back(), 14);
    EXPECT_EQ(m->GetRequestedState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  }
  // The host's round start: the server clock restarted (it counts from the
  // frame the round started, not from hosting, which came frames earlier),
  // and the client's round began with its loadout.
  EXPECT_TRUE(client->roundStarted_);
  ASSERT_TRUE(t.roundStartedAt.has_value());
  EXPECT_GT(*t.roundStartedAt, hostedAt);
  EXPECT_GE(t.host.GetSessionTime(), 0);
  EXPECT_LE(static_cast<std::uint32_t>(t.host.GetSessionTime()), ClockNow() - *t.roundStartedAt);
  // The same player table on both.
  t.RunUntil([&] { return client->players_[0].state == 2 && t.host.players_[1].state == 2; });
  for (int slot = 0; slot < 8; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(t.host.players_[slot].state, client->players_[slot].state);
    EXPECT_EQ(t.host.players_[slot].team, client->players_[slot].team);
    EXPECT_STREQ(t.host.players_[slot].name, client->players_[slot].name);
  }
  // The same shared random numbers, drawn in the same order.
  for (int i = 0; i < 300; ++i) ASSERT_EQ(t.host.random_.Draw(), client->random_.Draw()) << i;
  // The host spawned its soldier with mission event 53.
  EXPECT_TRUE(Contains(std::vector<int>(RecordOf(&t.host).events.begin(), RecordOf(&t.host).events.end()), 53));
}

// The round's soldier work the units still owe says so where the round
// reaches it: the host's soldier states after each frame and binding the
// local soldier to the camera while the round plays.
TEST(MPSession, TheRoundsSoldierHooksSayNotBuiltYetUntilTheUnitsInstallTheirs) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());
  const MPGameHooks recording = MPHooks();
  MPResetHooks();
  const MPGameHooks defaults = MPHooks();
  MPHooks() = recording;
  MPHooks().sendSoldierStates = defaults.sendSoldierStates;
  MPHooks().bindLocalSoldier = defaults.bindLocalSoldier;
  ClearNotBuiltYet();
  t.Frame();
  EXPECT_TRUE(WasReportedNotBuiltYet("multiplayer: the host's soldier states (units)"));
  EXPECT_TRUE(WasReportedNotBuiltYet("multiplayer: binding the local soldier to camera and HUD (units)"));
  ClearNotBuiltYet();
}

TEST(MPSession, AKillByNoOneCountsADeathAndNoScore) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  // The host plays team 0, the client team 1.
  ASSERT_TRUE(t.RunUntil([&] { return client->welcomed_; }));
  {
    CMultiplayer::Scope scope(client);
    client->SetTeam(1);
  }
  {
    CMultiplayer::Scope scope(&t.host);
    t.host.SetTeam(0);
  }
  ASSERT_TRUE(t.RunUntil([&] { return t.host.players_[1].team == 1 && client->players_[0].team == 0; }));
  ASSERT_TRUE(t.ReachRound());
  ASSERT_TRUE(t.RunUntil([&] { return t.host.IsNetworkGame(); }));
  {
    CMultiplayer::Scope scope(&t.host);
    t.host.SendKill(1, -1, 777);
  }
  ASSERT_TRUE(t.RunUntil([&] { return client->players_[1].deaths == 1 && t.host.players_[1].deaths == 1; }));
  for (CMultiplayer* m : {&t.host, client}) {
    EXPECT_EQ(m->players_[1].dead, 1);
    EXPECT_EQ(m->players_[1].deathTime, 777u);
    for (const MPPlayerRecord& r : m->players_) EXPECT_EQ(r.score, 0u);
  }
  // A kill by the other team's player scores for the killer.
  {
    CMultiplayer::Scope scope(&t.host);
    t.host.SendKill(1, 0, 900);
  }
  t.RunUntil([&] { return client->players_[1].deaths == 2 && t.host.players_[1].deaths == 2; });
  for (CMultiplayer* m : {&t.host, client}) {
    EXPECT_EQ(m->players_[0].score, 1u) << (m == &t.host ? "host" : "client") << " teams " << int(m->players_[0].team) << " " << int(m->players_[1].team);
    EXPECT_EQ(m->players_[1].deaths, 2u);
  }
  // The client's view of the kill says an enemy died.
  EXPECT_FALSE(RecordOf(&t.host).messages.empty());
}

TEST(MPSession, AClientsChatIsRelayedCutToTwentySixCharacters) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());
  const std::string forty = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
  {
    CMultiplayer::Scope scope(client);
    client->SendChatMessage(forty.c_str(), 2, -1);
  }
  ASSERT_TRUE(t.RunUntil([&] { return !RecordOf(client).chats.empty() && !RecordOf(&t.host).chats.empty(); }));
  const std::string expected = std::string(client->players_[1].name) + ": " + forty.substr(0, 26);
  EXPECT_EQ(RecordOf(client).chats.back(), expected);
  EXPECT_EQ(RecordOf(&t.host).chats.back(), expected);
  EXPECT_EQ(RecordOf(client).chats.size(), 1u);
}

TEST(MPSession, TheWorldStatePutsOtherPlayersSoldiersIntoTheirVehicles) {
  MPTestSession t;
  g_hostVehicle = 5;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());
  ASSERT_TRUE(t.RunUntil([&] { return !RecordOf(client).vehicles.empty(); }));
  const auto& v = RecordOf(client).vehicles;
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0], (std::pair<int, int>{0, 5}));
  // After the world state the client's record is ready at the host.
  EXPECT_TRUE(t.RunUntil([&] { return t.host.players_[1].state == 2; }));
}

TEST(MPSession, APlayerThatLeavesIsAnnouncedAndItsSlotFreed) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* first = t.NewClient();
  ASSERT_EQ(t.Join(first), 0);
  CMultiplayer* second = t.NewClient();
  ASSERT_EQ(t.Join(second), 0);
  ASSERT_TRUE(t.ReachRound());
  const int leaving = second->localSlot_;
  ASSERT_EQ(t.host.players_[leaving].state, 2u);
  {
    CMultiplayer::Scope scope(second);
    second->Leave();
  }
  ASSERT_TRUE(t.RunUntil([&] { return t.host.players_[leaving].state == 0 && first->players_[leaving].state == 0; }));
  EXPECT_EQ(first->players_[leaving].team, MPPlayerRecord::kNoTeam);
  EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  EXPECT_FALSE(RecordOf(first).messages.empty());
  // A new player can take the freed place.
  CMultiplayer* third = t.NewClient();
  ASSERT_EQ(t.Join(third), 0);
  EXPECT_TRUE(t.RunUntil([&] { return third->welcomed_; }));
}

TEST(MPSession, PostFrameFlushesOnItsCadenceAndSendsInputEveryInputStep) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.ReachRound());

  struct Case {
    CMultiplayer* layer;
    std::uint32_t interval;
  };
  for (const Case& c : {Case{&t.host, 100}, Case{client, 50}}) {
    SCOPED_TRACE(c.interval);
    CMultiplayer::Scope scope(c.layer);
    auto queued = [&] {
      return c.layer->IsHost() ? c.layer->session_->GetServer()->GetSendQueued()
                               : c.layer->session_->GetClient()->GetSendQueued();
    };
    // Start right after a flush.
    const std::uint32_t start = c.layer->nextFlush_;
    AdvanceClock(start - ClockNow());
    c.layer->PostFrame();
    c.layer->SendText("cadence", c.layer->localSlot_);
    ASSERT_GE(queued(), 1u);
    AdvanceClock(c.interval - 1);
    c.layer->PostFrame();
    EXPECT_GE(queued(), 1u);
    AdvanceClock(1);
    c.layer->PostFrame();
    EXPECT_EQ(queued(), 0u);
  }
  // The client's input step: one send every 19 ms while the round runs.
  const int before = RecordOf(client).inputSends;
  {
    CMultiplayer::Scope scope(client);
    for (int ms = 0; ms < 190; ++ms) {
      client->PostFrame();
      AdvanceClock(1);
    }
  }
  EXPECT_EQ(RecordOf(client).inputSends - before, 10);
  EXPECT_EQ(RecordOf(&t.host).inputSends, 0);
}

TEST(MPSession, RegistryValuesOutOfRangeAreIgnored) {
  MPTestSession t;
  {
    CRegistryKey key;
    ASSERT_NE(key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey), 0);
    key.SetDword("SvrNumPlayers", 9);
    key.SetDword("SvrLevel", 5);
    key.SetDword("SvrMissionType", 3);
    key.SetDword("SvrOptionsTime", 5);
    key.SetDword("CharSkill", 2);
    key.SetDword("PlayerTeam", 4);
  }
  CMultiplayer host;
  host.role_ = 1;
  host.LoadSettings();
  EXPECT_EQ(host.settings_.maxPlayers, 8);
  EXPECT_EQ(host.settings_.levelIndex, 5);
  EXPECT_STREQ(host.settings_.levelName, "MP_Mission6.dll");
  EXPECT_EQ(host.settings_.missionType, 3);
  EXPECT_EQ(host.settings_.timeOption, 1);
  EXPECT_EQ(host.players_[0].character, 2);
  EXPECT_EQ(host.players_[0].team, MPPlayerRecord::kNoTeam);
  // A client reads only its own values.
  CMultiplayer client;
  client.role_ = 0;
  client.LoadSettings();
  EXPECT_EQ(client.settings_.levelIndex, 0);
  EXPECT_EQ(client.settings_.missionType, 0);
  EXPECT_EQ(client.players_[0].character, 2);
  // Saving writes the server values only on the host.
  client.SaveSettings();
  host.settings_.maxPlayers = 4;
  host.SaveSettings();
  CRegistryKey key;
  ASSERT_NE(key.Open(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey), 0);
  std::uint32_t value = 0;
  ASSERT_NE(key.QueryDword("SvrNumPlayers", &value), 0);
  EXPECT_EQ(value, 4u);
}

TEST(MPSession, HostingTakesTheHostPortSetting) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  // The client looks for the host only on the registry's port.
  CMultiplayer* client = t.NewClient();
  EXPECT_EQ(t.Join(client), 0);
  ASSERT_FALSE(client->hostList_.empty());
  EXPECT_STREQ(client->hostList_[0].hostName, t.host.players_[0].name);
  EXPECT_EQ(client->hostList_[0].maxPlayers, 8);
}

}  // namespace

namespace {

TEST(MPSession, HostAnswersOfAnotherSizeAreIgnoredAndNamesArriveTerminated) {
  MPTestSession t;
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(client->Start(&kMPTestApplication, t.port), 0);
  {
    CMultiplayer::Scope scope(client);
    ASSERT_EQ(client->EnumHosts(("127.0.0.1:" + std::to_string(t.port)).c_str(), 8), 0);
  }
  auto found = GetNetCallbackAs<NetHostFoundFn>(NETCB_CLIENT_HOST_FOUND);
  ASSERT_NE(found, nullptr);
  MPSettings hostile;
  hostile.Defaults();
  hostile.maxPlayers = 99;
  auto bytes = hostile.ToBytes();
  for (int i = 4; i < 24; ++i) bytes[i] = 'h';   // host name without its terminator
  for (int i = 25; i < 46; ++i) bytes[i] = 's';  // session name without its terminator
  std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 1);
  std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
  longer.push_back(0);
  found(0, shorter.data(), static_cast<DWORD>(shorter.size()));
  found(0, longer.data(), static_cast<DWORD>(longer.size()));
  t.Frame();
  EXPECT_TRUE(client->hostList_.empty());
  found(1, bytes.data(), static_cast<DWORD>(bytes.size()));
  t.Frame();
  ASSERT_EQ(client->hostList_.size(), 2u);
  const MPSettings& entry = client->hostList_[1];
  EXPECT_EQ(std::string(entry.hostName), std::string(19, 'h'));
  EXPECT_EQ(std::string(entry.sessionName), std::string(20, 's'));
  EXPECT_EQ(entry.maxPlayers, 8);  // out of range: the default kept
  EXPECT_STREQ(client->hostList_[0].hostName, "Player");  // the skipped index holds no answer
  EXPECT_EQ(client->GetPlayerSettings(1), &client->hostList_[1]);
  EXPECT_EQ(client->GetPlayerSettings(7), nullptr);
  EXPECT_EQ(client->GetPlayerSettings(-1), &client->settings_);
}

}  // namespace

namespace {

TEST(MPSession, AHostThatStopsAnsweringLeavesTheHostList) {
  MPTestSession t;
  DPlay8SetDefaultEnumRetryInterval(50);
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(client->Start(&kMPTestApplication, t.port), 0);
  {
    CMultiplayer::Scope scope(client);
    ASSERT_EQ(client->EnumHosts(("127.0.0.1:" + std::to_string(t.port)).c_str(), 8), 0);
  }
  ASSERT_TRUE(t.RunUntil([&] { return client->hostList_.size() == 1; }));
  EXPECT_STREQ(client->hostList_[0].levelName, "MP_Mission1.dll");
  DPlay8SetEnumAnswersMuted(t.host.session_->GetServer()->GetWrapper()->GetServer(), true);
  // Answers already on their way may still land; past the expiry the entry goes.
  EXPECT_TRUE(t.RunUntil([&] { return client->hostList_.empty() && client->GetHostCount() == 0; }));
  DPlay8SetDefaultEnumRetryInterval(0);
}

}  // namespace
