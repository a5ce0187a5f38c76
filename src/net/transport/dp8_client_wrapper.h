// Finds hosts through the transport's client object, keeps the list of the
// hosts found, joins one and sends to it.  Its messages go, through one
// process-wide callback function under the process-wide client callback
// lock, to its handler (the game client); host answers it handles itself.
//
// The host list keeps its entries together in the order the hosts were
// first found: an entry that expires leaves the list and the entries after
// it move down one place.  Each removal is reported by its index, so that a
// list kept beside this one can follow.
#pragma once

#include <atomic>
#include <cstdint>

#include "net/queues/net_message_record.h"
#include "net/sync/critical_section_lock.h"
#include "net/transport/dp8_handlers.h"
#include "net/transport/host_list_entry.h"
#include "platform/dplay8/dplay8.h"

class CDP8ClientWrapper {
 public:
  // Called, inside the host list's lock, with the index of each entry that leaves the list.
  using HostRemovedFn = void (*)(int index, void* context);

  CDP8ClientWrapper(CDP8ClientHandler* handler, const GUID* application);
  virtual ~CDP8ClientWrapper();
  CDP8ClientWrapper(const CDP8ClientWrapper&) = delete;
  CDP8ClientWrapper& operator=(const CDP8ClientWrapper&) = delete;

  // Makes the transport's client object and starts it; a failed result otherwise.
  HRESULT Create();
  // Cancels any enumeration, closes and releases the client object and the host list.
  void Destroy();

  // Starts looking for hosts: the previous enumeration is cancelled, the
  // client object closed and started again, and an empty host list of
  // `capacity` entries made.  An empty host text searches the local
  // network; "name" or "name:port" asks that host.  A failed result
  // (E_FAIL with no client object).
  HRESULT EnumHosts(const char* hostText, DWORD capacity);
  // Cancels the enumeration (the list is kept).
  HRESULT StopEnumHosts();
  // Releases the host list.
  void ReleaseHostList();
  int GetHostCount();
  // The entry's round trip in ms; -1 for an index at or past the count.
  int GetHostLatency(int index);
  // A copy of an entry's description (false past the count).
  bool GetHostDescription(int index, DPN_APPLICATION_DESC* out);

  // Joins entry `index` (synchronously) with the connect data; the
  // transport's result (DPNERR_HOSTREJECTEDCONNECTION when refused).
  HRESULT Connect(int index, const void* connectData, DWORD connectSize);
  // Leaves the session: closes the client object and starts it again.
  void Close();

  virtual HRESULT Send(const NetMessageRecord& datagram);
  virtual HRESULT ReturnBuffer(DPNHANDLE buffer);
  // Bytes a second sent and received over the last second or more.
  virtual HRESULT GetReceiveRate(DWORD* sentPerSecond, DWORD* receivedPerSecond);
  // Refreshes the connection information and answers its round trip (0 when not connected).
  virtual DWORD GetConnectionStat();
  virtual BOOL IsDisconnected() const { return disconnected_ ? TRUE : FALSE; }
  virtual DWORD GetTerminationReason() const { return terminationReason_; }

  // Per frame, with the session clock: every 500 ms while connected the
  // connection statistics are refreshed; while enumerating, entries whose
  // last answer (timeGetTime) is older than the expiry interval leave.
  void Update(DWORD now);

  // Network thread, inside the client callback lock.
  HRESULT OnEnumHostsResponse(DPNMSG_ENUM_HOSTS_RESPONSE* message);
  void OnSessionEnded(DWORD reason);

  void SetHostRemovedHandler(HostRemovedFn handler, void* context);
  bool IsEnumerating() const { return enumerating_; }
  bool IsConnected() const { return connected_; }
  DWORD GetExpiryInterval() const { return expiryInterval_; }
  IDirectPlay8Client* GetClient() const { return client_; }
  CDP8ClientHandler* GetHandler() const { return handler_; }

  // The process-wide lock every client callback runs inside.
  static CCriticalSectionLock& CallbackLock();

 private:
  void RemoveEntryLocked(int index);

  IDirectPlay8Client* client_ = nullptr;
  CDP8ClientHandler* handler_;
  const GUID* application_;
  DPNHANDLE enumHandle_ = 0;
  std::atomic<bool> enumerating_{false};
  std::atomic<bool> connected_{false};
  std::atomic<bool> disconnected_{true};
  std::atomic<DWORD> terminationReason_{0};
  DWORD lastStatsTime_ = 0;
  DPN_CONNECTION_INFO connectionInfo_{};
  DWORD statistics_[9] = {};  // rate window: start time, bytes sent and received at its start, rates
  // The host list, under its own lock.
  CCriticalSectionLock hostLock_;
  HostListEntry* hosts_ = nullptr;
  int hostCount_ = 0;
  int hostCapacity_ = 0;
  DWORD expiryInterval_ = 0;
  HostRemovedFn hostRemoved_ = nullptr;
  void* hostRemovedContext_ = nullptr;
};

// The client objects' one message callback.
HRESULT ClientMessageCallback(void* context, DWORD messageId, void* message);
