// Hosts a session through the transport's server object and sends to its
// players.  Its messages go, through one process-wide callback function
// under the process-wide server callback lock, to its handler (the game
// server).
#pragma once

#include <cstdint>

#include "net/queues/net_message_record.h"
#include "net/sync/critical_section_lock.h"
#include "net/transport/dp8_handlers.h"
#include "platform/dplay8/dplay8.h"

class CDP8ServerWrapper {
 public:
  static constexpr DWORD kDefaultPort = 11872;

  CDP8ServerWrapper(CDP8ServerHandler* handler, const GUID* application);
  virtual ~CDP8ServerWrapper();
  CDP8ServerWrapper(const CDP8ServerWrapper&) = delete;
  CDP8ServerWrapper& operator=(const CDP8ServerWrapper&) = delete;

  // Makes the transport's server object and starts it; a failed COM result
  // (negative) when it cannot.
  HRESULT Create();
  // Closes and releases the server object.
  void Destroy();

  // Hosts a session on the port: the session name, the application's
  // reserved data and the most players.  A failed result leaves the wrapper
  // not hosting.  The host's own player is created before this returns.
  HRESULT Host(const char* sessionName, const void* reservedData, DWORD reservedSize, DWORD maxPlayers);
  // Ends the session (every player is destroyed first).
  void Close();

  // Sends a packed datagram to its peer word's player: a u16 bit count,
  // then the bytes, with the flags of its guaranteed, urgent and loopback
  // words and its time-out.
  virtual HRESULT Send(const NetMessageRecord& datagram);
  virtual HRESULT DestroyClient(DPNID player);
  virtual HRESULT ReturnBuffer(DPNHANDLE buffer);
  // The player's round trip in ms; a failed result for an unknown player.
  HRESULT GetPlayerLatency(DPNID player, DWORD* latency);

  bool IsHosting() const { return hosting_; }
  DWORD GetPort() const { return port_; }
  void SetPort(DWORD port) { port_ = port; }
  // The last keep-alive time (the session clock, noted each frame).
  void NoteTime(DWORD now) { keepAliveTime_ = now; }
  DWORD GetKeepAliveTime() const { return keepAliveTime_; }
  IDirectPlay8Server* GetServer() const { return server_; }
  CDP8ServerHandler* GetHandler() const { return handler_; }

  // The process-wide lock every server callback runs inside.
  static CCriticalSectionLock& CallbackLock();

 private:
  IDirectPlay8Server* server_ = nullptr;
  CDP8ServerHandler* handler_;
  bool hosting_ = false;
  DWORD keepAliveTime_ = 0;
  DWORD port_ = kDefaultPort;
  const GUID* application_;
};

// The server objects' one message callback: enters the server callback
// lock and hands the message to the wrapper's handler.
HRESULT ServerMessageCallback(void* context, DWORD messageId, void* message);
