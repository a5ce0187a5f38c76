// The developer view of a portal: its polygon, its outline and the links to
// the zones on either side.
#include <cstdint>

#include "render/debug/debug_draw.h"
#include "world/environment/env_instance.h"
#include "world/space/portal.h"

namespace {
constexpr std::uint32_t kClosedOneWayColour = 0x33FF0000;
constexpr std::uint32_t kDuplicatePointsColour = 0x33FF00FF;
constexpr std::uint32_t kPlainColour = 0x33FFFFFF;
constexpr std::uint32_t kOwnerLinkColour = 0xFFFF0000;
constexpr std::uint32_t kTargetLinkColour = 0xFF00FF00;

}  // namespace

void Portal::DrawDebug() const {
  const int count = static_cast<int>(Polygon.VertexCount > kPortalMaxVertices ? kPortalMaxVertices
                                                                               : Polygon.VertexCount);
  const std::uint32_t colour = ClosedOneWay != 0      ? kClosedOneWayColour
                               : DuplicatePoints != 0 ? kDuplicatePointsColour
                                                      : kPlainColour;
  if (count >= 3) {
    // The debug fan takes 16 points: a longer outline is filled as fans that
    // all start at vertex 0 and share their edge vertices.
    CVector3 fan[kDebugPolygonPoints];
    fan[0] = Polygon.Vertices[0];
    for (int first = 1; first < count - 1; first += kDebugPolygonPoints - 2) {
      int n = 1;
      for (int k = first; k < count && n < kDebugPolygonPoints; ++k) fan[n++] = Polygon.Vertices[k];
      DrawDebugPolygon(fan, n, colour, true);
    }
  }
  if (count >= 2) {
    CVector3 loop[kPortalMaxVertices + 1];
    for (int k = 0; k < count; ++k) loop[k] = Polygon.Vertices[k];
    loop[count] = Polygon.Vertices[0];
    DrawDebugPolyline(loop, count + 1, colour, 1.0f, true);
  }
  if (OwnerZone != nullptr)
    DrawDebugLine(Centre, OwnerZone->GetWorldSphere().Centre, kOwnerLinkColour, kOwnerLinkColour, true);
  if (TargetZone != nullptr)
    DrawDebugLine(Centre, TargetZone->GetWorldSphere().Centre, kTargetLinkColour, kTargetLinkColour, true);
}
