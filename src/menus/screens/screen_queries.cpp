// Whether the world runs under a screen, and whether a menu is open over the game.
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "shell/frame/mission_queries.h"

namespace {

enum class Running { Always, Never, InPlayingSession };

// The full menus stop the world; the overlays let it run only in a running
// network session that is playing; every other id lets it run.
Running WorldUnder(int id) {
  if (id < 1 || id > 62) return Running::Always;
  switch (id) {
    case 1: case 2: case 3: case 5: case 6: case 7: case 8: case 9: case 10: case 11:
    case 16: case 17: case 18: case 19: case 21: case 22: case 23: case 26: case 27: case 30:
    case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 41: case 43: case 44:
    case 46: case 47: case 48: case 49: case 50: case 51: case 53: case 54: case 59: case 60: case 62:
      return Running::Never;
    case 4: case 24: case 25: case 31: case 32: case 33: case 42: case 45: case 52:
    case 55: case 56: case 57: case 58:
      return Running::InPlayingSession;
    default: return Running::Always;
  }
}

}  // namespace

bool IsWorldRunningUnder(int id) {
  switch (WorldUnder(id)) {
    case Running::Always: return true;
    case Running::Never: return false;
    default: return MPIsSessionRunning() && MPGetSessionState() == MPS_PLAYING;
  }
}

bool IsWorldRunning() { return IsWorldRunningUnder(ScreenId); }

bool IsMenuScreenOpenFor(int id) {
  switch (id) {
    case 4: case 7: case 8: case 11: case 12: case 13: case 15: case 20: case 31: case 32: case 33:
      return true;
    case 9: case 10: case 21: case 22: case 23: case 24: case 25: case 26: case 27: case 60:
      return MissionQueryMode() == 0;
    default: return false;
  }
}

bool IsMenuScreenOpen() { return IsMenuScreenOpenFor(ScreenId); }
