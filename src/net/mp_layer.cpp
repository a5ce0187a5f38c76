#include "net/mp_layer.h"

namespace {
bool g_started = false;
}  // namespace

int MPLayerStart() {
  g_started = true;
  return 1;
}

void MPLayerStop() { g_started = false; }

bool MPLayerStarted() { return g_started; }

bool MPIsSessionRunning() { return false; }

bool MPIsNetworkGame() { return false; }

bool MPIsHost() { return false; }

bool MPIsClient() { return false; }

int MPGetSessionState() { return 0; }

std::int32_t MPGetSessionTime() { return -1; }
