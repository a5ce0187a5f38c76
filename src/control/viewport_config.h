// The split-screen state: whether the screen is split between local players
// and how many views it shows.  One object, built at start-up.  Main thread
// only.
#pragma once

class CViewportConfig {
 public:
  int SplitScreen = 0;      // non-zero while split screen is on
  int PlayerCount = 1;      // views shown: 1 .. 4
  int NoEnemies = 0;        // split screen without enemies: every soldier counts as friendly
};

extern CViewportConfig g_ViewportConfig;
