// Developer drawing of the environment: polygon outlines (view fans).
#include "render/debug/debug_draw.h"
#include "render/device/render.h"
#include "world/environment/environment.h"

int CEnvironment::DrawDebugOutline(const CVector3* points, int count, std::uint32_t colour) const {
  if (points == nullptr || count < 2 || g_Render == nullptr) return 0;
  // Edge by edge, so that the colour reaches the device exactly as given.
  for (int k = 0; k < count; ++k) DrawDebugLine(points[k], points[(k + 1) % count], colour, colour, k == 0);
  return count;
}
