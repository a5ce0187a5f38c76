// The types, structures, message ids, flags and result codes of the network
// session objects (server, client, address), under the names the game's
// code was written against.  Message ids, send flags and the result codes
// the game compares carry their documented values.  Pointers in the
// structures are this machine's pointers: none of them is stored or sent.
#pragma once

#include "platform/win32/unknown.h"
#include "platform/win32/win_types.h"

using WCHAR = char16_t;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;
using DPNID = DWORD;
using DPNHANDLE = DWORD;
using PDPNHANDLE = DPNHANDLE*;

// Result codes.
#define DPN_OK S_OK
#define DPNSUCCESS_PENDING (static_cast<HRESULT>(0x0015800Eu))
#define DPNERR_GENERIC E_FAIL
#define DPNERR_INVALIDPARAM E_INVALIDARG
#define DPNERR_OUTOFMEMORY E_OUTOFMEMORY
#define DPNERR_ALREADYINITIALIZED (static_cast<HRESULT>(0x80158080u))
#define DPNERR_BUFFERTOOSMALL (static_cast<HRESULT>(0x80158100u))
#define DPNERR_DOESNOTEXIST (static_cast<HRESULT>(0x80158180u))
#define DPNERR_CONNECTIONLOST (static_cast<HRESULT>(0x80158160u))
#define DPNERR_HOSTING (static_cast<HRESULT>(0x80158250u))
#define DPNERR_HOSTREJECTEDCONNECTION (static_cast<HRESULT>(0x80158260u))
#define DPNERR_HOSTTERMINATEDSESSION (static_cast<HRESULT>(0x80158270u))
#define DPNERR_INVALIDHANDLE (static_cast<HRESULT>(0x80158360u))
#define DPNERR_INVALIDPLAYER (static_cast<HRESULT>(0x801583B0u))
#define DPNERR_NOCONNECTION (static_cast<HRESULT>(0x80158400u))
#define DPNERR_NOTREADY (static_cast<HRESULT>(0x80158460u))
#define DPNERR_SENDTOOLARGE (static_cast<HRESULT>(0x80158530u))
#define DPNERR_TIMEDOUT (static_cast<HRESULT>(0x80158560u))
#define DPNERR_UNINITIALIZED (static_cast<HRESULT>(0x80158570u))
#define DPNERR_USERCANCEL (static_cast<HRESULT>(0x80158580u))
#define CO_E_NOTINITIALIZED (static_cast<HRESULT>(0x800401F0u))
#define REGDB_E_CLASSNOTREG (static_cast<HRESULT>(0x80040154u))

// Message ids handed to the message handler.
#define DPN_MSGID_OFFSET 0xFFFF0000u
#define DPN_MSGID_ASYNC_OP_COMPLETE (DPN_MSGID_OFFSET | 0x0003u)
#define DPN_MSGID_CONNECT_COMPLETE (DPN_MSGID_OFFSET | 0x0005u)
#define DPN_MSGID_CREATE_PLAYER (DPN_MSGID_OFFSET | 0x0007u)
#define DPN_MSGID_DESTROY_PLAYER (DPN_MSGID_OFFSET | 0x0009u)
#define DPN_MSGID_ENUM_HOSTS_QUERY (DPN_MSGID_OFFSET | 0x000Au)
#define DPN_MSGID_ENUM_HOSTS_RESPONSE (DPN_MSGID_OFFSET | 0x000Bu)
#define DPN_MSGID_INDICATE_CONNECT (DPN_MSGID_OFFSET | 0x000Eu)
#define DPN_MSGID_INDICATED_CONNECT_ABORTED (DPN_MSGID_OFFSET | 0x000Fu)
#define DPN_MSGID_RECEIVE (DPN_MSGID_OFFSET | 0x0011u)
#define DPN_MSGID_TERMINATE_SESSION (DPN_MSGID_OFFSET | 0x0016u)

// Send flags.
#define DPNSEND_SYNC 0x80000000u
#define DPNSEND_NOCOPY 0x01u
#define DPNSEND_NOCOMPLETE 0x02u
#define DPNSEND_COMPLETEONPROCESS 0x04u
#define DPNSEND_GUARANTEED 0x08u
#define DPNSEND_NONSEQUENTIAL 0x10u
#define DPNSEND_NOLOOPBACK 0x20u
#define DPNSEND_PRIORITY_LOW 0x40u
#define DPNSEND_PRIORITY_HIGH 0x80u

// Other flags and special values.
#define DPNINITIALIZE_DISABLEPARAMVAL 0x01u
#define DPNSESSION_CLIENT_SERVER 0x01u
#define DPNCONNECT_SYNC 0x80000000u
#define DPNENUMHOSTS_SYNC 0x80000000u
#define DPNID_ALL_PLAYERS_GROUP 0u
#define DPNA_DATATYPE_STRING 0x01u
#define DPNA_DATATYPE_DWORD 0x02u
#define DPNA_DATATYPE_GUID 0x03u
#define DPNA_DATATYPE_BINARY 0x04u
#define DPNA_DATATYPE_STRING_ANSI 0x05u
#define DPNA_KEY_HOSTNAME (u"hostname")
#define DPNA_KEY_PORT (u"port")

// The stand-in's datagrams: the largest user message, and what a host may
// answer to an enumeration.
#define DPN_MAX_USER_MESSAGE_SIZE 4000u
#define DPN_MAX_ENUM_RESPONSE_SIZE 92u

struct DPN_APPLICATION_DESC {
  DWORD dwSize;
  DWORD dwFlags;
  GUID guidInstance;
  GUID guidApplication;
  DWORD dwMaxPlayers;
  DWORD dwCurrentPlayers;
  WCHAR* pwszSessionName;
  WCHAR* pwszPassword;
  void* pvReservedData;
  DWORD dwReservedDataSize;
  void* pvApplicationReservedData;
  DWORD dwApplicationReservedDataSize;
};

struct DPN_BUFFER_DESC {
  DWORD dwBufferSize;
  BYTE* pBufferData;
};

// The connection's statistics (the round-trip latency is what the game reads).
struct DPN_CONNECTION_INFO {
  DWORD dwSize;
  DWORD dwRoundTripLatencyMS;
  DWORD dwThroughputBPS;
  DWORD dwPeakThroughputBPS;
  DWORD dwBytesSentGuaranteed;
  DWORD dwPacketsSentGuaranteed;
  DWORD dwBytesSentNonGuaranteed;
  DWORD dwPacketsSentNonGuaranteed;
  DWORD dwBytesRetried;
  DWORD dwPacketsRetried;
  DWORD dwBytesDropped;
  DWORD dwPacketsDropped;
  DWORD dwMessagesTransmittedHighPriority;
  DWORD dwMessagesTimedOutHighPriority;
  DWORD dwMessagesTransmittedNormalPriority;
  DWORD dwMessagesTimedOutNormalPriority;
  DWORD dwMessagesTransmittedLowPriority;
  DWORD dwMessagesTimedOutLowPriority;
  DWORD dwBytesReceivedGuaranteed;
  DWORD dwPacketsReceivedGuaranteed;
  DWORD dwBytesReceivedNonGuaranteed;
  DWORD dwPacketsReceivedNonGuaranteed;
  DWORD dwMessagesReceived;
};
static_assert(sizeof(DPN_CONNECTION_INFO) == 92, "the connection information is 23 words");

// The service provider's capabilities.
struct DPN_SP_CAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwNumThreads;
  DWORD dwDefaultEnumCount;
  DWORD dwDefaultEnumRetryInterval;
  DWORD dwDefaultEnumTimeout;
  DWORD dwMaxEnumPayloadSize;
  DWORD dwBuffersPerThread;
  DWORD dwSystemBufferSize;
};
static_assert(sizeof(DPN_SP_CAPS) == 36, "the capabilities are 9 words");

class IDirectPlay8Address;

struct DPNMSG_CREATE_PLAYER {
  DWORD dwSize;
  DPNID dpnidPlayer;
  void* pvPlayerContext;  // in and out
};
struct DPNMSG_DESTROY_PLAYER {
  DWORD dwSize;
  DPNID dpnidPlayer;
  void* pvPlayerContext;
  DWORD dwReason;
};
struct DPNMSG_INDICATE_CONNECT {
  DWORD dwSize;
  void* pvUserConnectData;
  DWORD dwUserConnectDataSize;
  void* pvReplyData;
  DWORD dwReplyDataSize;
  void* pvReplyContext;
  void* pvPlayerContext;  // out: the context the new player will carry
  IDirectPlay8Address* pAddressPlayer;
  IDirectPlay8Address* pAddressDevice;
};
struct DPNMSG_INDICATED_CONNECT_ABORTED {
  DWORD dwSize;
  void* pvPlayerContext;
};
struct DPNMSG_ENUM_HOSTS_QUERY {
  DWORD dwSize;
  IDirectPlay8Address* pAddressSender;
  IDirectPlay8Address* pAddressDevice;
  void* pvReceivedData;
  DWORD dwReceivedDataSize;
  DWORD dwMaxResponseDataSize;
  void* pvResponseData;  // out
  DWORD dwResponseDataSize;  // out
  void* pvResponseContext;
};
struct DPNMSG_ENUM_HOSTS_RESPONSE {
  DWORD dwSize;
  IDirectPlay8Address* pAddressSender;
  IDirectPlay8Address* pAddressDevice;
  const DPN_APPLICATION_DESC* pApplicationDescription;
  void* pvResponseData;
  DWORD dwResponseDataSize;
  void* pvUserContext;
  DWORD dwRoundTripLatencyMS;
};
struct DPNMSG_RECEIVE {
  DWORD dwSize;
  DPNID dpnidSender;
  void* pvPlayerContext;
  BYTE* pReceiveData;
  DWORD dwReceiveDataSize;
  DPNHANDLE hBufferHandle;  // kept when the handler answers DPNSUCCESS_PENDING
};
struct DPNMSG_CONNECT_COMPLETE {
  DWORD dwSize;
  DPNHANDLE hAsyncOp;
  void* pvUserContext;
  HRESULT hResultCode;
  void* pvApplicationReplyData;
  DWORD dwApplicationReplyDataSize;
  DPNID dpnidLocal;
};
struct DPNMSG_TERMINATE_SESSION {
  DWORD dwSize;
  HRESULT hResultCode;
  void* pvTerminateData;
  DWORD dwTerminateDataSize;
};
struct DPNMSG_ASYNC_OP_COMPLETE {
  DWORD dwSize;
  DPNHANDLE hAsyncOp;
  void* pvUserContext;
  HRESULT hResultCode;
};

// The message handler: called on the object's network thread.
using PFNDPNMESSAGEHANDLER = HRESULT (*)(void* userContext, DWORD messageId, void* message);

struct DPN_SECURITY_DESC;
struct DPN_SECURITY_CREDENTIALS;
