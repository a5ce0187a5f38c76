// The projection of a world point to the screen through the active camera,
// for labels drawn over the world (developer labels of route markers).
#pragma once

#include "render/geometry/vector3.h"

// Screen x, y (pixels of the camera's viewport) of the world point seen by
// the current camera.  Answers 0, with x and y left alone, when there is no
// current camera or viewport or the point lies outside the view (behind the
// eye, outside the frustum).
int WorldToScreen(const CVector3& point, float* x, float* y);
