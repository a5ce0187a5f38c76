#include "platform/dplay8/dplay8_counters.h"

#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/dplay8/dplay8_endpoint.h"
#include "platform/dplay8/dplay8_objects.h"

namespace {

std::mutex g_dropMutex;
std::map<std::string, std::uint64_t> g_drops;
std::uint64_t g_dropTotal = 0;
// Lines printed per reason before the rest are only counted.
constexpr std::uint64_t kPrintedPerReason = 3;

std::atomic<bool> g_callLogOn{false};
std::mutex g_callLogMutex;
std::vector<std::string> g_callLog;

std::atomic<std::uint32_t> g_peerTimeout{0};
std::atomic<std::uint32_t> g_handshakeTimeout{0};
std::atomic<std::uint32_t> g_enumRetry{0};
std::atomic<std::uint32_t> g_connectTimeout{0};

std::uint32_t Or(std::uint32_t value, std::uint32_t fallback) { return value != 0 ? value : fallback; }

}  // namespace

namespace dplay8 {

std::uint32_t PeerTimeoutMs() { return Or(g_peerTimeout.load(), 10000); }
std::uint32_t HandshakeTimeoutMs() { return Or(g_handshakeTimeout.load(), 5000); }
std::uint32_t DefaultEnumRetryMs() { return Or(g_enumRetry.load(), 1500); }
std::uint32_t ConnectTimeoutMs() { return Or(g_connectTimeout.load(), 5000); }

bool CallLogEnabled() { return g_callLogOn.load(); }

void LogCall(const std::string& line) {
  if (!g_callLogOn.load()) return;
  std::lock_guard<std::mutex> hold(g_callLogMutex);
  if (g_callLog.size() < 100000) g_callLog.push_back(line);
}

}  // namespace dplay8

DPlay8Counters DPlay8GetCounters(IUnknown* object) {
  DPlay8Counters c = dplay8::ServerCounters(object);
  if (c.datagramsSent != 0 || c.datagramsReceived != 0 || c.messagesSent != 0 || c.messagesReceived != 0) return c;
  const DPlay8Counters client = dplay8::ClientCounters(object);
  return client.datagramsSent != 0 || client.datagramsReceived != 0 || client.messagesSent != 0 ||
                 client.messagesReceived != 0
             ? client
             : c;
}

std::uint64_t DPlay8OutstandingBuffers() { return dplay8::OutstandingBuffersTotal(); }

void DPlay8NoteDrop(const char* reason, const char* detail) {
  std::lock_guard<std::mutex> hold(g_dropMutex);
  const std::uint64_t n = ++g_drops[reason ? reason : "?"];
  ++g_dropTotal;
  if (n <= kPrintedPerReason)
    std::fprintf(stderr, "network: dropped (%s): %s%s\n", reason ? reason : "?", detail ? detail : "",
                 n == kPrintedPerReason ? " (further ones only counted)" : "");
}

std::uint64_t DPlay8DropCount() {
  std::lock_guard<std::mutex> hold(g_dropMutex);
  return g_dropTotal;
}

std::uint64_t DPlay8DropCount(const char* reason) {
  std::lock_guard<std::mutex> hold(g_dropMutex);
  auto it = g_drops.find(reason ? reason : "?");
  return it == g_drops.end() ? 0 : it->second;
}

std::vector<std::string> DPlay8DropReasons() {
  std::lock_guard<std::mutex> hold(g_dropMutex);
  std::vector<std::string> reasons;
  for (const auto& [reason, count] : g_drops) reasons.push_back(reason + " x" + std::to_string(count));
  return reasons;
}

void DPlay8ClearDrops() {
  std::lock_guard<std::mutex> hold(g_dropMutex);
  g_drops.clear();
  g_dropTotal = 0;
}

void DPlay8SetCallLog(bool on) { g_callLogOn = on; }

std::vector<std::string> DPlay8TakeCallLog() {
  std::lock_guard<std::mutex> hold(g_callLogMutex);
  std::vector<std::string> out;
  out.swap(g_callLog);
  return out;
}

void DPlay8SetPeerTimeout(std::uint32_t ms) { g_peerTimeout = ms; }
void DPlay8SetHandshakeTimeout(std::uint32_t ms) { g_handshakeTimeout = ms; }
void DPlay8SetDefaultEnumRetryInterval(std::uint32_t ms) { g_enumRetry = ms; }
void DPlay8SetConnectTimeout(std::uint32_t ms) { g_connectTimeout = ms; }

void DPlay8SetEnumAnswersMuted(IDirectPlay8Server* server, bool muted) { dplay8::SetServerMuted(server, muted); }

std::uint16_t DPlay8GetHostPort(IDirectPlay8Server* server) { return dplay8::ServerPort(server); }

std::uint16_t DPlay8FindFreePort() {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  std::uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}
