#include "platform/dplay8/dplay8_endpoint.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace dplay8 {

namespace {

std::once_flag g_enetStarted;

// Buffers kept by handlers, by handle, over all objects.
// The transport's own packet is kept (no copy); its data stays where the
// handler saw it until the buffer is given back.
struct KeptBuffer {
  const Endpoint* owner;
  ENetPacket* packet;
};
std::mutex g_buffersMutex;
std::unordered_map<DPNHANDLE, KeptBuffer> g_buffers;
std::atomic<DPNHANDLE> g_nextBuffer{1};
std::atomic<std::uint64_t> g_outstanding{0};
// The object whose network thread this is (ENet hosts carry no user word).
thread_local Endpoint* t_endpoint = nullptr;
// More kept buffers than this, and further messages are dropped.
constexpr std::size_t kMaxKeptBuffers = 4096;

// Largest packet ENet accepts from a peer: a user message and its kind byte, with room.
constexpr std::size_t kMaxEnetPacket = 8192;

}  // namespace

std::uint32_t NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string HostText(const ENetAddress& address) {
  char text[64] = {};
  if (enet_address_get_host_ip(&address, text, sizeof text) != 0) return "?";
  return text;
}

std::uint64_t OutstandingBuffersTotal() { return g_outstanding.load(); }

Endpoint::Endpoint() {
  std::call_once(g_enetStarted, [] { enet_initialize(); });
}

Endpoint::~Endpoint() {
  Stop(nullptr);
  // Buffers the application never gave back go with the object.
  std::lock_guard<std::mutex> hold(g_buffersMutex);
  for (auto it = g_buffers.begin(); it != g_buffers.end();) {
    if (it->second.owner == this) {
      enet_packet_destroy(it->second.packet);
      it = g_buffers.erase(it);
      --g_outstanding;
    } else {
      ++it;
    }
  }
}

HRESULT Endpoint::Start(void* context, PFNDPNMESSAGEHANDLER handler) {
  if (started_.load()) return DPNERR_ALREADYINITIALIZED;
  if (handler == nullptr) return DPNERR_INVALIDPARAM;
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    std::fprintf(stderr, "dplay8: cannot make the network thread's wake-up (%s)\n", std::strerror(errno));
    return DPNERR_OUTOFMEMORY;
  }
  context_ = context;
  handler_ = handler;
  stopping_ = false;
  started_ = true;
  thread_ = std::thread([this] { Loop(); });
  return DPN_OK;
}

void Endpoint::Stop(std::function<void()> lastWork) {
  if (!started_.load()) return;
  if (OnNetworkThread()) {
    // A handler cannot end its own thread; the owner's Close does.
    return;
  }
  if (lastWork) Call([&lastWork] {
      lastWork();
      return DPN_OK;
    }, 10000);
  stopping_ = true;
  const std::uint64_t one = 1;
  if (write(wakeFd_, &one, sizeof one) < 0) {
  }
  thread_.join();
  started_ = false;
  threadId_ = std::thread::id{};
  close(wakeFd_);
  wakeFd_ = -1;
  std::lock_guard<std::mutex> hold(workMutex_);
  work_.clear();
  for (const SendItem& item : sends_)
    if (item.packet->referenceCount == 0) enet_packet_destroy(item.packet);
  sends_.clear();
}

void Endpoint::Post(std::function<void()> work) {
  if (OnNetworkThread()) {
    work();
    return;
  }
  bool wasEmpty = false;
  {
    std::lock_guard<std::mutex> hold(workMutex_);
    wasEmpty = work_.empty();
    work_.push_back(std::move(work));
  }
  // The thread drains the whole queue each pass: one wake-up per batch.
  const std::uint64_t one = 1;
  if (wasEmpty && wakeFd_ >= 0 && write(wakeFd_, &one, sizeof one) < 0) {
  }
}

HRESULT Endpoint::Call(std::function<HRESULT()> work, std::uint32_t timeoutMs) {
  if (!started_.load()) return DPNERR_UNINITIALIZED;
  if (OnNetworkThread()) return work();
  struct State {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    HRESULT result = DPNERR_TIMEDOUT;
  };
  auto state = std::make_shared<State>();
  Post([state, work = std::move(work)] {
    const HRESULT r = work();
    std::lock_guard<std::mutex> hold(state->m);
    state->result = r;
    state->done = true;
    state->cv.notify_all();
  });
  std::unique_lock<std::mutex> wait(state->m);
  state->cv.wait_for(wait, std::chrono::milliseconds(timeoutMs), [&] { return state->done; });
  return state->done ? state->result : DPNERR_TIMEDOUT;
}

void Endpoint::PostSend(const SendItem& item) {
  bool wasEmpty = false;
  {
    std::lock_guard<std::mutex> hold(workMutex_);
    wasEmpty = work_.empty() && sends_.empty();
    sends_.push_back(item);
  }
  const std::uint64_t one = 1;
  if (wasEmpty && wakeFd_ >= 0 && write(wakeFd_, &one, sizeof one) < 0) {
  }
}

ENetPacket* Endpoint::MakePacket(std::uint8_t kind, const DPN_BUFFER_DESC* buffers, DWORD count, DWORD limit,
                                 bool reliable) {
  if (count > 0 && buffers == nullptr) return nullptr;
  std::size_t total = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (buffers[i].dwBufferSize > 0 && buffers[i].pBufferData == nullptr) return nullptr;
    total += buffers[i].dwBufferSize;
    if (total > limit) return nullptr;
  }
  ENetPacket* packet = enet_packet_create(nullptr, total + 1, reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (packet == nullptr) return nullptr;
  packet->data[0] = kind;
  std::size_t at = 1;
  for (DWORD i = 0; i < count; ++i) {
    if (buffers[i].dwBufferSize > 0) std::memcpy(packet->data + at, buffers[i].pBufferData, buffers[i].dwBufferSize);
    at += buffers[i].dwBufferSize;
  }
  return packet;
}

void Endpoint::RunQueuedWork() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> hold(workMutex_);
    batch.swap(work_);
    sending_.swap(sends_);
  }
  // Messages first: work queued after them (a disconnection, a close) follows them out.
  for (const SendItem& item : sending_) OnSend(item);
  sending_.clear();
  for (auto& w : batch) w();
}

void Endpoint::Loop() {
  threadId_ = std::this_thread::get_id();
  t_endpoint = this;
  while (!stopping_.load()) {
    pollfd fds[2];
    nfds_t n = 0;
    fds[n++] = pollfd{wakeFd_, POLLIN, 0};
    if (host_ != nullptr) fds[n++] = pollfd{host_->socket, POLLIN, 0};
    // Short waits keep ENet's resends and pings going.
    poll(fds, n, 5);
    std::uint64_t count = 0;
    if (read(wakeFd_, &count, sizeof count) < 0) {
    }
    RunQueuedWork();
    if (host_ != nullptr) {
      ENetEvent event;
      // Bounded: a flood cannot keep the thread from its queued work for long.
      for (int i = 0; i < 256 && host_ != nullptr; ++i) {
        const int r = enet_host_service(host_, &event, 0);
        if (r < 0) {
          // A datagram the transport could not take (cut short by its size, or a socket error).
          DPlay8NoteDrop("datagram the transport could not take", "");
          continue;
        }
        if (r == 0) break;
        packetKept_ = false;
        OnEvent(event);
        if (event.type == ENET_EVENT_TYPE_RECEIVE && !packetKept_) enet_packet_destroy(event.packet);
      }
    }
    OnTick();
    if (host_ != nullptr) {
      enet_host_flush(host_);
      TakeHostTotals();
    }
  }
  RunQueuedWork();
}

void Endpoint::TakeHostTotals() {
  datagramsSent_ += host_->totalSentPackets;
  bytesSent_ += host_->totalSentData;
  datagramsReceived_ += host_->totalReceivedPackets;
  bytesReceived_ += host_->totalReceivedData;
  host_->totalSentPackets = 0;
  host_->totalSentData = 0;
  host_->totalReceivedPackets = 0;
  host_->totalReceivedData = 0;
}

int Endpoint::Intercept(ENetHost* host, ENetEvent*) {
  Endpoint* self = t_endpoint;
  if (self == nullptr || self->host_ != host) return 0;
  return self->OnRawDatagram(host->receivedData, host->receivedDataLength, host->receivedAddress) ? 1 : 0;
}

bool Endpoint::MakeHost(const ENetAddress* bind, std::size_t peers) {
  DestroyHost();
  host_ = enet_host_create(bind, peers, 2, 0, 0);
  if (host_ == nullptr) return false;
  host_->intercept = &Endpoint::Intercept;
  host_->maximumPacketSize = kMaxEnetPacket;
  return true;
}

void Endpoint::DestroyHost() {
  if (host_ == nullptr) return;
  TakeHostTotals();
  enet_host_destroy(host_);
  host_ = nullptr;
}

void Endpoint::Drain(std::uint32_t ms) {
  if (host_ == nullptr) return;
  const std::uint32_t end = NowMs() + ms;
  ENetEvent event;
  while (static_cast<std::int32_t>(end - NowMs()) > 0) {
    const int r = enet_host_service(host_, &event, 5);
    if (r < 0) break;
    if (r > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
    bool busy = false;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
      const ENetPeer& p = host_->peers[i];
      if (p.state != ENET_PEER_STATE_DISCONNECTED && p.state != ENET_PEER_STATE_ZOMBIE) busy = true;
    }
    if (!busy) break;
  }
}

bool Endpoint::SendPacket(ENetPeer* peer, std::uint8_t kind, const std::uint8_t* bytes, std::size_t size,
                          bool reliable) {
  ENetPacket* packet = enet_packet_create(nullptr, size + 1, reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
  if (packet == nullptr) return false;
  packet->data[0] = kind;
  if (size > 0) std::memcpy(packet->data + 1, bytes, size);
  if (enet_peer_send(peer, reliable ? 0 : 1, packet) != 0) {
    enet_packet_destroy(packet);
    return false;
  }
  return true;
}

bool Endpoint::SendRaw(const ENetAddress& to, const std::vector<std::uint8_t>& bytes) {
  if (host_ == nullptr) return false;
  ENetBuffer buffer;
  buffer.data = const_cast<std::uint8_t*>(bytes.data());
  buffer.dataLength = bytes.size();
  const bool sent = enet_socket_send(host_->socket, &to, &buffer, 1) > 0;
  if (sent) {
    ++rawSent_;
    rawBytesSent_ += bytes.size();
  }
  return sent;
}

HRESULT Endpoint::Raise(DWORD id, void* message) {
  if (handler_ == nullptr) return DPN_OK;
  return handler_(context_, id, message);
}

void Endpoint::RaiseReceive(DPNID sender, void* playerContext, ENetPacket* packet, std::size_t offset) {
  // The buffer is listed before the handler runs: another thread may give
  // it back as soon as the handler has queued it.
  DPNHANDLE handle = 0;
  {
    std::lock_guard<std::mutex> hold(g_buffersMutex);
    if (g_buffers.size() >= kMaxKeptBuffers) {
      DPlay8NoteDrop("too many receive buffers held", "the application is not giving its buffers back");
      return;
    }
    handle = g_nextBuffer++;
    if (handle == 0) handle = g_nextBuffer++;
    g_buffers[handle] = KeptBuffer{this, packet};
    ++g_outstanding;
    ++outstanding_;
  }
  ++messagesReceived_;
  DPNMSG_RECEIVE msg{};
  msg.dwSize = sizeof msg;
  msg.dpnidSender = sender;
  msg.pvPlayerContext = playerContext;
  msg.pReceiveData = packet->data + offset;
  msg.dwReceiveDataSize = static_cast<DWORD>(packet->dataLength - offset);
  msg.hBufferHandle = handle;
  // Kept: the list owns the packet from now on (ReturnBuffer frees it).
  packetKept_ = true;
  if (Raise(DPN_MSGID_RECEIVE, &msg) == DPNSUCCESS_PENDING) return;
  std::lock_guard<std::mutex> hold(g_buffersMutex);
  auto it = g_buffers.find(handle);
  if (it == g_buffers.end()) return;  // given back already (and freed)
  g_buffers.erase(it);
  --g_outstanding;
  --outstanding_;
  packetKept_ = false;
}

void Endpoint::RaiseReceive(DPNID sender, void* playerContext, const std::uint8_t* bytes, std::size_t size) {
  ENetPacket* packet = enet_packet_create(bytes, size, 0);
  if (packet == nullptr) return;
  packetKept_ = false;
  RaiseReceive(sender, playerContext, packet, 0);
  if (!packetKept_) enet_packet_destroy(packet);
  packetKept_ = false;
}

HRESULT Endpoint::ReturnBuffer(DPNHANDLE handle) {
  std::lock_guard<std::mutex> hold(g_buffersMutex);
  auto it = g_buffers.find(handle);
  if (it == g_buffers.end() || it->second.owner != this) return DPNERR_INVALIDHANDLE;
  enet_packet_destroy(it->second.packet);
  g_buffers.erase(it);
  --g_outstanding;
  --outstanding_;
  return DPN_OK;
}

DPlay8Counters Endpoint::Counters() const {
  DPlay8Counters c;
  c.datagramsSent = datagramsSent_.load() + rawSent_.load();
  c.bytesSent = bytesSent_.load() + rawBytesSent_.load();
  c.datagramsReceived = datagramsReceived_.load();
  c.bytesReceived = bytesReceived_.load();
  c.messagesSent = messagesSent_.load();
  c.messagesReceived = messagesReceived_.load();
  c.outstandingBuffers = outstanding_.load();
  return c;
}

}  // namespace dplay8
