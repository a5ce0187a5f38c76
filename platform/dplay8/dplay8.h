// The network session objects: a server that hosts a session and sends to
// its players, a client that finds hosts, joins one and sends to it, and the
// address objects both are given.  Made with CoCreateInstance (com.h).
//
// Each server or client runs one network thread of its own (started by
// Initialize, ended by Close or the last Release): the message handler is
// called there, one message at a time, and must only copy what it needs.
// Calls from other threads reach that thread through a locked queue; none of
// them waits without a bound.  Guaranteed sends travel in order on a
// reliable channel, best-effort ones on an unreliable channel, as sent or
// not at all.
#pragma once

#include "platform/dplay8/dplay8_types.h"

class IDirectPlay8Address : public IUnknown {
 public:
  // Sets the service provider (only CLSID_DP8SP_TCPIP is offered).
  virtual HRESULT SetSP(const GUID* sp) = 0;
  virtual HRESULT GetSP(GUID* sp) = 0;
  // Adds or replaces a component: "hostname" (wide or narrow text) and
  // "port" (DWORD) are understood; others are kept and ignored.
  virtual HRESULT AddComponent(PCWSTR name, const void* data, DWORD size, DWORD type) = 0;
  // Copies a component out: DPNERR_DOESNOTEXIST when absent,
  // DPNERR_BUFFERTOOSMALL (with *size set to what it needs) when it does not fit.
  virtual HRESULT GetComponentByName(PCWSTR name, void* buffer, DWORD* size, DWORD* type) = 0;
  // A new address object with the same provider and components.
  virtual HRESULT Duplicate(IDirectPlay8Address** out) = 0;
};

class IDirectPlay8Server : public IUnknown {
 public:
  // Starts the network thread; messages go to handler(context, id, message).
  virtual HRESULT Initialize(void* context, PFNDPNMESSAGEHANDLER handler, DWORD flags) = 0;
  // Hosts a session on the device address's port (any free port when it
  // names none): its own player is created at once (CREATE_PLAYER with
  // playerContext); joining clients raise INDICATE_CONNECT with their
  // connect data, then CREATE_PLAYER once accepted.
  virtual HRESULT Host(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address** devices, DWORD deviceCount,
                       const DPN_SECURITY_DESC* security, const DPN_SECURITY_CREDENTIALS* credentials,
                       void* playerContext, DWORD flags) = 0;
  // Sends one message of the buffers' bytes to a player (DPNID_ALL_PLAYERS_GROUP:
  // everyone); the host's own player receives it through its handler unless
  // DPNSEND_NOLOOPBACK.  Answers DPNSUCCESS_PENDING once queued.
  virtual HRESULT SendTo(DPNID player, const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeout,
                         void* asyncContext, DPNHANDLE* handle, DWORD flags) = 0;
  // Disconnects a client (DESTROY_PLAYER follows on the network thread).
  virtual HRESULT DestroyClient(DPNID player, const void* data, DWORD size, DWORD flags) = 0;
  // Gives back a buffer kept from a RECEIVE; DPNERR_INVALIDHANDLE when unknown.
  virtual HRESULT ReturnBuffer(DPNHANDLE buffer, DWORD flags) = 0;
  // A player's connection statistics (round trip as the transport measures it).
  virtual HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD flags) = 0;
  // Ends the session (every player is destroyed) and the network thread.
  virtual HRESULT Close(DWORD flags) = 0;
};

class IDirectPlay8Client : public IUnknown {
 public:
  virtual HRESULT Initialize(void* context, PFNDPNMESSAGEHANDLER handler, DWORD flags) = 0;
  // Asks for hosts of the application: at the host address when it names a
  // host ("hostname", "port"), else by broadcast on the local network (on
  // the port given, else the session port).  Repeats every retry interval
  // (0: the default), enumCount times (0xFFFFFFFF: until cancelled); each
  // answer raises ENUM_HOSTS_RESPONSE.
  virtual HRESULT EnumHosts(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host,
                            IDirectPlay8Address* device, const void* userData, DWORD userDataSize,
                            DWORD enumCount, DWORD retryInterval, DWORD timeout, void* userContext,
                            DPNHANDLE* asyncHandle, DWORD flags) = 0;
  // Stops an enumeration (its handle); DPNERR_INVALIDHANDLE when unknown.
  virtual HRESULT CancelAsyncOperation(DPNHANDLE handle, DWORD flags) = 0;
  // Joins the host (DPNCONNECT_SYNC: waits, at most the connect time-out);
  // DPNERR_HOSTREJECTEDCONNECTION when the host refused, DPNERR_TIMEDOUT
  // when no answer came.  CONNECT_COMPLETE is raised before it returns.
  virtual HRESULT Connect(const DPN_APPLICATION_DESC* desc, IDirectPlay8Address* host, IDirectPlay8Address* device,
                          const DPN_SECURITY_DESC* security, const DPN_SECURITY_CREDENTIALS* credentials,
                          const void* userConnectData, DWORD userConnectDataSize, void* asyncContext,
                          DPNHANDLE* handle, DWORD flags) = 0;
  virtual HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeout, void* asyncContext,
                       DPNHANDLE* handle, DWORD flags) = 0;
  virtual HRESULT ReturnBuffer(DPNHANDLE buffer, DWORD flags) = 0;
  virtual HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD flags) = 0;
  virtual HRESULT GetSPCaps(const GUID* sp, DPN_SP_CAPS* caps, DWORD flags) = 0;
  virtual HRESULT Close(DWORD flags) = 0;
};
