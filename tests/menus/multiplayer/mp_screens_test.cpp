// The multiplayer screens through the screen manager, driven by injected
// keys: the entry and connection screens with the remembered texts, the
// session browser over a host list the test controls (rows, ping, state
// texts, rebuilds, the join failures and the bounded join wait), the text
// entry screens and their registry values, the set-up and options texts,
// the team screen's sides, and the notices' back actions.  Every string id
// these screens ask for is in the string files.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "foundation/system/not_built_yet.h"
#include "foundation/system/registry_key.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/multiplayer/mp_info_menu.h"
#include "menus/multiplayer/mp_options_menu.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_edit_menu.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/score_table.h"
#include "menus/multiplayer/session_browser.h"
#include "menus/multiplayer/team_menu.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp/mp_records.h"
#include "net/mp_layer.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/event_injection.h"
#include "world/engine.h"

namespace {

std::set<std::uint32_t> g_askedIds;
void NoteAsked(std::uint32_t id) { g_askedIds.insert(id); }

// The host list the browser sees in these tests.
struct FakeHosts {
  std::vector<MPSettings> hosts;
  std::vector<int> pings;
  int joinResult = 0;
  int joins = 0;
  int passes = 0;
  int connectAfterPasses = -1;  // -1: never
};
FakeHosts g_fake;

int FakeCount() { return static_cast<int>(g_fake.hosts.size()); }
int FakeLatency(int i) { return i < static_cast<int>(g_fake.pings.size()) ? g_fake.pings[i] : 10; }
const MPSettings* FakeRecord(int i) {
  return i >= 0 && i < static_cast<int>(g_fake.hosts.size()) ? &g_fake.hosts[i] : nullptr;
}
int FakeJoin(int) {
  ++g_fake.joins;
  return g_fake.joinResult;
}
bool FakeConnected() { return g_fake.connectAfterPasses >= 0 && g_fake.passes >= g_fake.connectAfterPasses; }
void FakePass() { ++g_fake.passes; }
const MPBrowserSource kFakeSource = {FakeCount, FakeLatency, FakeRecord, FakeJoin, FakeConnected, FakePass};

MPSettings Host(const char* name, int players, int max, std::uint32_t state) {
  MPSettings s;
  s.Defaults();
  MPCopyName(s.sessionName, sizeof s.sessionName, name);
  s.playerCount = static_cast<std::uint8_t>(players);
  s.maxPlayers = static_cast<std::uint8_t>(max);
  s.requestedState = state;
  return s;
}

std::string RegistryText(const char* name) {
  CRegistryKey key;
  char text[256] = {};
  if (key.Open(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) == 0 || key.QueryValue(name, text, sizeof text - 1) == 0)
    return "<absent>";
  return text;
}

class MPScreens : public ScreenWalkTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    ASSERT_EQ(g_Locale->LoadLayer("strings/MPStrs.loc"), 1);
    CRegistryKey key;
    ASSERT_NE(key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey), 0);
    for (const char* name : {"SessionName", "HostIPAddr", "HostPort", "PlayerName"}) key.DeleteValue(name);
    g_fake = FakeHosts{};
    g_askedIds.clear();
    CMenu::SetTextObserver(NoteAsked);
    ASSERT_EQ(CreateScreens(), 1);
    ASSERT_EQ(CreateMultiplayerScreens(), 1);
    PopulateFrontEndScreens();
  }
  void TearDown() override {
    CMenu::SetTextObserver(nullptr);
    SetMPBrowserSource(nullptr);
    MPSetTestRole(0);
    MPStop();
    DestroyMultiplayerScreens();
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    ScreenWalkTest::TearDown();
  }
  void Type(const char* text) {
    ASSERT_TRUE(Win32InjectText(s_Window, text));
    Frame();
  }
  CMenuScreen* Current() { return ScreenFromId(ScreenId); }
};

TEST_F(MPScreens, HostingReadsTheRememberedTextsAndDefaultsTheSessionName) {
  {
    CRegistryKey key;
    key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
    key.SetString("HostIPAddr", "10.0.0.7");
    key.SetString("PlayerName", "Ada");
  }
  OpenLong(3);
  PressLong("Return");  // host a game
  ASSERT_EQ(ScreenId, 46);
  EXPECT_EQ(MPGetRole(), 1);
  EXPECT_STREQ(MPCurrent()->settings_.sessionName, g_Locale->GetString(mptext::kDefaultSessionName));
  EXPECT_STREQ(MPHostAddress, "10.0.0.7");
  EXPECT_STREQ(MPCurrent()->players_[MPGetLocalPlayerSlot()].name, "Ada");
  // Host rows are enabled; joining, they are drawn disabled and do nothing.
  EXPECT_EQ(Current()->Menu->SelectedId, 3101);
  PressLong("Escape");
  ASSERT_EQ(ScreenId, 3);
  MPCurrent()->SetSessionName("Kept");
  PressLong("Down");
  PressLong("Return");  // join a game: the session name is not read
  ASSERT_EQ(ScreenId, 46);
  EXPECT_EQ(MPGetRole(), 0);
  EXPECT_STREQ(MPCurrent()->settings_.sessionName, "Kept");
  EXPECT_EQ(Current()->Menu->SelectedId, 3103) << "the host-only rows are disabled when joining";
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 3);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 1);
}

TEST_F(MPScreens, AHostStartsItsSessionAndReachesTheSetUpAndTheLobby) {
  {
    CRegistryKey key;
    key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
    key.SetString("HostPort", std::to_string(DPlay8FindFreePort()).c_str());
  }
  OpenLong(3);
  PressLong("Return");
  ASSERT_EQ(ScreenId, 46);
  for (int i = 0; i < 3; ++i) PressLong("Down");
  ASSERT_EQ(Current()->Menu->SelectedId, 3104);
  PressLong("Return");
  ASSERT_EQ(ScreenId, 48) << "the session started as host";
  EXPECT_TRUE(MPIsHost());
  // Level 6 (past the list) uses the last plug-in; players shown 2-8.
  MPCurrent()->SetLevel(6);
  EXPECT_STREQ(MPCurrent()->settings_.levelName, "MP_Mission6.dll");
  PressLong("Right");  // the players row is already 8: stays
  EXPECT_EQ(MPCurrent()->settings_.maxPlayers, 8);
  PressLong("Left");
  EXPECT_EQ(MPCurrent()->settings_.maxPlayers, 7);
  for (int i = 0; i < 4; ++i) PressLong("Down");
  ASSERT_EQ(Current()->Menu->SelectedId, 3505);
  PressLong("Return");
  ASSERT_EQ(ScreenId, 50);
  // The team screen from the lobby: the sides cannot become equal.
  PressLong("Down");
  PressLong("Return");
  ASSERT_EQ(ScreenId, 52);
  ASSERT_EQ(MPCurrent()->settings_.attackers, 0);
  ASSERT_EQ(MPCurrent()->settings_.defenders, 1);
  PressLong("Right");  // attackers 0 -> 1: the defenders move on to 2
  EXPECT_EQ(MPCurrent()->settings_.attackers, 1);
  EXPECT_EQ(MPCurrent()->settings_.defenders, 2);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 50);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 48);
  PressLong("Escape");  // back from the set-up ends the session
  EXPECT_EQ(ScreenId, 46);
  EXPECT_FALSE(MPIsHost());
}

// A real host on 127.0.0.1 in this process: the address search lists it
// with its name, players, state and ping.
CMultiplayer* g_realHost = nullptr;
void UpdateRealHost() {
  CMultiplayer::Scope scope(g_realHost);
  g_realHost->Update();
  g_realHost->PostFrame();
}
int LayerCount() { return MPGetHostCount(); }
int LayerLatency(int i) { return MPGetHostLatency(i); }
const MPSettings* LayerRecord(int i) { return MPGetPlayerSettings(i); }
int LayerJoin(int i) { return MPStartSession(i); }
bool LayerWelcomed() { return MPCurrent()->welcomed_; }
const MPBrowserSource kHostPumpingSource = {LayerCount, LayerLatency, LayerRecord, LayerJoin, LayerWelcomed,
                                            UpdateRealHost};

TEST_F(MPScreens, TheAddressSearchListsARealHost) {
  const std::uint16_t port = DPlay8FindFreePort();
  {
    CRegistryKey key;
    key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
    key.SetString("HostPort", std::to_string(port).c_str());
  }
  CMultiplayer host;
  g_realHost = &host;
  host.role_ = 1;
  host.SetSessionName("Harbour game");
  host.SetMaxPlayers(2);
  ASSERT_EQ(host.Start(&kHalberdApplication, port), 0);
  ASSERT_EQ(host.StartSession(0), 0);
  SetMPBrowserSource(&kHostPumpingSource);
  ASSERT_EQ(MPStart(DPlay8FindFreePort()), 0);
  MPSetRole(0);
  std::snprintf(MPHostAddress, sizeof MPHostAddress, "127.0.0.1:%u", port);
  StartHostSearch(MPHostAddress);
  OpenLong(47);
  SessionRowTexts row{};
  for (int i = 0; i < 500 && !SessionRowTextsOf(0, &row); ++i) {
    MPUpdate();
    UpdateRealHost();
    Frame();
  }
  ASSERT_TRUE(SessionRowTextsOf(0, &row)) << "the host was not listed";
  EXPECT_STREQ(row.name, "Harbour game");
  EXPECT_STREQ(row.players, "1/2");
  EXPECT_EQ(row.stateText, mptext::kStateOpen);
  EXPECT_NE(std::strstr(row.ping, "mS"), nullptr);
  MPStop();
  host.Stop();
  g_realHost = nullptr;
}

TEST_F(MPScreens, TheBrowserListsAtMostFortyFiveHostsWithTheirColumns) {
  SetMPBrowserSource(&kFakeSource);
  for (int i = 0; i < 46; ++i) g_fake.hosts.push_back(Host(("Game " + std::to_string(i)).c_str(), 1, 2, 2));
  g_fake.pings = {-5, 120};
  g_fake.hosts[1].requestedState = 7;
  g_fake.hosts[2].requestedState = 11;
  g_fake.hosts[3].requestedState = 3;
  // A name from the network of the field's full length, unterminated.
  std::memset(g_fake.hosts[4].sessionName, 'N', sizeof g_fake.hosts[4].sessionName);
  RefreshSessionList();
  OpenLong(47);
  EXPECT_EQ(MPMenus().sessionList->Count, 45);
  struct Row {
    int row;
    const char* name;
    std::uint32_t state;
    const char* ping;
    const char* players;
  };
  const Row rows[] = {{0, "Game 0", mptext::kStateOpen, "0mS", "1/2"},
                      {1, "Game 1", mptext::kStatePlaying, "120mS", "1/2"},
                      {2, "Game 2", mptext::kStateClosing, "10mS", "1/2"},
                      {3, "Game 3", 0, "10mS", "1/2"},
                      {4, "NNNNNNNNNNNNNNNNNNNN", mptext::kStateOpen, "10mS", "1/2"}};
  for (const Row& r : rows) {
    SessionRowTexts t{};
    ASSERT_TRUE(SessionRowTextsOf(r.row, &t)) << r.row;
    EXPECT_STREQ(t.name, r.name) << r.row;
    EXPECT_EQ(t.stateText, r.state) << r.row;
    EXPECT_STREQ(t.ping, r.ping) << r.row;
    EXPECT_STREQ(t.players, r.players) << r.row;
  }
  // A host leaves: the next frame rebuilds the list and drops its choice.
  g_fake.hosts.resize(3);
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", true));
  Frame();
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", false));
  SettleLong();
  EXPECT_EQ(MPMenus().sessionList->Count, 3);
  EXPECT_EQ(g_fake.joins, 0) << "the choice of the rebuilding frame is dropped";
  EXPECT_EQ(ScreenId, 47);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 46);
}

TEST_F(MPScreens, AFailedJoinShowsItsNoticeAndTheWaitIsBounded) {
  SetMPBrowserSource(&kFakeSource);
  g_fake.hosts.push_back(Host("Only", 1, 2, 2));
  struct Case {
    int joinResult;
    int connectAfter;
    int screen;
  };
  // Refused (-2), other failures, no welcome within the wait, welcomed.
  const Case cases[] = {{-2, -1, 36}, {-1, -1, 35}, {0, -1, 35}, {0, 3, 48}};
  for (const Case& c : cases) {
    OpenLong(47);
    RefreshSessionList();
    g_fake.joinResult = c.joinResult;
    g_fake.connectAfterPasses = c.connectAfter;
    g_fake.passes = 0;
    g_RealClock->SetFixedFrameTime(100);
    PressLong("Return");
    g_RealClock->SetFixedFrameTime(0);
    EXPECT_EQ(ScreenId, c.screen) << c.joinResult << " " << c.connectAfter;
    if (c.joinResult == 0 && c.connectAfter < 0) {
      // 4,000 ms of 100-ms passes, and not much more.
      EXPECT_GE(g_fake.passes, 40);
      EXPECT_LE(g_fake.passes, 42);
    }
    if (ScreenId == 35 || ScreenId == 36) {
      PressLong("Escape");  // both notices lead back to the browser
      EXPECT_EQ(ScreenId, 47);
    }
  }
}

TEST_F(MPScreens, TextEntriesKeepAcceptedTextsAndRestoreCancelledOnes) {
  MPSetRole(1);
  // The port: empty shows the default, accepted digits are remembered.
  OpenLong(51);
  EXPECT_STREQ(MPHostPort, "22426");
  for (int i = 0; i < 5; ++i) PressLong("Backspace");
  Type("7000");
  PressLong("Return");
  EXPECT_EQ(ScreenId, 46);
  EXPECT_STREQ(MPHostPort, "7000");
  EXPECT_EQ(RegistryText("HostPort"), "7000");
  // The session name: typing then back restores the old one everywhere.
  MPCurrent()->SetSessionName("Old");
  OpenLong(44);
  Type("er");
  EXPECT_STREQ(MPCurrent()->settings_.sessionName, "Older") << "edited in place";
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 46);
  EXPECT_STREQ(MPCurrent()->settings_.sessionName, "Old");
  EXPECT_EQ(RegistryText("SessionName"), "Old");
  // The host address: the accepted address stays, in the registry too.
  MPSetRole(0);
  std::strcpy(MPHostAddress, "1.2.3.4");
  OpenLong(43);
  for (int i = 0; i < 7; ++i) PressLong("Backspace");
  Type("127.0.0.1");
  PressLong("Return");
  SettleLong();
  EXPECT_STREQ(MPHostAddress, "127.0.0.1");
  EXPECT_EQ(RegistryText("HostIPAddr"), "127.0.0.1");
  // At most 21 characters of an address can be typed.
  OpenLong(43);
  Type("123456789012345678901234567890");
  EXPECT_EQ(std::strlen(MPHostAddress), 21u);
  PressLong("Escape");
  EXPECT_STREQ(MPHostAddress, "127.0.0.1");
}

TEST_F(MPScreens, RegistryTextsTooLongAreClippedAndTerminated) {
  const std::string forty(40, 'x');
  {
    CRegistryKey key;
    key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
    for (const char* name : {"SessionName", "HostIPAddr", "HostPort", "PlayerName"}) key.SetString(name, forty.c_str());
  }
  LoadMultiplayerRegistry(1);
  EXPECT_EQ(std::string(MPHostAddress), std::string(21, 'x'));
  EXPECT_EQ(std::string(MPHostPort), std::string(5, 'x'));
  EXPECT_EQ(std::string(MPCurrent()->settings_.sessionName), std::string(20, 'x'));
  EXPECT_EQ(std::string(MPCurrent()->players_[MPGetLocalPlayerSlot()].name), std::string(19, 'x'));
}

TEST_F(MPScreens, OptionTextsAndAClientsChangesDoNothing) {
  struct TimeCase {
    int value;
    std::string text;
  };
  const std::string minutes = g_Locale->GetString(mptext::kMinutes);
  const TimeCase times[] = {{0, "5 " + minutes}, {1, "10 " + minutes}, {3, "20 " + minutes},
                            {4, g_Locale->GetString(mptext::kNoTimeLimit)}};
  for (const TimeCase& c : times) {
    char text[64];
    TimeOptionText(c.value, text, sizeof text);
    EXPECT_EQ(text, c.text) << c.value;
  }
  // A client: the values are shown disabled and a step changes nothing.
  MPSetTestRole(2);
  const int before = MPCurrent()->settings_.maxPlayers;
  OpenLong(48);
  EXPECT_TRUE(Current()->Menu->FindItem(3501)->IsDisabled());
  PressLong("Left");
  EXPECT_EQ(MPCurrent()->settings_.maxPlayers, before);
  OpenLong(49);
  EXPECT_TRUE(Current()->Menu->FindItem(3601)->IsDisabled());
}

TEST_F(MPScreens, NoticesDoWhatBackSaysForTheirId) {
  struct Case {
    int id;
    int next;
  };
  const Case cases[] = {{35, 47}, {36, 47}, {40, 1}, {42, 15}};
  for (const Case& c : cases) {
    OpenLong(c.id);
    PressLong("Escape");
    EXPECT_EQ(ScreenId, c.next) << c.id;
  }
  char line[128];
  MPWatchingLine(line, sizeof line);
  EXPECT_EQ(std::string(line), std::string(g_Locale->GetString(mptext::kWatching)) + " : ");
}

TEST_F(MPScreens, EveryTextTheScreensAskForIsInTheStringFiles) {
  SetMPBrowserSource(&kFakeSource);
  g_fake.hosts.push_back(Host("One", 1, 2, 2));
  RefreshSessionList();
  MPSetTestRole(1);
  BuildScoreMenu();
  for (int id : {3, 46, 47, 48, 49, 43, 44, 45, 51, 56, 34, 35, 36, 38, 39, 40, 41, 42, 52, 53, 55, 58, 37}) {
    if (id == 52) BuildTeamMenu();
    SetScreen(id);
    for (int i = 0; i < 30; ++i) Frame(40);
  }
  ASSERT_GE(g_askedIds.size(), 30u);
  for (std::uint32_t id : g_askedIds) EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
}

}  // namespace
