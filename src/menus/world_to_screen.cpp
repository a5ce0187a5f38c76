#include "menus/world_to_screen.h"

#include "render/geometry/camera.h"

int WorldToScreen(const CVector3& point, float* x, float* y) {
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (camera == nullptr || !camera->IsPointVisible(point)) return 0;
  CVector3 screen;
  if (camera->ProjectToScreen(&point, &screen, 1) != 1) return 0;
  if (x != nullptr) *x = screen.x;
  if (y != nullptr) *y = screen.y;
  return 1;
}
