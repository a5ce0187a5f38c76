// The zone a view's eye stands in: the environment's view instance, from
// which the zone pass starts, so that an eye inside a room draws the room
// and, through its doorways, what lies outside.  Main thread only.
#pragma once

#include "render/geometry/vector3.h"

class CEnvInstance;
class CEnvironment;

// The farthest the eye may have moved since the view's last pass for its
// zone to be followed through the portals crossed; a longer move (a camera
// cut) finds the zone afresh.  World units.
inline constexpr float kViewZoneFollowLimit = 1000.0f;

// The zone root the eye of view slot `view` stands in.  When the
// environment has a view instance and the slot's last camera stood within
// kViewZoneFollowLimit of the eye, that zone is followed through the portal
// the eye crossed since (none crossed: the same zone).  Otherwise the zone
// is found afresh: of the visible zone roots, the one whose extent (the
// world boxes of its static instances) is the smallest that holds the eye
// or, when none holds it, the one with the largest extent (the open level
// round the buildings).  Null when the level has no zone root.
CEnvInstance* FindViewZone(CEnvironment& environment, int view, const CVector3& eye);
