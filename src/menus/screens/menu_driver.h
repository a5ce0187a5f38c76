// What the frame calls of the menu layer besides the screen manager: the key
// driver the screen manager runs for a screen whose class is not built yet
// (Escape and Enter only), the menu layer's visible word and the splash
// step.  Main thread only.
#pragma once

#include <cstdint>

// What the driver asks of the frame.
enum MenuDriverResult : int {
  MENU_RESULT_NONE = 0,
  MENU_RESULT_QUIT = 1,          // close the program
  MENU_RESULT_LEVEL_CHANGE = 3,  // load the pending level
  MENU_RESULT_SPLASH = 4,        // run the splash step
};

// Where the driver leaves the level to load next.
struct MenuLevelRequest {
  char* levelName;             // the pending level name
  int levelNameSize;           // its capacity
  std::uint32_t* toFrontEnd;   // set when the change returns to the front end
};

// Screen id of the front end.
inline constexpr int kFrontEndScreen = 1;

// The frame's menu step.  On the front end (ScreenId 1): Escape answers
// quit, Enter a level change with the pending name left as it is (the level
// chooser then asks for one).  On any other screen: Escape names
// "FrontEnd.dll" as the level to load, asks for the front end and answers a
// level change.  Otherwise nothing.
int RunMenuDriver(const MenuLevelRequest& request);

// The menu layer's visible word (the screen lock is the screen manager's).
void SetMenuLayerVisible(int visible);
int IsMenuLayerVisible();

// The splash step of FRAME_SPLASH (the exit splash, which closes the
// program when it is over).  Answers 0.
int RunSplashStep();
