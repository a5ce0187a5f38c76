// Drawing the loaded world from one camera.  BeginWorldView prepares a
// view's pass (the program's frame then draws the level by zones through
// the environment's Update); DrawWorldView draws every listed instance lit
// by the lights that reach it, then the transparent queue far to near, for
// a world without zones.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CCamera;
class CEnvironment;
class CLightTable;
class DepthSortQueue;

// What one view drew (for the program's report and the frame benchmark).
struct WorldViewStats {
  std::uint32_t instances = 0;  // instances handed to their draw
  std::uint32_t queued = 0;     // transparent items drawn by the queue
  std::uint32_t lit = 0;        // instances drawn with at least one light
};

// Prepares a view's pass of the world: installs the mesh draw hooks on
// first use, makes the camera current with its frustum and transforms
// applied, updates the light table for the view (when given), starts a new
// draw frame for the instances (each is drawn once in it) and sets the
// render states they are drawn with.  Nothing without a camera or a device.
void BeginWorldView(CCamera* camera, CLightTable* lights);
// The instances alone: the camera is made current and its frustum and
// transforms applied, the light table is updated for the view, and each
// instance in the frustum is drawn with the lights that reach its sphere (at
// most eight; none without a table).  Nothing is queued or drawn from the
// queue here.  Installs the mesh draw hooks on first use.
WorldViewStats DrawWorldInstances(CEnvironment* environment, CCamera* camera, CLightTable* lights);
// The items now in the queue's buckets.
std::uint32_t QueuedItemCount(const DepthSortQueue& queue);

// Draws the environment's instances as the camera sees them: the light
// table is updated for the view, each instance in the frustum gets the
// lights that reach its sphere (at most eight) and is drawn, then the queue
// (cleared first) draws what was put into it, and the pixels its shadow
// volumes marked are darkened.  Any of the modules may be
// null: no lights (unlit), or no queue (transparent parts are dropped).
// `beforeQueue`, when given, runs after the instances and before the queue
// draws, so that it can queue items of its own (the effects' particles and
// trails) for this view.  Installs the mesh draw hooks on first use.
WorldViewStats DrawWorldView(CEnvironment* environment, CCamera* camera, CLightTable* lights, DepthSortQueue* queue,
                             void (*beforeQueue)() = nullptr);

// The demo's fixed camera path: a slow circle around the middle of the
// world bounds (held within a radius of 3000), 400 units up, looking at the
// middle; one turn every 60 seconds.  Angles in degrees as the camera takes them.
void WorldViewCameraPath(const CEnvironment& environment, float seconds, CVector3* position, CVector3* angles);
