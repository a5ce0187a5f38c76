// The projection of a world point to the screen through the current camera,
// for labels and markers drawn over the world (developer labels, the lens
// flare, the tracking reticle).  Main thread only.
#pragma once

#include "render/geometry/vector3.h"

// Projects the point with the current camera's view and projection to screen
// pixels of the camera's viewport and writes x and y whenever they are given
// (null is allowed), whether the point is visible or not.  Answers 1 when the
// point is visible: its depth lies inside the viewport's depth range and it
// lies in front of the camera, less than 90 degrees off the viewing direction
// (a point exactly 90 degrees off is not).  0, with nothing written, when
// there is no current camera or no viewport.
int WorldToScreen(const CVector3& point, float* x, float* y);
