// The multiplayer layer as the rest of the game calls it: started once at
// game initialise, stopped at game shut-down, the session's operations and
// queries over the current layer (net/mp/multiplayer.h).  Main thread only.
#pragma once

#include <cstdint>

#include "net/mp/multiplayer.h"

// The session state of a running game (Playing).
inline constexpr int MPS_PLAYING = 7;

// The game's 16-byte application identifier.
extern const GUID kHalberdApplication;

// Marks the layer started (the network session itself starts with MPStart);
// 1.  Stop leaves and stops any session.
int MPLayerStart();
void MPLayerStop();
bool MPLayerStarted();

// The session: started on the port (0: 22426) with the game's identifier;
// -1 when running or when it cannot start.
int MPStart(DWORD port = 0);
void MPStop();
void MPSetRole(int role);
int MPGetRole();
void MPSetConnectionKind(int kind);
int MPGetConnectionKind();
int MPEnumHosts(const char* hostText, DWORD capacity);
int MPStopEnumHosts();
int MPGetHostCount();
int MPGetHostLatency(int index);
const MPSettings* MPGetPlayerSettings(int index);
int MPStartSession(int hostIndex);
void MPLeave();
// Session state changes: a host sends a state to everyone (27/3 with the
// target), the local layer takes one as MPSetSessionState says; 0, or -1
// without a running session.
int MPSendSessionState(int state, int target = 3);
int MPSetSessionState(int state);
int MPGetRequestedState();

// Once a frame before the world, after it, and at a multiplayer level's
// start and end.
void MPUpdate();
void MPPostFrame();
void MPLevelStart();
void MPLevelEnd();

// Session queries.
bool MPIsSessionRunning();
bool MPIsNetworkGame();
bool MPIsHost();
bool MPIsClient();
int MPGetSessionState();
// The session clock in ms; -1 without a session.
std::int32_t MPGetSessionTime();
int MPGetLocalPlayerSlot();
const MPPlayerRecord* MPGetPlayerRecord(int slot);
int MPGetGameMode();
bool MPIsRoundStarted();
// The replication index of an object in list `list` (-1 absent), and back.
int MPGetObjectIndex(const void* object, int list);
void* MPGetObjectByIndex(int index, int list);
// The shared random table's next number (0..32767) and a ranged draw.
int MPRandom();
float MPRandomRange(float low, float high);

// Tests only: plays a session role (0 single player, 1 the host, 2 a client
// of a session in the playing state) until set back to 0.
void MPSetTestRole(int role);
