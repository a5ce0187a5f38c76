// The host role: hosts a session of at most 8 players over the server
// wrapper, keeps the player table, answers clock requests and measures the
// players' latency.  The handlers run on the transport's thread and only
// fill the receive queue and the player table (and queue the slot message
// for a new player); everything else runs on the main thread.
#pragma once

#include <cstdint>

#include "foundation/time/timer.h"
#include "net/queues/rx_queue.h"
#include "net/queues/tx_queue.h"
#include "net/session/player_table.h"
#include "net/transport/dp8_server_wrapper.h"

class CGameServer : public CDP8ServerHandler {
 public:
  static constexpr std::uint32_t kQueueRecords = 50;
  static constexpr std::uint32_t kLatencyPollInterval = 250;

  CGameServer(const GUID* application, DWORD maxPlayers, DWORD port);
  ~CGameServer() override;

  // Makes the queues and the wrapper; -1 (everything undone) when one cannot be made.
  int Create();
  void Destroy();

  // Network thread.
  HRESULT OnEnumHostsQuery(DPNMSG_ENUM_HOSTS_QUERY* message) override;
  HRESULT OnIndicateConnect(DPNMSG_INDICATE_CONNECT* message) override;
  HRESULT OnIndicatedConnectAborted(DPNMSG_INDICATED_CONNECT_ABORTED* message) override;
  HRESULT OnCreatePlayer(DPNMSG_CREATE_PLAYER* message) override;
  HRESULT OnDestroyPlayer(DPNMSG_DESTROY_PLAYER* message) override;
  HRESULT OnTerminateSession(DPNMSG_TERMINATE_SESSION* message) override;
  HRESULT OnReceive(DPNMSG_RECEIVE* message) override;
  bool SkipsOwnPlayer() const override { return skipOwnPlayer_; }
  void* ReserveSlot() override;

  // Main thread.
  // Hosts (port 0 keeps the one given at construction); -1 on failure.
  int Host(const char* sessionName, const void* reservedData, DWORD reservedSize, DWORD maxPlayers, DWORD port);
  void StopHosting();
  bool IsHosting() const { return wrapper_ != nullptr && wrapper_->IsHosting(); }
  // Per frame: the session clock, the wrapper's time, and one player's
  // latency every 250 ms, going round the used slots (never slot 0).
  void Update();
  // Queues a record to send; -1 when the queue is full or not made.
  int QueueSend(const NetMessageRecord& record);
  // Sends every queued datagram.
  void FlushSend();
  // Handles every received datagram, then gives its buffer back.
  void DispatchReceived();
  // Forgets the polled player, drains the receive queue (buffers given
  // back) and closes the host.
  void Stop();

  std::uint32_t GetPlayerCount() { return players_.GetCount(); }
  // The largest latency of the players (250 when none or all are 0).
  std::uint32_t GetLargestLatency();
  // The session clock (ms) as of the last Update.
  std::uint32_t GetTime() const { return timer_.GetElapsedTime(); }
  CTimer& GetTimer() { return timer_; }
  CPlayerTable& GetPlayers() { return players_; }
  CDP8ServerWrapper* GetWrapper() { return wrapper_; }
  void SetSkipOwnPlayer(bool skip) { skipOwnPlayer_ = skip; }
  void GetSettings(std::uint32_t out[7]) const;
  void SetSettings(const std::uint32_t in[7]);
  // Records waiting in the receive and send queues (each at most 50).
  std::uint32_t GetReceiveQueued() { return rx_.GetQueuedCount(); }
  std::uint32_t GetSendQueued() { return tx_.GetQueuedCount(); }
  // The slot whose latency was polled last (-1 none).
  int GetPolledSlot() const { return polledSlot_; }

 private:
  const GUID* application_;
  DWORD maxPlayers_;
  DWORD port_;
  CDP8ServerWrapper* wrapper_ = nullptr;
  CRxQueue rx_;
  CTxQueue tx_;
  CPlayerTable players_;
  CTimer timer_;
  bool skipOwnPlayer_ = false;
  std::uint32_t settings_[7] = {};
  int polledSlot_ = -1;
  std::uint32_t nextPoll_ = 0;
};
