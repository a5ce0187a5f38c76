#include "net/session/game_client.h"

#include <algorithm>
#include <cmath>

#include "net/session/net_callback_table.h"
#include "net/session/system_messages.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/clocks.h"

namespace {

// +0.5, then truncation (toward zero), of a value in double precision.
std::int64_t RoundHalfUp(double value) { return static_cast<std::int64_t>(value + 0.5); }

}  // namespace

CGameClient::CGameClient(const GUID* application) : application_(application) {
  std::fill(samples_, samples_ + kSampleCount, 500u);
  std::fill(sorted_, sorted_ + kSampleCount, 500u);
}

CGameClient::~CGameClient() { Destroy(); }

int CGameClient::Create() {
  if (wrapper_ != nullptr) return 0;
  if (rx_.Create(kQueueRecords) != 0 || tx_.Create(kQueueRecords) != 0) {
    Destroy();
    return -1;
  }
  wrapper_ = new CDP8ClientWrapper(this, application_);
  if (FAILED(wrapper_->Create())) {
    Destroy();
    return -1;
  }
  timer_.Reset();
  return 0;
}

void CGameClient::Destroy() {
  if (wrapper_ != nullptr) {
    Reset();
    wrapper_->Destroy();
    delete wrapper_;
    wrapper_ = nullptr;
  }
  rx_.Destroy();
  tx_.Destroy();
}

HRESULT CGameClient::OnConnectComplete(DPNMSG_CONNECT_COMPLETE* message) {
  if (NetConnectCompleteFn done = GetNetCallbackAs<NetConnectCompleteFn>(NETCB_CLIENT_CONNECT_COMPLETE))
    return done(message);
  return DPN_OK;
}

HRESULT CGameClient::OnReceive(DPNMSG_RECEIVE* message) {
  NetMessageRecord record;
  if (!RecordFromDatagram(message->pReceiveData, message->dwReceiveDataSize, message->dpnidSender, &record))
    return DPN_OK;
  record.bufferHandle = message->hBufferHandle;
  record.timeStamp = timeGetTime();
  if (rx_.Enqueue(record) != 0) {
    DPlay8NoteDrop("receive queue full", "the datagram is dropped");
    return DPN_OK;
  }
  return DPNSUCCESS_PENDING;
}

HRESULT CGameClient::OnTerminateSession(DPNMSG_TERMINATE_SESSION* message) {
  if (NetSessionEndedFn ended = GetNetCallbackAs<NetSessionEndedFn>(NETCB_CLIENT_SESSION_ENDED))
    return ended(static_cast<DWORD>(message->hResultCode));
  return DPN_OK;
}

void CGameClient::Update() {
  timer_.Update();
  const std::uint32_t now = timer_.GetElapsedTime();
  // The clock was moved back: start the request timing again.
  if (lastRequest_ > now + requestInterval_) lastRequest_ = 0;
  if (IsConnected() && requestsEnabled_ && now - lastRequest_ >= requestInterval_) {
    lastRequest_ = now;
    if (tx_.Enqueue(MakeClockRequest(now, GetSample(17))) != 0) DPlay8NoteDrop("clock request lost: the send queue is full", "");
  }
  if (wrapper_ != nullptr) wrapper_->Update(now);
}

void CGameClient::HandleClockReply(std::uint32_t sent, std::uint32_t host) {
  const double now = static_cast<double>(timer_.GetElapsedTime());
  // The host's clock minus ours at the middle of the round trip.
  const std::int64_t offset = RoundHalfUp((2.0 * host - now - static_cast<double>(sent)) / 2.0);
  const std::int64_t halfTrip = RoundHalfUp(std::fabs(now - static_cast<double>(sent)) / 2.0);
  samples_[sampleIndex_] = static_cast<std::uint32_t>(std::min<std::int64_t>(halfTrip, 0xFFFFFFFFll));
  sampleIndex_ = (sampleIndex_ + 1) % kSampleCount;
  std::copy(samples_, samples_ + kSampleCount, sorted_);
  std::sort(sorted_, sorted_ + kSampleCount);
  if (offset > 1000 || offset < -1000) {
    if (static_cast<std::uint64_t>(halfTrip) <= GetSample(17)) {
      timer_.Shift(static_cast<std::int32_t>(offset));
    }
    requestInterval_ = kFastInterval;
    inStep_ = 0;
  } else {
    ++inStep_;
    if (inStep_ >= kInStepRepliesToSlow) requestInterval_ = kSlowInterval;
  }
}

std::uint32_t CGameClient::GetSample(int nth) const {
  if (nth < 1) nth = 1;
  if (nth > kSampleCount) nth = kSampleCount;
  return sorted_[nth - 1];
}

int CGameClient::EnumHosts(const char* hostText, DWORD capacity) {
  if (wrapper_ == nullptr) return -1;
  return SUCCEEDED(wrapper_->EnumHosts(hostText, capacity)) ? 0 : -1;
}

int CGameClient::StopEnumHosts() {
  if (wrapper_ == nullptr || FAILED(wrapper_->StopEnumHosts())) return -1;
  return wrapper_->GetHostCount();
}

int CGameClient::GetHostCount() { return wrapper_ ? wrapper_->GetHostCount() : 0; }

int CGameClient::GetHostLatency(int index) { return wrapper_ ? wrapper_->GetHostLatency(index) : -1; }

int CGameClient::Connect(int index, const void* connectData, DWORD connectSize) {
  if (wrapper_ == nullptr) return -1;
  const HRESULT r = wrapper_->Connect(index, connectData, connectSize);
  if (r == DPNERR_HOSTREJECTEDCONNECTION) return -2;
  if (FAILED(r)) return -1;
  lastRequest_ = 0;
  return 0;
}

void CGameClient::Disconnect() {
  if (wrapper_ != nullptr) wrapper_->Close();
}

int CGameClient::QueueSend(const NetMessageRecord& record) {
  NetMessageRecord r = record;
  r.kind = NetMessageRecord::kKindOutgoing;
  r.timeStamp = timer_.GetElapsedTime();
  return tx_.Enqueue(r);
}

void CGameClient::FlushSend() {
  if (wrapper_ == nullptr) return;
  NetMessageRecord datagram;
  while (tx_.NextDatagram(&datagram) == 0) wrapper_->Send(datagram);
}

void CGameClient::DispatchReceived() {
  NetMessageRecord record;
  while (rx_.Dequeue(&record) == 0) {
    DispatchDatagram(record, NETCB_CLIENT_GAME_MESSAGE, [&](std::uint32_t type, CBitStream& stream) {
      if (type != NETSYS_CLOCK_REPLY) return false;
      std::uint32_t sent = 0, host = 0;
      if (!ReadClockReply(stream, &sent, &host)) return false;
      HandleClockReply(sent, host);
      return true;
    });
    if (record.bufferHandle != 0 && wrapper_ != nullptr) wrapper_->ReturnBuffer(record.bufferHandle);
  }
}

void CGameClient::Reset() {
  std::fill(samples_, samples_ + kSampleCount, 500u);
  std::fill(sorted_, sorted_ + kSampleCount, 500u);
  sampleIndex_ = 0;
  requestInterval_ = kFastInterval;
  inStep_ = 0;
  requestsEnabled_ = true;
  NetMessageRecord record;
  while (rx_.Dequeue(&record) == 0)
    if (record.bufferHandle != 0 && wrapper_ != nullptr) wrapper_->ReturnBuffer(record.bufferHandle);
  tx_.Flush();
  if (wrapper_ != nullptr) wrapper_->ReleaseHostList();
}
