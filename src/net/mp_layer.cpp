#include "net/mp_layer.h"

const GUID kHalberdApplication = {0x48414C42, 0x4552, 0x4431, {0x4D, 0x50, 0x53, 0x45, 0x53, 0x53, 0x49, 0x4F}};

namespace {
bool g_started = false;
int g_testRole = 0;  // 0 none, 1 host, 2 client
CMultiplayer* Layer() { return MPCurrent(); }
}  // namespace

void MPSetTestRole(int role) { g_testRole = role == 1 || role == 2 ? role : 0; }

int MPLayerStart() {
  g_started = true;
  return 1;
}

void MPLayerStop() {
  Layer()->Stop();
  g_started = false;
}

bool MPLayerStarted() { return g_started; }

int MPStart(DWORD port) { return Layer()->Start(&kHalberdApplication, port); }
void MPStop() { Layer()->Stop(); }
void MPSetRole(int role) { Layer()->role_ = role == 1 ? 1 : 0; }
int MPGetRole() { return Layer()->role_; }
void MPSetConnectionKind(int kind) { Layer()->connectionKind_ = kind; }
int MPGetConnectionKind() { return Layer()->connectionKind_; }
int MPEnumHosts(const char* hostText, DWORD capacity) { return Layer()->EnumHosts(hostText, capacity); }
int MPStopEnumHosts() { return Layer()->StopEnumHosts(); }
int MPGetHostCount() { return Layer()->GetHostCount(); }
int MPGetHostLatency(int index) { return Layer()->GetHostLatency(index); }
const MPSettings* MPGetPlayerSettings(int index) { return Layer()->GetPlayerSettings(index); }
int MPStartSession(int hostIndex) { return Layer()->StartSession(hostIndex); }
void MPLeave() { Layer()->Leave(); }
int MPSendSessionState(int state, int target) {
  if (!Layer()->IsSessionRunning()) return -1;
  Layer()->SendSessionState(static_cast<std::uint32_t>(state), static_cast<std::uint32_t>(target));
  return 0;
}
int MPSetSessionState(int state) {
  if (!Layer()->IsSessionRunning()) return -1;
  Layer()->SetSessionState(static_cast<std::uint32_t>(state));
  return 0;
}
int MPGetRequestedState() { return static_cast<int>(Layer()->GetRequestedState()); }

void MPUpdate() { Layer()->Update(); }
void MPPostFrame() { Layer()->PostFrame(); }
void MPLevelStart() { Layer()->StartLevel(); }
void MPLevelEnd() { Layer()->EndLevel(); }

bool MPIsSessionRunning() { return g_testRole != 0 || Layer()->IsSessionRunning(); }
bool MPIsNetworkGame() { return g_testRole != 0 || Layer()->IsNetworkGame(); }
bool MPIsHost() { return g_testRole != 0 ? g_testRole == 1 : Layer()->IsHost(); }
bool MPIsClient() { return g_testRole != 0 ? g_testRole == 2 : Layer()->IsClient(); }
int MPGetSessionState() {
  return g_testRole != 0 ? MPS_PLAYING : static_cast<int>(Layer()->GetSessionState());
}
std::int32_t MPGetSessionTime() { return Layer()->GetSessionTime(); }
int MPGetLocalPlayerSlot() { return Layer()->localSlot_; }
const MPPlayerRecord* MPGetPlayerRecord(int slot) {
  return slot >= 0 && slot < 8 ? &Layer()->players_[slot] : nullptr;
}
int MPGetGameMode() { return Layer()->GetGameMode(); }
bool MPIsRoundStarted() { return Layer()->roundStarted_; }
int MPGetObjectIndex(const void* object, int list) { return Layer()->lists_.IndexOf(object, list); }
void* MPGetObjectByIndex(int index, int list) { return Layer()->lists_.ObjectAt(index, list); }
int MPRandom() { return Layer()->random_.Draw(); }
float MPRandomRange(float low, float high) { return Layer()->random_.DrawRange(low, high); }
