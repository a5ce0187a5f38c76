// What the network stand-in's tests share: a message handler that records
// what it is given, and bounded waits for it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8.h"
#include "platform/dplay8/dplay8_counters.h"

// The application identifier the tests host and look for.
inline const GUID kTestApplication = {0x7E57A990, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

struct RecordedMessage {
  DWORD id = 0;
  DPNID player = 0;
  void* context = nullptr;
  HRESULT result = 0;
  DWORD latency = 0;
  std::vector<std::uint8_t> data;
  std::string host;
  std::uint32_t port = 0;
};

// Records every message; answers INDICATE_CONNECT with `refuse` and keeps
// received buffers when `keepBuffers` is set.
class Recorder {
 public:
  HRESULT refuse = DPN_OK;
  bool keepBuffers = false;
  std::vector<std::uint8_t> enumResponse;
  void* newPlayerContext = nullptr;

  static HRESULT Handler(void* context, DWORD id, void* message) {
    return static_cast<Recorder*>(context)->Handle(id, message);
  }

  // Waits (at most `ms`) until `count` messages of the id have been recorded.
  bool WaitFor(DWORD id, std::size_t count = 1, int ms = 20000) {
    std::unique_lock<std::mutex> hold(mutex_);
    return cv_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return CountLocked(id) >= count; });
  }
  std::size_t Count(DWORD id) {
    std::lock_guard<std::mutex> hold(mutex_);
    return CountLocked(id);
  }
  std::vector<RecordedMessage> Of(DWORD id) {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<RecordedMessage> out;
    for (const RecordedMessage& m : messages_)
      if (m.id == id) out.push_back(m);
    return out;
  }
  std::vector<DPNHANDLE> TakeKept() {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<DPNHANDLE> out;
    out.swap(kept_);
    return out;
  }

 private:
  std::size_t CountLocked(DWORD id) const {
    std::size_t n = 0;
    for (const RecordedMessage& m : messages_) n += m.id == id ? 1 : 0;
    return n;
  }
  static void AddressOf(IDirectPlay8Address* a, RecordedMessage* m) {
    if (a == nullptr) return;
    char host[64] = {};
    DWORD size = sizeof host, type = 0;
    if (a->GetComponentByName(DPNA_KEY_HOSTNAME, host, &size, &type) == DPN_OK) m->host = host;
    DWORD port = 0;
    size = sizeof port;
    if (a->GetComponentByName(DPNA_KEY_PORT, &port, &size, &type) == DPN_OK) m->port = port;
  }
  HRESULT Handle(DWORD id, void* message) {
    RecordedMessage m;
    m.id = id;
    HRESULT answer = DPN_OK;
    switch (id) {
      case DPN_MSGID_CREATE_PLAYER: {
        auto* msg = static_cast<DPNMSG_CREATE_PLAYER*>(message);
        m.player = msg->dpnidPlayer;
        m.context = msg->pvPlayerContext;
        break;
      }
      case DPN_MSGID_DESTROY_PLAYER: {
        auto* msg = static_cast<DPNMSG_DESTROY_PLAYER*>(message);
        m.player = msg->dpnidPlayer;
        m.context = msg->pvPlayerContext;
        break;
      }
      case DPN_MSGID_INDICATE_CONNECT: {
        auto* msg = static_cast<DPNMSG_INDICATE_CONNECT*>(message);
        const auto* p = static_cast<const std::uint8_t*>(msg->pvUserConnectData);
        m.data.assign(p, p + msg->dwUserConnectDataSize);
        AddressOf(msg->pAddressPlayer, &m);
        msg->pvPlayerContext = newPlayerContext;
        answer = refuse;
        break;
      }
      case DPN_MSGID_INDICATED_CONNECT_ABORTED:
        m.context = static_cast<DPNMSG_INDICATED_CONNECT_ABORTED*>(message)->pvPlayerContext;
        break;
      case DPN_MSGID_ENUM_HOSTS_QUERY: {
        auto* msg = static_cast<DPNMSG_ENUM_HOSTS_QUERY*>(message);
        msg->pvResponseData = enumResponse.empty() ? nullptr : enumResponse.data();
        msg->dwResponseDataSize = static_cast<DWORD>(enumResponse.size());
        break;
      }
      case DPN_MSGID_ENUM_HOSTS_RESPONSE: {
        auto* msg = static_cast<DPNMSG_ENUM_HOSTS_RESPONSE*>(message);
        const auto* p = static_cast<const std::uint8_t*>(msg->pvResponseData);
        m.data.assign(p, p + msg->dwResponseDataSize);
        m.latency = msg->dwRoundTripLatencyMS;
        AddressOf(msg->pAddressSender, &m);
        break;
      }
      case DPN_MSGID_RECEIVE: {
        auto* msg = static_cast<DPNMSG_RECEIVE*>(message);
        m.player = msg->dpnidSender;
        m.data.assign(msg->pReceiveData, msg->pReceiveData + msg->dwReceiveDataSize);
        if (keepBuffers) {
          std::lock_guard<std::mutex> hold(mutex_);
          kept_.push_back(msg->hBufferHandle);
          answer = DPNSUCCESS_PENDING;
        }
        break;
      }
      case DPN_MSGID_CONNECT_COMPLETE:
        m.result = static_cast<DPNMSG_CONNECT_COMPLETE*>(message)->hResultCode;
        m.player = static_cast<DPNMSG_CONNECT_COMPLETE*>(message)->dpnidLocal;
        break;
      case DPN_MSGID_TERMINATE_SESSION:
        m.result = static_cast<DPNMSG_TERMINATE_SESSION*>(message)->hResultCode;
        break;
      default: break;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    messages_.push_back(std::move(m));
    cv_.notify_all();
    return answer;
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<RecordedMessage> messages_;
  std::vector<DPNHANDLE> kept_;
};

// An address object naming a host and port (either may be left out).
inline IDirectPlay8Address* MakeAddress(const char* host, DWORD port) {
  IDirectPlay8Address* a = nullptr;
  if (CoCreateInstance(CLSID_DirectPlay8Address, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectPlay8Address,
                       reinterpret_cast<void**>(&a)) != S_OK)
    return nullptr;
  a->SetSP(&CLSID_DP8SP_TCPIP);
  if (host != nullptr) {
    std::u16string wide;
    for (const char* p = host; *p; ++p) wide.push_back(static_cast<char16_t>(*p));
    a->AddComponent(DPNA_KEY_HOSTNAME, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * 2), DPNA_DATATYPE_STRING);
  }
  if (port != 0) a->AddComponent(DPNA_KEY_PORT, &port, sizeof port, DPNA_DATATYPE_DWORD);
  return a;
}

// Polls `done` (at most `ms`), for waits that have no handler to signal them.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}
