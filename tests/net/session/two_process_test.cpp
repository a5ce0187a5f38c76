// The library between two processes on 127.0.0.1: a test peer process
// joins this process's host and sends 10,000 guaranteed messages of random
// fields, every bit checked on arrival; then it is killed, and the host
// frees its slot and takes a new client.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "net_fixture.h"
#include "platform/dplay8/com.h"

#ifndef HALBERD_NET_TEST_PEER
#error "the test peer program's path is given by the build"
#endif

namespace {

// Starts the peer in the background; its process id, 0 when it did not start.
long StartPeer(std::uint16_t port, std::uint32_t count, std::uint32_t seed, const std::string& name) {
  // Its log and process id in the test program's own temporary folder.
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string pidFile = (folder / ("net_test_peer_" + name + ".pid")).string();
  const std::string logFile = (folder / ("net_test_peer_" + name + ".log")).string();
  const std::string command = std::string("'") + HALBERD_NET_TEST_PEER + "' " + std::to_string(port) + " " +
                              std::to_string(count) + " " + std::to_string(seed) + " > '" + logFile +
                              "' 2>&1 & echo $! > '" + pidFile + "'";
  if (std::system(command.c_str()) != 0) return 0;
  long pid = 0;
  std::ifstream(pidFile) >> pid;
  return pid;
}

void KillPeer(long pid) {
  if (pid > 0) std::system(("kill -9 " + std::to_string(pid) + " 2>/dev/null").c_str());
}

// The host acknowledges what it has checked (at most once a frame).
void Acknowledge(CNetSession& host, std::uint32_t player, std::uint32_t* acknowledged) {
  std::uint32_t checked = 0;
  for (const ReceivedMessage& m : Game().Copy(Game().atHost)) checked += m.sender == player;
  if (checked > *acknowledged && host.QueueSendAsHost(AckMessage(checked, player)) == 0) *acknowledged = checked;
}

}  // namespace

TEST(TwoProcesses, TenThousandMessagesArriveIntactAndAKilledPeerFreesItsSlot) {
  ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
  RegisterGameCallbacks();
  Game().Clear();
  Game().seed = 4848;
  DPlay8SetPeerTimeout(1000);
  const std::uint16_t port = DPlay8FindFreePort();
  ASSERT_NE(port, 0);
  auto host = std::make_unique<CNetSession>(&kNetTestApplication);
  ASSERT_EQ(host->Start(port), 0);
  ASSERT_EQ(host->Host("Two processes", nullptr, 0, 8, 0), 0);

  const long first = StartPeer(port, 10000, Game().seed, "first");
  ASSERT_GT(first, 0);
  ASSERT_TRUE(PumpUntil({host.get()}, [&] { return Game().Size(Game().created) == 2; }, 100000000, 30000));
  const std::uint32_t player = Game().Copy(Game().created)[1].playerId;
  std::uint32_t acknowledged = 0;
  const bool all = PumpUntil({host.get()}, [&] {
    Acknowledge(*host, player, &acknowledged);
    return Game().Size(Game().atHost) >= 10000 && acknowledged >= 10000;
  }, 1000000000, 120000);
  const auto received = Game().Copy(Game().atHost);
  EXPECT_TRUE(all) << received.size() << " messages";
  std::uint32_t next = 0, broken = 0;
  for (const ReceivedMessage& m : received) {
    if (!m.intact || m.sequence != next) ++broken;
    next = m.sequence + 1;
  }
  EXPECT_EQ(broken, 0u);
  EXPECT_EQ(next, 10000u);

  // Killed without a word: dropped after the time-out, its slot freed.
  KillPeer(first);
  ASSERT_TRUE(PumpUntil({host.get()}, [&] { return Game().Size(Game().destroyed) == 1; }, 1000000000, 20000));
  EXPECT_EQ(Game().Copy(Game().destroyed)[0], 1);
  EXPECT_EQ(host->GetPlayerCount(), 1);

  Game().Clear();
  const long second = StartPeer(port, 50, Game().seed, "second");
  ASSERT_GT(second, 0);
  ASSERT_TRUE(PumpUntil({host.get()}, [&] { return Game().Size(Game().created) == 1; }, 100000000, 30000));
  EXPECT_EQ(Game().Copy(Game().created)[0].slotIndex, 1u);
  const std::uint32_t newcomer = Game().Copy(Game().created)[0].playerId;
  acknowledged = 0;
  EXPECT_TRUE(PumpUntil({host.get()}, [&] {
    Acknowledge(*host, newcomer, &acknowledged);
    return Game().Size(Game().atHost) >= 50;
  }, 100000000, 30000));
  KillPeer(second);
  host->Stop();
  EXPECT_EQ(DPlay8OutstandingBuffers(), 0u);
  host.reset();
  DPlay8SetPeerTimeout(0);
  ClearNetCallbacks();
  CoUninitialize();
}
