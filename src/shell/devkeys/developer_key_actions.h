// The developer key actions: the functions behind the key map's developer
// rows (descriptions, keys and modifiers are the key map's table).  Game
// initialise installs them before it builds the key map.  Actions whose
// subject is not built yet stay with the key map's "not built yet" report.
// Main thread only.
#pragma once

// Installs every built action by its description.
void InstallDeveloperKeyActions();
// The descriptions installed by InstallDeveloperKeyActions, and their count.
const char* const* InstalledDeveloperKeyActions(int* count);

// The local player that the soldier actions address ("Jump to next local
// player" steps it), and a reset for tests and new runs.
int DebugLocalPlayer();
void ResetDeveloperKeyState();

// The time-scale limits of "Speed up time" and "Slow down time".
inline constexpr float kMinTimeScale = 0.2f;
inline constexpr float kMaxTimeScale = 5.0f;
