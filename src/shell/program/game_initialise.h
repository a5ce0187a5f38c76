// Game initialise and shut-down: every long-lived object of the game, made
// once in a fixed order after the window exists and freed in a fixed order
// when it is destroyed.  Main thread only.
#pragma once

#include <cstdint>

class CRender;

// Makes the game's objects in order (the steps are named in the start-up
// trace).  1 on success; 0 on failure, with a message shown unless start-up
// was cancelled: what was made stays made, for GameShutdown to free.
int GameInitialise();
// Frees, in the shut-down order, each object GameInitialise made, once, and
// sets its global to null; writes back the saved system settings.  Safe after
// a failed or a partial start-up, and when called twice.
void GameShutdown();

// Stores the player's nation (0 UK, 1 US); unless the locale table's
// override word is set, the sound manager's voice set becomes 0 for UK and
// 6 for US.
void SetPlayerNation(std::uint32_t nation);

// Test hook: the n-th allocation of a long-lived object from now on (1 = the
// next) fails as if the heap were full; 0 switches it off.
void GameFailObjectAllocation(int n);
