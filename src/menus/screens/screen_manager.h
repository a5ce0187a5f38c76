// The screen manager: one object for every menu screen, numbered by
// ScreenId, and exactly one current screen.  It creates and destroys the
// screens, gives them their fonts and sounds, switches between them with
// SetScreen (with a 330 ms zoom-and-fade transition), updates and draws the
// current screen each frame, and tells the frame loop when the program must
// close, a level change must start or the splash screen must run.  It also
// holds the screen lock of scripts and cut-scenes.  Ids without an object
// (pseudo ids, and screens whose class is not built yet) are handled by the
// manager itself.  Main thread only.
#pragma once

#include <cstdint>

class CMenuScreen;
class CScreenMenu;
class CSoundBank;

// The current screen id (1 the front end, 14 in the game) and the one before.
extern int ScreenId;
extern int PreviousScreenId;

// The result codes of UpdateCurrentScreen and of a screen's Update.
enum ScreenResult : int {
  SCREEN_RESULT_STAY = 0,
  SCREEN_RESULT_CLOSE = 1,         // close the program
  SCREEN_RESULT_LEVEL_CHANGE = 3,  // a level change was prepared
  SCREEN_RESULT_SPLASH = 4,        // run the exit splash
};

// Makes the menu screens at start-up (after the fonts and sprite sets): the
// shared hint defaults, each screen class built so far (a class not built
// yet is reported once), the two squad-name editor menus, then the
// load-failed screen.  1; 0 when an allocation fails.
int CreateScreens();
// Destroys and frees every screen object and the editor menus.
void DestroyScreens();
// Whether CreateScreens ran (and DestroyScreens has not).
bool ScreensMade();
// Makes and frees the multiplayer screens (not built yet: their issue adds them).
int CreateMultiplayerScreens();
void DestroyMultiplayerScreens();
bool MultiplayerScreensMade();

// The object of an id; null for pseudo ids and ids whose screen is not made.
CMenuScreen* ScreenFromId(int id);
// Installs (or with null removes) the object of an id: for screens made
// outside CreateScreens (the multiplayer screens) and for tests.  The
// manager does not free installed objects; an object CreateScreens made for
// the id is put aside meanwhile and comes back when the id's object is
// removed (or is freed by DestroyScreens).
void SetScreenObject(int id, CMenuScreen* screen);

// The sets of a level: the styles (font, interface sprites, the interface
// sound bank), "Interface.sbk" loaded through the sound manager, and each
// screen of the set populated.  The front-end set also shows the menu backdrop.
void PopulateFrontEndScreens();
void PopulateGameScreens();
void ApplyFrontEndMenuStyles();
void ApplyGameMenuStyles();
// The interface sound bank of the current set (null before a set is populated).
const CSoundBank* InterfaceSoundBank();

// Switches to a screen; nothing but the stamp of requesting 14 while the
// screen lock is set.  With a zoom-out the leave and enter steps wait for it.
void SetScreen(int id);
// Runs the current screen (or pseudo id) for this frame; 0 while the lock
// is set or a zoom runs.  Answers a ScreenResult.
int UpdateCurrentScreen();
// Draws the menus: the backdrop, the screen (or the one being left during
// its zoom-out) and its hint lines.  Nothing while the lock is set.
void DrawMenus();

// The screen lock of scripts and cut-scenes.  SetScreenLock toggles the lock
// when the state differs from it; locking sets the menu mode word to 0.
void SetScreenLock(int state);
int IsScreenLocked();
void ToggleScreenLock();

// Whether the world is simulated and drawn under the current screen, and
// whether a menu screen is open over the game (see screen_queries.cpp).
bool IsWorldRunning();
bool IsMenuScreenOpen();
// The same for any id (the current one's answers).
bool IsWorldRunningUnder(int id);
bool IsMenuScreenOpenFor(int id);

// The action behind the quit-to-front-end confirmations: in a network game
// the session is told to quit (result 0); otherwise the sound mode 0, the
// level "FrontEnd.dll", the back-to-front-end flag, the mission record
// reset, the key map on, and result 3.
int QuitToFrontEnd();

// Populate of the in-game screen; then with the pop-up menus.
void RefreshSoldierMenu();
void RefreshInventoryMenus();

// The transition direction and its reset at each level load.
void ResetScreenTransitions();
void SetTransitionForward();
void SetTransitionBackward();
// What a transition does this frame (for the frame's draw and for tests).
struct ScreenTransitionState {
  bool zoomingOut, zoomingIn, dimGreen, dimRed, forward;
  std::uint32_t start;  // real-clock ms
};
ScreenTransitionState GetScreenTransition();

// The two menus of the squad-name editor (pseudo screens 11 and 12).
CScreenMenu* SquadNameMenu(int column);
