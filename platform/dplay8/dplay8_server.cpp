// The server object: hosts a session on its ENet host, admits clients
// through INDICATE_CONNECT, answers enumeration queries, and delivers
// messages to its players, its own included.
#include <map>
#include <sstream>

#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_address.h"
#include "platform/dplay8/dplay8_endpoint.h"
#include "platform/dplay8/dplay8_objects.h"
#include "platform/dplay8/dplay8_wire.h"

namespace dplay8 {

namespace {

// Peers of the ENet host: players and connections still being admitted.
constexpr std::size_t kHostPeers = 64;

enum class PeerState { kAwaitingConnectData, kIndicated, kConnected, kRefused };

GUID MakeInstanceGuid() {
  static std::atomic<std::uint32_t> counter{1};
  GUID g{};
  g.Data1 = NowMs() ^ 0x5EED1234u;
  g.Data2 = static_cast<WORD>(counter++);
  g.Data3 = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(&g) >> 4);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>((g.Data1 >> (i * 3)) ^ (i * 37));
  return g;
}

}  // namespace

class Server final : public IDirectPlay8Server, public Endpoint {
 public:
  Server() = default;
  ~Server() override { Close(0); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IDirectPlay8Server || iid == IID_IUnknown) {
      AddRef();
      *out = static_cast<IDirectPlay8Server*>(this);
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
    LogCall("Server.Initialize flags=" + std::to_string(flags));
    return Start(context, handler);
  }

  HRESULT Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
               const DPN_SECURITY_DESC*, const DPN_SECURITY_CREDENTIALS*, void* playerContext, DWORD flags) override {
    if (!IsStarted()) return DPNERR_UNINITIALIZED;
    if (desc == nullptr || desc->dwSize != sizeof(DPN_APPLICATION_DESC)) return DPNERR_INVALIDPARAM;
    if ((desc->dwFlags & DPNSESSION_CLIENT_SERVER) == 0) return DPNERR_INVALIDPARAM;
    std::uint32_t port = 0;
    if (devices != nullptr && deviceCount > 0) {
      Address* a = AsAddress(devices[0]);
      if (a == nullptr) return DPNERR_INVALIDPARAM;
      port = a->Port();
    }
    std::u16string name;
    if (desc->pwszSessionName != nullptr)
      for (const WCHAR* p = desc->pwszSessionName; *p != 0 && name.size() < dplay8_wire::kMaxSessionName; ++p) name.push_back(*p);
    LogCall("Server.Host port=" + std::to_string(port) + " players=" + std::to_string(desc->dwMaxPlayers) +
            " flags=" + std::to_string(flags));
    const GUID application = desc->guidApplication;
    const DWORD maxPlayers = desc->dwMaxPlayers;
    return Call([=, this] { return HostOnThread(application, maxPlayers, name, port, playerContext); });
  }

  HRESULT SendTo(DPNID player, const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeout, void*,
                 DPNHANDLE* handle, DWORD flags) override {
    if (CallLogOn()) {
      std::size_t size = 0;
      for (DWORD i = 0; buffers != nullptr && i < bufferCount; ++i) size += buffers[i].dwBufferSize;
      std::ostringstream line;
      line << "Server.SendTo player=" << player << " size=" << size << " timeout=" << timeout << " flags=0x"
           << std::hex << flags;
      LogCall(line.str());
    }
    if (!hosting_.load()) return DPNERR_NOCONNECTION;
    if (player != DPNID_ALL_PLAYERS_GROUP && !IsPlayer(player)) return DPNERR_INVALIDPLAYER;
    ENetPacket* packet = MakePacket(dplay8_wire::PACKET_DATA, buffers, bufferCount, DPN_MAX_USER_MESSAGE_SIZE,
                                    (flags & DPNSEND_GUARANTEED) != 0);
    if (packet == nullptr) return DPNERR_INVALIDPARAM;
    if (handle != nullptr) *handle = 0;
    ++messagesSent_;
    PostSend(SendItem{player, flags, packet});
    return DPNSUCCESS_PENDING;
  }

  HRESULT DestroyClient(DPNID player, const void*, DWORD, DWORD) override {
    LogCall("Server.DestroyClient player=" + std::to_string(player));
    if (!hosting_.load()) return DPNERR_NOCONNECTION;
    if (player == ownPlayer_.load() || !IsPlayer(player)) return DPNERR_INVALIDPLAYER;
    Post([this, player] {
      auto it = peers_.find(player);
      if (it == peers_.end() || it->second.peer == nullptr) return;
      enet_peer_disconnect(it->second.peer, 1);
      Gone(it->second.peer, DPNERR_HOSTTERMINATEDSESSION);
    });
    return DPN_OK;
  }

  HRESULT ReturnBuffer(DPNHANDLE buffer, DWORD) override { return Endpoint::ReturnBuffer(buffer); }

  HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD) override {
    if (info == nullptr || info->dwSize != sizeof(DPN_CONNECTION_INFO)) return DPNERR_INVALIDPARAM;
    std::lock_guard<std::mutex> hold(statsMutex_);
    auto it = stats_.find(player);
    if (it == stats_.end()) return DPNERR_INVALIDPLAYER;
    *info = it->second;
    return DPN_OK;
  }

  HRESULT Close(DWORD) override {
    if (!IsStarted()) return DPN_OK;
    LogCall("Server.Close");
    Stop([this] { CloseOnThread(); });
    return DPN_OK;
  }

  void SetMuted(bool muted) { muted_ = muted; }
  std::uint16_t BoundPort() const { return boundPort_.load(); }

 protected:
  void OnEvent(ENetEvent& event) override {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT: Connected(event.peer); break;
      case ENET_EVENT_TYPE_DISCONNECT:
        Gone(event.peer, DPNERR_CONNECTIONLOST);
        event.peer->data = nullptr;  // the last event of this connection
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        current_ = event.packet;
        Received(event.peer, event.packet->data, event.packet->dataLength);
        current_ = nullptr;
        break;
      default: break;
    }
  }

  bool OnRawDatagram(const std::uint8_t* data, std::size_t size, const ENetAddress& from) override {
    if (size >= 4) {
      const std::uint32_t magic = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
      if (magic == dplay8_wire::kQueryMagic) {
        AnswerQuery(data, size, from);
        return true;
      }
      if (magic == dplay8_wire::kAnswerMagic) {
        DPlay8NoteDrop("enumeration answer at a host", HostText(from).c_str());
        return true;
      }
    }
    return JunkForEnet(data, size, from);
  }

  void OnTick() override {
    const std::uint32_t now = NowMs();
    // Connections that never finish their admission are cut.
    std::vector<ENetPeer*> late;
    for (auto& [id, p] : peers_) {
      if (p.peer == nullptr) continue;
      if ((p.state == PeerState::kAwaitingConnectData || p.state == PeerState::kIndicated) &&
          static_cast<std::int32_t>(now - p.deadline) >= 0)
        late.push_back(p.peer);
    }
    for (ENetPeer* peer : late) {
      DPlay8NoteDrop("connection not admitted in time", HostText(peer->address).c_str());
      enet_peer_disconnect_now(peer, 0);
      Gone(peer, DPNERR_TIMEDOUT);
      peer->data = nullptr;  // no event follows a disconnection now
    }
    if (static_cast<std::int32_t>(now - nextStats_) >= 0) {
      nextStats_ = now + 50;
      std::lock_guard<std::mutex> hold(statsMutex_);
      for (auto& [id, p] : peers_) {
        if (p.peer == nullptr || p.state != PeerState::kConnected) continue;
        DPN_CONNECTION_INFO& info = stats_[id];
        info.dwSize = sizeof info;
        info.dwRoundTripLatencyMS = p.peer->roundTripTime;
        info.dwBytesSentGuaranteed = p.peer->outgoingDataTotal;
        info.dwBytesReceivedGuaranteed = p.peer->incomingDataTotal;
        info.dwPacketsDropped = p.peer->packetsLost;
      }
    }
  }

 private:
  struct PeerInfo {
    ENetPeer* peer = nullptr;  // null for the host's own player
    PeerState state = PeerState::kAwaitingConnectData;
    void* context = nullptr;
    std::uint32_t deadline = 0;
  };

  bool CallLogOn() const;

  HRESULT HostOnThread(const GUID& application, DWORD maxPlayers, const std::u16string& name, std::uint32_t port,
                       void* playerContext) {
    if (hosting_.load()) return DPNERR_HOSTING;
    ENetAddress bind{};
    bind.host = ENET_HOST_ANY;
    bind.port = static_cast<enet_uint16>(port);
    if (!MakeHost(&bind, kHostPeers)) {
      std::fprintf(stderr, "dplay8: cannot host on UDP port %u\n", port);
      return DPNERR_INVALIDPARAM;
    }
    // The port the system gave when none was named.
    ENetAddress bound{};
    if (enet_socket_get_address(host_->socket, &bound) == 0) boundPort_ = bound.port;
    application_ = application;
    instance_ = MakeInstanceGuid();
    maxPlayers_ = maxPlayers;
    sessionName_ = name;
    hosting_ = true;
    // The host's own player.
    const DPNID own = nextPlayer_++;
    ownPlayer_ = own;
    PeerInfo& info = peers_[own];
    info.state = PeerState::kConnected;
    info.context = playerContext;
    {
      std::lock_guard<std::mutex> hold(statsMutex_);
      stats_[own] = ConnectionInfo(0);
    }
    DPNMSG_CREATE_PLAYER msg{sizeof msg, own, playerContext};
    Raise(DPN_MSGID_CREATE_PLAYER, &msg);
    peers_[own].context = msg.pvPlayerContext;
    return DPN_OK;
  }

  void CloseOnThread() {
    if (!hosting_.load()) {
      DestroyHost();
      return;
    }
    // Every player leaves, the clients told so, then the host goes.
    std::vector<DPNID> ids;
    for (auto& [id, p] : peers_) ids.push_back(id);
    for (DPNID id : ids) {
      auto it = peers_.find(id);
      if (it == peers_.end()) continue;
      if (it->second.peer != nullptr) {
        enet_peer_disconnect(it->second.peer, 1);
        Gone(it->second.peer, DPNERR_HOSTTERMINATEDSESSION);
      } else {
        DPNMSG_DESTROY_PLAYER msg{sizeof msg, id, it->second.context, 0};
        peers_.erase(it);
        Forget(id);
        Raise(DPN_MSGID_DESTROY_PLAYER, &msg);
      }
    }
    Drain(200);
    DestroyHost();
    hosting_ = false;
    ownPlayer_ = 0;
    boundPort_ = 0;
    peers_.clear();
  }

  bool IsPlayer(DPNID id) {
    std::lock_guard<std::mutex> hold(statsMutex_);
    return stats_.count(id) != 0;
  }
  void Forget(DPNID id) {
    std::lock_guard<std::mutex> hold(statsMutex_);
    stats_.erase(id);
  }

  // A peer whose leaving was already handled (player ids start far above it).
  static constexpr DPNID kHandledPeer = 1;
  static DPNID IdOf(ENetPeer* peer) { return static_cast<DPNID>(reinterpret_cast<std::uintptr_t>(peer->data)); }

  void Connected(ENetPeer* peer) {
    if (!hosting_.load()) {
      enet_peer_reset(peer);
      return;
    }
    const DPNID id = nextPlayer_++;
    peer->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
    enet_peer_timeout(peer, 0, PeerTimeoutMs(), PeerTimeoutMs());
    PeerInfo& info = peers_[id];
    info.peer = peer;
    info.state = PeerState::kAwaitingConnectData;
    info.deadline = NowMs() + HandshakeTimeoutMs();
  }

  // A peer left (or was cut): what it was decides what the handler hears.
  void Gone(ENetPeer* peer, HRESULT reason) {
    const DPNID id = IdOf(peer);
    // Marks the peer as handled: its later disconnection says nothing more.
    peer->data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(kHandledPeer));
    if (id == kHandledPeer) return;
    auto it = peers_.find(id);
    if (id == 0 || it == peers_.end()) {
      // A connection that went away before it was even reported to us.
      DPlay8NoteDrop("connection closed before its connect data", HostText(peer->address).c_str());
      return;
    }
    const PeerInfo info = it->second;
    peers_.erase(it);
    Forget(id);
    switch (info.state) {
      case PeerState::kAwaitingConnectData:
        DPlay8NoteDrop("connection closed before its connect data", HostText(peer->address).c_str());
        break;
      case PeerState::kIndicated: {
        DPNMSG_INDICATED_CONNECT_ABORTED msg{sizeof msg, info.context};
        Raise(DPN_MSGID_INDICATED_CONNECT_ABORTED, &msg);
        break;
      }
      case PeerState::kConnected: {
        DPNMSG_DESTROY_PLAYER msg{sizeof msg, id, info.context, static_cast<DWORD>(reason)};
        Raise(DPN_MSGID_DESTROY_PLAYER, &msg);
        break;
      }
      case PeerState::kRefused: break;
    }
  }

  void Received(ENetPeer* peer, const std::uint8_t* data, std::size_t size) {
    auto it = peers_.find(IdOf(peer));
    if (it == peers_.end()) {
      DPlay8NoteDrop("packet from a peer that is not a player", HostText(peer->address).c_str());
      return;
    }
    PeerInfo& info = it->second;
    const DPNID id = it->first;
    if (size == 0) {
      DPlay8NoteDrop("empty packet", HostText(peer->address).c_str());
      return;
    }
    ByteReader in(data + 1, size - 1);
    switch (data[0]) {
      case dplay8_wire::PACKET_CONNECT: {
        if (info.state != PeerState::kAwaitingConnectData) {
          DPlay8NoteDrop("connect request out of turn", HostText(peer->address).c_str());
          return;
        }
        dplay8_wire::ConnectRequest request;
        if (!request.Read(in)) {
          DPlay8NoteDrop("malformed connect request", HostText(peer->address).c_str());
          Refuse(peer, info, DPNERR_INVALIDPARAM);
          return;
        }
        if (!(request.application == application_)) {
          DPlay8NoteDrop("connect request for another application", HostText(peer->address).c_str());
          Refuse(peer, info, DPNERR_HOSTREJECTEDCONNECTION);
          return;
        }
        Address* player = Address::Make(HostText(peer->address), peer->address.port);
        Address* device = Address::Make("", boundPort_.load());
        DPNMSG_INDICATE_CONNECT msg{};
        msg.dwSize = sizeof msg;
        msg.pvUserConnectData = request.data.empty() ? nullptr : request.data.data();
        msg.dwUserConnectDataSize = static_cast<DWORD>(request.data.size());
        msg.pAddressPlayer = player;
        msg.pAddressDevice = device;
        const HRESULT answer = Raise(DPN_MSGID_INDICATE_CONNECT, &msg);
        player->Release();
        device->Release();
        if (answer != DPN_OK) {
          Refuse(peer, info, DPNERR_HOSTREJECTEDCONNECTION);
          return;
        }
        info.state = PeerState::kIndicated;
        info.context = msg.pvPlayerContext;
        info.deadline = NowMs() + HandshakeTimeoutMs();
        ByteWriter out;
        dplay8_wire::Accept accept;
        accept.player = id;
        accept.hostPlayer = ownPlayer_.load();
        accept.Write(out);
        SendPacket(peer, dplay8_wire::PACKET_ACCEPT, out.Data().data() + 1, out.Size() - 1, true);
        return;
      }
      case dplay8_wire::PACKET_CONFIRM: {
        if (info.state != PeerState::kIndicated || in.Remaining() != 0) {
          DPlay8NoteDrop("confirmation out of turn", HostText(peer->address).c_str());
          return;
        }
        info.state = PeerState::kConnected;
        {
          std::lock_guard<std::mutex> hold(statsMutex_);
          stats_[id] = ConnectionInfo(peer->roundTripTime);
        }
        DPNMSG_CREATE_PLAYER msg{sizeof msg, id, info.context};
        Raise(DPN_MSGID_CREATE_PLAYER, &msg);
        auto again = peers_.find(id);
        if (again != peers_.end()) again->second.context = msg.pvPlayerContext;
        return;
      }
      case dplay8_wire::PACKET_DATA: {
        if (info.state != PeerState::kConnected) {
          DPlay8NoteDrop("message before the connection was accepted", HostText(peer->address).c_str());
          return;
        }
        if (size - 1 > DPN_MAX_USER_MESSAGE_SIZE) {
          DPlay8NoteDrop("oversized message", HostText(peer->address).c_str());
          return;
        }
        RaiseReceive(id, info.context, current_, 1);
        return;
      }
      default:
        DPlay8NoteDrop("unknown packet kind", HostText(peer->address).c_str());
        return;
    }
  }

  void Refuse(ENetPeer* peer, PeerInfo& info, HRESULT result) {
    info.state = PeerState::kRefused;
    ByteWriter out;
    dplay8_wire::Reject reject;
    reject.result = result;
    reject.Write(out);
    SendPacket(peer, dplay8_wire::PACKET_REJECT, out.Data().data() + 1, out.Size() - 1, true);
    enet_peer_disconnect_later(peer, 0);
  }

  void OnSend(const SendItem& item) override {
    ENetPacket* packet = item.packet;
    const bool loop = (item.flags & DPNSEND_NOLOOPBACK) == 0;
    const DPNID own = ownPlayer_.load();
    if (host_ != nullptr) {
      if (item.to == DPNID_ALL_PLAYERS_GROUP) {
        for (auto& [id, p] : peers_)
          if (p.peer != nullptr && p.state == PeerState::kConnected) enet_peer_send(p.peer, ChannelOf(packet), packet);
        if (loop && own != 0) Loopback(own, packet);
      } else if (item.to == own) {
        if (loop) Loopback(own, packet);
      } else {
        auto it = peers_.find(item.to);
        if (it == peers_.end() || it->second.peer == nullptr || it->second.state != PeerState::kConnected) {
          DPlay8NoteDrop("send to a player who has left", std::to_string(item.to).c_str());
        } else {
          enet_peer_send(it->second.peer, ChannelOf(packet), packet);
        }
      }
    }
    // Not taken by any peer: nobody else will free it.
    if (packet->referenceCount == 0) enet_packet_destroy(packet);
  }

  static enet_uint8 ChannelOf(const ENetPacket* packet) {
    return (packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0 ? 0 : 1;
  }

  // The host's own player hears a copy (what the handler keeps is its own).
  void Loopback(DPNID own, const ENetPacket* packet) {
    auto it = peers_.find(own);
    RaiseReceive(own, it != peers_.end() ? it->second.context : nullptr, packet->data + 1, packet->dataLength - 1);
  }

  void AnswerQuery(const std::uint8_t* data, std::size_t size, const ENetAddress& from) {
    ByteReader in(data, size);
    dplay8_wire::EnumQuery query;
    if (!query.Read(in)) {
      DPlay8NoteDrop("malformed enumeration query", HostText(from).c_str());
      return;
    }
    if (!hosting_.load() || muted_.load()) return;
    const GUID none{};
    if (!(query.application == application_) && !(query.application == none)) {
      DPlay8NoteDrop("enumeration query for another application", HostText(from).c_str());
      return;
    }
    Address* sender = Address::Make(HostText(from), from.port);
    Address* device = Address::Make("", boundPort_.load());
    DPNMSG_ENUM_HOSTS_QUERY msg{};
    msg.dwSize = sizeof msg;
    msg.pAddressSender = sender;
    msg.pAddressDevice = device;
    msg.dwMaxResponseDataSize = DPN_MAX_ENUM_RESPONSE_SIZE;
    const HRESULT answer = Raise(DPN_MSGID_ENUM_HOSTS_QUERY, &msg);
    sender->Release();
    device->Release();
    if (answer != DPN_OK) return;
    if (msg.dwResponseDataSize > DPN_MAX_ENUM_RESPONSE_SIZE || (msg.dwResponseDataSize > 0 && msg.pvResponseData == nullptr)) {
      DPlay8NoteDrop("enumeration response data over 92 bytes", "the host's answer was not sent");
      return;
    }
    dplay8_wire::EnumAnswer reply;
    reply.application = application_;
    reply.echoedTime = query.sendTime;
    reply.instance = instance_;
    reply.flags = DPNSESSION_CLIENT_SERVER;
    reply.maxPlayers = maxPlayers_;
    reply.currentPlayers = static_cast<std::uint32_t>(peers_.size());
    reply.sessionName = sessionName_;
    const auto* response = static_cast<const std::uint8_t*>(msg.pvResponseData);
    reply.responseData.assign(response, response + msg.dwResponseDataSize);
    ByteWriter out;
    reply.Write(out);
    SendRaw(from, out.Data());
  }

  // Datagrams ENet cannot take for one of its peers: counted and dropped here.
  bool JunkForEnet(const std::uint8_t* data, std::size_t size, const ENetAddress& from) {
    // ENet's header: a big-endian peer id (low 12 bits; 0xFFF for a new
    // connection) and at least one 4-byte command.
    if (size < 6) {
      DPlay8NoteDrop("junk datagram", HostText(from).c_str());
      return true;
    }
    const std::uint32_t peerId = ((data[0] << 8) | data[1]) & 0x0FFF;
    if (peerId != 0x0FFF && host_ != nullptr && peerId >= host_->peerCount) {
      DPlay8NoteDrop("junk datagram", HostText(from).c_str());
      return true;
    }
    return false;
  }

  std::atomic<ULONG> refs_{1};
  ENetPacket* current_ = nullptr;  // the packet being handled
  std::atomic<bool> hosting_{false};
  std::atomic<bool> muted_{false};
  std::atomic<DPNID> ownPlayer_{0};
  std::atomic<std::uint16_t> boundPort_{0};
  GUID application_{};
  GUID instance_{};
  DWORD maxPlayers_ = 0;
  std::u16string sessionName_;
  DPNID nextPlayer_ = 0x1001;
  std::map<DPNID, PeerInfo> peers_;  // network thread only
  std::uint32_t nextStats_ = 0;
  std::mutex statsMutex_;
  std::map<DPNID, DPN_CONNECTION_INFO> stats_;  // the players, for any thread
};

bool Server::CallLogOn() const { return CallLogEnabled(); }

IUnknown* MakeServer() { return static_cast<IDirectPlay8Server*>(new Server); }

Server* AsServer(IDirectPlay8Server* server) { return dynamic_cast<Server*>(server); }

void SetServerMuted(IDirectPlay8Server* server, bool muted) {
  if (Server* s = AsServer(server)) s->SetMuted(muted);
}

std::uint16_t ServerPort(IDirectPlay8Server* server) {
  Server* s = AsServer(server);
  return s ? s->BoundPort() : 0;
}

DPlay8Counters ServerCounters(IUnknown* object) {
  IDirectPlay8Server* server = nullptr;
  if (object == nullptr || object->QueryInterface(IID_IDirectPlay8Server, reinterpret_cast<void**>(&server)) != S_OK)
    return {};
  DPlay8Counters c = AsServer(server)->Counters();
  server->Release();
  return c;
}

}  // namespace dplay8
