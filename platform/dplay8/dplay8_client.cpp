// The client object: asks for hosts with the enumeration query, joins one
// over ENet with its connect data, and exchanges messages with it.
#include <sstream>

#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_address.h"
#include "platform/dplay8/dplay8_endpoint.h"
#include "platform/dplay8/dplay8_objects.h"
#include "platform/dplay8/dplay8_wire.h"

namespace dplay8 {

namespace {

constexpr std::uint32_t kSessionPort = 22426;
constexpr DWORD kUnlimited = 0xFFFFFFFFu;
// An answer claiming a round trip longer than this echoes no query of ours.
constexpr std::uint32_t kLongestRoundTrip = 60000;

}  // namespace

class Client final : public IDirectPlay8Client, public Endpoint {
 public:
  Client() = default;
  ~Client() override { Close(0); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IDirectPlay8Client || iid == IID_IUnknown) {
      AddRef();
      *out = static_cast<IDirectPlay8Client*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Initialize(void* context, PFNDPNMESSAGEHANDLER handler, DWORD flags) override {
    LogCall("Client.Initialize flags=" + std::to_string(flags));
    return Start(context, handler);
  }

  HRESULT EnumHosts(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host, IDirectPlay8Address* device,
                    const void*, DWORD, DWORD enumCount, DWORD retryInterval, DWORD, void* userContext,
                    DPNHANDLE* asyncHandle, DWORD) override {
    if (!IsStarted()) return DPNERR_UNINITIALIZED;
    if (desc == nullptr || asyncHandle == nullptr) return DPNERR_INVALIDPARAM;
    Address* hostAddress = host ? AsAddress(host) : nullptr;
    if ((host != nullptr && hostAddress == nullptr) || (device != nullptr && AsAddress(device) == nullptr))
      return DPNERR_INVALIDPARAM;
    const std::string name = hostAddress ? hostAddress->HostName() : std::string();
    const std::uint32_t port = hostAddress && hostAddress->Port() != 0 ? hostAddress->Port() : kSessionPort;
    const DWORD retry = retryInterval != 0 ? retryInterval : DefaultEnumRetryMs();
    const DWORD count = enumCount != 0 ? enumCount : 5;
    LogCall("Client.EnumHosts host=" + (name.empty() ? std::string("(broadcast)") : name) +
            " port=" + std::to_string(port) + " retry=" + std::to_string(retry));
    const GUID application = desc->guidApplication;
    const DPNHANDLE handle = nextHandle_++;
    const HRESULT r = Call([=, this] { return EnumOnThread(application, name, port, retry, count, userContext, handle); });
    if (FAILED(r)) return r;
    *asyncHandle = handle;
    return DPNSUCCESS_PENDING;
  }

  HRESULT CancelAsyncOperation(DPNHANDLE handle, DWORD) override {
    LogCall("Client.CancelAsyncOperation handle=" + std::to_string(handle));
    if (!IsStarted()) return DPNERR_UNINITIALIZED;
    return Call([this, handle]() -> HRESULT {
      if (!enumerating_ || enumHandle_ != handle) return DPNERR_INVALIDHANDLE;
      enumerating_ = false;
      return DPN_OK;
    });
  }

  HRESULT Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host, IDirectPlay8Address*,
                  const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, const void* userConnectData,
                  DWORD userConnectDataSize, void*, DPNHANDLE*, DWORD flags) override {
    if (!IsStarted()) return DPNERR_UNINITIALIZED;
    Address* hostAddress = host ? AsAddress(host) : nullptr;
    if (desc == nullptr || hostAddress == nullptr) return DPNERR_INVALIDPARAM;
    if (userConnectDataSize > dplay8_wire::kMaxConnectData || (userConnectDataSize > 0 && userConnectData == nullptr))
      return DPNERR_INVALIDPARAM;
    if ((flags & DPNCONNECT_SYNC) == 0) return DPNERR_INVALIDPARAM;  // only the synchronous form is offered
    const std::string name = hostAddress->HostName();
    const std::uint32_t port = hostAddress->Port() != 0 ? hostAddress->Port() : kSessionPort;
    LogCall("Client.Connect host=" + name + " port=" + std::to_string(port) +
            " data=" + std::to_string(userConnectDataSize));
    dplay8_wire::ConnectRequest request;
    request.application = desc->guidApplication;
    request.instance = desc->guidInstance;
    const auto* bytes = static_cast<const std::uint8_t*>(userConnectData);
    request.data.assign(bytes, bytes + userConnectDataSize);
    auto waiter = std::make_shared<Waiter>();
    const HRESULT started = Call([=, this] { return ConnectOnThread(name, port, request, waiter); });
    if (FAILED(started)) return started;
    std::unique_lock<std::mutex> hold(waiter->m);
    waiter->cv.wait_for(hold, std::chrono::milliseconds(ConnectTimeoutMs() + 2000), [&] { return waiter->done; });
    return waiter->done ? waiter->result : DPNERR_TIMEDOUT;
  }

  HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeout, void*, DPNHANDLE* handle,
               DWORD flags) override {
    if (CallLogEnabled()) {
      std::size_t size = 0;
      for (DWORD i = 0; buffers != nullptr && i < bufferCount; ++i) size += buffers[i].dwBufferSize;
      std::ostringstream line;
      line << "Client.Send size=" << size << " timeout=" << timeout << " flags=0x" << std::hex << flags;
      LogCall(line.str());
    }
    if (!connected_.load()) return DPNERR_NOCONNECTION;
    ENetPacket* packet = MakePacket(dplay8_wire::PACKET_DATA, buffers, bufferCount, DPN_MAX_USER_MESSAGE_SIZE,
                                    (flags & DPNSEND_GUARANTEED) != 0);
    if (packet == nullptr) return DPNERR_INVALIDPARAM;
    if (handle != nullptr) *handle = 0;
    ++messagesSent_;
    PostSend(SendItem{0, flags, packet});
    return DPNSUCCESS_PENDING;
  }

  HRESULT ReturnBuffer(DPNHANDLE buffer, DWORD) override { return Endpoint::ReturnBuffer(buffer); }

  HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD) override {
    if (info == nullptr || info->dwSize != sizeof(DPN_CONNECTION_INFO)) return DPNERR_INVALIDPARAM;
    if (!connected_.load()) return DPNERR_NOCONNECTION;
    std::lock_guard<std::mutex> hold(statsMutex_);
    *info = stats_;
    return DPN_OK;
  }

  HRESULT GetSPCaps(const GUID* sp, DPN_SP_CAPS* caps, DWORD) override {
    if (sp == nullptr || !(*sp == CLSID_DP8SP_TCPIP) || caps == nullptr || caps->dwSize != sizeof(DPN_SP_CAPS))
      return DPNERR_INVALIDPARAM;
    caps->dwFlags = 0;
    caps->dwNumThreads = 1;
    caps->dwDefaultEnumCount = 5;
    caps->dwDefaultEnumRetryInterval = DefaultEnumRetryMs();
    caps->dwDefaultEnumTimeout = DefaultEnumRetryMs();
    caps->dwMaxEnumPayloadSize = DPN_MAX_ENUM_RESPONSE_SIZE;
    caps->dwBuffersPerThread = 0;
    caps->dwSystemBufferSize = 0;
    return DPN_OK;
  }

  HRESULT Close(DWORD) override {
    if (!IsStarted()) return DPN_OK;
    LogCall("Client.Close");
    Stop([this] {
      enumerating_ = false;
      if (peer_ != nullptr) {
        enet_peer_disconnect(peer_, 0);
        Drain(200);
        peer_ = nullptr;
      }
      FinishConnect(DPNERR_USERCANCEL, false);
      state_ = State::kNone;
      connected_ = false;
      DestroyHost();
    });
    return DPN_OK;
  }

 protected:
  void OnEvent(ENetEvent& event) override {
    if (event.peer != peer_) {
      if (event.type == ENET_EVENT_TYPE_CONNECT) enet_peer_reset(event.peer);
      return;
    }
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT: {
        enet_peer_timeout(peer_, 0, PeerTimeoutMs(), PeerTimeoutMs());
        ByteWriter out;
        request_.Write(out);
        SendPacket(peer_, dplay8_wire::PACKET_CONNECT, out.Data().data() + 1, out.Size() - 1, true);
        state_ = State::kAwaitingAnswer;
        break;
      }
      case ENET_EVENT_TYPE_DISCONNECT: Lost(event.data == 1 ? DPNERR_HOSTTERMINATEDSESSION : DPNERR_CONNECTIONLOST); break;
      case ENET_EVENT_TYPE_RECEIVE:
        current_ = event.packet;
        Received(event.packet->data, event.packet->dataLength);
        current_ = nullptr;
        break;
      default: break;
    }
  }

  bool OnRawDatagram(const std::uint8_t* data, std::size_t size, const ENetAddress& from) override {
    if (size < 4) return false;
    const std::uint32_t magic = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    if (magic == dplay8_wire::kQueryMagic) {
      DPlay8NoteDrop("enumeration query at a client", HostText(from).c_str());
      return true;
    }
    if (magic != dplay8_wire::kAnswerMagic) return false;
    ByteReader in(data, size);
    dplay8_wire::EnumAnswer answer;
    if (!answer.Read(in)) {
      DPlay8NoteDrop("malformed enumeration answer", HostText(from).c_str());
      return true;
    }
    if (!enumerating_) {
      DPlay8NoteDrop("enumeration answer with no enumeration running", HostText(from).c_str());
      return true;
    }
    if (!(answer.application == enumApplication_)) {
      DPlay8NoteDrop("enumeration answer for another application", HostText(from).c_str());
      return true;
    }
    const std::uint32_t roundTrip = NowMs() - answer.echoedTime;
    if (roundTrip > kLongestRoundTrip) {
      DPlay8NoteDrop("enumeration answer to no query of ours", HostText(from).c_str());
      return true;
    }
    std::u16string name = answer.sessionName;
    DPN_APPLICATION_DESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = answer.flags;
    desc.guidInstance = answer.instance;
    desc.guidApplication = answer.application;
    desc.dwMaxPlayers = answer.maxPlayers;
    desc.dwCurrentPlayers = answer.currentPlayers;
    desc.pwszSessionName = name.data();
    Address* sender = Address::Make(HostText(from), from.port);
    Address* device = Address::Make("", 0);
    DPNMSG_ENUM_HOSTS_RESPONSE msg{};
    msg.dwSize = sizeof msg;
    msg.pAddressSender = sender;
    msg.pAddressDevice = device;
    msg.pApplicationDescription = &desc;
    msg.pvResponseData = answer.responseData.empty() ? nullptr : answer.responseData.data();
    msg.dwResponseDataSize = static_cast<DWORD>(answer.responseData.size());
    msg.pvUserContext = enumContext_;
    msg.dwRoundTripLatencyMS = roundTrip;
    Raise(DPN_MSGID_ENUM_HOSTS_RESPONSE, &msg);
    sender->Release();
    device->Release();
    return true;
  }

  void OnSend(const SendItem& item) override {
    if (peer_ != nullptr && state_ == State::kConnected)
      enet_peer_send(peer_, (item.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0 ? 0 : 1, item.packet);
    if (item.packet->referenceCount == 0) enet_packet_destroy(item.packet);
  }

  void OnTick() override {
    const std::uint32_t now = NowMs();
    if (enumerating_ && static_cast<std::int32_t>(now - nextQuery_) >= 0 && EnsureHost()) {
      dplay8_wire::EnumQuery query;
      query.application = enumApplication_;
      query.sendTime = now;
      ByteWriter out;
      query.Write(out);
      SendRaw(enumTarget_, out.Data());
      nextQuery_ = now + enumRetry_;
      if (enumLeft_ != kUnlimited && --enumLeft_ == 0) enumerating_ = false;
    }
    if ((state_ == State::kConnecting || state_ == State::kAwaitingAnswer) &&
        static_cast<std::int32_t>(now - connectDeadline_) >= 0) {
      peer_ = nullptr;
      state_ = State::kNone;
      FreshSocket();
      FinishConnect(DPNERR_TIMEDOUT, true);
    }
    if (state_ == State::kConnected && peer_ != nullptr && static_cast<std::int32_t>(now - nextStats_) >= 0) {
      nextStats_ = now + 50;
      std::lock_guard<std::mutex> hold(statsMutex_);
      stats_.dwSize = sizeof stats_;
      stats_.dwRoundTripLatencyMS = peer_->roundTripTime;
      stats_.dwBytesSentGuaranteed = peer_->outgoingDataTotal;
      stats_.dwBytesReceivedGuaranteed = peer_->incomingDataTotal;
      stats_.dwPacketsDropped = peer_->packetsLost;
    }
  }

 private:
  enum class State { kNone, kConnecting, kAwaitingAnswer, kConnected };
  struct Waiter {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    HRESULT result = DPNERR_TIMEDOUT;
  };

  // A connection that ended leaves its socket: the next one starts on a new
  // socket, so that nothing late from the old one reaches it.
  void FreshSocket() { DestroyHost(); }

  bool EnsureHost() {
    if (host_ != nullptr) return true;
    if (!MakeHost(nullptr, 1)) {
      std::fprintf(stderr, "dplay8: the client cannot open a UDP socket\n");
      return false;
    }
    enet_socket_set_option(host_->socket, ENET_SOCKOPT_BROADCAST, 1);
    return true;
  }

  HRESULT EnumOnThread(const GUID& application, const std::string& name, std::uint32_t port, DWORD retry, DWORD count,
                       void* userContext, DPNHANDLE handle) {
    if (!EnsureHost()) return DPNERR_OUTOFMEMORY;
    ENetAddress target{};
    target.port = static_cast<enet_uint16>(port);
    if (name.empty()) {
      target.host = ENET_HOST_BROADCAST;
    } else if (enet_address_set_host(&target, name.c_str()) != 0) {
      std::fprintf(stderr, "dplay8: cannot resolve the host \"%s\"\n", name.c_str());
      return DPNERR_INVALIDPARAM;
    }
    enumTarget_ = target;
    enumApplication_ = application;
    enumRetry_ = retry;
    enumLeft_ = count;
    enumContext_ = userContext;
    enumHandle_ = handle;
    enumerating_ = true;
    nextQuery_ = NowMs();
    return DPN_OK;
  }

  HRESULT ConnectOnThread(const std::string& name, std::uint32_t port, const dplay8_wire::ConnectRequest& request,
                          const std::shared_ptr<Waiter>& waiter) {
    if (state_ != State::kNone) return DPNERR_NOTREADY;
    if (!EnsureHost()) return DPNERR_OUTOFMEMORY;
    ENetAddress address{};
    address.port = static_cast<enet_uint16>(port);
    if (name.empty() || enet_address_set_host(&address, name.c_str()) != 0) return DPNERR_INVALIDPARAM;
    peer_ = enet_host_connect(host_, &address, 2, 0);
    if (peer_ == nullptr) return DPNERR_OUTOFMEMORY;
    request_ = request;
    waiter_ = waiter;
    state_ = State::kConnecting;
    connectDeadline_ = NowMs() + ConnectTimeoutMs();
    return DPN_OK;
  }

  // Ends a pending Connect: CONNECT_COMPLETE first, then the caller wakes.
  void FinishConnect(HRESULT result, bool raise) {
    std::shared_ptr<Waiter> waiter = std::move(waiter_);
    waiter_.reset();
    if (!waiter) return;
    if (raise) {
      DPNMSG_CONNECT_COMPLETE msg{};
      msg.dwSize = sizeof msg;
      msg.hResultCode = result;
      msg.dpnidLocal = result == DPN_OK ? localPlayer_ : 0;
      Raise(DPN_MSGID_CONNECT_COMPLETE, &msg);
    }
    std::lock_guard<std::mutex> hold(waiter->m);
    waiter->result = result;
    waiter->done = true;
    waiter->cv.notify_all();
  }

  void Received(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
      DPlay8NoteDrop("empty packet", "from the host");
      return;
    }
    ByteReader in(data + 1, size - 1);
    switch (data[0]) {
      case dplay8_wire::PACKET_ACCEPT: {
        dplay8_wire::Accept accept;
        if (state_ != State::kAwaitingAnswer || !accept.Read(in)) {
          DPlay8NoteDrop("accept out of turn or malformed", "from the host");
          return;
        }
        localPlayer_ = accept.player;
        hostPlayer_ = accept.hostPlayer;
        SendPacket(peer_, dplay8_wire::PACKET_CONFIRM, nullptr, 0, true);
        state_ = State::kConnected;
        connected_ = true;
        enumerating_ = false;
        {
          std::lock_guard<std::mutex> hold(statsMutex_);
          stats_ = ConnectionInfo(peer_->roundTripTime);
        }
        FinishConnect(DPN_OK, true);
        return;
      }
      case dplay8_wire::PACKET_REJECT: {
        dplay8_wire::Reject reject;
        if (state_ != State::kAwaitingAnswer || !reject.Read(in)) {
          DPlay8NoteDrop("reject out of turn or malformed", "from the host");
          return;
        }
        peer_ = nullptr;
        state_ = State::kNone;
        FreshSocket();
        FinishConnect(reject.result, true);
        return;
      }
      case dplay8_wire::PACKET_DATA:
        if (state_ != State::kConnected) {
          DPlay8NoteDrop("message before the connection was accepted", "from the host");
          return;
        }
        if (size - 1 > DPN_MAX_USER_MESSAGE_SIZE) {
          DPlay8NoteDrop("oversized message", "from the host");
          return;
        }
        RaiseReceive(hostPlayer_, nullptr, current_, 1);
        return;
      default: DPlay8NoteDrop("unknown packet kind", "from the host"); return;
    }
  }

  void Lost(HRESULT reason) {
    const bool wasConnected = state_ == State::kConnected;
    peer_ = nullptr;
    state_ = State::kNone;
    connected_ = false;
    FreshSocket();
    if (!wasConnected) {
      FinishConnect(DPNERR_NOCONNECTION, true);
      return;
    }
    DPNMSG_TERMINATE_SESSION msg{sizeof msg, reason, nullptr, 0};
    Raise(DPN_MSGID_TERMINATE_SESSION, &msg);
  }

  std::atomic<ULONG> refs_{1};
  ENetPacket* current_ = nullptr;  // the packet being handled
  std::atomic<DPNHANDLE> nextHandle_{1};
  std::atomic<bool> connected_{false};
  // Network thread only.
  bool enumerating_ = false;
  DPNHANDLE enumHandle_ = 0;
  GUID enumApplication_{};
  ENetAddress enumTarget_{};
  DWORD enumRetry_ = 0;
  DWORD enumLeft_ = 0;
  void* enumContext_ = nullptr;
  std::uint32_t nextQuery_ = 0;
  State state_ = State::kNone;
  ENetPeer* peer_ = nullptr;
  dplay8_wire::ConnectRequest request_;
  std::shared_ptr<Waiter> waiter_;
  std::uint32_t connectDeadline_ = 0;
  DPNID localPlayer_ = 0;
  DPNID hostPlayer_ = 0;
  std::uint32_t nextStats_ = 0;
  std::mutex statsMutex_;
  DPN_CONNECTION_INFO stats_{};
};

IUnknown* MakeClient() { return static_cast<IDirectPlay8Client*>(new Client); }

DPlay8Counters ClientCounters(IUnknown* object) {
  IDirectPlay8Client* client = nullptr;
  if (object == nullptr || object->QueryInterface(IID_IDirectPlay8Client, reinterpret_cast<void**>(&client)) != S_OK)
    return {};
  DPlay8Counters c = dynamic_cast<Client*>(client)->Counters();
  client->Release();
  return c;
}

}  // namespace dplay8
