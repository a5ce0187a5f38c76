// The screen manager in the part the shell calls: the current and previous
// screen ids, the making and freeing of the menu screens, and the multiplayer
// screens.  Main thread only.
//
// No menu screen exists yet: making and freeing them does nothing until the
// screens are built.
#pragma once

// The current screen id (1 the front end, 14 in the game) and the one before.
extern int ScreenId;
extern int PreviousScreenId;

// Moves to screen `id`: the current id becomes the previous one.
void SetScreen(int id);

// Whether the world runs (is simulated and drawn) under the current screen.
// Until the screens are built every screen counts as one the world runs under.
bool IsWorldRunning();

// Makes every menu screen; 1 (0 when one cannot be made).
int CreateScreens();
// Frees every menu screen (nothing when none is made).
void DestroyScreens();
// Makes and frees the multiplayer screens.
int CreateMultiplayerScreens();
void DestroyMultiplayerScreens();
// Whether the menu screens and the multiplayer screens are made.
bool ScreensMade();
bool MultiplayerScreensMade();
