// What the network stand-in counts and logs, and the settings tests change.
// Counters are kept per server or client object (for the benchmarks: the
// datagrams and bytes put on the wire) and for the whole process (buffers
// handed out and not yet given back, and every datagram, connection or
// enumeration packet it dropped, each with one counted line).  The call log,
// switched on by a test, records the calls made on the objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dplay8/dplay8.h"

struct DPlay8Counters {
  std::uint64_t datagramsSent = 0;      // UDP datagrams put on the wire, ENet's own included
  std::uint64_t bytesSent = 0;
  std::uint64_t datagramsReceived = 0;
  std::uint64_t bytesReceived = 0;
  std::uint64_t messagesSent = 0;       // user messages handed to the transport
  std::uint64_t messagesReceived = 0;   // user messages raised as RECEIVE
  std::uint64_t outstandingBuffers = 0; // RECEIVE buffers kept and not yet given back
};

// The counters of one server or client object (zero for anything else).
DPlay8Counters DPlay8GetCounters(IUnknown* object);
// RECEIVE buffers kept by handlers and not yet returned, over all objects.
std::uint64_t DPlay8OutstandingBuffers();

// Drops: each one is counted under its reason and its line goes to stderr
// (the first few of each reason; the rest only counted).
std::uint64_t DPlay8DropCount();
std::uint64_t DPlay8DropCount(const char* reason);
std::vector<std::string> DPlay8DropReasons();
void DPlay8ClearDrops();
// Counts one drop (the stand-in's own, and the library above it may use it).
void DPlay8NoteDrop(const char* reason, const char* detail);

// The call log: off at start.
void DPlay8SetCallLog(bool on);
std::vector<std::string> DPlay8TakeCallLog();

// Settings (all in ms; 0 restores the default).  The peer time-out is how
// long a silent peer is kept (default 10,000); the handshake time-out how
// long a connection may wait for its connect data or its confirmation
// (default 5,000); the retry interval the service provider reports as its
// default enumeration retry interval (default 1,500); the connect time-out
// how long a synchronous Connect waits (default 5,000).
void DPlay8SetPeerTimeout(std::uint32_t ms);
void DPlay8SetHandshakeTimeout(std::uint32_t ms);
void DPlay8SetDefaultEnumRetryInterval(std::uint32_t ms);
void DPlay8SetConnectTimeout(std::uint32_t ms);
// A hosting server stops (or starts again) answering enumeration queries.
void DPlay8SetEnumAnswersMuted(IDirectPlay8Server* server, bool muted);
// The UDP port a hosting server is bound to (0 when not hosting).
std::uint16_t DPlay8GetHostPort(IDirectPlay8Server* server);
// A UDP port on 127.0.0.1 that was free when asked (0 when none could be had).
std::uint16_t DPlay8FindFreePort();
