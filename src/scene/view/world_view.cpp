#include "scene/view/world_view.h"

#include <algorithm>
#include <cmath>

#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/shadows/shadows.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"

namespace {

constexpr float kPathHeight = 400.0f;
constexpr float kPathMaxRadius = 3000.0f;
constexpr float kPathTurnSeconds = 60.0f;
constexpr float kRadToDeg = 57.2957795f;

bool g_HooksInstalled = false;

}  // namespace

void BeginWorldView(CCamera* camera, CLightTable* lights) {
  if (camera == nullptr || g_Render == nullptr) return;
  if (!g_HooksInstalled) {
    InstallMeshDrawHooks();
    g_HooksInstalled = true;
  }
  CRender* render = g_Render;
  CCamera::SetCurrentCamera(camera);
  camera->UpdateFrustum();
  camera->ApplyAllTransforms();
  if (lights != nullptr)
    lights->Update(camera->GetPosition(), camera->GetAngles(), camera->GetForward(), camera->GetFarClip());
  g_EnvInstanceGlobals.Render = render;
  ++g_EnvInstanceGlobals.FrameNumber;
  render->SetZEnable(1);
  render->SetZWrite(1);
  render->SetCullMode(D3DCULL_CCW);
  render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  render->SetAmbient(0xFF202020);
}

WorldViewStats DrawWorldInstances(CEnvironment* environment, CCamera* camera, CLightTable* lights) {
  WorldViewStats stats;
  if (environment == nullptr || camera == nullptr || g_Render == nullptr) return stats;
  BeginWorldView(camera, lights);
  // Instances in list order, each with the lights that reach it.
  for (CEnvInstance* i = environment->InstanceList; i != nullptr; i = i->EnvLink) {
    if (i->Template == nullptr || (i->Flags & (INSTF_DISABLED | INSTF_HIDDEN))) continue;
    i->UpdateBoundingSphere();
    const CSphere& sphere = i->GetWorldSphere();
    if (!camera->IsSphereVisible(sphere, nullptr)) continue;
    if (lights != nullptr && !(i->Flags & INSTF_LIT_ALL)) {
      CLightTable::ClearActive();
      lights->SelectLightsForSphere(sphere.Centre, sphere.Radius);
      i->ClearActiveLights();
      for (int k = 0; k < CLightTable::ActiveCount; ++k) i->AddActiveLight(CLightTable::Active[k]);
      stats.lit += CLightTable::ActiveCount > 0 ? 1 : 0;
    }
    i->Draw(camera->GetFrustum());
    ++stats.instances;
  }
  CLightTable::ClearActive();
  return stats;
}

std::uint32_t QueuedItemCount(const DepthSortQueue& queue) {
  std::uint32_t n = 0;
  for (std::uint32_t b = queue.Lowest; queue.Buckets != nullptr && b <= queue.Highest && b < queue.BucketCount; ++b)
    for (DepthSortItem* item = queue.Buckets[b]; item != nullptr; item = item->Next) ++n;
  return n;
}

WorldViewStats DrawWorldView(CEnvironment* environment, CCamera* camera, CLightTable* lights, DepthSortQueue* queue,
                             void (*beforeQueue)()) {
  if (environment == nullptr || camera == nullptr || g_Render == nullptr) return WorldViewStats{};
  CRender* render = g_Render;
  if (queue != nullptr) {
    queue->SetCamera(camera);
    queue->Clear();
  }
  WorldViewStats stats = DrawWorldInstances(environment, camera, lights);
  // The glass set's intact panes and flying shards join the queue.
  if (queue != nullptr && environment->Glass != nullptr) environment->Glass->Draw(queue);
  if (beforeQueue != nullptr) beforeQueue();

  // The transparent pass: lighting and depth writes off, specular off, the
  // queue far to near, then the usual blend mode and depth writes again.
  if (queue != nullptr) {
    render->SetLighting(0);
    render->SetZWrite(0);
    render->SetSpecular(0);
    stats.queued = QueuedItemCount(*queue);
    queue->Draw();
    render->SetBlendMode(2);
    render->SetZWrite(1);
  }
  // The shadow volumes the queue drew left their marks in the stencil
  // buffer: the view is darkened there (nothing without stencil shadows).
  ShadowsDarkenScreen();
  CMatrix identity;
  identity.SetIdentity();
  render->SetWorldMatrix(identity);
  return stats;
}

void WorldViewCameraPath(const CEnvironment& environment, float seconds, CVector3* position, CVector3* angles) {
  const float* b = environment.WorldBounds;
  const CVector3 middle{(b[0] + b[3]) * 0.5f, b[1], (b[2] + b[5]) * 0.5f};
  const float radius = std::min(kPathMaxRadius, 0.45f * std::max(b[3] - b[0], b[5] - b[2]));
  const float turn = seconds / kPathTurnSeconds * 6.2831853f;
  *position = CVector3{middle.x + radius * std::sin(turn), middle.y + kPathHeight, middle.z - radius * std::cos(turn)};
  // Look at the middle: pitch down by the slope, yaw about y (as the camera's
  // forward axis: yaw 0 looks along +z).
  const float dx = middle.x - position->x, dy = middle.y - position->y, dz = middle.z - position->z;
  const float flat = std::sqrt(dx * dx + dz * dz);
  *angles = CVector3{std::atan2(-dy, flat) * kRadToDeg, std::atan2(dx, dz) * kRadToDeg, 0.0f};
}
