#include "net/session/game_server.h"

#include <cstring>

#include "net/session/net_callback_table.h"
#include "net/session/system_messages.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/clocks.h"

CGameServer::CGameServer(const GUID* application, DWORD maxPlayers, DWORD port)
    : application_(application), maxPlayers_(maxPlayers), port_(port) {}

CGameServer::~CGameServer() { Destroy(); }

int CGameServer::Create() {
  if (wrapper_ != nullptr) return 0;
  if (rx_.Create(kQueueRecords) != 0 || tx_.Create(kQueueRecords) != 0) {
    Destroy();
    return -1;
  }
  wrapper_ = new CDP8ServerWrapper(this, application_);
  wrapper_->SetPort(port_);
  if (FAILED(wrapper_->Create())) {
    Destroy();
    return -1;
  }
  timer_.Reset();
  return 0;
}

void CGameServer::Destroy() {
  if (wrapper_ != nullptr) {
    Stop();
    delete wrapper_;
    wrapper_ = nullptr;
  }
  rx_.Destroy();
  tx_.Destroy();
  players_.Clear();
}

HRESULT CGameServer::OnEnumHostsQuery(DPNMSG_ENUM_HOSTS_QUERY* message) {
  if (NetEnumQueryFn answer = GetNetCallbackAs<NetEnumQueryFn>(NETCB_SERVER_ENUM_QUERY))
    answer(&message->pvResponseData, &message->dwResponseDataSize);
  return DPN_OK;
}

HRESULT CGameServer::OnIndicateConnect(DPNMSG_INDICATE_CONNECT* message) {
  if (NetIndicateConnectFn veto = GetNetCallbackAs<NetIndicateConnectFn>(NETCB_SERVER_INDICATE_CONNECT))
    if (veto() < 0) return DPNERR_HOSTREJECTEDCONNECTION;
  void* slot = ReserveSlot();
  if (slot == nullptr) return S_FALSE;  // all slots used: refused
  message->pvPlayerContext = slot;
  return DPN_OK;
}

void* CGameServer::ReserveSlot() {
  const int slot = players_.Add(CPlayerTable::kReserveMarker, -1);
  return slot < 0 ? nullptr : SlotToContext(slot);
}

HRESULT CGameServer::OnIndicatedConnectAborted(DPNMSG_INDICATED_CONNECT_ABORTED* message) {
  // The slot reserved for the connection is free again.
  players_.RemoveReserved(ContextToSlot(message->pvPlayerContext));
  return DPN_OK;
}

HRESULT CGameServer::OnCreatePlayer(DPNMSG_CREATE_PLAYER* message) {
  const int slot = ContextToSlot(message->pvPlayerContext);
  if (!players_.Fill(slot, message->dpnidPlayer)) return DPN_OK;
  PlayerSlot record{};
  players_.CopySlot(slot, &record);
  if (NetPlayerCreatedFn created = GetNetCallbackAs<NetPlayerCreatedFn>(NETCB_SERVER_PLAYER_CREATED)) created(&record);
  if (tx_.Enqueue(MakeSlotMessage(static_cast<std::uint32_t>(slot), message->dpnidPlayer)) != 0)
    DPlay8NoteDrop("slot message lost: the send queue is full", "");
  return DPN_OK;
}

HRESULT CGameServer::OnDestroyPlayer(DPNMSG_DESTROY_PLAYER* message) {
  const int slot = players_.Remove(message->dpnidPlayer);
  if (slot < 0) return DPN_OK;
  if (NetPlayerDestroyedFn destroyed = GetNetCallbackAs<NetPlayerDestroyedFn>(NETCB_SERVER_PLAYER_DESTROYED))
    return static_cast<HRESULT>(destroyed(slot));
  return DPN_OK;
}

HRESULT CGameServer::OnTerminateSession(DPNMSG_TERMINATE_SESSION*) { return DPN_OK; }

HRESULT CGameServer::OnReceive(DPNMSG_RECEIVE* message) {
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

int CGameServer::Host(const char* sessionName, const void* reservedData, DWORD reservedSize, DWORD maxPlayers,
                      DWORD port) {
  if (wrapper_ == nullptr || wrapper_->IsHosting()) return -1;
  if (port != 0) wrapper_->SetPort(port);
  players_.Clear();
  polledSlot_ = -1;
  timer_.Reset();
  return SUCCEEDED(wrapper_->Host(sessionName, reservedData, reservedSize, maxPlayers)) ? 0 : -1;
}

void CGameServer::StopHosting() {
  if (wrapper_ != nullptr) wrapper_->Close();
  players_.Clear();
}

void CGameServer::Update() {
  timer_.Update();
  const std::uint32_t now = timer_.GetElapsedTime();
  if (wrapper_ == nullptr) return;
  wrapper_->NoteTime(now);
  if (!wrapper_->IsHosting() || static_cast<std::int32_t>(now - nextPoll_) < 0) return;
  nextPoll_ = now + kLatencyPollInterval;
  // The next used slot after the one polled last, round again after the
  // last; slot 0 holds the host's own player and is never polled.
  int slot = players_.Next(polledSlot_ < 0 ? 0 : polledSlot_);
  if (slot < 0) slot = players_.Next(0);
  if (slot <= 0) return;
  polledSlot_ = slot;
  PlayerSlot record{};
  players_.CopySlot(slot, &record);
  const std::uint32_t player = record.playerId;
  if (player == CPlayerTable::kReserveMarker) return;
  DWORD latency = 0;
  if (SUCCEEDED(wrapper_->GetPlayerLatency(player, &latency))) players_.SetLatency(slot, player, latency);
}

int CGameServer::QueueSend(const NetMessageRecord& record) {
  NetMessageRecord r = record;
  r.kind = NetMessageRecord::kKindOutgoing;
  r.timeStamp = timer_.GetElapsedTime();
  return tx_.Enqueue(r);
}

void CGameServer::FlushSend() {
  if (wrapper_ == nullptr) return;
  NetMessageRecord datagram;
  while (tx_.NextDatagram(&datagram) == 0) wrapper_->Send(datagram);
}

void CGameServer::DispatchReceived() {
  NetMessageRecord record;
  while (rx_.Dequeue(&record) == 0) {
    DispatchDatagram(record, NETCB_SERVER_GAME_MESSAGE, [&](std::uint32_t type, CBitStream& stream) {
      if (type != NETSYS_CLOCK_REQUEST) return false;
      std::uint32_t clientClock = 0;
      if (!ReadClockRequest(stream, &clientClock)) return false;
      if (tx_.Enqueue(MakeClockReply(clientClock, timer_.GetElapsedTime(), record.peer)) != 0)
        DPlay8NoteDrop("clock reply lost: the send queue is full", "");
      return true;
    });
    if (record.bufferHandle != 0 && wrapper_ != nullptr) wrapper_->ReturnBuffer(record.bufferHandle);
  }
}

void CGameServer::Stop() {
  polledSlot_ = -1;
  NetMessageRecord record;
  while (rx_.Dequeue(&record) == 0)
    if (record.bufferHandle != 0 && wrapper_ != nullptr) wrapper_->ReturnBuffer(record.bufferHandle);
  tx_.Flush();
  StopHosting();
  // Datagrams that arrived while the host was closing.
  while (rx_.Dequeue(&record) == 0)
    if (record.bufferHandle != 0 && wrapper_ != nullptr) wrapper_->ReturnBuffer(record.bufferHandle);
}

std::uint32_t CGameServer::GetLargestLatency() {
  const std::uint32_t largest = players_.GetLargestLatency();
  return largest == 0 ? 250 : largest;
}

void CGameServer::GetSettings(std::uint32_t out[7]) const { std::memcpy(out, settings_, sizeof settings_); }

void CGameServer::SetSettings(const std::uint32_t in[7]) { std::memcpy(settings_, in, sizeof settings_); }
