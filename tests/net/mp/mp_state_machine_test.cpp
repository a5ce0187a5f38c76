// The session state machine as a table: state, requested state, role and
// flags in; the next state, the screen shown and the level change asked out.
#include <gtest/gtest.h>

#include <string>

#include "mp_fixture.h"

namespace {

struct Row {
  bool host;
  std::uint32_t state;
  std::uint32_t requested;
  std::uint32_t localRecordState;
  bool roundStarted;
  std::uint32_t next;
  int screen;          // 0: none shown
  const char* change;  // null: no level change
};

TEST(MPStateMachine, EachStateFollowsTheRequestedOneAsTheTableSays) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer* client = t.NewClient();
  ASSERT_EQ(t.Join(client), 0);
  ASSERT_TRUE(t.RunUntil([&] { return client->welcomed_ && t.host.players_[1].state == 1; }));
  // Quiet: nothing more in flight.
  for (int i = 0; i < 20; ++i) t.Frame();

  const Row rows[] = {
      {true, 2, 4, 2, false, 4, 0, nullptr},
      {false, 2, 4, 1, false, 2, 0, nullptr},
      {false, 2, 4, 2, false, 4, 0, nullptr},
      {false, 2, 11, 2, false, 11, 0, nullptr},
      {true, 4, 4, 2, false, 5, 38, "MP_Mission1.dll"},
      {false, 3, 2, 2, false, 3, 39, nullptr},
      {false, 3, 7, 2, false, 5, 38, "MP_Mission1.dll"},
      {false, 5, 7, 2, false, 5, 0, nullptr},
      {false, 5, 7, 2, true, 7, 14, nullptr},
      {true, 5, 7, 2, false, 7, 14, nullptr},
      {true, 5, 11, 2, false, 11, 0, nullptr},
      {true, 5, 8, 2, false, 8, 54, nullptr},
      {true, 7, 8, 2, false, 8, 54, nullptr},
      {false, 7, 11, 2, false, 7, 41, nullptr},
      {true, 7, 11, 2, false, 11, 0, nullptr},
      {true, 8, 7, 2, false, 8, 0, nullptr},
      {false, 8, 7, 2, false, 7, 14, nullptr},
      {true, 8, 9, 2, false, 9, 0, nullptr},
      {true, 8, 4, 2, false, 4, 0, nullptr},
      {true, 9, 9, 2, false, 5, 38, nullptr},
  };
  for (const Row& row : rows) {
    CMultiplayer* m = row.host ? &t.host : client;
    SCOPED_TRACE(std::string(row.host ? "host" : "client") + " state " + std::to_string(row.state) + " R " +
                 std::to_string(row.requested));
    CMultiplayer::Scope scope(m);
    RecordOf(m).screens.clear();
    RecordOf(m).levelChanges.clear();
    RecordOf(m).levelChangePending = true;  // the host does not start a round here
    m->state_ = row.state;
    m->requested_ = row.requested;
    m->players_[m->localSlot_].state = row.localRecordState;
    m->roundStarted_ = row.roundStarted;
    m->levelReady_ = false;
    m->Update();
    EXPECT_EQ(m->GetSessionState(), row.next);
    if (row.screen != 0) {
      ASSERT_FALSE(RecordOf(m).screens.empty());
      EXPECT_EQ(RecordOf(m).screens.back(), row.screen);
    } else {
      EXPECT_TRUE(RecordOf(m).screens.empty());
    }
    if (row.change != nullptr) {
      ASSERT_EQ(RecordOf(m).levelChanges.size(), 1u);
      EXPECT_EQ(RecordOf(m).levelChanges[0], row.change);
    } else {
      EXPECT_TRUE(RecordOf(m).levelChanges.empty());
    }
  }

  // Quitting: the session is left and the front end comes back, unless the
  // mission keeps the game (event 61 answers nonzero).
  {
    CMultiplayer::Scope scope(client);
    RecordOf(client).levelChanges.clear();
    MPHooks().queryMode = [] { return 1u; };
    client->state_ = MPS_QUIT;
    client->Update();
    EXPECT_EQ(client->GetSessionState(), static_cast<std::uint32_t>(MPS_IDLE));
    EXPECT_TRUE(RecordOf(client).levelChanges.empty());
    EXPECT_FALSE(client->IsSessionRunning());
  }
  {
    CMultiplayer::Scope scope(&t.host);
    RecordOf(&t.host).levelChanges.clear();
    MPHooks().queryMode = [] { return 0u; };
    t.host.state_ = MPS_QUIT;
    t.host.Update();
    EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_IDLE));
    ASSERT_EQ(RecordOf(&t.host).levelChanges.size(), 1u);
    EXPECT_EQ(RecordOf(&t.host).levelChanges[0], "FrontEnd.dll");
    EXPECT_EQ(RecordOf(&t.host).screens.back(), 1);
    EXPECT_FALSE(t.host.IsHost());
  }
}

TEST(MPStateMachine, TheSetterRefusesLoadingUnreadyAndPlayingFromTheWrongState) {
  CMultiplayer m;
  InstallRecordingHooks();
  CMultiplayer::Scope scope(&m);
  m.state_ = MPS_CONNECTED;
  m.players_[0].state = 1;
  m.SetSessionState(MPS_LOAD_LEVEL);
  EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_CONNECTED));
  m.players_[0].state = 2;
  m.SetSessionState(MPS_LOAD_LEVEL);
  EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_LOAD_LEVEL));

  m.state_ = MPS_CONNECTED;
  m.SetSessionState(MPS_PLAYING_STATE);
  EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_CONNECTED));
  m.state_ = MPS_LOBBY;
  m.SetSessionState(MPS_PLAYING_STATE);
  EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  m.state_ = MPS_ROUND_OVER;
  m.SetSessionState(MPS_PLAYING_STATE);
  EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  for (std::uint32_t bad : {0u, 13u, 99u}) {
    m.SetSessionState(bad);
    EXPECT_EQ(m.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));
  }
  // Round over shows its screen unless one of the end screens is up.
  RecordOf(&m).screens = {58};
  m.SetSessionState(MPS_ROUND_OVER);
  EXPECT_EQ(RecordOf(&m).screens.back(), 58);
  RecordOf(&m).screens = {14};
  m.SetSessionState(MPS_ROUND_OVER);
  EXPECT_EQ(RecordOf(&m).screens.back(), 54);
  MPResetHooks();
}

TEST(MPStateMachine, TheHostStartsTheRoundOnceTheLevelIsReadyAndNoChangeIsPending) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer::Scope scope(&t.host);
  t.host.state_ = MPS_LOBBY;
  t.host.levelReady_ = true;
  RecordOf(&t.host).levelChangePending = true;
  for (int i = 0; i < 30; ++i) t.Frame();
  EXPECT_EQ(t.host.GetRequestedState(), static_cast<std::uint32_t>(MPS_CONNECTED));
  EXPECT_EQ(t.host.GetSessionState(), static_cast<std::uint32_t>(MPS_LOBBY));
  AdvanceClock(4000);
  t.Frame();
  RecordOf(&t.host).levelChangePending = false;
  ASSERT_GT(t.host.GetSessionTime(), 4000);
  ASSERT_TRUE(t.RunUntil([&] { return t.host.roundStartSent_; }));
  const std::uint32_t sent = ClockNow();
  // 27/3 (7, 3) loops back to the host itself: it follows into the round
  // with its server clock restarted when it sent the start.
  ASSERT_TRUE(t.RunUntil([&] { return t.host.GetSessionState() == MPS_PLAYING_STATE; }));
  EXPECT_EQ(t.host.target_, 3u);
  EXPECT_LE(static_cast<std::uint32_t>(t.host.GetSessionTime()), ClockNow() - sent);
}

}  // namespace

namespace {

TEST(MPStateMachine, ADeadPlayerWithoutRespawnsWatchesTheReadyPlayersOfItsTeam) {
  MPTestSession t;
  ASSERT_TRUE(t.StartHost());
  CMultiplayer& m = t.host;
  CMultiplayer::Scope scope(&m);
  m.state_ = MPS_PLAYING_STATE;
  m.requested_ = MPS_PLAYING_STATE;
  m.settings_.respawn = 0;
  RecordOf(&m).levelChangePending = true;
  struct Player {
    int slot;
    std::uint32_t state;
    std::uint8_t team;
    std::uint8_t dead;
  };
  for (const Player& p : {Player{0, 2, 0, 0}, Player{2, 2, 0, 0}, Player{3, 2, 1, 0}, Player{4, 2, 0, 1},
                          Player{5, 2, 0, 0}, Player{6, 1, 0, 0}}) {
    m.players_[p.slot].state = p.state;
    m.players_[p.slot].team = p.team;
    m.players_[p.slot].dead = p.dead;
  }
  t.Frame(0);
  m.players_[0].dead = 1;
  m.players_[0].deathTime = static_cast<std::uint32_t>(m.GetSessionTime());
  // (Each frame updates at the clock of its start, then moves the clock.)
  for (int i = 0; i < 10; ++i) t.Frame(400);
  t.Frame(999);
  t.Frame(1);
  EXPECT_TRUE(RecordOf(&m).watched.empty());  // 4,999 ms after its death
  t.Frame(0);
  // 5 s after its death: the next ready, living player of its team (slot 2).
  ASSERT_EQ(RecordOf(&m).watched, (std::vector<int>{2}));
  EXPECT_EQ(RecordOf(&m).screens.back(), 42);
  t.Frame(1000);
  EXPECT_EQ(RecordOf(&m).watched.size(), 1u);
  // Fire moves on: slot 5 (3 is the other team, 4 is dead), then back to itself.
  g_firePressed = true;
  t.Frame(10);
  t.Frame(10);
  g_firePressed = false;
  EXPECT_EQ(RecordOf(&m).watched, (std::vector<int>{2, 5, 0}));
  EXPECT_EQ(RecordOf(&m).screens.back(), 14);
  // Alive again: nothing to watch.
  m.players_[0].dead = 0;
  t.Frame(6000);
  EXPECT_EQ(m.watchedSlot_, -1);
  EXPECT_EQ(RecordOf(&m).watched.size(), 3u);
}

}  // namespace
