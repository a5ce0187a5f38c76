// The standard menu item heights, taken from the panel (frame) sprite set
// once it is loaded: twice the scaled height of frame cell 12, and for
// small items twice that of frame cell 0.  Main thread only.
#pragma once

class CSpriteRender;

// Computes both heights from the frame sprites (0 for a missing cell or set).
void ComputeMenuItemHeights(const CSpriteRender* frames);
int GetMenuItemHeight();
int GetSmallMenuItemHeight();
