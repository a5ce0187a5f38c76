// Zone visibility: which instances a camera sees, starting in its zone and
// following the portals in view into the zones beyond, each seen through the
// narrower volume its portal leaves.  A portal is followed at most 8 times in
// one pass, which bounds cycles of portals.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/geometry/vector3.h"

class CEnvInstance;

// A convex volume: planes (normal x, y, z, distance); a point p is inside
// when n·p + d is not negative for every plane.
struct ZoneViewVolume {
  std::vector<std::array<float, 4>> Planes;
};

// Called once per pass for each instance whose world sphere lies in the
// volume of a zone leaf that is in view.
using ZoneInstanceVisitor = void (*)(CEnvInstance* instance, void* context);

// Walks the zone of zoneRoot seen from eye through the volume, then every
// visible portal (Portal::IsVisible, its polygon inside the volume) into its
// target zone with the volume narrowed to the portal.  pass numbers the walk
// (portal visit counts and instance stamps are kept per pass).
void WalkVisibleZones(CEnvInstance* zoneRoot, const CVector3& eye, const ZoneViewVolume& volume, std::uint32_t pass,
                      float baseVisibilityScale, ZoneInstanceVisitor visitor, void* context);
