// The network session the game talks to: it starts COM, owns one game
// server and one game client, and forwards the game's calls to whichever
// role is active (hosting, or joined as a client).  Main thread only.
// Results: 0 (or a count) on success, negative on failure; a refused
// connection is -2.
#pragma once

#include <cstdint>

#include "net/queues/net_message_record.h"
#include "net/session/game_client.h"
#include "net/session/game_server.h"

class CNetSession {
 public:
  static constexpr int kMaxPlayers = 8;

  // `application` is the game's 16-byte identifier; it must outlive the session.
  explicit CNetSession(const GUID* application);
  ~CNetSession();
  CNetSession(const CNetSession&) = delete;
  CNetSession& operator=(const CNetSession&) = delete;

  // Starts COM and makes both roles (the server for up to 8 players on the port).
  int Start(DWORD port);
  // Resets the client and stops the server (their buffers given back).
  void Stop();
  // Per frame: the server's update when hosting, else the client's.
  void Update();
  void FlushSend();
  void DispatchReceived();
  int GetPlayerCount();

  int Host(const char* sessionName, const void* data, DWORD size, DWORD maxPlayers, DWORD port);
  void StopHosting();
  int QueueSendAsHost(const NetMessageRecord& record);

  int EnumHosts(const char* hostText, DWORD capacity);
  int StopEnumHosts();
  int GetHostCount();
  int GetHostLatency(int index);
  // Joins host `index` with the 140-byte connect data.
  int Connect(int index);
  void Disconnect();
  int QueueSendAsClient(const NetMessageRecord& record);
  // 1 when the client's session ended (or never began); 0 when not started or connected.
  int IsDisconnected();

  int GetLatency();
  int GetLatencyLow();
  int GetLatencyMedian();
  int GetSessionTime();

  bool IsStarted() const { return started_; }
  bool IsHosting() const { return started_ && server_ != nullptr && server_->IsHosting(); }
  bool IsConnected() const { return started_ && client_ != nullptr && client_->IsConnected(); }
  CGameServer* GetServer() { return server_; }
  CGameClient* GetClient() { return client_; }

 private:
  const GUID* application_;
  CGameServer* server_ = nullptr;
  CGameClient* client_ = nullptr;
  bool started_ = false;
  bool comInitialised_ = false;
};
