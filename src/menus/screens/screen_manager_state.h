// The screen manager's own state, shared by its source files (internal).
#pragma once

#include <cstdint>

#include "menus/screens/screen_ids.h"

class CMenuScreen;
class CScreenMenu;
class CSoundBank;

struct ScreenManagerState {
  CMenuScreen* objects[kScreenIdCount] = {};  // by id; several ids may share one object
  bool owned[kScreenIdCount] = {};            // made by CreateScreens (freed by DestroyScreens)
  CMenuScreen* displaced[kScreenIdCount] = {};  // an owned object put aside by SetScreenObject
  CScreenMenu* nameMenus[2] = {};
  int lock = 0;
  const CSoundBank* interfaceBank = nullptr;
  std::uint32_t inGameRequested = 0;  // game-clock ms when 14 was last requested
  std::uint32_t transitionStart = 0;  // real-clock ms
  bool zoomingOut = false, zoomingIn = false, dimGreen = false, dimRed = false;
  bool forward = true;
  bool made = false;
  bool multiplayerMade = false;
};

ScreenManagerState& Screens();

// The leave and enter steps of SetScreen (also run when a zoom-out ends).
void ScreenLeaveStep(int leaving, int next);
void ScreenEnterStep(int entered);
// The transition step of the draw pass: answers the id to draw this frame.
int UpdateScreenTransition();
// The real clock's and the game clock's milliseconds (0 without a clock).
std::uint32_t RealNowMs();
std::uint32_t GameNowMs();
// The pseudo screens of the squad-name editor: the frame's handler and drawing.
int UpdateSquadNameEditor(int id);
void DrawSquadNameEditor();
// The two editor menus made at start-up and freed at exit.
bool MakeSquadNameMenus();
void FreeSquadNameMenus();
void SetUpSquadNameMenus();
// The hint lines at the foot of the screen (0 for none).
void DrawHintLines(std::uint32_t left, std::uint32_t right);
