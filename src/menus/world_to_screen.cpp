#include "menus/world_to_screen.h"

#include <cmath>

#include "render/device/render.h"
#include "render/geometry/camera.h"

namespace {

float Dot(const CVector3& a, const CVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// v / |v|, except that a vector of three zeros is kept as it is.
CVector3 NormalisedOrZero(const CVector3& v) {
  if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) return v;
  const float length = std::sqrt(Dot(v, v));
  return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

int WorldToScreen(const CVector3& point, float* x, float* y) {
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (camera == nullptr) return 0;
  CVector3 screen{};
  const int inFront = camera->ProjectToScreen(&point, &screen, 1);
  if (inFront == 0 && screen.z != -1.0f) return 0;  // no viewport: nothing projected
  if (x != nullptr) *x = screen.x;
  if (y != nullptr) *y = screen.y;
  // The depth z / w against the current viewport's range (0 to 1 without one).
  const D3DVIEWPORT8* viewport = g_Render != nullptr ? g_Render->GetViewport() : nullptr;
  const float minZ = viewport != nullptr ? viewport->MinZ : 0.0f, maxZ = viewport != nullptr ? viewport->MaxZ : 1.0f;
  if (inFront == 0 || screen.z < minZ || screen.z > maxZ) return 0;
  // In front of the eye: the angle between the viewing direction D and the
  // direction V = P - C to the point, both normalised, is below pi / 2.
  const CVector3 eye = camera->GetPosition();
  const CVector3 d = NormalisedOrZero(camera->GetForward());
  const CVector3 v = NormalisedOrZero({point.x - eye.x, point.y - eye.y, point.z - eye.z});
  const float cosine = std::fmax(-1.0f, std::fmin(1.0f, Dot(d, v)));
  return std::acos(cosine) < 1.5707964f ? 1 : 0;
}
