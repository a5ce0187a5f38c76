#include "menus/screens/screen_manager.h"

#include "foundation/system/not_built_yet.h"

int ScreenId = 0;
int PreviousScreenId = 0;

namespace {
bool g_screensMade = false;
bool g_multiplayerScreensMade = false;
}  // namespace

void SetScreen(int id) {
  PreviousScreenId = ScreenId;
  ScreenId = id;
}

bool IsWorldRunning() {
  static const bool said = (NotBuiltYet("screen list of IsWorldRunning"), true);
  (void)said;
  return true;
}

int CreateScreens() {
  NotBuiltYet("menu screens");
  g_screensMade = true;
  return 1;
}

void DestroyScreens() { g_screensMade = false; }

int CreateMultiplayerScreens() {
  NotBuiltYet("multiplayer screens");
  g_multiplayerScreensMade = true;
  return 1;
}

void DestroyMultiplayerScreens() { g_multiplayerScreensMade = false; }

bool ScreensMade() { return g_screensMade; }

bool MultiplayerScreensMade() { return g_multiplayerScreensMade; }
