// The banner over a paused game.  Main thread only.
#pragma once

// One of two texts (0 the game's pause, non-zero the host's) centred in the
// band from y = 150 to the screen height - 150 across the full width, in the
// large interface font at 200 percent and colour 0xA0C00000; the font set's
// scale is 100 again afterwards.
void DrawPausedBanner(int flag);
