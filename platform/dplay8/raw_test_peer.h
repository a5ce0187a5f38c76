// A peer that speaks the network stand-in's protocol by hand, or not at
// all: for tests that throw hostile traffic at a host (malformed packets,
// connections that never finish, floods, peers that vanish).  Single
// threaded: the test drives it.  Sends only to 127.0.0.1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/dplay8/dplay8_types.h"

class DPlay8RawPeer {
 public:
  DPlay8RawPeer();
  // Vanishes if still connected.
  ~DPlay8RawPeer();
  DPlay8RawPeer(const DPlay8RawPeer&) = delete;
  DPlay8RawPeer& operator=(const DPlay8RawPeer&) = delete;

  // Opens the transport connection to the host's port (no connect data
  // yet); false when it is not made within `ms`.
  bool Connect(std::uint16_t port, int ms);
  // Sends the connect request with the application and the connect data.
  bool SendConnectRequest(const GUID& application, const std::vector<std::uint8_t>& data);
  // Waits (at most `ms`) for the host's accept; the player id it gives, 0
  // when refused or nothing came.
  DPNID WaitForAccept(int ms);
  bool SendConfirm();
  // A message as a joined client sends it (kind byte 5, then the bytes).
  bool SendMessage(const std::vector<std::uint8_t>& bytes, bool reliable);
  // A packet of any bytes (no kind byte added: may be empty or anything).
  bool SendPacket(const std::vector<std::uint8_t>& bytes, bool reliable);
  // Services the connection for `ms` (acknowledgements, pings).
  void Service(int ms);
  // Polite disconnection, serviced for at most `ms`.
  void Disconnect(int ms);
  // Goes away without a word: the host hears nothing more.
  void Vanish();
  bool IsConnected() const;
  // Messages (kind 5) received from the host.
  std::size_t MessagesReceived() const { return messages_; }

 private:
  void* host_ = nullptr;  // the ENet host
  void* peer_ = nullptr;  // the ENet peer
  bool connected_ = false;
  std::size_t messages_ = 0;
  DPNID accepted_ = 0;
  bool refused_ = false;
};

// One UDP datagram to 127.0.0.1:port from a fresh socket; false when not sent.
bool DPlay8SendUdp(std::uint16_t port, const std::vector<std::uint8_t>& bytes);
// `count` datagrams from one socket, as fast as they go; how many were sent.
std::size_t DPlay8FloodUdp(std::uint16_t port, const std::vector<std::uint8_t>& bytes, std::size_t count);
// One datagram to 127.0.0.1:port from a fresh socket and the wait for the
// first datagram back: the microseconds between, -1 when nothing came within `ms`.
long long DPlay8UdpRoundTripMicros(std::uint16_t port, const std::vector<std::uint8_t>& bytes, int ms);
// The bytes of an enumeration query for the application (the stand-in's own format).
std::vector<std::uint8_t> DPlay8EnumQueryBytes(const GUID& application);
// The bytes of a connect request's packet (kind byte included).
std::vector<std::uint8_t> DPlay8ConnectRequestBytes(const GUID& application, const std::vector<std::uint8_t>& data);
