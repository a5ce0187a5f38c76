#include "platform/win32/bench_reference.h"

#include <SDL2/SDL.h>

#include "platform/win32/event_injection.h"

int Win32BenchPushInputBurst(HWND window, int count) {
  static const char* const kKeys[] = {"W", "A", "S", "D", "Space", "Left", "Right", "Left Ctrl", "E", "1"};
  int queued = 0;
  for (int i = 0; i < count; ++i) {
    bool ok = false;
    switch (i % 10) {
      case 0: case 1: case 2: case 3:
        // A key goes down on one event and comes up on the next.
        ok = Win32InjectKey(window, kKeys[(i / 2) % 10], (i % 2) == 0);
        break;
      case 4: case 5: case 6:
        ok = Win32InjectMouseMotion(window, 100 + i % 7, 80 + i % 5, 3, -2);
        break;
      case 7:
        ok = Win32InjectText(window, "w");
        break;
      case 8: case 9:
        ok = Win32InjectMouseButton(window, 0, (i % 10) == 8);
        break;
    }
    queued += ok ? 1 : 0;
  }
  return queued;
}

int Win32BenchDrainSdlQueue() {
  SDL_Event events[64];
  int total = 0;
  SDL_PumpEvents();
  for (;;) {
    const int n = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    if (n <= 0) break;
    total += n;
  }
  return total;
}
