#include "platform/dplay8/raw_test_peer.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/dplay8/dplay8_endpoint.h"
#include "platform/dplay8/dplay8_wire.h"

namespace {

ENetHost* Host(void* h) { return static_cast<ENetHost*>(h); }
ENetPeer* Peer(void* p) { return static_cast<ENetPeer*>(p); }

}  // namespace

DPlay8RawPeer::DPlay8RawPeer() {
  enet_initialize();
  host_ = enet_host_create(nullptr, 1, 2, 0, 0);
}

DPlay8RawPeer::~DPlay8RawPeer() {
  if (host_ != nullptr) enet_host_destroy(Host(host_));
}

bool DPlay8RawPeer::Connect(std::uint16_t port, int ms) {
  if (host_ == nullptr) return false;
  ENetAddress address{};
  enet_address_set_host_ip(&address, "127.0.0.1");
  address.port = port;
  peer_ = enet_host_connect(Host(host_), &address, 2, 0);
  if (peer_ == nullptr) return false;
  const std::uint32_t end = dplay8::NowMs() + static_cast<std::uint32_t>(ms);
  ENetEvent event;
  while (static_cast<std::int32_t>(end - dplay8::NowMs()) > 0) {
    if (enet_host_service(Host(host_), &event, 5) > 0) {
      if (event.type == ENET_EVENT_TYPE_CONNECT) {
        connected_ = true;
        return true;
      }
      if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
      if (event.type == ENET_EVENT_TYPE_DISCONNECT) return false;
    }
  }
  return false;
}

bool DPlay8RawPeer::SendPacket(const std::vector<std::uint8_t>& bytes, bool reliable) {
  if (!connected_) return false;
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (packet == nullptr) return false;
  if (enet_peer_send(Peer(peer_), reliable ? 0 : 1, packet) != 0) {
    enet_packet_destroy(packet);
    return false;
  }
  enet_host_flush(Host(host_));
  return true;
}

bool DPlay8RawPeer::SendConnectRequest(const GUID& application, const std::vector<std::uint8_t>& data) {
  return SendPacket(DPlay8ConnectRequestBytes(application, data), true);
}

bool DPlay8RawPeer::SendConfirm() { return SendPacket({dplay8_wire::PACKET_CONFIRM}, true); }

bool DPlay8RawPeer::SendMessage(const std::vector<std::uint8_t>& bytes, bool reliable) {
  std::vector<std::uint8_t> packet;
  packet.reserve(bytes.size() + 1);
  packet.push_back(dplay8_wire::PACKET_DATA);
  packet.insert(packet.end(), bytes.begin(), bytes.end());
  return SendPacket(packet, reliable);
}

void DPlay8RawPeer::Service(int ms) {
  if (host_ == nullptr) return;
  const std::uint32_t end = dplay8::NowMs() + static_cast<std::uint32_t>(ms);
  ENetEvent event;
  do {
    while (enet_host_service(Host(host_), &event, 1) > 0) {
      if (event.type == ENET_EVENT_TYPE_RECEIVE) {
        if (event.packet->dataLength > 0) {
          const std::uint8_t kind = event.packet->data[0];
          ByteReader in(event.packet->data + 1, event.packet->dataLength - 1);
          if (kind == dplay8_wire::PACKET_ACCEPT) {
            dplay8_wire::Accept accept;
            if (accept.Read(in)) accepted_ = accept.player;
          } else if (kind == dplay8_wire::PACKET_REJECT) {
            refused_ = true;
          } else if (kind == dplay8_wire::PACKET_DATA) {
            ++messages_;
          }
        }
        enet_packet_destroy(event.packet);
      } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
        connected_ = false;
      }
    }
  } while (static_cast<std::int32_t>(end - dplay8::NowMs()) > 0);
}

DPNID DPlay8RawPeer::WaitForAccept(int ms) {
  const std::uint32_t end = dplay8::NowMs() + static_cast<std::uint32_t>(ms);
  while (accepted_ == 0 && !refused_ && static_cast<std::int32_t>(end - dplay8::NowMs()) > 0) Service(5);
  return accepted_;
}

void DPlay8RawPeer::Disconnect(int ms) {
  if (!connected_) return;
  enet_peer_disconnect(Peer(peer_), 0);
  const std::uint32_t end = dplay8::NowMs() + static_cast<std::uint32_t>(ms);
  while (connected_ && static_cast<std::int32_t>(end - dplay8::NowMs()) > 0) Service(5);
  connected_ = false;
}

void DPlay8RawPeer::Vanish() {
  if (host_ != nullptr) enet_host_destroy(Host(host_));  // resets its peers: nothing is sent
  host_ = nullptr;
  peer_ = nullptr;
  connected_ = false;
}

bool DPlay8RawPeer::IsConnected() const { return connected_; }

namespace {

bool SendFrom(int fd, std::uint16_t port, const std::vector<std::uint8_t>& bytes) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
         static_cast<ssize_t>(bytes.size());
}

}  // namespace

bool DPlay8SendUdp(std::uint16_t port, const std::vector<std::uint8_t>& bytes) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return false;
  const bool sent = SendFrom(fd, port, bytes);
  close(fd);
  return sent;
}

std::size_t DPlay8FloodUdp(std::uint16_t port, const std::vector<std::uint8_t>& bytes, std::size_t count) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return 0;
  std::size_t sent = 0;
  for (std::size_t i = 0; i < count; ++i) sent += SendFrom(fd, port, bytes) ? 1 : 0;
  close(fd);
  return sent;
}

long long DPlay8UdpRoundTripMicros(std::uint16_t port, const std::vector<std::uint8_t>& bytes, int ms) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  long long micros = -1;
  if (SendFrom(fd, port, bytes)) {
    pollfd p{fd, POLLIN, 0};
    std::uint8_t answer[2048];
    if (poll(&p, 1, ms) == 1 && recv(fd, answer, sizeof answer, 0) >= 0)
      micros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
  }
  close(fd);
  return micros;
}

std::vector<std::uint8_t> DPlay8EnumQueryBytes(const GUID& application) {
  dplay8_wire::EnumQuery query;
  query.application = application;
  query.sendTime = dplay8::NowMs();
  ByteWriter out;
  query.Write(out);
  return out.Data();
}

std::vector<std::uint8_t> DPlay8ConnectRequestBytes(const GUID& application, const std::vector<std::uint8_t>& data) {
  dplay8_wire::ConnectRequest request;
  request.application = application;
  request.data = data;
  ByteWriter out;
  request.Write(out);
  return out.Data();
}
