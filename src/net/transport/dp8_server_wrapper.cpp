#include "net/transport/dp8_server_wrapper.h"

#include <string>

#include "net/transport/send_flags.h"
#include "platform/dplay8/com.h"

namespace {

// Builds the transport buffer of a datagram: u16 bit count, then the bytes.
bool DatagramBytes(const NetMessageRecord& datagram, BYTE* out, DWORD* size) {
  if (!datagram.HasValidPayload()) return false;
  out[0] = static_cast<BYTE>(datagram.bitCount & 0xFF);
  out[1] = static_cast<BYTE>(datagram.bitCount >> 8);
  for (std::uint32_t i = 0; i < datagram.byteCount; ++i) out[2 + i] = datagram.payload[i];
  *size = 2 + datagram.byteCount;
  return true;
}

}  // namespace

void* SlotToContext(int slot) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(slot) + 1); }

int ContextToSlot(void* context) {
  const std::intptr_t value = reinterpret_cast<std::intptr_t>(context);
  if (value < 1 || value > 0x10000) return -1;
  return static_cast<int>(value - 1);
}

void* OwnPlayerContext() { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }

CCriticalSectionLock& CDP8ServerWrapper::CallbackLock() {
  static CCriticalSectionLock lock;
  return lock;
}

HRESULT ServerMessageCallback(void* context, DWORD messageId, void* message) {
  CLockScope hold(CDP8ServerWrapper::CallbackLock());
  auto* wrapper = static_cast<CDP8ServerWrapper*>(context);
  CDP8ServerHandler* handler = wrapper != nullptr ? wrapper->GetHandler() : nullptr;
  if (handler == nullptr || message == nullptr) return DPN_OK;
  switch (messageId) {
    case DPN_MSGID_CREATE_PLAYER: {
      auto* msg = static_cast<DPNMSG_CREATE_PLAYER*>(message);
      if (msg->pvPlayerContext == OwnPlayerContext() && !handler->SkipsOwnPlayer()) {
        void* slot = handler->ReserveSlot();
        if (slot == nullptr) return DPN_OK;  // no slot: the player stays without one
        msg->pvPlayerContext = slot;
      }
      return handler->OnCreatePlayer(msg);
    }
    case DPN_MSGID_DESTROY_PLAYER: {
      auto* msg = static_cast<DPNMSG_DESTROY_PLAYER*>(message);
      if (ContextToSlot(msg->pvPlayerContext) < 0) return DPN_OK;
      return handler->OnDestroyPlayer(msg);
    }
    case DPN_MSGID_ENUM_HOSTS_QUERY: return handler->OnEnumHostsQuery(static_cast<DPNMSG_ENUM_HOSTS_QUERY*>(message));
    case DPN_MSGID_INDICATE_CONNECT: return handler->OnIndicateConnect(static_cast<DPNMSG_INDICATE_CONNECT*>(message));
    case DPN_MSGID_INDICATED_CONNECT_ABORTED:
      return handler->OnIndicatedConnectAborted(static_cast<DPNMSG_INDICATED_CONNECT_ABORTED*>(message));
    case DPN_MSGID_RECEIVE: return handler->OnReceive(static_cast<DPNMSG_RECEIVE*>(message));
    case DPN_MSGID_TERMINATE_SESSION: return handler->OnTerminateSession(static_cast<DPNMSG_TERMINATE_SESSION*>(message));
    default: return DPN_OK;
  }
}

CDP8ServerWrapper::CDP8ServerWrapper(CDP8ServerHandler* handler, const GUID* application)
    : handler_(handler), application_(application) {}

CDP8ServerWrapper::~CDP8ServerWrapper() { Destroy(); }

HRESULT CDP8ServerWrapper::Create() {
  if (server_ != nullptr) return DPN_OK;
  HRESULT r = CoCreateInstance(CLSID_DirectPlay8Server, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Server,
                               reinterpret_cast<void**>(&server_));
  if (FAILED(r)) {
    server_ = nullptr;
    return r;
  }
  r = server_->Initialize(this, &ServerMessageCallback, DPNINITIALIZE_DISABLEPARAMVAL);
  if (FAILED(r)) {
    server_->Release();
    server_ = nullptr;
  }
  return r;
}

void CDP8ServerWrapper::Destroy() {
  if (server_ == nullptr) return;
  server_->Close(0);
  server_->Release();
  server_ = nullptr;
  hosting_ = false;
}

HRESULT CDP8ServerWrapper::Host(const char* sessionName, const void* reservedData, DWORD reservedSize,
                                DWORD maxPlayers) {
  if (server_ == nullptr) return E_FAIL;
  if (hosting_) return DPNERR_HOSTING;
  IDirectPlay8Address* device = nullptr;
  HRESULT r = CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                               reinterpret_cast<void**>(&device));
  if (FAILED(r)) return r;
  r = device->SetSP(&CLSID_DP8SP_TCPIP);
  const DWORD port = port_;
  if (SUCCEEDED(r)) r = device->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
  if (SUCCEEDED(r)) {
    std::u16string name;
    for (const char* p = sessionName ? sessionName : ""; *p != 0 && name.size() < 63; ++p)
      name.push_back(static_cast<unsigned char>(*p));
    DPN_APPLICATION_DESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DPNSESSION_CLIENT_SERVER;
    desc.guidApplication = *application_;
    desc.dwMaxPlayers = maxPlayers;
    desc.pwszSessionName = name.data();
    desc.pvApplicationReservedData = const_cast<void*>(reservedData);
    desc.dwApplicationReservedDataSize = reservedData != nullptr ? reservedSize : 0;
    // Hosting is marked first: the host's own player is created inside Host.
    hosting_ = true;
    r = server_->Host(&desc, &device, 1, nullptr, nullptr, OwnPlayerContext(), 0);
    if (FAILED(r)) hosting_ = false;
  }
  device->Release();
  return r;
}

void CDP8ServerWrapper::Close() {
  if (server_ == nullptr || !hosting_) return;
  server_->Close(0);
  hosting_ = false;
  // The object stays usable for the next session.
  server_->Initialize(this, &ServerMessageCallback, DPNINITIALIZE_DISABLEPARAMVAL);
}

HRESULT CDP8ServerWrapper::Send(const NetMessageRecord& datagram) {
  if (server_ == nullptr || !hosting_) return E_FAIL;
  BYTE bytes[2 + NetMessageRecord::kPayloadBytes];
  DPN_BUFFER_DESC buffer{0, bytes};
  if (!DatagramBytes(datagram, bytes, &buffer.dwBufferSize)) return DPNERR_INVALIDPARAM;
  DPNHANDLE handle = 0;
  const HRESULT r = server_->SendTo(datagram.peer, &buffer, 1, datagram.timeout, nullptr, &handle,
                                    SendFlagsFor(datagram.guaranteed, datagram.urgent, datagram.loopback));
  return r == DPNSUCCESS_PENDING ? DPN_OK : r;
}

HRESULT CDP8ServerWrapper::DestroyClient(DPNID player) {
  if (server_ == nullptr) return E_FAIL;
  return server_->DestroyClient(player, nullptr, 0, 0);
}

HRESULT CDP8ServerWrapper::ReturnBuffer(DPNHANDLE buffer) {
  if (server_ == nullptr) return E_FAIL;
  return server_->ReturnBuffer(buffer, 0);
}

HRESULT CDP8ServerWrapper::GetPlayerLatency(DPNID player, DWORD* latency) {
  if (server_ == nullptr) return E_FAIL;
  DPN_CONNECTION_INFO info{};
  info.dwSize = sizeof info;
  const HRESULT r = server_->GetConnectionInfo(player, &info, 0);
  if (SUCCEEDED(r) && latency != nullptr) *latency = info.dwRoundTripLatencyMS;
  return r;
}
