// The program in multiplayer sessions on 127.0.0.1, headless: a hosting
// program and a joining one reach the round and report the same session;
// a joined program that is killed mid-round is dropped by the host after the
// time-out, announced, and a new one takes its place.  Every run is bounded
// by its frames and by a wall-time cap.
// halberd: own compile unit
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/system/registry_key.h"
#include "net/mp_layer.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/registry.h"
#include "shell/multiplayer/session_run_options.h"

#ifndef HALBERD_PROGRAM_DIR
#error "the program's folder is given by the build"
#endif

namespace {

const std::string kProgram = std::string(HALBERD_PROGRAM_DIR) + "/halberd";

class SessionPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("halberd_session_programs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    port_ = DPlay8FindFreePort();
    ASSERT_NE(port_, 0);
    SetRegistryFolder(folder_.c_str());
    CRegistryKey key;
    ASSERT_NE(key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey), 0);
    ASSERT_NE(key.SetString("HostPort", std::to_string(port_).c_str()), 0);
  }
  void TearDown() override {
    for (long pid : started_) std::system(("kill -9 " + std::to_string(pid) + " 2>/dev/null").c_str());
    SetRegistryFolder(nullptr);
  }
  // The command line of one bounded run of the program.
  std::string Run(const std::string& options, const std::string& name) const {
    return "HALBERD_REGISTRY_DIR='" + folder_.string() + "' timeout 120 '" + kProgram + "' " + options + " > '" +
           (folder_ / (name + ".log")).string() + "' 2>&1";
  }
  // Starts a run in the background; the program's process id (the shell
  // that writes it becomes the program).
  long Start(const std::string& options, const std::string& name) {
    const std::string pidFile = (folder_ / (name + ".pid")).string();
    const std::string command = "HALBERD_REGISTRY_DIR='" + folder_.string() + "' timeout 120 sh -c 'echo $$ > \"" +
                                pidFile + "\"; exec \"" + kProgram + "\" " + options + "' > '" +
                                (folder_ / (name + ".log")).string() + "' 2>&1 &";
    if (std::system(command.c_str()) != 0) return 0;
    // The shell writes its id once it runs: wait for it, bounded.
    long pid = 0;
    for (int i = 0; i < 2000000 && pid <= 0; ++i) {
      std::this_thread::yield();
      std::ifstream in(pidFile);
      if (!(in >> pid)) pid = 0;
    }
    if (pid > 0) started_.push_back(pid);
    return pid;
  }
  std::string Read(const std::string& file) const {
    std::ifstream in(folder_ / file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The report's lines that begin with `word`.
  std::vector<std::string> Lines(const std::string& report, const std::string& word) const {
    std::vector<std::string> out;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);)
      if (line.rfind(word, 0) == 0) out.push_back(line);
    return out;
  }

  std::filesystem::path folder_;
  std::uint16_t port_ = 0;
  std::vector<long> started_;
};

TEST(SessionRunOptions, MalformedOptionsAreRefusedWithTheReason) {
  struct Case {
    bool host;
    const char* join;
    bool accepted;
  } cases[] = {
      {false, "127.0.0.1:7777", true}, {true, nullptr, true},           {false, nullptr, true},
      {true, "127.0.0.1:7777", false}, {false, "127.0.0.1", false},     {false, ":7777", false},
      {false, "127.0.0.1:0", false},   {false, "127.0.0.1:65536", false}, {false, "127.0.0.1:", false},
      {false, "127.0.0.1:77x", false}, {false, "127.0.0.1:-1", false},  {false, "127.0.0.1: 80", false},
      {false, "127.0.0.1:99999999999999999999", false},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(SetSessionRunOptions(c.host, c.join, nullptr, &error), c.accepted) << (c.join ? c.join : "(none)");
    EXPECT_EQ(error.empty(), c.accepted) << error;
    EXPECT_EQ(SessionRunOptionsActive(), c.accepted && (c.host || c.join != nullptr));
  }
  std::string error;
  EXPECT_TRUE(SetSessionRunOptions(false, nullptr, nullptr, &error));
  EXPECT_FALSE(SessionRunOptionsActive());
}

TEST_F(SessionPrograms, AHostAndAJoiningProgramReachTheRoundAndReportTheSameSession) {
  const std::string join = "--join 127.0.0.1:" + std::to_string(port_);
  // The host ends first: its report sees the client in the session, and
  // the client's table keeps what the session said when the host went.
  const std::string both = Run("--host --frames 700 --report '" + (folder_ / "host.txt").string() + "'", "host") +
                           " & " + Run(join + " --frames 900 --report '" + (folder_ / "client.txt").string() + "'",
                                       "client") +
                           "; wait";
  ASSERT_EQ(std::system(both.c_str()), 0);
  const std::string host = Read("host.txt"), client = Read("client.txt");
  ASSERT_FALSE(host.empty()) << Read("host.log");
  ASSERT_FALSE(client.empty()) << Read("client.log");
  // Both are in the round.
  EXPECT_EQ(host.rfind("session state 7 requested 7 role host slot 0", 0), 0u) << host;
  EXPECT_EQ(client.rfind("session state 7 requested 7", 0), 0u) << client;
  EXPECT_NE(client.find(" slot 1 "), std::string::npos) << client;
  EXPECT_NE(client.find(" round 1"), std::string::npos) << client;
  // The same settings, player table, queue blocks and shared random numbers.
  for (const char* word : {"settings", "player", "queue", "random", "objects"})
    EXPECT_EQ(Lines(host, word), Lines(client, word)) << word;
  const std::vector<std::string> players = Lines(host, "player");
  ASSERT_EQ(players.size(), 8u);
  EXPECT_EQ(players[0].rfind("player 0 state 2 team 0", 0), 0u) << players[0];
  EXPECT_EQ(players[1].rfind("player 1 state 2 team 1", 0), 0u) << players[1];
}

TEST_F(SessionPrograms, AKilledClientIsDroppedAnnouncedAndReplaced) {
  ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
  DPlay8SetPeerTimeout(1000);
  CMultiplayer host;
  host.role_ = 1;
  ASSERT_EQ(host.Start(&kHalberdApplication, port_), 0);
  ASSERT_EQ(host.StartSession(0), 0);
  // The host's level is ready: it starts the round on its own.
  host.state_ = MPS_LOBBY;
  host.levelReady_ = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(100);
  auto runUntil = [&](const std::function<bool()>& done) {
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      host.Update();
      ResendRoundToLateJoiners(&host);
      host.PostFrame();
      std::this_thread::yield();
    }
    return done();
  };
  ASSERT_TRUE(runUntil([&] { return host.GetSessionState() == MPS_PLAYING_STATE; }));

  const std::string join = "--join 127.0.0.1:" + std::to_string(port_) + " --frames 100000";
  const long first = Start(join, "first");
  ASSERT_GT(first, 0);
  // In the round: its soldier reported ready in the level.
  ASSERT_TRUE(runUntil([&] { return host.players_[1].spawned == 1; })) << Read("first.log");
  EXPECT_EQ(host.players_[1].state, 2u);

  std::system(("kill -9 " + std::to_string(first) + " 2>/dev/null").c_str());
  ASSERT_TRUE(runUntil([&] { return host.players_[1].state == 0; }));
  EXPECT_EQ(host.playersLeft_, 1);
  EXPECT_EQ(host.players_[1].team, MPPlayerRecord::kNoTeam);
  EXPECT_EQ(host.GetSessionState(), static_cast<std::uint32_t>(MPS_PLAYING_STATE));

  const long second = Start(join, "second");
  ASSERT_GT(second, 0);
  ASSERT_TRUE(runUntil([&] { return host.players_[1].spawned == 1; })) << Read("second.log");
  EXPECT_EQ(host.settings_.playerCount, 2);
  host.Stop();
  DPlay8SetPeerTimeout(0);
  CoUninitialize();
}

}  // namespace
