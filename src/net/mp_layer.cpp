#include "net/mp_layer.h"

#include "foundation/system/not_built_yet.h"

namespace {
bool g_started = false;
int g_testRole = 0;  // 0 none, 1 host, 2 client
}  // namespace

void MPSetTestRole(int role) { g_testRole = role == 1 || role == 2 ? role : 0; }

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

bool MPIsSessionRunning() { return g_testRole != 0; }

bool MPIsNetworkGame() { return g_testRole != 0; }

bool MPIsHost() { return g_testRole == 1; }

bool MPIsClient() { return g_testRole == 2; }

int MPGetSessionState() { return g_testRole != 0 ? MPS_PLAYING : 0; }

std::int32_t MPGetSessionTime() { return -1; }

int MPSendSessionState(int /*state*/) {
  NotBuiltYet("multiplayer session states");
  return -1;
}

int MPSetSessionState(int /*state*/) {
  NotBuiltYet("multiplayer session states");
  return -1;
}
