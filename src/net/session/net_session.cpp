#include "net/session/net_session.h"

#include "net/session/connect_data.h"
#include "platform/dplay8/com.h"

CNetSession::CNetSession(const GUID* application) : application_(application) {}

CNetSession::~CNetSession() {
  if (started_) Stop();
  delete client_;
  delete server_;
}

int CNetSession::Start(DWORD port) {
  started_ = false;
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return -1;
  comInitialised_ = true;
  if (server_ == nullptr) {
    server_ = new CGameServer(application_, kMaxPlayers, port);
    if (server_->Create() != 0) {
      delete server_;
      server_ = nullptr;
      return -1;
    }
  }
  if (client_ == nullptr) {
    client_ = new CGameClient(application_);
    if (client_->Create() != 0) {
      delete client_;
      client_ = nullptr;
      return -1;
    }
  }
  started_ = true;
  return 0;
}

void CNetSession::Stop() {
  if (client_ != nullptr) {
    client_->Disconnect();
    client_->Reset();
  }
  if (server_ != nullptr) server_->Stop();
}

void CNetSession::Update() {
  if (!started_) return;
  if (IsHosting()) {
    server_->Update();
  } else if (client_ != nullptr) {
    client_->Update();
  }
}

void CNetSession::FlushSend() {
  if (IsHosting()) {
    server_->FlushSend();
  } else if (IsConnected()) {
    client_->FlushSend();
  }
}

void CNetSession::DispatchReceived() {
  if (IsHosting()) {
    server_->DispatchReceived();
  } else if (IsConnected()) {
    client_->DispatchReceived();
  }
}

int CNetSession::GetPlayerCount() { return server_ ? static_cast<int>(server_->GetPlayerCount()) : 0; }

int CNetSession::Host(const char* sessionName, const void* data, DWORD size, DWORD maxPlayers, DWORD port) {
  if (!started_ || IsHosting()) return -1;
  return server_->Host(sessionName, data, size, maxPlayers, port);
}

void CNetSession::StopHosting() {
  if (server_ != nullptr) server_->StopHosting();
}

int CNetSession::QueueSendAsHost(const NetMessageRecord& record) {
  if (!IsHosting()) return -1;
  return server_->QueueSend(record);
}

int CNetSession::EnumHosts(const char* hostText, DWORD capacity) {
  if (!started_) return -1;
  return client_->EnumHosts(hostText, capacity);
}

int CNetSession::StopEnumHosts() {
  if (!started_) return -1;
  return client_->StopEnumHosts();
}

int CNetSession::GetHostCount() { return started_ ? client_->GetHostCount() : 0; }

int CNetSession::GetHostLatency(int index) { return started_ ? client_->GetHostLatency(index) : -1; }

int CNetSession::Connect(int index) {
  if (!started_) return -1;
  ConnectData block;
  block.applicationName = kConnectApplicationName;
  block.text = GetConnectText();
  std::uint8_t bytes[ConnectData::kSize];
  block.Write(bytes);
  return client_->Connect(index, bytes, ConnectData::kSize);
}

void CNetSession::Disconnect() {
  if (client_ != nullptr) client_->Disconnect();
}

int CNetSession::QueueSendAsClient(const NetMessageRecord& record) {
  if (!IsConnected()) return -1;
  return client_->QueueSend(record);
}

int CNetSession::IsDisconnected() {
  if (!started_ || client_ == nullptr || client_->GetWrapper() == nullptr) return 0;
  return client_->GetWrapper()->IsDisconnected() ? 1 : 0;
}

int CNetSession::GetLatency() {
  if (IsHosting()) return static_cast<int>(server_->GetLargestLatency());
  if (IsConnected()) return static_cast<int>(client_->GetSample(27));
  return -1;
}

int CNetSession::GetLatencyLow() {
  if (IsHosting()) return static_cast<int>(server_->GetLargestLatency() / 2);
  if (IsConnected()) return static_cast<int>(client_->GetSample(7));
  return -1;
}

int CNetSession::GetLatencyMedian() {
  if (IsHosting()) return static_cast<int>(server_->GetLargestLatency() / 2);
  if (IsConnected()) return static_cast<int>(client_->GetSample(17));
  return -1;
}

int CNetSession::GetSessionTime() {
  if (IsHosting()) return static_cast<int>(server_->GetTime());
  if (IsConnected()) return static_cast<int>(client_->GetClock());
  return -1;
}
