// The numbers of the menu screens (ScreenId values).  Ids with a screen
// object name its class; several ids share one object, which tells them
// apart by the current id.  Pseudo ids have no object: the screen manager
// handles them itself.
#pragma once

enum ScreenIdValue : int {
  SCREEN_NONE = 0,
  SCREEN_FRONT_END = 1,         // CFrontEndMenu
  SCREEN_SINGLE_PLAYER = 2,     // CSinglePlayerMenu
  SCREEN_MULTIPLAYER = 3,       // CMultiPlayerMenu (made by the multiplayer screens)
  SCREEN_OPTIONS = 4,           // COptionsMenu
  SCREEN_DIFFICULTY = 5,        // CDifficultyMenu
  SCREEN_UNIFORM = 6,           // CUniformMenu
  SCREEN_CHEATS = 7,            // CCheatMenu
  SCREEN_MISSION_LIST = 8,      // CMissionListMenu
  SCREEN_LOAD_GAME = 9,         // CLoadGameMenu
  SCREEN_SAVE_GAME = 10,        // CSaveGameMenu
  SCREEN_SQUAD_NAMES = 11,      // pseudo: the names column of the squad-name editor
  SCREEN_SQUAD_NAMES_2 = 12,    // pseudo: its second-name column
  SCREEN_OBJECTIVES = 13,       // CObjectiveMenu
  SCREEN_IN_GAME = 14,          // CSoldierMenu
  SCREEN_PAUSE = 15,            // CPauseMenu
  SCREEN_MISSION_REVIEW = 16,   // CMissionMenu
  SCREEN_FAILED = 17,           // CFailedMenu
  SCREEN_SUCCESS = 18,          // CSuccessMenu (and 19)
  SCREEN_SUCCESS_2 = 19,
  SCREEN_BRIEFING = 20,         // CBriefingMenu
  SCREEN_CONFIRM_FIRST = 21,    // CYesNoMenu, 21 .. 27
  SCREEN_CONFIRM_QUIT = 24,
  SCREEN_CONFIRM_LAST = 27,
  SCREEN_START_LEVEL = 28,      // pseudo: start the level the game record names
  SCREEN_PSEUDO_29 = 29,
  SCREEN_PSEUDO_30 = 30,
  SCREEN_CONTROLLER = 31,       // CControllerMenu
  SCREEN_MOUSE = 32,            // CMouseMenu
  SCREEN_KEY_BINDINGS = 33,     // CKeyBindMenu
  SCREEN_AWARDS = 59,           // pseudo: the award ceremony
  SCREEN_LOAD_FAILED = 60,      // CLoadFailedMenu
  SCREEN_END_BRIEFING = 61,     // pseudo: tell the plug-in the briefing ended, then 14
  SCREEN_TRAINING = 62,         // CTrainingMenu
};

// Ids run from 0 to 63.
inline constexpr int kScreenIdCount = 64;
