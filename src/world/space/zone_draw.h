// Drawing by zones: the zone the camera stands in is drawn through the
// camera's frustum, and every visible portal of it draws the zone beyond
// through the narrower frustum that the portal's outline leaves (Portal::
// Traverse), so hidden zones cost nothing.  A portal is followed at most 8
// times in one pass, which bounds cycles of portals.  Main thread only.
#pragma once

#include <cstdint>

class CEnvInstance;
class CFrustum;

// Portals followed at most this often in one pass.
inline constexpr std::uint32_t kPortalVisitsPerPass = 8;

// Draws the zone of zoneRoot seen through the frustum in draw pass `pass`:
// with followPortals the portals of the zone first (each traversed while
// visible from the current camera, its sphere not wholly outside the
// frustum, some of its outline inside it, and not yet followed 8 times in
// the pass), then the zone's octree leaves inside the frustum and its
// registered instances.  Nothing without a zone record.
void DrawZone(CEnvInstance* zoneRoot, const CFrustum& frustum, std::uint32_t pass, bool followPortals = true);
// The zone pass of a view from the current camera: the zone of viewZone
// (may be null; portals followed unless followViewPortals is false), then
// the outer world zone of worldRoot, then the global dynamic list (the
// dynamic instances in doorways) through the camera's frustum.  Answers the pass number used; 0 (and
// nothing drawn) without a current camera.
std::uint32_t DrawZonesFromCamera(CEnvInstance* viewZone, CEnvInstance* worldRoot, bool followViewPortals);
