#include "net/transport/dp8_client_wrapper.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "net/session/net_callback_table.h"
#include "net/transport/send_flags.h"
#include "platform/dplay8/com.h"
#include "platform/win32/clocks.h"

namespace {

constexpr DWORD kUnlimitedEnumeration = 0xFFFFFFFFu;
constexpr DWORD kStatsInterval = 500;

IDirectPlay8Address* NewAddress() {
  IDirectPlay8Address* a = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                              reinterpret_cast<void**>(&a))))
    return nullptr;
  if (FAILED(a->SetSP(&CLSID_DP8SP_TCPIP))) {
    a->Release();
    return nullptr;
  }
  return a;
}

}  // namespace

CCriticalSectionLock& CDP8ClientWrapper::CallbackLock() {
  static CCriticalSectionLock lock;
  return lock;
}

HRESULT ClientMessageCallback(void* context, DWORD messageId, void* message) {
  CLockScope hold(CDP8ClientWrapper::CallbackLock());
  auto* wrapper = static_cast<CDP8ClientWrapper*>(context);
  if (wrapper == nullptr || message == nullptr) return DPN_OK;
  CDP8ClientHandler* handler = wrapper->GetHandler();
  switch (messageId) {
    case DPN_MSGID_CONNECT_COMPLETE:
      return handler ? handler->OnConnectComplete(static_cast<DPNMSG_CONNECT_COMPLETE*>(message)) : DPN_OK;
    case DPN_MSGID_RECEIVE: return handler ? handler->OnReceive(static_cast<DPNMSG_RECEIVE*>(message)) : DPN_OK;
    case DPN_MSGID_TERMINATE_SESSION: {
      auto* msg = static_cast<DPNMSG_TERMINATE_SESSION*>(message);
      wrapper->OnSessionEnded(static_cast<DWORD>(msg->hResultCode));
      return handler ? handler->OnTerminateSession(msg) : DPN_OK;
    }
    case DPN_MSGID_ENUM_HOSTS_RESPONSE:
      return wrapper->OnEnumHostsResponse(static_cast<DPNMSG_ENUM_HOSTS_RESPONSE*>(message));
    default: return DPN_OK;
  }
}

CDP8ClientWrapper::CDP8ClientWrapper(CDP8ClientHandler* handler, const GUID* application)
    : handler_(handler), application_(application) {}

CDP8ClientWrapper::~CDP8ClientWrapper() { Destroy(); }

HRESULT CDP8ClientWrapper::Create() {
  if (client_ != nullptr) return DPN_OK;
  HRESULT r = CoCreateInstance(CLSID_DirectPlay8Client, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Client,
                               reinterpret_cast<void**>(&client_));
  if (FAILED(r)) {
    client_ = nullptr;
    return r;
  }
  r = client_->Initialize(this, &ClientMessageCallback, DPNINITIALIZE_DISABLEPARAMVAL);
  if (FAILED(r)) {
    client_->Release();
    client_ = nullptr;
    return r;
  }
  disconnected_ = true;
  return r;
}

void CDP8ClientWrapper::Destroy() {
  if (client_ != nullptr) {
    StopEnumHosts();
    client_->Close(0);
    client_->Release();
    client_ = nullptr;
  }
  connected_ = false;
  disconnected_ = true;
  ReleaseHostList();
}

void CDP8ClientWrapper::ReleaseHostList() {
  CLockScope hold(hostLock_);
  for (int i = 0; i < hostCount_; ++i) hosts_[i].Release();
  delete[] hosts_;
  hosts_ = nullptr;
  hostCount_ = 0;
  hostCapacity_ = 0;
}

HRESULT CDP8ClientWrapper::EnumHosts(const char* hostText, DWORD capacity) {
  if (client_ == nullptr) return E_FAIL;
  StopEnumHosts();
  client_->Close(0);
  connected_ = false;
  disconnected_ = true;
  HRESULT r = client_->Initialize(this, &ClientMessageCallback, DPNINITIALIZE_DISABLEPARAMVAL);
  if (FAILED(r)) return r;
  ReleaseHostList();
  {
    CLockScope hold(hostLock_);
    const DWORD entries = capacity > 1024 ? 1024 : capacity;
    hosts_ = new HostListEntry[entries > 0 ? entries : 1];
    for (DWORD i = 0; i < entries; ++i) hosts_[i].Blank();
    hostCapacity_ = static_cast<int>(entries);
  }
  IDirectPlay8Address* host = NewAddress();
  IDirectPlay8Address* device = NewAddress();
  if (host == nullptr || device == nullptr) {
    if (host) host->Release();
    if (device) device->Release();
    return E_FAIL;
  }
  const std::string text = hostText ? hostText : "";
  if (!text.empty()) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    std::u16string wide;
    for (unsigned char c : name) wide.push_back(c);
    host->AddComponent(DPNA_KEY_HOSTNAME, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(WCHAR)),
                       DPNA_DATATYPE_STRING);
    if (colon != std::string::npos) {
      const DWORD port = static_cast<DWORD>(std::strtoul(text.c_str() + colon + 1, nullptr, 10));
      if (port != 0) host->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
    }
  }
  DPN_SP_CAPS caps{};
  caps.dwSize = sizeof caps;
  r = client_->GetSPCaps(&CLSID_DP8SP_TCPIP, &caps, 0);
  if (SUCCEEDED(r)) {
    expiryInterval_ = 3 * caps.dwDefaultEnumRetryInterval;
    DPN_APPLICATION_DESC desc{};
    desc.dwSize = sizeof desc;
    desc.guidApplication = *application_;
    DPNHANDLE handle = 0;
    {
      CLockScope hold(hostLock_);
      enumerating_ = true;
    }
    r = client_->EnumHosts(&desc, host, device, nullptr, 0, kUnlimitedEnumeration, 0, 0, nullptr, &handle, 0);
    if (FAILED(r)) {
      CLockScope hold(hostLock_);
      enumerating_ = false;
    } else {
      enumHandle_ = handle;
    }
  }
  host->Release();
  device->Release();
  return SUCCEEDED(r) ? DPN_OK : r;
}

HRESULT CDP8ClientWrapper::StopEnumHosts() {
  {
    CLockScope hold(hostLock_);
    if (!enumerating_) return DPN_OK;
    enumerating_ = false;
  }
  if (client_ == nullptr) return E_FAIL;
  const HRESULT r = client_->CancelAsyncOperation(enumHandle_, 0);
  enumHandle_ = 0;
  return r == DPNERR_INVALIDHANDLE ? DPN_OK : r;  // an enumeration that already ended
}

int CDP8ClientWrapper::GetHostCount() {
  CLockScope hold(hostLock_);
  return hostCount_;
}

int CDP8ClientWrapper::GetHostLatency(int index) {
  CLockScope hold(hostLock_);
  if (index < 0 || index >= hostCount_) return -1;
  return static_cast<int>(hosts_[index].latency);
}

bool CDP8ClientWrapper::GetHostDescription(int index, DPN_APPLICATION_DESC* out) {
  CLockScope hold(hostLock_);
  if (index < 0 || index >= hostCount_ || out == nullptr) return false;
  *out = hosts_[index].description;
  return true;
}

HRESULT CDP8ClientWrapper::OnEnumHostsResponse(DPNMSG_ENUM_HOSTS_RESPONSE* message) {
  CLockScope hold(hostLock_);
  if (!enumerating_ || hosts_ == nullptr || message->pApplicationDescription == nullptr) return DPN_OK;
  const DPN_APPLICATION_DESC& desc = *message->pApplicationDescription;
  int index = -1;
  for (int i = 0; i < hostCount_; ++i) {
    if (hosts_[i].description.guidInstance == desc.guidInstance) {
      index = i;
      break;
    }
  }
  // A host already listed is refreshed even when the list is full.
  if (index < 0) {
    if (hostCount_ >= hostCapacity_) return DPN_OK;
    index = hostCount_;
  }
  HostListEntry& entry = hosts_[index];
  entry.Release();
  entry.description = desc;
  // Pointers into the transport's message do not outlive it.
  entry.description.pwszSessionName = nullptr;
  entry.description.pwszPassword = nullptr;
  entry.description.pvReservedData = nullptr;
  entry.description.dwReservedDataSize = 0;
  entry.description.pvApplicationReservedData = nullptr;
  entry.description.dwApplicationReservedDataSize = 0;
  if (message->pAddressSender) message->pAddressSender->Duplicate(&entry.hostAddress);
  if (message->pAddressDevice) message->pAddressDevice->Duplicate(&entry.deviceAddress);
  entry.lastAnswerTime = timeGetTime();
  entry.latency = message->dwRoundTripLatencyMS;
  if (NetHostFoundFn found = GetNetCallbackAs<NetHostFoundFn>(NETCB_CLIENT_HOST_FOUND))
    found(index, message->pvResponseData, message->dwResponseDataSize);
  if (index == hostCount_) ++hostCount_;
  return DPN_OK;
}

void CDP8ClientWrapper::RemoveEntryLocked(int index) {
  hosts_[index].Release();
  for (int i = index; i + 1 < hostCount_; ++i) hosts_[i] = hosts_[i + 1];
  --hostCount_;
  hosts_[hostCount_].Blank();
  if (hostRemoved_ != nullptr) hostRemoved_(index, hostRemovedContext_);
}

void CDP8ClientWrapper::SetHostRemovedHandler(HostRemovedFn handler, void* context) {
  CLockScope hold(hostLock_);
  hostRemoved_ = handler;
  hostRemovedContext_ = context;
}

HRESULT CDP8ClientWrapper::Connect(int index, const void* connectData, DWORD connectSize) {
  if (client_ == nullptr) return E_FAIL;
  DPN_APPLICATION_DESC desc{};
  IDirectPlay8Address* host = nullptr;
  IDirectPlay8Address* device = nullptr;
  {
    CLockScope hold(hostLock_);
    if (index < 0 || index >= hostCount_ || hosts_[index].hostAddress == nullptr) return DPNERR_INVALIDPARAM;
    desc.dwSize = sizeof desc;
    desc.guidInstance = hosts_[index].description.guidInstance;
    desc.guidApplication = *application_;
    hosts_[index].hostAddress->Duplicate(&host);
    if (hosts_[index].deviceAddress) hosts_[index].deviceAddress->Duplicate(&device);
  }
  const HRESULT r = client_->Connect(&desc, host, device, nullptr, nullptr, connectData, connectSize, nullptr, nullptr,
                                     DPNCONNECT_SYNC);
  if (host) host->Release();
  if (device) device->Release();
  if (SUCCEEDED(r)) {
    {
      CLockScope hold(hostLock_);
      enumerating_ = false;
    }
    connected_ = true;
    disconnected_ = false;
    terminationReason_ = 0;
    GetConnectionStat();
  }
  return r;
}

void CDP8ClientWrapper::Close() {
  if (client_ == nullptr) return;
  {
    CLockScope hold(hostLock_);
    enumerating_ = false;
  }
  client_->Close(0);
  connected_ = false;
  disconnected_ = true;
  client_->Initialize(this, &ClientMessageCallback, DPNINITIALIZE_DISABLEPARAMVAL);
}

void CDP8ClientWrapper::OnSessionEnded(DWORD reason) {
  connected_ = false;
  disconnected_ = true;
  terminationReason_ = reason;
}

HRESULT CDP8ClientWrapper::Send(const NetMessageRecord& datagram) {
  if (client_ == nullptr || !connected_) return E_FAIL;
  if (!datagram.HasValidPayload()) return DPNERR_INVALIDPARAM;
  BYTE bytes[2 + NetMessageRecord::kPayloadBytes];
  bytes[0] = static_cast<BYTE>(datagram.bitCount & 0xFF);
  bytes[1] = static_cast<BYTE>(datagram.bitCount >> 8);
  std::memcpy(bytes + 2, datagram.payload, datagram.byteCount);
  DPN_BUFFER_DESC buffer{2 + datagram.byteCount, bytes};
  DPNHANDLE handle = 0;
  const HRESULT r = client_->Send(&buffer, 1, datagram.timeout, nullptr, &handle,
                                  SendFlagsFor(datagram.guaranteed, datagram.urgent, datagram.loopback));
  return r == DPNSUCCESS_PENDING ? DPN_OK : r;
}

HRESULT CDP8ClientWrapper::ReturnBuffer(DPNHANDLE buffer) {
  if (client_ == nullptr) return E_FAIL;
  return client_->ReturnBuffer(buffer, 0);
}

DWORD CDP8ClientWrapper::GetConnectionStat() {
  if (client_ == nullptr || !connected_) return 0;
  connectionInfo_ = DPN_CONNECTION_INFO{};
  connectionInfo_.dwSize = sizeof connectionInfo_;
  if (FAILED(client_->GetConnectionInfo(&connectionInfo_, 0))) return 0;
  return connectionInfo_.dwRoundTripLatencyMS;
}

HRESULT CDP8ClientWrapper::GetReceiveRate(DWORD* sentPerSecond, DWORD* receivedPerSecond) {
  if (client_ == nullptr || !connected_) return E_FAIL;
  // statistics_: 0 window start, 1 bytes sent then, 2 bytes received then, 3 and 4 the last rates.
  const DWORD now = timeGetTime();
  GetConnectionStat();
  const DWORD sent = connectionInfo_.dwBytesSentGuaranteed + connectionInfo_.dwBytesSentNonGuaranteed;
  const DWORD received = connectionInfo_.dwBytesReceivedGuaranteed + connectionInfo_.dwBytesReceivedNonGuaranteed;
  if (statistics_[0] == 0) {
    statistics_[0] = now;
    statistics_[1] = sent;
    statistics_[2] = received;
  } else if (now - statistics_[0] >= 1000) {
    const DWORD elapsed = now - statistics_[0];
    statistics_[3] = static_cast<DWORD>((static_cast<std::uint64_t>(sent - statistics_[1]) * 1000) / elapsed);
    statistics_[4] = static_cast<DWORD>((static_cast<std::uint64_t>(received - statistics_[2]) * 1000) / elapsed);
    statistics_[0] = now;
    statistics_[1] = sent;
    statistics_[2] = received;
  }
  if (sentPerSecond) *sentPerSecond = statistics_[3];
  if (receivedPerSecond) *receivedPerSecond = statistics_[4];
  return DPN_OK;
}

void CDP8ClientWrapper::Update(DWORD now) {
  if (connected_ && now - lastStatsTime_ >= kStatsInterval) {
    lastStatsTime_ = now;
    GetConnectionStat();
  }
  CLockScope hold(hostLock_);
  if (!enumerating_ || hostCount_ == 0) return;
  const DWORD clock = timeGetTime();
  for (int i = hostCount_ - 1; i >= 0; --i)
    if (clock - hosts_[i].lastAnswerTime > expiryInterval_) RemoveEntryLocked(i);
}
