#include "net/session/net_callback_table.h"

#include <atomic>

namespace {
// Set by the main thread, read by the network threads.
std::atomic<NetCallback> g_callbacks[NETCB_COUNT];
}  // namespace

NetCallback SetNetCallback(int id, NetCallback callback) {
  if (id < 0 || id >= NETCB_COUNT) return nullptr;
  return g_callbacks[id].exchange(callback);
}

NetCallback GetNetCallback(int id) {
  if (id < 0 || id >= NETCB_COUNT) return nullptr;
  return g_callbacks[id].load();
}

void ClearNetCallbacks() {
  for (auto& c : g_callbacks) c.store(nullptr);
}
