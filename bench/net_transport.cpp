// The network session objects on 127.0.0.1: guaranteed messages of the
// size of a packed frame sent one way as fast as they go, then echoed
// round trips one at a time; then bare ENet carrying the same messages in
// the same run.  The ratio lines give ours against bare ENet (goal:
// within 1.2x), and the wire counters what the session objects put on the
// wire.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/dplay8/bare_enet_probe.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8.h"
#include "platform/dplay8/dplay8_counters.h"

namespace {

const GUID kApplication = {0x42454E43, 0x4841, 0x4C42, {0x45, 0x52, 0x44, 0x42, 0x45, 0x4E, 0x43, 0x48}};
constexpr std::size_t kMessages = 20000;
constexpr std::size_t kSize = 175;  // one packed frame of messages and its bit count
constexpr std::size_t kPings = 2000;
constexpr int kRounds = 3;

struct Side {
  IDirectPlay8Server* server = nullptr;
  std::atomic<std::uint64_t> received{0};
  std::atomic<std::uint64_t> echoes{0};
};

HRESULT ServerHandler(void* context, DWORD id, void* message) {
  auto* side = static_cast<Side*>(context);
  if (id != DPN_MSGID_RECEIVE) return DPN_OK;
  auto* msg = static_cast<DPNMSG_RECEIVE*>(message);
  ++side->received;
  if (msg->dwReceiveDataSize > 0 && msg->pReceiveData[0] == 1) {
    DPN_BUFFER_DESC echo{msg->dwReceiveDataSize, msg->pReceiveData};
    DPNHANDLE handle = 0;
    side->server->SendTo(msg->dpnidSender, &echo, 1, 0, nullptr, &handle, DPNSEND_GUARANTEED | DPNSEND_NOLOOPBACK);
  }
  return DPN_OK;
}

HRESULT ClientHandler(void* context, DWORD id, void*) {
  if (id == DPN_MSGID_RECEIVE) ++static_cast<Side*>(context)->echoes;
  return DPN_OK;
}

IDirectPlay8Address* Address(const char16_t* host, DWORD port) {
  IDirectPlay8Address* a = nullptr;
  CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                   reinterpret_cast<void**>(&a));
  a->SetSP(&CLSID_DP8SP_TCPIP);
  if (host) {
    std::u16string h(host);
    a->AddComponent(DPNA_KEY_HOSTNAME, h.c_str(), static_cast<DWORD>((h.size() + 1) * 2), DPNA_DATATYPE_STRING);
  }
  a->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
  return a;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Side side;
  IDirectPlay8Client* client = nullptr;
  CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                   reinterpret_cast<void**>(&side.server));
  CoCreateInstance(CLSID_DirectPlay8Client, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Client,
                   reinterpret_cast<void**>(&client));
  side.server->Initialize(&side, &ServerHandler, 0);
  client->Initialize(&side, &ClientHandler, 0);
  const DWORD port = DPlay8FindFreePort();
  DPN_APPLICATION_DESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DPNSESSION_CLIENT_SERVER;
  desc.guidApplication = kApplication;
  desc.dwMaxPlayers = 8;
  IDirectPlay8Address* device = Address(nullptr, port);
  IDirectPlay8Address* host = Address(u"127.0.0.1", port);
  if (FAILED(side.server->Host(&desc, &device, 1, nullptr, nullptr, nullptr, 0)) ||
      FAILED(client->Connect(&desc, host, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, DPNCONNECT_SYNC))) {
    std::printf("net_transport: the session could not be made on 127.0.0.1:%u\n", port);
    return 1;
  }
  std::vector<std::uint8_t> bytes(kSize, 0);
  DPN_BUFFER_DESC buffer{static_cast<DWORD>(kSize), bytes.data()};
  DPNHANDLE handle = 0;
  // The best of three rounds of each measure (the machine is shared).
  double ourRate = 0, ourRoundTrip = 1e30;
  std::uint64_t delivered = 0;
  DPlay8Counters before{}, after{};
  for (int round = 0; round < kRounds; ++round) {
    bytes[0] = 0;
    const std::uint64_t start = side.received.load();
    if (round == 0) before = DPlay8GetCounters(client);
    const auto t0 = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < kMessages; ++i) client->Send(&buffer, 1, 0, nullptr, &handle, DPNSEND_GUARANTEED);
    const auto deadline = t0 + std::chrono::seconds(30);
    while (side.received.load() - start < kMessages && std::chrono::steady_clock::now() < deadline)
      std::this_thread::yield();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const std::uint64_t got = side.received.load() - start;
    if (round == 0) {
      after = DPlay8GetCounters(client);
      delivered = got;
    }
    ourRate = std::max(ourRate, static_cast<double>(got) / seconds);
    bytes[0] = 1;
    double total = 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < kPings; ++i) {
      const std::uint64_t echoes = side.echoes.load();
      const auto sent = std::chrono::steady_clock::now();
      client->Send(&buffer, 1, 0, nullptr, &handle, DPNSEND_GUARANTEED);
      const auto end = sent + std::chrono::seconds(2);
      while (side.echoes.load() == echoes && std::chrono::steady_clock::now() < end) std::this_thread::yield();
      if (side.echoes.load() == echoes) break;
      total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - sent).count();
      ++done;
    }
    if (done == kPings) ourRoundTrip = std::min(ourRoundTrip, total / static_cast<double>(done));
  }
  client->Close(0);
  side.server->Close(0);
  client->Release();
  side.server->Release();
  device->Release();
  host->Release();

  BareEnetFigures bare;
  bare.roundTripMicros = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    const BareEnetFigures f = MeasureBareEnet(DPlay8FindFreePort(), kMessages, kSize, kPings);
    bare.datagramsPerSecond = std::max(bare.datagramsPerSecond, f.datagramsPerSecond);
    if (f.roundTripMicros > 0) bare.roundTripMicros = std::min(bare.roundTripMicros, f.roundTripMicros);
    if (round == 0) bare.delivered = f.delivered;
  }
  std::printf("session objects (best of 3): %zu guaranteed messages of %zu bytes: %.0f a second (%llu delivered); round trip %.1f us\n",
              kMessages, kSize, ourRate, static_cast<unsigned long long>(delivered), ourRoundTrip);
  std::printf("  on the wire (client): %llu datagrams, %llu bytes\n",
              static_cast<unsigned long long>(after.datagramsSent - before.datagramsSent),
              static_cast<unsigned long long>(after.bytesSent - before.bytesSent));
  std::printf("bare ENet (best of 3): %.0f a second (%llu delivered); round trip %.1f us\n", bare.datagramsPerSecond,
              static_cast<unsigned long long>(bare.delivered), bare.roundTripMicros);
  if (bare.datagramsPerSecond > 0 && ourRate > 0 && bare.roundTripMicros < 1e30 && ourRoundTrip < 1e30)
    std::printf("ratio (bare ENet / ours, messages a second): %.2f; ratio (ours / bare ENet, round trip): %.2f (goal: each at most 1.2)\n",
                bare.datagramsPerSecond / ourRate, ourRoundTrip / bare.roundTripMicros);
  CoUninitialize();
  return 0;
}
