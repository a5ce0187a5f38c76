// The multiplayer layer in the part the shell calls: started once at game
// initialise, stopped at game shut-down, and the session queries, which
// answer as in a single-player game until a session layer exists.
// Main thread only.
#pragma once

#include <cstdint>

// The session state of a running game (Playing).
inline constexpr int MPS_PLAYING = 7;

// Starts the layer; 1.  Stops it (nothing when it is not started).
int MPLayerStart();
void MPLayerStop();
bool MPLayerStarted();

// The layer's per-frame update and post-frame step, and the start and end
// of a level (nothing to do without a session).
void MPUpdate();
void MPPostFrame();
void MPLevelStart();
void MPLevelEnd();

// Session queries: no session runs here, unless a test has set a role.
bool MPIsSessionRunning();
bool MPIsNetworkGame();
bool MPIsHost();
bool MPIsClient();
int MPGetSessionState();
// The session clock in ms; -1 without a session.
std::int32_t MPGetSessionTime();
// Session state changes: a host sends a state to everyone, a client sets
// its own; 0 on success, negative without a session (there is none here).
int MPSendSessionState(int state);
int MPSetSessionState(int state);

// Tests only: plays a session role (0 single player, 1 the host, 2 a client
// of a session in the playing state) until set back to 0.
void MPSetTestRole(int role);
