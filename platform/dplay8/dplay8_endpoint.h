// What the server and the client objects share: the network thread with its
// ENet host, the locked queue of work other threads hand it, the message
// handler, the RECEIVE buffers kept by handlers, and the counters.  Inside
// the stand-in only.
#pragma once

#include <enet/enet.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay8/dplay8_counters.h"

namespace dplay8 {

// Milliseconds of the stand-in's own steady clock (not the game's clocks).
std::uint32_t NowMs();

// The settings of dplay8_counters.h, as they stand.
std::uint32_t PeerTimeoutMs();
std::uint32_t HandshakeTimeoutMs();
std::uint32_t DefaultEnumRetryMs();
std::uint32_t ConnectTimeoutMs();

// One line of the call log, when it is on.
void LogCall(const std::string& line);

// Zeroed statistics with their size and a round trip.
inline DPN_CONNECTION_INFO ConnectionInfo(std::uint32_t roundTripMs) {
  DPN_CONNECTION_INFO info{};
  info.dwSize = sizeof info;
  info.dwRoundTripLatencyMS = roundTripMs;
  return info;
}

// The dotted text of an ENet address's host.
std::string HostText(const ENetAddress& address);

class Endpoint {
 public:
  Endpoint();
  virtual ~Endpoint();

  // Starts the network thread (once; DPNERR_ALREADYINITIALIZED after).
  HRESULT Start(void* context, PFNDPNMESSAGEHANDLER handler);
  // Ends the thread after running `lastWork` on it (the object's teardown).
  void Stop(std::function<void()> lastWork);
  bool IsStarted() const { return started_.load(); }

  // Runs work on the network thread (at once when called there).
  void Post(std::function<void()> work);
  // A user message for the network thread to send: a transport packet made
  // on the calling thread (its kind byte first), its addressee and send flags.
  struct SendItem {
    DPNID to;
    DWORD flags;
    ENetPacket* packet;
  };
  // Queues a message to send (no allocation beyond the packet's own).
  void PostSend(const SendItem& item);
  // A packet of the kind byte and the buffers' bytes; null when the
  // descriptors are not readable or the total is over `limit`.
  static ENetPacket* MakePacket(std::uint8_t kind, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD limit,
                                bool reliable);
  // Runs work on the network thread and waits for its result, at most
  // `timeoutMs`; DPNERR_TIMEDOUT when it did not run in time.
  HRESULT Call(std::function<HRESULT()> work, std::uint32_t timeoutMs = 5000);
  bool OnNetworkThread() const { return std::this_thread::get_id() == threadId_.load(); }

  // Gives back a kept RECEIVE buffer.
  HRESULT ReturnBuffer(DPNHANDLE handle);
  DPlay8Counters Counters() const;

 protected:
  // Calls the message handler (network thread only).
  HRESULT Raise(DWORD id, void* message);
  // Raises RECEIVE with a copy of the bytes; the copy is kept when the
  // handler answers DPNSUCCESS_PENDING.
  void RaiseReceive(DPNID sender, void* playerContext, const std::uint8_t* bytes, std::size_t size);
  // The same for a received ENet packet, its message from `offset` on; the
  // packet is kept, not copied, when the handler keeps the buffer (then the
  // thread does not destroy it).
  void RaiseReceive(DPNID sender, void* playerContext, ENetPacket* packet, std::size_t offset);

  // The ENet host the thread services (made and destroyed on the thread).
  ENetHost* host_ = nullptr;
  // Makes host_ (network thread); false when the port cannot be had.
  bool MakeHost(const ENetAddress* bind, std::size_t peers);
  void DestroyHost();
  // Sends a packet of the kind byte and bytes on channel 0 (reliable) or 1.
  bool SendPacket(ENetPeer* peer, std::uint8_t kind, const std::uint8_t* bytes, std::size_t size, bool reliable);
  // Sends a raw UDP datagram from the host's socket.
  bool SendRaw(const ENetAddress& to, const std::vector<std::uint8_t>& bytes);
  // Services the host for at most `ms` (teardown: lets disconnects go out).
  void Drain(std::uint32_t ms);

  // Per-object work of the thread.
  virtual void OnEvent(ENetEvent& event) = 0;
  // Raw datagrams before ENet sees them: true when consumed.
  virtual bool OnRawDatagram(const std::uint8_t* data, std::size_t size, const ENetAddress& from) = 0;
  // Timers, once per pass.
  virtual void OnTick() = 0;
  // Sends a queued message (network thread); the packet is the object's to
  // send or destroy.
  virtual void OnSend(const SendItem& item) = 0;

  std::atomic<std::uint64_t> messagesSent_{0};
  std::atomic<std::uint64_t> messagesReceived_{0};
  std::atomic<std::uint64_t> rawSent_{0};
  std::atomic<std::uint64_t> rawBytesSent_{0};

 private:
  static int Intercept(ENetHost* host, ENetEvent* event);
  void Loop();
  void RunQueuedWork();
  void TakeHostTotals();

  // Set when the event being handled kept its packet.
  bool packetKept_ = false;
  std::atomic<bool> started_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<std::thread::id> threadId_{};
  std::thread thread_;
  int wakeFd_ = -1;
  std::mutex workMutex_;
  std::deque<std::function<void()>> work_;
  std::vector<SendItem> sends_;
  std::vector<SendItem> sending_;  // the batch being sent (its capacity kept)
  void* context_ = nullptr;
  PFNDPNMESSAGEHANDLER handler_ = nullptr;

  // Totals of ENet hosts already destroyed, plus the live host's.
  std::atomic<std::uint64_t> datagramsSent_{0};
  std::atomic<std::uint64_t> bytesSent_{0};
  std::atomic<std::uint64_t> datagramsReceived_{0};
  std::atomic<std::uint64_t> bytesReceived_{0};
  std::atomic<std::uint64_t> outstanding_{0};
};

}  // namespace dplay8
