// Run options that do what the connection, set-up and lobby screens will:
//   --host               host a session with the registry's settings, load
//                        the multiplayer level and go on as the session's
//                        state machine says
//   --join ADDRESS:PORT  find that host, join it and declare ready
//   --report FILE        at the last frame, write a text report of the
//                        session (state, player table, replicated objects,
//                        the respawn queues' blocks, the shared random table)
// Main thread only.
#pragma once

#include <string>

class CMultiplayer;

// Takes the options; false (with the reason) for a malformed one.
bool SetSessionRunOptions(bool host, const char* join, const char* report, std::string* error);
bool SessionRunOptionsActive();
// Once a frame, before the network update: starts, joins and declares ready
// as the options say.  A join that finds no host within 15 s ends the program.
void SessionRunOptionsStep();
// The host's side of a late join: while the round runs, a player that is
// ready but has not spawned hears the round's state again (at most once a
// second), so that it loads the level from the client-load state.
void ResendRoundToLateJoiners(CMultiplayer* host);
// The session report of the current layer, as --report writes it.
std::string SessionReportText();
// Writes the report; false when the file cannot be written.
bool WriteSessionReport(const char* path);
