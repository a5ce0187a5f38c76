#include "platform/dplay8/bare_enet_probe.h"

#include <enet/enet.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

BareEnetFigures MeasureBareEnet(std::uint16_t port, std::size_t count, std::size_t size, std::size_t pings) {
  BareEnetFigures figures;
  enet_initialize();
  ENetAddress bind{};
  bind.host = ENET_HOST_ANY;
  bind.port = port;
  ENetHost* server = enet_host_create(&bind, 4, 2, 0, 0);
  ENetHost* client = enet_host_create(nullptr, 1, 2, 0, 0);
  if (server == nullptr || client == nullptr) {
    if (server) enet_host_destroy(server);
    if (client) enet_host_destroy(client);
    return figures;
  }
  std::atomic<bool> stop{false};
  std::atomic<std::uint64_t> received{0};
  // The receiving side: counts messages and echoes the ones marked as pings.
  std::thread serverThread([&] {
    ENetEvent event;
    while (!stop.load()) {
      if (enet_host_service(server, &event, 1) <= 0) continue;
      if (event.type == ENET_EVENT_TYPE_RECEIVE) {
        ++received;
        if (event.packet->dataLength > 0 && event.packet->data[0] == 1) {
          ENetPacket* echo = enet_packet_create(event.packet->data, event.packet->dataLength, ENET_PACKET_FLAG_RELIABLE);
          enet_peer_send(event.peer, 0, echo);
          enet_host_flush(server);
        }
        enet_packet_destroy(event.packet);
      }
    }
  });
  ENetAddress to{};
  enet_address_set_host_ip(&to, "127.0.0.1");
  to.port = port;
  ENetPeer* peer = enet_host_connect(client, &to, 2, 0);
  ENetEvent event;
  bool connected = false;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!connected && std::chrono::steady_clock::now() < giveUp)
    if (enet_host_service(client, &event, 5) > 0 && event.type == ENET_EVENT_TYPE_CONNECT) connected = true;
  if (connected) {
    std::vector<std::uint8_t> bytes(size, 0);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
      enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
      if (i % 64 == 63) enet_host_service(client, &event, 0);
    }
    const auto deadline = start + std::chrono::seconds(30);
    while (received.load() < count && std::chrono::steady_clock::now() < deadline) enet_host_service(client, &event, 1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.delivered = received.load();
    figures.datagramsPerSecond = static_cast<double>(figures.delivered) / seconds;
    // Round trips, one at a time.
    bytes[0] = 1;
    double total = 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < pings; ++i) {
      const auto sent = std::chrono::steady_clock::now();
      enet_peer_send(peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
      enet_host_flush(client);
      bool echoed = false;
      const auto end = sent + std::chrono::seconds(2);
      while (!echoed && std::chrono::steady_clock::now() < end) {
        if (enet_host_service(client, &event, 1) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) {
          echoed = true;
          enet_packet_destroy(event.packet);
        }
      }
      if (!echoed) break;
      total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - sent).count();
      ++done;
    }
    figures.roundTripMicros = done ? total / static_cast<double>(done) : 0;
    enet_peer_disconnect_now(peer, 0);
  }
  stop = true;
  serverThread.join();
  enet_host_destroy(client);
  enet_host_destroy(server);
  return figures;
}
