#include "net/mp_layer.h"

#include "foundation/system/not_built_yet.h"

namespace {
bool g_started = false;
}  // namespace

int MPLayerStart() {
  g_started = true;
  return 1;
}

void MPLayerStop() { g_started = false; }

bool MPLayerStarted() { return g_started; }

void MPUpdate() {}

void MPPostFrame() {}

void MPLevelStart() {}

void MPLevelEnd() {}

bool MPIsSessionRunning() { return false; }

bool MPIsNetworkGame() { return false; }

bool MPIsHost() { return false; }

bool MPIsClient() { return false; }

int MPGetSessionState() { return 0; }

std::int32_t MPGetSessionTime() { return -1; }

int MPSendSessionState(int /*state*/) {
  NotBuiltYet("multiplayer session states");
  return -1;
}

int MPSetSessionState(int /*state*/) {
  NotBuiltYet("multiplayer session states");
  return -1;
}
