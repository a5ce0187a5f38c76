// A session of a host and seven clients in one process on 127.0.0.1, run
// for 10 s at the multiplayer layer's cadences with every player's soldier
// moving: each client sends its player input every 19 ms (it changes every
// step) and flushes every 50 ms, the host flushes every 100 ms.  Printed:
// the bytes a second per player that the transport put on the wire (UDP
// payloads with ENet's own headers and acknowledgements, from the
// stand-in's counters, host and clients) against the bits of state the
// messages carry (their bit counts), and their ratio (goal: at most 1.3).
// The soldiers' own state messages belong to the units and are not sent
// here.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "control/players/player_input_msg.h"
#include "net/bits/bit_stream.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_callback_table.h"
#include "net/session/net_session.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_counters.h"

namespace {

const GUID kApplication = {0x4D505357, 0x4241, 0x4E44, {0x57, 0x49, 0x44, 0x54, 0x48, 0x42, 0x45, 0x4E}};
constexpr int kClients = 7;
constexpr double kSeconds = 10.0;

std::atomic<std::uint64_t> g_inputsAtHost{0};

int HostMessage(NetMessageRecord*, CBitStream* stream) {
  std::uint32_t type = 0;
  if (!stream->ReadBits(&type, 5)) return -1;
  if (type != 25) return -1;
  PlayerInputMsg m;
  if (!m.Read(*stream)) return -1;
  ++g_inputsAtHost;
  return 0;
}

int ClientMessage(NetMessageRecord*, CBitStream* stream) {
  // The welcome (type 1, the slot): read and dropped.
  std::uint32_t type = 0, slot = 0;
  if (!stream->ReadBits(&type, 5) || type != 1) return -1;
  return stream->ReadBits(&slot, 8) ? 0 : -1;
}

NetMessageRecord InputRecord(PlayerInputMsg& m) {
  NetMessageRecord r;
  r.Blank();
  r.kind = NetMessageRecord::kKindOutgoing;
  r.guaranteed = 1;
  CBitStream s;
  m.Write(s);
  r.SetPayload(s);
  return r;
}

std::uint64_t WireBytes(CNetSession& s) {
  std::uint64_t bytes = 0;
  if (s.GetServer() != nullptr && s.GetServer()->GetWrapper() != nullptr)
    bytes += DPlay8GetCounters(s.GetServer()->GetWrapper()->GetServer()).bytesSent;
  if (s.GetClient() != nullptr && s.GetClient()->GetWrapper() != nullptr)
    bytes += DPlay8GetCounters(s.GetClient()->GetWrapper()->GetClient()).bytesSent;
  return bytes;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  SetNetCallback(NETCB_SERVER_GAME_MESSAGE, HostMessage);
  SetNetCallback(NETCB_CLIENT_GAME_MESSAGE, ClientMessage);
  const DWORD port = DPlay8FindFreePort();
  CNetSession host(&kApplication);
  if (host.Start(port) != 0 || host.Host("Bandwidth", nullptr, 0, 8, 0) != 0) {
    std::fprintf(stderr, "the host could not start\n");
    return 1;
  }
  std::vector<std::unique_ptr<CNetSession>> clients;
  const std::string text = "127.0.0.1:" + std::to_string(port);
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<CNetSession>(&kApplication));
    CNetSession& c = *clients.back();
    if (c.Start(port) != 0 || c.EnumHosts(text.c_str(), 8) != 0) return 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (c.GetHostCount() < 1 && std::chrono::steady_clock::now() < deadline) {
      host.Update();
      c.Update();
      std::this_thread::yield();
    }
    if (c.GetHostCount() < 1 || c.Connect(0) != 0) {
      std::fprintf(stderr, "client %d could not join\n", i);
      return 1;
    }
  }

  std::uint64_t wireBefore = WireBytes(host);
  for (auto& c : clients) wireBefore += WireBytes(*c);
  std::vector<PlayerInputMsg> inputs(kClients);
  std::uint64_t stateBits = 0, messages = 0;
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto ms = [&start] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
  double nextInput = 0, nextClientFlush = 0, nextHostFlush = 0;
  while (ms() < kSeconds * 1000.0) {
    const double now = ms();
    host.Update();
    host.DispatchReceived();
    for (auto& c : clients) {
      c->Update();
      c->DispatchReceived();
    }
    if (now >= nextInput) {
      for (int i = 0; i < kClients; ++i) {
        // Every soldier moves: its yaw turns by a degree each step.
        PlayerInputMsg& m = inputs[i];
        m.unitId = static_cast<std::uint32_t>(i + 1);
        m.controlBits = INPUT_FORWARD | INPUT_TURN_LEFT;
        m.yaw = static_cast<float>(static_cast<int>(now / 19.0) % 360);
        m.rotation[0] = 5.0f;
        PlayerInputMsg copy = m;
        if (clients[i]->QueueSendAsClient(InputRecord(copy)) == 0) {
          stateBits += PlayerInputMsg::kBits;
          ++messages;
        }
      }
      nextInput += 19.0;
    }
    if (now >= nextClientFlush) {
      for (auto& c : clients) c->FlushSend();
      nextClientFlush += 50.0;
    }
    if (now >= nextHostFlush) {
      host.FlushSend();
      nextHostFlush += 100.0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const double seconds = ms() / 1000.0;
  std::uint64_t wireAfter = WireBytes(host);
  for (auto& c : clients) wireAfter += WireBytes(*c);
  const double wirePerPlayer = static_cast<double>(wireAfter - wireBefore) / seconds / kClients;
  const double statePerPlayer = static_cast<double>(stateBits) / 8.0 / seconds / kClients;
  std::printf("session of 1 host and %d clients, %.1f s at the session's cadences: %llu input messages sent, %llu read at the host\n",
              kClients, seconds, static_cast<unsigned long long>(messages),
              static_cast<unsigned long long>(g_inputsAtHost.load()));
  std::printf("per player: %.0f bytes a second on the wire, %.0f bytes a second of state carried\n", wirePerPlayer,
              statePerPlayer);
  std::printf("ratio (wire / state): %.2f (goal: at most 1.3)\n", statePerPlayer > 0 ? wirePerPlayer / statePerPlayer : 0.0);
  for (auto& c : clients) c->Stop();
  host.Stop();
  ClearNetCallbacks();
  CoUninitialize();
  return 0;
}
