// The joining role: finds hosts, joins one over the client wrapper, and
// keeps its session clock in step with the host's by clock requests and
// replies.  Its round-trip samples (32, each 500 ms at start) give the
// latencies the game asks for.
#pragma once

#include <cstdint>

#include "foundation/time/timer.h"
#include "net/queues/rx_queue.h"
#include "net/queues/tx_queue.h"
#include "net/session/player_table.h"
#include "net/transport/dp8_client_wrapper.h"

class CGameClient : public CDP8ClientHandler {
 public:
  static constexpr std::uint32_t kQueueRecords = 50;
  static constexpr int kSampleCount = 32;
  static constexpr std::uint32_t kFastInterval = 500;
  static constexpr std::uint32_t kSlowInterval = 5000;
  static constexpr int kInStepRepliesToSlow = 10;

  explicit CGameClient(const GUID* application);
  ~CGameClient() override;

  int Create();
  void Destroy();

  // Network thread.
  HRESULT OnConnectComplete(DPNMSG_CONNECT_COMPLETE* message) override;
  HRESULT OnReceive(DPNMSG_RECEIVE* message) override;
  HRESULT OnTerminateSession(DPNMSG_TERMINATE_SESSION* message) override;

  // Main thread.
  // Per frame (while connected or enumerating): the session clock, a clock
  // request when one interval has passed, the wrapper's step.
  void Update();
  int EnumHosts(const char* hostText, DWORD capacity);
  // Stops looking; the number of hosts found (-1 on failure).
  int StopEnumHosts();
  int GetHostCount();
  int GetHostLatency(int index);
  // 0, -2 when the host refused, -1 on any other failure.
  int Connect(int index, const void* connectData, DWORD connectSize);
  void Disconnect();
  bool IsConnected() const { return wrapper_ != nullptr && wrapper_->IsConnected(); }
  int QueueSend(const NetMessageRecord& record);
  void FlushSend();
  void DispatchReceived();
  // Back to the start: samples 500, interval 500, in-step count 0, clock
  // requests on, the receive queue drained (buffers given back), the host
  // list released.
  void Reset();

  // A clock reply: `sent` the echoed request clock, `host` the host's clock.
  void HandleClockReply(std::uint32_t sent, std::uint32_t host);
  // The session clock (ms) as of the last Update (or shift).
  std::uint32_t GetClock() const { return timer_.GetElapsedTime(); }
  CTimer& GetTimer() { return timer_; }
  // The n-th smallest sample (1-based: 27 latency, 7 low, 17 median).
  std::uint32_t GetSample(int nth) const;
  std::uint32_t GetRequestInterval() const { return requestInterval_; }
  int GetInStepCount() const { return inStep_; }
  void EnableClockRequests(bool on) { requestsEnabled_ = on; }
  bool ClockRequestsEnabled() const { return requestsEnabled_; }
  // Records waiting in the send queue (at most 50).
  std::uint32_t GetSendQueued() { return tx_.GetQueuedCount(); }
  CDP8ClientWrapper* GetWrapper() { return wrapper_; }

 private:
  const GUID* application_;
  CDP8ClientWrapper* wrapper_ = nullptr;
  CRxQueue rx_;
  CTxQueue tx_;
  CPlayerTable players_;  // made, not used by the client
  CTimer timer_;
  std::uint32_t requestInterval_ = kFastInterval;
  int inStep_ = 0;
  std::uint32_t lastRequest_ = 0;
  bool requestsEnabled_ = true;
  std::uint32_t samples_[kSampleCount];
  int sampleIndex_ = 0;
  std::uint32_t sorted_[kSampleCount];
};
