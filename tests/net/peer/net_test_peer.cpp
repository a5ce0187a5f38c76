// A test peer in a process of its own, built from the network library: it
// finds the host on 127.0.0.1, joins it, sends `count` guaranteed messages
// of random fields (never more than 40 ahead of the host's
// acknowledgements), says DONE on its output, and then stays in the
// session until it is killed or 60 s have passed.
//   net_test_peer <port> <count> <seed>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "net/session/net_fixture.h"
#include "platform/dplay8/com.h"

namespace {

std::atomic<std::uint32_t> g_acknowledged{0};

int AckReceived(NetMessageRecord*, CBitStream* stream) {
  std::uint32_t type = 0, value = 0;
  if (!stream->ReadBits(&type, 5)) return -1;
  if (type == 1) return stream->ReadBits(&value, 8) ? 0 : -1;  // the slot message
  if (type != kTestAckType || !stream->ReadBits(&value, 32)) return -1;
  if (value > g_acknowledged.load()) g_acknowledged = value;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: net_test_peer <port> <count> <seed>\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::uint32_t count = static_cast<std::uint32_t>(std::atoi(argv[2]));
  const std::uint32_t seed = static_cast<std::uint32_t>(std::atoi(argv[3]));
  SetNetCallback(NETCB_CLIENT_GAME_MESSAGE, &AckReceived);
  CNetSession session(&kNetTestApplication);
  if (session.Start(static_cast<DWORD>(port)) != 0) return 3;
  const std::string host = "127.0.0.1:" + std::to_string(port);
  if (session.EnumHosts(host.c_str(), 4) != 0) return 4;
  if (!PumpUntil({&session}, [&] { return session.GetHostCount() > 0; }, 10000000, 10000)) return 5;
  if (session.Connect(0) != 0) return 6;
  std::printf("JOINED\n");
  std::fflush(stdout);
  std::uint32_t sent = 0;
  const bool done = PumpUntil({&session}, [&] {
    while (sent < count && sent < g_acknowledged.load() + 40 &&
           session.QueueSendAsClient(TestMessage(seed, sent, 0, 1)) == 0)
      ++sent;
    return sent == count && g_acknowledged.load() >= count;
  }, 100000000, 60000);
  std::printf(done ? "DONE\n" : "UNFINISHED %u %u\n", sent, g_acknowledged.load());
  std::fflush(stdout);
  PumpUntil({&session}, [&] { return session.IsDisconnected() != 0; }, 100000000, 60000);
  session.Stop();
  return done ? 0 : 7;
}
