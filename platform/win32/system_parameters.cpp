#include "platform/win32/system_parameters.h"

#include <SDL2/SDL.h>

namespace {

struct Settings {
  BOOL screenSaver = TRUE;
  BOOL lowPower = TRUE;
  BOOL powerOff = TRUE;
  int writes = 0;
};

Settings& State() {
  static Settings settings;
  return settings;
}

}  // namespace

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT) {
  Settings& s = State();
  BOOL* value = nullptr;
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE: value = &s.screenSaver; break;
    case SPI_GETLOWPOWERACTIVE: value = &s.lowPower; break;
    case SPI_GETPOWEROFFACTIVE: value = &s.powerOff; break;
    case SPI_SETSCREENSAVEACTIVE:
      s.screenSaver = uiParam != 0;
      // SDL's switch lives with its video system; without one there is nothing to switch.
      if (SDL_WasInit(SDL_INIT_VIDEO)) {
        if (uiParam != 0)
          SDL_EnableScreenSaver();
        else
          SDL_DisableScreenSaver();
      }
      ++s.writes;
      return TRUE;
    case SPI_SETLOWPOWERACTIVE:
      s.lowPower = uiParam != 0;
      ++s.writes;
      return TRUE;
    case SPI_SETPOWEROFFACTIVE:
      s.powerOff = uiParam != 0;
      ++s.writes;
      return TRUE;
    default:
      return FALSE;
  }
  if (param == nullptr) return FALSE;
  *static_cast<BOOL*>(param) = *value;
  return TRUE;
}

int Win32SystemParameterWrites() { return State().writes; }
